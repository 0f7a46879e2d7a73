#pragma once

#include "platform/VbTimer.h"

#include <array>

// The main window's five timers, all created disabled. The subsystems that
// run on them receive them here; the window holds them from construction
// until it is on screen (see FormPicture::releaseTimers).
struct WindowClocks {
    explicit WindowClocks(QObject *owner)
        : generalClock(QStringLiteral("generalClock"), 500, owner),
          imgClock(QStringLiteral("imgClock"), 500, owner),
          panControl(QStringLiteral("panControl"), 1000, owner),
          utilityTmr(QStringLiteral("utilityTmr"), 300, owner),
          Timer4000(QStringLiteral("Timer4000"), 1000, owner)
    {
    }

    platform::VbTimer generalClock;   // the connection clock
    platform::VbTimer imgClock;       // the slideshow clock
    platform::VbTimer panControl;     // the run control
    platform::VbTimer utilityTmr;     // the slide set's load steps
    platform::VbTimer Timer4000;      // the page capture's wait

    std::array<platform::VbTimer *, 5> timers()
    {
        return {&generalClock, &imgClock, &panControl, &utilityTmr, &Timer4000};
    }
};
