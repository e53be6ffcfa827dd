// presetforger-cli end to end: the built program on copies of the examples in a fresh folder.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;
using pf::test::entryCount;
using pf::test::readFile;
using pf::test::TempDir;
using pf::test::writeFile;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const fs::path kSource = PF_SOURCE_DIR;
const fs::path kProgram = fs::path(PF_BUILD_DIR) / "presetforger-cli";
const fs::path kExpected = kSource / "tests" / "cli" / "expected";

const char* const kG5 = "evening-set.g5a";
const char* const kG3x = "rehearsal.g3xa";
const char* const kB3 = "low-end.b3a";

struct CliRun {
    int status = -1;
    std::string out, err;
};

// Runs the program with `args` in `folder`; with `fileSizeLimit` the child may write no file
// larger than that many bytes (writes beyond fail instead of ending the process).
CliRun runCli(const fs::path& folder, const std::vector<std::string>& args,
           std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    TempDir capture;
    const fs::path outPath = capture / "stdout", errPath = capture / "stderr";
    pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(127);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        if (fileSizeLimit) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{*fileSizeLimit, *fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        std::vector<char*> argv;
        std::string program = kProgram.string();
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (auto& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    CliRun run;
    int status = 0;
    waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outPath);
    run.err = readFile(errPath);
    return run;
}

// A folder holding copies of the three example patch groups.
class Workspace {
public:
    Workspace() {
        for (const char* name : {kG5, kG3x, kB3}) fs::copy_file(kSource / "examples" / name, dir_ / name);
        fs::create_directory(dir_ / "out");
    }
    const fs::path& path() const { return dir_.path(); }
    fs::path operator/(std::string_view name) const { return dir_ / name; }
    fs::path recipe(const std::string& name, std::string_view text) const {
        writeFile(dir_ / name, text);
        return dir_ / name;
    }
    CliRun run(const std::vector<std::string>& args, std::optional<rlim_t> limit = std::nullopt) const {
        return runCli(dir_.path(), args, limit);
    }

private:
    TempDir dir_;
};

std::string example(const char* name) { return readFile(kSource / "examples" / name); }

size_t countLines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// One recipe per section on each example file, compared byte for byte with the checked-in
// results. A recipe that ticks nothing the file's model offers writes nothing for it.

struct SectionCase {
    const char* recipe;
    const char* file;
    bool written;
};

void PrintTo(const SectionCase& c, std::ostream* os) { *os << c.recipe << " on " << c.file; }

class SectionRecipes : public ::testing::TestWithParam<SectionCase> {};

TEST_P(SectionRecipes, GiveTheCheckedInOutput) {
    const SectionCase& c = GetParam();
    Workspace ws;
    const std::string recipe = (kSource / "examples" / (std::string(c.recipe) + ".recipe.ini")).string();
    const CliRun run = ws.run({"--recipe", recipe, "--out-dir", "out", c.file});
    const fs::path output = ws / "out" / c.file;
    if (c.written) {
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readFile(output), readFile(kExpected / c.recipe / c.file));
        EXPECT_THAT(run.out, HasSubstr(std::string(c.file) + " -> out/" + c.file + ": "));
        EXPECT_THAT(run.out, HasSubstr("lines changed"));
    } else {
        EXPECT_EQ(run.status, 1);
        EXPECT_FALSE(fs::exists(output));
        EXPECT_THAT(run.out, HasSubstr("There are no changes to save."));
        EXPECT_THAT(run.out, HasSubstr("not applied: "));
        EXPECT_THAT(run.err, HasSubstr(std::string(c.file) + ": There are no changes to save."));
    }
    EXPECT_EQ(countLines(run.out), 1u);
    EXPECT_EQ(readFile(ws / c.file), example(c.file));  // the input is never touched
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SectionRecipes,
    ::testing::Values(SectionCase{"amp", kG5, true}, SectionCase{"amp", kG3x, true}, SectionCase{"amp", kB3, false},
                      SectionCase{"b3-amp", kG5, false}, SectionCase{"b3-amp", kG3x, false},
                      SectionCase{"b3-amp", kB3, true}, SectionCase{"drive", kG5, true},
                      SectionCase{"drive", kG3x, true}, SectionCase{"drive", kB3, true},
                      SectionCase{"reverb", kG5, true}, SectionCase{"reverb", kG3x, true},
                      SectionCase{"reverb", kB3, true}, SectionCase{"znr", kG5, true}, SectionCase{"znr", kG3x, true},
                      SectionCase{"znr", kB3, true}, SectionCase{"patch", kG5, true},
                      SectionCase{"patch", kG3x, true}, SectionCase{"patch", kB3, true}),
    [](const auto& info) {
        std::string name = std::string(info.param.recipe) + "_" + info.param.file;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST(BatchRun, TheReadmeRecipeRunsOverAllExamplesAndReportsEachFile) {
    Workspace ws;
    const std::string recipe = (kSource / "examples" / "gig-ready.recipe.ini").string();
    const CliRun run = ws.run({"--recipe", recipe, "--out-dir", "out", kG5, kG3x, kB3});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(countLines(run.out), 3u);
    EXPECT_THAT(run.out, HasSubstr("evening-set.g5a -> out/evening-set.g5a: "));
    EXPECT_THAT(run.out, HasSubstr("not applied: [B3 Amp] Gain, [B3 Amp] Bass, [B3 Amp] Only"));
    EXPECT_THAT(run.out, HasSubstr("low-end.b3a -> out/low-end.b3a: "));
    EXPECT_THAT(run.out, HasSubstr("not applied: [Amp] Gain, [Amp] Cab, [Amp] Only"));
    for (const char* name : {kG5, kG3x, kB3}) {
        EXPECT_TRUE(fs::exists(ws / "out" / name));
        EXPECT_NE(readFile(ws / "out" / name), example(name));
    }
}

// ---------------------------------------------------------------------------------------------
// Only lists and the settings each model offers.

TEST(OnlyLists, TouchJustTheNamedTypesWhateverTheOrderOfTheLines) {
    Workspace ws;
    ws.recipe("a.ini", "[Amp]\nGain=33\nOnly=Plexi Stack\nOnly=Clean Glass\n");
    ws.recipe("b.ini", "[amp]\nonly = clean glass\nGain = 33\nONLY = PLEXI STACK\n");
    fs::create_directory(ws / "out2");
    ASSERT_EQ(ws.run({"--recipe", "a.ini", "-o", "out/a.g5a", kG5}).status, 0);
    ASSERT_EQ(ws.run({"--recipe", "b.ini", "-o", "out2/b.g5a", kG5}).status, 0);
    const std::string a = readFile(ws / "out" / "a.g5a");
    EXPECT_EQ(a, readFile(ws / "out2" / "b.g5a"));

    // Clean Glass (40) and Plexi Stack (43) get the gain; Tweed Lux (41) keeps its own.
    const std::string before = example(kG5);
    auto gainAfter = [](const std::string& text, const std::string& typeId) {
        const std::string typeLine = "        <Prm1>" + typeId + "</Prm1>\r\n";
        const size_t at = text.find(typeLine);
        const size_t next = at + typeLine.size();
        return text.substr(next, text.find('\n', next) - next + 1);
    };
    EXPECT_EQ(gainAfter(a, "40"), "        <Prm2>33</Prm2>\r\n");
    EXPECT_EQ(gainAfter(a, "43"), "        <Prm2>33</Prm2>\r\n");
    EXPECT_EQ(gainAfter(a, "41"), gainAfter(before, "41"));
    EXPECT_NE(gainAfter(before, "41"), "        <Prm2>33</Prm2>\r\n");
}

TEST(ModelSettings, ASettingTheModelDoesNotOfferIsReportedAndNotApplied) {
    Workspace ws;
    ws.recipe("plain.ini", "[Drive]\nGain=70\n");
    ws.recipe("extra.ini", "[Drive]\nGain=70\nMode=BsBST\nBass=5\n[B3 Amp]\nMix=10\n[Patch]\nCTRL PDL=Wah\n");
    fs::create_directory(ws / "out2");
    const CliRun plain = ws.run({"--recipe", "plain.ini", "--out-dir", "out", kG5});
    const CliRun extra = ws.run({"--recipe", "extra.ini", "--out-dir", "out2", kG5});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(extra.status, 0) << extra.err;
    EXPECT_THAT(plain.out, Not(HasSubstr("not applied")));
    EXPECT_THAT(extra.out, HasSubstr("not applied: [B3 Amp] Mix, [Drive] Bass, [Drive] Mode, [Patch] CTRL PDL"));
    EXPECT_EQ(readFile(ws / "out2" / kG5), readFile(ws / "out" / kG5));
}

TEST(ModelSettings, AFileOfAnotherKindHasNoModelAndTheAmpPage) {
    Workspace ws;
    fs::copy_file(ws / kG5, ws / "old.g3a");
    fs::copy_file(ws / kG5, ws / "LOUD.G5A");
    ws.recipe("r.ini", "[ZNR]\nLevel=11\n[Drive]\nMode=NORM\n[B3 Amp]\nGain=1\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", "old.g3a", "LOUD.G5A"});
    EXPECT_EQ(run.status, 0) << run.err;
    // No model: the B3 drive panel stays shown, the B3 Amp page hidden; the ZNR search is the
    // non-B3 one, so the G5 patches get their noise-reduction level.
    EXPECT_THAT(run.out, HasSubstr("old.g3a -> out/old.g3a: "));
    EXPECT_THAT(run.out, HasSubstr("not applied: [B3 Amp] Gain"));
    EXPECT_THAT(run.out, Not(HasSubstr("[Drive] Mode")));
    EXPECT_THAT(readFile(ws / "out" / "old.g3a"), HasSubstr("        <Prm4>11</Prm4>\r\n"));
    EXPECT_EQ(readFile(ws / "out" / "old.g3a"), readFile(ws / "out" / "LOUD.G5A"));
}

// ---------------------------------------------------------------------------------------------
// Errors: recipe and usage errors stop everything (2); per-file errors skip that file (1).

TEST(RecipeErrors, EveryClassExitsTwoNamesSectionAndKeyAndWritesNothing) {
    struct Case {
        std::string recipe, message;
    };
    const Case cases[] = {
        {"[Amp]\nGain=60\n[Chorus]\nRate=3\n", "r.ini: [Chorus]: unknown section"},
        {"[Amp]\nGain=60\nGian=3\n", "r.ini: [Amp] Gian: unknown key"},
        {"[Reverb]\nPreD=0\n", "r.ini: [Reverb] PreD: 0 is out of range 1 to 200"},
        {"[B3 Amp]\nBass=-11\n", "r.ini: [B3 Amp] Bass: -11 is out of range -10 to 10"},
        {"[Amp]\nGain=sixty\n", "r.ini: [Amp] Gain: \"sixty\" is not a whole number (0 to 100)"},
        {"[ZNR]\nDetect=Both\n", "r.ini: [ZNR] Detect: \"Both\" is not one of GtrIn, EfxIn"},
        {"[Drive]\nMode=x\n", "r.ini: [Drive] Mode: \"x\" is not one of NORM, BsBST"},
        {"[Patch]\nPatch Level=60\nPatch Level=70\n", "r.ini: [Patch] Patch Level: is given more than once"},
        {"Gain=60\n[Amp]\nLevel=5\n", "r.ini: line 1: text before the first section"},
    };
    for (const auto& c : cases) {
        Workspace ws;
        ws.recipe("r.ini", c.recipe);
        const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", kG5, kG3x, kB3});
        EXPECT_EQ(run.status, 2) << c.recipe;
        EXPECT_THAT(run.err, HasSubstr(c.message));
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(entryCount(ws / "out"), 0u);
    }
}

TEST(RecipeErrors, AnUnreadableRecipeOrCatalogueExitsTwo) {
    Workspace ws;
    ws.recipe("r.ini", "[Amp]\nGain=60\n");
    fs::create_directory(ws / "folder.ini");
    const std::vector<std::vector<std::string>> runs = {
        {"--recipe", "missing.ini", "--out-dir", "out", kG5},
        {"--recipe", "folder.ini", "--out-dir", "out", kG5},
        {"--recipe", "r.ini", "--catalogue", "missing.ini", "--out-dir", "out", kG5},
    };
    for (const auto& args : runs) {
        const CliRun run = ws.run(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_THAT(run.err, HasSubstr("Cannot open file "));
        EXPECT_EQ(entryCount(ws / "out"), 0u);
    }
}

TEST(UsageErrors, PrintTheUsageExitTwoAndWriteNothing) {
    Workspace ws;
    ws.recipe("r.ini", "[Amp]\nGain=60\n");
    const std::vector<std::vector<std::string>> runs = {
        {},
        {"--recipe", "r.ini", "--out-dir", "out"},
        {"--out-dir", "out", kG5},
        {"--recipe", "r.ini", kG5},
        {"--recipe", "r.ini", "--bogus", "--out-dir", "out", kG5},
        {"--recipe", "r.ini", "-o", "out/a.g5a", kG5, kG3x},
        {"--recipe", "r.ini", "-o", "out/a.g5a", "--out-dir", "out", kG5},
        {"--recipe", "r.ini", "--recipe", "r.ini", "--out-dir", "out", kG5},
        {"--recipe", "r.ini", "--out-dir", "no-such-folder", kG5},
        {"--recipe", "r.ini", "--out-dir"},
        // Two inputs of the same name would be written to one output.
        {"--recipe", "r.ini", "--out-dir", "out", kG5, "./evening-set.g5a"},
        // --out-dir never replaces an input: that takes -o with the input's own path.
        {"--recipe", "r.ini", "--out-dir", ".", kG5},
    };
    for (const auto& args : runs) {
        const CliRun run = ws.run(args);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(args);
        EXPECT_THAT(run.err, HasSubstr("usage: presetforger-cli --recipe RECIPE"));
        EXPECT_EQ(entryCount(ws / "out"), 0u);
        EXPECT_EQ(readFile(ws / kG5), example(kG5));
    }
}

TEST(UsageErrors, HelpListsEverySectionWithItsKeysAndRanges) {
    Workspace ws;
    const CliRun run = ws.run({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* text : {"[Amp]", "[B3 Amp]", "[Drive]", "[Reverb]", "[ZNR]", "[Patch]", "PreD          1 to 200",
                             "Bass          -10 to 10", "Detect        GtrIn or EfxIn", "Patch Level   0 to 120",
                             "CTRL PDL", "Only", "--dry-run"})
        EXPECT_THAT(run.out, HasSubstr(text));
}

TEST(FileErrors, ANameTheModelsCatalogueLacksSkipsThatFileOnly) {
    Workspace ws;
    // Output-Volume is a CTRL PDL target of the G3X and B3; "Filter Sweep" only of the B3.
    ws.recipe("r.ini", "[Patch]\nPatch Level=90\nCTRL PDL=Filter Sweep\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", kG5, kG3x, kB3});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("rehearsal.g3xa: [Patch] CTRL PDL: \"Filter Sweep\" is not in catalogue section "
                                   "[g3x-exppedal], which offers Off, Input-Volume, Output-Volume, Wah, Pitch Bend"));
    EXPECT_THAT(run.out, HasSubstr("rehearsal.g3xa -> out/rehearsal.g3xa: not written"));
    EXPECT_FALSE(fs::exists(ws / "out" / kG3x));
    EXPECT_TRUE(fs::exists(ws / "out" / kG5));  // CTRL PDL is not offered for G5 files
    EXPECT_TRUE(fs::exists(ws / "out" / kB3));
    EXPECT_EQ(countLines(run.out), 3u);
}

TEST(FileErrors, AnOnlyNameTheCheckListLacksSkipsThatFile) {
    Workspace ws;
    ws.recipe("r.ini", "[Drive]\nGain=1\nOnly=Booster\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", kB3, kG5});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("evening-set.g5a: [Drive] Only: \"Booster\" is not in the effect-type list of "
                                   "catalogue section [g5-drive], which offers Amber Drive, Copper Fuzz"));
    EXPECT_TRUE(fs::exists(ws / "out" / kB3));
    EXPECT_FALSE(fs::exists(ws / "out" / kG5));
}

