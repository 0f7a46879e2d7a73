#pragma once

#include <QString>

// The slide time as the user types it, and the slide interval it gives. Pure;
// the slide-set builder sets the interval, the slideshow clock counts with it.
namespace acquisition {

// Timer intervals are 16-bit unsigned on the platform the program was designed
// for; anything longer is clamped rather than wrapped.
inline constexpr int kMaxTimerInterval = 65535;

// The number at the start of a text box ("12s" -> 12, "abc" -> 0).
double leadingNumber(const QString &text);

// Slide interval in ms for a slide time in seconds, without 16-bit overflow
// and clamped to what a timer accepts.
int slideIntervalMs(double slideSeconds);

} // namespace acquisition
