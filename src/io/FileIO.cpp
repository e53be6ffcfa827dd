#include "io/FileIO.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <time.h>
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

// The names a write makes beside its target (temporary files and scratch links), for removal
// when the program is ended: a fixed table, so that the code that ends the program reads only
// memory that is never freed or moved. A slot is free (0), being filled (1) or names a file
// (2).
struct TemporarySlot {
    std::atomic<int> state{0};
    char path[PATH_MAX]{};
};
// More than a batch ever has at once: its writes in flight are bounded far below this.
constexpr size_t kTemporarySlots = 1024;
TemporarySlot temporarySlots[kTemporarySlots];

// Set once the program is being ended (a signal, a closed output): from then on no name is
// made or changed. `changingNames` counts the threads inside a NameChange.
std::atomic<bool> ending{false};
std::atomic<int> changingNames{0};
thread_local int nameChangeDepth = 0;
thread_local sigset_t maskBeforeNameChange;

sigset_t interruptingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    return set;
}

// While one lives, this thread makes, renames or removes names in a folder together with
// remembering or forgetting them: the program is never ended halfway through, on this thread
// (the interrupting signals wait) or on another (endProgram waits for it). A thread that starts
// one while the program is being ended waits for the end instead. Nests.
class NameChange {
public:
    NameChange() {
        if (nameChangeDepth++ > 0) return;
        const sigset_t interrupts = interruptingSignals();
        ::pthread_sigmask(SIG_BLOCK, &interrupts, &maskBeforeNameChange);
        changingNames.fetch_add(1);
        if (ending.load()) {
            changingNames.fetch_sub(1);
            for (;;) ::pause();  // the thread ending the program ends this one too
        }
    }
    ~NameChange() {
        if (--nameChangeDepth > 0) return;
        changingNames.fetch_sub(1);
        ::pthread_sigmask(SIG_SETMASK, &maskBeforeNameChange, nullptr);
    }
    NameChange(const NameChange&) = delete;
    NameChange& operator=(const NameChange&) = delete;
};

// Call inside a NameChange.
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
    return nullptr;
}

void forgetTemporary(void* slot) {
    if (slot) static_cast<TemporarySlot*>(slot)->state.store(0);
}

}  // namespace

int openRegularFile(const std::filesystem::path& path, std::string* reason) {
    auto fail = [&](std::string why) {
        if (reason) *reason = std::move(why);
        return -1;
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
    return fd;
}

namespace {

template <class Buffer>
bool readWhole(const std::filesystem::path& path, Buffer& bytes, std::string* reason) {
    auto fail = [&](std::string why) {
        if (reason) *reason = std::move(why);
        return false;
    };
    const int fd = openRegularFile(path, reason);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return fail(systemReason(e));
    }
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
constexpr unsigned long long kWritebackStep = 2ull << 20;  // disk writing is started every 2 MB
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
        owner_ = other.owner_;
        group_ = other.group_;
        replacing_ = other.replacing_;
        slot_ = std::exchange(other.slot_, nullptr);
    }
    return *this;
}

namespace {

// What a write to a path replaces or creates.
struct WriteTarget {
    std::filesystem::path path, folder;
    bool exists = false;
    struct stat st {};
};

// The file a write to `path` replaces: the path itself or, for a symbolic link, the file it
// names, followed link by link, so that the link survives and a dangling link has the file it
// names created. Empty on success, else the reason the path cannot be written.
std::string resolveTarget(const std::filesystem::path& path, WriteTarget& out) {
    if (path.empty()) return systemReason(ENOENT);
    std::filesystem::path target = path;
    struct stat st {};
    int found = ::lstat(target.c_str(), &st) == 0 ? 0 : errno;
    for (int links = 0; found == 0 && S_ISLNK(st.st_mode); ++links) {
        if (links == 40) return systemReason(ELOOP);
        std::error_code ec;
        const std::filesystem::path named = std::filesystem::read_symlink(target, ec);
        if (ec) return ec.message();
        target = named.is_absolute() ? named : target.parent_path() / named;
        found = ::lstat(target.c_str(), &st) == 0 ? 0 : errno;
    }
    if (found == 0 && S_ISDIR(st.st_mode)) return systemReason(EISDIR);
    if (!target.has_filename()) return systemReason(EISDIR);
    if (found == 0 && !S_ISREG(st.st_mode)) return std::string(kNotRegular);
    if (found != 0 && found != ENOENT) return systemReason(found);
    out.folder = target.parent_path();
    if (out.folder.empty()) out.folder = ".";
    out.path = std::move(target);
    out.exists = found == 0;
    out.st = st;
    return {};
}

// The file creation mask, read once: reading it means setting it, which threads writing files
// side by side must not do each on its own.
mode_t creationMask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

}  // namespace

