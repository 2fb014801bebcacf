// tests/buffer/test_search.cc: the three pattern dialects, searching both ways through Files
// whose lines live in the temp file or in memory, and a cross-check against a plain reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "buffer/file.h"
#include "buffer/search.h"
#include "buffer/search_pat.h"
#include "test_search_util.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/longwork.h"
#include "toolkit/toolkit.h"

namespace {

// "L:C-L:C" for a match, "none", or "error".
std::string Find(File* f, const std::string& pat, int flags, int dir = 1, int64_t line = 1,
                 int col = 0, int fromEdge = 0) {
    int64_t endLine = -7;
    int endCol = -7;
    int rc = FileFind(f, nullptr, 0, line, col, endLine, endCol, dir, fromEdge, pat.data(),
                      (int)pat.size(), flags);
    if (rc < 0) return "error";
    if (rc == 0) return "none";
    return std::to_string(line) + ":" + std::to_string(col) + "-" + std::to_string(endLine) + ":" +
           std::to_string(endCol);
}

struct Case {
    const char* text;
    const char* pattern;
    int flags;
    int dir;
    const char* want;
};

void RunCases(const SearchTestDir& dir, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        // The same text from disk (temp-file lines) and from memory (instantiated lines).
        File* disk = dir.load(c.text);
        File* mem = FileFString(nullptr, c.text, (int64_t)strlen(c.text));
        for (File* f : {disk, mem}) {
            EXPECT_EQ(Find(f, c.pattern, c.flags, c.dir, 1, 0, 1), c.want)
                << "text '" << c.text << "' pattern '" << c.pattern << "' flags " << c.flags
                << " dir " << c.dir << (f == disk ? " (disk)" : " (memory)");
        }
        FileFree(disk);
        FileFree(mem);
    }
}

TEST(Search, PlainPatterns) {
    SearchTestDir dir;
    RunCases(dir, {
        {"xx ABC abc\n", "abc", 0, 1, "1:3-1:6"},         // case-blind finds ABC
        {"xx ABC abc\n", "abc", SF_EXACT, 1, "1:7-1:10"}, // exact case does not
        {"xx ABC abc\n", "ABC", SF_EXACT, -1, "1:3-1:6"},
        {"one\ntwo x\ny three\n", "x\ny", 0, 1, "2:4-3:1"},   // a line ending in x, next starts y
        {"x y\nyx\ny\n", "x\ny", 0, 1, "2:1-3:1"},            // x must end its line
        {"x y\nyx\ny\n", "x\ny", 0, -1, "2:1-3:1"},
        {"ab\ncd\nef\n", "b\ncd\ne", 0, 1, "1:1-3:1"},        // a whole middle line
        {"ab\ncdX\nef\n", "b\ncd\ne", 0, 1, "none"},
        {"abc\n", "c\n", 0, 1, "1:2-2:0"},                   // the last line's end counts
        {"then the\n", "the", SF_WORDSTART | SF_WORDEND, 1, "1:5-1:8"},
        {"the then\n", "the", SF_WORDSTART | SF_WORDEND, -1, "1:0-1:3"},
        {"xab\nab\n", "ab", SF_COL0, 1, "2:0-2:2"},
        {"abx\nab\n", "ab", SF_EOL, 1, "2:0-2:2"},
        {"", "a", 0, 1, "none"},
    });
}

