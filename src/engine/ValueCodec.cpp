#include "engine/ValueCodec.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Choices.h"
#include "text/Ascii.h"

namespace pf {

namespace {

using S = SettingId;
using F = ModelFamily;
constexpr Storage kAsShown = Storage::AsShown;

// ---- Layouts --------------------------------------------------------------------------------

// A setting that stands at one parameter in every module of its block.
template <int N>
constexpr Place kAt[] = {{.parameter = N}};

// The noise reduction: one layout on every model.
constexpr LayoutRow kNoiseReduction[] = {
    {S::NoiseReductionPower, kAt<0>}, {S::NoiseReductionThrsh, kAt<2>}, {S::NoiseReductionDetect, kAt<3>}, {S::NoiseReductionLevel, kAt<4>}};

// The amp: the Amp page's and the B3 Amp page's settings interleaved, each at its own
// parameter, on every model. Where two rows write one line, the later one stands.
constexpr LayoutRow kAmp[] = {
    {S::AmpPower, kAt<0>},    {S::B3AmpPower, kAt<0>}, {S::AmpAmp, kAt<1>},      {S::B3AmpAmp, kAt<1>},
    {S::AmpGain, kAt<2>},     {S::B3AmpGain, kAt<6>},  {S::AmpTube, kAt<3>},     {S::AmpLevel, kAt<4>},
    {S::B3AmpLevel, kAt<7>},  {S::AmpTreble, kAt<5>},  {S::B3AmpTrebl, kAt<4>},  {S::AmpMiddle, kAt<6>},
    {S::B3AmpMid, kAt<3>},    {S::AmpBass, kAt<7>},    {S::B3AmpBass, kAt<2>},   {S::AmpPresence, kAt<8>},
    {S::AmpCab, kAt<9>},      {S::B3AmpCab, kAt<9>},   {S::B3AmpMix, kAt<10>},   {S::B3AmpMidF, kAt<5>},
};

// The drive: the B3's Booster ("76") and Bass Muff ("78") lay out the lines after Tone in ways
// of their own, whatever the model.
constexpr std::array<std::string_view, 2> kBooster{"76"}, kBassMuff{"78"};
constexpr Place kDriveLevel[] = {{.typeIds = kBooster, .parameter = 5}, {.parameter = 4}};
constexpr Place kDriveBalance[] = {{.typeIds = kBassMuff, .parameter = 6}, {.typeIds = kBooster}, {.parameter = 5}};
constexpr Place kDriveBass[] = {{.typeIds = kBooster, .parameter = 3, .typeName = "Booster"}, {}};
constexpr Place kDriveTrebl[] = {{.typeIds = kBooster, .parameter = 4, .typeName = "Booster"}, {}};
constexpr Place kDriveMode[] = {{.typeIds = kBassMuff, .parameter = 5, .typeName = "Bass Muff"}, {}};
constexpr LayoutRow kDrive[] = {
    {S::DrivePower, kAt<0>},        {S::DriveDrive, kAt<1>},    {S::DriveGain, kAt<2>},    {S::DriveTone, kAt<3>},
    {S::DriveLevel, kDriveLevel}, {S::DriveBalance, kDriveBalance}, {S::DriveBass, kDriveBass},
    {S::DriveTrebl, kDriveTrebl}, {S::DriveMode, kDriveMode},
};

// The reverb: HD Reverb, Early Reflections and Air lay their parameters out in ways of their
// own, under ids that differ between the guitar units (105, 65, 66) and the bass unit (65, 54,
// 55). Some rows know a type by its id on either family: 55 is an Air in a G5 file too.
constexpr std::string_view kHd = "HD Reverb", kEarly = "Early Reflections", kAir = "Air";
constexpr std::array<std::string_view, 2> kAirIds{"66", "55"};
constexpr Place kReverbDecay[] = {
    {.typeIds = kAirIds},
    {.family = F::Guitar, .typeIds = {"105"}, .parameter = 2, .storage = kAsShown},
    {.family = F::Bass, .typeIds = {"65"}, .parameter = 2, .storage = kAsShown},
    {.parameter = 2},
};
constexpr Place kReverbTone[] = {
    {.typeIds = {"54"}, .parameter = 5}, {.family = F::Guitar, .typeIds = {"65"}, .parameter = 5}, {.parameter = 3}};
constexpr Place kReverbPreD[] = {
    {.family = F::Guitar, .typeIds = {"65", "66"}},
    {.family = F::Bass, .typeIds = {"54", "55"}},
    {.family = F::Bass, .parameter = 5, .storage = kAsShown},
    {.parameter = 5},
};
constexpr Place kReverbLevel[] = {
    {.family = F::Guitar, .typeIds = {"105"}, .parameter = 7}, {.family = F::Bass, .typeIds = {"65"}, .parameter = 7},
    {.parameter = 6}};
constexpr Place kReverbHpf[] = {
    {.typeIds = {"105"}, .parameter = 6, .typeName = kHd},
    {.family = F::Bass, .typeIds = {"65"}, .parameter = 6, .typeName = kHd},
    {}};
constexpr Place kReverbShape[] = {
    {.family = F::Guitar, .typeIds = {"65"}, .parameter = 3, .typeName = kEarly},
    {.family = F::Bass, .typeIds = {"54"}, .parameter = 3, .typeName = kEarly},
    {}};
constexpr Place kReverbSize[] = {{.typeIds = kAirIds, .parameter = 2, .typeName = kAir}, {}};
constexpr Place kReverbRef[] = {{.typeIds = kAirIds, .parameter = 5, .typeName = kAir}, {}};
constexpr LayoutRow kReverb[] = {
    {S::ReverbPower, kAt<0>},          {S::ReverbReverb, kAt<1>},   {S::ReverbDecay, kReverbDecay},
    {S::ReverbTone, kReverbTone},    {S::ReverbMix, kAt<4>},      {S::ReverbPreD, kReverbPreD},
    {S::ReverbLevel, kReverbLevel},  {S::ReverbHpf, kReverbHpf}, {S::ReverbShape, kReverbShape},
    {S::ReverbSize, kReverbSize},    {S::ReverbRef, kReverbRef},
};

// Places of the patch module, made once per parameter number and storage.
const Place* placeAt(int parameter, Storage storage = Storage::OfSetting) {
    static const std::vector<std::array<Place, 1>> made = [] {
        std::vector<std::array<Place, 1>> m(32);
        for (int i = 0; i < 16; ++i) {
            m[static_cast<size_t>(i)][0].parameter = i;
            m[static_cast<size_t>(i) + 16][0] = {.parameter = i, .storage = Storage::PedalVolume};
        }
        return m;
    }();
    return made.at(static_cast<size_t>(parameter) + (storage == Storage::PedalVolume ? 16 : 0)).data();
}

// ---- Values ---------------------------------------------------------------------------------

constexpr size_t kLabel = 4, kMaxCabValue = 300;
constexpr std::string_view kMatchAmp = "Match-Amp", kOrgan = "ORGN", kOrganStored = "0";
constexpr std::string_view kVolumeTargets[] = {"Input-Volume", "Output-Volume"};
constexpr std::string_view kFullVolume = "100";

// The first word of a cab item (" Name  LABL" gives "Name"); empty when it has no blank.
std::string_view cabWord(std::string_view item) {
    const std::string_view trimmed = trimBlanks(item);
    const size_t blank = trimmed.find(' ');
    return blank == std::string_view::npos ? std::string_view() : trimmed.substr(0, blank);
}

// A cab's catalogue value less its four-character label, at most 300 characters.
std::string cabStored(const std::string& catalogueValue) {
    return catalogueValue.size() <= kLabel ? std::string() : catalogueValue.substr(kLabel, kMaxCabValue);
}

// A cab as its list shows it: the name, two blanks and the label.
std::string cabShown(std::string_view name, std::string_view catalogueValue) {
    return std::string(name) + "  " + std::string(catalogueValue.substr(0, kLabel));
}

int shiftOf(Storage storage) {
    switch (storage) {
        case Storage::PlusTen: return 10;
        case Storage::MinusOne: return -1;
        default: return 0;
    }
}

Storage storageIn(SettingId id, Storage storage) { return storage == Storage::OfSetting ? setting(id).storage : storage; }

std::optional<int> wholeNumber(std::string_view text) {
    int n = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, n);
    if (text.empty() || ec != std::errc() || ptr != end) return std::nullopt;
    return n;
}

}  // namespace

