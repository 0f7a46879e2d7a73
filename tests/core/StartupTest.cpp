#include "core/FormPicture.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "platform/DialogService.h"
#include "platform/Screen.h"
#include "settings/ConfigFile.h"
#include "support/TempPortable.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using platform::MsgButtons;
using platform::ScriptedDialogs;

namespace {

const QByteArray kDefaultConfig("15\r\n4\r\nFull_Screen\r\n\r\n\r\n");
const QByteArray kDefaultList("0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n\r\n\r\n");

class Startup : public ::testing::Test {
protected:
    void SetUp() override { platform::Screen::override(19200, 10800, 96); }
    void TearDown() override { platform::Screen::clearOverride(); }

    std::unique_ptr<FormPicture> start(const QString &commandLine = QString())
    {
        auto form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), commandLine});
        loaded = form->Form_Load();
        return form;
    }

    TempPortable portable;
    ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    bool loaded = false;
};

} // namespace

TEST_F(Startup, FirstRunWritesTheDefaultsAndTheSecondReadsThem)
{
    auto form = start();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(portable.read(kConfigFileName), kDefaultConfig);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), kDefaultList);
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.texts().join('|').toStdString();
    EXPECT_TRUE(form->configValid);
    EXPECT_EQ(form->displayMode, 1);
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "15");
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->text(), "4");
    EXPECT_TRUE(form->generalClock.Enabled());
    EXPECT_FALSE(form->imgClock.Enabled());
    EXPECT_FALSE(form->panControl.Enabled());
    EXPECT_FALSE(form->utilityTmr.Enabled());
    EXPECT_EQ(form->timerflag->BackColor(), 255);
    EXPECT_EQ(form->Lingua, 999);
    EXPECT_EQ(form->timerClockSave, 500);
    EXPECT_EQ(form->SSTCfg->currentIndex(), SetupPanel::TabTools);
    for (const char *dir : {"Cirrolith_Work", "Cirrolith_SlideShow", "Cirrolith_Collections"})
        EXPECT_TRUE(QFileInfo(portable.root() + "/Data/" + dir).isDir()) << dir;
    form.reset();

    const auto before = QFileInfo(portable.work(kConfigFileName)).lastModified();
    form = start();
    EXPECT_EQ(portable.read(kConfigFileName), kDefaultConfig);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), kDefaultList);
    EXPECT_EQ(QFileInfo(portable.work(kConfigFileName)).lastModified(), before);
}

TEST_F(Startup, StoredValuesComeBackAsTyped)
{
    portable.write(kConfigFileName, "15.5\r\n 7\r\nNormal\r\n/home/me/Mont Blanc.jpg\r\n\r\n\r\n");
    portable.write("Cirrolith4_Picture_List.dat", "5\r\n33\r\n\r\n\r\n");
    auto form = start();
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "15.5");
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->text(), " 7");
    EXPECT_EQ(form->displayMode, 0);
    EXPECT_EQ(form->SSTCfg->txtDisplay->text(), "Normal");
    EXPECT_EQ(form->ownPictureFile, "/home/me/Mont Blanc.jpg");
    EXPECT_EQ(form->SSTCfg->SSTCfg_LblinserisciImg->text(), "/home/me/Mont Blanc.jpg");

    // A mode written in another case is not the full-screen mode.
    form.reset();
    portable.write(kConfigFileName, "20\r\n4\r\nfull_screen\r\n\r\n\r\n");
    form = start();
    EXPECT_EQ(form->displayMode, 0);
    EXPECT_EQ(form->SSTCfg->txtDisplay->text(), "Normal");
}

