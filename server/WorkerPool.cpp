#include "WorkerPool.h"

#include <algorithm>

namespace cirrolith::server {

WorkerPool::WorkerPool(size_t workers, size_t maxStandIns) : size_(std::max<size_t>(workers, 1)), maxStandIns_(maxStandIns)
{
    std::lock_guard lock(mutex_);
    while (live_ < size_)
        spawnLocked();
}

void WorkerPool::spawnLocked()
{
    // Threads that retired are joined here, so they never pile up.
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (std::find(finished_.begin(), finished_.end(), it->get_id()) != finished_.end()) {
            it->join();   // it has left run() and holds nothing
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
    finished_.clear();
    ++live_;
    threads_.emplace_back([this] { run(); });
}

void WorkerPool::enqueue(std::function<void()> job)
{
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    cv_.notify_one();
}

void WorkerPool::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        cv_.wait(lock, [this] { return !jobs_.empty() || stopping_ || surplusLocked(); });
        if (jobs_.empty() ? stopping_ || surplusLocked() : surplusLocked())
            break;
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        job = nullptr;
        lock.lock();
    }
    --live_;
    finished_.push_back(std::this_thread::get_id());
    cv_.notify_all();
}

bool WorkerPool::beginLongWait()
{
    std::lock_guard lock(mutex_);
    if (stopping_ || waiting_ >= maxStandIns_)
        return false;
    ++waiting_;
    if (live_ - waiting_ < size_)
        spawnLocked();
    return true;
}

void WorkerPool::endLongWait()
{
    std::lock_guard lock(mutex_);
    --waiting_;
    // One worker too many now; an idle one retires.
    cv_.notify_all();
}

size_t WorkerPool::threadCount() const
{
    std::lock_guard lock(mutex_);
    return live_;
}

void WorkerPool::shutdown()
{
    std::list<std::thread> threads;
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        cv_.notify_all();
        cv_.wait(lock, [this] { return live_ == 0; });
        threads.swap(threads_);
        finished_.clear();
    }
    for (auto &t : threads)
        t.join();
}

} // namespace cirrolith::server
