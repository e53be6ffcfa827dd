#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "io/FileIO.h"

namespace pf::cli {

struct Options {
    bool help = false;
    bool version = false;
    bool dryRun = false;
    bool quiet = false;   // report only failures, show no progress
    bool diff = false;    // a unified diff per input after its report line
    bool json = false;    // one JSON document for the run instead of the report lines
    io::Backup backup = io::Backup::None;
    unsigned jobs = 0;    // inputs processed at a time; 0: as many as there are processors
    std::filesystem::path recipe;
    std::optional<std::filesystem::path> catalogue;  // default: beside the program
    std::optional<std::filesystem::path> output;     // -o, for exactly one input
    std::optional<std::filesystem::path> outDir;     // --out-dir
    std::vector<std::filesystem::path> inputs;
};

inline constexpr unsigned kMostJobs = 128;

struct OptionsResult {
    Options options;
    std::string error;  // empty when the command line is usable
    bool ok() const { return error.empty(); }
};

// Reads the command line (without the program name). Long options take their value as the
// next argument or after '='; "--" ends the options.
OptionsResult parseArguments(const std::vector<std::string>& args);

// The usage lines, and the full help: usage, options and the recipe keys per section.
std::string usageText();
std::string helpText();

}  // namespace pf::cli
