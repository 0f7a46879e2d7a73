#include "platform/ScreenPower.h"

#include "platform/Log.h"

#include <QGuiApplication>

#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {

namespace {

xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

bool dpmsOffered(xcb_connection_t *c)
{
    // A request of an extension the server lacks ends the connection.
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_dpms_id);
    if (!extension || !extension->present)
        return false;
    xcb_dpms_capable_reply_t *capable = xcb_dpms_capable_reply(c, xcb_dpms_capable(c), nullptr);
    const bool yes = capable && capable->capable;
    std::free(capable);
    return yes;
}

} // namespace

bool ScreenPower::sleep()
{
    if (m_sleeping)
        return true;
    xcb_connection_t *c = x11Connection();
    if (!c || !dpmsOffered(c)) {
        qCInfo(lcScreen, "the display is not put to sleep: no X server with DPMS");
        return false;
    }
    xcb_dpms_info_reply_t *info = xcb_dpms_info_reply(c, xcb_dpms_info(c), nullptr);
    // Forcing a level needs DPMS on; it goes back off when the screen wakes.
    m_enabledByUs = info && !info->state;
    std::free(info);
    if (m_enabledByUs)
        xcb_dpms_enable(c);
    xcb_generic_error_t *error =
        xcb_request_check(c, xcb_dpms_force_level_checked(c, XCB_DPMS_DPMS_MODE_OFF));
    if (error) {
        std::free(error);
        if (m_enabledByUs)
            xcb_dpms_disable(c);
        m_enabledByUs = false;
        qCWarning(lcScreen, "the X server refused to put the display to sleep");
        return false;
    }
    m_sleeping = true;
    qCInfo(lcScreen, "display asleep (DPMS off)");
    return true;
}

void ScreenPower::wake()
{
    if (!m_sleeping)
        return;
    m_sleeping = false;
    xcb_connection_t *c = x11Connection();
    if (!c)
        return;
    xcb_dpms_force_level(c, XCB_DPMS_DPMS_MODE_ON);
    if (m_enabledByUs)
        xcb_dpms_disable(c);
    m_enabledByUs = false;
    xcb_flush(c);
    qCInfo(lcScreen, "display awake (DPMS on)");
}

} // namespace platform
