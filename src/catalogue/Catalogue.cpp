#include "catalogue/Catalogue.h"

#include <unistd.h>

#include <unordered_set>

#ifndef PF_DATA_FROM_PROGRAM
#define PF_DATA_FROM_PROGRAM "../share/presetforger"
#endif

namespace pf {

Catalogue::Catalogue(IniFile ini) : ini_(std::move(ini)) {}

Catalogue Catalogue::fromBytes(std::string_view bytes) { return Catalogue(IniFile::fromBytes(bytes)); }

Catalogue Catalogue::open(const std::filesystem::path& path) { return Catalogue(IniFile::open(path)); }

std::filesystem::path Catalogue::defaultPath() { return programFile(kCatalogueFileName); }

std::filesystem::path programFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path(ec) : exe.parent_path();
}

std::filesystem::path programFile(std::string_view fileName) { return programFileFrom(programFolder(), fileName); }

std::filesystem::path programFileFrom(const std::filesystem::path& folder, std::string_view fileName) {
    const std::filesystem::path beside = folder / fileName;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec)) return beside;
    // Set by the build from the install folders: the data folder as seen from the programs' one.
    const std::filesystem::path installed = folder / PF_DATA_FROM_PROGRAM / fileName;
    if (std::filesystem::exists(installed, ec)) return installed.lexically_normal();
    return beside;
}

std::vector<IniEntry> Catalogue::readSection(std::string_view section) const {
    std::vector<IniEntry> result;
    const IniSection* s = ini_.section(section);
    if (s == nullptr) return result;
    std::unordered_set<std::string> seen;
    for (const auto& e : s->entries) {
        if (!seen.insert(lowerAscii(e.name)).second) continue;
        if (e.value.empty()) continue;
        result.push_back(e);
    }
    return result;
}

std::string Catalogue::lookup(std::string_view section, std::string_view name) const {
    const IniSection* s = ini_.section(section);
    if (s == nullptr) return {};
    std::string_view wanted = trimBlanks(name);
    for (const auto& e : s->entries)
        if (equalsNoCase(e.name, wanted)) return e.value;
    return {};
}

}  // namespace pf
