// Ten minutes of a catalogue server in trouble, with the built program on a
// real X screen and a scripted user: error pages from a front end, closed
// connections, hangs, slow answers and a proxy whose server is stopped. The
// show never strands and comes back by itself; only the user's own saves
// change the settings; the server is never stormed; every quit is prompt.
#include "core/FormPicture.h"
#include "panel/SetupPanel.h"
#include "platform/DialogService.h"
#include "settings/ProxyFiles.h"
#include "slideshow/ControlBar.h"
#include "support/DemoServers.h"
#include "support/TempPortable.h"
#include "support/Tinyproxy.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTabBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <csignal>
#include <functional>
#include <iostream>

namespace {

QPoint centreOn(QWidget *window, QWidget *w) { return w->mapTo(window, w->rect().center()); }

void xdotool(const QStringList &args) { QProcess::execute(QStringLiteral("xdotool"), args); }

void clickAt(QPoint p)
{
    xdotool({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "1"});
}

// Where the program's controls are on this screen: the same window laid out
// in this process, never mapped.
struct Places {
    QPoint setup, selectionTab, firstRow, runExitTab, start;
};

Places findPlaces()
{
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope(&dialogs);
    TempPortable layout;
    FormPicture form(StartOptions{layout.appDir(), QString()});
    Places at;
    if (!form.Form_Load())
        return at;
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.resize(1920, 1080);
    form.show();
    form.SSTCfg->LayoutPanelTabs();
    form.SSTCfg->show();
    QCoreApplication::processEvents();
    at.setup = centreOn(&form, form.bar->btSetup);
    QTabBar *tabs = form.SSTCfg->tabBar();
    at.selectionTab = tabs->mapTo(&form, tabs->tabRect(SetupPanel::TabPictureSelection).center());
    at.runExitTab = tabs->mapTo(&form, tabs->tabRect(SetupPanel::TabRunExit).center());
    at.start = centreOn(&form, form.SSTCfg->SSTCfg_cmdConferma);
    QListWidget *list = form.SSTCfg->Tabella_Mappe_Selezionate;
    const QFontMetrics fm(list->font());
    at.firstRow = list->viewport()->mapTo(&form, QPoint(list->viewport()->width() / 3, fm.height() / 2 + 2));
    return at;
}

// One run of the built program, its standard error read as it comes.
class Program {
public:
    bool start(const QString &exe, const QString &catalogueAddress)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("CIRROLITH_CATALOGUE_URL", catalogueAddress);
        env.insert("QT_LOGGING_RULES", "cirrolith.*=true");
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
        m_run.setProcessEnvironment(env);
        m_run.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_run.start(exe, {});
        return m_run.waitForStarted(10000);
    }
    ~Program()
    {
        if (m_run.state() != QProcess::NotRunning) {
            m_run.kill();
            m_run.waitForFinished(3000);
        }
    }
    // Runs for ms (real), or until done holds.
    bool waitFor(const std::function<bool()> &done, int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && !done()) {
            m_run.waitForReadyRead(50);
            read();
        }
        return done();
    }
    void pass(int ms) { waitFor([] { return false; }, ms); }
    bool running() const { return m_run.state() == QProcess::Running; }
    qsizetype mark() const { return m_log.size(); }
    int said(const QString &text, qsizetype from = 0) const
    {
        return QString::fromUtf8(m_log.mid(from)).count(text);
    }
    bool saidMatch(const QRegularExpression &re, qsizetype from = 0) const
    {
        return re.match(QString::fromUtf8(m_log.mid(from))).hasMatch();
    }
    // Ms from a key to the end of the process; -1 when it did not end within 10 s.
    qint64 quitWith(const QString &key)
    {
        xdotool({"key", key});
        QElapsedTimer t;
        t.start();
        if (!m_run.waitForFinished(10000))
            return -1;
        const qint64 took = t.elapsed();
        read();
        return took;
    }
    const QByteArray &log() const { return m_log; }

private:
    void read()
    {
        const QByteArray more = m_run.readAllStandardError();
        m_log += more;
        std::cerr << more.constData();
    }
    QProcess m_run;
    QByteArray m_log;
};

class ChaosRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        places = findPlaces();
        ASSERT_FALSE(places.setup.isNull());
        ASSERT_TRUE(servers.start()) << servers.errorText();
        port = servers.catalogue.port();
    }
    // The catalogue server again on its port, healthy or with the given faults.
    void serve(const std::vector<std::string> &faults = {})
    {
        servers.catalogue.stop();
        std::vector<std::string> args = {"--catalogue", servers.cataloguePath().toStdString(), "--log",
                                         servers.logPath().toStdString(), "--port", std::to_string(port)};
        args.insert(args.end(), faults.begin(), faults.end());
        ASSERT_TRUE(servers.catalogue.start(args)) << servers.errorText();
    }
    // Setup is reachable: a user clicks it (again while a tick hides it)
    // until the panel is open.
    void openPanel(Program &run, const char *when)
    {
        const qsizetype from = run.mark();
        const bool opened = run.waitFor(
            [&] {
                if (run.said(QStringLiteral("configuration panel open"), from) > 0)
                    return true;
                clickAt(places.setup);
                run.pass(1500);
                return run.said(QStringLiteral("configuration panel open"), from) > 0;
            },
            40000);
        EXPECT_TRUE(opened) << "Setup reachable " << when;
        ++panelsOpened;
        run.pass(3000);
    }
    void startSlideShow(Program &run)
    {
        clickAt(places.runExitTab);
        run.pass(800);
        clickAt(places.start);
    }
    // Slides from a new synchronisation within 60 s of the server's return,
    // without a click.
    void expectShowBack(Program &run, const char *when)
    {
        const qsizetype from = run.mark();
        // The set is built inside the synchronisation, which is logged once
        // its last request is in; then the first slide of the set.
        static const QRegularExpression synced(
            QStringLiteral("slide set ready: [1-9].*?catalogue synchronised.*?cirrolith\\.show: slide 1 of"),
            QRegularExpression::DotMatchesEverythingOption);
        QElapsedTimer t;
        t.start();
        EXPECT_TRUE(run.waitFor([&] { return run.saidMatch(synced, from); }, 60000)) << "slides again " << when;
        std::cout << "slides back " << when << " after " << t.elapsed() << " ms\n";
    }
    QByteArray file(const char *name) const { return portable.read(QString::fromLatin1(name)); }
    // The most catalogue requests the server logged in any minute.
    int busiestMinute() const
    {
        QList<QDateTime> at;
        for (const QString &line : servers.logText().split(u'\n'))
            if (line.contains(QLatin1String("/public/catalogue?")))
                at << QDateTime::fromString(line.left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        int most = 0;
        for (int i = 0, j = 0; i < at.size(); ++i) {
            while (at[j].msecsTo(at[i]) > 60000)
                ++j;
            most = std::max(most, i - j + 1);
        }
        return most;
    }

    TempPortable portable;
    DemoServers servers;
    Places places;
    int port = 0;
    int panelsOpened = 0;
};

