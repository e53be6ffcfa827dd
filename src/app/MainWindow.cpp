#include "app/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTabBar>
#include <QVBoxLayout>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <sys/stat.h>
#include <utility>

#include "app/Desktop.h"
#include "app/Pages.h"
#include "app/Pictures.h"
#include "app/PreviewDialog.h"
#include "app/SpinEdit.h"
#include "app/Widgets.h"
#include "catalogue/Catalogue.h"
#include "recipe/Apply.h"
#include "recipe/Recipe.h"
#include "io/FileIO.h"

namespace pf::app {

namespace {

// The three command buttons stand at the right over every page, below its top.
constexpr int kButtonTop = 8;
constexpr int kButtonGap = 4;

constexpr const char* kLegalNotice = QT_TRANSLATE_NOOP(
    "pf::app::TPresetforger_Form",
    "The Presetforger 2000 comes without any warranty: you use it at your own risk.\n\n"
    "Keep a backup of every patch group before you process it, and keep the original until you "
    "have tried the new file on your device.\n\n"
    "The device names shown in this program belong to their owners; they are used only to say "
    "which files the program works on.");

QByteArray bytesOf(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

// Selects the item of a drop-down list that a choice's text names: by the catalogue's bytes, or
// by a fixed list's text.
void selectEntry(const SettingRow& row, const std::string& text) {
    row.list->setCurrentIndex(row.def->kind == ValueKind::CatalogueList ? row.list->findData(bytesOf(text))
                                                                        : row.list->findText(qs(text)));
}

// The small flat buttons of the bottom row: greyed while disabled, as they are until a load.
QToolButton* bottomRowButton(const char* name, const QString& caption, QWidget* parent) {
    QToolButton* b = flatButton(caption, name, parent);
    b->setStyleSheet(b->styleSheet() + QStringLiteral("QToolButton:disabled { color: #9aa3b3; }"));
    b->setEnabled(false);
    b->raise();
    return b;
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString saveFilterOf(const DeviceModel& model) { return QStringLiteral("%1 (*%2)").arg(qs(model.saveFilter), qs(model.extension)); }

// The local files a drag carries; none when it carries anything else (a web address, no
// address at all).
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    for (const QUrl& url : data && data->hasUrls() ? data->urls() : QList<QUrl>()) {
        if (!url.isLocalFile()) return {};
        files << url.toLocalFile();
    }
    return files;
}

// A drag of local files is taken as a copy, never as a move, so that the program the files
// come from keeps them; true when taken.
bool acceptAsCopy(QDropEvent* event) {
    if (droppedFiles(event->mimeData()).isEmpty() || !(event->possibleActions() & Qt::CopyAction)) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

// The files Load offers, by name: every model's own, and the G3's, which load without a model
// of their own. Letter case does not matter: a file named LOUD.G5A is a patch group too.
const QStringList& patchGroupExtensions() {
    static const QStringList extensions = [] {
        QStringList list;
        for (const DeviceModel& m : deviceModels()) list << qs(m.extension);
        return list << QStringLiteral(".g3a");
    }();
    return extensions;
}

bool isPatchGroupName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return std::any_of(patchGroupExtensions().begin(), patchGroupExtensions().end(),
                       [&](const QString& extension) { return name.endsWith(extension, Qt::CaseInsensitive); });
}

bool isRecipeName(const QString& path) { return QFileInfo(path).fileName().endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive); }

const UiText kRecipeFilter{QT_TRANSLATE_NOOP("pf::app::TPresetforger_Form", "Recipes (*.recipe.ini *.ini)")};

QString userSettingsPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir::cleanPath(QDir(folder).absoluteFilePath(QStringLiteral("presetforger/presetforger.ini")));
}

// Whether the settings file may be read: it is a regular file, or there is none yet. Anything
// else there (a named pipe would hold the window up before it ever shows) is moved aside to
// NAME.not-a-file, once, and the user is told; what cannot be moved aside means no settings
// for this run.
bool settingsFileReadable(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || S_ISREG(st.st_mode)) return true;
    if (S_ISLNK(st.st_mode) && (::stat(name.constData(), &st) != 0 || S_ISREG(st.st_mode))) return true;
    const QByteArray aside = name + ".not-a-file";
    if (::rename(name.constData(), aside.constData()) == 0) {
        std::fprintf(stderr, "presetforger: settings file %s is not a regular file; moved aside to %s\n", name.constData(),
                     aside.constData());
        return true;
    }
    const int error = errno;
    static QByteArray toldOf;  // said once per run, not at every use of the settings
    if (toldOf != name) {
        toldOf = name;
        std::fprintf(stderr, "presetforger: settings file %s is not a regular file and cannot be moved aside: %s; "
                             "no settings are read or kept in this run\n", name.constData(), std::strerror(error));
    }
    return false;
}

