#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli/Recipe.h"

namespace pf {
class Catalogue;
}

namespace pf::cli {

struct FileOutcome {
    bool ok = false;
    std::string line;                 // the report line for stdout
    std::vector<std::string> errors;  // for stderr, each naming the file
};

// One input, as a fresh window would do it: load the file, take the model from its
// extension, set the recipe's choices, Process, and save the result to `output` atomically
// (not at all with `dryRun`). On any failure nothing is written and `output` is left as it was.
FileOutcome runFile(const std::filesystem::path& input, const std::filesystem::path& output, const Recipe& recipe,
                    const Catalogue& catalogue, bool dryRun);

}  // namespace pf::cli
