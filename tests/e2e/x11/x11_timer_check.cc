// tests/e2e/x11/x11_timer_check.cc: timers served by the main loop's three steps over the X11
// backend fire no earlier than their deadline and within 20 ms after it, while a window is
// open and the loop sleeps on the display connection.
#include <cstdio>

#include "toolkit/eventloop.h"
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
    while (ExtraProcess_NumberPending() > 0) {
        WEventAll(0);
        int timeout = 0;
        ExtraProcess_Wait(&timeout);
        WYield(timeout - 10);
    }
    int bad = 0;
    for (int i = 0; i < n; i++) {
        long late = (timers[i].firedSec - timers[i].dueSec) * 1000 +
                    (timers[i].firedMs - timers[i].dueMs);
        printf("timer %4d ms: fired %ld ms after its deadline\n", delays[i], late);
        if (late < 0 || late > 20) bad++;
    }
    WDestroyWindow(w);
    WDrawExit();
    return bad ? 1 : 0;
}
