// tests/runtime/test_gen_core.cc: messages, exits, assertions, signal traps, program directory.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "runtime/gen.h"

#if defined(__SANITIZE_ADDRESS__)
#define QE_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QE_ASAN 1
#endif
#endif

namespace {
// Runs with the program name "qe" and the plain prefixes, restoring both afterwards.
struct Messages : testing::Test {
    void SetUp() override {
        gen_changeprogname("qe");
        gen_altprefixes = 0;
    }
    void TearDown() override { gen_altprefixes = 0; }
    static std::string capture(void (*emit)()) {
        testing::internal::CaptureStderr();
        emit();
        return testing::internal::GetCapturedStderr();
    }
};
} // namespace

TEST_F(Messages, PrefixesByCode) {
    EXPECT_EQ(capture([] { gen_error("bad %d", 3); }), "qe: error: bad 3\n");
    EXPECT_EQ(capture([] { gen_warning("w"); }), "qe: warning: w\n");
    EXPECT_EQ(capture([] { gen_info("i"); }), "qe: info: i\n");
    EXPECT_EQ(capture([] { gen_message(1, "d"); }), "qe: disaster: d\n");
    EXPECT_EQ(capture([] { gen_message(2, "f"); }), "qe: fatal: f\n");
    EXPECT_EQ(capture([] { gen_message(0, "plain"); }), "qe: plain\n");
    EXPECT_EQ(capture([] { gen_printf("never named"); }), "never named\n");
    gen_altprefixes = 1;
    EXPECT_EQ(capture([] { gen_message(0, "x"); }), "qe: ERROR: x\n");
    EXPECT_EQ(capture([] { gen_message(1, "x"); }), "qe: ERROR: DISASTER: x\n");
    EXPECT_EQ(capture([] { gen_warning("x"); }), "qe: WARNING: x\n");
    EXPECT_EQ(capture([] { gen_printf("x"); }), "x\n");
    gen_altprefixes = 0;
    gen_changeprogname("");
    EXPECT_EQ(capture([] { gen_error("anonymous"); }), "error: anonymous\n");
}

TEST_F(Messages, NoSecondNewlineAndNoTruncation) {
    EXPECT_EQ(capture([] { gen_error("ends\n"); }), "qe: error: ends\n");
    EXPECT_EQ(capture([] { gen_printf("two\n\n"); }), "two\n\n");
    EXPECT_EQ(capture([] { gen_printf("%s", ""); }), "\n");
    static std::string longText(5000, 'x');
    EXPECT_EQ(capture([] { gen_printf("%s|", longText.c_str()); }), longText + "|\n");
}

TEST_F(Messages, SystemErrorTextAndCounters) {
    int before[7];
    std::copy(gen_msgcount, gen_msgcount + 7, before);
    int anyBefore = gen_anyerror;
    std::string out = capture([] {
        errno = ENOENT;
        gen_perror("open %s: ", "f");
    });
    EXPECT_EQ(out, "qe: fatal: open f:  : No such file or directory\n"); // code 102
    EXPECT_EQ(errno, 0);
    // Without a pending system error the message ends like any other.
    EXPECT_EQ(capture([] { gen_message(104, "careful"); }), "qe: warning: careful\n");
    capture([] {
        gen_warning("w");
        gen_printf("p");
        gen_message(0, "z");
    });
    EXPECT_EQ(gen_msgcount[2], before[2] + 1);
    EXPECT_EQ(gen_msgcount[4], before[4] + 2);
    EXPECT_EQ(gen_msgcount[6], before[6] + 1);
    EXPECT_EQ(gen_msgcount[0], before[0] + 1);
    EXPECT_EQ(gen_anyerror, anyBefore + 2); // the error and the plain message
}

TEST_F(Messages, ViewpathingReportOnlyWhenAsked) {
    unsetenv("TQL_VP_DEBUG");
    EXPECT_EQ(capture([] { gen_viewpathing_init(0); }), "");
    setenv("TQL_VP_DEBUG", "1", 1);
    EXPECT_EQ(capture([] { gen_viewpathing_init(0); }), "qe: info: Viewpathing support is OFF.\n");
    unsetenv("TQL_VP_DEBUG");
}

using GenDeathTest = Messages;

