// tests/buffer/test_match.cc: partners of brackets, comments, quotes and #if keywords, and
// widening a selection to the enclosing pair.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "buffer/match.h"
#include "buffer/synhook.h"
#include "test_search_util.h"

namespace {

// "L:C-L:C" of the partner of the token at (line, col), or "none".
std::string Partner(File* f, int64_t line, int col, int maxBack = -1, bool fold = false) {
    int64_t endLine = 0;
    int endCol = 0;
    if (!FileMatchSelection(f, MInfoFFile(f), fold, line, col, endLine, endCol, nullptr, 0,
                            maxBack))
        return "none";
    return std::to_string(line) + ":" + std::to_string(col) + "-" + std::to_string(endLine) + ":" +
           std::to_string(endCol);
}

std::string Complete(File* f, int64_t l1, int c1, int64_t l2, int c2) {
    int rc = FileCompleteSelection(f, MInfoFFile(f), 0, l1, c1, l2, c2, nullptr, 0);
    return std::to_string(rc) + " " + std::to_string(l1) + ":" + std::to_string(c1) + "-" +
           std::to_string(l2) + ":" + std::to_string(c2);
}

TEST(Match, BracketsNestAndSkipCommentsAndStrings) {
    SearchTestDir dir;
    File* f = dir.load("int f() {\n"                  // 1
                       "    if (a) { b(\")\"); }\n"   // 2
                       "    /* } ( */ x[1];\n"        // 3
                       "    y(); // ) }\n"            // 4
                       "}\n",                         // 5
                       "m.c");
    EXPECT_EQ(Partner(f, 1, 8), "5:0-5:1");  // the outer brace, past the nested pair
    EXPECT_EQ(Partner(f, 1, 5), "1:6-1:7");
    EXPECT_EQ(Partner(f, 2, 14), "2:18-2:19"); // the ')' inside the string is skipped
    EXPECT_EQ(Partner(f, 5, 0), "1:8-1:9");  // a closer finds its opener backward
    EXPECT_EQ(Partner(f, 2, 21), "2:11-2:12");
    EXPECT_EQ(Partner(f, 3, 15), "3:17-3:18");
    EXPECT_EQ(Partner(f, 3, 4), "3:11-3:13");  // comments run to the first */
    EXPECT_EQ(Partner(f, 4, 9), "4:15-4:15"); // // runs to the end of its line
    EXPECT_EQ(Partner(f, 2, 10), "2:21-2:22"); // on a blank: the token after it
    EXPECT_EQ(Partner(f, 3, 17), "3:15-3:16");
    EXPECT_EQ(Partner(f, 2, 0), "none");      // 'if' is no token of the table
    EXPECT_EQ(Partner(f, 5, 0, 2), "none"); // only two lines back
    FileFree(f);
}

TEST(Match, CommentsDoNotNest) {
    SearchTestDir dir;
    File* f = dir.load("a /* b /* c */ d */\n", "c.c");
    EXPECT_EQ(Partner(f, 1, 2), "1:12-1:14");
    FileFree(f);
}

TEST(Match, ConditionalCompilation) {
    SearchTestDir dir;
    File* f = dir.load("#ifdef A\n"       // 1
                       "#  if B\n"        // 2
                       "{\n"              // 3
                       "#endif\n"         // 4
                       "#ifndef C\n"      // 5
                       "# endif\n"        // 6
                       "#endif /* A */\n" // 7
                       "#ifx\n",          // 8
                       "cpp.c");
    EXPECT_EQ(Partner(f, 1, 0), "7:0-7:6");
    EXPECT_EQ(Partner(f, 2, 0), "4:0-4:6"); // blanks between '#' and the word
    EXPECT_EQ(Partner(f, 7, 3), "1:0-1:6"); // inside the word: from the '#' before it
    EXPECT_EQ(Partner(f, 6, 0), "5:0-5:7");
    EXPECT_EQ(Partner(f, 8, 0), "none");    // #ifx is no #if
    EXPECT_EQ(Partner(f, 3, 0), "none");    // braces do not see the #endif lines
    FileFree(f);
}

// Colouring that knows one language, Pascal, for names ending in ".pas".
struct PascalOnly final : FileColouring {
    void setLineState(File*, Line*) override {}
    const Language* languageOf(const char* name) override {
        size_t n = strlen(name);
        return n > 4 && strcmp(name + n - 4, ".pas") == 0 ? pascal : nullptr;
    }
    LanguageId languageId(const Language* l) override { return l == pascal ? LANG_PASCAL : LANG_C; }
    const Language* pascal = reinterpret_cast<const Language*>(this);
};

TEST(Match, PascalKeywordsFoldCase) {
    SearchTestDir dir;
    PascalOnly colouring;
    fileColouring.install(&colouring);
    File* f = dir.load("BEGIN x := 'end'; (* end } begin Endless end\nEnd;\n", "p.pas");
    EXPECT_EQ(MInfoFFile(f), &pascalMatchInfo);
    EXPECT_EQ(Partner(f, 1, 0, -1, true), "2:0-2:3"); // past quotes, comments, Endless
    EXPECT_EQ(Partner(f, 1, 0, -1, false), "none");
    EXPECT_EQ(Partner(f, 1, 18, -1, true), "1:25-1:26"); // (* closes with }
    EXPECT_EQ(Partner(f, 2, 1, -1, true), "1:0-1:5");
    File* c = dir.load("begin end\n", "p.c");
    EXPECT_EQ(MInfoFFile(c), &defaultMatchInfo);
    fileColouring.install(nullptr);
    EXPECT_EQ(MInfoFFile(f), &defaultMatchInfo);
    FileFree(c);
    FileFree(f);
}

TEST(Match, QuotesAndOddQuotes) {
    SearchTestDir dir;
    File* f = dir.load("s(\"a\\\"b\", '\"', c)\n", "q.c");
    EXPECT_EQ(Partner(f, 1, 2), "1:7-1:8"); // the escaped quote is skipped
    EXPECT_EQ(Partner(f, 1, 1), "none");    // the lone '"' in quotes opens a string
    debugFlag[XSW_UGLYHACKODDQUOTES] = 1;
    EXPECT_EQ(Partner(f, 1, 1), "1:16-1:17");
    debugFlag[XSW_UGLYHACKODDQUOTES] = 0;
    FileFree(f);
}

TEST(Match, MatchableTokens) {
    SearchTestDir dir;
    File* f = dir.load("x\n", "t.c");
    EXPECT_TRUE(FileMatchable(f, "a(b", 1));
    EXPECT_TRUE(FileMatchable(f, "*/", 0));
    EXPECT_TRUE(FileMatchable(f, "# endif", 0));
    EXPECT_FALSE(FileMatchable(f, "a(b", 0));
    EXPECT_FALSE(FileMatchable(f, "a(b", 7));
    FileFree(f);
}

TEST(Match, CompleteSelectionWidensOutward) {
    SearchTestDir dir;
    File* f = dir.load("x;\n{ a = f(b, c); }\n", "w.c");
    EXPECT_EQ(Complete(f, 2, 11, 2, 12), "1 2:7-2:13"); // inside f(...)
    EXPECT_EQ(Complete(f, 2, 7, 2, 13), "1 2:0-2:16");  // the pair itself: the next one out
    EXPECT_EQ(Complete(f, 2, 0, 2, 16), "0 1:0-3:0");   // nothing encloses the braces
    EXPECT_EQ(Complete(f, 1, 0, 1, 1), "0 1:0-3:0");
    FileFree(f);
}

TEST(Match, DeepNestingAndUnbalancedText) {
    SearchTestDir dir;
    std::string deep(200000, '(');
    File* f = dir.load(deep + "\n" + std::string(200000, ')') + "\n", "d.c");
    EXPECT_EQ(Partner(f, 1, 0), "2:199999-2:200000");
    EXPECT_EQ(Partner(f, 1, 199999), "2:0-2:1");
    FileFree(f);
    f = dir.load("((( [ \n", "u.c");
    EXPECT_EQ(Partner(f, 1, 0), "none");
    FileFree(f);
}

} // namespace
