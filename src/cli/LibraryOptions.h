#pragma once

// The command lines of the read side: "show", "compare" and "import" first, then their options
// and files.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/FileIO.h"

namespace pf::cli {

enum class LibraryCommand { Show, Compare, Import };
// The command a first argument names, or none.
std::optional<LibraryCommand> libraryCommand(std::string_view firstArgument);

struct LibraryOptions {
    LibraryCommand command = LibraryCommand::Show;
    enum class Format { Default, Table, Csv, Json, Text };
    Format format = Format::Default;  // show: table on a terminal, else csv; compare: text
    bool help = false;
    std::optional<std::filesystem::path> catalogue;
    std::vector<std::string> where;    // show: SECTION.KEY=A..B or SECTION.KEY=NAME,NAME
    std::vector<std::string> patches;  // show: patch-name patterns
    // import, as for a recipe run
    bool dryRun = false, diff = false, json = false, quiet = false;
    io::Backup backup = io::Backup::None;
    std::optional<std::filesystem::path> outDir;
    std::vector<std::string> inputs;  // show: files; compare: A B (FILE or FILE#N); import: the sheet
};

struct LibraryOptionsResult {
    LibraryOptions options;
    std::string error;  // empty when the command line is usable
    bool ok() const { return error.empty(); }
};

// Reads a command line whose first argument is the command (see parseArguments for the form
// of options).
LibraryOptionsResult parseLibraryArguments(const std::vector<std::string>& args);

// The usage lines of a command, and its help.
std::string libraryUsageText(LibraryCommand command);
std::string libraryHelpText(LibraryCommand command);

}  // namespace pf::cli
