// The pieces that run a batch: the runner that processes several inputs at a time and reports
// them in order, and the progress line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <latch>
#include <mutex>
#include <thread>

#include "cli/ParallelRun.h"
#include "cli/Progress.h"

namespace {

using pf::cli::FileOutcome;
using pf::cli::FinishStep;

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
        std::mutex startedMutex;
        pf::cli::runInOrder(
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
                    FileOutcome outcome;
                    outcome.ok = true;
                    outcome.line = "line " + std::to_string(i);
                    return outcome;
                };
            },
            [&](size_t i, FileOutcome& outcome) {
                EXPECT_EQ(outcome.line, "line " + std::to_string(i));
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
        pf::cli::runInOrder(
            kCount, 8, inFlight,
            [&](size_t) -> FinishStep {
                const int n = ++now;
                for (int m = most; n > m && !most.compare_exchange_weak(m, n);) {
                }
                return [&] {
                    std::this_thread::sleep_for(std::chrono::microseconds(300));
                    --now;
                    return FileOutcome{};
                };
            },
            [&](size_t, FileOutcome&) { ++delivered; }, [](size_t) {});
        EXPECT_EQ(delivered, kCount);
        EXPECT_LE(most.load(), static_cast<int>(inFlight));
        EXPECT_GE(most.load(), 1);
    }
}

std::string drain(int fd) {
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
    return out;
}

// The line appears only after the first second, is redrawn at most ten times a second, is
// erased by hide(), and never appears when it is not to be shown.
TEST(BatchRunner, ProgressShowsAfterASecondAndIsErased) {
    using namespace std::chrono_literals;
    for (bool shown : {true, false}) {
        int fds[2];
        ASSERT_EQ(::pipe2(fds, O_NONBLOCK), 0);
        const auto start = pf::cli::Progress::Clock::now();
        {
            pf::cli::Progress progress(500, fds[1], shown, start);
            progress.show(3, start + 900ms);
            EXPECT_EQ(drain(fds[0]), "");
            progress.show(120, start + 1100ms);
            EXPECT_EQ(drain(fds[0]), shown ? "\r\x1b[Kpresetforger-cli: 120 of 500 files done" : "");
            progress.show(121, start + 1150ms);
            EXPECT_EQ(drain(fds[0]), "");
            progress.show(130, start + 1250ms);
            EXPECT_EQ(drain(fds[0]), shown ? "\r\x1b[Kpresetforger-cli: 130 of 500 files done" : "");
            progress.hide();
            EXPECT_EQ(drain(fds[0]), shown ? "\r\x1b[K" : "");
            progress.hide();
            progress.show(131, start + 1300ms);  // shown again at once after being erased
            EXPECT_EQ(drain(fds[0]), shown ? "\r\x1b[Kpresetforger-cli: 131 of 500 files done" : "");
        }
        EXPECT_EQ(drain(fds[0]), shown ? "\r\x1b[K" : "") << "erased when the run ends";
        ::close(fds[0]);
        ::close(fds[1]);
    }
}

}  // namespace
