#include "panel/SetupPanel.h"

#include <QPixmap>

using platform::Image;
using platform::Label;
using platform::Vb;

namespace {

// Big icons stand in two columns and three rows; a caption sits under each.
constexpr float kColumnA = 3721, kColumnB = 5021;
constexpr float kRow1 = 845, kRow2 = 2345, kRow3 = 3845;
constexpr float kIconSize = 660;
constexpr float kCaptionWidth = 1200, kCaptionHeight = 255;
constexpr float kCaptionLeft = -270, kCaptionBelow = 700;
// The page area starts below the tab strip; design positions are panel-relative.
constexpr float kTabStrip = 500;

Image *icon(const QString &name, QWidget *page, const char *resource, float left, float top)
{
    auto *w = new Image(name, page);
    w->setPixmap(QPixmap(QString::fromLatin1(resource)));
    w->setScaledContents(true);
    w->setCursor(Qt::PointingHandCursor);
    w->Move(left, top - kTabStrip, kIconSize, kIconSize);
    return w;
}

template <class L>
L *caption(const QString &name, QWidget *page, const QString &text, float iconLeft, float iconTop)
{
    auto *w = new L(name, page);
    w->setText(text);
    w->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    w->Move(iconLeft + kCaptionLeft, iconTop - kTabStrip + kCaptionBelow, kCaptionWidth, kCaptionHeight);
    return w;
}

} // namespace

SetupPanel::SetupPanel(QWidget *parent) : Vb<QTabWidget>(QStringLiteral("SSTCfg"), parent)
{
    pageDisplayTimers = new QWidget;
    pagePictureSelection = new QWidget;
    pageRunExit = new QWidget;
    pageTools = new QWidget;
    addTab(pageDisplayTimers, QStringLiteral("Display Timers"));
    addTab(pagePictureSelection, QStringLiteral("Picture   Selection"));
    addTab(pageRunExit, QStringLiteral("Run / Exit"));
    addTab(pageTools, QStringLiteral("Tools - Language"));
    setWidth(kWidth);
    setHeight(kHeight);

    SSTCfg_timeDwLoad = new Vb<QLineEdit>(QStringLiteral("SSTCfg_timeDwLoad"), pageDisplayTimers);
    SSTCfg_timeDwLoad->Move(4700, 960 - kTabStrip, 1200, 315);
    SSTCfg_timeRefresh = new Vb<QLineEdit>(QStringLiteral("SSTCfg_timeRefresh"), pageDisplayTimers);
    SSTCfg_timeRefresh->Move(4700, 2460 - kTabStrip, 1200, 315);
    txtDisplay = new Vb<QLineEdit>(QStringLiteral("txtDisplay"), pageDisplayTimers);
    txtDisplay->Move(4700, 3845 - kTabStrip, 1800, 315);
    txtDisplay->hide();
    txtDisplay2 = new Vb<QLineEdit>(QStringLiteral("txtDisplay2"), pageDisplayTimers);
    txtDisplay2->Move(4700, 3845 - kTabStrip, 1800, 315);
    txtDisplay2->setReadOnly(true);

    Tabella_Mappe_Selezionate =
        new Vb<QListWidget>(QStringLiteral("Tabella_Mappe_Selezionate"), pagePictureSelection);
    Tabella_Mappe_Selezionate->setSelectionMode(QAbstractItemView::MultiSelection);
    Tabella_Mappe_Selezionate->Move(117, 1170 - kTabStrip, 6860, 1992);
    SSTCfg_LblinserisciImg = new Label(QStringLiteral("SSTCfg_LblinserisciImg"), pagePictureSelection);
    SSTCfg_LblinserisciImg->Move(117, 3260 - kTabStrip, 6860, 255);

    SSTCfg_cmdConferma = icon(QStringLiteral("SSTCfg_cmdConferma"), pageRunExit, ":/art/confirm.png",
                              kColumnA, kRow1);
    SSTCfg_cmdConferma_BW = icon(QStringLiteral("SSTCfg_cmdConferma_BW"), pageRunExit,
                                 ":/art/confirm_bw.png", kColumnA, kRow1);
    SSTCfg_cmdConferma2 = caption<Label>(QStringLiteral("SSTCfg_cmdConferma2"), pageRunExit,
                                         QStringLiteral("Start Slide Show"), kColumnA, kRow1);
    SSTCfg_ExitProgram = icon(QStringLiteral("SSTCfg_ExitProgram"), pageRunExit, ":/art/exit.png",
                              kColumnA, kRow2);
    SSTCfg_ExitProgram_BW = icon(QStringLiteral("SSTCfg_ExitProgram_BW"), pageRunExit,
                                 ":/art/exit_bw.png", kColumnA, kRow2);
    SSTCfg_ExitProgram2 = caption<Image>(QStringLiteral("SSTCfg_ExitProgram2"), pageRunExit,
                                         QStringLiteral("Quit Program"), kColumnA, kRow2);
    SSTCfg_salvaConfig = icon(QStringLiteral("SSTCfg_salvaConfig"), pageRunExit, ":/art/save.png",
                              kColumnB, kRow1);
    SSTCfg_salvaConfig2 = caption<Image>(QStringLiteral("SSTCfg_salvaConfig2"), pageRunExit,
                                         QStringLiteral("Save Configur."), kColumnB, kRow1);
    Cleanup = icon(QStringLiteral("Cleanup"), pageRunExit, ":/art/cleanup.png", kColumnB, kRow2);
    Cleanup2 = caption<Image>(QStringLiteral("Cleanup2"), pageRunExit,
                              QStringLiteral("Cleanup Configur."), kColumnB, kRow2);
}
