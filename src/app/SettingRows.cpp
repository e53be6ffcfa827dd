#include "app/SettingRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "app/SpinEdit.h"
#include "app/Widgets.h"
#include "engine/ValueCodec.h"

namespace pf::app {

QWidget* SettingRow::valueControl() const {
    if (spin) return spin;
    return list;
}

namespace {
constexpr int kRuleFrame = 2;  // the rule button's border and padding at either side
}  // namespace

QString RuleButton::markOf(const ValueRule& rule) {
    switch (rule.form) {
        case ValueRule::Form::Add: return QStringLiteral("+");
        case ValueRule::Form::Scale: return QStringLiteral("%");
        case ValueRule::Form::Limit: return QStringLiteral("\u2195");
        case ValueRule::Form::Set: break;
    }
    return rule.plain() ? QStringLiteral("=") : QStringLiteral("?");
}

RuleButton::RuleButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    // As narrow as its widest mark in bold: the row keeps its width.
    setStyleSheet(QStringLiteral("QToolButton { color: %1; padding: 0px 1px; border: 1px solid transparent; border-radius: 2px; }"
                                 "QToolButton:hover, QToolButton:focus { border-color: %2; background: %3; }"
                                 "QToolButton:disabled { color: %4; }")
                      .arg(kPromptBlue.name(), kHoverBorder.name(), kHoverFill.name(), kDisabledGrey.name()));
    QFont bold = font();
    bold.setBold(true);
    int width = 0;
    for (const char* mark : {"=", "+", "%", "\u2195", "?"}) width = std::max(width, QFontMetrics(bold).horizontalAdvance(QString::fromUtf8(mark)));
    width += 2 * kRuleFrame;
    setFixedSize(width, kControlHeight);
    setRule({});
}

void RuleButton::setRule(const ValueRule& rule) {
    rule_ = rule;
    setText(markOf(rule));
    // A rule stands out from the value itself.
    QFont f = font();
    f.setUnderline(!rule.plain());
    setFont(f);
}

ValueCell::ValueCell(QWidget* value, RuleButton* rule, QWidget* parent) : QWidget(parent), value_(value), rule_(rule) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    value->setParent(this);
    rule->setParent(this);
    layout->addWidget(value);
    layout->addWidget(rule);
    layout->addStretch(1);
    setFixedHeight(kControlHeight);
}

void ValueCell::fit() { setMinimumWidth(value_->minimumWidth() + rule_->width()); }

namespace {

using S = SettingId;

constexpr SettingLook kLooks[] = {
    {S::AmpPower, "amppower"},         {S::AmpAmp, "ampamp"},
    {S::AmpGain, "ampgain"},           {S::AmpTube, "amptube"},
    {S::AmpLevel, "amplevel"},         {S::AmpTreble, "amptreble"},
    {S::AmpMiddle, "ampmiddle"},       {S::AmpBass, "ampbass"},
    {S::AmpPresence, "amppresence"},   {S::AmpCab, "ampcab"},
    {S::B3AmpPower, "B3amppower"},     {S::B3AmpAmp, "B3ampamp"},
    {S::B3AmpGain, "B3ampgain"},       {S::B3AmpLevel, "B3amplevel"},
    {S::B3AmpTrebl, "B3amptrebl"},     {S::B3AmpMid, "B3ampmid"},
    {S::B3AmpMidF, "B3ampmidf"},       {S::B3AmpBass, "B3ampbass"},
    {S::B3AmpMix, "B3ampmix"},         {S::B3AmpCab, "B3ampcab"},
    {S::DrivePower, "drivepower"},     {S::DriveDrive, "drivedrive"},
    {S::DriveGain, "drivegain"},       {S::DriveTone, "drivetone"},
    {S::DriveLevel, "drivelevel"},     {S::DriveBalance, "b3drivebalance"},
    {S::DriveBass, "b3drivebass"},
    {S::DriveTrebl, "b3drivetrebl"},
    {S::DriveMode, "b3drivemode"},
    {S::ReverbPower, "reverbpower"},   {S::ReverbReverb, "reverbreverb"},
    {S::ReverbDecay, "reverbdecay"},   {S::ReverbTone, "reverbtone"},
    {S::ReverbMix, "reverbmix"},       {S::ReverbPreD, "reverbpred"},
    {S::ReverbHpf, "reverbhpf"},
    {S::ReverbLevel, "reverblevel"},
    {S::ReverbShape, "reverbshape"},
    {S::ReverbSize, "reverbsize"},
    {S::ReverbRef, "reverbref"},
    {S::PatchLevel, "patchlevel"},     {S::PatchFootswitch, "patchfootswitch"},
    {S::PatchExpPedal, "patchexppedal"},
    {S::NoiseReductionPower, "miscpower"},       {S::NoiseReductionThrsh, "miscthrsh"},
    {S::NoiseReductionDetect, "miscdetect"},     {S::NoiseReductionLevel, "misclevel"},
    {S::PatchBalance, "b3miscbalance"},
};
static_assert(std::size(kLooks) == kSettingCount);

}  // namespace

