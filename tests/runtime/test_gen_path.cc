// tests/runtime/test_gen_path.cc: file-name helpers (canonical names, joins, suffixes).
#include <gtest/gtest.h>

#include <string>

#include "runtime/gen.h"

static std::string take(char* s) {
    GenStr owner(s);
    return s ? std::string(s) : std::string("<null>");
}

static std::string canonical(const char* path) {
    std::string buf = path;
    gen_canonicalfilename(buf.data());
    return buf.c_str();
}

TEST(GenPath, CanonicalNames) {
    struct {
        const char *in, *want;
    } cases[] = {
        {"a//b///c", "a/b/c"},
        {"/a/./b/.", "/a/b"},
        {"a/b/../c", "a/c"},
        {"a/b/../../c", "c"},
        {"a/../../c", "../c"},
        {"../../a", "../../a"},
        {"../a/../b", "../b"},
        {"./a", "./a"},
        {"././a", "./a"},
        {"./../a", "../a"},
        {"./..", ".."},
        {"/..", "/"},
        {"/../a", "/a"},
        {"/a/b/..", "/a"},
        {"//", "/"},
        {"a/.b/..c/...", "a/.b/..c/..."}, // dotted names are names
        {"x/..a/..", "x"},
        {"a/..", ""},
        {"/", "/"},
        {"", ""},
    };
    for (auto& c : cases) EXPECT_EQ(canonical(c.in), c.want) << c.in;
}

TEST(GenPath, SconcatJoinsAndCanonicalises) {
    struct {
        const char *dir, *name, *want;
    } cases[] = {
        {"/a/b/", "../c", "/a/c"},
        {"/a/b", "../c", "/a/c"},
        {"x", "/y", "/y"},
        {"x", "/y/../z", "/y/../z"}, // an absolute name is copied as it is
        {"d", "~n", "d/~n"},
        {"d", "~/n", "d/~/n"},
        {"a", "..", "."},
        {"/", "..", "/"},
        {"a/", "./b", "a/b"},
        {"", "b/./c", "b/c"},
        {"a", "", "a"},
        {"", "", "."},
    };
    for (auto& c : cases)
        EXPECT_EQ(take(gen_sconcat(c.dir, c.name)), c.want) << c.dir << " + " << c.name;
    // dconcat leaves a lone part as it is.
    EXPECT_EQ(take(gen_dconcat("", "b/./c")), "b/./c");
    EXPECT_EQ(take(gen_dconcat("a/./", nullptr)), "a/./");
    EXPECT_EQ(take(gen_dconcat("a/", "./b")), "a/b");
}

TEST(GenPath, DirnameAndBasename) {
    EXPECT_EQ(take(gen_dirname("/etc")), "/");
    EXPECT_EQ(take(gen_dirname("file.c")), "<null>");
    EXPECT_EQ(take(gen_dirname("a/b/c.h")), "a/b");
    EXPECT_EQ(take(gen_dirname("a/b/")), "a/b");
    const char* p = "/x/y/z.c";
    EXPECT_EQ(gen_basename(p), p + 5);
    EXPECT_STREQ(gen_basename("plain"), "plain");
    EXPECT_STREQ(gen_basename("dir/"), "");
    EXPECT_TRUE(gen_absolutefilename("/a"));
    EXPECT_TRUE(gen_absolutefilename("~u/a"));
    EXPECT_FALSE(gen_absolutefilename("a/~"));
}

TEST(GenPath, Suffixes) {
    struct {
        const char *path, *want;
    } cases[] = {
        {"libx.so.1.2", "so"}, {"/usr/lib/libm.sa.10.22", "sa"}, {"a.c", "c"},
        {"libx.so.1", "1"},    {"libx.so.a.2", "2"},              {"so.1.2", "2"},
        {"x.tar.gz", "gz"},    {"dir.d/file", "<null>"},          {"file.", ""},
        {"libx.so.1.2b", "2b"},
    };
    for (auto& c : cases) {
        const char* got = gen_getsuffix(c.path);
        EXPECT_EQ(got ? std::string(got) : "<null>", c.want) << c.path;
    }
    EXPECT_TRUE(gen_issuffix("libx.so.1.2", ".so"));
    EXPECT_TRUE(gen_issuffix("main.cc", "cc"));
    EXPECT_FALSE(gen_issuffix("main.cc", "c"));
    EXPECT_EQ(take(gen_changesuffix("dir.d/a.c", ".o")), "dir.d/a.o");
    EXPECT_EQ(take(gen_changesuffix("dir.d/a", "o")), "dir.d/a.o");
    EXPECT_EQ(take(gen_changesuffix("a.b.c", "")), "a.b");
    EXPECT_EQ(take(gen_changesuffix2("/out", "src/a.c", ".o")), "/out/a.o");
    EXPECT_EQ(take(gen_addsuffix("a.c", ".orig")), "a.c.orig");
    EXPECT_EQ(gen_basenamelen("dir.d/name.ext"), 4);
    EXPECT_EQ(gen_basenamelen("dir.d/name"), 4);
}

TEST(GenPath, ComponentsAndSameFile) {
    EXPECT_EQ(take(gen_topdir("a/b/c")), "a");
    EXPECT_STREQ(gen_popdir("a/b/c"), "b/c");
    EXPECT_STREQ(gen_popdir("a"), "");
    EXPECT_TRUE(gen_dirmatch("/a/b", "/a/b/c"));
    EXPECT_TRUE(gen_dirmatch("/a/", "/a/b"));
    EXPECT_FALSE(gen_dirmatch("/a/b", "/a/bc"));
    EXPECT_TRUE(gen_dirmatch("/a/b", "/a/b"));

    std::string cwd = gen_getcwd();
    EXPECT_TRUE(gen_samefile("x/../y", "./y"));
    EXPECT_TRUE(gen_samefile((cwd + "/y").c_str(), "y"));
    EXPECT_FALSE(gen_samefile("y", "/y"));
    EXPECT_EQ(take(gen_makeshort("/very/long/path/name.c", 10)), ".../name.c");
    EXPECT_EQ(take(gen_makeshort("short.c", 10)), "short.c");
}
