// Run commands, quitting, the configuration reset with its restart, and the
// loading progress, on the real main window.
#include "acquisition/SlideSetBuilder.h"
#include "core/RunControl.h"
#include "platform/Transfer.h"
#include "panel/SetupPanel.h"
#include "server/ServerProcess.h"
#include "slideshow/ControlBar.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"
#include "support/ShowFixture.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

using platform::MsgButtons;
using platform::MsgResult;

namespace {

class Run : public ShowFixture {
protected:
    void SetUp() override
    {
        ShowFixture::SetUp();
        // The program's own executable, as far as the restart can tell: a
        // script that leaves a mark.
        marker = portable.root() + "/restarted";
        const QString exe = form->runControl->executablePath();
        writeFile(exe, QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
        QFile::setPermissions(exe, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        portable.write("Cirrolith4_MyTown.dat", "town\r\n");
        portable.write("Cirrolith4_Proxy.dat", "proxy\r\n");
        portable.write("Cirrolith4_Language.dat", "1\r\n");
    }

    bool restarted(int ms) const
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            if (QFile::exists(marker))
                return true;
            QThread::msleep(20);
        }
        return false;
    }

    QString marker;
};

} // namespace

TEST_F(Run, CommandsWaitForAnIdleClock)
{
    QTemporaryDir web;
    writeFile(web.path() + "/c.txt", "http://h.example/x.jpg | 14 | Demo X | C-X-0\n");
    servertest::ServerProcess server;
    ASSERT_TRUE(server.start({"--catalogue", (web.path() + "/c.txt").toStdString()})) << server.stderrText();
    form->catalogueAddress = QStringLiteral("http://127.0.0.1:%1/public/catalogue?").arg(server.port());

    form->flagCmdButton = CmdOpenPanel;
    form->clockStatus = 1;
    form->panControl.fire();
    EXPECT_EQ(form->flagCmdButton, CmdOpenPanel);
    EXPECT_TRUE(form->SSTCfg->isHidden());
    EXPECT_EQ(form->timerflag->text(), "1");

    form->clockStatus = 0;
    form->imgClock.setEnabled(true);
    form->panControl.fire();
    EXPECT_EQ(form->flagCmdButton, CmdPanelOpen);
    EXPECT_FALSE(form->SSTCfg->isHidden());
    EXPECT_EQ(form->SSTCfg->currentIndex(), SetupPanel::TabTools);
    EXPECT_FALSE(form->imgClock.Enabled());
    EXPECT_TRUE(form->panControl.Enabled());
    EXPECT_EQ(form->timerflag->BackColor(), platform::kVbGreen);
    EXPECT_EQ(form->catalogueLoaded, 1);   // the whole catalogue was fetched
    EXPECT_EQ(form->listURL[0], "http://h.example/x.jpg");

    form->panControl.fire();   // panel open: the run buttons become usable
    EXPECT_FALSE(form->SSTCfg->SSTCfg_cmdConferma->isHidden());
    EXPECT_TRUE(form->SSTCfg->SSTCfg_cmdConferma_BW->isHidden());
    EXPECT_EQ(form->SSTCfg->Cleanup2->text(), "Cleanup Configur.");

    form->flagCmdButton = CmdRun;
    form->panControl.fire();
    EXPECT_TRUE(form->imgClock.Enabled());
}

TEST_F(Run, QuitFromTheBarKeepsTheFilesAndTheQuitImageSaves)
{
    portable.write("Cirrolith4_Config.dat", "20\r\n7\r\nNormal\r\n\r\n\r\n");
    const QByteArray list = portable.read("Cirrolith4_Picture_List.dat");
    form->SSTCfg->SSTCfg_timeRefresh->setText("9");
    form->bar->btTermina->click();
    EXPECT_TRUE(form->ExitToProgram);
    EXPECT_TRUE(platform::ProcessEnd::requested());
    EXPECT_FALSE(form->generalClock.Enabled());
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), "20\r\n7\r\nNormal\r\n\r\n\r\n");
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), list);
    EXPECT_FALSE(restarted(300));
}