TEST_F(Startup, DamagedFilesBringBackAFirstRun)
{
    // A picture list without a first entry takes the configuration with it.
    portable.write(kConfigFileName, "30\r\n9\r\nNormal\r\n\r\n\r\n");
    portable.write("Cirrolith4_Picture_List.dat", "\r\n\r\n");
    portable.write("Cirrolith4_Language.dat", " 2");
    auto form = start();
    EXPECT_EQ(portable.read(kConfigFileName), kDefaultConfig);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), kDefaultList);
    form.reset();

    // A configuration cut short keeps what it holds, the defaults for the
    // rest, and erases no other file: no first run.
    portable.write(kConfigFileName, "30\r\n");
    portable.write("Cirrolith4_Language.dat", " 2");
    portable.write("Cirrolith4_Proxy.dat", "\r\n\r\n\r\n\r\n0\r\n");
    portable.write("Cirrolith4_Picture_List.dat", "5\r\n77\r\n\r\n\r\n");
    form = start();
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeDwLoad->text(), "30");
    EXPECT_EQ(form->SSTCfg->SSTCfg_timeRefresh->text(), "4");
    EXPECT_EQ(form->displayMode, 1);
    EXPECT_EQ(portable.read(kConfigFileName), "30\r\n");
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), " 2");
    EXPECT_TRUE(portable.exists("Cirrolith4_Proxy.dat"));
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), "5\r\n77\r\n\r\n\r\n");
}

TEST_F(Startup, CommandLineWords)
{
    auto form = start(QStringLiteral("-DEBUG_CODE-NOSILENT"));
    EXPECT_EQ(form->debugMode, 1);
    EXPECT_FALSE(form->browserSilent);
    EXPECT_EQ(form->catalogueAddress, QStringLiteral(CIRROLITH_CATALOGUE_URL));
    EXPECT_TRUE(dialogs.shown().empty());

    form = start(QStringLiteral("-debug_code -LOCALHOST"));
    EXPECT_EQ(form->debugMode, 0);
    EXPECT_TRUE(form->browserSilent);
    EXPECT_EQ(form->catalogueAddress, "http://127.0.0.1:8473/public/catalogue?");

    form = start(QStringLiteral("-1-2-3-4-5-6-7-8-DEBUG_CODE-NOSILENT"));
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Errore. troppi parametri nella linea di comando file EXE"});
    EXPECT_EQ(form->debugMode, 1);
    EXPECT_TRUE(form->browserSilent);
}

TEST_F(Startup, AddressFromTheEnvironmentAndLocalhostOverIt)
{
    const QByteArray saved = qgetenv("CIRROLITH_CATALOGUE_URL");
    qputenv("CIRROLITH_CATALOGUE_URL", "http://weather.example.org:8080/api/catalogue?");
    auto form = start();
    EXPECT_EQ(form->catalogueAddress, "http://weather.example.org:8080/api/catalogue?");
    form = start(QStringLiteral("-LOCALHOST"));
    EXPECT_EQ(form->catalogueAddress, "http://127.0.0.1:8473/api/catalogue?");

    // Unusable values leave the built-in address.
    for (const char *bad : {"weather.example.org/catalogue?", "ftp://weather.example.org/c?", "http://", "  "}) {
        qputenv("CIRROLITH_CATALOGUE_URL", bad);
        form = start();
        EXPECT_EQ(form->catalogueAddress, QStringLiteral(CIRROLITH_CATALOGUE_URL)) << bad;
    }
    if (saved.isNull())
        qunsetenv("CIRROLITH_CATALOGUE_URL");
    else
        qputenv("CIRROLITH_CATALOGUE_URL", saved);
}

TEST_F(Startup, ProgramOutsideItsPortableFolderStillRuns)
{
    TempPortable other;
    const QString odd = other.root() + "/bin";
    QDir().mkpath(odd + "/Data");
    FormPicture form(StartOptions{odd, QString()});
    ASSERT_TRUE(form.Form_Load());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.startsWith("ERRORE, LA DIR DELL'EXE PORTABLE DEVE CHIAMARSI \\App\\Cirrolith"));
    EXPECT_EQ(dialogs.shown()[0].buttons, MsgButtons::OK);
    EXPECT_EQ(form.PortablesPath, odd);
    EXPECT_TRUE(QFile::exists(odd + "/Data/Cirrolith_Work/Cirrolith4_Config.dat"));
}

