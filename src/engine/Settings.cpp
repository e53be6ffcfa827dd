#include "engine/Settings.h"

#include <array>

namespace pf {

namespace {

using K = ValueKind;
using G = Group;
using W = ShownWith;
using S = SettingId;

constexpr std::span<const std::string_view> onOff{kOnOff};

SettingDef spin(S id, G group, std::string_view caption, int lo, int hi, int start, W shownWith = W::AnyModel,
                Storage storage = Storage::AsShown) {
    return SettingDef{id, group, caption, K::Spin, lo, hi, start, {}, {}, shownWith, storage, {}, {}};
}

// `stored`: the number each item is stored as; `other`: stored for any other text.
SettingDef fixed(S id, G group, std::string_view caption, std::span<const std::string_view> items,
                 std::span<const std::string_view> stored, std::string_view other, W shownWith = W::AnyModel) {
    return SettingDef{id, group, caption, K::FixedList, 0, 0, 0, items, {}, shownWith, Storage::Listed, stored, other};
}

SettingDef listed(S id, G group, std::string_view caption, std::string_view suffix, W shownWith = W::AnyModel,
                  Storage storage = Storage::CatalogueValue) {
    return SettingDef{id, group, caption, K::CatalogueList, 0, 0, 0, {}, suffix, shownWith, storage, {}, {}};
}

// Power: "ON" is 1 and "OFF" 0. On the amp pages only "ON" itself is on; elsewhere only "OFF"
// itself is off.
SettingDef power(S id, G group, std::string_view other) {
    return fixed(id, group, "Power", onOff, kOnOffStored, other);
}

constexpr Storage kPlusTen = Storage::PlusTen;
constexpr Storage kMinusOne = Storage::MinusOne;

std::array<SettingDef, kSettingCount> makeTable() {
    return {{
        power(S::AmpPower, G::Amp, "0"),
        listed(S::AmpAmp, G::Amp, "Amp", section::kAmp),
        spin(S::AmpGain, G::Amp, "Gain", 0, 100, 50),
        spin(S::AmpTube, G::Amp, "Tube", 0, 100, 50),
        spin(S::AmpLevel, G::Amp, "Level", 0, 150, 75),
        spin(S::AmpTreble, G::Amp, "TRBL", 0, 100, 50),
        spin(S::AmpMiddle, G::Amp, "MID", 0, 100, 50),
        spin(S::AmpBass, G::Amp, "BASS", 0, 100, 50),
        spin(S::AmpPresence, G::Amp, "PRSNS", 0, 100, 50),
        listed(S::AmpCab, G::Amp, "Cab", section::kCab, W::AnyModel, Storage::CabOfAmp),

        power(S::B3AmpPower, G::Amp, "0"),
        listed(S::B3AmpAmp, G::Amp, "Amp", section::kAmp),
        spin(S::B3AmpGain, G::Amp, "Gain", 0, 100, 50),
        spin(S::B3AmpLevel, G::Amp, "Level", 0, 150, 50),
        spin(S::B3AmpTrebl, G::Amp, "Trebl", -10, 10, 0, W::AnyModel, kPlusTen),
        spin(S::B3AmpMid, G::Amp, "Mid", -10, 10, 0, W::AnyModel, kPlusTen),
        listed(S::B3AmpMidF, G::Amp, "Mid-F", section::kMidF),
        spin(S::B3AmpBass, G::Amp, "Bass", -10, 10, 0, W::AnyModel, kPlusTen),
        spin(S::B3AmpMix, G::Amp, "Mix", 0, 100, 50),
        listed(S::B3AmpCab, G::Amp, "Cab", section::kCab, W::AnyModel, Storage::CabOrOrgan),

        power(S::DrivePower, G::Drive, "1"),
        listed(S::DriveDrive, G::Drive, "Drive", section::kDrive),
        spin(S::DriveGain, G::Drive, "Gain", 0, 100, 50),
        spin(S::DriveTone, G::Drive, "Tone", 0, 100, 50),
        spin(S::DriveLevel, G::Drive, "Level", 0, 150, 75),
        spin(S::DriveBalance, G::Drive, "Balance", 0, 100, 50, W::B3Controls),
        spin(S::DriveBass, G::Drive, "Bass", -10, 10, 0, W::B3Controls, kPlusTen),
        spin(S::DriveTrebl, G::Drive, "Trebl", -10, 10, 0, W::B3Controls, kPlusTen),
        fixed(S::DriveMode, G::Drive, "Mode", kModeItems, kInOrderStored, "1", W::B3Controls),

        power(S::ReverbPower, G::Reverb, "1"),
        listed(S::ReverbReverb, G::Reverb, "Reverb", section::kReverb),
        spin(S::ReverbDecay, G::Reverb, "Decay", 0, 100, 50, W::AnyModel, kMinusOne),
        spin(S::ReverbTone, G::Reverb, "Tone", 0, 10, 5),
        spin(S::ReverbMix, G::Reverb, "Mix", 0, 100, 50),
        spin(S::ReverbPreD, G::Reverb, "PreD", 1, 200, 100, W::AnyModel, kMinusOne),
        spin(S::ReverbHpf, G::Reverb, "HPF", 0, 10, 5),
        spin(S::ReverbLevel, G::Reverb, "Level", 0, 150, 75),
        spin(S::ReverbShape, G::Reverb, "Shape", -10, 10, 5, W::AnyModel, kPlusTen),
        spin(S::ReverbSize, G::Reverb, "Size", 1, 100, 50),
        spin(S::ReverbRef, G::Reverb, "Ref", 0, 10, 5),

        spin(S::PatchLevel, G::PatchLevel, "Patch Level", 0, 120, 60),
        listed(S::PatchFootswitch, G::PatchLevel, "CTRL SW", section::kFootswitch),
        listed(S::PatchExpPedal, G::PatchLevel, "CTRL PDL", section::kExpPedal, W::PedalControls),
        power(S::NoiseReductionPower, G::NoiseReduction, "1"),
        spin(S::NoiseReductionThrsh, G::NoiseReduction, "THRSH", 1, 25, 10, W::AnyModel, kMinusOne),
        fixed(S::NoiseReductionDetect, G::NoiseReduction, "Detect", kDetectItems, kInOrderStored, "1"),
        spin(S::NoiseReductionLevel, G::NoiseReduction, "Level", 0, 150, 100),
        spin(S::PatchBalance, G::PatchLevel, "Balance", 0, 100, 50, W::B3Controls),
    }};
}

std::vector<SettingSection> makeSections() {
    return {
        {"Amp", W::AmpPage, TypeList::Amp,
         {S::AmpPower, S::AmpAmp, S::AmpGain, S::AmpTube, S::AmpLevel, S::AmpTreble, S::AmpMiddle, S::AmpBass,
          S::AmpPresence, S::AmpCab}},
        {"B3 Amp", W::B3AmpPage, TypeList::B3Amp,
         {S::B3AmpPower, S::B3AmpAmp, S::B3AmpGain, S::B3AmpBass, S::B3AmpMid, S::B3AmpMidF, S::B3AmpTrebl,
          S::B3AmpLevel, S::B3AmpCab, S::B3AmpMix}},
        {"Drive", W::AnyModel, TypeList::Drive,
         {S::DrivePower, S::DriveDrive, S::DriveGain, S::DriveTone, S::DriveLevel, S::DriveBalance, S::DriveBass,
          S::DriveTrebl, S::DriveMode}},
        {"Reverb", W::AnyModel, TypeList::Reverb,
         {S::ReverbPower, S::ReverbReverb, S::ReverbDecay, S::ReverbTone, S::ReverbMix, S::ReverbPreD,
          S::ReverbLevel, S::ReverbHpf, S::ReverbShape, S::ReverbSize, S::ReverbRef}},
        {"ZNR", W::AnyModel, std::nullopt, {S::NoiseReductionPower, S::NoiseReductionThrsh, S::NoiseReductionDetect, S::NoiseReductionLevel}},
        {"Patch", W::AnyModel, std::nullopt, {S::PatchLevel, S::PatchFootswitch, S::PatchExpPedal, S::PatchBalance}},
    };
}

}  // namespace

const std::array<SettingDef, kSettingCount>& settings() {
    static const std::array<SettingDef, kSettingCount> table = makeTable();
    return table;
}

const std::vector<SettingSection>& settingSections() {
    static const std::vector<SettingSection> sections = makeSections();
    return sections;
}

size_t sectionIndex(SettingId id) {
    // Looked up for every module a rule weighs: a table made once.
    static const std::array<size_t, kSettingCount> index = [] {
        std::array<size_t, kSettingCount> made{};  // every setting belongs to a section; none: the first
        const auto& sections = settingSections();
        for (size_t i = sections.size(); i-- > 0;)
            for (SettingId member : sections[i].settings) made[static_cast<size_t>(member)] = i;
        return made;
    }();
    return index[static_cast<size_t>(id)];
}

const SettingSection& sectionOf(SettingId id) { return settingSections()[sectionIndex(id)]; }

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

std::string_view typeListSuffix(TypeList list) {
    switch (list) {
        case TypeList::Drive: return section::kDrive;
        case TypeList::Reverb: return section::kReverb;
        case TypeList::Amp:
        case TypeList::B3Amp: break;
    }
    return section::kAmp;
}

bool offeredFor(const SettingSection& section, const DeviceModel& model) {
    return model.shows(section.shownWith).value_or(true);
}

bool offeredFor(SettingId id, const DeviceModel& model) {
    return offeredFor(sectionOf(id), model) && model.shows(setting(id).shownWith).value_or(true);
}

}  // namespace pf
