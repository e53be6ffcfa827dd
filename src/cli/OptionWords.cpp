#include "cli/OptionWords.h"

#include "text/Escape.h"

namespace pf::cli {

bool readBackupOption(const std::string& arg, io::Backup& backup, std::string& error) {
    if (arg != "--backup" && !arg.starts_with("--backup=")) return false;
    const std::string kind = arg.size() > 8 ? arg.substr(9) : "simple";
    if (kind != "simple" && kind != "numbered") error = "--backup takes simple or numbered, not " + cut(kind);
    else backup = kind == "simple" ? io::Backup::Simple : io::Backup::Numbered;
    return true;
}

NamedOption splitOption(const std::string& arg) {
    if (const size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos)
        return {arg.substr(0, eq), arg.substr(eq + 1)};
    return {arg, std::nullopt};
}

std::optional<std::string> optionValue(const std::vector<std::string>& args, size_t& i, const NamedOption& option,
                                       std::string& error) {
    std::optional<std::string> value = option.value;
    if (!value && i + 1 < args.size()) value = args[++i];
    if (!value || value->empty()) {
        error = option.name + " needs a value";
        return std::nullopt;
    }
    return value;
}

}  // namespace pf::cli
