#pragma once
// The words both kinds of command line share: "--backup[=simple|numbered]" and an option that
// takes a value, given as "--name=value" or as "--name value".
#include <optional>
#include <string>
#include <vector>

#include "io/FileIO.h"

namespace pf::cli {

// Whether `arg` is the backup option; when it is, `backup` receives its kind, or `error` the
// message for a kind it does not take.
bool readBackupOption(const std::string& arg, io::Backup& backup, std::string& error);

// An option's name and, for "--name=value", its value.
struct NamedOption {
    std::string name;
    std::optional<std::string> value;
};
NamedOption splitOption(const std::string& arg);

// The value of an option that needs one: its own, or the next argument (then `i` moves on to
// it); none, with `error` set, when there is none or it is empty.
std::optional<std::string> optionValue(const std::vector<std::string>& args, size_t& i, const NamedOption& option,
                                       std::string& error);

}  // namespace pf::cli
