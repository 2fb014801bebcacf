// tests/buffer/testutil.h: a scratch directory with its own temp-file directory, and reading
// a File's lines back.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
#include "config/options.h"
#include "config/switches.h"

struct TestDir {
    std::string path;
    TestDir() {
        char tmpl[] = "/tmp/qe-edits-XXXXXX";
        path = mkdtemp(tmpl);
        tempFileDir = path + "/tmp";
        mkdir(tempFileDir.c_str(), 0700);
        InitDebugFlag();
    }
    ~TestDir() {
        std::string cmd = "rm -rf '" + path + "'";
        if (system(cmd.c_str()) != 0) ADD_FAILURE() << "cleanup failed";
        tempFileDir.clear();
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::string p = file(name);
        FILE* f = fopen(p.c_str(), "wb");
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
        return p;
    }
    bool exists(const std::string& name) const { return access(file(name).c_str(), F_OK) == 0; }
};

inline std::string readFile(const std::string& path) {
    std::string s;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    char buf[8192];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    fclose(f);
    return s;
}

inline std::vector<std::string> linesOf(File* f) {
    std::vector<std::string> out;
    for (Line* l = f->first; l; l = l->next) out.emplace_back(FileLineText(f, l), (size_t)l->len);
    return out;
}

// The File's text as written: every line followed by LF.
inline std::string textOf(File* f) {
    std::string s;
    for (const auto& l : linesOf(f)) s += l + "\n";
    return s;
}
