#pragma once

// A main window in a temporary portable folder, wired to a reference
// catalogue server on an ephemeral port.

#include "ServerProcess.h"
#include "support/TempPortable.h"

#include "core/FormPicture.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "platform/Transfer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The artwork lives in the static library; tests that look at pictures load it.
inline void initArtwork() { Q_INIT_RESOURCE(artwork); }

namespace cattest {

// Three entries: a plain picture, an animated GIF, an address ending in "/".
inline constexpr const char *kCatalogue =
    "@message Hello from the test server\n"
    "http://127.0.0.1:9/a/one.jpg | 101 | First picture | Credit one-99\n"
    "4ttp://127.0.0.1:9/b/loop.gif | 205 | Second picture | Credit two\n"
    "http://127.0.0.1:9/c/ | 7 | Third picture | Credit three-200\n";

class TestServer {
public:
    // Starts the server with the test catalogue, a web root and the given
    // extra arguments (faults). Fails the test when it does not come up.
    bool start(const std::vector<std::string> &extra = {})
    {
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir);
        m_dir = servertest::makeTempDir();
        servertest::writeFile(m_dir + "/catalogue.txt", kCatalogue);
        QDir().mkpath(webroot());
        std::vector<std::string> args = {"--catalogue", m_dir + "/catalogue.txt", "--webroot",
                                         webroot().toStdString(), "--log", m_dir + "/server.log"};
        args.insert(args.end(), extra.begin(), extra.end());
        return m_server.start(args);
    }
    ~TestServer()
    {
        m_server.stop();
        if (!m_dir.empty())
            std::filesystem::remove_all(m_dir);
    }
    void stop() { m_server.stop(); }
    int port() const { return m_server.port(); }
    QString root() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }
    QString catalogueAddress() const { return root() + QStringLiteral("/public/catalogue?"); }
    QString webroot() const { return QString::fromStdString(m_dir) + QStringLiteral("/www"); }
    void putFile(const QString &name, const QByteArray &bytes) const
    {
        QFile f(webroot() + u'/' + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The request targets the server has logged, in order ("/path?query").
    QStringList targets() const
    {
        QStringList out;
        QFile f(QString::fromStdString(m_dir + "/server.log"));
        if (!f.open(QIODevice::ReadOnly))
            return out;
        static const QRegularExpression line(QStringLiteral(" GET (\\S+) -> "));
        for (const QByteArray &l : f.readAll().split('\n')) {
            const auto m = line.match(QString::fromLatin1(l));
            if (m.hasMatch())
                out << m.captured(1);
        }
        return out;
    }
    QStringList catalogueQueries() const
    {
        QStringList out;
        for (const QString &t : targets())
            if (t.startsWith(QLatin1String("/public/catalogue?")))
                out << t.mid(18);
        return out;
    }

private:
    std::string m_dir;
    servertest::ServerProcess m_server;
};

// Runs the event loop until cond holds or timeoutMs (real) passes.
inline bool pumpUntil(const std::function<bool()> &cond, int timeoutMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs)
            return false;
        platform::EventPump::DoEvents();
        QThread::msleep(5);
    }
    return true;
}

// Runs action from the event loop as soon as cond holds: how a test answers
// a frame the program waits on.
inline void whenReady(const std::function<bool()> &cond, const std::function<void()> &action)
{
    auto *poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, cond, action] {
        if (!cond())
            return;
        poll->stop();
        poll->deleteLater();
        action();
    });
    poll->start();
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        initArtwork();
        platform::Clock::setSpeed(20);
        platform::EventPump::resetQuit();
        platform::Transfer::shared().clearProxy();
        platform::Transfer::shared().overrideConnected(std::nullopt);
        form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QString()});
        form->SetPortablePath();
        ASSERT_TRUE(form->MakeWorkFolders());
        form->workDirPrefix = portable.workDir() + u'/';
        form->appPath = portable.appDir();
    }
    void TearDown() override
    {
        platform::Transfer::shared().cancelRequest();
        // Kept-alive connections would hold the server's shutdown.
        platform::Transfer::shared().closeConnections();
        form.reset();
        platform::Clock::setSpeed(1);
    }

    // The files the first tick of the connection clock reads, so it asks nothing.
    void writeStartFiles()
    {
        portable.write(QStringLiteral("Cirrolith4_Language.dat"), " 1");
        portable.write(QStringLiteral("Cirrolith4_Proxy.dat"), "\r\n\r\n\r\n\r\n0\r\n");
        QByteArray town;
        for (int i = 0; i < 14; ++i)
            town += "v" + QByteArray::number(i) + "\r\n";
        portable.write(QStringLiteral("Cirrolith4_MyTown.dat"), town + "F\r\n \r\n \r\n \r\n");
    }

    TempPortable portable;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scoped{&dialogs};
    std::unique_ptr<FormPicture> form;
};

} // namespace cattest
