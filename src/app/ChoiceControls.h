#pragma once

#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "app/SettingRows.h"
#include "engine/Choices.h"
#include "engine/PatchGroup.h"

class QListWidget;

namespace pf::app {

// The controls that hold the choices Process reads, the setting rows and the effect-type check
// lists, and the one way choices go into them and come back out.
class ChoiceControls {
public:
    using TypeLists = std::array<QListWidget*, kTypeListCount>;
    ChoiceControls(const std::array<SettingRow, kSettingCount>& rows, const TypeLists& lists) : rows_(rows), lists_(lists) {}

    // What the controls hold now, for a file of `model` (spin texts brought into range first).
    pf::Choices read(std::string_view model) const;

    // Shows `chosen`: every box ticked or not, and the value of every ticked setting; an
    // unticked setting keeps the value it shows. With `loaded`, the lists are filled anew first
    // (the check lists from `chosen`, the drop-downs from the loaded group's catalogue lists) and
    // every drop-down takes the chosen item, ticked or not. Without, the check lists keep their
    // entries and take the ticks of `chosen` in order.
    void show(const pf::Choices& chosen, const pf::PatchGroup* loaded = nullptr);

    // Fills the lists without choosing anything: each check list with `entries`, each catalogue
    // drop-down with the items `items` gives for its setting.
    using ItemsOf = std::function<const std::vector<pf::ListItem>&(SettingId)>;
    void fill(const std::array<std::vector<TypeEntry>, kTypeListCount>& entries, const ItemsOf& items);

    // Shows or hides the rows that only some models offer; an unknown model leaves them.
    void showRowsOf(const pf::DeviceModel& model);

private:
    const std::array<SettingRow, kSettingCount>& rows_;
    TypeLists lists_;
};

}  // namespace pf::app
