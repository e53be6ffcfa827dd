// The built batch tool run end to end in a fresh folder holding copies of the examples.
#pragma once

#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace pf::test;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::string_literals;

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
    long peakKiB = 0;  // the most memory the program held
};

std::string example(const char* name) { return readFile(kSource / "examples" / name); }
std::string exampleRecipe(const char* name) { return (kSource / "examples" / (std::string(name) + ".recipe.ini")).string(); }
Args plus(Args args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}
std::string repeated(std::string_view text, size_t times) {
    std::string out;
    while (times-- > 0) out += text;
    return out;
}
size_t lineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

struct RunOptions {
    rlim_t fileSizeLimit = RLIM_INFINITY;  // writes beyond fail instead of ending the process
    rlim_t openFileLimit = 0;              // when set, the most descriptors open at once
    const char* stdoutTo = nullptr;        // a file for standard output, or "-" to start without one
};

// A folder holding copies of the three example patch groups and an empty out/.
struct Workspace {
    Workspace() {
        for (const char* name : {kG5, kG3x, kB3}) fs::copy_file(kSource / "examples" / name, dir / name);
        fs::create_directory(dir / "out");
    }
    fs::path operator/(std::string_view name) const { return dir / name; }
    // Starts the program with `args` in the folder. A program that hangs is ended after 30 s
    // (an alarm outlives exec), so a test fails instead of hanging.
    pid_t start(Args args, RunOptions options = {}) const {
        const std::string program = PF_BUILD_DIR "/presetforger-cli";
        const std::string outPath = options.stdoutTo ? options.stdoutTo : (capture / "stdout").string();
        const fs::path errPath = capture / "stderr";
        writeFile(capture / "stdout", "");
        const pid_t child = fork();
        if (child != 0) return child;
        const bool closed = outPath == "-";
        const int out = closed ? 1 : open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (chdir(dir.path().c_str()) != 0 || out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        if (closed) close(1);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
        const rlimit files{options.openFileLimit, options.openFileLimit};
        if (options.openFileLimit != 0) setrlimit(RLIMIT_NOFILE, &files);
        alarm(30);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    CliRun finish(pid_t child) const {
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(capture / "stdout"), readFile(capture / "stderr"),
                usage.ru_maxrss};
    }
    CliRun run(Args args, RunOptions options = {}) const { return finish(start(std::move(args), options)); }
    TempDir dir, capture;
};

}  // namespace
