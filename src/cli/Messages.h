#pragma once
// What the batch tool says: messages on stderr, one line each, and standard output, written
// unbuffered so that a write that fails is known at once and with the system's reason.
#include <string>
#include <string_view>

namespace pf::cli {

// A message on stderr, one line: "presetforger-cli: " and the text escaped.
void sayError(const std::string& text);

// Writes all of `text` to standard output. A reader that has gone (a closed pipe) ends the
// program at once, as the signal for it would, but leaving every output whole, old or new, and
// no temporary file behind. Any other failure is said as "<failure>: <the system's reason>"
// and gives false.
bool writeStandardOutput(std::string_view text, std::string_view failure);

}  // namespace pf::cli
