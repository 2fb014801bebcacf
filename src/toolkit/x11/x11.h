// toolkit/x11/x11.h: the X11 backend's shared state (inside x11/ only).
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <deque>
#include <map>
#include <string>

#include "toolkit/backend.h"

struct X11State {
    Display* dpy = nullptr;
    int screen = 0;
    Window root = 0;
    Colormap colormap = 0;
    GC gc = nullptr;
    XFontStruct* font = nullptr;
    Atom wmProtocols = 0, wmDelete = 0, wmTakeFocus = 0, netWmName = 0, utf8String = 0,
         netWmPid = 0;
    unsigned long lastFg = ~0ul, lastBg = ~0ul;
    std::map<std::string, unsigned long> colours;
    Cursor cursors[WCURSOR_BUSY + 1] = {};
    // a Meta or Alt key pressed alone, delivered on its release
    KeySym pendingAlt = 0;
    // events made inside the toolkit (selection answers and losses), dispatched first
    std::deque<WEvent> posted;
};
extern X11State xs;

// Takes the next event and delivers it (x11events.cc).
int x11DispatchNext(int abortable);
// During long work: only exposures, resizes and selection requests are handled, and an Escape
// press is taken (true); the rest of the input stays queued.
bool x11DispatchDuringWork();

// Selections (x11selection.cc).
int x11SelectionOwn(int slot, unsigned long time);
void x11SelectionDisown(int slot);
int x11SelectionRequest(unsigned long window, int slot, unsigned long time);
void x11SelectionAnswer(XSelectionRequestEvent* r); // another client asks us
void x11SelectionArrived(XSelectionEvent* n);       // an owner answered us
void x11SelectionCleared(XSelectionClearEvent* c);  // another client took a slot
void x11SelectionProperty(XPropertyEvent* p);       // pieces of large transfers
// Answers that ran out of time become empty answers: 1 when any did, else WB_NO_EVENT.
int x11SelectionTimeouts();
int x11SelectionNextDeadline(); // milliseconds to the next deadline, -1 when none
void x11SelectionExit();
