#include "cli/BatchRun.h"

#include <cerrno>
#include <exception>

#include "catalogue/Catalogue.h"
#include "recipe/Apply.h"
#include "cli/Changes.h"

namespace pf::cli {

const FileChoices& ChoicesByModel::forGroup(const PatchGroup& group) {
    const std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = made_[std::string(group.model().code)];
    if (!slot) slot = std::make_unique<FileChoices>(choicesFor(recipe_, group));
    return *slot;
}

FinishStep prepareFile(const std::filesystem::path& input, const std::filesystem::path& output,
                       ChoicesByModel& choices, const Catalogue& catalogue, const RunOptions& options) {
    FileOutcome outcome;
    const std::string head = input.string() + " -> " + output.string() + ": ";
    // `details` name the input first, unless they name their file themselves.
    auto fail = [&](std::string reason, std::vector<std::string> details, bool namesTheFile = false) {
        outcome.line = head + "not written: " + reason;
        outcome.diff.clear();
        for (auto& d : details) outcome.errors.push_back(namesTheFile ? d : input.string() + ": " + d);
        return outcome;
    };
    auto done = [](FileOutcome o) { return FinishStep([o = std::move(o)] { return o; }); };

    // A fresh group: a file of unknown kind leaves it without a model, as in a fresh window.
    // Nothing is taken back in a batch: the session keeps no undo.
    EditingSession session(EditingSession::Undo::None);
    std::string error;
    if (!session.load(input, choices.lists(), &error)) return done(fail("cannot be read", {error}, true));
    const FileChoices& fc = choices.forGroup(session.group());
    if (!fc.ok()) {
        std::vector<std::string> errors = fc.errors;
        if (fc.errorsNotShown > 0) errors.push_back("... and " + std::to_string(fc.errorsNotShown) + " more errors");
        return done(fail("a name is not in the catalogue", std::move(errors)));
    }

    auto details = std::make_shared<FileDetails>();
    const bool inputEndedWithBreak = session.document().endedWithLineBreak();
    try {
        EditingSession::Pending processed = session.process(fc.choices, catalogue, options.record || options.diff);
        details->report = processed.report();
        details->record = processed.record();
        session.keep(std::move(processed));
    } catch (const std::exception& e) {
        return done(fail("processing failed", {std::string("processing failed: ") + e.what()}));
    }
    const ProcessReport& report = details->report;
    details->notApplied = fc.notApplied;
    outcome.details = details;
    std::string notApplied;
    if (!fc.notApplied.empty()) notApplied = "; not applied: " + joined(fc.notApplied);
    if (report.nothingToSave()) {
        outcome.nothingToSave = true;
        outcome.line = head + "not written: " + std::string(kNoChangesToSave) + notApplied;
        outcome.errors.push_back(input.string() + ": " + std::string(kNoChangesToSave));
        return done(outcome);
    }

    if (options.diff)
        outcome.diff = unifiedDiff(session.document(), inputEndedWithBreak, *details->record, input.string(), output.string());
    if (!options.record) details->record.reset();  // kept for the diff only
    const std::string changed = linesText(report.linesChanged);
    if (const size_t leftOut = report.editsLeftOut()) notApplied = "; " + leftOutText(leftOut) + notApplied;
    std::string reason;
    if (options.dryRun) {
        // Everything a write would check, short of writing.
        if (!io::checkWritable(output, &reason))
            return done(fail("cannot be written", {io::cannotCreate(output, reason)}, true));
        outcome.ok = true;
        outcome.line = head + changed + " would change (dry run, nothing written)" + notApplied;
        return done(outcome);
    }
    auto write = std::make_shared<io::AtomicWrite>();
    if (!session.startSave(*write, output, &reason))
        return done(fail("cannot be written", {io::cannotCreate(output, reason)}, true));
    write->startFlush();
    outcome.ok = true;
    outcome.line = head + changed + " changed" + notApplied;
    return [write, output, head, backup = options.backup, outcome = std::move(outcome)]() mutable {
        std::string reason;
        if (write->finish(&reason, {.backup = backup, .folderToFlush = &outcome.written})) return outcome;
        outcome.ok = false;
        outcome.line = head + "not written: cannot be written";
        outcome.errors = {io::cannotCreate(output, reason)};
        outcome.diff.clear();
        return outcome;
    };
}

}  // namespace pf::cli