QString missingFolderMessage(const QString& path) {
    return TPresetforger_Form::tr("Cannot create file %1: its folder does not exist").arg(path);
}

}  // namespace

// Marks a command as running for its whole length; a file handed over meanwhile is opened
// once the last running command has ended.
class CommandScope {
public:
    explicit CommandScope(TPresetforger_Form& window) : window_(window) { ++window_.commandsRunning_; }
    ~CommandScope() {
        if (--window_.commandsRunning_ > 0 || window_.pendingOpen_.isEmpty()) return;
        QTimer::singleShot(0, &window_, [window = &window_] {
            const QString path = std::exchange(window->pendingOpen_, QString());
            if (!path.isEmpty()) window->openFile(path);
        });
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    TPresetforger_Form& window_;
};

QStringList saveFilters() {
    QStringList filters;
    for (const DeviceModel& m : deviceModels()) filters << saveFilterOf(m);
    return filters;
}

QString captionFor(const QString& path) {
    return TPresetforger_Form::tr("Presetforging:  \"%1\"").arg(QFileInfo(path).fileName());
}

std::unique_ptr<QSettings> userSettings() {
    const QString path = userSettingsPath();
    if (!settingsFileReadable(path)) return nullptr;
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QStringList recentFiles() {
    const std::unique_ptr<QSettings> settings = userSettings();
    return settings ? settings->value(QStringLiteral("load/recent")).toStringList().mid(0, kRecentFiles) : QStringList();
}

QString TPresetforger_Form::rememberedFolder(const char* key, const QString& otherwise) const {
    const std::unique_ptr<QSettings> settings = userSettings();
    const QString folder = settings ? settings->value(QLatin1String(key)).toString() : QString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : otherwise;
}

void TPresetforger_Form::rememberFolder(const char* key, const QString& file) const {
    if (const std::unique_ptr<QSettings> settings = userSettings())
        settings->setValue(QLatin1String(key), QFileInfo(file).absolutePath());
}

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

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->tabBar()->setAttribute(Qt::WA_Hover);  // tabs highlight under the mouse
    layout->addWidget(pages_, 1);
    for (const PageDef& def : pageDefs()) {
        TabPage* page = nullptr;
        if (!home_) {
            page = home_ = new HomePage(def);
            connect(home_, &HomePage::pictureClicked, this, &TPresetforger_Form::RxGIFAnimator5Click);
        } else {
            settingsPages_.push_back(new SettingsPage(def, rows_));
            page = settingsPages_.back();
        }
        connect(page, &TabPage::legalClicked, this, &TPresetforger_Form::SpeedButton1Click);
        page->installEventFilter(this);  // the buttons over the pages follow the page shown
        pages_->addTab(page, QCoreApplication::translate("Pages", def.caption));
    }
    connect(pages_, &QTabWidget::currentChanged, this, &TPresetforger_Form::pageActivated);

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

    // Alt and the first letter of a caption press the button; the captions stay as they are.
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

    // The recipe buttons and the recent files stand in the pages' bottom row, left of "Legal",
    // flat like the pages' small buttons.
    auto recipeButton = [this](const char* name, const QString& caption) { return bottomRowButton(name, caption, this); };
    saveRecipeButton_ = recipeButton("butsaverecipe", tr("Save recipe..."));
    applyRecipeButton_ = recipeButton("butapplyrecipe", tr("Apply recipe..."));
    connect(saveRecipeButton_, &QToolButton::clicked, this, &TPresetforger_Form::saveRecipeClick);
    connect(applyRecipeButton_, &QToolButton::clicked, this, &TPresetforger_Form::applyRecipeClick);
    // The recently loaded files, in a menu of their own: a plain click on Load asks as always.
    recentButton_ = recipeButton("butrecent", tr("Recent files \u25BE"));
    recentMenu_ = new QMenu(recentButton_);
    recentMenu_->setObjectName(QStringLiteral("recentmenu"));
    recentButton_->setAccessibleName(tr("Recent files"));
    recentButton_->setMenu(recentMenu_);
    recentButton_->setPopupMode(QToolButton::InstantPopup);
    recentButton_->setStyleSheet(recentButton_->styleSheet() + QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &TPresetforger_Form::fillRecentMenu);
    fillRecentMenu();

    // Alt and a tab's first letter show its page, as a click on the tab does (of two tabs with
    // one letter, the one shown).
    QList<QChar> letters;
    for (const PageDef& def : pageDefs())
        if (const QChar c = QChar::fromLatin1(def.caption[0]).toUpper(); !letters.contains(c)) letters << c;
    for (const QChar key : letters) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(key.unicode())), this);
        connect(shortcut, &QShortcut::activated, this, [this, key] {
            for (int i = 0; i < pages_->count(); ++i)
                if (pages_->isTabVisible(i) && pages_->tabText(i).startsWith(key, Qt::CaseInsensitive)) {
                    pages_->setCurrentIndex(i);
                    return;
                }
        });
    }

    pictureTimer_ = new QTimer(this);
    pictureTimer_->setObjectName(QStringLiteral("Timer1"));
    pictureTimer_->setInterval(kPictureStepMs);
    connect(pictureTimer_, &QTimer::timeout, this, &TPresetforger_Form::Timer1Timer);

    addHistoryControls();
    Resettabs(false);
    processButton_->setEnabled(false);
    // Spin edits are 21 pixels high (SpinEdit), and so is the Mode list.
    rows_[static_cast<size_t>(SettingId::DriveMode)].list->setFixedHeight(kControlHeight);
    fitToContents();
    loadButton_->setFocus();  // the first thing to do is to load a file
}

