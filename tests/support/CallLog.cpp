// Loaded into a program under test with LD_PRELOAD: appends a line to the file named by
// $PF_CALL_LOG for each call that makes a write durable or puts a file in place, so a test can
// check their order: "fsync PATH", "rename FROM TO" (the path a descriptor refers to as the
// system names it, the rename's names as given).
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace {

void logLine(const char* what, const char* a, const char* b) {
    const char* path = getenv("PF_CALL_LOG");
    if (!path) return;
    char line[3 * 4096 + 32];
    const int n = snprintf(line, sizeof line, "%s %s%s%s\n", what, a, b ? " " : "", b ? b : "");
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (n > 0 && write(fd, line, static_cast<size_t>(n)) < 0) {
    }
    close(fd);
}

template <class F>
F next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
    char link[64], target[4096] = "?";
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n > 0) target[n] = '\0';
    const int result = next<int (*)(int)>("fsync")(fd);
    logLine("fsync", target, nullptr);
    return result;
}

extern "C" int rename(const char* from, const char* to) {
    const int result = next<int (*)(const char*, const char*)>("rename")(from, to);
    if (result == 0) logLine("rename", from, to);
    return result;
}
