// runtime/utf8.cc: UTF-8 decoding, validation and character widths.
#include "runtime/utf8.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

struct CharRange {
    char32_t first, last;
};
#include "runtime/charwidth.inc"

template <size_t N>
bool inRanges(const CharRange (&ranges)[N], char32_t c) {
    auto it = std::upper_bound(ranges, ranges + N, c,
                               [](char32_t v, const CharRange& r) { return v < r.first; });
    return it != ranges && c <= (it - 1)->last;
}

} // namespace

int Utf8Decode(const char* s, size_t n, char32_t* cp) {
    unsigned char b = (unsigned char)s[0];
    if (b < 0x80) {
        *cp = b;
        return 1;
    }
    int len;
    char32_t c, min;
    if (b >= 0xC2 && b <= 0xDF)
        len = 2, c = b & 0x1F, min = 0x80;
    else if (b >= 0xE0 && b <= 0xEF)
        len = 3, c = b & 0x0F, min = 0x800;
    else if (b >= 0xF0 && b <= 0xF4)
        len = 4, c = b & 0x07, min = 0x10000;
    else
        len = 0, c = 0, min = 0;
    if (len == 0 || (size_t)len > n) {
        *cp = kUtf8Invalid;
        return 1;
    }
    for (int i = 1; i < len; i++) {
        unsigned char k = (unsigned char)s[i];
        if ((k & 0xC0) != 0x80) {
            *cp = kUtf8Invalid;
            return 1;
        }
        c = (c << 6) | (k & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        *cp = kUtf8Invalid;
        return 1;
    }
    *cp = c;
    return len;
}

size_t Utf8NextHigh(const char* s, size_t i, size_t n) {
#ifdef __SSE2__
    while (i + 16 <= n) {
        int m = _mm_movemask_epi8(_mm_loadu_si128((const __m128i*)(s + i)));
        if (m) return i + (size_t)__builtin_ctz((unsigned)m);
        i += 16;
    }
#else
    while (i + 8 <= n) {
        uint64_t x;
        memcpy(&x, s + i, 8);
        if (x & 0x8080808080808080ull) break;
        i += 8;
    }
#endif
    while (i < n && (unsigned char)s[i] < 0x80) i++;
    return i;
}

bool Utf8Valid(const char* s, size_t n) {
    size_t i = 0;
    while ((i = Utf8NextHigh(s, i, n)) < n) {
        char32_t c;
        i += (size_t)Utf8Decode(s + i, n - i, &c);
        if (c == kUtf8Invalid) return false;
    }
    return true;
}

void Utf8Checker::feed(const char* s, size_t n) {
    if (!valid || n == 0) return;
    if (heldLen) {
        // Complete the sequence the last piece ended in.
        char buf[8];
        memcpy(buf, held, (size_t)heldLen);
        size_t take = std::min(n, (size_t)(4 - heldLen));
        memcpy(buf + heldLen, s, take);
        char32_t c;
        int len = Utf8Decode(buf, (size_t)heldLen + take, &c);
        if (c == kUtf8Invalid) {
            if ((size_t)heldLen + take < 4 && take == n) { // still too short: wait for more
                memcpy(held + heldLen, s, take);
                heldLen += (int)take;
                return;
            }
            valid = false;
            return;
        }
        s += len - heldLen;
        n -= (size_t)(len - heldLen);
        heldLen = 0;
    }
    // A cut sequence at the end waits for the next piece: back up to its lead byte.
    size_t tail = n;
    for (size_t k = 1; k <= 3 && k <= n; k++) {
        unsigned char b = (unsigned char)s[n - k];
        if ((b & 0xC0) == 0x80) continue;
        if (b >= 0xC0) {
            int need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
            if ((size_t)need > k) tail = n - k;
        }
        break;
    }
    if (!Utf8Valid(s, tail)) {
        valid = false;
        return;
    }
    heldLen = (int)(n - tail);
    memcpy(held, s + tail, (size_t)heldLen);
}

bool Utf8Checker::finish() {
    if (heldLen) valid = false;
    heldLen = 0;
    return valid;
}

namespace {

int widthFromRanges(char32_t c) {
    if (inRanges(zeroWidth, c)) return 0;
    if (c >= 0x1100 && inRanges(doubleWidth, c)) return 2;
    return 1;
}

// The widths of the 16-bit plane, two bits a character, looked up once: drawing asks for the
// width of every character shown.
struct PlaneWidths {
    uint8_t bits[0x10000 / 4] = {};
    PlaneWidths() {
        for (char32_t c = 0; c < 0x10000; c++)
            bits[c >> 2] |= (uint8_t)(widthFromRanges(c) << ((c & 3) * 2));
    }
};

} // namespace

int Utf8Width(char32_t c) {
    if (c < 0x300) return 1;
    if (c < 0x10000) {
        static const PlaneWidths plane{};
        return (plane.bits[c >> 2] >> ((c & 3) * 2)) & 3;
    }
    return widthFromRanges(c);
}

int Utf8Encode(char32_t c, char* out) {
    if (c < 0x80) {
        out[0] = (char)c;
        return 1;
    }
    if (c < 0x800) {
        out[0] = (char)(0xC0 | (c >> 6));
        out[1] = (char)(0x80 | (c & 0x3F));
        return 2;
    }
    if (c >= 0xD800 && c <= 0xDFFF) return 0;
    if (c < 0x10000) {
        out[0] = (char)(0xE0 | (c >> 12));
        out[1] = (char)(0x80 | ((c >> 6) & 0x3F));
        out[2] = (char)(0x80 | (c & 0x3F));
        return 3;
    }
    if (c > 0x10FFFF) return 0;
    out[0] = (char)(0xF0 | (c >> 18));
    out[1] = (char)(0x80 | ((c >> 12) & 0x3F));
    out[2] = (char)(0x80 | ((c >> 6) & 0x3F));
    out[3] = (char)(0x80 | (c & 0x3F));
    return 4;
}

namespace {

// The start of the well-formed sequence holding byte i, or i when it holds none.
size_t sequenceStart(const char* s, size_t n, size_t i) {
    for (size_t k = 1; k <= 3 && k <= i; k++) {
        unsigned char b = (unsigned char)s[i - k];
        if ((b & 0xC0) == 0x80) continue;
        char32_t c;
        int len = Utf8Decode(s + i - k, n - (i - k), &c);
        return c != kUtf8Invalid && (size_t)len > k ? i - k : i;
    }
    return i;
}

bool markAt(const char* s, size_t n, size_t i) {
    if (i >= n || (unsigned char)s[i] < 0xCC) return false; // marks start at U+0300
    char32_t c;
    Utf8Decode(s + i, n - i, &c);
    return c != kUtf8Invalid && Utf8Width(c) == 0;
}

} // namespace

size_t Utf8NextChar(const char* s, size_t n, size_t i) {
    if (i >= n) return n;
    char32_t c;
    i += (size_t)Utf8Decode(s + i, n - i, &c);
    while (markAt(s, n, i)) i += (size_t)Utf8Decode(s + i, n - i, &c);
    return i;
}

size_t Utf8PrevChar(const char* s, size_t n, size_t i) {
    if (i == 0) return 0;
    if (i > n) i = n;
    i = sequenceStart(s, n, i - 1);
    while (i > 0 && markAt(s, n, i)) i = sequenceStart(s, n, i - 1);
    return i;
}
