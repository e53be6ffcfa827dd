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
    // The running program's folder joined with "Presetforger2000.ini".
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

std::string lowerAscii(std::string_view s);

}  // namespace pf
