// buffer/columns.h: display columns of a line's characters, and from a column back to a byte.
#pragma once

#include <cstdint>

#include "runtime/utf8.h"

// One character of a line as the screen shows it: its length in bytes, the column after it,
// and its code point (kUtf8Invalid for a byte that is not UTF-8).
struct LineChar {
    int bytes;
    int64_t next;
    char32_t ch;
};

// The character at byte i (< len) of a line, starting at column col. In a UTF-8 File a
// character takes its display width (a combining mark none, a wide character two) and a byte
// that is not UTF-8 one; otherwise each byte is a character of one column. A tab runs to the
// next multiple of ts.
inline LineChar LineCharAt(const char* text, int len, int i, int64_t col, bool utf8, int ts) {
    unsigned char b = (unsigned char)text[i];
    if (b == '\t') return {1, col + ts - col % ts, b};
    if (b < 0x80 || !utf8) return {1, col + 1, b};
    // Two-byte characters (Latin, Greek, Cyrillic...) without the call.
    if (b >= 0xC2 && b <= 0xDF && i + 1 < len && ((unsigned char)text[i + 1] & 0xC0) == 0x80) {
        char32_t c = (char32_t)((b & 0x1F) << 6 | ((unsigned char)text[i + 1] & 0x3F));
        return {2, col + (c < 0x300 ? 1 : Utf8Width(c)), c};
    }
    // Three-byte characters (the rest of the 16-bit plane) likewise.
    if (b >= 0xE0 && b <= 0xEF && i + 2 < len && ((unsigned char)text[i + 1] & 0xC0) == 0x80 &&
        ((unsigned char)text[i + 2] & 0xC0) == 0x80) {
        char32_t c = (char32_t)((b & 0x0F) << 12 | ((unsigned char)text[i + 1] & 0x3F) << 6 |
                                ((unsigned char)text[i + 2] & 0x3F));
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) return {3, col + Utf8Width(c), c};
    }
    char32_t c;
    int n = Utf8Decode(text + i, (size_t)(len - i), &c);
    return {n, col + (c == kUtf8Invalid ? 1 : Utf8Width(c)), c};
}

// The tab width the columns use.
int LineTabSize();

// The last character boundary from `from` on whose display column (LineCols) is at most
// `want`: the character a click at column `want` lands on. One pass over the line, however
// long.
int LineIndexAtCol(const char* text, int len, int from, int want, bool utf8);

// Character boundaries in a UTF-8 File: a combining mark goes with the character before it,
// and no boundary falls inside a sequence. In other Files every byte is a boundary.
// The boundary after the character at i (i < len), before i (i > 0), and at or before i.
int LineNextChar(const char* text, int len, int i, bool utf8);
int LinePrevChar(const char* text, int len, int i, bool utf8);
int LineCharStart(const char* text, int len, int i, bool utf8);