TEST_F(Run, QuitImageSavesAtTheNextTick)
{
    form->panControl.setEnabled(true);
    form->SSTCfg->SSTCfg_timeRefresh->setText("9");
    form->runControl->UnlockRunButtons();
    form->SSTCfg->SSTCfg_ExitProgram2->click();
    EXPECT_EQ(form->flagCmdButton, CmdSaveAndClose);
    EXPECT_FALSE(form->ExitToProgram);
    form->panControl.fire();
    EXPECT_TRUE(form->ExitToProgram);
    EXPECT_TRUE(platform::ProcessEnd::requested());
    EXPECT_TRUE(portable.read("Cirrolith4_Config.dat").startsWith("15\r\n9\r\n"));
    EXPECT_FALSE(form->panControl.Enabled());
    EXPECT_FALSE(form->slideshow->fotoBrowser->picture());
    EXPECT_FALSE(restarted(300));
}

// While a build holds the slideshow clock the run control cannot act: the
// panel's exit does not wait for it.
TEST_F(Run, QuitImageSavesAtOnceWhileTheClockIsBusy)
{
    form->panControl.setEnabled(true);
    form->clockStatus = 1;
    form->SSTCfg->SSTCfg_timeRefresh->setText("9");
    form->runControl->UnlockRunButtons();
    form->SSTCfg->SSTCfg_ExitProgram2->click();
    EXPECT_TRUE(form->ExitToProgram);
    EXPECT_TRUE(platform::ProcessEnd::requested());
    EXPECT_TRUE(portable.read("Cirrolith4_Config.dat").startsWith("15\r\n9\r\n"));
}

// The panel's exit clicked while a handler waits on a download the server
// never sends: the run control ticks inside that wait, saves, and the end of
// the program makes the download give up at once.
TEST_F(Run, PanelExitDuringAPendingDownloadSavesAndEnds)
{
    QTemporaryDir web;
    writeFile(web.path() + "/c.txt", "http://h.example/x.jpg | 14 | Demo X | C-X-0\n");
    writeFile(web.path() + "/big.jpg", "x");
    servertest::ServerProcess server;
    ASSERT_TRUE(server.start({"--catalogue", (web.path() + "/c.txt").toStdString(), "--webroot",
                              web.path().toStdString(), "--misbehave", "hang,on=files"}))
        << server.stderrText();

    platform::Clock::setSpeed(1);
    form->flagCmdButton = CmdPanelOpen;
    form->SSTCfg->show();
    form->SSTCfg->SSTCfg_timeRefresh->setText("9");
    form->panControl.setEnabled(true);
    QTimer::singleShot(300, [this] {
        form->runControl->UnlockRunButtons();
        form->SSTCfg->SSTCfg_ExitProgram->click();
    });
    QElapsedTimer took;
    took.start();
    const QString target = form->Cirrolith_Work_Dir + "/preview.jpg";
    EXPECT_FALSE(platform::DownloadFile(
        QStringLiteral("http://127.0.0.1:%1/big.jpg").arg(server.port()), target));
    EXPECT_LT(took.elapsed(), 3000);
    EXPECT_TRUE(platform::ProcessEnd::requested());
    EXPECT_TRUE(form->ExitToProgram);
    EXPECT_TRUE(portable.read("Cirrolith4_Config.dat").startsWith("15\r\n9\r\n"));
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(Run, ResetFromThePanelDeletesTheSettingsAndRestarts)
{
    form->Lingua = LinguaItalian;
    form->runControl->UnlockRunButtons();   // as while the panel is open
    form->SSTCfg->Cleanup->click();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].text, "ALL CONFIGURATIONS WILL BE DELETED AND APP. RESTARTED,\r\nARE YOU SURE ?");
    EXPECT_EQ(dialogs.shown()[0].title, "Test message");
    EXPECT_EQ(dialogs.shown()[0].buttons, MsgButtons::OKCancel);
    EXPECT_EQ(dialogs.shown()[1].text, QString::fromUtf8("La configurazione è stata azzerata. Click per riavviare"));
    EXPECT_EQ(dialogs.shown()[1].title, "Attenzione!");
    for (const char *gone : {"Cirrolith4_Picture_List.dat", "Cirrolith4_Config.dat", "Cirrolith4_Proxy.dat",
                             "Cirrolith4_Language.dat"})
        EXPECT_FALSE(portable.exists(gone)) << gone;
    EXPECT_TRUE(portable.exists("Cirrolith4_MyTown.dat"));
    EXPECT_TRUE(form->restartPending);

    form->panControl.fire();   // closes without saving and starts again
    EXPECT_TRUE(form->ExitToProgram);
    EXPECT_FALSE(portable.exists("Cirrolith4_Config.dat"));
    EXPECT_TRUE(restarted(5000));
}

