#include "engine/EditSession.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "catalogue/Catalogue.h"
#include "document/Document.h"

namespace pf {

namespace {

constexpr std::string_view kPrm1Open = "<prm1>";
constexpr std::string_view kPrm1Close = "</prm1>";
constexpr std::string_view kModuleOpen = "<module";
constexpr size_t kPrm1Blanks = 8;
constexpr size_t kModuleBlanks = 2;
constexpr std::string_view kParameterIndent = "        ";

inline char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `s` at `at` reads `lowerText` in any letter case.
bool readsNoCase(std::string_view s, size_t at, std::string_view lowerText) {
    if (at > s.size() || s.size() - at < lowerText.size()) return false;
    for (size_t i = 0; i < lowerText.size(); ++i)
        if (lower(s[at + i]) != lowerText[i]) return false;
    return true;
}

bool blanksBefore(std::string_view s, size_t at, size_t count) {
    if (at < count) return false;
    for (size_t i = at - count; i < at; ++i)
        if (s[i] != ' ') return false;
    return true;
}

// Calls emit(key as written) for every key of the index a line holds: every "<prm1>" with
// eight blanks before it up to the first "</prm1>" after it, and every "<module" with two
// blanks before it up to the first ">" after it. One pass over the line's '<' characters.
template <class Emit>
void forEachKey(std::string_view line, Emit&& emit) {
    bool prm1Closes = true, moduleCloses = true;  // false once no closing text follows
    for (size_t q = 0; q < line.size() && (prm1Closes || moduleCloses); ++q) {
        const void* p = std::memchr(line.data() + q, '<', line.size() - q);
        if (p == nullptr) return;
        q = static_cast<size_t>(static_cast<const char*>(p) - line.data());
        if (prm1Closes && readsNoCase(line, q, kPrm1Open)) {
            if (!blanksBefore(line, q, kPrm1Blanks)) continue;
            const size_t close = findNoCase(line, kPrm1Close, q + kPrm1Open.size());
            if (close == std::string_view::npos) {
                prm1Closes = false;
                continue;
            }
            emit(line.substr(q - kPrm1Blanks, close + kPrm1Close.size() - (q - kPrm1Blanks)));
        } else if (moduleCloses && readsNoCase(line, q, kModuleOpen)) {
            if (!blanksBefore(line, q, kModuleBlanks)) continue;
            const size_t close = line.find('>', q + kModuleOpen.size());
            if (close == std::string_view::npos) {
                moduleCloses = false;
                continue;
            }
            emit(line.substr(q - kModuleBlanks, close + 1 - (q - kModuleBlanks)));
        }
    }
}

// "<PrmN>" and "</PrmN>" for a parameter number.
struct ParameterTags {
    explicit ParameterTags(int number) {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        const std::string_view n(digits, static_cast<size_t>(end - digits));
        open.append("<Prm").append(n).append(">");
        close.append("</Prm").append(n).append(">");
    }
    std::string open, close;
};

// The value of a line that reads exactly "        <PrmN>value</PrmN>", or nullopt.
std::optional<std::string_view> canonicalValue(std::string_view line, const ParameterTags& tags) {
    const size_t head = kParameterIndent.size() + tags.open.size();
    if (line.size() < head + tags.close.size() || !line.starts_with(kParameterIndent) ||
        line.substr(kParameterIndent.size(), tags.open.size()) != tags.open || !line.ends_with(tags.close))
        return std::nullopt;
    return line.substr(head, line.size() - head - tags.close.size());
}

void putNumber(std::string& out, size_t n) {
    while (n >= 0x80) {
        out += static_cast<char>((n & 0x7f) | 0x80);
        n >>= 7;
    }
    out += static_cast<char>(n);
}

size_t getNumber(std::string_view in, size_t& at) {
    size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(in[at++]);
        n |= static_cast<size_t>(byte & 0x7f) << shift;
        if (byte < 0x80) return n;
    }
}

}  // namespace

