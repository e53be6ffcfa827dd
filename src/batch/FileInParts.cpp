#include "batch/FileInParts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// A part read, and a buffer for what a save of it will write.
struct PartToProcess {
    io::ByteBuffer bytes;
    bool first = false, last = false;
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
    PatchGroup group;
    group.nameOnly(input, choices.lists());
    const FileChoices& fc = choices.forGroup(group);
    if (!fc.ok()) return std::nullopt;

    FileInParts file;
    file.notApplied = fc.notApplied;
    bool started = false, declined = false;
    const size_t threads = std::max(1u, std::thread::hardware_concurrency());
    OrderedWorkers<PartToProcess, ProcessedPart> workers(threads, [&catalogue, &fc](PartToProcess&& job) {
        ProcessedPart part;
        try {
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
    // A few parts wait, read, while the others are at work and the oldest is written.
    auto start = [&](io::ByteBuffer bytes, bool first, bool last) {
        PartToProcess job{std::move(bytes), first, last, {}};
        if (!spareWrittens.empty()) {
            job.written = std::move(spareWrittens.back());
            spareWrittens.pop_back();
        }
        workers.add(std::move(job));
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