TEST_F(GenDeathTest, OutOfMemoryEndsWithStatus3) {
#ifdef QE_ASAN
    GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing";
#else
    auto limitAndAlloc = [](bool viaRealloc) {
        struct rlimit lim = {1UL << 32, 1UL << 32};
        setrlimit(RLIMIT_AS, &lim);
        if (viaRealloc)
            gen_realloc(gen_alloc(1, 16), 1UL << 33);
        else
            gen_alloc(1L << 23, 1024);
    };
    EXPECT_EXIT(limitAndAlloc(false), testing::ExitedWithCode(3),
                "^qe: fatal: Out of memory \\(8589934592 bytes requested\\)\n$");
    EXPECT_EXIT(limitAndAlloc(true), testing::ExitedWithCode(3),
                "Out of memory \\(8589934592 bytes requested\\)");
#endif
}

TEST_F(GenDeathTest, AssertionReports) {
    EXPECT_EXIT(__Assert(0, "a == b", "file.cc", 12, 0), testing::ExitedWithCode(1),
                "^Assertion \\(a == b\\) failed in 'file.cc' on line 12 in qe\n$");
    EXPECT_EXIT(__Assert(0, "x", "f", 3, 7), testing::ExitedWithCode(1),
                "^Assertion \\[7\\] failed in 'f' on line 3 in qe\n$");
    EXPECT_EXIT(__Assert(0, nullptr, "f", 3, 0), testing::ExitedWithCode(1),
                "^Assertion failed in 'f' on line 3 in qe\n$");
    EXPECT_EXIT(GAssert(1 + 1 == 3), testing::ExitedWithCode(1),
                "^Assertion \\(1 \\+ 1 == 3\\) failed in 'test_gen_core.cc' on line [0-9]+ in qe\n$");
    __Assert(1, "fine", "f", 1, 0); // a holding condition does nothing
}

TEST_F(GenDeathTest, EditorAssertionEndsThroughTheExitHook) {
    auto swapped = [] {
        GenHookSwap<void (*)(int)> hook(gen_exit, [](int status) { _exit(status + 40); });
        gen_changeprogname("");
        MAssert(2 < 1);
    };
    EXPECT_EXIT(swapped(), testing::ExitedWithCode(41),
                "^Assertion \\(2 < 1\\) failed in 'test_gen_core.cc' on line [0-9]+\n$");
}

TEST_F(GenDeathTest, ErrorExitCodes) {
    EXPECT_EXIT(gen_errorexit(4, "bad %s", "thing"), testing::ExitedWithCode(4),
                "^qe: fatal: bad thing\n$");
    EXPECT_EXIT(gen_errorexit(0, "bye"), testing::ExitedWithCode(0), "^qe: bye\n$");
    EXPECT_EXIT(gen_successexit(), testing::ExitedWithCode(0), "^$");
}

// The traps only note the signal; the program ends at its next safe point.
TEST_F(GenDeathTest, SignalTraps) {
    auto raiseAfterSetup = [](int sig) {
        trapsetup();
        raise(sig);
        if (gen_signalpending() != sig) _exit(98);
        gen_checksignal();
        _exit(99); // not reached when the safe point acts
    };
    EXPECT_EXIT(raiseAfterSetup(SIGINT), testing::ExitedWithCode(2), "^qe: error: Halted\n$");
    EXPECT_EXIT(raiseAfterSetup(SIGHUP), testing::ExitedWithCode(2),
                "^qe: error: Interrupt \\(1\\)\n$");
    EXPECT_EXIT(raiseAfterSetup(SIGTERM), testing::ExitedWithCode(2), "^$");
    // The program's own ending runs first and may choose the status.
    auto ownEnding = [] {
        trapsetup();
        gen_signalquit = [](int sig) { _exit(sig == SIGINT ? 61 : 62); };
        raise(SIGINT);
        gen_checksignal();
        _exit(99);
    };
    EXPECT_EXIT(ownEnding(), testing::ExitedWithCode(61), "^qe: error: Halted\n$");
    auto brokenPipe = [] {
        trapsetup();
        int fds[2];
        if (pipe(fds) != 0) _exit(98);
        close(fds[0]);
        dup2(fds[1], 1);
        if (write(1, "x", 1) >= 0) _exit(97);
        gen_checksignal();
        _exit(99);
    };
    EXPECT_EXIT(brokenPipe(), testing::ExitedWithCode(2), "^qe: error: Halted by a SIGPIPE.\n$");
    // A write past the file size limit fails instead of ending the process.
    auto sizeLimit = [] {
        trapsetup();
        struct rlimit rl{10, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &rl);
        FILE* f = tmpfile();
        if (!f) _exit(98);
        int fd = fileno(f);
        _exit(write(fd, "more than ten bytes", 19) == 10 && write(fd, "x", 1) < 0 &&
                      errno == EFBIG ? 7 : 99);
    };
    EXPECT_EXIT(sizeLimit(), testing::ExitedWithCode(7), "^$");
}

