#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "io/LargeMemory.h"

namespace pf::io {

// Reads a regular file whole. Nothing else is read: a named pipe, a device or a socket is
// refused without blocking ("not a regular file"), as is a folder. On failure `bytes` is left
// as it was and `reason` (when given) receives the system's reason, such as "No such file or
// directory".
bool readRegularFile(const std::filesystem::path& path, std::string& bytes, std::string* reason = nullptr);
// The same into a buffer that is not cleared first and lies in huge pages when large.
bool readRegularFile(const std::filesystem::path& path, ByteBuffer& bytes, std::string* reason = nullptr);
// Opens a regular file for reading piece by piece, refusing anything else as readRegularFile
// does: the descriptor (the caller closes it), or -1 with `reason` set.
int openRegularFile(const std::filesystem::path& path, std::string* reason = nullptr);

// Writes all bytes to a descriptor, retrying short writes and interruptions; false with errno
// set on failure.
bool writeAll(int fd, const char* data, size_t size);

// Gathers small pieces into large writes to a descriptor and passes large pieces straight on.
// Every few megabytes written it asks the system to start writing them to disk, so that the
// flush at the end of a big file has little left to wait for. Each call returns false with
// errno set once a write has failed.
class BufferedWriter {
public:
    // `bufferSize`: how much is gathered before a write (at most a megabyte); a writer of a
    // small file needs no more than the file's size.
    explicit BufferedWriter(int fd, size_t bufferSize = size_t{1} << 20);
    ~BufferedWriter();
    BufferedWriter(const BufferedWriter&) = delete;
    BufferedWriter& operator=(const BufferedWriter&) = delete;

    bool put(const char* data, size_t size);
    bool put(std::string_view s) { return put(s.data(), s.size()); }
    bool flush();

private:
    bool write(const char* data, size_t size);

    int fd_;
    size_t capacity_;
    char* buffer_;
    size_t used_ = 0;
    unsigned long long written_ = 0, startedUpTo_ = 0;
};


// What becomes of the file a write replaces: nothing kept, kept as "NAME~" (an older one of
// that name replaced), or kept under the next free number as "NAME.~1~", "NAME.~2~", ...
enum class Backup { None, Simple, Numbered };

struct AtomicWriteOptions {
    // A replaced target is kept under a backup name, in its folder, just before the rename;
    // the target itself is never missing meanwhile. No backup is made when there was none.
    Backup backup = Backup::None;
    // When set, the target's folder is not flushed after the rename; its path is stored here
    // instead, so that a batch writing many files can flush each folder once, at the end
    // (flushFolder).
    std::filesystem::path* folderToFlush = nullptr;
};

// A file written atomically, in steps: start() makes a temporary file beside the target, the
// caller writes to fd(), and finish() flushes it to disk and renames it over the target. Until
// finished the target is untouched; a write that is not finished is abandoned and its temporary
// removed (also when the object goes). Should the program be ended meanwhile (endProgram, an
// interrupting signal), the temporary and any scratch name are removed, whichever thread ends
// it: each target is then either its old whole file or its new whole file.
//
// The target is the path itself or, through symbolic links, the file they name (a dangling
// link has the file it names created). A replaced file keeps its mode, and its owner and group
// where the system allows it.
class AtomicWrite {
public:
    AtomicWrite() = default;
    AtomicWrite(AtomicWrite&& other) noexcept { *this = std::move(other); }
    AtomicWrite& operator=(AtomicWrite&& other) noexcept;
    ~AtomicWrite() { abandon(); }

    // False with the system's reason when the target cannot be written (a folder, a special
    // file, a folder that is not there, no room for a new file).
    bool start(const std::filesystem::path& target, std::string* reason = nullptr);
    int fd() const { return fd_; }
    // Lets `writeBody` fill the temporary file; when it fails, the write is abandoned and
    // `reason` receives the system's reason (errno as the body left it, else EIO).
    bool write(const std::function<bool(int fd)>& writeBody, std::string* reason = nullptr);
    // Asks the system to start writing what was written so far to disk, so that finish() has
    // less to wait for.
    void startFlush() const;
    // Flushes, closes and renames; false with the system's reason, the target's folder as it
    // was (no backup either) and the temporary removed.
    bool finish(std::string* reason = nullptr, const AtomicWriteOptions& options = {});
    void abandon() noexcept;

private:
    std::filesystem::path target_, folder_;
    std::string temporary_;
    int fd_ = -1;
    unsigned mode_ = 0;
    bool replacing_ = false;  // the target exists: the new file takes its owner and group
    unsigned owner_ = 0, group_ = 0;
    void* slot_ = nullptr;  // where the code ending the program finds the temporary's name
};

// Writes a file atomically: `writeBody` fills a new temporary file in the target's folder, which
// is flushed to disk and renamed over the target only once it is complete; then the folder is
// flushed. The temporary's name is short, so any name the file system accepts for the target
// can be written. An existing target keeps its permissions, and a symbolic link is written
// through to the file it names. On failure the target is left exactly as it was, the
// temporary is removed, and `reason` receives the system's reason. `writeBody` returns false
// with errno set when a write fails.
bool writeFileAtomically(const std::filesystem::path& path, const std::function<bool(int fd)>& writeBody,
                         std::string* reason = nullptr, const AtomicWriteOptions& options = {});

// The name the backup of `target` takes: "NAME~", or "NAME.~N~" with N one past the highest
// such number in the folder.
std::filesystem::path backupName(const std::filesystem::path& target, Backup kind);

// Flushes a folder's entries (a rename in it) to disk; false with the system's reason.
bool flushFolder(const std::filesystem::path& folder, std::string* reason = nullptr);

// Whether a write to `path` could be made, short of making it: the same target as AtomicWrite
// (through links), neither a folder nor a special file, in a folder that exists and takes a
// new name, and replaceable (not immutable, not another's in a sticky folder). False with the
// reason a write would give.
bool checkWritable(const std::filesystem::path& path, std::string* reason = nullptr);

// Removes every temporary file a save is writing at this moment. Async-signal-safe.
void removeTemporaryFilesInProgress() noexcept;

// Ends the program with `status` at once, from any thread or a signal handler: waits for the
// names other threads are making or renaming this instant, removes every temporary file and
// scratch name in progress, and exits. Async-signal-safe; never returns.
[[noreturn]] void endProgram(int status) noexcept;

// Makes SIGINT, SIGTERM and SIGHUP end the program through endProgram with status 128 + the
// signal's number; every target stays whole, old or new.
void removeTemporaryFilesOnInterrupt();

// "Cannot open file <path>: <reason>", "Cannot create file <path>: <reason>".
std::string cannotOpen(const std::filesystem::path& path, std::string_view reason);
std::string cannotCreate(const std::filesystem::path& path, std::string_view reason);

}  // namespace pf::io
