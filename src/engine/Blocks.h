#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "catalogue/IniFile.h"
#include "engine/Choices.h"
#include "engine/EditSession.h"
#include "engine/Process.h"

namespace pf {

class Catalogue;

// What every edit block is given.
struct BlockInput {
    EditSession& session;
    const Catalogue& catalogue;
    const Choices& choices;

    const std::string& model() const { return choices.model; }
    bool isB3() const { return choices.model == "b3"; }
    bool ticked(SettingId id) const { return choices[id].ticked; }
    const std::string& text(SettingId id) const { return choices[id].text; }
    // A spin edit's number, held within its control's range.
    int number(SettingId id) const;
    std::string numberText(SettingId id) const { return std::to_string(number(id)); }
    // The catalogue value of `name` in the model's section with this suffix.
    std::string lookup(std::string_view suffix, std::string_view name) const;

    // Writes PrmN = value at `line` when the setting is ticked.
    void write(SettingId id, long long line, int parameter, std::string_view value) const {
        if (ticked(id)) session.writeParameter(line, parameter, value);
    }
};

// "        <Prm1>" + type id + "</Prm1>"
std::string typeIdSearchString(std::string_view typeId);

// The search-and-edit pass by filter list: for every ticked entry of the check list, in list
// order, its type id from the model's section with `suffix`, and every hit of that type's
// type-id line, calls onHit(entry text, type id, hit line). Fills the block's counts.
void runFilterListPass(const BlockInput& in, TypeList list, std::string_view suffix, BlockReport& report,
                       const std::function<void(const std::string&, const std::string&, long long)>& onHit);

// The search-and-edit pass by one fixed search string.
void runFixedPass(const BlockInput& in, std::string_view searchString, BlockReport& report,
                  const std::function<void(long long)>& onHit);

BlockReport runNoiseReductionEdits(const BlockInput& in);
BlockReport runAmpEdits(const BlockInput& in);
BlockReport runDriveEdits(const BlockInput& in);
BlockReport runReverbEdits(const BlockInput& in);
BlockReport runPatchLevelEdits(const BlockInput& in);

}  // namespace pf
