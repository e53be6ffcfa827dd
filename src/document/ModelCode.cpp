#include "document/ModelCode.h"

namespace pf {

std::string extensionOf(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string modelCodeFor(const std::filesystem::path& file, std::string_view current) {
    const std::string ext = extensionOf(file);
    if (ext == ".g5a") return "g5";
    if (ext == ".g3xa") return "g3x";
    if (ext == ".b3a") return "b3";
    return std::string(current);
}

}  // namespace pf
