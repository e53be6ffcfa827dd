#include "text/Escape.h"

namespace pf {

namespace {

// One character of `text` at `pos`: its code point and length in bytes, or, for a byte that
// does not start a valid UTF-8 sequence, that byte alone with `valid` false.
struct Unit {
    char32_t codePoint;
    size_t length;
    bool valid;
};

Unit unitAt(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    const Unit invalid{lead, 1, false};
    if (lead < 0x80) return {lead, 1, true};
    size_t length = 0;
    char32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, cp = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, cp = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, cp = lead & 0x07;
    else return invalid;
    if (pos + length > text.size()) return invalid;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) return invalid;
        cp = (cp << 6) | (byte(pos + i) & 0x3F);
    }
    // Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not UTF-8.
    if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return invalid;
    return {cp, length, true};
}

bool reordersOrBreaksLines(char32_t cp) {
    return cp == 0x200E || cp == 0x200F || cp == 0x2028 || cp == 0x2029 || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069);
}

constexpr char kHex[] = "0123456789abcdef";

// The escape for `unit`, or nothing when it is shown as it is.
std::string escapeFor(const Unit& unit) {
    const char32_t cp = unit.codePoint;
    if (!unit.valid || cp < 0x20 || cp == 0x7F) {
        switch (unit.valid ? cp : 0) {
            case '\n': return "\\n";
            case '\r': return "\\r";
            case '\t': return "\\t";
        }
        return {'\\', 'x', kHex[cp >> 4], kHex[cp & 0xF]};
    }
    if (cp == '\\') return "\\\\";
    if ((cp >= 0x80 && cp <= 0x9F) || reordersOrBreaksLines(cp))
        return {'\\', 'u', kHex[(cp >> 12) & 0xF], kHex[(cp >> 8) & 0xF], kHex[(cp >> 4) & 0xF], kHex[cp & 0xF]};
    return {};
}

}  // namespace

std::string escaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const Unit unit = unitAt(text, pos);
        const std::string escape = escapeFor(unit);
        if (escape.empty()) out.append(text, pos, unit.length);
        else out += escape;
        pos += unit.length;
    }
    return out;
}

std::string cut(std::string_view text, size_t length) {
    size_t shown = 0;
    size_t pos = 0;
    size_t fits = std::string_view::npos;  // where the text is cut, once it is known to be too long
    while (pos < text.size()) {
        const Unit unit = unitAt(text, pos);
        const std::string escape = escapeFor(unit);
        shown += escape.empty() ? 1 : escape.size();
        if (shown > length) {
            fits = pos;
            break;
        }
        pos += unit.length;
    }
    if (fits == std::string_view::npos) return std::string(text);
    return std::string(text.substr(0, fits)) + "...";
}

std::string jsonString(std::string_view text) {
    std::string out;
    appendJsonString(out, text);
    return out;
}

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (size_t pos = 0; pos < text.size();) {
        size_t plain = pos;  // printable ASCII that needs no escape, in one piece
        while (plain < text.size() && text[plain] >= 0x20 && text[plain] < 0x7F && text[plain] != '"' &&
               text[plain] != '\\')
            ++plain;
        if (plain > pos) {
            out.append(text.substr(pos, plain - pos));
            pos = plain;
            continue;
        }
        const Unit unit = unitAt(text, pos);
        const char32_t cp = unit.codePoint;
        if (unit.valid && cp >= 0x20 && cp != '"' && cp != '\\') {
            out.append(text.substr(pos, unit.length));
        } else if (unit.valid && cp == '"') {
            out += "\\\"";
        } else if (unit.valid && cp == '\\') {
            out += "\\\\";
        } else if (unit.valid && cp == '\n') {
            out += "\\n";
        } else if (unit.valid && cp == '\r') {
            out += "\\r";
        } else if (unit.valid && cp == '\t') {
            out += "\\t";
        } else {
            out += "\\u00";
            out += kHex[(cp >> 4) & 0xF];
            out += kHex[cp & 0xF];
        }
        pos += unit.length;
    }
    out += '"';
}

}  // namespace pf
