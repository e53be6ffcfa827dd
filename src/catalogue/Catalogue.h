#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/IniFile.h"

namespace pf {

inline constexpr std::string_view kCatalogueFileName = "Presetforger2000.ini";

// The catalogue "Presetforger2000.ini": per device model, the names the window offers and
// the values written for them. Sections are named model code + suffix ("g5-amp", ...).
class Catalogue {
public:
    Catalogue() = default;  // an empty catalogue: every read is empty

    static Catalogue fromBytes(std::string_view bytes);
    // A missing or unreadable file gives an empty catalogue, without error.
    static Catalogue open(const std::filesystem::path& path);
    // "Presetforger2000.ini" where the running program finds its shipped files (programFile).
    static std::filesystem::path defaultPath();

    // Entries of a section in file order. Names that differ only in letter case count as one
    // entry, at the place and with the value of the first; entries with an empty value are
    // left out. Valid as long as the catalogue.
    const std::vector<IniEntry>& readSection(std::string_view section) const;

    // Value of the first entry named `name` (letter case and blanks around it ignored), or
    // the empty text when the section or the name is missing.
    std::string lookup(std::string_view section, std::string_view name) const;

private:
    // One section, indexed once when the catalogue is read.
    struct Section {
        std::vector<IniEntry> shown;  // what readSection gives
        // Lower-case name -> the first entry of that name in `shown`, or kEmptyValue when that
        // entry's value is empty (it is not shown, and a lookup gives the empty text).
        std::unordered_map<std::string, size_t> firstByName;
    };
    static constexpr size_t kEmptyValue = SIZE_MAX;

    explicit Catalogue(IniFile ini);
    const Section* section(std::string_view name) const;

    std::unordered_map<std::string, Section> sections_;  // by lower-case name
};

// The folder of the running program.
std::filesystem::path programFolder();

// A file shipped with the programs: `fileName` beside the program when it is there (the build
// folder), else in the shared data folder of an install tree, found relative to the program
// (../share/presetforger under any prefix). When neither exists, the path beside the program,
// so that a message names the first place looked at.
std::filesystem::path programFile(std::string_view fileName);
std::filesystem::path programFileFrom(const std::filesystem::path& folder, std::string_view fileName);

}  // namespace pf
