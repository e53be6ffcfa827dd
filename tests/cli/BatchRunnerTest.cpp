// The batch tool's progress line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "cli/Progress.h"

namespace {

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
