#include "platform/VbTimer.h"

#include "platform/Clock.h"

#include <algorithm>

namespace platform {

VbTimer::VbTimer(const QString &name, int intervalMs, QObject *parent)
    : QObject(parent), m_name(name), m_interval(std::max(intervalMs, 0))
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &VbTimer::fire);
}

void VbTimer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    apply();
}

void VbTimer::setInterval(int ms)
{
    m_interval = std::max(ms, 0);
    apply();
}

void VbTimer::setHeld(bool held)
{
    m_held = held;
    apply();
}

void VbTimer::apply()
{
    // While the handler runs the count does not start: whatever the handler
    // does to the timer (even off and on again while it waits), the next
    // tick is counted from the handler's end.
    if (m_enabled && m_interval > 0 && !m_held && m_depth == 0)
        m_timer.start(Clock::toReal(m_interval));
    else
        m_timer.stop();
}

void VbTimer::fire()
{
    // A tick never starts inside its own handler, also when a test or a
    // caller fires it by hand from within.
    if (m_depth > 0)
        return;
    ++m_depth;
    m_timer.stop();
    ++m_ticks;
    if (m_handler)
        m_handler();
    emit Timer();
    --m_depth;
    apply();
}

} // namespace platform
