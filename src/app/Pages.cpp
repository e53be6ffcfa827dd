#include "app/Pages.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QSpacerItem>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QToolButton>
#include <algorithm>

#include "app/Pictures.h"
#include "app/Widgets.h"

namespace pf::app {

namespace {

constexpr PageDef kPages[] = {
    {"splash", QT_TRANSLATE_NOOP("Pages", "Home"), "SpeedButton1", ShownWith::AnyModel, std::nullopt},
    {"amp", QT_TRANSLATE_NOOP("Pages", "Amp"), "SpeedButton3", ShownWith::AmpPage, TypeList::Amp,
     QT_TRANSLATE_NOOP("Pages", "Process Checked Amps Only"), "checklistamp", "butampcheckall", "butampchecknone"},
    {"ampB3", QT_TRANSLATE_NOOP("Pages", "Amp"), "SpeedButton4", ShownWith::B3AmpPage, TypeList::B3Amp,
     QT_TRANSLATE_NOOP("Pages", "Process Checked Amps Only"), "checklistB3amp", "butB3ampcheckall", "butB3ampchecknone"},
    {"drive", QT_TRANSLATE_NOOP("Pages", "Drive"), "SpeedButton5", ShownWith::AnyModel, TypeList::Drive,
     QT_TRANSLATE_NOOP("Pages", "Process Checked Drives Only"), "checklistdrive", "butdrivecheckall", "butdrivechecknone"},
    {"reverb", QT_TRANSLATE_NOOP("Pages", "Reverb"), "SpeedButton6", ShownWith::AnyModel, TypeList::Reverb,
     QT_TRANSLATE_NOOP("Pages", "Process Checked Reverbs Only"), "CheckListreverb", "butreverbcheckall", "butreverbchecknone"},
    {"misc", QT_TRANSLATE_NOOP("Pages", "Misc"), "SpeedButton7", ShownWith::AnyModel, std::nullopt},
};

// The texts of the page table, marked for translation above.
QString pageText(const char* text) { return QCoreApplication::translate("Pages", text); }

// The page's margins and the room between its parts.
constexpr int kMargin = 8;
constexpr int kTopMargin = 6;
constexpr int kLeftColumnWidth = 148;  // the least width of an effect page's check list column

// A control grows to show its text in bold; value controls never shrink below their least
// width.
void fitWidth(QWidget* w, int needed) {
    w->setMinimumWidth(std::max(needed, w->property(kLeastWidth).toInt()));
}

int textWidthOf(const QWidget* w) {
    if (qobject_cast<const RuleButton*>(w)) return 0;  // as wide as its widest mark from the start
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->sizeHint().width() + boldExtra(b, b->text());
    if (const auto* l = qobject_cast<const QLabel*>(w); l && !l->wordWrap() && l->pixmap().isNull())
        return l->sizeHint().width() + boldExtra(l, l->text());
    return 0;
}

// The B3 Amp page's box that belongs to no setting stands in the row after this one.
constexpr SettingId kKnobSixAfter = SettingId::B3AmpTrebl;

const SettingSection& sectionNamed(std::string_view name) {
    for (const SettingSection& s : settingSections())
        if (s.name == name) return s;
    return settingSections().front();
}

const SettingSection& sectionOfList(TypeList list) {
    for (const SettingSection& s : settingSections())
        if (s.typeList == list) return s;
    return settingSections().front();
}

// The "Patches:" label and field of a section, stored in `patches`.
std::pair<QLabel*, QLineEdit*> patchesField(const SettingSection& section, QWidget* parent, SettingsPage::PatchFields& patches) {
    const size_t index = static_cast<size_t>(&section - settingSections().data());
    auto* label = new QLabel(QCoreApplication::translate("Pages", "Patches:"), parent);
    label->setObjectName(QStringLiteral("label") + patchesFieldName(index).mid(4));
    label->setMinimumHeight(kControlHeight);
    auto* field = new QLineEdit(parent);
    field->setObjectName(patchesFieldName(index));
    field->setFixedHeight(kControlHeight);
    field->setMinimumWidth(40);
    field->setPlaceholderText(QCoreApplication::translate("Pages", "all"));
    field->setToolTip(QCoreApplication::translate(
        "Pages", "Only the patches whose names match one of these patterns get the settings of %1, the patterns separated "
                 "by commas: * stands for any characters, ? for any one, letter case is ignored. Empty: every patch.")
                          .arg(qs(section.name)));
    label->setBuddy(field);
    patches[index] = field;
    return {label, field};
}

void setAllTicked(QListWidget* list, Qt::CheckState state) {
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(state);
}

}  // namespace

std::span<const PageDef> pageDefs() { return kPages; }

QString patchesFieldName(size_t section) {
    static constexpr const char* kStems[] = {"amp", "B3amp", "drive", "reverb", "misc", "patch"};
    static_assert(std::size(kStems) == kSectionCount);
    return QStringLiteral("edit%1patches").arg(QLatin1String(kStems[section]));
}

void checkAll(QListWidget* list) { setAllTicked(list, Qt::Checked); }
void checkNone(QListWidget* list) { setAllTicked(list, Qt::Unchecked); }

int boldExtra(const QWidget* w, const QString& text) {
    QFont bold = w->font();
    bold.setBold(true);
    return std::max(0, QFontMetrics(bold).horizontalAdvance(text) - w->fontMetrics().horizontalAdvance(text));
}

int comboWidthFor(const QComboBox* list) {
    QFont bold = list->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int text = 0;
    for (int i = 0; i < list->count(); ++i) text = std::max(text, metrics.horizontalAdvance(list->itemText(i)));
    // What the frame and the arrow take, at some width; the label is drawn a pixel in from
    // either side of the edit field.
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.rect = QRect(0, 0, 200, kControlHeight);
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
    return text + (200 - field.width()) + 2 + 2;
}

int checkListWidthFor(const QListWidget* list) {
    int entry = 0;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        entry = std::max(entry, list->sizeHintForIndex(list->model()->index(i, 0)).width() + boldExtra(list, item->text()));
    }
    // The vertical scroll bar is kept in mind whether it shows or not.
    return entry + 2 * list->frameWidth() + list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) + 2;
}

