#include "engine/Settings.h"

namespace pf {

namespace {

using K = ValueKind;
using G = Group;
using P = Page;
using B = ModelBinding;
using S = SettingId;

constexpr std::span<const std::string_view> kNoItems{};
constexpr std::span<const std::string_view> onOff{kOnOff};
constexpr std::span<const std::string_view> detect{kDetectItems};
constexpr std::span<const std::string_view> mode{kModeItems};

SettingDef spin(S id, std::string_view stem, P page, int row, std::string_view sec, std::string_view caption, int lo,
                int hi, int start, G group, B binding = B::Always, std::string_view hint = {}) {
    return SettingDef{id, stem, page, row, sec, caption, K::Spin, lo, hi, start, kNoItems, {}, group, binding, hint};
}

SettingDef fixed(S id, std::string_view stem, P page, int row, std::string_view sec, std::string_view caption,
                 std::span<const std::string_view> items, G group, B binding = B::Always,
                 std::string_view hint = {}) {
    return SettingDef{id, stem, page, row, sec, caption, K::FixedList, 0, 0, 0, items, {}, group, binding, hint};
}

SettingDef listed(S id, std::string_view stem, P page, int row, std::string_view sec, std::string_view caption,
                  std::string_view suffix, G group, B binding = B::Always) {
    return SettingDef{id, stem, page, row, sec, caption, K::CatalogueList, 0, 0, 0, kNoItems, suffix, group, binding, {}};
}

std::array<SettingDef, kSettingCount> makeTable() {
    return {{
        fixed(S::AmpPower, "amppower", P::Amp, 0, "Amp", "Power", onOff, G::Amp),
        listed(S::AmpAmp, "ampamp", P::Amp, 1, "Amp", "Amp", "-amp", G::Amp),
        spin(S::AmpGain, "ampgain", P::Amp, 2, "Amp", "Gain", 0, 100, 50, G::Amp),
        spin(S::AmpTube, "amptube", P::Amp, 3, "Amp", "Tube", 0, 100, 50, G::Amp),
        spin(S::AmpLevel, "amplevel", P::Amp, 4, "Amp", "Level", 0, 150, 75, G::Amp),
        spin(S::AmpTreble, "amptreble", P::Amp, 5, "Amp", "TRBL", 0, 100, 50, G::Amp),
        spin(S::AmpMiddle, "ampmiddle", P::Amp, 6, "Amp", "MID", 0, 100, 50, G::Amp),
        spin(S::AmpBass, "ampbass", P::Amp, 7, "Amp", "BASS", 0, 100, 50, G::Amp),
        spin(S::AmpPresence, "amppresence", P::Amp, 8, "Amp", "PRSNS", 0, 100, 50, G::Amp),
        listed(S::AmpCab, "ampcab", P::Amp, 9, "Amp", "Cab", "-cab", G::Amp),

        fixed(S::B3AmpPower, "B3amppower", P::B3Amp, 0, "B3 Amp", "Power", onOff, G::Amp),
        listed(S::B3AmpAmp, "B3ampamp", P::B3Amp, 1, "B3 Amp", "Amp", "-amp", G::Amp),
        spin(S::B3AmpGain, "B3ampgain", P::B3Amp, 2, "B3 Amp", "Gain", 0, 100, 50, G::Amp),
        spin(S::B3AmpLevel, "B3amplevel", P::B3Amp, 8, "B3 Amp", "Level", 0, 150, 50, G::Amp),
        spin(S::B3AmpTrebl, "B3amptrebl", P::B3Amp, 6, "B3 Amp", "Trebl", -10, 10, 0, G::Amp),
        spin(S::B3AmpMid, "B3ampmid", P::B3Amp, 4, "B3 Amp", "Mid", -10, 10, 0, G::Amp),
        listed(S::B3AmpMidF, "B3ampmidf", P::B3Amp, 5, "B3 Amp", "Mid-F", "-midf", G::Amp),
        spin(S::B3AmpBass, "B3ampbass", P::B3Amp, 3, "B3 Amp", "Bass", -10, 10, 0, G::Amp),
        spin(S::B3AmpMix, "B3ampmix", P::B3Amp, 10, "B3 Amp", "Mix", 0, 100, 50, G::Amp),
        listed(S::B3AmpCab, "B3ampcab", P::B3Amp, 9, "B3 Amp", "Cab", "-cab", G::Amp),

        fixed(S::DrivePower, "drivepower", P::Drive, 0, "Drive", "Power", onOff, G::Drive),
        listed(S::DriveDrive, "drivedrive", P::Drive, 1, "Drive", "Drive", "-drive", G::Drive),
        spin(S::DriveGain, "drivegain", P::Drive, 2, "Drive", "Gain", 0, 100, 50, G::Drive),
        spin(S::DriveTone, "drivetone", P::Drive, 3, "Drive", "Tone", 0, 100, 50, G::Drive),
        spin(S::DriveLevel, "drivelevel", P::Drive, 4, "Drive", "Level", 0, 150, 75, G::Drive),
        spin(S::DriveBalance, "b3drivebalance", P::Drive, 5, "Drive", "Balance", 0, 100, 50, G::Drive, B::B3Only),
        spin(S::DriveBass, "b3drivebass", P::Drive, 6, "Drive", "Bass", -10, 10, 0, G::Drive, B::B3Only,
             "Booster only"),
        spin(S::DriveTrebl, "b3drivetrebl", P::Drive, 7, "Drive", "Trebl", -10, 10, 0, G::Drive, B::B3Only,
             "Booster only"),
        fixed(S::DriveMode, "b3drivemode", P::Drive, 8, "Drive", "Mode", mode, G::Drive, B::B3Only, "Bass Muff only"),

        fixed(S::ReverbPower, "reverbpower", P::Reverb, 0, "Reverb", "Power", onOff, G::Reverb),
        listed(S::ReverbReverb, "reverbreverb", P::Reverb, 1, "Reverb", "Reverb", "-reverb", G::Reverb),
        spin(S::ReverbDecay, "reverbdecay", P::Reverb, 2, "Reverb", "Decay", 0, 100, 50, G::Reverb),
        spin(S::ReverbTone, "reverbtone", P::Reverb, 3, "Reverb", "Tone", 0, 10, 5, G::Reverb),
        spin(S::ReverbMix, "reverbmix", P::Reverb, 4, "Reverb", "Mix", 0, 100, 50, G::Reverb),
        spin(S::ReverbPreD, "reverbpred", P::Reverb, 5, "Reverb", "PreD", 1, 200, 100, G::Reverb),
        spin(S::ReverbHpf, "reverbhpf", P::Reverb, 7, "Reverb", "HPF", 0, 10, 5, G::Reverb, B::Always,
             "HD Reverb only"),
        spin(S::ReverbLevel, "reverblevel", P::Reverb, 6, "Reverb", "Level", 0, 150, 75, G::Reverb),
        spin(S::ReverbShape, "reverbshape", P::Reverb, 8, "Reverb", "Shape", -10, 10, 5, G::Reverb, B::Always,
             "Early Reflections only"),
        spin(S::ReverbSize, "reverbsize", P::Reverb, 9, "Reverb", "Size", 1, 100, 50, G::Reverb, B::Always,
             "Air only"),
        spin(S::ReverbRef, "reverbref", P::Reverb, 10, "Reverb", "Ref", 0, 10, 5, G::Reverb, B::Always, "Air only"),

        spin(S::PatchLevel, "patchlevel", P::Misc, 4, "Patch", "Patch Level", 0, 120, 60, G::PatchLevel),
        listed(S::PatchFootswitch, "patchfootswitch", P::Misc, 5, "Patch", "CTRL SW", "-footswitch", G::PatchLevel),
        listed(S::PatchExpPedal, "patchexppedal", P::Misc, 6, "Patch", "CTRL PDL", "-exppedal", G::PatchLevel,
               B::NotG5),
        fixed(S::MiscPower, "miscpower", P::Misc, 0, "ZNR", "Power", onOff, G::NoiseReduction),
        spin(S::MiscThrsh, "miscthrsh", P::Misc, 1, "ZNR", "THRSH", 1, 25, 10, G::NoiseReduction),
        fixed(S::MiscDetect, "miscdetect", P::Misc, 2, "ZNR", "Detect", detect, G::NoiseReduction),
        spin(S::MiscLevel, "misclevel", P::Misc, 3, "ZNR", "Level", 0, 150, 100, G::NoiseReduction),
        spin(S::PatchBalance, "b3miscbalance", P::Misc, 7, "Patch", "Balance", 0, 100, 50, G::PatchLevel, B::B3Only),
    }};
}

}  // namespace

const std::array<SettingDef, kSettingCount>& settings() {
    static const std::array<SettingDef, kSettingCount> table = makeTable();
    return table;
}

std::string_view groupName(Group g) {
    switch (g) {
        case Group::NoiseReduction: return "ZNR";
        case Group::Amp: return "Amp";
        case Group::Drive: return "Drive";
        case Group::Reverb: return "Reverb";
        case Group::PatchLevel: return "Patch";
    }
    return {};
}

std::optional<bool> shownFor(ModelBinding binding, std::string_view modelCode) {
    if (binding == ModelBinding::Always) return true;
    if (modelCode == "g5") return false;
    if (modelCode == "g3x") return binding == ModelBinding::NotG5;
    if (modelCode == "b3") return true;
    return std::nullopt;
}

bool pageShownFor(Page page, std::string_view modelCode) {
    if (page == Page::Amp) return modelCode != "b3";
    if (page == Page::B3Amp) return modelCode == "b3";
    return true;
}

bool offeredFor(SettingId id, std::string_view modelCode) {
    const SettingDef& def = setting(id);
    return pageShownFor(def.page, modelCode) && shownFor(def.binding, modelCode).value_or(true);
}

}  // namespace pf