// The buttons over the pages: their size, the room the pages keep for them, and the window's
// size from what every page needs in its bold font; never smaller than the window at the
// default font.
void TPresetforger_Form::fitToContents() {
    QSize button(88, 50);
    for (QToolButton* b : {loadButton_, processButton_, closeButton_}) button = button.expandedTo(b->sizeHint());
    for (QToolButton* b : {loadButton_, processButton_, closeButton_}) b->setFixedSize(button);
    int row = 20, rowWidth = 0;
    for (QToolButton* b : {undoButton_, redoButton_, recentButton_, applyRecipeButton_, saveRecipeButton_}) {
        b->setFixedSize(b->sizeHint().width() + 4, std::max(20, b->sizeHint().height()));
        row = std::max(row, b->height());
        rowWidth += b->width() + 2;
    }
    for (TabPage* page : pages()) row = std::max({row, 20, page->legalButton()->sizeHint().height()});
    for (TabPage* page : pages()) {
        page->keepRoom(QSize(button.width(), kButtonTop + 3 * button.height() + 2 * kButtonGap), row + 8);
        page->fitTexts();
    }
    int legal = 0;
    for (TabPage* page : pages()) legal = std::max(legal, page->legalButton()->width());
    rowWidth += legal + 14;
    dateLink_->setFixedSize(dateLink_->sizeHint().width() + 4, std::max(20, dateLink_->sizeHint().height()));

    // Hidden pages keep their layouts' old sizes until shown: they are told of the new widths here.
    for (TabPage* page : pages())
        for (QLayout* l : page->findChildren<QLayout*>()) l->invalidate();
    layout()->invalidate();
    QSize needed = layout()->sizeHint();
    needed.setWidth(std::max({needed.width(), rowWidth + 8,
                              pages_->tabBar()->sizeHint().width() + dateLink_->width() + 16}));
    setFixedSize(needed.expandedTo(QSize(kClientWidth, kClientHeight)));
    // Every page laid out at once, the ones not shown as well, so that each control has its
    // place and size whichever page is shown.
    layout()->activate();
    const QSize pageSize = pages_->currentWidget()->size();
    for (TabPage* page : pages()) {
        page->resize(pageSize);
        page->layout()->activate();
        for (QWidget* w : page->findChildren<QWidget*>())
            if (w->layout()) w->layout()->activate();
    }
    placeOverlays();
}

std::vector<TabPage*> TPresetforger_Form::pages() const {
    std::vector<TabPage*> all{home_};
    all.insert(all.end(), settingsPages_.begin(), settingsPages_.end());
    return all;
}

