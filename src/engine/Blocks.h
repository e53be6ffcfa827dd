#pragma once

#include <array>
#include <deque>
#include <map>
#include <set>
#include <vector>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "document/DeviceModels.h"
#include "engine/Choices.h"
#include "engine/EditSession.h"
#include "engine/Process.h"
#include "engine/ValueCodec.h"

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

// What every edit block is given.
struct BlockInput {
    EditSession& session;
    const Catalogue& catalogue;
    const Choices& choices;
    const DeviceModel& device;  // the model of choices.model; the unknown one for any other code
    const ValueReader* reader = nullptr;  // reads what modules hold, when a ticked setting has a rule

    bool ticked(SettingId id) const { return choices[id].ticked; }
    const std::string& text(SettingId id) const { return choices[id].text; }
    // The catalogue value of `name` in the model's section with this suffix.
    std::string lookup(std::string_view suffix, std::string_view name) const;
    // The text the setting's choice stores (see pf::stored).
    std::string stored(SettingId id, Storage storage = Storage::OfSetting, std::string_view ampName = {}) const;

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
};

// A block's rows (see layoutRows) with the text each ticked setting stores, placed for the
// model; the places for a type are worked out the first time a module of that type is met.
class PlacedRows {
public:
    PlacedRows(const BlockInput& in, std::span<const LayoutRow> rows);

    // Writes the ticked rows into a module found holding `typeId`, in row order; the rows after
    // a type row that rewrote the module's type follow the new type.
    void writeAt(const Module& module, std::string_view typeId);
    // Sets the text a setting stores (the amp's cab, when it follows the amp being edited).
    void setText(SettingId id, const std::string& text);

private:
    struct Write {
        SettingId setting;
        int parameter;  // kNowhere: not written into this type
        const std::string* text;
        bool setsType;  // the module's type-id line
        bool ruled = false;  // written as its rule and its section's patterns decide (see decide())
        Storage storage = Storage::OfSetting;          // of the place written
        int valueParameter = kNowhere;                 // where the value the rule reads stands,
        Storage valueStorage = Storage::OfSetting;     // and how it is stored there
    };
    struct Placed {
        std::string typeId;
        std::vector<Write> writes;  // one per ticked row
    };
    const Placed& forType(std::string_view typeId);
    // The text a ruled write puts into the module, or nullptr when it leaves the line as it is
    // (left out, not readable, or its result already there; each counted as such).
    const std::string* decide(const Write& w, const Module& module);
    // The stored texts of a list condition's items at a place of this storage.
    const std::vector<std::string>& conditionTexts(SettingId id, Storage storage);

    const BlockInput& in_;
    std::vector<LayoutRow> rows_;  // the ticked ones
    std::map<std::pair<SettingId, Storage>, std::string> texts_;
    std::deque<Placed> placed_;
    // Rules: each is weighed once per module, so a module whose type this block rewrote, when
    // found again under its new type, gets no ruled write a second time.
    bool anyRuled_ = false;
    std::set<long long> retyped_;  // the Prm0 lines of such modules
    std::map<std::pair<SettingId, Storage>, std::vector<std::string>> conditionTexts_;
    long long patchOf_ = -1;  // the module whose patch name is in patchName_
    std::string patchName_;
    std::string result_;      // the text of the last relative result
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
