// The real program on a real X screen against a misbehaving reference server:
// the window comes at once whatever the server does, and every way out ends
// the process at once, whatever wait is under way.
#include "server/ServerProcess.h"
#include "slideshow/BarLayout.h"
#include "support/DemoServers.h"
#include "support/PollUntil.h"
#include "support/TempPortable.h"
#include "support/XCloseRequest.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>


#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

constexpr int kQuitBoundMs = 2000;

bool waitFor(const std::function<bool()> &done, int ms) { return pollUntil(done, ms, 50); }

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The program's main window, once it is mapped on screen.
QString visibleMainWindow()
{
    return run("xdotool", {"search", "--onlyvisible", "--name", "^Cirrolith$"}).section('\n', 0, 0);
}

// Share of the screen's upper half in the start-up picture's night-sky blue.
double skyShare()
{
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    int sky = 0;
    int all = 0;
    for (int y = 40; y < shot.height() / 2; y += 16) {
        for (int x = 0; x < shot.width(); x += 16) {
            const QColor c = shot.pixelColor(x, y);
            sky += c.blue() > c.red() + 20 && c.blue() > 25;
            ++all;
        }
    }
    return all ? double(sky) / all : 0;
}

class Reliability : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        ASSERT_FALSE(installBuiltProgram(portable).isEmpty());
        portable.writeSecondStart();
        for (const char *name : {"Cirrolith4_Language.dat", "Cirrolith4_Proxy.dat", "Cirrolith4_MyTown.dat",
                                 "Cirrolith4_Config.dat", "Cirrolith4_Picture_List.dat"})
            before[name] = portable.read(name);
    }
    void TearDown() override
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    // Pictures from one server, which holds every file request; the
    // catalogue from another, whose own files (the version file) hang too.
    void startServers(const std::vector<std::string> &catalogueFaults)
    {
        std::vector<std::string> args = {"--webroot", CIRROLITH_DEMO_WEBROOT, "--misbehave", "hang,on=files"};
        for (const std::string &fault : catalogueFaults)
            args.insert(args.end(), {"--misbehave", fault});
        ASSERT_TRUE(servers.start({"--misbehave", "hang,on=files"}, args)) << servers.errorText();
    }
    QString serverLog() const { return servers.logText(); }

    void launch()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("CIRROLITH_CATALOGUE_URL", servers.catalogueAddress());
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        started.start();
        program.start(portable.appDir() + "/cirrolith", {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }

    // Waits for the process to end; how long it took, or -1.
    qint64 endsWithin(int ms)
    {
        QElapsedTimer t;
        t.start();
        if (!program.waitForFinished(ms))
            return -1;
        return t.elapsed();
    }

    void expectSettingsUntouched()
    {
        for (const auto &[name, bytes] : before)
            EXPECT_EQ(portable.read(name), bytes) << name.toStdString();
    }

    TempPortable portable;
    DemoServers servers;
    QProcess program;
    QElapsedTimer started;
    std::map<QString, QByteArray> before;
};

} // namespace

// The version file and the probe hang: the window and the start-up picture
// come all the same; later the connection question waits, and SIGTERM ends
// the program there without saving anything.
TEST_F(Reliability, WindowAtOnceWhileTheServerHangsAndSigtermEndsAPendingQuestion)
{
    startServers({"hang,on=probe"});
    launch();
    ASSERT_TRUE(waitFor([] { return !visibleMainWindow().isEmpty(); }, 4000));
    const qint64 windowAfter = started.elapsed();
    ASSERT_TRUE(waitFor([] { return skyShare() > 0.5; }, 4000)) << "share " << skyShare();
    const qint64 pictureAfter = started.elapsed();
    EXPECT_LT(windowAfter, 2000);
    EXPECT_LT(pictureAfter, 2000);
    std::cerr << "window after " << windowAfter << " ms, start-up picture after " << pictureAfter
              << " ms\n";
    // The version check goes out with the first probe, once the proxy is set.
    EXPECT_TRUE(waitFor([&] { return serverLog().contains("/currentversion.html"); }, 2000));

    // Ten unanswered ticks later the connection question is up and waiting.
    QThread::msleep(6000);
    EXPECT_EQ(program.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    const qint64 took = endsWithin(5000);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, kQuitBoundMs);
    expectSettingsUntouched();
}

// The probe is answered, so the first slideshow tick downloads pictures,
// which hang. The window manager's close request ends the program there.
TEST_F(Reliability, CloseRequestEndsAPendingPictureDownload)
{
    startServers({});
    launch();
    ASSERT_TRUE(waitFor([] { return !visibleMainWindow().isEmpty(); }, 4000));
    const unsigned long window = visibleMainWindow().toULong();
    // The selected-addresses reply comes before the downloads.
    ASSERT_TRUE(waitFor([this] { return serverLog().contains("[selected]"); }, 15000)) << serverLog().toStdString();
    QThread::msleep(1500);
    ASSERT_EQ(program.state(), QProcess::Running);
    ASSERT_TRUE(sendCloseRequest(window));
    const qint64 took = endsWithin(5000);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, kQuitBoundMs);
    // A close by the window frame saves nothing.
    expectSettingsUntouched();
}

// While the program waits for the server, the bar offers quit; a click on it
// ends the program at once although the version download is still pending.
TEST_F(Reliability, BarQuitEndsWhileWaitingForTheServer)
{
    startServers({"hang,on=probe"});
    launch();
    ASSERT_TRUE(waitFor([] { return !visibleMainWindow().isEmpty(); }, 4000));
    QThread::msleep(1500);   // the first tick has shown the waiting bar

    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const float tpp = 15;   // twips per pixel at 96 DPI
    const slideshow::BarLayout bar = slideshow::computeBarLayout(
        screen.width() * tpp, screen.height() * tpp, float(screen.width()) / float(screen.height()),
        slideshow::barMinimumsFor(tpp));
    const int x = int((bar.quit.left + bar.quit.width / 2) / tpp);
    const int y = int((bar.quit.top + bar.quit.height / 2) / tpp);
    run("xdotool", {"mousemove", QString::number(x), QString::number(y), "click", "1"});
    const qint64 took = endsWithin(5000);
    EXPECT_GE(took, 0);
    EXPECT_LT(took, kQuitBoundMs);
    expectSettingsUntouched();
}
