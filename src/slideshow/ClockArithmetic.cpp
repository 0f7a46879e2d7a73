#include "slideshow/ClockArithmetic.h"

#include "platform/Units.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace slideshow {

double leadingNumber(const QString &text)
{
    // Leading blanks, an optional sign, digits with one decimal point.
    int i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const int start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    bool point = false;
    while (i < text.size()) {
        if (text[i].isDigit() && text[i].unicode() < 128) {
            digits = true;
        } else if (text[i] == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        ++i;
    }
    if (!digits)
        return 0;
    return text.mid(start, i - start).toDouble();
}

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

int slideIntervalMs(double slideSeconds)
{
    const double ms = std::round(slideSeconds * 1000.0);
    if (!(ms > 0))
        return 0;
    return static_cast<int>(std::min<double>(ms, kMaxTimerInterval));
}

SlideTiming timingFor(const QString &code, int imgClockInterval, int fastFrameCount)
{
    SlideTiming t;
    const auto clamp = [](long long ms) {
        return static_cast<int>(std::clamp<long long>(ms, 0, kMaxTimerInterval));
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
