#include "cli/BatchRun.h"

#include <exception>

#include "catalogue/Catalogue.h"
#include "cli/Apply.h"
#include "document/Document.h"
#include "document/ModelCode.h"
#include "engine/Process.h"

namespace pf::cli {

FileOutcome runFile(const std::filesystem::path& input, const std::filesystem::path& output, const Recipe& recipe,
                    const Catalogue& catalogue, bool dryRun) {
    FileOutcome outcome;
    const std::string head = input.string() + " -> " + output.string() + ": ";
    // `details` name the input first, unless they name their file themselves.
    auto fail = [&](std::string reason, std::vector<std::string> details, bool namesTheFile = false) {
        outcome.line = head + "not written: " + reason;
        for (auto& d : details) outcome.errors.push_back(namesTheFile ? d : input.string() + ": " + d);
        return outcome;
    };

    Document document;
    std::string error;
    if (!document.load(input, &error)) return fail("cannot be read", {error}, true);

    // A fresh window has no model code until a load of a known kind sets one.
    const std::string model = modelCodeFor(input, "");
    FileChoices fc = choicesFor(recipe, catalogue, model);
    if (!fc.ok()) return fail("a name is not in the catalogue", fc.errors);

    ProcessReport report;
    try {
        report = process(document, catalogue, fc.choices);
    } catch (const std::exception& e) {
        return fail("processing failed", {std::string("processing failed: ") + e.what()});
    }
    std::string notApplied;
    if (!fc.notApplied.empty()) notApplied = "; not applied: " + joined(fc.notApplied);
    if (report.nothingToSave()) {
        outcome.line = head + "not written: " + std::string(kNoChangesToSave) + notApplied;
        outcome.errors.push_back(input.string() + ": " + std::string(kNoChangesToSave));
        return outcome;
    }

    const std::string changed = std::to_string(report.linesChanged) + (report.linesChanged == 1 ? " line" : " lines");
    if (dryRun) {
        outcome.ok = true;
        outcome.line = head + changed + " would change (dry run, nothing written)" + notApplied;
        return outcome;
    }
    if (!document.save(output, &error)) return fail("cannot be written", {error}, true);
    outcome.ok = true;
    outcome.line = head + changed + " changed" + notApplied;
    return outcome;
}

}  // namespace pf::cli