void TPresetforger_Form::placeOverlays() {
    const auto* page = static_cast<const TabPage*>(pages_->currentWidget());
    if (!page) return;
    const QRect area(page->mapTo(this, QPoint(0, 0)), page->size());
    const int x = area.right() - 3 - loadButton_->width();
    int y = area.top() + kButtonTop;
    for (QToolButton* b : {loadButton_, processButton_, closeButton_}) {
        b->move(x, y);
        y += b->height() + kButtonGap;
    }
    // Where the page puts its "Legal" button once it has its size (this may run first).
    const QSize legalSize = page->legalButton()->size();
    const QRect legal(area.topLeft() + QPoint(area.width() - legalSize.width() - 6, area.height() - legalSize.height() - 4),
                      legalSize);
    int right = legal.left() - 2;
    for (QToolButton* b : {recentButton_, applyRecipeButton_, saveRecipeButton_}) {
        right -= b->width();
        b->move(right, legal.bottom() + 1 - b->height());
        right -= 2;
    }
    if (processSummary_) {  // the history's controls come later in the window's making
        int left = area.left() + 6;
        for (QToolButton* b : {undoButton_, redoButton_}) {
            b->move(left, legal.bottom() + 1 - b->height());
            left += b->width() + 2;
        }
        placeProcessSummary(*page, QRect(x, y + 4, loadButton_->width(), legal.top() - y - 8));
    }
    const QTabBar* bar = pages_->tabBar();
    dateLink_->move(width() - dateLink_->width() - 6,
                    pages_->y() + bar->y() + std::max(0, (bar->height() - dateLink_->height()) / 2));
    for (QWidget* w : std::initializer_list<QWidget*>{dateLink_, loadButton_, processButton_, closeButton_, recentButton_,
                                                      applyRecipeButton_, saveRecipeButton_, undoButton_, redoButton_,
                                                      processSummary_})
        if (w) w->raise();
}

// The summary of the Process that made the document stands under the command buttons, in the
// room the page leaves free there (its rows may reach under the buttons): whole, or only
// whether it is saved, or not at all; the whole text is its tool tip.
void TPresetforger_Form::placeProcessSummary(const TabPage& page, QRect room) {
    for (const QWidget* w : page.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&page) || w->layout()) continue;  // containers: their children count
        const QRect r(w->mapTo(this, QPoint(0, 0)), w->size());
        if (r.intersects(room)) room.setBottom(std::min(room.bottom(), r.top() - 4));
    }
    const QStringList parts = summaryParts();
    processSummary_->setToolTip(parts.join(QLatin1Char('\n')));
    const QFontMetrics metrics(processSummary_->font());
    auto heightOf = [&](const QString& text) {
        return metrics.boundingRect(QRect(0, 0, room.width(), 10000), Qt::TextWordWrap | Qt::AlignHCenter, text).height();
    };
    QString shown;
    for (const QString& candidate : {parts.join(QLatin1Char('\n')), parts.isEmpty() ? QString() : parts.back()})
        if (!candidate.isEmpty() && heightOf(candidate) <= room.height()) {
            shown = candidate;
            break;
        }
    processSummary_->setText(shown);
    processSummary_->setGeometry(room.left(), room.top(), room.width(), std::max(0, room.height()));
    processSummary_->setVisible(!shown.isEmpty());
}

bool TPresetforger_Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pages_->currentWidget() && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        placeOverlays();
    return QDialog::eventFilter(watched, event);
}

void TPresetforger_Form::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    placeOverlays();
}

TPresetforger_Form::~TPresetforger_Form() = default;

QListWidget* TPresetforger_Form::typeList(TypeList list) const {
    for (const SettingsPage* page : settingsPages_)
        if (page->def().typeList == list) return page->typeList();
    return nullptr;
}

// ---- Tabs, prompt, pictures, closing ------------------------------------------------------

// The tab reset: the start form shows the Home page alone; the load form shows the pages of the
// loaded model and activates its amp page. Tabs the program hides or picks are no user's
// choice: no page turns bold on the way.
void TPresetforger_Form::Resettabs(bool loadForm) {
    resettingTabs_ = true;
    for (int i = 1; i < pages_->count(); ++i) pages_->setTabVisible(i, false);
    int active = 0;
    if (loadForm) {
        const DeviceModel& model = group_.model();
        for (int i = 1; i < pages_->count(); ++i) {
            const ShownWith shownWith = static_cast<const TabPage*>(pages_->widget(i))->def().shownWith;
            if (shownWith == model.ampPage) active = i;
            pages_->setTabVisible(i, model.shows(shownWith).value_or(true));
        }
    }
    pages_->setCurrentIndex(active);
    resettingTabs_ = false;
}

