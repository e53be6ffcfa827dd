#include "recipe/Apply.h"

#include <algorithm>

#include "text/Escape.h"
#include "engine/PatchGroup.h"
#include "engine/Rules.h"
#include "text/Ascii.h"

namespace pf {

namespace {

// Catalogue names as a message lists them, each cut, the first kErrorsShown of them.
std::string offers(const std::vector<std::string>& names) {
    std::vector<std::string> shown;
    for (size_t i = 0; i < names.size() && i < kErrorsShown; ++i) shown.push_back(cut(names[i]));
    std::string list = joined(shown, "(none)");
    if (names.size() > kErrorsShown) list += " and " + std::to_string(names.size() - kErrorsShown) + " more";
    return list;
}

std::string label(std::string_view section, std::string_view key) {
    return "[" + std::string(section) + "] " + std::string(key);
}

std::string notInSection(std::string_view what, std::string_view name, const std::string& section,
                         const std::vector<std::string>& names) {
    return std::string(what) + ": \"" + cut(name) + "\" is not in " + section + ", which offers " + offers(names);
}

}  // namespace

FileChoices choicesFor(const Recipe& recipe, const PatchGroup& group) {
    FileChoices result;
    Choices& c = result.choices = group.afterLoad();
    const DeviceModel& model = group.model();
    auto sectionName = [&](std::string_view suffix) { return "catalogue section [" + c.model + std::string(suffix) + "]"; };
    // A message is made only for the errors shown; the others are counted.
    auto error = [&](const auto& makeMessage) {
        if (result.errors.size() < kErrorsShown) result.errors.push_back(makeMessage());
        else ++result.errorsNotShown;
    };

    for (const RecipeValue& v : recipe.values) {
        const SettingDef& def = setting(v.id);
        const std::string key = label(sectionOf(v.id).name, def.caption);
        if (!offeredFor(v.id, model)) {
            result.notApplied.push_back(key);
            continue;
        }
        SettingChoice& choice = c[v.id];
        choice.rule = v.rule;
        // A catalogue name as the item of that name; a name the section lacks is an error.
        auto itemOf = [&](const std::string& name) -> const std::string* {
            const std::vector<ListItem>& items = group.items(v.id);
            auto it = std::ranges::find_if(items, [&](const ListItem& i) { return equalsNoCase(i.name, name); });
            if (it != items.end()) return &it->text;
            error([&] {
                std::vector<std::string> names;
                for (const ListItem& i : items) names.push_back(i.name);
                return notInSection(key, name, sectionName(def.catalogueSuffix), names);
            });
            return nullptr;
        };
        switch (def.kind) {
            case ValueKind::Spin: choice.number = v.number; break;
            case ValueKind::FixedList: choice.text = v.text; break;
            case ValueKind::CatalogueList: {
                const std::string* item = itemOf(v.text);
                bool known = item != nullptr;
                if (item) choice.text = *item;
                for (std::string& name : choice.rule.whenItems)
                    if (const std::string* when = itemOf(name)) name = *when;
                    else known = false;
                if (!known) continue;
                break;
            }
        }
        choice.ticked = true;
    }

    for (size_t i = 0; i < kSectionCount; ++i) {
        if (recipe.patches[i].empty()) continue;
        const SettingSection& section = settingSections()[i];
        if (offeredFor(section, model)) c.patches[i] = recipe.patches[i];
        else result.notApplied.push_back(label(section.name, kPatchesKey));
    }

    // The Only lists: every other entry of that check list unticked, in the list's own order.
    for (const SettingSection& section : settingSections()) {
        if (!section.typeList) continue;
        const auto& only = recipe.only[static_cast<size_t>(*section.typeList)];
        if (!only) continue;
        const std::string key = label(section.name, kOnlyKey);
        if (!offeredFor(section, model)) {
            result.notApplied.push_back(key);
            continue;
        }
        std::vector<TypeEntry>& entries = c.types(*section.typeList);
        for (auto& e : entries) e.ticked = false;
        for (const std::string& name : *only) {
            auto it = std::ranges::find_if(entries, [&](const TypeEntry& e) { return equalsNoCase(trimBlanks(e.text), name); });
            if (it == entries.end()) {
                error([&] {
                    std::vector<std::string> names;
                    for (const auto& e : entries) names.emplace_back(trimBlanks(e.text));
                    return notInSection(key, name,
                                        "the effect-type list of " + sectionName(typeListSuffix(*section.typeList)), names);
                });
                continue;
            }
            it->ticked = true;
        }
    }
    return result;
}

std::string recipeFor(const Choices& choices, const PatchGroup& group, std::string* error) {
    const DeviceModel& model = group.model();
    std::string out;
    for (const SettingSection& section : settingSections()) {
        std::string lines;
        for (SettingId id : section.settings) {
            const SettingChoice& choice = choices[id];
            if (!choice.ticked || !offeredFor(id, model)) continue;
            const std::optional<std::string> value = valueText(id, choice, group);
            if (!value) continue;  // no item selected: the setting changes nothing
            lines += std::string(setting(id).caption) + " = " + *value + "\n";
        }
        for (const std::string& pattern : choices.patches[static_cast<size_t>(&section - settingSections().data())])
            if (offeredFor(section, model)) lines += std::string(kPatchesKey) + " = " + pattern + "\n";
        if (section.typeList && offeredFor(section, model)) {
            const std::vector<TypeEntry>& entries = choices.types(*section.typeList);
            std::string only;
            size_t ticked = 0;
            for (const TypeEntry& e : entries) {
                if (!e.ticked) continue;
                ++ticked;
                only += std::string(kOnlyKey) + " = " + std::string(trimBlanks(e.text)) + "\n";
            }
            if (ticked == 0 && !entries.empty()) {
                if (error) *error = "every type of the " + std::string(section.name) +
                                    " list is unticked, which a recipe cannot say; tick one or more";
                return {};
            }
            if (ticked < entries.size()) lines += only;
        }
        if (lines.empty()) continue;
        if (!out.empty()) out += "\n";
        out += "[" + std::string(section.name) + "]\n" + lines;
    }
    return out;
}

std::optional<std::string> valueText(SettingId id, const SettingChoice& choice, const PatchGroup& group) {
    const SettingDef& def = setting(id);
    // A catalogue item by its name; none for no item.
    auto nameOf = [&](const std::string& text) -> std::optional<std::string> {
        if (def.kind != ValueKind::CatalogueList) return text;
        const std::vector<ListItem>& items = group.items(id);
        auto it = std::ranges::find_if(items, [&](const ListItem& i) { return i.text == text; });
        return it == items.end() ? std::nullopt : std::optional(it->name);
    };
    std::optional<std::string> value = def.kind == ValueKind::Spin ? std::to_string(choice.number) : nameOf(choice.text);
    if (!value) return std::nullopt;
    std::vector<std::string> whenNames;
    for (const std::string& item : choice.rule.whenItems)
        if (auto name = nameOf(item)) whenNames.push_back(*name);
    return ruleForm(choice.rule, *value, whenNames);
}

std::variant<SettingChoice, std::string> choiceFor(SettingId id, std::string_view value, const PatchGroup& group) {
    auto read = readValue(id, value);
    if (auto* message = std::get_if<std::string>(&read)) return std::move(*message);
    Recipe recipe;
    recipe.values.push_back(std::get<RecipeValue>(std::move(read)));
    FileChoices chosen = choicesFor(recipe, group);
    if (!chosen.errors.empty()) return chosen.errors.front();
    if (!chosen.notApplied.empty()) return "not offered for " + chosen.choices.model + " files";
    return chosen.choices[id];
}

}  // namespace pf
