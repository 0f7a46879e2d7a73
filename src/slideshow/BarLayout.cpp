#include "slideshow/BarLayout.h"

#include "platform/Units.h"

namespace slideshow {

BarLayout computeBarLayout(float SW, float SH, float ratioXY)
{
    BarLayout b;
    const float h = SH / 100 * 4;
    const float k = ratioXY / 1.6f;
    b.barHeight = h;
    b.widthFactor = k;

    b.background = {0, SH - h, 0, h};

    const float square = k * h;
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
    b.creditFontPoints = static_cast<float>(platform::units::twipsToPoints(h - h / 5) / 2);
    return b;
}

} // namespace slideshow
