#include "io/FileIO.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

namespace pf::io {

namespace {

std::string systemReason(int error) { return std::strerror(error); }

constexpr std::string_view kNotRegular = "not a regular file";

// The temporary files being written, for removal from a signal handler: a fixed table, so the
// handler reads only memory that is never freed or moved. A slot is free (0), being filled (1)
// or names a temporary file (2).
struct TemporarySlot {
    std::atomic<int> state{0};
    char path[PATH_MAX]{};
};
constexpr size_t kTemporarySlots = 256;  // more than the writes a batch runs at once
TemporarySlot temporarySlots[kTemporarySlots];

TemporarySlot* rememberTemporary(const char* path) {
    const size_t length = std::strlen(path);
    if (length >= PATH_MAX) return nullptr;
    for (auto& slot : temporarySlots) {
        int expected = 0;
        if (!slot.state.compare_exchange_strong(expected, 1)) continue;
        std::memcpy(slot.path, path, length + 1);
        slot.state.store(2);
        return &slot;
    }
    return nullptr;  // more saves at once than slots: that one is not cleaned up on a signal
}

void forgetTemporary(TemporarySlot* slot) {
    if (slot) slot->state.store(0);
}

template <class Buffer>
bool readWhole(const std::filesystem::path& path, Buffer& bytes, std::string* reason) {
    auto fail = [&](std::string why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    // O_NONBLOCK keeps open() from waiting for a writer on a named pipe; nothing but a regular
    // file is read, so the flag changes nothing else.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return fail(systemReason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return fail(systemReason(e));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode) ? systemReason(EISDIR) : std::string(kNotRegular));
    }
    // (O_NONBLOCK changes nothing for a regular file: it stays.)
    Buffer content;
    try {
        content.resize(static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return fail(systemReason(ENOMEM));
    }
    // The size fstat gives is read straight into the buffer. Only a file that grew meanwhile
    // makes it grow: the end is found with a small read first, so a file of the expected size
    // costs no memory beyond its bytes.
    size_t filled = 0;
    for (;;) {
        char probe[4096];
        const bool full = filled == content.size();
        const ssize_t n = full ? ::read(fd, probe, sizeof probe)
                               : ::read(fd, content.data() + filled, content.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            return fail(systemReason(e));
        }
        if (n == 0) break;
        if (full) {
            try {
                content.resize(content.size() + (content.size() / 2) + 65536);
            } catch (const std::bad_alloc&) {
                ::close(fd);
                return fail(systemReason(ENOMEM));
            }
            std::memcpy(content.data() + filled, probe, static_cast<size_t>(n));
        }
        filled += static_cast<size_t>(n);
    }
    ::close(fd);
    if (filled != content.size()) content.resize(filled);
    bytes.swap(content);
    return true;
}

}  // namespace

bool readRegularFile(const std::filesystem::path& path, std::string& bytes, std::string* reason) {
    return readWhole(path, bytes, reason);
}

bool readRegularFile(const std::filesystem::path& path, ByteBuffer& bytes, std::string* reason) {
    return readWhole(path, bytes, reason);
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

namespace {
constexpr size_t kWriteBuffer = 1 << 20;          // pieces are gathered up to this size
constexpr unsigned long long kWritebackStep = 8ull << 20;  // disk writing is started every 8 MB
}  // namespace

BufferedWriter::BufferedWriter(int fd, size_t bufferSize)
    : fd_(fd), capacity_(std::clamp<size_t>(bufferSize, 4096, kWriteBuffer)),
      buffer_(static_cast<char*>(allocateLarge(capacity_))) {}

BufferedWriter::~BufferedWriter() { freeLarge(buffer_, capacity_); }

bool BufferedWriter::write(const char* data, size_t size) {
    if (!writeAll(fd_, data, size)) return false;
    written_ += size;
    if (written_ - startedUpTo_ >= kWritebackStep) {
        // A hint only: where the system cannot do it, the final flush does the whole work.
        ::sync_file_range(fd_, static_cast<off_t>(startedUpTo_), static_cast<off_t>(written_ - startedUpTo_),
                          SYNC_FILE_RANGE_WRITE);
        startedUpTo_ = written_;
    }
    return true;
}

bool BufferedWriter::put(const char* data, size_t size) {
    if (used_ + size <= capacity_) {
        std::memcpy(buffer_ + used_, data, size);
        used_ += size;
        return true;
    }
    if (!flush()) return false;
    if (size >= capacity_ / 2) return write(data, size);
    std::memcpy(buffer_, data, size);
    used_ = size;
    return true;
}

bool BufferedWriter::flush() {
    const size_t n = used_;
    used_ = 0;
    return n == 0 || write(buffer_, n);
}

bool flushFolder(const std::filesystem::path& folder, std::string* reason) {
    const int dirfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirfd < 0 || ::fsync(dirfd) != 0) {
        const int e = errno;
        if (dirfd >= 0) ::close(dirfd);
        if (reason) *reason = systemReason(e);
        return false;
    }
    ::close(dirfd);
    return true;
}

AtomicWrite& AtomicWrite::operator=(AtomicWrite&& other) noexcept {
    if (this != &other) {
        abandon();
        target_ = std::move(other.target_);
        folder_ = std::move(other.folder_);
        temporary_ = std::move(other.temporary_);
        fd_ = std::exchange(other.fd_, -1);
        mode_ = other.mode_;
        slot_ = std::exchange(other.slot_, nullptr);
    }
    return *this;
}

bool AtomicWrite::start(const std::filesystem::path& path, std::string* reason) {
    auto fail = [&](std::string why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    abandon();
    if (path.empty()) return fail(systemReason(ENOENT));
    // Write through a link to the file it names, so the link itself survives.
    std::filesystem::path target = path;
    struct stat st {};
    int found = ::lstat(target.c_str(), &st) == 0 ? 0 : errno;
    if (found == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        auto resolved = std::filesystem::weakly_canonical(target, ec);
        if (ec) return fail(ec.message());
        target = resolved;
        found = ::stat(target.c_str(), &st) == 0 ? 0 : errno;
    }
    if (!target.has_filename()) return fail(systemReason(EISDIR));
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";

    mode_t mode = 0666;
    if (found == 0) {
        if (S_ISDIR(st.st_mode)) return fail(systemReason(EISDIR));
        if (!S_ISREG(st.st_mode)) return fail(std::string(kNotRegular));
        mode = st.st_mode & 07777;
    } else if (found != ENOENT) {
        return fail(systemReason(found));
    } else {
        // The file creation mask, read once: reading it means setting it, which threads
        // writing files side by side must not do each on its own.
        static const mode_t mask = [] {
            const mode_t m = ::umask(0);
            ::umask(m);
            return m;
        }();
        mode &= ~mask;
    }

    // A short fixed-length name, whatever the length of the target's own name.
    std::string pattern = (folder / ".pf-XXXXXX").string();
    // The interrupting signals wait while the temporary is created and remembered, so a
    // handler that removes temporaries never misses this one.
    sigset_t interrupts, previous;
    sigemptyset(&interrupts);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &previous);
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    const int createError = errno;
    TemporarySlot* slot = fd >= 0 ? rememberTemporary(pattern.c_str()) : nullptr;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0) return fail(systemReason(createError));
    target_ = std::move(target);
    folder_ = std::move(folder);
    temporary_ = std::move(pattern);
    fd_ = fd;
    mode_ = mode;
    slot_ = slot;
    return true;
}

void AtomicWrite::startFlush() const {
    if (fd_ >= 0) ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

std::filesystem::path backupName(const std::filesystem::path& target, Backup kind) {
    const std::string name = target.filename().string();
    if (kind != Backup::Numbered) return target.parent_path() / (name + "~");
    unsigned long long highest = 0;
    std::error_code ec;
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry.size() < name.size() + 4 || !entry.starts_with(name + ".~") || !entry.ends_with("~")) continue;
        const std::string digits = entry.substr(name.size() + 2, entry.size() - name.size() - 3);
        if (digits.empty() || digits.size() > 18 || digits[0] == '0' ||
            !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        highest = std::max(highest, std::stoull(digits));
    }
    return target.parent_path() / (name + ".~" + std::to_string(highest + 1) + "~");
}

namespace {

// Keeps the file at `target` (if any) under its backup name: a second name for the same file,
// or, where the file system has no such names, a copy. Returns 0 or the system's error, with
// `backup` the name used.
int keepBackup(const std::filesystem::path& target, const std::string& scratch, Backup kind,
               std::filesystem::path& backup) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    for (int attempt = 0; attempt < 100; ++attempt) {
        backup = backupName(target, kind);
        // A simple backup replaces an older one in one step: linked under a scratch name first.
        const std::string& linkName = kind == Backup::Simple ? scratch : backup.native();
        if (::link(target.c_str(), linkName.c_str()) == 0) {
            if (kind == Backup::Simple && ::rename(scratch.c_str(), backup.c_str()) != 0) {
                const int e = errno;
                ::unlink(scratch.c_str());
                return e;
            }
            return 0;
        }
        if (errno == EEXIST && kind == Backup::Numbered) continue;  // taken meanwhile: the next number
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != EXDEV) return errno;
        std::string bytes, why;
        if (!readRegularFile(target, bytes, &why)) return errno ? errno : EIO;
        if (!writeFileAtomically(backup, [&](int fd) { return writeAll(fd, bytes.data(), bytes.size()); }))
            return errno ? errno : EIO;
        return 0;
    }
    return EEXIST;
}

}  // namespace