void TPresetforger_Form::pageActivated(int index) {
    placeOverlays();
    if (resettingTabs_) return;
    if (QWidget* page = pages_->widget(index)) setBoldPage(page);
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

void TPresetforger_Form::openFile(const QString& path) {
    bringToFront();
    if (commandsRunning_ > 0) {
        pendingOpen_ = path;
        return;
    }
    loadFile(path);
}

void TPresetforger_Form::dragEnterEvent(QDragEnterEvent* event) { acceptAsCopy(event); }

void TPresetforger_Form::dragMoveEvent(QDragMoveEvent* event) { acceptAsCopy(event); }

void TPresetforger_Form::dropEvent(QDropEvent* event) {
    if (!acceptAsCopy(event)) return;
    const QStringList files = droppedFiles(event->mimeData());
    const QString path = files.front();
    // What cannot be taken is refused; the message, like the load or the recipe, waits until
    // the drop has ended, so that the program the files came from is not kept waiting by it.
    QString refusal;
    if (files.size() > 1)
        refusal = tr("Cannot open %1 files at once: drop one patch group to load or one recipe to apply").arg(files.size());
    else if (isRecipeName(path) && !loaded_)
        refusal = tr("Cannot apply recipe %1: load a patch group first").arg(path);
    else if (!isRecipeName(path) && !isPatchGroupName(path))
        refusal = tr("Cannot open %1: only a patch group (%2) or a recipe (.ini) can be dropped here")
                      .arg(path, patchGroupExtensions().join(QStringLiteral(", ")));
    if (!refusal.isEmpty()) {
        event->ignore();
        QTimer::singleShot(0, this, [this, refusal] { desktop_.errorBox(this, kAppTitle, refusal); });
    } else if (isRecipeName(path)) {
        QTimer::singleShot(0, this, [this, path] { applyRecipe(path); });
    } else {
        QTimer::singleShot(0, this, [this, path] { openFile(path); });
    }
}

// ---- Load -----------------------------------------------------------------------------------

void TPresetforger_Form::butloadClick() {
    CommandScope command(*this);
    FileDialogRequest request;
    request.title = kOpenTitle;
    request.nameFilters = {kOpenFilter};
    request.selectedFilter = kOpenFilter;
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
    if (!group_.load(fsPath(path), Catalogue::open(Catalogue::defaultPath()), &error)) {
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(error));
        return false;
    }
    loaded_ = true;
    loadedPath_ = path;
    rememberFolder("load/folder", path);
    QStringList recent = recentFiles();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    if (const std::unique_ptr<QSettings> settings = userSettings())
        settings->setValue(QStringLiteral("load/recent"), recent.mid(0, kRecentFiles));
    fillRecentMenu();
    history_.clear();  // the file as it is on disk: nothing to undo
    state_ = StateNote{captionFor(path), QString(), true};
    showState();
    statusPrompt_->setText(kProcessPrompt);
    processButton_->setEnabled(true);
    saveRecipeButton_->setEnabled(true);
    applyRecipeButton_->setEnabled(true);
    Resettabs(true);
    showAfterLoad(group_.afterLoad());

    // Controls that belong to some models only; an unknown model leaves them as they are.
    const DeviceModel& model = group_.model();
    for (const SettingRow& row : rows_) {
        if (const std::optional<bool> shown = model.shows(row.def->shownWith)) {
            for (QWidget* w : {static_cast<QWidget*>(row.box), row.valueControl(), static_cast<QWidget*>(row.hintBar),
                               static_cast<QWidget*>(row.hint)})
                if (w) w->setVisible(*shown);
        }
    }
    for (const SettingsPage* page : settingsPages_)
        if (page->b3ControlsPanel())
            if (const std::optional<bool> shown = model.shows(ShownWith::B3Controls))
                page->b3ControlsPanel()->setVisible(*shown);

    setBoldPage(pages_->currentWidget());
    fitToContents();  // the lists now hold the catalogue's items
    // The first thing to do after a load is to tick a setting on the page shown.
    if (const QList<QCheckBox*> boxes = pages_->currentWidget()->findChildren<QCheckBox*>(); !boxes.isEmpty())
        boxes.front()->setFocus();
    return true;
}