bool checkWritable(const std::filesystem::path& path, std::string* reason) {
    WriteTarget target;
    std::string why = resolveTarget(path, target);
    auto fail = [&](int error) {
        why = systemReason(error);
        return false;
    };
    auto check = [&] {
        struct stat folder {};
        if (::stat(target.folder.c_str(), &folder) != 0) return fail(errno);
        if (!S_ISDIR(folder.st_mode)) return fail(ENOTDIR);
        // Room for a new name in the folder (a read-only file system says so here too).
        if (::faccessat(AT_FDCWD, target.folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return fail(errno);
        if (!target.exists) return true;
        // A sticky folder lets only the file's or the folder's owner replace the file.
        const uid_t me = ::geteuid();
        if ((folder.st_mode & S_ISVTX) && me != 0 && target.st.st_uid != me && folder.st_uid != me) return fail(EPERM);
        // Nor is a file replaced that is marked immutable or append-only.
        const int fd = ::open(target.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
        int flags = 0;
        const bool fixed = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL));
        if (fd >= 0) ::close(fd);
        return fixed ? fail(EPERM) : true;
    };
    if (why.empty() && check()) return true;
    if (reason) *reason = why;
    return false;
}

bool AtomicWrite::start(const std::filesystem::path& path, std::string* reason) {
    abandon();
    WriteTarget target;
    if (std::string why = resolveTarget(path, target); !why.empty()) {
        if (reason) *reason = std::move(why);
        return false;
    }
    // A short fixed-length name, whatever the length of the target's own name.
    std::string pattern = (target.folder / ".pf-XXXXXX").string();
    int fd = -1, createError = 0;
    TemporarySlot* slot = nullptr;
    {
        const NameChange change;
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        createError = errno;
        if (fd >= 0 && !(slot = rememberTemporary(pattern.c_str()))) {
            // Not a file the program could remove when ended: not made at all.
            ::unlink(pattern.c_str());
            ::close(std::exchange(fd, -1));
            createError = ENAMETOOLONG;
        }
    }
    if (fd < 0) {
        if (reason) *reason = systemReason(createError);
        return false;
    }
    target_ = std::move(target.path);
    folder_ = std::move(target.folder);
    temporary_ = std::move(pattern);
    fd_ = fd;
    replacing_ = target.exists;
    mode_ = target.exists ? target.st.st_mode & 07777 : 0666 & ~creationMask();
    owner_ = target.st.st_uid;
    group_ = target.st.st_gid;
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

// Inside a NameChange: the file at `target` under the name `scratch` as well, a second name
// for the same file or, where the file system has no such names (or refuses one to a file of
// another owner), a copy. 0 or the system's error.
int keepScratchCopy(const std::filesystem::path& target, const std::string& scratch) {
    if (::link(target.c_str(), scratch.c_str()) == 0) return 0;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != EXDEV) return errno;
    std::string bytes;
    if (!readRegularFile(target, bytes)) return errno ? errno : EIO;
    std::string why;
    if (!writeFileAtomically(scratch, [&](int fd) { return writeAll(fd, bytes.data(), bytes.size()); }, &why))
        return errno ? errno : EIO;
    return 0;
}

// Inside a NameChange: the scratch name becomes the backup's: "NAME~" replacing an older one,
// or the next free "NAME.~N~", never replacing one taken meanwhile. 0 or the system's error.
int placeBackup(const std::string& scratch, const std::filesystem::path& target, Backup kind,
                std::filesystem::path& backup) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        backup = backupName(target, kind);
        if (kind == Backup::Simple) return ::rename(scratch.c_str(), backup.c_str()) == 0 ? 0 : errno;
        if (::renameat2(AT_FDCWD, scratch.c_str(), AT_FDCWD, backup.c_str(), RENAME_NOREPLACE) == 0) return 0;
        if (errno == EEXIST) continue;  // taken meanwhile: the next number
        if (errno != EINVAL && errno != ENOSYS) return errno;
        // A file system that cannot refuse to replace: the name is checked just before.
        struct stat st {};
        if (::lstat(backup.c_str(), &st) == 0) continue;
        return ::rename(scratch.c_str(), backup.c_str()) == 0 ? 0 : errno;
    }
    return EEXIST;
}

}  // namespace

