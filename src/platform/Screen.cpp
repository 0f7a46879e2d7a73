#include "platform/Screen.h"

#include "platform/Units.h"

#include <QGuiApplication>
#include <QScreen>

#include <optional>

namespace platform {

namespace {
struct Fixed {
    double width;
    double height;
    double dpi;
};
std::optional<Fixed> g_fixed;

// Without a display the program still lays itself out on a full-HD screen.
constexpr double kFallbackDpi = 96.0;
constexpr int kFallbackWidthPx = 1920;
constexpr int kFallbackHeightPx = 1080;

QScreen *primary()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
               ? QGuiApplication::primaryScreen()
               : nullptr;
}
} // namespace

double Screen::dpi()
{
    if (g_fixed)
        return g_fixed->dpi;
    if (QScreen *s = primary()) {
        const double d = s->logicalDotsPerInchX();
        return d > 0 ? d : kFallbackDpi;
    }
    return kFallbackDpi;
}

double Screen::twipsPerPixelX() { return units::twipsPerPixel(dpi()); }
double Screen::twipsPerPixelY() { return units::twipsPerPixel(dpi()); }

double Screen::widthTwips()
{
    if (g_fixed)
        return g_fixed->width;
    const int px = primary() ? primary()->geometry().width() : kFallbackWidthPx;
    return px * twipsPerPixelX();
}

double Screen::heightTwips()
{
    if (g_fixed)
        return g_fixed->height;
    const int px = primary() ? primary()->geometry().height() : kFallbackHeightPx;
    return px * twipsPerPixelY();
}

void Screen::override(double widthTwips, double heightTwips, double dpi)
{
    g_fixed = Fixed{widthTwips, heightTwips, dpi};
}

void Screen::clearOverride() { g_fixed.reset(); }

} // namespace platform
