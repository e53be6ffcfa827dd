#include "cli/LibraryCommands.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>

#include "catalogue/Catalogue.h"
#include "cli/Messages.h"
#include "text/Escape.h"

namespace pf::cli {

bool Output::flush() {
    if (text_.empty() || !ok_) return ok_;
    ok_ = writeStandardOutput(text_, "Cannot write to standard output");
    text_.clear();
    return ok_;
}

int runLibraryCommand(const std::vector<std::string>& args) {
    const LibraryOptionsResult parsed = parseLibraryArguments(args);
    const LibraryOptions& o = parsed.options;
    if (!parsed.ok()) {
        sayError(parsed.error);
        std::cerr << libraryUsageText(o.command);
        return kLibraryUsageError;
    }
    if (o.help) {
        Output out;
        out.text() = libraryHelpText(o.command);
        return out.flush() ? 0 : kLibraryUsageError;
    }
    const std::filesystem::path path = o.catalogue.value_or(Catalogue::defaultPath());
    std::string bytes, reason;
    if (!io::readRegularFile(path, bytes, &reason)) {
        sayError(io::cannotOpen(path, reason));
        return kLibraryUsageError;
    }
    const Catalogue catalogue = Catalogue::fromBytes(bytes);
    switch (o.command) {
        case LibraryCommand::Show: return runShow(o, catalogue);
        case LibraryCommand::Compare: return runCompare(o, catalogue);
        case LibraryCommand::Import: return runImport(o, catalogue);
    }
    return kLibraryUsageError;
}

}  // namespace pf::cli
