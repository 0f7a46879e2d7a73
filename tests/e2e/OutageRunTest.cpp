// The whole program on a real X screen, all its timers live on the real event
// loop, against the reference servers: a catalogue server that goes away and
// comes back, a proxy that refuses, and a catalogue with hostile entries.
// Whatever happens, the user's settings stay and the show goes on.
#include "catalogue/Catalogue.h"
#include "core/FormPicture.h"
#include "panel/ConnectionFrame.h"
#include "panel/SetupPanel.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/ProcessEnd.h"
#include "platform/Transfer.h"
#include "server/ServerProcess.h"
#include "slideshow/ControlBar.h"
#include "support/DemoServers.h"
#include "support/TempPortable.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTabBar>
#include <QGuiApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>

namespace {

constexpr double kSpeed = 4;
constexpr int kProbeTickRealMs = 500 / 4;

bool waitUntil(const std::function<bool()> &done, int realMs)
{
    QDeadlineTimer deadline(realMs);
    while (!deadline.hasExpired()) {
        if (done())
            return true;
        platform::EventPump::Sleep(static_cast<int>(20 * kSpeed));
    }
    return done();
}

// A proxy that refuses every request it is sent, as a proxy with a deny rule
// does: "403 Forbidden" and the connection closed. It counts the requests.
class RefusingProxy {
public:
    RefusingProxy()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    m_pending[s] += s->readAll();
                    if (!m_pending[s].contains("\r\n\r\n"))
                        return;
                    m_pending.remove(s);
                    ++requests;
                    s->write("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
                    s->disconnectFromHost();
                });
                QObject::connect(s, &QTcpSocket::disconnected, s, [this, s] {
                    m_pending.remove(s);
                    s->deleteLater();
                });
            }
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    int requests = 0;

private:
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        platform::EventPump::resetQuit();
        platform::ProcessEnd::resetForTests();
        platform::Transfer::shared().clearProxy();
    }
    void TearDown() override
    {
        if (form)
            form->close();
        platform::Transfer::shared().cancelRequest();
        platform::Transfer::shared().closeConnections();
        form.reset();
        platform::Clock::setSpeed(1);
        platform::ProcessEnd::resetForTests();
    }
    void startProgram(const QString &catalogueAddress)
    {
        form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QString()});
        ASSERT_TRUE(form->Form_Load());
        form->catalogueAddress = catalogueAddress;
        platform::Clock::setSpeed(kSpeed);
        form->showCoveringScreen();
    }
    int slideTicks() const { return form->imgClock.tickCount(); }
    // The show goes on: at least two more slides within the time given.
    void expectShowAdvances(int realMs, const char *when)
    {
        const int before = slideTicks();
        EXPECT_TRUE(waitUntil([&] { return slideTicks() >= before + 2; }, realMs)) << when;
    }
    int noticesWith(const QString &text) const
    {
        int n = 0;
        for (const auto &s : dialogs.shown())
            n += s.text.contains(text) ? 1 : 0;
        return n;
    }

    TempPortable portable;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    std::unique_ptr<FormPicture> form;
};

} // namespace