QToolButton* flatButton(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setObjectName(QLatin1String(name));
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QToolButton { color: %1; border: 1px solid transparent; border-radius: 3px; }"
                                    "QToolButton:hover { border-color: %2; background: %3; }"
                                    "QToolButton:pressed { background: %4; }"
                                    "QToolButton:disabled { color: %5; }")
                         .arg(kPromptBlue.name(), kHoverBorder.name(), kHoverFill.name(), kPressedFill.name(),
                              kDisabledGrey.name()));
    return b;
}

// ---- TabPage ----------------------------------------------------------------------------------

TabPage::TabPage(const PageDef& def) : def_(def) {
    setObjectName(QLatin1String(def.name));
    outer_ = new QHBoxLayout(this);
    outer_->setContentsMargins(kMargin, kTopMargin, kMargin, kMargin);
    outer_->setSpacing(0);
    body_ = new QHBoxLayout;
    body_->setSpacing(kMargin);
    outer_->addLayout(body_, 1);
    column_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Fixed);
    outer_->addSpacerItem(column_);
}

void TabPage::keepRoom(QSize column, int bottom) {
    room_ = column;
    column_->changeSize(rowsKeepRoom_ ? 0 : column.width() + 8, column.height(), QSizePolicy::Fixed, QSizePolicy::Fixed);
    outer_->setContentsMargins(kMargin, kTopMargin, 4, bottom);
    outer_->invalidate();
}

void TabPage::fitTexts() {
    for (QWidget* w : findChildren<QWidget*>()) {
        if (auto* list = qobject_cast<QComboBox*>(w)) fitWidth(list, comboWidthFor(list));
        else if (const int width = textWidthOf(w)) fitWidth(w, width);
    }
    for (ValueCell* cell : findChildren<ValueCell*>()) cell->fit();
    if (legal_) legal_->setFixedSize(legal_->minimumWidth(), std::max(20, legal_->sizeHint().height()));
    positionLegal();
}

void TabPage::addLegalButton() {
    legal_ = flatButton(tr("Legal"), def_.legalButton, this);
    connect(legal_, &QToolButton::clicked, this, &TabPage::legalClicked);
    fitTexts();
}

