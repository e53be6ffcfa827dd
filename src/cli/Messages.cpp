#include "cli/Messages.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>

#include "io/FileIO.h"
#include "text/Escape.h"

namespace pf::cli {

void sayError(const std::string& text) { std::cerr << "presetforger-cli: " + escaped(text) + "\n"; }

bool writeStandardOutput(std::string_view text, std::string_view failure) {
    if (io::writeAll(STDOUT_FILENO, text.data(), text.size())) return true;
    if (errno == EPIPE) {
        sayError("standard output was closed; stopped (outputs not yet written are left as they were)");
        io::endProgram(128 + SIGPIPE);
    }
    sayError(std::string(failure) + ": " + std::strerror(errno));
    return false;
}

}  // namespace pf::cli
