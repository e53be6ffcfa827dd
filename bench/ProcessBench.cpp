// Process with every setting box ticked on synthetic G5 patch groups.
//   BM_Process/patches:N/types:T  N patches, T names ticked in each effect-type list (10 that
//                                 occur in the document, or those and 70 that occur nowhere)
//   BM_ProcessRecorded/patches:N  the same at T = 10, keeping the record of every rewrite
//   BM_ProcessRules/patches:N     the same at T = 10 with every number given as "limit A..B"
//                                 (the middle half of its range) and every fixed list as
//                                 "ITEM if ON, OFF" (all its items): each module's value read
// Only the Process call is timed: the fresh copy of the document it works on is made, and
// the edited one destroyed, with the timer stopped.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "PatchGroupGenerator.h"
#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Process.h"
#include "engine/Settings.h"

namespace {

using namespace pf;

const Catalogue& catalogue() {
    static const Catalogue c = Catalogue::fromBytes(bench::catalogueText());
    return c;
}

const Document& document(size_t patches) {
    static std::map<size_t, std::unique_ptr<Document>> cache;
    auto& slot = cache[patches];
    if (!slot) slot = std::make_unique<Document>(Document::fromBytes(bench::patchGroupBytes(patches)));
    return *slot;
}

// Hits each block must report: every module of the document is found exactly once.
bool reportIsAsExpected(const ProcessReport& r, size_t patches, std::string* why) {
    const size_t expected[] = {patches, patches, 2 * patches, patches, patches};
    if (r.blocks.size() != 5) {
        *why = "blocks run: " + std::to_string(r.blocks.size());
        return false;
    }
    for (size_t i = 0; i < 5; ++i) {
        if (r.blocks[i].hits != expected[i]) {
            *why = std::string(groupName(r.blocks[i].group)) + " hits " + std::to_string(r.blocks[i].hits) +
                   ", expected " + std::to_string(expected[i]);
            return false;
        }
    }
    return true;
}

// Every number and fixed list of `c` as a rule that reads what the module holds.
Choices withRules(Choices c) {
    for (const auto& def : settings()) {
        ValueRule& rule = c[def.id].rule;
        if (def.kind == ValueKind::Spin) {
            const int quarter = (def.maximum - def.minimum) / 4;
            rule.form = ValueRule::Form::Limit;
            rule.low = def.minimum + quarter;
            rule.high = def.maximum - quarter;
        } else if (def.kind == ValueKind::FixedList) {
            rule.whenItems.assign(def.items.begin(), def.items.end());
        }
    }
    return c;
}

void runProcess(benchmark::State& state, size_t patches, int types, bool recording, bool rules = false) {
    const Choices choices = rules ? withRules(bench::everythingTicked(types)) : bench::everythingTicked(types);
    const Document& original = document(patches);

    {  // once, untimed: the run does what it should
        Document doc = original;
        std::string why;
        if (!reportIsAsExpected(process(doc, catalogue(), choices), patches, &why)) {
            state.SkipWithError(why.c_str());
            return;
        }
    }

    size_t linesChanged = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = std::make_unique<Document>(original);
        state.ResumeTiming();

        EditRecord record;
        ProcessReport report = process(*doc, catalogue(), choices, recording ? &record : nullptr);
        benchmark::DoNotOptimize(report);

        state.PauseTiming();
        linesChanged = report.linesChanged;
        doc.reset();
        record = EditRecord();
        state.ResumeTiming();
    }
    state.counters["lines"] = static_cast<double>(original.lineCount());
    state.counters["linesChanged"] = static_cast<double>(linesChanged);
}

void BM_Process(benchmark::State& state) {
    runProcess(state, static_cast<size_t>(state.range(0)), static_cast<int>(state.range(1)), false);
}

void BM_ProcessRecorded(benchmark::State& state) {
    runProcess(state, static_cast<size_t>(state.range(0)), 10, true);
}

void BM_ProcessRules(benchmark::State& state) {
    runProcess(state, static_cast<size_t>(state.range(0)), 10, false, true);
}

BENCHMARK(BM_Process)
    ->ArgNames({"patches", "types"})
    ->Args({10000, 10})
    ->Args({10000, 80})
    ->Args({100000, 10})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessRecorded)->ArgNames({"patches"})->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProcessRules)->ArgNames({"patches"})->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
