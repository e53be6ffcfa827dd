#pragma once

// Values of one module copied into another of the same block (two patches compared), as edits.

#include <span>
#include <string>
#include <vector>

#include "engine/CellEdits.h"
#include "library/PatchTable.h"

namespace pf {

class PatchGroup;

struct CopiedValues {
    std::vector<CellEdit> edits;
    std::vector<std::string> refusals;  // why a setting cannot be copied, one per setting
};

// The edits that give module `to` the values module `from` shows for `settings` (see editOf).
// When the module's type is among them and differs, the others are taken as standing where
// `from`'s type has them (the type is written first, see writeCells), and those that do not
// stand there are left out.
CopiedValues copyValues(const PatchGroup& group, const TableRow& from, const TableRow& to,
                        std::span<const SettingId> settings);

}  // namespace pf
