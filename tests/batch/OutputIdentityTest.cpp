// Which --out-dir runs are refused: an output that is an input, two inputs with one output.
// Paths are compared as files (links, hard links, folders reached two ways), and names that
// do not exist yet by where they resolve.
#include <gtest/gtest.h>

#include "batch/OutputIdentity.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using pf::batch::outputClash;

namespace {

TEST(OutputIdentity, SameFilesAreFoundHoweverTheyAreNamed) {
    pf::test::TempDir dir;
    const fs::path in = dir / "in", out = dir / "out", other = dir / "other";
    for (const auto& folder : {in, out, other}) fs::create_directory(folder);
    for (const char* name : {"a.g5a", "b.g5a"}) pf::test::writeFile(in / name, "x");
    pf::test::writeFile(other / "a.g5a", "x");
    fs::create_directory_symlink(in, dir / "in-link");
    fs::create_hard_link(in / "b.g5a", out / "b.g5a");

    auto isInput = [](const fs::path& output, const fs::path& input) {
        return "the output " + output.string() + " is the input " + input.string() +
               "; an input is replaced only when named with -o";
    };
    auto bothTo = [](const fs::path& first, const fs::path& second, const fs::path& output) {
        return "the inputs " + first.string() + " and " + second.string() + " would both be written to " +
               output.string();
    };
    const struct {
        std::vector<fs::path> inputs;
        fs::path folder;
        std::optional<std::string> refusal;
    } cases[] = {
        {{in / "a.g5a", in / "b.g5a", dir / "gone.g5a"}, out / "new", std::nullopt},
        {{in / "a.g5a"}, in, isInput(in / "a.g5a", in / "a.g5a")},
        {{in / "a.g5a"}, dir / "in-link", isInput(dir / "in-link" / "a.g5a", in / "a.g5a")},
        {{in / "b.g5a"}, out, isInput(out / "b.g5a", in / "b.g5a")},  // a hard link
        {{in / "a.g5a", other / "a.g5a"}, out, bothTo(in / "a.g5a", other / "a.g5a", out / "a.g5a")},
        // Names that are not there: where they resolve decides.
        {{dir / "gone.g5a"}, dir / "in-link" / "..", isInput(dir / "in-link" / ".." / "gone.g5a", dir / "gone.g5a")},
        {{in / "gone.g5a", dir / "in-link" / "gone.g5a"}, out,
         bothTo(in / "gone.g5a", dir / "in-link" / "gone.g5a", out / "gone.g5a")},
        // Per output: the inputs first (the first of them), then the outputs before it.
        {{other / "b.g5a", dir / "in-link" / "a.g5a", in / "a.g5a"}, in, isInput(in / "a.g5a", dir / "in-link" / "a.g5a")},
        {{other / "a.g5a", in / "b.g5a"}, out, isInput(out / "b.g5a", in / "b.g5a")},
    };
    for (const auto& c : cases) {
        std::vector<fs::path> outputs;
        for (const auto& input : c.inputs) outputs.push_back(c.folder / input.filename());
        EXPECT_EQ(outputClash(c.inputs, outputs), c.refusal) << c.folder;
    }
}

}  // namespace
