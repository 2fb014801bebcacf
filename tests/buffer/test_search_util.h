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
    ErrorSink saved;
    ErrorCapture() {
        saved = err_sink;
        texts().clear();
        err_sink.displayOpen = [] { return true; };
        err_sink.alert = [](const char* text) { texts().emplace_back(text); };
        QuorlClearLastError();
    }
    ~ErrorCapture() { err_sink = saved; }
};

inline std::string LineString(File* f, Line* l) {
    return std::string(FileLineText(f, l), (size_t)l->len);
}
