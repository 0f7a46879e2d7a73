#include "panel/SetupPanel.h"

#include "panel/PanelStyle.h"
#include "panel/PanelLayout.h"
#include "platform/Screen.h"

#include <QGraphicsDropShadowEffect>
#include <QPixmap>

#include <utility>

using platform::Image;
using platform::Label;
using platform::Vb;

using namespace panel_style;

bool SetupPanel::eventFilter(QObject *watched, QEvent *event)
{
    // The reset caption lies over the About caption; while it is there the
    // text underneath is not drawn, as an opaque caption would hide it.
    if ((watched == Cleanup2 || watched == m_pages[TabRunExit]) &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        const bool covered = !Cleanup2->isHidden();
        nwxStatusBar2->setStyleSheet(QString::fromLatin1(kCaptionStyle) +
                                     (covered ? QString::fromLatin1(kCoveredCaptionStyle) : QString()));
    }
    // A help text takes its presses for itself; they are clicks on the
    // panel all the same, which put the timer fields' colours back.
    if (event->type() == QEvent::MouseButtonPress && m_helpViewports.contains(watched))
        emit panelClicked();
    return Vb<QWidget>::eventFilter(watched, event);
}

void SetupPanel::connectNavigation()
{
    const struct {
        std::initializer_list<Image *> sources;
        Tab tab;
    } links[] = {
        {{TextTool1, TextTool3, TextTool4, TextTool5, Image3}, TabTools},
        {{LittleTool00, LittleTool30, TextDisplayTimers0, TextDisplayTimers3, IcoSwapSST0},
         TabDisplayTimers},
        {{LittleTool02, LittleTool32, TextPictureSelection0, TextPictureSelection3, IcoSwapSST2},
         TabPictureSelection},
        {{LittleTool03, LittleTool33, TextRunExit0, TextRunExit3, IcoSwapSST3}, TabRunExit},
    };
    for (const auto &l : links) {
        const Tab tab = l.tab;
        for (Image *source : l.sources)
            connect(source, &platform::ClickLabel::clicked, this, [this, tab] { showTab(tab); });
    }
}

void SetupPanel::setCurrentIndex(int tab)
{
    if (tab < 0 || tab >= count())
        return;
    m_current = tab;
    for (int i = 0; i < count(); ++i)
        m_pages[i]->setVisible(i == tab);
    if (m_tabs->currentIndex() != tab)
        m_tabs->setCurrentIndex(tab);
    m_tabs->raise();
    BarSaveAllBG->raise();
    BarSaveAllFG->raise();
}

void SetupPanel::showTab(int tab)
{
    setCurrentIndex(tab);
    emit panelClicked();
}

void SetupPanel::applyPlacement(int tab)
{
    for (const panel_layout::Placement &p : panel_layout::tabPlacements(tab)) {
        QWidget *w = m_pages[tab]->findChild<QWidget *>(QString::fromLatin1(p.name),
                                                         Qt::FindDirectChildrenOnly);
        // Every control of the table exists; the cast covers the Vb kinds in use.
        if (auto *image = qobject_cast<platform::ClickLabel *>(w))
            static_cast<Image *>(image)->Move(p.left, p.top, p.width, p.height);
        else if (auto *label = qobject_cast<QLabel *>(w))
            static_cast<Label *>(label)->Move(p.left, p.top, p.width, p.height);
        else if (auto *edit = qobject_cast<PanelField *>(w))
            static_cast<Vb<PanelField> *>(edit)->Move(p.left, p.top, p.width, p.height);
        else if (auto *list = qobject_cast<SelectionList *>(w))
            static_cast<Vb<SelectionList> *>(list)->Move(p.left, p.top, p.width, p.height);
        else if (auto *help = qobject_cast<HelpBox *>(w))
            static_cast<Vb<HelpBox> *>(help)->Move(p.left, p.top, p.width, p.height);
    }
}

