#include "document/Document.h"

#include <cstring>

#include "io/FileIO.h"

namespace pf {

namespace {

inline unsigned char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool equalNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

}  // namespace

size_t findNoCase(std::string_view hay, std::string_view needle, size_t from) {
    if (needle.size() > hay.size() || from > hay.size() - needle.size()) return std::string_view::npos;
    if (needle.empty()) return from;
    const unsigned char first = lower(static_cast<unsigned char>(needle[0]));
    const unsigned char firstUpper = (first >= 'a' && first <= 'z') ? first - ('a' - 'A') : first;
    const size_t last = hay.size() - needle.size();
    for (size_t i = from; i <= last; ++i) {
        // Jump to the next candidate for the first character with memchr on both cases.
        const char* base = hay.data() + i;
        size_t span = last - i + 1;
        const void* p1 = std::memchr(base, first, span);
        const void* p2 = firstUpper != first ? std::memchr(base, firstUpper, span) : nullptr;
        const char* p = static_cast<const char*>(p1);
        if (p2 != nullptr && (p == nullptr || static_cast<const char*>(p2) < p)) p = static_cast<const char*>(p2);
        if (p == nullptr) return std::string_view::npos;
        i = static_cast<size_t>(p - hay.data());
        if (equalNoCase(p + 1, needle.data() + 1, needle.size() - 1)) return i;
    }
    return std::string_view::npos;
}

Document Document::fromBytes(std::string_view bytes) {
    Document doc;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        if (nl == std::string_view::npos) {
            doc.lines_.emplace_back(bytes.substr(start));
            break;
        }
        size_t end = (nl > start && bytes[nl - 1] == '\r') ? nl - 1 : nl;
        doc.lines_.emplace_back(bytes.substr(start, end - start));
        start = nl + 1;
    }
    doc.rebuildOffsets();
    return doc;
}

bool Document::load(const std::filesystem::path& path, std::string* error) {
    std::string bytes;
    std::string reason;
    if (!io::readRegularFile(path, bytes, &reason)) {
        if (error) *error = io::cannotOpen(path, reason);
        return false;
    }
    *this = fromBytes(bytes);
    return true;
}

std::string Document::toBytes() const {
    size_t total = 0;
    for (const auto& l : lines_) total += l.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

bool Document::save(const std::filesystem::path& path, std::string* error) const {
    const std::string bytes = toBytes();
    std::string reason;
    if (io::writeFileAtomically(path, [&](int fd) { return io::writeAll(fd, bytes.data(), bytes.size()); }, &reason))
        return true;
    if (error) *error = io::cannotCreate(path, reason);
    return false;
}

void Document::clear() {
    lines_.clear();
    tree_.clear();
    pending_.clear();
}

void Document::rebuildOffsets() const {
    const size_t n = lines_.size();
    pending_.clear();
    tree_.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        tree_[i] += static_cast<long long>(lines_[i - 1].size() + 1);
        size_t parent = i + (i & (~i + 1));
        if (parent <= n) tree_[parent] += tree_[i];
    }
}

void Document::lengthChanged(size_t index, long long delta) {
    pending_.emplace_back(index, delta);
    // Past about n / log n waiting changes one rebuild costs no more than adding them singly.
    if (pending_.size() * 32 > lines_.size() + 1024) rebuildOffsets();
}

void Document::settleOffsets() const {
    if (pending_.empty()) return;
    if (pending_.size() * 32 > lines_.size()) {
        rebuildOffsets();
        return;
    }
    for (const auto& [index, delta] : pending_)
        for (size_t i = index + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
    pending_.clear();
}

size_t Document::prefix(size_t count) const {
    settleOffsets();
    long long sum = 0;
    for (size_t i = count; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return static_cast<size_t>(sum);
}

void Document::replaceLine(long long index, std::string text) {
    if (index < 0 || static_cast<unsigned long long>(index) >= lines_.size()) return;
    auto& l = lines_[static_cast<size_t>(index)];
    const long long delta = static_cast<long long>(text.size()) - static_cast<long long>(l.size());
    l = std::move(text);
    if (delta != 0) lengthChanged(static_cast<size_t>(index), delta);
}

void Document::setLine(size_t index, std::string_view text) {
    auto& l = lines_.at(index);
    const long long delta = static_cast<long long>(text.size()) - static_cast<long long>(l.size());
    l.assign(text);
    if (delta != 0) lengthChanged(index, delta);
}

size_t Document::textLength() const { return lines_.empty() ? 0 : prefix(lines_.size()) - 1; }

std::string Document::text() const {
    std::string out;
    out.reserve(textLength());
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (i) out += '\n';
        out += lines_[i];
    }
    return out;
}

size_t Document::lineStart(size_t index) const { return prefix(std::min(index, lines_.size())); }

size_t Document::lineOfPosition(size_t position) const {
    const size_t n = lines_.size();
    if (n == 0) return 0;
    if (position >= textLength()) return n - 1;  // settles the tree too
    // Largest count c with prefix(c) <= position: that many lines end before the position.
    size_t count = 0;
    long long remaining = static_cast<long long>(position);
    size_t step = 1;
    while (step * 2 <= n) step *= 2;
    for (; step > 0; step /= 2) {
        if (count + step <= n && tree_[count + step] <= remaining) {
            count += step;
            remaining -= tree_[count];
        }
    }
    return std::min(count, n - 1);
}

std::optional<size_t> Document::find(std::string_view needle, size_t from) const {
    const size_t length = textLength();
    if (needle.size() > length || from > length - needle.size()) return std::nullopt;
    if (needle.empty()) return from;

    size_t lineIndex = lineOfPosition(from);
    size_t column = from - lineStart(lineIndex);
    const size_t n = lines_.size();

    const size_t firstBreak = needle.find('\n');
    if (firstBreak == std::string_view::npos) {
        for (size_t i = lineIndex; i < n; ++i, column = 0) {
            size_t at = findNoCase(lines_[i], needle, column);
            if (at != std::string_view::npos) return lineStart(i) + at;
        }
        return std::nullopt;
    }

    // A needle with line breaks: its first piece must end a line, the middle pieces must be
    // whole lines and its last piece must begin a line.
    std::vector<std::string_view> pieces;
    for (size_t s = 0;;) {
        size_t nl = needle.find('\n', s);
        pieces.push_back(needle.substr(s, nl == std::string_view::npos ? std::string_view::npos : nl - s));
        if (nl == std::string_view::npos) break;
        s = nl + 1;
    }
    const size_t span = pieces.size() - 1;
    for (size_t i = lineIndex; i + span < n; ++i, column = 0) {
        const std::string& first = lines_[i];
        if (first.size() < pieces[0].size()) continue;
        const size_t at = first.size() - pieces[0].size();
        if (at < column) continue;
        if (!equalNoCase(first.data() + at, pieces[0].data(), pieces[0].size())) continue;
        bool match = true;
        for (size_t k = 1; k < span && match; ++k)
            match = lines_[i + k].size() == pieces[k].size() &&
                    equalNoCase(lines_[i + k].data(), pieces[k].data(), pieces[k].size());
        const std::string& lastLine = lines_[i + span];
        match = match && lastLine.size() >= pieces[span].size() &&
                equalNoCase(lastLine.data(), pieces[span].data(), pieces[span].size());
        if (match) return lineStart(i) + at;
    }
    return std::nullopt;
}

}  // namespace pf
