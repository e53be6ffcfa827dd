// presetforger-cli: applies one recipe to many patch groups, as the window would do for each
// file loaded into a fresh window, and writes every result atomically.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <thread>

#include "Version.h"
#include "batch/OutputIdentity.h"
#include "batch/ParallelRun.h"
#include "catalogue/Catalogue.h"
#include "cli/BatchRun.h"
#include "cli/Changes.h"
#include "cli/LibraryCommands.h"
#include "cli/Messages.h"
#include "text/Escape.h"
#include "cli/Options.h"
#include "cli/Progress.h"
#include "recipe/Recipe.h"
#include "io/FileIO.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageOrRecipeError = 2;
constexpr int kSomeInputFailed = 1;

// Standard output carries the report (see writeStandardOutput).
bool writeOut(std::string_view text) {
    return pf::cli::writeStandardOutput(text, "Cannot write the report to standard output");
}

// An error that ends the run before any file is touched: its messages on stderr (with the
// usage lines after a usage error) and, when the run was asked for JSON, standard output is
// still one JSON document, naming them.
int runError(const std::vector<std::string>& texts, bool json, bool usage = false) {
    for (const auto& text : texts) pf::cli::sayError(text);
    if (usage) std::cerr << pf::cli::usageText();
    if (json) {
        std::string doc = "{\"files\": [], \"errors\": [";
        for (size_t i = 0; i < texts.size(); ++i) {
            if (i) doc += ", ";
            pf::appendJsonString(doc, texts[i]);
        }
        writeOut(doc + "]}\n");
    }
    return kUsageOrRecipeError;
}

// Whether the command line asks for JSON, also when it is not usable otherwise.
bool asksForJson(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--") return false;
        if (a == "--json") return true;
    }
    return false;
}

// How many inputs may be in flight at once (each holds up to four descriptors while it is
// written: its temporary, and for a backup on a file system without second names, the old
// file and a copy's temporary) within the limit of open files, raised to its hard limit first.
size_t inputsInFlightAllowed() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    size_t open = 0;  // descriptors open already, the ones of this count included
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (const dirent* e = ::readdir(fds)) open += e->d_name[0] != '.';
        ::closedir(fds);
    } else {
        open = 16;
    }
    constexpr size_t kPerInput = 4, kSpare = 8;  // kSpare: folder flushes, the catalogue, the system's own
    if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 1u << 20) return SIZE_MAX;
    const size_t available = static_cast<size_t>(limit.rlim_cur);
    return available > open + kSpare + kPerInput ? (available - open - kSpare) / kPerInput : 1;
}

// A standard descriptor the program was started without is taken by /dev/null opened for
// reading, so that no file opened later becomes "standard output" and a report written to it
// fails instead of vanishing or landing in that file.
void occupyClosedStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
        if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) ::open("/dev/null", O_RDONLY);
}

