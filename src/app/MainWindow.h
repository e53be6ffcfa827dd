#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <array>
#include <memory>
#include <string_view>

#include "app/SettingRows.h"
#include "engine/Choices.h"
#include "engine/History.h"
#include "engine/PatchGroup.h"

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QListWidget;
class QMenu;
class QSettings;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace pf::app {

class ClickableLabel;
class CommandScope;
class Desktop;
class HomePage;
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
inline constexpr UiText kOpenFilter{
    QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "G5 G3X G3 B3 Patch Group (*.g5a *.g3xa *.g3a *.b3a)")};
inline constexpr int kPictureStepMs = 2000;

// The save dialog's filters, one per device model: "G5 Patch Groups (*.g5a)".
QStringList saveFilters();

// The caption after a load or a save: "Presetforging:  " and the quoted file name.
QString captionFor(const QString& path);

// The application icon at every size it was drawn in (the window's icon too).
QIcon applicationIcon();

// The program's web page: the README shipped with the program (beside it, or in the install
// tree's data folder).
QUrl webPageUrl();

// The user's own settings of the program: the folders last used by Load, Save and the recipe
// dialogs, and the recently loaded files (kRecentFiles at most, newest first). They lie in
// "presetforger/presetforger.ini" in the user's configuration folder; none (nullptr) when
// something else than a file lies there and cannot be moved aside.
std::unique_ptr<QSettings> userSettings();
inline constexpr int kRecentFiles = 5;
QStringList recentFiles();  // the first kRecentFiles of those kept, however many that is

// The one window of the program: an adapter between its controls and a PatchGroup. Every
// control carries its name as object name.
class TPresetforger_Form : public QDialog {
    Q_OBJECT
public:
    explicit TPresetforger_Form(Desktop& desktop, QWidget* parent = nullptr);
    ~TPresetforger_Form() override;

    const pf::Document& document() const { return group_.document(); }
    std::string_view modelCode() const { return group_.model().code; }

    // Everything the Process command reads, as it stands now (spin texts brought into range
    // first).
    pf::Choices choices();

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
    void butprocessClick();               // the Process button: runs the edits, then asks where to save
    void Label1Click();          // the status prompt: runs the command it names
    void SpeedButton1Click();    // every "Legal" button: shows the notice
    void RxGIFAnimator5Click();  // the Home page's pictures and the date: open the web page (README)
    void Timer1Timer();          // steps the Home page's device picture
    // "Save recipe...": writes the current choices as a recipe the batch tool reads.
    void saveRecipeClick();
    // "Apply recipe...": reads a recipe with the batch tool's reader and shows the choices the
    // batch tool would make of it for the loaded file; an error changes nothing.
    void applyRecipeClick();
    // Applies recipe text as applyRecipeClick() does once its dialog has answered.
    bool applyRecipe(const QString& path);
    // Undo (Ctrl+Z) takes the last Process back, Redo (Ctrl+Shift+Z, Ctrl+Y) does it again,
    // one Process at a time, until the next load; the caption goes with the document.
    void undoClick();
    void redoClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;  // Esc and the close box press the Close button
    // Local files may be dropped, as copies only: one patch group is loaded as openFile()
    // loads it, one recipe applied as applyRecipe() applies it; anything else is refused with
    // a message.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void fitToContents();  // sizes the window to what its texts need
    void placeOverlays();  // the buttons over the page shown
    void placeProcessSummary(const TabPage& page, QRect room);
    QStringList summaryParts() const;  // the summary of the Process that made the document, and whether it is saved
    void stepHistory(bool back);       // one step of undo (back) or redo
    std::vector<TabPage*> pages() const;
    void Resettabs(bool loadForm);  // the start form's tabs, or the loaded model's
    void pageActivated(int index);
    void showAfterLoad(const pf::Choices& fresh);
    void showChoices(const pf::Choices& chosen);
    void fillRecentMenu();
    QString rememberedFolder(const char* key, const QString& otherwise) const;
    void rememberFolder(const char* key, const QString& file) const;
    void setBoldPage(QWidget* page);
    QListWidget* typeList(TypeList list) const;

    Desktop& desktop_;
    pf::PatchGroup group_;    // the patch group being edited; never shown
    bool loaded_ = false;     // a file was loaded: the prompt names Process
    QString lastOpenPath_;    // the open dialog offers it again
    QString loadedPath_;      // the save dialog opens in its folder
    QString saveFilter_;      // the save dialog's filter and default extension, as last set
    QString saveSuffix_;

    ClickableLabel* statusPrompt_ = nullptr;
    QTabWidget* pages_ = nullptr;
    ClickableLabel* dateLink_ = nullptr;
    QToolButton* loadButton_ = nullptr;
    QToolButton* processButton_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    QToolButton* saveRecipeButton_ = nullptr;
    QToolButton* applyRecipeButton_ = nullptr;
    QToolButton* recentButton_ = nullptr;  // its menu loads a recently loaded file
    QMenu* recentMenu_ = nullptr;
    QTimer* pictureTimer_ = nullptr;
    HomePage* home_ = nullptr;
    std::vector<SettingsPage*> settingsPages_;

    std::array<SettingRow, pf::kSettingCount> rows_{};
    bool shownOnce_ = false;
    bool resettingTabs_ = false;

    // Each document state with its caption, the summary of the Process that made it and
    // whether it is saved (it is the loaded file or was saved since); the states before the
    // current one and those undone.
    struct StateNote {
        QString caption;
        QString summary;
        bool saved = true;
    };
    void addHistoryControls();
    void showState();
    pf::History<StateNote> history_;
    StateNote state_;
    QToolButton* undoButton_ = nullptr;
    QToolButton* redoButton_ = nullptr;
    QLabel* processSummary_ = nullptr;

    // Load and Process count as running from start to end, dialogs and messages included;
    // a file handed over meanwhile waits in pendingOpen_.
    friend class CommandScope;
    int commandsRunning_ = 0;
    QString pendingOpen_;
};

}  // namespace pf::app
