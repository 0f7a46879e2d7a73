#pragma once

// Puts an X display to sleep through DPMS and wakes it again. Nothing
// happens where the display is no X server or offers no DPMS (Wayland, where
// the desktop powers the screen down once nothing holds it).
namespace platform {

class ScreenPower {
public:
    // True when the display went to sleep.
    bool sleep();
    // Wakes the display and leaves DPMS as it was found.
    void wake();
    bool sleeping() const { return m_sleeping; }

private:
    bool m_sleeping = false;
    bool m_enabledByUs = false;
};

} // namespace platform
