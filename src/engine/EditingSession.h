#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/History.h"
#include "engine/PatchGroup.h"
#include "engine/Review.h"
#include "io/FileIO.h"

namespace pf {

class Catalogue;

// One patch group being edited, the way both front ends go through it: the group loaded, each
// Process with its record, a look at the changes before they count (some modules kept as they
// were, or all of it taken back), the undo history of whole Processes, and saving.
//
// (Not to be mixed up with EditSession, the log one Process keeps of the lines it rewrites.)
class EditingSession {
public:
    // Whether Processes can be taken back: the window's (each Process's record takes it back and
    // makes it again; the document before it is kept for one without a record; the file's own
    // is kept for comparing); a run of the batch tool keeps none of these.
    enum class Undo { Kept, None };
    explicit EditingSession(Undo undo = Undo::Kept) : undo_(undo) {}

    // A kept Process as the front ends show it again: its report, its changes and which of
    // their modules were kept.
    struct KeptProcess {
        ProcessReport report;
        std::shared_ptr<const EditRecord> record;  // what `changes` reads
        std::unique_ptr<const ChangeList> changes;
        std::vector<bool> kept;                    // one per changes->modules()
    };

    // What the front ends tell of the current document.
    struct State {
        std::filesystem::path file;            // the file it was loaded from or last saved to
        std::optional<ProcessOutcome> made;    // the Process that made it, as kept; none as loaded
        bool saved = true;                     // it is what `file` held when last read or written
        std::shared_ptr<const KeptProcess> process;  // that Process itself; none as loaded
        // What the state holds for undo and redo: its Process's record and changes.
        size_t bytes() const;
    };

    // A Process that has changed the document and waits for the front end's word: keep() or
    // discard(); one given neither is discarded when it goes. Its record and changes stay valid
    // while it lives.
    class Pending {
    public:
        Pending(Pending&& other) noexcept { *this = std::move(other); }
        Pending& operator=(Pending&& other) noexcept;
        ~Pending();

        const ProcessReport& report() const { return report_; }
        // The record of every rewrite and the changes by module; only for a Process asked to
        // keep a record.
        // (The changes and the outcome are worked out when first asked for: a batch run that
        // only writes the result pays for neither.)
        const std::shared_ptr<const EditRecord>& record() const { return record_; }
        const ChangeList& changes() const;
        // As Process wrote it; linesUnsaved tells what earlier Processes left unsaved.
        const ProcessOutcome& outcome() const;
        bool nothingToSave() const { return report_.nothingToSave(); }

    private:
        friend class EditingSession;
        explicit Pending(EditingSession& session) : session_(&session) {}
        EditingSession* session_ = nullptr;  // none once decided
        ProcessReport report_;
        std::shared_ptr<const EditRecord> record_;
        mutable std::unique_ptr<ChangeList> changes_;
        mutable std::optional<ProcessOutcome> outcome_;
        size_t linesUnsaved_ = 0;
        Document before_;  // the document before, when undo is kept and there is no record
    };

    const PatchGroup& group() const { return group_; }
    const Document& document() const { return group_.document(); }
    const State& state() const { return state_; }

    // Loads a file (see PatchGroup::load); the history starts anew. On failure nothing changes.
    bool load(const std::filesystem::path& path, const Catalogue& catalogue, std::string* error = nullptr);
    bool load(const std::filesystem::path& path, ListsByModel& lists, std::string* error = nullptr);

    // Runs Process on the document, with a record of every rewrite unless told not to keep
    // one. With nothing ticked nothing changes and the result says nothingToSave(). Should
    // Process fail, the document is as it was and the exception passes on.
    Pending process(const Choices& choices, const Catalogue& catalogue, bool record = true);
    // As process(), for values written into single modules (see PatchGroup::writeCells): one
    // step with its record, kept, discarded and undone as a Process is.
    Pending writeCells(std::span<const CellEdit> edits, const Catalogue& catalogue, bool record = true);
    // The modules ticked in `kept` (one per changes().modules(), all when empty) stay as
    // Process wrote them, the others go back as they were; the result is a new state that undo
    // can take back. Its outcome counts what was kept.
    void keep(Pending&& pending, const std::vector<bool>& kept = {});
    // Takes the whole Process back: no trace, nothing to undo. (Without undo, only a Process
    // that kept a record can be taken back; any other stays.)
    void discard(Pending&& pending);

    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    bool undo();
    bool redo();

    // Writes the document atomically (see Document::save); the state then names that file,
    // saved.
    bool save(const std::filesystem::path& path, std::string* error = nullptr,
              const io::AtomicWriteOptions& options = {});
    // The first step of a save, for a caller that finishes many writes together: the document
    // written to a temporary file beside `path`, to be finished with write.finish(). False with
    // the system's reason when it cannot be.
    bool startSave(io::AtomicWrite& write, const std::filesystem::path& path, std::string* reason = nullptr) const;

    // How many lines of the document differ from the file as it was last loaded or saved.
    size_t linesDifferingFromFile() const;

private:
    void loaded(const std::filesystem::path& path);
    template <class Run>
    Pending run(bool record, Run&& edit);
    bool step(bool back);

    Undo undo_;
    PatchGroup group_;
    History<State> history_;
    State state_;
    Document onDisk_;  // the document as last loaded or saved
};

}  // namespace pf
