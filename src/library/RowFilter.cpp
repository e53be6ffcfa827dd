#include "library/RowFilter.h"

#include <algorithm>

#include "engine/Rules.h"
#include "recipe/Recipe.h"
#include "text/Ascii.h"

namespace pf {

std::variant<Condition, std::string> readWhere(std::string_view text) {
    const size_t eq = text.find('=');
    const std::string_view column = trimBlanks(text.substr(0, eq));
    if (eq == std::string_view::npos) return "\"" + std::string(text) + "\" needs SECTION.KEY=A..B or SECTION.KEY=NAME,NAME";
    const SettingDef* def = settingOfColumn(column);
    if (!def) return "\"" + std::string(column) + "\" is not a setting (SECTION.KEY, as in Reverb.Mix)";
    Condition condition{def->id, {}};
    if (auto message = readCondition(def->id, text.substr(eq + 1), condition.rule))
        return std::string(column) + ": " + *message;
    return condition;
}

bool meets(const Condition& condition, const TableRow& row) {
    const TableCell* cell = row.cell(condition.setting);
    if (!cell || !cell->value) return false;
    if (const int* number = std::get_if<int>(&*cell->value)) return meetsCondition(condition.rule, *number);
    const std::string_view shown = trimBlanks(std::get<std::string>(*cell->value));
    const std::string_view name = shown.substr(0, shown.find("  "));  // a cab without its label
    return std::ranges::any_of(condition.rule.whenItems, [&](const std::string& item) {
        return equalsNoCase(trimBlanks(item), shown) || equalsNoCase(trimBlanks(item), name);
    });
}

bool RowFilter::passes(const TableRow& row) const {
    if (!patches.empty() && !matchesAny(patches, row.patchName)) return false;
    return std::ranges::all_of(where, [&](const Condition& c) { return meets(c, row); });
}

std::variant<RowFilter, std::string> readRowFilter(std::string_view text) {
    RowFilter filter;
    auto each = [](std::string_view list, char separator, auto&& take) {
        for (size_t start = 0; start <= list.size();) {
            const size_t end = std::min(list.find(separator, start), list.size());
            if (const std::string_view item = trimBlanks(list.substr(start, end - start)); !item.empty()) take(item);
            start = end + 1;
        }
    };
    std::string error;
    each(text, ';', [&](std::string_view term) {
        if (!error.empty()) return;
        if (term.find('=') == std::string_view::npos) {
            each(term, ',', [&](std::string_view pattern) { filter.patches.emplace_back(pattern); });
            return;
        }
        auto condition = readWhere(term);
        if (auto* message = std::get_if<std::string>(&condition)) error = std::move(*message);
        else filter.where.push_back(std::move(std::get<Condition>(condition)));
    });
    if (!error.empty()) return error;
    return filter;
}

}  // namespace pf
