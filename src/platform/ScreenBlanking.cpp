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

ScreenBlanking::~ScreenBlanking() { release(); }

bool ScreenBlanking::connected()
{
    if (!m_bus) {
        // Without an announced bus, asking for one could launch a bus daemon.
        const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
        const bool announced = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") ||
                               (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")));
        // A connection of its own, made now: the shared session connection
        // may have been tried (and failed) before the bus was announced.
        m_bus = announced ? QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                          QStringLiteral("cirrolith-screen-blanking"))
                          : QDBusConnection(QStringLiteral("cirrolith-no-session-bus"));
    }
    return m_bus->isConnected();
}

void ScreenBlanking::inhibit(const QString &reason)
{
    m_wanted = true;
    if (m_pending || m_cookie != 0 || !connected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QStringLiteral("Inhibit"));
    call << m_application << reason;
    m_pending = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        w->deleteLater();
        m_pending = false;
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError() || reply.value() == 0)
            return;   // no screen saver on this bus: nothing to ask
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
