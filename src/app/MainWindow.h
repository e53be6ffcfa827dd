#pragma once

#include <QDialog>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <array>
#include <string>

#include "app/SettingRows.h"
#include "document/Document.h"
#include "engine/Choices.h"

class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QListWidget;
class QTabWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace pf::app {

class ClickableLabel;
class CommandScope;
class Desktop;
class PictureStepper;

inline const QString kAppTitle = QStringLiteral("The Presetforger 2000");
inline const QString kLoadPrompt = QStringLiteral("Click LOAD to begin.");
inline const QString kProcessPrompt = QStringLiteral("Adjust settings and then click PROCESS.");
inline const QString kOpenTitle = QStringLiteral("Load a G5, G3X,, G3, or B3 Patch Group File");
inline const QString kOpenFilter = QStringLiteral("G5 G3X G3 B3 Patch Group (*.g5a *.g3xa *.g3a *.b3a)");
inline const QStringList kSaveFilters = {QStringLiteral("G5 Patch Groups (*.g5a)"),
                                         QStringLiteral("G3v2 Patch Groups (*.g3xa)"),
                                         QStringLiteral("B3 Patch Groups (*.b3a)")};
inline constexpr int kClientWidth = 497;
inline constexpr int kClientHeight = 412;
inline constexpr int kPictureStepMs = 2000;

// The caption after a load or a save: "Presetforging:  " and the quoted file name.
QString captionFor(const QString& path);

// The application icon at every size it was drawn in (the window's icon too).
QIcon applicationIcon();

// The program's web page: the README shipped with the program (beside it, or in the install
// tree's data folder).
QUrl webPageUrl();

// The one window of the program. Every control carries its name as object name.
class TPresetforger_Form : public QDialog {
    Q_OBJECT
public:
    explicit TPresetforger_Form(Desktop& desktop, QWidget* parent = nullptr);
    ~TPresetforger_Form() override;

    // What the window holds besides its controls.
    const pf::Document& document() const { return document_; }
    const std::string& modelCode() const { return modelCode_; }

    // Everything the Process command reads, as it stands now (spin texts brought into range
    // first).
    pf::Choices choices();

    // Brings the window to the front, restoring it when minimised (a second start asks this).
    void bringToFront();

    // Loads `path` as the Load command does once its dialog has answered: the document, the
    // caption, the model's pages and lists; a file that cannot be read gives the Load error
    // and everything stays as it was. The file named on the command line comes here.
    void loadFile(const QString& path);
    // A file handed over from outside, by a later start or a drop: the window comes to the
    // front and loads it. While a command is still running (its dialog or message open), the
    // load waits until the command has ended; of several such files the last one wins.
    void openFile(const QString& path);

    // Handlers, each raised by the control named in brackets.
    void Resettabs(bool loadForm);         // tab reset: start form or load form
    void PageControl1Change(int index);    // [PageControl1] a tab was picked
    void Label1Click();                    // [Label1] the status prompt
    void SpeedButton1Click();              // [the six "Legal" buttons]
    void RxGIFAnimator5Click();            // [Image1, Image2, LMDAniCtrl1, Panel7] the web page
    void Timer1Timer();                    // [Timer1] the device picture steps
    void butcancelClick();                 // [butcancel, Esc]
    void butloadClick();                   // [butload]
    void butprocessClick();                // [butprocess]
    void enablers(QObject* sender);        // [the 49 setting check boxes]
    void butampcheckallClick(QObject* sender);   // [the four Check All buttons]
    void butampchecknoneClick(QObject* sender);  // [the four Check None buttons]

protected:
    void showEvent(QShowEvent* event) override;  // FormShow
    void reject() override;                      // Esc and the close box press butcancel
    void dragEnterEvent(QDragEnterEvent* event) override;  // one local file may be dropped
    void dropEvent(QDropEvent* event) override;            // and is then opened

private:
    void FormCreate();
    void FormShow();
    QWidget* buildHomePage();
    QWidget* buildEffectPage(const char* name, const QString& heading, const char* listName, const char* allName,
                             const char* noneName);
    QWidget* buildMiscPage();
    void addLegalButton(QWidget* page, const char* name);
    void placeRows(Page page, QWidget* parent, int firstRow, QPoint origin, const RowLayout& layout);
    QListWidget* checkListFor(QObject* button) const;
    void fillCheckList(QListWidget* list, const std::vector<std::string>& items);
    void setBoldPage(QWidget* page);

    Desktop& desktop_;
    pf::Document document_;   // the patch group being edited; never shown
    std::string modelCode_;   // "g5", "g3x", "b3", or empty before a recognised load
    QString lastOpenPath_;    // the open dialog offers it again
    QString loadedPath_;      // the save dialog opens in its folder
    QString saveFilter_;      // the save dialog's filter and default extension, as last set
    QString saveSuffix_;

    ClickableLabel* Label1 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    ClickableLabel* Panel7 = nullptr;
    QToolButton* butload = nullptr;
    QToolButton* butprocess = nullptr;
    QToolButton* butcancel = nullptr;
    QTimer* Timer1 = nullptr;
    ClickableLabel* Image1 = nullptr;
    ClickableLabel* Image2 = nullptr;
    PictureStepper* LMDAniCtrl1 = nullptr;
    QCheckBox* ckB3ampknob6 = nullptr;
    QWidget* panb3drivespec = nullptr;
    QGroupBox* znrGroup = nullptr;

    std::array<SettingRow, pf::kSettingCount> rows_{};
    std::array<QListWidget*, pf::kTypeListCount> checkLists_{};
    std::array<QToolButton*, pf::kTypeListCount> checkAllButtons_{};
    std::array<QToolButton*, pf::kTypeListCount> checkNoneButtons_{};
    bool shownOnce_ = false;
    bool resettingTabs_ = false;

    // Load and Process count as running from start to end, dialogs and messages included;
    // a file handed over meanwhile waits in pendingOpen_.
    friend class CommandScope;
    int commandsRunning_ = 0;
    QString pendingOpen_;
};

}  // namespace pf::app
