#pragma once

// Finding every place of one byte value in a run of bytes, sixteen bytes at a time where the
// processor offers it. Splitting a file into lines and indexing its lines call this once per
// line or once per file, so it must cost little for short runs as well as for long ones.

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pf::scan {

// Calls f(offset) for every offset in [0, size) where data holds `byte`, in order; stops when
// f returns false. Returns false when stopped.
template <class F>
bool forEachByte(const char* data, size_t size, char byte, F&& f) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi8(byte);
    auto maskAt = [&](size_t at) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted)));
    };
    auto visit = [&](size_t at, unsigned mask) {
        for (; mask != 0; mask &= mask - 1)
            if (!f(at + static_cast<size_t>(__builtin_ctz(mask)))) return false;
        return true;
    };
    for (; i + 16 <= size; i += 16)
        if (!visit(i, maskAt(i))) return false;
    // The last few bytes: the last sixteen of the run, less those already seen.
    if (i < size && size >= 16) return visit(size - 16, maskAt(size - 16) >> (16 - (size - i)) << (16 - (size - i)));
#endif
    for (; i < size; ++i)
        if (data[i] == byte && !f(i)) return false;
    return true;
}

// Calls f(offset) for every '<' in [0, size) that is followed, four bytes on, by '1', 'u' or
// 'U' (and for some other '<', never missing one of those): where "<prm1>" or "<module" in any
// letter case may begin.
template <class F>
void forEachTagStart(const char* data, size_t size, F&& f) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i open = _mm_set1_epi8('<'), one = _mm_set1_epi8('1'), u = _mm_set1_epi8('u'), bit5 = _mm_set1_epi8(0x20);
    for (; i + 20 <= size; i += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i later = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 4)), bit5);
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(here, open),
                                          _mm_or_si128(_mm_cmpeq_epi8(later, one), _mm_cmpeq_epi8(later, u)));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit)); mask != 0; mask &= mask - 1)
            f(i + static_cast<size_t>(__builtin_ctz(mask)));
    }
#endif
    for (; i < size; ++i)
        if (data[i] == '<') f(i);
}

// The same for an ASCII letter in either case (`lowerByte` is given in lower case); any other
// byte is matched exactly.
template <class F>
bool forEachByteNoCase(const char* data, size_t size, char lowerByte, F&& f) {
    if (lowerByte < 'a' || lowerByte > 'z') return forEachByte(data, size, lowerByte, f);
    size_t i = 0;
#if defined(__SSE2__)
    // Only 'A' + k and 'a' + k give 'a' + k when bit 5 is set.
    const __m128i wanted = _mm_set1_epi8(lowerByte);
    const __m128i bit5 = _mm_set1_epi8(0x20);
    for (; i + 16 <= size; i += 16) {
        const __m128i block = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i)), bit5);
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted))); mask != 0;
             mask &= mask - 1)
            if (!f(i + static_cast<size_t>(__builtin_ctz(mask)))) return false;
    }
#endif
    for (; i < size; ++i)
        if ((data[i] | 0x20) == lowerByte && !f(i)) return false;
    return true;
}

// How many times `byte` occurs in [data, data + size).
inline size_t count(const char* data, size_t size, char byte) {
    size_t n = 0;
    size_t i = 0;
#if defined(__SSE2__)
    // Matches count down from zero in each byte lane (a match is -1), summed into the total
    // every 255 blocks, before a lane can wrap.
    const __m128i wanted = _mm_set1_epi8(byte);
    while (i + 16 <= size) {
        __m128i lanes = _mm_setzero_si128();
        for (size_t k = 0; k < 255 && i + 16 <= size; ++k, i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(block, wanted));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        n += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
    }
#endif
    for (; i < size; ++i) n += data[i] == byte;
    return n;
}

}  // namespace pf::scan
