#pragma once

// Parameter lines as the edit blocks write them, "        <PrmN>value</PrmN>", and the small
// numbers the engine's logs are written in. Shared by the undo log of an edit session and the
// record of a Process command.

#include <charconv>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

namespace pf::parameter_line {

inline constexpr std::string_view kIndent = "        ";

// Equality of short texts without a library call: eight bytes at a time, the last eight
// overlapping (four or two for shorter texts).
inline bool same(std::string_view a, std::string_view b) {
    const size_t n = a.size();
    if (n != b.size()) return false;
    if (n < 8) {
        auto four = [](const char* p) {
            uint32_t w;
            std::memcpy(&w, p, sizeof w);
            return w;
        };
        auto two = [](const char* p) {
            uint16_t w;
            std::memcpy(&w, p, sizeof w);
            return w;
        };
        if (n >= 4) return four(a.data()) == four(b.data()) && four(a.data() + n - 4) == four(b.data() + n - 4);
        if (n >= 2) return two(a.data()) == two(b.data()) && two(a.data() + n - 2) == two(b.data() + n - 2);
        return n == 0 || a[0] == b[0];
    }
    auto word = [](const char* p) {
        uint64_t w;
        std::memcpy(&w, p, sizeof w);
        return w;
    };
    for (size_t i = 0; i + 8 < n; i += 8)
        if (word(a.data() + i) != word(b.data() + i)) return false;
    return word(a.data() + n - 8) == word(b.data() + n - 8);
}

inline bool startsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && same(s.substr(0, prefix.size()), prefix);
}

inline bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && same(s.substr(s.size() - suffix.size()), suffix);
}

// "        <PrmN>" and "</PrmN>" for a parameter number.
class Tags {
public:
    explicit Tags(int number) {
        char digits[16];
        const size_t n = static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
        std::string_view parts[] = {kIndent, "<Prm", {digits, n}, ">", "</Prm", {digits, n}, ">"};
        size_t at = 0;
        for (size_t i = 0; i < std::size(parts); ++i) {
            std::memcpy(text_ + at, parts[i].data(), parts[i].size());
            at += parts[i].size();
            if (i == 3) headLength_ = at;
        }
        closeLength_ = at - headLength_;
    }
    std::string_view head() const { return {text_, headLength_}; }  // with the indent
    std::string_view close() const { return {text_ + headLength_, closeLength_}; }

private:
    char text_[64];
    size_t headLength_ = 0, closeLength_ = 0;
};

// The tags of the numbers the blocks write are made once.
inline const std::vector<Tags>& commonTags() {
    static const std::vector<Tags> made = [] {
        std::vector<Tags> t;
        for (int i = 0; i < 16; ++i) t.emplace_back(i);
        return t;
    }();
    return made;
}
[[gnu::noinline]] inline Tags uncommonTags(int number) { return Tags(number); }
inline Tags tagsFor(int number) {
    if (number >= 0 && number < 16) [[likely]]
        return commonTags()[static_cast<size_t>(number)];
    return uncommonTags(number);
}

// The value of a line that reads exactly "        <PrmN>value</PrmN>", or nullopt.
inline std::optional<std::string_view> canonicalValue(std::string_view line, const Tags& tags) {
    const size_t head = tags.head().size(), close = tags.close().size();
    if (line.size() < head + close || !startsWith(line, tags.head()) || !endsWith(line, tags.close()))
        return std::nullopt;
    return line.substr(head, line.size() - head - close);
}

// Unsigned numbers seven bits a byte, low bits first.
inline char* putNumber(char* out, size_t n) {
    while (n >= 0x80) {
        *out++ = static_cast<char>((n & 0x7f) | 0x80);
        n >>= 7;
    }
    *out++ = static_cast<char>(n);
    return out;
}

inline size_t getNumber(std::string_view in, size_t& at) {
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(in[at++]);
        n |= static_cast<size_t>(byte & 0x7f) << shift;
        if (byte < 0x80) return n;
    }
}

// A signed distance as an unsigned number: 2d, or -2d - 1.
inline size_t zigzag(long long d) { return d >= 0 ? static_cast<size_t>(d) * 2 : static_cast<size_t>(-(d + 1)) * 2 + 1; }
inline long long unzigzag(size_t z) {
    return z % 2 == 0 ? static_cast<long long>(z / 2) : -static_cast<long long>(z / 2) - 1;
}

}  // namespace pf::parameter_line
