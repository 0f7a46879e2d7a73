#include "panel/SetupPanel.h"

#include "panel/PanelStyle.h"
#include "panel/PanelLayout.h"
#include "platform/ImageFormats.h"
#include "platform/Screen.h"

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QPixmap>

#include <utility>

using platform::Image;
using platform::Label;
using platform::Vb;

using namespace panel_style;

namespace {

void shadow(QWidget *w)
{
    auto *effect = new QGraphicsDropShadowEffect(w);
    effect->setBlurRadius(4);
    effect->setOffset(1, 1);
    effect->setColor(QColor(0, 0, 0, 200));
    w->setGraphicsEffect(effect);
}

Image *icon(const QString &name, QWidget *page, const char *resource)
{
    auto *w = new Image(name, page);
    w->setPixmap(platform::artworkPixmap(QString::fromLatin1(resource)));
    w->setScaledContents(true);
    w->setCursor(Qt::PointingHandCursor);
    return w;
}

// The caption under a big icon; a click on it does what a click on the icon does.
Image *caption(const QString &name, QWidget *page, const QString &text, Image *iconOf)
{
    auto *w = new Image(name, page);
    w->setText(text);
    w->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    w->setWordWrap(true);
    w->setStyleSheet(QString::fromLatin1(kCaptionStyle));
    w->setCursor(Qt::PointingHandCursor);
    shadow(w);
    if (iconOf)
        QObject::connect(w, &platform::ClickLabel::clicked, iconOf, &platform::ClickLabel::click);
    return w;
}

Image *link(const QString &name, QWidget *page, const QString &text)
{
    auto *w = new Image(name, page);
    w->setText(text);
    w->setStyleSheet(QString::fromLatin1(kLinkStyle));
    w->setCursor(Qt::PointingHandCursor);
    shadow(w);
    return w;
}

Label *text(const QString &name, QWidget *page, const QString &caption, const char *style)
{
    auto *w = new Label(name, page);
    w->setText(caption);
    w->setStyleSheet(QString::fromLatin1(style));
    shadow(w);
    return w;
}

// A tab's background is decoded while the tab is on screen only: the panel
// is closed for weeks at a time, and each background is half a megabyte.
class BackgroundWhileShown : public QObject {
public:
    BackgroundWhileShown(QLabel *label, const char *resource)
        : QObject(label), m_resource(QString::fromLatin1(resource))
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = static_cast<QLabel *>(watched);
        if (event->type() == QEvent::Show && label->pixmap().isNull())
            label->setPixmap(platform::artworkPixmap(m_resource));
        else if (event->type() == QEvent::Hide)
            label->setPixmap(QPixmap());
        return false;
    }

private:
    QString m_resource;
};

Label *background(const QString &name, QWidget *page, const char *resource)
{
    auto *w = new Label(name, page);
    w->setScaledContents(true);
    new BackgroundWhileShown(w, resource);
    return w;
}

Vb<HelpBox> *helpBox(const QString &name, QWidget *page)
{
    auto *w = new Vb<HelpBox>(name, page);
    w->setStyleSheet(QString::fromLatin1(kHelpStyle));
    w->setFocusPolicy(Qt::NoFocus);
    w->setFrameShape(QFrame::NoFrame);
    return w;
}

Vb<PanelField> *field(const QString &name, QWidget *page)
{
    auto *w = new Vb<PanelField>(name, page);
    QFont f = w->font();
    f.setPixelSize(12);
    w->setFont(f);
    w->setBackColor(SetupPanel::kLightBlue);
    return w;
}

// Design help texts, replaced by the language tables once a language is known.
QString lines(std::initializer_list<const char *> parts)
{
    QStringList out;
    for (const char *p : parts)
        out << QString::fromUtf8(p);
    return out.join(QStringLiteral("\r\n"));
}

} // namespace

