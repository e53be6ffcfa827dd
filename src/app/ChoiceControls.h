#pragma once

#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "app/SettingRows.h"
#include "engine/Choices.h"
#include "engine/PatchGroup.h"

class QLineEdit;
class QListWidget;

namespace pf::app {

// The controls that hold the choices Process reads, the setting rows with their rules, the
// effect-type check lists and the fields of patch-name patterns, and the one way choices go
// into them and come back out.
class ChoiceControls {
public:
    using TypeLists = std::array<QListWidget*, kTypeListCount>;
    using PatchFields = std::array<QLineEdit*, kSectionCount>;  // per setting section
    ChoiceControls(const std::array<SettingRow, kSettingCount>& rows, const TypeLists& lists, const PatchFields& patches);

    // What the controls hold now, for a file of `model` (spin texts brought into range first).
    pf::Choices read(std::string_view model) const;

    // Shows `chosen`: every box ticked or not, and the value of every ticked setting; an
    // unticked setting keeps the value it shows. With `loaded`, the lists are filled anew first
    // (the check lists from `chosen`, the drop-downs from the loaded group's catalogue lists) and
    // every drop-down takes the chosen item, ticked or not. Without, the check lists keep their
    // entries and take the ticks of `chosen` in order.
    // Every rule and every section's patterns are shown too; a spin edit keeps its value under
    // a rule that does not set one (add, scale, limit).
    void show(const pf::Choices& chosen, const pf::PatchGroup* loaded = nullptr);

    // Gives one setting the value and rule of `chosen` (its tick stays as it is).
    void setChoice(SettingId id, const SettingChoice& chosen);

    // Fills the lists without choosing anything: each check list with `entries`, each catalogue
    // drop-down with the items `items` gives for its setting.
    using ItemsOf = std::function<const std::vector<pf::ListItem>&(SettingId)>;
    void fill(const std::array<std::vector<TypeEntry>, kTypeListCount>& entries, const ItemsOf& items);

    // Shows or hides the rows that only some models offer; an unknown model leaves them.
    void showRowsOf(const pf::DeviceModel& model);

private:
    void showRule(const SettingRow& row, const ValueRule& rule);
    void describeRule(const SettingRow& row) const;  // its tool tip: the rule in words

    const std::array<SettingRow, kSettingCount>& rows_;
    TypeLists lists_;
    PatchFields patches_;
};

}  // namespace pf::app
