#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/Choices.h"
#include "engine/Settings.h"

namespace pf {

// The key that lists the effect types to leave ticked in a page's check list.
inline constexpr std::string_view kOnlyKey = "Only";
// The key that limits a section's edits to the patches whose names match its patterns.
inline constexpr std::string_view kPatchesKey = "Patches";

// The recipe's sections are the setting sections (settingSections()): a section's keys are
// its settings' captions, plus Only where it has an effect-type list.

// A setting the recipe ticks, with the value it gives the setting's value control.
struct RecipeValue {
    SettingId id;
    int number = 0;    // spin settings: the whole number
    std::string text;  // fixed lists: the item's own text; catalogue lists: the name as written
    // Its form ("add -5", "limit 30..60 if 0..80", "Room if Spring, Hall"); the condition's
    // names as `text` holds names.
    ValueRule rule;
};

struct Recipe {
    std::vector<RecipeValue> values;  // in setting-table order, each setting at most once
    // Per check list: the names of the Only keys in recipe order, or nullopt without any Only.
    std::array<std::optional<std::vector<std::string>>, kTypeListCount> only{};
    // Per setting section: its Patches patterns in recipe order.
    std::array<std::vector<std::string>, kSectionCount> patches{};

    const RecipeValue* find(SettingId id) const;
};

struct RecipeError {
    std::string section;  // as written in the recipe; empty when the error is not in a section
    std::string key;      // as written; empty when the error concerns the whole section
    std::string message;

    // "[section] key: message", "[section]: message" or just the message.
    std::string text() const;
};

struct RecipeResult {
    Recipe recipe;                    // meaningful only when there are no errors
    std::vector<RecipeError> errors;  // the first errors found, in recipe order
    size_t errorCount = 0;            // every error found, also those not kept in `errors`
    bool ok() const { return errorCount == 0; }
};

// Reads and checks a recipe: sections and keys are matched ignoring letter case and blanks
// around them; spin values must be whole numbers within range, fixed choices one of their
// items (ignoring case), and no key but Only and Patches may be given twice in a section. A
// rule that cannot be read is an error that names its line too. Catalogue
// names are checked later, per file, against that file's model. Every error is counted; the
// first `keptErrors` are kept. Names and values that a message echoes are cut (see cut()).
RecipeResult parseRecipe(std::string_view bytes, size_t keptErrors = SIZE_MAX);

// One setting's value as a recipe line gives it after "key = " ("60", "add -5 if 81..150",
// "Hall if Room"), read as parseRecipe() reads it; else the message saying why not. Catalogue
// names are not checked here.
std::variant<RecipeValue, std::string> readValue(SettingId id, std::string_view value);

// A condition as a recipe line gives it after " if " ("80..150" for numbers, "Spring, Hall"
// for lists), put into `rule.when` or `rule.whenItems` as readValue() puts it; else the message
// saying why not.
std::optional<std::string> readCondition(SettingId id, std::string_view condition, ValueRule& rule);

// The setting a recipe's section and key name (letter case and blanks around them ignored),
// or nullptr; Only and Patches are no settings.
const SettingDef* settingByKey(std::string_view section, std::string_view key);

// Names separated by ", "; `whenEmpty` for no names.
std::string joined(const std::vector<std::string>& names, std::string_view whenEmpty = {});

}  // namespace pf
