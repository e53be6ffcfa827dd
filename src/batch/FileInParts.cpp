#include "batch/FileInParts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "batch/OrderedWorkers.h"
#include "document/Document.h"
#include "engine/ProcessInParts.h"
#include "io/FileIO.h"
#include "text/Encoding.h"

namespace pf::batch {

namespace {

constexpr size_t kPartSize = size_t{512} << 10;
// Room a part's buffers are made with, so that they fit the parts after it as well.
constexpr size_t kPartRoom = kPartSize + kPartSize / 4;
// How far before a part's nominal end a line that opens a patch is looked for.
constexpr size_t kCutWindow = size_t{16} << 10;

// Reads `size` bytes at `offset` of `fd` to `at`; false when the file gives fewer (it changed
// meanwhile) or fails.
bool readAt(int fd, char* at, size_t size, uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, at, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

struct ProcessedPart {
    io::ByteBuffer read;                  // the part's bytes as read, for the memory to be used again
    std::string written;                  // what a save of the processed part writes
    std::optional<ProcessReport> report;  // none: of no use, the file goes whole
};

// Where a part lies in the file, with buffers for its bytes and for what a save of it writes.
struct PartToProcess {
    uint64_t begin = 0, end = 0;
    bool first = false, last = false;
    io::ByteBuffer bytes;
    std::string written;
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
    const auto size = static_cast<uint64_t>(st.st_size);  // what is read: a file that changes meanwhile goes whole
    PatchGroup group;
    group.nameOnly(input, choices.lists());
    const FileChoices& fc = choices.forGroup(group);
    if (!fc.ok()) return std::nullopt;

    FileInParts file;
    file.notApplied = fc.notApplied;
    bool started = false, declined = false;
    // One thread a processor, up to eight: more would hold more parts than one writer can pass on.
    const size_t threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    // Each thread reads its part itself, into memory of its own processor's caches.
    const int in = fd.get();
    OrderedWorkers<PartToProcess, ProcessedPart> workers(threads, [&catalogue, &fc, in](PartToProcess&& job) {
        ProcessedPart part;
        try {
            job.bytes.resize(job.end - job.begin);
            if (!readAt(in, job.bytes.data(), job.bytes.size(), job.begin)) return part;
            Document document = Document::fromBuffer(std::move(job.bytes));
            part.report = processPart(document, job.first, job.last, catalogue, fc.choices);
            part.written = std::move(job.written);
            part.written.clear();
            part.written.reserve(kPartRoom);
            if (part.report) document.appendWritten(part.written);
            part.read = document.releaseBuffer();
        } catch (...) {
            part.report.reset();
        }
        return part;
    });
    // The buffers of parts written serve later parts: no fresh memory after the first few.
    std::vector<io::ByteBuffer> spareReads;
    std::vector<std::string> spareWrittens;
    // Waits for the oldest part and writes it.
    auto takeOldest = [&] {
        ProcessedPart part = workers.take();
        if (declined || !part.report) return void(declined = true);
        if (!started) file.report = std::move(*part.report);
        else addPart(file.report, *part.report);
        started = true;
        declined = file.report.nothingToSave() || !writePart(part.written);
        spareWrittens.push_back(std::move(part.written));
        spareReads.push_back(std::move(part.read));
    };
    // A few parts wait while the others are at work and the oldest is written.
    auto start = [&](uint64_t begin, uint64_t end) {
        PartToProcess job{begin, end, begin == 0, end == size, io::ByteBuffer(), {}};
        if (!spareReads.empty()) {
            job.bytes = std::move(spareReads.back());
            spareReads.pop_back();
        } else {
            job.bytes = io::ByteBuffer(kPartRoom);
        }
        if (!spareWrittens.empty()) {
            job.written = std::move(spareWrittens.back());
            spareWrittens.pop_back();
        }
        workers.add(std::move(job));
        while (!declined && workers.inFlight() > 2 * threads) takeOldest();
    };

    // Wide text is told by the file's first bytes.
    std::string head(4096, '\0');
    if (!readAt(in, head.data(), head.size(), 0) || !wideTextEncoding(head).empty()) return std::nullopt;
    // Parts of about half a megabyte, each cut before the last line that opens a patch in the
    // few kilobytes before its nominal end; a part without such a line there grows by as much.
    std::string window(kCutWindow, '\0');
    uint64_t begin = 0;
    for (uint64_t nominal = kPartSize; begin < size && !declined; nominal += kPartSize) {
        if (nominal >= size) {
            start(begin, size);
            begin = size;
            break;
        }
        const uint64_t from = std::max(begin, nominal - kCutWindow);
        if (!readAt(in, window.data(), nominal - from, from)) return std::nullopt;
        const size_t cut = lastPatchStart(std::string_view(window).substr(0, nominal - from));
        if (cut == std::string_view::npos) continue;
        start(begin, from + cut);
        begin = from + cut;
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
