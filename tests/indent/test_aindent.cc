// tests/indent/test_aindent.cc: the indenter alone: hostile input never breaks it, a clone
// goes on exactly as the engine it was taken from (the File's checkpoint relies on that), and
// which lines parsing may start at.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "indent/aindent.h"

namespace {

std::vector<int> feed(AIndentEngine* e, const std::vector<std::string>& lines) {
    std::vector<int> wishes;
    for (size_t i = 0; i < lines.size(); i++) {
        const std::string& l = lines[i];
        wishes.push_back(AIndent_GetIndentColumn(e, l.data(), (int)l.size(), 4, 8, (int64_t)i + 1));
        AIndent_ParseLine(e, l.data(), (int)l.size(), 4, 8, (int64_t)i + 1);
    }
    return wishes;
}

TEST(AIndent, HostileLinesNeitherCrashNorLoseTheStack) {
    std::mt19937 rng(7);
    const char pieces[] = "{}()[]<>;:?#\"'\\/*-=\n\r\t ,.@";
    for (int language : {AI_LANG_C, AI_LANG_ADA, AI_LANG_CPP, AI_LANG_JAVA}) {
        AIndentEngine* e = AIndent_New(language);
        ASSERT_NE(e, nullptr);
        std::vector<std::string> lines;
        for (int i = 0; i < 3000; i++) {
            std::string l;
            int n = (int)(rng() % 60);
            for (int k = 0; k < n; k++) {
                unsigned r = rng() % 4;
                if (r == 0) l += (char)(rng() % 256); // any byte, NUL included
                else if (r == 1) l += pieces[rng() % (sizeof pieces - 1)];
                else l += "if else end begin loop is #if #else #endif struct x"[rng() % 50];
            }
            lines.push_back(l);
        }
        lines.push_back(std::string(1 << 18, '(')); // a quarter megabyte of nesting on one line
        lines.push_back(std::string(1 << 16, '{'));
        for (int k = 0; k < 1000; k++) lines.push_back("#if X");
        lines.push_back("x;");
        for (int w : feed(e, lines)) {
            EXPECT_GE(w, -1);
            EXPECT_LT(w, 1 << 24);
        }
        // Still answering: an empty line gets some column.
        EXPECT_GE(AIndent_GetIndentColumn(e, "", 0, 4, 8, 5000), -1);
        AIndent_Delete(e);
    }
}

TEST(AIndent, ACloneGoesOnAsTheOriginal) {
    std::vector<std::string> head = {"int f(int a,", "      int b)", "{", "#ifdef X",
                                     "   if (a) {", "#else", "   if (b) {", "#endif",
                                     "      /* note", "       * more */", "      b++;"};
    std::vector<std::string> tail = {"a++;", "}", "switch (a) {", "case 1:", "b = {1,",
                                     "2};", "}", "}"};
    AIndentEngine* e = AIndent_New(AI_LANG_C);
    feed(e, head);
    AIndentEngine* copy = AIndent_Clone(e);
    std::vector<int> a = feed(e, tail);
    std::vector<int> b = feed(copy, tail);
    EXPECT_EQ(a, b);
    // The block's column as written (3 in from the if, not 4) carries over.
    EXPECT_EQ(a[0], 6);
    AIndent_Delete(e);
    AIndent_Delete(copy);
}

TEST(AIndent, WhereParsingMayStart) {
    auto begins = [](bool ada, const char* s) {
        return AIndent_ReallyBeginning(ada, s, (int)std::string(s).size());
    };
    EXPECT_TRUE(begins(false, "int main(void)"));
    EXPECT_TRUE(begins(false, "static int x = 3;"));
    EXPECT_FALSE(begins(false, "    x = 3;"));      // not at the margin
    EXPECT_FALSE(begins(false, "#define X 1"));     // a directive
    EXPECT_FALSE(begins(false, "out:"));            // a label at the margin
    EXPECT_FALSE(begins(false, "else"));
    EXPECT_FALSE(begins(false, "{"));
    EXPECT_TRUE(begins(true, "procedure P is"));
    EXPECT_FALSE(begins(true, "end P;"));
    EXPECT_FALSE(begins(true, "exception"));
    EXPECT_FALSE(begins(true, "private"));
}

} // namespace
