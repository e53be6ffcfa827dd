#include "app/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Desktop.h"
#include "app/Pages.h"
#include "app/Pictures.h"
#include "app/Widgets.h"
#include "batch/FileBatch.h"
#include "catalogue/Catalogue.h"

namespace pf::app {

namespace {

constexpr const char* kLegalNotice = QT_TRANSLATE_NOOP(
    "pf::app::TPresetforger_Form",
    "The Presetforger 2000 comes without any warranty: you use it at your own risk.\n\n"
    "Keep a backup of every patch group before you process it, and keep the original until you "
    "have tried the new file on your device.\n\n"
    "The device names shown in this program belong to their owners; they are used only to say "
    "which files the program works on.");

// The small flat buttons over the pages: disabled, as most are until a load.
QToolButton* smallButton(const char* name, const QString& caption, QWidget* parent) {
    QToolButton* b = flatButton(caption, name, parent);
    b->setEnabled(false);
    b->raise();
    return b;
}

// Each key once: a key bound twice would be ambiguous and do nothing.
QList<QKeySequence> uniqueKeys(const QList<QKeySequence>& keys) {
    QList<QKeySequence> unique;
    for (const QKeySequence& k : keys)
        if (!k.isEmpty() && !unique.contains(k)) unique << k;
    return unique;
}

}  // namespace

QIcon applicationIcon() {
    QIcon icon;
    for (const QFileInfo& png : QDir(QStringLiteral(":/icons")).entryInfoList({QStringLiteral("*.png")}))
        icon.addFile(png.filePath());
    return icon;
}

QUrl webPageUrl() {
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(programFile("README.md").string())));
}

TPresetforger_Form::TPresetforger_Form(Desktop& desktop, QWidget* parent) : QDialog(parent), desktop_(desktop) {
    setObjectName(QStringLiteral("Presetforger_Form"));
    setWindowTitle(kAppTitle);
    setWindowIcon(applicationIcon());
    setAcceptDrops(true);  // a patch group dropped on the window is loaded, a recipe applied
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setSizeGripEnabled(false);
    saveFilter_ = saveFilters().front();

    // The prompt along the top, the pages below it; the command buttons, the date and the
    // small buttons of the bottom row stand over the pages, which keep room for them.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 1, 0, 0);
    layout->setSpacing(1);

    statusPrompt_ = new ClickableLabel(this);
    statusPrompt_->setObjectName(QStringLiteral("Label1"));
    statusPrompt_->setText(kLoadPrompt);
    statusPrompt_->setAlignment(Qt::AlignCenter);
    statusPrompt_->setMinimumHeight(20);
    statusPrompt_->setAccessibleDescription(tr("Runs the command it names"));
    QFont promptFont = statusPrompt_->font();
    promptFont.setBold(true);
    statusPrompt_->setFont(promptFont);
    QPalette promptPalette = statusPrompt_->palette();
    promptPalette.setColor(QPalette::WindowText, kPromptBlue);
    statusPrompt_->setPalette(promptPalette);
    connect(statusPrompt_, &ClickableLabel::clicked, this, &TPresetforger_Form::Label1Click);
    layout->addWidget(statusPrompt_);

    addPages();
    layout->addWidget(tabs_, 1);
    controls_.emplace(rows_, typeLists(), patchFields_);
    for (const SettingRow& row : rows_)
        connect(row.rule, &QToolButton::clicked, this, [this, id = row.def->id] { editRule(id); });

    dateLink_ = new ClickableLabel(this);
    dateLink_->setObjectName(QStringLiteral("Panel7"));
    dateLink_->setText(QStringLiteral("8.12.2013"));
    dateLink_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    dateLink_->setAccessibleName(tr("Program date 8.12.2013"));
    dateLink_->setAccessibleDescription(tr("Opens the program's web page"));
    QPalette datePalette = dateLink_->palette();
    datePalette.setColor(QPalette::WindowText, kSteelGrey);
    dateLink_->setPalette(datePalette);
    connect(dateLink_, &ClickableLabel::clicked, this, &TPresetforger_Form::RxGIFAnimator5Click);

    addCommandButtons();
    addBottomRow();
    addTabShortcuts();

    pictureTimer_ = new QTimer(this);
    pictureTimer_->setObjectName(QStringLiteral("Timer1"));
    pictureTimer_->setInterval(kPictureStepMs);
    connect(pictureTimer_, &QTimer::timeout, this, &TPresetforger_Form::Timer1Timer);

    Resettabs(false);
    processButton_->setEnabled(false);
    // Spin edits are 21 pixels high (SpinEdit), and so is the Mode list.
    rows_[static_cast<size_t>(SettingId::DriveMode)].list->setFixedHeight(kControlHeight);
    sizeForEveryModel();
    showState();
    loadButton_->setFocus();  // the first thing to do is to load a file
}

