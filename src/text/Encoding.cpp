#include "text/Encoding.h"

#include <algorithm>
#include <cstddef>

namespace pf {

std::string_view wideTextEncoding(std::string_view bytes) {
    using namespace std::string_view_literals;
    if (bytes.starts_with("\x00\x00\xFE\xFF"sv) || bytes.starts_with("\xFF\xFE\x00\x00"sv)) return "UTF-32";
    if (bytes.starts_with("\xFE\xFF"sv) || bytes.starts_with("\xFF\xFE"sv)) return "UTF-16";
    // ASCII as UTF-16 is half NUL bytes, as UTF-32 three quarters; 8-bit text has next to none.
    const std::string_view head = bytes.substr(0, 4096);
    if (head.size() < 2) return {};
    const size_t nuls = static_cast<size_t>(std::count(head.begin(), head.end(), '\0'));
    if (nuls * 4 < head.size()) return {};
    return nuls * 8 >= head.size() * 5 ? "UTF-32" : "UTF-16";
}

}  // namespace pf
