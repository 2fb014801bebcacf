// lang/syn_scan.cc: scanning routines shared by the language scanners: numbers, keywords,
// word boundaries and delimited strings.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "lang/syn.h"

static inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
static inline bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
static inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
static inline bool isLineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// ---- trivial elements ----

int NO_BEGIN(uint32_t*, const char*, int, int, int* length, const Language*) {
    if (length) *length = 0;
    return 0;
}

int NO_END(uint32_t*, const char*, int, int, const Language*) {
    return 0;
}

int FIND_NOTHING(uint32_t*, const char*, int pos, int, int* length, const Language*) {
    if (length) *length = 0;
    return pos;
}

int NONE_FIND_END(uint32_t*, const char*, int pos, int last, int* length, const Language*) {
    if (length) *length = last - pos;
    return last;
}

uint32_t NO_SYNSTATE(uint32_t state, uint32_t aux, const char*, int, uint32_t* nextAux) {
    if (nextAux) *nextAux = aux;
    return state;
}

// ---- literal suffixes ----

int no_suffix(const char*, int pos, int last) {
    return pos > last;
}

int C_ValidIntegerSuffix(const char* text, int pos, int last) {
    int ls = 0, us = 0;
    for (int i = pos; i <= last; i++) {
        char c = text[i];
        if (c == 'l' || c == 'L')
            ls++;
        else if (c == 'u' || c == 'U')
            us++;
        else
            return 0;
    }
    return ls <= 1 && us <= 1;
}

int C_ValidFloatSuffix(const char* text, int pos, int last) {
    if (pos > last) return 1;
    return pos == last && strchr("fFlL", text[pos]) != nullptr;
}

int JAVA_ValidIntegerSuffix(const char* text, int pos, int last) {
    if (pos > last) return 1;
    return pos == last && (text[pos] == 'l' || text[pos] == 'L');
}

int JAVA_ValidFloatSuffix(const char* text, int pos, int last) {
    if (pos > last) return 1;
    return pos == last && strchr("fFdD", text[pos]) != nullptr;
}

int C_IGNORE_NEXT(uint32_t*, const char* text, int pos, int, int* length, const Language*) {
    if (text[pos] != '\\') return 0;
    *length = 2;
    return 1;
}

// ---- numbers ----

int is_valid_integer(const char* text, int pos, int last, const Language* lang) {
    int i = pos;
    while (i <= last && isDigit(text[i])) i++;
    if (i == pos) return 0;
    return lang->validIntegerSuffix(text, i, last);
}

int is_valid_hex(const char* text, int pos, int last, const Language* lang) {
    if (last - pos + 1 < 3) return 0;
    if (text[pos] != '0' || (text[pos + 1] != 'x' && text[pos + 1] != 'X')) return 0;
    int i = pos + 2;
    while (i <= last && isHexDigit(text[i])) i++;
    return lang->validIntegerSuffix(text, i, last);
}

int is_valid_float(const char* text, int pos, int last, const Language* lang) {
    if (pos > last) return 0;
    bool lead = isDigit(text[pos]) || (text[pos] == '.' && pos < last && isDigit(text[pos + 1]));
    if (!lead) return 0;
    int i = pos, dots = 0;
    while (i <= last && (isDigit(text[i]) || text[i] == '.')) {
        if (text[i] == '.' && ++dots > 1) return 0;
        i++;
    }
    if (i > last) return 1;
    if (text[i] != 'e' && text[i] != 'E') return lang->validFloatSuffix(text, i, last);
    i++;
    if (i > last) return 0;
    if (text[i] == '+' || text[i] == '-') i++;
    while (i <= last && (isDigit(text[i]) || text[i] == '.')) i++;
    return lang->validFloatSuffix(text, i, last);
}

// Digits (and Ada's underscores) with at most one dot: the mantissa before an exponent.
int is_simple_decimal(const char* text, int pos, int last) {
    if (pos > last) return 0;
    int dots = 0, digits = 0;
    for (int i = pos; i <= last; i++) {
        if (isDigit(text[i]))
            digits++;
        else if (text[i] == '.') {
            if (++dots > 1) return 0;
        } else if (text[i] != '_')
            return 0;
    }
    return digits > 0;
}

