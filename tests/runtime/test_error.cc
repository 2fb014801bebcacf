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

namespace {
std::string shown;
int bells = 0;
}

TEST(ErrorService, SinkGetsAlertsPanicsAndFatalErrors) {
    err_ClearAll();
    shown.clear();
    bells = 0;
    struct : ErrorDisplay {
        void alert(const char* text) override { shown += "[alert]" + std::string(text); }
        void bell() override { bells++; }
    } display;
    struct : ErrorMessages {
        void messageLines(const char* text) override { shown += "[line]" + std::string(text); }
        void messageList(const char*) override {}
        bool guiMprintf() override { return false; }
    } messages;
    errorDisplay.install(&display);
    errorMessages.install(&messages);

    EXPECT_EQ(err_Failure("Can't open %s", "x"), 0);
    EXPECT_EQ(QuorlGetLastError(), 1);
    EXPECT_EQ(QuorlFatalError(7, "disk %s", "full"), 0);
    EXPECT_EQ(QuorlFatalError(7, nullptr), 0);
    EXPECT_EQ(QuorlGetLastError(), 1); // fatal errors leave the word alone
    EXPECT_EQ(shown, "[alert]Can't open x\n[alert]disk full\n");

    shown.clear();
    testing::internal::CaptureStderr();
    bool caught = false;
    try {
        ErrorCheck frame;
        SysPanic("Can't open help file");
    } catch (const PanicError&) {
        caught = true;
    }
    EXPECT_TRUE(caught);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't open help file\n");
    EXPECT_EQ(shown, "[alert]Can't open help file[line]Can't open help file");
    EXPECT_EQ(bells, 1);

    // A long report is cut to the message buffer, and still ends in a newline.
    shown.clear();
    std::string longText(3000, 'y');
    err_Failure("%s", longText.c_str());
    EXPECT_EQ(shown, "[alert]" + longText.substr(0, 2047) + "\n");
    errorDisplay.install(nullptr);
    errorMessages.install(nullptr);
    err_ClearAll();
}
