#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/EditingSession.h"
#include "engine/PatchGroup.h"
#include "recipe/Apply.h"
#include "recipe/Recipe.h"

namespace pf {
class Catalogue;
}

namespace pf::batch {

// The catalogue's lists and the recipe's choices for each model code, made once per batch:
// every input of a batch has the same recipe and catalogue, so groups of one model get the
// same lists and choices. Safe to use from several threads.
class ChoicesByModel {
public:
    ChoicesByModel(const Recipe& recipe, const Catalogue& catalogue) : recipe_(recipe), lists_(catalogue) {}
    ListsByModel& lists() { return lists_; }
    // The recipe applied onto the group's choices after its load (see choicesFor).
    const FileChoices& forGroup(const PatchGroup& group);

private:
    const Recipe& recipe_;
    ListsByModel lists_;
    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<FileChoices>, std::less<>> made_;
};

// One input of a batch, processed in memory as a fresh window would do it: the file loaded, its
// model taken from its extension, the recipe's choices set, Process run. Nothing is written;
// the Process waits in `pending` for its caller to keep it (all of it or some modules) or to let
// it go.
struct ProcessedFile {
    enum class Status { Processed, NothingToSave, Failed };
    Status status = Status::Failed;
    // Why a failed input failed ("cannot be read", "a name is not in the catalogue", "processing
    // failed"), and the messages behind it, each naming the file.
    std::string reason;
    std::vector<std::string> errors;
    std::vector<std::string> notApplied;  // "[B3 Amp] Gain": recipe settings the model does not offer
    bool inputEndedWithBreak = true;
    // The session holds the group and its document (on the heap: `pending` points into it).
    std::unique_ptr<EditingSession> session;
    std::optional<EditingSession::Pending> pending;  // with Processed and NothingToSave

    bool processed() const { return status == Status::Processed; }

    ProcessedFile() = default;
    ProcessedFile(ProcessedFile&&) = default;
    // `pending` points into `session`, so a file taking another's place lets its own Process
    // go before its session does, as destruction does (member by member, the session would go
    // first).
    ProcessedFile& operator=(ProcessedFile&& other) noexcept {
        if (this != &other) {
            std::destroy_at(this);
            std::construct_at(this, std::move(other));
        }
        return *this;
    }
};

// Works on one input; `record` keeps the record of every rewrite (for a preview, a diff or the
// JSON report). Never throws for the input's sake: a failure is told in the result.
ProcessedFile processFile(const std::filesystem::path& input, ChoicesByModel& choices, const Catalogue& catalogue,
                          bool record);

}  // namespace pf::batch
