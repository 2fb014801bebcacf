// toolkit/eventloop.cc: the background-work list, deadlines and the event pump.
#include "toolkit/eventloop.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <fcntl.h>
#include <poll.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"

struct ExtraEntry;

struct ExtraHandle {
    ExtraEntry* entry; // null once the entry is gone
    int count;
};

struct ExtraEntry {
    int kind = XP_TIMER;
    long sec = 0;
    int ms = 0;
    long pid = 0;
    ExtraPoll poll = nullptr;
    ExtraFinish finish = nullptr;
    ExtraHandle* handle = nullptr;
    void* user = nullptr;
    bool busy = false;
};

namespace {

// The list keeps its own capacity rule (start at 10, grow by 10) so its growth is what the
// rest of the program expects; std::vector only stores the pointers.
struct ExtraList {
    std::vector<ExtraEntry*> items;
    size_t capacity = 0;
} xlist;

void releaseHandle(ExtraHandle* h) {
    if (h && --h->count <= 0) delete h;
}

void removeAt(size_t i) {
    ExtraEntry* e = xlist.items[i];
    xlist.items.erase(xlist.items.begin() + (long)i);
    e->handle->entry = nullptr; // the handle dies with its entry
    releaseHandle(e->handle);
    delete e;
}

long indexOf(const ExtraEntry* e) {
    for (size_t i = 0; i < xlist.items.size(); i++)
        if (xlist.items[i] == e) return (long)i;
    return -1;
}

struct PumpState {
    bool abort = false;
    void (*exitFn)() = nullptr;
    void (*periodic)(void*) = nullptr;
    void (*periodicCleanup)(void*, int) = nullptr;
    void* periodicArg = nullptr;
    long periodicExtra = 0;
    int counter = 0;
} pump;

} // namespace

void WSystemClock(long* sec, int* ms) {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    *sec = tv.tv_sec;
    *ms = (int)(tv.tv_usec / 1000);
}

void (*wClock)(long*, int*) = WSystemClock;

void WSetTimeout(long* sec, int* ms, int delayMs) {
    long s;
    int m;
    wClock(&s, &m);
    if (delayMs < 0) delayMs = 0;
    s += delayMs / 1000;
    m += delayMs % 1000;
    if (m >= 1000) {
        m -= 1000;
        s++;
    }
    *sec = s;
    *ms = m;
}

int WCheckTimeout(long sec, int ms) {
    long s;
    int m;
    wClock(&s, &m);
    if (s > sec || (s == sec && m >= ms)) return 0;
    return (int)((ms - m) + 1000 * (sec - s));
}

ExtraHandle* ExtraProcess_Create(int kind, long timeoutOrPid, ExtraPoll poll, ExtraFinish finish,
                                 void* user) {
    if (xlist.capacity == 0) xlist.capacity = 10;
    if (xlist.items.size() + 1 >= xlist.capacity) xlist.capacity += 10;
    xlist.items.reserve(xlist.capacity);
    auto* e = new ExtraEntry;
    e->kind = kind;
    e->poll = poll;
    e->finish = finish;
    e->user = user;
    if (kind == XP_TIMER)
        WSetTimeout(&e->sec, &e->ms, (int)timeoutOrPid);
    else if (kind == XP_CHILD)
        e->pid = timeoutOrPid;
    e->handle = new ExtraHandle{e, 2}; // one count for the list, one for the caller
    xlist.items.push_back(e);
    return e->handle;
}

bool ExtraProcess_Alive(const ExtraHandle* handle) {
    return handle && handle->entry;
}

void ExtraProcess_Release(ExtraHandle* handle) {
    releaseHandle(handle);
}

int ExtraProcess_SetTimeout(ExtraHandle* handle, int ms) {
    if (!ExtraProcess_Alive(handle)) return 0;
    WSetTimeout(&handle->entry->sec, &handle->entry->ms, ms);
    return 1;
}

void ExtraProcess_Kill(ExtraHandle* handle, int arg) {
    if (!ExtraProcess_Alive(handle)) return;
    ExtraEntry* e = handle->entry;
    if (e->finish && !e->finish(e->user, arg)) return;
    long i = indexOf(e); // finish may have reordered the list
    if (i >= 0) removeAt((size_t)i);
}

bool ExtraProcess_AnyTimedOut() {
    for (ExtraEntry* e : xlist.items)
        if (e->kind == XP_TIMER && e->poll && WCheckTimeout(e->sec, e->ms) == 0) return true;
    return false;
}

int ExtraProcess_NumberPending() {
    return (int)xlist.items.size();
}