SetupPanel::SetupPanel(QWidget *parent) : Vb<QWidget>(QStringLiteral("SSTCfg"), parent)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(16, 22, 34));
    setPalette(pal);
    setAutoFillBackground(true);

    for (QWidget *&page : m_pages)
        page = new QWidget(this);
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("SSTCfg_tabs"));
    m_tabs->setStyleSheet(tabStyle(11, 6));
    m_tabs->setExpanding(true);
    m_tabs->setDrawBase(false);
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->addTab(QStringLiteral("Display Timers"));
    m_tabs->addTab(QStringLiteral("Picture   Selection"));
    m_tabs->addTab(QStringLiteral("Run / Exit"));
    m_tabs->addTab(QStringLiteral("Tools - Language"));
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) { setCurrentIndex(tab); });
    connect(m_tabs, &QTabBar::tabBarClicked, this, [this](int) { emit panelClicked(); });

    QWidget *pt = m_pages[TabDisplayTimers];
    SfondoDisplayTimer = background(QStringLiteral("SfondoDisplayTimer"), pt, ":/art/bg_timers.png");
    TextTool1 = link(QStringLiteral("TextTool1"), pt, QStringLiteral("Tools"));
    TextDisplayTimers = text(QStringLiteral("TextDisplayTimers"), pt, QStringLiteral("Display Timer"),
                             kHeadingStyle);
    SSTCfg_Download = icon(QStringLiteral("SSTCfg_Download"), pt, ":/art/download.png");
    SSTCfg_Download2 = caption(QStringLiteral("SSTCfg_Download2"), pt,
                               QStringLiteral("Download Img. Timer"), SSTCfg_Download);
    SSTCfg_timeDwLoad = field(QStringLiteral("SSTCfg_timeDwLoad"), pt);
    TextMinuts = text(QStringLiteral("TextMinuts"), pt, QStringLiteral("(minuts)"), kUnitStyle);
    SSTCfg_Aggiorna = icon(QStringLiteral("SSTCfg_Aggiorna"), pt, ":/art/refresh.png");
    SSTCfg_Aggiorna2 = caption(QStringLiteral("SSTCfg_Aggiorna2"), pt,
                               QStringLiteral("Slide Show Img. Timer"), SSTCfg_Aggiorna);
    SSTCfg_timeRefresh = field(QStringLiteral("SSTCfg_timeRefresh"), pt);
    textSeconds = text(QStringLiteral("textSeconds"), pt, QStringLiteral("(seconds)"), kUnitStyle);
    dyMode = icon(QStringLiteral("dyMode"), pt, ":/art/display_mode.png");
    dyMode2 = caption(QStringLiteral("dyMode2"), pt, QStringLiteral("Display Picture Mode"), dyMode);
    txtDisplay = field(QStringLiteral("txtDisplay"), pt);
    txtDisplay->hide();
    txtDisplay2 = field(QStringLiteral("txtDisplay2"), pt);
    txtDisplay2->setReadOnly(true);
    helpTime = icon(QStringLiteral("helpTime"), pt, ":/art/help.png");
    helpTime2 = caption(QStringLiteral("helpTime2"), pt, QStringLiteral("Help"), helpTime);
    Box_Help_Display_Timer = helpBox(QStringLiteral("Box_Help_Display_Timer"), pt);
    Box_Help_Display_Timer->setText(
        lines({"DISPLAY TIMERS", " ", "_Download Images Timer", "_Slide Show Timer", "_Display Mode"}));
    LittleTool00 = icon(QStringLiteral("LittleTool00"), pt, ":/art/little_timers.png");
    LittleTool02 = icon(QStringLiteral("LittleTool02"), pt, ":/art/little_pictures.png");
    LittleTool03 = icon(QStringLiteral("LittleTool03"), pt, ":/art/little_run.png");
    TextDisplayTimers0 = link(QStringLiteral("TextDisplayTimers0"), pt, QStringLiteral("Display Timer"));
    TextPictureSelection0 =
        link(QStringLiteral("TextPictureSelection0"), pt, QStringLiteral("Picture Selection"));
    TextRunExit0 = link(QStringLiteral("TextRunExit0"), pt, QStringLiteral("Run - Exit"));

    QWidget *pp = m_pages[TabPictureSelection];
    SfondoPicturSel = background(QStringLiteral("SfondoPicturSel"), pp, ":/art/bg_pictures.png");
    TextTool3 = link(QStringLiteral("TextTool3"), pp, QStringLiteral("Tools"));
    TextPictureSelection = text(QStringLiteral("TextPictureSelection"), pp,
                                QStringLiteral("Picture Selection"), kHeadingStyle);
    Image3 = icon(QStringLiteral("Image3"), pp, ":/art/arrow_back.png");
    Image1 = icon(QStringLiteral("Image1"), pp, ":/art/clear_list.png");
    Label11 = link(QStringLiteral("Label11"), pp, QStringLiteral("CLEAR LIST"));
    connect(Label11, &platform::ClickLabel::clicked, Image1, &platform::ClickLabel::click);
    Tabella_Mappe_Selezionate = new Vb<SelectionList>(QStringLiteral("Tabella_Mappe_Selezionate"), pp);
    Tabella_Mappe_Selezionate->setSelectionMode(QAbstractItemView::MultiSelection);
    Tabella_Mappe_Selezionate->setStyleSheet(QString::fromLatin1(kListStyle));
    SSTCfg_LblinserisciImg = text(QStringLiteral("SSTCfg_LblinserisciImg"), pp, QString(), kUnitStyle);
    SSTCfg_FileUser = icon(QStringLiteral("SSTCfg_FileUser"), pp, ":/art/add_image.png");
    SSTCfg_FileUser2 = caption(QStringLiteral("SSTCfg_FileUser2"), pp,
                               QStringLiteral("Add Owner Image"), SSTCfg_FileUser);
    SSTCfg_resetUserImg = icon(QStringLiteral("SSTCfg_resetUserImg"), pp, ":/art/remove_image.png");
    SSTCfg_resetUserImg2 = caption(QStringLiteral("SSTCfg_resetUserImg2"), pp,
                                   QStringLiteral("Remove Own. Img."), SSTCfg_resetUserImg);
    helpImg = icon(QStringLiteral("helpImg"), pp, ":/art/help.png");
    helpImg2 = caption(QStringLiteral("helpImg2"), pp, QStringLiteral("Help"), helpImg);
    SSTCfg_BackUpcnf = icon(QStringLiteral("SSTCfg_BackUpcnf"), pp, ":/art/backup.png");
    SSTCfg_Backupconf = caption(QStringLiteral("SSTCfg_Backupconf"), pp,
                                QStringLiteral("Back Up Config"), SSTCfg_BackUpcnf);
    SSTCfg_Loadcnf = icon(QStringLiteral("SSTCfg_Loadcnf"), pp, ":/art/load_collection.png");
    SSTCfg_Loadconf = caption(QStringLiteral("SSTCfg_Loadconf"), pp,
                              QStringLiteral("Load Collections"), SSTCfg_Loadcnf);
    Wait_Ico = icon(QStringLiteral("Wait_Ico"), pp, ":/art/wait.png");
    Wait_Ico->setCursor(Qt::WaitCursor);
    Wait_Ico->hide();
    TextTool2 = text(QStringLiteral("TextTool2"), pp, QStringLiteral("Tools"), kLinkStyle);
    TextDisplayTimers1 =
        text(QStringLiteral("TextDisplayTimers1"), pp, QStringLiteral("Display Timer"), kLinkStyle);
    TextPictureSelection1 = text(QStringLiteral("TextPictureSelection1"), pp,
                                 QStringLiteral("Picture Selection"), kLinkStyle);
    TextRunExit1 = text(QStringLiteral("TextRunExit1"), pp, QStringLiteral("Run - Exit"), kLinkStyle);
    for (Label *unused : {TextTool2, TextDisplayTimers1, TextPictureSelection1, TextRunExit1})
        unused->hide();

    QWidget *pr = m_pages[TabRunExit];
    SfondoRunExit = background(QStringLiteral("SfondoRunExit"), pr, ":/art/bg_runexit.png");
    TextTool4 = link(QStringLiteral("TextTool4"), pr, QStringLiteral("Tools"));
    TextRunExit = text(QStringLiteral("TextRunExit"), pr, QStringLiteral("Run - Exit"), kHeadingStyle);
    SSTCfg_cmdConferma = icon(QStringLiteral("SSTCfg_cmdConferma"), pr, ":/art/confirm.png");
    SSTCfg_cmdConferma_BW = icon(QStringLiteral("SSTCfg_cmdConferma_BW"), pr, ":/art/confirm_bw.png");
    SSTCfg_cmdConferma_BW->setCursor(Qt::ArrowCursor);
    SSTCfg_cmdConferma2 = caption(QStringLiteral("SSTCfg_cmdConferma2"), pr,
                                  QStringLiteral("Start Slide Show"), nullptr);
    SSTCfg_ExitProgram = icon(QStringLiteral("SSTCfg_ExitProgram"), pr, ":/art/exit.png");
    SSTCfg_ExitProgram_BW = icon(QStringLiteral("SSTCfg_ExitProgram_BW"), pr, ":/art/exit_bw.png");
    SSTCfg_ExitProgram_BW->setCursor(Qt::ArrowCursor);
    SSTCfg_ExitProgram2 = caption(QStringLiteral("SSTCfg_ExitProgram2"), pr,
                                  QStringLiteral("Quit Program"), nullptr);
    SSTCfg_salvaConfig = icon(QStringLiteral("SSTCfg_salvaConfig"), pr, ":/art/save.png");
    SSTCfg_salvaConfig2 = caption(QStringLiteral("SSTCfg_salvaConfig2"), pr,
                                  QStringLiteral("Save Configur."), nullptr);
    nwxStatusBar = icon(QStringLiteral("nwxStatusBar"), pr, ":/art/about.png");
    nwxStatusBar2 = caption(QStringLiteral("nwxStatusBar2"), pr, QStringLiteral("About"), nwxStatusBar);
    Cleanup = icon(QStringLiteral("Cleanup"), pr, ":/art/cleanup.png");
    Cleanup2 = caption(QStringLiteral("Cleanup2"), pr, QStringLiteral("Cleanup Configur."), nullptr);
    helpEsegui = icon(QStringLiteral("helpEsegui"), pr, ":/art/help.png");
    helpEsegui2 = caption(QStringLiteral("helpEsegui2"), pr, QStringLiteral("Help"), helpEsegui);
    YourTownIco = icon(QStringLiteral("YourTownIco"), pr, ":/art/town.png");
    YourTownLbl = caption(QStringLiteral("YourTownLbl"), pr, QStringLiteral("Your Town"), YourTownIco);
    Box_Help_Run_Exit = helpBox(QStringLiteral("Box_Help_Run_Exit"), pr);
    Box_Help_Run_Exit->setText(lines({"RUN EXIT:", " ", "_Start Slide Show", "_Save Configuration",
                                      "_Quit Program", "_Status Bar Info"}));
    LittleTool30 = icon(QStringLiteral("LittleTool30"), pr, ":/art/little_timers.png");
    LittleTool32 = icon(QStringLiteral("LittleTool32"), pr, ":/art/little_pictures.png");
    LittleTool33 = icon(QStringLiteral("LittleTool33"), pr, ":/art/little_run.png");
    TextDisplayTimers3 = link(QStringLiteral("TextDisplayTimers3"), pr, QStringLiteral("Display Timer"));
    TextPictureSelection3 =
        link(QStringLiteral("TextPictureSelection3"), pr, QStringLiteral("Picture Selection"));
    TextRunExit3 = link(QStringLiteral("TextRunExit3"), pr, QStringLiteral("Run - Exit"));

    QWidget *po = m_pages[TabTools];
    SfondoTools = background(QStringLiteral("SfondoTools"), po, ":/art/bg_tools.png");
    TextTool5 = link(QStringLiteral("TextTool5"), po, QStringLiteral("Tools"));
    TextTools = text(QStringLiteral("TextTools"), po, QStringLiteral("Tools"), kHeadingStyle);
    IcoSwapSST0 = icon(QStringLiteral("IcoSwapSST0"), po, ":/art/timers.png");
    IcoSwapSST02 = caption(QStringLiteral("IcoSwapSST02"), po, QStringLiteral("Display Timers"), IcoSwapSST0);
    IcoSwapSST2 = icon(QStringLiteral("IcoSwapSST2"), po, ":/art/pictures.png");
    IcoSwapSST22 =
        caption(QStringLiteral("IcoSwapSST22"), po, QStringLiteral("Pictures Selection"), IcoSwapSST2);
    IcoSwapSST3 = icon(QStringLiteral("IcoSwapSST3"), po, ":/art/run_exit.png");
    IcoSwapSST32 = caption(QStringLiteral("IcoSwapSST32"), po, QStringLiteral("Run - Exit"), IcoSwapSST3);
    RunTeamViewer = icon(QStringLiteral("RunTeamViewer"), po, ":/art/remote_help.png");
    IcoHelpTools2 =
        caption(QStringLiteral("IcoHelpTools2"), po, QStringLiteral("Remote Help"), RunTeamViewer);
    IcoSwapSST6 = icon(QStringLiteral("IcoSwapSST6"), po, ":/art/language.png");
    LabelLanguage = caption(QStringLiteral("LabelLanguage"), po, QStringLiteral("Language"), IcoSwapSST6);
    LeftTipText = helpBox(QStringLiteral("LeftTipText"), po);
    LeftTipText->setText(lines(
        {"TOOLS AVAILABLE:", " ",
         "_Display Timers: select your preferred slide show time and connection to download new images.",
         "_Picture Selection: select Image to display from database.",
         "_Run-Exit: Start slide show or exit from program."}));

    BarSaveAllBG = new Label(QStringLiteral("BarSaveAllBG"), this);
    BarSaveAllBG->setBackColor(platform::vbRGB(40, 48, 64));
    BarSaveAllFG = new Label(QStringLiteral("BarSaveAllFG"), this);
    BarSaveAllFG->setBackColor(platform::vbRGB(80, 200, 120));
    const panel_layout::Placement bar = panel_layout::saveBarPlacement();
    BarSaveAllBG->Move(bar.left, bar.top, bar.width, bar.height);
    BarSaveAllFG->Move(bar.left, bar.top, 1, bar.height);
    BarSaveAllBG->hide();
    BarSaveAllFG->hide();

    connect(SSTCfg_timeDwLoad, &PanelField::clicked, this, &SetupPanel::SSTCfg_timeDwLoad_Click);
    connect(SSTCfg_timeRefresh, &PanelField::clicked, this, &SetupPanel::SSTCfg_timeRefresh_Click);
    connect(SSTCfg_timeDwLoad, &PanelField::focusLost, this, &SetupPanel::SSTCfg_timeDwLoad_LostFocus);
    connect(SSTCfg_timeRefresh, &PanelField::focusLost, this, &SetupPanel::SSTCfg_timeRefresh_LostFocus);
    connect(SSTCfg_Download, &platform::ClickLabel::clicked, this, &SetupPanel::SSTCfg_Download_Click);
    connect(SSTCfg_Aggiorna, &platform::ClickLabel::clicked, this, &SetupPanel::SSTCfg_Aggiorna_Click);
    connectNavigation();
    Cleanup2->installEventFilter(this);
    for (HelpBox *box : findChildren<HelpBox *>()) {
        box->viewport()->installEventFilter(this);
        m_helpViewports << box->viewport();
    }
    m_pages[TabRunExit]->installEventFilter(this);

    LayoutPanelTabs();
}
