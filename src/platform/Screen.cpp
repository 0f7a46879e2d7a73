#include "platform/Screen.h"

#include "platform/Log.h"
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
QString g_choice;
QSize g_window;
bool g_toldUnknown = false;

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

QScreen *Screen::chosen()
{
    QScreen *fallback = primary();
    if (!fallback || g_choice.isEmpty())
        return fallback;
    const QList<QScreen *> screens = QGuiApplication::screens();
    bool isNumber = false;
    const int index = g_choice.toInt(&isNumber);
    if (isNumber && index >= 0 && index < screens.size())
        return screens[index];
    for (QScreen *s : screens)
        if (s->name() == g_choice)
            return s;
    if (!g_toldUnknown) {
        g_toldUnknown = true;
        QStringList names;
        for (QScreen *s : screens)
            names << s->name();
        qCWarning(lcScreen).noquote() << "no screen" << g_choice << "- the screens are" << names.join(u", ")
                                      << "(or their numbers from 0); showing on" << fallback->name();
    }
    return fallback;
}

void Screen::choose(const QString &nameOrNumber)
{
    g_choice = nameOrNumber.trimmed();
    g_toldUnknown = false;
}

QString Screen::choice() { return g_choice; }

void Screen::followWindow(QSize pixels) { g_window = pixels.isEmpty() ? QSize() : pixels; }

QSize Screen::pixels()
{
    if (!g_window.isEmpty())
        return g_window;
    if (QScreen *s = chosen())
        return s->geometry().size();
    return {kFallbackWidthPx, kFallbackHeightPx};
}

double Screen::dpi()
{
    if (g_fixed)
        return g_fixed->dpi;
    if (QScreen *s = chosen()) {
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
    return pixels().width() * twipsPerPixelX();
}

double Screen::heightTwips()
{
    if (g_fixed)
        return g_fixed->height;
    return pixels().height() * twipsPerPixelY();
}

void Screen::override(double widthTwips, double heightTwips, double dpi)
{
    g_fixed = Fixed{widthTwips, heightTwips, dpi};
}

void Screen::clearOverride() { g_fixed.reset(); }

} // namespace platform
