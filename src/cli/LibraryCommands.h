#pragma once

// The read side of the batch tool: "show", "compare" and "import", each a thin adapter over the
// patch table (src/library).

#include <string>
#include <string_view>
#include <vector>

#include "cli/LibraryOptions.h"
#include "cli/Messages.h"

namespace pf {
class Catalogue;
}

namespace pf::cli {

// Runs the command a command line names (its first argument); returns the exit status.
int runLibraryCommand(const std::vector<std::string>& args);

int runShow(const LibraryOptions& options, const Catalogue& catalogue);
int runCompare(const LibraryOptions& options, const Catalogue& catalogue);
int runImport(const LibraryOptions& options, const Catalogue& catalogue);

// Standard output, gathered into large writes. A reader that has gone (a closed pipe) ends the
// program as a recipe run does; any other failure is told once and makes ok() false.
class Output {
public:
    ~Output() { flush(); }
    std::string& text() { return text_; }  // append here; written out by flush() or once large
    void maybeFlush() {
        if (text_.size() >= kChunk) flush();
    }
    bool flush();
    bool ok() const { return ok_; }

private:
    static constexpr size_t kChunk = 1 << 18;
    std::string text_;
    bool ok_ = true;
};

inline constexpr int kLibraryUsageError = 2;

}  // namespace pf::cli
