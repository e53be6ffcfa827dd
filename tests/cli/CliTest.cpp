// presetforger-cli end to end: the built program on copies of the examples in a fresh folder.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>
#include <sstream>

#include "Version.h"
#include "engine/Settings.h"
#include "recipe/Recipe.h"
#include "cli/CliHarness.h"

namespace {

// ---------------------------------------------------------------------------------------------
// One recipe per section on all examples, compared byte for byte with the checked-in results;
// a file with no checked-in result gets nothing its model offers and is not written.
TEST(Recipes, EachSectionGivesTheCheckedInOutputForEveryExample) {
    for (const char* recipe : {"amp", "b3-amp", "drive", "reverb", "znr", "patch", "rules"}) {
        SCOPED_TRACE(recipe);
        Workspace ws;
        const CliRun run = ws.run({"--recipe", exampleRecipe(recipe), "--out-dir", "out", kG5, kG3x, kB3});
        bool all = true;
        for (const char* file : {kG5, kG3x, kB3}) {
            SCOPED_TRACE(file);
            const bool written = fs::exists(kExpected / recipe / file);
            all = all && written;
            EXPECT_EQ(readFile(ws / "out" / file), written ? readFile(kExpected / recipe / file) : "");
            EXPECT_EQ(fs::exists(ws / "out" / file), written);
            if (written) {
                EXPECT_THAT(run.out, HasSubstr(std::string(file) + " -> out/" + file + ": "));
            } else {
                EXPECT_THAT(run.out, HasSubstr(std::string(file) + " -> out/" + file + ": not written: There are no changes to save.; not applied: "));
            }
            EXPECT_EQ(readFile(ws / file), example(file)) << "the input is never touched";
        }
        EXPECT_EQ(run.status, all ? 0 : 1) << run.err;
        EXPECT_EQ(lineCount(run.out), 3u);
        // On stderr the message is told for the first input it concerns, the others counted.
        if (!all) EXPECT_THAT(run.err, HasSubstr(": There are no changes to save.\n"));
    }
}

TEST(Recipes, TheReadmeRecipeRunsOverAllExamplesAndReportsEachFile) {
    Workspace ws;
    const CliRun run = ws.run({"--recipe", exampleRecipe("gig-ready"), "--out-dir", "out", kG5, kG3x, kB3});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(lineCount(run.out), 3u);
    EXPECT_THAT(run.out, HasSubstr("evening-set.g5a -> out/evening-set.g5a: "));
    EXPECT_THAT(run.out, HasSubstr("lines changed; not applied: [B3 Amp] Gain, [B3 Amp] Bass, [B3 Amp] Only"));
    EXPECT_THAT(run.out, HasSubstr("low-end.b3a -> out/low-end.b3a: "));
    EXPECT_THAT(run.out, HasSubstr("not applied: [Amp] Gain, [Amp] Cab, [Amp] Only"));
    for (const char* name : {kG5, kG3x, kB3}) EXPECT_NE(readFile(ws / "out" / name), example(name));
}

// Only lists touch just the named types whatever the order of the lines; a setting the
// file's model does not offer is reported and not applied; a file of another kind has no
// model and the Amp page.
TEST(Recipes, OnlyListsAndTheSettingsEachModelOffers) {
    Workspace ws;
    writeFile(ws / "a.ini", "[Amp]\nGain=33\nOnly=Plexi Stack\nOnly=Clean Glass\n");
    writeFile(ws / "b.ini", "[amp]\nonly = clean glass\nGain = 33\nONLY = PLEXI STACK\n[Drive]\nMode=BsBST\nBass=5\n"
                            "[B3 Amp]\nMix=10\n[Patch]\nCTRL PDL=Wah\n");
    ASSERT_EQ(ws.run({"--recipe", "a.ini", "-o", "out/a.g5a", kG5}).status, 0);
    const CliRun b = ws.run({"--recipe", "b.ini", "-o", "out/b.g5a", kG5});
    EXPECT_EQ(b.status, 0) << b.err;
    EXPECT_THAT(b.out, HasSubstr("not applied: [B3 Amp] Mix, [Drive] Bass, [Drive] Mode, [Patch] CTRL PDL"));
    const std::string a = readFile(ws / "out" / "a.g5a");
    EXPECT_EQ(a, readFile(ws / "out" / "b.g5a"));
    // Clean Glass (40) and Plexi Stack (43) get the gain; Tweed Lux (41) keeps its own.
    auto gainAfter = [](const std::string& text, const std::string& typeId) {
        const std::string typeLine = "        <Prm1>" + typeId + "</Prm1>\r\n";
        const size_t next = text.find(typeLine) + typeLine.size();
        return text.substr(next, text.find('\n', next) - next + 1);
    };
    EXPECT_EQ(gainAfter(a, "40"), "        <Prm2>33</Prm2>\r\n");
    EXPECT_EQ(gainAfter(a, "43"), "        <Prm2>33</Prm2>\r\n");
    EXPECT_EQ(gainAfter(a, "41"), gainAfter(example(kG5), "41"));
    EXPECT_NE(gainAfter(a, "41"), "        <Prm2>33</Prm2>\r\n");

    fs::copy_file(ws / kG5, ws / "old.g3a");
    fs::copy_file(ws / kG5, ws / "LOUD.G5A");
    writeFile(ws / "r.ini", "[ZNR]\nLevel=11\n[Drive]\nMode=NORM\n[B3 Amp]\nGain=1\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", "old.g3a", "LOUD.G5A"});
    EXPECT_EQ(run.status, 0) << run.err;
    // The B3 drive panel stays shown, the B3 Amp page hidden; the ZNR search is the non-B3 one.
    EXPECT_THAT(run.out, HasSubstr("old.g3a -> out/old.g3a: "));
    EXPECT_THAT(run.out, HasSubstr("not applied: [B3 Amp] Gain\n"));
    EXPECT_THAT(readFile(ws / "out" / "old.g3a"), HasSubstr("        <Prm4>11</Prm4>\r\n"));
    EXPECT_EQ(readFile(ws / "out" / "old.g3a"), readFile(ws / "out" / "LOUD.G5A"));
}

