// The window's Process with its preview, through the engine calls the window makes, on a
// generated patch group of about 50 MB (37,000 patches) with every box and 80 types per list
// ticked:
//   BM_WindowProcess  EditingSession::process keeping undo and the record, the outcome and the
//                     changes by module as the preview asks for them, the first screenful of
//                     the preview's rows (module texts and shown values), and keep() with
//                     every module ticked, as when the preview is accepted.
// Loading the file is not timed; undoing nothing either: each repetition starts from a fresh
// load.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "PatchGroupGenerator.h"
#include "catalogue/Catalogue.h"
#include "engine/EditingSession.h"
#include "engine/Review.h"

namespace {

using namespace pf;

constexpr size_t kPatches = 37000;
constexpr size_t kRowsShown = 40;  // the module rows a preview shows before it is scrolled

// The generated file, written once into the temporary folder (removed at exit).
const std::filesystem::path& patchGroupFile() {
    struct File {
        std::filesystem::path path;
        File() {
            path = std::filesystem::temp_directory_path() / ("presetforger-window-bench-" + std::to_string(::getpid()) + ".g5a");
            const std::string bytes = bench::patchGroupBytes(kPatches);
            std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        ~File() { std::filesystem::remove(path); }
    };
    static const File file;
    return file.path;
}

void BM_WindowProcess(benchmark::State& state) {
    const Catalogue catalogue = Catalogue::fromBytes(bench::catalogueText());
    const Choices choices = bench::everythingTicked(80);
    size_t modules = 0, bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<EditingSession>(EditingSession::Undo::Kept);
        if (!session->load(patchGroupFile(), catalogue)) {
            state.SkipWithError("cannot load the generated file");
            return;
        }
        bytes = session->document().buffer().size();
        state.ResumeTiming();

        EditingSession::Pending pending = session->process(choices, catalogue);
        const ProcessOutcome& outcome = pending.outcome();
        const ChangeList& changes = pending.changes();
        benchmark::DoNotOptimize(outcome.linesChanged);
        // The first rows the preview draws: each module's header, patch name and rewrites.
        for (size_t m = 0; m < std::min(kRowsShown, changes.modules().size()); ++m) {
            const ModuleChanges& module = changes.modules()[m];
            benchmark::DoNotOptimize(changes.header(module));
            benchmark::DoNotOptimize(patchNameAbove(session->document(), static_cast<size_t>(std::max(module.headerLine, 0LL))));
            for (size_t i = 0; i < module.count; ++i)
                benchmark::DoNotOptimize(shownChange(changes.edit(module, i), changes.reader()));
        }
        modules = changes.modules().size();
        session->keep(std::move(pending), std::vector<bool>(modules, true));

        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    state.counters["modules"] = static_cast<double>(modules);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

BENCHMARK(BM_WindowProcess)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
