#include "app/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QScreen>
#include <QStringDecoder>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "app/Desktop.h"
#include "app/Pictures.h"
#include "app/SpinEdit.h"
#include "app/Widgets.h"
#include "catalogue/Catalogue.h"
#include "document/LoadLists.h"
#include "document/ModelCode.h"
#include "engine/Process.h"

namespace pf::app {

namespace {

// Page geometry inside the tab control: the setting rows start at kRowsX, the three command
// buttons stand to the right of kRowsRight over every page.
constexpr int kRowsX = 168;
constexpr int kRowsTop = 8;
constexpr int kButtonX = 403;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 50;
constexpr int kButtonTop = 54;
constexpr int kButtonGap = 4;

const QColor kPromptBlue(0x1f, 0x3f, 0xbf);

// Catalogue texts are 8-bit: shown as UTF-8 where they are valid UTF-8, else byte for byte.
// The original bytes stay with every item, so that what Process reads is exactly what the
// catalogue holds.
QString displayText(const std::string& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return text;
}

QByteArray bytesOf(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QToolButton* flatButton(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setObjectName(QLatin1String(name));
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QToolButton { color: #1f3fbf; border: 1px solid transparent; border-radius: 3px; }"
                                    "QToolButton:hover { border-color: #8a9cbc; background: #eef2f9; }"
                                    "QToolButton:pressed { background: #c9d4e6; }"));
    return b;
}

// A page whose "Legal" button keeps to its bottom right corner.
class TabPage : public QWidget {
public:
    explicit TabPage(const char* name) {
        setObjectName(QLatin1String(name));
    }
    QToolButton* legal = nullptr;
protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (legal) legal->move(width() - legal->width() - 6, height() - legal->height() - 4);
    }
};

constexpr const char* kLegalNotice =
    "The Presetforger 2000 comes without any warranty: you use it at your own risk.\n\n"
    "Keep a backup of every patch group before you process it, and keep the original until you "
    "have tried the new file on your device.\n\n"
    "The device names shown in this program belong to their owners; they are used only to say "
    "which files the program works on.";

// The one local file a drag carries, or an empty text (several files, a folder, a web
// address, no address at all).
QString droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
    const QUrl url = data->urls().front();
    if (!url.isLocalFile()) return {};
    const QString path = url.toLocalFile();
    return QFileInfo(path).isDir() ? QString() : path;
}

QString missingFolderMessage(const QString& path) {
    return QStringLiteral("Cannot create file %1: its folder does not exist").arg(path);
}

}  // namespace

