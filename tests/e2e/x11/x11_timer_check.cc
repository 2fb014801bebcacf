// tests/e2e/x11/x11_timer_check.cc: timers served by the main loop's three steps over the X11
// backend fire no earlier than their deadline, and promptly: the loop never asks to sleep past
// a deadline, and the first pass after it fires the timer, while a window is open and the loop
// sleeps on the display connection. (How late the process then runs is the machine's load; it
// is printed, not judged.)
#include <cstdio>
#include <string>

#include "toolkit/eventloop.h"
#include "toolkit/loop_probe.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

struct Timer {
    long dueSec = 0;
    int dueMs = 0;
    long firedSec = 0;
    int firedMs = -1;
};

int fire(void* user, int) {
    auto* t = static_cast<Timer*>(user);
    WSystemClock(&t->firedSec, &t->firedMs);
    return 1;
}

} // namespace

int main() {
    wRequestedBackend = WB_X11;
    if (WGUIInit(nullptr, nullptr) != 1 || !XWindowsOn) {
        fprintf(stderr, "x11_timer_check: no display\n");
        return 2;
    }
    WWindow* w = WCreateWindow(nullptr, 0, 0, 100, 100, nullptr, nullptr);
    WMapWindow(w);
    const int delays[] = {5, 33, 120, 260, 480, 730, 1100};
    const int n = sizeof delays / sizeof delays[0];
    Timer timers[n];
    for (int i = 0; i < n; i++) {
        WSetTimeout(&timers[i].dueSec, &timers[i].dueMs, delays[i]);
        ExtraProcess_Release(ExtraProcess_Create(XP_TIMER, delays[i], fire, nullptr, &timers[i]));
    }
    LoopProbe probe;
    while (ExtraProcess_NumberPending() > 0) probe.pass();
    int bad = 0;
    for (int i = 0; i < n; i++) {
        long long due = (long long)timers[i].dueSec * 1000 + timers[i].dueMs;
        long long fired =
            timers[i].firedMs < 0 ? -1 : (long long)timers[i].firedSec * 1000 + timers[i].firedMs;
        std::string fault = probe.fault(due, fired);
        printf("timer %4d ms: fired %lld ms after its deadline%s%s\n", delays[i], fired - due,
               fault.empty() ? "" : ": ", fault.c_str());
        if (!fault.empty()) bad++;
    }
    WDestroyWindow(w);
    WDrawExit();
    return bad ? 1 : 0;
}
