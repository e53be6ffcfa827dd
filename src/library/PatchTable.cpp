#include "library/PatchTable.h"

#include <algorithm>
#include <array>
#include <unordered_map>

#include "document/Document.h"

namespace pf {

const TableCell* TableRow::cell(SettingId id) const {
    for (const TableCell& c : cells)
        if (c.setting == id) return &c;
    return nullptr;
}

std::string TableRow::text(SettingId id) const {
    const TableCell* c = cell(id);
    if (!c) return {};
    return c->value ? toText(*c->value) : std::string(kUnreadable);
}

std::string TableRow::text(ModuleColumn column) const {
    switch (column) {
        case ModuleColumn::Patch: return std::to_string(patch);
        case ModuleColumn::Name: return patchName;
        case ModuleColumn::Module: return std::to_string(headerLine + 1);
        case ModuleColumn::Block: return std::string(groupName(group));
        case ModuleColumn::Type: return type;
    }
    return {};
}

PatchTable::PatchTable(const Catalogue& catalogue, const DeviceModel& model)
    : reader_(catalogue, model), scan_(catalogue, model), columns_(columnsFor(model)) {}

void PatchTable::forEachRow(const Document& document, const std::function<void(const TableRow&)>& row) const {
    TableRow r;
    const Layout* last = nullptr;
    Group lastGroup{};
    std::string lastTypeId;
    scan_.forEach(document, [&](const FoundModule& m) {
        r.patch = m.patch;
        if (r.patchName != m.patchName) r.patchName = m.patchName;
        r.headerLine = m.headerLine;
        r.group = m.group;
        r.typeId = m.typeId;
        // Modules of one type tend to follow one another.
        if (!last || lastGroup != m.group || lastTypeId != m.typeId) {
            auto [at, made] = layouts_[static_cast<size_t>(m.group)].try_emplace(r.typeId);
            if (made) {
                if (m.group != Group::PatchLevel) at->second.type = reader_.typeName(m.group, m.typeId).value_or("id " + r.typeId);
                at->second.slots = reader_.slotsOf(m.group, m.typeId);
            }
            last = &at->second;
            lastGroup = m.group;
            lastTypeId = r.typeId;
            r.type = last->type;
        }
        const Layout& layout = *last;
        r.cells.clear();
        reader_.readSlots(document, m.headerLine + 1, layout.slots, r.cells);
        row(r);
    });
}

std::vector<TableRow> PatchTable::rows(const Document& document) const {
    std::vector<TableRow> out;
    forEachRow(document, [&](const TableRow& r) { out.push_back(r); });
    return out;
}

std::span<const TableRow> rowsOfPatch(std::span<const TableRow> rows, size_t patch) {
    const auto first = std::ranges::find(rows, patch, &TableRow::patch);
    const auto last = std::find_if(first, rows.end(), [&](const TableRow& r) { return r.patch != patch; });
    return {first, last};
}

}  // namespace pf
