#include "cli/BatchRun.h"

#include "catalogue/Catalogue.h"
#include "recipe/Apply.h"
#include "batch/FileInParts.h"
#include "cli/Changes.h"

namespace pf::cli {

namespace {

// The end of an outcome's line: the edits left out and the settings not applied.
std::string notAppliedText(const ProcessReport& report, const std::vector<std::string>& notApplied) {
    std::string text;
    if (const size_t leftOut = report.editsLeftOut()) text = "; " + leftOutText(leftOut);
    if (!notApplied.empty()) text += "; not applied: " + joined(notApplied);
    return text;
}

// The step that waits for the disk: the temporary written is flushed and renamed over the output.
FinishOutcome finishing(std::shared_ptr<io::AtomicWrite> write, const std::filesystem::path& output,
                        const std::string& head, io::Backup backup, FileOutcome outcome) {
    write->startFlush();
    return [write, output, head, backup, outcome = std::move(outcome)]() mutable {
        std::string reason;
        if (write->finish(&reason, {.backup = backup, .folderToFlush = &outcome.written})) return outcome;
        outcome.ok = false;
        outcome.line = head + "not written: cannot be written";
        outcome.errors = {io::cannotCreate(output, reason)};
        outcome.diff.clear();
        return outcome;
    };
}

// A big input read, processed and written a part at a time (batch::processFileInParts); none
// when it is not one to take so, and nothing is left of the try.
std::optional<FinishOutcome> preparedInParts(const std::filesystem::path& input, const std::filesystem::path& output,
                                             ChoicesByModel& choices, const Catalogue& catalogue,
                                             const RunOptions& options, const std::string& head) {
    if (options.dryRun || options.diff || options.record) return std::nullopt;
    std::error_code ec;
    if (std::filesystem::file_size(input, ec) < batch::kFileInPartsSize || ec) return std::nullopt;
    auto write = std::make_shared<io::AtomicWrite>();
    if (!write->start(output)) return std::nullopt;
    io::BufferedWriter writer(write->fd(), 0);  // each part whole, in one write
    std::optional<batch::FileInParts> file =
        batch::processFileInParts(input, choices, catalogue, [&](std::string_view part) { return writer.put(part); });
    if (!file || !writer.flush()) {
        write->abandon();
        return std::nullopt;
    }
    FileOutcome outcome;
    auto details = std::make_shared<FileDetails>();
    details->report = std::move(file->report);
    details->notApplied = std::move(file->notApplied);
    outcome.details = details;
    outcome.ok = true;
    outcome.line = head + linesText(details->report.linesChanged) + " changed" +
                   notAppliedText(details->report, details->notApplied);
    return finishing(std::move(write), output, head, options.backup, std::move(outcome));
}

}  // namespace

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

    if (auto inParts = preparedInParts(input, output, choices, catalogue, options, head)) return std::move(*inParts);
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
    if (report.nothingToSave()) {
        outcome.nothingToSave = true;
        std::string notApplied;
        if (!details->notApplied.empty()) notApplied = "; not applied: " + joined(details->notApplied);
        outcome.line = head + "not written: " + std::string(kNoChangesToSave) + notApplied;
        outcome.errors.push_back(input.string() + ": " + std::string(kNoChangesToSave));
        return done(outcome);
    }

    if (options.diff)
        outcome.diff = unifiedDiff(session.document(), inputEndedWithBreak, *details->record, input.string(), output.string());
    if (!options.record) details->record.reset();  // kept for the diff only
    const std::string changed = linesText(report.linesChanged);
    const std::string notApplied = notAppliedText(report, details->notApplied);
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
    outcome.ok = true;
    outcome.line = head + changed + " changed" + notApplied;
    return finishing(std::move(write), output, head, options.backup, std::move(outcome));
}

}  // namespace pf::cli
