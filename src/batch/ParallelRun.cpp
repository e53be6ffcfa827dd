#include "batch/ParallelRun.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace pf::batch {

namespace {
// Threads that wait for the disk beside the `jobs` that work: flushes that wait together are
// written together. Prepared inputs wait for a flushing thread in a queue of bounded length.
constexpr size_t kFlushingThreads = 16;
constexpr size_t kMostWaiting = 64;
}  // namespace

void runInOrder(size_t count, unsigned jobs, size_t inFlight, const std::function<FinishStep(size_t)>& prepare,
                const std::function<void(size_t)>& deliver,
                const std::function<void(size_t finished)>& waiting) {
    if (count == 1) {
        prepare(0)();
        deliver(0);
        return;
    }
    std::mutex mutex;
    // Each wait has its own condition: a step to flush or the end of the work; room in the
    // queue; an outcome.
    std::condition_variable stepReady, roomReady, outcomeReady;
    inFlight = std::max<size_t>(inFlight, 1);
    jobs = static_cast<unsigned>(std::clamp<size_t>(jobs, 1, std::min(count, inFlight)));
    size_t next = 0;                  // the next input to prepare
    size_t started = 0;               // inputs between the start of prepare and the end of their step
    size_t preparing = jobs;          // threads still preparing
    std::deque<std::pair<size_t, FinishStep>> prepared;
    std::vector<char> stepDone(count, 0);
    size_t finished = 0;

    // The working threads take the inputs in order, so the report can follow close behind.
    auto work = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        while (next < count) {
            roomReady.wait(lock, [&] { return started < inFlight; });
            if (next == count) break;
            const size_t i = next++;
            ++started;
            lock.unlock();
            FinishStep step = prepare(i);
            lock.lock();
            roomReady.wait(lock, [&] { return prepared.size() < kMostWaiting; });
            prepared.emplace_back(i, std::move(step));
            stepReady.notify_one();
        }
        if (--preparing == 0) stepReady.notify_all();
    };
    auto flush = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            stepReady.wait(lock, [&] { return !prepared.empty() || preparing == 0; });
            if (prepared.empty()) return;
            auto [i, step] = std::move(prepared.front());
            prepared.pop_front();
            roomReady.notify_all();
            lock.unlock();
            step();
            lock.lock();
            stepDone[i] = 1;
            ++finished;
            --started;
            roomReady.notify_all();
            outcomeReady.notify_one();
        }
    };
    std::vector<std::jthread> threads;
    for (unsigned t = 0; t < jobs; ++t) threads.emplace_back(work);
    for (size_t t = 0; t < std::min(count, kFlushingThreads); ++t) threads.emplace_back(flush);

    for (size_t i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        while (!outcomeReady.wait_for(lock, std::chrono::milliseconds(100), [&] { return stepDone[i] != 0; })) {
            const size_t done = finished;
            lock.unlock();
            waiting(done);
            lock.lock();
        }
        lock.unlock();
        deliver(i);
    }
}

}  // namespace pf::batch