bool AtomicWrite::finish(std::string* reason, const AtomicWriteOptions& options) {
    int error = fd_ < 0 ? EBADF : 0;
    if (!error && ::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) error = errno;
    if (!error && ::fsync(fd_) != 0) error = errno;
    if (fd_ >= 0 && ::close(std::exchange(fd_, -1)) != 0 && !error) error = errno;
    std::filesystem::path backup;
    int backupError = 0;
    if (!error && options.backup != Backup::None)
        error = backupError = keepBackup(target_, temporary_ + "~", options.backup, backup);
    if (!error && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
    if (error) {
        abandon();
        if (reason)
            *reason = backupError ? "cannot keep the backup " + backup.string() + ": " + systemReason(error)
                                  : systemReason(error);
        return false;
    }
    forgetTemporary(static_cast<TemporarySlot*>(std::exchange(slot_, nullptr)));
    temporary_.clear();
    // Make the rename itself durable, now or by the caller at the end of its batch.
    if (options.folderToFlush) *options.folderToFlush = folder_;
    else flushFolder(folder_);
    return true;
}

void AtomicWrite::abandon() noexcept {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    forgetTemporary(static_cast<TemporarySlot*>(std::exchange(slot_, nullptr)));
}

bool AtomicWrite::write(const std::function<bool(int fd)>& writeBody, std::string* reason) {
    errno = 0;
    if (writeBody(fd_)) return true;
    const int error = errno ? errno : EIO;
    abandon();
    if (reason) *reason = systemReason(error);
    return false;
}

bool writeFileAtomically(const std::filesystem::path& path, const std::function<bool(int fd)>& writeBody,
                         std::string* reason, const AtomicWriteOptions& options) {
    AtomicWrite write;
    return write.start(path, reason) && write.write(writeBody, reason) && write.finish(reason, options);
}

void removeTemporaryFilesInProgress() noexcept {
    for (auto& slot : temporarySlots)
        if (slot.state.load() == 2) ::unlink(slot.path);
}

namespace {
extern "C" void endOnInterrupt(int signal) {
    removeTemporaryFilesInProgress();
    ::_exit(128 + signal);
}
}  // namespace

void removeTemporaryFilesOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = endOnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

std::string cannotOpen(const std::filesystem::path& path, std::string_view reason) {
    return "Cannot open file " + path.string() + ": " + std::string(reason);
}

std::string cannotCreate(const std::filesystem::path& path, std::string_view reason) {
    return "Cannot create file " + path.string() + ": " + std::string(reason);
}

}  // namespace pf::io
