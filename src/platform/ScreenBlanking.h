#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

namespace platform {

// Asks the desktop not to blank the screen, through the freedesktop
// screen-saver interface (org.freedesktop.ScreenSaver) on a D-Bus session
// bus. Without a bus or without the service nothing happens: on a bare X
// server blanking is the X server's own (xset s off -dpms).
//
// Calls are asynchronous, so a bus that does not answer never holds up the
// window. A released request is also dropped by the desktop when the
// process ends and its bus connection closes.
class ScreenBlanking : public QObject {
    Q_OBJECT
public:
    // On the session bus, when one is announced (DBUS_SESSION_BUS_ADDRESS or
    // $XDG_RUNTIME_DIR/bus); the program never starts a bus of its own.
    explicit ScreenBlanking(QString application, QObject *parent = nullptr);
    // On a given bus; tests run their own.
    ScreenBlanking(QString application, const QDBusConnection &bus, QObject *parent = nullptr);
    ~ScreenBlanking() override;

    static constexpr const char *kService = "org.freedesktop.ScreenSaver";
    static constexpr const char *kPath = "/org/freedesktop/ScreenSaver";
    static constexpr const char *kInterface = "org.freedesktop.ScreenSaver";

    void inhibit(const QString &reason);
    void release();

    bool wanted() const { return m_wanted; }
    // The desktop has granted the request and not yet been told to end it.
    bool held() const { return m_cookie != 0; }
    // Asked, and there is no bus or no screen-saver service on it.
    bool unavailable() const { return m_unavailable; }

signals:
    void changed();

private:
    void unInhibit(uint cookie);
    bool connected();

    QString m_application;
    std::optional<QDBusConnection> m_bus;   // resolved at the first request
    bool m_ownConnection = false;
    bool m_wanted = false;
    bool m_pending = false;
    uint m_cookie = 0;
    bool m_unavailable = false;
};

} // namespace platform