// The choices of a fresh window after the load, shown in the controls; spin edits keep their
// values from one load to the next.
void TPresetforger_Form::showAfterLoad(const pf::Choices& fresh) {
    // Unticking a box disables its value control.
    for (const SettingDef& def : settings()) rows_[static_cast<size_t>(def.id)].box->setChecked(fresh[def.id].ticked);

    for (size_t i = 0; i < kTypeListCount; ++i) {
        QListWidget* list = typeList(static_cast<TypeList>(i));
        list->clear();
        for (const TypeEntry& entry : fresh.typeLists[i]) {
            auto* item = new QListWidgetItem(displayText(entry.text), list);
            item->setData(Qt::UserRole, bytesOf(entry.text));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(entry.ticked ? Qt::Checked : Qt::Unchecked);
        }
    }
    for (const SettingRow& row : rows_) {
        if (!row.list) continue;
        if (row.def->kind == ValueKind::CatalogueList) {
            row.list->clear();
            for (const ListItem& item : group_.items(row.def->id)) row.list->addItem(displayText(item.text), bytesOf(item.text));
        }
        selectEntry(row, fresh[row.def->id].text);
    }
}

// ---- Process and save -----------------------------------------------------------------------

pf::Choices TPresetforger_Form::choices() {
    pf::Choices c;
    c.model = std::string(modelCode());
    for (const SettingRow& row : rows_) {
        SettingChoice& choice = c[row.def->id];
        choice.ticked = row.box->isChecked();
        if (row.spin) {
            row.spin->interpretText();  // a text still being typed is brought into range first
            choice.number = row.spin->value();
        } else if (row.list->currentIndex() >= 0) {
            const QVariant data = row.list->currentData();
            choice.text = data.isValid() ? data.toByteArray().toStdString() : row.list->currentText().toStdString();
        }
    }
    for (size_t i = 0; i < kTypeListCount; ++i) {
        const QListWidget* list = typeList(static_cast<TypeList>(i));
        for (int j = 0; j < list->count(); ++j) {
            const QListWidgetItem* item = list->item(j);
            c.typeLists[i].push_back(
                {item->data(Qt::UserRole).toByteArray().toStdString(), item->checkState() == Qt::Checked});
        }
    }
    return c;
}

void TPresetforger_Form::butprocessClick() {
    CommandScope command(*this);
    const pf::Choices snapshot = choices();
    // The document before this Process: put back when the preview is cancelled, kept for undo
    // when it is not.
    pf::Document before = group_.document();
    {
        ProcessReport report;
        pf::EditRecord record;
        try {
            // The catalogue as it reads now: a changed file takes effect at the next command.
            report = group_.process(snapshot, Catalogue::open(Catalogue::defaultPath()), &record);
        } catch (const std::exception& e) {
            // The engine leaves the document as it was when it fails.
            desktop_.errorBox(this, kAppTitle, QString::fromStdString(e.what()));
            return;
        }
        if (report.nothingToSave()) {
            desktop_.infoBox(this, kAppTitle, qs(kNoChangesToSave));
            return;
        }
        const pf::ChangeList changes(record);
        const pf::ProcessOutcome outcome = pf::outcomeOf(report, changes);
        const QString summary = summaryOf(outcome);
        const std::optional<std::vector<bool>> kept =
            desktop_.reviewChanges(this, ChangeReview{report, changes, summary, warningsOf(outcome), &group_.document()});
        if (!kept) {
            group_.exchangeDocument(before);  // as before this Process, which leaves no trace
            return;
        }
        group_.restore(changes, *kept);
        StateNote processed{state_.caption, summary, false};
        history_.changed(std::move(before), std::exchange(state_, std::move(processed)));
        showState();
    }

    if (group_.model().known()) {
        saveFilter_ = saveFilterOf(group_.model());
        saveSuffix_ = qs(group_.model().extension.substr(1));
    }
    FileDialogRequest request;
    request.save = true;
    request.nameFilters = saveFilters();
    request.selectedFilter = saveFilter_;
    request.defaultSuffix = saveSuffix_;
    // The folder of the last save, in this run or an earlier one, else the loaded file's.
    request.directory = rememberedFolder("save/folder", QFileInfo(loadedPath_).absolutePath());
    QString path;
    for (;;) {
        QString usedFilter;
        path = desktop_.chooseFile(this, request, &usedFilter);
        if (!usedFilter.isEmpty()) saveFilter_ = usedFilter;
        if (path.isEmpty()) return;  // cancelled: the edited document stays, the caption too
        // The chosen folder must exist: say so and ask again, with the typed name offered.
        const QFileInfo chosen(path);
        if (QFileInfo(chosen.absolutePath()).isDir()) break;
        desktop_.errorBox(this, kAppTitle, missingFolderMessage(path));
        request.selectedFilter = saveFilter_;
        request.selectedFile = chosen.fileName();
    }

    std::string error;
    if (!group_.save(fsPath(path), &error)) {
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(error));
        return;
    }
    rememberFolder("save/folder", path);
    state_.caption = captionFor(path);
    state_.saved = true;
    showState();
}