TEST(FileErrors, AMissingInputIsReportedAndTheOthersAreStillWritten) {
    Workspace ws;
    ws.recipe("r.ini", "[ZNR]\nTHRSH=5\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--out-dir", "out", kG5, "gone.g5a", kB3});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("gone.g5a: Cannot open file gone.g5a"));
    EXPECT_THAT(run.out, HasSubstr("gone.g5a -> out/gone.g5a: not written: cannot be read"));
    EXPECT_EQ(entryCount(ws / "out"), 2u);
    EXPECT_TRUE(fs::exists(ws / "out" / kG5));
    EXPECT_TRUE(fs::exists(ws / "out" / kB3));
}

// ---------------------------------------------------------------------------------------------
// Writing: atomically, in place only when asked, nothing with --dry-run.

TEST(Writing, AnOutputEqualToTheInputIsReplacedAtomically) {
    Workspace ws;
    const std::string recipe = (kSource / "examples" / "znr.recipe.ini").string();
    const size_t before = entryCount(ws.path());
    const CliRun run = ws.run({"--recipe", recipe, "-o", kB3, kB3});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readFile(ws / kB3), readFile(kExpected / "znr" / kB3));
    EXPECT_EQ(entryCount(ws.path()), before);  // no temporary file left behind
}

TEST(Writing, DryRunWritesNothingAndReportsWhatWouldChange) {
    Workspace ws;
    const std::string recipe = (kSource / "examples" / "znr.recipe.ini").string();
    const CliRun run = ws.run({"--recipe", recipe, "--dry-run", "--out-dir", "out", kG5, kB3});
    EXPECT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("evening-set.g5a -> out/evening-set.g5a: 22 lines would change (dry run"));
    EXPECT_EQ(entryCount(ws / "out"), 0u);
    const CliRun inPlace = ws.run({"--recipe", recipe, "--dry-run", "-o", kG5, kG5});
    EXPECT_EQ(inPlace.status, 0);
    EXPECT_EQ(readFile(ws / kG5), example(kG5));
}

