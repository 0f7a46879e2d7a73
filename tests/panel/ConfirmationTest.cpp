#include "panel/PanelActions.h"
#include "panel/PanelTestKit.h"
#include "platform/EventPump.h"
#include "server/ServerProcess.h"
#include "settings/ConfigFile.h"
#include "slideshow/ControlBar.h"

using platform::MsgIcon;

namespace {

// The panel open over a stopped show, talking to the reference catalogue
// server. The pictures' host refuses connections: failed downloads get their
// placeholder and the build goes on, which is all these tests need.
class Confirmation : public PanelForm {
protected:
    void startServer(std::vector<std::string> extra = {})
    {
        const QString catalogue = root.path() + QStringLiteral("/catalogue.txt");
        QFile f(catalogue);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("@message Storm warning for the Alps\n"
                "http://127.0.0.1:1/a.jpg | 14 | SAT Europe | X-Sat-0\n"
                "http://127.0.0.1:1/b.jpg | 1 | RADAR Alps | X-Radar-0\n");
        f.close();
        std::vector<std::string> args{"--catalogue", catalogue.toStdString()};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(server.start(args)) << server.stderrText();
        form->catalogueAddress =
            QStringLiteral("http://127.0.0.1:%1/public/catalogue?").arg(server.port());

        form->listURL[0] = QStringLiteral("http://127.0.0.1:1/a.jpg");
        form->listURL[1] = QStringLiteral("http://127.0.0.1:1/b.jpg");
        form->listURLcomment[0] = QStringLiteral("SAT Europe");
        form->listURLcomment[1] = QStringLiteral("RADAR Alps");
        form->listIdUrl[0] = 14;
        form->listIdUrl[1] = 1;
        form->settings.ReadPictureList();
        form->flagCmdButton = CmdPanelOpen;
        form->settingsChanged = 1;
        form->ranVal = 0;
        form->show();
        panel().show();
    }

    void TearDown() override
    {
        form->utilityTmr.setEnabled(false);
        server.stop();
        PanelForm::TearDown();
    }

    void confirm() { panel().SSTCfg_cmdConferma2->click(); }

    servertest::ServerProcess server;
};

} // namespace

TEST_F(Confirmation, SavesClosesThePanelAndRestartsTheShowWithTheNewSelection)
{
    startServer();
    panel().Tabella_Mappe_Selezionate->clearSelection();
    select({1});
    panel().SSTCfg_timeDwLoad->setText(QStringLiteral("20"));
    panel().SSTCfg_timeRefresh->setText(QStringLiteral("6"));
    confirm();

    EXPECT_EQ(read(work(kConfigFileName)), QByteArray("20\r\n6\r\nFull_Screen\r\n\r\n\r\n"));
    EXPECT_EQ(read(form->settings.pictureListPath()), QByteArray("1\r\n1\r\n\r\n\r\n"));
    EXPECT_FALSE(panel().Visible());
    EXPECT_FALSE(form->lVersion->Visible());
    EXPECT_EQ(form->flagCmdButton, CmdRun);
    EXPECT_EQ(form->webLoading, 0);
    EXPECT_TRUE(form->utilityTmr.Enabled());
    EXPECT_GE(form->ranVal, 1);
    EXPECT_LE(form->ranVal, 1440);
    EXPECT_EQ(form->serverMessage, "Storm warning for the Alps");
    EXPECT_TRUE(form->listImageSELECTED[0].endsWith("b.jpg"));
    EXPECT_TRUE(form->listImageSELECTED[1].isEmpty());
    EXPECT_EQ(form->settingsChanged, 0);
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.texts().join('|').toStdString();
}

TEST_F(Confirmation, ConfirmingWithoutChangesStillSavesAndDrawsANewRefreshDelay)
{
    startServer();
    select({0});
    form->settingsChanged = 0;
    QFile::remove(work(kConfigFileName));
    confirm();
    EXPECT_EQ(read(work(kConfigFileName)), QByteArray("15\r\n4\r\nFull_Screen\r\n\r\n\r\n"));
    EXPECT_GE(form->ranVal, 1);
    EXPECT_EQ(form->flagCmdButton, CmdRun);
}

TEST_F(Confirmation, ARefusedServerMessageDeletesTheSettingsAndStops)
{
    startServer({"--misbehave", "err,on=message"});
    select({0});
    confirm();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "U ERR");
    EXPECT_EQ(dialogs.shown()[0].title, "Error!");
    EXPECT_EQ(dialogs.shown()[0].icon, MsgIcon::Critical);
    EXPECT_FALSE(QFile::exists(work(kConfigFileName)));
    EXPECT_FALSE(QFile::exists(form->settings.pictureListPath()));
    EXPECT_EQ(form->flagCmdButton, CmdSaveAndClose);
}

TEST_F(Confirmation, NothingSelectedOffersTheSetupButtonAgain)
{
    startServer();
    form->Lingua = 1;
    panel().Tabella_Mappe_Selezionate->clearSelection();
    confirm();
    // The builder's own message, then the panel is opened again by it.
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(form->flagCmdButton, CmdPanelOpen);
    EXPECT_EQ(form->webLoading, 0);
    EXPECT_FALSE(form->lCountDown->Visible());
    EXPECT_FALSE(form->bar->btWait->Visible());
    EXPECT_TRUE(form->bar->btSetup->Visible());
    EXPECT_EQ(form->bar->btHelp->Visible(), form->bar->btSetup->Visible());
    EXPECT_TRUE(panel().Visible());
}
