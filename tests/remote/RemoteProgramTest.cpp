// The built program on a real X server, steered and watched only through a
// real Mosquitto broker on 127.0.0.1, as Home Assistant would: discovery and
// availability retained, commands carried out, a collection switched, the
// screen turned off and on, hostile payloads refused, the broker lost and
// back while the show goes on, and the broker's last will when the program
// is killed.
#include "server/ServerProcess.h"
#include "support/DemoServers.h"
#include "support/TempPortable.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>

namespace {

// A Mosquitto broker of the test's own on an ephemeral port.
class Broker {
public:
    bool start(quint16 port = 0)
    {
        if (port == 0) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            port = probe.serverPort();
        }
        m_port = port;
        QFile conf(m_dir.filePath("mosquitto.conf"));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        conf.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n")
                       .arg(port)
                       .toUtf8());
        conf.close();
        m_process.start("mosquitto", {"-c", conf.fileName()});
        if (!m_process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port);
            if (s.waitForConnected(200))
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    void stop()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    ~Broker() { stop(); }
    quint16 port() const { return m_port; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

struct Message {
    qint64 at;   // ms since the test began
    QString topic;
    QByteArray payload;
};

class RemoteProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "runs on a real X server";
        program = installBuiltProgram(portable);
        ASSERT_TRUE(QFileInfo(program).isExecutable());
        clock.start();
    }
    void TearDown() override
    {
        for (QProcess *p : {&run, &sub}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    QStringList brokerArgs() const { return {"-h", "127.0.0.1", "-p", QString::number(broker.port())}; }

    void subscribe()
    {
        sub.start("mosquitto_sub", brokerArgs() + QStringList{"-v", "-t", "cirrolith/#"});
        ASSERT_TRUE(sub.waitForStarted(5000));
    }

    void publish(const QString &topic, const QByteArray &payload)
    {
        QProcess::execute("mosquitto_pub", brokerArgs() + QStringList{"-t", topic, "-m", QString::fromUtf8(payload)});
    }
    qint64 publishTimed(const QString &topic, const QByteArray &payload)
    {
        const qint64 at = clock.elapsed();
        publish(topic, payload);
        return at;
    }

    // Reads what has come, from the subscriber and the program's stderr.
    void drain()
    {
        while (sub.canReadLine()) {
            const QByteArray line = sub.readLine().chopped(1);
            const int blank = line.indexOf(' ');
            messages.push_back({clock.elapsed(), QString::fromUtf8(line.left(blank)),
                                blank < 0 ? QByteArray() : line.mid(blank + 1)});
        }
        errors += run.readAllStandardError();
    }
    bool waitFor(const std::function<bool()> &done, int ms)
    {
        QDeadlineTimer deadline(ms);
        for (;;) {
            drain();
            if (done())
                return true;
            if (deadline.hasExpired())
                return false;
            sub.waitForReadyRead(5);
            run.waitForReadyRead(5);
        }
    }
    void idle(int ms)
    {
        waitFor([] { return false; }, ms);
    }

    QString topic(const char *rest) const { return QStringLiteral("cirrolith/kitchen_1/") + QLatin1String(rest); }
    // The last state published, and when.
    QJsonObject state(qint64 *at = nullptr) const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
            if (it->topic == topic("state")) {
                if (at)
                    *at = it->at;
                return QJsonDocument::fromJson(it->payload).object();
            }
        }
        return {};
    }
    int statesSince(qint64 at) const
    {
        return int(std::count_if(messages.begin(), messages.end(),
                                 [&](const Message &m) { return m.at >= at && m.topic == topic("state"); }));
    }
    QString last(const char *rest) const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
            if (it->topic == topic(rest))
                return QString::fromUtf8(it->payload);
        }
        return {};
    }

    // What the broker keeps for a newcomer.
    QMap<QString, QByteArray> retained()
    {
        QProcess p;
        p.start("mosquitto_sub", brokerArgs() + QStringList{"--retained-only", "-W", "2", "-v", "-t", "cirrolith/#",
                                                            "-t", "homeassistant/#"});
        p.waitForFinished(8000);
        QMap<QString, QByteArray> out;
        for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
            const int blank = line.indexOf(' ');
            if (blank > 0)
                out[QString::fromUtf8(line.left(blank))] = line.mid(blank + 1);
        }
        return out;
    }

    // Every pixel of the screen black.
    static bool screenBlack()
    {
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
        for (int y = 0; y < shot.height(); y += 7)
            for (int x = 0; x < shot.width(); x += 7)
                if ((shot.pixel(x, y) & 0xffffff) != 0)
                    return false;
        return !shot.isNull();
    }

    QElapsedTimer clock;
    TempPortable portable;
    QString program;
    DemoServers servers;
    Broker broker;
    QProcess run;
    QProcess sub;
    std::vector<Message> messages;
    QByteArray errors;
};

