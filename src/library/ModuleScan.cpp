#include "library/ModuleScan.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/Blocks.h"
#include "engine/PatchGroup.h"
#include "engine/Review.h"
#include "text/Ascii.h"

namespace pf {

namespace {

// An id of up to seven characters in lower case and its length, as one number; none for a
// longer one.
std::optional<uint64_t> packedId(std::string_view id) {
    if (id.size() > 7) return std::nullopt;
    uint64_t packed = id.size();
    for (const char c : id) packed = packed << 8 | static_cast<unsigned char>(asciiLower(c));
    return packed;
}

// Where a packed id is looked for first in a table of `size` places (a power of two).
size_t slotOf(uint64_t packed, size_t size) { return static_cast<size_t>((packed * 0x9E3779B97F4A7C15ull) >> 40) & (size - 1); }

// A type-id line: eight blanks, "<Prm1>", the id, "</Prm1>".
constexpr std::string_view kTypeIdBlanks = "        ", kTypeIdOpen = "<prm1>", kTypeIdClose = "</prm1>";

}  // namespace

ModuleScan::ModuleScan(const Catalogue& catalogue, const DeviceModel& model) {
    const CatalogueLists lists = CatalogueLists::read(catalogue, model.code);
    auto add = [&](Group group, std::string_view id) { ids_[lowerAscii(id)] |= 1u << static_cast<unsigned>(group); };
    add(Group::NoiseReduction, model.noiseReductionId);
    auto addList = [&](Group group, TypeList list) {
        for (const std::string& entry : lists.typeEntries(list))
            add(group, catalogue.lookup(std::string(model.code) + std::string(typeListSuffix(list)), entry));
    };
    addList(Group::Amp, model.ampPage == ShownWith::B3AmpPage ? TypeList::B3Amp : TypeList::Amp);
    addList(Group::Drive, TypeList::Drive);
    addList(Group::Reverb, TypeList::Reverb);
    shortIds_.resize(std::bit_ceil(ids_.size() * 4 + 16));
    for (const auto& [id, blocks] : ids_)
        if (const auto packed = packedId(id)) {
            size_t at = slotOf(*packed, shortIds_.size());
            while (shortIds_[at].packed != 0) at = (at + 1) & (shortIds_.size() - 1);
            shortIds_[at] = {*packed, blocks};
        }
    if (model.patchModule) {
        header_ = model.patchModule->header;
        headerOpen_ = header_.find('<');
    }
}

unsigned ModuleScan::blocksSearching(std::string_view id, std::string& key) const {
    if (const auto packed = packedId(id)) {
        for (size_t at = slotOf(*packed, shortIds_.size());; at = (at + 1) & (shortIds_.size() - 1)) {
            if (shortIds_[at].packed == *packed) return shortIds_[at].blocks;
            if (shortIds_[at].packed == 0) return 0;
        }
    }
    key.assign(id);
    for (char& c : key) c = asciiLower(c);
    const auto hit = ids_.find(key);
    return hit == ids_.end() ? 0 : hit->second;
}

// Every search string holds a '<', so each place a search finds in a line is told by where its
// first '<' falls: a line is looked at only at its '<'s.
bool ModuleScan::atOpen(std::string_view line, size_t q, long long index, FoundModule& at, std::string& key,
                        const std::function<void(const FoundModule&)>& found) const {
    const char* const text = line.data();
    // "<prm1>" after eight blanks; its fifth and sixth characters first, the rarest.
    if (q + kTypeIdOpen.size() <= line.size() && text[q + 4] == '1' && text[q + 5] == '>' && q >= kTypeIdBlanks.size() &&
        equalsNoCase(line.substr(q, kTypeIdOpen.size()), kTypeIdOpen) &&
        std::all_of(text + q - kTypeIdBlanks.size(), text + q, [](char c) { return c == ' '; })) {
        const size_t idStart = q + kTypeIdOpen.size();
        const size_t close = findNoCase(line, kTypeIdClose, idStart);
        if (close != std::string_view::npos) {
            const std::string_view id = line.substr(idStart, close - idStart);
            if (const unsigned blocks = blocksSearching(id, key))
                for (unsigned g = 0; g < kGroupCount; ++g)
                    if (blocks & (1u << g)) {
                        at.headerLine = moduleOfTypeIdLine(index).prm0Line - 1;
                        at.group = static_cast<Group>(g);
                        at.typeId = id;
                        found(at);
                    }
        }
    }
    return !header_.empty() && q >= headerOpen_ && equalsNoCase(line.substr(q - headerOpen_, header_.size()), header_);
}

namespace {

// Calls f(offset) for every '<' in the bytes whose fifth character, in either case, is '1', 'u'
// or 'c' (and for a few other '<'): where "<prm1>", "<module" and "<Patch " may begin, sixteen
// bytes at a time where the processor offers it.
template <class F>
void forEachCandidate(const char* data, size_t size, F&& f) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi8('<'), one = _mm_set1_epi8('1'), u = _mm_set1_epi8('u'), c = _mm_set1_epi8('c'),
                  bit5 = _mm_set1_epi8(0x20);
    for (; i + 20 <= size; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i opens = _mm_cmpeq_epi8(here, open);
        if (_mm_movemask_epi8(opens) == 0) continue;
        const __m128i later = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 4)), bit5);
        const __m128i wanted =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(later, one), _mm_cmpeq_epi8(later, u)), _mm_cmpeq_epi8(later, c));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(opens, wanted))); mask != 0; mask &= mask - 1)
            f(i + static_cast<size_t>(__builtin_ctz(mask)));
    }
