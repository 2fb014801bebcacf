// tests/buffer/test_filestore.cc: loading, line lookup, the cache window, columns and
// text extraction of the line store, checked against the bytes written to disk.
#include <gtest/gtest.h>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "buffer/change.h"
#include "buffer/columns.h"
#include "buffer/diff_file.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "config/switches.h"
#include "diff/diff.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "testutil.h"

namespace {

struct TempDir : TestDir {
    // Temp files, also inside the directory each process keeps its own in.
    int tempFiles(const std::string& in = "") const {
        std::string path = in.empty() ? tempFileDir : in;
        int n = 0;
        DIR* d = opendir(path.c_str());
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            if (in.empty() && strncmp(e->d_name, "qeS.", 4) == 0)
                n += tempFiles(path + "/" + e->d_name);
            else
                n++;
        }
        closedir(d);
        return n;
    }
};

std::string range(File* f, int64_t l1, int c1, int64_t l2, int c2, bool rect = false) {
    int64_t len = -1;
    char* heap = rect ? FileRectToStr(f, nullptr, 0, l1, c1, l2, c2, &len)
                      : FileToStr(f, nullptr, 0, l1, c1, l2, c2, &len);
    std::string s(heap, (size_t)len);
    gen_free(heap);
    return s;
}

TEST(FileStore, LineEndsAndDosFlags) {
    TempDir dir;
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
        bool dos, consistent;
    } cases[] = {
        {"a\r\nb\r\n", {"a", "b"}, true, true},
        {"a\r\nb\n", {"a", "b"}, false, false},
        {"a\nb\n", {"a", "b"}, false, true},
        {"x\ry\n", {"x\ry"}, false, true},        // a lone CR stays in the line
        {"one\ntwo", {"one", "two"}, false, true}, // no final LF
        {"", {}, true, true},                      // no LF at all: DOS by default
        {std::string("a\0b\n\n", 5), {std::string("a\0b", 3), ""}, false, true},
    };
    for (const Case& c : cases) {
        File* f = FileFFileNoApplyEdits(dir.write("f.txt", c.bytes).c_str());
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(linesOf(f), c.lines) << c.bytes;
        EXPECT_EQ(f->nLines, (int64_t)c.lines.size());
        EXPECT_EQ(f->dosMode, c.dos) << c.bytes;
        EXPECT_EQ(f->loadedAsDos, c.dos) << c.bytes;
        EXPECT_EQ(f->consistentEnds, c.consistent) << c.bytes;
        FileFree(f);
    }
    EXPECT_EQ(dir.tempFiles(), 0);
}

TEST(FileStore, CrLfPairStraddlingChunksIsDropped) {
    TempDir dir;
    // Put a CR exactly at the end of the first 8 KiB read.
    std::string bytes(8191, 'a');
    bytes += "\r\nb\r\n";
    File* f = FileFFileNoApplyEdits(dir.write("s.txt", bytes).c_str());
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->nLines, 2);
    EXPECT_EQ(f->first->len, 8191);
    EXPECT_TRUE(f->dosMode);
    EXPECT_EQ(FileCurrentSize(f), (int64_t)bytes.size());
    FileFree(f);
}