TEST(Search, BinaryBytesAndLongLines) {
    SearchTestDir dir;
    std::string text("ab\0cd\n\0\0\xff\xfe zz\n", 14);
    File* f = dir.load(text);
    EXPECT_EQ(Find(f, std::string("\0cd", 3), 0), "1:2-1:5");
    EXPECT_EQ(Find(f, "\xff\xfe", SF_EXACT, -1, 2, 6), "2:2-2:4");
    EXPECT_EQ(Find(f, std::string("\0.", 2), SF_REGEX), "1:2-1:4");
    FileFree(f);
    // a 3 MB line with the word near its end, beyond many cache windows
    std::string big(3 << 20, 'q');
    big.replace(big.size() - 10, 6, "needle");
    f = dir.load("head\n" + big + "\ntail\n");
    EXPECT_EQ(Find(f, "NEEDLE", 0), "2:3145718-2:3145724");
    EXPECT_EQ(Find(f, "NEEDLE", 0, -1, 3, 4), "2:3145718-2:3145724");
    EXPECT_EQ(Find(f, "ne.dle", SF_REGEX), "2:3145718-2:3145724");
    EXPECT_EQ(Find(f, "ne?dle", SF_WILD, -1, 3, 4), "2:3145718-2:3145724");
    FileFree(f);
}

TEST(Search, RegularExpressions) {
    SearchTestDir dir;
    RunCases(dir, {
        {"xx abc\n", "a.c", SF_REGEX, 1, "1:3-1:6"},
        {"xa\nc abd\n", "a.c", SF_REGEX, 1, "none"}, // '.' never takes the line end
        {"then the\n", "<th(e)>", SF_REGEX, 1, "1:5-1:8"},
        {"the then\n", "<th(e)>", SF_REGEX, -1, "1:0-1:3"},
        {"then\n", "<th(e)>", SF_REGEX, -1, "none"},
        {"the <the>\n", "<the>", SF_REGEX, 1, "1:4-1:9"}, // no special byte: plain text
        {"a b)\n", "b)", SF_REGEX, 1, "1:2-1:4"},
        {"aab\n", "a*ab", SF_REGEX, 1, "1:0-1:3"},   // resumes with one repetition
        {"aab\n", "a*aab", SF_REGEX, 1, "none"},     // zero only when the first one fails
        {"xb\n", "a*b", SF_REGEX, 1, "1:1-1:2"},
        {"abcabd\n", "(abc)*abd", SF_REGEX, 1, "1:0-1:6"},
        {"abd\n", "(abc)*abd", SF_REGEX, 1, "1:0-1:3"},
        {"xyz\n", "a|y|z", SF_REGEX, 1, "1:1-1:2"},
        {"ab\n", "(a|ab)b", SF_REGEX, 1, "1:0-1:2"},
        {"abc\n", "(a|ab)c", SF_REGEX, 1, "none"},   // no return into a matched alternative
        {"abc\n", "(ab|a)c", SF_REGEX, 1, "1:0-1:3"},
        {"ab12c\n", "[0-9][0-9]*", SF_REGEX, 1, "1:2-1:4"},
        {"a]b\n", "[]]", SF_REGEX, 1, "1:1-1:2"},     // ']' first in a set is a member
        {"abc\n", "[^ab]", SF_REGEX, 1, "1:2-1:3"},
        {"ABC\n", "[^ab]", SF_REGEX, 1, "1:2-1:3"},   // case-blind sets fold too
        {"ABC\n", "[a-b]*c", SF_REGEX | SF_EXACT, 1, "none"},
        {"a.b\n", "\\.", SF_REGEX, 1, "1:1-1:2"},
        {"xA\n", "\\a", SF_REGEX, 1, "1:1-1:2"},     // escaped letters still fold
        {"ab\nab\n", "^ab$", SF_REGEX, -1, "2:0-2:2"},
        {"xab\nabx\nab\n", "^ab$", SF_REGEX, 1, "3:0-3:2"},
        {"x\n\ny\n", "^$", SF_REGEX, 1, "2:0-2:0"},
        {"x\nab\ncd\n", "b\nc", SF_REGEX, 1, "2:1-3:1"},  // plain after all: no specials
        {"x\nab\ncd\n", "b.*\nc.", SF_REGEX, 1, "2:1-3:2"},
        {"a$b\n", "a\\$", SF_REGEX, 1, "1:0-1:2"},      // an escaped '$' is no anchor
        {"xa\nbc\n", "(a\n)b", SF_REGEX, 1, "1:1-2:1"},
        {"ab\nab\n", "^b|a", SF_REGEX, 1, "1:0-1:1"},
    });
}