std::string toText(const ShownValue& value) {
    if (const int* n = std::get_if<int>(&value)) return std::to_string(*n);
    return std::get<std::string>(value);
}

bool Place::holds(const DeviceModel& model, std::string_view typeId) const {
    if (family != ModelFamily::Any && family != model.family) return false;
    if (typeIds[0].empty()) return true;
    return typeId == typeIds[0] || (!typeIds[1].empty() && typeId == typeIds[1]);
}

std::span<const LayoutRow> layoutRows(Group group) {
    switch (group) {
        case Group::NoiseReduction: return kNoiseReduction;
        case Group::Amp: return kAmp;
        case Group::Drive: return kDrive;
        case Group::Reverb: return kReverb;
        case Group::PatchLevel: break;
    }
    return {};
}

std::vector<LayoutRow> patchRows(const DeviceModel& model) {
    if (!model.patchModule) return {};
    const PatchModule& p = *model.patchModule;
    std::vector<LayoutRow> rows{{S::PatchLevel, {placeAt(p.level), 1}}, {S::PatchFootswitch, {placeAt(p.footswitch), 1}}};
    if (p.pedal) {
        rows.push_back({S::PatchExpPedal, {placeAt(p.pedal->volume, Storage::PedalVolume), 1}});
        rows.push_back({S::PatchExpPedal, {placeAt(p.pedal->target), 1}});
    }
    rows.push_back({S::PatchBalance, {placeAt(p.balance), 1}});
    return rows;
}

