// show, compare and import end to end: the built program on copies of the examples and on
// generated files of each model.
#include <gmock/gmock.h>

#include <random>
#include <regex>
#include <set>

#include "cli/CliHarness.h"
#include "text/Csv.h"

namespace {

using ::testing::ElementsAre;
using Records = std::vector<std::vector<std::string>>;

Records records(const std::string& csv) {
    pf::CsvReader reader(csv);
    Records out;
    while (auto r = reader.next()) out.push_back(*r);
    return out;
}

std::string csvOf(const Records& rs) {
    std::string out;
    for (const auto& r : rs) pf::appendCsvRecord(out, r);
    return out;
}

size_t columnOf(const Records& rs, const std::string& name) {
    return static_cast<size_t>(std::ranges::find(rs[0], name) - rs[0].begin());
}

// An example with every parameter value replaced by a random number (type ids too, so that
// unknown types, unreadable values and every layout turn up), its line breaks kept.
std::string generated(const char* example, unsigned seed) {
    std::mt19937 random(seed);
    const std::regex parameter("(<Prm[0-9]+>)[^<]*(</Prm)");
    std::string out, text = readFile(kSource / "examples" / example);
    for (int copy = 0; copy < 3; ++copy)
        out += std::regex_replace(text, parameter, "$1#$2");
    std::string bytes;
    for (const char c : out) bytes += c == '#' ? std::to_string(random() % 160) : std::string(1, c);
    return bytes;
}

TEST(LibraryCli, AnUneditedSheetChangesNoByteAndEditedCellsEndUpInTheFilesAlone) {
    Workspace ws;
    const char* kGenerated[] = {"gen.g5a", "gen.g3xa", "gen.b3a"};
    for (unsigned i = 0; i < 3; ++i) writeFile(ws / kGenerated[i], generated(std::vector{kG5, kG3x, kB3}[i], i));
    writeFile(ws / "a, \"b\".g5a", std::regex_replace(example(kG5), std::regex("Name=\"Glass Morning\""), "Name=\"Glass, Morning's \"\"End\"\"\""));
    const Args files{kG5, kG3x, kB3, "gen.g5a", "gen.g3xa", "gen.b3a", "a, \"b\".g5a"};
    std::map<std::string, std::string> before;
    for (const auto& f : files) before[f] = readFile(ws / f);

    const CliRun show = ws.run(plus({"show"}, files));
    ASSERT_EQ(show.status, 0) << show.err;
    writeFile(ws / "sheet.csv", show.out);
    const CliRun unchanged = ws.run({"import", "sheet.csv"});
    EXPECT_EQ(unchanged.status, 0) << unchanged.err;
    EXPECT_EQ(lineCount(unchanged.out), files.size());
    for (const auto& f : files) EXPECT_EQ(readFile(ws / f), before[f]) << f;

    // Values changed in a few rows of each file, the sheet cut down to the columns it needs.
    Records sheet = records(show.out);
    EXPECT_TRUE(std::ranges::any_of(sheet, [](const auto& r) { return r[0] == "a, \"b\".g5a" && r[2] == "Glass, Morning's "; }));
    const size_t mix = columnOf(sheet, "Reverb.Mix"), level = columnOf(sheet, "Patch.Patch Level"),
                 gain = columnOf(sheet, "Amp.Gain"), b3Gain = columnOf(sheet, "B3 Amp.Gain");
    std::map<std::string, size_t> edits;
    for (auto& r : sheet) {
        for (size_t c : {mix, level, gain, b3Gain})
            if (&r != &sheet[0] && !r[c].empty() && r[c] != "unreadable" && edits[r[0]] < 4) {
                r[c] = r[c] == "7" ? "8" : "7";
                ++edits[r[0]];
            }
    }
    Records cut;
    for (const auto& r : sheet) cut.push_back({r[0], r[3], r[4], r[mix], r[level], r[gain], r[b3Gain]});
    writeFile(ws / "cut.csv", csvOf(cut));
    const CliRun imported = ws.run({"import", "--out-dir", "out", "cut.csv"});
    EXPECT_EQ(imported.status, 0) << imported.err;
    for (const auto& f : files) {
        EXPECT_EQ(readFile(ws / f), before[f]) << f;
        EXPECT_THAT(imported.out, HasSubstr(f + " -> out/" + f + ": " + std::to_string(edits[f]) + " lines changed"));
    }
    // Shown again, the results give the edited sheet; and only those lines changed.
    Args outputs{"show"};
    for (const auto& f : files) outputs.push_back("out/" + f);
    Records again = records(ws.run(outputs).out);
    for (auto& r : again) r[0] = r[0].substr(r[0].starts_with("out/") ? 4 : 0);
    EXPECT_EQ(csvOf(again), csvOf(sheet));
}

TEST(LibraryCli, RowsThatNoLongerMatchAreRefusedAndTheirFileLeftAsItWas) {
    Workspace ws;
    writeFile(ws / "sheet.csv", ws.run({"show", kG5, kB3}).out);
    Records sheet = records(readFile(ws / "sheet.csv"));
    sheet[1][columnOf(sheet, "ZNR.THRSH")] = "9";
    const auto lastPatch = std::find_if(sheet.rbegin(), sheet.rend(), [](const auto& r) { return r[4] == "Patch"; });
    (*lastPatch)[columnOf(sheet, "Patch.Patch Level")] = "99";
    writeFile(ws / "sheet.csv", csvOf(sheet));
    // The G5 file changes after the sheet was made: its first patch has another name.
    const std::string renamed = std::regex_replace(example(kG5), std::regex("Glass Morning"), "Glass Evening");
    writeFile(ws / kG5, renamed);
    const CliRun run = ws.run({"import", "sheet.csv"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFile(ws / kG5), renamed);
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: sheet.csv: line 2: the module at line 8 has changed: Name is "
                                   "\"Glass Morning\" in the sheet but \"Glass Evening\" in the file\n"));
    EXPECT_THAT(run.out, HasSubstr("evening-set.g5a -> evening-set.g5a: not written: 6 rows of sheet.csv no longer match"));
    EXPECT_THAT(run.out, HasSubstr("low-end.b3a -> low-end.b3a: 1 line changed\n"));
    EXPECT_TRUE(readFile(ws / kB3) != example(kB3));
}