TEST(Writing, AnOutputThatIsAFolderFailsAloneAndLeavesTheFolderAsItWas) {
    Workspace ws;
    fs::create_directory(ws / "out" / kG3x);
    writeFile(ws / "out" / kG3x / "keep.txt", "keep");
    const std::string recipe = (kSource / "examples" / "znr.recipe.ini").string();
    const CliRun run = ws.run({"--recipe", recipe, "--out-dir", "out", kG5, kG3x, kB3});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("rehearsal.g3xa: Cannot create file out/rehearsal.g3xa"));
    EXPECT_THAT(run.out, HasSubstr("rehearsal.g3xa -> out/rehearsal.g3xa: not written: cannot be written"));
    EXPECT_EQ(readFile(ws / "out" / kG3x / "keep.txt"), "keep");
    EXPECT_EQ(entryCount(ws / "out" / kG3x), 1u);
    EXPECT_EQ(readFile(ws / "out" / kG5), readFile(kExpected / "znr" / kG5));
    EXPECT_EQ(readFile(ws / "out" / kB3), readFile(kExpected / "znr" / kB3));
    EXPECT_EQ(entryCount(ws / "out"), 3u);
}

// A write cut short (a file-size limit) keeps the old output whole, leaves no temporary
// file, and a smaller output of the same run is still written.
TEST(Writing, AWriteCutShortKeepsTheOldOutputAndTheOthersAreWritten) {
    Workspace ws;
    const std::string small =
        "<PatchGroup>\r\n  <Module0>\r\n        <Prm0>1</Prm0>\r\n        <Prm1>27</Prm1>\r\n"
        "        <Prm2>16</Prm2>\r\n  </Module0>\r\n</PatchGroup>\r\n";
    writeFile(ws / "small.g5a", small);
    writeFile(ws / "out" / kG5, "old output\r\n");
    const std::string recipe = (kSource / "examples" / "znr.recipe.ini").string();
    const CliRun run = ws.run({"--recipe", recipe, "--out-dir", "out", kG5, "small.g5a"}, 4096);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("evening-set.g5a: Cannot create file out/evening-set.g5a"));
    EXPECT_EQ(readFile(ws / "out" / kG5), "old output\r\n");
    EXPECT_EQ(entryCount(ws / "out"), 2u);
    EXPECT_THAT(readFile(ws / "out" / "small.g5a"), HasSubstr("        <Prm2>11</Prm2>\r\n"));
}

TEST(Writing, TheCatalogueCanBeChosen) {
    Workspace ws;
    writeFile(ws / "mine.ini", "[g5-footswitch]\nBlink=77\n");
    ws.recipe("r.ini", "[Patch]\nCTRL SW=blink\n");
    const CliRun run = ws.run({"--recipe", "r.ini", "--catalogue", "mine.ini", "-o", "out/x.g5a", kG5});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(readFile(ws / "out" / "x.g5a"), HasSubstr("  <Module9>\r\n        <Prm0>91</Prm0>\r\n        <Prm1>0</Prm1>\r\n"
                                                          "        <Prm2>55</Prm2>\r\n        <Prm3>77</Prm3>\r\n"));
    // The bundled catalogue (beside the program) does not know that name.
    const CliRun bundled = ws.run({"--recipe", "r.ini", "-o", "out/y.g5a", kG5});
    EXPECT_EQ(bundled.status, 1);
    EXPECT_THAT(bundled.err, HasSubstr("[g5-footswitch], which offers Bypass, Tap Tempo"));
}
