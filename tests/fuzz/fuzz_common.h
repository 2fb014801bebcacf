// tests/fuzz/fuzz_common.h: what every harness needs once: a private directory for the temp
// files of the Files it makes, removed at exit, and errors that go nowhere instead of to a
// window.
#pragma once

#include <ftw.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "config/options.h"
#include "config/switches.h"
#include "runtime/error.h"

inline void FuzzSetUp() {
    static bool done = false;
    if (done) return;
    done = true;
    // Memory-backed when the machine has it: most harnesses write files for every input.
    std::string tmpl = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    tmpl += "/qe-fuzz-XXXXXX";
    const char* dir = mkdtemp(tmpl.data());
    if (!dir) abort();
    static std::string top = dir;
    atexit([] { // every replay in every test run makes one: leave none behind
        nftw(top.c_str(), [](const char* path, const struct stat*, int, struct FTW*) {
            return remove(path);
        }, 16, FTW_DEPTH | FTW_PHYS);
    });
    tempFileDir = top + "/tmp";
    mkdir(tempFileDir.c_str(), 0700);
    InitDebugFlag();
    // Reports go nowhere: the harnesses look for crashes, not messages.
    static struct : ErrorDisplay {
        void alert(const char*) override {}
        void bell() override {}
    } display;
    static struct : ErrorMessages {
        void messageLines(const char*) override {}
        void messageList(const char*) override {}
        bool guiMprintf() override { return false; }
    } messages;
    errorDisplay.install(&display);
    errorMessages.install(&messages);
}
