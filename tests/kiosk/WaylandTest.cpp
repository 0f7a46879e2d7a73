// The built program under a real headless Wayland compositor (sway, as
// Debian ships it), against the demo catalogue: a picture and a web page.
// The compositor is asked what it shows: the window must stay full screen
// through every page capture and hold an idle inhibitor.
#include "kiosk/KioskKit.h"
#include "server/ServerProcess.h"
#include "support/DemoServers.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QImage>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <optional>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The settings of a second start with the picture of position 0 and the
// demo forecast page (position 32, id 40) selected, 2 s a slide.
void writePictureAndPage(const TempPortable &portable)
{
    portable.writeSecondStart();
    portable.write(QStringLiteral("Cirrolith4_Picture_List.dat"), "0\r\n14\r\n32\r\n40\r\n\r\n\r\n");
}

// sway on the headless back end, in a runtime folder of its own. sway
// refuses to run as root, so as root it runs as nobody.
class Sway {
public:
    bool start(QString *why)
    {
        const QString sway = QStandardPaths::findExecutable(QStringLiteral("sway"));
        if (sway.isEmpty()) {
            *why = QStringLiteral("sway is not installed");
            return false;
        }
        if (!m_dir.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        QFile config(m_dir.filePath(QStringLiteral("config")));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write("xwayland disable\n"
                     "output HEADLESS-1 resolution 1280x800\n"
                     "default_border none\n");
        config.close();
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("DISPLAY"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.insert(QStringLiteral("SWAYSOCK"), socket());
        env.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
        env.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
        env.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        QStringList args{QStringLiteral("-c"), config.fileName()};
        if (::geteuid() == 0) {
            if (::chown(QFile::encodeName(m_dir.path()).constData(), 65534, 65534) != 0) {
                *why = QStringLiteral("cannot hand the runtime folder to nobody");
                return false;
            }
            args.prepend(sway);
            args = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                               QStringLiteral("--clear-groups")} + args;
            m_process.start(QStringLiteral("setpriv"), args);
        } else {
            m_process.start(sway, args);
        }
        if (!m_process.waitForStarted(5000)) {
            *why = QStringLiteral("sway does not start: ") + m_process.errorString();
            return false;
        }
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && m_process.state() == QProcess::Running) {
            if (QFileInfo::exists(m_dir.filePath(QStringLiteral("wayland-1"))) && query("get_outputs"))
                return true;
            QThread::msleep(100);
        }
        *why = QStringLiteral("sway did not come up: ") + QString::fromUtf8(m_process.readAll());
        return false;
    }
    ~Sway()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000)) {
                m_process.kill();
                m_process.waitForFinished(5000);
            }
        }
    }

    QString runtimeDir() const { return m_dir.path(); }
    QString socket() const { return m_dir.filePath(QStringLiteral("sway.sock")); }

    // swaymsg -t TYPE, parsed.
    std::optional<QJsonDocument> query(const char *type) const
    {
        QProcess msg;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SWAYSOCK"), socket());
        msg.setProcessEnvironment(env);
        msg.start(QStringLiteral("swaymsg"), {QStringLiteral("-r"), QStringLiteral("-t"), QString::fromLatin1(type)});
        if (!msg.waitForFinished(5000) || msg.exitCode() != 0)
            return std::nullopt;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(msg.readAllStandardOutput(), &error);
        if (error.error != QJsonParseError::NoError)
            return std::nullopt;
        return doc;
    }

    // The tree's node of the window of process pid, and the output it is on.
    std::optional<QJsonObject> windowOf(qint64 pid, QString *output = nullptr) const
    {
        const auto tree = query("get_tree");
        if (!tree)
            return std::nullopt;
        std::optional<QJsonObject> found;
        std::function<void(const QJsonObject &, const QString &)> walk = [&](const QJsonObject &node,
                                                                            QString on) {
            if (node.value(QStringLiteral("type")).toString() == QStringLiteral("output"))
                on = node.value(QStringLiteral("name")).toString();
            if (node.value(QStringLiteral("pid")).toInteger() == pid) {
                found = node;
                if (output)
                    *output = on;
            }
            for (const char *children : {"nodes", "floating_nodes"})
                for (const QJsonValue &child : node.value(QLatin1String(children)).toArray())
                    walk(child.toObject(), on);
        };
        walk(tree->object(), QString());
        return found;
    }

    bool command(const QString &text) const
    {
        QProcess msg;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("SWAYSOCK"), socket());
        msg.setProcessEnvironment(env);
        msg.start(QStringLiteral("swaymsg"), {text});
        return msg.waitForFinished(5000) && msg.exitCode() == 0;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