TEST(Search, WildcardPatterns) {
    SearchTestDir dir;
    RunCases(dir, {
        {"foo.c bar.h\n", "*.h", SF_WILD, 1, "1:0-1:11"},
        {"foo.c bar.h\n", "b*.h", SF_WILD, 1, "1:6-1:11"},
        {"foo.c bar.h\n", "b?r", SF_WILD, 1, "1:6-1:9"},
        {"foo.c bar.h\n", "o*", SF_WILD, 1, "1:1-1:11"},  // a final '*' runs to the line end
        {"ab\ncd\n", "a*d", SF_WILD, 1, "none"},          // '*' stays on its line
        {"ab\ncd\n", "a*\nc", SF_WILD, 1, "1:0-2:1"},
        {"axb\naxxb\n", "x?b", SF_WILD, -1, "2:1-2:4"},
        {"is this\n", "is", SF_WILD | SF_WORDSTART, 1, "1:0-1:2"},
    });
}

TEST(Search, StartPositionsAndEdges) {
    SearchTestDir dir;
    File* f = dir.load("abc abc\nabc\n");
    EXPECT_EQ(Find(f, "abc", 0, 1, 1, 1), "1:4-1:7");
    EXPECT_EQ(Find(f, "abc", 0, 1, 1, 9), "2:0-2:3");   // a column past the line end
    EXPECT_EQ(Find(f, "abc", 0, 1, 1, 0, 1), "1:0-1:3"); // from the top
    EXPECT_EQ(Find(f, "abc", 0, 1, 99, 0), "none");      // beyond the File: its end
    EXPECT_EQ(Find(f, "abc", 0, -1, 99, 0), "2:0-2:3");
    EXPECT_EQ(Find(f, "abc", 0, -1, 2, 0, 1), "2:0-2:3"); // from the bottom
    // backward from a cursor: matches starting up to the pattern's length before it
    EXPECT_EQ(Find(f, "abc", 0, -1, 1, 3), "1:0-1:3");
    EXPECT_EQ(Find(f, "abc", 0, -1, 1, 5), "1:0-1:3");
    EXPECT_EQ(Find(f, "abc", 0, -1, 1, 6), "1:4-1:7");
    EXPECT_EQ(Find(f, "abc", 0, -1, 2, 1), "1:4-1:7");
    FileFree(f);
}

TEST(Search, MatchesHereReportsExtent) {
    SearchTestDir dir;
    File* f = dir.load("xx ab\ncd yy\nab ab\n");
    int lineEnds = -1, end = -1;
    Line* l1 = f->first;
    EXPECT_EQ(FMatchesHere(f, l1, 0, "b\ncd", 4, lineEnds, end, 0), 4);
    EXPECT_EQ(lineEnds, 1);
    EXPECT_EQ(end, 2);
    EXPECT_EQ(FMatchesHere(f, l1, 0, "x*", 2, lineEnds, end, SF_REGEX), 0);
    EXPECT_EQ(lineEnds, 0);
    EXPECT_EQ(end, 2);
    EXPECT_EQ(FMatchesHere(f, l1, 6, "a", 1, lineEnds, end, 0), -1); // outside the line
    EXPECT_EQ(FMatchesHere(f, l1, 0, "", 0, lineEnds, end, 0), -1);
    Line* l3 = l1->next->next;
    EXPECT_EQ(BMatchesHere(f, l3, 5, "ab", 2, lineEnds, end, 0), 3);
    EXPECT_EQ(BMatchesHere(f, l3, 2, "ab", 2, lineEnds, end, 0), 0);
    EXPECT_EQ(BMatchesHere(f, l3, 5, "ab", 2, lineEnds, end, SF_COL0), 0);
    FileFree(f);
}

