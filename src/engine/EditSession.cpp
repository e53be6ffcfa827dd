#include "engine/EditSession.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>
#include <optional>

#include "catalogue/Catalogue.h"
#include "document/ByteScan.h"
#include "document/Document.h"
#include "engine/ParameterLine.h"
#include "text/Ascii.h"

namespace pf {

using namespace parameter_line;

namespace {

constexpr std::string_view kPrm1Open = "<prm1>";
constexpr std::string_view kPrm1Close = "</prm1>";
constexpr std::string_view kModuleOpen = "<module";
constexpr size_t kPrm1Blanks = 8;
constexpr size_t kModuleBlanks = 2;
constexpr size_t kAhead = 16;  // hits
constexpr std::string_view kUsualPrm1 = "        <Prm1>", kUsualPrm1Close = "</Prm1>";

// Whether `s` at `at` reads `lowerText` in any letter case.
bool readsNoCase(std::string_view s, size_t at, std::string_view lowerText) {
    if (at > s.size() || s.size() - at < lowerText.size()) return false;
    for (size_t i = 0; i < lowerText.size(); ++i)
        if (asciiLower(s[at + i]) != lowerText[i]) return false;
    return true;
}

bool blanksBefore(std::string_view s, size_t at, size_t count) {
    if (at < count) return false;
    for (size_t i = at - count; i < at; ++i)
        if (s[i] != ' ') return false;
    return true;
}

// The keys of the index in a line: every "<prm1>" with eight blanks before it up to the first
// "</prm1>" after it, and every "<module" with two blanks before it up to the first ">" after
// it. at() looks at one '<' of the line, the line's '<' taken in order.
class KeysOfLine {
public:
    // The key (as written) that the '<' at q opens, or an empty view.
    std::string_view at(std::string_view line, size_t q) {
        // Most type-id lines read exactly "        <Prm1>id</Prm1>": the whole line is the key.
        if (q == kPrm1Blanks && prm1Closes_ && line.size() >= kUsualPrm1.size() + kUsualPrm1Close.size() &&
            parameter_line::startsWith(line, kUsualPrm1) && parameter_line::endsWith(line, kUsualPrm1Close) &&
            !std::memchr(line.data() + kUsualPrm1.size(), '<', line.size() - kUsualPrm1.size() - kUsualPrm1Close.size()))
            return line;
        if (prm1Closes_ && readsNoCase(line, q, kPrm1Open)) {
            if (!blanksBefore(line, q, kPrm1Blanks)) return {};
            // The first "</prm1>" after it begins at the first '<' after it, as a rule.
            const size_t next = line.find('<', q + kPrm1Open.size());
            const size_t close = next != std::string_view::npos && readsNoCase(line, next, kPrm1Close)
                                     ? next
                                     : findNoCase(line, kPrm1Close, q + kPrm1Open.size());
            if (close == std::string_view::npos) prm1Closes_ = false;  // nor does any later one close
            else return line.substr(q - kPrm1Blanks, close + kPrm1Close.size() - (q - kPrm1Blanks));
        } else if (moduleCloses_ && readsNoCase(line, q, kModuleOpen)) {
            if (!blanksBefore(line, q, kModuleBlanks)) return {};
            const size_t close = line.find('>', q + kModuleOpen.size());
            if (close == std::string_view::npos) moduleCloses_ = false;
            else return line.substr(q - kModuleBlanks, close + 1 - (q - kModuleBlanks));
        }
        return {};
    }
    bool done() const { return !prm1Closes_ && !moduleCloses_; }

private:
    bool prm1Closes_ = true, moduleCloses_ = true;
};

// Calls emit(key as written) for every key of the index a line holds.
template <class Emit>
void forEachKey(std::string_view line, Emit&& emit) {
    KeysOfLine keys;
    scan::forEachByte(line.data(), line.size(), '<', [&](size_t q) {
        if (const std::string_view key = keys.at(line, q); !key.empty()) emit(key);
        return !keys.done();
    });
}

// The number a value reads when it is one from 0 to 253 written plainly (no sign, no leading
// zero), else -1.
int smallNumber(std::string_view value) {
    if (value.empty() || value.size() > 3 || (value[0] == '0' && value.size() > 1)) return -1;
    int n = 0;
    for (char c : value) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n <= 253 ? n : -1;
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

EditSession::EditSession(Document& document)
    : document_(document),
      indexed_(document.lineCount() <= UINT32_MAX),
      first_(static_cast<uint8_t*>(std::calloc(std::max<size_t>(document.lineCount(), 1), 1))) {
    if (!first_) throw std::bad_alloc();
    if (!indexed_ || document_.lineCount() == 0) return;
    auto file = [&](std::string_view key, size_t line) {
        auto& lines = postings(key).lines;
        if (lines.empty() || lines.back() != line) lines.push_back(static_cast<uint32_t>(line));
    };
    if (!document_.allInBuffer()) {
        for (size_t i = 0; i < document_.lineCount(); ++i)
            forEachKey(document_.line(i), [&](std::string_view key) { file(key, i); });
        return;
    }
    // The index in one pass over the buffer: only where a key may begin is the line looked at.
    size_t line = 0, lineStart = document_.bufferOffset(0), lineEnd = document_.bufferOffset(1);
    std::string_view text = document_.line(0);
    KeysOfLine keys;
    const std::string_view all = document_.buffer();
    scan::forEachTagStart(all.data(), all.size(), [&](size_t at) {
        if (at >= lineEnd) {
            while (document_.bufferOffset(line + 1) <= at) ++line;
            lineStart = document_.bufferOffset(line);
            lineEnd = document_.bufferOffset(line + 1);
            text = document_.line(line);
            keys = KeysOfLine();
        }
        if (at - lineStart < text.size() && !keys.done())
            if (const std::string_view key = keys.at(text, at - lineStart); !key.empty()) file(key, line);
    });
    // The lists grew by doubling; what they hold now is most of what they will hold.
    for (auto& [key, p] : index_) p.lines.shrink_to_fit();
}

EditSession::Postings& EditSession::postings(std::string_view keyAsWritten) {
    // A file repeats a few keys over and over: the last key seen in each of a few slots is
    // answered without lowering and hashing it again. The slot comes from the key's last
    // bytes, where its type id or module number stands.
    const size_t n = keyAsWritten.size();
    uint64_t tail = 0, before = 0;  // the last sixteen bytes (fewer of a shorter key)
    std::memcpy(&tail, keyAsWritten.data() + (n > 8 ? n - 8 : 0), std::min<size_t>(n, 8));
    if (n > 8) std::memcpy(&before, keyAsWritten.data() + (n > 16 ? n - 16 : 0), std::min<size_t>(n - 8, 8));
    // The top bits of a product depend on every bit of its factors.
    const uint64_t h = ((tail ^ (before * 0xC2B2AE3D27D4EB4Full) ^ n) * 0x9E3779B97F4A7C15ull) >> 56;
    RecentKey& recent = recentKeys_[h % recentKeys_.size()];
    if (recent.postings != nullptr && same(recent.key, keyAsWritten)) return *recent.postings;
    key_.resize(keyAsWritten.size());
    std::transform(keyAsWritten.begin(), keyAsWritten.end(), key_.begin(), asciiLower);
    auto it = index_.find(key_);
    if (it == index_.end()) it = index_.emplace(key_, Postings()).first;
    recent.key.assign(keyAsWritten);
    recent.postings = &it->second;
    return it->second;
}

void EditSession::fileKeysOf(size_t line, std::string_view text) {
    forEachKey(text, [&](std::string_view key) { addTo(postings(key), line); });
}

size_t EditSession::forEachHit(std::string_view needle, const std::function<void(long long)>& onHit) {
    if (needle.empty()) return 0;
    const std::string lower = lowerAscii(needle);
    if (!indexed_ || !isIndexKey(lower)) return forEachTextHit(needle, onHit);
    auto it = index_.find(lower);
    return it == index_.end() ? 0 : forEachIndexedHit(needle, &it->second, onHit);
}

size_t EditSession::forEachIndexedHit(std::string_view needle, Postings* postings,
                                      const std::function<void(long long)>& onHit) {
    // Lines that gained the key since its last search join the ordered list first.
    auto& lines = postings->lines;
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
        // In a big document the hits lie far apart: the text of a hit a little further on (its
        // line and the few after it, which the edits read) is asked for now. A line rewritten
        // beside the buffer makes the hint useless, not wrong.
        if (cursor + kAhead < lines.size()) {
            const char* ahead = document_.buffer().data() + document_.bufferOffset(lines[cursor + kAhead]);
            for (size_t at = 0; at < 256; at += 64) __builtin_prefetch(ahead + at);
        }
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
        // A filed line is most often the search string itself, as written.
        const std::string_view text = document_.line(candidate);
        const size_t at = column == 0 && same(text, needle) ? 0 : findNoCase(text, needle, column);
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
    aimAt(line);
    if (line < 0 || static_cast<unsigned long long>(line) >= document_.lineCount()) {
        ++skipped_;
        return false;
    }
    if (number >= 0 && number < 16) [[likely]]
        return rewrite(static_cast<size_t>(line), number, value, commonTags()[static_cast<size_t>(number)]);
    return rewrite(static_cast<size_t>(line), number, value, Tags(number));
}

bool EditSession::rewrite(size_t index, int number, std::string_view value, const Tags& tags) {
    const std::string_view head = tags.head(), close = tags.close();
    const std::string_view current = document_.line(index);
    const bool usualHead = startsWith(current, head);
    if (!usualHead && !isParameterLine(current, number)) {
        ++skipped_;
        return false;
    }
    ++made_;
    // Most lines read exactly "        <PrmN>value</PrmN>": their value is compared, and kept
    // for undo, without the line being made.
    const bool usual =
        usualHead && current.size() >= head.size() + close.size() && endsWith(current, close);
    const std::string_view held =
        usual ? current.substr(head.size(), current.size() - head.size() - close.size()) : std::string_view();
    if (usual && same(held, value)) return true;
    if (record_) [[unlikely]]
        recordRewrite(index, current, usual ? std::optional(held) : std::nullopt, number, value);
    if (first_[index] == 0) {
        ++remembered_;
        if (const int small = usual && number >= 0 ? smallNumber(held) : -1; small >= 0)
            first_[index] = static_cast<uint8_t>(small + 1);
        else if (usual && number >= 0)
            remember(index, static_cast<size_t>(number) + 1, held);
        else
            remember(index, 0, current);
    } else {
        rewrittenAgain_.push_back(index);
    }
    // Values are short: one look at their bytes for a line break and for a '<'.
    bool lineBreak = false, tag = false;
    for (char c : value) {
        lineBreak = lineBreak || c == '\n';
        tag = tag || c == '<';
    }
    std::string_view now;
    if (usual && held.size() == value.size() && !lineBreak) {
        // A value of the same length takes the old one's place.
        document_.overwrite(index, head.size(), value);
        if (tag || number == 1) now = document_.line(index);
    } else {
        scratch_.resize(head.size() + value.size() + close.size());
        char* out = scratch_.data();
        std::memcpy(out, head.data(), head.size());
        if (!value.empty()) std::memcpy(out + head.size(), value.data(), value.size());
        std::memcpy(out + head.size() + value.size(), close.data(), close.size());
        document_.setLine(index, scratch_);
        now = scratch_;
    }
    // The new line holds no key unless it is a Prm1 line (then, with no '<' in the value, the
    // whole line is one) or its value brings one.
    if (!indexed_) return true;
    if (tag) fileKeysOf(index, now);
    else if (number == 1) addTo(postings(now), index);
    return true;
}

void EditSession::recordRewrite(size_t line, std::string_view current, std::optional<std::string_view> held, int number,
                                std::string_view value) {
    const bool inDocument =
        origin_.moduleLine < 0 || static_cast<unsigned long long>(origin_.moduleLine) < document_.lineCount();
    const long long moduleLine = inDocument ? origin_.moduleLine : -1;
    const std::string_view module = moduleLine >= 0 && record_->needsModuleText(moduleLine)
                                        ? document_.line(static_cast<size_t>(moduleLine))
                                        : std::string_view();
    if (inDocument) [[likely]] {
        record_->addParameterRewrite(line, origin_, module, current, held, number, value);
        return;
    }
    EditOrigin origin = origin_;
    origin.moduleLine = -1;
    record_->addParameterRewrite(line, origin, module, current, held, number, value);
}

void EditSession::addTo(Postings& p, size_t line) {
    if (&p == searching_) searchingAdded_.insert(line);
    else p.added.push_back(static_cast<uint32_t>(line));
}

void EditSession::remember(size_t line, size_t kind, std::string_view bytes) {
    // Lines follow each other closely in the order they are first rewritten: each record
    // holds its distance from the line before (as a zigzag number: 2d, or -2d - 1).
    const long long delta = static_cast<long long>(line) - static_cast<long long>(lastRemembered_);
    lastRemembered_ = line;
    first_[line] = kLogged;
    char* const start = undo_.reserve(3 * 10 + bytes.size());
    char* out = putNumber(start, zigzag(delta));
    out = putNumber(out, kind);
    out = putNumber(out, bytes.size());
    if (!bytes.empty()) std::memcpy(out, bytes.data(), bytes.size());
    undo_.commit(static_cast<size_t>(out - start) + bytes.size());
}

// Calls f(line, first text) for every line whose first text is in the log (for which
// wanted(line), when given).
template <class F, class Wanted>
void EditSession::forEachLogged(F&& f, Wanted&& wanted) const {
    std::string text;
    size_t line = 0;
    undo_.forEachBlock([&](std::string_view undo) {
        for (size_t at = 0; at < undo.size();) {
            line = static_cast<size_t>(static_cast<long long>(line) + unzigzag(getNumber(undo, at)));
            const size_t kind = getNumber(undo, at);
            const size_t length = getNumber(undo, at);
            const std::string_view bytes = undo.substr(at, length);
            at += length;
            if (!wanted(line)) continue;
            if (kind == 0) {
                f(line, bytes);
                continue;
            }
            const Tags tags = tagsFor(static_cast<int>(kind - 1));
            text.assign(tags.head()).append(bytes).append(tags.close());
            f(line, std::string_view(text));
        }
    });
}

std::string_view EditSession::firstAsNumber(size_t line, std::string& text) const {
    // The line reads "        <PrmN>...</PrmN>" as the session wrote it, N its own number.
    const std::string_view now = document_.line(line);
    const std::string_view head = now.substr(0, now.find('>') + 1);
    char digits[4];
    const auto end = std::to_chars(digits, digits + sizeof digits, first_[line] - 1).ptr;
    text.assign(head).append(digits, end).append("</").append(head.substr(kIndent.size() + 1));
    return text;
}

size_t EditSession::linesChanged() const {
    // A line rewritten once differs from its first text; only one rewritten again may have
    // got it back.
    if (rewrittenAgain_.empty()) return remembered_;
    std::vector<bool> again(document_.lineCount());
    for (size_t line : rewrittenAgain_) again[line] = true;
    size_t n = remembered_;
    auto same = [&](size_t line, std::string_view original) { n -= document_.line(line) == original; };
    forEachLogged(same, [&](size_t line) { return again[line]; });
    std::string text;
    for (size_t line : rewrittenAgain_)
        if (again[line] && first_[line] != kLogged) {
            again[line] = false;
            same(line, firstAsNumber(line, text));
        }
    return n;
}

void EditSession::rollback() {
    auto put = [&](size_t line, std::string_view original) { document_.setLine(line, original); };
    forEachLogged(put);
    std::string text;
    for (size_t line = 0; line < document_.lineCount(); ++line)
        if (first_[line] != 0 && first_[line] != kLogged) put(line, firstAsNumber(line, text));
    undo_.clear();
    remembered_ = 0;
    lastRemembered_ = 0;
    rewrittenAgain_.clear();
    std::memset(first_.get(), 0, document_.lineCount());
}

}  // namespace pf