int NUMBER_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                 const Language* lang) {
    if ((*state & ~SYN_NOCOLOR) != 0 || last < pos) return 0;
    if (is_valid_integer(text, pos, last, lang) || is_valid_hex(text, pos, last, lang) ||
        is_valid_float(text, pos, last, lang)) {
        *length = last - pos + 1;
        return 1;
    }
    return 0;
}

// ---- keywords ----

int Keyword_Sort(const char** keywords) {
    int n = 0;
    while (keywords[n]) n++;
    std::sort(keywords, keywords + n, [](const char* a, const char* b) {
        return strcmp(a, b) < 0;
    });
    return n;
}

void syn_SortKeywords(Language* lang) {
    if (lang->keywords && lang->keywordCount <= 0) lang->keywordCount = Keyword_Sort(lang->keywords);
}

int Keyword_Search(const Language* lang, const char* word) {
    if (!lang->keywords) return 0;
    if (lang->keywordCount <= 0) syn_SortKeywords(const_cast<Language*>(lang));
    int lo = 0, hi = lang->keywordCount - 1;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = strcmp(word, lang->keywords[mid]);
        if (c == 0) return 1;
        if (c < 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return 0;
}

void CvtCase(char* word, const Language* lang) {
    if (lang->caseSensitive || !lang->keywords) return;
    if (lang->keywordCount <= 0) syn_SortKeywords(const_cast<Language*>(lang));
    const char* first = lang->keywords[0];
    bool lower = first && first[0] >= 'a' && first[0] <= 'z';
    for (char* p = word; *p; p++)
        *p = lower ? (char)tolower((unsigned char)*p) : (char)toupper((unsigned char)*p);
}

int KEYWORD_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang) {
    if ((*state & ~SYN_NOCOLOR) != 0 || !lang->keywords || last < pos) return 0;
    int n = last - pos + 1;
    if (n >= 129) return 0;
    char word[130];
    memcpy(word, text + pos, (size_t)n);
    word[n] = 0;
    CvtCase(word, lang);
    if (!Keyword_Search(lang, word)) return 0;
    *length = n;
    return 1;
}

int KeywordAndPreprocessorword_Begin(uint32_t* state, const char* text, int pos, int last,
                                     int* length, const Language* lang) {
    if (last < pos || last - pos + 1 > 128) return 0;
    if (text[pos] == '#') {
        if ((*state & ~SYN_NOCOLOR) != 0) return 0;
        int p = pos + 1;
        while (p <= last && isBlank(text[p])) p++;
        if (last - p + 1 < 2) return 0;
        char key[131];
        key[0] = '#';
        memcpy(key + 1, text + p, (size_t)(last - p + 1));
        key[last - p + 2] = 0;
        if (!Keyword_Search(lang, key)) return 0;
        *length = last - pos + 1;
        return 1;
    }
    if (text[pos] < 'a' || text[pos] > 'z') return 0;
    return KEYWORD_BEGIN(state, text, pos, last, length, lang);
}

// ---- word boundaries ----

static bool quoteOrBackslash(char c) {
    return c == '"' || c == '\'' || c == '\\';
}

// Whether the sign at text[at] belongs to an exponent of a number starting at wordStart.
static bool exponentSign(const char* text, int at, int last, int wordStart) {
    if (at + 1 > last || !isDigit(text[at + 1])) return false;
    if (at - 1 < wordStart || (text[at - 1] != 'e' && text[at - 1] != 'E')) return false;
    return is_simple_decimal(text, wordStart, at - 2);
}

static int wordEndFrom(const char* text, int wordStart, int pos, int last, const Language* lang,
                       int quoteAware);

