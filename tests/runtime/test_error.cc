// tests/runtime/test_error.cc: the error service's last-error word and Panic frames.
#include <gtest/gtest.h>

#include "runtime/error.h"

TEST(ErrorService, AbortIsNotMaskedByLaterFailure) {
    err_ClearAll();
    testing::internal::CaptureStdout();
    EXPECT_EQ(QuorlError(3, "aborted"), 0);
    EXPECT_EQ(QuorlError(1, "failed"), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(QuorlGetLastError(), 3);
    EXPECT_EQ(out, "aborted\nfailed\n");
    EXPECT_TRUE(err_CheckAndClear(3));
    EXPECT_EQ(QuorlGetLastError(), 0);
}

TEST(ErrorService, EmptyReportShowsNothingAndSucceeds) {
    err_ClearAll();
    testing::internal::CaptureStdout();
    const char* empty = "";
    EXPECT_EQ(QuorlError(0, empty), 1);
    EXPECT_EQ(QuorlError(0, "done\n"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "done\n");
    EXPECT_EQ(QuorlGetLastError(), 0);
}

TEST(ErrorService, PanicUnwindsToInnermostFrame) {
    int reached = 0;
    testing::internal::CaptureStderr();
    try {
        ErrorCheck outer;
        try {
            ErrorCheck inner;
            EXPECT_EQ(gen_error_depth(), 1);
            Panic("Tempfile %s", "shrunk");
        } catch (const PanicError& e) {
            EXPECT_EQ(e.depth, 1);
            reached = 1;
        }
        EXPECT_EQ(gen_error_depth(), 0);
    } catch (const PanicError&) {
        reached = 2;
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Tempfile shrunk\n");
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(gen_error_depth(), -1);
}
