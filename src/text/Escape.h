#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pf {

// File names and values as the batch tool shows them on a terminal: every byte that could
// move the cursor, end the line or drive the terminal is written as a C-style escape, so one
// message stays one line and two different texts never look the same. A backslash is "\\";
// LF, CR and tab are "\n", "\r" and "\t"; other control bytes (0x00 to 0x1F, 0x7F) and bytes
// that are not valid UTF-8 are "\xHH"; the C1 controls U+0080 to U+009F and the characters that
// reorder or break a line (U+200E, U+200F, U+2028, U+2029, U+202A to U+202E, U+2066 to U+2069)
// are "\uHHHH". Everything else, valid UTF-8 included, is shown as it is.
std::string escaped(std::string_view text);

// `text` as a JSON string, quotes included: '"' and '\\' escaped, control bytes as "\n", "\r",
// "\t" or "\u00HH", valid UTF-8 as it is. A byte that is not part of valid UTF-8 becomes the
// character of that value (its Latin-1 reading) as "\u00HH", so the document is always valid
// JSON and a reader that finds "\u0080" to "\u00ff" knows the byte was not UTF-8 (those code
// points, the C1 controls and Latin-1 letters, are themselves always written as UTF-8).
std::string jsonString(std::string_view text);
// The same, appended to `out`.
void appendJsonString(std::string& out, std::string_view text);

// How an echoed value is shown at most: this many characters once escaped.
inline constexpr size_t kShownValueLength = 60;

// `text` cut so that, once escaped, it takes at most `length` characters, followed by "..."
// when something was cut; whole characters and whole escapes only. The result is still raw:
// escape it when it is shown.
std::string cut(std::string_view text, size_t length = kShownValueLength);

}  // namespace pf
