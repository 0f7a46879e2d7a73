#pragma once

namespace platform {

// The only place the program waits. Sleep keeps the window responsive: it runs
// the event loop for the (clock-scaled) time instead of blocking the thread, so
// timers and clicks are handled during every wait, as the program expects.
class EventPump {
public:
    static void Sleep(int nominalMs);
    static void DoEvents();

    // Set once the user has asked to quit; long waits check it and give up.
    static bool quitRequested();
    static void requestQuit();
    static void resetQuit();   // tests only
};

} // namespace platform
