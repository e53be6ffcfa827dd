#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "recipe/Recipe.h"
#include "engine/Choices.h"

namespace pf {
class PatchGroup;
}

namespace pf {

// How many errors of one kind a message lists before it only counts the rest: the recipe's
// errors, a file's catalogue errors, the names a catalogue section offers.
inline constexpr size_t kErrorsShown = 20;

struct FileChoices {
    Choices choices;
    std::vector<std::string> notApplied;  // "[B3 Amp] Gain": settings the model does not offer
    std::vector<std::string> errors;      // catalogue names the model's sections lack: the first kErrorsShown
    size_t errorsNotShown = 0;            // and how many more there are
    bool ok() const { return errors.empty(); }
};

// The group's choices after its load (PatchGroup::afterLoad), set as the recipe says: every
// recipe setting the model offers is ticked and given its value (a catalogue name selects
// the list's item of that name), and each Only list leaves just its names ticked.
FileChoices choicesFor(const Recipe& recipe, const PatchGroup& group);

// The recipe that gives `choices` back through parseRecipe() and choicesFor() on this group:
// the ticked settings the model offers with their values (a catalogue item by its name), and
// the Only keys of a list in which not every type is ticked. A list with no type ticked cannot
// be said in a recipe: then the result is empty and `error` says which list.
std::string recipeFor(const Choices& choices, const PatchGroup& group, std::string* error = nullptr);

// One setting as a recipe line says it after "key = ": its value or rule, a catalogue item by
// its name ("limit 30..60", "Hall if Room"); none when a list has no item selected.
std::optional<std::string> valueText(SettingId id, const SettingChoice& choice, const PatchGroup& group);

// The ticked choice a recipe line's value gives one setting of this group, read as
// parseRecipe() and choicesFor() read it; else the message saying why not.
std::variant<SettingChoice, std::string> choiceFor(SettingId id, std::string_view value, const PatchGroup& group);

}  // namespace pf
