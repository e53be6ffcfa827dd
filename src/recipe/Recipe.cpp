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

// Where a key stands: its section and key as written (trimmed) and its line number.
struct KeyLine {
    std::string_view section, key;
    size_t line;
};

// The INI reader drops lines it cannot read and text before the first section without a
// word; a recipe must not lose a line silently, so those lines are errors here. Notes where
// each key stands, for messages that name the line.
void checkLines(std::string_view bytes, ErrorList& errors, std::vector<KeyLine>& keyLines) {
    std::string_view section;
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
            section = trimBlanks(line.substr(1, line.size() - (line.back() == ']' ? 2 : 1)));
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
        else
            keyLines.push_back({section, trimBlanks(line.substr(0, eq)), lineNumber});
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
    keys.emplace_back(kPatchesKey);
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

// A whole number that fits an int.
std::optional<int> intNumber(std::string_view text) {
    const auto n = wholeNumber(trimBlanks(text));
    if (!n || *n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max()) return std::nullopt;
    return static_cast<int>(*n);
}

// "A..B" with A no more than B.
std::optional<std::pair<int, int>> rangeOf(std::string_view text) {
    const size_t dots = text.find("..");
    if (dots == std::string_view::npos) return std::nullopt;
    const auto low = intNumber(text.substr(0, dots)), high = intNumber(text.substr(dots + 2));
    if (!low || !high || *low > *high) return std::nullopt;
    return std::pair{*low, *high};
}

// The rest of `text` after a leading word (any letter case) and the blanks after it; none
// when it does not start with that word.
std::optional<std::string_view> after(std::string_view text, std::string_view word) {
    if (text.size() < word.size() || !equalsNoCase(text.substr(0, word.size()), word)) return std::nullopt;
    const std::string_view rest = text.substr(word.size());
    if (!rest.empty() && rest.front() != ' ' && rest.front() != '\t') return std::nullopt;
    return trimBlanks(rest);
}

// A condition as it follows "if": a range A..B for numbers, names separated by commas for
// lists, put into the rule's `when` or `whenItems`; else the message saying why not.
std::optional<std::string> conditionOf(const SettingDef& def, std::string_view condition, ValueRule& rule) {
    if (def.kind == ValueKind::Spin) {
        if (!(rule.when = rangeOf(condition))) return std::string("if needs a range A..B, A no more than B, as in if 80..150");
        return std::nullopt;
    }
    size_t from = 0;
    while (from <= condition.size()) {
        const size_t comma = std::min(condition.find(',', from), condition.size());
        const std::string_view name = trimBlanks(condition.substr(from, comma - from));
        from = comma + 1;
        if (name.empty()) return std::string("if needs one or more names separated by commas");
        if (def.kind == ValueKind::CatalogueList) {
            rule.whenItems.emplace_back(name);
            continue;
        }
        auto read = settingValue(def, std::string(name));
        if (auto* message = std::get_if<std::string>(&read)) return std::move(*message);
        rule.whenItems.push_back(std::get<RecipeValue>(read).text);
    }
    return std::nullopt;
}

// A key's value that is a rule ("add N", "scale P%", "limit A..B", any of them or a value
// followed by " if ..."), or none when it is a plain value; else the message saying why not.
std::optional<std::variant<RecipeValue, std::string>> ruleValue(const SettingDef& def, const std::string& value) {
    std::string_view head = value, condition;
    const std::string lower = lowerAscii(value);
    const size_t at = lower.ends_with(" if") ? lower.size() - 3 : lower.find(" if ");
    const bool conditional = at != std::string::npos;
    if (conditional) {
        head = trimBlanks(std::string_view(value).substr(0, at));
        condition = trimBlanks(std::string_view(value).substr(at + 3));
    }
    // The relative forms are words only where a number is expected: a list's names may start
    // with them.
    using Form = ValueRule::Form;
    Form form = Form::Set;
    std::optional<std::string_view> argument;
    for (auto [word, f] : {std::pair{"add", Form::Add}, {"scale", Form::Scale}, {"limit", Form::Limit}})
        if (def.kind == ValueKind::Spin && !argument && (argument = after(head, word))) form = f;
    if (!conditional && !argument) return std::nullopt;

    using Result = std::variant<RecipeValue, std::string>;
    const std::string quoted = "\"" + cut(value) + "\": ";
    const std::string range = std::to_string(def.minimum) + " to " + std::to_string(def.maximum);
    // A relative rule's number is never written; it holds the setting's start value, so that
    // every number a recipe holds is one of the setting's values.
    RecipeValue v{def.id, def.start, {}, {}};
    v.rule.form = form;
    if (form == Form::Set) {
        auto read = settingValue(def, std::string(head));
        if (auto* message = std::get_if<std::string>(&read)) return Result(quoted + *message);
        v = std::get<RecipeValue>(std::move(read));
        v.rule.form = form;
    } else if (form == Form::Add) {
        const auto n = intNumber(*argument);
        if (!n) return Result(quoted + "add needs a whole number, as in add -5");
        v.rule.amount = *n;
    } else if (form == Form::Scale) {
        const auto n = argument->ends_with('%') ? intNumber(argument->substr(0, argument->size() - 1)) : std::nullopt;
        if (!n || *n < 0) return Result(quoted + "scale needs a whole percentage of 0 or more and its sign, as in scale 90%");
        v.rule.amount = *n;
    } else {
        const auto r = rangeOf(*argument);
        if (!r || r->first < def.minimum || r->second > def.maximum)
            return Result(quoted + "limit needs a range A..B within " + range + ", A no more than B");
        v.rule.low = r->first;
        v.rule.high = r->second;
    }
    if (!conditional) return Result(std::move(v));
    if (auto message = conditionOf(def, condition, v.rule)) return Result(quoted + *message);
    return Result(std::move(v));
}

// A key's value: a rule (then `isRule` is set) or a plain value.
std::variant<RecipeValue, std::string> valueOf(const SettingDef& def, const std::string& value, bool* isRule) {
    auto rule = ruleValue(def, value);
    *isRule = rule.has_value();
    return rule ? std::move(*rule) : settingValue(def, value);
}

}  // namespace

