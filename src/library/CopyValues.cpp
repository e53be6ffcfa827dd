#include "library/CopyValues.h"

#include <algorithm>

#include "library/SheetEdits.h"

namespace pf {

namespace {

// Whether a setting is the type of its block's modules (the amp, drive or reverb itself).
bool isTypeSetting(SettingId id) {
    const SettingSection& section = sectionOf(id);
    return section.typeList && setting(id).kind == ValueKind::CatalogueList &&
           setting(id).catalogueSuffix == typeListSuffix(*section.typeList);
}

}  // namespace

CopiedValues copyValues(const PatchGroup& group, const TableRow& from, const TableRow& to,
                        std::span<const SettingId> settings) {
    TableRow after = to;
    const bool newType = from.typeId != to.typeId && std::ranges::any_of(settings, isTypeSetting);
    if (newType) {
        after.cells = from.cells;
        after.type = from.type;
    }
    CopiedValues out;
    for (SettingId id : settings) {
        if (newType && !from.cell(id)) continue;  // it will not stand in the module either
        auto edit = editOf(group, after, id, from.text(id));
        if (auto* why = std::get_if<std::string>(&edit)) out.refusals.push_back(std::move(*why));
        else out.edits.push_back(std::move(std::get<CellEdit>(edit)));
    }
    return out;
}

}  // namespace pf