bool AtomicWrite::finish(std::string* reason, const AtomicWriteOptions& options) {
    int error = fd_ < 0 ? EBADF : 0;
    // A replaced file keeps its owner and group where the system allows it (the group alone
    // where only that is allowed), then its mode, which a change of owner may have cleared.
    if (!error && replacing_ && ::fchown(fd_, owner_, group_) != 0) ::fchown(fd_, static_cast<uid_t>(-1), group_);
    if (!error && ::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) error = errno;
    if (!error && ::fsync(fd_) != 0) error = errno;
    if (fd_ >= 0 && ::close(std::exchange(fd_, -1)) != 0 && !error) error = errno;
    std::filesystem::path backup;
    int backupError = 0;
    if (!error) {
        // The old file is first kept under a scratch name, so that an output that cannot be
        // replaced leaves its folder exactly as it was; only once the new file is in place
        // does the scratch name become the backup's.
        const NameChange change;
        std::string scratch;
        TemporarySlot* scratchSlot = nullptr;
        struct stat st {};
        if (options.backup != Backup::None && ::stat(target_.c_str(), &st) == 0) {
            scratch = temporary_ + "~";
            scratchSlot = rememberTemporary(scratch.c_str());
            error = scratchSlot ? keepScratchCopy(target_, scratch) : ENAMETOOLONG;
            backupError = error;
            if (error) backup = backupName(target_, options.backup);
        }
        if (!error && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = errno;
        if (!error) {
            forgetTemporary(std::exchange(slot_, nullptr));
            temporary_.clear();
            if (!scratch.empty()) error = backupError = placeBackup(scratch, target_, options.backup, backup);
        }
        if (!scratch.empty()) {
            if (error) ::unlink(scratch.c_str());
            forgetTemporary(scratchSlot);
        }
    }
    if (error) {
        abandon();
        if (reason)
            *reason = backupError ? "cannot keep the backup " + backup.string() + ": " + systemReason(error)
                                  : systemReason(error);
        return false;
    }
    // Make the rename itself durable, now or by the caller at the end of its batch.
    if (options.folderToFlush) *options.folderToFlush = folder_;
    else flushFolder(folder_);
    return true;
}

void AtomicWrite::abandon() noexcept {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!temporary_.empty()) {
        const NameChange change;
        ::unlink(temporary_.c_str());
        forgetTemporary(std::exchange(slot_, nullptr));
    }
    temporary_.clear();
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

void endProgram(int status) noexcept {
    if (ending.exchange(true)) {
        for (;;) ::pause();  // another thread is ending the program
    }
    // Names being made or renamed on other threads are finished first, so every one of them is
    // either remembered here or already in its final place.
    const timespec pause{0, 1000000};
    while (changingNames.load() != 0) ::nanosleep(&pause, nullptr);
    removeTemporaryFilesInProgress();
    ::_exit(status);
}

namespace {
extern "C" void endOnInterrupt(int signal) { endProgram(128 + signal); }
}  // namespace

void removeTemporaryFilesOnInterrupt() {
    struct sigaction action {};
    action.sa_handler = endOnInterrupt;
    action.sa_mask = interruptingSignals();
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

std::string cannotOpen(const std::filesystem::path& path, std::string_view reason) {
    return "Cannot open file " + path.string() + ": " + std::string(reason);
}

std::string cannotCreate(const std::filesystem::path& path, std::string_view reason) {
    return "Cannot create file " + path.string() + ": " + std::string(reason);
}

}  // namespace pf::io
