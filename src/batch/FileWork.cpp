#include "batch/FileWork.h"

#include <exception>

#include "catalogue/Catalogue.h"

namespace pf::batch {

const FileChoices& ChoicesByModel::forGroup(const PatchGroup& group) {
    const std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = made_[std::string(group.model().code)];
    if (!slot) slot = std::make_unique<FileChoices>(choicesFor(recipe_, group));
    return *slot;
}

ProcessedFile processFile(const std::filesystem::path& input, ChoicesByModel& choices, const Catalogue& catalogue,
                          bool record) {
    ProcessedFile file;
    auto fail = [&](std::string reason, std::vector<std::string> errors) {
        file.status = ProcessedFile::Status::Failed;
        file.reason = std::move(reason);
        file.errors = std::move(errors);
        file.pending.reset();
        file.session.reset();
        return std::move(file);
    };
    // A fresh group: a file of unknown kind leaves it without a model, as in a fresh window.
    // Nothing is taken back in a batch: the session keeps no undo.
    file.session = std::make_unique<EditingSession>(EditingSession::Undo::None);
    EditingSession& session = *file.session;
    std::string error;
    if (!session.load(input, choices.lists(), &error)) return fail("cannot be read", {error});
    const FileChoices& fc = choices.forGroup(session.group());
    if (!fc.ok()) {
        std::vector<std::string> errors;
        for (const auto& e : fc.errors) errors.push_back(input.string() + ": " + e);
        if (fc.errorsNotShown > 0)
            errors.push_back(input.string() + ": ... and " + std::to_string(fc.errorsNotShown) + " more errors");
        return fail("a name is not in the catalogue", std::move(errors));
    }
    file.inputEndedWithBreak = session.document().endedWithLineBreak();
    try {
        file.pending.emplace(session.process(fc.choices, catalogue, record));
    } catch (const std::exception& e) {
        return fail("processing failed", {input.string() + ": processing failed: " + e.what()});
    }
    file.notApplied = fc.notApplied;
    file.status = file.pending->nothingToSave() ? ProcessedFile::Status::NothingToSave : ProcessedFile::Status::Processed;
    return file;
}

}  // namespace pf::batch
