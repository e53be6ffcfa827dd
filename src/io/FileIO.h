#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace pf::io {

// Reads a regular file whole. Nothing else is read: a named pipe, a device or a socket is
// refused without blocking ("not a regular file"), as is a folder. On failure `bytes` is left
// as it was and `reason` (when given) receives the system's reason, such as "No such file or
// directory".
bool readRegularFile(const std::filesystem::path& path, std::string& bytes, std::string* reason = nullptr);

// Writes all bytes to a descriptor, retrying short writes and interruptions; false with errno
// set on failure.
bool writeAll(int fd, const char* data, size_t size);

// Writes a file atomically: `writeBody` fills a new temporary file in the target's folder, which
// is flushed to disk and renamed over the target only once it is complete; then the folder is
// flushed. The temporary's name is short, so any name the file system accepts for the target
// can be written. An existing target keeps its permissions, and a symbolic link is written
// through to the file it names. On failure the target is left exactly as it was, the
// temporary is removed, and `reason` receives the system's reason. `writeBody` returns false
// with errno set when a write fails.
bool writeFileAtomically(const std::filesystem::path& path, const std::function<bool(int fd)>& writeBody,
                         std::string* reason = nullptr);

// Removes every temporary file a save is writing at this moment. Async-signal-safe: meant for
// a signal handler that ends the program.
void removeTemporaryFilesInProgress() noexcept;

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files being written and end the program
// with status 128 + the signal's number; a replaced target stays whole.
void removeTemporaryFilesOnInterrupt();

// "Cannot open file <path>: <reason>", "Cannot create file <path>: <reason>".
std::string cannotOpen(const std::filesystem::path& path, std::string_view reason);
std::string cannotCreate(const std::filesystem::path& path, std::string_view reason);

}  // namespace pf::io
