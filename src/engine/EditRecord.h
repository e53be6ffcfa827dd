#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Settings.h"
#include "engine/ValueCodec.h"
#include "io/LargeMemory.h"

namespace pf {

// One line a Process command rewrote to a different text, and why.
struct RecordedEdit {
    size_t line = 0;             // index of the line (0 is the first)
    SettingId setting{};         // the setting that wrote it; its caption and section follow from it
    Group group{};               // the edit block whose hit led there
    std::string type;            // that hit's effect type (check-list text) or fixed search string
    long long moduleLine = -1;   // index of the module's header line; -1 when the hit had none above
    std::string module;          // that header line's text (empty when there is none)
    std::string before, after;   // the line's text before and after this rewrite
    // The module's type id when the hit found it, and the one its layout followed at this
    // rewrite (they differ after the block's type setting rewrote it); empty for the patch module.
    std::string typeIdBefore, typeId;
};

// Where a rewrite comes from, as the edit blocks tell the session while they run. Only read
// when a record is being kept.
struct EditOrigin {
    Group group{};
    std::string_view type;
    SettingId setting{};
    long long moduleLine = -1;
    std::string_view typeIdBefore = {}, typeId = {};
};

// Every such rewrite in the order it was made; a line rewritten twice appears twice, the later
// record's `before` being the earlier one's `after`.
//
// A Process command may rewrite half the lines of a file of millions, so the record is kept
// compact: per rewrite a few bytes in blocks that never move (the line, the module's header
// line, its text only where the module differs from the rewrite before's, the setting, the
// block, the type as an index into a table, and the texts, a parameter line written the usual
// way as its number and value alone), and where each rewrite starts. A rewrite is read back
// whole on demand, by value.
class EditRecord {
public:
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = RecordedEdit;
        using difference_type = std::ptrdiff_t;
        using pointer = const RecordedEdit*;
        using reference = const RecordedEdit&;

        const_iterator() = default;
        reference operator*() const { return current_; }
        pointer operator->() const { return &current_; }
        const_iterator& operator++() {
            if (++index_ < record_->size()) record_->read(index_, current_);
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++*this;
            return was;
        }
        bool operator==(const const_iterator& o) const { return index_ == o.index_; }

    private:
        friend class EditRecord;
        const_iterator(const EditRecord* record, size_t index) : record_(record), index_(index) {
            if (index_ < record_->size()) record_->read(index_, current_);
        }

        const EditRecord* record_ = nullptr;
        size_t index_ = 0;
        RecordedEdit current_;
    };

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }
    size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }
    // The rewrite at `index` (0 is the first), read back whole.
    RecordedEdit operator[](size_t index) const {
        RecordedEdit e;
        read(index, e);
        return e;
    }
    // The line and the module's header line of a rewrite, without reading its texts.
    size_t line(size_t index) const;
    long long moduleLine(size_t index) const;
    // A rewrite's text before it, or after it, without the rest.
    void readText(size_t index, bool after, std::string& into) const;
    // The bytes the record holds.
    size_t bytes() const;
    // Every rewrite as a copy (for checks; costs the whole record).
    std::vector<RecordedEdit> all() const { return {begin(), end()}; }

    // Appends a rewrite.
    void push_back(const RecordedEdit& edit);
    // Appends a rewrite of `line` from `before` to the parameter line of `number` holding
    // `afterValue`; `beforeValue` is the value of `before` when it reads exactly as such a line
    // is written (see canonicalValue), none otherwise; `module` is the text of
    // origin.moduleLine (read only when the module differs from the last rewrite's).
    void addParameterRewrite(size_t line, const EditOrigin& origin, std::string_view module, std::string_view before,
                             std::optional<std::string_view> beforeValue, int number, std::string_view afterValue);
    // The rewrites as runs of one module each, in the order made: where each starts and its
    // module's header line (a run ends where the next starts).
    struct Run {
        long long moduleLine;
        size_t first;
    };
    const std::vector<Run>& runs() const { return runs_; }
    // Whether the next rewrite of a module at `moduleLine` needs the module's text.
    bool needsModuleText(long long moduleLine) const { return empty() || lastModuleLine_ != moduleLine; }

    // Where the record stands, and a way back there (for a command that fails part way).
    struct Mark {
        size_t count = 0, blocks = 0, used = 0, lastModuleEntry = 0, runs = 0;
        long long lastModuleLine = -1;
    };
    // Reads the record's values as shown, for the model and catalogue of the command that made it.
    void setReader(std::shared_ptr<const ValueReader> reader) { reader_ = std::move(reader); }
    const ValueReader& reader() const;
    // The rule a setting was given, as the changes show it beside its values (see shownRule);
    // empty for a plain value.
    void setRule(SettingId id, std::string rule) { rules_[static_cast<size_t>(id)] = std::move(rule); }
    const std::string& rule(SettingId id) const { return rules_[static_cast<size_t>(id)]; }

    Mark mark() const {
        return {size(),          blocks_.size(),  blocks_.empty() ? 0 : blocks_.back().used,
                lastModuleEntry_, runs_.size(), lastModuleLine_};
    }
    void truncate(const Mark& mark);

