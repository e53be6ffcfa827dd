// The window's commands over the editing session: Load, Process with its review and save, Undo
// and Redo, and the changes of the current document shown again.
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <exception>
#include <utility>

#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/Pages.h"
#include "app/PatchesDialog.h"
#include "app/PreviewDialog.h"
#include "app/Widgets.h"
#include "catalogue/Catalogue.h"

namespace pf::app {

namespace {

QString missingFolderMessage(const QString& path) {
    return TPresetforger_Form::tr("Cannot create file %1: its folder does not exist").arg(path);
}

}  // namespace

TPresetforger_Form::CommandScope::CommandScope(TPresetforger_Form& window) : window_(window) {
    ++window_.commandsRunning_;
    window_.showState();
}

TPresetforger_Form::CommandScope::~CommandScope() {
    --window_.commandsRunning_;
    window_.showState();
    if (window_.commandsRunning_ > 0 || window_.pendingOpen_.isEmpty()) return;
    QTimer::singleShot(0, &window_, [window = &window_] {
        const QString path = std::exchange(window->pendingOpen_, QString());
        if (!path.isEmpty()) window->openFile(path);
    });
}

void TPresetforger_Form::showState() {
    const pf::EditingSession::State& state = session_.state();
    setWindowTitle(state.file.empty() ? QString(kAppTitle) : captionFor(qpath(state.file)));
    const bool idle = commandsRunning_ == 0;
    undoAction_->setEnabled(idle && session_.canUndo());
    redoAction_->setEnabled(idle && session_.canRedo());
    changesButton_->setEnabled(idle && state.process);
    if (patches_) patches_->setWindowTitle(PatchesDialog::titleFor(qpath(state.file)));
    placeOverlays();
}

// The summary of the Process that made the document, as kept, and whether it is saved.
QStringList TPresetforger_Form::summaryParts() const {
    const pf::EditingSession::State& state = session_.state();
    if (!state.made) return {};
    return {summaryOf(*state.made) + QLatin1Char('.'), state.saved ? tr("Saved.") : tr("Not saved.")};
}

// ---- Load -----------------------------------------------------------------------------------

void TPresetforger_Form::butloadClick() {
    CommandScope command(*this);
    FileDialogRequest request;
    request.title = kOpenTitle;
    request.nameFilters = {openFilter()};
    request.selectedFilter = request.nameFilters.front();
    // The first dialog opens in the folder the user last loaded from, in this run or an earlier
    // one, else in the folder the program was started from.
    request.directory = lastOpenPath_.isEmpty() ? rememberedFolder("load/folder", QDir::currentPath())
                                                : QFileInfo(lastOpenPath_).absolutePath();
    request.selectedFile = lastOpenPath_;
    const QString path = desktop_.chooseFile(this, request, nullptr);
    if (path.isEmpty()) return;  // cancelled: nothing changes
    loadFile(path);
}

bool TPresetforger_Form::loadFile(const QString& path) {
    CommandScope command(*this);
    lastOpenPath_ = path;
    // A file that cannot be read leaves the loaded group and everything else as it was.
    std::string error;
    bool read = false;
    {
        BusyCursor busy;
        read = session_.load(fsPath(path), Catalogue::open(Catalogue::defaultPath()), &error);
    }
    if (!read) {
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(error));
        return false;
    }
    loaded_ = true;
    loadedPath_ = path;
    rememberLoaded(path);
    fillRecentMenu();
    showLoaded();
    return true;
}

// The loaded group in the window: the prompt, the model's pages, its lists and the choices of a
// fresh window (spin edits keep their values from one load to the next), the controls of the
// model. The window keeps its size.
void TPresetforger_Form::showLoaded() {
    statusPrompt_->setText(kProcessPrompt);
    for (QToolButton* b : {processButton_, saveRecipeButton_, applyRecipeButton_, patchesButton_}) b->setEnabled(true);
    Resettabs(true);
    const pf::PatchGroup& group = session_.group();
    controls_->show(group.afterLoad(), &group);
    controls_->showRowsOf(group.model());
    for (const SettingsPage* page : settingsPages_)
        if (page->b3ControlsPanel())
            if (const std::optional<bool> shown = group.model().shows(ShownWith::B3Controls))
                page->b3ControlsPanel()->setVisible(*shown);
    setBoldPage(tabs_->currentWidget());
    showPatches();
    // The first thing to do after a load is to tick a setting on the page shown.
    if (const QList<QCheckBox*> boxes = tabs_->currentWidget()->findChildren<QCheckBox*>(); !boxes.isEmpty())
        boxes.front()->setFocus();
}

void TPresetforger_Form::openFile(const QString& path) {
    bringToFront();
    if (commandsRunning_ > 0) {
        pendingOpen_ = path;
        return;
    }
    loadFile(path);
}

void TPresetforger_Form::fillRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = recentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* a = recentMenu_->addAction(
            QStringLiteral("&%1  %2").arg(i + 1).arg(QDir::toNativeSeparators(path).replace(u'&', QStringLiteral("&&"))));
        connect(a, &QAction::triggered, this, [this, path] { openFile(path); });
    }
    recentButton_->setEnabled(!recent.isEmpty());
}

// ---- Process and save -----------------------------------------------------------------------