void SetupPanel::LayoutPanelTabs()
{
    hide();
    for (int tab : {TabDisplayTimers, TabPictureSelection, TabRunExit, TabTools}) {
        setCurrentIndex(tab);
        setWidth(kWidth);
        setHeight(kHeight);
        applyPlacement(tab);
    }
    // Backgrounds at the back, the icons' greyed twins under their live ones.
    for (Label *bg : {SfondoDisplayTimer, SfondoPicturSel, SfondoRunExit, SfondoTools})
        bg->lower();
    SSTCfg_cmdConferma->raise();
    SSTCfg_ExitProgram->raise();
    Wait_Ico->raise();
    // The About and reset icons share their place; the reset icon lies on top.
    nwxStatusBar->show();
    Cleanup->show();
    Cleanup->raise();
    Cleanup2->raise();
}

void SetupPanel::resizeEvent(QResizeEvent *event)
{
    Vb<QWidget>::resizeEvent(event);
    const int tabHeight = static_cast<int>(panel_layout::kTabStrip / platform::Screen::twipsPerPixelY());
    for (QWidget *page : m_pages)
        page->setGeometry(rect());
    m_tabs->setGeometry(0, 0, width(), tabHeight);
    m_tabs->raise();
    fitTabStrip();
}

void SetupPanel::setTabText(int tab, const QString &text)
{
    m_tabs->setTabText(tab, text);
    fitTabStrip();
}

void SetupPanel::fitTabStrip()
{
    if (width() <= 0)
        return;
    static constexpr std::pair<int, int> kSteps[] = {{11, 6}, {11, 4}, {10, 4}, {10, 3}, {9, 3}, {9, 2}, {8, 2}};
    for (const auto &[fontPx, padPx] : kSteps) {
        m_tabs->setStyleSheet(tabStyle(fontPx, padPx));
        if (m_tabs->sizeHint().width() <= width())
            return;
    }
}

void SetupPanel::mousePressEvent(QMouseEvent *event)
{
    // Presses that reach the panel come from its surface and pictures; those
    // on a clickable control are that control's own.
    QWidget *hit = childAt(event->position().toPoint());
    if (!qobject_cast<platform::ClickLabel *>(hit))
        emit panelClicked();
    Vb<QWidget>::mousePressEvent(event);
}

void SetupPanel::ShowSaveProgress()
{
    BarSaveAllBG->setWidth(panel_layout::kSaveBarWidth);
    BarSaveAllBG->show();
    BarSaveAllBG->raise();
    BarSaveAllFG->setTop(BarSaveAllBG->Top());
    BarSaveAllFG->setLeft(BarSaveAllBG->Left());
    BarSaveAllFG->show();
    BarSaveAllFG->raise();
    for (int w : panel_layout::saveProgressWidths(BarSaveAllBG->Width())) {
        BarSaveAllFG->setWidth(static_cast<float>(w));
        BarSaveAllFG->repaint();
    }
    BarSaveAllBG->hide();
    BarSaveAllFG->hide();
}

void SetupPanel::SSTCfg_timeDwLoad_Click()
{
    SSTCfg_timeDwLoad->setBackColor(kLightYellow);
    SSTCfg_timeRefresh->setBackColor(kLightBlue);
    txtDisplay->setBackColor(kLightBlue);
    txtDisplay2->setBackColor(kLightBlue);
}

void SetupPanel::SSTCfg_timeRefresh_Click()
{
    SSTCfg_timeRefresh->setBackColor(kLightYellow);
    SSTCfg_timeDwLoad->setBackColor(kLightBlue);
    txtDisplay->setBackColor(kLightBlue);
    txtDisplay2->setBackColor(kLightBlue);
}

void SetupPanel::SSTCfg_timeDwLoad_LostFocus() { SSTCfg_timeDwLoad->setBackColor(kLightBlue); }

void SetupPanel::SSTCfg_timeRefresh_LostFocus() { SSTCfg_timeRefresh->setBackColor(kLightBlue); }

void SetupPanel::SSTCfg_Download_Click()
{
    SSTCfg_timeDwLoad->setFocus();
    SSTCfg_timeDwLoad_Click();
}

void SetupPanel::SSTCfg_Aggiorna_Click()
{
    SSTCfg_timeRefresh->setFocus();
    SSTCfg_timeRefresh_Click();
}

void SetupPanel::ShowCollectionControls()
{
    for (Image *w : {SSTCfg_Loadcnf, SSTCfg_BackUpcnf, SSTCfg_Loadconf, SSTCfg_Backupconf}) {
        w->setEnabled(true);
        w->show();
    }
}
