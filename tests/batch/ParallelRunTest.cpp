// The runner that processes several inputs of a batch at a time and delivers them in order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <latch>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/OrderedWorkers.h"
#include "batch/ParallelRun.h"

namespace {

using pf::batch::FinishStep;

// Inputs finish in the reverse of their order (each waits for the one after it; the runner has
// threads enough for all twelve to wait at once), yet they are delivered in order, each once;
// at most `jobs` are prepared at a time (each preparation lingers a moment, so that ones
// started together would overlap), and they are prepared in order.
TEST(BatchRunner, OutcomesComeInInputOrderWhateverOrderTheyFinishIn) {
    for (unsigned jobs : {1u, 2u, 5u}) {
        constexpr size_t kCount = 12;
        std::vector<std::unique_ptr<std::latch>> finished;
        for (size_t i = 0; i <= kCount; ++i) finished.push_back(std::make_unique<std::latch>(1));
        finished[kCount]->count_down();
        std::atomic<int> preparing{0}, mostPreparing{0};
        std::vector<size_t> delivered, started;
        std::vector<std::string> lines(kCount);
        std::mutex startedMutex;
        pf::batch::runInOrder(
            kCount, jobs, SIZE_MAX,
            [&](size_t i) -> FinishStep {
                {
                    const std::lock_guard<std::mutex> lock(startedMutex);
                    started.push_back(i);
                }
                const int now = ++preparing;
                for (int most = mostPreparing; now > most && !mostPreparing.compare_exchange_weak(most, now);) {
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                --preparing;
                return [&, i] {
                    finished[i + 1]->wait();
                    finished[i]->count_down();
                    lines[i] = "line " + std::to_string(i);
                };
            },
            [&](size_t i) {
                EXPECT_EQ(lines[i], "line " + std::to_string(i));
                delivered.push_back(i);
            },
            [](size_t) {});
        std::vector<size_t> expected(kCount);
        for (size_t i = 0; i < kCount; ++i) expected[i] = i;
        EXPECT_EQ(delivered, expected) << jobs;
        EXPECT_LE(mostPreparing.load(), static_cast<int>(jobs));
        if (jobs == 1) {
            EXPECT_EQ(started, expected);
        }
    }
}

// However many jobs are asked for, no more inputs than allowed are in flight (from the start of
// their preparation to the end of their step), and every input is still delivered.
TEST(BatchRunner, InputsInFlightStayWithinTheirBound) {
    for (size_t inFlight : {1u, 3u}) {
        constexpr size_t kCount = 40;
        std::atomic<int> now{0}, most{0};
        size_t delivered = 0;
        pf::batch::runInOrder(
            kCount, 8, inFlight,
            [&](size_t) -> FinishStep {
                const int n = ++now;
                for (int m = most; n > m && !most.compare_exchange_weak(m, n);) {
                }
                return [&] {
                    std::this_thread::sleep_for(std::chrono::microseconds(300));
                    --now;
                };
            },
            [&](size_t) { ++delivered; }, [](size_t) {});
        EXPECT_EQ(delivered, kCount);
        EXPECT_LE(most.load(), static_cast<int>(inFlight));
        EXPECT_GE(most.load(), 1);
    }
}

}  // namespace

// Jobs that finish in the reverse of their order (each waits for the one after it) come back
// in the order they were added; going away with jobs waiting drops them and ends.
TEST(OrderedWorkers, ResultsComeInTheOrderAddedAndLeftoverJobsAreDropped) {
    constexpr int kCount = 6;
    std::vector<std::unique_ptr<std::latch>> finished;
    for (int i = 0; i <= kCount; ++i) finished.push_back(std::make_unique<std::latch>(1));
    finished[kCount]->count_down();
    std::atomic<int> worked{0};
    {
        pf::batch::OrderedWorkers<int, int> workers(kCount, [&](int&& i) {
            finished[static_cast<size_t>(i) + 1]->wait();
            finished[static_cast<size_t>(i)]->count_down();
            ++worked;
            return i * 10;
        });
        for (int i = 0; i < kCount; ++i) workers.add(int{i});
        for (int i = 0; i < kCount; ++i) EXPECT_EQ(workers.take(), i * 10);
        EXPECT_EQ(workers.inFlight(), 0u);
    }
    // The first job holds its thread until well after the workers are told to go.
    std::atomic<bool> release{false};
    std::latch started(1);
    std::thread releaser;
    {
        pf::batch::OrderedWorkers<int, int> workers(1, [&](int&& i) {
            if (i == 0) started.count_down();
            while (!release) std::this_thread::yield();
            ++worked;
            return i;
        });
        for (int i = 0; i < 100; ++i) workers.add(int{i});
        started.wait();
        releaser = std::thread([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            release = true;
        });
    }
    releaser.join();
    EXPECT_EQ(worked.load(), kCount + 1);
}
