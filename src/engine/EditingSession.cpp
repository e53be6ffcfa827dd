#include "engine/EditingSession.h"

#include <algorithm>

namespace pf {

bool EditingSession::load(const std::filesystem::path& path, const Catalogue& catalogue, std::string* error) {
    if (!group_.load(path, catalogue, error)) return false;
    loaded(path);
    return true;
}

bool EditingSession::load(const std::filesystem::path& path, ListsByModel& lists, std::string* error) {
    if (!group_.load(path, lists, error)) return false;
    loaded(path);
    return true;
}

void EditingSession::loaded(const std::filesystem::path& path) {
    history_.clear();
    state_ = State{path, std::nullopt, true};
    if (undo_ == Undo::Kept) onDisk_ = group_.document();
}

EditingSession::Pending& EditingSession::Pending::operator=(Pending&& other) noexcept {
    if (this != &other) {
        if (session_) session_->discard(std::move(*this));
        session_ = std::exchange(other.session_, nullptr);
        report_ = std::move(other.report_);
        record_ = std::move(other.record_);
        changes_ = std::move(other.changes_);
        outcome_ = std::move(other.outcome_);
        linesUnsaved_ = other.linesUnsaved_;
        before_ = std::move(other.before_);
    }
    return *this;
}

EditingSession::Pending::~Pending() {
    if (session_) session_->discard(std::move(*this));
}

EditingSession::Pending EditingSession::process(const Choices& choices, const Catalogue& catalogue, bool record) {
    return run(record, [&](EditRecord* made) { return group_.process(choices, catalogue, made); });
}

EditingSession::Pending EditingSession::writeCells(std::span<const CellEdit> edits, const Catalogue& catalogue,
                                                   bool record) {
    return run(record, [&](EditRecord* made) { return group_.writeCells(edits, catalogue, made); });
}

template <class Run>
EditingSession::Pending EditingSession::run(bool record, Run&& edit) {
    Pending p(*this);
    const size_t unsaved = state_.saved || undo_ == Undo::None ? 0 : linesDifferingFromFile();
    if (undo_ == Undo::Kept && !record) p.before_ = group_.document();
    auto made = record ? std::make_shared<EditRecord>() : nullptr;
    p.report_ = edit(made.get());
    p.record_ = std::move(made);
    p.linesUnsaved_ = unsaved;
    return p;
}

const ChangeList& EditingSession::Pending::changes() const {
    if (!changes_) changes_ = std::make_unique<ChangeList>(*record_);
    return *changes_;
}

const ProcessOutcome& EditingSession::Pending::outcome() const {
    if (!outcome_) {
        // Without a record there are no modules to count.
        outcome_ = record_ ? outcomeOf(report_, changes()) : outcomeOf(report_, ChangeList(EditRecord()));
        outcome_->linesUnsaved = linesUnsaved_;
    }
    return *outcome_;
}

void EditingSession::keep(Pending&& p, const std::vector<bool>& givenKept) {
    if (std::exchange(p.session_, nullptr) == nullptr || p.nothingToSave()) return;
    // Every module kept is the Process as it stands: nothing goes back, and its outcome holds.
    static const std::vector<bool> kAll;
    const bool keptAll = givenKept.empty() || !p.record_ || (givenKept.size() == p.changes().modules().size() &&
                                        std::find(givenKept.begin(), givenKept.end(), false) == givenKept.end());
    const std::vector<bool>& kept = keptAll ? kAll : givenKept;
    if (undo_ == Undo::None) {
        // Nothing will be taken back or shown again: the state says only that it is not saved.
        if (!kept.empty() && p.record_) group_.restore(p.changes(), kept);
        state_ = State{state_.file, std::nullopt, false};
        return;
    }
    if (!kept.empty() && p.record_) group_.restore(p.changes(), kept);
    // What is kept: the lines that now differ from before this Process, in the modules kept.
    ProcessOutcome outcome = p.outcome();
    if (!kept.empty() && p.record_) {
        outcome.modulesChanged = static_cast<size_t>(std::count(kept.begin(), kept.end(), true));
        outcome.linesChanged = p.changes().linesDiffering(group_.document());
    }
    auto process = std::make_shared<KeptProcess>();
    process->report = std::move(p.report_);
    if (p.record_) process->kept = kept.empty() ? std::vector<bool>(p.changes().modules().size(), true) : kept;
    process->changes = std::move(p.changes_);
    process->record = std::move(p.record_);
    const bool byRecord = process->record != nullptr;
    State made{state_.file, std::move(outcome), false, std::move(process)};
    // A Process with its record is taken back and made again by it (see step()).
    if (byRecord) history_.changed(std::exchange(state_, std::move(made)));
    else history_.changed(std::move(p.before_), std::exchange(state_, std::move(made)));
}

void EditingSession::discard(Pending&& p) {
    if (std::exchange(p.session_, nullptr) == nullptr || p.nothingToSave()) return;
    if (p.record_) group_.takeBack(p.changes());
    else if (undo_ == Undo::Kept) group_.exchangeDocument(p.before_);
}

bool EditingSession::undo() { return step(true); }

bool EditingSession::redo() { return step(false); }

// One step back or forth: the state exchanged with the one the history holds, and the document
// either exchanged too or, over a Process that kept its record, stepped by that record.
bool EditingSession::step(bool back) {
    const std::shared_ptr<const KeptProcess> leaving = state_.process;
    Document current;
    group_.exchangeDocument(current);
    const bool stepped = back ? history_.undo(current, state_) : history_.redo(current, state_);
    group_.exchangeDocument(current);
    if (!stepped) return false;
    const KeptProcess* over = back ? leaving.get() : state_.process.get();
    if (over && over->record) {
        if (back) group_.takeBack(*over->changes);
        else group_.redo(*over->changes, over->kept);
    }
    return true;
}

size_t EditingSession::State::bytes() const {
    if (!process || !process->record) return 0;
    return process->record->bytes() + process->changes->bytes();
}

bool EditingSession::startSave(io::AtomicWrite& write, const std::filesystem::path& path, std::string* reason) const {
    return write.start(path, reason) && write.write([&](int fd) { return group_.document().writeTo(fd); }, reason);
}

bool EditingSession::save(const std::filesystem::path& path, std::string* error, const io::AtomicWriteOptions& options) {
    io::AtomicWrite write;
    std::string reason;
    if (!startSave(write, path, &reason) || !write.finish(&reason, options)) {
        if (error) *error = io::cannotCreate(path, reason);
        return false;
    }
    state_.file = path;
    state_.saved = true;
    if (undo_ == Undo::Kept) onDisk_ = group_.document();
    return true;
}

size_t EditingSession::linesDifferingFromFile() const {
    const Document& now = group_.document();
    if (now.lineCount() != onDisk_.lineCount()) return std::max(now.lineCount(), onDisk_.lineCount());
    size_t differing = 0;
    for (size_t i = 0; i < now.lineCount(); ++i) differing += now.line(i) != onDisk_.line(i);
    return differing;
}

}  // namespace pf
