#include "cli/Apply.h"

#include <algorithm>

#include "catalogue/Catalogue.h"
#include "catalogue/IniFile.h"
#include "cli/Escape.h"
#include "document/LoadLists.h"

namespace pf::cli {

namespace {

// A drop-down list as a load fills it: the catalogue name of each item and the item's text.
struct DropDown {
    std::string section;  // the catalogue section it is filled from
    std::vector<std::string> names;
    std::vector<std::string> items;
};

DropDown dropDownFor(const SettingDef& def, const Catalogue& catalogue, const LoadLists& lists,
                     std::string_view modelCode) {
    DropDown d;
    d.section = std::string(modelCode) + std::string(def.catalogueSuffix);
    const std::string_view suffix = def.catalogueSuffix;
    if (suffix == section::kCab) {
        // Cab items carry the first characters of the value; the names come from the section,
        // which fills the list one item per entry in the same order.
        for (const auto& e : catalogue.readSection(d.section)) d.names.push_back(e.name);
        d.items = lists.cabItems;
        return d;
    }
    if (suffix == section::kAmp) d.names = lists.ampNames;
    else if (suffix == section::kMidF) d.names = lists.midfNames;
    else if (suffix == section::kDrive) d.names = lists.driveNames;
    else if (suffix == section::kReverb) d.names = lists.reverbNames;
    else if (suffix == section::kFootswitch) d.names = lists.footswitchNames;
    else if (suffix == section::kExpPedal) d.names = lists.exppedalNames;
    d.items = d.names;
    return d;
}

const std::vector<std::string>& checksFor(TypeList list, const LoadLists& lists) {
    switch (list) {
        case TypeList::Drive: return lists.driveChecks;
        case TypeList::Reverb: return lists.reverbChecks;
        case TypeList::Amp:
        case TypeList::B3Amp: break;
    }
    return lists.ampChecks;
}

std::string_view typeSuffix(TypeList list) {
    switch (list) {
        case TypeList::Drive: return section::kDrive;
        case TypeList::Reverb: return section::kReverb;
        case TypeList::Amp:
        case TypeList::B3Amp: break;
    }
    return section::kAmp;
}

// Catalogue names as a message lists them, each cut.
std::string offers(const std::vector<std::string>& names) {
    std::vector<std::string> shown;
    for (const auto& n : names) shown.push_back(cut(n));
    return joined(shown, "(none)");
}

std::string label(std::string_view section, std::string_view key) {
    return "[" + std::string(section) + "] " + std::string(key);
}

}  // namespace

FileChoices choicesFor(const Recipe& recipe, const Catalogue& catalogue, std::string_view modelCode) {
    FileChoices result;
    Choices& c = result.choices;
    c = Choices::atStart();
    c.model = std::string(modelCode);
    const LoadLists lists = buildLoadLists(catalogue, modelCode);

    // The load: every list filled, first items selected.
    for (const auto& def : settings()) {
        if (def.kind == ValueKind::FixedList && !def.items.empty()) c[def.id].text = std::string(def.items.front());
        if (def.kind == ValueKind::CatalogueList) {
            const DropDown d = dropDownFor(def, catalogue, lists, modelCode);
            if (!d.items.empty()) c[def.id].text = d.items.front();
        }
    }
    for (size_t i = 0; i < kTypeListCount; ++i)
        for (const auto& text : checksFor(static_cast<TypeList>(i), lists))
            c.typeLists[i].push_back(TypeEntry{text, true});

    // The recipe's settings.
    for (const RecipeValue& v : recipe.values) {
        const SettingDef& def = setting(v.id);
        if (!offeredFor(v.id, modelCode)) {
            result.notApplied.push_back(label(def.recipeSection, def.caption));
            continue;
        }
        SettingChoice& choice = c[v.id];
        switch (def.kind) {
            case ValueKind::Spin: choice.number = v.number; break;
            case ValueKind::FixedList: choice.text = v.text; break;
            case ValueKind::CatalogueList: {
                const DropDown d = dropDownFor(def, catalogue, lists, modelCode);
                auto it = std::find_if(d.names.begin(), d.names.end(),
                                       [&](const std::string& n) { return equalsNoCase(n, v.text); });
                if (it == d.names.end()) {
                    result.errors.push_back(label(def.recipeSection, def.caption) + ": \"" + cut(v.text) +
                                            "\" is not in catalogue section [" + d.section + "], which offers " +
                                            offers(d.names));
                    continue;
                }
                choice.text = d.items[static_cast<size_t>(it - d.names.begin())];
                break;
            }
        }
        choice.ticked = true;
    }

    // The Only lists: every other entry of that check list unticked, in the list's own order.
    for (const auto& section : recipeSections()) {
        if (!section.typeList) continue;
        const auto& only = recipe.only[static_cast<size_t>(*section.typeList)];
        if (!only) continue;
        if (!pageShownFor(section.page, modelCode)) {
            result.notApplied.push_back(label(section.name, kOnlyKey));
            continue;
        }
        std::vector<TypeEntry>& entries = c.types(*section.typeList);
        for (auto& e : entries) e.ticked = false;
        for (const std::string& name : *only) {
            auto it = std::find_if(entries.begin(), entries.end(),
                                   [&](const TypeEntry& e) { return equalsNoCase(trimBlanks(e.text), name); });
            if (it == entries.end()) {
                std::vector<std::string> names;
                for (const auto& e : entries) names.emplace_back(trimBlanks(e.text));
                result.errors.push_back(label(section.name, kOnlyKey) + ": \"" + cut(name) +
                                        "\" is not in the effect-type list of catalogue section [" +
                                        std::string(modelCode) + std::string(typeSuffix(*section.typeList)) +
                                        "], which offers " + offers(names));
                continue;
            }
            it->ticked = true;
        }
    }
    return result;
}

}  // namespace pf::cli