// ---------------------------------------------------------------------------------------------
// Usage and recipe errors stop everything (2, nothing written); per-file errors skip that file (1).
TEST(Errors, RecipeAndUsageErrorsExitTwoNamingFileSectionAndKeyAndWriteNothing) {
    const struct { std::string recipe, message; } kRecipes[] = {
        {"[Amp]\nGain=60\n[Chorus]\nRate=3\n", "r.ini: [Chorus]: unknown section"},
        {"[Misc]\nLevel=5\n", "r.ini: [Misc]: unknown section"},
        {"[Amp]\nGain=60\nGian=3\n", "r.ini: [Amp] Gian: unknown key"},
        {"[Amp]\nMid-F=Low\n", "r.ini: [Amp] Mid-F: unknown key"},
        {"[ZNR]\nOnly=Hall\n", "r.ini: [ZNR] Only: unknown key"},
        {"[Patch]\nLevel=60\n", "r.ini: [Patch] Level: unknown key"},
        {"[Reverb]\nPreD=0\n", "r.ini: [Reverb] PreD: 0 is out of range 1 to 200"},
        {"[B3 Amp]\nBass=-11\n", "r.ini: [B3 Amp] Bass: -11 is out of range -10 to 10"},
        {"[Amp]\nGain=sixty\n", "r.ini: [Amp] Gain: \"sixty\" is not a whole number (0 to 100)"},
        {"[ZNR]\nDetect=Both\n", "r.ini: [ZNR] Detect: \"Both\" is not one of GtrIn, EfxIn"},
        {"[Drive]\nMode=x\n", "r.ini: [Drive] Mode: \"x\" is not one of NORM, BsBST"},
        {"[Patch]\nPatch Level=60\nPatch Level=70\n", "r.ini: [Patch] Patch Level: is given more than once"},
        {"[Amp]\nGain=5\n[Drive]\nTone=1\n[amp]\ngain=7\n", "r.ini: [Amp] gain: is given more than once"},
        {"[Amp]\nCab=\n", "r.ini: [Amp] Cab: needs a name"},
        {"[Reverb]\nOnly=\n", "r.ini: [Reverb] Only: needs the name"},
        {"Gain=60\n[Amp]\nLevel=5\n", "r.ini: line 1: text before the first section"},
        {"[Amp]\nGain\n", "r.ini: line 2: not a key=value line"},
        {"[Amp]\n=60\n", "r.ini: line 2: a value without a key"},
        {"[Amp\nGain=60\n", "r.ini: line 1: a section line must end with ']'"},
        {std::string("[Amp]\nGain=6\0" "0\n", 15), "NUL byte"},
        // A lone CR ends a line for the INI reader, so it ends one here too.
        {"[Amp]\r\nGain=60\r\n\rGain\r\n", "r.ini: line 4: not a key=value line: Gain"},
    };
    const struct { Args args; std::string message; } kRuns[] = {
        {{"--recipe", "missing.ini", "--out-dir", "out", kG5},
         "presetforger-cli: Cannot open file missing.ini: No such file or directory\n"},
        {{"--recipe", "folder.ini", "--out-dir", "out", kG5}, "presetforger-cli: Cannot open file folder.ini: Is a directory\n"},
        {{"--recipe", "pipe.ini", "--out-dir", "out", kG5}, "presetforger-cli: Cannot open file pipe.ini: not a regular file\n"},
        {{"--recipe", "r.ini", "--catalogue", "missing.ini", "--out-dir", "out", kG5},
         "presetforger-cli: Cannot open file missing.ini: No such file or directory\n"},
        {{"--recipe", "r.ini", "--catalogue", "pipe.ini", "--out-dir", "out", kG5},
         "presetforger-cli: Cannot open file pipe.ini: not a regular file\n"},
        {{}, "usage: presetforger-cli --recipe RECIPE"},
        {{"--recipe", "r.ini", "--out-dir", "out"}, "usage:"},
        {{"--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", kG5}, "usage:"},
        {{"--recipe", "r.ini", "--bogus", "--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", "-o", "out/a.g5a", kG5, kG3x}, "usage:"},
        {{"--recipe", "r.ini", "-o", "out/a.g5a", "--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", "--recipe", "r.ini", "--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", "--out-dir", "no-such-folder", kG5},
         "--out-dir no-such-folder is not an existing folder: No such file or directory\nusage:"},
        {{"--recipe", "r.ini", "--out-dir", "r.ini", kG5}, "--out-dir r.ini is not an existing folder: Not a directory\n"},
        {{"--recipe", "r.ini", "--\x1b]0;x\x07\n", "--out-dir", "out", kG5}, "unknown option --\\x1b]0;x\\x07\\n\nusage:"},
        {{"--recipe", "r.ini", "--out-dir"}, "usage:"},
        {{"--recipe", "r.ini", "-j", "0", "--out-dir", "out", kG5}, "-j needs a whole number from 1 to 128\nusage:"},
        {{"--recipe", "r.ini", "--jobs=129", "--out-dir", "out", kG5}, "--jobs needs a whole number from 1 to 128\n"},
        {{"--recipe", "r.ini", "-j", "2x", "--out-dir", "out", kG5}, "-j needs a whole number from 1 to 128\n"},
        // Two inputs of the same name would be written to one output.
        {{"--recipe", "r.ini", "--out-dir", "out", kG5, "./evening-set.g5a"}, "usage:"},
        // --out-dir never replaces an input: that takes -o with the input's own path.
        {{"--recipe", "r.ini", "--out-dir", ".", kG5}, "usage:"},
    };
    auto expectNothingWritten = [](const Workspace& ws, const CliRun& run, const std::string& message) {
        EXPECT_EQ(run.status, 2);
        EXPECT_THAT(run.err, HasSubstr(message));
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(entryCount(ws / "out"), 0u);
        EXPECT_EQ(readFile(ws / kG5), example(kG5));
    };
    for (const auto& c : kRecipes) {
        SCOPED_TRACE(c.recipe);
        Workspace ws;
        writeFile(ws / "r.ini", c.recipe);
        expectNothingWritten(ws, ws.run({"--recipe", "r.ini", "--out-dir", "out", kG5, kG3x, kB3}), c.message);
    }
    Workspace ws;
    writeFile(ws / "r.ini", "[Amp]\nGain=60\n");
    fs::create_directory(ws / "folder.ini");
    ASSERT_EQ(mkfifo((ws / "pipe.ini").c_str(), 0644), 0);
    for (const auto& c : kRuns) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        expectNothingWritten(ws, ws.run(c.args), c.message);
    }
}

