#include "cli/BatchRun.h"

#include "catalogue/Catalogue.h"
#include "recipe/Apply.h"
#include "cli/Changes.h"

namespace pf::cli {

FinishOutcome prepareFile(const std::filesystem::path& input, const std::filesystem::path& output,
                          ChoicesByModel& choices, const Catalogue& catalogue, const RunOptions& options) {
    FileOutcome outcome;
    const std::string head = input.string() + " -> " + output.string() + ": ";
    // The messages name their file.
    auto fail = [&](std::string reason, std::vector<std::string> errors) {
        outcome.line = head + "not written: " + reason;
        outcome.diff.clear();
        for (auto& e : errors) outcome.errors.push_back(std::move(e));
        return outcome;
    };
    auto done = [](FileOutcome o) { return FinishOutcome([o = std::move(o)] { return o; }); };

    batch::ProcessedFile file = batch::processFile(input, choices, catalogue, options.record || options.diff);
    if (file.status == batch::ProcessedFile::Status::Failed) return done(fail(file.reason, std::move(file.errors)));
    EditingSession& session = *file.session;
    auto details = std::make_shared<FileDetails>();
    details->report = file.pending->report();
    details->record = file.pending->record();
    session.keep(std::move(*file.pending));
    const bool inputEndedWithBreak = file.inputEndedWithBreak;
    details->notApplied = file.notApplied;
    const ProcessReport& report = details->report;
    outcome.details = details;
    std::string notApplied;
    if (!details->notApplied.empty()) notApplied = "; not applied: " + joined(details->notApplied);
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
            return done(fail("cannot be written", {io::cannotCreate(output, reason)}));
        outcome.ok = true;
        outcome.line = head + changed + " would change (dry run, nothing written)" + notApplied;
        return done(outcome);
    }
    auto write = std::make_shared<io::AtomicWrite>();
    if (!session.startSave(*write, output, &reason))
        return done(fail("cannot be written", {io::cannotCreate(output, reason)}));
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
