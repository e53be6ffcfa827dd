// The batch tool's recipe reader on arbitrary bytes. A recipe that reads without errors must
// hold only valid values (each setting once, in table order; spin numbers in range; fixed
// choices spelled as their item; catalogue names, Only names and Patches patterns not empty;
// rules with ranges that run upwards), must read back the same, rules included, when written
// out again, and must turn into choices for every model without trouble.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "catalogue/Catalogue.h"
#include "catalogue/IniFile.h"
#include "recipe/Apply.h"
#include "recipe/Recipe.h"
#include "engine/PatchGroup.h"
#include "engine/Rules.h"
#include "engine/Settings.h"

namespace {

using pf::Recipe;

bool sameRecipe(const Recipe& a, const Recipe& b) {
    if (a.values.size() != b.values.size() || a.only != b.only || a.patches != b.patches) return false;
    for (size_t i = 0; i < a.values.size(); ++i)
        if (a.values[i].id != b.values[i].id || a.values[i].number != b.values[i].number ||
            a.values[i].text != b.values[i].text || !(a.values[i].rule == b.values[i].rule))
            return false;
    return true;
}

// The recipe written out as the user would write it.
std::string writeRecipe(const Recipe& r) {
    std::string out;
    for (const auto& section : pf::settingSections()) {
        out += "[" + std::string(section.name) + "]\n";
        for (pf::SettingId id : section.settings)
            if (const auto* v = r.find(id)) {
                const auto& def = pf::setting(id);
                out += std::string(def.caption) + " = " +
                       pf::ruleForm(v->rule, def.kind == pf::ValueKind::Spin ? std::to_string(v->number) : v->text,
                                    v->rule.whenItems) +
                       "\n";
            }
        for (const auto& pattern : r.patches[static_cast<size_t>(&section - pf::settingSections().data())])
            out += std::string(pf::kPatchesKey) + " = " + pattern + "\n";
        if (section.typeList)
            if (const auto& only = r.only[static_cast<size_t>(*section.typeList)])
                for (const auto& name : *only) out += std::string(pf::kOnlyKey) + " = " + name + "\n";
    }
    return out;
}

const pf::Catalogue& bundledCatalogue() {
    static const pf::Catalogue cat = pf::Catalogue::open(PF_FUZZ_CATALOGUE);
    return cat;
}

// An accepted recipe has no line that the INI reader drops: the reader ends a line at LF, at
// CR LF and at a lone CR, and keeps only section lines and key=value lines with a key.
bool everyLineRead(std::string_view bytes) {
    bool inSection = false;
    size_t pos = 0;
    bool first = true;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++pos;
        if (first && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
        first = false;
        line = pf::trimBlanks(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return false;
            inSection = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos || pf::trimBlanks(line.substr(0, eq)).empty()) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const pf::RecipeResult result = pf::parseRecipe(bytes);
    for (const auto& e : result.errors) PF_FUZZ_CHECK(!e.text().empty() && !e.message.empty());
    if (!result.ok()) return 0;

    PF_FUZZ_CHECK(everyLineRead(bytes));

    const Recipe& r = result.recipe;
    for (size_t i = 0; i < r.values.size(); ++i) {
        const auto& v = r.values[i];
        PF_FUZZ_CHECK(static_cast<size_t>(v.id) < pf::kSettingCount);
        if (i > 0) PF_FUZZ_CHECK(r.values[i - 1].id < v.id);
        PF_FUZZ_CHECK(r.find(v.id) == &v);
        const auto& def = pf::setting(v.id);
        // A rule's ranges run upwards, a limit within the setting's range; a list's condition
        // names items as its value does.
        const pf::ValueRule& rule = v.rule;
        if (rule.when) PF_FUZZ_CHECK(rule.when->first <= rule.when->second);
        if (rule.form == pf::ValueRule::Form::Limit)
            PF_FUZZ_CHECK(def.minimum <= rule.low && rule.low <= rule.high && rule.high <= def.maximum);
        if (rule.form == pf::ValueRule::Form::Scale) PF_FUZZ_CHECK(rule.amount >= 0);
        PF_FUZZ_CHECK(def.kind == pf::ValueKind::Spin ? rule.whenItems.empty() : !rule.when && rule.form == pf::ValueRule::Form::Set);
        for (const auto& item : rule.whenItems) {
            PF_FUZZ_CHECK(!item.empty() && pf::trimBlanks(item) == item);
            if (def.kind == pf::ValueKind::FixedList)
                PF_FUZZ_CHECK(std::find(def.items.begin(), def.items.end(), item) != def.items.end());
        }
        switch (def.kind) {
            case pf::ValueKind::Spin:
                PF_FUZZ_CHECK(v.number >= def.minimum && v.number <= def.maximum);
                break;
            case pf::ValueKind::FixedList: {
                bool found = false;
                for (auto item : def.items) found = found || item == v.text;
                PF_FUZZ_CHECK(found);
                break;
            }
            case pf::ValueKind::CatalogueList:
                PF_FUZZ_CHECK(!v.text.empty() && pf::trimBlanks(v.text) == v.text);
                break;
        }
    }
    for (const auto& patterns : r.patches)
        for (const auto& pattern : patterns) PF_FUZZ_CHECK(!pattern.empty() && pf::trimBlanks(pattern) == pattern);
    for (const auto& only : r.only)
        if (only)
            for (const auto& name : *only) PF_FUZZ_CHECK(!name.empty() && pf::trimBlanks(name) == name);

    // Written out and read again, the recipe is the same.
    const pf::RecipeResult reread = pf::parseRecipe(writeRecipe(r));
    PF_FUZZ_CHECK(reread.ok());
    PF_FUZZ_CHECK(sameRecipe(reread.recipe, r));

    // Choices for every model: each setting the recipe gives and the model offers is ticked.
    for (std::string_view file : {"x.g5a", "x.g3xa", "x.b3a", "x.txt"}) {
        pf::PatchGroup group;
        group.loadBytes("", file, bundledCatalogue());
        const pf::FileChoices fc = pf::choicesFor(r, group);
        PF_FUZZ_CHECK(fc.choices.model == group.model().code);
        if (!fc.ok()) continue;
        for (const auto& v : r.values)
            if (pf::offeredFor(v.id, group.model())) PF_FUZZ_CHECK(fc.choices[v.id].ticked);
    }
    return 0;
}
