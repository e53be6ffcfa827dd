#include "catalogue/Catalogue.h"

#include <unistd.h>

#ifndef PF_DATA_FROM_PROGRAM
#define PF_DATA_FROM_PROGRAM "../share/presetforger"
#endif

namespace pf {

Catalogue::Catalogue(IniFile ini) {
    for (IniSection& s : ini.sections()) {
        // Section names that differ only in letter case are one section; the first stands.
        auto [it, fresh] = sections_.try_emplace(lowerAscii(s.name));
        if (!fresh) continue;
        Section& section = it->second;
        section.firstByName.reserve(s.entries.size());
        for (IniEntry& e : s.entries) {
            const size_t at = e.value.empty() ? kEmptyValue : section.shown.size();
            if (section.firstByName.try_emplace(lowerAscii(e.name), at).second && at != kEmptyValue)
                section.shown.push_back(std::move(e));
        }
    }
}

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

const Catalogue::Section* Catalogue::section(std::string_view name) const {
    auto it = sections_.find(lowerAscii(name));
    return it == sections_.end() ? nullptr : &it->second;
}

const std::vector<IniEntry>& Catalogue::readSection(std::string_view name) const {
    static const std::vector<IniEntry> none;
    const Section* s = section(name);
    return s ? s->shown : none;
}

std::string Catalogue::lookup(std::string_view sectionName, std::string_view name) const {
    const Section* s = section(sectionName);
    if (s == nullptr) return {};
    auto it = s->firstByName.find(lowerAscii(trimBlanks(name)));
    return it == s->firstByName.end() || it->second == kEmptyValue ? std::string() : s->shown[it->second].value;
}

}  // namespace pf