TEST(Errors, HelpListsEveryKeyAndVersionPrintsTheVersion) {
    const CliRun run = Workspace().run({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("presetforger-cli --help | --version\n"));
    // Every key the help lists under a section is read by the recipe reader with the values it
    // states: both ends of a range and not one past them, each item of a list and no other.
    const std::string keys = run.out.substr(run.out.find("Recipe keys:\n"));
    std::istringstream lines(keys);
    std::string line, section;
    size_t listed = 0;
    auto reads = [&](const std::string& key, const std::string& value) {
        return pf::parseRecipe("[" + section + "]\n" + key + "=" + value + "\n").ok();
    };
    const std::regex sectionLine(R"(  \[([^\]]+)\].*)"), keyLine(R"(    (\S(?:.*?\S)?)  +(.*))");
    const std::regex range(R"((-?\d+) to (-?\d+).*)"), items(R"((\S+) or (\S+).*)");
    for (std::smatch m; std::getline(lines, line);) {
        if (std::regex_match(line, m, sectionLine)) {
            section = m[1];
            continue;
        }
        if (section.empty() || !std::regex_match(line, m, keyLine)) continue;
        ++listed;
        const std::string key = m[1], said = m[2];
        SCOPED_TRACE("[" + section + "] " + key + ": " + said);
        std::smatch v;
        if (std::regex_match(said, v, range)) {
            const int low = std::stoi(v[1]), high = std::stoi(v[2]);
            EXPECT_TRUE(reads(key, std::to_string(low)) && reads(key, std::to_string(high)));
            EXPECT_FALSE(reads(key, std::to_string(low - 1)) || reads(key, std::to_string(high + 1)));
        } else if (std::regex_match(said, v, items)) {
            EXPECT_TRUE(reads(key, v[1]) && reads(key, v[2]));
            EXPECT_FALSE(reads(key, "Neither"));
        } else {
            EXPECT_TRUE(reads(key, "Any Name"));  // a catalogue name or an effect type, checked per file
        }
    }
    size_t keysInAll = 0;
    for (const auto& s : pf::settingSections()) keysInAll += s.settings.size() + (s.typeList ? 1 : 0) + 1;  // Patches
    EXPECT_EQ(listed, keysInAll);

    const CliRun version = Workspace().run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("presetforger-cli ") + pf::kVersion + "\n");
    EXPECT_EQ(version.err, "");
    EXPECT_THAT(Workspace().run({}).err, HasSubstr("--version"));
}

// Inputs whose names look like options: after "--" every word is an input, and "-" always is
// one (here a file of that name), for a recipe run and for show alike.
TEST(Errors, AfterTwoDashesEveryWordIsAnInputAndADashIsOne) {
    Workspace ws;
    fs::copy_file(ws / kG5, ws / "-v.g5a");
    fs::copy_file(ws / kG5, ws / "-");
    const CliRun run = ws.run({"--recipe", exampleRecipe("znr"), "--out-dir", "out", "-", "--", "-v.g5a", "--"});
    EXPECT_THAT(run.out, HasSubstr("- -> out/-: "));
    EXPECT_THAT(run.out, HasSubstr("-v.g5a -> out/-v.g5a: "));
    EXPECT_THAT(run.err, HasSubstr("Cannot open file --: No such file or directory"));
    EXPECT_TRUE(fs::exists(ws / "out" / "-v.g5a") && fs::exists(ws / "out" / "-"));
    const CliRun show = ws.run({"show", "--format", "csv", "-", "--", "-v.g5a"});
    EXPECT_EQ(show.status, 0) << show.err;
    EXPECT_THAT(show.out, HasSubstr("\n-,1,Glass Morning,"));
    EXPECT_THAT(show.out, HasSubstr("\n-v.g5a,1,Glass Morning,"));
}

