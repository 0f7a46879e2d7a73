// The worker pool without a network: long waits borrow stand-ins, bounded.

#include "WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>

using namespace cirrolith::server;
using namespace std::chrono_literals;

namespace {

// A latch the test opens to let waiting jobs go.
struct Gate {
    std::mutex m;
    std::condition_variable cv;
    bool open = false;
    void wait()
    {
        std::unique_lock lock(m);
        cv.wait(lock, [this] { return open; });
    }
    void release()
    {
        {
            std::lock_guard lock(m);
            open = true;
        }
        cv.notify_all();
    }
};

} // namespace

TEST(WorkerPool, LongWaitsLeaveTheQueueMovingUpToTheirBound)
{
    WorkerPool pool(2, 3);
    Gate gate;
    std::atomic<int> covered{0}, uncovered{0};
    std::promise<void> allWaiting;
    std::atomic<int> waiting{0};
    for (int i = 0; i < 4; ++i) {
        pool.enqueue([&] {
            WorkerPool::LongWait held(pool);
            (held.covered() ? covered : uncovered)++;
            if (++waiting == 4)
                allWaiting.set_value();
            gate.wait();
        });
    }
    // Two workers, four waits: only stand-ins can have let the last two start.
    ASSERT_EQ(allWaiting.get_future().wait_for(5s), std::future_status::ready);
    EXPECT_EQ(covered, 3);
    EXPECT_EQ(uncovered, 1);   // past the bound the wait keeps its worker

    // The uncovered wait holds one of the two workers; the other is free.
    EXPECT_EQ(pool.threadCount(), 5u);
    std::promise<void> ran;
    pool.enqueue([&] { ran.set_value(); });
    EXPECT_EQ(ran.get_future().wait_for(5s), std::future_status::ready);

    gate.release();
    // The stand-ins retire once the waits are over.
    for (int i = 0; i < 500 && pool.threadCount() > 2; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(pool.threadCount(), 2u);

    std::atomic<int> after{0};
    for (int i = 0; i < 50; ++i)
        pool.enqueue([&] { ++after; });
    pool.shutdown();   // runs what is queued first
    EXPECT_EQ(after, 50);
}
