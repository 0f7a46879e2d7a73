#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace cirrolith::server {

// The workers that serve connections, one connection at a time each. A job
// that is about to wait for a long time (a held or delayed request) borrows a
// stand-in, so the rest of the queue keeps moving at full strength; stand-ins
// are bounded so held requests cannot grow the pool without end.
class WorkerPool {
public:
    WorkerPool(size_t workers, size_t maxStandIns);
    WorkerPool(const WorkerPool &) = delete;
    WorkerPool &operator=(const WorkerPool &) = delete;
    ~WorkerPool() { shutdown(); }

    void enqueue(std::function<void()> job);
    // Runs what is queued, then stops every worker.
    void shutdown();

    // Marks the calling job as waiting while it lives. covered() is false
    // when every stand-in is taken: the wait then holds a worker.
    class LongWait {
    public:
        explicit LongWait(WorkerPool &pool) : pool_(pool), covered_(pool.beginLongWait()) {}
        ~LongWait() { if (covered_) pool_.endLongWait(); }
        LongWait(const LongWait &) = delete;
        LongWait &operator=(const LongWait &) = delete;
        bool covered() const { return covered_; }

    private:
        WorkerPool &pool_;
        bool covered_;
    };

    size_t threadCount() const;

private:
    bool beginLongWait();
    void endLongWait();
    void spawnLocked();
    void run();
    bool surplusLocked() const { return live_ - waiting_ > size_; }

    const size_t size_;
    const size_t maxStandIns_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> jobs_;
    std::list<std::thread> threads_;
    std::vector<std::thread::id> finished_;
    size_t live_ = 0;     // threads running run()
    size_t waiting_ = 0;  // jobs in a covered long wait
    bool stopping_ = false;
};

} // namespace cirrolith::server