TEST_F(ProgramRun, OutagesAndARefusingProxyCostTheUserNothing)
{
    DemoServers servers;
    ASSERT_TRUE(servers.start()) << servers.errorText();
    const int port = servers.catalogue.port();
    const auto restartCatalogue = [&] { return servers.restartCatalogue(port); };

    RefusingProxy proxy;
    portable.writeSecondStart();
    portable.write("Cirrolith4_Proxy.dat", "127.0.0.1\r\n" + QByteArray::number(proxy.port()) + "\r\n\r\n\r\n1\r\n");
    const QByteArray pictureList = portable.read("Cirrolith4_Picture_List.dat");
    const QByteArray town = portable.read("Cirrolith4_MyTown.dat");

    QElapsedTimer sinceStart;
    sinceStart.start();
    startProgram(servers.catalogueAddress());

    // The probe through the proxy gets no answer: after ten counts the user
    // is asked, and the question waits for the answer. It waits inside a
    // tick, so the test looks and answers from the event loop.
    ConnectionFrame &frame = *form->Frame_Select_Connection;
    int probesBeforeAnswer = -1;   // counted half a second into the question
    qint64 askedAfterMs = -1;
    QDateTime proxyWritten;
    bool stayed = false, typedStays = false, noProbeMeanwhile = false, fileKept = false;
    QTimer look;
    look.setInterval(50);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (askedAfterMs < 0) {
            if (!frame.isVisible())
                return;
            askedAfterMs = sinceStart.elapsed();
            proxyWritten = QFileInfo(portable.work("Cirrolith4_Proxy.dat")).lastModified();
            frame.Proxy_Username->setText("typed by the user");
            return;
        }
        // The probe sent by the tick that asks may still be on its way.
        if (probesBeforeAnswer < 0) {
            if (sinceStart.elapsed() >= askedAfterMs + 500)
                probesBeforeAnswer = proxy.requests;
            return;
        }
        if (sinceStart.elapsed() < askedAfterMs + 3500)   // 24 more ticks of the connection clock
            return;
        look.stop();
        stayed = frame.isVisible();
        typedStays = frame.Proxy_Username->text() == "typed by the user";
        noProbeMeanwhile = proxy.requests == probesBeforeAnswer;
        fileKept = QFileInfo(portable.work("Cirrolith4_Proxy.dat")).lastModified() == proxyWritten;
        // Fixed through the question: a direct connection.
        frame.Proxy_Username->clear();
        frame.selectOption(false);
        frame.Connection_Selected->click();
    });
    look.start();
    ASSERT_TRUE(waitUntil([&] { return form->slideCount == 4 && slideTicks() >= 3; }, 60000))
        << "the show starts once the server answers";
    ASSERT_GE(probesBeforeAnswer, 1) << "the connection question came";
    std::cerr << probesBeforeAnswer << " requests reached the refusing proxy in the " << askedAfterMs
              << " ms before the question (" << kProbeTickRealMs << " ms a tick)\n";
    EXPECT_LE(probesBeforeAnswer, (askedAfterMs + 500) / kProbeTickRealMs + 1);
    EXPECT_TRUE(stayed) << "the question stays until answered";
    EXPECT_TRUE(typedStays);
    EXPECT_TRUE(noProbeMeanwhile) << "no probe while the user is asked";
    EXPECT_TRUE(fileKept) << "the proxy file is not rewritten";
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.dat"), "\r\n\r\n\r\n\r\n0\r\n");

    // Short outages while the slideshow runs.
    for (int outage = 0; outage < 2; ++outage) {
        servers.catalogue.stop();
        expectShowAdvances(8000, "while the server is away");
        ASSERT_TRUE(restartCatalogue()) << servers.errorText();
        expectShowAdvances(8000, "after the server came back");
    }

    // The panel opened during an outage, then confirmed: nothing is deleted,
    // the program waits for the server and shows the stored selection.
    servers.catalogue.stop();
    form->bar->btSetup->click();
    ASSERT_TRUE(waitUntil([&] { return form->flagCmdButton == CmdPanelOpen &&
                                       form->SSTCfg->SSTCfg_cmdConferma->isEnabled(); }, 20000));
    EXPECT_EQ(form->SSTCfg->Tabella_Mappe_Selezionate->count(), 0) << "no rows from a catalogue that never came";
    QTimer::singleShot(0, form.get(), [&] { form->SSTCfg->SSTCfg_cmdConferma->click(); });
    QTimer::singleShot(4000, form.get(), [&] { EXPECT_TRUE(restartCatalogue()) << servers.errorText(); });
    ASSERT_TRUE(waitUntil([&] { return form->flagCmdButton == CmdRun && form->catalogueLoaded == 1; }, 60000));
    for (const char *name : {"Cirrolith4_Config.dat", "Cirrolith4_Proxy.dat", "Cirrolith4_Language.dat",
                             "Cirrolith4_MyTown.dat"})
        EXPECT_TRUE(portable.exists(name)) << name;
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), pictureList);
    EXPECT_EQ(noticesWith("U ERR"), 0);
    expectShowAdvances(15000, "after the confirmation");

    // With the server there: a click on the panel, then the same selection
    // confirmed. Nothing is loaded again, and the radar loop stays animated.
    ASSERT_EQ(form->listImageProperties[1], 4);
    form->bar->btSetup->click();
    ASSERT_TRUE(waitUntil([&] { return form->flagCmdButton == CmdPanelOpen &&
                                       form->SSTCfg->SSTCfg_cmdConferma->isEnabled(); }, 20000));
    EXPECT_GT(form->SSTCfg->Tabella_Mappe_Selezionate->count(), 4);
    emit form->SSTCfg->panelClicked();
    QTimer::singleShot(0, form.get(), [&] { form->SSTCfg->SSTCfg_cmdConferma->click(); });
    ASSERT_TRUE(waitUntil([&] { return form->flagCmdButton == CmdRun; }, 30000));
    EXPECT_EQ(form->listImageProperties[1], 4) << "an animated GIF stays animated";
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), pictureList);
    expectShowAdvances(15000, "after confirming the same selection");

    // The panel opened during another outage, then Run-Exit -> Exit.
    servers.catalogue.stop();
    form->bar->btSetup->click();
    ASSERT_TRUE(waitUntil([&] { return form->flagCmdButton == CmdPanelOpen &&
                                       form->SSTCfg->SSTCfg_ExitProgram->isEnabled(); }, 20000));
    form->SSTCfg->SSTCfg_ExitProgram->click();
    ASSERT_TRUE(waitUntil([&] { return form->ExitToProgram; }, 10000));

    // Every settings file holds what the user chose.
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), pictureList) << "ids 14, 1, 5, 20 stay";
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat").left(17), "15\r\n2\r\nFull_Scree");
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.dat"), "\r\n\r\n\r\n\r\n0\r\n");
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), " 1");
    EXPECT_EQ(portable.read("Cirrolith4_MyTown.dat"), town);
    EXPECT_TRUE(platform::ProcessEnd::requested());
    // The probes through the refusing proxy, then one that arrived.
    EXPECT_EQ(servers.logText().count("x00=x8888"), 1);
    EXPECT_EQ(proxy.requests, probesBeforeAnswer);
}

