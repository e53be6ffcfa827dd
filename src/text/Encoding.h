#pragma once

#include <string_view>

namespace pf {

// What a file's first bytes say about its encoding, where that is not 8-bit text: "UTF-16" or
// "UTF-32", by a byte-order mark or, without one, by the NUL bytes that wide text has between
// the bytes of every ASCII character; empty for 8-bit text (any byte values, a stray NUL here
// and there included).
std::string_view wideTextEncoding(std::string_view bytes);

}  // namespace pf
