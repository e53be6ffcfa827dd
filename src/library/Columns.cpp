#include "library/Columns.h"

#include <algorithm>

#include "recipe/Recipe.h"
#include "text/Ascii.h"

namespace pf {

std::string columnName(SettingId id) {
    return std::string(sectionOf(id).name) + "." + std::string(setting(id).caption);
}

const SettingDef* settingOfColumn(std::string_view name) {
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos) return nullptr;
    return settingByKey(name.substr(0, dot), name.substr(dot + 1));
}

std::optional<Group> groupNamed(std::string_view name) {
    for (size_t g = 0; g < kGroupCount; ++g)
        if (equalsNoCase(groupName(static_cast<Group>(g)), trimBlanks(name))) return static_cast<Group>(g);
    return std::nullopt;
}

std::vector<SettingId> columnsFor(std::span<const DeviceModel* const> models) {
    std::vector<SettingId> columns;
    for (const SettingSection& section : settingSections())
        for (SettingId id : section.settings)
            if (std::ranges::any_of(models, [&](const DeviceModel* m) { return offeredFor(id, *m); }))
                columns.push_back(id);
    return columns;
}

}  // namespace pf
