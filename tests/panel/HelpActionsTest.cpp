// The panel's help icons and their captions, remote assistance in the four
// languages, and the About message. The desktop's opener is a stand-in.
#include "panel/HelpActions.h"
#include "panel/PanelTestKit.h"
#include "platform/EventPump.h"
#include "shell/mShellExecute.h"
#include "support/StandInOpener.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

constexpr int kYellow = 0x80FFFF;
constexpr int kBlue = 0xE6937D;   // red 125, green 147, blue 230

class Help : public PanelForm {
protected:
    void SetUp() override
    {
        PanelForm::SetUp();
        form->catalogueAddress = "http://127.0.0.1:8473/public/catalogue?";
    }

    // A portable folder three levels below a folder that may hold the
    // remote-control launcher.
    void placePortableUnder(bool withLauncher)
    {
        form->PortablesPath = outer.filePath("Programs/Weather/Cirrolith");
        QDir().mkpath(form->PortablesPath);
        if (withLauncher) {
            QDir().mkpath(outer.filePath("TeamViewerPortable"));
            QFile(outer.filePath("TeamViewerPortable/TeamViewerPortable.exe")).open(QIODevice::WriteOnly);
        }
    }

    // A stand-in remote-control program that notes it ran.
    void placeProgram(const QString &name)
    {
        QFile script(form->appPath + u'/' + name);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho \"$0\" > \"" + ranMarker().toUtf8() + "\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString ranMarker() const { return outer.filePath("ran.txt"); }
    QString waitForRun() const
    {
        QFile marker(ranMarker());
        for (QDeadlineTimer deadline(5000); !deadline.hasExpired(); QThread::msleep(20)) {
            if (marker.exists() && marker.size() > 0 && marker.open(QIODevice::ReadOnly))
                return QString::fromUtf8(marker.readAll()).trimmed();
        }
        return QString();
    }

    QTemporaryDir outer;
    StandInOpener opener;
};

const QString kPage = QStringLiteral("http://127.0.0.1:8473/public/Help-Online.asp");

} // namespace

TEST_F(Help, EveryHelpIconAndCaptionOpensTheOnlineHelpPageOnce)
{
    SetupPanel &p = panel();
    int expected = 0;
    for (platform::Image *icon : {p.helpTime, p.helpTime2, p.helpImg, p.helpImg2, p.helpEsegui, p.helpEsegui2}) {
        icon->click();
        ++expected;
        ASSERT_EQ(opener.calls().size(), expected) << icon->objectName().toStdString();
        EXPECT_EQ(opener.calls().last(), QStringList{kPage});
        platform::EventPump::Sleep(HelpActions::kRepeatMs + 10);
    }
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(Help, TimerHelpRestoresTheFieldColoursEvenWithoutABrowser)
{
    SetupPanel &p = panel();
    opener.removeFromPath();
    for (auto *field : {p.txtDisplay, p.txtDisplay2, p.SSTCfg_timeDwLoad, p.SSTCfg_timeRefresh})
        field->setBackColor(kYellow);
    shell::clearLastError();
    p.helpTime2->click();
    for (auto *field : {p.txtDisplay, p.txtDisplay2, p.SSTCfg_timeDwLoad, p.SSTCfg_timeRefresh})
        EXPECT_EQ(field->BackColor(), kBlue) << field->objectName().toStdString();
    EXPECT_EQ(shell::lastError().number, 53);
    // The click is not lost in silence: a message says why and names the page.
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const QString text = dialogs.shown()[0].text;
    EXPECT_TRUE(text.contains(QLatin1String("no web browser"))) << text.toStdString();
    EXPECT_TRUE(text.contains(kPage)) << text.toStdString();
}

TEST_F(Help, RemoteHelpNeedsThePortableLauncher)
{
    placePortableUnder(false);
    for (int lingua = 1; lingua <= 4; ++lingua) {
        form->Lingua = static_cast<std::int16_t>(lingua);
        for (platform::Image *icon : {panel().RunTeamViewer, panel().IcoHelpTools2}) {
            dialogs.clear();
            icon->click();
            EXPECT_EQ(dialogs.texts(), QStringList{"TeamViewer portable not found , please install it and retry"});
        }
    }
    EXPECT_FALSE(QFile::exists(ranMarker()));
}

TEST_F(Help, RemoteHelpExplainsThenStartsTheProgramOfTheLanguage)
{
    placePortableUnder(true);
    placeProgram("TeamViewer.exe");
    placeProgram("TeamViewerEng.exe");
    const QString english =
        "You are incoming to run TeamViewer, a Remote Control software.\r\n"
        "It is freeware fon no profit use. \r\n"
        "You have to be connected by phone with our operator that \r\n"
        "try to hel you for Cirrolith configuration, and under your authorization,\r\n"
        "try to remote control your computer.";
    const QString italian = QString::fromUtf8(
        "Stai per lanciare il software di assistenza Remota TeamViewer\r\n"
        "Il software \xC3\xA8 freeware per usi non professionali \r\n"
        "E' necessario essere in collegamento telefonico con un operatore che \r\n"
        "provveder\xC3\xA0 ad aiutarti a configurare Cirrolith e su tua autorizzazione,\r\n"
        "prender\xC3\xA0 il controllo remoto del tuo computer.");
    for (int lingua = 1; lingua <= 4; ++lingua) {
        form->Lingua = static_cast<std::int16_t>(lingua);
        dialogs.clear();
        QFile::remove(ranMarker());
        panel().IcoHelpTools2->click();
        EXPECT_EQ(dialogs.texts(), QStringList{lingua == 2 ? italian : english}) << lingua;
        const QString ran = waitForRun();
        EXPECT_EQ(ran, form->appPath + (lingua == 2 ? "/TeamViewer.exe" : "/TeamViewerEng.exe")) << lingua;
    }
}

TEST_F(Help, AMissingRemoteHelpProgramIsReported)
{
    placePortableUnder(true);
    const QString programs[] = {"TeamViewerEng.exe", "TeamViewer.exe", "TeamViewerEng.exe", "TeamViewerEng.exe"};
    for (int lingua = 1; lingua <= 4; ++lingua) {
        form->Lingua = static_cast<std::int16_t>(lingua);
        dialogs.clear();
        panel().RunTeamViewer->click();
        const QStringList texts = dialogs.texts();
        ASSERT_EQ(texts.size(), 2) << lingua;
        EXPECT_TRUE(texts[0].startsWith(lingua == 2 ? "Stai per lanciare" : "You are incoming")) << lingua;
        const QString where = QDir::toNativeSeparators(form->appPath + u'/' + programs[lingua - 1]);
        EXPECT_EQ(texts[1], (lingua == 2 ? QStringLiteral("Programma di assistenza remota non trovato:\r\n")
                                         : QStringLiteral("Remote help program not found:\r\n")) + where)
            << lingua;
    }
    // A file that is there but cannot run.
    form->Lingua = LinguaEnglish;
    QFile(form->appPath + "/TeamViewerEng.exe").open(QIODevice::WriteOnly);
    dialogs.clear();
    panel().RunTeamViewer->click();
    ASSERT_EQ(dialogs.texts().size(), 2);
    EXPECT_TRUE(dialogs.texts()[1].startsWith("The remote help program could not be started:\r\n"));
}

TEST_F(Help, AboutShowsTheVersionWithoutBlanks)
{
    for (platform::Image *icon : {panel().nwxStatusBar, panel().nwxStatusBar2}) {
        dialogs.clear();
        icon->click();
        EXPECT_EQ(dialogs.texts(), QStringList{"Cirrolith version5.5.5PORTABLE"});
    }
}