private:
    // The bytes, in blocks that never move, not cleared when made (each byte is written before
    // it is read), growing to huge pages for a large record; one rewrite lies in one block.
    struct Block {
        io::ByteBuffer bytes;
        size_t used = 0;
    };
    void read(size_t index, RecordedEdit& into) const;
    // Reads the module's text (when it has one) of the rewrite whose bytes are `in`, `at` at
    // its third number; leaves `at` at the setting.
    void readModule(size_t index, std::string_view in, size_t& at, bool hasModule, std::string* into) const;
    static void readText(std::string_view in, size_t& at, std::string& into);
    std::string_view bytesOf(size_t index) const;  // from where the rewrite starts to its block's end
    char* room(size_t size);  // at least `size` bytes at the end of the last block
    // The index of `text` in a table, added when new; `last` is where the last one was found.
    static size_t indexIn(std::vector<std::string>& table, size_t& last, std::string_view text) {
        if (last < table.size() && std::string_view(table[last]) == text) return last;
        return lookUp(table, last, text);
    }
    static size_t lookUp(std::vector<std::string>& table, size_t& last, std::string_view text);
    char* putHead(char* out, size_t line, SettingId setting, Group group, std::string_view type,
                  long long moduleLine, std::string_view module);
    char* putTypeIds(char* out, std::string_view before, std::string_view after);
    static char* putText(char* out, std::string_view text);  // kind 0, the length and the bytes
    static char* putParameter(char* out, int number, std::string_view value);  // kind N + 1, the value

    std::vector<Block> blocks_;
    // Per rewrite: its block (high half) and offset in it, in chunks that never move, from
    // 4,096 entries, twice the one before, up to 262,144 (2 MiB, a huge page).
    class Starts {
    public:
        size_t size() const { return size_; }
        bool empty() const { return size_ == 0; }
        void push_back(uint64_t start) {
            if (next_ == limit_) grow();
            *next_++ = start;
            ++size_;
        }
        uint64_t at(size_t index) const;  // std::out_of_range past the end
        void truncate(size_t size);       // to a smaller size
        size_t bytes() const;

    private:
        void grow();
        static size_t chunkSize(size_t chunk);
        std::vector<io::ByteBuffer> chunks_;
        uint64_t *next_ = nullptr, *limit_ = nullptr;
        size_t size_ = 0;
    };
    Starts starts_;
    std::vector<Run> runs_;          // a run starts where a rewrite holds its module's text
    size_t lastModuleEntry_ = 0;     // the last rewrite that holds its module's text
    long long lastModuleLine_ = -1;  // and that module's header line
    std::vector<std::string> types_;
    size_t lastType_ = 0;
    std::vector<std::string> typeIds_;
    size_t lastTypeIdBefore_ = 0, lastTypeIdAfter_ = 0;
    std::shared_ptr<const ValueReader> reader_;
    std::array<std::string, kSettingCount> rules_;
};

}  // namespace pf
