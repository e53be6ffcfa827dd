#include "recipe/Recipe.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <set>
#include <variant>

#include "catalogue/IniFile.h"
#include "text/Escape.h"

namespace pf {

namespace {

// A whole number: an optional sign and at least one digit, nothing else.
std::optional<long long> wholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    long long value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec == std::errc::result_out_of_range) {
        // Digits only, just too large: still a whole number, and out of every range.
        bool digits = std::all_of(text.begin() + (text.front() == '-' ? 1 : 0), text.end(),
                                  [](char c) { return c >= '0' && c <= '9'; });
        if (!digits) return std::nullopt;
        return text.front() == '-' ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    }
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// Counts every error and keeps the first ones; the section and key as written are cut, as
// every value a message echoes is.
class ErrorList {
public:
    ErrorList(RecipeResult& result, size_t kept) : result_(result), kept_(kept) {}
    void add(std::string_view section, std::string_view key, std::string message) {
        ++result_.errorCount;
        if (result_.errors.size() < kept_) result_.errors.push_back({cut(section), cut(key), std::move(message)});
    }

private:
    RecipeResult& result_;
    size_t kept_;
};

// The INI reader drops lines it cannot read and text before the first section without a
// word; a recipe must not lose a line silently, so those lines are errors here.
void checkLines(std::string_view bytes, ErrorList& errors) {
    if (bytes.find('\0') != std::string_view::npos) {
        errors.add("", "", "the recipe holds a NUL byte; it is not a text file");
        return;
    }
    bool inSection = false;
    size_t lineNumber = 0;
    size_t pos = 0;
    while (pos < bytes.size()) {
        // Lines end where the INI reader ends them: at LF, at CR LF and at a lone CR.
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++pos;
        ++lineNumber;
        line = trimBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (line.front() == '[') {
            if (line.back() != ']')
                errors.add("", "", where + "a section line must end with ']': " + cut(line));
            inSection = true;
            continue;
        }
        if (!inSection) {
            errors.add("", "", where + "text before the first section: " + cut(line));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            errors.add("", "", where + "not a key=value line: " + cut(line));
        else if (trimBlanks(line.substr(0, eq)).empty())
            errors.add("", "", where + "a value without a key: " + cut(line));
    }
}

}  // namespace

const RecipeValue* Recipe::find(SettingId id) const {
    for (const auto& v : values)
        if (v.id == id) return &v;
    return nullptr;
}

std::string RecipeError::text() const {
    if (section.empty()) return message;
    std::string out = "[" + section + "]";
    if (!key.empty()) out += " " + key;
    return out + ": " + message;
}

namespace {

// The setting section a recipe section names, ignoring letter case; nullptr for none.
const SettingSection* sectionNamed(std::string_view name) {
    for (const auto& s : settingSections())
        if (equalsNoCase(s.name, name)) return &s;
    return nullptr;
}

// The setting a key of the section names, ignoring letter case; nullptr for none.
const SettingDef* settingNamed(const SettingSection& section, std::string_view key) {
    for (SettingId id : section.settings)
        if (equalsNoCase(setting(id).caption, key)) return &setting(id);
    return nullptr;
}

std::string unknownKeyMessage(const SettingSection& section) {
    std::vector<std::string> keys;
    for (SettingId id : section.settings) keys.emplace_back(setting(id).caption);
    if (section.typeList) keys.emplace_back(kOnlyKey);
    return "unknown key; the keys of this section are " + joined(keys);
}

// A key's value as the setting's kind takes it (a whole number in range, one of the fixed
// items, a catalogue name to be checked per file); else the message saying why not.
std::variant<RecipeValue, std::string> settingValue(const SettingDef& def, const std::string& value) {
    RecipeValue v{def.id, 0, {}};
    switch (def.kind) {
        case ValueKind::Spin: {
            const auto number = wholeNumber(value);
            const std::string range = std::to_string(def.minimum) + " to " + std::to_string(def.maximum);
            if (!number) return "\"" + cut(value) + "\" is not a whole number (" + range + ")";
            if (*number < def.minimum || *number > def.maximum) return cut(value) + " is out of range " + range;
            v.number = static_cast<int>(*number);
            break;
        }
        case ValueKind::FixedList: {
            auto item = std::find_if(def.items.begin(), def.items.end(),
                                     [&](std::string_view i) { return equalsNoCase(i, value); });
            if (item == def.items.end())
                return "\"" + cut(value) + "\" is not one of " + joined(std::vector<std::string>(def.items.begin(), def.items.end()));
            v.text = std::string(*item);
            break;
        }
        case ValueKind::CatalogueList:
            if (value.empty()) return std::string("needs a name from the catalogue");
            v.text = value;
            break;
    }
    return v;
}

}  // namespace

RecipeResult parseRecipe(std::string_view bytes, size_t keptErrors) {
    RecipeResult result;
    ErrorList errors(result, keptErrors);
    // Editors that save UTF-8 may put a byte-order mark first; the INI reader would take it as
    // part of the first line and lose the first section.
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    checkLines(bytes, errors);
    if (!result.ok()) return result;

    const IniFile ini = IniFile::fromBytes(bytes);
    std::map<SettingId, RecipeValue> values;
    std::set<SettingId> seen;
    for (const IniSection& iniSection : ini.sections()) {
        const std::string_view sectionName = trimBlanks(iniSection.name);
        const SettingSection* section = sectionNamed(sectionName);
        if (section == nullptr) {
            std::vector<std::string> names;
            for (const auto& s : settingSections()) names.emplace_back(s.name);
            errors.add(sectionName, "", "unknown section; the sections are " + joined(names));
            continue;
        }
        for (const IniEntry& entry : iniSection.entries) {
            const std::string_view key = trimBlanks(entry.name);
            const std::string value(trimBlanks(entry.value));
            auto error = [&](std::string message) { errors.add(sectionName, key, std::move(message)); };
            if (section->typeList && equalsNoCase(key, kOnlyKey)) {
                if (value.empty()) {
                    error("needs the name of an effect type");
                    continue;
                }
                auto& only = result.recipe.only[static_cast<size_t>(*section->typeList)];
                if (!only) only.emplace();
                only->push_back(value);
                continue;
            }
            const SettingDef* def = settingNamed(*section, key);
            if (def == nullptr) {
                error(unknownKeyMessage(*section));
                continue;
            }
            if (!seen.insert(def->id).second) {
                error("is given more than once");
                continue;
            }
            auto read = settingValue(*def, value);
            if (auto* message = std::get_if<std::string>(&read)) error(std::move(*message));
            else values.emplace(def->id, std::get<RecipeValue>(std::move(read)));
        }
    }
    for (auto& [id, v] : values) result.recipe.values.push_back(std::move(v));
    return result;
}

std::string joined(const std::vector<std::string>& names, std::string_view whenEmpty) {
    if (names.empty()) return std::string(whenEmpty);
    std::string out;
    for (const auto& n : names) {
        if (!out.empty()) out += ", ";
        out += n;
    }
    return out;
}

}  // namespace pf
