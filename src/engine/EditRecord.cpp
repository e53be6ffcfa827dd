#include "engine/EditRecord.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

#include "engine/ParameterLine.h"

namespace pf {

using namespace parameter_line;

// Each rewrite: its line; its module's header line + 1 (0: none); how many rewrites back the
// module's text is kept (0: here, its length and bytes follow when there is a module); the
// setting; the block; the type's index; the type ids (see putTypeIds); then the texts before
// and after, each as a kind (0: the bytes follow; N + 1: the parameter line of number N, its
// value follows), a length and the bytes. A rewrite keeps its module's text when the module is not the rewrite before's.

namespace {
// The most a rewrite's numbers take: eleven numbers of at most ten bytes.
constexpr size_t kNumbers = 11 * 10;
// Blocks are addressed by 32-bit offsets.
constexpr size_t kLargestBlock = size_t{1} << 31;
// The chunks of where rewrites start: seven that double from 4,096 entries, then 262,144 each.
constexpr size_t kFirstStarts = 4096, kGrowingChunks = 7;
constexpr size_t kGrownStarts = kFirstStarts * ((size_t{1} << kGrowingChunks) - 1);  // in the growing chunks
constexpr size_t kStartsChunk = kFirstStarts << (kGrowingChunks - 1);

// The chunk of an entry and its place in it.
std::pair<size_t, size_t> placeOfStart(size_t index) {
    if (index < kGrownStarts) {
        const size_t chunk = static_cast<size_t>(std::bit_width(index / kFirstStarts + 1)) - 1;
        return {chunk, index - kFirstStarts * ((size_t{1} << chunk) - 1)};
    }
    return {kGrowingChunks + (index - kGrownStarts) / kStartsChunk, (index - kGrownStarts) % kStartsChunk};
}
}  // namespace

size_t EditRecord::Starts::chunkSize(size_t chunk) {
    return chunk < kGrowingChunks ? kFirstStarts << chunk : kStartsChunk;
}

void EditRecord::Starts::grow() {
    const size_t entries = chunkSize(chunks_.size());
    chunks_.emplace_back(entries * sizeof(uint64_t));
    next_ = reinterpret_cast<uint64_t*>(chunks_.back().data());
    limit_ = next_ + entries;
}

uint64_t EditRecord::Starts::at(size_t index) const {
    if (index >= size_) throw std::out_of_range("no such rewrite in the record");
    const auto [chunk, at] = placeOfStart(index);
    return reinterpret_cast<const uint64_t*>(chunks_[chunk].data())[at];
}

void EditRecord::Starts::truncate(size_t size) {
    if (size >= size_) return;
    size_ = size;
    if (size == 0) {
        chunks_.clear();
        next_ = limit_ = nullptr;
        return;
    }
    // The chunk of the last entry kept is the last chunk.
    const auto [chunk, at] = placeOfStart(size - 1);
    chunks_.resize(chunk + 1);
    next_ = reinterpret_cast<uint64_t*>(chunks_.back().data()) + at + 1;
    limit_ = reinterpret_cast<uint64_t*>(chunks_.back().data()) + chunkSize(chunk);
}

size_t EditRecord::Starts::bytes() const {
    size_t n = 0;
    for (const io::ByteBuffer& c : chunks_) n += c.size();
    return n;
}

size_t EditRecord::lookUp(std::vector<std::string>& table, size_t& last, std::string_view text) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i] == text) return last = i;
    table.emplace_back(text);
    return last = table.size() - 1;
}

// The two type ids: the index of the one before, then 0 when the other is the same, else its
// index + 1.
char* EditRecord::putTypeIds(char* out, std::string_view before, std::string_view after) {
    // Each with a last-used index of its own: they alternate within a module whose type the
    // block rewrites, and each stays the same for the module's rewrites.
    const size_t b = indexIn(typeIds_, lastTypeIdBefore_, before);
    out = putNumber(out, b);
    return putNumber(out, same(before, after) ? 0 : indexIn(typeIds_, lastTypeIdAfter_, after) + 1);
}

const ValueReader& EditRecord::reader() const {
    static const ValueReader none;
    return reader_ ? *reader_ : none;
}

char* EditRecord::room(size_t size) {
    // From 64 KiB, twice the one before, up to a huge page.
    constexpr size_t kFirstBlock = size_t{64} << 10, kBlock = size_t{2} << 20;
    if (blocks_.empty() || blocks_.back().bytes.size() - blocks_.back().used < size) {
        if (size > kLargestBlock) throw std::length_error("a rewritten line too long to record");
        const size_t previous = blocks_.empty() ? 0 : blocks_.back().bytes.size();
        blocks_.push_back(Block{io::ByteBuffer(std::max(size, std::clamp(previous * 2, kFirstBlock, kBlock))), 0});
    }
    return blocks_.back().bytes.data() + blocks_.back().used;
}

