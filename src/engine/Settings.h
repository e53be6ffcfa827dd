#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pf {

// The 48 setting pairs: a check box "ck" + stem and a value control "spin" + stem or
// "cbo" + stem. Listed in the order a load unticks them; filtered by edit group, the same
// order is the order in which the group's boxes are read.
enum class SettingId : int {
    AmpPower, AmpAmp, AmpGain, AmpTube, AmpLevel, AmpTreble, AmpMiddle, AmpBass, AmpPresence, AmpCab,
    B3AmpPower, B3AmpAmp, B3AmpGain, B3AmpLevel, B3AmpTrebl, B3AmpMid, B3AmpMidF, B3AmpBass, B3AmpMix, B3AmpCab,
    DrivePower, DriveDrive, DriveGain, DriveTone, DriveLevel, DriveBalance, DriveBass, DriveTrebl, DriveMode,
    ReverbPower, ReverbReverb, ReverbDecay, ReverbTone, ReverbMix, ReverbPreD, ReverbHpf, ReverbLevel,
    ReverbShape, ReverbSize, ReverbRef,
    PatchLevel, PatchFootswitch, PatchExpPedal, MiscPower, MiscThrsh, MiscDetect, MiscLevel, PatchBalance,
};
inline constexpr size_t kSettingCount = 48;

// Tab pages of the window, in tab order.
enum class Page : int { Home, Amp, B3Amp, Drive, Reverb, Misc };

// Edit groups, in the order the Process command runs their blocks.
enum class Group : int { NoiseReduction, Amp, Drive, Reverb, PatchLevel };
inline constexpr size_t kGroupCount = 5;
std::string_view groupName(Group g);  // "ZNR", "Amp", "Drive", "Reverb", "Patch"

enum class ValueKind { Spin, FixedList, CatalogueList };

// Which device models a window shows a setting for (after loading a file of that model).
enum class ModelBinding {
    Always,
    NotG5,   // CTRL PDL: hidden for "g5", shown for "g3x" and "b3"
    B3Only,  // the B3 drive panel and the patch Balance: shown for "b3" only
};

struct SettingDef {
    SettingId id;
    std::string_view stem;          // "amppower": ckamppower / cboamppower
    Page page;
    int row;                        // row on its page, top to bottom (ZNR rows first on Misc)
    std::string_view recipeSection; // "Amp", "B3 Amp", "Drive", "Reverb", "ZNR", "Patch"
    std::string_view caption;       // also the recipe key
    ValueKind kind;
    int minimum = 0, maximum = 0, start = 0;   // spin edits
    std::span<const std::string_view> items;   // fixed lists, in list order
    std::string_view catalogueSuffix;          // catalogue lists: "-amp", "-cab", ...
    Group group;
    ModelBinding binding = ModelBinding::Always;
    std::string_view hint;                     // label after the thin bar, or empty

    std::string checkBoxName() const { return "ck" + std::string(stem); }
    std::string valueControlName() const {
        return (kind == ValueKind::Spin ? "spin" : "cbo") + std::string(stem);
    }
};

// The one table of setting pairs, indexed by SettingId.
const std::array<SettingDef, kSettingCount>& settings();
inline const SettingDef& setting(SettingId id) { return settings()[static_cast<size_t>(id)]; }

// Whether a window shows controls of this binding after a load of the model: true or false
// for "g5", "g3x" and "b3"; nullopt (left as they were) for any other code.
std::optional<bool> shownFor(ModelBinding binding, std::string_view modelCode);

// The Amp page is shown for every code but "b3", the B3 Amp page for "b3".
bool pageShownFor(Page page, std::string_view modelCode);

// What a freshly started window offers after loading a file of this model as its first file:
// the page is shown and the setting's model-bound controls are visible.
bool offeredFor(SettingId id, std::string_view modelCode);

// Fixed item lists.
inline constexpr std::array<std::string_view, 2> kOnOff{"ON", "OFF"};
inline constexpr std::array<std::string_view, 2> kDetectItems{"GtrIn", "EfxIn"};
inline constexpr std::array<std::string_view, 2> kModeItems{"NORM", "BsBST"};

}  // namespace pf
