#pragma once

#include <cstdint>
#include <random>

// When to ask the catalogue server again after it gave no answer. The wait
// starts at one tick of the connection clock and doubles up to half a
// minute, so slides are back within a minute of the server's return;
// each wait is drawn from its upper quarter, so screens that lost the same
// server do not all come back in the same second. Any answer starts over.
class RetrySchedule {
public:
    static constexpr int kFirstWaitMs = 500;
    static constexpr int kLongestWaitMs = 30000;

    explicit RetrySchedule(std::uint32_t seed = std::random_device{}()) : m_random(seed) {}

    // Another failure: the wait (nominal ms) before the next attempt.
    int failed();
    // An answer: nothing pending any more.
    void answered() { m_failures = 0; }
    // Failures since the last answer.
    int failures() const { return m_failures; }

private:
    int m_failures = 0;
    std::mt19937 m_random;
};
