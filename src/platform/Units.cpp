#include "platform/Units.h"

#include <cmath>
#include <limits>

namespace platform::units {

std::int64_t roundHalfEven(double value)
{
    return static_cast<std::int64_t>(std::nearbyint(value));   // FE_TONEAREST: ties to even
}

std::int16_t toInt16(double value)
{
    const std::int64_t r = roundHalfEven(value);
    if (r > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    if (r < std::numeric_limits<std::int16_t>::min())
        return std::numeric_limits<std::int16_t>::min();
    return static_cast<std::int16_t>(r);
}

double pixelsToTwips(double pixels, double dpi) { return pixels * twipsPerPixel(dpi); }

int twipsToPixels(double twips, double dpi)
{
    return static_cast<int>(roundHalfEven(twips / twipsPerPixel(dpi)));
}

double twipsToHimetric(double twips) { return twips * kHimetricPerInch / kTwipsPerInch; }
double himetricToTwips(double himetric) { return himetric * kTwipsPerInch / kHimetricPerInch; }

double pixelsToHimetric(double pixels, double dpi) { return pixels * kHimetricPerInch / dpi; }
double himetricToPixels(double himetric, double dpi) { return himetric * dpi / kHimetricPerInch; }

} // namespace platform::units
