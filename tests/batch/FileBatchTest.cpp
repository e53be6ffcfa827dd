// A batch of files as the window runs it: cancelled at any point it keeps nothing and touches
// nothing; written and taken back, every output is as it was.
#include <gtest/gtest.h>

#include <atomic>

#include "batch/FileBatch.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using pf::batch::FileBatch;

struct Inputs {
    pf::test::TempDir dir;
    std::vector<fs::path> files;
    std::vector<std::string> bytes;
    Inputs() {
        for (int copy = 0; copy < 8; ++copy)
            for (const char* e : {"evening-set.g5a", "rehearsal.g3xa", "low-end.b3a"}) {
                files.push_back(dir / (std::to_string(copy) + "-" + e));
                bytes.push_back(pf::test::readFile(PF_SOURCE_DIR "/examples/" + std::string(e)));
                pf::test::writeFile(files.back(), bytes.back());
            }
    }
    void expectUntouched() const {
        for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(pf::test::readFile(files[i]), bytes[i]) << files[i];
        EXPECT_EQ(pf::test::entryCount(dir.path()), files.size()) << "nothing beside the inputs";
    }
};

pf::Recipe gigReady() { return pf::parseRecipe(pf::test::readFile(PF_SOURCE_DIR "/examples/gig-ready.recipe.ini")).recipe; }
pf::Catalogue catalogue() { return pf::Catalogue::open(PF_BUILD_DIR "/Presetforger2000.ini"); }

// Cancel before the first file, after a few, near the end, on one thread and on several: the
// result says so, nothing is kept, every input is as it was. Not cancelled, every file is there.
TEST(FileBatch, CancelAtAnyPointKeepsNothingAndTouchesNoInput) {
    Inputs in;
    for (unsigned jobs : {1u, 3u})
        for (size_t at : {size_t{0}, size_t{1}, size_t{5}, in.files.size() - 1}) {
            SCOPED_TRACE(std::to_string(jobs) + " jobs, cancelled at " + std::to_string(at));
            FileBatch batch(gigReady(), catalogue());
            std::atomic<bool> cancel{at == 0};
            EXPECT_FALSE(batch.process(in.files, cancel, [&](size_t done) { if (done >= at) cancel = true; }, jobs));
            EXPECT_TRUE(batch.files().empty());
            in.expectUntouched();
        }
    FileBatch batch(gigReady(), catalogue());
    std::atomic<bool> cancel{false};
    ASSERT_TRUE(batch.process(in.files, cancel));
    ASSERT_EQ(batch.files().size(), in.files.size());
    for (const auto& f : batch.files()) EXPECT_TRUE(f.processed());
    in.expectUntouched();
}

// Written into a folder over files already there and new ones: undo puts the old ones back and
// removes the new ones; one removed meanwhile is named and left alone.
TEST(FileBatch, UndoPutsBackReplacedOutputsAndRemovesNewOnes) {
    Inputs in;
    pf::test::TempDir out;
    FileBatch batch(gigReady(), catalogue());
    std::atomic<bool> cancel{false};
    ASSERT_TRUE(batch.process({in.files[0], in.files[1], in.files[2]}, cancel));
    // A file's changes are made when a preview first shows them, in place of the Process kept.
    const pf::batch::ProcessedFile& shown = batch.withChanges(0);
    ASSERT_TRUE(shown.pending && shown.pending->record());
    EXPECT_FALSE(shown.pending->changes().modules().empty());
    pf::test::writeFile(out / "old.g5a", "old\n");
    pf::batch::BatchUndo undo;
    const auto written = batch.write({{0, out / "old.g5a", {}}, {1, out / "sub" / "new.g3xa", {}}, {2, out / "gone.b3a", {}}},
                                     pf::io::Backup::None, &undo);
    for (const auto& w : written) EXPECT_TRUE(w.ok) << w.error;
    EXPECT_NE(pf::test::readFile(out / "old.g5a"), "old\n");
    fs::remove(out / "gone.b3a");
    const pf::batch::BatchUndo::Result result = undo.undo();
    EXPECT_EQ(pf::test::readFile(out / "old.g5a"), "old\n");
    EXPECT_FALSE(fs::exists(out / "sub" / "new.g3xa"));
    ASSERT_EQ(result.notRestored.size(), 1u);
    EXPECT_EQ(result.notRestored[0], "Cannot put back " + (out / "gone.b3a").string() + ": it is no longer there");
    EXPECT_TRUE(undo.empty());
    in.expectUntouched();
}

}  // namespace
