#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "document/Document.h"

namespace pf {

// The states before each command that changed the document, for undo and redo, each with what
// the front end notes with it (its caption, whether it is saved, the command that made it, ...).
// A state either holds the whole document (one buffer and its table of lines, moved in and
// out, never copied line by line) or none: then the command between it and its neighbour can
// take the step itself, and undo and redo leave the document to the caller, who steps it by
// what the notes hold. The oldest states are let go once all of them together exceed `budget`
// bytes (documents and what the notes hold, see bytes()); the latest one is always kept.
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
    void changed(Document before, Note note) { add(std::move(note), std::move(before)); }
    // As above, for a command whose note can take the step either way without the document.
    void changed(Note note) { add(std::move(note), std::nullopt); }
    // Makes the state before the current one current: `note` is the current state's and
    // receives that one's; so does `document` when that state holds one (else the caller steps
    // it). False, and nothing changes, when there is none.
    bool undo(Document& document, Note& note) { return step(undo_, redo_, document, note); }
    // The other way, after undo().
    bool redo(Document& document, Note& note) { return step(redo_, undo_, document, note); }

private:
    struct State {
        Note note;
        std::optional<Document> document;
        size_t size = 0;
    };
    static size_t sizeOf(const Note& note, const std::optional<Document>& d) {
        size_t size = 0;
        if constexpr (requires { note.bytes(); }) size += note.bytes();
        if (d) size += d->buffer().size() + d->lineCount() * 4;
        return size;
    }

    void add(Note note, std::optional<Document> before) {
        for (const State& s : redo_) held_ -= s.size;
        redo_.clear();
        push(undo_, std::move(note), std::move(before));
        while (held_ > budget_ && undo_.size() > 1) {
            held_ -= undo_.front().size;
            undo_.pop_front();
        }
    }
    void push(std::deque<State>& to, Note note, std::optional<Document> document) {
        const size_t size = sizeOf(note, document);
        held_ += size;
        to.push_back(State{std::move(note), std::move(document), size});
    }
    bool step(std::deque<State>& from, std::deque<State>& to, Document& document, Note& note) {
        if (from.empty()) return false;
        State s = std::move(from.back());
        from.pop_back();
        held_ -= s.size;
        if (s.document) {
            push(to, std::move(note), std::move(document));
            document = std::move(*s.document);
        } else {
            push(to, std::move(note), std::nullopt);
        }
        note = std::move(s.note);
        return true;
    }

    size_t budget_;
    size_t held_ = 0;
    std::deque<State> undo_, redo_;
};

}  // namespace pf
