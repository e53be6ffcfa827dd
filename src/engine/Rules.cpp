#include "engine/Rules.h"

#include <algorithm>

#include "text/Ascii.h"

namespace pf {

namespace {

// The name an item of a drop-down list stands for: a cab item's first word, else the item.
std::string itemName(SettingId id, std::string_view item) {
    item = trimBlanks(item);
    const Storage storage = setting(id).storage;
    if (storage == Storage::CabOfAmp || storage == Storage::CabOrOrgan) item = item.substr(0, item.find(' '));
    return std::string(item);
}

std::string range(int low, int high) { return std::to_string(low) + ".." + std::to_string(high); }

}  // namespace

int ruleResult(const ValueRule& rule, int setValue, int held, int minimum, int maximum) {
    long long r = setValue;
    switch (rule.form) {
        case ValueRule::Form::Set: break;
        case ValueRule::Form::Add: r = static_cast<long long>(held) + rule.amount; break;
        case ValueRule::Form::Scale: {
            const long long product = static_cast<long long>(held) * rule.amount;
            r = product / 100;
            if (2 * (product % 100) >= 100) ++r;
            else if (2 * (product % 100) <= -100) --r;
            break;
        }
        case ValueRule::Form::Limit: r = std::clamp<long long>(held, rule.low, rule.high); break;
    }
    return static_cast<int>(std::clamp<long long>(r, minimum, maximum));
}

std::string ruleForm(const ValueRule& rule, std::string_view setValue, const std::vector<std::string>& whenNames) {
    std::string out;
    switch (rule.form) {
        case ValueRule::Form::Set: out = setValue; break;
        case ValueRule::Form::Add: out = "add " + std::to_string(rule.amount); break;
        case ValueRule::Form::Scale: out = "scale " + std::to_string(rule.amount) + "%"; break;
        case ValueRule::Form::Limit: out = "limit " + range(rule.low, rule.high); break;
    }
    if (rule.when) out += " if " + range(rule.when->first, rule.when->second);
    for (size_t i = 0; i < whenNames.size(); ++i) out += (i == 0 ? " if " : ", ") + whenNames[i];
    return out;
}

std::string shownRule(SettingId id, const SettingChoice& choice) {
    if (choice.rule.plain()) return {};
    std::vector<std::string> names;
    for (const std::string& item : choice.rule.whenItems) names.push_back(itemName(id, item));
    const bool spin = setting(id).kind == ValueKind::Spin;
    return ruleForm(choice.rule, spin ? std::to_string(choice.number) : itemName(id, choice.text), names);
}

bool nameMatches(std::string_view pattern, std::string_view name) {
    // Greedy with one step back: a '*' first matches nothing and takes one more character each
    // time what follows it fails.
    size_t p = 0, n = 0, star = std::string_view::npos, starAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || asciiLower(pattern[p]) == asciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starAt = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++starAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool matchesAny(const std::vector<std::string>& patterns, std::string_view name) {
    return std::ranges::any_of(patterns, [&](const std::string& p) { return nameMatches(p, name); });
}

}  // namespace pf