TEST(FileStore, TempFileIsPrivateAndRemoved) {
    TempDir dir;
    File* f = FileFFileNoApplyEdits(dir.write("p.txt", "hello\n").c_str());
    ASSERT_NE(f, nullptr);
    struct stat st;
    ASSERT_EQ(stat(f->tempName, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(dir.tempFiles(), 1);
    FileFree(f);
    EXPECT_EQ(dir.tempFiles(), 0);
}

TEST(FileStore, MissingDirectoryAndUnreadableFiles) {
    TempDir dir;
    testing::internal::CaptureStdout();
    EXPECT_EQ(FileFFileNoApplyEdits(dir.path.c_str()), nullptr);
    EXPECT_EQ(FileFFileNoApplyEdits((dir.path + "/nodir/x").c_str()), nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Cannot edit a directory: " + dir.path + "\n"), std::string::npos);
    EXPECT_NE(out.find("No such file (and no write access to directory): " + dir.path +
                       "/nodir/x\n"),
              std::string::npos);
    File* f = FileFFileNoApplyEdits((dir.path + "/new.c").c_str());
    ASSERT_NE(f, nullptr); // a missing file in a writable directory is a new File
    EXPECT_TRUE(f->isNew);
    EXPECT_EQ(f->mode, 0664);
    EXPECT_EQ(f->nLines, 0);
    FileFree(f);
}

TEST(FileStore, LineLookupFromEveryStart) {
    TempDir dir;
    std::string bytes;
    for (int i = 1; i <= 500; i++) bytes += std::to_string(i) + "\n";
    File* f = FileFFileNoApplyEdits(dir.write("n.txt", bytes).c_str());
    ASSERT_EQ(f->nLines, 500);
    std::mt19937 rng(7);
    for (int k = 0; k < 2000; k++) {
        int64_t n = rng() % 500 + 1, h = rng() % 500 + 1;
        Line* hint = FileLine(f, h);
        Line* l = FileLine(f, n, hint, h);
        ASSERT_EQ(std::string(FileLineText(f, l), (size_t)l->len), std::to_string(n));
        EXPECT_EQ(FileLineno(f, l), n);
    }
    EXPECT_EQ(FileLine(f, 501), nullptr);
    EXPECT_EQ(FileLine(f, 0), f->first);
    EXPECT_EQ(FileLineno(f, nullptr), 501);
    FileFree(f);
}

// Reading lines in a random order through the small cache window gives the bytes on disk.
TEST(FileStore, CacheWindowServesRandomReads) {
    TempDir dir;
    std::mt19937 rng(11);
    std::vector<std::string> want;
    std::string bytes;
    for (int i = 0; i < 3000; i++) {
        std::string line;
        int len = rng() % 7 == 0 ? (int)(rng() % 5000) : (int)(rng() % 80);
        for (int j = 0; j < len; j++) line += (char)('a' + rng() % 26);
        want.push_back(line);
        bytes += line + "\n";
    }
    File* f = FileFFileNoApplyEdits(dir.write("r.txt", bytes).c_str());
    ASSERT_EQ(f->nLines, 3000);
    std::vector<Line*> lines;
    for (Line* l = f->first; l; l = l->next) lines.push_back(l);
    for (int k = 0; k < 5000; k++) {
        size_t i = rng() % lines.size();
        if (k % 3 == 0) FileCache(f, lines[i], -(int64_t)(rng() % 20), 1);
        ASSERT_EQ(std::string(FileLineText(f, lines[i]), (size_t)lines[i]->len), want[i]);
        EXPECT_LE(f->cacheLen, f->cacheAlloc);
        EXPECT_EQ(f->cacheBase % 1024, 0);
    }
    FileFree(f);
}

TEST(FileStore, ColumnsAndWidths) {
    tabsize = 8;
    File* f = FileFString(nullptr, "\tx\nab\nq\n\x01\n", 10);
    Line* tabLine = FileLine(f, 1);
    Line* shortLine = FileLine(f, 2);
    int c1 = 1, c2 = 5;
    FileLineCols(f, tabLine, shortLine, &c1, &c2);
    EXPECT_EQ(c1, 8);
    EXPECT_EQ(c2, 5);
    File* one = FileFString(nullptr, "q", 1);
    EXPECT_EQ(one->maxWidth, 2);
    File* ctl = FileFString(nullptr, "\x01", 1);
    EXPECT_EQ(ctl->maxWidth, 3);
    EXPECT_EQ(f->maxWidth, 9); // tab to column 8 (from 1), then one byte
    FileFree(f);
    FileFree(one);
    FileFree(ctl);
}

TEST(FileStore, FileToStrRanges) {
    File* f = FileFString(nullptr, "hello\nworld\nend\n", 16);
    EXPECT_EQ(range(f, 1, 1, 1, 4), "ell");
    EXPECT_EQ(range(f, 2, 2, 1, 3), "lo\nwo");
    EXPECT_EQ(range(f, 1, 0, 3, 3), "hello\nworld\nend");
    // An end beyond its line takes the line's LF.
    EXPECT_EQ(range(f, 1, 2, 2, 99), "llo\nworld\n");
    EXPECT_EQ(range(f, 3, 0, 3, 99), "end\n");
    FileFree(f);
}

TEST(FileStore, RectangleExpandsTabsAndPads) {
    tabsize = 8;
    const char text[] = "abcdefghij\nab\n\tXYZ\n0123456789\n";
    File* f = FileFString(nullptr, text, sizeof text - 1);
    EXPECT_EQ(range(f, 1, 2, 2, 5, true), "cde\n   \n");
    // Columns are byte indexes, turned into display columns on the first and last line.
    EXPECT_EQ(range(f, 3, 0, 3, 4, true), "        XYZ\n");
    // The part of a tab inside the rectangle becomes blanks: display columns [6, 9).
    EXPECT_EQ(range(f, 4, 6, 3, 2, true), "  X\n678\n");
    // A tab crossing the right edge ends that line's piece: display columns [0, 4).
    EXPECT_EQ(range(f, 3, 0, 4, 4, true), "\n0123\n");
    FileFree(f);
}

TEST(FileStore, InternalFilesAndStrings) {
    File* a = FileFInternal(nullptr);
    File* b = FileFInternal("  make -k all");
    File* c = FileFInternal("/tmp/out log");
    EXPECT_TRUE(std::string(a->name).rfind("~internal", 0) == 0);
    EXPECT_TRUE(std::string(b->name).rfind("~make", 0) == 0);
    EXPECT_TRUE(std::string(c->name).rfind("/tmp/out", 0) == 0);
    EXPECT_TRUE(a->internal && a->isNew);
    File* s = FileFString(nullptr, "x\ny\n", 4);
    EXPECT_EQ(s->nLines, 2); // a final LF makes no empty last line
    EXPECT_EQ(s->first->allocLen, s->first->len + 10);
    s = FileFString(s, "p\nq", 3);
    EXPECT_EQ(linesOf(s), (std::vector<std::string>{"p", "q"}));
    for (File* f : {a, b, c, s}) FileFree(f);
}

TEST(FileStore, ReinitAndInsertRebuildTheLines) {
    TempDir dir;
    std::string path = dir.write("e.txt", "1\n2\n3\n");
    File* f = FileFFileNoApplyEdits(path.c_str());
    FileInstanciateLine(f, f->first);
    dir.write("e.txt", "one\ntwo\n");
    ASSERT_EQ(FileReinitTemp(f), 1);
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(f->first->allocLen, lnInFile);
    std::string ins = dir.write("ins.txt", "A\nB\n");
    int fd = open(ins.c_str(), O_RDONLY);
    ASSERT_EQ(FileReTempInsert(f, fd, f->last), 1);
    close(fd);
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"one", "A", "B", "two"}));
    EXPECT_EQ(f->loadSize, 0);
    FileFree(f);
    EXPECT_EQ(dir.tempFiles(), 0);
}

