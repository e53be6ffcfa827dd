#include "app/SettingRows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>

#include "app/SpinEdit.h"
#include "app/Widgets.h"

namespace pf::app {

QWidget* SettingRow::valueControl() const {
    if (spin) return spin;
    return list;
}

namespace {

using S = SettingId;

constexpr SettingLook kLooks[] = {
    {S::AmpPower, "amppower", ""},         {S::AmpAmp, "ampamp", ""},
    {S::AmpGain, "ampgain", ""},           {S::AmpTube, "amptube", ""},
    {S::AmpLevel, "amplevel", ""},         {S::AmpTreble, "amptreble", ""},
    {S::AmpMiddle, "ampmiddle", ""},       {S::AmpBass, "ampbass", ""},
    {S::AmpPresence, "amppresence", ""},   {S::AmpCab, "ampcab", ""},
    {S::B3AmpPower, "B3amppower", ""},     {S::B3AmpAmp, "B3ampamp", ""},
    {S::B3AmpGain, "B3ampgain", ""},       {S::B3AmpLevel, "B3amplevel", ""},
    {S::B3AmpTrebl, "B3amptrebl", ""},     {S::B3AmpMid, "B3ampmid", ""},
    {S::B3AmpMidF, "B3ampmidf", ""},       {S::B3AmpBass, "B3ampbass", ""},
    {S::B3AmpMix, "B3ampmix", ""},         {S::B3AmpCab, "B3ampcab", ""},
    {S::DrivePower, "drivepower", ""},     {S::DriveDrive, "drivedrive", ""},
    {S::DriveGain, "drivegain", ""},       {S::DriveTone, "drivetone", ""},
    {S::DriveLevel, "drivelevel", ""},     {S::DriveBalance, "b3drivebalance", ""},
    {S::DriveBass, "b3drivebass", "Booster only"},
    {S::DriveTrebl, "b3drivetrebl", "Booster only"},
    {S::DriveMode, "b3drivemode", "Bass Muff only"},
    {S::ReverbPower, "reverbpower", ""},   {S::ReverbReverb, "reverbreverb", ""},
    {S::ReverbDecay, "reverbdecay", ""},   {S::ReverbTone, "reverbtone", ""},
    {S::ReverbMix, "reverbmix", ""},       {S::ReverbPreD, "reverbpred", ""},
    {S::ReverbHpf, "reverbhpf", "HD Reverb only"},
    {S::ReverbLevel, "reverblevel", ""},
    {S::ReverbShape, "reverbshape", "Early Reflections only"},
    {S::ReverbSize, "reverbsize", "Air only"},
    {S::ReverbRef, "reverbref", "Air only"},
    {S::PatchLevel, "patchlevel", ""},     {S::PatchFootswitch, "patchfootswitch", ""},
    {S::PatchExpPedal, "patchexppedal", ""},
    {S::MiscPower, "miscpower", ""},       {S::MiscThrsh, "miscthrsh", ""},
    {S::MiscDetect, "miscdetect", ""},     {S::MiscLevel, "misclevel", ""},
    {S::PatchBalance, "b3miscbalance", ""},
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

SettingRow buildSettingRow(const SettingDef& def, QWidget* parent, QPoint topLeft, const RowLayout& layout) {
    SettingRow row;
    row.def = &def;

    row.box = new QCheckBox(qs(def.caption), parent);
    const SettingLook& look = lookOf(def.id);
    row.box->setObjectName(checkBoxName(def.id));
    row.box->setGeometry(topLeft.x(), topLeft.y(), layout.boxWidth, kControlHeight);

    const int valueX = topLeft.x() + layout.boxWidth + layout.gap;
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
            row.list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            valueWidth = def.kind == ValueKind::FixedList ? layout.fixedListWidth : layout.catalogueListWidth;
            break;
        }
    }
    QWidget* value = row.valueControl();
    value->setObjectName(valueControlName(def.id));
    value->setGeometry(valueX, topLeft.y(), valueWidth, kControlHeight);
    value->setFixedHeight(kControlHeight);
    value->setEnabled(false);
    QObject::connect(row.box, &QCheckBox::toggled, value, &QWidget::setEnabled);

    if (!look.hint.empty()) {
        const int barX = valueX + valueWidth + 8;
        row.hintBar = new QFrame(parent);
        row.hintBar->setObjectName(QStringLiteral("bar") + qs(look.stem));
        row.hintBar->setGeometry(barX, topLeft.y() + 1, 3, kControlHeight - 2);
        row.hintBar->setStyleSheet(QStringLiteral("background-color: #1a2a80;"));
        row.hint = new QLabel(qs(look.hint), parent);
        row.hint->setObjectName(QStringLiteral("hint") + qs(look.stem));
        row.hint->setGeometry(barX + 8, topLeft.y(), layout.hintWidth, kControlHeight);
        row.hint->setStyleSheet(QStringLiteral("color: #1a2a80;"));
    }
    return row;
}

}  // namespace pf::app
