#pragma once

namespace platform {

// The screen as the program sees it: size in twips and twips per pixel. Read
// from the primary screen's logical DPI; tests may fix a screen of their own
// (19200 x 10800 twips, say) so layout numbers do not depend on a display.
class Screen {
public:
    static double widthTwips();
    static double heightTwips();
    static double twipsPerPixelX();
    static double twipsPerPixelY();
    static double dpi();

    static void override(double widthTwips, double heightTwips, double dpi = 96.0);
    static void clearOverride();
};

} // namespace platform
