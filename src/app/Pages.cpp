#include "app/Pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

#include "app/Pictures.h"
#include "app/Widgets.h"

namespace pf::app {

namespace {

constexpr PageDef kPages[] = {
    {"splash", "Home", "SpeedButton1", ShownWith::AnyModel, std::nullopt},
    {"amp", "Amp", "SpeedButton3", ShownWith::AmpPage, TypeList::Amp, "Process Checked Amps Only", "checklistamp",
     "butampcheckall", "butampchecknone"},
    {"ampB3", "Amp", "SpeedButton4", ShownWith::B3AmpPage, TypeList::B3Amp, "Process Checked Amps Only",
     "checklistB3amp", "butB3ampcheckall", "butB3ampchecknone"},
    {"drive", "Drive", "SpeedButton5", ShownWith::AnyModel, TypeList::Drive, "Process Checked Drives Only",
     "checklistdrive", "butdrivecheckall", "butdrivechecknone"},
    {"reverb", "Reverb", "SpeedButton6", ShownWith::AnyModel, TypeList::Reverb, "Process Checked Reverbs Only",
     "CheckListreverb", "butreverbcheckall", "butreverbchecknone"},
    {"misc", "Misc", "SpeedButton7", ShownWith::AnyModel, std::nullopt},
};

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

void setAllTicked(QListWidget* list, Qt::CheckState state) {
    for (int i = 0; i < list->count(); ++i) list->item(i)->setCheckState(state);
}

}  // namespace

std::span<const PageDef> pageDefs() { return kPages; }

void checkAll(QListWidget* list) { setAllTicked(list, Qt::Checked); }
void checkNone(QListWidget* list) { setAllTicked(list, Qt::Unchecked); }

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

// ---- TabPage ----------------------------------------------------------------------------------

TabPage::TabPage(const PageDef& def) : def_(def) { setObjectName(QLatin1String(def.name)); }

void TabPage::addLegalButton() {
    legal_ = flatButton(QStringLiteral("Legal"), def_.legalButton, this);
    legal_->resize(46, 20);
    connect(legal_, &QToolButton::clicked, this, &TabPage::legalClicked);
}

void TabPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (legal_) legal_->move(width() - legal_->width() - 6, height() - legal_->height() - 4);
}

// ---- Home -------------------------------------------------------------------------------------

HomePage::HomePage(const PageDef& def) : TabPage(def) {
    const int w = kButtonX - 14;
    auto* title = new ClickableLabel(this);
    title->setObjectName(QStringLiteral("Image2"));
    title->setGeometry(6, 6, w, 58);
    title->setPixmap(pictures::title(title->size()));

    devicePicture_ = new PictureStepper(this);
    devicePicture_->setObjectName(QStringLiteral("LMDAniCtrl1"));
    devicePicture_->setGeometry(6 + (w - 210) / 2, 70, 210, 104);
    const QStringList names{QStringLiteral("G5"), QStringLiteral("G3"), QStringLiteral("B3")};
    QVector<QPixmap> devices;
    for (const QString& n : names) devices << pictures::device(n, devicePicture_->size());
    devicePicture_->setPictures(devices, names);

    auto* picture = new ClickableLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(6, 180, w, 150);
    picture->setPixmap(pictures::home(picture->size()));

    for (ClickableLabel* l : {title, static_cast<ClickableLabel*>(devicePicture_), picture})
        connect(l, &ClickableLabel::clicked, this, &HomePage::pictureClicked);
    addLegalButton();
}

// ---- Setting pages ----------------------------------------------------------------------------

SettingsPage::SettingsPage(const PageDef& def, std::array<SettingRow, kSettingCount>& rows) : TabPage(def) {
    if (def.typeList) buildEffectPage(rows);
    else buildMiscPage(rows);
    addLegalButton();
}

