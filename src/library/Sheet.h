#pragma once

// The patch table as a sheet of comma-separated values, one record per row, and such a sheet
// read back after it was edited: which file, patch and module each record names, and the
// setting cells it holds. Any of the setting columns may be left out.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "library/PatchTable.h"

namespace pf {

// The header record's fields: File, the module columns, the setting columns.
std::vector<std::string> sheetHeader(const std::vector<SettingId>& columns);
// The fields of a row of `file`, as the header lays them out.
std::vector<std::string> sheetFields(std::string_view file, const TableRow& row, const std::vector<SettingId>& columns);

struct SheetRow {
    size_t line = 0;                   // where its record starts in the sheet, from 1
    std::string file;
    // The module columns' texts (ModuleColumn order), none where the sheet lacks the column.
    std::array<std::optional<std::string>, kModuleColumns.size()> module;
    // The setting columns the sheet has, as far as the record's fields reach.
    std::vector<std::pair<SettingId, std::string>> cells;

    const std::optional<std::string>& field(ModuleColumn column) const { return module[static_cast<size_t>(column)]; }
};

// Reads a sheet: a header record naming File, Module, Block and any other columns of
// sheetHeader() (names compared ignoring letter case and blanks around them), then one record
// per row; records with every field empty are passed over. Else the message saying why not:
// an unknown or repeated column, a missing one, a record with more fields than the header, a
// quoted field not closed.
std::variant<std::vector<SheetRow>, std::string> readSheet(std::string_view text);

}  // namespace pf