TEST(FileStore, StubsReloadThroughLookup) {
    TempDir dir;
    std::string path = dir.write("s.c", "int x;\n");
    File* f = FileFName(path.c_str());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(FileFLookup(path.c_str()), f);
    FileStubout(f);
    EXPECT_TRUE(f->stub);
    EXPECT_EQ(f->nLines, 0);
    EXPECT_EQ(dir.tempFiles(), 0);
    EXPECT_EQ(FileFLookup(path.c_str()), f);
    EXPECT_FALSE(f->stub);
    EXPECT_EQ(linesOf(f), (std::vector<std::string>{"int x;"}));
    EXPECT_EQ(FileFBaseName("s.c"), f);
    FileFree(f);
    EXPECT_EQ(FileFLookup(path.c_str()), nullptr);
}

TEST(DiffInputs, EditorBuffersAreComparedWithMovesResolved) {
    const char a[] = "1\n2\n3\n4\n5\n6\n7\nsame\nsame\nend";
    const char b[] = "5\n6\n1\n2\n3\n4\n7\nsame\nsame\nend";
    File* oldFile = FileFString(nullptr, a, sizeof a - 1);
    File* newFile = FileFString(nullptr, b, sizeof b - 1);
    DiffResult* r = diff_merge(oldFile, newFile);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->oldmax, 10);
    EXPECT_EQ(r->newmax, 10);
    EXPECT_FALSE(r->NA[1].matched); // the shorter moved block
    EXPECT_FALSE(r->NA[2].matched);
    for (int j = 3; j <= 10; j++) {
        ASSERT_TRUE(r->NA[j].matched) << j;
        EXPECT_EQ(r->NA[j].other, j <= 6 ? j - 2 : j);
    }
    // Texts are the buffer's lines, without line ends.
    EXPECT_STREQ(r->ST[r->NA[10].symbol].text, "end");
    diff_free(r);
    FileFree(oldFile);
    FileFree(newFile);
}

} // namespace

