#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/Ascii.h"

namespace pf {

// One name=value line of an INI file, as written (blanks around name and value removed).
struct IniEntry {
    std::string name;
    std::string value;
};

struct IniSection {
    std::string name;
    std::vector<IniEntry> entries;  // file order, repeated names kept
};

// A read-only INI file: sections in square brackets, name=value entries, whole-line
// comments starting with ';' or '#', no inline comments. Bytes are taken as they are
// (no character-set conversion). Lines before the first section are ignored, sections
// that appear twice are merged at the place of their first appearance, and reading stops
// at a NUL byte. Shared by the catalogue and the batch tool's recipes.
class IniFile {
public:
    IniFile() = default;

    static IniFile fromBytes(std::string_view bytes);

    // A missing or unreadable file gives an empty IniFile; readable() tells which.
    static IniFile open(const std::filesystem::path& path);

    bool readable() const { return readable_; }
    const std::vector<IniSection>& sections() const { return sections_; }
    std::vector<IniSection>& sections() { return sections_; }

    // The section whose name equals `name` ignoring ASCII letter case, or nullptr.
    const IniSection* section(std::string_view name) const;

private:
    bool readable_ = false;
    std::vector<IniSection> sections_;
};

}  // namespace pf