// Process, its changes shown for review: the modules ticked there are kept (a new state that
// Undo takes back), or Cancel takes the whole Process back; then the save dialog.
void TPresetforger_Form::butprocessClick() {
    CommandScope command(*this);
    std::optional<pf::EditingSession::Pending> pending = runProcess();
    if (pending) reviewAndSave(std::move(*pending));
}

// A step made and waiting: its changes shown for review, then kept with the modules ticked and
// the save dialog, or taken back whole.
void TPresetforger_Form::reviewAndSave(pf::EditingSession::Pending&& pending) {
    const pf::ProcessOutcome& outcome = pending.outcome();
    const std::optional<std::vector<bool>> kept = desktop_.reviewChanges(
        this, ChangeReview{pending.report(), pending.changes(), summaryOf(outcome), warningsOf(outcome), &document()});
    if (!kept) {
        session_.discard(std::move(pending));
        return;
    }
    session_.keep(std::move(pending), *kept);
    showPatches();
    showState();
    saveAs();
}

// Process on the choices shown, with the catalogue as it reads now (a changed file takes effect
// at the next command); none, after its message, when nothing is ticked or it fails.
std::optional<pf::EditingSession::Pending> TPresetforger_Form::runProcess() {
    const pf::Choices chosen = choices();
    try {
        BusyCursor busy;
        pf::EditingSession::Pending pending = session_.process(chosen, Catalogue::open(Catalogue::defaultPath()));
        if (!pending.nothingToSave()) return pending;
    } catch (const std::exception& e) {
        // The session leaves the document as it was when Process fails.
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(e.what()));
        return std::nullopt;
    }
    desktop_.infoBox(this, kAppTitle, qs(kNoChangesToSave));
    return std::nullopt;
}

void TPresetforger_Form::copyValues(const std::vector<pf::CellEdit>& edits) {
    if (commandsRunning_ > 0 || edits.empty()) return;
    CommandScope command(*this);
    std::optional<pf::EditingSession::Pending> pending;
    try {
        BusyCursor busy;
        pending.emplace(session_.writeCells(edits, Catalogue::open(Catalogue::defaultPath())));
    } catch (const std::exception& e) {
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(e.what()));  // the document stays as it was
        return;
    }
    reviewAndSave(std::move(*pending));
}

// The save dialog with the model's filter, in the folder of the last save (in this run or an
// earlier one), else the loaded file's; cancelled, the edited document stays, the caption too.
void TPresetforger_Form::saveAs() {
    if (const QString filter = saveFilterOf(modelCode()); !filter.isEmpty()) {
        saveFilter_ = filter;
        saveSuffix_ = qs(session_.group().model().extension.substr(1));
    }
    FileDialogRequest request;
    request.save = true;
    request.nameFilters = saveFilters();
    request.selectedFilter = saveFilter_;
    request.defaultSuffix = saveSuffix_;
    request.directory = rememberedFolder("save/folder", QFileInfo(loadedPath_).absolutePath());
    QString path;
    for (;;) {
        QString usedFilter;
        path = desktop_.chooseFile(this, request, &usedFilter);
        if (!usedFilter.isEmpty()) saveFilter_ = usedFilter;
        if (path.isEmpty()) return;
        // The chosen folder must exist: say so and ask again, with the typed name offered.
        const QFileInfo chosen(path);
        if (QFileInfo(chosen.absolutePath()).isDir()) break;
        desktop_.errorBox(this, kAppTitle, missingFolderMessage(path));
        request.selectedFilter = saveFilter_;
        request.selectedFile = chosen.fileName();
    }
    std::string error;
    if (!session_.save(fsPath(path), &error)) {
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(error));
        return;
    }
    rememberFolder("save/folder", path);
}

// ---- Undo, redo and the changes shown again -------------------------------------------------

void TPresetforger_Form::undoClick() { stepHistory(true); }

void TPresetforger_Form::redoClick() { stepHistory(false); }

void TPresetforger_Form::stepHistory(bool back) {
    if (commandsRunning_ > 0) return;  // a command's dialog is open: its document stays
    if (!(back ? session_.undo() : session_.redo())) return;
    showPatches();
    showState();
}

void TPresetforger_Form::showPatches() {
    if (patches_ && patches_->isVisible()) patches_->showGroup(session_.group());
}

void TPresetforger_Form::changesClick() {
    const std::shared_ptr<const pf::EditingSession::KeptProcess> made = session_.state().process;
    if (!made || commandsRunning_ > 0) return;
    CommandScope command(*this);
    const pf::ProcessOutcome& outcome = *session_.state().made;
    ChangeReview review{made->report, *made->changes, summaryOf(outcome), warningsOf(outcome), &document()};
    review.kept = &made->kept;
    desktop_.reviewChanges(this, review);
}

void TPresetforger_Form::patchesClick() {
    if (!loaded_) return;
    if (!patches_) {
        patches_ = new PatchesDialog(this);
        patches_->addHistory(undoAction_, redoAction_);
        connect(patches_, &PatchesDialog::copyAsked, this, &TPresetforger_Form::copyValues);
        connect(patches_, &PatchesDialog::copyRefused, this,
                [this](const QString& message) { desktop_.errorBox(patches_, kAppTitle, message); });
    }
    patches_->showGroup(session_.group());  // filled before it is shown, so that it opens as large as that needs
    patches_->show();
    showState();
    patches_->raise();
    patches_->activateWindow();
}

}  // namespace pf::app
