// buffer/bytescan.h: finding the next byte below 0x20 (line ends, tabs, control bytes), which
// is all that measuring and splitting lines has to stop at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

// The index of the first byte below 0x20 in buf[i..n), or n.
inline size_t NextControlByte(const char* buf, size_t i, size_t n) {
#ifdef __SSE2__
    const __m128i top = _mm_set1_epi8(0x1f);
    while (i + 16 <= n) {
        __m128i v = _mm_loadu_si128((const __m128i*)(buf + i));
        int m = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, top), v));
        if (m) return i + (size_t)__builtin_ctz((unsigned)m);
        i += 16;
    }
#else
    while (i + 8 <= n) {
        uint64_t x;
        memcpy(&x, buf + i, 8);
        if (((x - 0x2020202020202020ull) & ~x & 0x8080808080808080ull) != 0) break;
        i += 8;
    }
#endif
    while (i < n && (unsigned char)buf[i] >= 0x20) i++;
    return i;
}

// The index of the first byte below 0x20 or from 0x80 on in buf[i..n), or n: where a UTF-8
// line's measure has more to do than count a column a byte.
inline size_t NextControlOrHighByte(const char* buf, size_t i, size_t n) {
#ifdef __SSE2__
    // As signed bytes, those from 0x80 on are negative: one comparison finds both kinds.
    const __m128i space = _mm_set1_epi8(0x20);
    while (i + 16 <= n) {
        __m128i v = _mm_loadu_si128((const __m128i*)(buf + i));
        int m = _mm_movemask_epi8(_mm_cmplt_epi8(v, space));
        if (m) return i + (size_t)__builtin_ctz((unsigned)m);
        i += 16;
    }
#endif
    while (i < n && (unsigned char)buf[i] >= 0x20 && (unsigned char)buf[i] < 0x80) i++;
    return i;
}
