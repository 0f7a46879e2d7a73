#include "platform/ServerDpi.h"

#include "platform/Log.h"

#include <QByteArray>

#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

bool qtHasADpiSetting()
{
    for (const char *name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                             "QT_USE_PHYSICAL_DPI", "QT_FONT_DPI", "QT_SCALE_FACTOR_ROUNDING_POLICY"})
        if (qEnvironmentVariableIsSet(name))
            return true;
    return false;
}

bool onX11()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform.startsWith("xcb");
    return qEnvironmentVariableIsSet("DISPLAY") && !qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

// The root window's RESOURCE_MANAGER names Xft.dpi.
bool hasXftDpi(xcb_connection_t *c, xcb_window_t root)
{
    xcb_get_property_cookie_t cookie =
        xcb_get_property(c, 0, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 16);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return false;
    const QByteArray resources(static_cast<const char *>(xcb_get_property_value(reply)),
                               xcb_get_property_value_length(reply));
    std::free(reply);
    for (const QByteArray &line : resources.split('\n'))
        if (line.startsWith("Xft.dpi:"))
            return true;
    return false;
}

} // namespace

int scaleStepFor(double dpi)
{
    if (!(dpi > 0) || !std::isfinite(dpi))
        return 1;
    return std::max(1, static_cast<int>(std::floor(dpi / 96.0 + 0.25)));
}

void scaleToServerDpi()
{
    if (qtHasADpiSetting() || !onX11())
        return;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    int step = 1;
    double dpi = 0;
    if (it.rem && it.data->width_in_millimeters > 0 && !hasXftDpi(c, it.data->root)) {
        dpi = it.data->width_in_pixels * 25.4 / it.data->width_in_millimeters;
        step = scaleStepFor(dpi);
    }
    xcb_disconnect(c);
    if (step < 2)
        return;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(step));
    qCInfo(lcScreen) << "the X server's screen has" << qRound(dpi) << "dpi and no Xft.dpi: scaling by" << step;
}

} // namespace platform