int ExtraProcess_Wait(int* wait) {
    gen_checksignal();
    int suggested = 5000;
    if (xlist.items.empty()) {
        *wait = suggested;
        return 1;
    }
    size_t i = 0;
    while (i < xlist.items.size()) {
        ExtraEntry* e = xlist.items[i];
        if (e->busy) {
            i++;
            continue;
        }
        e->busy = true;
        int done = 0;
        if (e->kind != XP_PARKED && e->poll) {
            if (e->kind == XP_TIMER) {
                int left = WCheckTimeout(e->sec, e->ms);
                if (left == 0)
                    done = e->poll(e->user, (int)i);
                else if (left < suggested)
                    suggested = left;
            } else {
                done = e->poll(e->user, (int)i);
            }
        }
        if (e->kind == XP_IDLE) suggested = 0;
        // Each child entry waits for its own pid: reaping any child would take the status
        // of one that belongs to someone else (a synchronous filter's shell, say).
        int status = 0;
        bool childEnded = false;
        if (e->kind == XP_CHILD && e->pid > 0) {
            pid_t reaped;
            do {
                reaped = waitpid((pid_t)e->pid, &status, WNOHANG);
            } while (reaped < 0 && errno == EINTR);
            childEnded = reaped == (pid_t)e->pid || (reaped < 0 && errno == ECHILD);
        }
        // A callback may have added or removed entries: find this one again.
        long at = indexOf(e);
        if (at < 0) continue; // killed from inside its own callback
        i = (size_t)at;
        if (childEnded || done) {
            int remove = e->finish ? e->finish(e->user, childEnded ? status : 0) : 1;
            at = indexOf(e);
            if (at < 0) continue;
            i = (size_t)at;
            if (remove) {
                removeAt(i);
                continue; // the same index now holds the next entry
            }
        }
        e->busy = false;
        i++;
    }
    *wait = suggested;
    return 1;
}

// ---- watched descriptors and the sleep ----

namespace {

std::vector<int> watched;
int wakePipe[2] = {-1, -1};

void makeWakePipe() {
    if (wakePipe[0] >= 0) return;
    if (pipe(wakePipe) != 0) return;
    for (int fd : wakePipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
}

void drainWakePipe() {
    char buf[64];
    while (read(wakePipe[0], buf, sizeof buf) > 0) {
    }
}

} // namespace

void WWatchFd(int fd) {
    if (fd < 0 || std::find(watched.begin(), watched.end(), fd) != watched.end()) return;
    makeWakePipe();
    watched.push_back(fd);
}

void WUnwatchFd(int fd) {
    watched.erase(std::remove(watched.begin(), watched.end(), fd), watched.end());
}

void WWakeUp() {
    if (wakePipe[1] < 0) return;
    int saved = errno;
    char c = 0;
    (void)!write(wakePipe[1], &c, 1);
    errno = saved;
}

void WWaitInput(int displayFd, int ms) {
    std::vector<pollfd> fds;
    fds.reserve(watched.size() + 2);
    if (displayFd >= 0) fds.push_back({displayFd, POLLIN, 0});
    if (wakePipe[0] >= 0) fds.push_back({wakePipe[0], POLLIN, 0});
    for (int fd : watched) fds.push_back({fd, POLLIN, 0});
    int r = poll(fds.data(), fds.size(), ms);
    if (r > 0 && wakePipe[0] >= 0) drainWakePipe();
}

// ---- the event pump ----

// The abort report goes through the error service even when it carries no text.
static int reportAbort(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    int r = QuorlVError(ERR_ABORTED, format, ap);
    va_end(ap);
    return r;
}

int WEventAll(int abortable) {
    // Waiting for events is a safe point: a command is not half done while its dialogue
    // waits for an answer.
    gen_checksignal();
    pump.abort = false;
    pump.counter = 0;
    if (wBackend && XWindowsOn) {
        while (!pump.abort) {
            int r = wBackend->dispatchNext(abortable);
            if (r == WB_NO_EVENT) break;
            if (r == WB_ESCAPE) {
                return reportAbort(wSettings.escapeAborts ? "Command aborted." : nullptr);
            }
            if (r == 0) return 0;
            if (++pump.counter >= 11) {
                pump.counter = 0;
                if (ExtraProcess_AnyTimedOut()) break;
            }
        }
    }
    if (pump.exitFn) pump.exitFn();
    WClickTimingCheck();
    if (pump.periodic) pump.periodic(pump.periodicArg);
    return 1;
}

void WYield(int ms) {
    if (ms < 1) return;
    if (ms > 500) ms = 500;
    if (wBackend && wBackend->pending()) return;
    if (wSettings.clickPause > 0 && wSettings.clickPause * 100 - 2 < ms)
        ms = wSettings.clickPause * 100 - 2;
    if (ms < 1) return;
    if (wBackend) {
        wBackend->flush();
        wBackend->waitInput(ms);
    } else {
        WWaitInput(-1, ms);
    }
}

void WEventAbortLoop() {
    pump.abort = true;
}

bool WEventAborted() {
    return pump.abort;
}

void WEventAppScheduleExit(void (*fn)()) {
    pump.exitFn = fn;
}

bool WEventAppShouldExit() {
    return pump.exitFn != nullptr;
}

void WEventSetPeriodic(void (*fn)(void*), void (*cleanup)(void*, int), void* arg, long extra) {
    if (fn == pump.periodic && cleanup == pump.periodicCleanup && arg == pump.periodicArg &&
        extra == pump.periodicExtra)
        return;
    if (pump.periodicCleanup) pump.periodicCleanup(pump.periodicArg, 0);
    pump.periodic = fn;
    pump.periodicCleanup = cleanup;
    pump.periodicArg = arg;
    pump.periodicExtra = extra;
}