#endif
    for (; i < size; ++i)
        if (data[i] == '<') f(i);
}

}  // namespace

void ModuleScan::forEach(const Document& document, const std::function<void(const FoundModule&)>& found) const {
    PatchSoFar patch;
    forEachIn(document, 0, document.lineCount(), patch, found);
}

void ModuleScan::forEachIn(const Document& document, size_t begin, size_t end, PatchSoFar& patch,
                           const std::function<void(const FoundModule&)>& found) const {
    FoundModule at;
    at.patch = patch.number;
    at.patchName = patch.name;
    std::string key;
    long long headerLine = -1;  // a line where the patch module's header was found, told at its end
    auto lineDone = [&] {
        if (headerLine < 0) return;
        at.headerLine = headerLine;
        at.group = Group::PatchLevel;
        at.typeId = {};
        found(at);
        headerLine = -1;
    };
    // A '<' with nothing but blanks before it may start a patch.
    auto open = [&](std::string_view line, size_t q, size_t index) {
        if (line.substr(q).starts_with("<Patch ") && skipLeadingBlanks(line).size() == line.size() - q)
            if (const auto name = patchNameIn(line)) {
                at.patch = ++patch.number;
                patch.name = *name;
                at.patchName = patch.name;
            }
        if (atOpen(line, q, static_cast<long long>(index), at, key, found)) headerLine = static_cast<long long>(index);
    };
    end = std::min(end, document.lineCount());
    if (begin >= end) return;
    // Lines read as they were loaded lie one after the other in the buffer: only the '<'s where
    // one of the searched texts may begin are looked at. Otherwise every '<' of every line.
    const bool headerFits = header_.empty() || lowerAscii(header_.substr(headerOpen_, 5)) == "<modu";
    if (!document.allInBuffer() || !headerFits) {
        for (size_t i = begin; i < end; ++i) {
            const std::string_view line = document.line(i);
            for (size_t q = 0; q < line.size(); ++q)
                if (line[q] == '<') open(line, q, i);
            lineDone();
        }
        return;
    }
    const std::string_view buffer = document.buffer();
    size_t line = begin, start = document.bufferOffset(begin), next = document.bufferOffset(begin + 1);
    std::string_view text = document.line(begin);
    const size_t from = start;
    forEachCandidate(buffer.data() + from, document.bufferOffset(end) - from, [&](size_t at) {
        const size_t offset = from + at;
        if (offset >= next && line + 1 < end) {
            lineDone();
            while (offset >= next && line + 1 < end) next = document.bufferOffset(++line + 1);
            start = document.bufferOffset(line);
            text = document.line(line);
        }
        if (offset - start < text.size()) open(text, offset - start, line);
    });
    lineDone();
}

}  // namespace pf
