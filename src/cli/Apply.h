#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/Recipe.h"
#include "engine/Choices.h"

namespace pf {
class Catalogue;
}

namespace pf::cli {

struct FileChoices {
    Choices choices;
    std::vector<std::string> notApplied;  // "[B3 Amp] Gain": settings the model does not offer
    std::vector<std::string> errors;      // catalogue names the model's sections lack
    bool ok() const { return errors.empty(); }
};

// The choices a freshly started window holds after loading one file of `modelCode` as its
// first file and then being set as the recipe says: the catalogue lists as the load fills
// them (check lists all ticked, drop-downs at their first item), fixed lists at their first
// item, spin edits at their start values; then every recipe setting that the model offers is
// ticked and its value set, and each Only list leaves just its names ticked.
FileChoices choicesFor(const Recipe& recipe, const Catalogue& catalogue, std::string_view modelCode);

}  // namespace pf::cli
