#pragma once

#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

#include "document/Document.h"

namespace pf {

// The document as it was before each command that changed it, for undo and redo, each state
// with what the front end notes with it (its caption, whether it is saved, ...). A state is a
// whole document: one buffer and its table of lines, moved in and out, never copied line by
// line. The oldest states are let go once all of them together exceed `budget` bytes; the
// latest one is always kept.
template <class Note>
class History {
public:
    explicit History(size_t budget = size_t{1} << 30) : budget_(budget) {}

    void clear() {
        undo_.clear();
        redo_.clear();
        held_ = 0;
    }
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    size_t undoCount() const { return undo_.size(); }

    // A command changed the document; `before` is the document as it was, noted `note`. What
    // could be redone is gone.
    void changed(Document before, Note note) {
        for (const State& s : redo_) held_ -= s.size;
        redo_.clear();
        push(undo_, std::move(before), std::move(note));
        while (held_ > budget_ && undo_.size() > 1) {
            held_ -= undo_.front().size;
            undo_.pop_front();
        }
    }
    // Makes the state before the current one current: `document` and `note` are the current
    // state's and receive that one's. False, and nothing changes, when there is none.
    bool undo(Document& document, Note& note) { return step(undo_, redo_, document, note); }
    // The other way, after undo().
    bool redo(Document& document, Note& note) { return step(redo_, undo_, document, note); }

private:
    struct State {
        Document document;
        Note note;
        size_t size = 0;
    };
    static size_t sizeOf(const Document& d) { return d.buffer().size() + d.lineCount() * 4; }

    void push(std::deque<State>& to, Document document, Note note) {
        const size_t size = sizeOf(document);
        held_ += size;
        to.push_back(State{std::move(document), std::move(note), size});
    }
    bool step(std::deque<State>& from, std::deque<State>& to, Document& document, Note& note) {
        if (from.empty()) return false;
        State s = std::move(from.back());
        from.pop_back();
        held_ -= s.size;
        push(to, std::move(document), std::move(note));
        document = std::move(s.document);
        note = std::move(s.note);
        return true;
    }

    size_t budget_;
    size_t held_ = 0;
    std::deque<State> undo_, redo_;
};

}  // namespace pf
