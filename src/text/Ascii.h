#pragma once

#include <cstring>
#include <string>
#include <string_view>

// ASCII-only text helpers shared by the core. Bytes above 127 are never changed: the files
// are 8-bit text in no particular character set.
namespace pf {

constexpr char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowerAscii(std::string_view s);
// Inline: the document's search compares every candidate with it.
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}
std::string_view trimBlanks(std::string_view s);  // removes ' ' and '\t' at both ends
// Removes ' ' and '\t' at the start; inline, as reading every changed line back calls it.
inline std::string_view skipLeadingBlanks(std::string_view s) {
    size_t i = 0;
    // Parameter lines start with eight blanks: those at one stroke.
    while (i + 8 <= s.size() && std::memcmp(s.data() + i, "        ", 8) == 0) i += 8;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    return s.substr(i);
}

}  // namespace pf
