// tests/editor/test_errnav.cc: reading file names and lines out of compiler, make and grep
// output.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "editor/errnav.h"

namespace {

struct ErrorLines : ::testing::Test {
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/qe-errnav-XXXXXX";
        dir = mkdtemp(tmpl);
        mkdir((dir + "/sub").c_str(), 0700);
        for (const char* f : {"foo.c", "sub/bar.h", "x.y-z_1+2.cc"}) {
            FILE* fp = fopen((dir + "/" + f).c_str(), "w");
            fputs("text\n", fp);
            fclose(fp);
        }
        ASSERT_EQ(chdir(dir.c_str()), 0);
    }
    void TearDown() override {
        for (const char* f : {"foo.c", "sub/bar.h", "x.y-z_1+2.cc"}) unlink((dir + "/" + f).c_str());
        rmdir((dir + "/sub").c_str());
        rmdir(dir.c_str());
    }
};

TEST_F(ErrorLines, TheMessageFormatsOfCompilersMakeAndGrep) {
    struct Case {
        const char* text;
        const char* listDir;
        int kind;
        const char* file;
        long long line;
    } cases[] = {
        {"foo.c:12:5: error: 'y' undeclared", "", ERR_LINE_POSITION, "foo.c", 12},
        {"foo.c:12: oops", "", ERR_LINE_POSITION, "foo.c", 12},
        {"\"foo.c\", line 12: syntax error", "", ERR_LINE_POSITION, "foo.c", 12},
        {"\"foo.c\", lines 12-14: range", "", ERR_LINE_POSITION, "foo.c", 12},
        {"\"foo.c\", line 12 no colon", "", ERR_LINE_POSITION, "foo.c", 12}, // read as words
        {"In file included from sub/bar.h:3,", "", ERR_LINE_POSITION, "sub/bar.h", 3},
        {"bar.h:7:1: warning: here", "sub", ERR_LINE_POSITION, "sub/bar.h", 7},
        {"x.y-z_1+2.cc:9:text", "", ERR_LINE_POSITION, "x.y-z_1+2.cc", 9},
        {"gone.c:12: no such file", "", ERR_LINE_NONE, "", -1},
        {"foo.c: In function 'main':", "", ERR_LINE_NONE, "", -1},
        {"make: *** [Makefile:4: foo.o] Error 1", "", ERR_LINE_NONE, "", -1},
        {"    3 |     return y;", "", ERR_LINE_NONE, "", -1},
        {"cc -c foo.c:12x", "", ERR_LINE_NONE, "", -1}, // 12x is no number
        {"gcc version 12 Copyright (C) 2022 foo.c:1:", "", ERR_LINE_NO_INFO, "", -1},
        {"ld.so: foo.c:1:", "", ERR_LINE_NO_INFO, "", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ErrorPos pos;
        int kind = ErrorParseLine(c.text, 1000, c.listDir, pos);
        EXPECT_EQ(kind, c.kind);
        if (kind != ERR_LINE_POSITION) continue;
        EXPECT_EQ(pos.file, c.file);
        EXPECT_EQ(pos.line, c.line);
    }
}

TEST_F(ErrorLines, CharacterOffsetsChaptersAndDriveLetters) {
    ErrorPos pos;
    EXPECT_EQ(ErrorParseLine("\"foo.c\", char 40. bad", 0, "", pos), ERR_LINE_CHAR);
    EXPECT_EQ(pos.charOffset, 40);
    // "LRM:" counts only at or before the cursor column.
    std::string lrm = "see LRM:3.5.4(2) for this";
    EXPECT_EQ(ErrorParseLine(lrm, 10, "", pos), ERR_LINE_LRM);
    EXPECT_EQ(pos.chapter, "3.5.4");
    EXPECT_EQ(ErrorParseLine(lrm, 2, "", pos), ERR_LINE_NONE);
    // A drive letter keeps its colon inside the word (no such file here, so no position), and
    // the number after it is not taken from a word that is no file.
    EXPECT_EQ(ErrorParseLine("C:\\src\\foo.c:12: x", 0, "", pos), ERR_LINE_NONE);
    EXPECT_EQ(pos.line, 12);
}

} // namespace
