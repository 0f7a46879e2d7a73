#include "platform/Clock.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {
double g_speed = 1.0;
}

double Clock::speed() { return g_speed; }

void Clock::setSpeed(double factor) { g_speed = std::max(1.0, factor); }

int Clock::toReal(int nominalMs)
{
    if (nominalMs <= 0)
        return 0;
    const double real = std::ceil(nominalMs / g_speed);
    return std::max(1, static_cast<int>(real));
}

} // namespace platform
