// tests/toolkit/loop_probe.h: runs the main loop's three steps (events, background work, sleep)
// and records what the loop decided, so that timer tests check the loop's own promptness
// rather than how soon a busy machine lets the process run again.
#pragma once

#include <string>
#include <vector>

#include "toolkit/eventloop.h"

struct LoopProbe {
    struct Pass {
        long long before, after; // the clock around the background work of the pass (ms)
        long long sleepUntil;    // when the sleep the loop then asked for would end, at most
    };
    std::vector<Pass> passes;

    static long long now() {
        long s;
        int ms;
        WSystemClock(&s, &ms);
        return (long long)s * 1000 + ms;
    }

    // One pass of the loop, as the main loop makes it.
    void pass() {
        WEventAll(0);
        Pass p;
        p.before = now();
        int timeout = 0;
        ExtraProcess_Wait(&timeout);
        p.after = now();
        int sleep = timeout - 10;
        // Counted from before the work: the wait was figured at some moment inside it, so a
        // process held up meanwhile does not make a right wait look too long.
        p.sleepUntil = p.before + (sleep > 0 ? sleep : 0);
        passes.push_back(p);
        WYield(sleep);
    }

    // What is wrong with a timer due at `due` that fired at `fired` (empty when nothing):
    // it fired early; a sleep the loop asked for before it fired ran past its deadline; or a
    // pass that began after the deadline did not fire it. Lateness the loop did not ask for
    // is the machine's, and is not the loop's fault.
    std::string fault(long long due, long long fired) const {
        if (fired < 0) return "never fired";
        if (fired < due) return "fired " + std::to_string(due - fired) + " ms early";
        for (const Pass& p : passes) {
            if (p.after >= fired) break;
            if (p.sleepUntil > due + 1)
                return "the loop asked to sleep " + std::to_string(p.sleepUntil - due) +
                       " ms past the deadline";
            if (p.before >= due) return "a pass after the deadline did not fire it";
        }
        return "";
    }
};
