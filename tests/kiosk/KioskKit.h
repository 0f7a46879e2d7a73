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

// What TempPortable::writeSecondStart writes.
inline const QByteArray kConfig("15\r\n2\r\nFull_Screen\r\n\r\n\r\n");
inline const QByteArray kPictureList("0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n\r\n\r\n");

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
