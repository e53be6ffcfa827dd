#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/Settings.h"

namespace pf {

// The state of one setting pair when Process starts.
struct SettingChoice {
    bool ticked = false;
    int number = 0;    // spin edits: the whole number shown
    std::string text;  // drop-down lists: the selected item's text, empty when none is selected
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

    SettingChoice& operator[](SettingId id) { return settings[static_cast<size_t>(id)]; }
    const SettingChoice& operator[](SettingId id) const { return settings[static_cast<size_t>(id)]; }
    std::vector<TypeEntry>& types(TypeList list) { return typeLists[static_cast<size_t>(list)]; }
    const std::vector<TypeEntry>& types(TypeList list) const { return typeLists[static_cast<size_t>(list)]; }

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
