#pragma once

#include <chrono>
#include <cstddef>

namespace pf::cli {

// "presetforger-cli: 120 of 500 files done" on one line of standard error, rewritten in place:
// shown only when standard error is a terminal and the run has lasted a second, redrawn at most
// ten times a second, and erased before anything else is written and at the end.
class Progress {
public:
    using Clock = std::chrono::steady_clock;

    // `fd`: where the line goes; `shown`: whether it is shown at all (a terminal, no --quiet).
    Progress(size_t total, int fd, bool shown, Clock::time_point start = Clock::now());
    ~Progress() { hide(); }

    void show(size_t done, Clock::time_point now = Clock::now());
    void hide();

private:
    size_t total_;
    int fd_;
    bool shown_;
    bool visible_ = false;
    Clock::time_point start_, last_;
};

}  // namespace pf::cli
