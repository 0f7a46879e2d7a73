#include "panel/PanelLayout.h"
#include "panel/PanelTestKit.h"

#include <QEvent>

#include <map>
#include <string>

namespace {

struct At {
    const char *name;
    float left, top;
};

// Positions of the window design, panel-relative twips.
const std::map<int, std::vector<At>> kDesign = {
    {SetupPanel::TabDisplayTimers,
     {{"SfondoDisplayTimer", 0, 500}, {"TextTool1", 300, 650}, {"TextDisplayTimers", 3480, 530},
      {"SSTCfg_Download", 3721, 845}, {"SSTCfg_Download2", 3451, 1545},
      {"SSTCfg_timeDwLoad", 4700, 960}, {"TextMinuts", 4700, 1285},
      {"SSTCfg_Aggiorna", 3721, 2345}, {"SSTCfg_Aggiorna2", 3451, 3045},
      {"SSTCfg_timeRefresh", 4700, 2460}, {"textSeconds", 4700, 2785},
      {"dyMode", 3721, 3845}, {"dyMode2", 3451, 4545}, {"txtDisplay", 4700, 3845},
      {"txtDisplay2", 4700, 3845}, {"helpTime", 6084, 845}, {"helpTime2", 5814, 1545},
      {"Box_Help_Display_Timer", 234, 3285}, {"LittleTool00", 117, 910},
      {"TextDisplayTimers0", 740, 1000}, {"LittleTool02", 117, 1820},
      {"TextPictureSelection0", 740, 1880}, {"LittleTool03", 117, 2223}, {"TextRunExit0", 740, 2320}}},
    {SetupPanel::TabPictureSelection,
     {{"SfondoPicturSel", 0, 500}, {"TextTool3", 300, 650}, {"TextPictureSelection", 3480, 530},
      {"Tabella_Mappe_Selezionate", 117, 1170}, {"SSTCfg_FileUser", 338, 3845},
      {"SSTCfg_FileUser2", 68, 4545}, {"SSTCfg_resetUserImg", 1638, 3845},
      {"SSTCfg_resetUserImg2", 1368, 4545}, {"helpImg", 2938, 3845}, {"helpImg2", 2668, 4545},
      {"SSTCfg_BackUpcnf", 4238, 3845}, {"SSTCfg_Backupconf", 3968, 4545},
      {"SSTCfg_Loadcnf", 5538, 3845}, {"SSTCfg_Loadconf", 5268, 4545}, {"Image3", 140, 690}}},
    {SetupPanel::TabRunExit,
     {{"SfondoRunExit", 0, 500}, {"TextTool4", 300, 650}, {"TextRunExit", 3480, 530},
      {"SSTCfg_cmdConferma", 3721, 845}, {"SSTCfg_cmdConferma_BW", 3721, 845},
      {"SSTCfg_cmdConferma2", 3451, 1545}, {"SSTCfg_ExitProgram", 3721, 2345},
      {"SSTCfg_ExitProgram_BW", 3721, 2345}, {"SSTCfg_ExitProgram2", 3451, 3045},
      {"SSTCfg_salvaConfig", 5021, 845}, {"SSTCfg_salvaConfig2", 4751, 1545},
      {"nwxStatusBar", 5021, 2345}, {"nwxStatusBar2", 4751, 3045}, {"Cleanup", 5021, 2345},
      {"Cleanup2", 4751, 3045}, {"helpEsegui", 3721, 3845}, {"helpEsegui2", 3451, 4545},
      {"YourTownIco", 5021, 3845}, {"YourTownLbl", 4751, 4545}, {"Box_Help_Run_Exit", 234, 3285},
      {"LittleTool30", 117, 910}, {"TextDisplayTimers3", 740, 1000}, {"LittleTool32", 117, 1820},
      {"TextPictureSelection3", 740, 1880}, {"LittleTool33", 117, 2223}, {"TextRunExit3", 740, 2320}}},
    {SetupPanel::TabTools,
     {{"SfondoTools", 0, 500}, {"TextTool5", 300, 650}, {"TextTools", 3480, 530},
      {"IcoSwapSST0", 3721, 845}, {"IcoSwapSST02", 3451, 1545}, {"IcoSwapSST2", 3721, 2345},
      {"IcoSwapSST22", 3451, 3045}, {"IcoSwapSST3", 5021, 2345}, {"IcoSwapSST32", 4751, 3045},
      {"RunTeamViewer", 3721, 3845}, {"IcoHelpTools2", 3451, 4545}, {"IcoSwapSST6", 5021, 3845},
      {"LabelLanguage", 4751, 4545}, {"LeftTipText", 234, 1521}}},
};

const char *const kCaptions[] = {
    "SSTCfg_Download2", "SSTCfg_Aggiorna2", "dyMode2", "SSTCfg_FileUser2", "SSTCfg_Loadconf",
    "SSTCfg_cmdConferma2", "Cleanup2", "YourTownLbl", "IcoSwapSST02", "LabelLanguage"};

} // namespace