TEST(Search, MalformedExpressionReportedOnce) {
    SearchTestDir dir;
    File* f = dir.load(std::string(100000, 'a') + "\nab)\n");
    ErrorCapture errors;
    EXPECT_EQ(Find(f, "a*b)", SF_REGEX), "error");
    ASSERT_EQ(ErrorCapture::texts().size(), 1u);
    EXPECT_EQ(ErrorCapture::texts()[0], "Badly formed regular expression: No '('\n");
    Line* err = nullptr;
    int64_t line = 1, endLine = 0;
    int col = 0, endCol = 0;
    err = FilexFind(f, nullptr, 0, line, col, endLine, endCol, -1, 1, "(a|b))", 6, SF_REGEX);
    EXPECT_EQ(err, FindErrorLine());
    int lineEnds, end;
    EXPECT_EQ(FMatchesHere(f, f->first, 0, "a*)", 3, lineEnds, end, SF_REGEX), -2);
    // other malformed shapes get their own message and never a crash
    for (const std::string& bad : {std::string("(ab"), std::string("[ab"), std::string("a["),
                                   std::string(300, '(')})
        EXPECT_EQ(Find(f, bad, SF_REGEX), "error") << bad;
    EXPECT_EQ(ErrorCapture::texts().size(), 7u);
    EXPECT_EQ(ErrorCapture::texts()[3], "Badly formed regular expression: No ')'\n");
    FileFree(f);
}

TEST(Search, ResumePointLimit) {
    SearchTestDir dir;
    // 200 repetitions fit; with 201 the attempt at column 0 fails and column 1 matches
    File* f = dir.load(std::string(200, 'a') + "b\n" + std::string(201, 'a') + "b\n");
    EXPECT_EQ(Find(f, "a*b", SF_REGEX), "1:0-1:201");
    EXPECT_EQ(Find(f, "a*b", SF_REGEX, 1, 2, 0), "2:1-2:202");
    FileFree(f);
    // stars that would multiply their resume points end instead of running for hours
    std::string as(150, 'a');
    f = dir.load(as + "\n" + as + "\n" + as + "c\n");
    EXPECT_EQ(Find(f, "a*a*a*a*a*a*[cd]", SF_REGEX), "3:0-3:151");
    FileFree(f);
}

// A clock that moves a second each time it is read: every check of a long-work scope is then
// past its quiet time and shows progress, so the shows count the checks.
long tickSec = 1000;
void tickingClock(long* s, int* ms) {
    *s = ++tickSec;
    *ms = 0;
}
int shows;
int escapeAt;
struct CountShows : WProgressView {
    bool hasWindow() override { return true; }
    void show(const char* text) override {
        if (!text) return;
        if (++shows == escapeAt) {
            WEvent esc;
            esc.kind = WE_KEY;
            esc.key = WK_ESCAPE;
            esc.window = nullptr;
            WHeadlessPost(esc);
        }
    }
} countShows;

TEST(Search, EscapeStopsALongSearchCheckedOncePerCacheFull) {
    if (!wBackend) {
        wRequestedBackend = WB_HEADLESS;
        ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
    }
    SearchTestDir dir;
    std::string text;
    for (int i = 0; i < 40000; i++) text += "line " + std::to_string(i) + " of filler text\n";
    File* f = dir.load(text);
    wClock = tickingClock;
    wProgressView.install(&countShows);
    shows = 0;
    escapeAt = 1 << 30;
    EXPECT_EQ(Find(f, "nowhere", 0), "none");
    int64_t perCheck = f->cacheAlloc;
    EXPECT_GE(shows, (int)(text.size() / (2 * perCheck)));
    EXPECT_LE(shows, (int)(text.size() / perCheck) + 1);
    shows = 0;
    EXPECT_EQ(Find(f, "now.here", SF_REGEX, -1, 40000, 0), "none");
    EXPECT_LE(shows, (int)(text.size() / perCheck) + 1);
    // an abort ends the search with -1 and leaves the positions alone
    shows = 0;
    escapeAt = 3;
    int64_t line = 5, endLine = 0;
    int col = 2, endCol = 0;
    EXPECT_EQ(FileFind(f, nullptr, 0, line, col, endLine, endCol, 1, 0, "nowhere", 7, 0), -1);
    EXPECT_EQ(shows, 3);
    EXPECT_EQ(line, 5);
    EXPECT_EQ(col, 2);
    wProgressView.install(nullptr);
    wClock = WSystemClock;
    FileFree(f);
}

