#pragma once

// Scanning and filling rows of 32-bit pixels, the inner loops of run-length
// coding. Four pixels per step with SSE2 (every x86-64 processor has it);
// a plain loop elsewhere.
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pixelscan {

// The first index in [from, limit) whose pixel differs from value, or limit.
inline size_t RunEnd(const uint32_t* p, size_t from, size_t limit, uint32_t value)
{
    size_t i = from;
#if defined(__SSE2__)
    const __m128i pattern = _mm_set1_epi32(int(value));
    for (; i + 4 <= limit; i += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int equal = _mm_movemask_epi8(_mm_cmpeq_epi32(pixels, pattern));
        if (equal != 0xFFFF)
            return i + size_t(__builtin_ctz(unsigned(~equal) & 0xFFFFu)) / 4;
    }
#endif
    while (i < limit && p[i] == value)
        ++i;
    return i;
}

// The first index i in [from, limit) with p[i] == p[i - 1], or limit; from >= 1.
inline size_t FirstRepeat(const uint32_t* p, size_t from, size_t limit)
{
    size_t i = from;
#if defined(__SSE2__)
    for (; i + 4 <= limit; i += 4) {
        const __m128i current = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i previous = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1));
        const int equal = _mm_movemask_epi8(_mm_cmpeq_epi32(current, previous));
        if (equal != 0)
            return i + size_t(__builtin_ctz(unsigned(equal))) / 4;
    }
#endif
    while (i < limit && p[i] != p[i - 1])
        ++i;
    return i;
}

inline void Fill(uint32_t* to, size_t count, uint32_t value)
{
    if ((value & 0xFFu) * 0x01010101u == value) {  // all four bytes alike: transparent black, opaque white
        std::memset(to, int(value & 0xFFu), count * 4);
        return;
    }
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i pattern = _mm_set1_epi32(int(value));
    for (; i + 8 <= count; i += 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), pattern);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i + 4), pattern);
    }
#endif
    for (; i < count; ++i)
        to[i] = value;
}

}  // namespace pixelscan