// Marks a command as running for its whole length; a file handed over meanwhile is opened
// once the last running command has ended.
class CommandScope {
public:
    explicit CommandScope(TPresetforger_Form& form) : form_(form) { ++form_.commandsRunning_; }
    ~CommandScope() {
        if (--form_.commandsRunning_ > 0 || form_.pendingOpen_.isEmpty()) return;
        QTimer::singleShot(0, &form_, [form = &form_] {
            const QString path = std::exchange(form->pendingOpen_, QString());
            if (!path.isEmpty()) form->openFile(path);
        });
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    TPresetforger_Form& form_;
};

QString captionFor(const QString& path) {
    return QStringLiteral("Presetforging:  \"%1\"").arg(QFileInfo(path).fileName());
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
    setAcceptDrops(true);  // a patch group dropped on the window is loaded
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setSizeGripEnabled(false);
    saveFilter_ = kSaveFilters.front();

    Label1 = new ClickableLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(kLoadPrompt);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(0, 1, kClientWidth, 20);
    QFont promptFont = Label1->font();
    promptFont.setBold(true);
    Label1->setFont(promptFont);
    QPalette promptPalette = Label1->palette();
    promptPalette.setColor(QPalette::WindowText, kPromptBlue);
    Label1->setPalette(promptPalette);
    connect(Label1, &ClickableLabel::clicked, this, [this] { Label1Click(); });

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 22, kClientWidth, kClientHeight - 22);
    PageControl1->tabBar()->setAttribute(Qt::WA_Hover);  // tabs highlight under the mouse
    PageControl1->addTab(buildHomePage(), QStringLiteral("Home"));
    PageControl1->addTab(buildEffectPage("amp", QStringLiteral("Process Checked Amps Only"), "checklistamp",
                                         "butampcheckall", "butampchecknone"),
                         QStringLiteral("Amp"));
    PageControl1->addTab(buildEffectPage("ampB3", QStringLiteral("Process Checked Amps Only"), "checklistB3amp",
                                         "butB3ampcheckall", "butB3ampchecknone"),
                         QStringLiteral("Amp"));
    PageControl1->addTab(buildEffectPage("drive", QStringLiteral("Process Checked Drives Only"), "checklistdrive",
                                         "butdrivecheckall", "butdrivechecknone"),
                         QStringLiteral("Drive"));
    PageControl1->addTab(buildEffectPage("reverb", QStringLiteral("Process Checked Reverbs Only"), "CheckListreverb",
                                         "butreverbcheckall", "butreverbchecknone"),
                         QStringLiteral("Reverb"));
    PageControl1->addTab(buildMiscPage(), QStringLiteral("Misc"));
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { PageControl1Change(index); });

    Panel7 = new ClickableLabel(this);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    Panel7->setText(QStringLiteral("8.12.2013"));
    Panel7->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel7->setGeometry(kClientWidth - 86, 24, 80, 20);
    QPalette datePalette = Panel7->palette();
    datePalette.setColor(QPalette::WindowText, QColor(0x5c, 0x6f, 0x8c));
    Panel7->setPalette(datePalette);
    connect(Panel7, &ClickableLabel::clicked, this, [this] { RxGIFAnimator5Click(); });

    auto commandButton = [this](const char* name, const QString& caption, const QPixmap& icon, int index) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setIcon(QIcon(icon));
        b->setIconSize(QSize(26, 26));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setGeometry(kButtonX, kButtonTop + index * (kButtonHeight + kButtonGap), kButtonWidth, kButtonHeight);
        QFont f = b->font();
        f.setBold(true);
        b->setFont(f);
        b->raise();
        return b;
    };
    butload = commandButton("butload", QStringLiteral("Load      "), pictures::loadIcon(28), 0);
    butprocess = commandButton("butprocess", QStringLiteral("Process "), pictures::processIcon(28), 1);
    butcancel = commandButton("butcancel", QStringLiteral("Close     "), pictures::closeIcon(28), 2);
    connect(butload, &QToolButton::clicked, this, [this] { butloadClick(); });
    connect(butprocess, &QToolButton::clicked, this, [this] { butprocessClick(); });
    connect(butcancel, &QToolButton::clicked, this, [this] { butcancelClick(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kPictureStepMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    FormCreate();
}

TPresetforger_Form::~TPresetforger_Form() = default;

void TPresetforger_Form::FormCreate() {
    Resettabs(false);
    butprocess->setEnabled(false);
    // Spin edits are 21 pixels high (SpinEdit), and so is the Mode list.
    rows_[static_cast<size_t>(SettingId::DriveMode)].list->setFixedHeight(kControlHeight);
}

QWidget* TPresetforger_Form::buildHomePage() {
    auto* page = new TabPage("splash");
    const int w = kButtonX - 14;
    Image2 = new ClickableLabel(page);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(6, 6, w, 58);
    Image2->setPixmap(pictures::title(Image2->size()));
    connect(Image2, &ClickableLabel::clicked, this, [this] { RxGIFAnimator5Click(); });

    LMDAniCtrl1 = new PictureStepper(page);
    LMDAniCtrl1->setObjectName(QStringLiteral("LMDAniCtrl1"));
    LMDAniCtrl1->setGeometry(6 + (w - 210) / 2, 70, 210, 104);
    const QStringList names{QStringLiteral("G5"), QStringLiteral("G3"), QStringLiteral("B3")};
    QVector<QPixmap> devices;
    for (const QString& n : names) devices << pictures::device(n, LMDAniCtrl1->size());
    LMDAniCtrl1->setPictures(devices, names);
    connect(LMDAniCtrl1, &ClickableLabel::clicked, this, [this] { RxGIFAnimator5Click(); });

    Image1 = new ClickableLabel(page);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(6, 180, w, 150);
    Image1->setPixmap(pictures::home(Image1->size()));
    connect(Image1, &ClickableLabel::clicked, this, [this] { RxGIFAnimator5Click(); });

    addLegalButton(page, "SpeedButton1");
    return page;
}

QWidget* TPresetforger_Form::buildEffectPage(const char* name, const QString& heading, const char* listName,
                                             const char* allName, const char* noneName) {
    auto* page = new TabPage(name);
    const QString pageName = QLatin1String(name);
    const Page which = pageName == QLatin1String("amp")     ? Page::Amp
                       : pageName == QLatin1String("ampB3") ? Page::B3Amp
                       : pageName == QLatin1String("drive") ? Page::Drive
                                                            : Page::Reverb;
    const TypeList typeList = which == Page::Amp     ? TypeList::Amp
                              : which == Page::B3Amp ? TypeList::B3Amp
                              : which == Page::Drive ? TypeList::Drive
                                                     : TypeList::Reverb;

    auto* caption = new QLabel(heading, page);
    caption->setGeometry(8, 2, 152, 32);
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignCenter);

    auto* panel = new QFrame(page);
    panel->setGeometry(8, 36, 152, 244);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    auto* list = new QListWidget(panel);
    list->setObjectName(QLatin1String(listName));
    list->setGeometry(2, 2, 148, 240);
    list->setFrameShape(QFrame::NoFrame);
    list->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* all = flatButton(QStringLiteral("Check All"), allName, page);
    all->setGeometry(6, 286, 70, 22);
    auto* none = flatButton(QStringLiteral("Check None"), noneName, page);
    none->setGeometry(78, 286, 86, 22);
    connect(all, &QToolButton::clicked, this, [this, all] { butampcheckallClick(all); });
    connect(none, &QToolButton::clicked, this, [this, none] { butampchecknoneClick(none); });
    const auto index = static_cast<size_t>(typeList);
    checkLists_[index] = list;
    checkAllButtons_[index] = all;
    checkNoneButtons_[index] = none;

    RowLayout layout;
    if (which == Page::Drive) {
        placeRows(which, page, 0, QPoint(kRowsX, kRowsTop), layout);
        // The B3 drive settings lie on a panel of their own, shown for the B3 only.
        panb3drivespec = new QWidget(page);
        panb3drivespec->setObjectName(QStringLiteral("panb3drivespec"));
        constexpr int firstB3Row = 5;
        panb3drivespec->setGeometry(kRowsX - 4, kRowsTop + firstB3Row * kRowPitch - 4, kClientWidth - kRowsX, 4 * kRowPitch + 4);
        placeRows(which, panb3drivespec, firstB3Row, QPoint(4, 4), layout);
        // The drive rows above the panel only; the panel's rows were placed on it.
    } else {
        placeRows(which, page, 0, QPoint(kRowsX, kRowsTop), layout);
    }
    if (which == Page::B3Amp) {
        constexpr int knob6Row = 7;
        ckB3ampknob6 = new QCheckBox(QStringLiteral("knob 6 has too many variables."), page);
        ckB3ampknob6->setObjectName(QStringLiteral("ckB3ampknob6"));
        ckB3ampknob6->setGeometry(kRowsX, kRowsTop + knob6Row * kRowPitch, kButtonX - kRowsX - 4, kControlHeight);
        ckB3ampknob6->setEnabled(false);
        connect(ckB3ampknob6, &QCheckBox::toggled, this, [this] { enablers(ckB3ampknob6); });
    }

    static const char* const kLegalNames[] = {"SpeedButton3", "SpeedButton4", "SpeedButton5", "SpeedButton6"};
    addLegalButton(page, kLegalNames[static_cast<int>(which) - 1]);
    return page;
}

void TPresetforger_Form::placeRows(Page page, QWidget* parent, int firstRow, QPoint origin, const RowLayout& layout) {
    const bool onB3Panel = parent == panb3drivespec && parent != nullptr;
    // Created top to bottom, so that the Tab key walks the rows in the order they are shown.
    std::vector<const SettingDef*> defs;
    for (const SettingDef& def : settings()) defs.push_back(&def);
    std::stable_sort(defs.begin(), defs.end(), [](const SettingDef* a, const SettingDef* b) { return a->row < b->row; });
    for (const SettingDef* d : defs) {
        const SettingDef& def = *d;
        if (def.page != page) continue;
        if (page == Page::Drive && def.binding == ModelBinding::B3Only && !onB3Panel) continue;
        if (page == Page::Drive && def.binding != ModelBinding::B3Only && onB3Panel) continue;
        if (def.row < firstRow) continue;
        if (page == Page::Misc) {
            const bool znr = def.group == Group::NoiseReduction;
            if ((parent == znrGroup) != znr) continue;
        }
        SettingRow row = buildSettingRow(def, parent, origin + QPoint(0, (def.row - firstRow) * kRowPitch), layout);
        QCheckBox* box = row.box;
        connect(box, &QCheckBox::toggled, this, [this, box] { enablers(box); });
        rows_[static_cast<size_t>(def.id)] = row;
    }
}

QWidget* TPresetforger_Form::buildMiscPage() {
    auto* page = new TabPage("misc");
    znrGroup = new QGroupBox(QStringLiteral("ZNR"), page);
    znrGroup->setObjectName(QStringLiteral("ZNR"));
    znrGroup->setGeometry(8, 4, 172, 4 * kRowPitch + 30);
    // The group keeps a font of its own: a bold page leaves it as it is.
    QFont groupFont = znrGroup->font();
    groupFont.setBold(false);
    znrGroup->setFont(groupFont);
    RowLayout znr;
    znr.boxWidth = 78;
    znr.spinWidth = 74;
    znr.fixedListWidth = 74;
    placeRows(Page::Misc, znrGroup, 0, QPoint(8, 24), znr);

    RowLayout patch;
    patch.boxWidth = 104;
    patch.catalogueListWidth = 98;
    patch.spinWidth = 68;
    constexpr int firstPatchRow = 4;
    auto* patchHeading = new QLabel(QStringLiteral("Patch"), page);
    patchHeading->setGeometry(190, 4, 120, 18);
    placeRows(Page::Misc, page, firstPatchRow, QPoint(190, 4 + 24), patch);

    addLegalButton(page, "SpeedButton7");
    return page;
}

void TPresetforger_Form::addLegalButton(QWidget* page, const char* name) {
    auto* legal = flatButton(QStringLiteral("Legal"), name, page);
    legal->resize(46, 20);
    static_cast<TabPage*>(page)->legal = legal;
    connect(legal, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
}

// ---- Tabs, prompt, pictures, closing ------------------------------------------------------

void TPresetforger_Form::Resettabs(bool loadForm) {
    // Tabs the program hides or picks are no user's choice: no page turns bold on the way.
    resettingTabs_ = true;
    for (int i = 1; i < PageControl1->count(); ++i) PageControl1->setTabVisible(i, false);
    if (!loadForm) {
        PageControl1->setCurrentIndex(0);
    } else {
        for (Page p : {Page::Drive, Page::Reverb, Page::Misc}) PageControl1->setTabVisible(static_cast<int>(p), true);
        const int ampPage = static_cast<int>(modelCode_ == "b3" ? Page::B3Amp : Page::Amp);
        PageControl1->setTabVisible(ampPage, true);
        PageControl1->setCurrentIndex(ampPage);
    }
    resettingTabs_ = false;
}

void TPresetforger_Form::PageControl1Change(int index) {
    if (resettingTabs_) return;
    if (QWidget* page = PageControl1->widget(index)) setBoldPage(page);
}

void TPresetforger_Form::setBoldPage(QWidget* page) {
    QFont f = page->font();
    f.setBold(true);
    page->setFont(f);
}

void TPresetforger_Form::Label1Click() {
    if (Label1->text() == kProcessPrompt) butprocessClick();
    if (Label1->text() == kLoadPrompt) butloadClick();
}

void TPresetforger_Form::SpeedButton1Click() { desktop_.infoBox(this, kAppTitle, QString::fromUtf8(kLegalNotice)); }

void TPresetforger_Form::RxGIFAnimator5Click() { desktop_.openUrl(webPageUrl()); }

void TPresetforger_Form::Timer1Timer() { LMDAniCtrl1->step(); }

void TPresetforger_Form::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TPresetforger_Form::FormShow() {
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    Timer1->start();
}

void TPresetforger_Form::reject() { butcancel->click(); }

void TPresetforger_Form::butcancelClick() { QDialog::reject(); }

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

void TPresetforger_Form::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TPresetforger_Form::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Loaded once the drop has ended, so that the program the file came from is not kept
    // waiting by a message.
    QTimer::singleShot(0, this, [this, path] { openFile(path); });
}

// ---- Enabling and check lists -------------------------------------------------------------

void TPresetforger_Form::enablers(QObject* sender) {
    for (const SettingRow& row : rows_) {
        if (row.box != sender) continue;
        row.valueControl()->setEnabled(row.box->isChecked());
        return;
    }
    // The knob 6 box has no value control: nothing to do.
}

QListWidget* TPresetforger_Form::checkListFor(QObject* button) const {
    for (size_t i = 0; i < kTypeListCount; ++i)
        if (checkAllButtons_[i] == button || checkNoneButtons_[i] == button) return checkLists_[i];
    return nullptr;
}

void TPresetforger_Form::butampcheckallClick(QObject* sender) {
    if (QListWidget* list = checkListFor(sender))
        for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Checked);
}

