// tests/buffer/test_tags.cc: loading tag files (hand-written and written by universal-ctags over
// this project's own sources) and finding the definitions they name.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "buffer/file.h"
#include "fake_vc.h"
#include "buffer/registry.h"
#include "buffer/tags.h"
#include "test_search_util.h"

namespace {

const char* cSource = "#include <stdio.h>\n"          // 1
                      "static int count;\n"           // 2
                      "int helper(int a) { return a; }\n" // 3
                      "/* int main(void) in a comment */\n" // 4
                      "int main(void)\n"              // 5
                      "{\n"                           // 6
                      "    return helper(count); // a/b\n" // 7
                      "}\n";                          // 8

// The text of the line a tag leads to.
std::string TagLine(const char* name, File** fileOut = nullptr) {
    int64_t line = 0;
    File* f = TagFind(name, line, 0);
    if (fileOut) *fileOut = f;
    if (!f) return "<no file>";
    if (line < 0) line = -line;
    Line* l = FileLine(f, line);
    return l ? LineString(f, l) : "<no line>";
}

struct TagsTest : ::testing::Test {
    SearchTestDir dir;
    ErrorCapture errors;
    void SetUp() override { TagReset(); }
    void TearDown() override {
        TagReset();
        TagSetFileName("");
        while (File* f = FileHead()) FileFree(f);
    }
};

TEST_F(TagsTest, AddressesByNumberAndPattern) {
    dir.write("m.c", cSource);
    std::string tags = dir.write("tags", "count\tm.c\t2\n"
                                         "helper\tm.c\t/^int helper(int a) { return a; }$/\n"
                                         "main\tm.c\t/^int main(void)$/;\"\tf\ttyping:int\n"
                                         "main2\tm.c\t?^int main?\n"
                                         "ret\tm.c\t/return helper(count); \\/\\/ a\\/b$/\n"
                                         "stdio\tm.c\t1;\"\tkind:h\n"
                                         "gone\tm.c\t/^no such line$/\n");
    ASSERT_EQ(TagAppendDictionary(tags.c_str()), 1);
    EXPECT_EQ(TagCount(), 7);
    EXPECT_STREQ(TagGetFileName(), tags.c_str());
    int64_t line = 0;
    File* f = TagFind("count", line, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(line, 2); // a tag-time number, positive
    EXPECT_EQ(TagFind("main", line, 0), f);
    EXPECT_EQ(line, -5); // the comment holds the text too, but not at the end of a line
    TagFind("main2", line, 0);
    EXPECT_EQ(line, -5); // backward from the bottom
    TagFind("helper", line, 0);
    EXPECT_EQ(line, -3);
    TagFind("ret", line, 0);
    EXPECT_EQ(line, -7); // escaped delimiters are undone
    TagFind("stdio", line, 0);
    EXPECT_EQ(line, 1);
    TagFind("gone", line, 0);
    EXPECT_EQ(line, -1); // not found: the start line
    EXPECT_EQ(TagFind("unknown", line, 0), nullptr);
    EXPECT_TRUE(ErrorCapture::texts().empty());
}

TEST_F(TagsTest, LaterFilesOverrideAndMalformedFilesChangeNothing) {
    dir.write("a.c", "int x;\nint y;\n");
    dir.write("b.c", "\nint y;\nint x;\n");
    ASSERT_EQ(TagAppendDictionary(dir.write("tags", "x\ta.c\t1\ny\ta.c\t2\n").c_str()), 1);
    ASSERT_EQ(TagAppendDictionary(dir.write("tags2", "y\tb.c\t2\nw\tb.c\t3\n").c_str()), 1);
    EXPECT_EQ(TagCount(), 3);
    File* f = nullptr;
    EXPECT_EQ(TagLine("y", &f), "int y;");
    EXPECT_EQ(std::string(f->name), dir.path + "/b.c");
    EXPECT_EQ(TagLine("x", &f), "int x;");
    EXPECT_EQ(std::string(f->name), dir.path + "/a.c");
    EXPECT_EQ(TagDefault("w")->line, 3); // appended names are sorted in for the lookup
    // a bad address: -1, reported, and the entries of that file are not taken
    EXPECT_EQ(TagAppendDictionary(dir.write("bad", "x\tb.c\t3\nz\tb.c\tforty\n").c_str()), -1);
    ASSERT_EQ(ErrorCapture::texts().size(), 1u);
    EXPECT_EQ(ErrorCapture::texts()[0], "Malformed address in tags file " + dir.path + "/bad, line 2\n");
    EXPECT_EQ(TagCount(), 3);
    EXPECT_EQ(TagDefault("x")->file, "a.c");
    EXPECT_EQ(TagDefault("z"), nullptr);
}

TEST_F(TagsTest, MissingFilesAndDefaultName) {
    // nothing to open: reported, dictionary left alone
    EXPECT_EQ(TagAppendDictionary((dir.path + "/none").c_str()), 0);
    ASSERT_EQ(ErrorCapture::texts().size(), 1u);
    EXPECT_EQ(ErrorCapture::texts()[0], "No tags file loaded.\n");
    EXPECT_EQ(TagCount(), -1);
    // the default is "tags" in the current directory, loaded on first use
    EXPECT_EQ(std::string(TagGetFileName()), "tags");
    TagSetFileName((dir.path + "/tags").c_str());
    dir.write("k.c", "a\nb\n");
    dir.write("tags", "kb\tk.c\t2\n");
    EXPECT_TRUE(TagAvailable());
    EXPECT_EQ(TagLine("kb"), "b");
    // regenerated tags are picked up by TagReinit
    dir.write("tags", "kb\tk.c\t1\nka\tk.c\t1\n");
    TagReinit();
    EXPECT_EQ(TagCount(), 2);
    EXPECT_EQ(TagLine("kb"), "a");
    // a tag whose file cannot be opened
    dir.write("tags", "lost\tnodir/lost.c\t1\n");
    TagReinit();
    EXPECT_EQ(TagLine("lost"), "<no file>");
    EXPECT_EQ(ErrorCapture::texts().back(),
              "Can't open file " + dir.path + "/nodir/lost.c for tag lost\n");
}

TEST_F(TagsTest, VersionControlledFileStandsForItself) {
    std::string path = dir.write("v.c", "first\nsecond\n");
    dir.write("tags", "other\tv.c\t2\n");
    TagAppendDictionary((dir.path + "/tags").c_str());
    EXPECT_EQ(TagLine(path.c_str()), "<no file>"); // no front end: no file stands for itself
    FakeVc vc(path);
    EXPECT_EQ(TagLine(path.c_str()), "first");
    EXPECT_EQ(TagLine((dir.path + "/w.c").c_str()), "<no file>");
}

TEST_F(TagsTest, BinaryAndOverlongLinesDoNotBreakLoading) {
    dir.write("z.c", "zz\n");
    std::string junk = "long\tz.c\t/" + std::string(5000, 'q') + "/\nzz\tz.c\t1\n";
    EXPECT_EQ(TagAppendDictionary(dir.write("tags", junk).c_str()), 1);
    EXPECT_EQ(TagLine("zz"), "zz"); // the overlong line's tail is not taken for a tag
    EXPECT_EQ(TagCount(), 2);
    std::string binary("\x7f" "ELF\x02\x01\x01\0\0\0\n\xff\xfe\n", 14);
    EXPECT_EQ(TagAppendDictionary(dir.write("bin", binary).c_str()), -1);
    EXPECT_EQ(TagCount(), 2);
}

// Every tag ctags finds in our own sources leads to a line that holds the identifier.
void CheckCtags(SearchTestDir& dir, const std::string& options) {
    std::string tags = dir.path + "/tags" + std::to_string(options.size());
    std::string cmd = "ctags " + options + " -R -f '" + tags + "' '" QE_SOURCE_DIR "/src' 2>/dev/null";
    ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
    TagReset();
    ASSERT_EQ(TagAppendDictionary(tags.c_str()), 1) << options;
    std::ifstream in(tags);
    std::string row;
    std::set<std::string> names;
    while (std::getline(in, row))
        if (row.compare(0, 2, "!_") != 0) names.insert(row.substr(0, row.find('\t')));
    ASSERT_GT(names.size(), 200u);
    int checked = 0;
    for (const std::string& name : names) {
        if (name.compare(0, 6, "__anon") == 0) continue; // ctags's names for anonymous types
        std::string word = name;
        word.erase(std::remove(word.begin(), word.end(), ' '), word.end()); // "operator ()"
        EXPECT_NE(TagLine(name.c_str()).find(word), std::string::npos) << name << " " << options;
        checked++;
    }
    EXPECT_GT(checked, 200);
}

TEST_F(TagsTest, UniversalCtagsFilesOfOurSources) {
    if (system("ctags --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "universal-ctags missing";
    CheckCtags(dir, "--format=1");
    CheckCtags(dir, "");                            // extended format: ;" and extension fields
    CheckCtags(dir, "--excmd=number --fields=+n");  // line numbers
    CheckCtags(dir, "--sort=no");                   // unsorted files are sorted for lookup
}

} // namespace
