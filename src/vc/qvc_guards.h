// vc/qvc_guards.h: scoped holders for the operations on a log: the open log stream and the
// semaphore lock, released however the operation ends.
#pragma once

#include <cerrno>
#include <cstdio>
#include <string>

#include "vc/qvc.h"

struct LogStream {
    FILE* f = nullptr;
    ~LogStream() {
        if (f) fclose(f);
    }
};

struct Semaphore {
    std::string logname;
    bool held = false;
    ~Semaphore() {
        if (held) qvc_releaselock(logname);
    }
    bool take() {
        if (qvc_obtainlock(logname) != 0) {
            errno = 0;
            qvc_logerror(3);
            return false;
        }
        held = true;
        return true;
    }
};