// A catalogue with a credit line of five "-", an address without ".", and
// "&" in a code: every other entry loads and shows, pass after pass, and each
// complaint is told at most once per build, never longer than a slide.
TEST_F(ProgramRun, HostileCatalogueEntriesNeverStopTheShow)
{
    servertest::ServerProcess pictures;
    ASSERT_TRUE(pictures.start({"--catalogue", CIRROLITH_DEMO_CATALOGUE, "--webroot", CIRROLITH_DEMO_WEBROOT}))
        << pictures.stderrText();
    const QByteArray at = "http://127.0.0.1:" + QByteArray::number(pictures.port());
    QTemporaryDir dir;
    QFile catalogue(dir.filePath("catalogue.txt"));
    ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
    catalogue.write(at + "/demo/sat/europe-visible.jpg | 14 | Satellite SATVIS Europe | DEMO-a-b-c-d-e\n" +
                    "http://localhost:" + QByteArray::number(pictures.port()) +
                    "/demo/noextension | 1 | Radar RAD North | DEMO-radar\n" +
                    at + "/demo/chart/synoptic-00.png | 5 | Chart A&B<C> analysis | DEMO-chart-200\n" +
                    at + "/demo/cam/harbour.bmp | 20 | Webcam CAMHARB Harbour | DEMO-webcam\n");
    catalogue.close();
    servertest::ServerProcess server;
    ASSERT_TRUE(server.start({"--catalogue", catalogue.fileName().toStdString()})) << server.stderrText();

    portable.writeSecondStart();
    startProgram(QStringLiteral("http://127.0.0.1:%1/public/catalogue?").arg(server.port()));
    ASSERT_TRUE(waitUntil([&] { return form->slideCount == 4 && slideTicks() >= 2; }, 60000));
    const int firstBuildTicks = slideTicks();
    ASSERT_TRUE(waitUntil([&] { return slideTicks() >= firstBuildTicks + 12; }, 30000))
        << "three more passes";

    EXPECT_FALSE(form->listIMAGEnotLoaded[0]);
    EXPECT_TRUE(form->listIMAGEnotLoaded[1]) << "the address without \".\" gets its placeholder";
    EXPECT_TRUE(form->listIMAGE[1]);
    EXPECT_FALSE(form->listIMAGEnotLoaded[2]);
    EXPECT_FALSE(form->listIMAGEnotLoaded[3]);
    EXPECT_EQ(noticesWith("too many fields"), 1) << "once for the build, in English";
    EXPECT_EQ(noticesWith("PICTURE WITH EXT. FORMAT NOT SUPPORTED"), 1);
    EXPECT_EQ(noticesWith("troppi"), 0);
    for (const auto &s : dialogs.shown()) {
        EXPECT_GT(s.closesAfterMs, 0) << "waits for a click on the show's path: " << s.text.toStdString();
        EXPECT_LE(s.closesAfterMs, 2000) << s.text.toStdString();
    }
}

namespace {

QPoint centreOn(QWidget *window, QWidget *w) { return w->mapTo(window, w->rect().center()); }

void clickAt(QPoint p)
{
    QProcess::execute("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
}

} // namespace

// The real program, clicked as a user would: the server goes away and comes
// back while the show runs, the panel is opened and "Start Slide Show"
// clicked during an outage, and later Run-Exit -> Exit during another. The
// settings files hold what the user chose, and the program asked the
// server for the selection again once it was back.
TEST(RealProgram, OutagesWithThePanelLoseNothing)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
    TempPortable portable;
    const QString program = installBuiltProgram(portable);
    ASSERT_FALSE(program.isEmpty());
    portable.writeSecondStart();
    const QByteArray before[] = {portable.read("Cirrolith4_Picture_List.dat"), portable.read("Cirrolith4_Proxy.dat"),
                                 portable.read("Cirrolith4_Language.dat"), portable.read("Cirrolith4_MyTown.dat")};