// ---- Undo and redo ----------------------------------------------------------------------------

// Undo and Redo, small flat buttons at the left of the bottom row, their keys, and the summary
// of the Process that made the document, under the command buttons.
void TPresetforger_Form::addHistoryControls() {
    auto historyButton = [this](const char* name, const QString& caption, const QString& tip) {
        QToolButton* b = bottomRowButton(name, caption, this);
        b->setToolTip(tip);
        return b;
    };
    undoButton_ = historyButton("butundo", tr("\u21B6 Undo"), tr("Take the last Process back (Ctrl+Z)"));
    redoButton_ = historyButton("butredo", tr("Redo \u21B7"), tr("Do the Process taken back again (Ctrl+Shift+Z)"));
    connect(undoButton_, &QToolButton::clicked, this, &TPresetforger_Form::undoClick);
    connect(redoButton_, &QToolButton::clicked, this, &TPresetforger_Form::redoClick);
    // Each key once: a key bound twice would be ambiguous and do nothing.
    auto shortcut = [this](QList<QKeySequence> keys, void (TPresetforger_Form::*slot)()) {
        QList<QKeySequence> unique;
        for (const QKeySequence& k : keys)
            if (!k.isEmpty() && !unique.contains(k)) unique << k;
        auto* s = new QShortcut(this);
        s->setKeys(unique);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::keyBindings(QKeySequence::Undo) << QKeySequence(Qt::CTRL | Qt::Key_Z), &TPresetforger_Form::undoClick);
    shortcut(QKeySequence::keyBindings(QKeySequence::Redo) << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)
                                                           << QKeySequence(Qt::CTRL | Qt::Key_Y),
             &TPresetforger_Form::redoClick);

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
}

// The current state in the window: its caption, its summary and whether it is saved, and
// which of Undo and Redo can be used.
void TPresetforger_Form::showState() {
    setWindowTitle(state_.caption.isEmpty() ? kAppTitle : state_.caption);
    undoButton_->setEnabled(history_.canUndo());
    redoButton_->setEnabled(history_.canRedo());
    placeOverlays();
}

QStringList TPresetforger_Form::summaryParts() const {
    if (state_.summary.isEmpty()) return {};
    return {state_.summary + QLatin1Char('.'), state_.saved ? tr("Saved.") : tr("Not saved.")};
}

void TPresetforger_Form::undoClick() { stepHistory(true); }

void TPresetforger_Form::redoClick() { stepHistory(false); }

// One step back or forth: the document shown is exchanged with the one the history holds.
void TPresetforger_Form::stepHistory(bool back) {
    if (commandsRunning_ > 0) return;
    pf::Document current;
    group_.exchangeDocument(current);
    const bool stepped = back ? history_.undo(current, state_) : history_.redo(current, state_);
    group_.exchangeDocument(current);
    if (stepped) showState();
}

void TPresetforger_Form::fillRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = recentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* a = recentMenu_->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(QDir::toNativeSeparators(path).replace(u'&', QStringLiteral("&&"))));
        connect(a, &QAction::triggered, this, [this, path] { openFile(path); });
    }
    recentButton_->setEnabled(!recent.isEmpty());
}

// ---- Recipes --------------------------------------------------------------------------------