// compare of each example against the batch tool's result lists exactly the settings whose
// value the run's JSON says changed; its exit status says whether anything differs.
TEST(LibraryCli, CompareListsExactlyWhatARecipeChanged) {
    Workspace ws;
    for (const char* file : {kG5, kG3x, kB3}) {
        SCOPED_TRACE(file);
        const CliRun batch = ws.run({"--recipe", exampleRecipe("gig-ready"), "--json", "--out-dir", "out", file});
        std::set<std::string> changed;
        const std::regex change("\"setting\": \"([^\"]*)\", \"section\": \"([^\"]*)\".*?\"moduleLine\": ([0-9]+).*?"
                                "\"oldValue\": ([^,]*), \"newValue\": ([^,]*),");
        for (std::sregex_iterator m(batch.out.begin(), batch.out.end(), change), end; m != end; ++m)
            if ((*m)[4] != (*m)[5]) changed.insert((*m)[3].str() + " " + (*m)[2].str() + "." + (*m)[1].str());
        const CliRun compare = ws.run({"compare", "--format", "csv", file, "out/"s + file});
        EXPECT_EQ(compare.status, 1);
        std::set<std::string> listed;
        for (const auto& r : records(compare.out))
            if (r[3] == "value") listed.insert(r[5] + " " + r[7]);
        EXPECT_FALSE(changed.empty());
        EXPECT_EQ(listed, changed);
        EXPECT_EQ(ws.run({"compare", file, file}).status, 0);
    }
    const CliRun patches = ws.run({"compare", "out/"s + kG5 + "#3", "out/"s + kG5 + "#3"});
    EXPECT_EQ(patches.status, 0);
    EXPECT_EQ(patches.out, "");
    const CliRun two = ws.run({"compare", "out/"s + kG5 + "#1", "out/"s + kG5 + "#3"});
    EXPECT_EQ(two.status, 1);
    EXPECT_THAT(two.out, HasSubstr("Glass Morning: Drive.Drive Sparkle Boost -> Copper Fuzz (line 15)\n"));
    for (const Args& bad : {Args{"compare", kG5}, Args{"compare", kG5, "nothing.g5a"}, Args{"compare", kG5, kG5 + "#99"s},
                            Args{"compare", kG5, kG5 + "#1"s}})
        EXPECT_EQ(ws.run(bad).status, 2) << bad.back();
}

TEST(LibraryCli, ShowFiltersRowsAndSaysItsErrors) {
    Workspace ws;
    const CliRun hall = ws.run({"show", "--where", "reverb.reverb=hall,room", "--where", "Reverb.Mix=40..60", "--patches", "*a*", kG5});
    EXPECT_EQ(hall.status, 0);
    const Records rows = records(hall.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_THAT(rows[1], testing::IsSupersetOf({"Glass Morning", "Hall", "49"}));
    EXPECT_THAT(rows[2], testing::IsSupersetOf({"Stack Attack", "Room", "45"}));
    const CliRun json = ws.run({"show", "--format", "json", "--where", "Amp.Cab=Closed4x12", kB3, "missing.b3a"});
    EXPECT_EQ(json.status, 1);
    EXPECT_THAT(json.out, testing::StartsWith("{\"columns\": [\"B3 Amp.Power\","));
    EXPECT_THAT(json.out, testing::EndsWith("], \"errors\": [\"Cannot open file missing.b3a: No such file or directory\"]}\n"));
    EXPECT_EQ(ws.run({"show", "--format", "table", kG3x}).out.substr(0, 12), "File        ");
    for (const Args& bad : {Args{"show"}, Args{"show", "--where", "Amp.Gain=1", kG5}, Args{"show", "--format", "xml", kG5},
                            Args{"show", "--bogus", kG5}, Args{"import", "a.csv", "b.csv"}})
        EXPECT_EQ(ws.run(bad).status, 2) << bad[1];
}

}  // namespace