const Place* placeOf(const LayoutRow& row, const DeviceModel& model, std::string_view typeId) {
    for (const Place& place : row.places)
        if (place.holds(model, typeId)) return place.parameter == kNowhere ? nullptr : &place;
    return nullptr;
}

std::string onlyForHint(SettingId id) {
    for (const LayoutRow& row : layoutRows(setting(id).group)) {
        if (row.setting != id) continue;
        std::string_view name;
        for (const Place& place : row.places) {
            if (place.parameter == kNowhere) continue;
            if (place.typeName.empty()) return {};  // written into other types too
            name = place.typeName;
        }
        return name.empty() ? std::string() : std::string(name) + " only";
    }
    return {};
}

// ---- Writing -------------------------------------------------------------------------------

std::string stored(SettingId id, const SettingChoice& choice, Storage storage, const CatalogueLookup& lookup,
                   std::string_view ampName) {
    const SettingDef& def = setting(id);
    storage = storageIn(id, storage);
    switch (storage) {
        case Storage::OfSetting:
        case Storage::AsShown:
        case Storage::PlusTen:
        case Storage::MinusOne: {
            const int shown = std::clamp(choice.number, def.minimum, def.maximum);
            const int value = shown + shiftOf(storage);
            return std::to_string(storage == Storage::MinusOne ? std::max(0, value) : value);  // never below 0
        }
        case Storage::Listed: {
            for (size_t i = 0; i < def.items.size(); ++i)
                if (choice.text == def.items[i]) return std::string(def.storedItems[i]);
            return std::string(def.storedOther);
        }
        case Storage::CatalogueValue: return lookup(def.catalogueSuffix, choice.text);
        case Storage::PedalVolume: return std::string(pedalVolumeFor(choice.text).value_or(""));
        case Storage::CabOfAmp:
        case Storage::CabOrOrgan: {
            const std::string_view word = cabWord(choice.text);
            if (storage == Storage::CabOrOrgan && word == kOrgan) return std::string(kOrganStored);
            if (storage == Storage::CabOfAmp && word == kMatchAmp) return cabStored(lookup(def.catalogueSuffix, ampName));
            return cabStored(lookup(def.catalogueSuffix, word));
        }
    }
    return {};
}

bool cabFollowsAmp(SettingId id, const SettingChoice& choice) {
    return setting(id).storage == Storage::CabOfAmp && cabWord(choice.text) == kMatchAmp;
}

std::optional<std::string_view> pedalVolumeFor(std::string_view target) {
    for (std::string_view volume : kVolumeTargets)
        if (target == volume) return kFullVolume;
    return std::nullopt;
}

// ---- Reading -------------------------------------------------------------------------------

std::optional<std::string_view> parameterText(std::string_view line, int number) {
    line = skipLeadingBlanks(line);
    // "<prmN>" and "</prmN>" in any letter case, compared where they stand without making them:
    // this runs for every value read.
    char digits[16];
    size_t n = 1;
    if (number >= 0 && number < 10) digits[0] = static_cast<char>('0' + number);
    else n = static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
    const size_t openLength = 5 + n, closeLength = 6 + n;
    if (line.size() < openLength + closeLength) return std::nullopt;
    // "prmN>" at `at`, letters in any case.
    auto prmAt = [&](size_t at) {
        if (asciiLower(line[at]) != 'p' || asciiLower(line[at + 1]) != 'r' || asciiLower(line[at + 2]) != 'm') return false;
        for (size_t i = 0; i < n; ++i)
            if (line[at + 3 + i] != digits[i]) return false;
        return line[at + 3 + n] == '>';
    };
    const size_t close = line.size() - closeLength;
    if (line[0] != '<' || !prmAt(1) || line[close] != '<' || line[close + 1] != '/' || !prmAt(close + 2)) return std::nullopt;
    return line.substr(openLength, close - openLength);
}