QString describe(const QJsonObject &node)
{
    const QJsonObject rect = node.value(QStringLiteral("rect")).toObject();
    return QStringLiteral("fullscreen_mode %1, inhibit_idle %2, rect %3x%4")
        .arg(node.value(QStringLiteral("fullscreen_mode")).toInt())
        .arg(node.value(QStringLiteral("inhibit_idle")).toBool())
        .arg(rect.value(QStringLiteral("width")).toInt())
        .arg(rect.value(QStringLiteral("height")).toInt());
}

QProcessEnvironment programEnvironment(const Sway &sway, const DemoServers &servers)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-1"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), sway.runtimeDir());
    env.insert(QStringLiteral("CIRROLITH_CATALOGUE_URL"), servers.catalogueAddress());
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("cirrolith.screen.info=true"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    return env;
}

bool fullScreenAndInhibited(const QJsonObject &node, QSize size = QSize(1280, 800))
{
    const QJsonObject rect = node.value(QStringLiteral("rect")).toObject();
    return node.value(QStringLiteral("fullscreen_mode")).toInt() == 1 &&
           node.value(QStringLiteral("inhibit_idle")).toBool() &&
           node.value(QStringLiteral("idle_inhibitors")).toObject().value(QStringLiteral("application")) ==
               QStringLiteral("enabled") &&
           rect.value(QStringLiteral("width")).toInt() == size.width() &&
           rect.value(QStringLiteral("height")).toInt() == size.height();
}

} // namespace

// Before, during and after a page capture the compositor shows the window
// full screen over the whole output, with an inhibitor held on its surface;
// the page's own pixels are captured; Escape then saves and quits.
TEST(Wayland, FullScreenAndIdleInhibitorHoldThroughAPageCapture)
{
    Sway sway;
    QString why;
    if (!sway.start(&why))
        GTEST_SKIP() << "no headless Wayland compositor: " << why.toStdString();

    DemoServers servers;
    ASSERT_TRUE(servers.start()) << servers.errorText();
    TempPortable portable;
    const QString program = installBuiltProgram(portable);
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
    writePictureAndPage(portable);

    QProcess process;
    process.setProcessEnvironment(programEnvironment(sway, servers));
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted(10000));
    const auto stderrText = [&] { return process.readAllStandardError().toStdString(); };

    QString last = QStringLiteral("no window");
    const auto check = [&] {
        const auto node = sway.windowOf(process.processId());
        if (!node)
            return false;
        last = describe(*node);
        return fullScreenAndInhibited(*node);
    };
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && process.state() == QProcess::Running && !check())
        QThread::msleep(200);
    ASSERT_TRUE(check()) << "before any capture: " << last.toStdString() << "\n" << stderrText();

    // The capture writes the page's bitmap; the window is looked at all
    // along, and for some seconds after (the web view's first show makes the
    // window anew, and a compositor then shows it as a plain window).
    const QString bitmap = portable.work(QStringLiteral("Cirrolith4_ImgHTTP_IMG.bmp"));
    int captures = 0;
    QDateTime seen;
    int looks = 0;
    int misses = 0;
    deadline.setRemainingTime(150000);
    QDeadlineTimer after;
    bool afterSet = false;
    while (!deadline.hasExpired() && process.state() == QProcess::Running) {
        const QFileInfo info(bitmap);
        if (info.exists() && info.lastModified() != seen) {
            seen = info.lastModified();
            ++captures;
            if (captures == 1) {
                after.setRemainingTime(8000);
                afterSet = true;
            }
        }
        // The window being made anew takes a moment to be full screen
        // again; a second is more than that moment.
        misses = check() ? 0 : misses + 1;
        ASSERT_LT(misses, 4) << "after " << captures << " capture(s): " << last.toStdString() << "\n"
                             << stderrText();
        ++looks;
        if (afterSet && after.hasExpired())
            break;
        QThread::msleep(250);
    }
    ASSERT_GE(captures, 1) << "the page was not captured; " << stderrText();
    // The page's own pixels, the window's size: the demo page's heading,
    // table and sky, not a black or empty grab.
    const QImage shot(bitmap);
    ASSERT_EQ(shot.size(), QSize(1280, 800));
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            colours.insert(shot.pixel(x, y) & 0xF0F0F0);
    EXPECT_GT(colours.size(), 20);

    // Escape on a keyboard of the compositor's seat (wtype's virtual one)
    // saves and quits, as on X; without wtype, SIGTERM ends it at once.
    const QString wtype = QStandardPaths::findExecutable(QStringLiteral("wtype"));
    const QDateTime configBefore = QFileInfo(portable.work(QStringLiteral("Cirrolith4_Config.dat"))).lastModified();
    if (!wtype.isEmpty()) {
        QProcess key;
        QProcessEnvironment keyEnv = QProcessEnvironment::systemEnvironment();
        keyEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), sway.runtimeDir());
        keyEnv.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-1"));
        key.setProcessEnvironment(keyEnv);
        // The client binds the new keyboard before the key comes.
        key.start(wtype, {QStringLiteral("-s"), QStringLiteral("1500"), QStringLiteral("-k"),
                          QStringLiteral("Escape"), QStringLiteral("-s"), QStringLiteral("300")});
        ASSERT_TRUE(key.waitForFinished(10000));
        ASSERT_TRUE(process.waitForFinished(15000)) << "Escape did not end the program";
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_GT(QFileInfo(portable.work(QStringLiteral("Cirrolith4_Config.dat"))).lastModified(), configBefore)
            << "saved before quitting";
    } else {
        std::cout << "wtype is not installed: ending with SIGTERM instead of Escape\n";
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(5000)) << "SIGTERM did not end the program";
    }
    // A blanking request was held, so nothing said it was not.
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_FALSE(err.contains(QStringLiteral("screen blanking is not held"))) << err.toStdString();
    EXPECT_GT(looks, 10);
}

