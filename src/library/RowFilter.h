#pragma once

// Which rows of the patch table to show: conditions on settings, as a recipe's rules say them
// after "if" ("Reverb.Mix=40..100", "Reverb.Reverb=Hall,Room"), all of which must hold, and
// patterns of patch names, one of which must match.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/Choices.h"
#include "library/PatchTable.h"

namespace pf {

struct Condition {
    SettingId setting{};
    ValueRule rule;  // its `when` (numbers) or `whenItems` (lists)
};

// "SECTION.KEY=A..B" or "SECTION.KEY=NAME,NAME"; else the message saying why not.
std::variant<Condition, std::string> readWhere(std::string_view text);

// Whether a row holds a readable value of the condition's setting that meets it: a number in
// its range, a list's text one of its names (ignoring letter case; a cab also by its name
// without the label).
bool meets(const Condition& condition, const TableRow& row);

struct RowFilter {
    std::vector<Condition> where;
    std::vector<std::string> patches;  // patterns of patch names ('*', '?'); none: every patch

    bool passes(const TableRow& row) const;
};

// A whole filter in one text, terms separated by ';': a term with '=' is a condition as for
// readWhere(), any other term patch-name patterns separated by ','
// ("Amp.Gain=40..100; Reverb.Reverb=Hall,Room; Lead*, Solo?"). Else the message of the first
// term that cannot be read.
std::variant<RowFilter, std::string> readRowFilter(std::string_view text);

}  // namespace pf
