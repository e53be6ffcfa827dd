#include "engine/EditRecord.h"

#include <algorithm>
#include <cstring>

#include "engine/ParameterLine.h"

namespace pf {

using namespace parameter_line;

// Each rewrite: zigzag(line - last line); the module: 0 when it is the last rewrite's, else
// moduleLine + 2 followed, for a module that exists, by the length and bytes of its text; the
// setting; the block; the type's index; then the texts before and after, each as a kind (0: the
// bytes follow; N + 1: the parameter line of number N, its value follows) and a length and bytes.

size_t EditRecord::typeIndex(std::string_view type) {
    if (lastType_ < types_.size() && same(types_[lastType_], type)) return lastType_;
    for (size_t i = 0; i < types_.size(); ++i)
        if (types_[i] == type) return lastType_ = i;
    types_.emplace_back(type);
    return lastType_ = types_.size() - 1;
}

char* EditRecord::room(size_t size) {
    constexpr size_t kBlock = size_t{1} << 20;
    if (blocks_.empty() || blocks_.back().bytes.size() - blocks_.back().used < size) {
        Block& b = blocks_.emplace_back();
        b.bytes.resize(std::max(kBlock, size));
    }
    return blocks_.back().bytes.data() + blocks_.back().used;
}

char* EditRecord::putHead(char* out, size_t line, SettingId setting, Group group, std::string_view type,
                          long long moduleLine, std::string_view module) {
    const size_t typeAt = typeIndex(type);
    const bool newModule = needsModuleText(moduleLine);
    out = putNumber(out, zigzag(static_cast<long long>(line) - static_cast<long long>(lastLine_)));
    out = putNumber(out, newModule ? static_cast<size_t>(moduleLine + 2) : 0);
    if (newModule && moduleLine >= 0) out = putText(out, module);
    out = putNumber(out, static_cast<size_t>(setting));
    out = putNumber(out, static_cast<size_t>(group));
    out = putNumber(out, typeAt);
    lastLine_ = line;
    lastModuleLine_ = moduleLine;
    ++count_;
    return out;
}

char* EditRecord::putText(char* out, std::string_view text) {
    out = putNumber(out, 0);
    out = putNumber(out, text.size());
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

char* EditRecord::putParameter(char* out, int number, std::string_view value) {
    out = putNumber(out, static_cast<size_t>(number) + 1);
    out = putNumber(out, value.size());
    if (!value.empty()) std::memcpy(out, value.data(), value.size());
    return out + value.size();
}

namespace {
// The most a rewrite's numbers take: nine numbers of at most ten bytes.
constexpr size_t kNumbers = 9 * 10;
}  // namespace

void EditRecord::push_back(const RecordedEdit& e) {
    char* const start = room(kNumbers + e.module.size() + e.before.size() + e.after.size());
    char* out = putHead(start, e.line, e.setting, e.group, e.type, e.moduleLine, e.module);
    out = putText(out, e.before);
    out = putText(out, e.after);
    blocks_.back().used += static_cast<size_t>(out - start);
}

void EditRecord::addParameterRewrite(size_t line, const EditOrigin& origin, std::string_view module,
                                     std::string_view before, int number, std::string_view afterValue) {
    const Tags tags = tagsFor(number);
    char* const start = room(kNumbers + module.size() + before.size() + tags.head().size() + afterValue.size() +
                             tags.close().size());
    char* out = putHead(start, line, origin.setting, origin.group, origin.type, origin.moduleLine, module);
    if (number < 0) {
        out = putText(out, before);
        std::string after;
        after.append(tags.head()).append(afterValue).append(tags.close());
        out = putText(out, after);
    } else {
        if (const auto value = canonicalValue(before, tags)) out = putParameter(out, number, *value);
        else out = putText(out, before);
        out = putParameter(out, number, afterValue);
    }
    blocks_.back().used += static_cast<size_t>(out - start);
}

void EditRecord::truncate(const Mark& mark) {
    blocks_.resize(mark.blocks);
    if (!blocks_.empty()) blocks_.back().used = mark.used;
    count_ = mark.count;
    lastLine_ = mark.lastLine;
    lastModuleLine_ = mark.lastModuleLine;
}

EditRecord::const_iterator::const_iterator(const EditRecord* record, size_t index) : record_(record), index_(index) {
    if (index_ == 0) read();
}

void EditRecord::const_iterator::read() {
    if (record_ == nullptr || index_ >= record_->count_) return;
    while (at_ >= record_->blocks_[block_].used) {
        ++block_;
        at_ = 0;
    }
    const Block& b = record_->blocks_[block_];
    const std::string_view in(b.bytes.data(), b.used);
    auto text = [&](std::string& into) {
        const size_t kind = getNumber(in, at_);
        const size_t length = getNumber(in, at_);
        const std::string_view bytes = in.substr(at_, length);
        at_ += length;
        if (kind == 0) {
            into.assign(bytes);
            return;
        }
        const Tags tags = tagsFor(static_cast<int>(kind - 1));
        into.assign(tags.head()).append(bytes).append(tags.close());
    };
    RecordedEdit& e = current_;
    e.line = static_cast<size_t>(static_cast<long long>(e.line) + unzigzag(getNumber(in, at_)));
    if (const size_t module = getNumber(in, at_); module != 0) {
        e.moduleLine = static_cast<long long>(module) - 2;
        if (e.moduleLine >= 0) text(e.module);
        else e.module.clear();
    }
    e.setting = static_cast<SettingId>(getNumber(in, at_));
    e.group = static_cast<Group>(getNumber(in, at_));
    e.type = record_->types_[getNumber(in, at_)];
    text(e.before);
    text(e.after);
}

}  // namespace pf
