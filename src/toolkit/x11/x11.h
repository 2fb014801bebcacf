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
    XFontStruct* wideFont = nullptr; // double-width characters, when the font has a partner
    Atom wmProtocols = 0, wmDelete = 0, wmTakeFocus = 0, netWmName = 0, utf8String = 0,
         netWmPid = 0, netWmPing = 0, netWmIcon = 0, netWmIconName = 0;
    XIM im = nullptr;                 // the input method (null: plain key lookup)
    std::map<Window, XIC> ics;        // an input context per top-level window
    Pixmap iconPixmap = 0, iconMask = 0;
    unsigned long lastFg = ~0ul, lastBg = ~0ul;
    std::map<std::string, unsigned long> colours;
    Cursor cursors[WCURSOR_BUSY + 1] = {};
    // a Meta or Alt key pressed alone, delivered on its release
    KeySym pendingAlt = 0;
    // events made inside the toolkit (selection answers and losses), dispatched first
    std::deque<WEvent> posted;
};
extern X11State xs;

// Fonts and text (x11text.cc): loads the font by name or pattern (empty: the default for the
// screen's resolution), falling back to the default when orDefault; false when none loads
// (the fonts there were are kept).
bool x11LoadFont(const std::string& name, bool orDefault);
void x11FreeFonts();
void x11DrawText(Window w, int x, int y, const char* s, int n);
int x11TextWidth(const char* s, int n);
void x11DrawCells(Window w, int x, int y, const WCell* cells, int n, unsigned long bg);

// Window-manager conventions (x11wm.cc): atoms, the icon, size hints in character cells,
// window names, the ping answer, and the clipboard handed over at exit.
void x11WmInit();
void x11WmTopLevel(Window w, int width, int height);
void x11SetResizeCells(Window w, int baseWidth, int baseHeight, int cellWidth, int cellHeight);
void x11SetName(Window w, const std::string& name);
bool x11WmClientMessage(XClientMessageEvent* c); // true when it was a ping, answered
void x11WmExit();

// Keyboard input through the input method (x11input.cc).
void x11InputInit();
void x11InputWindow(Window w);    // a new top-level window gets its input context
void x11InputForget(Window w);
void x11InputFocus(Window w, bool in);
// Whether the input method took the event (dead keys, Compose, an input method server).
bool x11InputFilter(XEvent* e);
// The text and key of a key press, the text in UTF-8.
int x11LookupKey(XKeyEvent* k, char* buf, int size, KeySym* ks);
void x11InputExit();

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
