// tests/toolkit/test_eventloop.cc: deadlines, the background-work list and the event pump over
// the headless backend.
#include <gtest/gtest.h>

#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "runtime/error.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "loop_probe.h"
#include "toolkit/headless.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"

namespace {

long fakeSec = 0;
int fakeMs = 0;
void fakeClock(long* s, int* ms) {
    *s = fakeSec;
    *ms = fakeMs;
}

struct Headless : ::testing::Test {
    void SetUp() override {
        wSettings = WSettings();
        if (!wBackend) {
            wRequestedBackend = WB_HEADLESS;
            ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
        }
        wClock = WSystemClock;
        int w;
        // Leave nothing over from an earlier test.
        while (ExtraProcess_NumberPending() > 0) ExtraProcess_Wait(&w);
        WEventAll(0);
    }
    void TearDown() override { wClock = WSystemClock; }
};

TEST(Deadline, CarriesMillisecondsIntoSeconds) {
    wClock = fakeClock;
    fakeSec = 12;
    fakeMs = 900;
    long s;
    int ms;
    WSetTimeout(&s, &ms, 1500);
    EXPECT_EQ(s, 14);
    EXPECT_EQ(ms, 400);
    EXPECT_EQ(WCheckTimeout(s, ms), 1500);
    fakeSec = 14;
    fakeMs = 399;
    EXPECT_EQ(WCheckTimeout(s, ms), 1);
    fakeMs = 400;
    EXPECT_EQ(WCheckTimeout(s, ms), 0); // due exactly at the deadline
    fakeSec = 15;
    fakeMs = 0;
    EXPECT_EQ(WCheckTimeout(s, ms), 0);
    wClock = WSystemClock;
}

int counter(void* user, int) {
    ++*static_cast<int*>(user);
    return 0;
}

TEST_F(Headless, EmptyListSuggestsFiveSecondsAndTheSleepIsCapped) {
    int wait = 0;
    EXPECT_EQ(ExtraProcess_Wait(&wait), 1);
    EXPECT_EQ(wait, 5000);
    struct timeval a, b;
    gettimeofday(&a, nullptr);
    WYield(wait - 10);
    gettimeofday(&b, nullptr);
    long ms = (b.tv_sec - a.tv_sec) * 1000 + (b.tv_usec - a.tv_usec) / 1000;
    EXPECT_LE(ms, 600);
    EXPECT_GE(ms, 300); // it did sleep rather than spin
}

TEST_F(Headless, TimersFireAfterTheirDeadlineAndPromptly) {
    struct Fired {
        long sec = 0;
        int ms = -1;
        long dueSec = 0;
        int dueMs = 0;
    };
    std::vector<Fired> fired(4);
    int delays[4] = {15, 40, 95, 230};
    auto poll = [](void* user, int) -> int {
        auto* f = static_cast<Fired*>(user);
        WSystemClock(&f->sec, &f->ms);
        return 1;
    };
    for (int i = 0; i < 4; i++) {
        WSetTimeout(&fired[i].dueSec, &fired[i].dueMs, delays[i]);
        ExtraHandle* h = ExtraProcess_Create(XP_TIMER, delays[i], poll, nullptr, &fired[i]);
        ExtraProcess_Release(h);
    }
    // Promptness is the loop's: it never asks to sleep past a deadline and fires the timer in
    // the first pass after it. How soon a loaded machine runs the process again is not.
    LoopProbe probe;
    long long end = LoopProbe::now() + 400;
    while (LoopProbe::now() < end) probe.pass();
    for (int i = 0; i < 4; i++) {
        long long due = (long long)fired[i].dueSec * 1000 + fired[i].dueMs;
        long long at = fired[i].ms < 0 ? -1 : (long long)fired[i].sec * 1000 + fired[i].ms;
        EXPECT_EQ(probe.fault(due, at), "") << "timer " << i;
    }
    EXPECT_EQ(ExtraProcess_NumberPending(), 0);
}

TEST_F(Headless, TimerWithoutRearmIsPolledEveryPassAndRearmWaits) {
    int polls = 0;
    ExtraHandle* h = ExtraProcess_Create(XP_TIMER, 0, counter, nullptr, &polls);
    int wait;
    ExtraProcess_Wait(&wait);
    ExtraProcess_Wait(&wait);
    EXPECT_EQ(polls, 2);
    EXPECT_TRUE(ExtraProcess_AnyTimedOut());
    EXPECT_EQ(ExtraProcess_SetTimeout(h, 1000), 1);
    EXPECT_FALSE(ExtraProcess_AnyTimedOut());
    ExtraProcess_Wait(&wait);
    EXPECT_EQ(polls, 2);
    EXPECT_GT(wait, 900);
    EXPECT_LE(wait, 1000);
    ExtraProcess_Kill(h, 0);
    EXPECT_FALSE(ExtraProcess_Alive(h));
    EXPECT_EQ(ExtraProcess_SetTimeout(h, 10), 0); // a dead handle is refused
    ExtraProcess_Release(h);
}

TEST_F(Headless, FinishThatRefusesKeepsTheEntryAndParkedEntriesAreNeverPolled) {
    struct State {
        int polls = 0;
        bool allow = false;
    } st;
    auto donePoll = [](void* user, int) -> int {
        static_cast<State*>(user)->polls++;
        return 1;
    };
    auto finish = [](void* user, int) -> int { return static_cast<State*>(user)->allow; };
    ExtraHandle* h = ExtraProcess_Create(XP_IDLE, 0, donePoll, finish, &st);
    int parkedPolls = 0;
    ExtraHandle* parked = ExtraProcess_Create(XP_PARKED, 0, counter, nullptr, &parkedPolls);
    int wait = -1;
    ExtraProcess_Wait(&wait);
    EXPECT_EQ(wait, 0); // an idle task asks for no sleep
    ExtraProcess_Wait(&wait);
    EXPECT_EQ(st.polls, 2); // finished but kept: polled again
    EXPECT_EQ(parkedPolls, 0);
    ExtraProcess_Kill(h, 0); // its finish refuses again
    EXPECT_TRUE(ExtraProcess_Alive(h));
    st.allow = true;
    ExtraProcess_Kill(h, 0);
    EXPECT_FALSE(ExtraProcess_Alive(h));
    ExtraProcess_Kill(parked, 0); // no finish function: removed at once
    EXPECT_FALSE(ExtraProcess_Alive(parked));
    EXPECT_EQ(ExtraProcess_NumberPending(), 0);
    ExtraProcess_Release(h);
    ExtraProcess_Release(parked);
}

TEST_F(Headless, ChildEntryGetsItsExitStatus) {
    pid_t pid = fork();
    if (pid == 0) _exit(7);
    struct Result {
        int status = -1;
    } result;
    auto finish = [](void* user, int status) -> int {
        static_cast<Result*>(user)->status = status;
        return 1;
    };
    ExtraHandle* h = ExtraProcess_Create(XP_CHILD, pid, nullptr, finish, &result);
    for (int i = 0; i < 200 && result.status < 0; i++) {
        int wait;
        ExtraProcess_Wait(&wait);
        usleep(5000);
    }
    EXPECT_TRUE(WIFEXITED(result.status));
    EXPECT_EQ(WEXITSTATUS(result.status), 7); // the wait status as waitpid gave it
    EXPECT_FALSE(ExtraProcess_Alive(h));
    ExtraProcess_Release(h);
}

TEST_F(Headless, BusyEntryIsSkippedByANestedPass) {
    struct Nest {
        int polls = 0;
    } nest;
    auto poll = [](void* user, int) -> int {
        auto* n = static_cast<Nest*>(user);
        if (++n->polls == 1) {
            int wait;
            ExtraProcess_Wait(&wait); // a modal loop inside the callback
        }
        return 0;
    };
    ExtraHandle* h = ExtraProcess_Create(XP_IDLE, 0, poll, nullptr, &nest);
    int wait;
    ExtraProcess_Wait(&wait);
    EXPECT_EQ(nest.polls, 1);
    ExtraProcess_Kill(h, 0);
    ExtraProcess_Release(h);
}

struct Sink {
    std::vector<WEvent> got;
};
int record(WEvent& ev, void* data) {
    static_cast<Sink*>(data)->got.push_back(ev);
    return 1;
}

TEST_F(Headless, PumpDeliversQueuedEventsAndEscapeAborts) {
    Sink sink;
    WWindow* w = WCreateWindow(nullptr, 0, 0, 100, 100, record, &sink);
    WEvent key;
    key.kind = WE_KEY;
    key.window = w;
    key.key = 'a';
    key.text = "a";
    WHeadlessPost(key);
    WEvent esc = key;
    esc.key = WK_ESCAPE;
    esc.text = "\033";
    WHeadlessPost(esc);
    WHeadlessPost(key);
    wSettings.escapeAborts = true;
    QuorlClearLastError();
    EXPECT_EQ(WEventAll(1), 0);
    EXPECT_EQ(QuorlGetLastError(), ERR_ABORTED);
    EXPECT_EQ(sink.got.size(), 1u);
    EXPECT_EQ(WEventAll(0), 1); // the rest is delivered
    EXPECT_EQ(sink.got.size(), 2u);
    WDestroyWindow(w);
}

TEST_F(Headless, FloodOfEventsYieldsToAnOverdueTimer) {
    Sink sink;
    WWindow* w = WCreateWindow(nullptr, 0, 0, 100, 100, record, &sink);
    int polls = 0;
    ExtraHandle* h = ExtraProcess_Create(XP_TIMER, 0, counter, nullptr, &polls);
    for (int i = 0; i < 30; i++) {
        WEvent ev;
        ev.kind = WE_EXPOSE;
        ev.window = w;
        WHeadlessPost(ev);
    }
    WEventAll(0);
    EXPECT_EQ(sink.got.size(), 11u);
    ExtraProcess_Kill(h, 0);
    ExtraProcess_Release(h);
    WEventAll(0);
    EXPECT_EQ(sink.got.size(), 30u);
    WDestroyWindow(w);
}

TEST_F(Headless, PeriodicFunctionRunsAndItsCleanupIsCalledOnReplacement) {
    static int runs = 0, cleanups = 0;
    auto fn = [](void*) { runs++; };
    auto cleanup = [](void*, int) { cleanups++; };
    WEventSetPeriodic(fn, cleanup, &runs, 0);
    WEventAll(0);
    WEventAll(0);
    EXPECT_EQ(runs, 2);
    WEventSetPeriodic(fn, cleanup, &runs, 0); // the same values: nothing changes
    EXPECT_EQ(cleanups, 0);
    WEventSetPeriodic(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(cleanups, 1);
    WEventAll(0);
    EXPECT_EQ(runs, 2);
}

TEST_F(Headless, HandlerPanicIsCaughtAndTheNextEventStillArrives) {
    Sink sink;
    int depth = gen_error_depth();
    auto panics = [](WEvent&, void*) -> int { Panic("handler failed"); };
    WWindow* bad = WCreateWindow(nullptr, 0, 0, 10, 10, panics, nullptr);
    WWindow* good = WCreateWindow(nullptr, 0, 0, 10, 10, record, &sink);
    WEvent ev;
    ev.kind = WE_EXPOSE;
    ev.window = bad;
    WHeadlessPost(ev);
    ev.window = good;
    WHeadlessPost(ev);
    EXPECT_EQ(WEventAll(0), 1);
    EXPECT_EQ(sink.got.size(), 1u);
    EXPECT_EQ(gen_error_depth(), depth); // the frame was popped
    WDestroyWindow(bad);
    WDestroyWindow(good);
}

} // namespace
