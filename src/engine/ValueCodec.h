#pragma once

// Every setting's values both ways: how the value the window shows is stored in a parameter
// line, and how a stored text reads back as the value the window would show. Also where each
// setting stands in a module of a given type on a given model. The edit blocks write through
// this; the preview, the batch tool's JSON and anything else that reads a module read through it.

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "document/DeviceModels.h"
#include "engine/Settings.h"

namespace pf {

class Catalogue;
class Document;
struct SettingChoice;

// A value as the window shows it: a spin edit's whole number, or a list's text (a cab as its
// list shows it, "Vintage2x12  V212"; a catalogue choice by its name; "id 45" for a stored
// value the catalogue does not name).
using ShownValue = std::variant<int, std::string>;
std::string toText(const ShownValue& value);

// Where a setting stands in a module, and which stored form it takes there.
inline constexpr int kNowhere = -1;
struct Place {
    ModelFamily family = ModelFamily::Any;         // the models it holds for
    std::array<std::string_view, 2> typeIds = {};  // the type ids it holds for; none: every type
    int parameter = kNowhere;                      // kNowhere: the setting is not written there
    Storage storage = Storage::OfSetting;
    std::string_view typeName = {};                // the type's name for people ("Air")
    bool holds(const DeviceModel& model, std::string_view typeId) const;
};
// One row of a block's table: a setting and its places, the first that holds being taken.
struct LayoutRow {
    SettingId setting;
    std::span<const Place> places;
};

// A block's rows in the order it writes them at each hit. The type rows (Amp, Drive, Reverb)
// come right after Power; the rows after them follow the type the module has after it. The
// patch module's rows follow the model (patchRows).
std::span<const LayoutRow> layoutRows(Group group);
std::vector<LayoutRow> patchRows(const DeviceModel& model);
// The place a row takes in a module of this type, or nullptr when it is not written there.
const Place* placeOf(const LayoutRow& row, const DeviceModel& model, std::string_view typeId);

// For settings written only into modules of some types, "Booster only"; else empty.
std::string onlyForHint(SettingId id);

// ---- Writing -------------------------------------------------------------------------------

// The catalogue value of a name in the model's section with this suffix (empty when missing).
using CatalogueLookup = std::function<std::string(std::string_view suffix, std::string_view name)>;

// The text a choice stores: a spin edit's number shifted by its storage, a fixed list's text as
// its stored number, a catalogue name as its value, a cab as its value less the label.
// `ampName` is the amp type being edited, for the G5 and G3X cab choice "Match-Amp".
std::string stored(SettingId id, const SettingChoice& choice, Storage storage, const CatalogueLookup& lookup,
                   std::string_view ampName = {});
// Whether a cab choice takes the cab that carries the name of the amp being edited.
bool cabFollowsAmp(SettingId id, const SettingChoice& choice);
// The CTRL PDL targets that also set the pedal's volume line, and the text written there.
std::optional<std::string_view> pedalVolumeFor(std::string_view target);

// ---- Reading -------------------------------------------------------------------------------

// The value of a line that is a parameter line of `number` (after blanks and tabs, "<PrmN>"
// and "</PrmN>" in any letter case around the value), or none.
std::optional<std::string_view> parameterText(std::string_view line, int number);

// Reads stored texts back as shown values for one model, with the catalogue's names as they
// were when it was made (it keeps its own copy).
class ValueReader {
public:
    ValueReader() = default;  // no catalogue: catalogue values read as "id ..."
    ValueReader(const Catalogue& catalogue, const DeviceModel& model);

    const DeviceModel& model() const { return *model_; }
    // A stored text as the setting's shown value, or none when it is not one of its values.
    std::optional<ShownValue> read(SettingId id, std::string_view storedText, Storage storage = Storage::OfSetting) const;
    // The stored text of a parameter line at `parameter` for `setting` in a module of this
    // type: none when the line is not a parameter line of that number, when the setting does
    // not stand there, or when the text is not a value of the setting.
    std::optional<ShownValue> readLine(SettingId id, std::string_view line, int parameter, Group group,
                                       std::string_view typeId) const;
    // The catalogue name of a type id in the section of the group's types ("-amp", ...).
    std::optional<std::string> typeName(Group group, std::string_view typeId) const;

    // Each setting of a module's block that stands in it, with its shown value (none: not
    // readable). `prm0Line` is the line of its Prm0; `typeId` the type it holds (for the
    // patch module and the noise reduction, anything).
    struct Read {
        SettingId setting;
        std::optional<ShownValue> value;
        bool operator==(const Read&) const = default;
    };
    std::vector<Read> readModule(const Document& document, long long prm0Line, Group group,
                                 std::string_view typeId) const;
    // The same in two steps, for a reader of many modules of few types: where each setting
    // readModule() reads stands in a module of this type (worked out once per type), and the
    // values at those places in one module, appended to `out`.
    struct Slot {
        SettingId setting;
        int parameter;
        Storage storage;
    };
    std::vector<Slot> slotsOf(Group group, std::string_view typeId) const;
    void readSlots(const Document& document, long long prm0Line, std::span<const Slot> settingSlots,
                   std::vector<Read>& out) const;

private:
    // A catalogue section's (stored value, shown text) pairs, in section order, and the shown
    // text of each stored value (the first of equal values) for lookups.
    struct Section {
        std::vector<std::pair<std::string, std::string>> inOrder;
        std::unordered_map<std::string, std::string> byValue;
    };
    std::optional<std::string> nameOf(std::string_view suffix, std::string_view value, bool cab) const;
    std::span<const LayoutRow> rowsOf(Group group) const;

    const DeviceModel* model_ = &unknownModel();
    std::map<std::string, Section, std::less<>> sections_;
    std::vector<LayoutRow> patchRows_;  // the patch module's rows for this model
};

}  // namespace pf