void TabPage::positionLegal() {
    if (legal_) legal_->move(width() - legal_->width() - 6, height() - legal_->height() - 4);
}

void TabPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    positionLegal();
}

// ---- Home -------------------------------------------------------------------------------------

HomePage::HomePage(const PageDef& def) : TabPage(def) {
    constexpr int w = 385;
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    body()->addLayout(column);
    auto* title = new ClickableLabel(this);
    title->setObjectName(QStringLiteral("Image2"));
    title->setFixedSize(w, 58);
    title->setPixmap(pictures::title(title->size(), devicePixelRatioF()));
    column->addWidget(title);

    devicePicture_ = new PictureStepper(this);
    devicePicture_->setObjectName(QStringLiteral("LMDAniCtrl1"));
    devicePicture_->setFixedSize(210, 104);
    const QStringList names{QStringLiteral("G5"), QStringLiteral("G3"), QStringLiteral("B3")};
    QVector<QPixmap> devices;
    for (const QString& n : names) devices << pictures::device(n, devicePicture_->size(), devicePixelRatioF());
    devicePicture_->setPictures(devices, names);
    column->addWidget(devicePicture_, 0, Qt::AlignHCenter);

    auto* picture = new ClickableLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setFixedSize(w, 150);
    picture->setPixmap(pictures::home(picture->size(), devicePixelRatioF()));
    column->addWidget(picture);
    column->addStretch(1);

    // Pictures answer to screen readers by what they show and what a click does.
    const QString opensPage = tr("Opens the program's web page");
    const struct { ClickableLabel* label; QString name; } kNames[] = {
        {title, tr("The Presetforger 2000")}, {devicePicture_, tr("The devices whose patch groups the program edits")},
        {picture, tr("A patch group forged in one pass")}};
    for (const auto& [label, name] : kNames) {
        label->setAccessibleName(name);
        label->setAccessibleDescription(opensPage);
        connect(label, &ClickableLabel::clicked, this, &HomePage::pictureClicked);
    }
    addLegalButton();
}

// ---- Setting pages ----------------------------------------------------------------------------

SettingsPage::SettingsPage(const PageDef& def, std::array<SettingRow, kSettingCount>& rows, PatchFields& patches) : TabPage(def) {
    rowsKeepRoom_ = true;
    if (def.typeList) buildEffectPage(rows, patches);
    else buildMiscPage(rows, patches);
    addLegalButton();
}

void SettingsPage::fitTexts() {
    TabPage::fitTexts();
    // The boxes of a page share their column, and so do the value controls, over all its grids.
    int boxes = 0, values = 0;
    for (const Grid& g : grids_)
        for (int r = 0; r < g.grid->rowCount(); ++r) {
            QGridLayout* grid = g.grid;
            // A box across the whole row (knob 6) has a width of its own.
            if (QLayoutItem* box = grid->itemAtPosition(r, 0); box && box->widget() && box != grid->itemAtPosition(r, 1))
                boxes = std::max(boxes, box->widget()->minimumWidth());
            if (QLayoutItem* value = grid->itemAtPosition(r, 1);
                value && value->widget() && value != grid->itemAtPosition(r, 0) && value != grid->itemAtPosition(r, 2))
                values = std::max(values, value->widget()->minimumWidth());
        }
    for (const Grid& g : grids_) {
        g.grid->setColumnMinimumWidth(0, boxes);
        g.grid->setColumnMinimumWidth(1, values);
    }
    int pitch = kControlHeight;
    for (const Grid& g : grids_)
        for (int r = 0; r < g.grid->rowCount(); ++r)
            for (int c = 0; c < g.grid->columnCount(); ++c)
                if (QLayoutItem* item = g.grid->itemAtPosition(r, c); item && item->widget())
                    pitch = std::max(pitch, item->widget()->sizeHint().height());
    pitch += kRowSpacing;
    for (Grid& g : grids_)
        keepRoomBeside(g, kTopMargin + 2 + g.rowsBefore * pitch + (g.above ? g.above->sizeHint().height() + 6 : 0));
    if (!typeList_) return;
    typeList_->setMinimumWidth(checkListWidthFor(typeList_));
    const int column = std::max({kLeftColumnWidth, typeList_->minimumWidth() + 4,
                                 checkAll_->minimumWidth() + 2 + checkNone_->minimumWidth()});
    heading_->setFixedWidth(column);
    listPanel_->setFixedWidth(column);
    QFont bold = heading_->font();
    bold.setBold(true);
    const QRect words = QFontMetrics(bold).boundingRect(QRect(0, 0, column, 1000), Qt::TextWordWrap | Qt::AlignCenter,
                                                        heading_->text());
    heading_->setFixedHeight(std::max(32, words.height() + 2));
}