TEST(GenCore, ProgramDirectoryFromPath) {
    char tmpl[] = "/tmp/qe_progdirXXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    std::string root = tmpl, plainDir = root + "/plain", execDir = root + "/exec";
    ASSERT_EQ(gen_createdir(plainDir.c_str(), 0755), 0);
    ASSERT_EQ(gen_createdir(execDir.c_str(), 0755), 0);
    for (auto [dir, mode] : {std::pair{plainDir, 0644}, std::pair{execDir, 0755}}) {
        int fd = open((dir + "/mytool").c_str(), O_CREAT | O_WRONLY, mode);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    std::string savedPath = getenv("PATH") ? getenv("PATH") : "";
    char* savedExec = gen_execname;
    char fakeExec[] = "mytool";
    gen_execname = fakeExec;

    setenv("PATH", (root + "/none::" + plainDir + ":" + execDir).c_str(), 1);
    gen_changeprogdir(nullptr);
    EXPECT_EQ(std::string(gen_getprogdir()), execDir);
    setenv("PATH", "", 1);
    EXPECT_EQ(std::string(gen_getprogdir()), execDir); // kept once found
    gen_changeprogdir(nullptr);
    EXPECT_STREQ(gen_getprogdir(), ".");
    char pathExec[] = "/opt/q/bin/qe";
    gen_execname = pathExec;
    gen_changeprogdir(nullptr);
    EXPECT_STREQ(gen_getprogdir(), "/opt/q/bin");

    gen_execname = savedExec;
    gen_changeprogdir(nullptr);
    setenv("PATH", savedPath.c_str(), 1);
    gen_removedir_recursive(root.c_str());
}

TEST(GenCore, AllocatorContracts) {
    EXPECT_EQ(gen_alloc(0, 8), nullptr);
    EXPECT_EQ(gen_alloc(-3, 8), nullptr);
    unsigned char* p = (unsigned char*)gen_alloc(4, 16);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 64; i++) EXPECT_EQ(p[i], 0);
    p[63] = 77;
    p = (unsigned char*)gen_allocate(p, 8, 16);
    EXPECT_EQ(p[63], 77); // the old part survives a grow
    gen_free(p);
    gen_free(nullptr);
    EXPECT_EQ(gen_realloc(nullptr, 0), nullptr);
    int value = 1234;
    int* copy = (int*)gen_structcopy(&value, sizeof value);
    EXPECT_EQ(*copy, 1234);
    gen_free(copy);
    EXPECT_EQ(gen_structcopy(nullptr, 4), nullptr);
    gen_set_version(5);
    EXPECT_TRUE(gen_is_at_least_version(5));
    EXPECT_FALSE(gen_is_at_least_version(6));
}

TEST(GenCoreDeathTest, InitNamesTheProgramAndCleansUpAtExit) {
    auto start = [] {
        setenv("TQL_VP_DEBUG", "yes", 1);
        gen_init("/usr/local/bin/qe-test", 0);
        fprintf(stderr, "[%s|%s]\n", gen_progname, gen_execname);
        raise(SIGQUIT); // the traps are in place
        gen_checksignal();
    };
    EXPECT_EXIT(start(), testing::ExitedWithCode(2),
                "^qe-test: info: Viewpathing support is OFF.\n"
                "\\[qe-test\\|/usr/local/bin/qe-test\\]\n"
                "qe-test: error: Interrupt \\(3\\)\n$");
}