TEST_F(RemoteProgram, SteeredAndWatchedThroughTheBroker)
{
    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(servers.start()) << servers.errorText();
    portable.writeSecondStart();   // 2 s slides, the four default pictures
    const QString collections = portable.root() + "/Data/Cirrolith_Collections";
    QDir().mkpath(collections);
    {
        QFile radar(collections + "/Radar.xml");
        ASSERT_TRUE(radar.open(QIODevice::WriteOnly));
        radar.write("<?xml version=\"1.0\"?>\r\n<CirrolithCollection>\r\n\t<PicList>\r\n"
                    "\t\t<PicItem>\r\n\t\t\t<CodePic>RADN</CodePic>\r\n\t\t</PicItem>\r\n"
                    "\t\t<PicItem>\r\n\t\t\t<CodePic>RADS</CodePic>\r\n\t\t</PicItem>\r\n"
                    "\t\t<PicItem>\r\n\t\t\t<CodePic>RADSUM</CodePic>\r\n\t\t</PicItem>\r\n"
                    "\t</PicList>\r\n</CirrolithCollection>\r\n");
    }
    subscribe();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CIRROLITH_CATALOGUE_URL", servers.catalogueAddress());
    env.insert("CIRROLITH_MQTT", QStringLiteral("mqtt://127.0.0.1:%1").arg(broker.port()));
    env.insert("CIRROLITH_MQTT_ID", "Kitchen-1");
    env.insert("QT_LOGGING_RULES", "cirrolith.show.debug=true");
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    run.setProcessEnvironment(env);
    run.start(program, {});
    ASSERT_TRUE(run.waitForStarted(10000));

    ASSERT_TRUE(waitFor([&] { return state()["state"] == "running" && state()["slide"].toInt() >= 1; }, 90000))
        << errors.toStdString();
    EXPECT_EQ(state()["slides"].toInt(), 4);
    EXPECT_EQ(state()["server"].toString(), "ok");
    EXPECT_FALSE(state()["refreshed"].toString().isEmpty());
    EXPECT_FALSE(state()["credit"].toString().isEmpty());

    // What a Home Assistant started later finds on the broker.
    const QMap<QString, QByteArray> kept = retained();
    EXPECT_EQ(kept.value(topic("availability")), "online");
    EXPECT_EQ(kept.value(topic("collection/options")), "[\"Radar.xml\"]");
    EXPECT_TRUE(kept.contains(topic("state")));
    int configs = 0;
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (!it.key().startsWith("homeassistant/"))
            continue;
        ++configs;
        EXPECT_EQ(QJsonDocument::fromJson(it.value()).object()["availability_topic"].toString(), topic("availability"));
    }
    EXPECT_EQ(configs, 11);

    // Paused: the slides stand still, and "pause" again does not resume.
    publish(topic("cmd"), "pause");
    ASSERT_TRUE(waitFor([&] { return state()["state"] == "paused"; }, 5000));
    const int pausedAt = state()["slide"].toInt();
    publish("cirrolith/all/cmd", "pause");
    idle(5000);
    EXPECT_EQ(state()["state"].toString(), "paused");
    EXPECT_EQ(state()["slide"].toInt(), pausedAt);

    // "next" while paused: only the command moves the slide, so the time to
    // the new slide's state is the command's own.
    std::vector<qint64> delays;
    for (int i = 0; i < 6; ++i) {
        const int before = state()["slide"].toInt();
        const qint64 sent = publishTimed(i % 2 ? "cirrolith/all/cmd" : topic("cmd"), "next");
        qint64 shownAt = 0;
        ASSERT_TRUE(waitFor([&] { return state(&shownAt)["slide"].toInt() == before % 4 + 1; }, 5000)) << i;
        delays.push_back(shownAt - sent);
        idle(300);
    }
    std::sort(delays.begin(), delays.end());
    std::cout << "next published -> next slide's state: median " << delays[delays.size() / 2] << " ms, max "
              << delays.back() << " ms (the run control's tick: 1000 ms)" << std::endl;
    EXPECT_LT(delays.back(), 1000);
    publish(topic("cmd"), "previous");
    EXPECT_TRUE(waitFor([&] { return state()["slide"].toInt() == (pausedAt + 5) % 4 + 1; }, 5000));
    publish(topic("cmd"), "resume");
    ASSERT_TRUE(waitFor([&] { return state()["state"] == "running"; }, 5000));

    // Hostile payloads: each refused with one line, nothing changes.
    const QByteArray config = portable.read("Cirrolith4_Config.dat");
    const QByteArray list = portable.read("Cirrolith4_Picture_List.dat");
    const int refusedBefore = int(errors.count("refused"));
    {
        QFile big(portable.base() + "/big");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write(QByteArray(1 << 20, 'n'));
        big.close();
        QProcess::execute("mosquitto_pub", brokerArgs() + QStringList{"-t", topic("cmd"), "-f", big.fileName()});
    }
    for (const auto &[where, what] : std::vector<std::pair<const char *, QByteArray>>{
             {"cmd", "reboot"},
             {"cmd", "\x01\x02\xff"},
             {"collection/set", "../Cirrolith_Work/Cirrolith4_Config.dat"},
             {"collection/set", "/etc/passwd"},
             {"collection/set", "Missing.xml"},
             {"slide_seconds/set", "0"},
             {"slide_seconds/set", "66"},
             {"slide_seconds/set", "2; rm -rf /"}})
        publish(topic(where), what);
    EXPECT_TRUE(waitFor([&] { return errors.count("refused") >= refusedBefore + 9; }, 5000)) << errors.toStdString();
    idle(1500);
    EXPECT_EQ(errors.count("refused"), refusedBefore + 9) << errors.toStdString();
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), config);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), list);
    EXPECT_EQ(run.state(), QProcess::Running);

    // A whole number of seconds, saved as the panel saves it.
    publish(topic("slide_seconds/set"), "3");
    EXPECT_TRUE(waitFor([&] { return portable.read("Cirrolith4_Config.dat").startsWith("15\r\n3\r\n"); }, 5000));

    // Another collection: its three pictures are the show, and the stored
    // selection is theirs (catalogue positions 12, 13 and 17).
    publish(topic("collection/set"), "Radar.xml");
    ASSERT_TRUE(waitFor([&] { return state()["collection"] == "Radar.xml" && state()["state"] == "running"; }, 60000))
        << errors.toStdString();
    EXPECT_EQ(state()["slides"].toInt(), 3);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), "12\r\n11\r\n13\r\n12\r\n17\r\n17\r\n\r\n\r\n");
    EXPECT_TRUE(waitFor([&] { return state()["credit"].toString().contains("radar"); }, 8000));

    // The screen off for the night: black, and the show stands.
    publish(topic("cmd"), "screen_off");
    ASSERT_TRUE(waitFor([&] { return state()["state"] == "off"; }, 5000)) << errors.toStdString();
    idle(500);
    EXPECT_TRUE(screenBlack());
    if (!qEnvironmentVariableIsEmpty("REMOTE_TEST_SHOT"))
        QGuiApplication::primaryScreen()->grabWindow(0).save(qEnvironmentVariable("REMOTE_TEST_SHOT"));
    const int offAt = state()["slide"].toInt();
    publish(topic("cmd"), "next");
    idle(3000);
    EXPECT_EQ(state()["slide"].toInt(), offAt);
    publish(topic("cmd"), "screen_on");
    ASSERT_TRUE(waitFor([&] { return state()["state"] == "running"; }, 5000));
    idle(500);
    EXPECT_FALSE(screenBlack());

    // The broker goes away: the show goes on, the program says so once and
    // comes back by itself.
    broker.stop();
    sub.kill();
    sub.waitForFinished(3000);
    drain();
    const qsizetype slidesBefore = errors.count("slide");
    idle(7000);
    EXPECT_GE(errors.count("slide") - slidesBefore, 2) << "slides went on without the broker";
    EXPECT_EQ(errors.count("cannot be reached"), 1) << errors.toStdString();
    ASSERT_TRUE(broker.start(broker.port()));
    subscribe();
    EXPECT_TRUE(waitFor([&] { return last("availability") == "online" && !state().isEmpty(); }, 20000))
        << errors.toStdString();
    EXPECT_EQ(retained().value(topic("availability")), "online");

    // Killed: the broker tells everyone.
    const qint64 killedAt = clock.elapsed();
    run.kill();
    run.waitForFinished(5000);
    EXPECT_TRUE(waitFor([&] { return last("availability") == "offline"; }, 5000));
    EXPECT_GE(statesSince(0), 10);
    (void)killedAt;
}

} // namespace
