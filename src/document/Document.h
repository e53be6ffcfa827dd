#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

// The loaded patch-group file: its lines as 8-bit bytes, and a text view of all lines joined
// by one '\n', on which positions are counted. Every operation that the edit pass calls per
// hit costs O(log lines) plus the text it actually reads, never the whole document.
class Document {
public:
    Document() = default;

    // Splits bytes into lines: a line ends at LF or CR LF; a lone CR belongs to its line. A
    // final line break ends the last line; it does not start an empty one.
    static Document fromBytes(std::string_view bytes);

    // Reads the file whole; only a regular file is read, and nothing blocks on a named pipe or
    // a device. On failure the document is left as it was and `error` receives
    // "Cannot open file <path>: <the system's reason>".
    bool load(const std::filesystem::path& path, std::string* error = nullptr);

    // Writes every line followed by CR LF, atomically: a temporary file in the target's folder
    // is renamed over the target only once it is completely written and flushed. On failure
    // an existing target is left exactly as it was, no temporary file remains, and `error`
    // receives "Cannot create file <path>: <the system's reason>".
    bool save(const std::filesystem::path& path, std::string* error = nullptr) const;

    // The bytes save() writes.
    std::string toBytes() const;

    void clear();
    size_t lineCount() const { return lines_.size(); }
    const std::string& line(size_t index) const { return lines_.at(index); }
    const std::vector<std::string>& lines() const { return lines_; }

    // Replaces the content of a line; an index outside the lines changes nothing.
    void replaceLine(long long index, std::string text);
    // Replaces the content of a line in place, reusing its storage (the index must lie in the
    // lines).
    void setLine(size_t index, std::string_view text);

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
    void rebuildOffsets() const;
    void lengthChanged(size_t index, long long delta);
    void settleOffsets() const;         // brings the tree up to date before a position is read
    size_t prefix(size_t count) const;  // total length (line + '\n') of the first `count` lines

    std::vector<std::string> lines_;
    // Fenwick tree over (line length + 1). Length changes wait in `pending_` until a position
    // is read: a few are added one by one, many at once are cheaper as one rebuild, so a run of
    // rewrites that reads no positions (the edit pass) never walks the tree at random.
    mutable std::vector<long long> tree_;
    mutable std::vector<std::pair<size_t, long long>> pending_;
};

// Case-insensitive (ASCII) search of `needle` in `hay` from `from`; npos when absent.
size_t findNoCase(std::string_view hay, std::string_view needle, size_t from = 0);

}  // namespace pf
