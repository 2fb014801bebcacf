// runtime/gen_str.cc: heap-string helpers (copies, concatenation, case-blind comparison).
#include "runtime/gen.h"

#include <cstring>

char* gen_copy(const char* s) {
    if (!s) return nullptr;
    size_t n = strlen(s);
    char* p = (char*)gen_alloc(1, n + 1);
    memcpy(p, s, n);
    return p;
}

char* gen_copyn(const char* s, long n) {
    if (!s) return nullptr;
    if (n < 0) n = 0;
    size_t len = strnlen(s, (size_t)n);
    char* p = (char*)gen_alloc(1, len + 1);
    memcpy(p, s, len);
    return p;
}

static char* concatList(const char* const* parts, int count) {
    size_t total = 0;
    for (int i = 0; i < count; i++)
        if (parts[i]) total += strlen(parts[i]);
    char* p = (char*)gen_alloc(1, total + 1);
    char* q = p;
    for (int i = 0; i < count; i++) {
        if (!parts[i]) continue;
        size_t n = strlen(parts[i]);
        memcpy(q, parts[i], n);
        q += n;
    }
    return p;
}

char* gen_concat(const char* a, const char* b) {
    const char* v[] = {a, b};
    return concatList(v, 2);
}
char* gen_concat3(const char* a, const char* b, const char* c) {
    const char* v[] = {a, b, c};
    return concatList(v, 3);
}
char* gen_concat4(const char* a, const char* b, const char* c, const char* d) {
    const char* v[] = {a, b, c, d};
    return concatList(v, 4);
}
char* gen_concat5(const char* a, const char* b, const char* c, const char* d, const char* e) {
    const char* v[] = {a, b, c, d, e};
    return concatList(v, 5);
}
char* gen_concat6(const char* a, const char* b, const char* c, const char* d, const char* e,
                  const char* f) {
    const char* v[] = {a, b, c, d, e, f};
    return concatList(v, 6);
}
char* gen_concat7(const char* a, const char* b, const char* c, const char* d, const char* e,
                  const char* f, const char* g) {
    const char* v[] = {a, b, c, d, e, f, g};
    return concatList(v, 7);
}
char* gen_concat8(const char* a, const char* b, const char* c, const char* d, const char* e,
                  const char* f, const char* g, const char* h) {
    const char* v[] = {a, b, c, d, e, f, g, h};
    return concatList(v, 8);
}
char* gen_concat9(const char* a, const char* b, const char* c, const char* d, const char* e,
                  const char* f, const char* g, const char* h, const char* i) {
    const char* v[] = {a, b, c, d, e, f, g, h, i};
    return concatList(v, 9);
}

char* gen_fconcat(char* a, const char* b) {
    char* r = gen_concat(a, b);
    gen_free(a);
    return r;
}
char* gen_fconcat3(char* a, const char* b, const char* c) {
    char* r = gen_concat3(a, b, c);
    gen_free(a);
    return r;
}
char* gen_fconcat4(char* a, const char* b, const char* c, const char* d) {
    char* r = gen_concat4(a, b, c, d);
    gen_free(a);
    return r;
}
char* gen_fconcat5(char* a, const char* b, const char* c, const char* d, const char* e) {
    char* r = gen_concat5(a, b, c, d, e);
    gen_free(a);
    return r;
}
char* gen_fconcat6(char* a, const char* b, const char* c, const char* d, const char* e,
                   const char* f) {
    char* r = gen_concat6(a, b, c, d, e, f);
    gen_free(a);
    return r;
}
char* gen_fconcat7(char* a, const char* b, const char* c, const char* d, const char* e,
                   const char* f, const char* g) {
    char* r = gen_concat7(a, b, c, d, e, f, g);
    gen_free(a);
    return r;
}

char* gen_concat_sep(const char* a, int ch, const char* b) {
    if (!a) return gen_copy(b);
    if (!b) return gen_copy(a);
    char sep[2] = {(char)ch, 0};
    return gen_concat3(a, sep, b);
}

char* gen_fconcat_sep(char* a, int ch, const char* b) {
    char* r = gen_concat_sep(a, ch, b);
    gen_free(a);
    return r;
}