// Word start: the words are found forwards, with the word-end rules, from a point far enough
// left that no word can straddle it, so that start and end always agree.
int syn_FindWordStart(const char* text, int pos, const Language* lang, int quoteAware) {
    const unsigned char* seps = lang->separators;
    const int floor = pos > 256 ? pos - 256 : 0; // longer words are never looked up
    int raw = pos;
    while (raw > floor) {
        char c = text[raw - 1];
        bool joins = !seps[(unsigned char)c] || c == '.' ||
                     ((c == '+' || c == '-') && raw - 2 >= 0 &&
                      (text[raw - 2] == 'e' || text[raw - 2] == 'E'));
        if (!joins) break;
        raw--;
    }
    int i = raw;
    if (raw < pos) {
        auto skipSeparators = [&](int s) {
            while (s < pos && seps[(unsigned char)text[s]] &&
                   !(text[s] == '.' && s + 1 <= pos && !seps[(unsigned char)text[s + 1]]))
                s++;
            return s;
        };
        i = skipSeparators(raw);
        while (i < pos) {
            int e = wordEndFrom(text, i, i, pos, lang, 0);
            if (e >= pos) break;
            i = skipSeparators(e + 1);
        }
    }
    if (quoteAware && i > 0 && quoteOrBackslash(text[i - 1])) {
        bool escaped = (lang->id == LANG_C || lang->id == LANG_CPP) && i - 2 >= 0 && text[i - 2] == '\\';
        if (!escaped) i--;
    }
    if (quoteAware && (lang->id == LANG_C || lang->id == LANG_CPP || lang->id == LANG_PASCAL || lang->id == LANG_GASM)) {
        int j = i;
        while (j > 0 && isBlank(text[j - 1])) j--;
        if (j > 0 && text[j - 1] == '#') i = j - 1;
    }
    return i;
}

// Word end when the word is known to start at wordStart (for the exponent rule).
// Whether text[from..to] can be the base of an Ada based literal (digits only).
static bool basePrefix(const char* text, int from, int to) {
    for (int k = from; k <= to; k++)
        if (!isDigit(text[k]) && text[k] != '_') return false;
    return from <= to;
}

static int wordEndFrom(const char* text, int wordStart, int pos, int last, const Language* lang,
                       int quoteAware) {
    const unsigned char* seps = lang->separators;
    (void)pos; // scanning from the word's start pairs Ada's "#" marks the same way every time
    int i = wordStart;
    while (i < last) {
        char c = text[i + 1];
        if (!seps[(unsigned char)c]) {
            if (lang->id == LANG_ADA && c == '#' && basePrefix(text, wordStart, i)) { // 16#FF#
                int j = i + 2;
                while (j <= last && text[j] != '#' &&
                       (isHexDigit(text[j]) || text[j] == '_' || text[j] == '.'))
                    j++;
                if (j <= last && text[j] == '#') {
                    i = j;
                    continue;
                }
            }
            i++;
            continue;
        }
        if ((c == '+' || c == '-') && exponentSign(text, i + 1, last, wordStart)) {
            i++;
            continue;
        }
        if (c == '.' && text[i] != '.' && !(i + 2 <= last && text[i + 2] == '.')) {
            i++;
            continue;
        }
        break;
    }
    if (quoteAware && i < last && text[i] != '"' && text[i] != '\'' &&
        (text[i + 1] == '"' || text[i + 1] == '\''))
        i++;
    return i;
}

int syn_FindWordEnd(const char* text, int pos, int last, const Language* lang, int quoteAware) {
    if (pos > last) return last;
    int start = syn_FindWordStart(text, pos, lang, 0);
    int end = wordEndFrom(text, start, pos, last, lang, quoteAware);
    // The exponent rule can join words leftwards that it does not join rightwards.
    return end >= pos ? end : wordEndFrom(text, pos, pos, last, lang, quoteAware);
}

void find_word_extents(const char* text, int pos, int last, const Language* lang, int* start,
                       int* end) {
    const unsigned char* seps = lang->separators;
    // A dot before a digit starts a word (".5") unless it is part of "..".
    bool dotNumber = text[pos] == '.' && pos < last && isDigit(text[pos + 1]) &&
                     !(pos > 0 && text[pos - 1] == '.');
    if (seps[(unsigned char)text[pos]] && !dotNumber) {
        *start = *end = pos;
        return;
    }
    int s = syn_FindWordStart(text, pos, lang, 0);
    if (s < 0) s = 0;
    int e = wordEndFrom(text, s, pos, last, lang, 0);
    if (e < pos) {
        s = pos;
        e = wordEndFrom(text, pos, pos, last, lang, 0);
    }
    // A lone "#" followed by blanks names a directive: "#  include" is one word.
    if (e == s && text[s] == '#') {
        int p = s + 1;
        while (p <= last && isBlank(text[p])) p++;
        if (p <= last && p > s + 1 && !seps[(unsigned char)text[p]])
            e = wordEndFrom(text, p, p, last, lang, 0);
    }
    if (e > s && isLineEnd(text[e])) e--;
    *start = s;
    *end = e;
}

