#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QIcon>
#include <QString>
#include <QUrl>
#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include "app/ChoiceControls.h"
#include "app/FileNames.h"
#include "app/SettingRows.h"
#include "app/UserSettings.h"
#include "engine/CellEdits.h"
#include "engine/Choices.h"
#include "engine/EditingSession.h"

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QListWidget;
class QMenu;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace pf::batch {
class BatchUndo;
}

namespace pf::app {

class ClickableLabel;
class Desktop;
class HomePage;
class PatchesDialog;
class SettingsPage;
class TabPage;

// A text the user sees, translated when it is shown.
struct UiText {
    const char* source;
    operator QString() const { return QCoreApplication::translate("pf::app::TPresetforger_Form", source); }
};
inline constexpr UiText kAppTitle{QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "The Presetforger 2000")};
inline constexpr UiText kLoadPrompt{QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "Click LOAD to begin.")};
inline constexpr UiText kProcessPrompt{
    QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "Adjust settings and then click PROCESS.")};
inline constexpr UiText kOpenTitle{
    QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "Load a G5, G3X,, G3, or B3 Patch Group File")};
inline constexpr int kPictureStepMs = 2000;

// The application icon at every size it was drawn in (the window's icon too).
QIcon applicationIcon();

// The program's web page: the README shipped with the program (beside it, or in the install
// tree's data folder).
QUrl webPageUrl();

// The one window of the program: it draws the editing session and maps its controls to the
// choices Process reads. Every control carries its name as object name.
class TPresetforger_Form : public QDialog {
    Q_OBJECT
public:
    explicit TPresetforger_Form(Desktop& desktop, QWidget* parent = nullptr);
    ~TPresetforger_Form() override;

    const pf::Document& document() const { return session_.document(); }
    std::string_view modelCode() const { return session_.group().model().code; }

    // Everything the Process command reads, as it stands now (spin texts brought into range
    // first).
    pf::Choices choices() { return controls_->read(modelCode()); }

    // Brings the window to the front, restoring it when minimised (a second start asks this).
    void bringToFront();

    // The commands, however they are started. Handlers carry the names the window's events
    // are known by; each says what it does.
    void butloadClick();  // the Load button: asks for a file, then loadFile()
    // Loads `path` as the Load command does once its dialog has answered: the document, the
    // caption, the model's pages and lists; a file that cannot be read gives the Load error,
    // everything stays as it was and the result is false. The file named on the command line
    // comes here.
    bool loadFile(const QString& path);
    // A file handed over from outside, by a later start or a drop: the window comes to the
    // front and loads it. While a command is still running (its dialog or message open), the
    // load waits until the command has ended; of several such files the last one wins.
    void openFile(const QString& path);
    // The Process button: runs the edits, shows them for review, then asks where to save.
    void butprocessClick();
    void Label1Click();          // the status prompt: runs the command it names
    void SpeedButton1Click();    // every "Legal" button: shows the notice
    void RxGIFAnimator5Click();  // the Home page's pictures and the date: open the web page (README)
    void Timer1Timer();          // steps the Home page's device picture
    // "Save recipe...": writes the current choices as a recipe the batch tool reads.
    void saveRecipeClick();
    // "Apply recipe...": reads a recipe and shows the choices the batch tool would make of it
    // for the loaded file; an error changes nothing.
    void applyRecipeClick();
    // Applies recipe text as applyRecipeClick() does once its dialog has answered.
    bool applyRecipe(const QString& path);
    // Undo (Ctrl+Z) takes the last Process back, Redo (Ctrl+Shift+Z, Ctrl+Y) does it again,
    // one Process at a time, until the next load; the caption goes with the document. Neither
    // acts while a command is running.
    void undoClick();
    void redoClick();
    // "Load many": several patch groups, a folder's, or a folder's with its subfolders, each
    // run through runBatch().
    void loadManyFilesClick();
    void loadFolderClick(bool subfolders);
    // The choices shown, as a recipe, applied to every file as the batch tool applies it, off
    // the window's thread with a progress bar and Cancel; then the preview of the batch, and
    // the files ticked there written into a folder or in place. `roots` gives, per file, the
    // folder it was chosen from (its path below it is kept in an output folder). Nothing is
    // written before the preview's Save; false when nothing was written.
    bool runBatch(const QStringList& files, const QStringList& roots);
    // "Undo batch": every file the last batch wrote put back as it was, where it still holds
    // what the batch wrote; says which could not be.
    void undoBatchClick();
    // "Changes...": the changes of the Process that made the document, to read again.
    void changesClick();
    // "Patches...": the Patches view of the loaded file, beside the window (PatchesDialog),
    // kept up to date with the document after every command.
    void patchesClick();
    // Values copied between patches, written as one step as Process writes: the same preview,
    // then the save dialog; Undo takes the step back.
    void copyValues(const std::vector<pf::CellEdit>& edits);
    // A setting's rule button: asks for its value or rule as a recipe line gives it, read by
    // the recipe's reader for the loaded file.
    void editRule(pf::SettingId id);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Esc and the close box press the Close button
    // Local files may be dropped, as copies only: one patch group is loaded as openFile()
    // loads it, one recipe applied as applyRecipe() applies it, several patch groups or folders
    // (with their subfolders) run as a batch (runBatch); anything else is refused with a message.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Load and Process count as running from start to end, dialogs and messages included; the
    // window shows the session's state when each has ended. A file handed over meanwhile is
    // opened once the last running command has ended.
    class CommandScope {
    public:
        explicit CommandScope(TPresetforger_Form& window);
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