std::optional<std::string> readCondition(SettingId id, std::string_view condition, ValueRule& rule) {
    return conditionOf(setting(id), trimBlanks(condition), rule);
}

const SettingDef* settingByKey(std::string_view section, std::string_view key) {
    const SettingSection* s = sectionNamed(trimBlanks(section));
    return s ? settingNamed(*s, trimBlanks(key)) : nullptr;
}

std::variant<RecipeValue, std::string> readValue(SettingId id, std::string_view value) {
    bool isRule = false;
    return valueOf(setting(id), std::string(trimBlanks(value)), &isRule);
}

RecipeResult parseRecipe(std::string_view bytes, size_t keptErrors) {
    RecipeResult result;
    ErrorList errors(result, keptErrors);
    // Editors that save UTF-8 may put a byte-order mark first; the INI reader would take it as
    // part of the first line and lose the first section.
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    std::vector<KeyLine> keyLines;
    checkLines(bytes, errors, keyLines);
    if (!result.ok()) return result;
    // The line of the n-th key of this name in sections of this name (n from 0).
    std::map<std::pair<std::string, std::string>, size_t> keysSeen;
    auto lineOf = [&](std::string_view section, std::string_view key, size_t n) {
        for (const KeyLine& k : keyLines)
            if (equalsNoCase(k.section, section) && equalsNoCase(k.key, key) && n-- == 0) return k.line;
        return size_t{0};
    };

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
            const size_t occurrence = keysSeen[{lowerAscii(sectionName), lowerAscii(key)}]++;
            if (equalsNoCase(key, kPatchesKey)) {
                if (value.empty()) error("needs a pattern of patch names (* and ? stand for any characters)");
                else result.recipe.patches[static_cast<size_t>(section - settingSections().data())].push_back(value);
                continue;
            }
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
            bool isRule = false;
            auto read = valueOf(*def, value, &isRule);
            if (auto* message = std::get_if<std::string>(&read)) {
                // A rule that cannot be read names its line too.
                error(isRule ? "line " + std::to_string(lineOf(sectionName, key, occurrence)) + ": " + *message : std::move(*message));
                continue;
            }
            values.emplace(def->id, std::get<RecipeValue>(std::move(read)));
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
