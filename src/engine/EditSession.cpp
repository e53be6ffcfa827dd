#include "engine/EditSession.h"

#include <algorithm>
#include <cstdio>

#include "document/Document.h"
#include "text/Ascii.h"

namespace pf {

namespace {

constexpr std::string_view kPrm1Open = "<prm1>";
constexpr std::string_view kPrm1Close = "</prm1>";
constexpr std::string_view kModuleOpen = "<module";
constexpr size_t kPrm1Blanks = 8;
constexpr size_t kModuleBlanks = 2;

bool blanksBefore(std::string_view s, size_t at, size_t count) {
    if (at < count) return false;
    for (size_t i = at - count; i < at; ++i)
        if (s[i] != ' ') return false;
    return true;
}

}  // namespace

namespace {

// "        <PrmN>value</PrmN>", written into `line`'s own storage.
void buildParameterLine(std::string& line, int number, std::string_view value) {
    char n[16];
    const int len = std::snprintf(n, sizeof n, "%d", number);
    const std::string_view num(n, static_cast<size_t>(len));
    line.assign("        <Prm");
    line.append(num).append(">").append(value).append("</Prm").append(num).append(">");
}

}  // namespace

bool isParameterLine(std::string_view line, int number) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::string tag = "<prm" + std::to_string(number) + ">";
    return findNoCase(line.substr(i, tag.size()), tag) == 0;
}

void forEachIndexKey(std::string_view line, const std::function<void(std::string&&)>& emit) {
    for (size_t q = findNoCase(line, kPrm1Open); q != std::string_view::npos; q = findNoCase(line, kPrm1Open, q + 1)) {
        if (!blanksBefore(line, q, kPrm1Blanks)) continue;
        const size_t close = findNoCase(line, kPrm1Close, q + kPrm1Open.size());
        if (close == std::string_view::npos) break;
        const size_t start = q - kPrm1Blanks;
        emit(lowerAscii(line.substr(start, close + kPrm1Close.size() - start)));
    }
    for (size_t q = findNoCase(line, kModuleOpen); q != std::string_view::npos;
         q = findNoCase(line, kModuleOpen, q + 1)) {
        if (!blanksBefore(line, q, kModuleBlanks)) continue;
        const size_t close = line.find('>', q + kModuleOpen.size());
        if (close == std::string_view::npos) break;
        const size_t start = q - kModuleBlanks;
        emit(lowerAscii(line.substr(start, close + 1 - start)));
    }
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
    for (size_t i = 0; i < document_.lineCount(); ++i) indexLine(i);
    building_ = false;
}

void EditSession::indexLine(size_t line) {
    forEachIndexKey(document_.line(line), [&](std::string&& key) {
        Postings& p = index_[std::move(key)];
        if (building_) {
            if (p.built.empty() || p.built.back() != line) p.built.push_back(line);
        } else {
            p.added.insert(line);
        }
    });
}

const EditSession::Postings* EditSession::postingsFor(std::string_view lowerNeedle) const {
    auto it = index_.find(std::string(lowerNeedle));
    return it == index_.end() ? nullptr : &it->second;
}

size_t EditSession::forEachHit(std::string_view needle, const std::function<void(long long)>& onHit) {
    if (needle.empty()) return 0;
    const std::string lower = lowerAscii(needle);
    if (isIndexKey(lower)) return forEachIndexedHit(needle, postingsFor(lower), onHit);
    return forEachTextHit(needle, onHit);
}

size_t EditSession::forEachIndexedHit(std::string_view needle, const Postings* postings,
                                      const std::function<void(long long)>& onHit) {
    if (postings == nullptr) return 0;
    // Lines filed under the key may have lost it through a rewrite; the search in the line
    // itself decides. Lines that gained it are in `added`, which may grow while we go.
    // The search only moves forward, so the built list is walked with a cursor.
    auto built = postings->built.begin();
    auto nextCandidate = [&](size_t from) -> size_t {
        size_t best = SIZE_MAX;
        while (built != postings->built.end() && *built < from) ++built;
        if (built != postings->built.end()) best = *built;
        if (postings->added.empty()) return best;
        auto a = postings->added.lower_bound(from);
        if (a != postings->added.end() && *a < best) best = *a;
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
    buildParameterLine(scratch_, number, value);
    replace(static_cast<size_t>(line), scratch_);
    return true;
}

void EditSession::replace(size_t line, std::string_view text) {
    const std::string& current = document_.line(line);
    if (current == text) return;
    if (!touched_[line]) {
        touched_[line] = true;
        original_.push_back({line, originalBytes_.size(), current.size()});
        originalBytes_ += current;
    }
    document_.setLine(line, text);
    indexLine(line);
}

std::string_view EditSession::originalText(size_t entry) const {
    const Original& o = original_[entry];
    return std::string_view(originalBytes_).substr(o.offset, o.length);
}

size_t EditSession::linesChanged() const {
    size_t n = 0;
    for (size_t i = 0; i < original_.size(); ++i)
        if (document_.line(original_[i].line) != originalText(i)) ++n;
    return n;
}

void EditSession::rollback() {
    for (size_t i = 0; i < original_.size(); ++i) document_.setLine(original_[i].line, originalText(i));
    original_.clear();
    originalBytes_.clear();
    touched_.assign(touched_.size(), false);
}

}  // namespace pf
