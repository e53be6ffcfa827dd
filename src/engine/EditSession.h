#pragma once

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pf {

class Document;

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

    size_t editsMade() const { return made_; }
    size_t editsSkipped() const { return skipped_; }

    // Lines whose text now differs from the text before the session.
    size_t linesChanged() const;
    // Puts back every line the session rewrote.
    void rollback();

private:
    struct Postings {
        std::vector<size_t> built;  // lines holding the key when the index was built, ascending
        std::set<size_t> added;     // lines that received it through a rewrite
    };

    void indexLine(size_t line);
    const Postings* postingsFor(std::string_view lowerNeedle) const;
    size_t forEachIndexedHit(std::string_view needle, const Postings* postings,
                             const std::function<void(long long)>& onHit);
    size_t forEachTextHit(std::string_view needle, const std::function<void(long long)>& onHit);
    void resumeAfter(size_t hitLine, size_t hitColumn, size_t& line, size_t& column) const;
    void replace(size_t line, std::string_view text);
    std::string_view originalText(size_t entry) const;

    Document& document_;
    std::unordered_map<std::string, Postings> index_;
    bool building_ = true;
    // The first text of every rewritten line, kept end to end in one buffer.
    struct Original {
        size_t line, offset, length;
    };
    std::vector<bool> touched_;  // lines in original_
    std::vector<Original> original_;
    std::string originalBytes_;
    std::string scratch_;        // the parameter line being written
    size_t made_ = 0;
    size_t skipped_ = 0;
};

// Whether a line is a parameter line of number N: after leading blanks and tabs, "<PrmN>" in
// any letter case.
bool isParameterLine(std::string_view line, int number);

// The keys under which the index files a line: every "        <Prm1>…</Prm1>" and every
// "  <Module…>" it holds, in lower case. A search string that is itself exactly one such
// key is found on exactly the lines filed under it.
void forEachIndexKey(std::string_view line, const std::function<void(std::string&&)>& emit);
bool isIndexKey(std::string_view lowerNeedle);

}  // namespace pf
