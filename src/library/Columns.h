#pragma once

// The columns of the patch table: the module's place and kind, then one per setting, named as a
// recipe names it, section and key: "Amp.Gain", "Reverb.Mix", "Patch.Patch Level".

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/DeviceModels.h"
#include "engine/Settings.h"

namespace pf {

inline constexpr std::string_view kFileColumn = "File";
// The columns before the settings: the patch's number in the file (from 1) and its name, the
// module header's line (from 1), the block whose module it is, and the module's type.
inline constexpr std::array<std::string_view, 5> kModuleColumns{"Patch", "Name", "Module", "Block", "Type"};
enum class ModuleColumn { Patch, Name, Module, Block, Type };

// "SECTION.KEY" of a setting.
std::string columnName(SettingId id);
// The setting a column name names (letter case and blanks around section and key ignored), or
// nullptr.
const SettingDef* settingOfColumn(std::string_view name);
// The block a Block column's text names ("ZNR", "Amp", ...), ignoring letter case.
std::optional<Group> groupNamed(std::string_view name);

// The setting columns for files of these models: every setting offered for one of them, in
// the order of the window's pages.
std::vector<SettingId> columnsFor(std::span<const DeviceModel* const> models);
inline std::vector<SettingId> columnsFor(const DeviceModel& model) {
    const DeviceModel* one = &model;
    return columnsFor({&one, 1});
}

}  // namespace pf
