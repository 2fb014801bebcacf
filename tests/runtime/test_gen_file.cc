// tests/runtime/test_gen_file.cc: whole-file helpers, permissions, directories, line reading.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/gen.h"

namespace {
struct GenFile : testing::Test {
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/qe_genfileXXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        dir = tmpl;
    }
    void TearDown() override { gen_removedir_recursive(dir.c_str()); }
    std::string at(const std::string& name) const { return dir + "/" + name; }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(at(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(at(name), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    void setMtime(const std::string& name, time_t t) const {
        struct timespec times[2] = {{t, 0}, {t, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, at(name).c_str(), times, 0), 0);
    }
    time_t mtime(const std::string& name) const {
        struct stat st;
        return stat(at(name).c_str(), &st) == 0 ? st.st_mtime : -1;
    }
};
} // namespace

TEST_F(GenFile, CopyKeepsBytesAndMode) {
    std::string data;
    for (int i = 0; i < 3000; i++) data += (char)(i * 7); // NULs and high bytes, several blocks
    write("src", data);
    chmod(at("src").c_str(), 0750);
    EXPECT_EQ(gen_copyfile(at("src").c_str(), at("dst").c_str()), 0);
    EXPECT_EQ(read("dst"), data);
    EXPECT_EQ(gen_getmode(at("dst").c_str(), 0), 0750);
    EXPECT_EQ(gen_binarydifffiles(at("src").c_str(), at("dst").c_str()), 0);
    EXPECT_EQ(gen_copyfile(at("missing").c_str(), at("dst2").c_str()), -1);
    EXPECT_EQ(gen_copyfile(dir.c_str(), at("dst3").c_str()), -1);
    EXPECT_EQ(gen_filesize(at("dst3").c_str()), -1);

    write("last", data.substr(0, 2999) + "!");
    write("short", data.substr(0, 2999));
    EXPECT_EQ(gen_binarydifffiles(at("src").c_str(), at("last").c_str()), 1);
    EXPECT_EQ(gen_binarydifffiles(at("src").c_str(), at("short").c_str()), 1);
    EXPECT_EQ(gen_binarydifffiles(at("src").c_str(), at("missing").c_str()), -1);
}

TEST_F(GenFile, RenameMoveRemoveAndAppend) {
    write("a", "A");
    write("b", "B");
    mkdir(at("d").c_str(), 0755);
    EXPECT_EQ(gen_removefile(at("d").c_str()), -1);
    EXPECT_TRUE(gen_isdir(at("d").c_str()));
    EXPECT_EQ(gen_renamefile(at("a").c_str(), at("d").c_str()), -1);
    EXPECT_EQ(gen_renamefile(at("a").c_str(), at("b").c_str()), 0);
    EXPECT_EQ(read("b"), "A");
    EXPECT_EQ(gen_filesize(at("a").c_str()), -1);
    EXPECT_EQ(gen_movefile(at("b").c_str(), at("d/moved").c_str()), 0);
    EXPECT_EQ(read("d/moved"), "A");
    write("tail", "-tail");
    EXPECT_EQ(gen_catfile(at("tail").c_str(), at("d/moved").c_str()), 0);
    EXPECT_EQ(gen_catfile(at("tail").c_str(), at("new").c_str()), 0);
    EXPECT_EQ(read("d/moved"), "A-tail");
    EXPECT_EQ(read("new"), "-tail");
    EXPECT_EQ(gen_removefile(at("new").c_str()), 0);
    EXPECT_EQ(gen_removefile(at("new").c_str()), -1);
}

TEST_F(GenFile, TimesCompareAndCopy) {
    write("old", "o");
    write("new", "n");
    setMtime("old", 1000000);
    setMtime("new", 2000000);
    EXPECT_EQ(gen_newerthan(at("new").c_str(), at("old").c_str()), 1);
    EXPECT_EQ(gen_newerthan(at("old").c_str(), at("new").c_str()), 0);
    EXPECT_EQ(gen_newerthan(at("none").c_str(), at("old").c_str()), -1);
    EXPECT_EQ(gen_newerthan(at("old").c_str(), at("none").c_str()), 1);
    EXPECT_EQ(gen_sametimeas(at("old").c_str(), at("new").c_str()), 0);
    EXPECT_EQ(gen_utime(at("old").c_str(), at("new").c_str()), 0);
    EXPECT_EQ(mtime("new"), 1000000);
    EXPECT_EQ(gen_sametimeas(at("old").c_str(), at("new").c_str()), 1);
    EXPECT_EQ(gen_sametimeas(at("old").c_str(), at("none").c_str()), -1);
}

TEST_F(GenFile, TouchMovesTimeAndKeepsContents) {
    EXPECT_EQ(gen_touchfile(at("fresh").c_str()), 0);
    EXPECT_EQ(gen_filesize(at("fresh").c_str()), 0);
    setMtime("fresh", 1000000);
    EXPECT_EQ(gen_touchfile(at("fresh").c_str()), 0);
    EXPECT_GT(mtime("fresh"), 1000000);
    EXPECT_EQ(gen_filesize(at("fresh").c_str()), 0);

    write("full", "xyz\n");
    setMtime("full", 1000000);
    EXPECT_EQ(gen_touchfile(at("full").c_str()), 0);
    EXPECT_GT(mtime("full"), 1000000);
    EXPECT_EQ(read("full"), "xyz\n");
    EXPECT_EQ(gen_touchfile(at("no/such/dir").c_str()), -1);
}

TEST_F(GenFile, ModesAndLinks) {
    EXPECT_EQ(gen_getmode(at("none").c_str(), 1), 0664);
    EXPECT_EQ(gen_getmode(at("none").c_str(), 0), -1);
    write("f", "x");
    chmod(at("f").c_str(), 0664);
    EXPECT_EQ(gen_chmod_minusw(at("f").c_str()), 0);
    EXPECT_EQ(gen_getmode(at("f").c_str(), 0), 0444);
    EXPECT_EQ(gen_chmod_pluswu(at("f").c_str()), 0);
    EXPECT_EQ(gen_getmode(at("f").c_str(), 0), 0644);
    mode_t old = umask(022);
    chmod(at("f").c_str(), 0400);
    EXPECT_EQ(gen_chmod_plusw(at("f").c_str()), 0);
    EXPECT_EQ(gen_getmode(at("f").c_str(), 0), 0600);
    EXPECT_EQ(gen_chmod_plusrw(at("f").c_str()), 0);
    EXPECT_EQ(gen_getmode(at("f").c_str(), 0), 0644);
    umask(old);
    write("model", "m");
    chmod(at("model").c_str(), 0751);
    EXPECT_EQ(gen_chmod_sameas(at("f").c_str(), at("model").c_str()), 0);
    EXPECT_EQ(gen_getmode(at("f").c_str(), 0), 0751);
    EXPECT_EQ(gen_canexec(at("f").c_str()), 1);
    EXPECT_EQ(gen_canexec(dir.c_str()), 0);
    EXPECT_EQ(gen_canexec(at("none").c_str()), -1);

    ASSERT_EQ(symlink("model", at("link").c_str()), 0);
    EXPECT_TRUE(gen_islink(at("link").c_str()));
    EXPECT_FALSE(gen_islink(at("model").c_str()));
    GenStr target(gen_readlink(at("link").c_str()));
    ASSERT_TRUE(target);
    EXPECT_STREQ(target.get(), "model");
    EXPECT_EQ(gen_readlink(at("model").c_str()), nullptr);
}

TEST_F(GenFile, DirectoriesNestedAndRemovedWithoutFollowingLinks) {
    EXPECT_EQ(gen_createdir(at("a/b/c").c_str(), 0755), 0);
    EXPECT_TRUE(gen_isdir(at("a/b/c").c_str()));
    EXPECT_EQ(gen_createdir(at("a/b").c_str(), 0755), 0); // already there
    write("a/b/c/f", "x");
    write("keep", "precious");
    mkdir(at("outside").c_str(), 0755);
    write("outside/g", "also precious");
    ASSERT_EQ(symlink(at("keep").c_str(), at("a/b/filelink").c_str()), 0);
    ASSERT_EQ(symlink(at("outside").c_str(), at("a/dirlink").c_str()), 0);
    EXPECT_EQ(gen_removedir_recursive(at("a").c_str()), 0);
    EXPECT_FALSE(gen_isdir(at("a").c_str()));
    EXPECT_EQ(read("keep"), "precious");
    EXPECT_EQ(read("outside/g"), "also precious");
    write("plain", "p");
    EXPECT_EQ(gen_createdir(at("plain").c_str(), 0755), -1);
}

TEST_F(GenFile, GetlineEndsAndGrowth) {
    std::string longLine(600, 'L');
    write("in", "a\nb\r\nc\rd\n\n" + longLine + "\nlast\r");
    FILE* f = fopen(at("in").c_str(), "rb");
    ASSERT_TRUE(f);
    char* buf = nullptr;
    long size = 0;
    std::vector<std::string> lines;
    while (char* line = gen_getline(f, &buf, &size)) lines.push_back(line);
    fclose(f);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "d", "", longLine, "last"}));
    EXPECT_GE(size, 601);
    EXPECT_EQ(size % 250, 0); // grown in steps of 250
    gen_free(buf);

    write("empty", "");
    f = fopen(at("empty").c_str(), "rb");
    buf = nullptr;
    EXPECT_EQ(gen_getline(f, &buf, &size), nullptr);
    fclose(f);
    gen_free(buf);
}

TEST_F(GenFile, SystemQuietFlag) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(gen_systemex("echo loud", ""), 0);
    EXPECT_EQ(gen_systemex("echo hushed", "q"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "loud\n");
    EXPECT_NE(gen_system("exit 3"), 0);
}

TEST_F(GenFile, SafeOpenEndsOnFailure) {
    write("ok", "x");
    FILE* f = gen_safe_fopen(at("ok").c_str(), "the file", "r");
    ASSERT_TRUE(f);
    fclose(f);
    gen_changeprogname("qe");
    std::string missing = at("missing");
    EXPECT_EXIT(gen_safe_fopen(missing.c_str(), "", "r"), testing::ExitedWithCode(1),
                "^qe: fatal: Unable to open " + missing +
                    " for input:  : No such file or directory\n$");
    std::string nodir = at("no/dir");
    EXPECT_EXIT(gen_safe_fopen(nodir.c_str(), "the journal", "w"), testing::ExitedWithCode(1),
                "Unable to open the journal for output: ");
}
