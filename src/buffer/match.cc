// buffer/match.cc: finding the partner of a bracket, comment delimiter, quote or
// conditional-compilation keyword, and the pair enclosing a selection.
#include "buffer/match.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "buffer/file.h"
#include "buffer/search_pat.h"
#include "buffer/synhook.h"
#include "config/switches.h"

namespace {

const MatchPair pascalRows[] = {
    {"begin", "end", 0, 0},
    {"(", ")", 0, 0},
    {"[", "]", 0, 0},
    {"{", "}", 0, MP_NONEST},
    {"(*", "*)", 0, MP_NONEST},
    {"(*", "}", 0, MP_NONEST},
    {"{", "*)", 0, MP_NONEST},
    {"#if", "#endif", 0, MP_CPP},
    {"#ifndef", "#endif", 0, MP_CPP},
    {"#ifdef", "#endif", 0, MP_CPP},
    {"'", "'", 0, MP_SAME},
};

const MatchPair defaultRows[] = {
    {"(", ")", 0, 0},
    {"[", "]", 0, 0},
    {"{", "}", 0, 0},
    {"/*", "*/", 0, MP_NONEST},
    {"#if", "#endif", 0, MP_CPP},
    {"#ifndef", "#endif", 0, MP_CPP},
    {"#ifdef", "#endif", 0, MP_CPP},
    {"\"", "\"", '\\', MP_SAME},
    {"//", nullptr, 0, MP_EOL},
};

} // namespace

const MatchInfo pascalMatchInfo{pascalRows, (int)(sizeof pascalRows / sizeof pascalRows[0])};
const MatchInfo defaultMatchInfo{defaultRows, (int)(sizeof defaultRows / sizeof defaultRows[0])};
const MatchInfo* MInfoFFile(File* file) {
    return FileLanguageId(file) == LANG_PASCAL ? &pascalMatchInfo : &defaultMatchInfo;
}

namespace {

bool IsWord(unsigned char c) { return SearchIsWordByte(c); }

bool SameText(const char* a, const char* b, size_t n, bool fold) {
    if (!fold) return memcmp(a, b, n) == 0;
    for (size_t i = 0; i < n; i++) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x != y && !(x >= 'A' && x <= 'Z' && x + 32 == y) && !(y >= 'A' && y <= 'Z' && y + 32 == x))
            return false;
    }
    return true;
}

// The length of the text that token matches at pos, or 0. A word matches only as a whole
// word; '#' and a word matches '#', blanks and tabs, then the word.
int TokenAt(const char* tok, const char* text, int len, int pos, bool fold) {
    if (!tok || pos < 0 || pos >= len) return 0;
    unsigned char t0 = (unsigned char)tok[0];
    // Most positions fail on their first byte: decide those before measuring the token.
    unsigned char b = (unsigned char)text[pos];
    if (b != t0 && !(fold && tolower(b) == tolower(t0))) return 0;
    int n = (int)strlen(tok);
    if (IsWord(t0) && !(t0 >= '0' && t0 <= '9')) {
        if (pos > 0 && IsWord((unsigned char)text[pos - 1])) return 0;
        if (len - pos < n || !SameText(text + pos, tok, (size_t)n, fold)) return 0;
        if (pos + n < len && IsWord((unsigned char)text[pos + n])) return 0;
        return n;
    }
    if (t0 == '#' && n > 1 && IsWord((unsigned char)tok[1])) {
        if (text[pos] != '#') return 0;
        int p = pos + 1;
        while (p < len && (text[p] == ' ' || text[p] == '\t')) p++;
        if (len - p < n - 1 || !SameText(text + p, tok + 1, (size_t)n - 1, fold)) return 0;
        if (p + n - 1 < len && IsWord((unsigned char)text[p + n - 1])) return 0;
        return p + n - 1 - pos;
    }
    if (len - pos < n || memcmp(text + pos, tok, (size_t)n) != 0) return 0;
    return n;
}

bool SameToken(const char* a, const char* b) { return a && b && strcmp(a, b) == 0; }

struct Scanner {
    File* file;
    const MatchInfo& t;
    bool fold;

    bool Nests(int row) const { return !(t.rows[row].flags & (MP_NONEST | MP_SAME | MP_EOL)); }