// The recipe or catalogue, whole; else `error` names the file and the system's reason.
bool readRunFile(const fs::path& path, std::string& bytes, std::string& error) {
    std::string reason;
    if (pf::io::readRegularFile(path, bytes, &reason)) return true;
    error = pf::io::cannotOpen(path, reason);
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    occupyClosedStandardDescriptors();
    pf::io::removeTemporaryFilesOnInterrupt();
    // A closed standard output is seen as a failed write (writeOut), not as a signal that ends
    // the program wherever it is.
    std::signal(SIGPIPE, SIG_IGN);

    const std::vector<std::string> args(argv + 1, argv + argc);
    // show, compare and import: the read side, a command of its own each.
    if (!args.empty() && pf::cli::libraryCommand(args.front())) return pf::cli::runLibraryCommand(args);
    const bool json = asksForJson(args);
    const pf::cli::OptionsResult parsed = pf::cli::parseArguments(args);
    if (!parsed.ok()) return runError({parsed.error}, json, true);
    const pf::cli::Options& o = parsed.options;
    if (o.help) return writeOut(pf::cli::helpText()) ? 0 : kUsageOrRecipeError;
    if (o.version)
        return writeOut(std::string("presetforger-cli ") + pf::kVersion + "\n") ? 0 : kUsageOrRecipeError;

    // Everything that could stop the whole run is checked before any file is touched.
    std::string bytes, why;
    if (!readRunFile(o.recipe, bytes, why)) return runError({why}, o.json);
    const pf::RecipeResult recipe = pf::parseRecipe(bytes, pf::kErrorsShown);
    if (!recipe.ok()) {
        std::vector<std::string> errors;
        for (const auto& e : recipe.errors) errors.push_back(o.recipe.string() + ": " + e.text());
        if (recipe.errorCount > recipe.errors.size())
            errors.push_back("... and " + std::to_string(recipe.errorCount - recipe.errors.size()) +
                             " more errors in " + o.recipe.string());
        return runError(errors, o.json);
    }

    const fs::path cataloguePath = o.catalogue.value_or(pf::Catalogue::defaultPath());
    std::string catalogueBytes;
    if (!readRunFile(cataloguePath, catalogueBytes, why)) return runError({why}, o.json);
    const pf::Catalogue catalogue = pf::Catalogue::fromBytes(catalogueBytes);

    if (o.outDir) {
        struct stat st {};
        const int error = ::stat(o.outDir->c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        if (error != 0)
            return runError({"--out-dir " + o.outDir->string() + " is not an existing folder: " + std::strerror(error)},
                            o.json, true);
    }

    std::vector<fs::path> outputs;
    for (const auto& input : o.inputs) outputs.push_back(o.output ? *o.output : *o.outDir / input.filename());
    if (o.outDir)
        if (const auto clash = pf::batch::outputClash(o.inputs, outputs)) return runError({*clash}, o.json, true);

    // Exactly one report line per input (with --quiet, per failing input), in the order of the
    // inputs however many are processed at a time. Once the report cannot be written the
    // inputs are still done, and the run fails.
    int status = 0;
    bool reporting = true;
    pf::batch::ChoicesByModel choices(recipe.recipe, catalogue);
    pf::cli::Progress progress(o.inputs.size(), STDERR_FILENO, !o.quiet && ::isatty(STDERR_FILENO));
    std::set<fs::path> written;  // folders whose new entries are flushed to disk at the end
    const pf::cli::RunOptions run{.dryRun = o.dryRun, .diff = o.diff, .record = o.json, .backup = o.backup};
    auto report = [&](const std::string& text) {
        if (reporting && !writeOut(text)) {
            reporting = false;
            status = kSomeInputFailed;
        }
    };
    // A message that many inputs share (a recipe name the catalogue lacks, say) is printed for
    // the first of them; the others are counted, and told once at the end.
    std::map<std::string, size_t> repeats;
    std::vector<const std::string*> repeated;  // the messages seen, in the order first seen
    auto fileMessage = [&](const fs::path& input, const std::string& text) {
        const std::string prefix = input.string() + ": ";
        if (!text.starts_with(prefix)) return pf::cli::sayError(text);  // it names its file in its own way
        auto [it, first] = repeats.try_emplace(text.substr(prefix.size()), 0);
        if (first) {
            repeated.push_back(&it->first);
            pf::cli::sayError(text);
        } else {
            ++it->second;
        }
    };
    if (o.json) report("{\"files\": [\n");
    std::vector<std::optional<pf::cli::FileOutcome>> outcomes(o.inputs.size());  // each until delivered
    pf::batch::runInOrder(
        o.inputs.size(), o.jobs != 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency()), inputsInFlightAllowed(),
        [&](size_t i) -> pf::batch::FinishStep {
            return [&outcomes, i, finish = pf::cli::prepareFile(o.inputs[i], outputs[i], choices, catalogue, run)] {
                outcomes[i] = finish();
            };
        },
        [&](size_t i) {
            pf::cli::FileOutcome outcome = std::move(*outcomes[i]);
            outcomes[i].reset();
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
                    if (outcome.ok) f.changes = outcome.details->record.get();
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
                if (!o.quiet || !outcome.ok) report(pf::escaped(outcome.line) + "\n");
                if (!outcome.diff.empty()) report(outcome.diff);
            }
            for (const auto& e : outcome.errors) fileMessage(o.inputs[i], e);
            if (!outcome.ok) status = kSomeInputFailed;
        },
        [&](size_t finished) { progress.show(finished); });
    progress.hide();
    for (const std::string* text : repeated)
        if (const size_t more = repeats[*text]; more > 0)
            pf::cli::sayError("the same for " + std::to_string(more) + (more == 1 ? " more input: " : " more inputs: ") + *text);
    if (o.json) report("\n]}\n");
    for (const auto& folder : written) pf::io::flushFolder(folder);
    return status;
}
