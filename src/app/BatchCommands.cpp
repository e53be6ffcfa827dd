// The window's batch: many patch groups chosen at once, the choices shown applied to each as the
// batch tool applies a recipe, the preview of the batch, the files written, and the batch taken
// back.
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/BatchPreview.h"
#include "app/PreviewDialog.h"
#include "app/Widgets.h"
#include "batch/FileBatch.h"
#include "batch/OutputIdentity.h"
#include "recipe/Apply.h"
#include "recipe/Recipe.h"

namespace pf::app {

namespace {

const UiText kManyTitle{QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "Load Many Patch Group Files")};

// The list of a batch's messages shown in one box: the first few, then how many more.
QString listed(const std::vector<std::string>& lines) {
    constexpr size_t kShown = 12;
    QStringList shown;
    for (size_t i = 0; i < lines.size() && i < kShown; ++i) shown << qs(lines[i]);
    if (lines.size() > kShown) shown << TPresetforger_Form::tr("... and %1 more").arg(lines.size() - kShown);
    return shown.join(u'\n');
}

// Runs `work` on a thread of its own while the window goes on, under a progress bar that shows
// after a moment (`count` steps; none: a bar that only says it is busy). `work` gets the flag
// the bar's Cancel sets (no Cancel without `cancellable`) and a count of steps done to show.
// False when Cancel was pressed, however far the work got.
bool withProgress(QWidget* parent, const QString& text, size_t count, bool cancellable,
                  const std::function<void(const std::atomic<bool>& cancel, std::atomic<size_t>& done)>& work) {
    std::atomic<bool> cancel{false}, finished{false};
    std::atomic<size_t> done{0};
    QProgressDialog progress(text, cancellable ? TPresetforger_Form::tr("Cancel") : QString(), 0, static_cast<int>(count), parent);
    progress.setObjectName(QStringLiteral("batchprogress"));
    progress.setWindowTitle(kAppTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    std::thread worker([&] {
        work(cancel, done);
        finished = true;
    });
    QEventLoop wait;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
        if (progress.wasCanceled()) cancel = true;
        if (finished) return wait.quit();
        if (count > 0) progress.setValue(static_cast<int>(done.load()));
    });
    poll.start();
    if (!finished) wait.exec();
    worker.join();
    const bool cancelled = progress.wasCanceled();
    progress.close();
    return !cancelled;
}

}  // namespace

void TPresetforger_Form::loadManyFilesClick() {
    CommandScope command(*this);
    FileDialogRequest request;
    request.title = kManyTitle;
    request.nameFilters = {openFilter()};
    request.many = true;
    request.directory = rememberedFolder("load/folder", QDir::currentPath());
    const QStringList files = desktop_.chooseFiles(this, request);
    if (files.isEmpty()) return;
    QStringList roots;
    for (const QString& f : files) roots << QFileInfo(f).absolutePath();
    runBatch(files, roots);
}

void TPresetforger_Form::loadFolderClick(bool subfolders) {
    CommandScope command(*this);
    FileDialogRequest request;
    request.title = kManyTitle;
    request.folder = true;
    request.directory = rememberedFolder("load/folder", QDir::currentPath());
    const QStringList chosen = desktop_.chooseFiles(this, request);
    if (chosen.isEmpty()) return;
    const QStringList files = patchGroupsIn(chosen.front(), subfolders);
    if (files.isEmpty()) {
        desktop_.errorBox(this, kAppTitle, noPatchGroupIn(chosen.front()));
        return;
    }
    runBatch(files, QStringList(files.size(), chosen.front()));
}