TEST(Search, EscapeStopsASearchInsideOneLongLine) {
    if (!wBackend) {
        wRequestedBackend = WB_HEADLESS;
        ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
    }
    // One line where every column starts an attempt that runs on far: the checks must come
    // from inside the line, not only between lines.
    SearchTestDir dir;
    File* f = dir.load(std::string(4 << 20, 'a') + "\n");
    wClock = tickingClock;
    wProgressView.install(&countShows);
    for (auto [pattern, flags] : {std::pair<const char*, int>{"a*b", SF_WILD},
                                  {"a*[bc]", SF_REGEX}, {"(a|aa)*.*[bc]", SF_REGEX}}) {
        shows = 0;
        escapeAt = 3;
        EXPECT_EQ(Find(f, pattern, flags), "error") << pattern;
        EXPECT_EQ(shows, 3) << pattern;
    }
    wProgressView.install(nullptr);
    wClock = WSystemClock;
    FileFree(f);
}

// ---- randomized cross-check against a straightforward matcher ----

struct RefText {
    std::vector<std::string> lines;
};

bool RefEq(char a, char b, bool fold) {
    if (fold) {
        a = (char)tolower((unsigned char)a);
        b = (char)tolower((unsigned char)b);
    }
    return a == b;
}

// Line ln + 1 exists for a match continuing past the line end of ln; after the last line
// there is one empty line without an end.
bool RefNextLine(const RefText& t, size_t ln) { return ln < t.lines.size(); }
int RefLen(const RefText& t, size_t ln) { return ln < t.lines.size() ? (int)t.lines[ln].size() : 0; }

// Wildcards: every run for every '*', shortest first, the first success wins.
bool RefWild(const RefText& t, const std::string& p, size_t pi, size_t ln, int col, bool fold,
             size_t& endLn, int& endCol) {
    if (pi == p.size()) {
        endLn = ln, endCol = col;
        return true;
    }
    int len = RefLen(t, ln);
    char c = p[pi];
    if (c == '*') {
        if (pi + 1 == p.size()) {
            endLn = ln, endCol = len;
            return true;
        }
        for (int k = col; k <= len; k++)
            if (RefWild(t, p, pi + 1, ln, k, fold, endLn, endCol)) return true;
        return false;
    }
    if (c == '\n')
        return col == len && RefNextLine(t, ln) && RefWild(t, p, pi + 1, ln + 1, 0, fold, endLn, endCol);
    if (col >= len) return false;
    if (c != '?' && !RefEq(t.lines[ln][col], c, fold)) return false;
    return RefWild(t, p, pi + 1, ln, col + 1, fold, endLn, endCol);
}

// Plain: the bytes in order, a line end in the pattern meeting a line end of the text.
bool RefPlain(const RefText& t, const std::string& p, size_t ln, int col, bool fold,
              size_t& endLn, int& endCol) {
    for (char c : p) {
        int len = RefLen(t, ln);
        if (c == '\n') {
            if (col != len || !RefNextLine(t, ln)) return false;
            ln++, col = 0;
        } else {
            if (col >= len || !RefEq(t.lines[ln][col], c, fold)) return false;
            col++;
        }
    }
    endLn = ln, endCol = col;
    return true;
}

