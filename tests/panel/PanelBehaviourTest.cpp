#include "panel/PanelActions.h"
#include "panel/PanelTestKit.h"
#include "settings/ConfigFile.h"
#include "settings/TownFiles.h"
#include "slideshow/ControlBar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

using platform::MsgButtons;

namespace {

constexpr int kYellow = 0x80FFFF;   // red 255, green 255, blue 128
constexpr int kBlue = 0xE6937D;     // red 125, green 147, blue 230

void press(QWidget *w)
{
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(3, 3), w->mapToGlobal(QPointF(3, 3)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
}

void type(QWidget *w, int key, const QString &text)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &event);
}

} // namespace

using Panel = PanelForm;

TEST_F(Panel, EveryLinkLeadsToItsTab)
{
    const struct {
        std::vector<platform::Image *> links;
        int tab;
    } routes[] = {
        {{panel().TextTool1, panel().TextTool3, panel().TextTool4, panel().TextTool5, panel().Image3},
         SetupPanel::TabTools},
        {{panel().LittleTool00, panel().LittleTool30, panel().TextDisplayTimers0,
          panel().TextDisplayTimers3, panel().IcoSwapSST0, panel().IcoSwapSST02},
         SetupPanel::TabDisplayTimers},
        {{panel().LittleTool02, panel().LittleTool32, panel().TextPictureSelection0,
          panel().TextPictureSelection3, panel().IcoSwapSST2, panel().IcoSwapSST22},
         SetupPanel::TabPictureSelection},
        {{panel().LittleTool03, panel().LittleTool33, panel().TextRunExit0, panel().TextRunExit3,
          panel().IcoSwapSST3, panel().IcoSwapSST32},
         SetupPanel::TabRunExit},
    };
    for (const auto &route : routes) {
        for (platform::Image *link : route.links) {
            // Start from a tab the link does not lead to.
            panel().setCurrentIndex((route.tab + 1) % 4);
            link->click();
            EXPECT_EQ(panel().currentIndex(), route.tab) << link->objectName().toStdString();
        }
    }
}

TEST_F(Panel, TimerFieldsAreMarkedWhileEditedAndReleasedByAClickOnThePanel)
{
    SetupPanel &p = panel();
    press(p.SSTCfg_timeRefresh);
    EXPECT_EQ(p.SSTCfg_timeRefresh->BackColor(), kYellow);
    EXPECT_EQ(p.SSTCfg_timeDwLoad->BackColor(), kBlue);
    EXPECT_EQ(p.txtDisplay->BackColor(), kBlue);
    EXPECT_EQ(p.txtDisplay2->BackColor(), kBlue);

    p.txtDisplay2->setBackColor(kYellow);   // as a mode change leaves it
    press(p.SSTCfg_timeDwLoad);
    EXPECT_EQ(p.SSTCfg_timeDwLoad->BackColor(), kYellow);
    EXPECT_EQ(p.SSTCfg_timeRefresh->BackColor(), kBlue);
    EXPECT_EQ(p.txtDisplay2->BackColor(), kBlue);

    // A click on the panel's surface runs the fields' leave handlers.
    p.SSTCfg_timeRefresh->setBackColor(kYellow);
    press(p.SfondoDisplayTimer);
    EXPECT_EQ(p.SSTCfg_timeDwLoad->BackColor(), kBlue);
    EXPECT_EQ(p.SSTCfg_timeRefresh->BackColor(), kBlue);
    // So does a click into a help text, which takes the press for itself.
    p.SSTCfg_timeRefresh->setBackColor(kYellow);
    press(p.Box_Help_Display_Timer->viewport());
    EXPECT_EQ(p.SSTCfg_timeRefresh->BackColor(), kBlue);

    // The icons mark their field as a click on it would.
    p.SSTCfg_Aggiorna2->click();
    EXPECT_EQ(p.SSTCfg_timeRefresh->BackColor(), kYellow);
    p.SSTCfg_Download->click();
    EXPECT_EQ(p.SSTCfg_timeDwLoad->BackColor(), kYellow);
    EXPECT_EQ(p.SSTCfg_timeRefresh->BackColor(), kBlue);
}

