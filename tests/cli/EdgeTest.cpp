// presetforger-cli at the edges, end to end: ended by signals and closed pipes, outputs that
// cannot be replaced or are odd, input that is not a patch group, errors in great numbers and
// few descriptors.
#include <malloc.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <chrono>
#include <map>
#include <sstream>
#include <thread>

#include "cli/CliHarness.h"

namespace {

using namespace std::chrono;

// `count` inputs named 0.g5a, 1.g5a, ... (copies of the G5 example) and, in out/, an old
// output of each, "old N".
void addNumberedInputs(const Workspace& ws, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        fs::copy_file(ws / kG5, ws / (std::to_string(i) + ".g5a"));
        writeFile(ws / "out" / (std::to_string(i) + ".g5a"), "old " + std::to_string(i));
    }
}

Args numberedInputs(Args args, size_t count) {
    for (size_t i = 0; i < count; ++i) args.push_back(std::to_string(i) + ".g5a");
    return args;
}

// Every entry of out/ is an output, whole, old or new, or (with backups) the old output kept
// beside a new one; nothing else is there. `what` names the run for the failure message.
void expectOutputsWholeOldOrNew(const Workspace& ws, size_t count, const std::string& expected, bool backups,
                                const std::string& what) {
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::directory_iterator(ws / "out")) entries[e.path().filename().string()] = readFile(e.path());
    for (size_t i = 0; i < count; ++i) {
        const std::string name = std::to_string(i) + ".g5a", old = "old " + std::to_string(i);
        const auto output = entries.find(name);
        ASSERT_NE(output, entries.end()) << what << ": " << name;
        EXPECT_TRUE(output->second == old || output->second == expected) << what << ": " << name << " is torn";
        const auto backup = entries.find(name + "~");
        if (backup != entries.end()) {
            EXPECT_TRUE(backups && output->second == expected) << what << ": a backup of an output not replaced";
            EXPECT_EQ(backup->second, old) << what;
            entries.erase(backup);
        }
        entries.erase(output);
    }
    for (const auto& [name, bytes] : entries) ADD_FAILURE() << what << ": left behind: " << name;
}

