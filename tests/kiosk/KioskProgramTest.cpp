// The built program, run from a copy of the portable installation on a real
// X server, against the reference catalogue server on an ephemeral port that
// only the address variable names.
#include "kiosk/KioskKit.h"
#include "server/ServerProcess.h"
#include "support/DemoServers.h"
#include "support/PollUntil.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
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

    void launch(const QString &address, const QString &logRules = QString())
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("CIRROLITH_CATALOGUE_URL", address);
        if (!logRules.isEmpty())
            env.insert("QT_LOGGING_RULES", logRules);
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

    bool waitFor(const std::function<bool()> &done, int ms) { return pollUntil(done, ms); }

    // The program's stderr so far.
    const QString &log()
    {
        while (process.state() == QProcess::Running && process.waitForReadyRead(20)) {
        }
        m_log += QString::fromUtf8(process.readAllStandardError());
        return m_log;
    }
    // Waits until the log holds count lines containing text.
    bool waitForLines(const QString &text, int count, int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && log().count(text) < count && process.state() == QProcess::Running)
            process.waitForReadyRead(100);
        return log().count(text) >= count;
    }
    int slideLines() { return log().count(QStringLiteral("cirrolith.show: slide ")) - log().count(QStringLiteral("cirrolith.show: slide set")); }

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
    QString m_log;
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
                                   "CIRROLITH_CATALOGUE_URL", "QT_LOGGING_RULES", "Right, Left", "Space",
                                   "SCREEN=", "CIRROLITH_SCREEN"})
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
    // The web engine (and the GL renderer behind it) is never loaded into
    // the program.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(process.processId()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("libQt6WebEngineCore"));
    // Nor are the readers of formats no picture here comes in: Qt loads every
    // image plugin, for good, when left to guess what a file is.
    for (const char *reader : {"libqtiff", "libqwebp", "libqico", "libqtga"})
        EXPECT_FALSE(mapped.contains(reader)) << reader;

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

// A web page is captured by a helper process that ends with the capture:
// the program itself never maps the web engine, and no process of the
// engine stays behind.
TEST_F(KioskProgram, APageIsCapturedByAHelperThatEndsWithTheCapture)
{
    startServers();
    portable.writeSecondStart();
    // The demo's first picture and its forecast page.
    portable.write(QStringLiteral("Cirrolith4_Picture_List.dat"), "0\r\n14\r\n32\r\n40\r\n\r\n\r\n");
    launch(servers.catalogueAddress(), QStringLiteral("cirrolith.show.info=true"));
    ASSERT_TRUE(waitForWindow(30000)) << log().toStdString();

    const auto childrenOfProgram = [&] {
        QList<qint64> found;
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 1 && fields[1].toLongLong() == process.processId())
                found << entry.toLongLong();
        }
        return found;
    };
    qint64 helper = 0;
    ASSERT_TRUE(waitFor([&] {
        const QList<qint64> children = childrenOfProgram();
        helper = children.isEmpty() ? 0 : children.first();
        return helper != 0;
    }, 60000)) << log().toStdString();
    EXPECT_TRUE(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(helper)).endsWith("/cirrolith-page"));

    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: slide set ready"), 1, 90000)) << log().toStdString();
    const QImage page(portable.work(QStringLiteral("Cirrolith4_ImgHTTP_IMG.bmp")));
    EXPECT_EQ(page.size(), QSize(1920, 1080));
    EXPECT_FALSE(QDir(QStringLiteral("/proc/%1").arg(helper)).exists());
    EXPECT_EQ(childrenOfProgram(), QList<qint64>());
    QFile maps(QStringLiteral("/proc/%1/maps").arg(process.processId()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("libQt6WebEngineCore"));
    EXPECT_FALSE(mapped.contains("libLLVM"));

    xdotool({"key", "Escape"});
    ASSERT_TRUE(process.waitForFinished(15000)) << "still running after Escape";
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

// The slideshow keys go through the run control: while paused nothing
// ticks, each step draws one slide (no second tick behind it), Left wraps
// to the last slide, Space goes on and R reloads every picture.
TEST_F(KioskProgram, RightLeftSpaceAndRStepPauseAndReload)
{
    startServers();
    portable.writeSecondStart();   // two-second slides
    launch(servers.catalogueAddress(), QStringLiteral("cirrolith.show.info=true\ncirrolith.show.debug=true"));
    ASSERT_TRUE(waitForWindow(30000)) << log().toStdString();
    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: slide 1 of "), 1, 90000)) << log().toStdString();
    const QRegularExpression ready(QStringLiteral("slide set ready: (\\d+) slides"));
    const int n = ready.match(log()).captured(1).toInt();
    ASSERT_GE(n, 3) << log().toStdString();
    xdotool({"mousemove", "900", "500"});

    xdotool({"key", "space"});
    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: paused"), 1, 5000)) << log().toStdString();
    int before = slideLines();
    QThread::msleep(5000);
    EXPECT_EQ(slideLines(), before) << "a slide ticked while paused:\n" << log().toStdString();

    // Where the show stands: the last slide line.
    const auto lastSlide = [&] {
        const QRegularExpression line(QStringLiteral("cirrolith.show: slide (\\d+) of"));
        int last = 0;
        for (auto it = line.globalMatch(log()); it.hasNext();)
            last = it.next().captured(1).toInt();
        return last;
    };
    const int shown = lastSlide();
    const int next = shown % n + 1;
    before = slideLines();
    xdotool({"key", "Right"});
    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: slide %1 of %2").arg(next).arg(n), 1, 5000))
        << log().toStdString();
    QThread::msleep(3000);
    EXPECT_EQ(slideLines(), before + 1) << "one key, one slide:\n" << log().toStdString();
    EXPECT_EQ(lastSlide(), next);

    xdotool({"key", "Left"});
    QThread::msleep(1500);
    EXPECT_EQ(lastSlide(), shown) << log().toStdString();
    // Back past the first slide to the last one.
    for (int i = 1; i < shown + 1; ++i) {
        xdotool({"key", "Left"});
        QThread::msleep(600);
    }
    QThread::msleep(1000);
    EXPECT_EQ(lastSlide(), n) << log().toStdString();
    EXPECT_EQ(slideLines(), before + 2 + shown) << log().toStdString();

    xdotool({"key", "space"});
    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: going on"), 1, 5000)) << log().toStdString();
    before = slideLines();
    EXPECT_TRUE(waitFor([&] { return slideLines() > before; }, 6000)) << "the show goes on by itself";

    xdotool({"key", "r"});
    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: reloading every picture (R key)"), 1, 10000))
        << log().toStdString();
    // A step asked during the reload's tick waits for it to end.
    const int stepsBefore = log().count(QStringLiteral("cirrolith.show: key: slide"));
    xdotool({"key", "Right"});
    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: slide set ready"), 2, 90000)) << log().toStdString();
    ASSERT_TRUE(waitForLines(QStringLiteral("cirrolith.show: key: slide"), stepsBefore + 1, 10000)) << log().toStdString();
    const QString &text = log();
    EXPECT_GT(text.lastIndexOf(QStringLiteral("cirrolith.show: key: slide")),
              text.lastIndexOf(QStringLiteral("cirrolith.show: slide set ready")))
        << "the step ran inside the reload:\n" << text.toStdString();

    xdotool({"key", "Escape"});
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitCode(), 0);
}

