// The proxy, language and home-town files through their frames, as the user
// answers them.

#include "CatalogueFixture.h"

#include "catalogue/Catalogue.h"
#include "panel/ConnectionFrame.h"
#include "panel/LanguageFrame.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "settings/LanguageFiles.h"
#include "settings/ProxyFiles.h"
#include "settings/TownFiles.h"
#include "core/RunControl.h"
#include "platform/ProcessEnd.h"

using namespace cattest;

namespace {

using SettingsFramesTest = FormTest;

TEST_F(SettingsFramesTest, FirstRunSpanishWritesTwoBytes)
{
    LanguageFrame *frame = form->Frame_Select_Language;
    whenReady([&] { return frame->Visible(); }, [&] { frame->Spanish_04->click(); });
    form->languageFiles->LoadLanguage();
    EXPECT_EQ(portable.read(QStringLiteral("Cirrolith4_Language.dat")), QByteArray(" 4"));
    EXPECT_EQ(form->Lingua, LinguaSpanish);
    EXPECT_FALSE(frame->Visible());
    EXPECT_EQ(frame->Left(), form->SSTCfg->Left() - 250);
    EXPECT_EQ(frame->Top(), form->SSTCfg->Top() - 250);
    EXPECT_EQ(form->helpFile, portable.appDir() + QStringLiteral("/Cirrolith.html"));
}

// Closing the program while the first-run language question is up answers
// none of the questions: no proxy, language or home-town file is made up,
// so the next start asks them all again.
TEST_F(SettingsFramesTest, QuitDuringTheFirstRunQuestionSavesNothing)
{
    whenReady([&] { return form->Frame_Select_Language->Visible(); },
              [] { platform::EventPump::requestQuit(); });
    form->releaseTimers();
    form->generalClock.fire();
    platform::EventPump::resetQuit();
    for (const char *name : {"Cirrolith4_Language.dat", "Cirrolith4_Proxy.dat", "Cirrolith4_Proxy.bak",
                             "Cirrolith4_MyTown.dat"})
        EXPECT_FALSE(portable.exists(QString::fromLatin1(name))) << name;
}

// A reset from the bar while the server is awaited: the connection clock's
// question, due at its next count, does not open inside the reset's message
// boxes (which process events like any modal dialog), and none of the
// reset's files is left behind.
TEST_F(SettingsFramesTest, ResetWhileTheServerIsAwaitedLeavesNoProxyFile)
{
    platform::ProcessEnd::resetForTests();
    TestServer server;
    ASSERT_TRUE(server.start({"--misbehave", "hang,on=probe"}));
    form->catalogueAddress = server.catalogueAddress();
    writeStartFiles();
    form->releaseTimers();
    form->generalClock.setEnabled(true);
    ASSERT_TRUE(pumpUntil([&] { return form->probeState == 1; }));
    form->probeCountdown = 1;   // the question is due at the next tick
    bool askedDuringReset = false;
    dialogs.onShow = [&](const platform::ScriptedDialogs::Shown &) {
        for (int i = 0; i < 20; ++i) {
            platform::EventPump::Sleep(100);
            askedDuringReset = askedDuringReset || form->Frame_Select_Connection->Visible();
        }
    };
    form->runControl->BtCleanup_Click();
    dialogs.onShow = nullptr;
    EXPECT_FALSE(askedDuringReset);
    EXPECT_TRUE(form->ExitToProgram);
    for (const char *name : SettingsFiles::kResetFiles)
        EXPECT_FALSE(portable.exists(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(portable.exists(QStringLiteral("Cirrolith4_MyTown.dat")));
    platform::ProcessEnd::resetForTests();
}

TEST_F(SettingsFramesTest, DamagedLanguageFileAsksAgain)
{
    portable.write(QStringLiteral("Cirrolith4_Language.dat"), " 9");
    LanguageFrame *frame = form->Frame_Select_Language;
    bool asked = false;
    whenReady([&] { return frame->Visible(); }, [&] {
        asked = true;
        frame->French_03->click();
    });
    form->languageFiles->LoadLanguage();
    EXPECT_TRUE(asked);
    EXPECT_EQ(form->Lingua, LinguaFrench);
    EXPECT_EQ(portable.read(QStringLiteral("Cirrolith4_Language.dat")), QByteArray(" 3"));
}

TEST_F(SettingsFramesTest, LanguageIconAsksEvenForTheSameLanguage)
{
    portable.write(QStringLiteral("Cirrolith4_Language.dat"), "1\r\n");
    form->languageFiles->LoadLanguage();
    EXPECT_EQ(form->Lingua, LinguaEnglish);
    LanguageFrame *frame = form->Frame_Select_Language;
    bool noneShown = false;
    whenReady([&] { return frame->Visible(); }, [&] {
        noneShown = form->Lingua == LinguaNotChosen && !frame->English_01->isChecked();
        frame->English_01->click();
    });
    form->languageFiles->ChangeLanguage();
    EXPECT_TRUE(noneShown);
    EXPECT_EQ(form->Lingua, LinguaEnglish);
    EXPECT_EQ(portable.read(QStringLiteral("Cirrolith4_Language.dat")), QByteArray(" 1"));
}

TEST_F(SettingsFramesTest, FirstRunTownFormWaitsForOk)
{
    TownFrame *town = form->FormYourTown;
    bool defaultsShown = false;
    whenReady([&] { return town->Visible(); }, [&] {
        defaultsShown = town->PARAM[1]->text() == "New+York" && town->Farenaith->isChecked();
        town->PARAM[0]->setText(QStringLiteral("  Aosta  "));
        town->Centigradi->click();
        // Other frames and the hint do not end the wait.
        town->CountryHint->click();
        QTimer::singleShot(150, [&] {
            EXPECT_TRUE(form->townFormOpen);
            town->OkYourTown->click();
        });
    });
    form->townFiles->LoadMyTown();
    EXPECT_TRUE(defaultsShown);
    EXPECT_EQ(form->SSTCfg->currentIndex(), SetupPanel::TabTools);
    EXPECT_FALSE(town->Visible());
    EXPECT_FALSE(form->townFormOpen);
    const QByteArray file = portable.read(QStringLiteral("Cirrolith4_MyTown.dat"));
    EXPECT_TRUE(file.startsWith("  Aosta  \r\nNew+York\r\n")) << file.constData();
    EXPECT_TRUE(file.endsWith("OPTION8\r\nC\r\n \r\n \r\n \r\n"));

    form->townFiles->ReadMyTown();
    EXPECT_EQ(town->PARAM[0]->text(), "Aosta");
    EXPECT_TRUE(town->Centigradi->isChecked());
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(SettingsFramesTest, TownUnitAndShortFile)
{
    QByteArray lines;
    for (int i = 0; i < 14; ++i)
        lines += "t" + QByteArray::number(i) + "\r\n";
    TownFrame *town = form->FormYourTown;
    portable.write(QStringLiteral("Cirrolith4_MyTown.dat"), lines + "f\r\n \r\n \r\n \r\n");
    form->townFiles->ReadMyTown();
    EXPECT_TRUE(town->Centigradi->isChecked());
    EXPECT_FALSE(town->Farenaith->isChecked());
    portable.write(QStringLiteral("Cirrolith4_MyTown.dat"), lines + " F \r\n");
    form->townFiles->ReadMyTown();
    EXPECT_TRUE(town->Farenaith->isChecked());
    EXPECT_EQ(town->PARAM[13]->text(), "t13");

    town->PARAM[12]->setText(QStringLiteral("kept"));
    portable.write(QStringLiteral("Cirrolith4_MyTown.dat"), "a\r\n b \r\nc\r\nd\r\n");
    form->townFiles->ReadMyTown();
    EXPECT_EQ(dialogs.texts(), QStringList{"Error FileWown - Cleanup Please"});
    EXPECT_EQ(dialogs.shown()[0].buttons, platform::MsgButtons::OK);
    EXPECT_EQ(town->PARAM[1]->text(), "b");
    EXPECT_EQ(town->PARAM[12]->text(), "kept");
    EXPECT_TRUE(town->Farenaith->isChecked());
}

TEST_F(SettingsFramesTest, ConnectionOptionsKeepTheTypedValues)
{
    ConnectionFrame *f = form->Frame_Select_Connection;
    EXPECT_FALSE(f->Connection_Selected->Visible());
    f->Proxy->click();
    EXPECT_TRUE(form->Proxy_Enabled);
    EXPECT_TRUE(f->Proxy_Address->isEnabled());
    EXPECT_TRUE(f->Connection_Selected->Visible());
    f->Proxy_Address->setText(QStringLiteral("proxy.lan"));
    f->No_Proxy->click();
    EXPECT_FALSE(form->Proxy_Enabled);
    EXPECT_FALSE(f->Proxy_Password->isEnabled());
    EXPECT_EQ(f->Proxy_Address->text(), "proxy.lan");
    EXPECT_EQ(f->Proxy_Password->echoMode(), QLineEdit::Password);
}

TEST_F(SettingsFramesTest, ProxyFilesArePrivateAndTheBackupSurvivesAReset)
{
    ConnectionFrame *f = form->Frame_Select_Connection;
    f->Proxy->click();
    f->Proxy_Address->setText(QStringLiteral("proxy.lan, east "));
    f->Proxy_Port->setText(QStringLiteral("3128"));
    f->Proxy_Username->setText(QStringLiteral("bob"));
    f->Proxy_Password->setText(QStringLiteral("abc"));
    form->proxyFiles->ApplyProxySettings();
    EXPECT_TRUE(form->Wait_Type_Connection);
    const QByteArray file = portable.read(QStringLiteral("Cirrolith4_Proxy.dat"));
    EXPECT_EQ(file, QByteArray("proxy.lan, east \r\n3128\r\nbob\r\n\x9e\x9d\x9c\r\n1\r\n"));
    EXPECT_EQ(portable.read(QStringLiteral("Cirrolith4_Proxy.bak")), file);
    for (const char *name : {"Cirrolith4_Proxy.dat", "Cirrolith4_Proxy.bak"})
        EXPECT_EQ(QFile::permissions(portable.work(QString::fromLatin1(name))),
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                      QFileDevice::WriteUser)
            << name;
    const QNetworkProxy proxy = platform::Transfer::shared().proxy();
    EXPECT_EQ(proxy.type(), QNetworkProxy::HttpProxy);
    EXPECT_EQ(proxy.user(), "bob");
    EXPECT_EQ(proxy.password(), "abc");

    // The reset removes the proxy file; the backup brings the settings back
    // and the user confirms them once.
    form->settings.DeleteConfigFiles();
    ASSERT_FALSE(portable.exists(QStringLiteral("Cirrolith4_Proxy.dat")));
    for (QLineEdit *box : {f->Proxy_Address, f->Proxy_Port, f->Proxy_Username, f->Proxy_Password})
        box->clear();
    f->No_Proxy->click();
    bool restoredWhenAsked = false;
    whenReady([&] { return f->Visible(); }, [&] {
        restoredWhenAsked = f->Proxy->isChecked() && f->Proxy_Password->text() == "abc";
        f->Connection_Selected->click();
    });
    form->proxyFiles->LoadProxySettings();
    EXPECT_TRUE(restoredWhenAsked);
    EXPECT_EQ(f->Proxy_Address->text(), "proxy.lan, east ");
    EXPECT_EQ(portable.read(QStringLiteral("Cirrolith4_Proxy.dat")), file);
    EXPECT_EQ(f->Left(), form->SSTCfg->Left() - 20);
    EXPECT_EQ(f->Top(), form->SSTCfg->Top() + 800);

    // Switching to direct and rewriting loses the typed values.
    whenReady([&] { return f->Visible(); }, [&] {
        f->No_Proxy->click();
        f->Connection_Selected->click();
    });
    f->Connection->click();
    EXPECT_EQ(portable.read(QStringLiteral("Cirrolith4_Proxy.bak")),
              QByteArray("\r\n\r\n\r\n\r\n0\r\n"));
    EXPECT_EQ(platform::Transfer::shared().proxy().type(), QNetworkProxy::NoProxy);
    f->TestReadProxy->click();
    EXPECT_EQ(f->Proxy_Address->text(), "");
    EXPECT_TRUE(f->No_Proxy->isChecked());
}

} // namespace
