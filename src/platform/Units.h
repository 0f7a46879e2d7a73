#pragma once

#include <cstdint>

// Pure unit arithmetic: twips (1/1440 inch), HIMETRIC (0.01 mm), points and
// pixels at a given logical DPI. Conversions to whole numbers round halves to
// even, like the platform the program was designed on.
namespace platform::units {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kHimetricPerInch = 2540.0;
constexpr double kTwipsPerPoint = 20.0;

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
std::int64_t roundHalfEven(double value);

// Same rounding into a 16-bit integer; values outside its range are clamped.
std::int16_t toInt16(double value);

inline double twipsPerPixel(double dpi) { return kTwipsPerInch / dpi; }

double pixelsToTwips(double pixels, double dpi);
int twipsToPixels(double twips, double dpi);

double twipsToHimetric(double twips);
double himetricToTwips(double himetric);
double pixelsToHimetric(double pixels, double dpi);
double himetricToPixels(double himetric, double dpi);

inline double twipsToPoints(double twips) { return twips / kTwipsPerPoint; }
inline double pointsToTwips(double points) { return points * kTwipsPerPoint; }

} // namespace platform::units
