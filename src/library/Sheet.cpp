#include "library/Sheet.h"

#include <algorithm>
#include <optional>

#include "text/Ascii.h"
#include "text/Csv.h"

namespace pf {

std::vector<std::string> sheetHeader(const std::vector<SettingId>& columns) {
    std::vector<std::string> out{std::string(kFileColumn)};
    for (std::string_view c : kModuleColumns) out.emplace_back(c);
    for (SettingId id : columns) out.push_back(columnName(id));
    return out;
}

std::vector<std::string> sheetFields(std::string_view file, const TableRow& row, const std::vector<SettingId>& columns) {
    std::vector<std::string> out{std::string(file)};
    for (size_t c = 0; c < kModuleColumns.size(); ++c) out.push_back(row.text(static_cast<ModuleColumn>(c)));
    for (SettingId id : columns) out.push_back(row.text(id));
    return out;
}

namespace {

// What a header field names: the file, a module column, or a setting.
struct ColumnOf {
    enum class Kind { File, Module, Setting } kind;
    size_t index = 0;  // ModuleColumn, or the SettingId
};

std::optional<ColumnOf> columnOf(std::string_view name) {
    name = trimBlanks(name);
    if (equalsNoCase(name, kFileColumn)) return ColumnOf{ColumnOf::Kind::File};
    for (size_t c = 0; c < kModuleColumns.size(); ++c)
        if (equalsNoCase(name, kModuleColumns[c])) return ColumnOf{ColumnOf::Kind::Module, c};
    if (const SettingDef* def = settingOfColumn(name)) return ColumnOf{ColumnOf::Kind::Setting, static_cast<size_t>(def->id)};
    return std::nullopt;
}

}  // namespace

std::variant<std::vector<SheetRow>, std::string> readSheet(std::string_view text) {
    CsvReader reader(text);
    const auto header = reader.next();
    if (!header) return reader.error().empty() ? std::string("the sheet is empty") : reader.error();
    std::vector<ColumnOf> columns;
    for (const std::string& name : *header) {
        const auto column = columnOf(name);
        if (!column) return "line 1: \"" + name + "\" is not a column of the sheet (File, Patch, Name, Module, Block, Type or SECTION.KEY)";
        if (std::ranges::any_of(columns, [&](const ColumnOf& c) { return c.kind == column->kind && c.index == column->index; }))
            return "line 1: the column \"" + name + "\" is there twice";
        columns.push_back(*column);
    }
    auto has = [&](ColumnOf::Kind kind, size_t index = 0) {
        return std::ranges::any_of(columns, [&](const ColumnOf& c) { return c.kind == kind && c.index == index; });
    };
    if (!has(ColumnOf::Kind::File)) return std::string("line 1: the sheet needs the column File");
    for (ModuleColumn needed : {ModuleColumn::Module, ModuleColumn::Block})
        if (!has(ColumnOf::Kind::Module, static_cast<size_t>(needed)))
            return "line 1: the sheet needs the column " + std::string(kModuleColumns[static_cast<size_t>(needed)]);

    std::vector<SheetRow> rows;
    while (auto fields = reader.next()) {
        if (std::ranges::all_of(*fields, [](const std::string& f) { return f.empty(); })) continue;
        if (fields->size() > columns.size())
            return "line " + std::to_string(reader.line()) + ": " + std::to_string(fields->size()) +
                   " fields, but the header names " + std::to_string(columns.size()) + " columns";
        SheetRow& row = rows.emplace_back();
        row.line = reader.line();
        for (size_t i = 0; i < columns.size(); ++i) {
            const bool given = i < fields->size();
            std::string field = given ? std::move((*fields)[i]) : std::string();
            switch (columns[i].kind) {
                case ColumnOf::Kind::File: row.file = std::move(field); break;
                case ColumnOf::Kind::Module: row.module[columns[i].index] = std::move(field); break;
                case ColumnOf::Kind::Setting:
                    if (given) row.cells.emplace_back(static_cast<SettingId>(columns[i].index), std::move(field));
                    break;
            }
        }
    }
    if (!reader.error().empty()) return reader.error();
    return rows;
}

}  // namespace pf