bool TPresetforger_Form::runBatch(const QStringList& chosenFiles, const QStringList& chosenRoots) {
    CommandScope command(*this);
    // Each file once, however often it was chosen (a folder dropped with a file of it, say).
    QStringList files, roots, seen;
    for (qsizetype i = 0; i < chosenFiles.size(); ++i) {
        const QString canonical = QFileInfo(chosenFiles[i]).canonicalFilePath();
        if (!canonical.isEmpty() && seen.contains(canonical)) continue;
        seen << canonical;
        files << chosenFiles[i];
        roots << chosenRoots.value(i);
    }
    if (!loaded_) {
        desktop_.errorBox(this, kAppTitle,
                          tr("Load one patch group and choose the settings first: a batch applies the settings shown "
                             "to every file."));
        return false;
    }
    // The choices shown said as a recipe, and read back as the batch tool reads one.
    std::string error;
    const std::string text = pf::recipeFor(choices(), session_.group(), &error);
    const pf::RecipeResult recipe = pf::parseRecipe(text, pf::kErrorsShown);
    if (!error.empty() || !recipe.ok()) {
        desktop_.errorBox(this, kAppTitle, tr("Cannot process a batch: %1").arg(qs(error.empty() ? recipe.errors.front().text() : error)));
        return false;
    }
    pf::batch::FileBatch batch(recipe.recipe, Catalogue::open(Catalogue::defaultPath()));
    std::vector<std::filesystem::path> inputs;
    for (const QString& f : files) inputs.push_back(fsPath(f));

    // The work, off the window's thread; Cancel stops it between files.
    bool processed = false;
    const bool cancelled = !withProgress(this, tr("Processing %1 files...").arg(files.size()), files.size(), true,
                                         [&](const std::atomic<bool>& cancel, std::atomic<size_t>& done) {
                                             processed = batch.process(inputs, cancel, [&](size_t n) { done = n; });
                                         });
    if (cancelled || !processed) return false;  // nothing was written

    const BatchReview review = batchReview(batch);
    const std::optional<BatchDecision> decision = desktop_.reviewBatch(this, review);
    if (!decision) return false;

    // Where to: a folder (each file under its path below the folder it was chosen from), or
    // in place with a backup of each replaced file.
    std::vector<std::filesystem::path> outputs = inputs;
    QString folder;
    if (!decision->inPlace) {
        FileDialogRequest request;
        request.title = tr("Save the batch into a folder");
        request.folder = true;
        request.directory = rememberedFolder("batch/folder", QFileInfo(files.front()).absolutePath());
        const QStringList chosen = desktop_.chooseFiles(this, request);
        if (chosen.isEmpty() || chosen.front().isEmpty()) return false;
        folder = chosen.front();
        std::vector<std::filesystem::path> rootPaths;
        for (const QString& r : roots) rootPaths.push_back(fsPath(r));
        outputs = pf::batch::outputsInFolder(fsPath(folder), inputs, rootPaths);
        std::vector<std::filesystem::path> written, writtenTo;
        for (size_t i = 0; i < inputs.size(); ++i)
            if (decision->write[i]) {
                written.push_back(inputs[i]);
                writtenTo.push_back(outputs[i]);
            }
        if (const auto clash = pf::batch::outputClash(inputs, writtenTo, "; the files are written in place only when asked")) {
            desktop_.errorBox(this, kAppTitle, tr("Cannot save the batch into %1: %2").arg(folder, qs(*clash)));
            return false;
        }
        rememberFolder("batch/folder", folder + QStringLiteral("/."));
    }
    std::vector<pf::batch::FileBatch::Target> targets;
    for (size_t i = 0; i < inputs.size(); ++i)
        if (decision->write[i]) targets.push_back({i, outputs[i], decision->kept[i]});
    auto undo = std::make_unique<pf::batch::BatchUndo>();
    std::vector<pf::batch::FileBatch::Written> written;
    withProgress(this, tr("Saving %1 files...").arg(targets.size()), 0, false,
                 [&](const std::atomic<bool>&, std::atomic<size_t>&) {
                     written = batch.write(targets, decision->inPlace ? pf::io::Backup::Simple : pf::io::Backup::None,
                                           undo.get());
                 });
    std::vector<std::string> failures;
    for (const auto& w : written)
        if (!w.ok) failures.push_back(w.error);
    if (!undo->empty()) {
        batchUndo_ = std::move(undo);
        undoBatchAction_->setEnabled(true);
    }
    const size_t ok = written.size() - failures.size();
    const QString where = decision->inPlace ? tr("in place") : tr("into %1").arg(QDir::toNativeSeparators(folder));
    if (failures.empty()) {
        desktop_.infoBox(this, kAppTitle, tr("%1 files saved %2.").arg(ok).arg(where));
    } else {
        desktop_.errorBox(this, kAppTitle, tr("%1 files saved %2; %3 not saved, left as they were:\n%4")
                                               .arg(ok).arg(where).arg(failures.size()).arg(listed(failures)));
    }
    return ok > 0;
}

void TPresetforger_Form::undoBatchClick() {
    if (!batchUndo_ || commandsRunning_ > 0) return;
    CommandScope command(*this);
    const pf::batch::BatchUndo::Result result = batchUndo_->undo();
    batchUndo_.reset();
    undoBatchAction_->setEnabled(false);
    if (result.notRestored.empty()) {
        desktop_.infoBox(this, kAppTitle, tr("%1 files put back as they were before the batch.").arg(result.restored.size()));
    } else {
        desktop_.errorBox(this, kAppTitle, tr("%1 files put back as they were before the batch; %2 could not be:\n%3")
                                               .arg(result.restored.size())
                                               .arg(result.notRestored.size())
                                               .arg(listed(result.notRestored)));
    }
}

}  // namespace pf::app
