// tests/buffer/test_search_replace.cc: replacing every match as one undoable change.
#include <gtest/gtest.h>

#include <string>

#include "buffer/change.h"
#include "buffer/search.h"
#include "test_search_util.h"

namespace {

std::string Text(File* f) {
    std::string s;
    for (Line* l = f->first; l; l = l->next) s += LineString(f, l) + "\n";
    return s;
}

struct Replaced {
    int rc;
    int64_t line;
    int col;
    int64_t firstLine;
};

Replaced ReplaceAll(File* f, const std::string& pat, const std::string& rep, int flags,
                    int64_t firstLine = -1) {
    Replaced r{0, -5, -5, firstLine};
    r.rc = FileReplaceAll(f, r.line, r.col, pat.data(), (int)pat.size(), rep.data(), (int)rep.size(),
                          flags, r.firstLine);
    return r;
}

TEST(SearchReplace, InsertedTextIsNeverSearchedAgain) {
    SearchTestDir dir;
    File* f = dir.load("aaa\nbab\n");
    Replaced r = ReplaceAll(f, "a", "aa", SF_EXACT);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(Text(f), "aaaaaa\nbaab\n");
    EXPECT_EQ(r.line, 2);
    EXPECT_EQ(r.col, 3); // the end of the last replacement
    EXPECT_EQ(r.firstLine, 1);
    // one undo step takes all of it back
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(Text(f), "aaa\nbab\n");
    EXPECT_EQ(FileUndo(f, nullptr, 0), -100);
    FileFree(f);
}

TEST(SearchReplace, LineEndsInPatternAndReplacement) {
    SearchTestDir dir;
    File* f = dir.load("one x\ny two x\ny\n");
    Replaced r = ReplaceAll(f, "x\ny", "<\n>\n", SF_EXACT, 5);
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(Text(f), "one <\n>\n two <\n>\n\n");
    EXPECT_EQ(r.line, 5);
    EXPECT_EQ(r.col, 0);
    EXPECT_EQ(r.firstLine, 1); // smaller than the 5 it was given
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(Text(f), "one x\ny two x\ny\n");
    FileFree(f);
}

TEST(SearchReplace, EmptyMatchesAdvance) {
    SearchTestDir dir;
    File* f = dir.load("ab\n\ncd\n");
    EXPECT_EQ(ReplaceAll(f, "^", "> ", SF_REGEX).rc, 1);
    EXPECT_EQ(Text(f), "> ab\n> \n> cd\n");
    EXPECT_EQ(ReplaceAll(f, "q*", "-", SF_REGEX).rc, 1); // empty everywhere, still ends
    EXPECT_EQ(Text(f), "->- -a-b\n->- \n->- -c-d\n");
    FileFree(f);
}

TEST(SearchReplace, LineEndAfterTheLastLineEndsTheReplacing) {
    // The line end after the last line matches once; replacing it must not loop, growing the
    // File forever.
    SearchTestDir dir;
    for (const char* text : {"ab", "ab\n"}) {
        File* f = FileFString(nullptr, text, (int64_t)strlen(text));
        EXPECT_EQ(ReplaceAll(f, "\n", "<>", SF_REGEX).rc, 1) << text;
        EXPECT_EQ(Text(f), "ab<>\n") << text;
        FileFree(f);
    }
}

TEST(SearchReplace, NothingMatchedOrMalformed) {
    SearchTestDir dir;
    File* f = dir.load("abc\n");
    Replaced r = ReplaceAll(f, "zz", "y", 0, 7);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.firstLine, 7);
    EXPECT_EQ(f->undo, nullptr);
    EXPECT_FALSE(f->modified);
    ErrorCapture errors;
    EXPECT_EQ(ReplaceAll(f, "a*)", "y", SF_REGEX).rc, -1);
    EXPECT_EQ(ErrorCapture::texts().size(), 1u);
    EXPECT_EQ(Text(f), "abc\n");
    FileFree(f);
}

TEST(SearchReplace, DoesNotMergeWithTyping) {
    SearchTestDir dir;
    File* f = dir.load("cat\n");
    FileChange(f, nullptr, 0, 1, 3, 1, 3, "s", 1, 1); // typed
    ReplaceAll(f, "c", "b", SF_EXACT);
    FileChange(f, nullptr, 0, 1, 4, 1, 4, "!", 1, 1); // typed again
    EXPECT_EQ(Text(f), "bats!\n");
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(Text(f), "bats\n");
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(Text(f), "cats\n");
    FileFree(f);
}

TEST(SearchReplace, ManyMatchesInALargeFile) {
    SearchTestDir dir;
    std::string text;
    for (int i = 0; i < 20000; i++) text += "key" + std::to_string(i % 7) + " = value;\n";
    File* f = dir.load(text);
    Replaced r = ReplaceAll(f, "key[0-3]", "K", SF_REGEX | SF_EXACT);
    EXPECT_EQ(r.rc, 1);
    std::string want;
    for (int i = 0; i < 20000; i++)
        want += (i % 7 < 4 ? std::string("K") : "key" + std::to_string(i % 7)) + " = value;\n";
    EXPECT_EQ(Text(f), want);
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(Text(f), text);
    FileFree(f);
}

} // namespace