ValueReader::ValueReader(const Catalogue& catalogue, const DeviceModel& model)
    : model_(&model), patchRows_(patchRows(model)) {
    for (std::string_view suffix : {section::kAmp, section::kCab, section::kMidF, section::kDrive, section::kReverb,
                                    section::kFootswitch, section::kExpPedal}) {
        Section& s = sections_[std::string(suffix)];
        for (const IniEntry& e : catalogue.readSection(std::string(model.code) + std::string(suffix))) {
            if (suffix == section::kCab) s.inOrder.emplace_back(cabStored(e.value), cabShown(e.name, e.value));
            else s.inOrder.emplace_back(e.value, e.name);
        }
        for (const auto& [storedValue, shown] : s.inOrder) s.byValue.try_emplace(storedValue, shown);  // the first of equal values
    }
}

std::optional<std::string> ValueReader::nameOf(std::string_view suffix, std::string_view value, bool cab) const {
    if (value.empty()) return std::nullopt;
    const auto s = sections_.find(suffix);
    if (s != sections_.end()) {
        const auto it = s->second.byValue.find(std::string(value));
        if (it != s->second.byValue.end()) return it->second;
    }
    if (cab && value == kOrganStored) {
        // "ORGN" is stored as 0 whatever its catalogue value.
        if (s != sections_.end())
            for (const auto& [storedValue, shown] : s->second.inOrder)
                if (cabWord(shown + " ") == kOrgan) return shown;
        return std::string(kOrgan);
    }
    return "id " + std::string(value);
}

std::span<const LayoutRow> ValueReader::rowsOf(Group group) const {
    return group == Group::PatchLevel ? std::span<const LayoutRow>(patchRows_) : layoutRows(group);
}

std::optional<ShownValue> ValueReader::read(SettingId id, std::string_view text, Storage storage) const {
    const SettingDef& def = setting(id);
    storage = storageIn(id, storage);
    switch (storage) {
        case Storage::OfSetting:
        case Storage::AsShown:
        case Storage::PlusTen:
        case Storage::MinusOne: {
            const std::optional<int> n = wholeNumber(text);
            if (!n) return std::nullopt;
            const int shown = *n - shiftOf(storage);
            if (shown < def.minimum || shown > def.maximum) return std::nullopt;
            return shown;
        }
        case Storage::Listed:
            for (size_t i = 0; i < def.storedItems.size(); ++i)
                if (text == def.storedItems[i]) return std::string(def.items[i]);
            return std::nullopt;
        case Storage::PedalVolume: return std::nullopt;  // not a value of the target
        case Storage::CatalogueValue:
            if (auto name = nameOf(def.catalogueSuffix, text, false)) return *name;
            return std::nullopt;
        case Storage::CabOfAmp:
        case Storage::CabOrOrgan:
            if (auto name = nameOf(def.catalogueSuffix, text, storage == Storage::CabOrOrgan)) return *name;
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ShownValue> ValueReader::readLine(SettingId id, std::string_view line, int parameter, Group group,
                                                std::string_view typeId) const {
    for (const LayoutRow& row : rowsOf(group)) {
        if (row.setting != id) continue;
        const Place* place = placeOf(row, *model_, typeId);
        if (!place || place->parameter != parameter) continue;
        const std::optional<std::string_view> text = parameterText(line, parameter);
        return text ? read(id, *text, place->storage) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> ValueReader::typeName(Group group, std::string_view typeId) const {
    switch (group) {
        case Group::Amp: return nameOf(section::kAmp, typeId, false);
        case Group::Drive: return nameOf(section::kDrive, typeId, false);
        case Group::Reverb: return nameOf(section::kReverb, typeId, false);
        default: return std::nullopt;
    }
}

std::vector<ValueReader::Slot> ValueReader::slotsOf(Group group, std::string_view typeId) const {
    std::vector<Slot> slots;
    for (const LayoutRow& row : rowsOf(group)) {
        if (!offeredFor(row.setting, *model_)) continue;
        const Place* place = placeOf(row, *model_, typeId);
        if (place && place->storage != Storage::PedalVolume) slots.push_back({row.setting, place->parameter, place->storage});
    }
    return slots;
}

void ValueReader::readSlots(const Document& document, long long prm0Line, std::span<const Slot> slots,
                            std::vector<Read>& out) const {
    for (const Slot& slot : slots) {
        const long long line = prm0Line + slot.parameter;
        std::optional<ShownValue> value;
        if (line >= 0 && static_cast<unsigned long long>(line) < document.lineCount())
            if (const auto text = parameterText(document.line(static_cast<size_t>(line)), slot.parameter))
                value = read(slot.setting, *text, slot.storage);
        out.push_back({slot.setting, std::move(value)});
    }
}

std::vector<ValueReader::Read> ValueReader::readModule(const Document& document, long long prm0Line, Group group,
                                                       std::string_view typeId) const {
    std::vector<Read> out;
    readSlots(document, prm0Line, slotsOf(group, typeId), out);
    return out;
}

}  // namespace pf
