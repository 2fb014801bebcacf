// tests/buffer/fake_vc.h: a version-control front end for tests, installed for its lifetime.
// Files whose path contains `controlled` are under control; check-outs answer `checkOut`.
#pragma once

#include <cstring>
#include <string>
#include <sys/stat.h>

#include "buffer/vchook.h"
#include "runtime/gen.h"

struct FakeVc final : FileVcFrontEnd {
    std::string controlled;        // a path containing this is under control ("" none)
    std::string holder;            // who has a File checked out ("" nobody)
    int checkOut = 1;              // the check-out's answer
    bool makeWritable = false;     // a successful check-out makes the file writable
    int underCalls = 0;
    std::string checkedOutPath;

    explicit FakeVc(std::string path) : controlled(std::move(path)) { fileVc.install(this); }
    ~FakeVc() { fileVc.install(nullptr); }

    int underVC(const char* path) override {
        underCalls++;
        return !controlled.empty() && strstr(path, controlled.c_str()) ? 1 : 0;
    }
    char* getCheckUser(const char*) override {
        return holder.empty() ? nullptr : gen_copy(holder.c_str());
    }
    int checkInFile(const char*, const char*) override { return 1; }
    int checkOutFile(const char* path) override {
        checkedOutPath = path;
        if (checkOut == 1 && makeWritable) chmod(path, 0644);
        return checkOut;
    }
    int checkOutFileByVersion(const char* path, const char*) override {
        return checkOutFile(path);
    }
    int uncheckFile(const char*) override { return 1; }
    int setOutput(int) override { return 0; }
    void errIgnore() override {}
    void errAlert(const char*) override {}
    int askMissing(File*) override { return 0; }
    int fetch(File*, bool) override { return 0; }
    int checkInOnClose(File*) override { return 1; }
};