bool isParameterLine(std::string_view line, int number) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    char tag[24] = "<prm";
    const auto end = std::to_chars(tag + 4, tag + sizeof tag - 1, number).ptr;
    *end = '>';
    return readsNoCase(line, i, std::string_view(tag, static_cast<size_t>(end + 1 - tag)));
}

bool isIndexKey(std::string_view n) {
    // One key exactly: the blanks, the opening tag at its place, and the first closing text
    // after it ending the string.
    if (blanksBefore(n, kPrm1Blanks, kPrm1Blanks) && n.substr(kPrm1Blanks, kPrm1Open.size()) == kPrm1Open) {
        const size_t close = n.find(kPrm1Close, kPrm1Blanks + kPrm1Open.size());
        return close != std::string_view::npos && close + kPrm1Close.size() == n.size();
    }
    if (blanksBefore(n, kModuleBlanks, kModuleBlanks) && n.substr(kModuleBlanks, kModuleOpen.size()) == kModuleOpen) {
        const size_t close = n.find('>', kModuleBlanks + kModuleOpen.size());
        return close != std::string_view::npos && close + 1 == n.size();
    }
    return false;
}

EditSession::EditSession(Document& document) : document_(document), touched_(document.lineCount()) {
    // The index in one pass over the lines.
    for (size_t i = 0; i < document_.lineCount(); ++i)
        forEachKey(document_.line(i), [&](std::string_view key) {
            std::vector<size_t>& lines = postings(key).lines;
            if (lines.empty() || lines.back() != i) lines.push_back(i);
        });
}

EditSession::Postings& EditSession::postings(std::string_view keyAsWritten) {
    key_.resize(keyAsWritten.size());
    std::transform(keyAsWritten.begin(), keyAsWritten.end(), key_.begin(), lower);
    auto it = index_.find(key_);
    if (it == index_.end()) it = index_.emplace(key_, Postings{}).first;
    return it->second;
}

void EditSession::fileKeysOf(size_t line) {
    forEachKey(document_.line(line), [&](std::string_view key) {
        Postings& p = postings(key);
        if (&p == searching_) searchingAdded_.insert(line);
        else p.added.push_back(line);
    });
}

size_t EditSession::forEachHit(std::string_view needle, const std::function<void(long long)>& onHit) {
    if (needle.empty()) return 0;
    const std::string lower = lowerAscii(needle);
    if (!isIndexKey(lower)) return forEachTextHit(needle, onHit);
    auto it = index_.find(lower);
    return it == index_.end() ? 0 : forEachIndexedHit(needle, &it->second, onHit);
}

size_t EditSession::forEachIndexedHit(std::string_view needle, Postings* postings,
                                      const std::function<void(long long)>& onHit) {
    // Lines that gained the key since its last search join the ordered list first.
    std::vector<size_t>& lines = postings->lines;
    if (!postings->added.empty()) {
        std::sort(postings->added.begin(), postings->added.end());
        const size_t middle = lines.size();
        lines.insert(lines.end(), postings->added.begin(), postings->added.end());
        std::inplace_merge(lines.begin(), lines.begin() + static_cast<long>(middle), lines.end());
        lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
        postings->added.clear();
    }
    // Filed lines may have lost the key through a rewrite; the search in the line itself
    // decides. Lines that gain it during this search go to `searchingAdded_`, which may grow
    // while we go. The search only moves forward, so the filed lines are walked with a cursor.
    searching_ = postings;
    searchingAdded_.clear();
    struct Done {
        EditSession& s;
        ~Done() {
            if (s.searching_) s.searching_->added.insert(s.searching_->added.end(), s.searchingAdded_.begin(),
                                                         s.searchingAdded_.end());
            s.searching_ = nullptr;
            s.searchingAdded_.clear();
        }
    } done{*this};
    size_t cursor = 0;
    auto nextCandidate = [&](size_t from) -> size_t {
        size_t best = SIZE_MAX;
        while (cursor < lines.size() && lines[cursor] < from) ++cursor;
        if (cursor < lines.size()) best = lines[cursor];
        if (searchingAdded_.empty()) return best;
        auto a = searchingAdded_.lower_bound(from);
        if (a != searchingAdded_.end() && *a < best) best = *a;
        return best;
    };
    size_t hits = 0;
    size_t line = 0, column = 0;
    for (;;) {
        const size_t candidate = nextCandidate(line);
        if (candidate == SIZE_MAX || candidate >= document_.lineCount()) return hits;
        if (candidate != line) column = 0;
        const size_t at = findNoCase(document_.line(candidate), needle, column);
        if (at == std::string_view::npos) {
            line = candidate + 1;
            column = 0;
            continue;
        }
        ++hits;
        onHit(static_cast<long long>(candidate));
        resumeAfter(candidate, at, line, column);
    }
}

