// tests/toolkit/test_process.cc: child processes through the event loop, and the long-work scope.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/error.h"
#include "runtime/handles.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/longwork.h"
#include "toolkit/process.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"

namespace {

struct Owner {
    std::string out, err;
    int status = -1;
    int outputs = 0;
};

WProcessClient client() {
    WProcessClient c;
    c.output = [](void* o, const char* d, size_t n, int stream) {
        auto* owner = static_cast<Owner*>(o);
        (stream == 2 ? owner->err : owner->out).append(d, n);
        owner->outputs++;
    };
    c.ended = [](void* o, int status) { static_cast<Owner*>(o)->status = status; };
    return c;
}

long nowMs() {
    long s;
    int m;
    WSystemClock(&s, &m);
    return s * 1000 + m;
}

// The main loop's steps until done() or the limit; false when the limit was reached.
template <class F> bool loopUntil(F done, int limitMs = 10000) {
    long end = nowMs() + limitMs;
    while (!done()) {
        if (nowMs() > end) return false;
        WEventAll(0);
        int wait = 0;
        ExtraProcess_Wait(&wait);
        WYield(wait - 10);
    }
    return true;
}

struct Processes : ::testing::Test {
    void SetUp() override {
        if (!wBackend) {
            wRequestedBackend = WB_HEADLESS;
            ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
        }
        wClock = WSystemClock;
    }
    void TearDown() override {
        WProcessEndAll(500);
        EXPECT_EQ(WProcessRunning(), 0);
    }
    MHandle* start(Owner& o, const char* command, bool merge = true, bool input = false) {
        WProcessSpec spec;
        spec.command = command;
        spec.mergeStderr = merge;
        spec.wantStdin = input;
        MHandle* owner = MHandleCreate(MHANDLE_OTHER, &o);
        MHandle* p = WProcessStart(spec, client(), owner);
        MHandleDestroy(owner);
        return p;
    }
};

TEST_F(Processes, OutputStreamsAndTheStatusComesLast) {
    Owner o;
    MHandle* p = start(o, "printf 'one\\n'; printf 'two' >&2; exit 3", false);
    ASSERT_NE(p, nullptr);
    EXPECT_GT(WProcessPid(p), 0);
    EXPECT_EQ(WProcessRunning(), 1);
    ASSERT_TRUE(loopUntil([&] { return o.status >= 0; }));
    EXPECT_EQ(o.out, "one\n");
    EXPECT_EQ(o.err, "two");
    EXPECT_TRUE(WIFEXITED(o.status));
    EXPECT_EQ(WEXITSTATUS(o.status), 3);
    EXPECT_EQ(WProcessPid(p), 0); // the record is gone, the handle says so
    MHandleDestroy(p);
}

TEST_F(Processes, DirectArgumentsNulBytesAndAMissingProgram) {
    Owner o;
    WProcessSpec spec;
    spec.argv = {"printf", "a\\0b\\n"};
    MHandle* owner = MHandleCreate(MHANDLE_OTHER, &o);
    MHandleDestroy(WProcessStart(spec, client(), owner));
    Owner missing;
    MHandle* p = start(missing, "no-such-command-qe 2>&1");
    ASSERT_TRUE(loopUntil([&] { return o.status >= 0 && missing.status >= 0; }));
    EXPECT_EQ(o.out, std::string("a\0b\n", 4));
    EXPECT_EQ(WEXITSTATUS(missing.status), 127);
    EXPECT_NE(missing.out.find("not found"), std::string::npos) << missing.out;
    MHandleDestroy(p);
    MHandleDestroy(owner);
}

TEST_F(Processes, EachChildIsWaitedForByItsOwnPid) {
    // A child that is not ours must keep its status for whoever started it.
    pid_t stranger = fork();
    if (stranger == 0) _exit(5);
    Owner o;
    MHandleDestroy(start(o, "sleep 0.2"));
    ASSERT_TRUE(loopUntil([&] { return o.status >= 0; }));
    int status = 0;
    ASSERT_EQ(waitpid(stranger, &status, 0), stranger);
    EXPECT_EQ(WEXITSTATUS(status), 5);
}

TEST_F(Processes, HaltEndsAChildThatIgnoresItsSignals) {
    Owner o;
    MHandle* p = start(o, "trap '' INT TERM; echo ready; while :; do sleep 1; done");
    ASSERT_TRUE(loopUntil([&] { return o.out == "ready\n"; }));
    WProcessTerminate(p, SIGINT, 300);
    ASSERT_TRUE(loopUntil([&] { return o.status >= 0; }, 5000));
    EXPECT_TRUE(WIFSIGNALED(o.status));
    EXPECT_EQ(WTERMSIG(o.status), SIGKILL);
    MHandleDestroy(p);
}

TEST_F(Processes, ADeadOwnerGetsNothingAndTheChildIsStopped) {
    auto* o = new Owner;
    MHandle* p = start(*o, "while :; do echo more; done");
    ASSERT_TRUE(loopUntil([&] { return o->outputs > 0; }));
    MHandleDie(o); // the window closed
    int before = o->outputs;
    ASSERT_TRUE(loopUntil([&] { return WProcessRunning() == 0; }, 5000));
    EXPECT_EQ(o->outputs, before);
    EXPECT_EQ(o->status, -1);
    delete o;
    MHandleDestroy(p);
}

TEST_F(Processes, InputIsFedWithoutBlockingAndAReaderThatQuitsIsHarmless) {
    Owner cat;
    MHandle* p = start(cat, "cat", true, true);
    std::string big(1 << 20, 'x'); // more than a pipe holds: written as the child reads
    WProcessWrite(p, big.data(), big.size());
    WProcessCloseInput(p);
    Owner quitter;
    MHandle* q = start(quitter, "exit 0", true, true);
    ASSERT_TRUE(loopUntil([&] { return quitter.status >= 0; }));
    WProcessWrite(q, big.data(), big.size()); // its reader is gone: no SIGPIPE ends us
    ASSERT_TRUE(loopUntil([&] { return cat.status >= 0; }));
    EXPECT_EQ(cat.out.size(), big.size());
    MHandleDestroy(p);
    MHandleDestroy(q);
}

// ---- the long-work scope ----

long fakeSec = 100;
int fakeMs = 0;
void fakeClock(long* s, int* ms) {
    *s = fakeSec;
    *ms = fakeMs;
}

std::string shownText;
int exposes = 0;
int countExpose(WEvent& ev, void*) {
    if (ev.kind == WE_EXPOSE) exposes++;
    return 1;
}

TEST_F(Processes, LongWorkShowsProgressRedrawsAndStopsOnEscape) {
    wClock = fakeClock;
    struct Shown : WProgressView {
        bool hasWindow() override { return true; }
        void show(const char* t) override { shownText = t ? t : ""; }
    } shown;
    wProgressView.install(&shown);
    wSettings.escapeAborts = true;
    WWindow* w = WCreateWindow(nullptr, 0, 0, 100, 100, countExpose, nullptr);
    WEvent expose;
    expose.kind = WE_EXPOSE;
    expose.window = w;
    WEvent key = expose;
    key.kind = WE_KEY;
    key.key = 'a';
    WEvent esc = key;
    esc.key = WK_ESCAPE;
    {
        WLongWork outer("Outer");
        WLongWork work("Loading big.c");
        WHeadlessPost(key);
        WHeadlessPost(expose);
        WHeadlessPost(esc);
        EXPECT_FALSE(work.aborted(10, 100)); // the first half second is quiet
        EXPECT_EQ(exposes, 0);
        fakeMs = 600;
        QuorlClearLastError();
        EXPECT_TRUE(work.aborted(42, 100));
        EXPECT_EQ(shownText, "Loading big.c... 42%");
        EXPECT_EQ(exposes, 1);
        EXPECT_EQ(QuorlGetLastError(), ERR_ABORTED);
        EXPECT_TRUE(WLongWorkAborted()); // it stays stopped, and so does the work around it
        EXPECT_TRUE(outer.aborted());
    }
    EXPECT_FALSE(WLongWorkAborted()); // no scope open
    EXPECT_EQ(shownText, "");
    EXPECT_TRUE(wBackend->pending()); // the typed key waits for the main loop
    WEventAll(0);
    wProgressView.install(nullptr);
    wClock = WSystemClock;
    WDestroyWindow(w);
}

} // namespace