// The choices in the controls: every box, the values of the ticked settings, and every
// type-list tick (the lists hold the entries the load put there, in the same order).
void TPresetforger_Form::showChoices(const pf::Choices& chosen) {
    for (const SettingRow& row : rows_) {
        const SettingChoice& choice = chosen[row.def->id];
        row.box->setChecked(choice.ticked);
        if (!choice.ticked) continue;
        if (row.spin) row.spin->setValue(choice.number);
        else selectEntry(row, choice.text);
    }
    for (size_t i = 0; i < kTypeListCount; ++i) {
        QListWidget* list = typeList(static_cast<TypeList>(i));
        const std::vector<TypeEntry>& entries = chosen.typeLists[i];
        for (int j = 0; j < list->count() && j < static_cast<int>(entries.size()); ++j)
            list->item(j)->setCheckState(entries[static_cast<size_t>(j)].ticked ? Qt::Checked : Qt::Unchecked);
    }
}

void TPresetforger_Form::saveRecipeClick() {
    if (!loaded_) return;
    CommandScope command(*this);
    std::string error;
    const std::string text = pf::recipeFor(choices(), group_, &error);
    if (!error.empty()) {
        desktop_.errorBox(this, kAppTitle, tr("Cannot save a recipe: %1").arg(qs(error)));
        return;
    }
    FileDialogRequest request;
    request.title = tr("Save recipe");
    request.save = true;
    request.nameFilters = {kRecipeFilter};
    request.selectedFilter = kRecipeFilter;
    request.defaultSuffix = QStringLiteral("ini");
    request.directory = rememberedFolder("recipe/folder", QFileInfo(loadedPath_).absolutePath());
    const QString path = desktop_.chooseFile(this, request, nullptr);
    if (path.isEmpty()) return;
    rememberFolder("recipe/folder", path);
    // Written whole or not at all.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !file.commit()) {
        desktop_.errorBox(this, kAppTitle, tr("Cannot write recipe %1: %2").arg(path, file.errorString()));
    }
}

void TPresetforger_Form::applyRecipeClick() {
    if (!loaded_) return;
    CommandScope command(*this);
    FileDialogRequest request;
    request.title = tr("Apply recipe");
    request.nameFilters = {kRecipeFilter, tr("All files (*)")};
    request.selectedFilter = kRecipeFilter;
    request.directory = rememberedFolder("recipe/folder", QFileInfo(loadedPath_).absolutePath());
    const QString path = desktop_.chooseFile(this, request, nullptr);
    if (path.isEmpty()) return;
    rememberFolder("recipe/folder", path);
    applyRecipe(path);
}

bool TPresetforger_Form::applyRecipe(const QString& path) {
    if (!loaded_) return false;
    CommandScope command(*this);
    std::string bytes, reason;
    if (!pf::io::readRegularFile(fsPath(path), bytes, &reason)) {
        desktop_.errorBox(this, kAppTitle, tr("Cannot read recipe %1: %2").arg(path, qs(reason)));
        return false;
    }
    // The batch tool's reader and the batch tool's choices for this file; any error in either
    // leaves every control as it was.
    constexpr size_t kShownErrors = 10;
    const pf::RecipeResult parsed = pf::parseRecipe(bytes, kShownErrors);
    QStringList errors;
    for (const pf::RecipeError& e : parsed.errors) errors << qs(e.text());
    pf::FileChoices applied;
    if (parsed.ok()) {
        applied = pf::choicesFor(parsed.recipe, group_);
        for (const std::string& e : applied.errors) errors << qs(e);
    }
    if (!errors.isEmpty()) {
        if (parsed.errorCount > parsed.errors.size())
            errors << tr("(%1 more)").arg(parsed.errorCount - parsed.errors.size());
        desktop_.errorBox(this, kAppTitle,
                          tr("Cannot apply recipe %1; nothing was changed:\n%2").arg(QFileInfo(path).fileName(), errors.join(u'\n')));
        return false;
    }
    showChoices(applied.choices);
    if (!applied.notApplied.empty()) {
        QStringList keys;
        for (const std::string& k : applied.notApplied) keys << qs(k);
        desktop_.infoBox(this, kAppTitle, tr("Not offered for %1 files, so not applied: %2")
                                              .arg(qs(group_.model().code), keys.join(QStringLiteral(", "))));
    }
    return true;
}

}  // namespace pf::app
