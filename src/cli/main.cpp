// presetforger-cli: applies one recipe to many patch groups, as the window would do for each
// file loaded into a fresh window, and writes every result atomically.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <set>
#include <thread>

#include "Version.h"
#include "catalogue/Catalogue.h"
#include "cli/BatchRun.h"
#include "cli/Changes.h"
#include "cli/Escape.h"
#include "cli/Options.h"
#include "cli/OutputIdentity.h"
#include "cli/ParallelRun.h"
#include "cli/Progress.h"
#include "cli/Recipe.h"
#include "io/FileIO.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageOrRecipeError = 2;
constexpr int kSomeInputFailed = 1;
// Recipe errors shown before the rest are only counted.
constexpr size_t kRecipeErrorsShown = 20;

// Every message is one line: names and values in it are shown escaped.
void message(const std::string& text) { std::cerr << "presetforger-cli: " + pf::cli::escaped(text) + "\n"; }

int usageError(const std::string& text) {
    message(text);
    std::cerr << pf::cli::usageText();
    return kUsageOrRecipeError;
}

// Standard output carries the report; it is written unbuffered, so a write that fails (a full
// disk, a closed descriptor) is known at once and with the system's reason.
bool writeOut(std::string_view text) {
    if (pf::io::writeAll(STDOUT_FILENO, text.data(), text.size())) return true;
    message(std::string("Cannot write the report to standard output: ") + std::strerror(errno));
    return false;
}

// A standard descriptor the program was started without is taken by /dev/null opened for
// reading, so that no file opened later becomes "standard output" and a report written to it
// fails instead of vanishing or landing in that file.
void occupyClosedStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) ::open("/dev/null", O_RDONLY);
}

// The recipe or catalogue, whole; a message with the system's reason when it cannot be read.
bool readRunFile(const fs::path& path, std::string& bytes) {
    std::string reason;
    if (pf::io::readRegularFile(path, bytes, &reason)) return true;
    message(pf::io::cannotOpen(path, reason));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    occupyClosedStandardDescriptors();
    pf::io::removeTemporaryFilesOnInterrupt();

    const std::vector<std::string> args(argv + 1, argv + argc);
    const pf::cli::OptionsResult parsed = pf::cli::parseArguments(args);
    if (!parsed.ok()) return usageError(parsed.error);
    const pf::cli::Options& o = parsed.options;
    if (o.help) return writeOut(pf::cli::helpText()) ? 0 : kUsageOrRecipeError;
    if (o.version)
        return writeOut(std::string("presetforger-cli ") + pf::kVersion + "\n") ? 0 : kUsageOrRecipeError;

    // Everything that could stop the whole run is checked before any file is touched.
    std::string bytes;
    if (!readRunFile(o.recipe, bytes)) return kUsageOrRecipeError;
    const pf::cli::RecipeResult recipe = pf::cli::parseRecipe(bytes, kRecipeErrorsShown);
    if (!recipe.ok()) {
        for (const auto& e : recipe.errors) message(o.recipe.string() + ": " + e.text());
        if (recipe.errorCount > recipe.errors.size())
            message("... and " + std::to_string(recipe.errorCount - recipe.errors.size()) + " more errors in " +
                    o.recipe.string());
        return kUsageOrRecipeError;
    }

    const fs::path cataloguePath = o.catalogue.value_or(pf::Catalogue::defaultPath());
    std::string catalogueBytes;
    if (!readRunFile(cataloguePath, catalogueBytes)) return kUsageOrRecipeError;
    const pf::Catalogue catalogue = pf::Catalogue::fromBytes(catalogueBytes);

    if (o.outDir) {
        struct stat st {};
        const int why = ::stat(o.outDir->c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        if (why != 0)
            return usageError("--out-dir " + o.outDir->string() + " is not an existing folder: " + std::strerror(why));
    }

    std::vector<fs::path> outputs;
    for (const auto& input : o.inputs) outputs.push_back(o.output ? *o.output : *o.outDir / input.filename());
    if (o.outDir)
        if (const auto clash = pf::cli::outputClash(o.inputs, outputs)) return usageError(*clash);

    // Exactly one report line per input (with --quiet, per failing input), in the order of the
    // inputs however many are processed at a time. Once the report cannot be written the
    // inputs are still done, and the run fails.
    int status = 0;
    bool reporting = true;
    pf::cli::ChoicesByModel choices(recipe.recipe, catalogue);
    pf::cli::Progress progress(o.inputs.size(), STDERR_FILENO, !o.quiet && ::isatty(STDERR_FILENO));
    std::set<fs::path> written;  // folders whose new entries are flushed to disk at the end
    const pf::cli::RunOptions run{.dryRun = o.dryRun, .diff = o.diff, .record = o.json, .backup = o.backup};
    auto report = [&](const std::string& text) {
        if (reporting && !writeOut(text)) {
            reporting = false;
            status = kSomeInputFailed;
        }
    };
    if (o.json) report("{\"files\": [\n");
    pf::cli::runInOrder(
        o.inputs.size(), o.jobs != 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency()),
        [&](size_t i) { return pf::cli::prepareFile(o.inputs[i], outputs[i], choices, catalogue, run); },
        [&](size_t i, pf::cli::FileOutcome& outcome) {
            progress.hide();
            if (!outcome.written.empty()) written.insert(outcome.written);
            if (o.json) {
                pf::cli::JsonFile f;
                f.input = o.inputs[i].string();
                f.output = outputs[i].string();
                f.status = outcome.ok ? (o.dryRun ? "dry-run" : "written") : outcome.nothingToSave ? "nothing-to-save" : "failed";
                f.message = outcome.line;
                f.errors = outcome.errors;
                if (outcome.details) {
                    f.report = &outcome.details->report;
                    if (outcome.ok) f.changes = &outcome.details->record;
                    f.notApplied = outcome.details->notApplied;
                }
                if (o.diff) f.diff = &outcome.diff;
                std::string json = i == 0 ? "" : ",\n";
                pf::cli::appendJsonFile(f, json, [&](std::string& part) {
                    report(part);
                    part.clear();
                });
                report(json);
            } else {
                if (!o.quiet || !outcome.ok) report(pf::cli::escaped(outcome.line) + "\n");
                if (!outcome.diff.empty()) report(outcome.diff);
            }
            for (const auto& e : outcome.errors) message(e);
            if (!outcome.ok) status = kSomeInputFailed;
        },
        [&](size_t finished) { progress.show(finished); });
    progress.hide();
    if (o.json) report("\n]}\n");
    for (const auto& folder : written) pf::io::flushFolder(folder);
    return status;
}
