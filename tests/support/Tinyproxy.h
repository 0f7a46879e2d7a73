#pragma once

// A real tinyproxy on an ephemeral port of 127.0.0.1, ended with the test.
// With the server behind it down, it answers with its own error page.
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <sys/prctl.h>

#include <csignal>

class Tinyproxy {
public:
    ~Tinyproxy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(1000);
        }
    }

    // Without a user name the proxy asks for none.
    bool start(const QString &user = QString(), const QString &password = QString())
    {
        QTcpServer probe;
        if (!probe.listen(QHostAddress::LocalHost, 0))
            return false;
        m_port = probe.serverPort();
        probe.close();
        QFile conf(m_dir.filePath(QStringLiteral("tinyproxy.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        const QString auth = user.isEmpty() ? QString() : QStringLiteral("BasicAuth %1 %2\n").arg(user, password);
        conf.write(QStringLiteral("Port %1\nListen 127.0.0.1\nTimeout 30\nMaxClients 50\n"
                                  "%2LogFile \"%3\"\nLogLevel Info\n"
                                  "Allow 127.0.0.1\n")
                       .arg(m_port)
                       .arg(auth, logPath())
                       .toUtf8());
        conf.close();
        // The proxy ends with the test, however the test ends.
        m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_process.start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"),
                                                      conf.fileName()});
        if (!m_process.waitForStarted(3000))
            return false;
        // Ready once it accepts connections.
        for (int i = 0; i < 100; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, m_port);
            if (s.waitForConnected(100))
                return true;
            QThread::msleep(30);
        }
        return false;
    }
    quint16 port() const { return m_port; }
    QString logPath() const { return m_dir.filePath(QStringLiteral("tinyproxy.log")); }
    QByteArray log() const
    {
        QFile f(logPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