// A name the file's model's catalogue section lacks, an unreadable input (missing, a named
// pipe, which is refused at once): that file only fails, listing the names the section offers
// or naming the file once with the system's reason; the others are still written.
TEST(Errors, AFailingInputSkipsThatFileOnly) {
    Workspace ws;
    // "Filter Sweep" is a CTRL PDL target of the B3 only; CTRL PDL is not offered for G5 files.
    writeFile(ws / "r.ini", "[Patch]\nPatch Level=90\nCTRL PDL=Filter Sweep\n");
    ASSERT_EQ(mkfifo((ws / "pipe.g5a").c_str(), 0644), 0);
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", kG5, "gone.g5a", "pipe.g5a", kG3x, kB3});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("rehearsal.g3xa: [Patch] CTRL PDL: \"Filter Sweep\" is not in catalogue section "
                                   "[g3x-exppedal], which offers Off, Input-Volume, Output-Volume, Wah, Pitch Bend"));
    EXPECT_THAT(run.out, HasSubstr("rehearsal.g3xa -> out/rehearsal.g3xa: not written"));
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: Cannot open file gone.g5a: No such file or directory\n"));
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: Cannot open file pipe.g5a: not a regular file\n"));
    EXPECT_THAT(run.out, HasSubstr("gone.g5a -> out/gone.g5a: not written: cannot be read"));
    EXPECT_THAT(run.out, HasSubstr("pipe.g5a -> out/pipe.g5a: not written: cannot be read"));
    EXPECT_EQ(lineCount(run.out), 5u);
    EXPECT_TRUE(fs::exists(ws / "out" / kG5) && fs::exists(ws / "out" / kB3));
    EXPECT_EQ(entryCount(ws / "out"), 2u);

    const std::string g5 = readFile(ws / "out" / kG5);
    writeFile(ws / "r.ini", "[Drive]\nGain=1\nOnly=Booster\n");
    const CliRun only = ws.run({"--recipe", "r.ini", "--out-dir", "out", kB3, kG5});
    EXPECT_EQ(only.status, 1);
    EXPECT_THAT(only.err, HasSubstr("evening-set.g5a: [Drive] Only: \"Booster\" is not in the effect-type list of "
                                    "catalogue section [g5-drive], which offers Amber Drive, Copper Fuzz"));
    EXPECT_THAT(only.out, ::testing::ContainsRegex("low-end.b3a -> out/low-end.b3a: [0-9]+ lines changed"));
    EXPECT_EQ(readFile(ws / "out" / kG5), g5);
}

// ---------------------------------------------------------------------------------------------
// Batches: any number of inputs at a time gives what one at a time gives, in the same order.
TEST(Batches, AnyNumberOfJobsGivesTheSameFilesReportAndStatusAsOne) {
    // Forty inputs of the three kinds and one of no kind, among them one that cannot be read,
    // some whose catalogue section lacks a name (g3x and no kind) and one whose output is a
    // folder.
    auto workspace = [] {
        auto ws = std::make_unique<Workspace>();
        writeFile(*ws / "r.ini", "[Patch]\nPatch Level=90\nCTRL PDL=Filter Sweep\n[ZNR]\nLevel=12\n");
        for (int i = 0; i < 40; ++i) {
            const char* kinds[] = {kG5, kG3x, kB3};
            const fs::path from = *ws / kinds[i % 3];
            fs::copy_file(from, *ws / (std::to_string(i) + from.extension().string()));
        }
        writeFile(*ws / "plain.txt", "nothing\r\n");
        fs::create_directory(*ws / "out" / "8.b3a");
        return ws;
    };
    Args inputs;
    for (int i = 0; i < 40; ++i) inputs.push_back(std::to_string(i) + (i % 3 == 0 ? ".g5a" : i % 3 == 1 ? ".g3xa" : ".b3a"));
    inputs.insert(inputs.begin() + 5, "gone.g5a");
    inputs.insert(inputs.begin() + 20, "plain.txt");
    auto run = [&](const Workspace& ws, Args jobs) {
        Args args{"--recipe", "r.ini", "--out-dir", "out"};
        args.insert(args.end(), jobs.begin(), jobs.end());
        args.insert(args.end(), inputs.begin(), inputs.end());
        return ws.run(args);
    };
    const auto one = workspace();
    const CliRun serial = run(*one, {"-j", "1"});
    EXPECT_EQ(serial.status, 1);
    EXPECT_EQ(lineCount(serial.out), inputs.size());
    EXPECT_THAT(serial.err, HasSubstr("gone.g5a: No such file"));
    EXPECT_THAT(serial.err, HasSubstr("Cannot create file out/8.b3a: Is a directory"));
    EXPECT_THAT(serial.err, HasSubstr("plain.txt: [Patch] CTRL PDL: \"Filter Sweep\" is not in catalogue section"));
    for (Args jobs : {Args{"-j", "8"}, Args{"--jobs=3"}, Args{}}) {
        SCOPED_TRACE(::testing::PrintToString(jobs));
        const auto many = workspace();
        const CliRun parallel = run(*many, jobs);
        EXPECT_EQ(parallel.status, serial.status);
        EXPECT_EQ(parallel.out, serial.out);
        EXPECT_EQ(parallel.err, serial.err);
        EXPECT_EQ(entryCount(*many / "out"), entryCount(*one / "out")) << "no temporary file left";
        for (const auto& e : fs::directory_iterator(*one / "out")) {
            if (e.is_regular_file()) {
                EXPECT_EQ(readFile(*many / "out" / e.path().filename()), readFile(e.path()));
            }
        }
    }
}