// Characters that may open an element: the separator run of FIND_WORD_END stops before them.
static bool opensElement(const char* text, int i, int last, const Language* lang) {
    char c = text[i];
    if (c == '"' || c == '\'') return true;
    if (c == '.' && i < last && isDigit(text[i + 1]) && !(i > 0 && text[i - 1] == '.'))
        return true; // ".5" starts a number
    switch (lang->id) {
    case LANG_C: case LANG_CPP: case LANG_JAVA: case LANG_GASM: case LANG_TQL: case LANG_PPASM:
        return c == '/' || c == '*' || (lang->id == LANG_PPASM && (c == ';' || c == '-' || c == '#'));
    case LANG_PASCAL:
        return strchr("{}()*", c) != nullptr;
    case LANG_ADA:
        return c == '-';
    case LANG_ASM:
        return c == ';' || c == '-';
    case LANG_HELP:
        return c == '<';
    default:
        return false;
    }
}

int FIND_WORD_END(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang) {
    const unsigned char* seps = lang->separators;
    uint32_t s = *state & ~SYN_NOCOLOR;
    int i = pos;
    if (pos > last) {
        *length = 0;
        return pos;
    }
    if (!seps[(unsigned char)text[pos]]) {
        i = syn_FindWordEnd(text, pos, last, lang, 0);
        if (s == 0)
            while (i < last && seps[(unsigned char)text[i + 1]] && !opensElement(text, i + 1, last, lang))
                i++;
    } else if (s == 0) {
        while (i < last && seps[(unsigned char)text[i + 1]] && !opensElement(text, i + 1, last, lang))
            i++;
    }
    if (i > last) i = last;
    *length = i - pos;
    return i;
}

// ---- delimited strings ----

static inline char closingOf(const char* delims) {
    return delims[1] ? delims[1] : delims[0];
}

int FIND_END_DSTRING(uint32_t* state, const char* text, int pos, int last, int* length,
                     const char* delims, const Language* lang) {
    char close = closingOf(delims);
    int i = pos;
    if ((*state & SYN_ESCAPE) && i <= last) {
        *state &= ~SYN_ESCAPE;
        i++;
    }
    while (i <= last) {
        int n = 0;
        uint32_t st = *state;
        if (lang->ignoreNext && lang->ignoreNext(&st, text, i, last, &n, lang) && n > 0) {
            if (i + n - 1 > last) { // the escaped character is in the next piece
                *state |= SYN_ESCAPE;
                break;
            }
            i += n;
            continue;
        }
        if (text[i] == close) {
            if (length) *length = i - pos + 1;
            return i;
        }
        i++;
    }
    int end = last;
    if (last >= pos && isLineEnd(text[last])) end = last - 1;
    if (end < pos - 1) end = pos - 1;
    if (length) *length = end - pos + 1;
    return end;
}

int BEGIN_DSTRING(uint32_t* state, const char* text, int pos, int last, int* length,
                  const char* delims, const Language* lang) {
    if ((*state & ~(SYN_NOCOLOR | SYN_ESCAPE)) != 0 || pos > last || text[pos] != delims[0])
        return 0;
    uint32_t st = 0;
    int end = FIND_END_DSTRING(&st, text, pos + 1, last, nullptr, delims, lang);
    if (end < pos) end = pos;
    *length = end - pos + 1;
    *state = (*state & ~SYN_ESCAPE) | (st & SYN_ESCAPE);
    return 1;
}

int END_DSTRING(uint32_t* state, const char* text, int pos, uint32_t bit, const char* delims) {
    return (*state & bit) && text[pos] == closingOf(delims) && !(*state & SYN_ESCAPE);
}