struct RefMatch {
    int64_t line;
    int col;
    int64_t endLine;
    int endCol;
    bool operator==(const RefMatch&) const = default;
};

std::vector<RefMatch> RefAll(const RefText& t, const std::string& p, bool wild, bool fold) {
    std::vector<RefMatch> out;
    for (size_t ln = 0; ln < t.lines.size(); ln++) {
        int len = (int)t.lines[ln].size();
        int lastStart = wild ? std::max(len - 1, 0) : len;
        for (int c = 0; c <= lastStart; c++) {
            size_t eL;
            int eC;
            if (wild ? RefWild(t, p, 0, ln, c, fold, eL, eC) : RefPlain(t, p, ln, c, fold, eL, eC))
                out.push_back(RefMatch{(int64_t)ln + 1, c, (int64_t)eL + 1, eC});
        }
    }
    return out;
}

std::string Describe(const RefMatch& m) {
    return std::to_string(m.line) + ":" + std::to_string(m.col) + "-" + std::to_string(m.endLine) +
           ":" + std::to_string(m.endCol);
}

TEST(Search, RandomPatternsAgreeWithReference) {
    SearchTestDir dir;
    std::mt19937 rng(20261206);
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    const std::string textBytes("aabbAB \0x", 9);
    int patterns = 0;
    size_t matches = 0;
    for (int round = 0; round < 40; round++) {
        RefText t;
        std::string bytes;
        // a few large texts: blocks through the File's cache and through the search's own
        // read windows, and lines that straddle them
        bool big = round % 10 == 9;
        int nLines = big ? 150000 : round % 8 == 0 ? 2500 : 1 + pick(60);
        for (int i = 0; i < nLines; i++) {
            int len = pick(10) == 0 ? pick(150) : pick(9);
            std::string s;
            for (int k = 0; k < len; k++) s += textBytes[(size_t)pick((int)textBytes.size())];
            t.lines.push_back(s);
            bytes += s + "\n";
        }
        File* f = dir.load(bytes);
        ASSERT_EQ(f->nLines, nLines);
        // some lines in memory, so that the search meets both kinds
        if (round % 2)
            for (Line* l = f->first; l; l = l->next)
                if (pick(7) == 0) FileInstanciateLine(f, l);
        for (int k = 0; k < (big ? 6 : 70); k++, patterns++) {
            bool wild = k % 2;
            bool fold = pick(2);
            std::string p;
            int plen = big ? 4 + pick(3) : 1 + pick(4);
            const std::string patBytes = wild ? "abAB?*\n x" : "abAB\n x";
            for (int i = 0; i < plen; i++) p += patBytes[(size_t)pick((int)patBytes.size())];
            int flags = (wild ? SF_WILD : 0) | (fold ? 0 : SF_EXACT);
            bool reallyWild = wild && p.find_first_of("*?") != std::string::npos;
            std::vector<RefMatch> want = RefAll(t, p, reallyWild, fold);
            std::string ctx = "pattern '" + p + "' flags " + std::to_string(flags) + " round " +
                              std::to_string(round);
            // forward: every match in order, each search starting one column after the last
            std::vector<RefMatch> got;
            Line* hint = nullptr;
            int64_t hintNo = 0, line = 1, endLine;
            int col = 0, endCol;
            for (;;) {
                Line* l = FilexFind(f, hint, hintNo, line, col, endLine, endCol, 1, 0, p.data(),
                                    (int)p.size(), flags);
                ASSERT_NE(l, FindErrorLine()) << ctx;
                if (!l) break;
                got.push_back(RefMatch{line, col, endLine, endCol});
                ASSERT_LE(got.size(), want.size()) << ctx << " extra " << Describe(got.back());
                hint = l, hintNo = line;
                col++;
            }
            ASSERT_EQ(got, want) << ctx;
            matches += got.size();
            // backward: the same matches from the end
            got.clear();
            line = f->nLines;
            col = f->last->len + (int)p.size() - 1;
            hint = nullptr;
            for (;;) {
                Line* l = FilexFind(f, hint, hintNo, line, col, endLine, endCol, -1, 0, p.data(),
                                    (int)p.size(), flags);
                ASSERT_NE(l, FindErrorLine()) << ctx;
                if (!l) break;
                got.push_back(RefMatch{line, col, endLine, endCol});
                ASSERT_LE(got.size(), want.size()) << ctx << " extra " << Describe(got.back());
                hint = l, hintNo = line;
                col = col - 1 + (int)p.size() - 1; // the next search starts one column back
            }
            std::reverse(got.begin(), got.end());
            ASSERT_EQ(got, want) << ctx;
        }
        FileFree(f);
    }
    EXPECT_GE(patterns, 2000);
    EXPECT_GE(matches, 100000);
}

