// tests/buffer/test_exec.cc: a region filtered through a shell command: the temp files the
// command line names reach the shell as plain words, whatever the temp directory is called.
#include <gtest/gtest.h>

#include <cstdlib>

#include "buffer/exec.h"
#include "runtime/gen.h"
#include "testutil.h"

namespace {

TEST(Filter, HostileTempDirectoryNamesAreWordsToTheShell) {
    TestDir dir;
    const char* names[] = {"a b", "q'uote", "d\"q", "$(touch PWNED)", "`touch PWNED`",
                           "new\nline", "semi;touch PWNED", "x>PWNED"};
    for (const char* name : names) {
        std::string tmp = dir.file(name);
        ASSERT_EQ(mkdir(tmp.c_str(), 0700), 0) << name;
        tempFileDir = tmp;
        int64_t len = 0;
        int status = -1;
        char* out = _FileExecuteStr("tr a-z A-Z", "abc\n", 4, &len, &status);
        ASSERT_NE(out, nullptr) << name;
        EXPECT_EQ(std::string(out, len), "ABC\n") << name;
        EXPECT_EQ(status, 0) << name;
        gen_free(out);
        EXPECT_FALSE(dir.exists("PWNED")) << name;
        EXPECT_EQ(access("PWNED", F_OK), -1) << name;
    }
}

} // namespace
