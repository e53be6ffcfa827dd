// presetforger-cli end to end: the built program on copies of the examples in a fresh folder.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace pf::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const fs::path kSource = PF_SOURCE_DIR;
const fs::path kExpected = kSource / "tests" / "cli" / "expected";
const char* const kG5 = "evening-set.g5a";
const char* const kG3x = "rehearsal.g3xa";
const char* const kB3 = "low-end.b3a";
using Args = std::vector<std::string>;

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string example(const char* name) { return readFile(kSource / "examples" / name); }
std::string exampleRecipe(const char* name) { return (kSource / "examples" / (std::string(name) + ".recipe.ini")).string(); }
size_t lineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// A folder holding copies of the three example patch groups and an empty out/.
struct Workspace {
    Workspace() {
        for (const char* name : {kG5, kG3x, kB3}) fs::copy_file(kSource / "examples" / name, dir / name);
        fs::create_directory(dir / "out");
    }
    fs::path operator/(std::string_view name) const { return dir / name; }
    // Runs the program with `args` in the folder; with `fileSizeLimit` it may write no file
    // larger than that many bytes (writes beyond fail instead of ending the process).
    CliRun run(Args args, rlim_t fileSizeLimit = RLIM_INFINITY) const {
        const std::string program = PF_BUILD_DIR "/presetforger-cli";
        const fs::path outPath = capture / "stdout", errPath = capture / "stderr";
        if (pid_t child = fork(); child == 0) {
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (chdir(dir.path().c_str()) != 0 || out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        } else {
            int status = 0;
            waitpid(child, &status, 0);
            return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(outPath), readFile(errPath)};
        }
    }
    TempDir dir, capture;
};

// ---------------------------------------------------------------------------------------------
// One recipe per section on all examples, compared byte for byte with the checked-in results;
// a file with no checked-in result gets nothing its model offers and is not written.
TEST(Recipes, EachSectionGivesTheCheckedInOutputForEveryExample) {
    for (const char* recipe : {"amp", "b3-amp", "drive", "reverb", "znr", "patch"}) {
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
                EXPECT_THAT(run.err, HasSubstr(std::string(file) + ": There are no changes to save."));
            }
            EXPECT_EQ(readFile(ws / file), example(file)) << "the input is never touched";
        }
        EXPECT_EQ(run.status, all ? 0 : 1) << run.err;
        EXPECT_EQ(lineCount(run.out), 3u);
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
        {{"--recipe", "missing.ini", "--out-dir", "out", kG5}, "Cannot open file missing.ini"},
        {{"--recipe", "folder.ini", "--out-dir", "out", kG5}, "Cannot open file folder.ini"},
        {{"--recipe", "r.ini", "--catalogue", "missing.ini", "--out-dir", "out", kG5}, "Cannot open file missing.ini"},
        {{}, "usage: presetforger-cli --recipe RECIPE"},
        {{"--recipe", "r.ini", "--out-dir", "out"}, "usage:"},
        {{"--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", kG5}, "usage:"},
        {{"--recipe", "r.ini", "--bogus", "--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", "-o", "out/a.g5a", kG5, kG3x}, "usage:"},
        {{"--recipe", "r.ini", "-o", "out/a.g5a", "--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", "--recipe", "r.ini", "--out-dir", "out", kG5}, "usage:"},
        {{"--recipe", "r.ini", "--out-dir", "no-such-folder", kG5}, "usage:"},
        {{"--recipe", "r.ini", "--out-dir"}, "usage:"},
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
    for (const auto& c : kRuns) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        expectNothingWritten(ws, ws.run(c.args), c.message);
    }
}

TEST(Errors, HelpListsEverySectionWithItsKeysAndRanges) {
    const CliRun run = Workspace().run({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* text : {"[Amp]", "[B3 Amp]", "[Drive]", "[Reverb]", "[ZNR]", "[Patch]", "PreD          1 to 200",
                             "Bass          -10 to 10", "Detect        GtrIn or EfxIn", "Patch Level   0 to 120",
                             "CTRL PDL", "Only", "--dry-run"})
        EXPECT_THAT(run.out, HasSubstr(text));
}

// A name the file's model's catalogue section lacks, an unreadable input: that file only
// fails, listing the names the section offers; the others are still written.
TEST(Errors, AFailingInputSkipsThatFileOnly) {
    Workspace ws;
    // "Filter Sweep" is a CTRL PDL target of the B3 only; CTRL PDL is not offered for G5 files.
    writeFile(ws / "r.ini", "[Patch]\nPatch Level=90\nCTRL PDL=Filter Sweep\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", kG5, "gone.g5a", kG3x, kB3});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("rehearsal.g3xa: [Patch] CTRL PDL: \"Filter Sweep\" is not in catalogue section "
                                   "[g3x-exppedal], which offers Off, Input-Volume, Output-Volume, Wah, Pitch Bend"));
    EXPECT_THAT(run.out, HasSubstr("rehearsal.g3xa -> out/rehearsal.g3xa: not written"));
    EXPECT_THAT(run.err, HasSubstr("gone.g5a: Cannot open file gone.g5a"));
    EXPECT_THAT(run.out, HasSubstr("gone.g5a -> out/gone.g5a: not written: cannot be read"));
    EXPECT_EQ(lineCount(run.out), 4u);
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
// folder fails alone, no temporary file is left, and a smaller output of the run is written.
TEST(Writing, AFailedWriteKeepsTheOldOutputAndTheOthersAreWritten) {
    Workspace ws;
    writeFile(ws / "small.g5a", "<PatchGroup>\r\n  <Module0>\r\n        <Prm0>1</Prm0>\r\n        <Prm1>27</Prm1>\r\n"
                                "        <Prm2>16</Prm2>\r\n  </Module0>\r\n</PatchGroup>\r\n");
    writeFile(ws / "out" / kG5, "old output\r\n");
    fs::create_directory(ws / "out" / kG3x);
    writeFile(ws / "out" / kG3x / "keep.txt", "keep");
    const CliRun run = ws.run({"--recipe", exampleRecipe("znr"), "--out-dir", "out", kG5, kG3x, "small.g5a"}, 4096);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("evening-set.g5a: Cannot create file out/evening-set.g5a"));
    EXPECT_THAT(run.err, HasSubstr("rehearsal.g3xa: Cannot create file out/rehearsal.g3xa"));
    EXPECT_THAT(run.out, HasSubstr("rehearsal.g3xa -> out/rehearsal.g3xa: not written: cannot be written"));
    EXPECT_EQ(readFile(ws / "out" / kG5), "old output\r\n");
    EXPECT_EQ(readFile(ws / "out" / kG3x / "keep.txt"), "keep");
    EXPECT_EQ(entryCount(ws / "out" / kG3x), 1u);
    EXPECT_EQ(entryCount(ws / "out"), 3u);
    EXPECT_THAT(readFile(ws / "out" / "small.g5a"), HasSubstr("        <Prm2>11</Prm2>\r\n"));
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

}  // namespace
