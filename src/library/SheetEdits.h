#pragma once

// A sheet's rows for one file turned into edits of that file's modules: each row found again
// by its module line and block and checked against the file, each cell that differs from the
// value the module holds made into an edit.

#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/CellEdits.h"
#include "library/PatchTable.h"
#include "library/Sheet.h"

namespace pf {

class PatchGroup;

// A value as shown (as the table shows it, or a catalogue name) made into an edit of the
// row's module; else the message saying why not (not a setting of its block, not standing in
// a module of its type, not one of the setting's values for this group's model).
std::variant<CellEdit, std::string> editOf(const PatchGroup& group, const TableRow& row, SettingId id,
                                           std::string_view shownText);

struct SheetEdits {
    std::vector<CellEdit> edits;
    std::vector<std::string> refusals;  // "line N: why", one per row refused
};

// The edits the rows ask of the group's document, whose rows are `current` (in file order). A
// row whose module line and block name no module, or whose patch number, name or type differ
// from the module's, is refused, as is one with a cell that cannot be written.
SheetEdits editsFromSheet(std::span<const SheetRow* const> rows, const PatchGroup& group,
                          std::span<const TableRow> current);

}  // namespace pf