void SettingsPage::buildEffectPage(std::array<SettingRow, kSettingCount>& rows) {
    auto* heading = new QLabel(QLatin1String(def().heading), this);
    heading->setGeometry(8, 2, 152, 32);
    heading->setWordWrap(true);
    heading->setAlignment(Qt::AlignCenter);

    auto* panel = new QFrame(this);
    panel->setGeometry(8, 36, 152, 244);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    typeList_ = new QListWidget(panel);
    typeList_->setObjectName(QLatin1String(def().listName));
    typeList_->setGeometry(2, 2, 148, 240);
    typeList_->setFrameShape(QFrame::NoFrame);
    typeList_->setSelectionMode(QAbstractItemView::SingleSelection);

    auto* all = flatButton(QStringLiteral("Check All"), def().checkAllName, this);
    all->setGeometry(6, 286, 70, 22);
    auto* none = flatButton(QStringLiteral("Check None"), def().checkNoneName, this);
    none->setGeometry(78, 286, 86, 22);
    connect(all, &QToolButton::clicked, this, [this] { checkAll(typeList_); });
    connect(none, &QToolButton::clicked, this, [this] { checkNone(typeList_); });

    // The rows top to bottom, so that the Tab key walks them in the order they are shown; the
    // B3 rows of a page stand on a panel of their own after the others.
    const SettingSection& section = sectionOfList(*def().typeList);
    std::vector<std::pair<SettingId, int>> b3Rows;
    int row = 0;
    std::optional<int> knobSixRow;
    for (SettingId id : section.settings) {
        const SettingDef& s = setting(id);
        if (s.shownWith == ShownWith::B3Controls) b3Rows.emplace_back(id, row);
        else rows[static_cast<size_t>(id)] = buildSettingRow(s, this, QPoint(kRowsX, kRowsTop + row * kRowPitch));
        ++row;
        if (id == kKnobSixAfter) knobSixRow = row++;
    }
    if (!b3Rows.empty()) {
        const int first = b3Rows.front().second;
        const int count = static_cast<int>(b3Rows.size());
        b3ControlsPanel_ = new QWidget(this);
        b3ControlsPanel_->setObjectName(QStringLiteral("panb3drivespec"));
        b3ControlsPanel_->setGeometry(kRowsX - 4, kRowsTop + first * kRowPitch - 4, kClientWidth - kRowsX,
                                      count * kRowPitch + 4);
        for (const auto& [id, r] : b3Rows)
            rows[static_cast<size_t>(id)] =
                buildSettingRow(setting(id), b3ControlsPanel_, QPoint(4, 4 + (r - first) * kRowPitch));
    }
    if (knobSixRow) {
        // A box that belongs to no setting: disabled from the start and never enabled.
        auto* knobSix = new QCheckBox(QStringLiteral("knob 6 has too many variables."), this);
        knobSix->setObjectName(QStringLiteral("ckB3ampknob6"));
        knobSix->setGeometry(kRowsX, kRowsTop + *knobSixRow * kRowPitch, kButtonX - kRowsX - 4, kControlHeight);
        knobSix->setEnabled(false);
    }
}

void SettingsPage::buildMiscPage(std::array<SettingRow, kSettingCount>& rows) {
    auto* znr = new QGroupBox(QStringLiteral("ZNR"), this);
    znr->setObjectName(QStringLiteral("ZNR"));
    znr->setGeometry(8, 4, 172, 4 * kRowPitch + 30);
    // The group keeps a font of its own: a bold page leaves it as it is.
    QFont groupFont = znr->font();
    groupFont.setBold(false);
    znr->setFont(groupFont);
    RowLayout znrLayout;
    znrLayout.boxWidth = 78;
    znrLayout.spinWidth = 74;
    znrLayout.fixedListWidth = 74;
    int row = 0;
    for (SettingId id : sectionNamed("ZNR").settings)
        rows[static_cast<size_t>(id)] = buildSettingRow(setting(id), znr, QPoint(8, 24 + row++ * kRowPitch), znrLayout);

    RowLayout patchLayout;
    patchLayout.boxWidth = 104;
    patchLayout.catalogueListWidth = 98;
    patchLayout.spinWidth = 68;
    auto* patchHeading = new QLabel(QStringLiteral("Patch"), this);
    patchHeading->setGeometry(190, 4, 120, 18);
    row = 0;
    for (SettingId id : sectionNamed("Patch").settings)
        rows[static_cast<size_t>(id)] =
            buildSettingRow(setting(id), this, QPoint(190, 4 + 24 + row++ * kRowPitch), patchLayout);
}

}  // namespace pf::app