    private:
        TPresetforger_Form& window_;
    };

    // Making (MainWindow.cpp).
    void addPages();
    void addCommandButtons();
    void addBottomRow();
    void addTabShortcuts();
    std::vector<TabPage*> pages() const;
    ChoiceControls::TypeLists typeLists() const;

    // Size and places (WindowLayout.cpp).
    void sizeForEveryModel();  // once, at start: the largest lists of every model
    void fitToContents();      // sizes the window to what its texts need
    void placeOverlays();      // the buttons over the page shown
    void placeProcessSummary(const TabPage& page, QRect room);
    QStringList summaryParts() const;

    // Tabs (MainWindow.cpp).
    void Resettabs(bool loadForm);  // the start form's tabs, or the loaded model's
    void pageActivated(int index);
    void setBoldPage(QWidget* page);

    // Commands (Commands.cpp).
    void showLoaded();
    std::optional<pf::EditingSession::Pending> runProcess();
    void reviewAndSave(pf::EditingSession::Pending&& pending);
    void showPatches();  // the document in the Patches view, when it is open
    void saveAs();
    void stepHistory(bool back);
    // The session's state in the window: the caption, the summary, and which of Undo, Redo
    // and Changes can be used. Called at the start and the end of every command.
    void showState();
    void fillRecentMenu();

    void addLoadManyButton();

    Desktop& desktop_;
    pf::EditingSession session_;  // the patch group being edited; never shown
    bool loaded_ = false;         // a file was loaded: the prompt names Process
    QString lastOpenPath_;        // the open dialog offers it again
    QString loadedPath_;          // the save dialog opens in its folder
    QString saveFilter_;          // the save dialog's filter and default extension, as last set
    QString saveSuffix_;

    ClickableLabel* statusPrompt_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    ClickableLabel* dateLink_ = nullptr;
    QToolButton* loadButton_ = nullptr;
    QToolButton* processButton_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    QToolButton* loadManyButton_ = nullptr;  // beside the tabs, above Load: its menu chooses many files
    QAction* undoBatchAction_ = nullptr;
    std::unique_ptr<pf::batch::BatchUndo> batchUndo_;  // what the last batch written replaced
    QToolButton* changesButton_ = nullptr;  // under the command buttons, and the summary under it
    QLabel* processSummary_ = nullptr;
    // The bottom row, left to right.
    QToolButton* undoButton_ = nullptr;
    QToolButton* redoButton_ = nullptr;
    QToolButton* recentButton_ = nullptr;  // its menu loads a recently loaded file
    QToolButton* applyRecipeButton_ = nullptr;
    QToolButton* saveRecipeButton_ = nullptr;
    QToolButton* patchesButton_ = nullptr;
    PatchesDialog* patches_ = nullptr;  // made on first use
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QTimer* pictureTimer_ = nullptr;
    HomePage* home_ = nullptr;
    std::vector<SettingsPage*> settingsPages_;

    std::array<SettingRow, pf::kSettingCount> rows_{};
    ChoiceControls::PatchFields patchFields_{};
    std::optional<ChoiceControls> controls_;
    bool shownOnce_ = false;
    bool resettingTabs_ = false;

    friend class CommandScope;
    int commandsRunning_ = 0;
    QString pendingOpen_;
};

}  // namespace pf::app
