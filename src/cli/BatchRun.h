#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/FileWork.h"
#include "engine/Process.h"
#include "io/FileIO.h"

namespace pf {
class Catalogue;
}

namespace pf::cli {

// What the run asks of each input beside the result.
struct RunOptions {
    bool dryRun = false;
    bool diff = false;    // a unified diff of the input against the result
    bool record = false;  // the report and the record of every change, for the JSON form
    io::Backup backup = io::Backup::None;
};

// The input's processing, when it got that far.
struct FileDetails {
    ProcessReport report;
    std::shared_ptr<const EditRecord> record;  // with RunOptions::record
    std::vector<std::string> notApplied;
};

struct FileOutcome {
    bool ok = false;
    std::string line;                 // the report line for stdout
    std::vector<std::string> errors;  // for stderr, each naming the file
    std::filesystem::path written;    // the folder of the output written, to be flushed at the end
    std::string diff;                 // with RunOptions::diff: empty when nothing differs
    std::shared_ptr<const FileDetails> details;  // null when the input was not processed
    bool nothingToSave = false;
};

using batch::ChoicesByModel;

// One input, as a fresh window would do it (batch::processFile): load the file, take the model
// from its extension, set the recipe's choices, Process; then save the result to `output` atomically
// (not at all with `dryRun`), keeping a replaced output as `backup` says. On any failure nothing is written and `output` is left as it was.
//
// In two steps: prepareFile() does the work that needs the processor (reading, processing,
// writing the result to a temporary file) and returns what is left, the step that waits for
// the disk (flushing the temporary and renaming it over the output), which gives the outcome.
// The output's folder is not flushed: the outcome names it, for the caller to flush once at
// the end of the run.
using FinishOutcome = std::function<FileOutcome()>;
FinishOutcome prepareFile(const std::filesystem::path& input, const std::filesystem::path& output,
                          ChoicesByModel& choices, const Catalogue& catalogue, const RunOptions& options);

}  // namespace pf::cli
