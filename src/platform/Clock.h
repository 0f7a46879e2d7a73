#pragma once

namespace platform {

// The one clock every wait and timer interval goes through. The program runs
// at speed 1; a test may raise the speed so that minutes of nominal time pass
// in seconds. Nominal milliseconds are what the program's logic talks about.
class Clock {
public:
    static double speed();
    static void setSpeed(double factor);   // factor >= 1; tests only
    // Real milliseconds for a nominal interval; a positive interval never becomes 0.
    static int toReal(int nominalMs);
};

} // namespace platform