    // The row of the longest opener at pos among rows of the class wanted (-1 none), and its
    // length. A class of -1 takes every row.
    int OpenerAt(const char* text, int len, int pos, int cpp, int& n) const {
        int best = -1;
        n = 0;
        for (int r = 0; r < t.count; r++) {
            if (cpp >= 0 && ((t.rows[r].flags & MP_CPP) != 0) != (cpp != 0)) continue;
            int k = TokenAt(t.rows[r].opener, text, len, pos, fold);
            if (k > n) best = r, n = k;
        }
        if (best >= 0 && debugFlag[XSW_UGLYHACKODDQUOTES] && SameToken(t.rows[best].opener, "\"") &&
            pos > 0 && text[pos - 1] == '\'' && pos + 1 < len && text[pos + 1] == '\'')
            return -1; // '"' in single quotes is a character, not a string
        return best;
    }

    // The closers a search from `row`'s opener stops at: its own and those of later rows with
    // the same opener (of the same class), at most four.
    std::vector<const char*> Closers(int row) const {
        std::vector<const char*> out;
        const MatchPair& r = t.rows[row];
        for (int k = row; k < t.count && out.size() < 4; k++) {
            const MatchPair& o = t.rows[k];
            if (k != row && (!SameToken(o.opener, r.opener) || (o.flags & MP_CPP) != (r.flags & MP_CPP)))
                continue;
            if (o.closer) out.push_back(o.closer);
        }
        return out;
    }

    int CloserAt(const std::vector<const char*>& closers, const char* text, int len, int pos) const {
        int n = 0;
        for (const char* c : closers) n = std::max(n, TokenAt(c, text, len, pos, fold));
        return n;
    }

    // The partner of `row`'s opener, scanning from (l, col) just after it. Nested pairs are
    // kept on a stack rather than the call stack: a file of brackets must not overflow it.
    bool Forward(int row, Line* l, int64_t no, int col, Line*& outLine, int64_t& outNo, int& outCol,
                 int& outEnd) const {
        struct Open {
            int row;
            std::vector<const char*> closers;
        };
        std::vector<Open> stack{{row, Closers(row)}};
        for (; l; l = l->next, no++, col = 0) {
            const char* text = FileLineText(file, l);
            int len = l->len;
            for (;;) {
                const MatchPair& r = t.rows[stack.back().row];
                if (r.flags & MP_EOL) {
                    // the pair ends with this line
                    stack.pop_back();
                    if (stack.empty()) {
                        outLine = l, outNo = no, outCol = outEnd = len;
                        return true;
                    }
                    col = len;
                    continue;
                }
                if (col >= len) break;
                if (r.escape && (unsigned char)text[col] == r.escape) {
                    col += 2;
                    continue;
                }
                if (int n = CloserAt(stack.back().closers, text, len, col)) {
                    stack.pop_back();
                    if (stack.empty()) {
                        outLine = l, outNo = no, outCol = col, outEnd = col + n;
                        return true;
                    }
                    col += n;
                    continue;
                }
                if (Nests(stack.back().row)) {
                    int n;
                    int k = OpenerAt(text, len, col, (r.flags & MP_CPP) ? 1 : 0, n);
                    if (k >= 0) {
                        stack.push_back(Open{k, Closers(k)});
                        col += n;
                        continue;
                    }
                }
                col++;
            }
        }
        return false;
    }
};

const char* TextBack(File* file, Line* l) {
    if (l->allocLen == lnInFile &&
        !(file->cacheBase >= 0 && l->offset >= file->cacheBase &&
          l->offset + l->len <= file->cacheBase + file->cacheLen))
        FileCache(file, l, 0, 1);
    return FileLineText(file, l);
}

bool Before(int64_t l1, int c1, int64_t l2, int c2) { return l1 < l2 || (l1 == l2 && c1 < c2); }

// Walks openers backward from (l, col) inclusive, at most maxBack lines back (unless negative),
// and returns the first for which accept(row, opener line, col, opener length) says yes.
template <class Accept>
bool BackOpeners(const Scanner& s, Line* l, int64_t no, int col, int maxBack, bool (*wanted)(const Scanner&, int, const void*),
                 const void* arg, Accept accept) {
    for (int64_t back = 0; l && (maxBack < 0 || back <= maxBack); l = l->prev, no--, back++) {
        int len = l->len;
        if (col > len - 1) col = len - 1;
        for (int c = col; c >= 0; c--) {
            const char* text = TextBack(s.file, l); // a forward check may have moved the cache
            int n;
            int row = s.OpenerAt(text, len, c, -1, n);
            if (row >= 0 && wanted(s, row, arg) && accept(row, l, no, c, n)) return true;
        }
        col = INT32_MAX;
    }
    return false;
}

} // namespace

int FileMatchable(File* file, std::string_view text, int pos) {
    const MatchInfo& t = *MInfoFFile(file);
    int len = (int)text.size();
    for (int r = 0; r < t.count; r++)
        if (TokenAt(t.rows[r].opener, text.data(), len, pos, true) ||
            TokenAt(t.rows[r].closer, text.data(), len, pos, true))
            return 1;
    return 0;
}

