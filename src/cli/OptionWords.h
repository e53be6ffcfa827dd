#pragma once
// The words both kinds of command line share: operands and the "--" that ends the options,
// "--backup[=simple|numbered]", and an option that takes a value, given as "--name=value" or as
// "--name value".
#include <optional>
#include <string>
#include <vector>

#include "io/FileIO.h"

namespace pf::cli {

// Takes the operands of a command line, word by word: any word after "--", an empty word, "-",
// and a word that does not start with '-'.
class OperandReader {
public:
    // Whether `arg` is taken: an operand, appended to `operands`, or the "--" that ends the
    // options. Any other word is an option, for the caller.
    template <class List>
    bool take(const std::string& arg, List& operands) {
        if (optionsEnded_ || arg.empty() || arg[0] != '-' || arg == "-") {
            operands.emplace_back(arg);
            return true;
        }
        if (arg == "--") optionsEnded_ = true;
        return optionsEnded_;
    }

private:
    bool optionsEnded_ = false;
};

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
