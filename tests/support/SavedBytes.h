#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "document/Document.h"

namespace pf::test {

// The bytes a document saves, through the same writer a save uses, into memory.
inline std::string savedBytes(const pf::Document& doc) {
    const int fd = ::memfd_create("saved-bytes", MFD_CLOEXEC);
    std::string bytes;
    if (fd < 0 || !doc.writeTo(fd) || ::lseek(fd, 0, SEEK_SET) != 0) {
        if (fd >= 0) ::close(fd);
        return "(the document could not be written)";
    }
    char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return bytes;
}

}  // namespace pf::test

using pf::test::savedBytes;