void TPresetforger_Form::butampchecknoneClick(QObject* sender) {
    if (QListWidget* list = checkListFor(sender))
        for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(Qt::Unchecked);
}

// ---- Load -----------------------------------------------------------------------------------

void TPresetforger_Form::fillCheckList(QListWidget* list, const std::vector<std::string>& items) {
    for (const std::string& text : items) {
        auto* item = new QListWidgetItem(displayText(text), list);
        item->setData(Qt::UserRole, bytesOf(text));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

void TPresetforger_Form::butloadClick() {
    CommandScope command(*this);
    FileDialogRequest request;
    request.title = kOpenTitle;
    request.nameFilters = {kOpenFilter};
    request.selectedFilter = kOpenFilter;
    // The first dialog opens in the folder the program was started from.
    request.directory = lastOpenPath_.isEmpty() ? QDir::currentPath() : QFileInfo(lastOpenPath_).absolutePath();
    request.selectedFile = lastOpenPath_;
    const QString path = desktop_.chooseFile(this, request, nullptr);
    if (path.isEmpty()) return;  // cancelled: nothing changes
    loadFile(path);
}

void TPresetforger_Form::loadFile(const QString& path) {
    CommandScope command(*this);
    lastOpenPath_ = path;

    // The file is read into a fresh buffer first: a file that cannot be read leaves the loaded
    // document and everything else as it was.
    pf::Document loaded;
    std::string error;
    if (!loaded.load(fsPath(path), &error)) {
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(error));
        return;
    }
    document_ = std::move(loaded);
    loadedPath_ = path;
    const Catalogue catalogue = Catalogue::open(Catalogue::defaultPath());

    setWindowTitle(captionFor(path));
    Label1->setText(kProcessPrompt);
    butprocess->setEnabled(true);
    modelCode_ = modelCodeFor(fsPath(path), modelCode_);
    Resettabs(true);

    // Untick every setting box in table order; each one disables its value control.
    for (const SettingDef& def : settings()) rows_[static_cast<size_t>(def.id)].box->setChecked(false);

    const LoadLists lists = buildLoadLists(catalogue, modelCode_);
    for (QListWidget* list : checkLists_) list->clear();
    for (const SettingRow& row : rows_)
        if (row.def->kind == ValueKind::CatalogueList) row.list->clear();

    fillCheckList(checkLists_[static_cast<size_t>(TypeList::Amp)], lists.ampChecks);
    fillCheckList(checkLists_[static_cast<size_t>(TypeList::B3Amp)], lists.ampChecks);
    fillCheckList(checkLists_[static_cast<size_t>(TypeList::Drive)], lists.driveChecks);
    fillCheckList(checkLists_[static_cast<size_t>(TypeList::Reverb)], lists.reverbChecks);

    for (const SettingRow& row : rows_) {
        if (row.def->kind == ValueKind::CatalogueList) {
            const std::string_view suffix = row.def->catalogueSuffix;
            const std::vector<std::string>& items = suffix == section::kAmp           ? lists.ampNames
                                                    : suffix == section::kMidF        ? lists.midfNames
                                                    : suffix == section::kCab         ? lists.cabItems
                                                    : suffix == section::kDrive       ? lists.driveNames
                                                    : suffix == section::kReverb      ? lists.reverbNames
                                                    : suffix == section::kFootswitch  ? lists.footswitchNames
                                                                                      : lists.exppedalNames;
            for (const std::string& item : items) row.list->addItem(displayText(item), bytesOf(item));
        }
        if (row.list) row.list->setCurrentIndex(0);  // no items: no selection
    }

    // Controls that belong to some models only; an unknown model code leaves them as they are.
    for (const SettingRow& row : rows_) {
        if (row.def->binding == ModelBinding::Always) continue;
        if (const std::optional<bool> shown = shownFor(row.def->binding, modelCode_)) {
            for (QWidget* w : {static_cast<QWidget*>(row.box), row.valueControl(), static_cast<QWidget*>(row.hintBar),
                               static_cast<QWidget*>(row.hint)})
                if (w) w->setVisible(*shown);
        }
    }
    if (const std::optional<bool> shown = shownFor(ModelBinding::B3Only, modelCode_)) panb3drivespec->setVisible(*shown);

    setBoldPage(PageControl1->currentWidget());
}

// ---- Process and save -----------------------------------------------------------------------

pf::Choices TPresetforger_Form::choices() {
    pf::Choices c;
    c.model = modelCode_;
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
        std::vector<TypeEntry>& entries = c.typeLists[i];
        const QListWidget* list = checkLists_[i];
        for (int j = 0; j < list->count(); ++j) {
            const QListWidgetItem* item = list->item(j);
            entries.push_back({item->data(Qt::UserRole).toByteArray().toStdString(), item->checkState() == Qt::Checked});
        }
    }
    return c;
}