// --quiet: only the report lines of inputs that fail, and every message as without it.
TEST(Batches, QuietReportsOnlyTheInputsThatFail) {
    Workspace ws;
    writeFile(ws / "r.ini", "[Patch]\nPatch Level=90\nCTRL PDL=Filter Sweep\n");
    const Args args{"--recipe", "r.ini", "--out-dir", "out", kG5, kG3x, kB3, "gone.g5a"};
    const CliRun loud = ws.run(args);
    Args quietArgs = args;
    quietArgs.insert(quietArgs.begin(), "--quiet");
    const CliRun quiet = ws.run(quietArgs);
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.err, loud.err);
    EXPECT_EQ(quiet.out, "rehearsal.g3xa -> out/rehearsal.g3xa: not written: a name is not in the catalogue\n"
                         "gone.g5a -> out/gone.g5a: not written: cannot be read\n");
    EXPECT_EQ(ws.run({"-q", "--recipe", exampleRecipe("znr"), "--out-dir", "out", kG5}).out, "");
}

// ---------------------------------------------------------------------------------------------
// Writing: atomically, in place only when asked, nothing with --dry-run.
TEST(Writing, InPlaceAtomicallyAndNothingOnADryRun) {
    Workspace ws;
    const size_t before = entryCount(ws.dir.path());
    const CliRun dry = ws.run({"--recipe", exampleRecipe("znr"), "--dry-run", "--out-dir", "out", kG5, kB3});
    EXPECT_EQ(dry.status, 0);
    EXPECT_THAT(dry.out, HasSubstr("evening-set.g5a -> out/evening-set.g5a: 22 lines would change (dry run"));
    EXPECT_EQ(entryCount(ws / "out"), 0u);
    EXPECT_EQ(ws.run({"--recipe", exampleRecipe("znr"), "--dry-run", "-o", kG5, kG5}).status, 0);
    EXPECT_EQ(readFile(ws / kG5), example(kG5));
    const CliRun run = ws.run({"--recipe", exampleRecipe("znr"), "-o", kB3, kB3});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(ws / kB3), readFile(kExpected / "znr" / kB3));
    EXPECT_EQ(entryCount(ws.dir.path()), before) << "no temporary file left behind";
}

// A write cut short (a file-size limit) keeps the old output whole, an output that is a
// folder or a named pipe fails alone, no temporary file is left, and a smaller output of the
// run is written. Each failure names the file once, with the system's reason.
TEST(Writing, AFailedWriteKeepsTheOldOutputAndTheOthersAreWritten) {
    Workspace ws;
    writeFile(ws / "small.g5a", "<PatchGroup>\r\n  <Module0>\r\n        <Prm0>1</Prm0>\r\n        <Prm1>27</Prm1>\r\n"
                                "        <Prm2>16</Prm2>\r\n  </Module0>\r\n</PatchGroup>\r\n");
    writeFile(ws / "out" / kG5, "old output\r\n");
    fs::create_directory(ws / "out" / kG3x);
    writeFile(ws / "out" / kG3x / "keep.txt", "keep");
    ASSERT_EQ(mkfifo((ws / "out" / kB3).c_str(), 0644), 0);
    const CliRun run =
        ws.run({"--recipe", exampleRecipe("znr"), "--out-dir", "out", kG5, kG3x, kB3, "small.g5a"}, {.fileSizeLimit = 4096});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: Cannot create file out/evening-set.g5a: File too large\n"));
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: Cannot create file out/rehearsal.g3xa: Is a directory\n"));
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: Cannot create file out/low-end.b3a: not a regular file\n"));
    EXPECT_THAT(run.out, HasSubstr("rehearsal.g3xa -> out/rehearsal.g3xa: not written: cannot be written"));
    EXPECT_EQ(readFile(ws / "out" / kG5), "old output\r\n");
    EXPECT_EQ(readFile(ws / "out" / kG3x / "keep.txt"), "keep");
    EXPECT_EQ(entryCount(ws / "out" / kG3x), 1u);
    EXPECT_EQ(entryCount(ws / "out"), 4u);
    EXPECT_TRUE(fs::is_fifo(ws / "out" / kB3));
    EXPECT_THAT(readFile(ws / "out" / "small.g5a"), HasSubstr("        <Prm2>11</Prm2>\r\n"));

    const CliRun missing = ws.run({"--recipe", exampleRecipe("znr"), "-o", "no/such.g5a", kG5});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "presetforger-cli: Cannot create file no/such.g5a: No such file or directory\n");
}