TPresetforger_Form::~TPresetforger_Form() = default;

void TPresetforger_Form::addPages() {
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("PageControl1"));
    tabs_->tabBar()->setAttribute(Qt::WA_Hover);  // tabs highlight under the mouse
    for (const PageDef& def : pageDefs()) {
        TabPage* page = nullptr;
        if (!home_) {
            page = home_ = new HomePage(def);
            connect(home_, &HomePage::pictureClicked, this, &TPresetforger_Form::RxGIFAnimator5Click);
        } else {
            settingsPages_.push_back(new SettingsPage(def, rows_, patchFields_));
            page = settingsPages_.back();
        }
        connect(page, &TabPage::legalClicked, this, &TPresetforger_Form::SpeedButton1Click);
        page->installEventFilter(this);  // the buttons over the pages follow the page shown
        tabs_->addTab(page, QCoreApplication::translate("Pages", def.caption));
    }
    connect(tabs_, &QTabWidget::currentChanged, this, &TPresetforger_Form::pageActivated);
}

// Load, Process and Close at the right over the pages, with the summary of the Process that
// made the document under them and a button that shows its changes again. Alt and the first letter of a caption press the button; the
// captions stay as they are.
void TPresetforger_Form::addCommandButtons() {
    auto commandButton = [this](const char* name, const QString& caption, const QIcon& icon, Qt::Key key,
                                const QString& accessibleName, const QString& description) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setIcon(icon);
        b->setIconSize(QSize(26, 26));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setShortcut(QKeySequence(Qt::ALT | key));
        b->setAccessibleName(accessibleName);
        b->setAccessibleDescription(description);
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
        b->raise();
        return b;
    };
    loadButton_ = commandButton("butload", tr("Load      "), pictures::icon(pictures::loadIcon, 28), Qt::Key_L, tr("Load"),
                                tr("Loads a patch group file"));
    processButton_ = commandButton("butprocess", tr("Process "), pictures::icon(pictures::processIcon, 28), Qt::Key_P,
                                   tr("Process"), tr("Rewrites the ticked settings in every patch and asks where to save"));
    closeButton_ = commandButton("butcancel", tr("Close     "), pictures::icon(pictures::closeIcon, 28), Qt::Key_C,
                                 tr("Close"), tr("Closes the window"));
    connect(loadButton_, &QToolButton::clicked, this, &TPresetforger_Form::butloadClick);
    connect(processButton_, &QToolButton::clicked, this, &TPresetforger_Form::butprocessClick);
    connect(closeButton_, &QToolButton::clicked, this, [this] { QDialog::reject(); });
    addLoadManyButton();

    processSummary_ = new QLabel(this);
    processSummary_->setObjectName(QStringLiteral("processsummary"));
    processSummary_->setWordWrap(true);
    processSummary_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont small = processSummary_->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    processSummary_->setFont(small);
    QPalette grey = processSummary_->palette();
    grey.setColor(QPalette::WindowText, kSteelGrey);
    processSummary_->setPalette(grey);
    processSummary_->hide();  // placed with the buttons over the pages
    changesButton_ = smallButton("butchanges", tr("Changes..."), this);
    changesButton_->setToolTip(tr("The changes of the Process that made the document, to read again"));
    changesButton_->hide();  // shown above the summary
    connect(changesButton_, &QToolButton::clicked, this, &TPresetforger_Form::changesClick);
    // In the tab row, left of the date: the loaded file's patches in a view of their own.
    patchesButton_ = smallButton("butpatches", tr("Patches..."), this);
    patchesButton_->setToolTip(tr("The patches of the loaded file in a table: filter, sort, compare two of them"));
    connect(patchesButton_, &QToolButton::clicked, this, &TPresetforger_Form::patchesClick);
}

