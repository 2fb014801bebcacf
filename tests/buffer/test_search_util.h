// tests/buffer/test_search_util.h: Files made from test texts, and capturing reported errors.
#pragma once

#include <cstdio>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
#include "config/options.h"
#include "config/switches.h"
#include "runtime/error.h"
#include "testutil.h"

// A private directory for the files of one test, and the temp files of the Files made there.
struct SearchTestDir : TestDir {
    // A File whose lines live in its temp file, as after opening a file from disk.
    File* load(const std::string& bytes, const std::string& name = "t.txt") const {
        return FileFFileNoApplyEdits(write(name, bytes).c_str());
    }
};

// Collects what the error service shows while it lives.
struct ErrorCapture {
    static std::vector<std::string>& texts() {
        static std::vector<std::string> t;
        return t;
    }
    struct Alerts : ErrorDisplay {
        void alert(const char* text) override { texts().emplace_back(text); }
        void bell() override {}
    } alerts;
    ErrorDisplay* saved = errorDisplay.find();
    ErrorCapture() {
        texts().clear();
        errorDisplay.install(&alerts);
        QuorlClearLastError();
    }
    ~ErrorCapture() { errorDisplay.install(saved); }
};

inline std::string LineString(File* f, Line* l) {
    return std::string(FileLineText(f, l), (size_t)l->len);
}