    // Where the program's controls are on this screen: the same window laid
    // out in this process.
    QPoint setup, runExitTab, start, exit;
    {
        platform::ScriptedDialogs dialogs;
        platform::ScopedDialogs scope(&dialogs);
        TempPortable layout;
        FormPicture form(StartOptions{layout.appDir(), QString()});
        ASSERT_TRUE(form.Form_Load());
        form.setAttribute(Qt::WA_DontShowOnScreen);
        form.resize(1920, 1080);
        form.show();   // laid out, never mapped; its timers stay held
        form.SSTCfg->LayoutPanelTabs();
        form.SSTCfg->show();
        QCoreApplication::processEvents();
        setup = centreOn(&form, form.bar->btSetup);
        QTabBar *tabs = form.SSTCfg->tabBar();
        runExitTab = tabs->mapTo(&form, tabs->tabRect(SetupPanel::TabRunExit).center());
        start = centreOn(&form, form.SSTCfg->SSTCfg_cmdConferma);
        exit = centreOn(&form, form.SSTCfg->SSTCfg_ExitProgram);
    }

    DemoServers servers;
    ASSERT_TRUE(servers.start()) << servers.errorText();
    const int port = servers.catalogue.port();
    const auto restartCatalogue = [&] { return servers.restartCatalogue(port); };
    const auto requests = [&](const char *kind) { return servers.logText().count(QLatin1String(kind)); };

    QProcess run;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CIRROLITH_CATALOGUE_URL", servers.catalogueAddress());
    env.insert("QT_LOGGING_RULES", "cirrolith.*.info=true");
    run.setProcessEnvironment(env);
    run.start(program, {});
    ASSERT_TRUE(run.waitForStarted(10000));
    QByteArray errors;   // the program's stderr: what it tells whoever looks after the screen
    const auto waitFor = [&](const std::function<bool()> &done, int ms) {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && !done()) {
            run.waitForReadyRead(100);
            errors += run.readAllStandardError();
        }
        return done();
    };
    const auto said = [&](const char *text) { return errors.count(text); };
    // The panel opens once its catalogue has failed; its buttons work from
    // the run control's next tick.
    const auto openPanelDuringOutage = [&] {
        const int opened = said("configuration panel open");
        clickAt(setup);
        EXPECT_TRUE(waitFor([&] { return said("configuration panel open") > opened; }, 30000));
        waitFor([] { return false; }, 3000);
        clickAt(runExitTab);
        waitFor([] { return false; }, 1000);
    };
    ASSERT_TRUE(waitFor([&] { return requests("[credits]") >= 1; }, 60000)) << "the show is loaded";
    waitFor([] { return false; }, 6000);   // a few slides of 2 s

    for (int outage = 0; outage < 2; ++outage) {
        servers.catalogue.stop();
        waitFor([] { return false; }, 4000);
        ASSERT_EQ(run.state(), QProcess::Running);
        ASSERT_TRUE(restartCatalogue()) << servers.errorText();
        waitFor([] { return false; }, 3000);
    }

    // "Start Slide Show" while the server is away: nobody waits for it; the
    // selection is asked for in the background.
    servers.catalogue.stop();
    openPanelDuringOutage();
    const int unavailable = said("catalogue server unavailable");
    clickAt(start);
    EXPECT_TRUE(waitFor([&] { return said("catalogue server unavailable") > unavailable; }, 30000));
    waitFor([] { return false; }, 2000);
    ASSERT_EQ(run.state(), QProcess::Running) << "no reset, no quit";
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), before[0]);
    const int selectedBefore = requests("[selected]");
    const int creditsBefore = requests("[credits]");
    ASSERT_TRUE(restartCatalogue()) << servers.errorText();
    EXPECT_TRUE(waitFor([&] { return requests("[selected]") > selectedBefore; }, 45000))
        << "the stored selection asked for again once the server is back";
    ASSERT_TRUE(waitFor([&] { return requests("[credits]") > creditsBefore; }, 60000)) << "and shown";
    waitFor([] { return false; }, 4000);

    // Run-Exit -> Exit during another outage.
    servers.catalogue.stop();
    openPanelDuringOutage();
    clickAt(exit);
    EXPECT_TRUE(run.waitForFinished(15000));
    if (run.state() != QProcess::NotRunning) {
        run.kill();
        run.waitForFinished(5000);
    }

    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), before[0]) << "ids 14, 1, 5, 20 stay";
    EXPECT_TRUE(portable.read("Cirrolith4_Config.dat").startsWith("15\r\n2\r\nFull_Screen"));
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.dat"), before[1]);
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), before[2]);
    EXPECT_EQ(portable.read("Cirrolith4_MyTown.dat"), before[3]);
    EXPECT_EQ(requests("x00=x8888"), 1) << "one probe: the server answered it";
}