void TPresetforger_Form::butprocessClick() {
    CommandScope command(*this);
    const pf::Choices snapshot = choices();
    const Catalogue catalogue = Catalogue::open(Catalogue::defaultPath());
    ProcessReport report;
    try {
        report = pf::process(document_, catalogue, snapshot);
    } catch (const std::exception& e) {
        // The engine leaves the document as it was when it fails.
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(e.what()));
        return;
    }
    if (report.nothingToSave()) {
        desktop_.infoBox(this, kAppTitle, qs(kNoChangesToSave));
        return;
    }

    if (modelCode_ == "g5") {
        saveFilter_ = kSaveFilters[0];
        saveSuffix_ = QStringLiteral("g5a");
    } else if (modelCode_ == "g3x") {
        saveFilter_ = kSaveFilters[1];
        saveSuffix_ = QStringLiteral("g3xa");
    } else if (modelCode_ == "b3") {
        saveFilter_ = kSaveFilters[2];
        saveSuffix_ = QStringLiteral("b3a");
    }
    FileDialogRequest request;
    request.save = true;
    request.nameFilters = kSaveFilters;
    request.selectedFilter = saveFilter_;
    request.defaultSuffix = saveSuffix_;
    request.directory = loadedPath_.isEmpty() ? QString() : QFileInfo(loadedPath_).absolutePath();
    QString path;
    for (;;) {
        QString usedFilter;
        path = desktop_.chooseFile(this, request, &usedFilter);
        if (!usedFilter.isEmpty()) saveFilter_ = usedFilter;
        if (path.isEmpty()) return;  // cancelled: the edited buffer stays, the caption too
        // The chosen folder must exist: say so and ask again, with the typed name offered.
        const QFileInfo chosen(path);
        if (QFileInfo(chosen.absolutePath()).isDir()) break;
        desktop_.errorBox(this, kAppTitle, missingFolderMessage(path));
        request.selectedFilter = saveFilter_;
        request.selectedFile = chosen.fileName();
    }

    std::string error;
    if (!document_.save(fsPath(path), &error)) {
        desktop_.errorBox(this, kAppTitle, QString::fromStdString(error));
        return;
    }
    setWindowTitle(captionFor(path));
}

}  // namespace pf::app
