// tests/e2e/x11/x11_selection.cc: a small client of the toolkit's selection calls, so that a
// script can check them against xclip and against a second copy of itself.
//   own SLOT TYPE FILE SECONDS  own the slot with the file's bytes; print "owned", then
//                               "lost SLOT" (status 0) when another client takes it over
//   request SLOT OUTFILE        fetch the slot into OUTFILE; print "type N"
//   hang SLOT SECONDS           own the slot, then sleep without answering anybody
//   self SLOT FILE              own the slot with type lines, fetch it back, compare
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "toolkit/eventloop.h"
#include "toolkit/selection.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

namespace {

struct Seen {
    bool arrived = false;
    bool lost = false;
    int lostSlot = -1;
    std::string text;
    int type = 0;
    int slot = -1;
} seen;

int onEvent(WEvent& ev, void*) {
    if (ev.kind != WE_SELECTION) return 1;
    if (ev.lost) {
        seen.lost = true;
        seen.lostSlot = ev.selNumber;
    } else {
        seen.arrived = true;
        seen.text = ev.text;
        seen.type = ev.selType;
        seen.slot = ev.selNumber;
    }
    return 1;
}

long nowMs() {
    long s;
    int ms;
    WSystemClock(&s, &ms);
    return s * 1000 + ms;
}

// Runs the event loop until done() or the time is up; false on timeout.
template <typename F> bool runUntil(F done, long ms) {
    long end = nowMs() + ms;
    while (!done()) {
        if (nowMs() >= end) return false;
        WEventAll(0);
        WYield(20);
    }
    return true;
}

bool readFile(const char* path, std::string* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

int usage() {
    fprintf(stderr, "usage: x11_selection own SLOT TYPE FILE SECONDS | request SLOT OUTFILE |"
                    " hang SLOT SECONDS | self SLOT FILE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string mode = argv[1];
    int slot = atoi(argv[2]);
    wRequestedBackend = WB_X11;
    if (WGUIInit(nullptr, nullptr) != 1 || !XWindowsOn) {
        fprintf(stderr, "x11_selection: no display\n");
        return 2;
    }
    WWindow* w = WCreateWindow(nullptr, 0, 0, 50, 50, onEvent, nullptr);
    std::string text;
    if (mode == "own" && argc == 6) {
        if (!readFile(argv[4], &text)) return usage();
        if (!WSelectionOwn(w, slot, text, atoi(argv[3]), 0)) {
            printf("refused\n");
            return 3;
        }
        printf("owned\n");
        fflush(stdout);
        if (!runUntil([] { return seen.lost; }, atol(argv[5]) * 1000)) {
            printf("still owner\n");
            return 1;
        }
        bool stillOwned = WSelectionOwned(slot, nullptr, nullptr);
        printf("lost %d%s\n", seen.lostSlot, stillOwned ? " but still owned" : "");
        return stillOwned ? 1 : 0;
    }
    if (mode == "request" && argc == 4) {
        if (!WSelectionRequest(w, slot, 0)) {
            printf("cannot request\n");
            return 3;
        }
        if (!runUntil([] { return seen.arrived; }, 8000)) {
            printf("no answer\n");
            return 1;
        }
        std::ofstream out(argv[3], std::ios::binary);
        out.write(seen.text.data(), (std::streamsize)seen.text.size());
        printf("type %d slot %d\n", seen.type, seen.slot);
        return out ? 0 : 1;
    }
    if (mode == "hang" && argc == 4) {
        if (!WSelectionOwn(w, slot, "never handed over", WSEL_TEXT, 0)) return 3;
        WSync();
        printf("owned\n");
        fflush(stdout);
        sleep((unsigned)atoi(argv[3]));
        return 0;
    }
    if (mode == "self" && argc == 4) {
        if (!readFile(argv[3], &text)) return usage();
        if (!WSelectionOwn(w, slot, text, WSEL_LINES, 0) || !WSelectionRequest(w, slot, 0)) {
            printf("cannot own or request\n");
            return 3;
        }
        if (!runUntil([] { return seen.arrived; }, 8000)) {
            printf("no answer\n");
            return 1;
        }
        if (seen.text != text || seen.type != WSEL_LINES || seen.slot != slot) {
            printf("mismatch: %zu bytes of type %d for slot %d\n", seen.text.size(), seen.type,
                   seen.slot);
            return 1;
        }
        printf("ok %zu bytes\n", text.size());
        return 0;
    }
    return usage();
}
