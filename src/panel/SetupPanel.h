#pragma once

#include "panel/PanelControls.h"
#include "platform/Controls.h"

#include <QTabBar>
#include <QWidget>

#include <array>

// The configuration panel: a tab control shown over the slideshow. Its
// controls carry the running settings (timers, display mode, own picture,
// selection), so they exist for the whole run, shown or not.
//
// Every page covers the whole panel, so a control's twips position is the
// panel-relative position of the window design; the tab strip lies on top of
// the pages' empty upper band.
//
// A caption label forwards its clicks to its icon, so handlers connect to the
// icon only. The captions of the run buttons (SSTCfg_cmdConferma2,
// SSTCfg_ExitProgram2, SSTCfg_salvaConfig2, Cleanup2) are enabled apart from
// their icons and carry their own handlers.
class SetupPanel : public platform::Vb<QWidget> {
    Q_OBJECT
public:
    enum Tab { TabDisplayTimers = 0, TabPictureSelection = 1, TabRunExit = 2, TabTools = 3 };

    static constexpr float kWidth = 7095;
    static constexpr float kHeight = 5055;
    // Field colours: the one being edited, and the timer fields at rest.
    static constexpr int kLightYellow = platform::vbRGB(255, 255, 128);
    static constexpr int kLightBlue = platform::vbRGB(125, 147, 230);

    explicit SetupPanel(QWidget *parent);

    // The tab control.
    int count() const { return static_cast<int>(m_pages.size()); }
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int tab);
    QString tabText(int tab) const { return m_tabs->tabText(tab); }
    void setTabText(int tab, const QString &text);
    QWidget *page(int tab) const { return m_pages.at(tab); }
    QTabBar *tabBar() const { return m_tabs; }

    // Places the controls of every tab, each tab made current in turn, and
    // leaves the Tools tab current. The panel is hidden afterwards.
    void LayoutPanelTabs();
    // A link was followed: show that tab; a change of tab is a click on the panel.
    void showTab(int tab);
    void ShowSaveProgress();

    // Colour marking of the timer fields.
    void SSTCfg_timeDwLoad_Click();
    void SSTCfg_timeRefresh_Click();
    void SSTCfg_timeDwLoad_LostFocus();
    void SSTCfg_timeRefresh_LostFocus();
    void SSTCfg_Download_Click();
    void SSTCfg_Aggiorna_Click();

    // Shows and enables the collection icons and their captions.
    void ShowCollectionControls();

    // Display Timers
    platform::Label *SfondoDisplayTimer;
    platform::Label *TextDisplayTimers;
    platform::Image *TextTool1;
    platform::Image *SSTCfg_Download;
    platform::Image *SSTCfg_Download2;
    platform::Vb<PanelField> *SSTCfg_timeDwLoad;
    platform::Label *TextMinuts;
    platform::Image *SSTCfg_Aggiorna;
    platform::Image *SSTCfg_Aggiorna2;
    platform::Vb<PanelField> *SSTCfg_timeRefresh;
    platform::Label *textSeconds;
    platform::Image *dyMode;
    platform::Image *dyMode2;
    platform::Vb<PanelField> *txtDisplay;    // hidden: the stored mode
    platform::Vb<PanelField> *txtDisplay2;   // the mode's name in the user's language
    platform::Image *helpTime;
    platform::Image *helpTime2;
    platform::Vb<HelpBox> *Box_Help_Display_Timer;
    platform::Image *LittleTool00;
    platform::Image *LittleTool02;
    platform::Image *LittleTool03;
    platform::Image *TextDisplayTimers0;
    platform::Image *TextPictureSelection0;
    platform::Image *TextRunExit0;

    // Pictures Selection
    platform::Label *SfondoPicturSel;
    platform::Label *TextPictureSelection;
    platform::Image *TextTool3;
    platform::Image *Image3;
    platform::Image *Image1;
    platform::Image *Label11;
    platform::Vb<SelectionList> *Tabella_Mappe_Selezionate;
    platform::Label *SSTCfg_LblinserisciImg;
    platform::Image *SSTCfg_FileUser;
    platform::Image *SSTCfg_FileUser2;
    platform::Image *SSTCfg_resetUserImg;
    platform::Image *SSTCfg_resetUserImg2;
    platform::Image *helpImg;
    platform::Image *helpImg2;
    platform::Image *SSTCfg_BackUpcnf;
    platform::Image *SSTCfg_Backupconf;
    platform::Image *SSTCfg_Loadcnf;
    platform::Image *SSTCfg_Loadconf;
    platform::Image *Wait_Ico;
    // Captions of the window design that no tab shows.
    platform::Label *TextTool2;
    platform::Label *TextDisplayTimers1;
    platform::Label *TextPictureSelection1;
    platform::Label *TextRunExit1;

    // Run - Exit
    platform::Label *SfondoRunExit;
    platform::Label *TextRunExit;
    platform::Image *TextTool4;
    platform::Image *SSTCfg_cmdConferma;
    platform::Image *SSTCfg_cmdConferma_BW;
    platform::Image *SSTCfg_cmdConferma2;
    platform::Image *SSTCfg_ExitProgram;
    platform::Image *SSTCfg_ExitProgram_BW;
    platform::Image *SSTCfg_ExitProgram2;
    platform::Image *SSTCfg_salvaConfig;
    platform::Image *SSTCfg_salvaConfig2;
    platform::Image *nwxStatusBar;
    platform::Image *nwxStatusBar2;
    platform::Image *Cleanup;
    platform::Image *Cleanup2;
    platform::Image *helpEsegui;
    platform::Image *helpEsegui2;
    platform::Image *YourTownIco;
    platform::Image *YourTownLbl;
    platform::Vb<HelpBox> *Box_Help_Run_Exit;
    platform::Image *LittleTool30;
    platform::Image *LittleTool32;
    platform::Image *LittleTool33;
    platform::Image *TextDisplayTimers3;
    platform::Image *TextPictureSelection3;
    platform::Image *TextRunExit3;

    // Tools
    platform::Label *SfondoTools;
    platform::Label *TextTools;
    platform::Image *TextTool5;
    platform::Image *IcoSwapSST0;
    platform::Image *IcoSwapSST02;
    platform::Image *IcoSwapSST2;
    platform::Image *IcoSwapSST22;
    platform::Image *IcoSwapSST3;
    platform::Image *IcoSwapSST32;
    platform::Image *RunTeamViewer;
    platform::Image *IcoHelpTools2;
    platform::Image *IcoSwapSST6;
    platform::Image *LabelLanguage;
    platform::Vb<HelpBox> *LeftTipText;

    // The save-progress bar, over every tab.
    platform::Label *BarSaveAllBG;
    platform::Label *BarSaveAllFG;

signals:
    // Any click on the panel itself, a change of tab included.
    void panelClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QList<QObject *> m_helpViewports;   // the help texts' surfaces
    // Picks the largest tab font and padding with which the four tabs fit
    // the panel's width, so the strip never needs scroll arrows.
    void fitTabStrip();
    void connectNavigation();
    void applyPlacement(int tab);

    QTabBar *m_tabs;
    std::array<QWidget *, 4> m_pages{};
    int m_current = TabTools;
};
