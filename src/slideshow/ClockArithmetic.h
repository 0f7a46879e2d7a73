#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The slideshow clock's arithmetic: counters, due tests, timing codes and
// intervals. Pure, so the tick's decisions can be checked without timers.
namespace slideshow {

// Counter plus the nominal slide time, rounded half to even; saturates instead
// of overflowing after years of running.
std::int32_t advanceCounter(std::int32_t counter, double slideSeconds);

// The catalogue refresh is due after more than ranVal minutes, or at once
// while the catalogue was never loaded.
bool refreshDue(std::int32_t refreshCounter, std::int16_t ranVal, std::int16_t catalogueLoaded);

// The reload is due once the counter passes the reload period times 30.
bool reloadDue(std::int32_t reloadCounter, double reloadPeriod);

// One slide's timing, decided by word 2 of its credit line.
struct SlideTiming {
    std::optional<int> interval;   // nothing: the clock keeps its interval
    bool showAnimationButton = false;
    bool raiseAnimationButton = false;
    bool bannerOnYellow = false;   // the hundredth and later "99" slides
};

// Intervals are clamped to acquisition::kMaxTimerInterval. fastFrameCount is
// the count after this slide was counted (only "99" counts).
SlideTiming timingFor(const QString &code, int imgClockInterval, int fastFrameCount);

// A whole minute 1..1440 from a random number in [0, 1).
std::int16_t refreshMinuteFrom(double random01);

} // namespace slideshow
