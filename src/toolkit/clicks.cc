// toolkit/clicks.cc: click counting. Presses of the same button in the same window with the same
// modifiers, within the settings' click pause and motion allowance of each other,
// make one press with a count. For a window with a click callback the press is held back until
// no further click can follow, so a double click arrives as one press with count 2.
#include <cstdlib>
#include <vector>

#include "toolkit/eventloop.h"
#include "toolkit/settings.h"
#include "toolkit/window.h"

namespace {

struct Pending {
    bool active = false;     // a press is held back
    WEvent press;            // with its count so far
    std::vector<WEvent> held; // releases of it, delivered after it
    long endSec = 0;         // when the pause runs out (wall clock)
    int endMs = 0;
    // The last press, held or not, for counting.
    unsigned long window = 0;
    int button = 0;
    unsigned modifiers = 0;
    unsigned long time = 0;
    int x = 0, y = 0;
    int count = 0;
} pend;

bool delivering = false; // the flush itself delivers: no recursion through WDeliver

WRegistration* registrationOf(const WEvent& ev) {
    return ev.window ? WFindRegistration(ev.window->id) : nullptr;
}

int deliverRaw(WEvent ev) {
    delivering = true;
    int r = WDeliver(ev);
    delivering = false;
    return r;
}

} // namespace

bool WClickPending() {
    return pend.active && !delivering;
}

int WClickFlush() {
    if (!pend.active) return 1;
    pend.active = false;
    WEvent press = pend.press;
    std::vector<WEvent> held;
    held.swap(pend.held);
    int r = deliverRaw(press);
    for (WEvent& ev : held) {
        ev.clicks = press.clicks;
        r = deliverRaw(ev) && r;
    }
    return r;
}

void WClickTimingCheck() {
    if (pend.active && WCheckTimeout(pend.endSec, pend.endMs) == 0) WClickFlush();
}

// Wheel notches (buttons 4 to 7) are steps, not clicks: each one arrives on its own.
static bool isWheel(const WEvent& ev) {
    return ev.button >= 4 && ev.button <= 7;
}

int WClickEvent(WEvent& ev) {
    if (ev.direction != 0 && isWheel(ev)) {
        int f = WClickFlush();
        ev.clicks = 1;
        return deliverRaw(ev) && f;
    }
    WRegistration* r = registrationOf(ev);
    bool holds = r && r->click;
    int distance = abs(ev.x - pend.x) + abs(ev.y - pend.y);
    if (ev.direction > 0) {
        bool again = pend.count > 0 && ev.window && ev.window->id == pend.window &&
                     ev.button == pend.button && ev.modifiers == pend.modifiers &&
                     ev.time - pend.time <= (unsigned long)(wSettings.clickPause * 100) &&
                     distance <= wSettings.ignoreMotion;
        if (!again) {
            int f = WClickFlush();
            if (!f) return 0;
        }
        pend.count = again ? pend.count + 1 : 1;
        pend.window = ev.window ? ev.window->id : 0;
        pend.button = ev.button;
        pend.modifiers = ev.modifiers;
        pend.time = ev.time;
        pend.x = ev.x;
        pend.y = ev.y;
        ev.clicks = pend.count;
        if (!holds) return deliverRaw(ev);
        if (pend.count == 1 && r->immediate) r->immediate(ev, r->data);
        pend.active = true;
        pend.press = ev;
        pend.held.clear();
        WSetTimeout(&pend.endSec, &pend.endMs, wSettings.clickPause * 100);
        if (!r->click(ev, r->data)) return WClickFlush(); // nothing further can follow
        return 1;
    }
    if (pend.active && ev.window && ev.window->id == pend.window) {
        if (ev.direction < 0 && ev.button == pend.button) {
            // The release waits for its press; of a run of clicks only the last release counts.
            pend.held.assign(1, ev);
            return 1;
        }
        if (ev.direction == 0 && distance <= wSettings.ignoreMotion) return 1; // jitter, not a drag
    }
    int f = WClickFlush();
    ev.clicks = ev.direction < 0 ? (pend.count > 0 ? pend.count : 1) : pend.count;
    return deliverRaw(ev) && f;
}
