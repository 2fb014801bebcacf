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
