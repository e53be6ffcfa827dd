// The window's batch: many files at once, through the same core as the batch tool, its preview,
// its writes into a folder or in place, and its undo.
#include <QProcess>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>
#include <QToolButton>

#include "AppTestSupport.h"
#include "app/BatchPreview.h"

namespace pf::test {
namespace {

namespace fs = std::filesystem;

// The examples and a generated folder of mixed models: copies under other names and in
// subfolders, one with LF line ends, and one file the batch cannot read (wide text).
std::vector<fs::path> mixedFolder(const fs::path& in) {
    fs::create_directories(in / "sub" / "deeper");
    std::vector<fs::path> files;
    auto put = [&](const fs::path& rel, const std::string& bytes) {
        writeFile(in / rel, bytes);
        files.push_back(in / rel);
    };
    for (const char* e : {"evening-set.g5a", "rehearsal.g3xa", "low-end.b3a"}) put(e, exampleBytes(e));
    put("sub/second.g5a", exampleBytes("evening-set.g5a"));
    put("sub/deeper/third.b3a", exampleBytes("low-end.b3a"));
    std::string lf = exampleBytes("rehearsal.g3xa");
    std::erase(lf, '\r');
    put("sub/lf.g3xa", lf);
    put("sub/wide.g5a", std::string("\xff\xfe<\0?\0", 6));
    return files;
}

QStringList qpaths(const std::vector<fs::path>& files) {
    QStringList out;
    for (const auto& f : files) out << qpath(f);
    return out;
}

class Batch : public WindowTest {
protected:
    // Loads the first example with `recipe` applied and runs the batch over `files`, all chosen
    // from `root`, answering the folder question with `folder` (in place when empty).
    bool runBatch(const char* recipe, const std::vector<fs::path>& files, const fs::path& root, const fs::path& folder,
                  const QString& cab = {}) {
        load(exampleFile("evening-set.g5a"));
        desktop.answers = {exampleFile(recipe)};
        find<QToolButton>("butapplyrecipe")->click();
        if (!cab.isEmpty()) find<QComboBox>("cboampcab")->setCurrentIndex(find<QComboBox>("cboampcab")->findText(cab, Qt::MatchContains));
        desktop.boxes.clear();
        if (folder.empty() && !desktop.batch) {
            desktop.batch = [](const pf::app::BatchReview& r) {
                pf::app::BatchDecision d;
                for (const auto& f : r.files) d.write.push_back(!f.failed && !f.nothingToSave);
                d.kept.resize(r.files.size());
                d.inPlace = true;
                return d;
            };
        }
        desktop.manyAnswers.clear();
        if (!folder.empty()) desktop.manyAnswers = {QStringList(qpath(folder))};
        return window->runBatch(qpaths(files), QStringList(static_cast<qsizetype>(files.size()), qpath(root)));
    }
    // The recipe the window saves for its choices, run by the batch tool into `out`.
    std::string batchTool(const std::vector<fs::path>& files, const fs::path& out, const fs::path& recipe) {
        desktop.answers = {qpath(recipe)};
        find<QToolButton>("butsaverecipe")->click();
        fs::create_directories(out);
        QProcess tool;
        tool.start(QStringLiteral(PF_BUILD_DIR "/presetforger-cli"),
                   QStringList{"--recipe", qpath(recipe), "--out-dir", qpath(out)} + qpaths(files));
        EXPECT_TRUE(tool.waitForFinished(30000));
        return tool.readAllStandardOutput().toStdString();
    }
};

// For every recipe, over the examples and a folder of mixed models with a file that fails: the
// window writes into a folder, below the subfolders the inputs came from, exactly the bytes the
// batch tool writes from the recipe the window saves; the failed files are listed with their
// reason (a cab only the G5 has fails the G3X files) and written by neither; no input is touched.
TEST_F(Batch, WritesIntoAFolderTheBytesTheBatchToolWritesForMixedModelsAndAFailingFile) {
    const struct { const char* recipe; QString cab; size_t failed; } kCases[] = {
        {"gig-ready.recipe.ini", {}, 1}, {"rules.recipe.ini", {}, 1}, {"amp.recipe.ini", {}, 1},
        {"drive.recipe.ini", {}, 1}, {"gig-ready.recipe.ini", QStringLiteral("Vintage2x12"), 3}};
    for (const auto& [recipe, cab, failedFiles] : kCases) {
        SCOPED_TRACE(std::string(recipe) + " " + cab.toStdString());
        SetUp();
        TempDir dir;
        const std::vector<fs::path> files = mixedFolder(dir / "in");
        std::vector<std::string> before;
        for (const auto& f : files) before.push_back(readFile(f));
        fs::create_directories(dir / "window");
        std::vector<fs::path> chosen = files;
        chosen.push_back(dir / "in" / "sub" / ".." / files[0].filename());  // chosen twice: taken once
        runBatch(recipe, chosen, dir / "in", dir / "window", cab);
        const std::string report = batchTool(files, dir / "tool", dir / "saved.recipe.ini");
        ASSERT_TRUE(desktop.batchPreview) << desktop.boxes.value(0).text.toStdString();
        ASSERT_EQ(desktop.boxes.size(), 1) << desktop.boxes.value(0).text.toStdString();
        const pf::app::BatchReview& review = *desktop.batchPreview;
        ASSERT_EQ(review.files.size(), files.size());
        EXPECT_TRUE(review.totals.startsWith(QStringLiteral("7 files: "))) << review.totals.toStdString();
        EXPECT_TRUE(review.totals.endsWith(QStringLiteral(", %1 failed.").arg(failedFiles))) << review.totals.toStdString();
        for (const auto& f : review.files)
            if (f.failed && f.path.endsWith(QStringLiteral(".g3xa")))
                EXPECT_EQ(f.summary, QStringLiteral("a name is not in the catalogue"));
        EXPECT_TRUE(review.files.back().failed);
        EXPECT_EQ(review.files.back().summary, QStringLiteral("cannot be read"));
        size_t written = 0;
        for (size_t i = 0; i < files.size(); ++i) {
            const fs::path rel = files[i].lexically_relative(dir / "in");
            const fs::path byWindow = dir / "window" / rel, byTool = dir / "tool" / files[i].filename();
            ASSERT_EQ(fs::exists(byWindow), fs::exists(byTool)) << rel << "\n" << report;
            EXPECT_EQ(fs::exists(byWindow), !review.files[i].failed && !review.files[i].nothingToSave) << rel;
            if (fs::exists(byWindow)) {
                ++written;
                EXPECT_EQ(readFile(byWindow), readFile(byTool)) << rel;
            }
            EXPECT_EQ(readFile(files[i]), before[i]) << "inputs untouched: " << rel;
        }
        EXPECT_GE(written, 3u);
        ASSERT_EQ(desktop.boxes.size(), 1);
        EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("%1 files saved into %2.").arg(written).arg(qpath(dir / "window")));
    }
}

// In place: each written file replaced, its old bytes kept as NAME~; Undo batch puts every file
// back that still holds what the batch wrote, and names the one another program changed since.
TEST_F(Batch, InPlaceKeepsBackupsAndUndoPutsBackWhatWasNotChangedSince) {
    TempDir dir;
    std::vector<fs::path> files = mixedFolder(dir / "in");
    files.pop_back();  // the wide file
    std::vector<std::string> before;
    for (const auto& f : files) before.push_back(readFile(f));
    ASSERT_TRUE(runBatch("gig-ready.recipe.ini", files, dir / "in", {}));
    batchTool(files, dir / "tool", dir / "saved.recipe.ini");
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(readFile(files[i]), readFile(dir / "tool" / files[i].filename())) << files[i];
        EXPECT_EQ(readFile(files[i].string() + "~"), before[i]) << files[i];
    }
    writeFile(files[1], "changed by another program\n");
    auto* undo = window->findChild<QAction*>(QStringLiteral("actundobatch"));
    ASSERT_TRUE(undo && undo->isEnabled());
    desktop.boxes.clear();
    undo->trigger();
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_EQ(readFile(files[i]), i == 1 ? std::string("changed by another program\n") : before[i]) << files[i];
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(desktop.boxes[0].text.contains(QStringLiteral("Cannot put back %1: it was changed since the batch wrote it")
                                                   .arg(qpath(files[1]))))
        << desktop.boxes[0].text.toStdString();
    EXPECT_FALSE(undo->isEnabled()) << "a batch is taken back once";
}