TEST_F(Run, CancelledResetChangesNothing)
{
    const QByteArray config = portable.read("Cirrolith4_Config.dat");
    dialogs.answer(MsgResult::Cancel);
    form->runControl->UnlockRunButtons();
    form->SSTCfg->Cleanup2->click();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[1].text, "CLEANUP ABORTED");
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), config);
    EXPECT_FALSE(form->restartPending);
    EXPECT_EQ(form->flagCmdButton, CmdRun);
}

TEST_F(Run, ResetFromTheBarClosesWithoutRestart)
{
    form->bar->BtCleanup->show();
    form->bar->BtCleanup->click();
    EXPECT_TRUE(form->ExitToProgram);
    EXPECT_FALSE(portable.exists("Cirrolith4_Config.dat"));
    EXPECT_FALSE(restarted(500));
}

TEST_F(Run, LoadingProgressAndTheStartUpChain)
{
    form->utilityTmr.fire();   // the start-up logo
    EXPECT_EQ(form->firstLaunch, 1);
    EXPECT_EQ(form->slideshow->fotoBrowser->picture(), form->slides->logoPicture());
    EXPECT_TRUE(form->utilityTmr.Enabled());
    EXPECT_EQ(form->utilityTmr.Interval(), 1000);
    EXPECT_FALSE(form->panControl.Enabled());

    form->Lingua = LinguaEnglish;
    form->webLoading = 1;
    form->slideCount = 3;
    form->slideTotal = 12;
    form->lCountDown->hide();
    form->bar->BtCleanup->show();
    form->utilityTmr.fire();   // starts the run control, paints the progress
    EXPECT_EQ(form->firstLaunch, 2);
    EXPECT_TRUE(form->panControl.Enabled());
    EXPECT_EQ(form->timerflag->BackColor(), platform::kVbGreen);
    EXPECT_EQ(form->lCountDown->text(), "Loading Pictures from WEB... 3 of 12");
    EXPECT_FALSE(form->lCountDown->isHidden());
    EXPECT_TRUE(form->bar->btSetup->isHidden());
    EXPECT_TRUE(form->bar->BtCleanup->isHidden());

    // A page capture keeps the label where it is, but the count goes on.
    form->Http2BmpRunning = true;
    form->lCountDown->hide();
    form->slideCount = 4;
    form->utilityTmr.fire();
    EXPECT_TRUE(form->lCountDown->isHidden());
    EXPECT_EQ(form->lCountDown->text(), "Loading Pictures from WEB... 4 of 12");

    // Not loading: nothing painted, the clean-up button still hidden.
    form->webLoading = 0;
    form->slideCount = 5;
    form->bar->BtCleanup->show();
    form->utilityTmr.fire();
    EXPECT_EQ(form->lCountDown->text(), "Loading Pictures from WEB... 4 of 12");
    EXPECT_TRUE(form->bar->BtCleanup->isHidden());
}
