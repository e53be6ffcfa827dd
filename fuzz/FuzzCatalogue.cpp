// Catalogue reading and lookup on arbitrary bytes. The input is the catalogue file itself;
// the section and entry names to query are taken from its own lines, so plain INI files
// serve as seeds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "catalogue/Catalogue.h"
#include "catalogue/IniFile.h"
#include "engine/PatchGroup.h"

namespace {

using pf::equalsNoCase;

std::string swapCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

bool trimmed(std::string_view s) { return pf::trimBlanks(s) == s; }

// What the catalogue promises of readSection, checked against the raw entries of the INI file:
// file order, one entry per name ignoring case (the first), no empty values.
void checkSection(const pf::Catalogue& cat, const pf::IniSection& raw) {
    const std::vector<pf::IniEntry> read = cat.readSection(raw.name);

    std::vector<pf::IniEntry> expected;
    for (size_t i = 0; i < raw.entries.size(); ++i) {
        bool first = true;
        for (size_t j = 0; j < i && first; ++j) first = !equalsNoCase(raw.entries[j].name, raw.entries[i].name);
        if (first && !raw.entries[i].value.empty()) expected.push_back(raw.entries[i]);
    }
    PF_FUZZ_CHECK(read.size() == expected.size());
    for (size_t i = 0; i < read.size(); ++i) {
        PF_FUZZ_CHECK(read[i].name == expected[i].name);
        PF_FUZZ_CHECK(read[i].value == expected[i].value);
    }

    for (size_t i = 0; i < read.size(); ++i) {
        const auto& e = read[i];
        PF_FUZZ_CHECK(!e.value.empty());
        PF_FUZZ_CHECK(trimmed(e.name) && trimmed(e.value));
        for (size_t j = 0; j < i; ++j) PF_FUZZ_CHECK(!equalsNoCase(read[j].name, e.name));
        // A lookup of a listed name gives that entry's value, whatever the letter case and
        // blanks around the name or the section name.
        PF_FUZZ_CHECK(cat.lookup(raw.name, e.name) == e.value);
        PF_FUZZ_CHECK(cat.lookup(swapCase(raw.name), " " + swapCase(e.name) + "\t ") == e.value);
    }
    // Reading the section under another spelling of its name gives the same entries.
    const auto again = cat.readSection(swapCase(raw.name));
    PF_FUZZ_CHECK(again.size() == read.size());
}

// lookup agrees with readSection for any name: the listed entry's value, or the empty text.
void checkLookup(const pf::Catalogue& cat, std::string_view section, const std::vector<pf::IniEntry>& read,
                 std::string_view name) {
    const std::string got = cat.lookup(section, name);
    std::string want;
    for (const auto& e : read)
        if (equalsNoCase(e.name, pf::trimBlanks(name))) {
            want = e.value;
            break;
        }
    PF_FUZZ_CHECK(got == want);
}

// The lists a load fills: every drop-down list holds its section's entries in order (cab items
// with four characters of the value), every check list the names but "Remove".
void checkCatalogueLists(const pf::Catalogue& cat, std::string_view model) {
    const pf::CatalogueLists lists = pf::CatalogueLists::read(cat, model);
    for (const pf::SettingDef& def : pf::settings()) {
        if (def.kind != pf::ValueKind::CatalogueList) continue;
        const auto entries = cat.readSection(std::string(model) + std::string(def.catalogueSuffix));
        const auto& items = lists.items(def.catalogueSuffix);
        PF_FUZZ_CHECK(items.size() == entries.size());
        for (size_t i = 0; i < entries.size(); ++i) {
            PF_FUZZ_CHECK(items[i].name == entries[i].name);
            const bool cab = def.catalogueSuffix == pf::section::kCab;
            PF_FUZZ_CHECK(items[i].text == (cab ? " " + entries[i].name + "  " + entries[i].value.substr(0, 4) : entries[i].name));
        }
    }
    for (pf::TypeList list : {pf::TypeList::Amp, pf::TypeList::B3Amp, pf::TypeList::Drive, pf::TypeList::Reverb}) {
        std::vector<std::string> want;
        for (const auto& e : cat.readSection(std::string(model) + std::string(pf::typeListSuffix(list))))
            if (e.name != "Remove") want.push_back(" " + e.name);
        PF_FUZZ_CHECK(lists.typeEntries(list) == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const pf::IniFile ini = pf::IniFile::fromBytes(bytes);
    const pf::Catalogue cat = pf::Catalogue::fromBytes(bytes);
    PF_FUZZ_CHECK(ini.readable());

    const auto& sections = ini.sections();
    for (size_t i = 0; i < sections.size(); ++i) {
        PF_FUZZ_CHECK(!sections[i].name.empty());
        // Sections that appear twice are merged: every name once, ignoring case.
        for (size_t j = 0; j < i && j < 256; ++j) PF_FUZZ_CHECK(!equalsNoCase(sections[j].name, sections[i].name));
        PF_FUZZ_CHECK(ini.section(sections[i].name) == &sections[i]);
        for (const auto& e : sections[i].entries) PF_FUZZ_CHECK(trimmed(e.name) && trimmed(e.value));
        checkSection(cat, sections[i]);
    }

    // Names to query, cut from the input's own lines: "[section]" and "name=".
    std::vector<std::string> sectionQueries{"g5-amp", "B3-CAB", "", "-amp"};
    std::vector<std::string> nameQueries{"", " ", "Remove", " Match-Amp"};
    for (size_t pos = 0; pos < bytes.size() && sectionQueries.size() < 24 && nameQueries.size() < 40;) {
        size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.front() == '[') {
            const size_t close = line.find(']');
            sectionQueries.emplace_back(line.substr(1, close == std::string_view::npos ? line.size() : close - 1));
        } else if (const size_t eq = line.find('='); eq != std::string_view::npos) {
            nameQueries.emplace_back(line.substr(0, eq));
        }
    }
    for (const auto& s : sectionQueries) {
        if (ini.section(s) == nullptr) PF_FUZZ_CHECK(cat.readSection(s).empty() && cat.lookup(s, "x").empty());
        const auto read = cat.readSection(s);
        for (const auto& n : nameQueries) checkLookup(cat, s, read, n);
    }

    for (std::string_view model : {"g5", "g3x", "b3", ""}) checkCatalogueLists(cat, model);
    if (!sectionQueries.empty()) checkCatalogueLists(cat, sectionQueries.back());
    return 0;
}