// Whether an attribute flag could be set on `path` (as root, on a file system that has them).
bool setAttribute(const fs::path& path, const char* flag) {
    const std::string command = std::string("chattr ") + flag + " '" + path.string() + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// ---------------------------------------------------------------------------------------------
// A run of many inputs ended by SIGINT, SIGTERM or SIGHUP at points spread over its whole
// length, with one job and with eight, with and without backups: it ends with 128 + the
// signal's number (or had finished), no temporary or scratch name is left, and each output is
// its old whole file or its new whole file (with its backup beside it).
TEST(Interrupted, ARunEndedBySignalsAtManyPointsLeavesEveryOutputWholeAndNothingBehind) {
    constexpr size_t kInputs = 60, kPoints = 10;
    const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    const std::string expected = readFile(kExpected / "znr" / kG5);
    int run = 0;
    for (const char* jobs : {"1", "8"}) {
        for (const bool backups : {false, true}) {
            Args args{"--recipe", exampleRecipe("znr"), "--out-dir", "out", "-j", jobs};
            if (backups) args.push_back("--backup");
            args = numberedInputs(args, kInputs);
            // How long a whole run takes here, to spread the signals over it.
            microseconds whole{};
            {
                Workspace ws;
                addNumberedInputs(ws, kInputs);
                const auto began = steady_clock::now();
                ASSERT_EQ(ws.run(args).status, 0);
                whole = duration_cast<microseconds>(steady_clock::now() - began);
            }
            for (size_t point = 0; point < kPoints; ++point, ++run) {
                Workspace ws;
                addNumberedInputs(ws, kInputs);
                const int signal = kSignals[run % 3];
                const pid_t child = ws.start(args);
                std::this_thread::sleep_for(whole * point / kPoints);
                kill(child, signal);
                const CliRun ended = ws.finish(child);
                const std::string what = std::string("-j ") + jobs + (backups ? " --backup" : "") + ", signal " +
                                         std::to_string(signal) + " at " + std::to_string(point) + "/" +
                                         std::to_string(kPoints) + " of " + std::to_string(whole.count()) + " us";
                // Before its handlers are in place the program dies of the signal itself.
                EXPECT_TRUE(ended.status == 128 + signal || ended.status == 0 || ended.status == -1)
                    << what << ": " << ended.status << " " << ended.err;
                expectOutputsWholeOldOrNew(ws, kInputs, expected, backups, what);
            }
        }
    }
}

// A reader that closes the pipe early ends the run at once: status 128 + SIGPIPE and a word on
// stderr, every output whole, no temporary left.
TEST(Interrupted, AClosedPipeEndsTheRunWithAWordAndLeavesNothingBehind) {
    constexpr size_t kInputs = 120;
    for (const char* jobs : {"1", "8"}) {
        Workspace ws;
        addNumberedInputs(ws, kInputs);
        std::string command = "cd '" + ws.dir.path().string() + "' && '" PF_BUILD_DIR "/presetforger-cli' --diff -j " +
                              jobs + " --backup --recipe '" + exampleRecipe("znr") + "' --out-dir out";
        for (const auto& input : numberedInputs({}, kInputs)) command += " " + input;
        command += " 2>'" + (ws.capture / "err").string() + "' | head -c 100 >/dev/null; echo ${PIPESTATUS[0]} >'" +
                   (ws.capture / "status").string() + "'\n";
        writeFile(ws.capture / "run.sh", command);
        ASSERT_EQ(std::system(("bash '" + (ws.capture / "run.sh").string() + "'").c_str()), 0);
        EXPECT_EQ(readFile(ws.capture / "status"), std::to_string(128 + SIGPIPE) + "\n") << jobs;
        EXPECT_THAT(readFile(ws.capture / "err"), HasSubstr("standard output was closed; stopped"));
        expectOutputsWholeOldOrNew(ws, kInputs, readFile(kExpected / "znr" / kG5), true, std::string("-j ") + jobs);
    }
}

// ---------------------------------------------------------------------------------------------
// A dry run tells what the run would: for outputs that cannot be written, the same status, report
// line and messages as the real run, and still nothing written.
TEST(Outputs, ADryRunReportsWhatTheRunWouldForOutputsThatCannotBeWritten) {
    Workspace ws;
    ASSERT_EQ(mkfifo((ws / "fifo.g5a").c_str(), 0644), 0);
    fs::create_directory(ws / "fixed");
    const bool immutable = setAttribute(ws / "fixed", "+i");
    std::vector<std::string> outputs = {"no/such/folder/x.g5a", "out", "fifo.g5a"};
    if (immutable) outputs.push_back("fixed/x.g5a");
    for (const auto& output : outputs) {
        SCOPED_TRACE(output);
        const Args args{"--recipe", exampleRecipe("znr"), "-o", output, kG5};
        const CliRun real = ws.run(args);
        const CliRun dry = ws.run(plus(args, {"--dry-run"}));
        EXPECT_EQ(real.status, 1);
        EXPECT_THAT(real.out, HasSubstr("not written: cannot be written"));
        EXPECT_EQ(dry.status, real.status);
        EXPECT_EQ(dry.out, real.out);
        EXPECT_EQ(dry.err, real.err);
    }
    if (immutable) setAttribute(ws / "fixed", "-i");
    EXPECT_TRUE(fs::is_empty(ws / "fixed"));
    EXPECT_TRUE(fs::is_empty(ws / "out"));
}

// An output that cannot be replaced (here an immutable file) fails that input and leaves its
// folder exactly as it was: no backup, simple or numbered, no temporary.
TEST(Outputs, AnOutputThatCannotBeReplacedLeavesNoBackup) {
    Workspace ws;
    writeFile(ws / "out" / kG5, "old output");
    if (!setAttribute(ws / "out" / kG5, "+i")) GTEST_SKIP() << "no immutable files here (needs root and ext4)";
    for (const char* backup : {"--backup", "--backup=numbered"}) {
        const CliRun run = ws.run({"--recipe", exampleRecipe("znr"), backup, "--out-dir", "out", kG5});
        EXPECT_EQ(run.status, 1) << backup;
        EXPECT_THAT(run.err, HasSubstr("Operation not permitted")) << backup;
        EXPECT_EQ(entryCount(ws / "out"), 1u) << backup;
    }
    setAttribute(ws / "out" / kG5, "-i");
    EXPECT_EQ(readFile(ws / "out" / kG5), "old output");
}

// A replaced file keeps its owner and group (as root, on another user's file) and its mode; an
// output that is a dangling link is written where the link points, and the link stays.
TEST(Outputs, AReplacedFileKeepsItsOwnerAndADanglingLinkIsWrittenThrough) {
    Workspace ws;
    const std::string expected = readFile(kExpected / "znr" / kG5);
    fs::create_symlink("target.g5a", ws / "out" / "link.g5a");
    CliRun run = ws.run({"--recipe", exampleRecipe("znr"), "-o", "out/link.g5a", kG5});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(ws / "out" / "link.g5a"));
    EXPECT_EQ(readFile(ws / "out" / "target.g5a"), expected);

    if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
    const fs::path theirs = ws / "out" / "theirs.g5a";
    writeFile(theirs, "old");
    ASSERT_EQ(chown(theirs.c_str(), 4321, 4322), 0);
    ASSERT_EQ(chmod(theirs.c_str(), 0640), 0);
    run = ws.run({"--recipe", exampleRecipe("znr"), "-o", "out/theirs.g5a", kG5});
    EXPECT_EQ(run.status, 0) << run.err;
    struct stat st {};
    ASSERT_EQ(stat(theirs.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
    EXPECT_EQ(st.st_gid, 4322u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(theirs), expected);
}

// Durability in the right order: each temporary is flushed to disk before it is renamed over
// its output, and the output folder is flushed after the last rename. (The calls are logged by a
// library preloaded into the program.)
TEST(Outputs, EachOutputIsFlushedBeforeItsRenameAndItsFolderAfterwards) {
    Workspace ws;
    const fs::path log = ws.capture / "calls";
    const std::string asan = getenv("ASAN_OPTIONS") ? getenv("ASAN_OPTIONS") : "";
    setenv("PF_CALL_LOG", log.c_str(), 1);
    setenv("LD_PRELOAD", PF_CALL_LOG_LIBRARY, 1);
    setenv("ASAN_OPTIONS", (asan + ":verify_asan_link_order=0").c_str(), 1);
    const CliRun run = ws.run({"--recipe", exampleRecipe("gig-ready"), "--out-dir", "out", kG5, kG3x, kB3});
    unsetenv("LD_PRELOAD");
    unsetenv("PF_CALL_LOG");
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    ASSERT_EQ(run.status, 0) << run.err;

    std::vector<std::string> flushed;
    size_t renames = 0;
    bool folderFlushedAfterLastRename = false;
    std::istringstream lines(readFile(log));
    for (std::string what, a, b; lines >> what >> a;) {
        if (what == "fsync") {
            flushed.push_back(a);
            folderFlushedAfterLastRename = renames > 0 && fs::path(a) == fs::canonical(ws / "out");
            continue;
        }
        lines >> b;
        ++renames;
        const fs::path temporary = fs::canonical(ws.dir.path()) / a;
        EXPECT_TRUE(std::ranges::find(flushed, temporary.string()) != flushed.end()) << a << " renamed unflushed";
        EXPECT_TRUE(b == "out/" + std::string(kG5) || b == "out/" + std::string(kG3x) || b == "out/" + std::string(kB3)) << b;
    }
    EXPECT_EQ(renames, 3u);
    EXPECT_TRUE(folderFlushedAfterLastRename);
}

// ---------------------------------------------------------------------------------------------
// Wide text (UTF-16 or UTF-32, with or without a byte-order mark) is refused with a message and
// nothing is written; and an input that Process leaves unchanged is written back byte for byte,
// odd bytes, lone CRs and all.
TEST(Inputs, WideTextIsRefusedAndAnUnchangedInputIsWrittenBackByteForByte) {
    Workspace ws;
    auto wide = [&](bool bigEndian, size_t width) {
        std::string out;
        for (char c : example(kG5)) {
            std::string unit(width, '\0');
            unit[bigEndian ? width - 1 : 0] = c;
            out += unit;
        }
        return out;
    };
    const struct { const char* name; std::string bytes; const char* encoding; } kWide[] = {
        {"le-bom.g5a", "\xFF\xFE" + wide(false, 2), "UTF-16"},
        {"be.g5a", wide(true, 2), "UTF-16"},
        {"le32.g5a", std::string("\xFF\xFE\0\0", 4) + wide(false, 4), "UTF-32"},
    };
    for (const auto& c : kWide) {
        writeFile(ws / c.name, c.bytes);
        const CliRun run = ws.run({"--recipe", exampleRecipe("gig-ready"), "--out-dir", "out", c.name});
        EXPECT_EQ(run.status, 1) << c.name;
        EXPECT_THAT(run.err, HasSubstr(std::string("Cannot open file ") + c.name + ": it is " + c.encoding + " text"));
        EXPECT_TRUE(fs::is_empty(ws / "out"));
    }

    // Process once, then again on its own output: the second run changes no line and writes
    // the bytes it read.
    std::string odd = example(kG5);
    odd.insert(odd.find("\r\n") + 2, "lone\rCR \xE9\xFF\x01 and a NUL \0 byte\r\n\r\n   \r\n"s);
    writeFile(ws / "odd.g5a", odd);
    for (const char* input : {kG5, kG3x, kB3, "odd.g5a"}) {
        SCOPED_TRACE(input);
        const std::string once = std::string("out/once-") + input, twice = std::string("out/twice-") + input;
        ASSERT_EQ(ws.run({"--recipe", exampleRecipe("gig-ready"), "-o", once, input}).status, 0);
        const CliRun again = ws.run({"--recipe", exampleRecipe("gig-ready"), "-o", twice, once});
        EXPECT_THAT(again.out, HasSubstr(": 0 lines changed"));
        EXPECT_EQ(readFile(ws / twice), readFile(ws / once));
    }
    EXPECT_THAT(readFile(ws / "out/once-odd.g5a"), HasSubstr("lone\rCR \xE9\xFF\x01 and a NUL \0 byte\r\n\r\n   \r\n"s));
}

// ---------------------------------------------------------------------------------------------
// A big input is read, processed and written a part at a time, holding far less than the file
// in memory: its output and report are those of the file taken whole (as a dry run and the
// JSON form take it), with CR LF or LF line ends, and also where modules cut short at the end
// of each patch make edits aim into the next patch.
TEST(Inputs, ABigInputTakenInPartsGivesTheBytesAndReportOfTheWholeFile) {
    Workspace ws;
    std::string lf = example(kG5), cutShort = example(kG5);
    std::erase(lf, '\r');
    // The patch module closing each patch loses its last three parameter lines.
    for (size_t at = cutShort.find("  </Patch>"); at != std::string::npos; at = cutShort.find("  </Patch>", at + 1)) {
        const size_t close = cutShort.rfind("  </Module", at);
        size_t from = close;
        for (int i = 0; i < 3; ++i) from = cutShort.rfind("\r\n", from - 3) + 2;
        cutShort.erase(from, close - from);
        at = from;
    }
    const std::vector<std::string> kInputs = {"big.g5a", "twice.g5a", "lf.g5a", "short.g5a"};
    writeFile(ws / "big.g5a", repeated(example(kG5), 450));
    writeFile(ws / "twice.g5a", repeated(example(kG5), 900));
    writeFile(ws / "lf.g5a", repeated(lf, 450).substr(0, 450 * lf.size() - 1));  // and no final break
    writeFile(ws / "short.g5a", repeated(cutShort, 450));
    std::map<std::string, long> peakKiB;
    for (const std::string& input : kInputs) {
        for (const char* recipe : {"gig-ready", "rules"}) {
            SCOPED_TRACE(input + " " + recipe);
            const Args base{"--recipe", exampleRecipe(recipe), "-o"};
            malloc_trim(0);  // what the program is started from counts in its peak
            const CliRun parts = ws.run(plus(base, {"out/parts.g5a", input}));
            const CliRun whole = ws.run(plus(base, {"out/whole.g5a", "--json", input}));
            const CliRun dry = ws.run(plus(base, {"out/parts.g5a", "--dry-run", input}));
            ASSERT_EQ(parts.status, 0) << parts.err;
            ASSERT_EQ(whole.status, 0) << whole.err;
            EXPECT_TRUE(readFile(ws / "out/parts.g5a") == readFile(ws / "out/whole.g5a"));
            const std::string changed = parts.out.substr(parts.out.find(": ") + 2);
            EXPECT_THAT(changed, HasSubstr(" lines changed"));
            EXPECT_EQ(dry.out.substr(dry.out.find(": ") + 2),
                      changed.substr(0, changed.find(" changed")) + " would change (dry run, nothing written)" +
                          changed.substr(changed.find(" changed") + 8));
            peakKiB[input] = std::max(peakKiB[input], parts.peakKiB);
        }
    }
#ifndef PF_SANITIZED  // (the sanitizers hold on to freed memory for a while)
    EXPECT_LT((peakKiB["twice.g5a"] - peakKiB["big.g5a"]) * 1024, static_cast<long>(fs::file_size(ws / "big.g5a") / 4))
        << "a file twice as big took " << peakKiB["twice.g5a"] << " KiB against " << peakKiB["big.g5a"];
#endif
}

// ---------------------------------------------------------------------------------------------
// Names in diff headers are escaped as in report lines: a name holding line breaks and escape
// sequences gives one header of each kind, no forged hunk, no raw control byte.
TEST(Reports, DiffHeadersShowNamesEscaped) {
    Workspace ws;
    const std::string name = "a\n+++ bx\n@@ -1 +1 @@\n-\x1b[31m.g5a";
    fs::copy_file(ws / kG5, ws / name);
    const CliRun run = ws.run({"--recipe", exampleRecipe("znr"), "--diff", "--dry-run", "-o", "out/x.g5a", name});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("--- a/a\\n+++ bx\\n@@ -1 +1 @@\\n-\\x1b[31m.g5a\n+++ b/out/x.g5a\n@@ "));
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
}

// A recipe naming thousands of types the catalogue lacks, over many inputs: each input's
// messages are capped as recipe errors are, and a message shared by many inputs is printed
// once with a count. With --json, standard output is one JSON document also when the run
// cannot start.
TEST(Reports, ErrorsDoNotMultiplyAndJsonIsAlwaysOneDocument) {
    constexpr size_t kInputs = 40;
    Workspace ws;
    addNumberedInputs(ws, kInputs);
    std::string recipe = "[Amp]\nGain=50\n";
    for (int i = 0; i < 3000; ++i) recipe += "Only=No Such Amp " + std::to_string(i) + "\n";
    writeFile(ws / "r.ini", recipe);
    const CliRun run = ws.run(numberedInputs({"--recipe", "r.ini", "--out-dir", "out"}, kInputs));
    EXPECT_EQ(run.status, 1);
    EXPECT_LT(run.err.size(), 20000u);
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: 0.g5a: [Amp] Only: \"No Such Amp 0\" is not in"));
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: 0.g5a: ... and 2980 more errors\n"));
    EXPECT_THAT(run.err, HasSubstr("presetforger-cli: the same for 39 more inputs: ... and 2980 more errors\n"));
    EXPECT_EQ(lineCount(run.out), kInputs);

    writeFile(ws / "bad.ini", "[Amp]\nGain=loud\n");
    const Args kFailing[] = {{"--recipe", "bad.ini", "--json", "-o", "out/x.g5a", kG5},
                             {"--json", "--recipe", "r.ini", "--bogus"},
                             {"--json", "--recipe", "missing.ini", "-o", "x.g5a", kG5}};
    for (const Args& args : kFailing) {
        const CliRun failed = ws.run(args);
        EXPECT_EQ(failed.status, 2);
        writeFile(ws.capture / "doc.json", failed.out);
        const std::string check = "python3 -c \"import json,sys; d=json.load(open(sys.argv[1])); "
                                  "assert d['files'] == [] and d['errors']\" '" + (ws.capture / "doc.json").string() + "'";
        EXPECT_EQ(std::system(check.c_str()), 0) << failed.out;
    }
}

// With few descriptors allowed, any number of jobs writes every input, as one job does.
TEST(Reports, AFewDescriptorsLowerTheParallelismInsteadOfFailingInputs) {
    constexpr size_t kInputs = 150;
    for (const char* jobs : {"8", "128"}) {
        Workspace ws;
        addNumberedInputs(ws, kInputs);
        const CliRun run = ws.run(numberedInputs({"--recipe", exampleRecipe("znr"), "--out-dir", "out", "-j", jobs}, kInputs),
                                  {.openFileLimit = 32});
        EXPECT_EQ(run.status, 0) << jobs << ": " << run.err.substr(0, 500);
        expectOutputsWholeOldOrNew(ws, kInputs, readFile(kExpected / "znr" / kG5), false, jobs);
        EXPECT_EQ(readFile(ws / "out" / "149.g5a"), readFile(kExpected / "znr" / kG5));
    }
}

}  // namespace
