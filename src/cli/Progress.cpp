#include "cli/Progress.h"

#include <string>

#include "io/FileIO.h"

namespace pf::cli {

namespace {
constexpr auto kFirstAfter = std::chrono::seconds(1);
constexpr auto kRedrawAfter = std::chrono::milliseconds(100);
constexpr std::string_view kEraseLine = "\r\x1b[K";
}  // namespace

Progress::Progress(size_t total, int fd, bool shown, Clock::time_point start)
    : total_(total), fd_(fd), shown_(shown), start_(start) {}

void Progress::show(size_t done, Clock::time_point now) {
    if (!shown_ || now - start_ < kFirstAfter || (visible_ && now - last_ < kRedrawAfter)) return;
    last_ = now;
    const std::string line = std::string(kEraseLine) + "presetforger-cli: " + std::to_string(done) + " of " +
                             std::to_string(total_) + " files done";
    visible_ = io::writeAll(fd_, line.data(), line.size());
}

void Progress::hide() {
    if (!visible_) return;
    visible_ = false;
    io::writeAll(fd_, kEraseLine.data(), kEraseLine.size());
}

}  // namespace pf::cli
