#include "catalogue/IniFile.h"

#include "io/FileIO.h"


#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace pf {

IniFile IniFile::fromBytes(std::string_view bytes) {
    IniFile result;
    result.readable_ = true;

    CSimpleIniA ini(/*isUtf8=*/false, /*multiKey=*/true, /*multiLine=*/false);
    if (ini.LoadData(bytes.data(), bytes.size()) < 0) return result;

    CSimpleIniA::TNamesDepend sectionNames;
    ini.GetAllSections(sectionNames);
    sectionNames.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& s : sectionNames) {
        if (s.pItem == nullptr || *s.pItem == '\0') continue;  // text before the first section
        IniSection section{s.pItem, {}};
        if (const auto* keys = ini.GetSection(s.pItem)) {
            std::vector<std::pair<int, IniEntry>> ordered;
            ordered.reserve(keys->size());
            for (const auto& [key, value] : *keys)
                ordered.push_back({key.nOrder, IniEntry{key.pItem, value ? value : ""}});
            std::stable_sort(ordered.begin(), ordered.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            for (auto& e : ordered) section.entries.push_back(std::move(e.second));
        }
        result.sections_.push_back(std::move(section));
    }
    return result;
}

IniFile IniFile::open(const std::filesystem::path& path) {
    std::string bytes;
    if (!io::readRegularFile(path, bytes)) return {};
    return fromBytes(bytes);
}

const IniSection* IniFile::section(std::string_view name) const {
    for (const auto& s : sections_)
        if (equalsNoCase(s.name, name)) return &s;
    return nullptr;
}

}  // namespace pf
