// How names and values are shown on a terminal: escaped, and cut when echoed.
#include <gmock/gmock.h>

#include <cstdio>
#include <set>

#include "text/Escape.h"

using pf::cut;
using pf::escaped;

TEST(Escape, ControlBytesInvalidUtf8AndTheBackslashAreEscapedTheRestKept) {
    const struct { std::string text, shown; } kCases[] = {
        {"plain name.g5a", "plain name.g5a"},
        {"a\nb\r\tc", "a\\nb\\r\\tc"},
        {"\x1b]0;title\x07", "\\x1b]0;title\\x07"},
        {std::string("\0\x1f\x7f", 3), "\\x00\\x1f\\x7f"},
        {"back\\slash \\x1b", "back\\\\slash \\\\x1b"},
        {"Gr\xc3\xbc\xc3\x9f" "e \xe2\x9c\x93 \xf0\x9f\x8e\xb8", "Gr\xc3\xbc\xc3\x9f" "e \xe2\x9c\x93 \xf0\x9f\x8e\xb8"},
        {"\xc2\x9b" "31m \xc2\x85", "\\u009b31m \\u0085"},
        {"\xe2\x80\xae" "evil \xe2\x80\xa8 \xe2\x81\xa6", "\\u202eevil \\u2028 \\u2066"},
        // Stray and cut-off sequences, overlong forms, surrogates, past U+10FFFF: byte by byte.
        {"\xff\xfe \x80 \xc3", "\\xff\\xfe \\x80 \\xc3"},
        {"\xc3(", "\\xc3("},
        {"\xc0\xaf \xe0\x80\xaf", "\\xc0\\xaf \\xe0\\x80\\xaf"},
        {"\xed\xa0\x80 \xf4\x90\x80\x80", "\\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80"},
    };
    for (const auto& c : kCases) EXPECT_EQ(escaped(c.text), c.shown) << c.shown;
}

// Every character that reorders or breaks a line is escaped; its neighbours are kept as they are.
TEST(Escape, EveryDirectionAndLineBreakCharacterIsEscaped) {
    auto utf8 = [](unsigned cp) {
        return std::string{static_cast<char>(0xe0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3f)),
                           static_cast<char>(0x80 | (cp & 0x3f))};
    };
    for (unsigned cp : {0x200eu, 0x200fu, 0x2028u, 0x2029u, 0x202au, 0x202bu, 0x202cu, 0x202du, 0x202eu, 0x2066u,
                        0x2067u, 0x2068u, 0x2069u}) {
        char shown[8];
        std::snprintf(shown, sizeof shown, "\\u%04x", cp);
        EXPECT_EQ(escaped(utf8(cp)), shown);
    }
    for (unsigned cp : {0x200du, 0x2010u, 0x2027u, 0x202fu, 0x2065u, 0x206au}) EXPECT_EQ(escaped(utf8(cp)), utf8(cp));
}

// No two texts look the same once escaped, and nothing shown can drive a terminal.
TEST(Escape, EveryShortTextIsShownDistinctlyAndPrintably) {
    std::set<std::string> seen;
    size_t texts = 0;
    auto check = [&](const std::string& text) {
        const std::string shown = escaped(text);
        ++texts;
        seen.insert(shown);
        for (size_t i = 0; i < shown.size(); ++i) {
            const auto c = static_cast<unsigned char>(shown[i]);
            const bool c1 = c == 0xc2 && i + 1 < shown.size() && static_cast<unsigned char>(shown[i + 1]) < 0xa0;
            ASSERT_TRUE(c >= 0x20 && c != 0x7f && !c1) << shown;
        }
    };
    for (int a = 0; a < 256; ++a) {
        check(std::string(1, static_cast<char>(a)));
        for (int b = 0; b < 256; ++b) check({static_cast<char>(a), static_cast<char>(b)});
    }
    EXPECT_EQ(seen.size(), texts);
}

TEST(Escape, EchoedValuesAreCutAfterSixtyShownCharactersWithoutSplittingAny) {
    const std::string a60(60, 'a'), e30 = [] {
        std::string s;
        for (int i = 0; i < 30; ++i) s += "\xc3\xa9";
        return s;
    }();
    const struct { std::string text, cut; } kCases[] = {
        {"", ""},
        {a60, a60},
        {a60 + "b", a60 + "..."},
        {e30 + e30, e30 + e30},
        {e30 + e30 + "\xc3\xa9", e30 + e30 + "..."},
        {a60.substr(2) + "\n", a60.substr(2) + "\n"},
        {a60.substr(1) + "\n", a60.substr(1) + "..."},
        {std::string(20, '\x1b'), std::string(15, '\x1b') + "..."},
    };
    for (const auto& c : kCases) EXPECT_EQ(escaped(cut(c.text)), escaped(c.cut)) << escaped(c.text);
}