// Rows beside the command buttons end left of them; rows below them may reach under them. The
// grid's last column is the room beside the buttons.
void SettingsPage::keepRoomBeside(Grid& g, int top) {
    QGridLayout* grid = g.grid;
    int beside = 0, y = top;
    for (int r = 0; r < grid->rowCount(); ++r) {
        if (y < room().height()) beside = r + 1;
        int height = kControlHeight;
        for (int c = 0; c < grid->columnCount(); ++c)
            if (QLayoutItem* item = grid->itemAtPosition(r, c); item && item->widget())
                height = std::max(height, item->widget()->sizeHint().height());
        y += height + kRowSpacing;
    }
    struct Cell { QWidget* w; int row, column; Qt::Alignment alignment; };
    std::vector<Cell> cells;
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(i, &row, &column, &rows, &columns);
        if (QWidget* w = grid->itemAt(i)->widget()) cells.push_back({w, row, column, grid->itemAt(i)->alignment()});
    }
    for (const Cell& c : cells) grid->removeWidget(c.w);
    if (g.room) {
        grid->removeItem(g.room);
        delete g.room;
        g.room = nullptr;
    }
    for (const Cell& c : cells) {
        auto inRow = [&](int column) {
            return std::any_of(cells.begin(), cells.end(), [&](const Cell& o) { return o.row == c.row && o.column == column; });
        };
        const int end = c.row < beside ? 4 : 5;  // columns 0 to 3, or to the room's column 4
        const bool ownColumn = c.column == 2 || (c.column == 1 && inRow(3)) || (c.column == 0 && inRow(1));
        const int span = ownColumn ? 1 : end - c.column;
        grid->addWidget(c.w, c.row, c.column, 1, span, c.alignment);
    }
    if (beside > 0) {
        g.room = new QSpacerItem(room().width() + 4, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
        grid->addItem(g.room, 0, 4, beside, 1);
    }
}

