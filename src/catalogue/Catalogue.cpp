#include "catalogue/Catalogue.h"

#include <unistd.h>

#include <unordered_set>

namespace pf {

Catalogue::Catalogue(IniFile ini) : ini_(std::move(ini)) {}

Catalogue Catalogue::fromBytes(std::string_view bytes) { return Catalogue(IniFile::fromBytes(bytes)); }

Catalogue Catalogue::open(const std::filesystem::path& path) { return Catalogue(IniFile::open(path)); }

std::filesystem::path Catalogue::defaultPath() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::filesystem::path folder = ec ? std::filesystem::current_path(ec) : exe.parent_path();
    return folder / kCatalogueFileName;
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
