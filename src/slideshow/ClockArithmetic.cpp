#include "slideshow/ClockArithmetic.h"

#include "acquisition/SlideTime.h"
#include "platform/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace slideshow {

std::int32_t advanceCounter(std::int32_t counter, double slideSeconds)
{
    const double sum = static_cast<double>(counter) + slideSeconds;
    constexpr double top = std::numeric_limits<std::int32_t>::max();
    constexpr double bottom = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(platform::units::roundHalfEven(std::clamp(sum, bottom, top)));
}

bool refreshDue(std::int32_t refreshCounter, std::int16_t ranVal, std::int16_t catalogueLoaded)
{
    return refreshCounter / 60.0 > ranVal || catalogueLoaded == 0;
}

bool reloadDue(std::int32_t reloadCounter, double reloadPeriod)
{
    return reloadCounter > reloadPeriod * 30;
}

SlideTiming timingFor(const QString &code, int imgClockInterval, int fastFrameCount)
{
    SlideTiming t;
    const auto clamp = [](long long ms) {
        return static_cast<int>(std::clamp<long long>(ms, 0, acquisition::kMaxTimerInterval));
    };
    if (code == QLatin1String("99")) {
        if (fastFrameCount < 100) {
            t.interval = 50;
            t.showAnimationButton = true;
        } else {
            t.bannerOnYellow = true;
        }
    } else if (code == QLatin1String("95")) {
        t.interval = 100;
        t.showAnimationButton = true;
    } else if (code == QLatin1String("200")) {
        t.interval = clamp(static_cast<long long>(imgClockInterval) * 4);
        t.showAnimationButton = true;
        t.raiseAnimationButton = true;
    } else {
        t.interval = clamp(imgClockInterval);
    }
    return t;
}

std::int16_t refreshMinuteFrom(double random01)
{
    const double r = std::clamp(random01, 0.0, std::nextafter(1.0, 0.0));
    return static_cast<std::int16_t>(std::floor(r * 1440 + 1));
}

} // namespace slideshow