size_t EditSession::forEachTextHit(std::string_view needle, const std::function<void(long long)>& onHit) {
    size_t hits = 0;
    size_t line = 0, column = 0;
    while (line < document_.lineCount()) {
        const auto at = document_.find(needle, document_.lineStart(line) + column);
        if (!at) break;
        const size_t hitLine = document_.lineOfPosition(*at);
        const size_t hitColumn = *at - document_.lineStart(hitLine);
        ++hits;
        onHit(static_cast<long long>(hitLine));
        resumeAfter(hitLine, hitColumn, line, column);
    }
    return hits;
}

void EditSession::resumeAfter(size_t hitLine, size_t hitColumn, size_t& line, size_t& column) const {
    // One character after the hit's first character, in the hit line as it now stands.
    line = hitLine;
    column = hitColumn + 1;
    if (column > document_.line(line).size()) {
        ++line;
        column = 0;
    }
}

bool EditSession::writeParameter(long long line, int number, std::string_view value) {
    if (line < 0 || static_cast<unsigned long long>(line) >= document_.lineCount() ||
        !isParameterLine(document_.line(static_cast<size_t>(line)), number)) {
        ++skipped_;
        return false;
    }
    ++made_;
    const size_t index = static_cast<size_t>(line);
    char digits[16];
    const std::string_view n(digits, static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, number).ptr - digits));
    scratch_.assign(kParameterIndent).append("<Prm").append(n).append(">").append(value);
    scratch_.append("</Prm").append(n).append(">");
    const std::string_view current = document_.line(index);
    if (current == scratch_) return true;
    if (!touched_[index]) {
        touched_[index] = true;
        remember(index, current, number);
    }
    document_.setLine(index, scratch_);
    fileKeysOf(index);
    return true;
}

void EditSession::remember(size_t line, std::string_view text, int number) {
    putNumber(undo_, line);
    if (number >= 0) {
        const ParameterTags tags(number);
        if (const auto value = canonicalValue(text, tags)) {
            putNumber(undo_, static_cast<size_t>(number) + 1);
            putNumber(undo_, value->size());
            undo_.append(*value);
            return;
        }
    }
    putNumber(undo_, 0);
    putNumber(undo_, text.size());
    undo_.append(text);
}

// Calls f(line, first text) for every line the session rewrote.
template <class F>
void EditSession::forEachOriginal(F&& f) const {
    std::string text;
    for (size_t at = 0; at < undo_.size();) {
        const size_t line = getNumber(undo_, at);
        const size_t kind = getNumber(undo_, at);
        const size_t length = getNumber(undo_, at);
        const std::string_view bytes = std::string_view(undo_).substr(at, length);
        at += length;
        if (kind == 0) {
            f(line, bytes);
            continue;
        }
        const ParameterTags tags(static_cast<int>(kind - 1));
        text.assign(kParameterIndent).append(tags.open).append(bytes).append(tags.close);
        f(line, std::string_view(text));
    }
}

size_t EditSession::linesChanged() const {
    size_t n = 0;
    forEachOriginal([&](size_t line, std::string_view original) { n += document_.line(line) != original; });
    return n;
}

void EditSession::rollback() {
    forEachOriginal([&](size_t line, std::string_view original) { document_.setLine(line, original); });
    undo_.clear();
    touched_.assign(touched_.size(), false);
}

}  // namespace pf
