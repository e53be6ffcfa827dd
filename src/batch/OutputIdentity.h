#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf::batch {

// The first reason an --out-dir run must be refused, or nullopt: output i is input j ("the
// output O is the input I; an input is replaced only when named with -o"), or two inputs
// would be written to one output ("the inputs I and J would both be written to O"). Outputs
// are taken in order and each is compared with every input, then with the outputs before it.
//
// Two paths are one file when both exist and are the same file (device and inode, through
// links), or when neither exists and they resolve to the same absolute path. Every path is
// looked at once: the existing ones by one stat, the others by resolving their folder (once
// per folder), and the comparisons go through hash tables, so a run of many inputs costs a
// few system calls per input.
// `replacedHint` ends the first message: how an input is replaced in the front end that asks.
std::optional<std::string> outputClash(const std::vector<std::filesystem::path>& inputs,
                                       const std::vector<std::filesystem::path>& outputs,
                                       std::string_view replacedHint = "; an input is replaced only when named with -o");

}  // namespace pf::batch