TEST(Writing, TheCatalogueCanBeChosen) {
    Workspace ws;
    writeFile(ws / "mine.ini", "[g5-footswitch]\nBlink=77\n");
    writeFile(ws / "r.ini", "[Patch]\nCTRL SW=blink\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--catalogue", "mine.ini", "-o", "out/x.g5a", kG5});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(readFile(ws / "out" / "x.g5a"), HasSubstr("  <Module9>\r\n        <Prm0>91</Prm0>\r\n        <Prm1>0</Prm1>\r\n"
                                                          "        <Prm2>55</Prm2>\r\n        <Prm3>77</Prm3>\r\n"));
    // The bundled catalogue (beside the program) does not know that name.
    const CliRun bundled = ws.run({"--recipe", "r.ini", "-o", "out/y.g5a", kG5});
    EXPECT_EQ(bundled.status, 1);
    EXPECT_THAT(bundled.err, HasSubstr("[g5-footswitch], which offers Bypass, Tap Tempo"));
}

// ---------------------------------------------------------------------------------------------
// What reaches the terminal: names and values escaped, long values cut, one line per input.
bool plainLines(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return (c >= 0 && c < 0x20 && c != '\n') || c == 0x7f; });
}


TEST(Escaping, NamesAndValuesAreEscapedAndCutOneLinePerInput) {
    Workspace ws;
    const std::string forged = "a\n\x1b]0;title\x07\\.g5a", forgedShown = "a\\n\\x1b]0;title\\x07\\\\.g5a";
    fs::copy_file(ws / kG5, ws / forged);
    writeFile(ws / "r.ini", "[Reverb]\nMix=30\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", forged, "gone\x1b[2J\n.g5a", kB3});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(lineCount(run.out), 3u);
    EXPECT_TRUE(plainLines(run.out));
    EXPECT_THAT(run.out, HasSubstr(forgedShown + " -> out/" + forgedShown + ": "));
    EXPECT_TRUE(fs::exists(ws / "out" / forged)) << "written under its own name";
    EXPECT_EQ(run.err, "presetforger-cli: Cannot open file gone\\x1b[2J\\n.g5a: No such file or directory\n");

    const std::string huge(1'000'000, '9'), hugeShown = std::string(60, '9') + "...";
    const struct { std::string recipe, message; } kValues[] = {
        {"[Amp]\nGain=\x1b[31mred\n", "[Amp] Gain: \"\\x1b[31mred\" is not a whole number"},
        {"[Amp]\nGain=" + huge + "\n", "[Amp] Gain: " + hugeShown + " is out of range 0 to 100\n"},
        {"[Amp]\n" + huge + "\n", "line 2: not a key=value line: " + hugeShown + "\n"},
        {"[Amp\x1b[2J" + huge + "]\nGain=1\n", "[Amp\\x1b[2J" + std::string(50, '9') + "...]: unknown section"},
        {"[ZNR]\nDetect=" + std::string(40, '\x01') + "\n", "\"" + repeated("\\x01", 15) + "...\" is not one of"},
        // Checked per input and so echoed once per input, cut each time.
        {"[Amp]\nCab=" + huge + "\n", "evening-set.g5a: [Amp] Cab: \"" + hugeShown + "\" is not in catalogue section"},
    };
    for (const auto& c : kValues) {
        SCOPED_TRACE(c.message);
        writeFile(ws / "r.ini", c.recipe);
        const CliRun value = ws.run({"--recipe", "r.ini", "--out-dir", "out", kG5, kG3x});
        EXPECT_THAT(value.err, HasSubstr(c.message));
        EXPECT_LT(value.err.size(), 1000u);
        EXPECT_TRUE(plainLines(value.err));
    }
}

// ---------------------------------------------------------------------------------------------
// The report is part of the result: one that cannot be written (a full disk, no standard output
// at all) fails the run, 2 for --help and --version; the inputs are still done.
TEST(Reporting, AReportThatCannotBeWrittenIsAnError) {
    const std::string full = "presetforger-cli: Cannot write the report to standard output: No space left on device\n";
    const struct { Args args; const char* stdoutTo; int status; std::string err; size_t written; } kRuns[] = {
        {{"--recipe", exampleRecipe("znr"), "--out-dir", "out", kG5, kB3}, "/dev/full", 1, full, 2},
        {{"--recipe", exampleRecipe("znr"), "--out-dir", "out", kG5, kB3}, "-", 1,
         "presetforger-cli: Cannot write the report to standard output: Bad file descriptor\n", 2},
        {{"--recipe", exampleRecipe("znr"), "--dry-run", "-o", "out/x.g5a", kG5}, "/dev/full", 1, full, 0},
        {{"--help"}, "/dev/full", 2, full, 0},
        {{"--version"}, "/dev/full", 2, full, 0},
    };
    for (const auto& c : kRuns) {
        SCOPED_TRACE(::testing::PrintToString(c.args) + " > " + c.stdoutTo);
        Workspace ws;
        const CliRun run = ws.run(c.args, {.stdoutTo = c.stdoutTo});
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(entryCount(ws / "out"), c.written);
    }
}

// A recipe with very many errors shows the first 20 and counts the rest.
TEST(Reporting, ManyRecipeErrorsShowTheFirstTwentyAndACount) {
    Workspace ws;
    writeFile(ws / "r\n.ini", "[Amp]\n" + repeated("Gain\n", 5000));
    const CliRun run = ws.run({"--recipe", "r\n.ini", "--out-dir", "out", kG5});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(lineCount(run.err), 21u);
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: r\\n.ini: line 21: not a key=value line: Gain\n"
                                   "presetforger-cli: ... and 4980 more errors in r\\n.ini\n"));
}

