#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/Settings.h"

namespace pf {

// How a ticked setting takes its value in each module it is written into, in the values the
// window shows. A plain value is a Set rule without a condition: the value control's value in
// every module. The others read what the module holds first: Add and Scale change it, Limit pulls
// it into low..high; a condition leaves alone the modules whose value lies outside `when`
// (number settings) or is none of `whenItems` (list settings: the items as their list holds
// them). Results are pulled into the setting's range.
struct ValueRule {
    enum class Form { Set, Add, Scale, Limit };
    Form form = Form::Set;
    int amount = 0;          // Add: the number added; Scale: the percentage
    int low = 0, high = 0;   // Limit: the range
    std::optional<std::pair<int, int>> when;
    std::vector<std::string> whenItems;

    bool plain() const { return form == Form::Set && !when && whenItems.empty(); }
    bool operator==(const ValueRule&) const = default;
};

// The state of one setting pair when Process starts.
struct SettingChoice {
    bool ticked = false;
    int number = 0;    // spin edits: the whole number shown
    std::string text;  // drop-down lists: the selected item's text, empty when none is selected
    ValueRule rule;    // plain unless the user chose a relative or conditional form
};

// One entry of an effect-type check list: its text (one blank and the catalogue name) and tick.
struct TypeEntry {
    std::string text;
    bool ticked = true;
};

// A plain snapshot of everything the Process command reads: the device model code, the 48
// setting pairs and the four effect-type check lists. Front ends fill it; the engine never
// sees a widget.
struct Choices {
    std::string model;
    std::array<SettingChoice, kSettingCount> settings{};
    std::array<std::vector<TypeEntry>, kTypeListCount> typeLists{};
    // Per setting section (settingSections() order): patterns of the patch names whose
    // modules that section's settings are written into; none: every patch.
    std::array<std::vector<std::string>, kSectionCount> patches{};

    SettingChoice& operator[](SettingId id) { return settings[static_cast<size_t>(id)]; }
    const SettingChoice& operator[](SettingId id) const { return settings[static_cast<size_t>(id)]; }
    std::vector<TypeEntry>& types(TypeList list) { return typeLists[static_cast<size_t>(list)]; }
    const std::vector<TypeEntry>& types(TypeList list) const { return typeLists[static_cast<size_t>(list)]; }
    const std::vector<std::string>& patchesOf(SettingId id) const { return patches[sectionIndex(id)]; }
    // Whether a ticked setting goes by more than its value: a rule, or its section's patterns.
    bool ruled(SettingId id) const { return !(*this)[id].rule.plain() || !patchesOf(id).empty(); }

    // Every box unticked, every spin edit at its start value, no selection anywhere, empty
    // check lists: the window as it starts.
    static Choices atStart() {
        Choices c;
        for (const auto& def : pf::settings())
            if (def.kind == ValueKind::Spin) c[def.id].number = def.start;
        return c;
    }
};

}  // namespace pf