// ---- regular expressions against the plain backtracking matcher ----

// The matcher as it was before its memo and alternative index: every state run afresh. The
// faster one must give the same answers.
struct RefRx {
    const SearchPat& pat;
    const RefText& t;
    std::vector<std::pair<size_t, int>> points;
    long steps = 0;
    bool overflow = false;
    bool stepLimited = false; // an attempt gave up after too many steps
    using P = std::pair<size_t, int>;
    bool Atom(const RxNode& nd, P p, P& next) {
        if (++steps > rxMaxSteps) return !(overflow = true);
        int len = RefLen(t, p.first);
        auto byte = [&] { return (unsigned char)t.lines[p.first][(size_t)p.second]; };
        switch (nd.kind) {
        case RX_CHAR:
            if (p.second >= len || !RefEq((char)byte(), (char)nd.ch, pat.fold)) return false;
            break;
        case RX_ANY:
            if (p.second >= len) return false;
            break;
        case RX_SET:
            if (p.second >= len || !pat.sets[nd.index][byte()]) return false;
            break;
        case RX_EOL:
            if (p.second != len || !RefNextLine(t, p.first)) return false;
            next = P{p.first + 1, 0};
            return true;
        case RX_GROUP: {
            size_t kept = points.size();
            for (const RxAlt& a : pat.groups[nd.index].alts) {
                if (Seq(a, 0, p, next)) {
                    points.resize(kept);
                    return true;
                }
                if (overflow) return false;
            }
            return false;
        }
        }
        next = P{p.first, p.second + 1};
        return true;
    }
    bool Seq(const RxAlt& a, size_t i, P p, P& end) {
        for (; i < a.nodes.size(); i++) {
            const RxNode& nd = a.nodes[i];
            P next;
            if (!nd.star) {
                if (!Atom(nd, p, next)) return false;
                p = next;
                continue;
            }
            size_t base = points.size();
            P at = p;
            while (Atom(nd, at, next)) {
                if (next == at) break;
                if ((int)points.size() >= rxMaxResumePoints) overflow = true;
                if (overflow) return false;
                points.push_back(next);
                at = next;
            }
            if (overflow) return false;
            if (points.size() == base) continue;
            while (points.size() > base) {
                if (Seq(a, i + 1, points.back(), end)) return true;
                if (overflow) return false;
                points.pop_back();
            }
            return false;
        }
        end = p;
        return true;
    }
    // The first accepted start at or after col on line ln: its column and end, or -1.
    int First(size_t ln, int col, P& end) {
        int len = RefLen(t, ln);
        for (int c = col; c <= std::max(len - 1, 0); c++) {
            if ((pat.flags & SF_COL0) && c != 0) continue;
            if ((pat.flags & SF_WORDSTART) && c > 0 &&
                SearchIsWordByte((unsigned char)t.lines[ln][(size_t)c - 1]))
                continue;
            points.clear();
            steps = 0;
            overflow = false;
            if (!Atom(RxNode{RX_GROUP, false, 0, 0}, P{ln, c}, end)) {
                if (steps > rxMaxSteps) stepLimited = true;
                continue;
            }
            int endLen = RefLen(t, end.first);
            if ((pat.flags & SF_EOL) && end.second != endLen) continue;
            if ((pat.flags & SF_WORDEND) && end.second < endLen &&
                SearchIsWordByte((unsigned char)t.lines[end.first][(size_t)end.second]))
                continue;
            return c;
        }
        return -1;
    }
};

