#pragma once

#include <array>
#include <climits>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Choices.h"
#include "engine/EditRecord.h"

namespace pf {

class Catalogue;
class Document;

inline constexpr std::string_view kNoChangesToSave = "There are no changes to save.";

struct TypeReport {
    std::string name;   // the check-list text without its leading blank, or the search string
    size_t hits = 0;
};

struct BlockReport {
    Group group = Group::NoiseReduction;
    size_t hits = 0;
    size_t editsMade = 0;      // lines rewritten (a rewrite with the same text counts too)
    size_t editsSkipped = 0;   // target outside the document, or not a parameter line of that number
                               // (for a rule: its value not readable)
    size_t editsLeftOut = 0;   // modules a rule's condition or the section's patterns left alone
    std::vector<TypeReport> types;  // per filter-list text, or the one fixed search string
};

// What Process did, for the front ends.
struct ProcessReport {
    std::array<bool, kGroupCount> groupFlags{};  // which blocks ran
    std::vector<BlockReport> blocks;             // in the order they ran
    size_t linesChanged = 0;                     // lines whose text differs from before

    size_t editsSkipped() const;  // of every block
    size_t editsLeftOut() const;  // of every block
    bool nothingToSave() const;  // no group flag set: kNoChangesToSave, nothing touched
    std::string summary() const; // a few lines of text for people
};

// "1 line" or "N lines": how a count of lines changed is told in the core's texts.
std::string linesText(size_t count);
// "1 edit left out by its condition" or "N edits left out by their conditions".
std::string leftOutText(size_t count);

// The Process command's edit passes over the document: group flags, then the noise-reduction,
// amp, drive, reverb and patch-level blocks in that order, each when its flag is set. All or
// nothing: should anything fail, the document is left as it was and the exception passes on.
// With `record`, every rewrite that changes a line is appended to it (nothing is appended when
// the command fails); without, nothing is recorded and nothing costs more.
// With `aimed`, it receives the lowest and highest line an edit aimed at or read.
struct LinesAimedAt {
    long long lowest = LLONG_MAX, highest = LLONG_MIN;  // none: lowest > highest
};
ProcessReport process(Document& document, const Catalogue& catalogue, const Choices& choices,
                      EditRecord* record = nullptr, LinesAimedAt* aimed = nullptr);

}  // namespace pf
