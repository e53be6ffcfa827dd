#pragma once

// Rules: how a relative or conditional choice turns the value a module holds into the value
// written, how it is said in words, and the patch-name patterns that limit a section's edits.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Choices.h"

namespace pf {

// Whether a number lies in a rule's condition range (every number when it has none).
inline bool meetsCondition(const ValueRule& rule, int value) {
    return !rule.when || (value >= rule.when->first && value <= rule.when->second);
}

// The number a rule makes of the value a module holds: Set gives `setValue`; Add adds; Scale
// multiplies by the percentage, rounded to the nearest whole number, halves away from zero;
// Limit pulls into its range. The result is pulled into minimum..maximum.
int ruleResult(const ValueRule& rule, int setValue, int held, int minimum, int maximum);

// The recipe form of a rule: "add -5", "scale 90%", "limit 30..60", or `setValue` for Set,
// then " if A..B" or " if NAME1, NAME2" (the names of its condition items).
std::string ruleForm(const ValueRule& rule, std::string_view setValue, const std::vector<std::string>& whenNames);

// A ticked setting's rule as the changes show it beside a rewritten value ("limit 30..60",
// "Room if Spring, Hall"); empty for a plain value.
std::string shownRule(SettingId id, const SettingChoice& choice);

// Whether a patch name matches a pattern: '*' any run of characters, '?' any one, letters
// compared without case.
bool nameMatches(std::string_view pattern, std::string_view name);
bool matchesAny(const std::vector<std::string>& patterns, std::string_view name);

}  // namespace pf
