#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace pf::batch {

// Threads that work on jobs in the order they are added; each result, once done, waits to be
// taken, in that order. The threads stay until the object goes: jobs not started by then are
// dropped, and the ones at work are finished first.
template <class Job, class Result>
class OrderedWorkers {
public:
    using Work = std::function<Result(Job&&)>;

    OrderedWorkers(size_t threads, Work work) : work_(std::move(work)) {
        try {
            for (size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
        } catch (...) {
            stop();
            throw;
        }
    }
    ~OrderedWorkers() { stop(); }
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    void add(Job job) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            waiting_.emplace_back(added_++, std::move(job));
        }
        changed_.notify_all();
    }
    // Jobs added whose results are not taken yet.
    size_t inFlight() const { return added_ - taken_; }
    // The result of the oldest job not taken yet, once it is done.
    Result take() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return done_.contains(taken_); });
        auto it = done_.find(taken_++);
        Result result = std::move(it->second);
        done_.erase(it);
        return result;
    }

private:
    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
            if (stopping_) return;
            auto [index, job] = std::move(waiting_.front());
            waiting_.pop_front();
            lock.unlock();
            Result result = work_(std::move(job));
            lock.lock();
            done_.emplace(index, std::move(result));
            changed_.notify_all();
        }
    }
    void stop() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        for (auto& t : threads_) t.join();
    }

    Work work_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::pair<size_t, Job>> waiting_;
    std::map<size_t, Result> done_;
    size_t added_ = 0, taken_ = 0;
    bool stopping_ = false;
};

}  // namespace pf::batch