// Two copies, each from its own portable folder, on the two outputs the
// variable names: each full screen on its own output, at its size.
TEST(Wayland, TwoCopiesOnTwoOutputsChosenByName)
{
    Sway sway;
    QString why;
    if (!sway.start(&why))
        GTEST_SKIP() << "no headless Wayland compositor: " << why.toStdString();
    ASSERT_TRUE(sway.command(QStringLiteral("create_output")));
    ASSERT_TRUE(sway.command(QStringLiteral("output HEADLESS-2 resolution 800x480 position 1280 0")));

    DemoServers servers;
    ASSERT_TRUE(servers.start()) << servers.errorText();
    const std::pair<const char *, QSize> outputs[] = {{"HEADLESS-2", QSize(800, 480)},
                                                      {"HEADLESS-1", QSize(1280, 800)}};
    TempPortable portables[2];
    QProcess processes[2];
    for (int i = 0; i < 2; ++i) {
        const QString program = installBuiltProgram(portables[i]);
        ASSERT_TRUE(QFileInfo(program).isExecutable());
        portables[i].writeSecondStart();
        QProcessEnvironment env = programEnvironment(sway, servers);
        env.insert(QStringLiteral("CIRROLITH_SCREEN"), QLatin1String(outputs[i].first));
        processes[i].setProcessEnvironment(env);
        processes[i].start(program, {});
        ASSERT_TRUE(processes[i].waitForStarted(10000));
    }
    QString last[2];
    const auto placed = [&](int i) {
        QString output;
        const auto node = sway.windowOf(processes[i].processId(), &output);
        if (!node)
            return false;
        last[i] = output + QStringLiteral(": ") + describe(*node);
        return output == QLatin1String(outputs[i].first) && fullScreenAndInhibited(*node, outputs[i].second);
    };
    QDeadlineTimer deadline(40000);
    while (!deadline.hasExpired() && !(placed(0) && placed(1)))
        QThread::msleep(200);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(placed(i)) << outputs[i].first << " wanted, seen " << last[i].toStdString() << "\n"
                               << processes[i].readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(processes[i].processId()), SIGTERM);
    }
    for (QProcess &p : processes)
        EXPECT_TRUE(p.waitForFinished(5000));
}
