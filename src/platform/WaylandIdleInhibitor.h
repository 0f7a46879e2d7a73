#pragma once

#include <QObject>
#include <QPointer>

#include <QWindow>
struct wl_display;
struct wl_event_queue;
struct wl_surface;
struct zwp_idle_inhibit_manager_v1;
struct zwp_idle_inhibitor_v1;

namespace platform {

// Keeps a Wayland compositor from blanking the screen or locking it while a
// window is on screen, through the idle-inhibit protocol
// (zwp_idle_inhibit_manager_v1) on the window's own surface. Qt has no
// interface for it, so the protocol is spoken on Qt's own connection, with
// an event queue of its own so Qt's dispatching is never disturbed.
//
// The surface comes and goes with the window (it is made when the window is
// first exposed and dropped when it hides or is re-created), so the
// inhibitor follows it: it is re-made on each new surface while wanted.
class WaylandIdleInhibitor : public QObject {
    Q_OBJECT
public:
    explicit WaylandIdleInhibitor(QObject *parent = nullptr);
    ~WaylandIdleInhibitor() override;

    // True on a Wayland platform whose compositor offers the protocol. Asks
    // the compositor once (a round trip on the private queue).
    bool offered();

    // Holds an inhibitor on the window's surface from now on, as long as it
    // is wanted, across hides and re-creations of the window.
    void hold(QWindow *window);
    void release();

    bool wanted() const { return m_window != nullptr; }
    // An inhibitor exists on the window's current surface.
    bool held() const { return m_inhibitor != nullptr; }

signals:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool bindManager();
    void follow();     // makes or drops the inhibitor for the window's surface
    void drop();

    QPointer<QWindow> m_window;
    wl_display *m_display = nullptr;
    wl_event_queue *m_queue = nullptr;
    zwp_idle_inhibit_manager_v1 *m_manager = nullptr;
    zwp_idle_inhibitor_v1 *m_inhibitor = nullptr;
    wl_surface *m_surface = nullptr;
    bool m_asked = false;
};

} // namespace platform
