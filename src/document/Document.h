#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "io/FileIO.h"
#include "io/LargeMemory.h"

namespace pf {

// The loaded patch-group file: its lines as 8-bit bytes, and a text view of all lines joined
// by one '\n', on which positions are counted.
//
// The document is one buffer: the file's bytes as read, a table of where each line starts,
// and, for lines an edit has rewritten, either the new text in the line's own place (when it
// fits there) or the text in a side store. Loading allocates nothing per line; reading a line
// costs nothing beyond finding its end. Positions are counted by a tree of line lengths that
// is built only when a position is first asked for.
class Document {
public:
    Document() = default;

    // Splits bytes into lines: a line ends at LF or CR LF; a lone CR belongs to its line. A
    // final line break ends the last line; it does not start an empty one. fromBuffer keeps
    // the buffer itself as the document's instead of copying it.
    static Document fromBytes(std::string_view bytes);
    static Document fromBuffer(io::ByteBuffer&& bytes);

    // Reads the file whole; only a regular file is read, and nothing blocks on a named pipe or
    // a device. Wide text (UTF-16, UTF-32) is refused. On failure the document is left as it
    // was and `error` receives "Cannot open file <path>: <the reason>".
    bool load(const std::filesystem::path& path, std::string* error = nullptr);

    // Writes every line followed by CR LF, atomically: a temporary file in the target's folder
    // is renamed over the target only once it is completely written and flushed. On failure
    // an existing target is left exactly as it was, no temporary file remains, and `error`
    // receives "Cannot create file <path>: <the system's reason>".
    bool save(const std::filesystem::path& path, std::string* error = nullptr,
              const io::AtomicWriteOptions& options = {}) const;

    // Writes the bytes save() writes to a descriptor, in large writes (false with errno set
    // when a write fails).
    bool writeTo(int fd) const;
    // Appends the same bytes to `out`.
    void appendWritten(std::string& out) const;

    void clear();
    // Leaves the document empty and gives up its buffer, for the memory to be used again.
    io::ByteBuffer releaseBuffer();
    size_t lineCount() const { return lineCount_; }
    // Whether the bytes read ended with a line break (what is written always does).
    bool endedWithLineBreak() const { return finalBreak_; }
    // The text of a line, without its line break. The view is valid until the document
    // changes. An index outside the lines throws std::out_of_range.
    std::string_view line(size_t index) const {
        if (index >= lineCount_) throwNoLine(index);
        if (!layoutBits_.empty() && layoutOf(index) != kAsRead) return editedLine(index);
        const size_t s = starts_[index], e = starts_[index + 1];
        const char* at = bytes_.data() + s;
        if (!endsWithBreak(index)) return {at, e - s};
        const size_t length = e - 1 - s;
        return {at, length - (length > 0 && at[length - 1] == '\r')};
    }
    // For reading many lines at once: while no line's text lies outside the buffer, the text
    // of line i is line(i) and lies in buffer() from bufferOffset(i) on, the lines in order
    // (bufferOffset(lineCount()) is the buffer's size). Bytes between the lines' texts are
    // none of them.
    bool allInBuffer() const { return spilled_.empty(); }
    std::string_view buffer() const { return bytes_.view(); }
    size_t bufferOffset(size_t index) const { return starts_[index]; }
    // Copies of every line (for tests and checks; costs the whole document).
    std::vector<std::string> lines() const;

    // Replaces the content of a line; the line break stays. An index outside the lines throws
    // std::out_of_range (an edit aimed outside the file is skipped before it gets here).
    // `text` may be a view of the document itself.
    void setLine(size_t index, std::string_view text);

    // Overwrites bytes of a line's text from `offset` on, in its place: the line keeps its
    // length, so `offset` + the bytes' size must lie within it and the bytes hold no line break.
    void overwrite(size_t index, size_t offset, std::string_view bytes) {
        if (index >= lineCount_) throwNoLine(index);
        char* at = layoutBits_.empty() || layoutOf(index) != kSpilled ? bytes_.data() + starts_[index] : spilled(index);
        std::memmove(at + offset, bytes.data(), bytes.size());
    }

    // Length of the text view and the text itself (the latter costs the whole document).
    size_t textLength() const;
    std::string text() const;