TEST_F(Panel, TypingIntoATimerFieldMarksTheSettingsChangedWithoutFilteringTheKey)
{
    SetupPanel &p = panel();
    form->settingsChanged = 0;
    type(p.SSTCfg_timeRefresh, Qt::Key_Shift, QString());
    EXPECT_EQ(form->settingsChanged, 0) << "a key that types nothing";
    p.SSTCfg_timeRefresh->setText(QString());
    type(p.SSTCfg_timeRefresh, Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(form->settingsChanged, 1);
    EXPECT_EQ(p.SSTCfg_timeRefresh->text(), "x");

    form->settingsChanged = 0;
    type(p.SSTCfg_timeDwLoad, Qt::Key_7, QStringLiteral("7"));
    EXPECT_EQ(form->settingsChanged, 1);
}

TEST_F(Panel, TheSaveIconFollowsTheChangedFlagOnEveryClickOnThePanel)
{
    SetupPanel &p = panel();
    form->settingsChanged = 1;   // as opening the panel leaves it
    p.tabBar()->tabBarClicked(SetupPanel::TabRunExit);
    EXPECT_TRUE(p.SSTCfg_salvaConfig->Enabled());
    EXPECT_TRUE(p.SSTCfg_salvaConfig2->Enabled());
    EXPECT_TRUE(p.SSTCfg_Loadcnf->Visible());
    EXPECT_TRUE(p.SSTCfg_Backupconf->Enabled());

    form->settingsChanged = 0;
    press(p.SfondoRunExit);
    EXPECT_FALSE(p.SSTCfg_salvaConfig->Enabled());
    EXPECT_FALSE(p.SSTCfg_salvaConfig2->Enabled());
}

TEST_F(Panel, SavingWritesTheFieldsAndClearsTheChangedFlag)
{
    SetupPanel &p = panel();
    p.SSTCfg_timeDwLoad->setText(QStringLiteral("30"));
    p.SSTCfg_timeRefresh->setText(QStringLiteral("9"));
    form->settingsChanged = 1;
    p.SSTCfg_salvaConfig2->click();
    EXPECT_EQ(read(work(kConfigFileName)), QByteArray("30\r\n9\r\nFull_Screen\r\n\r\n\r\n"));
    EXPECT_EQ(form->settingsChanged, 0);
    EXPECT_FALSE(p.BarSaveAllFG->Visible());
}

TEST_F(Panel, ClearingTheListUnselectsEveryLineAndKeepsThem)
{
    fillCatalogue({"SAT Europe", "RADAR Alps", "CHART Atlantic"});
    select({0, 2});
    form->settingsChanged = 0;
    panel().Label11->click();
    EXPECT_TRUE(selectedRows().isEmpty());
    EXPECT_EQ(panel().Tabella_Mappe_Selezionate->count(), 3);
    EXPECT_EQ(form->settingsChanged, 0);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "List cleaned - please select min. 2 pictures or load collection");
    EXPECT_EQ(dialogs.shown()[0].buttons, MsgButtons::OK);

    // Nothing selected: the message all the same, Italian only for Italian.
    for (std::int16_t lingua : {2, 3}) {
        dialogs.clear();
        form->Lingua = lingua;
        panel().Image1->click();
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].text,
                  lingua == 2 ? "Lista cancellata - prego selezionare minimo 2 immagini o caricare una collection"
                              : "List cleaned - please select min. 2 pictures or load collection");
    }
}

TEST_F(Panel, APressOnTheListMarksTheSettingsChanged)
{
    fillCatalogue({"SAT Europe", "RADAR Alps"});
    form->settingsChanged = 0;
    press(panel().Tabella_Mappe_Selezionate->viewport());
    press(panel().Tabella_Mappe_Selezionate);
    EXPECT_EQ(form->settingsChanged, 1);
}

TEST_F(Panel, TheOwnPictureIsChosenAfterTheHintKeptOnCancelAndForgotten)
{
    SetupPanel &p = panel();
    dialogs.answerFile(QStringLiteral("/home/me/pictures/Mont Blanc.png"));
    form->settingsChanged = 0;
    p.SSTCfg_FileUser2->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text,
              QStringLiteral("You can add up 9 .jpg own pictures.\r\nPut files in folder ") +
                  form->Cirrolith_Slide_Dir);
    ASSERT_EQ(dialogs.fileRequests().size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests()[0].filterPatterns.isEmpty());
    EXPECT_EQ(form->ownPictureFile, "/home/me/pictures/Mont Blanc.png");
    EXPECT_EQ(p.SSTCfg_LblinserisciImg->text(), form->ownPictureFile);
    EXPECT_EQ(form->settingsChanged, 1);

    // Cancelling keeps what was chosen: shown, saved and used agree.
    form->settingsChanged = 0;
    dialogs.clear();
    form->Lingua = 2;
    p.SSTCfg_FileUser->click();
    EXPECT_EQ(dialogs.shown()[0].text,
              QStringLiteral("Puoi aggiungere fino a 9 altre immagini personali .jpg\r\nCopiale nella cartella ") +
                  form->Cirrolith_Slide_Dir);
    EXPECT_EQ(form->ownPictureFile, "/home/me/pictures/Mont Blanc.png");
    EXPECT_EQ(p.SSTCfg_LblinserisciImg->text(), form->ownPictureFile);
    EXPECT_EQ(form->settingsChanged, 0);
    form->settings.SaveConfig();
    EXPECT_TRUE(read(work(kConfigFileName)).contains("/home/me/pictures/Mont Blanc.png\r\n"));

    p.SSTCfg_resetUserImg2->click();
    EXPECT_EQ(form->ownPictureFile, "");
    EXPECT_EQ(p.SSTCfg_LblinserisciImg->text(), "");
    EXPECT_EQ(form->settingsChanged, 1);
    form->settings.SaveConfig();
    EXPECT_FALSE(read(work(kConfigFileName)).contains("Mont Blanc"));
}

TEST_F(Panel, TheSetupButtonAsksForThePanelOnlyBetweenTicks)
{
    // The home-town file is there, so the button does not ask for the town.
    form->townFiles->WriteDefaultTown();
    form->Lingua = 3;
    panel().SSTCfg_Loadcnf->hide();
    form->clockStatus = 1;
    form->flagCmdButton = CmdRun;
    form->bar->btSetup->click();
    EXPECT_EQ(form->flagCmdButton, CmdRun);
    EXPECT_TRUE(form->bar->btSetup->isEnabled());
    // The help texts and the collection icons are set all the same.
    EXPECT_TRUE(panel().Box_Help_Run_Exit->text().startsWith(QString::fromUtf8("DÉMARRER ARRÊTER:")));
    EXPECT_TRUE(panel().SSTCfg_Loadcnf->Visible());

    form->clockStatus = 0;
    form->bar->btSetup->click();
    EXPECT_EQ(form->flagCmdButton, CmdOpenPanel);
    EXPECT_FALSE(form->bar->btSetup->isEnabled());
    EXPECT_FALSE(form->whoWeAre->isEnabled());
}
