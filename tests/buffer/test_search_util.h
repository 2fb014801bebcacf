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

// A private directory for the files of one test, and the temp files of the Files made there.
struct SearchTestDir {
    std::string path;
    SearchTestDir() {
        char tmpl[] = "/tmp/qe-search-XXXXXX";
        path = mkdtemp(tmpl);
        tempFileDir = path + "/tmp";
        mkdir(tempFileDir.c_str(), 0700);
        InitDebugFlag();
    }
    ~SearchTestDir() {
        std::string cmd = "rm -rf '" + path + "'";
        if (system(cmd.c_str()) != 0) fprintf(stderr, "cleanup of %s failed\n", path.c_str());
        tempFileDir.clear();
    }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::string p = path + "/" + name;
        FILE* f = fopen(p.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        return p;
    }
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