// The pages' bottom row, small and flat like the pages' own buttons: Undo and Redo at the left; the recent files and the recipes at the right, left of "Legal".
void TPresetforger_Form::addBottomRow() {
    // Undo and Redo are actions of the window, so that their keys work wherever the focus is;
    // the buttons show them and follow their enabled state.
    auto historyAction = [this](const QString& caption, const QString& tip, QList<QKeySequence> keys,
                                void (TPresetforger_Form::*slot)()) {
        auto* a = new QAction(caption, this);
        a->setToolTip(tip);
        a->setShortcuts(uniqueKeys(keys));
        a->setEnabled(false);
        connect(a, &QAction::triggered, this, slot);
        addAction(a);
        return a;
    };
    undoAction_ = historyAction(tr("\u21B6 Undo"), tr("Take the last Process back (Ctrl+Z)"),
                                QKeySequence::keyBindings(QKeySequence::Undo) << QKeySequence(Qt::CTRL | Qt::Key_Z),
                                &TPresetforger_Form::undoClick);
    redoAction_ = historyAction(tr("Redo \u21B7"), tr("Do the Process taken back again (Ctrl+Shift+Z)"),
                                QKeySequence::keyBindings(QKeySequence::Redo) << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)
                                                                              << QKeySequence(Qt::CTRL | Qt::Key_Y),
                                &TPresetforger_Form::redoClick);
    undoButton_ = smallButton("butundo", undoAction_->text(), this);
    undoButton_->setDefaultAction(undoAction_);
    redoButton_ = smallButton("butredo", redoAction_->text(), this);
    redoButton_->setDefaultAction(redoAction_);

    // The recently loaded files, in a menu of their own: a plain click on Load asks as always.
    recentButton_ = smallButton("butrecent", tr("Recent files \u25BE"), this);
    recentMenu_ = new QMenu(recentButton_);
    recentMenu_->setObjectName(QStringLiteral("recentmenu"));
    recentButton_->setAccessibleName(tr("Recent files"));
    recentButton_->setMenu(recentMenu_);
    recentButton_->setPopupMode(QToolButton::InstantPopup);
    recentButton_->setStyleSheet(recentButton_->styleSheet() + QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &TPresetforger_Form::fillRecentMenu);
    fillRecentMenu();

    applyRecipeButton_ = smallButton("butapplyrecipe", tr("Apply recipe..."), this);
    saveRecipeButton_ = smallButton("butsaverecipe", tr("Save recipe..."), this);
    connect(saveRecipeButton_, &QToolButton::clicked, this, &TPresetforger_Form::saveRecipeClick);
    connect(applyRecipeButton_, &QToolButton::clicked, this, &TPresetforger_Form::applyRecipeClick);
}

// Beside the tabs, above Load, a small button whose menu loads many files at once into a batch,
// and takes the last batch written back.
void TPresetforger_Form::addLoadManyButton() {
    loadManyButton_ = smallButton("butloadmany", tr("Many \u25BE"), this);
    loadManyButton_->setEnabled(true);
    loadManyButton_->setAccessibleName(tr("Load many"));
    loadManyButton_->setAccessibleDescription(tr("Applies the settings shown to many patch groups at once"));
    loadManyButton_->setToolTip(tr("Apply the settings shown to many patch groups at once"));
    auto* menu = new QMenu(loadManyButton_);
    menu->setObjectName(QStringLiteral("loadmanymenu"));
    connect(menu->addAction(tr("Patch groups...")), &QAction::triggered, this, &TPresetforger_Form::loadManyFilesClick);
    connect(menu->addAction(tr("Folder...")), &QAction::triggered, this, [this] { loadFolderClick(false); });
    connect(menu->addAction(tr("Folder with subfolders...")), &QAction::triggered, this, [this] { loadFolderClick(true); });
    menu->addSeparator();
    undoBatchAction_ = menu->addAction(tr("Undo batch"));
    undoBatchAction_->setObjectName(QStringLiteral("actundobatch"));
    undoBatchAction_->setEnabled(false);
    connect(undoBatchAction_, &QAction::triggered, this, &TPresetforger_Form::undoBatchClick);
    loadManyButton_->setMenu(menu);
    loadManyButton_->setPopupMode(QToolButton::InstantPopup);
    loadManyButton_->setStyleSheet(loadManyButton_->styleSheet() + QStringLiteral("QToolButton::menu-indicator { image: none; }"));
}