    // First occurrence of `needle` starting at or after `from` and lying wholly within the
    // text, ASCII letters compared without case; nullopt when there is none.
    std::optional<size_t> find(std::string_view needle, size_t from) const;

    // Index of the line holding a position; positions at or past the end give the last line
    // (0 for an empty document).
    size_t lineOfPosition(size_t position) const;
    // Position of the first character of a line.
    size_t lineStart(size_t index) const;

private:
    // Where each line starts in the buffer, lineCount_ + 1 entries (the last is the buffer's
    // size). Mostly about two bytes a line: the start of every 64th line, and each line's
    // distance from the start of its group's first, where a group of 64 lines spans less than
    // 64 KiB; otherwise four bytes a line for buffers under 4 GiB, eight above.
    class LineStarts {
    public:
        size_t operator[](size_t i) const {
            if (grouped_) [[likely]]
                return groupStarts_[i / kGroup] + distances_[i];
            return wide_ ? wideStarts_[i] : narrowStarts_[i];
        }
        // A table of `entries` entries for a buffer of this size: each(put) calls put(start)
        // for every entry in order (it may be called twice).
        template <class Each>
        void build(size_t bufferSize, size_t entries, Each&& each);

    private:
        static constexpr size_t kGroup = 64;
        bool grouped_ = false, wide_ = false;
        std::vector<uint64_t, io::LargeAllocator<uint64_t>> groupStarts_;
        std::vector<uint16_t, io::LargeAllocator<uint16_t>> distances_;
        std::vector<uint32_t, io::LargeAllocator<uint32_t>> narrowStarts_;
        std::vector<uint64_t, io::LargeAllocator<uint64_t>> wideStarts_;
    };

    // How a line's text is found, two bits a line. Before the first rewrite that needs it,
    // every line is as read and `layoutBits_` is empty.
    enum Layout : unsigned {
        kAsRead = 0,   // the slot's bytes less the LF and one CR before it
        kInPlace = 1,  // the slot's bytes up to the first LF in it (or the slot's end)
        kSpilled = 2,  // in `spill_`, at `spilled_[line]`
    };
    struct Spill {
        size_t offset, length, capacity;
    };

    Layout layoutOf(size_t index) const {
        return static_cast<Layout>((layoutBits_[index / 32] >> (index % 32 * 2)) & 3u);
    }
    std::string_view editedLine(size_t index) const;
    char* spilled(size_t index);  // where a spilled line's text lies
    [[noreturn]] static void throwNoLine(size_t index);
    void splitLines();
    size_t slotCapacity(size_t index) const;  // bytes a rewrite may use in place
    bool endsWithBreak(size_t index) const { return index + 1 < lineCount_ || finalBreak_; }
    void setLayout(size_t index, Layout layout);
    void spill(size_t index, std::string_view text);
    void compactSpill();
    bool aliases(std::string_view text) const;
    template <class Sink>
    bool forEachPiece(Sink&& sink) const;

    void rebuildOffsets() const;
    void lengthChanged(size_t index, long long delta);
    void settleOffsets() const;         // brings the tree up to date before a position is read
    size_t prefix(size_t count) const;  // total length (line + '\n') of the first `count` lines

    io::ByteBuffer bytes_;
    LineStarts starts_;
    size_t lineCount_ = 0;
    bool finalBreak_ = false;
    // Every line as read that ends with a line break ends with CR LF (a save passes runs of
    // such lines on whole without looking at each).
    bool crLfAsRead_ = true;
    std::vector<uint64_t> layoutBits_;
    std::unordered_map<size_t, Spill> spilled_;
    std::string spill_;
    size_t spillDead_ = 0;  // bytes of `spill_` no line uses any more

    // Fenwick tree over (line length + 1), built on the first position read. Length changes
    // wait in `pending_` until a position is read: a few are added one by one, many at once
    // are cheaper as one rebuild, so a run of rewrites that reads no positions never walks the
    // tree at random.
    mutable bool positionsBuilt_ = false;
    mutable std::vector<long long> tree_;
    mutable std::vector<std::pair<size_t, long long>> pending_;
};

// Case-insensitive (ASCII) search of `needle` in `hay` from `from`; npos when absent.
size_t findNoCase(std::string_view hay, std::string_view needle, size_t from = 0);

}  // namespace pf
