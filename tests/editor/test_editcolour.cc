// tests/editor/test_editcolour.cc: syntax colours as a real editor window draws them over the
// headless backend: each visible cell's colour, selections, horizontal scrolling, and the
// colours below an edit that opens a block comment.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "lang/syn.h"
#include "toolkit/backend.h"
#include "toolkit/headless.h"
#include "toolkit/toolkit.h"
#include "editor_fixture.h"

namespace {

struct EditColour : EditorFixture {
    void SetUp() override {
        EditorFixture::SetUp();
        if (HasFatalFailure()) return;
        cppCommentsInC = 0;
        EditInstallFileLinks();
        EditInitColouring();
        // Class colours come from the colour options; each is told apart from the others.
        colorTexts[COLOR_FOREGROUND] = "#000000";
        colorTexts[COLOR_BACKGROUND] = "#ffffff";
        colorTexts[COLOR_SELECT] = "#000080";
        colorTexts[COLOR_COMMENT] = "#00a000";
        colorTexts[COLOR_KEYWORD] = "#0000f0";
        colorTexts[COLOR_STRING] = "#a00000";
        colorTexts[COLOR_CHARACTER] = "#c000c0";
        colorTexts[COLOR_NUMBER] = "#e000e1";
        colorTexts[COLOR_DEADCODE] = "#808081";
        WRefigureColors();
        syn_RefigureColors();
    }
    void TearDown() override {
        EditorFixture::TearDown();
        syn_SetColorOption(SYN_COMMENT, 1);
    }
};

// One letter per cell of a pane row, for the first n cells: c comment, k keyword, s string,
// h character, n number, d dead code, . plain text, S selected text; ? anything else.
std::string classes(Edit* e, int row, int n) {
    std::string out;
    for (int col = 0; col < n; col++) {
        WColor fg = WHeadlessCellFg(e->view.window, col, row);
        WColor bg = WHeadlessCellBg(e->view.window, col, row);
        char c = '?';
        if (fg == wPalette.selectText && bg == wPalette.select)
            c = 'S';
        else if (bg != wPalette.background)
            c = '?';
        else if (fg == 0x00a000)
            c = 'c';
        else if (fg == 0x0000f0)
            c = 'k';
        else if (fg == 0xa00000)
            c = 's';
        else if (fg == 0xc000c0)
            c = 'h';
        else if (fg == 0xe000e1)
            c = 'n';
        else if (fg == 0x808081)
            c = 'd';
        else if (fg == 0x000000)
            c = '.';
        out += c;
    }
    return out;
}

// The classes of a whole visible line of text (its length in cells).
std::string shown(Edit* e, int row) {
    std::string text = WHeadlessRows(e->view.window)[(size_t)row];
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return classes(e, row, (int)text.size());
}

const char* const kSample = "/* note */ int x = 42;\n"
                            "char *s = \"str\";\n"
                            "#if 0\n"
                            "dead line\n"
                            "#endif\n"
                            "char c = 'q';\n"
                            "\treturn 0x1fUL;\n"
                            "x = \"a\\\"b\"; // 10\n";

TEST_F(EditColour, EveryClassIsDrawnInItsColour) {
    Edit* e = NewEdit(write("t.c", kSample).c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(syn_GetLangStr(e->view.file), "C");
    EXPECT_EQ(shown(e, 0), "cccccccccc.kkk.....nn.");
    EXPECT_EQ(shown(e, 1), "kkkk......sssss.");
    EXPECT_EQ(shown(e, 2), "kkk.n");
    EXPECT_EQ(shown(e, 3), "ddddddddd");
    EXPECT_EQ(shown(e, 4), "dddddd"); // the line closing the block starts inside it
    EXPECT_EQ(shown(e, 5), "kkkk.....hhh.");
    EXPECT_EQ(shown(e, 6), "........kkkkkk.nnnnnn.");
    // An escaped quote stays in the string; "//" is no comment in C, so 10 is a number.
    EXPECT_EQ(shown(e, 7), "....ssssss.....nn");
    // With comment colouring off, comments are drawn as plain text.
    syn_SetColorOption(SYN_COMMENT, 0);
    EditRedraw(e);
    EXPECT_EQ(shown(e, 0), "...........kkk.....nn.");
}

TEST_F(EditColour, SelectedTextKeepsTheSelectionColours) {
    Edit* e = NewEdit(write("t.c", kSample).c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    Selection& s = e->view.sel[0];
    s.startLine = s.cursorLine = 1;
    s.startCol = s.cursorCol = 3;
    s.endLine = 1;
    s.endCol = 13; // "note */ in": the "t" of "int" stays a keyword
    EditRedraw(e);
    EXPECT_EQ(shown(e, 0), "cccSSSSSSSSSSk.....nn.");
    EXPECT_EQ(shown(e, 1), "kkkk......sssss.");
}

TEST_F(EditColour, ScrolledLinesAreColouredFromTheirLeftEdge) {
    std::string line = "s = \"" + std::string(60, 'a') + "\"; /* " + std::string(40, 'b') +
                       " */ while\n";
    Edit* e = NewEdit(write("h.c", line + "\tint y; /* tab */\n").c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    EditPort* port = e->panes;
    auto scrollTo = [&](int col) {
        port->hpos = col * WFontWidth();
        EditRedraw(e);
    };
    scrollTo(50); // inside the string
    EXPECT_EQ(shown(e, 0), std::string(16, 's') + ".." + std::string(46, 'c') + ".kkkkk");
    scrollTo(80); // inside the comment
    EXPECT_EQ(shown(e, 0), std::string(34, 'c') + ".kkkkk");
    scrollTo(117); // inside the keyword
    EXPECT_EQ(shown(e, 0), "kkk");
    // A tab's cells before the left edge: "int" at display columns 8-10.
    scrollTo(9);
    EXPECT_EQ(shown(e, 1), "kk...." + std::string(9, 'c'));
}

TEST_F(EditColour, HugeLinesAreColouredByTheirVisiblePart) {
    // An open string fills the view; further right it ends and a keyword follows.
    std::string line = "int \"" + std::string(200000, 'a') + "\" while\n";
    Edit* e = NewEdit(write("big.c", line).c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    int cols = e->view.width / WFontWidth();
    EXPECT_EQ(classes(e, 0, cols), "kkk." + std::string((size_t)cols - 4, 's'));
    e->panes->hpos = 200000 * WFontWidth();
    EditRedraw(e);
    EXPECT_EQ(shown(e, 0), "ssssss.kkkkk");
}

// A long line of units 32 columns wide (a tab, then 24 bytes); a 9-byte prefix is 32 columns
// too. Drawing far right resumes from points remembered while scanning the line once.
TEST_F(EditColour, LongLinesScrolledSidewaysKeepTheirColoursAndColumns) {
    const std::string unit = "\tint a; /* c */ \"s\" 7;   ";
    const std::string unitClasses = "........kkk....ccccccc.sss.n....";
    ASSERT_EQ(unit.size(), 25u);
    ASSERT_EQ(unitClasses.size(), 32u);
    std::string line = "abcde\t\t\t\t";
    for (int i = 0; i < 40000; i++) line += unit;
    Edit* e = NewEdit(write("wide.c", line + "\n").c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    int cols = e->view.width / WFontWidth();
    auto expected = [&](int64_t first) {
        std::string want;
        for (int64_t c = first; c < first + cols; c++)
            want += c < 32 ? '.' : unitClasses[(size_t)((c - 32) % 32)];
        return want;
    };
    auto scrollTo = [&](int64_t col) {
        e->panes->hpos = (int)(col * WFontWidth());
        EditRedraw(e);
        return classes(e, 0, cols);
    };
    for (int64_t col : {(int64_t)1200005, (int64_t)0, (int64_t)400017, (int64_t)1279900,
                        (int64_t)1200005})
        EXPECT_EQ(scrollTo(col), expected(col)) << "at column " << col;
    EXPECT_EQ(WHeadlessRows(e->view.window)[0].substr(0, 11), "   int a; /");
    // Unit 10485, whose comment holds byte 262144, loses its "/*" (same length): its " c */"
    // is plain text from then on, whatever was remembered about the line before.
    File* f = e->view.file;
    int byte = 9 + 10485 * 25 + 8;
    ASSERT_EQ(FileChange(f, nullptr, 0, 1, byte, 1, byte + 2, "xy", 2, 0), 1);
    int64_t col = 32 + 10485 * 32 + 8 + 10; // its "c", right of the remembered point
    EXPECT_EQ(scrollTo(col).substr(0, 8), ".....sss");
    EXPECT_EQ(scrollTo(col - 10).substr(0, 19), "kkk............sss.");
}

TEST_F(EditColour, OpeningACommentRecoloursTheLinesBelow) {
    std::string text;
    for (int i = 1; i <= 80; i++) text += "int v" + std::to_string(i) + ";\n";
    std::string p = write("p.c", text);
    Edit* e = NewEdit(p.c_str(), 0, 1, 0);
    Edit* other = NewEdit(p.c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(other->view.file, e->view.file);
    File* f = e->view.file;
    int rows = e->view.height / WFontHeight();
    ASSERT_GT(rows, 22); // the view reaches past the lines recomputed at once
    EXPECT_EQ(shown(e, 1), "kkk....");
    // "/*" typed at the start of line 2: every line below it is now inside the comment.
    ASSERT_EQ(FileChange(f, nullptr, 0, 2, 0, 2, 0, "/*", 2, 0), 1);
    EXPECT_EQ(shown(e, 0), "kkk....");
    for (Edit* w : {e, other})
        for (int r = 1; r < rows; r++) {
            std::string c = shown(w, r);
            EXPECT_EQ(c, std::string(c.size(), 'c')) << "row " << r;
        }
    // Lines far below are found inside the comment as soon as they are shown.
    EditSetLine(e, 70, 0);
    int64_t top = e->view.topLine;
    ASSERT_GT(top, 40);
    EXPECT_EQ(shown(e, (int)(70 - top)), "cccccccc");
    // Closing it below line 2 ends the comment there; undoing the opening restores keywords.
    ASSERT_EQ(FileChange(f, nullptr, 0, 10, 0, 10, 0, "*/", 2, 0), 1);
    EXPECT_EQ(shown(other, 9), "cc" "kkk.....");
    EXPECT_EQ(shown(other, 10), "kkk.....");
    ASSERT_GE(FileUndo(f, nullptr, 0), 1);
    ASSERT_GE(FileUndo(f, nullptr, 0), 1);
    EXPECT_EQ(shown(other, 1), "kkk....");
    EXPECT_EQ(shown(e, (int)(70 - top)), "kkk.....");
}

TEST_F(EditColour, ChoosingALanguageRedrawsTheView) {
    Edit* e = NewEdit(write("notes.txt", "int x; /* c */\n").c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(shown(e, 0), "..............");
    EXPECT_EQ(syn_ChooseLanguage(e->panes, "C", e->view.topLine), 1);
    EXPECT_EQ(shown(e, 0), "kkk....ccccccc");
    int beeps = WHeadlessBeeps();
    EXPECT_EQ(syn_ChooseLanguage(e->panes, "Cobol", e->view.topLine), 0);
    EXPECT_EQ(WHeadlessBeeps(), beeps + 1);
    EXPECT_STREQ(syn_GetLangStr(e->view.file), "C");
}

} // namespace
