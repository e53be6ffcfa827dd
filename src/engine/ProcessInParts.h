#pragma once

// Process over a patch group taken a part at a time, each part a run of whole patches held as
// a document of its own, so that a big file need not be held whole and its parts can be
// worked on side by side.
//
// Process finds a module by a line of it and edits lines a few lines from there, and looks for
// a patch's name no further up than the line that opens the patch. A part's run therefore
// leaves its lines exactly as a run over the whole file does as long as it aims at no line
// outside the part: the file's first part may aim above its first line, and its last part
// below its last line, as the whole run would. A part whose run aims further is told, and the
// caller takes the file whole.

#include <cstddef>
#include <optional>
#include <string_view>

#include "engine/Process.h"

namespace pf {

class Catalogue;
class Document;

// Where the bytes of a patch group may be cut into parts: the start of the last line of
// `bytes`, other than the first, that opens a patch ("<Patch " after leading blanks, as far as
// `bytes` go); npos when there is none.
size_t lastPatchStart(std::string_view bytes);

// Process on one part of a file; nullopt when the run aimed outside the part (the part is
// then as the run left it, of no use).
std::optional<ProcessReport> processPart(Document& part, bool firstOfFile, bool lastOfFile, const Catalogue& catalogue,
                                         const Choices& choices);

// Adds the counts of a part's report to the file's; both come from the same choices.
void addPart(ProcessReport& file, const ProcessReport& part);

}  // namespace pf
