#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "document/DeviceModels.h"
#include "engine/Choices.h"
#include "engine/EditSession.h"
#include "engine/Process.h"

namespace pf {

class Catalogue;

// Where a hit's module stands. Its parameter lines follow one another from Prm0 on, so
// parameter N stands N - 1 lines below its type-id line (Prm1) and N + 1 below its header line.
struct Module {
    long long prm0Line;
    long long line(int parameter) const { return prm0Line + parameter; }
};
inline Module moduleOfTypeIdLine(long long line) { return Module{line - 1}; }
inline Module moduleOfHeaderLine(long long line) { return Module{line + 1}; }

// One row of an edit table: the setting and the parameter it writes.
struct ParameterEdit {
    SettingId setting;
    int parameter;
};

// The text each setting writes, by SettingId.
struct SettingValues {
    std::array<std::string, kSettingCount> texts;
    std::string& operator[](SettingId id) { return texts[static_cast<size_t>(id)]; }
    const std::string& operator[](SettingId id) const { return texts[static_cast<size_t>(id)]; }
};

// What every edit block is given.
struct BlockInput {
    EditSession& session;
    const Catalogue& catalogue;
    const Choices& choices;
    const DeviceModel& device;  // the model of choices.model; the unknown one for any other code

    bool ticked(SettingId id) const { return choices[id].ticked; }
    const std::string& text(SettingId id) const { return choices[id].text; }
    // A spin edit's number, held within its control's range.
    int number(SettingId id) const;
    std::string numberText(SettingId id, int shift = 0) const { return std::to_string(number(id) + shift); }
    // The catalogue value of `name` in the model's section with this suffix.
    std::string lookup(std::string_view suffix, std::string_view name) const;

    // Writes the setting's parameter in the module when the setting is ticked; returns whether
    // the line was rewritten.
    bool write(SettingId id, const Module& module, int parameter, std::string_view value) const {
        if (!ticked(id)) return false;
        if (session.recording()) [[unlikely]] {
            session.origin().setting = id;
            session.origin().moduleLine = module.prm0Line - 1;
        }
        return session.writeParameter(module.line(parameter), parameter, value);
    }
    // Every row of an edit table, in table order.
    void write(const Module& module, std::span<const ParameterEdit> edits, const SettingValues& values) const {
        for (const auto& [id, parameter] : edits) write(id, module, parameter, values[id]);
    }
};

// "        <Prm1>" + type id + "</Prm1>"
std::string typeIdSearchString(std::string_view typeId);

// The search-and-edit pass by filter list: for every ticked entry of the check list, in list
// order, its type id from the model's section of the list's names, and every hit of that
// type's type-id line, calls onHit(entry text, type id, hit line). Fills the block's counts.
void runFilterListPass(const BlockInput& in, TypeList list, BlockReport& report,
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
