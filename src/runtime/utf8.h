// runtime/utf8.h: decoding UTF-8 and the display width of characters.
#pragma once

#include <cstddef>
#include <cstdint>

// What Utf8Decode gives for a byte that does not start a well-formed sequence (a stray
// continuation byte, an overlong form, a surrogate, beyond U+10FFFF, or cut short): it is a
// character of its own, one byte long.
constexpr char32_t kUtf8Invalid = 0xFFFFFFFF;

// The character starting at s[0] (n > 0 bytes available): its length, 1 to 4, and in *cp its
// code point or kUtf8Invalid.
int Utf8Decode(const char* s, size_t n, char32_t* cp);

// Whether s[0..n) is UTF-8 throughout. ASCII goes 16 bytes at a time.
bool Utf8Valid(const char* s, size_t n);

// Checks a stream in pieces: feed each piece in order, then finish(). A sequence may
// straddle two pieces.
struct Utf8Checker {
    bool valid = true;
    void feed(const char* s, size_t n);
    bool finish();
    bool holding() const { return heldLen > 0; } // a sequence cut by the last piece waits

private:
    char held[4] = {};
    int heldLen = 0;
};

// Cells a character takes on the screen: 0 for combining marks, 2 for wide (East Asian)
// characters, else 1. Control characters take one cell, shown as a symbol.
int Utf8Width(char32_t c);

// Writes c as UTF-8 to out (at least 4 bytes); returns the length (0 for an invalid c).
int Utf8Encode(char32_t c, char* out);

// Index of the first byte at or after i (i <= n) of a byte array s[0..n) whose value is 0x80
// or more, or n.
size_t Utf8NextHigh(const char* s, size_t i, size_t n);

// Character boundaries in text that may or may not be UTF-8 (a text field's, a prompt's): a
// byte that is not UTF-8 is a character of its own, and a combining mark goes with the
// character before it. The boundary after the character at i (i < n; n when i >= n), and the
// one before i (0 when i == 0).
size_t Utf8NextChar(const char* s, size_t n, size_t i);
size_t Utf8PrevChar(const char* s, size_t n, size_t i);
