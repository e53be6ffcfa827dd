#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pf {

// The extension of a file name: from the last dot of the name (without folder) on, the dot
// included; empty when the name has no dot. ".g5a" is the extension of a file named ".g5a".
std::string extensionOf(const std::filesystem::path& file);

// The device model code a load of `file` sets: ".g5a" gives "g5", ".g3xa" "g3x", ".b3a" "b3"
// (exact comparison); any other extension keeps `current`.
std::string modelCodeFor(const std::filesystem::path& file, std::string_view current);

}  // namespace pf
