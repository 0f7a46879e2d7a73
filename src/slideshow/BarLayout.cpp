#include "slideshow/BarLayout.h"

#include "platform/Units.h"

#include <algorithm>

namespace slideshow {

BarMinimums barMinimumsFor(double twipsPerPixel)
{
    BarMinimums m;
    m.touchTwips = static_cast<float>(kMinTouchPixels * twipsPerPixel);
    m.fontPoints = static_cast<float>(platform::units::twipsToPoints(kMinCreditFontPixels * twipsPerPixel));
    return m;
}

BarLayout computeBarLayout(float SW, float SH, float ratioXY, BarMinimums minimums)
{
    BarLayout b;
    const bool portrait = SW < SH && ratioXY > 0;
    // The screen-proportional height sizes the credit text; the buttons get
    // at least the touch size.
    const float proportional = (portrait ? SW / 1.6f : SH) / 100 * 4;
    const float k = portrait ? 1.0f : ratioXY / 1.6f;
    const float h = std::max(proportional, minimums.touchTwips);
    b.barHeight = h;
    b.widthFactor = k;

    b.background = {0, SH - h, 0, h};

    // A ratio of 0 keeps its zero-width buttons: there is no screen to touch.
    const float square = k > 0 ? std::max(k * h, minimums.touchTwips) : 0;
    const float setupWidth = k * kSetupDesignWidth * h / kDesignHeight;
    const float logoWidth = k * kLogoDesignWidth * h / kDesignHeight;
    const float creditWidth = SW - setupWidth - square - logoWidth - square;
    const float top = SH - h;

    b.setup = {0, top, setupWidth, h};
    b.quit = {setupWidth, top, square, h};
    b.animation = {square + setupWidth, top, square, h};
    b.credit = {square + setupWidth, top, creditWidth, h};
    b.logo = {square + setupWidth + creditWidth, top, logoWidth, h};
    b.connection = {square + setupWidth + logoWidth + creditWidth, top, square, h};

    b.timerflagTop = top - h;
    // Half of (H - H/5) in points: 0.4 of the label's height.
    b.creditFontPoints = std::max(
        static_cast<float>(platform::units::twipsToPoints(proportional - proportional / 5) / 2),
        minimums.fontPoints);
    return b;
}

} // namespace slideshow
