#include "platform/WaylandIdleInhibitor.h"

#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "platform/Log.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cstring>

namespace platform {

namespace {

struct Binding {
    wl_registry *registry = nullptr;
    zwp_idle_inhibit_manager_v1 *manager = nullptr;
};

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *b = static_cast<Binding *>(data);
    if (!b->manager && std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        b->manager = static_cast<zwp_idle_inhibit_manager_v1 *>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

void onGlobalRemove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

WaylandIdleInhibitor::WaylandIdleInhibitor(QObject *parent) : QObject(parent) {}

WaylandIdleInhibitor::~WaylandIdleInhibitor()
{
    release();
    if (m_manager)
        zwp_idle_inhibit_manager_v1_destroy(m_manager);
    if (m_display)
        wl_display_flush(m_display);
    if (m_queue)
        wl_event_queue_destroy(m_queue);
}

bool WaylandIdleInhibitor::bindManager()
{
    if (m_asked)
        return m_manager != nullptr;
    m_asked = true;
    if (!onWayland())
        return false;
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    if (!native)
        return false;
    m_display = static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display"));
    if (!m_display)
        return false;
    // The registry is asked through a wrapper on a queue of our own: its
    // events are dispatched here, never by Qt's event thread.
    m_queue = wl_display_create_queue(m_display);
    auto *wrapper = static_cast<wl_display *>(wl_proxy_create_wrapper(m_display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), m_queue);
    Binding binding;
    binding.registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(binding.registry, &kRegistryListener, &binding);
    wl_display_roundtrip_queue(m_display, m_queue);
    wl_registry_destroy(binding.registry);
    m_manager = binding.manager;
    return m_manager != nullptr;
}

bool WaylandIdleInhibitor::offered() { return bindManager(); }

void WaylandIdleInhibitor::hold(QWindow *window)
{
    if (!window || m_window == window)
        return;
    release();
    m_window = window;
    window->installEventFilter(this);
    follow();
}

void WaylandIdleInhibitor::release()
{
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = nullptr;
    drop();
}

void WaylandIdleInhibitor::drop()
{
    m_surface = nullptr;
    if (!m_inhibitor)
        return;
    zwp_idle_inhibitor_v1_destroy(m_inhibitor);
    m_inhibitor = nullptr;
    wl_display_flush(m_display);
    emit changed();
}

void WaylandIdleInhibitor::follow()
{
    if (!m_window || !bindManager())
        return;
    wl_surface *surface = nullptr;
    if (m_window->isVisible() && m_window->handle())
        surface = static_cast<wl_surface *>(QGuiApplication::platformNativeInterface()->nativeResourceForWindow(
            "surface", m_window));
    if (surface == m_surface && (m_inhibitor != nullptr) == (surface != nullptr))
        return;
    drop();
    if (!surface)
        return;
    m_surface = surface;
    m_inhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(m_manager, surface);
    wl_display_flush(m_display);
    qCInfo(lcScreen) << "Wayland idle inhibitor held on the window's surface";
    emit changed();
}

bool WaylandIdleInhibitor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Expose:
        case QEvent::Show:
            follow();
            break;
        case QEvent::Hide:
            drop();
            break;
        case QEvent::PlatformSurface:
            // The surface goes with the platform window: drop the inhibitor
            // first; the next exposure makes a new one on the new surface.
            if (static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
                drop();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