// ---------------------------------------------------------------------------------------------
// A signal while a result is being saved: the temporary file goes, the old output stays whole,
// and the program ends with 128 + the signal's number. The program is stopped the moment its
// temporary appears; should the save have ended by then, a larger input is tried.
TEST(Interrupts, ASignalDuringASaveRemovesTheTemporaryAndKeepsTheOldOutput) {
    Workspace ws;
    for (size_t copies = 1000; copies <= 16000; copies *= 2) {
        writeFile(ws / "big.g5a", repeated(example(kG5), copies));
        writeFile(ws / "out" / kG5, "old output\r\n");
        const int watch = inotify_init1(IN_CLOEXEC);
        ASSERT_GE(inotify_add_watch(watch, (ws / "out").c_str(), IN_MODIFY), 0);
        const pid_t child = ws.start({"--recipe", exampleRecipe("znr"), "-o", "out/evening-set.g5a", "big.g5a"});
        pollfd ready{watch, POLLIN, 0};
        const bool created = poll(&ready, 1, 30000) == 1;
        kill(child, SIGSTOP);
        alignas(inotify_event) char event[sizeof(inotify_event) + NAME_MAX + 1];
        const bool temporaryThere =
            created && read(watch, event, sizeof event) > 0 &&
            fs::exists(ws / "out" / reinterpret_cast<inotify_event*>(event)->name);
        close(watch);
        kill(child, SIGTERM);
        kill(child, SIGCONT);
        const CliRun run = ws.finish(child);
        ASSERT_TRUE(created) << run.err;
        if (!temporaryThere) continue;
        EXPECT_EQ(run.status, 128 + SIGTERM);
        EXPECT_EQ(readFile(ws / "out" / kG5), "old output\r\n");
        EXPECT_EQ(entryCount(ws / "out"), 1u) << "no temporary file left behind";

        return;
    }
    FAIL() << "every save ended before the program could be stopped";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Seeing the changes: the diff of each input, the JSON form of a run, and backups.

namespace {

const std::vector<std::string> kPreviewInputs = {kG5, kG3x, kB3, "lf.g5a"};

// A copy of the G5 example with LF line ends and no final line break.
void addLfCopy(const Workspace& ws) {
    std::string text = example(kG5);
    std::erase(text, '\r');
    text.pop_back();
    writeFile(ws / "lf.g5a", text);
}

// What "diff -u" prints for the input and its output with every CR removed.
std::string systemDiff(const Workspace& ws, const std::string& input, const std::string& output) {
    const fs::path a = ws.capture / "a", b = ws.capture / "b", d = ws.capture / "d";
    const std::string command = "tr -d '\\r' < '" + (ws / input).string() + "' > '" + a.string() + "' && tr -d '\\r' < '" +
                                (ws / output).string() + "' > '" + b.string() + "'; diff -u --label 'a/" + input +
                                "' --label 'b/" + output + "' '" + a.string() + "' '" + b.string() + "' > '" + d.string() + "'";
    EXPECT_NE(std::system(command.c_str()), -1);
    return readFile(d);
}

}  // namespace

// Each report line is followed by what "diff -u" prints for the input and the written output
// (CRs removed), also for an input with LF line ends and no final break; a dry run writes
// nothing and shows the same diffs.
TEST(Preview, DiffIsWhatDiffUPrintsForInputAndOutputAndADryRunWritesNothing) {
    Workspace ws;
    addLfCopy(ws);
    const Args base{"--recipe", exampleRecipe("gig-ready"), "--out-dir", "out"};
    const CliRun plain = ws.run(plus(plus(base, {"--dry-run"}), kPreviewInputs));
    const CliRun diff = ws.run(plus(plus(base, {"--dry-run", "--diff"}), kPreviewInputs));
    EXPECT_EQ(entryCount(ws / "out"), 0u);
    const CliRun real = ws.run(plus(base, kPreviewInputs));
    ASSERT_EQ(real.status, 0) << real.err;
    std::string expected;
    std::istringstream lines(plain.out);
    for (const auto& input : kPreviewInputs) {
        std::string line;
        std::getline(lines, line);
        expected += line + "\n" + systemDiff(ws, input, "out/" + input);
    }
    EXPECT_EQ(diff.status, 0);
    EXPECT_EQ(diff.out, expected);
    EXPECT_THAT(diff.out, HasSubstr("\\ No newline at end of file"));
}

// The JSON form lists every input with the documented fields and types; replaying each
// written input's changes on the input gives its output byte for byte, their count of lines
// that end different is linesChanged, and names that are not UTF-8 still give valid JSON.
TEST(Preview, JsonHasTheDocumentedFieldsAndItsChangesReplayedOnTheInputGiveTheOutput) {
    Workspace ws;
    addLfCopy(ws);
    const CliRun run = ws.run(plus({"--recipe", exampleRecipe("gig-ready"), "--json", "--diff", "--out-dir", "out"},
                                   plus(kPreviewInputs, {"missing\xff.g5a"})));
    EXPECT_EQ(run.status, 1);
    writeFile(ws.capture / "run.json", run.out);
    writeFile(ws.capture / "check.py", R"(import json, sys
doc = json.load(open(sys.argv[1], encoding='utf-8'))
N = (int, type(None))
FILE = {'input': str, 'output': str, 'status': str, 'message': str, 'linesChanged': int, 'editsSkipped': int,
        'editsLeftOut': int, 'notApplied': list, 'errors': list, 'blocks': list, 'changes': list, 'diff': str}
BLOCK = {'block': str, 'hits': int, 'editsMade': int, 'editsSkipped': int, 'editsLeftOut': int, 'types': list}
TYPE = {'type': str, 'hits': int}
V = (int, str, type(None))
CHANGE = {'line': int, 'setting': str, 'section': str, 'block': str, 'type': str, 'moduleLine': N,
          'module': str, 'old': str, 'new': str, 'oldValue': V, 'newValue': V, 'typeName': (str, type(None)),
          'rule': (str, type(None))}
shown = {}
def fields(obj, shape):
    assert set(obj) == set(shape), sorted(obj)
    for k, t in shape.items(): assert isinstance(obj[k], t), k
assert list(doc) == ['files']
for f in doc['files']:
    fields(f, FILE)
    for b in f['blocks']:
        fields(b, BLOCK)
        for t in b['types']: fields(t, TYPE)
    assert f['editsSkipped'] == sum(b['editsSkipped'] for b in f['blocks'])
    if f['status'] != 'written':
        assert not f['changes'] and not f['diff']
        continue
    data = open(sys.argv[2] + '/' + f['input'], 'rb').read().decode('utf-8').replace('\r\n', '\n')
    before = data[:-1].split('\n') if data.endswith('\n') else data.split('\n')
    lines = list(before)
    for c in f['changes']:
        fields(c, CHANGE)
        assert lines[c['line'] - 1] == c['old'], c
        assert before[c['moduleLine'] - 1] == c['module'], c
        assert c['block'] in [b['block'] for b in f['blocks']], c
        lines[c['line'] - 1] = c['new']
        assert (c['typeName'] is None) == (c['block'] in ('ZNR', 'Patch')), c
        shown.setdefault(c['setting'], (c['oldValue'], c['newValue']))
    assert ''.join(l + '\r\n' for l in lines).encode() == open(sys.argv[2] + '/' + f['output'], 'rb').read(), f['input']
    assert f['linesChanged'] == sum(a != b for a, b in zip(before, lines)) > 0
print(' '.join(f['status'] for f in doc['files']), doc['files'][-1]['input'])
print(sorted((k, v[1]) for k, v in shown.items() if k in ('THRSH', 'Bass', 'CTRL SW', 'Cab', 'Mix')))
)");
    const std::string command = "python3 '" + (ws.capture / "check.py").string() + "' '" + (ws.capture / "run.json").string() +
                                "' '" + ws.dir.path().string() + "' > '" + (ws.capture / "checked").string() + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << readFile(ws.capture / "checked") << run.out.substr(0, 2000);
    // The recipe's values as the window shows them, not as stored (THRSH 8 is stored as 7, Bass 2 as 12).
    EXPECT_EQ(readFile(ws.capture / "checked"),
              "written written written written failed missing\u00ff.g5a\n"
              "[('Bass', 2), ('CTRL SW', 'Tap Tempo'), ('Cab', 'Clean Glass  CG12'), ('Mix', 30), ('THRSH', 8)]\n");
}

// A replaced output is kept as NAME~ (an older NAME~ replaced) or under the next number as
// NAME.~N~; nothing is kept when nothing was replaced or on a dry run.
TEST(Writing, BackupsKeepTheReplacedOutputSimpleOrNumbered) {
    Workspace ws;
    const fs::path out = ws / "out" / kG5;
    const std::string znr = readFile(kExpected / "znr" / kG5);
    auto run = [&](std::vector<std::string> more) {
        const CliRun r = ws.run(plus(plus({"--recipe", exampleRecipe("znr")}, more), {"--out-dir", "out", kG5}));
        EXPECT_EQ(r.status, 0) << r.err;
    };
    run({"--backup"});
    EXPECT_EQ(entryCount(ws / "out"), 1u) << "nothing replaced, nothing kept";
    writeFile(out, "old");
    run({"--backup", "--dry-run"});
    EXPECT_EQ(entryCount(ws / "out"), 1u);
    for (const char* old : {"old", "older"}) {
        writeFile(out, old);
        run({"--backup=simple"});
        EXPECT_EQ(readFile(out.string() + "~"), old);
        EXPECT_EQ(readFile(out), znr);
    }
    writeFile(out.string() + ".~7~", "seven");
    writeFile(out.string() + ".~x~", "not a number");
    writeFile(out, "a");
    run({"--backup=numbered"});
    run({"--backup=numbered"});
    EXPECT_EQ(readFile(out.string() + ".~8~"), "a");
    EXPECT_EQ(readFile(out.string() + ".~9~"), znr);
    EXPECT_EQ(readFile(out.string() + ".~7~"), "seven");
    EXPECT_EQ(entryCount(ws / "out"), 6u);

    const CliRun inPlace = ws.run({"--recipe", exampleRecipe("znr"), "--backup", "-o", kB3, kB3});
    EXPECT_EQ(inPlace.status, 0) << inPlace.err;
    EXPECT_EQ(readFile(ws / (std::string(kB3) + "~")), example(kB3));
    EXPECT_EQ(ws.run({"--recipe", exampleRecipe("znr"), "--backup=existing", "-o", kB3, kB3}).status, 2);
}