// Cancelled while the files are worked on, at the preview or at the folder question, or with
// nothing loaded, a batch writes nothing anywhere.
TEST_F(Batch, CancelledOrWithoutALoadNothingIsWritten) {
    TempDir dir;
    const std::vector<fs::path> files = mixedFolder(dir / "in");
    fs::create_directories(dir / "out");
    EXPECT_FALSE(window->runBatch(qpaths(files), {}));
    EXPECT_TRUE(desktop.boxes.value(0).text.startsWith(QStringLiteral("Load one patch group"))) << "nothing loaded";
    desktop.batch = [](const pf::app::BatchReview&) { return std::nullopt; };
    EXPECT_FALSE(runBatch("gig-ready.recipe.ini", files, dir / "in", dir / "out"));
    desktop.batch = [](const pf::app::BatchReview& r) {
        return pf::app::BatchDecision{std::vector<bool>(r.files.size(), true), std::vector<std::vector<bool>>(r.files.size()), false};
    };
    EXPECT_FALSE(runBatch("gig-ready.recipe.ini", files, dir / "in", {}));  // no folder chosen
    // Cancel pressed while the files are worked on, before the bar moves or once it has moved
    // (however fast the machine): no preview, nothing written.
    desktop.batchPreview.reset();
    std::vector<fs::path> many;
    for (int i = 0; i < 1000; ++i) {
        many.push_back(dir / "many" / (std::to_string(i) + ".g5a"));
        fs::create_directories(many.back().parent_path());
        fs::copy_file(files[0], many.back());
    }
    for (const bool onceMoved : {false, true}) {
        QTimer::singleShot(0, window.get(), [this, onceMoved] {
            auto* progress = window->findChild<QProgressDialog*>(QStringLiteral("batchprogress"));
            if (!progress) return;
            if (!onceMoved) return progress->cancel();
            auto* bar = progress->findChild<QProgressBar*>();
            QObject::connect(bar, &QProgressBar::valueChanged, progress, [progress](int done) {
                if (done > 0) progress->cancel();
            });
        });
        EXPECT_FALSE(runBatch("gig-ready.recipe.ini", many, dir / "many", dir / "out")) << "cancelled once moved: " << onceMoved;
    }
    EXPECT_FALSE(desktop.batchPreview);
    EXPECT_EQ(entryCount(dir / "out"), 0u);
    EXPECT_EQ(entryCount(dir / "in"), 4u) << "three examples and the subfolder, nothing beside them";
    EXPECT_EQ(entryCount(dir / "many"), many.size());
}

}  // namespace
}  // namespace pf::test
