// The built program, run from a copy of the portable installation on a real
// X server, against the reference catalogue server on an ephemeral port that
// only the address variable names.
#include "kiosk/KioskKit.h"
#include "server/ServerProcess.h"
#include "support/DemoServers.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using kiosk::xdotool;

namespace {

const QDateTime kLongAgo = QDateTime(QDate(2020, 1, 1), QTime(12, 0));

class KioskProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = installBuiltProgram(portable);
        ASSERT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
    }
    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    // The demo catalogue, its pictures on a second server; the catalogue
    // server's log records every request.
    void startServers() { ASSERT_TRUE(servers.start()) << servers.errorText(); }

    void launch(const QString &address)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("CIRROLITH_CATALOGUE_URL", address);
        env.remove("DBUS_SESSION_BUS_ADDRESS");
        process.setProcessEnvironment(env);
        process.start(program, {});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // The program's window is mapped; the pointer rests on it.
    bool waitForWindow(int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && process.state() == QProcess::Running) {
            const QString id = xdotool({"search", "--onlyvisible", "--pid",
                                        QString::number(process.processId())});
            if (!id.isEmpty()) {
                xdotool({"mousemove", "960", "540"});
                return true;
            }
            QThread::msleep(100);
        }
        return false;
    }

    int catalogueRequests() const
    {
        return servers.logText().count(QStringLiteral(" GET /public/catalogue"));
    }

    bool waitFor(const std::function<bool()> &done, int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            if (done())
                return true;
            QThread::msleep(100);
        }
        return done();
    }

    QDateTime configWritten() const { return QFileInfo(portable.work("Cirrolith4_Config.dat")).lastModified(); }

    void writeSettingsLongAgo()
    {
        portable.writeSecondStart();
        QFile config(portable.work("Cirrolith4_Config.dat"));
        ASSERT_TRUE(config.open(QIODevice::ReadWrite));
        ASSERT_TRUE(config.setFileTime(kLongAgo, QFileDevice::FileModificationTime));
    }

    TempPortable portable;
    QString program;
    QProcess process;
    DemoServers servers;
};

} // namespace

TEST_F(KioskProgram, HelpPrintsTheWordsAndTheVariableWithoutTouchingAnything)
{
    for (const char *arg : {"--help", "-h"}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(env);
        process.start(program, {QString::fromLatin1(arg)});
        ASSERT_TRUE(process.waitForFinished(10000)) << arg;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << arg;
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        for (const char *needed : {"LOCALHOST", "DEBUG_CODE", "NOSILENT", "-LOCALHOST-DEBUG_CODE",
                                   "CIRROLITH_CATALOGUE_URL", "SCREEN=", "CIRROLITH_SCREEN"})
            EXPECT_TRUE(out.contains(QLatin1String(needed))) << arg << ": " << needed;
        EXPECT_FALSE(QDir(portable.workDir()).exists()) << "no settings folder made";
    }
}

// The address variable leads the program to a server on another port; once
// the slideshow runs, Escape saves the settings and ends the process.
TEST_F(KioskProgram, EscapeDuringTheSlideshowSavesAndEnds)
{
    startServers();
    writeSettingsLongAgo();
    launch(servers.catalogueAddress());
    ASSERT_TRUE(waitForWindow(30000)) << process.readAllStandardError().toStdString();
    // The four start-up requests, then the pictures and a little more.
    ASSERT_TRUE(waitFor([&] { return catalogueRequests() >= 4; }, 60000))
        << "requests seen: " << catalogueRequests();
    QThread::msleep(4000);
    ASSERT_EQ(process.state(), QProcess::Running);
    EXPECT_EQ(configWritten(), kLongAgo) << "nothing saved before the key";

    xdotool({"mousemove", "900", "500"});
    xdotool({"key", "Escape"});
    ASSERT_TRUE(process.waitForFinished(15000)) << "still running after Escape";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_GT(configWritten(), kLongAgo);
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), kiosk::kConfig);
    // The selection survives a save from the slideshow, where the panel's
    // list was never filled.
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), kiosk::kPictureList);
}

// Before the run control runs (the server never answers), Escape and Ctrl+Q
// save directly and take the bar's quit.
TEST_F(KioskProgram, QuitKeysWhileWaitingForTheServerSaveAndEnd)
{
    for (const char *keys : {"Escape", "ctrl+q"}) {
        writeSettingsLongAgo();
        // A port nothing listens on.
        launch(QStringLiteral("http://127.0.0.1:9/public/catalogue?"));
        ASSERT_TRUE(waitForWindow(30000)) << process.readAllStandardError().toStdString();
        QThread::msleep(1500);
        ASSERT_EQ(process.state(), QProcess::Running);
        xdotool({"key", QString::fromLatin1(keys)});
        ASSERT_TRUE(process.waitForFinished(15000)) << keys;
        EXPECT_EQ(process.exitCode(), 0) << keys;
        EXPECT_GT(configWritten(), kLongAgo) << keys;
        EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), kiosk::kConfig) << keys;
        EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), kiosk::kPictureList) << keys;
    }
}