TEST_F(ChaosRun, TheShowNeverStrandsAndComesBackByItself)
{
    const QString exe = installBuiltProgram(portable);
    ASSERT_FALSE(exe.isEmpty());
    portable.writeSecondStart();
    const QByteArray untouchable[] = {file("Cirrolith4_Proxy.dat"), file("Cirrolith4_Language.dat"),
                                      file("Cirrolith4_MyTown.dat")};
    QElapsedTimer whole;
    whole.start();

    // ---- First run: straight to the server. ----
    {
        Program run;
        ASSERT_TRUE(run.start(exe, servers.catalogueAddress()));
        ASSERT_TRUE(run.waitFor([&] { return run.said(QStringLiteral("cirrolith.show: slide 2 of")) > 0; }, 60000))
            << "the show is on";
        const QByteArray config = file("Cirrolith4_Config.dat");
        const QByteArray list = file("Cirrolith4_Picture_List.dat");

        // A front end whose server is down: 503 pages. The user opens the
        // panel (no catalogue has ever come, so its list is empty) and starts
        // the show again; nothing is reset, and the old set goes on.
        serve({"--misbehave", "status=503"});
        run.pass(5000);
        openPanel(run, "during 503 pages");
        EXPECT_EQ(run.said(QStringLiteral("slide set ready: 0 slides")), 0);
        startSlideShow(run);
        run.pass(5000);
        const qsizetype during = run.mark();
        run.pass(90000);
        EXPECT_GT(run.said(QStringLiteral("cirrolith.show: slide "), during), 5) << "the old set goes on";
        EXPECT_EQ(run.said(QStringLiteral("catalogue synchronised"), during), 0) << "logged only when it was";
        EXPECT_EQ(file("Cirrolith4_Picture_List.dat"), list);
        serve();
        expectShowBack(run, "after 503 pages");

        // Connections closed without a byte while the user, in the panel
        // opened just before, changes the selection and starts the show: the
        // new selection is shown once the server is back.
        run.pass(5000);
        openPanel(run, "with the server back");
        run.pass(5000);
        serve({"--misbehave", "close"});
        clickAt(places.selectionTab);
        run.pass(800);
        clickAt(places.firstRow);
        run.pass(800);
        startSlideShow(run);
        run.pass(60000);
        const QByteArray chosen = file("Cirrolith4_Picture_List.dat");
        EXPECT_NE(chosen, list) << "the user's new selection is saved";
        serve();
        expectShowBack(run, "after closed connections");
        EXPECT_EQ(file("Cirrolith4_Picture_List.dat"), chosen);

        // A server that hangs: the panel is opened while it does, and the
        // user quits in the middle of the wait.
        run.pass(5000);
        serve({"--misbehave", "hang"});
        openPanel(run, "while the server hangs");
        run.pass(25000);
        const qint64 quit = run.quitWith(QStringLiteral("Escape"));
        std::cout << "quit during a hang: " << quit << " ms\n";
        EXPECT_GE(quit, 0);
        EXPECT_LE(quit, 2500) << "a quit ends the process at once";
        EXPECT_EQ(file("Cirrolith4_Config.dat").left(config.size()), config);
        EXPECT_EQ(run.said(QStringLiteral("configuration panel open")), panelsOpened) << "never by itself";
        EXPECT_EQ(run.said(QStringLiteral("configuration erased")), 0);
    }

    // ---- Second run, through a proxy, started while the server is down
    // behind its front end (the probe answers, every other request gets a
    // 503 page). ----
    Tinyproxy proxy;
    ASSERT_TRUE(proxy.start());
    ProxyFields fields;
    fields.address = QStringLiteral("127.0.0.1");
    fields.port = QString::number(proxy.port());
    fields.enabled = true;
    portable.write(QStringLiteral("Cirrolith4_Proxy.dat"), formatProxyFile(fields));
    const QByteArray proxyFile = file("Cirrolith4_Proxy.dat");
    const QByteArray list = file("Cirrolith4_Picture_List.dat");
    panelsOpened = 0;
    {
        serve({"--misbehave", "status=503,on=message+addresses+ids+descriptions+selected+credits"});
        Program run;
        ASSERT_TRUE(run.start(exe, servers.catalogueAddress()));
        ASSERT_TRUE(run.waitFor([&] { return run.said(QStringLiteral("answered the probe")) > 0; }, 30000));
        run.pass(110000);
        EXPECT_EQ(run.said(QStringLiteral("slide set ready")), 0);
        EXPECT_EQ(run.said(QStringLiteral("configuration panel open")), 0) << "no panel by itself";
        EXPECT_GT(run.said(QStringLiteral("catalogue server unavailable")), 0) << "says why";
        EXPECT_EQ(file("Cirrolith4_Picture_List.dat"), list);
        serve();
        expectShowBack(run, "after a start into 503 pages");

        // Slow answers: the panel fills, and the same selection starts again.
        run.pass(5000);
        serve({"--misbehave", "delay=2500"});
        openPanel(run, "with slow answers");
        run.pass(12000);
        startSlideShow(run);
        run.pass(40000);
        EXPECT_GT(run.said(QStringLiteral("cirrolith.show: slide ")), 0);

        // The server stopped behind the proxy: the proxy's own error pages.
        serve();
        servers.catalogue.stop();
        openPanel(run, "behind a proxy whose server is stopped");
        startSlideShow(run);
        run.pass(75000);
        EXPECT_EQ(run.said(QStringLiteral("configuration erased")), 0);
        EXPECT_EQ(file("Cirrolith4_Picture_List.dat"), list);
        serve();
        expectShowBack(run, "behind the proxy");
        run.pass(5000);
        const qint64 quit = run.quitWith(QStringLiteral("ctrl+q"));
        std::cout << "quit during the show: " << quit << " ms\n";
        EXPECT_GE(quit, 0);
        EXPECT_LE(quit, 2500);
        EXPECT_EQ(run.said(QStringLiteral("configuration panel open")), panelsOpened) << "never by itself";
    }

    EXPECT_EQ(file("Cirrolith4_Proxy.dat"), proxyFile);
    EXPECT_EQ(file("Cirrolith4_Language.dat"), untouchable[1]);
    EXPECT_EQ(file("Cirrolith4_MyTown.dat"), untouchable[2]);
    const int busiest = busiestMinute();
    std::cout << "busiest minute: " << busiest << " catalogue requests; the run took " << whole.elapsed() / 1000
              << " s\n";
    EXPECT_LE(busiest, 30) << "never a storm";
}

} // namespace