// A click's column back to a byte in one pass: the same byte as stepping along the line and
// asking each next byte's column, which took a time growing with the square of the column.
TEST(Columns, IndexAtColumnAgreesWithStepping) {
    std::mt19937 rng(7);
    int savedTabs = tabsize;
    // Bytes, tabs and controls; in UTF-8 also a two-byte letter, a wide character, a
    // combining mark and a stray continuation byte.
    const char* const pieces[] = {"a", "b", "\t", "\x01", "\xc3\xa9", "\xe6\xbc\xa2",
                                  "\xcc\x81", "\xa9"};
    for (int round = 0; round < 4000; round++) {
        bool utf8 = round % 2 == 1;
        tabsize = 1 + (int)(rng() % 8);
        std::string t;
        int count = (int)(rng() % 30);
        for (int i = 0; i < count; i++) t += pieces[rng() % (utf8 ? 8 : 4)];
        int len = (int)t.size();
        int from = LineCharStart(t.data(), len, (int)(rng() % (unsigned)(len + 1)), utf8);
        int want = (int)(rng() % 80);
        int stepped = from;
        for (;;) {
            int next = LineNextChar(t.data(), len, stepped, utf8);
            if (stepped >= len || LineCols(t.data(), len, next, utf8) > want) break;
            stepped = next;
        }
        ASSERT_EQ(LineIndexAtCol(t.data(), len, from, want, utf8), stepped)
            << "tabsize " << tabsize << " want " << want << " from " << from << " utf8 " << utf8;
        // Stepping back and forth by characters visits the same boundaries.
        if (stepped > 0) {
            int back = LinePrevChar(t.data(), len, stepped, utf8);
            ASSERT_EQ(LineNextChar(t.data(), len, back, utf8), stepped);
        }
    }
    tabsize = savedTabs;
}

// In a UTF-8 File maxWidth counts display columns (a wide character two, a combining mark
// none), also for characters that the load's reads cut in two; a File that is not UTF-8
// counts a column a byte.
TEST(FileStore, WidthsOfUtf8LinesCountColumns) {
    TempDir dir;
    tabsize = 8;
    // Characters of 2, 3 and 4 bytes (the last two wide), a letter with a mark, a tab: 8
    // columns and 15 bytes a round, each round ending on a tab stop.
    const std::string round = "\xc3\xa9\xe6\xbc\xa2\xf0\x9f\x98\x80" "e\xcc\x81\t";
    for (int pad = 0; pad < 4; pad++) {
        // Long enough to cross several reads, shifted so that every kind of character is
        // cut by some read.
        std::string line(pad, 'a');
        for (int i = 0; i < 12000; i++) line += round;
        std::string bytes = "short\n" + line + "\nx\n";
        File* f = FileFFileNoApplyEdits(dir.write("w.txt", bytes).c_str());
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->utf8);
        // The measure starts at 1: without pad letters the first round reaches the tab stop
        // at 8, with them the one at 16; every further round adds 8.
        int want = 8 * 12000 + (pad ? 8 : 0);
        EXPECT_EQ(f->maxWidth, want) << "pad " << pad;
        EXPECT_EQ(LineWidth(line.data(), (int)line.size(), true), want);
        FileFindMaxWidth(f);
        EXPECT_EQ(f->maxWidth, want);
        FileFree(f);
    }
    // A lead byte just before the end whose sequence never comes: the line end after it is
    // still read, and the File counts a column a byte.
    File* latin = FileFFileNoApplyEdits(dir.write("l.txt", "\xe6\xbc\xa2 caf\xe9\n").c_str());
    ASSERT_NE(latin, nullptr);
    EXPECT_FALSE(latin->utf8);
    EXPECT_EQ(latin->nLines, 1);
    EXPECT_EQ(latin->maxWidth, 9);
    FileFree(latin);
    // Typed at the end of a line: a wide character widens by two.
    File* typed = FileFString(nullptr, "ab", 2);
    ASSERT_TRUE(typed->utf8);
    EXPECT_EQ(typed->maxWidth, 3);
    FileChange(typed, nullptr, 0, 1, 2, 1, 2, "\xe6\xbc\xa2", 3, 0);
    EXPECT_EQ(typed->maxWidth, 5);
    FileFree(typed);
}
