#pragma once

#include <cstddef>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Settings.h"

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
};

// Where a rewrite comes from, as the edit blocks tell the session while they run. Only read
// when a record is being kept.
struct EditOrigin {
    Group group{};
    std::string_view type;
    SettingId setting{};
    long long moduleLine = -1;
};

// Every such rewrite in the order it was made; a line rewritten twice appears twice, the later
// record's `before` being the earlier one's `after`.
//
// A Process command may rewrite half the lines of a file of millions, so the record is kept
// compact: one run of bytes holding, per rewrite, the distance from the line before, the
// setting and block, the type as an index into a table, the module only where it changes, and
// the texts, a parameter line written the usual way as its number and value alone. The
// rewrites are read back in order, one at a time.
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
            ++index_;
            read();
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
        const_iterator(const EditRecord* record, size_t index);
        void read();  // decodes the rewrite at index_, if any

        const EditRecord* record_ = nullptr;
        size_t index_ = 0, block_ = 0, at_ = 0;
        RecordedEdit current_;
    };

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, count_}; }
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // Every rewrite as a copy (for checks; costs the whole record).
    std::vector<RecordedEdit> all() const { return {begin(), end()}; }

    // Appends a rewrite.
    void push_back(const RecordedEdit& edit);
    // Appends a rewrite of `line` from `before` to the parameter line of `number` holding
    // `afterValue`; `module` is the text of origin.moduleLine (read only when the module
    // differs from the last rewrite's).
    void addParameterRewrite(size_t line, const EditOrigin& origin, std::string_view module, std::string_view before,
                             int number, std::string_view afterValue);
    // Whether the next rewrite of a module at `moduleLine` needs the module's text.
    bool needsModuleText(long long moduleLine) const { return moduleLine != lastModuleLine_ || count_ == 0; }

    // Where the record stands, and a way back there (for a command that fails part way).
    struct Mark {
        size_t count = 0, blocks = 0, used = 0, lastLine = 0;
        long long lastModuleLine = -1;
    };
    Mark mark() const { return {count_, blocks_.size(), blocks_.empty() ? 0 : blocks_.back().used, lastLine_, lastModuleLine_}; }
    void truncate(const Mark& mark);
    void clear() { truncate({}); }

private:
    // The bytes, in blocks that never move; one rewrite lies in one block.
    struct Block {
        std::vector<char> bytes;
        size_t used = 0;
    };
    char* room(size_t size);  // at least `size` bytes at the end of the last block
    size_t typeIndex(std::string_view type);
    char* putHead(char* out, size_t line, SettingId setting, Group group, std::string_view type,
                  long long moduleLine, std::string_view module);
    static char* putText(char* out, std::string_view text);  // kind 0, the length and the bytes
    static char* putParameter(char* out, int number, std::string_view value);  // kind N + 1, the value

    std::vector<Block> blocks_;
    std::vector<std::string> types_;
    size_t lastType_ = 0;
    size_t count_ = 0;
    size_t lastLine_ = 0;
    long long lastModuleLine_ = -1;
};

}  // namespace pf