char* EditRecord::putHead(char* out, size_t line, SettingId setting, Group group, std::string_view type,
                          long long moduleLine, std::string_view module) {
    const size_t typeAt = indexIn(types_, lastType_, type);
    const size_t index = size();
    const bool newModule = needsModuleText(moduleLine);
    starts_.push_back(static_cast<uint64_t>(blocks_.size() - 1) << 32 | (out - blocks_.back().bytes.data()));
    out = putNumber(out, line);
    out = putNumber(out, static_cast<size_t>(moduleLine + 1));
    out = putNumber(out, newModule ? 0 : index - lastModuleEntry_);
    if (newModule) {
        if (moduleLine >= 0) {
            out = putNumber(out, module.size());
            if (!module.empty()) std::memcpy(out, module.data(), module.size());
            out += module.size();
        }
        lastModuleEntry_ = index;
        lastModuleLine_ = moduleLine;
        runs_.push_back({moduleLine, index});
    }
    out = putNumber(out, static_cast<size_t>(setting));
    out = putNumber(out, static_cast<size_t>(group));
    out = putNumber(out, typeAt);
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

void EditRecord::push_back(const RecordedEdit& e) {
    char* const start = room(kNumbers + e.module.size() + e.before.size() + e.after.size());
    char* out = putHead(start, e.line, e.setting, e.group, e.type, e.moduleLine, e.module);
    out = putTypeIds(out, e.typeIdBefore, e.typeId);
    out = putText(out, e.before);
    out = putText(out, e.after);
    blocks_.back().used += static_cast<size_t>(out - start);
}

void EditRecord::addParameterRewrite(size_t line, const EditOrigin& origin, std::string_view module,
                                     std::string_view before, std::optional<std::string_view> beforeValue, int number,
                                     std::string_view afterValue) {
    if (number < 0) [[unlikely]] {
        const Tags tags = tagsFor(number);
        std::string after;
        after.append(tags.head()).append(afterValue).append(tags.close());
        char* const start = room(kNumbers + module.size() + before.size() + after.size());
        char* out = putHead(start, line, origin.setting, origin.group, origin.type, origin.moduleLine, module);
        out = putTypeIds(out, origin.typeIdBefore, origin.typeId);
        out = putText(out, before);
        out = putText(out, after);
        blocks_.back().used += static_cast<size_t>(out - start);
        return;
    }
    char* const start = room(kNumbers + module.size() + before.size() + afterValue.size());
    char* out = putHead(start, line, origin.setting, origin.group, origin.type, origin.moduleLine, module);
    out = putTypeIds(out, origin.typeIdBefore, origin.typeId);
    out = beforeValue ? putParameter(out, number, *beforeValue) : putText(out, before);
    out = putParameter(out, number, afterValue);
    blocks_.back().used += static_cast<size_t>(out - start);
}

void EditRecord::truncate(const Mark& mark) {
    blocks_.resize(mark.blocks);
    if (!blocks_.empty()) blocks_.back().used = mark.used;
    starts_.truncate(mark.count);
    runs_.resize(mark.runs);
    lastModuleEntry_ = mark.lastModuleEntry;
    lastModuleLine_ = mark.lastModuleLine;
}

std::string_view EditRecord::bytesOf(size_t index) const {
    const uint64_t start = starts_.at(index);
    const Block& b = blocks_[static_cast<size_t>(start >> 32)];
    const size_t at = static_cast<size_t>(start & 0xffffffffu);
    return std::string_view(b.bytes.data() + at, b.used - at);
}

size_t EditRecord::line(size_t index) const {
    size_t at = 0;
    return getNumber(bytesOf(index), at);
}

long long EditRecord::moduleLine(size_t index) const {
    const std::string_view in = bytesOf(index);
    size_t at = 0;
    getNumber(in, at);
    return static_cast<long long>(getNumber(in, at)) - 1;
}

void EditRecord::readText(std::string_view in, size_t& at, std::string& into) {
    const size_t kind = getNumber(in, at);
    const size_t length = getNumber(in, at);
    const std::string_view bytes = in.substr(at, length);
    at += length;
    if (kind == 0) {
        into.assign(bytes);
        return;
    }
    const Tags tags = tagsFor(static_cast<int>(kind - 1));
    into.assign(tags.head()).append(bytes).append(tags.close());
}

void EditRecord::readModule(size_t index, std::string_view in, size_t& at, bool hasModule, std::string* into) const {
    const size_t back = getNumber(in, at);
    if (into) into->clear();
    if (!hasModule) return;
    // The module's text, here or in the rewrite that keeps it.
    if (back == 0) {
        const size_t length = getNumber(in, at);
        if (into) into->assign(in.substr(at, length));
        at += length;
    } else if (into) {
        const std::string_view holder = bytesOf(index - back);
        size_t h = 0;
        for (int i = 0; i < 3; ++i) getNumber(holder, h);
        const size_t length = getNumber(holder, h);
        into->assign(holder.substr(h, length));
    }
}

void EditRecord::read(size_t index, RecordedEdit& e) const {
    const std::string_view in = bytesOf(index);
    size_t at = 0;
    e.line = getNumber(in, at);
    e.moduleLine = static_cast<long long>(getNumber(in, at)) - 1;
    readModule(index, in, at, e.moduleLine >= 0, &e.module);
    e.setting = static_cast<SettingId>(getNumber(in, at));
    e.group = static_cast<Group>(getNumber(in, at));
    e.type = types_[getNumber(in, at)];
    e.typeIdBefore = typeIds_[getNumber(in, at)];
    const size_t after = getNumber(in, at);
    e.typeId = after == 0 ? e.typeIdBefore : typeIds_[after - 1];
    readText(in, at, e.before);
    readText(in, at, e.after);
}

void EditRecord::readText(size_t index, bool after, std::string& into) const {
    const std::string_view in = bytesOf(index);
    size_t at = 0;
    getNumber(in, at);
    readModule(index, in, at, getNumber(in, at) != 0, nullptr);
    for (int i = 0; i < 5; ++i) getNumber(in, at);  // the setting, the block, the type, the type ids
    if (after) {  // past the text before
        getNumber(in, at);
        at += getNumber(in, at);
    }
    readText(in, at, into);
}

size_t EditRecord::bytes() const {
    size_t n = starts_.bytes() + runs_.capacity() * sizeof(Run);
    for (const Block& b : blocks_) n += b.bytes.size();
    return n;
}

}  // namespace pf
