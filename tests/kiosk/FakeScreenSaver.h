#pragma once

// The desktop's side of org.freedesktop.ScreenSaver, registered on a test
// bus, recording what it was asked.
#include <QDBusConnection>
#include <QObject>
#include <QStringList>

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    // Registers on a connection of its own to the bus at address.
    bool registerOn(const QString &address)
    {
        m_bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("fake-screensaver")));
        return m_bus->isConnected() && m_bus->registerService(QStringLiteral("org.freedesktop.ScreenSaver")) &&
               m_bus->registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), this,
                                     QDBusConnection::ExportScriptableSlots);
    }
    ~FakeScreenSaver() override
    {
        if (m_bus)
            QDBusConnection::disconnectFromBus(QStringLiteral("fake-screensaver"));
    }

    QStringList calls;         // "Inhibit app reason" / "UnInhibit cookie"
    QList<uint> active;        // cookies granted and not yet released

public slots:
    Q_SCRIPTABLE uint Inhibit(const QString &application, const QString &reason)
    {
        const uint cookie = ++m_next;
        calls << QStringLiteral("Inhibit %1 %2").arg(application, reason);
        active << cookie;
        return cookie;
    }
    Q_SCRIPTABLE void UnInhibit(uint cookie)
    {
        calls << QStringLiteral("UnInhibit %1").arg(cookie);
        active.removeAll(cookie);
    }

private:
    std::unique_ptr<QDBusConnection> m_bus;
    uint m_next = 40;
};
