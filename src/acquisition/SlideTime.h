#pragma once

#include <QString>

#include <limits>

// The slide time as the user types it, and the slide interval it gives. Pure;
// the slide-set builder sets the interval, the slideshow clock counts with it.
namespace acquisition {

// The longest interval a timer holds (about 24 days). A slide time of hours
// or a day is served whole; only beyond this is it bounded, and the builder
// says so.
inline constexpr int kMaxTimerInterval = std::numeric_limits<int>::max();

// The number at the start of a text box ("12s" -> 12, "abc" -> 0).
double leadingNumber(const QString &text);

// Slide interval in ms for a slide time in seconds, without 16-bit overflow
// and clamped to what a timer accepts.
int slideIntervalMs(double slideSeconds);

} // namespace acquisition