TEST(Search, RandomExpressionsAgreeWithPlainBacktracking) {
    SearchTestDir dir;
    std::mt19937 rng(20261207);
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    const std::string atoms[] = {"a", "b", "A", ".", "[ab]", "[^a]", "\\*", "\n", " ", "w"};
    int compared = 0, found = 0;
    for (int round = 0; round < 20; round++) {
        RefText t;
        std::string bytes;
        int nLines = 1 + pick(4);
        for (int i = 0; i < nLines; i++) {
            // long lines too, where the memo and the abort checks come into play
            int len = pick(3) == 0 ? 300 + pick(300) : pick(12);
            std::string s;
            for (int k = 0; k < len; k++) s += "aabbAw *"[pick(8)];
            // runs long enough for stars to come near the resume-point limit
            if (pick(2) == 0) s.insert((size_t)pick((int)s.size() + 1), std::string(100 + pick(200), 'a'));
            t.lines.push_back(s);
            bytes += s + "\n";
        }
        File* f = dir.load(bytes);
        for (int k = 0; k < 40; k++) {
            // a random expression: atoms, stars, groups and alternations, nested a little
            std::function<std::string(int)> expr = [&](int depth) {
                std::string e;
                int n = 1 + pick(4);
                for (int i = 0; i < n; i++) {
                    if (depth < 2 && pick(4) == 0) {
                        std::string g = "(" + expr(depth + 1);
                        int alts = pick(3) == 0 ? 8 + pick(6) : pick(3);
                        for (int a = 0; a < alts; a++) g += "|" + expr(depth + 1);
                        e += g + ")";
                    } else {
                        e += atoms[pick(10)];
                    }
                    if (pick(3) == 0) e += "*";
                }
                return e;
            };
            std::string p = std::string(pick(4) == 0 ? "<" : pick(4) == 0 ? "^" : "") + expr(0) +
                            (pick(4) == 0 ? ">" : pick(4) == 0 ? "$" : "");
            int flags = SF_REGEX | (pick(2) ? SF_EXACT : 0);
            SearchPat pat;
            ASSERT_TRUE(SearchPatCompile(pat, p.data(), (int)p.size(), flags)) << p;
            if (pat.mode != PM_REGEX) continue;
            RefRx ref{pat, t, {}};
            Line* l = f->first;
            for (size_t ln = 0; ln < t.lines.size(); ln++, l = l->next) {
                int len = (int)t.lines[ln].size();
                for (int col = 0; col <= len; col += 1 + pick(80)) {
                    RefRx::P end;
                    ref.stepLimited = false;
                    int want = ref.First(ln, col, end);
                    // The old matcher gave up attempts after so many steps; the memo needs far
                    // fewer, so it may finish them. Only the resume-point limit is the dialect's.
                    if (ref.stepLimited) continue;
                    int lineEnds = -1, gotEnd = -1;
                    int got = FMatchesHere(f, l, col, p.data(), (int)p.size(), lineEnds, gotEnd, flags);
                    ASSERT_EQ(got, want) << "pattern '" << p << "' line " << ln + 1 << " col " << col;
                    compared++;
                    if (got < 0) continue;
                    found++;
                    ASSERT_EQ(lineEnds, (int)(end.first - ln)) << p;
                    ASSERT_EQ(gotEnd, end.first == ln ? end.second - got : end.second) << p;
                }
            }
        }
        FileFree(f);
    }
    EXPECT_GE(compared, 800);
    EXPECT_GE(found, 150);
}

} // namespace
