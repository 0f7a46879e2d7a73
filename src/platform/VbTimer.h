#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <limits>

namespace platform {

// A window timer with Enabled / Interval semantics: it ticks every Interval
// nominal milliseconds while Enabled and Interval > 0. Changing Interval of a
// running timer restarts its count. While a handler waits (processing
// events) the other timers keep ticking; the same timer does not start a
// second tick inside its own handler, whatever the handler does to it: the
// count starts again when the handler returns.
class VbTimer : public QObject {
    Q_OBJECT
public:
    VbTimer(const QString &name, int intervalMs, QObject *parent = nullptr);

    const QString &name() const { return m_name; }
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool on);
    int Interval() const { return m_interval; }
    static constexpr int kMaxInterval = std::numeric_limits<int>::max();
    void setInterval(int ms);   // negative is 0

    // A held timer keeps its Enabled and Interval but does not count: the
    // window holds its timers until start-up has ended and it is on screen.
    void setHeld(bool held);
    bool held() const { return m_held; }

    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }
    int tickCount() const { return m_ticks; }

    // Runs the handler once, as a tick would; tests drive timers with it.
    // Does nothing while the handler is already running.
    void fire();
    bool inHandler() const { return m_depth > 0; }

signals:
    void Timer();

private:
    void apply();

    QString m_name;
    QTimer m_timer;
    bool m_enabled = false;
    bool m_held = false;
    int m_interval = 0;
    int m_ticks = 0;
    int m_depth = 0;   // > 0 while the handler runs
    std::function<void()> m_handler;
};

} // namespace platform
