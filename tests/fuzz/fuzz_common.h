// tests/fuzz/fuzz_common.h: what every harness needs once: a private directory for the temp
// files of the Files it makes, and errors that go nowhere instead of to a window.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "config/options.h"
#include "config/switches.h"
#include "runtime/error.h"

inline void FuzzSetUp() {
    static bool done = false;
    if (done) return;
    done = true;
    char tmpl[] = "/tmp/qe-fuzz-XXXXXX";
    const char* dir = mkdtemp(tmpl);
    if (!dir) abort();
    tempFileDir = std::string(dir) + "/tmp";
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
