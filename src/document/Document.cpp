#include "document/Document.h"

#include <cstring>
#include <functional>
#include <stdexcept>
#include <type_traits>

#include "document/ByteScan.h"
#include "io/FileIO.h"
#include "text/Ascii.h"
#include "text/Encoding.h"

namespace pf {

size_t findNoCase(std::string_view hay, std::string_view needle, size_t from) {
    if (needle.size() > hay.size() || from > hay.size() - needle.size()) return std::string_view::npos;
    if (needle.empty()) return from;
    // A needle that starts with blanks (an indented line's text) is looked for by its first
    // other character, the blanks checked before it: blanks are the commonest bytes of a line.
    size_t blanks = 0;
    while (blanks + 1 < needle.size() && needle[blanks] == ' ') ++blanks;
    // Candidates for that character (in either case) in one pass; each is checked whole.
    size_t found = std::string_view::npos;
    const char* base = hay.data() + from;
    const std::string_view rest = needle.substr(blanks + 1);
    scan::forEachByteNoCase(base + blanks, hay.size() - needle.size() - from + 1, asciiLower(needle[blanks]),
                            [&](size_t at) {
                                // Most candidates that match at all match in the same case.
                                const std::string_view there(base + blanks + at + 1, rest.size());
                                if (there != rest && !equalsNoCase(there, rest)) return true;
                                for (size_t i = 0; i < blanks; ++i)
                                    if (base[at + i] != ' ') return true;
                                found = from + at;
                                return false;
                            });
    return found;
}

template <class Each>
void Document::LineStarts::build(size_t bufferSize, size_t entries, Each&& each) {
    *this = LineStarts();
    groupStarts_.resize((entries + kGroup - 1) / kGroup);
    distances_.resize(entries);
    size_t i = 0, groupStart = 0;
    bool fits = true;
    uint64_t* const groups = groupStarts_.data();
    uint16_t* const distances = distances_.data();
    each([&](size_t start) {
        if (i % kGroup == 0) groups[i / kGroup] = groupStart = start;
        const size_t distance = start - groupStart;
        fits &= distance <= UINT16_MAX;
        distances[i++] = static_cast<uint16_t>(distance);
    });
    grouped_ = fits;
    if (fits) return;
    // Long lines: a start each.
    groupStarts_ = decltype(groupStarts_)();
    distances_ = decltype(distances_)();
    wide_ = bufferSize > UINT32_MAX;
    i = 0;
    if (wide_) {
        wideStarts_.resize(entries);
        each([&](size_t start) { wideStarts_[i++] = start; });
    } else {
        narrowStarts_.resize(entries);
        each([&](size_t start) { narrowStarts_[i++] = static_cast<uint32_t>(start); });
    }
}

Document Document::fromBytes(std::string_view bytes) { return fromBuffer(io::ByteBuffer(bytes)); }

Document Document::fromBuffer(io::ByteBuffer&& bytes) {
    Document doc;
    doc.bytes_ = std::move(bytes);
    doc.splitLines();
    return doc;
}

void Document::splitLines() {
    const char* data = bytes_.data();
    const size_t size = bytes_.size();
    finalBreak_ = size > 0 && data[size - 1] == '\n';
    lineCount_ = scan::count(data, size, '\n') + (size > 0 && !finalBreak_ ? 1 : 0);
    starts_.build(size, lineCount_ + 1, [&](auto&& put) {
        if (lineCount_ > 0) put(0);
        bool crLf = true;
        scan::forEachByte(data, size, '\n', [&](size_t at) {
            crLf = crLf && at > 0 && data[at - 1] == '\r';
            if (at + 1 != size) put(at + 1);
            return true;
        });
        crLfAsRead_ = crLf;
        put(size);
    });
}

bool Document::load(const std::filesystem::path& path, std::string* error) {
    io::ByteBuffer bytes;
    std::string reason;
    if (!io::readRegularFile(path, bytes, &reason)) {
        if (error) *error = io::cannotOpen(path, reason);
        return false;
    }
    // A patch group is 8-bit text: wide text would be split at the wrong bytes and written
    // back corrupted.
    if (const std::string_view wide = wideTextEncoding(bytes.view()); !wide.empty()) {
        if (error)
            *error = io::cannotOpen(path, std::string("it is ") + std::string(wide) +
                                              " text, and a patch group is 8-bit text; save it as 8-bit text first");
        return false;
    }
    *this = fromBuffer(std::move(bytes));
    return true;
}

void Document::throwNoLine(size_t index) {
    throw std::out_of_range("Document::line: no line " + std::to_string(index));
}

std::string_view Document::editedLine(size_t index) const {
    if (layoutOf(index) == kInPlace) {
        const size_t s = starts_[index], e = starts_[index + 1];
        const char* at = bytes_.data() + s;
        const void* lf = std::memchr(at, '\n', e - s);
        return {at, lf ? static_cast<size_t>(static_cast<const char*>(lf) - at) : e - s};
    }
    const Spill& sp = spilled_.at(index);
    return {spill_.data() + sp.offset, sp.length};
}

std::vector<std::string> Document::lines() const {
    std::vector<std::string> out;
    out.reserve(lineCount_);
    for (size_t i = 0; i < lineCount_; ++i) out.emplace_back(line(i));
    return out;
}

// Hands the save bytes to `sink(data, size)` in order: runs of lines that are stored exactly as
// they are written (as read, ending in CR LF) straight from the buffer, every other line as its
// text and CR LF.
template <class Sink>
bool Document::forEachPiece(Sink&& sink) const {
    const char* data = bytes_.data();
    size_t runStart = lineCount_ > 0 ? starts_[0] : 0, runEnd = runStart;
    for (size_t i = 0; i < lineCount_; ++i) {
        // The lines as read from here to the first rewritten one of the same 32, each ending in
        // CR LF, at once.
        if (crLfAsRead_ && i + 32 < lineCount_) {
            const uint64_t word = layoutBits_.empty() ? 0 : layoutBits_[i / 32] >> (i % 32 * 2);
            const uint64_t rewritten = (word | (word >> 1)) & 0x5555555555555555ull;
            const size_t asRead = rewritten == 0 ? 32 - i % 32 : static_cast<size_t>(__builtin_ctzll(rewritten)) / 2;
            if (asRead > 0) {
                i += asRead - 1;
                runEnd = starts_[i + 1];
                continue;
            }
        }
        const size_t s = starts_[i], e = starts_[i + 1];
        if ((layoutBits_.empty() || layoutOf(i) == kAsRead) && endsWithBreak(i) && e - s >= 2 && data[e - 2] == '\r') {
            runEnd = e;
            continue;
        }
        if (runEnd > runStart && !sink(data + runStart, runEnd - runStart)) return false;
        runStart = runEnd = e;
        const std::string_view text = line(i);
        if (!sink(text.data(), text.size()) || !sink("\r\n", 2)) return false;
    }
    return runEnd == runStart || sink(data + runStart, runEnd - runStart);
}

bool Document::writeTo(int fd) const {
    io::BufferedWriter writer(fd, bytes_.size() + lineCount_ + spill_.size() + 1);
    return forEachPiece([&](const char* p, size_t n) { return writer.put(p, n); }) && writer.flush();
}

void Document::appendWritten(std::string& out) const {
    out.reserve(out.size() + bytes_.size() + lineCount_ + spill_.size() + 1);
    forEachPiece([&](const char* p, size_t n) {
        out.append(p, n);
        return true;
    });
}

bool Document::save(const std::filesystem::path& path, std::string* error, const io::AtomicWriteOptions& options) const {
    std::string reason;
    if (io::writeFileAtomically(path, [&](int fd) { return writeTo(fd); }, &reason, options)) return true;
    if (error) *error = io::cannotCreate(path, reason);
    return false;
}

void Document::clear() { *this = Document(); }

io::ByteBuffer Document::releaseBuffer() {
    io::ByteBuffer bytes = std::move(bytes_);
    clear();
    return bytes;
}

size_t Document::slotCapacity(size_t index) const {
    return starts_[index + 1] - starts_[index] - (endsWithBreak(index) ? 1 : 0);
}

void Document::setLayout(size_t index, Layout layout) {
    if (layoutBits_.empty()) {
        if (layout == kAsRead) return;
        layoutBits_.assign((lineCount_ + 31) / 32, 0);
    }
    uint64_t& word = layoutBits_[index / 32];
    const unsigned shift = index % 32 * 2;
    if (((word >> shift) & 3u) == kSpilled && layout != kSpilled) [[unlikely]] {
        auto it = spilled_.find(index);
        spillDead_ += it->second.capacity;
        spilled_.erase(it);
    }
    word = (word & ~(uint64_t{3} << shift)) | (uint64_t{layout} << shift);
}

bool Document::aliases(std::string_view text) const {
    const std::less<const char*> before;
    auto within = [&](const auto& s) {
        return !text.empty() && !before(text.data(), s.data()) && before(text.data(), s.data() + s.size());
    };
    return within(bytes_) || within(spill_);
}

void Document::spill(size_t index, std::string_view text) {
    auto it = spilled_.find(index);
    if (it != spilled_.end() && text.size() <= it->second.capacity) {
        std::memcpy(spill_.data() + it->second.offset, text.data(), text.size());
        it->second.length = text.size();
    } else {
        if (it != spilled_.end()) spillDead_ += it->second.capacity;
        spilled_[index] = Spill{spill_.size(), text.size(), text.size()};
        spill_.append(text);
    }
    setLayout(index, kSpilled);
    if (spillDead_ > (1u << 20) && spillDead_ * 2 > spill_.size()) compactSpill();
}

void Document::compactSpill() {
    std::string kept;
    kept.reserve(spill_.size() - spillDead_);
    for (auto& [index, sp] : spilled_) {
        const size_t offset = kept.size();
        kept.append(spill_, sp.offset, sp.length);
        sp = Spill{offset, sp.length, sp.length};
    }
    spill_.swap(kept);
    spillDead_ = 0;
}

void Document::setLine(size_t index, std::string_view text) {
    if (index >= lineCount_) throw std::out_of_range("Document::setLine: no line " + std::to_string(index));
    if (aliases(text)) {
        const std::string copy(text);
        setLine(index, copy);
        return;
    }
    const long long oldLength = positionsBuilt_ ? static_cast<long long>(line(index).size()) : 0;
    const size_t capacity = slotCapacity(index);
    const size_t n = text.size();
    if (n <= capacity && std::memchr(text.data(), '\n', n) == nullptr) {
        // In the line's own place. The slot keeps its LF at its end (when it has one); the text
        // is followed by what makes its end findable: CR LF or LF as read, else an LF of its own.
        char* at = bytes_.data() + starts_[index];
        std::memcpy(at, text.data(), n);
        Layout layout = kInPlace;
        if (!endsWithBreak(index)) {
            if (n == capacity) layout = kAsRead;
        } else if (n + 1 == capacity) {
            at[n] = '\r';
            layout = kAsRead;
        }
        // Any other text is in place, ended by an LF of its own or by the slot's: a line as read
        // still ends in CR LF wherever the file's lines did.
        if (layout == kInPlace && n < capacity) at[n] = '\n';
        setLayout(index, layout);
    } else {
        spill(index, text);
    }
    if (positionsBuilt_) lengthChanged(index, static_cast<long long>(n) - oldLength);
}

char* Document::spilled(size_t index) { return spill_.data() + spilled_.at(index).offset; }

void Document::rebuildOffsets() const {
    const size_t n = lineCount_;
    positionsBuilt_ = true;
    pending_.clear();
    tree_.assign(n + 1, 0);
    for (size_t i = 1; i <= n; ++i) {
        tree_[i] += static_cast<long long>(line(i - 1).size() + 1);
        size_t parent = i + (i & (~i + 1));
        if (parent <= n) tree_[parent] += tree_[i];
    }
}

void Document::lengthChanged(size_t index, long long delta) {
    pending_.emplace_back(index, delta);
    // Past about n / log n waiting changes one rebuild costs no more than adding them singly:
    // the tree is dropped, to be built once when a position is next read.
    if (pending_.size() * 32 > lineCount_ + 1024) {
        positionsBuilt_ = false;
        pending_.clear();
    }
}

void Document::settleOffsets() const {
    if (!positionsBuilt_) {
        rebuildOffsets();
        return;
    }
    if (pending_.empty()) return;
    if (pending_.size() * 32 > lineCount_) {
        rebuildOffsets();
        return;
    }
    for (const auto& [index, delta] : pending_)
        for (size_t i = index + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
    pending_.clear();
}

size_t Document::prefix(size_t count) const {
    settleOffsets();
    long long sum = 0;
    for (size_t i = count; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return static_cast<size_t>(sum);
}

size_t Document::textLength() const { return lineCount_ == 0 ? 0 : prefix(lineCount_) - 1; }

std::string Document::text() const {
    std::string out;
    out.reserve(textLength());
    for (size_t i = 0; i < lineCount_; ++i) {
        if (i) out += '\n';
        out += line(i);
    }
    return out;
}

size_t Document::lineStart(size_t index) const { return prefix(std::min(index, lineCount_)); }

size_t Document::lineOfPosition(size_t position) const {
    const size_t n = lineCount_;
    if (n == 0) return 0;
    if (position >= textLength()) return n - 1;  // settles the tree too
    // Largest count c with prefix(c) <= position: that many lines end before the position.
    size_t count = 0;
    long long remaining = static_cast<long long>(position);
    size_t step = 1;
    while (step * 2 <= n) step *= 2;
    for (; step > 0; step /= 2) {
        if (count + step <= n && tree_[count + step] <= remaining) {
            count += step;
            remaining -= tree_[count];
        }
    }
    return std::min(count, n - 1);
}

std::optional<size_t> Document::find(std::string_view needle, size_t from) const {
    const size_t length = textLength();
    if (needle.size() > length || from > length - needle.size()) return std::nullopt;
    if (needle.empty()) return from;

    size_t lineIndex = lineOfPosition(from);
    size_t column = from - lineStart(lineIndex);
    const size_t n = lineCount_;

    const size_t firstBreak = needle.find('\n');
    if (firstBreak == std::string_view::npos) {
        for (size_t i = lineIndex; i < n; ++i, column = 0) {
            size_t at = findNoCase(line(i), needle, column);
            if (at != std::string_view::npos) return lineStart(i) + at;
        }
        return std::nullopt;
    }

    // A needle with line breaks: its first piece must end a line, the middle pieces must be
    // whole lines and its last piece must begin a line.
    std::vector<std::string_view> pieces;
    for (size_t s = 0;;) {
        size_t nl = needle.find('\n', s);
        pieces.push_back(needle.substr(s, nl == std::string_view::npos ? std::string_view::npos : nl - s));
        if (nl == std::string_view::npos) break;
        s = nl + 1;
    }
    const size_t span = pieces.size() - 1;
    for (size_t i = lineIndex; i + span < n; ++i, column = 0) {
        const std::string_view first = line(i);
        if (first.size() < pieces[0].size()) continue;
        const size_t at = first.size() - pieces[0].size();
        if (at < column) continue;
        if (!equalsNoCase(first.substr(at), pieces[0])) continue;
        bool match = true;
        for (size_t k = 1; k < span && match; ++k) match = equalsNoCase(line(i + k), pieces[k]);
        const std::string_view lastLine = line(i + span);
        match = match && lastLine.size() >= pieces[span].size() &&
                equalsNoCase(lastLine.substr(0, pieces[span].size()), pieces[span]);
        if (match) return lineStart(i) + at;
    }
    return std::nullopt;
}

}  // namespace pf
