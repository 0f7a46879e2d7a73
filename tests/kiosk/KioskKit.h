#pragma once

// Shared by the kiosk tests: a second start's settings files, a private
// D-Bus bus, and real X input through xdotool.
#include "support/TempPortable.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

namespace kiosk {

inline const QByteArray kConfig("15\r\n2\r\nFull_Screen\r\n\r\n\r\n");

// Language, connection, town, configuration and picture list in place: the
// program starts straight into the slideshow of the demo's default pictures.
inline void writeSecondStart(const TempPortable &portable)
{
    portable.write("Cirrolith4_Language.dat", " 1");
    portable.write("Cirrolith4_Proxy.dat", "\r\n\r\n\r\n\r\n0\r\n");
    portable.write("Cirrolith4_MyTown.dat",
                   "Courmayeur\r\nNew+York\r\nny\r\nus\r\nNaples\r\nItaly\r\nOPTION1\r\nOPTION2\r\n"
                   "OPTION3\r\nOPTION4\r\nOPTION5\r\nOPTION6\r\nOPTION7\r\nOPTION8\r\nF\r\n \r\n \r\n \r\n");
    portable.write("Cirrolith4_Config.dat", kConfig);
    portable.write("Cirrolith4_Picture_List.dat", "0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n\r\n\r\n");
}

inline void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else
            QFile::copy(path, target);
    }
}

// xdotool's exit status and output.
inline QString xdotool(const QStringList &args, int *status = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(10000);
    if (status)
        *status = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A D-Bus bus of the test's own.
class PrivateBus {
public:
    PrivateBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (!m_daemon.waitForStarted(5000))
            return;
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && !m_daemon.canReadLine())
            m_daemon.waitForReadyRead(100);
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished(3000);
    }
    const QString &address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace kiosk