// Alt and a tab's first letter show its page, as a click on the tab does (of two tabs with one
// letter, the one shown).
void TPresetforger_Form::addTabShortcuts() {
    QList<QChar> letters;
    for (const PageDef& def : pageDefs())
        if (const QChar c = QChar::fromLatin1(def.caption[0]).toUpper(); !letters.contains(c)) letters << c;
    for (const QChar key : letters) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(key.unicode())), this);
        connect(shortcut, &QShortcut::activated, this, [this, key] {
            for (int i = 0; i < tabs_->count(); ++i)
                if (tabs_->isTabVisible(i) && tabs_->tabText(i).startsWith(key, Qt::CaseInsensitive)) {
                    tabs_->setCurrentIndex(i);
                    return;
                }
        });
    }
}

std::vector<TabPage*> TPresetforger_Form::pages() const {
    std::vector<TabPage*> all{home_};
    all.insert(all.end(), settingsPages_.begin(), settingsPages_.end());
    return all;
}

ChoiceControls::TypeLists TPresetforger_Form::typeLists() const {
    ChoiceControls::TypeLists lists{};
    for (const SettingsPage* page : settingsPages_)
        if (page->def().typeList) lists[static_cast<size_t>(*page->def().typeList)] = page->typeList();
    return lists;
}

// ---- Tabs, prompt, pictures, closing ------------------------------------------------------

// The tab reset: the start form shows the Home page alone; the load form shows the pages of the
// loaded model and activates its amp page. Tabs the program hides or picks are no user's
// choice: no page turns bold on the way.
void TPresetforger_Form::Resettabs(bool loadForm) {
    resettingTabs_ = true;
    for (int i = 1; i < tabs_->count(); ++i) tabs_->setTabVisible(i, false);
    int active = 0;
    if (loadForm) {
        const DeviceModel& model = session_.group().model();
        for (int i = 1; i < tabs_->count(); ++i) {
            const ShownWith shownWith = static_cast<const TabPage*>(tabs_->widget(i))->def().shownWith;
            if (shownWith == model.ampPage) active = i;
            tabs_->setTabVisible(i, model.shows(shownWith).value_or(true));
        }
    }
    tabs_->setCurrentIndex(active);
    resettingTabs_ = false;
}

void TPresetforger_Form::pageActivated(int index) {
    placeOverlays();
    if (resettingTabs_) return;
    if (QWidget* page = tabs_->widget(index)) setBoldPage(page);
}

void TPresetforger_Form::setBoldPage(QWidget* page) {
    QFont f = page->font();
    f.setBold(true);
    page->setFont(f);
}

void TPresetforger_Form::Label1Click() {
    if (loaded_) butprocessClick();  // Process never changes the prompt: one click, one command
    else butloadClick();
}

void TPresetforger_Form::SpeedButton1Click() { desktop_.infoBox(this, kAppTitle, tr(kLegalNotice)); }

void TPresetforger_Form::RxGIFAnimator5Click() { desktop_.openUrl(webPageUrl()); }

void TPresetforger_Form::Timer1Timer() { home_->devicePicture()->step(); }

void TPresetforger_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    pictureTimer_->start();
}

void TPresetforger_Form::reject() { closeButton_->click(); }

void TPresetforger_Form::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

}  // namespace pf::app
