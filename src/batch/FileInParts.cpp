#include "batch/FileInParts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "document/Document.h"
#include "engine/ProcessInParts.h"
#include "io/FileIO.h"
#include "text/Encoding.h"

namespace pf::batch {

namespace {

constexpr size_t kPartSize = size_t{512} << 10;
// Room a part's buffers are made with, so that they fit the parts after it as well.
constexpr size_t kPartRoom = kPartSize + kPartSize / 4;

// Reads up to `size` bytes from `fd` to `at`: the number read (0 at the end), or -1.
long long readSome(int fd, char* at, size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, at, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

struct ProcessedPart {
    io::ByteBuffer read;                  // the part's bytes as read, for the memory to be used again
    std::string written;                  // what a save of the processed part writes
    std::optional<ProcessReport> report;  // none: of no use, the file goes whole
};

// Threads that process parts in the order they are added; each part, once done, waits to be
// taken, in that order.
class PartWorkers {
public:
    // Processes a part; `written` is a spare buffer for what a save of it writes.
    using Work = std::function<ProcessedPart(io::ByteBuffer&&, bool first, bool last, std::string&& written)>;

    PartWorkers(size_t threads, Work work) : work_(std::move(work)) {
        try {
            for (size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
        } catch (...) {
            stop();
            throw;
        }
    }
    ~PartWorkers() { stop(); }
    PartWorkers(const PartWorkers&) = delete;
    PartWorkers& operator=(const PartWorkers&) = delete;

    void add(io::ByteBuffer bytes, bool first, bool last) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            waiting_.push_back(Job{added_++, std::move(bytes), first, last});
        }
        changed_.notify_all();
    }
    // Parts added and not yet taken.
    size_t inFlight() const { return added_ - taken_; }
    // A part's buffer, once written, for a later part.
    void giveBack(std::string&& written) {
        const std::lock_guard<std::mutex> lock(mutex_);
        spare_.push_back(std::move(written));
    }
    // The oldest part not yet taken, once it is done.
    ProcessedPart take() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return done_.contains(taken_); });
        auto it = done_.find(taken_++);
        ProcessedPart part = std::move(it->second);
        done_.erase(it);
        return part;
    }

private:
    struct Job {
        size_t index;
        io::ByteBuffer bytes;
        bool first, last;
    };

    void run() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
            if (stopping_) return;
            Job job = std::move(waiting_.front());
            waiting_.pop_front();
            std::string written;
            if (!spare_.empty()) {
                written = std::move(spare_.back());
                spare_.pop_back();
            }
            lock.unlock();
            ProcessedPart part = work_(std::move(job.bytes), job.first, job.last, std::move(written));
            lock.lock();
            done_.emplace(job.index, std::move(part));
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
    std::deque<Job> waiting_;
    std::map<size_t, ProcessedPart> done_;
    std::vector<std::string> spare_;  // buffers written out, for later parts: no fresh memory
    size_t added_ = 0, taken_ = 0;
    bool stopping_ = false;
};

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

std::optional<FileInParts> inParts(const std::filesystem::path& input, ChoicesByModel& choices,
                                   const Catalogue& catalogue, const std::function<bool(std::string_view)>& writePart) {
    const Descriptor fd(io::openRegularFile(input));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || static_cast<unsigned long long>(st.st_size) < kFileInPartsSize)
        return std::nullopt;
    PatchGroup group;
    group.nameOnly(input, choices.lists());
    const FileChoices& fc = choices.forGroup(group);
    if (!fc.ok()) return std::nullopt;

    FileInParts file;
    file.notApplied = fc.notApplied;
    bool started = false, declined = false;
    const size_t threads = std::max(1u, std::thread::hardware_concurrency());
    PartWorkers workers(threads, [&catalogue, &fc](io::ByteBuffer&& bytes, bool first, bool last, std::string&& written) {
        ProcessedPart part;
        try {
            Document document = Document::fromBuffer(std::move(bytes));
            part.report = processPart(document, first, last, catalogue, fc.choices);
            part.written = std::move(written);
            part.written.clear();
            part.written.reserve(kPartRoom);
            if (part.report) document.appendWritten(part.written);
            part.read = document.releaseBuffer();
        } catch (...) {
            part.report.reset();
        }
        return part;
    });
    std::vector<io::ByteBuffer> spareReads;  // buffers of parts done, to read later parts into
    // Waits for the oldest part and writes it.
    auto takeOldest = [&] {
        ProcessedPart part = workers.take();
        if (declined || !part.report) return void(declined = true);
        if (!started) file.report = std::move(*part.report);
        else addPart(file.report, *part.report);
        started = true;
        declined = file.report.nothingToSave() || !writePart(part.written);
        workers.giveBack(std::move(part.written));
        spareReads.push_back(std::move(part.read));
    };
    // A few parts wait, read, while the others are at work and the oldest is written.
    auto start = [&](io::ByteBuffer bytes, bool first, bool last) {
        workers.add(std::move(bytes), first, last);
        while (!declined && workers.inFlight() > 2 * threads) takeOldest();
    };

    // A part's bytes are read into the buffer its document keeps: what the part before left over,
    // then half a megabyte at a time until a patch begins in them.
    io::ByteBuffer bytes(kPartRoom);
    size_t used = 0;
    bool first = true;
    for (;;) {
        // Only lines from the last one read before on can open a patch not yet looked at.
        const void* lf = used > 0 ? memrchr(bytes.data(), '\n', used) : nullptr;
        const size_t from = lf ? static_cast<size_t>(static_cast<const char*>(lf) - bytes.data()) : 0;
        if (bytes.size() < used + kPartSize) bytes.resize(std::max(used + kPartSize, 2 * used));  // by doubling
        const long long n = readSome(fd.get(), bytes.data() + used, kPartSize);
        if (n < 0) return std::nullopt;
        used += static_cast<size_t>(n);
        const std::string_view read = bytes.view().substr(0, used);
        if (first && !wideTextEncoding(read).empty()) return std::nullopt;
        if (n == 0) {
            bytes.resize(used);
            start(std::move(bytes), first, true);
            break;
        }
        const size_t found = lastPatchStart(read.substr(from));
        if (found == std::string_view::npos) continue;  // no patch begins in what was read: read on
        const size_t cut = from + found;
        io::ByteBuffer next;
        if (!spareReads.empty()) {
            next = std::move(spareReads.back());
            spareReads.pop_back();
        } else {
            next = io::ByteBuffer(kPartRoom);
        }
        next.resize(used - cut + kPartSize);
        std::memcpy(next.data(), bytes.data() + cut, used - cut);
        bytes.resize(cut);
        start(std::move(bytes), first, false);
        bytes = std::move(next);
        used -= cut;
        first = false;
        if (declined) return std::nullopt;
    }
    while (!declined && workers.inFlight() > 0) takeOldest();
    if (declined) return std::nullopt;
    return file;
}

}  // namespace

std::optional<FileInParts> processFileInParts(const std::filesystem::path& input, ChoicesByModel& choices,
                                              const Catalogue& catalogue,
                                              const std::function<bool(std::string_view)>& writePart) {
    try {
        return inParts(input, choices, catalogue, writePart);
    } catch (...) {  // out of memory, no thread to be had, ...: the file goes whole
        return std::nullopt;
    }
}

}  // namespace pf::batch
