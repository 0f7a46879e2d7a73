#pragma once

// Polls a condition of another process (its files, its log, its window) until
// it holds or the real-time bound runs out; the last look is taken at the bound.
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

inline bool pollUntil(const std::function<bool()> &done, int ms, int stepMs = 100)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (done())
            return true;
        QThread::msleep(static_cast<unsigned long>(stepMs));
    }
    return done();
}
