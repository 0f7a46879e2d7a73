#pragma once

#include <QSize>
#include <QString>

class QScreen;

namespace platform {

// The screen as the program sees it: size in twips and twips per pixel. Read
// from the chosen screen's logical DPI; tests may fix a screen of their own
// (19200 x 10800 twips, say) so layout numbers do not depend on a display.
//
// Once the main window is on screen its real size is the screen's size: a
// compositor that grants less (or more) than the output is followed.
class Screen {
public:
    // The screen the program covers: the one named by choose() (a name or a
    // number counted from 0), else the primary one. Null without a display.
    static QScreen *chosen();
    // "" is the primary screen. Unknown names fall back to it, said once.
    static void choose(const QString &nameOrNumber);
    static QString choice();
    // The window's real size in pixels; an empty size returns to the screen's.
    static void followWindow(QSize pixels);
    static QSize pixels();

    static double widthTwips();
    static double heightTwips();
    static double twipsPerPixelX();
    static double twipsPerPixelY();
    static double dpi();

    static void override(double widthTwips, double heightTwips, double dpi = 96.0);
    static void clearOverride();
};

} // namespace platform