TEST_F(Startup, WorkFolderThatCannotBeMadeStopsTheStart)
{
    TempPortable broken;
    QDir(broken.root()).rmdir("Data");
    QFile blocker(broken.root() + "/Data");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    FormPicture form(StartOptions{broken.appDir(), QString()});
    EXPECT_FALSE(form.Form_Load());
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.contains("Cirrolith_Work"));
    EXPECT_FALSE(form.generalClock.Enabled());
}

TEST_F(Startup, LayoutOfThePanelAndLabels)
{
    auto form = start();
    // Halves rounded to 16 bits, even on ties: 9600 - 3548 and 5400 - 2528.
    EXPECT_FLOAT_EQ(form->SSTCfg->Left(), 6052);
    EXPECT_FLOAT_EQ(form->SSTCfg->Top(), 2872);
    EXPECT_FLOAT_EQ(form->lVersion->Top(),
                    2872 - form->lVersion->Height() - form->lVersion->Height() / 2);
    EXPECT_FLOAT_EQ(form->lVersion->Left() + form->lVersion->Width() / 2, 6052 + 7095 / 2.0f);
    EXPECT_FLOAT_EQ(form->lCountDown->Width(), 19200);
    EXPECT_FLOAT_EQ(form->lCountDown->Top(),
                    10800 - form->whoWeAre->Height() - form->lCountDown->Height());
    EXPECT_FLOAT_EQ(form->lGeneric->Top(), form->lCountDown->Top());
    EXPECT_FLOAT_EQ(form->HelpCaller->Left(), 19300);
    EXPECT_FLOAT_EQ(form->FormYourTown->Top(), 55000);
    EXPECT_FALSE(form->FormYourTown->Visible());
    EXPECT_FLOAT_EQ(form->webvis->Width(), 19200);
    EXPECT_FLOAT_EQ(form->webvis->Height(), 10800);
    EXPECT_FLOAT_EQ(form->Ratio_X_Y, 19200.0f / 10800.0f);
    EXPECT_EQ(form->lVersion->text(), " Ver. 5.5.5 ");
    EXPECT_TRUE(form->weAre.endsWith("  Ver. 5.5.5 "));
    EXPECT_EQ(form->helpFile, portable.appDir() + "/Cirrolith.html");

    // The window is black; the panel does not inherit that.
    form->resize(200, 100);
    const QImage shot = form->grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_NE(form->SSTCfg->palette().color(QPalette::Window), QColor(Qt::black));

    // The run buttons wait for the catalogue.
    SetupPanel &p = *form->SSTCfg;
    EXPECT_FALSE(p.SSTCfg_ExitProgram->Visible());
    EXPECT_FALSE(p.SSTCfg_cmdConferma->Enabled());
    EXPECT_TRUE(p.SSTCfg_cmdConferma_BW->Visible());
    EXPECT_TRUE(p.SSTCfg_ExitProgram_BW->Enabled());
    EXPECT_EQ(p.Cleanup2->text(), "Wait ....");
    EXPECT_EQ(p.SSTCfg_ExitProgram2->text(), "Wait..");
}

TEST_F(Startup, DisplayModeNameFollowsTheLanguage)
{
    auto form = start();
    const QString before = form->SSTCfg->txtDisplay2->text();
    form->ShowDisplayModeName();
    EXPECT_EQ(form->SSTCfg->txtDisplay2->text(), before) << "no language chosen: nothing written";
    form->Lingua = 2;
    form->SSTCfg->txtDisplay->setText("Normal");
    form->ShowDisplayModeName();
    EXPECT_EQ(form->SSTCfg->txtDisplay2->text(), "In_scala");
    form->Lingua = 4;
    form->ShowDisplayModeName();
    EXPECT_EQ(form->SSTCfg->txtDisplay2->text(), "Dimensión Original");
    form->SSTCfg->txtDisplay->setText("Full_Screen");
    form->Lingua = 3;
    form->ShowDisplayModeName();
    EXPECT_EQ(form->SSTCfg->txtDisplay2->text(), "Plein_écran");
    EXPECT_FALSE(form->SSTCfg->txtDisplay->Visible());
}
