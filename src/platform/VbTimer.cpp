#include "platform/VbTimer.h"

#include "platform/Clock.h"

#include <algorithm>

namespace platform {

VbTimer::VbTimer(const QString &name, int intervalMs, QObject *parent)
    : QObject(parent), m_name(name), m_interval(std::clamp(intervalMs, 0, 65535))
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
    m_interval = std::clamp(ms, 0, 65535);
    apply();
}

void VbTimer::setHeld(bool held)
{
    m_held = held;
    apply();
}

void VbTimer::apply()
{
    if (m_enabled && m_interval > 0 && !m_held)
        m_timer.start(Clock::toReal(m_interval));
    else
        m_timer.stop();
}

void VbTimer::fire()
{
    ++m_ticks;
    if (m_handler)
        m_handler();
    emit Timer();
}

} // namespace platform