using Layout = PanelForm;

TEST_F(Layout, EveryControlSitsOnItsTabAtItsDesignPosition)
{
    panel().setCurrentIndex(SetupPanel::TabRunExit);
    panel().show();
    panel().LayoutPanelTabs();
    EXPECT_FALSE(panel().Visible());
    EXPECT_EQ(panel().currentIndex(), SetupPanel::TabTools);
    EXPECT_EQ(panel().Width(), 7095);
    EXPECT_EQ(panel().Height(), 5055);

    const double tpp = platform::Screen::twipsPerPixelX();
    for (const auto &[tab, controls] : kDesign) {
        for (const At &at : controls) {
            auto *w = panel().findChild<QWidget *>(QLatin1String(at.name));
            ASSERT_NE(w, nullptr) << at.name;
            EXPECT_EQ(w->parentWidget(), panel().page(tab)) << at.name << " on the wrong tab";
            const Twips t = twipsOf(w);
            EXPECT_EQ(t.left, at.left) << at.name;
            EXPECT_EQ(t.top, at.top) << at.name;
            // The pixel position follows the twips, the page covering the panel.
            EXPECT_EQ(w->mapTo(&panel(), QPoint(0, 0)),
                      QPoint(qRound(at.left / tpp), qRound(at.top / tpp)))
                << at.name;
        }
    }
    for (const char *name : kCaptions)
        EXPECT_EQ(twipsOf(panel().findChild<QWidget *>(QLatin1String(name))).width, 1200) << name;
    EXPECT_EQ(twipsOf(panel().Tabella_Mappe_Selezionate).height, 1992);
    EXPECT_EQ(twipsOf(panel().SfondoTools).width, 7095);
    EXPECT_EQ(twipsOf(panel().SfondoTools).height, 4555);
}

TEST_F(Layout, OnlyTheCurrentTabIsShown)
{
    for (int tab : {0, 1, 2, 3}) {
        panel().setCurrentIndex(tab);
        for (int other : {0, 1, 2, 3})
            EXPECT_EQ(panel().page(other)->isVisibleTo(&panel()), other == tab);
        EXPECT_EQ(panel().tabBar()->currentIndex(), tab);
    }
    // A click on the tab strip changes the page too.
    panel().tabBar()->setCurrentIndex(SetupPanel::TabDisplayTimers);
    EXPECT_EQ(panel().currentIndex(), SetupPanel::TabDisplayTimers);
    EXPECT_TRUE(panel().page(0)->isVisibleTo(&panel()));
}

TEST(SaveProgress, GoesThroughEightyWidthsUpToTheBackground)
{
    const std::vector<int> widths = panel_layout::saveProgressWidths(2000);
    ASSERT_EQ(widths.size(), 80u);
    EXPECT_EQ(widths.front(), 1);
    EXPECT_EQ(widths[1], 26);
    EXPECT_EQ(widths.back(), 1976);
    // A width with a fraction is cut, not rounded.
    EXPECT_EQ(panel_layout::saveProgressWidths(26.9f).size(), 2u);
    EXPECT_TRUE(panel_layout::saveProgressWidths(0).empty());
}

namespace {
class WidthRecorder : public QObject {
public:
    std::vector<int> widths;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            widths.push_back(static_cast<QResizeEvent *>(event)->size().width());
        return false;
    }
};
} // namespace

TEST_F(Layout, SaveProgressAnimatesTheBarOverThePanelAndHidesIt)
{
    form->show();
    panel().show();
    WidthRecorder recorder;
    panel().BarSaveAllFG->installEventFilter(&recorder);
    panel().ShowSaveProgress();
    EXPECT_FALSE(panel().BarSaveAllBG->Visible());
    EXPECT_FALSE(panel().BarSaveAllFG->Visible());
    EXPECT_EQ(panel().BarSaveAllBG->Width(), 2000);
    EXPECT_EQ(panel().BarSaveAllFG->Left(), panel().BarSaveAllBG->Left());
    EXPECT_EQ(panel().BarSaveAllFG->Top(), panel().BarSaveAllBG->Top());
    EXPECT_EQ(panel().BarSaveAllFG->Width(), 1976);
    // 80 steps of 25 twips: the bar grew visibly, ending at the background's width.
    ASSERT_GE(recorder.widths.size(), 60u);
    EXPECT_EQ(recorder.widths.back(), qRound(1976 / platform::Screen::twipsPerPixelX()));
}