void SettingsPage::buildEffectPage(std::array<SettingRow, kSettingCount>& rows, PatchFields& patches) {
    auto* left = new QVBoxLayout;
    left->setSpacing(2);
    body()->addLayout(left);
    heading_ = new QLabel(pageText(def().heading), this);
    heading_->setWordWrap(true);
    heading_->setAlignment(Qt::AlignCenter);
    left->addWidget(heading_);

    listPanel_ = new QFrame(this);
    auto* panel = static_cast<QFrame*>(listPanel_);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    typeList_ = new QListWidget(panel);
    typeList_->setObjectName(QLatin1String(def().listName));
    typeList_->setFrameShape(QFrame::NoFrame);
    typeList_->setSelectionMode(QAbstractItemView::SingleSelection);
    typeList_->setItemDelegate(new CheckListDelegate(typeList_));
    typeList_->setMinimumHeight(120);
    panelLayout->addWidget(typeList_);
    left->addWidget(panel, 1);
    left->addSpacing(4);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->setContentsMargins(0, 0, 0, 0);
    checkAll_ = flatButton(tr("Check All"), def().checkAllName, this);
    checkNone_ = flatButton(tr("Check None"), def().checkNoneName, this);
    for (QToolButton* b : {checkAll_, checkNone_}) {
        b->setMinimumHeight(22);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    left->addLayout(buttons);
    connect(checkAll_, &QToolButton::clicked, this, [this] { checkAll(typeList_); });
    connect(checkNone_, &QToolButton::clicked, this, [this] { checkNone(typeList_); });
    const SettingSection& section = sectionOfList(*def().typeList);
    auto* patchRow = new QHBoxLayout;
    patchRow->setSpacing(4);
    const auto [patchLabel, patchField] = patchesField(section, this, patches);
    patchRow->addWidget(patchLabel);
    patchRow->addWidget(patchField, 1);
    left->addSpacing(2);
    left->addLayout(patchRow);

    // The rows top to bottom, so that the Tab key walks them in the order they are shown; the
    // B3 rows of a page stand on a panel of their own after the others.
    auto* right = new QVBoxLayout;
    right->setSpacing(kRowSpacing);
    right->setContentsMargins(0, 2, 0, 0);
    body()->addLayout(right, 1);
    QGridLayout* grid = settingGrid();
    right->addLayout(grid);
    std::vector<SettingId> b3Rows;
    int row = 0;
    for (SettingId id : section.settings) {
        const SettingDef& s = setting(id);
        if (s.shownWith == ShownWith::B3Controls) {
            b3Rows.push_back(id);
            continue;
        }
        rows[static_cast<size_t>(id)] = buildSettingRow(s, this, grid, row++);
        if (id == kKnobSixAfter) {
            // A box that belongs to no setting: disabled from the start and never enabled.
            auto* knobSix = new QCheckBox(tr("knob 6 has too many variables."), this);
            knobSix->setObjectName(QStringLiteral("ckB3ampknob6"));
            knobSix->setMinimumHeight(kControlHeight);
            knobSix->setEnabled(false);
            grid->addWidget(knobSix, row++, 0, 1, 4);
        }
    }
    grids_.push_back({grid});
    if (!b3Rows.empty()) {
        b3ControlsPanel_ = new QWidget(this);
        b3ControlsPanel_->setObjectName(QStringLiteral("panb3drivespec"));
        QGridLayout* b3Grid = settingGrid();
        b3ControlsPanel_->setLayout(b3Grid);
        grids_.push_back({b3Grid, row});
        row = 0;
        for (SettingId id : b3Rows) rows[static_cast<size_t>(id)] = buildSettingRow(setting(id), b3ControlsPanel_, b3Grid, row++);
        right->addWidget(b3ControlsPanel_);
    }
    right->addStretch(1);
}

void SettingsPage::buildMiscPage(std::array<SettingRow, kSettingCount>& rows, PatchFields& patches) {
    auto* znr = new QGroupBox(tr("ZNR"), this);
    znr->setObjectName(QStringLiteral("ZNR"));
    // The group keeps a font of its own: a bold page leaves it as it is.
    QFont groupFont = znr->font();
    groupFont.setBold(false);
    znr->setFont(groupFont);
    QGridLayout* znrGrid = settingGrid();
    znrGrid->setContentsMargins(4, 8, 4, 8);
    znr->setLayout(znrGrid);
    RowLayout znrLayout;
    znrLayout.spinWidth = 74;
    znrLayout.fixedListWidth = 74;
    int row = 0;
    for (SettingId id : sectionNamed("ZNR").settings)
        rows[static_cast<size_t>(id)] = buildSettingRow(setting(id), znr, znrGrid, row++, znrLayout);
    // Each section's patterns in a row of its own below its settings.
    auto addPatchesRow = [&](const char* section, QWidget* parent, QGridLayout* grid) {
        const auto [label, field] = patchesField(sectionNamed(section), parent, patches);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1, 1, 3);
    };
    addPatchesRow("ZNR", znr, znrGrid);
    auto* left = new QVBoxLayout;
    left->addWidget(znr);
    left->addStretch(1);
    body()->addLayout(left);

    RowLayout patchLayout;
    patchLayout.catalogueListWidth = 98;
    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    body()->addLayout(right, 1);
    auto* patchHeading = new QLabel(tr("Patch"), this);
    right->addWidget(patchHeading, 0, Qt::AlignLeft);
    QGridLayout* patchGrid = settingGrid();
    grids_.push_back({patchGrid, 0, patchHeading});
    right->addLayout(patchGrid);
    right->addStretch(1);
    row = 0;
    for (SettingId id : sectionNamed("Patch").settings)
        rows[static_cast<size_t>(id)] = buildSettingRow(setting(id), this, patchGrid, row++, patchLayout);
    addPatchesRow("Patch", this, patchGrid);
}

}  // namespace pf::app
