// tests/runtime/test_gen_temp.cc: temporary names, the temp directory and temp directories.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <regex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/gen.h"

namespace {
std::string testTempDir;

struct GenTemp : testing::Test {
    const char* (*savedHook)(const char*) = nullptr;
    void SetUp() override {
        char tmpl[] = "/tmp/qe_gentempXXXXXX";
        ASSERT_TRUE(mkdtemp(tmpl));
        testTempDir = tmpl;
        savedHook = gen_temp_dir;
        gen_temp_dir = [](const char*) { return testTempDir.c_str(); };
        unsetenv("BUILDER_TEMPORARY_NAME");
        gen_set_temp_counter(1);
    }
    void TearDown() override {
        gen_temp_dir = savedHook;
        unsetenv("BUILDER_TEMPORARY_NAME");
        gen_removedir_recursive(testTempDir.c_str());
    }
    static void create(const std::string& path) {
        int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        close(fd);
    }
};

std::string pidStem() {
    static const char digits[] = "0123456789abcdefghijklmnopqrstuv";
    unsigned pid = (unsigned)getpid();
    return std::string("tq_") + digits[(pid >> 10) & 31] + digits[(pid >> 5) & 31] +
           digits[pid & 31];
}

std::string take(char* s) {
    GenStr owner(s);
    return s ? std::string(s) : std::string("<null>");
}
} // namespace

TEST_F(GenTemp, NameFormAndPlace) {
    std::string d = testTempDir;
    EXPECT_EQ(take(gen_tempname((d + "/file.c").c_str(), ".jnl")), d + "/" + pidStem() + "1.jnl");
    EXPECT_EQ(take(gen_tempname(d.c_str(), "tmp")), d + "/" + pidStem() + "2.tmp");
    EXPECT_EQ(take(gen_tempname(nullptr, "x")), d + "/" + pidStem() + "3.x");
    EXPECT_EQ(take(gen_tempname("bare.c", "x")), "./" + pidStem() + "4.x");
    gen_set_temp_counter(32 * 32 + 5); // several base-32 digits, no leading zeros
    EXPECT_EQ(take(gen_tempname(nullptr, "s")), d + "/" + pidStem() + "105.s");

    char buf[PATH_MAX];
    gen_set_temp_counter(31);
    EXPECT_EQ(tmp1name(d.c_str(), buf, ".c"), buf);
    EXPECT_EQ(std::string(buf), d + "/" + pidStem() + "v.c");
    EXPECT_EQ(take(tmp1name(nullptr, nullptr, "c")), d + "/" + pidStem() + "10.c");
}

TEST_F(GenTemp, SkipsUsedNamesAndStopsAtTheLastCounter) {
    std::string d = testTempDir;
    std::set<std::string> names;
    for (int i = 0; i < 40; i++) {
        std::string name = take(gen_tempname(nullptr, "t"));
        EXPECT_TRUE(names.insert(name).second) << name;
        if (i % 3 == 0) create(name);
    }
    // Names taken by files (or dangling links) already there are skipped.
    gen_set_temp_counter(100);
    create(d + "/" + pidStem() + "34.t"); // 100 in base 32
    ASSERT_EQ(symlink("nowhere", (d + "/" + pidStem() + "35.t").c_str()), 0);
    EXPECT_EQ(take(gen_tempname(nullptr, "t")), d + "/" + pidStem() + "36.t");

    gen_set_temp_counter(0xFFFFF);
    EXPECT_EQ(take(gen_tempname(nullptr, "t")), d + "/" + pidStem() + "vvvv.t");
    EXPECT_EQ(gen_tempname(nullptr, "t"), nullptr);
    gen_set_temp_counter(0xFFFFF);
    create(d + "/" + pidStem() + "vvvv.t");
    EXPECT_EQ(gen_tempname(nullptr, "t"), nullptr);
}

TEST_F(GenTemp, OpenedTempFileIsNewAndPrivate) {
    std::string d = testTempDir;
    create(d + "/" + pidStem() + "1.tmp");
    char* name = nullptr;
    mode_t old = umask(0);
    int fd = gen_opentempfile(nullptr, ".tmp", 0600, &name);
    umask(old);
    ASSERT_GE(fd, 0);
    close(fd);
    EXPECT_EQ(take(name), d + "/" + pidStem() + "2.tmp");
    EXPECT_EQ(gen_getmode((d + "/" + pidStem() + "2.tmp").c_str(), 0), 0600);
    EXPECT_EQ(gen_opentempfile((d + "/missing").c_str(), "x", 0600, &name), -1);
    EXPECT_EQ(name, nullptr);
}

