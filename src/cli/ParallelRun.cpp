#include "cli/ParallelRun.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <semaphore>
#include <thread>
#include <vector>

namespace pf::cli {

namespace {
// Threads beyond `jobs` that can wait for the disk at the same time: flushes that wait
// together are written together.
constexpr size_t kFlushingThreads = 24;
}  // namespace

void runInOrder(size_t count, unsigned jobs, const std::function<FinishStep(size_t)>& prepare,
                const std::function<void(size_t, FileOutcome&)>& deliver,
                const std::function<void(size_t finished)>& waiting) {
    if (count == 1) {
        FileOutcome outcome = prepare(0)();
        deliver(0, outcome);
        return;
    }
    jobs = std::max(jobs, 1u);
    std::atomic<size_t> next{0};
    std::counting_semaphore<> processors(jobs);
    std::mutex mutex;
    std::condition_variable ready;
    std::vector<std::optional<FileOutcome>> outcomes(count);
    size_t finished = 0;  // under `mutex`

    auto work = [&] {
        for (size_t i; (i = next++) < count;) {
            processors.acquire();
            const FinishStep finish = prepare(i);
            processors.release();
            FileOutcome outcome = finish();
            {
                const std::lock_guard<std::mutex> lock(mutex);
                outcomes[i] = std::move(outcome);
                ++finished;
            }
            ready.notify_all();
        }
    };
    std::vector<std::jthread> threads;
    const size_t threadCount = std::min(count, jobs + kFlushingThreads);
    for (size_t t = 0; t < threadCount; ++t) threads.emplace_back(work);

    for (size_t i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        while (!ready.wait_for(lock, std::chrono::milliseconds(100), [&] { return outcomes[i].has_value(); })) {
            const size_t done = finished;
            lock.unlock();
            waiting(done);
            lock.lock();
        }
        FileOutcome outcome = std::move(*outcomes[i]);
        outcomes[i].reset();
        lock.unlock();
        deliver(i, outcome);
    }
}

}  // namespace pf::cli