// An unattended screen with a configuration file cut to its first line: the
// show starts on what the files hold, erasing nothing and asking nothing, and
// the first build removes a download file that nothing uses.
TEST_F(KioskProgram, ShortConfigurationStartsTheShowAndErasesNothing)
{
    startServers();
    portable.writeSecondStart();
    portable.write("Cirrolith4_Config.dat", "20\r\n");
    // A download file of an older build's naming.
    portable.write("Cirrolith4_Img.jpgi0", "stale");
    const QByteArray language = portable.read("Cirrolith4_Language.dat");
    const QByteArray proxy = portable.read("Cirrolith4_Proxy.dat");
    launch(servers.catalogueAddress(), "cirrolith.*=true");
    ASSERT_TRUE(waitForWindow(30000)) << log().toStdString();
    ASSERT_TRUE(waitForLines("slide set ready", 1, 60000)) << log().toStdString();
    ASSERT_TRUE(waitForLines("cirrolith.show: slide ", 2, 30000)) << log().toStdString();

    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), "20\r\n");
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), language);
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.dat"), proxy);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), kiosk::kPictureList);
    EXPECT_EQ(log().count("Cirrolith4_Config.dat is short or damaged"), 1) << log().toStdString();
    EXPECT_FALSE(log().contains("configuration erased"));
    EXPECT_FALSE(portable.exists("Cirrolith4_Img.jpgi0"));
}

// The work folder goes while the show runs: a quit key ends the process at
// once although the settings cannot be saved, its log in the true order.
TEST_F(KioskProgram, QuitKeyEndsAtOnceWhenTheSettingsCannotBeSaved)
{
    startServers();
    portable.writeSecondStart();
    launch(servers.catalogueAddress(), "cirrolith.*=true");
    ASSERT_TRUE(waitForWindow(30000)) << log().toStdString();
    ASSERT_TRUE(waitForLines("cirrolith.show: slide ", 2, 60000)) << log().toStdString();

    ASSERT_TRUE(QDir(portable.workDir()).removeRecursively());
    xdotool({"mousemove", "900", "500"});
    QElapsedTimer took;
    took.start();
    xdotool({"key", "ctrl+q"});
    ASSERT_TRUE(process.waitForFinished(10000)) << "still running after Ctrl+Q";
    EXPECT_LT(took.elapsed(), 2000);
    EXPECT_EQ(process.exitCode(), 0);
    const QString text = log() + QString::fromUtf8(process.readAllStandardError());
    const qsizetype quitting = text.indexOf("quitting: saving the settings");
    const qsizetype notSaved = text.indexOf("settings not saved");
    EXPECT_GE(quitting, 0) << text.toStdString();
    EXPECT_GT(notSaved, quitting) << text.toStdString();
    EXPECT_FALSE(text.contains("settings saved:"));
}