char* gen_sprintf(const char* format, ...) {
    va_list ap, ap2;
    va_start(ap, format);
    va_copy(ap2, ap);
    int n = vsnprintf(nullptr, 0, format, ap);
    va_end(ap);
    if (n < 0) n = 0;
    char* p = (char*)gen_alloc(1, (size_t)n + 1);
    vsnprintf(p, (size_t)n + 1, format, ap2);
    va_end(ap2);
    return p;
}

int gen_tolower(int c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

int gen_strequal(const char* a, const char* b) {
    return gen_stricmp(a, b) == 0;
}

int gen_strnequal(const char* a, const char* b, long n) {
    if (!a || !b) return a == b;
    return strncmp(a, b, (size_t)n) == 0;
}

int gen_stricmp(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    for (;; a++, b++) {
        int ca = gen_tolower((unsigned char)*a), cb = gen_tolower((unsigned char)*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (!ca) return 0;
    }
}

int gen_strprefix(const char* s, const char* p) {
    if (!s || !p) return 0;
    return strncmp(s, p, strlen(p)) == 0;
}

int gen_strcaseprefix(const char* s, const char* p) {
    if (!s || !p) return 0;
    for (; *p; s++, p++)
        if (gen_tolower((unsigned char)*s) != gen_tolower((unsigned char)*p)) return 0;
    return 1;
}

int gen_strprefix2(const char* s, const char* p) {
    return gen_strcaseprefix(s, p);
}

const char* gen_strstr(const char* s, const char* p) {
    if (!s || !p) return nullptr;
    return strstr(s, p);
}

const char* gen_strcasestr(const char* s, const char* p) {
    if (!s || !p) return nullptr;
    for (const char* q = s;; q++) {
        if (gen_strcaseprefix(q, p)) return q;
        if (!*q) return nullptr;
    }
}

const char* gen_strstr2(const char* s, const char* p) {
    return gen_strcasestr(s, p);
}

const char* gen_strrstr(const char* s, const char* p) {
    if (!s || !p) return nullptr;
    size_t n = strlen(s), m = strlen(p);
    if (m > n) return nullptr;
    for (size_t i = n - m + 1; i-- > 0;)
        if (strncmp(s + i, p, m) == 0) return s + i;
    return nullptr;
}

const char* gen_strrcasestr(const char* s, const char* p) {
    if (!s || !p) return nullptr;
    size_t n = strlen(s), m = strlen(p);
    if (m > n) return nullptr;
    for (size_t i = n - m + 1; i-- > 0;)
        if (gen_strcaseprefix(s + i, p)) return s + i;
    return nullptr;
}

char* gen_strtok_r(char* s, const char* delims, char** rest) {
    if (!s) s = *rest;
    if (!s) return nullptr;
    s += strspn(s, delims);
    if (!*s) {
        *rest = s;
        return nullptr;
    }
    char* end = s + strcspn(s, delims);
    if (*end) *end++ = 0;
    *rest = end;
    return s;
}

char* gen_strlower(char* s) {
    if (s)
        for (char* p = s; *p; p++) *p = (char)gen_tolower((unsigned char)*p);
    return s;
}

char* gen_strupper(char* s) {
    if (s)
        for (char* p = s; *p; p++)
            if (*p >= 'a' && *p <= 'z') *p = (char)(*p - ('a' - 'A'));
    return s;
}

int gen_isspace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
int gen_isblank(int c) {
    return c == ' ' || c == '\t';
}
int gen_isalnum(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
int gen_isupper(int c) {
    return c >= 'A' && c <= 'Z';
}
int gen_isbreak(int c) {
    c &= 0xff;
    return c == ';' || c < 33 || c >= 127;
}

unsigned long gen_strtoul(const char* s, char** end, int base) {
    return strtoul(s, end, base);
}

// ---- character classes for word selection ----

static bool isWordByte(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '$' || c >= 0x80;
}

int gen_char_type(int c) {
    c &= 0xff;
    if (c == 0) return -1;
    if (isWordByte(c)) return 0;
    if (c == ' ' || c == '\t' || c == '\n') return 2;
    return 3;
}

static int bracketClass(int c) {
    switch (c) {
    case '(': case ')': return GEN_CT_PAREN;
    case '{': case '}': return GEN_CT_BRACE;
    case '[': case ']': return GEN_CT_BRACKET;
    default: return 0;
    }
}

static bool isEmptyPair(int open, int close) {
    return (open == '(' && close == ')') || (open == '{' && close == '}') ||
           (open == '[' && close == ']');
}

// The first rule that applies decides; the order matters (a backslash beats everything, an
// apostrophe or a minus sign joins a word only in the right company).
int gen_new_char_type(int prev, int c, int next) {
    prev &= 0xff;
    c &= 0xff;
    next &= 0xff;
    if (c == 0) return GEN_CT_NUL;
    if (c == '\\' || prev == '\\') return GEN_CT_BACKSLASH;
    if (isWordByte(c)) return GEN_CT_WORD;
    if (c == '\'' && isWordByte(prev) && isWordByte(next)) return GEN_CT_WORD;
    if (c == '-' && gen_isspace(prev) && isWordByte(next)) return GEN_CT_WORD;
    if (gen_isspace(c)) return GEN_CT_WHITE;
    if (c == '/' && (prev == '*' || next == '*' || prev == '/' || next == '/'))
        return GEN_CT_COMMENT;
    if (c == '*' && (prev == '/' || next == '/')) return GEN_CT_COMMENT;
    if (c == '-') return GEN_CT_DASH;
    if (c == ';') return GEN_CT_SEMICOLON;
    if (c == ',') return GEN_CT_COMMA;
    if (isEmptyPair(c, next) || isEmptyPair(prev, c)) return GEN_CT_EMPTYPAIR;
    if (int k = bracketClass(c)) return k;
    if (prev == '(' || prev == '{' || prev == '[') return bracketClass(prev);
    return GEN_CT_OTHER;
}

// ---- hashing and checksums ----

// Sixteen well-mixed words; each byte goes through two of them, one per nibble.
static const unsigned long hashMix[16] = {
    0x2d358dccUL, 0xaa6c78a5UL, 0x8bb84b93UL, 0x962c6b0bUL, 0x36fa3b0fUL, 0x62f5a2e5UL,
    0x5a82a1f1UL, 0x1e62e09cUL, 0x7b1fa0d7UL, 0xc3a5c85cUL, 0x4f1bbcddUL, 0xe6546b64UL,
    0x0d27d01dUL, 0x9e3779b9UL, 0x85ebca6bUL, 0xb3f0a9c5UL,
};

static unsigned long hashByte(unsigned long h, unsigned char b) {
    h = ((h << 5) | (h >> 27)) & 0xffffffffUL;
    h ^= hashMix[b & 15];
    h = (h * 33 + b) & 0xffffffffUL;
    h ^= hashMix[b >> 4] >> 3;
    return h;
}

long gen_hcomp(const char* s, long len) {
    if (!s) return 0;
    if (len < 0) len = (long)strlen(s);
    const unsigned char* p = (const unsigned char*)s;
    unsigned long h = (unsigned long)len;
    if (len <= 9) {
        for (long i = 0; i < len; i++) h = hashByte(h, p[i]);
    } else {
        // Long keys: three bytes from each end and three from the middle keep it cheap.
        long mid = len / 2 - 1;
        const long at[9] = {0, 1, 2, mid, mid + 1, mid + 2, len - 3, len - 2, len - 1};
        for (long i : at) h = hashByte(h, p[i]);
    }
    return (long)(h & 0x7fffffffUL);
}

void gen_cksum(const unsigned char* buf, long len, unsigned long* sum) {
    const unsigned long poly = 0x10211021UL;
    unsigned long crc = *sum & 0xffffffffUL;
    for (long i = 0; i < len; i++) {
        crc ^= (unsigned long)buf[i] << 24;
        for (int bit = 0; bit < 8; bit++)
            crc = (crc & 0x80000000UL) ? ((crc << 1) ^ poly) & 0xffffffffUL
                                       : (crc << 1) & 0xffffffffUL;
    }
    *sum = crc;
}