int FileMatchSelection(File* file, const MatchInfo* table, int caseFold, int64_t& line, int& col,
                       int64_t& endLine, int& endCol, Line* hint, int64_t hintNo, int maxBack) {
    if (!file || !table || line < 1 || line > file->nLines) return 0;
    Scanner s{file, *table, caseFold != 0};
    Line* l = FileLine(file, line, hint, hintNo);
    const char* text = FileLineText(file, l);
    int len = l->len;
    int pos = col < 0 ? 0 : col;
    while (pos < len && (text[pos] == ' ' || text[pos] == '\t')) pos++;
    if (pos >= len) {
        pos = len - 1;
        while (pos > 0 && (text[pos] == ' ' || text[pos] == '\t')) pos--;
    }
    if (pos < 0) return 0;
    if (IsWord((unsigned char)text[pos])) {
        while (pos > 0 && IsWord((unsigned char)text[pos - 1])) pos--;
        if (pos > 0 && text[pos - 1] == '#') pos--;
    }
    int n;
    int row = s.OpenerAt(text, len, pos, -1, n);
    if (row >= 0) {
        Line* pl;
        int64_t pNo;
        int pCol, pEnd;
        if (!s.Forward(row, l, line, pos + n, pl, pNo, pCol, pEnd)) return 0;
        line = endLine = pNo;
        col = pCol;
        endCol = pEnd;
        return 1;
    }
    // A closer: the first opener before it whose partner lies at or beyond it.
    int closerRow = -1, closerLen = 0;
    for (int r = 0; r < table->count; r++) {
        int k = TokenAt(table->rows[r].closer, text, len, pos, s.fold);
        if (k > closerLen) closerRow = r, closerLen = k;
    }
    if (closerRow < 0) return 0;
    const char* closer = table->rows[closerRow].closer;
    int64_t at = line;
    auto sameCloser = [](const Scanner& sc, int r, const void* arg) {
        return SameToken(sc.t.rows[r].closer, (const char*)arg);
    };
    int64_t oLine = 0;
    int oCol = 0, oEnd = 0;
    bool found = BackOpeners(s, l, line, pos - 1, maxBack, sameCloser, closer,
                             [&](int r, Line* ol, int64_t oNo, int c, int k) {
                                 Line* pl;
                                 int64_t pNo;
                                 int pCol, pEnd;
                                 if (!s.Forward(r, ol, oNo, c + k, pl, pNo, pCol, pEnd)) return false;
                                 if (Before(pNo, pCol, at, pos)) return false;
                                 oLine = oNo, oCol = c, oEnd = c + k;
                                 return true;
                             });
    if (!found) return 0;
    line = endLine = oLine;
    col = oCol;
    endCol = oEnd;
    return 1;
}

int FileCompleteSelection(File* file, const MatchInfo* table, int caseFold, int64_t& l1, int& c1,
                          int64_t& l2, int& c2, Line* hint, int64_t hintNo) {
    if (!file || !table) return 0;
    if (Before(l2, c2, l1, c1)) std::swap(l1, l2), std::swap(c1, c2);
    Scanner s{file, *table, caseFold != 0};
    int64_t startNo = l1 < 1 ? 1 : l1;
    int startCol = l1 < 1 ? 0 : c1;
    if (startNo > file->nLines) startNo = file->nLines, startCol = INT32_MAX;
    Line* l = file->nLines ? FileLine(file, startNo, hint, hintNo) : nullptr;
    int64_t nl1 = 0, nl2 = 0;
    int nc1 = 0, nc2 = 0;
    auto any = [](const Scanner&, int, const void*) { return true; };
    bool found = l && BackOpeners(s, l, startNo, startCol, -1, any, nullptr,
                                  [&](int r, Line* ol, int64_t oNo, int c, int k) {
                                      Line* pl;
                                      int64_t pNo;
                                      int pCol, pEnd;
                                      if (!s.Forward(r, ol, oNo, c + k, pl, pNo, pCol, pEnd))
                                          return false;
                                      if (Before(pNo, pEnd, l2, c2)) return false; // not around it
                                      if (oNo == l1 && c == c1 && pNo == l2 && pEnd == c2)
                                          return false; // the selection itself
                                      nl1 = oNo, nc1 = c, nl2 = pNo, nc2 = pEnd;
                                      return true;
                                  });
    if (!found) {
        l1 = 1, c1 = 0;
        l2 = file->nLines + 1, c2 = 0;
        return 0;
    }
    l1 = nl1, c1 = nc1, l2 = nl2, c2 = nc2;
    return 1;
}
