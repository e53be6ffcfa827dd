#pragma once

// What differs between two patch tables (two files) or two patches: patches matched by name,
// then by order among equal names; modules of a patch by block, in order among the modules of
// one block; settings by key. The front ends say the differences in their own way.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "library/PatchTable.h"

namespace pf {

struct Difference {
    enum class Kind {
        PatchOnlyInA, PatchOnlyInB,    // a patch the other side lacks
        ModuleOnlyInA, ModuleOnlyInB,  // a module of a block the other side's patch has fewer of
        Value,                         // a setting whose shown value differs
    };
    Kind kind = Kind::Value;
    std::string patch;              // the patch's name (A's, except for PatchOnlyInB)
    size_t patchA = 0, patchB = 0;  // the patch's number on each side; 0 where it has none
    Group group{};                  // modules and values: the block
    const TableRow* rowA = nullptr; // modules and values: the rows on each side, where there are
    const TableRow* rowB = nullptr;
    SettingId setting{};            // values
    std::string before, after;      // values: A's and B's text (see TableRow::text)
};

// Two modules of one block, one on each side (either may be missing).
struct ModulePair {
    const TableRow* a = nullptr;
    const TableRow* b = nullptr;
};
// The modules of two patches' rows paired by block, in A's order, B's extra modules after.
std::vector<ModulePair> pairModules(std::span<const TableRow> a, std::span<const TableRow> b);

// The settings of a pair whose texts differ, each as a Value difference (patch fields left for
// the caller), in column order.
std::vector<Difference> compareModules(const ModulePair& pair, const std::vector<SettingId>& columns);

// Two patches' rows: module and value differences.
std::vector<Difference> comparePatches(std::span<const TableRow> a, std::span<const TableRow> b,
                                       const std::vector<SettingId>& columns);
// Two tables' rows (in file order): patches matched by name, then by order among equal names.
std::vector<Difference> compareTables(std::span<const TableRow> a, std::span<const TableRow> b,
                                      const std::vector<SettingId>& columns);

}  // namespace pf
