#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/EditRecord.h"
#include "io/LargeMemory.h"

namespace pf {

class Document;
namespace parameter_line {
class Tags;
}

// One Process command's hold on the document: finds the hits of a search string, rewrites
// parameter lines at offsets from them, and remembers what it changed so that the command
// can be undone whole.
//
// Search strings of the two forms the edit blocks use ("        <Prm1>id</Prm1>" and
// "  <ModuleN>") are answered from an index of the lines that hold such text, built once
// and kept current on every rewrite, so one search costs the lines it hits, not the
// document. Any other string is searched in the text itself.
class EditSession {
public:
    explicit EditSession(Document& document);

    // Calls onHit(hit line) for every occurrence of `needle` in document order, ASCII letters
    // compared without case, in the text as it stands after the edits of earlier hits. After
    // a hit the search goes on in the hit's own line, one character after the hit's first
    // character (past the line's end: at the start of the next line), so edits above a hit
    // can neither skip a later hit nor bring the same one back. Returns the number of hits.
    size_t forEachHit(std::string_view needle, const std::function<void(long long)>& onHit);

    // Rewrites line `line` as "        <PrmN>value</PrmN>", but only when the line lies in the
    // document and is itself a parameter line of number N (after leading blanks and tabs,
    // "<PrmN>" in any letter case). Counts the edit as made or skipped; returns whether made.
    bool writeParameter(long long line, int number, std::string_view value);

    // Keeps a record of every rewrite that changes a line's text from here on (none when
    // null, the default). The blocks tell where each rewrite comes from through origin().
    void setRecord(EditRecord* record) { record_ = record; }
    bool recording() const { return record_ != nullptr; }
    EditOrigin& origin() { return origin_; }

    size_t editsMade() const { return made_; }
    size_t editsSkipped() const { return skipped_; }
    size_t editsLeftOut() const { return leftOut_; }
    // Edits decided without a rewrite: made, the line already holding their result; skipped,
    // their value not readable; left out, by a condition.
    void countUnchanged() { ++made_; }
    void countSkipped() { ++skipped_; }
    void countLeftOut() { ++leftOut_; }

    const Document& document() const { return document_; }

    // Notes a line an edit aims at or reads, in the document or not: lowestAimedAt() and
    // highestAimedAt() tell how far the session's edits looked (nothing yet: lowest > highest).
    void aimAt(long long line) {
        lowestAimedAt_ = std::min(lowestAimedAt_, line);
        highestAimedAt_ = std::max(highestAimedAt_, line);
    }
    long long lowestAimedAt() const { return lowestAimedAt_; }
    long long highestAimedAt() const { return highestAimedAt_; }

    // Lines whose text now differs from the text before the session.
    size_t linesChanged() const;
    // Puts back every line the session rewrote.
    void rollback();

private:
    struct Postings {
        std::vector<uint32_t> lines;  // ascending: lines that held the key when they were filed
        std::vector<uint32_t> added;       // lines that gained it by a rewrite since its last search, unordered
    };

    Postings& postings(std::string_view keyAsWritten);  // filed under the key in lower case
    void fileKeysOf(size_t line, std::string_view text);
    size_t forEachIndexedHit(std::string_view needle, Postings* postings,
                             const std::function<void(long long)>& onHit);
    size_t forEachTextHit(std::string_view needle, const std::function<void(long long)>& onHit);
    void resumeAfter(size_t hitLine, size_t hitColumn, size_t& line, size_t& column) const;
    void addTo(Postings& postings, size_t line);
    // writeParameter on a line in the document, with the tags of its number.
    bool rewrite(size_t index, int number, std::string_view value, const parameter_line::Tags& tags);
    // `held`: the value of `current` when it reads exactly as the parameter line is written.
    void recordRewrite(size_t line, std::string_view current, std::optional<std::string_view> held, int number,
                       std::string_view value);
    // Records a line's first text: kind 0 and the text, or N + 1 and the value of a line that
    // reads exactly "        <PrmN>value</PrmN>".
    void remember(size_t line, size_t kind, std::string_view bytes);
    template <class F, class Wanted = bool (*)(size_t)>
    void forEachLogged(F&& f, Wanted&& wanted = [](size_t) { return true; }) const;
    // The first text of a line whose first text is kept as a number in first_.
    std::string_view firstAsNumber(size_t line, std::string& text) const;

    Document& document_;
    bool indexed_;  // false for a document of more than 2^32 lines: every search reads the text
    std::unordered_map<std::string, Postings> index_;
    std::string key_;                  // the key being filed, in lower case
    struct RecentKey {
        std::string key;  // as written
        Postings* postings = nullptr;
    };
    std::array<RecentKey, 256> recentKeys_;
    Postings* searching_ = nullptr;    // the key whose hits are being visited
    std::set<size_t> searchingAdded_;  // lines that gained that key during the visit
    // The first text of every rewritten line. Most are parameter lines written the usual way
    // holding a small number: one byte a line of the document keeps that number (first_[line]:
    // 0 not rewritten, kLogged in the log, else the number + 1; the line's own number comes
    // back from its text, which every rewrite writes with it). The others go into the log,
    // one record after the other: the line number, the kind, the length and the bytes.
    static constexpr uint8_t kLogged = 255;
    struct Free {
        void operator()(uint8_t* p) const noexcept { std::free(p); }
    };
    std::unique_ptr<uint8_t[], Free> first_;  // from calloc: fresh memory comes cleared
    io::ByteLog undo_;
    size_t remembered_ = 0;                  // lines rewritten
    size_t lastRemembered_ = 0;              // the line of the last record in undo_
    std::vector<size_t> rewrittenAgain_;     // lines rewritten after their first rewrite
    std::string scratch_;  // the parameter line being written
    EditRecord* record_ = nullptr;
    EditOrigin origin_;
    long long lowestAimedAt_ = LLONG_MAX, highestAimedAt_ = LLONG_MIN;
    size_t made_ = 0;
    size_t skipped_ = 0;
    size_t leftOut_ = 0;
};

// Whether a line is a parameter line of number N: after leading blanks and tabs, "<PrmN>" in
// any letter case.
bool isParameterLine(std::string_view line, int number);

// Whether a search string (in lower case) is itself exactly one key of the index: eight blanks
// and "<prm1>…</prm1>", or two blanks and "<module…>". The index files every line under each
// such key it holds, so such a string is found on exactly the lines filed under it.
bool isIndexKey(std::string_view lowerNeedle);

}  // namespace pf