const SettingLook& lookOf(SettingId id) {
    for (const SettingLook& look : kLooks)
        if (look.id == id) return look;
    return kLooks[0];  // every setting has a row above
}

QString checkBoxName(SettingId id) { return QStringLiteral("ck") + qs(lookOf(id).stem); }

QString valueControlName(SettingId id) {
    return (setting(id).kind == ValueKind::Spin ? QStringLiteral("spin") : QStringLiteral("cbo")) + qs(lookOf(id).stem);
}

QGridLayout* settingGrid() {
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(kRowSpacing);
    grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return grid;
}

SettingRow buildSettingRow(const SettingDef& def, QWidget* parent, QGridLayout* grid, int gridRow, const RowLayout& layout) {
    SettingRow row;
    row.def = &def;

    row.box = new QCheckBox(QCoreApplication::translate("Settings", std::string(def.caption).c_str()), parent);
    const SettingLook& look = lookOf(def.id);
    row.box->setObjectName(checkBoxName(def.id));
    row.box->setMinimumHeight(kControlHeight);
    grid->addWidget(row.box, gridRow, 0);

    int valueWidth = 0;
    switch (def.kind) {
        case ValueKind::Spin: {
            row.spin = new SpinEdit(parent);
            row.spin->setRange(def.minimum, def.maximum);
            row.spin->setValue(def.start);
            valueWidth = layout.spinWidth;
            break;
        }
        case ValueKind::FixedList:
        case ValueKind::CatalogueList: {
            row.list = new QComboBox(parent);
            row.list->setEditable(false);  // only an item can be picked
            for (std::string_view item : def.items) row.list->addItem(qs(item));
            row.list->setCurrentIndex(-1);
            row.list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);  // the page sets its width
            valueWidth = def.kind == ValueKind::FixedList ? layout.fixedListWidth : layout.catalogueListWidth;
            break;
        }
    }
    QWidget* value = row.valueControl();
    value->setObjectName(valueControlName(def.id));
    row.rule = new RuleButton(parent);
    row.rule->setObjectName(QStringLiteral("rule") + qs(look.stem));
    row.rule->setAccessibleName(QCoreApplication::translate("Settings", "Rule for %1").arg(row.box->text()));
    // The value control and its rule button together take the width the value control took.
    valueWidth -= row.rule->width();
    value->setProperty(kLeastWidth, valueWidth);
    value->setMinimumWidth(valueWidth);
    value->setFixedHeight(kControlHeight);
    value->setEnabled(false);
    row.rule->setEnabled(false);
    row.cell = new ValueCell(value, row.rule, parent);
    row.cell->fit();
    // A value control without a hint may reach into the hint columns.
    // Settings written into some effect types only say which.
    const std::string hint = onlyForHint(def.id);
    grid->addWidget(row.cell, gridRow, 1, 1, hint.empty() ? 3 : 1, Qt::AlignLeft);
    QObject::connect(row.box, &QCheckBox::toggled, value, &QWidget::setEnabled);
    QObject::connect(row.box, &QCheckBox::toggled, row.rule, &QWidget::setEnabled);

    if (!hint.empty()) {
        row.hintBar = new QFrame(parent);
        row.hintBar->setObjectName(QStringLiteral("bar") + qs(look.stem));
        row.hintBar->setFixedSize(3, kControlHeight - 2);
        row.hintBar->setStyleSheet(QStringLiteral("background-color: %1;").arg(kHintBlue.name()));
        grid->addWidget(row.hintBar, gridRow, 2, Qt::AlignRight);
        grid->setColumnMinimumWidth(2, 7);  // 8 pixels from the value control to the bar
        row.hint = new QLabel(QCoreApplication::translate("Settings", hint.c_str()), parent);
        row.hint->setObjectName(QStringLiteral("hint") + qs(look.stem));
        row.hint->setMinimumHeight(kControlHeight);
        row.hint->setStyleSheet(QStringLiteral("color: %1;").arg(kHintBlue.name()));
        grid->addWidget(row.hint, gridRow, 3);
    }
    return row;
}

}  // namespace pf::app
