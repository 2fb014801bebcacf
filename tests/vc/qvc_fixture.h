// tests/vc/qvc_fixture.h: the QVC library in-process: each test in its own scratch directory
// with everything QVC says captured.
#pragma once

#include <gtest/gtest.h>

#include "qvc_run.h"
#include "vc/qvc.h"

inline std::string captured; // what QVC said since the last run() or the test's start

class Qvc : public ::testing::Test {
protected:
    ScratchDir dir;
    char previous[4096];
    void SetUp() override {
        ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
        captured.clear();
        qvc_output = [](const char* text) { captured += text; };
    }
    void TearDown() override { EXPECT_EQ(chdir(previous), 0); }
    std::string run(const std::string& line) {
        captured.clear();
        last = qvc_main_char(line.c_str());
        return captured;
    }
    int last = 0;
};
