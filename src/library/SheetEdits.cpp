#include "library/SheetEdits.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "engine/PatchGroup.h"
#include "recipe/Apply.h"
#include "text/Ascii.h"

namespace pf {

std::variant<CellEdit, std::string> editOf(const PatchGroup& group, const TableRow& row, SettingId id,
                                           std::string_view shownText) {
    const std::string column = columnName(id);
    if (setting(id).group != row.group)
        return column + " is not a setting of the " + std::string(groupName(row.group)) + " block";
    if (!row.cell(id))
        return column + " does not stand in a module of type " + (row.type.empty() ? std::string(groupName(row.group)) : row.type);
    std::string value(trimBlanks(shownText));
    // A list item as the table shows it (a cab with its label) is taken by its name.
    if (setting(id).kind == ValueKind::CatalogueList)
        for (const ListItem& item : group.items(id))
            if (equalsNoCase(trimBlanks(item.text), value)) value = item.name;
    auto choice = choiceFor(id, value, group);
    if (auto* message = std::get_if<std::string>(&choice)) return column + ": " + *message;
    SettingChoice& made = std::get<SettingChoice>(choice);
    if (!made.rule.plain()) return column + ": \"" + value + "\" is a rule; a cell takes a value";
    return CellEdit{row.headerLine, row.group, row.typeId, id, std::move(made)};
}

namespace {

std::optional<long long> numberIn(std::string_view text) {
    text = trimBlanks(text);
    long long n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return n;
}

// Why a row no longer matches the module it names; empty when it does.
std::string mismatch(const SheetRow& sheet, const TableRow& row) {
    for (ModuleColumn c : {ModuleColumn::Patch, ModuleColumn::Name, ModuleColumn::Type}) {
        const auto& given = sheet.field(c);
        const std::string now = row.text(c);
        if (given && *given != now)
            return std::string(kModuleColumns[static_cast<size_t>(c)]) + " is \"" + *given + "\" in the sheet but \"" + now +
                   "\" in the file";
    }
    return {};
}

}  // namespace

SheetEdits editsFromSheet(std::span<const SheetRow* const> rows, const PatchGroup& group,
                          std::span<const TableRow> current) {
    std::map<std::pair<long long, Group>, const TableRow*> byModule;
    for (const TableRow& r : current) byModule.try_emplace({r.headerLine, r.group}, &r);
    SheetEdits out;
    for (const SheetRow* sheet : rows) {
        const std::string at = "line " + std::to_string(sheet->line) + ": ";
        const auto& moduleText = sheet->field(ModuleColumn::Module);
        const auto& blockText = sheet->field(ModuleColumn::Block);
        const auto line = numberIn(moduleText.value_or(""));
        const auto block = groupNamed(blockText.value_or(""));
        if (!line || !block) {
            out.refusals.push_back(at + "Module \"" + moduleText.value_or("") + "\" and Block \"" + blockText.value_or("") +
                                   "\" name no module (a line number and ZNR, Amp, Drive, Reverb or Patch)");
            continue;
        }
        const auto found = byModule.find({*line - 1, *block});
        if (found == byModule.end()) {
            out.refusals.push_back(at + "the file has no " + std::string(groupName(*block)) + " module at line " +
                                   std::to_string(*line));
            continue;
        }
        const TableRow& row = *found->second;
        if (std::string why = mismatch(*sheet, row); !why.empty()) {
            out.refusals.push_back(at + "the module at line " + std::to_string(*line) + " has changed: " + why);
            continue;
        }
        std::vector<CellEdit> edits;
        std::string refused;
        for (const auto& [id, text] : sheet->cells) {
            if (trimBlanks(text) == row.text(id)) continue;
            if (trimBlanks(text).empty()) {
                refused = columnName(id) + " is empty; the module holds " + row.text(id);
                break;
            }
            auto edit = editOf(group, row, id, text);
            if (auto* message = std::get_if<std::string>(&edit)) {
                refused = *message;
                break;
            }
            edits.push_back(std::get<CellEdit>(std::move(edit)));
        }
        if (!refused.empty()) out.refusals.push_back(at + refused);
        else out.edits.insert(out.edits.end(), std::make_move_iterator(edits.begin()), std::make_move_iterator(edits.end()));
    }
    return out;
}

}  // namespace pf
