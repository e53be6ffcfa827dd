#include "cli/LibraryOptions.h"

#include <algorithm>
#include <array>

#include "cli/OptionWords.h"
#include "text/Escape.h"

namespace pf::cli {

namespace {

constexpr std::array<std::string_view, 3> kCommandNames{"show", "compare", "import"};

using Format = LibraryOptions::Format;

std::optional<Format> formatNamed(LibraryCommand command, std::string_view name) {
    if (name == "csv") return Format::Csv;
    if (name == "json") return Format::Json;
    if (command == LibraryCommand::Show && name == "table") return Format::Table;
    if (command == LibraryCommand::Compare && name == "text") return Format::Text;
    return std::nullopt;
}

}  // namespace

std::optional<LibraryCommand> libraryCommand(std::string_view firstArgument) {
    for (size_t i = 0; i < kCommandNames.size(); ++i)
        if (firstArgument == kCommandNames[i]) return static_cast<LibraryCommand>(i);
    return std::nullopt;
}

std::string libraryUsageText(LibraryCommand command) {
    switch (command) {
        case LibraryCommand::Show:
            return "usage: presetforger-cli show [--catalogue FILE] [--format table|csv|json]\n"
                   "                             [--where SECTION.KEY=A..B|NAME,NAME]... [--patches PATTERN]... FILE...\n";
        case LibraryCommand::Compare:
            return "usage: presetforger-cli compare [--catalogue FILE] [--format text|csv|json] A B\n"
                   "       (A and B: two files, or two patches FILE#N, numbered from 1)\n";
        case LibraryCommand::Import:
            return "usage: presetforger-cli import [--catalogue FILE] [--dry-run] [--diff] [--json] [--quiet]\n"
                   "                               [--backup[=numbered]] [--out-dir DIR] SHEET.csv\n";
    }
    return {};
}

std::string libraryHelpText(LibraryCommand command) {
    std::string out = libraryUsageText(command) + "\n";
    switch (command) {
        case LibraryCommand::Show:
            out += "Prints one row per module an edit block edits (noise reduction, amp, drive, reverb, the patch\n"
                   "module), in file order: File, Patch (its number), Name, Module (its header's line), Block, Type,\n"
                   "then one column per setting, SECTION.KEY as recipes name them, holding the value as the window\n"
                   "shows it (empty where the setting is another block's or not in that type).\n\n"
                   "  --format F         table (aligned; the default on a terminal), csv (the default otherwise) or json\n"
                   "  --where C          only rows where C holds: SECTION.KEY=A..B (a number in A..B) or\n"
                   "                     SECTION.KEY=NAME,NAME (one of the names); repeatable, all must hold\n"
                   "  --patches PATTERN  only patches whose names match (* and ? stand for any characters); repeatable\n";
            break;
        case LibraryCommand::Compare:
            out += "Prints what differs between two patch groups (patches matched by name, then by order among\n"
                   "equal names; modules by block; settings by key) or between two patches, one line each:\n"
                   "\"Lead Solo: Amp.Gain 30 -> 60\". Exit status 0 when equal, 1 when they differ, 2 on error.\n\n"
                   "  --format F         text (the default), csv or json\n";
            break;
        case LibraryCommand::Import:
            out += "Writes the values of a sheet that show --format csv wrote, edited since, into the files its File\n"
                   "column names: every cell that differs from the module's value, as Process writes. A row whose\n"
                   "file, patch, module line or type no longer match is refused and that file left as it was.\n\n"
                   "  --out-dir DIR      write each result there under its file's name instead of in place\n"
                   "  --dry-run, --diff, --json, --quiet, --backup[=simple|numbered]\n"
                   "                     as for a --recipe run (see presetforger-cli --help)\n";
            break;
    }
    return out + "  --catalogue FILE   the catalogue; default: as for a --recipe run\n";
}

LibraryOptionsResult parseLibraryArguments(const std::vector<std::string>& args) {
    LibraryOptionsResult result;
    LibraryOptions& o = result.options;
    o.command = *libraryCommand(args.at(0));
    const bool show = o.command == LibraryCommand::Show, import = o.command == LibraryCommand::Import;
    OperandReader operands;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (operands.take(arg, o.inputs)) continue;
        if (arg == "--help" || arg == "-h") {
            o.help = true;
            continue;
        }
        if (import) {
            bool* flag = arg == "--dry-run" ? &o.dryRun : arg == "--diff" ? &o.diff : arg == "--json" ? &o.json
                       : arg == "--quiet" || arg == "-q" ? &o.quiet : nullptr;
            if (flag) {
                *flag = true;
                continue;
            }
            if (readBackupOption(arg, o.backup, result.error)) {
                if (!result.error.empty()) return result;
                continue;
            }
        }
        const NamedOption option = splitOption(arg);
        const std::string& name = option.name;
        const bool known = name == "--catalogue" || (import && name == "--out-dir") ||
                           (!import && name == "--format") || (show && (name == "--where" || name == "--patches"));
        if (!known) {
            result.error = "unknown option " + cut(arg);
            return result;
        }
        const std::optional<std::string> value = optionValue(args, i, option, result.error);
        if (!value) return result;
        auto once = [&](bool given) {
            if (given) result.error = name + " is given more than once";
            return !given;
        };
        if (name == "--catalogue") {
            if (!once(o.catalogue.has_value())) return result;
            o.catalogue = *value;
        } else if (name == "--out-dir") {
            if (!once(o.outDir.has_value())) return result;
            o.outDir = *value;
        } else if (name == "--format") {
            if (!once(o.format != Format::Default)) return result;
            const auto format = formatNamed(o.command, *value);
            if (!format) {
                result.error = "--format takes " + std::string(show ? "table, csv or json" : "text, csv or json") + ", not " + cut(*value);
                return result;
            }
            o.format = *format;
        } else {
            (name == "--where" ? o.where : o.patches).push_back(*value);
        }
    }
    if (o.help) return result;
    switch (o.command) {
        case LibraryCommand::Show:
            if (o.inputs.empty()) result.error = "no FILE given";
            break;
        case LibraryCommand::Compare:
            if (o.inputs.size() != 2) result.error = "compare takes two files or two patches, A and B";
            break;
        case LibraryCommand::Import:
            if (o.inputs.size() != 1) result.error = "import takes one SHEET";
            break;
    }
    return result;
}

}  // namespace pf::cli
