#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EditRecord.h"
#include "engine/Process.h"
#include "io/LargeMemory.h"

namespace pf {

class Document;

// The rewrites of one module, as a Process command's record holds them.
struct ModuleChanges {
    long long headerLine = -1;  // the module's header line; -1 for hits with no header above them
    size_t first = 0, runs = 0;  // its runs of rewrites in the list
    size_t count = 0;            // its rewrites: ChangeList::edit(*this, 0 .. count - 1)
};

// A Process command's record grouped by module, the modules in document order and each
// module's rewrites in the order they were made. Refers to the record; keeps one entry per run
// of rewrites of one module and copies no text.
class ChangeList {
public:
    explicit ChangeList(const EditRecord& record);

    const std::vector<ModuleChanges, io::LargeAllocator<ModuleChanges>>& modules() const { return modules_; }
    // A module's rewrite, read back from the record.
    RecordedEdit edit(const ModuleChanges& module, size_t i) const { return record_[indexOf(module, i)]; }
    // The header line's text as the record keeps it (empty for the group without a header).
    std::string header(const ModuleChanges& module) const { return edit(module, 0).module; }
    // Reads the values of the record as shown.
    const ValueReader& reader() const { return record_.reader(); }
    // The rule that made a setting's rewrites, as shown beside them; empty for a plain value.
    const std::string& rule(SettingId id) const { return record_.rule(id); }

    // Puts every line a rewrite of a module not kept (keep[i] false for modules()[i]) touched
    // back to its text before the command, as if that module had not been edited; a line
    // rewritten for a kept module too goes back as well. `document` is the one the command
    // rewrote, as the command left it.
    void restore(Document& document, const std::vector<bool>& keep) const;
    // Takes the command back: every line it rewrote goes back to its text before the command,
    // whatever was kept. `document` is as the command left it, some modules restored or none.
    void takeBack(Document& document) const;
    // Makes the command again on `document` as it was before it, the modules not kept (keep as
    // for restore()) restored.
    void redo(Document& document, const std::vector<bool>& keep) const;
    // How many of the lines the command rewrote differ in `document` from their text before it.
    size_t linesDiffering(const Document& document) const;
    // The bytes this list holds besides the record.
    size_t bytes() const { return runs_.capacity() * sizeof(Run) + modules_.capacity() * sizeof(ModuleChanges); }

private:
    const EditRecord& record_;
    // Runs of rewrites of one module that follow one another in the record, sorted by (header
    // line, first rewrite): the rewrites grouped by module, each module's in the order made.
    struct Run {
        long long header;
        size_t first, count;
        bool operator<(const Run& o) const { return header != o.header ? header < o.header : first < o.first; }
    };
    size_t indexOf(const ModuleChanges& module, size_t i) const;  // in the record

    std::vector<Run, io::LargeAllocator<Run>> runs_;
    std::vector<ModuleChanges, io::LargeAllocator<ModuleChanges>> modules_;
};

// The value of a parameter line ("        <Prm2>60</Prm2>" gives "60"); any other line whole,
// without its leading blanks.
std::string_view parameterValue(std::string_view line);

// A rewrite's values as the window shows them: the old one read as the module's type had it
// when the hit found it, the new one as the rewrite laid it out; none where not readable.
struct ShownChange {
    std::optional<ShownValue> before, after;
};
ShownChange shownChange(const RecordedEdit& edit, const ValueReader& reader);
// The catalogue name of the module's type at a rewrite; none for modules the catalogue does not
// list (the noise reduction, the patch module).
std::optional<std::string> typeNameOf(const RecordedEdit& edit, const ValueReader& reader);

// The name of the patch a line lies in, for people: the Name="..." of the nearest line above it
// (the line itself included) that starts, after blanks, with "<Patch ", looked for at most
// `reach` lines up; empty when there is none.
std::string patchNameAbove(const Document& document, size_t line, size_t reach = 2000);
// The name in a line that starts a patch (after blanks, "<Patch ", then Name="..."), or none
// when the line does not start one; empty when it starts one without a name.
std::optional<std::string_view> patchNameIn(std::string_view line);

// What the front ends say about a Process command besides its changes.
struct ProcessOutcome {
    size_t linesChanged = 0;
    size_t modulesChanged = 0;
    // Lines in which the document already differed, before this Process, from the file it was
    // loaded from or last saved to (earlier Processes not saved yet).
    size_t linesUnsaved = 0;
    size_t editsSkipped = 0;                 // targets outside the document or not parameter lines of their number
    size_t editsLeftOut = 0;                 // modules a rule's condition or a section's patterns left alone
    // Searches that found nothing: a ticked type (its check-list name) no module of the file
    // holds, or, for the blocks that search a fixed line, an empty name: no such module at all.
    struct NotFound {
        Group group{};
        std::string type;
    };
    std::vector<NotFound> notFound;
    std::vector<Group> blocksWithoutTypes;  // blocks that ran with no type ticked in their list
};
ProcessOutcome outcomeOf(const ProcessReport& report, const ChangeList& changes);

}  // namespace pf
