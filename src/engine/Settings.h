#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "document/DeviceModels.h"

namespace pf {

// The 48 setting pairs the Process command reads: a check box and one value control. Listed in
// the order a load unticks them; filtered by edit group, the same order is the order in which
// the group's boxes are read.
enum class SettingId : int {
    AmpPower, AmpAmp, AmpGain, AmpTube, AmpLevel, AmpTreble, AmpMiddle, AmpBass, AmpPresence, AmpCab,
    B3AmpPower, B3AmpAmp, B3AmpGain, B3AmpLevel, B3AmpTrebl, B3AmpMid, B3AmpMidF, B3AmpBass, B3AmpMix, B3AmpCab,
    DrivePower, DriveDrive, DriveGain, DriveTone, DriveLevel, DriveBalance, DriveBass, DriveTrebl, DriveMode,
    ReverbPower, ReverbReverb, ReverbDecay, ReverbTone, ReverbMix, ReverbPreD, ReverbHpf, ReverbLevel,
    ReverbShape, ReverbSize, ReverbRef,
    PatchLevel, PatchFootswitch, PatchExpPedal,
    NoiseReductionPower, NoiseReductionThrsh, NoiseReductionDetect, NoiseReductionLevel,  // the ZNR section
    PatchBalance,
};
inline constexpr size_t kSettingCount = 48;

// Edit groups, in the order the Process command runs their blocks.
enum class Group : int { NoiseReduction, Amp, Drive, Reverb, PatchLevel };
inline constexpr size_t kGroupCount = 5;
std::string_view groupName(Group g);  // "ZNR", "Amp", "Drive", "Reverb", "Patch"
// Whether a group's block searches the ticked types of a check list (else one fixed line).
constexpr bool byTypeList(Group g) { return g == Group::Amp || g == Group::Drive || g == Group::Reverb; }

// The effect-type check lists: of the Amp page, the B3 Amp page, the Drive and Reverb pages.
enum class TypeList : int { Amp, B3Amp, Drive, Reverb };
inline constexpr size_t kTypeListCount = 4;

enum class ValueKind { Spin, FixedList, CatalogueList };

// How a shown value is stored in its parameter line (see ValueCodec.h).
enum class Storage {
    OfSetting,       // in a module's layout: the setting's own storage
    AsShown,         // a number as shown
    PlusTen,         // a number plus 10: -10..10 as 0..20
    MinusOne,        // a number less one, never below 0
    Listed,          // a fixed list's text as its stored number
    CatalogueValue,  // a name as its catalogue value
    CabOfAmp,        // a cab item as its value less its label; "Match-Amp": the amp's own cab
    CabOrOrgan,      // a cab item as its value less its label; "ORGN" as 0
    PedalVolume,     // the control pedal's volume line: 100 for the volume targets, else not written
};

// What the engine knows of a setting. Where the window puts it is the window's business.
struct SettingDef {
    SettingId id;
    Group group;
    std::string_view caption;   // as the window shows it; also the recipe key
    ValueKind kind;
    int minimum = 0, maximum = 0, start = 0;   // spin edits
    std::span<const std::string_view> items;   // fixed lists, in list order
    std::string_view catalogueSuffix;          // catalogue lists: "-amp", "-cab", ...
    ShownWith shownWith = ShownWith::AnyModel; // beyond what its section is shown with
    Storage storage = Storage::AsShown;
    std::span<const std::string_view> storedItems;  // fixed lists: the stored number of each item
    std::string_view storedOther;                   // fixed lists: stored for any other text
};

// The one table of setting pairs, indexed by SettingId.
const std::array<SettingDef, kSettingCount>& settings();
inline const SettingDef& setting(SettingId id) { return settings()[static_cast<size_t>(id)]; }

// The settings as the user meets them: a page of the window, or one half of the Misc page, and
// a section of a batch recipe. Settings are listed in the order the window shows them.
struct SettingSection {
    std::string_view name;              // "Amp", "B3 Amp", "Drive", "Reverb", "ZNR", "Patch"
    ShownWith shownWith;                // the Amp and B3 Amp pages belong to some models only
    std::optional<TypeList> typeList;   // the effect types its settings are written into
    std::vector<SettingId> settings;
};
const std::vector<SettingSection>& settingSections();  // in the order the window shows them
inline constexpr size_t kSectionCount = 6;
const SettingSection& sectionOf(SettingId id);
size_t sectionIndex(SettingId id);  // of sectionOf(id) in settingSections()

// Whether a freshly started window that loaded a file of this model offers the setting: its
// section is shown, and so is the setting itself (controls that a load leaves as they were
// are shown in a fresh window).
bool offeredFor(SettingId id, const DeviceModel& model);
bool offeredFor(const SettingSection& section, const DeviceModel& model);

// Catalogue section suffixes; a section's name is the model code followed by one of them.
namespace section {
inline constexpr std::string_view kAmp = "-amp";
inline constexpr std::string_view kCab = "-cab";
inline constexpr std::string_view kMidF = "-midf";
inline constexpr std::string_view kDrive = "-drive";
inline constexpr std::string_view kReverb = "-reverb";
inline constexpr std::string_view kFootswitch = "-footswitch";
inline constexpr std::string_view kExpPedal = "-exppedal";
}  // namespace section

// The catalogue section of an effect-type list's names: "-amp" (both amp pages), "-drive", "-reverb".
std::string_view typeListSuffix(TypeList list);

// Fixed item lists, and the number each item is stored as.
inline constexpr std::array<std::string_view, 2> kOnOff{"ON", "OFF"};
inline constexpr std::array<std::string_view, 2> kOnOffStored{"1", "0"};
inline constexpr std::array<std::string_view, 2> kDetectItems{"GtrIn", "EfxIn"};
inline constexpr std::array<std::string_view, 2> kModeItems{"NORM", "BsBST"};
inline constexpr std::array<std::string_view, 2> kInOrderStored{"0", "1"};

}  // namespace pf
