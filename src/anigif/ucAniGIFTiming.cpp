// The animation clock of the control: the play state, the loop counter, the one-shot
// timer that shows each frame for its display time, and the short tick that finishes
// deferred decoding.
#include "ucAniGIF.h"

#include <algorithm>

#include <QLoggingCategory>
#include <QTimer>

#include "platform/Clock.h"

// Each frame as it goes on show, on the animation's own time line; how well a
// loop keeps the file's delays is read from it.
Q_LOGGING_CATEGORY(lcFrames, "cirrolith.frames", QtWarningMsg)

void ucAniGIF::completeDeferredDecoding() {
    if (m_timerKind != TimerDeferred) return;
    // Run the pending tick now, so a request never meets half-decoded frames.
    m_timer->stop();
    m_timerKind = TimerNone;
    buildFrameStrip(false);
}

int ucAniGIF::displayTime(int f) const {
    if (m_steppedDelay != 0) return m_steppedDelay;
    if (f < 1 || f > m_core.frameCount()) return m_minFrameDelay;
    return std::max(m_core.frame(f).delayMs, m_minFrameDelay);
}

bool ucAniGIF::startStopTimer(bool start, bool deferredTick) {
    if (!runMode()) return false;
    if (!start) {
        m_timer->stop();
        m_timerKind = TimerNone;
        m_action = 0;
        return true;
    }
    if (m_action == 1) return false;
    m_action = 0;
    if (!loaded() || m_core.frameCount() <= 1) return false;
    if (deferredTick) {
        m_timerKind = TimerDeferred;
        m_timer->start(platform::Clock::toReal(20));
        return true;
    }
    m_timerKind = TimerAnimation;
    m_clock.start();
    m_frameDue = platform::Clock::toReal(displayTime(m_currentFrame));
    m_timer->start(int(m_frameDue));
    m_action = 1;
    return true;
}

int ucAniGIF::nextFrameWait() {
    // Each frame ends its delay after the last one's end, not after the tick
    // that showed it: the time a tick takes does not add up over a loop. A
    // clock far behind (a busy machine) starts afresh instead of rushing.
    const qint64 delay = platform::Clock::toReal(displayTime(m_currentFrame));
    const qint64 now = m_clock.elapsed();
    m_frameDue += delay;
    if (m_frameDue < now - delay) m_frameDue = now + delay;
    return int(std::max<qint64>(0, m_frameDue - now));
}

void ucAniGIF::timerTick() {
    const TimerKind kind = m_timerKind;
    m_timer->stop();
    if (kind != TimerAnimation) {
        m_timerKind = TimerNone;
        buildFrameStrip(false);
        return;
    }
    const int n = m_core.frameCount();
    const int old = m_currentFrame;
    bool wrapped = false;
    if (++m_currentFrame > n) {
        m_currentFrame = 1;
        wrapped = true;
    }
    bool go = true;
    if (n == 1) {
        m_loopsRemaining = 0;
        m_action = 0;
        go = false;
    } else if (wrapped && m_loops != 0) {
        if (--m_loopsRemaining <= 0) {
            m_action = 0;
            m_loopsRemaining = m_loops;
            m_currentFrame = n;
            go = false;
        }
    }
    if (!go) m_timerKind = TimerNone;
    qCDebug(lcFrames, "frame %d at %lld ms", m_currentFrame, static_cast<long long>(m_clock.elapsed()));
    updateFrameArea();
    emit FrameChanged(old, true);
    if (go) {
        // A handler that paused, stopped or restarted the animation has the last word.
        if (m_action == 1 && m_timerKind == TimerAnimation && !m_timer->isActive())
            m_timer->start(nextFrameWait());
    } else {
        emit LoopsEnded();
    }
}

void ucAniGIF::setAction(int request) {
    if (request < 0 || request > 4 || !loaded() || !runMode()) return;
    // Pausing what is not playing is nothing, even while frames are still being decoded.
    if (request == Pause && m_action == 0) return;
    completeDeferredDecoding();
    const int n = m_core.frameCount();
    switch (request) {
    case Stop:
        startStopTimer(false, false);
        m_loopsRemaining = m_loops;
        m_currentFrame = 1;
        // Frame 1 may leave what is under the control showing.
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        update();
        emit FrameChanged(1, false);
        break;
    case Play:
        if (m_action == 0) m_currentFrame = 1;
        startStopTimer(true, false);
        break;
    case Pause:
        if (m_action != 0) {
            startStopTimer(false, false);
            m_action = 2;
        }
        break;
    case Step:
        startStopTimer(false, false);
        if (++m_currentFrame > n) m_currentFrame = 1;
        m_action = 2;
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        update();
        emit FrameChanged(m_currentFrame, false);
        break;
    case Restart:
        setAction(Stop);
        startStopTimer(true, false);
        break;
    }
}
