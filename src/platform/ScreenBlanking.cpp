#include "platform/ScreenBlanking.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>

namespace platform {

ScreenBlanking::ScreenBlanking(QString application, QObject *parent)
    : QObject(parent), m_application(std::move(application))
{
}

ScreenBlanking::ScreenBlanking(QString application, const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_application(std::move(application)), m_bus(bus)
{
}

ScreenBlanking::~ScreenBlanking()
{
    release();
    if (m_ownConnection)
        QDBusConnection::disconnectFromBus(m_bus->name());
}

bool ScreenBlanking::connected()
{
    if (!m_bus) {
        // The announced address is read now and connected to directly: a
        // session connection tried earlier in the process (before the bus was
        // announced) is remembered by the D-Bus library, and without an
        // announced bus asking for one could launch a bus daemon.
        QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        if (address.isEmpty() && !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
            address = QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
        const QString name = QStringLiteral("cirrolith-screen-blanking-%1").arg(quintptr(this), 0, 16);
        m_bus = address.isEmpty() ? QDBusConnection(name) : QDBusConnection::connectToBus(address, name);
        m_ownConnection = !address.isEmpty();
    }
    return m_bus->isConnected();
}

void ScreenBlanking::inhibit(const QString &reason)
{
    m_wanted = true;
    if (m_pending || m_cookie != 0)
        return;
    if (!connected()) {
        if (!m_unavailable) {
            m_unavailable = true;
            emit changed();
        }
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Inhibit"));
    call << m_application << reason;
    m_pending = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        m_pending = false;
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError() || reply.value() == 0) {
            // No screen saver on this bus: nothing to ask.
            m_unavailable = true;
            emit changed();
            return;
        }
        m_unavailable = false;
        if (!m_wanted) {
            // Released while the request was on its way.
            unInhibit(reply.value());
            return;
        }
        m_cookie = reply.value();
        emit changed();
    });
}

void ScreenBlanking::release()
{
    m_wanted = false;
    if (m_cookie == 0)
        return;
    const uint cookie = m_cookie;
    m_cookie = 0;
    unInhibit(cookie);
    emit changed();
}

void ScreenBlanking::unInhibit(uint cookie)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("UnInhibit"));
    call << cookie;
    m_bus->send(call);
}

} // namespace platform