TEST_F(GenTemp, BuilderStemReplacesTheProcessStem) {
    std::string d = testTempDir;
    setenv("BUILDER_TEMPORARY_NAME", "step7", 1);
    EXPECT_EQ(take(gen_tempname(nullptr, "o")), d + "/step7.1.o");
    setenv("BUILDER_TEMPORARY_NAME", "job.", 1);
    create(d + "/job.2.o");
    EXPECT_EQ(take(gen_tempname(nullptr, ".o")), d + "/job.3.o");
}

TEST_F(GenTemp, RelatedNamesShareOneStem) {
    std::string d = testTempDir, other = testTempDir + "/sub";
    ASSERT_EQ(mkdir(other.c_str(), 0755), 0);
    create(other + "/" + pidStem() + "1.b"); // blocks counter 1 for the pair
    char *first = nullptr, *second = nullptr;
    ASSERT_EQ(tmp2name(nullptr, "a", other.c_str(), "b", &first, &second), 1);
    EXPECT_EQ(take(first), d + "/" + pidStem() + "2.a");
    EXPECT_EQ(take(second), other + "/" + pidStem() + "2.b");

    create(d + "/" + pidStem() + "3.z");
    const char* dirs[3] = {nullptr, other.c_str(), nullptr};
    const char* sfx[3] = {"x", "y", "z"};
    char* names[3];
    ASSERT_EQ(xtmp3names(dirs, sfx, names), 1);
    EXPECT_EQ(take(names[0]), d + "/" + pidStem() + "4.x");
    EXPECT_EQ(take(names[1]), other + "/" + pidStem() + "4.y");
    EXPECT_EQ(take(names[2]), d + "/" + pidStem() + "4.z");
}

TEST_F(GenTemp, DirectoryNamesCountUpAndGetTheirMode) {
    char stem[16];
    snprintf(stem, sizeof stem, "tq%04X", (unsigned)getpid() & 0xFFFF);
    std::string base = testTempDir + "/" + stem;
    EXPECT_EQ(take(gen_tmpdirname()), base + "aa");
    mode_t old = umask(077);
    GenStr made(gen_createtmpdir(0750));
    umask(old);
    ASSERT_TRUE(made);
    EXPECT_EQ(std::string(made.get()), base + "aa");
    EXPECT_EQ(gen_getmode(made.get(), 0), 0750);
    EXPECT_EQ(take(gen_tmpdirname()), base + "ab");
    create(base + "ab");
    for (char c : std::string("cdefghijklmnopqrstuvwxyz")) create(base + "a" + c);
    EXPECT_EQ(take(gen_tmpdirname()), base + "b0");
    GenStr next(gen_createtmpdir(0700));
    ASSERT_TRUE(next);
    EXPECT_TRUE(gen_isdir(next.get()));
}

TEST(GenTempDir, PreferenceOrder) {
    char tmpl[] = "/tmp/qe_tmpdirXXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    std::string good = tmpl, bad = good + "/missing";
    const char* saved = getenv("TMPDIR");
    std::string savedValue = saved ? saved : "";

    setenv("TMPDIR", good.c_str(), 1);
    EXPECT_EQ(std::string(gen_default_temp_dir("/tmp")), good);
    setenv("TMPDIR", bad.c_str(), 1);
    EXPECT_EQ(std::string(gen_default_temp_dir(good.c_str())), good);
    EXPECT_EQ(std::string(gen_default_temp_dir(nullptr)), good); // computed once, kept
    EXPECT_EQ(std::string(gen_default_temp_dir(bad.c_str())), "/var/tmp/");
    chmod(good.c_str(), 0500);
    unsetenv("TMPDIR");
    if (geteuid() != 0) { // root may write anywhere
        EXPECT_EQ(std::string(gen_default_temp_dir(good.c_str())), "/var/tmp/");
    }

    if (saved)
        setenv("TMPDIR", savedValue.c_str(), 1);
    else
        unsetenv("TMPDIR");
    gen_default_temp_dir(nullptr);
    rmdir(good.c_str());
}
