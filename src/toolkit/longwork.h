// toolkit/longwork.h: work that may run long keeps the windows drawn, shows how far it got and
// stops when the user presses Escape.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/seam.h"

// Open one around work that may take longer than about half a second and call aborted() from
// its inner loop. Until half a second has passed aborted() only counts (a fifth of a second when
// the editor has no window yet); after that, a few times
// a second, it lets exposed and resized windows redraw, shows "WHAT... N%" (or "WHAT...") on
// the message line and looks for an Escape press. Other input waits until the work is done.
// Once Escape was pressed it reports the abort (level 3, "Command aborted." with the escabort
// switch) and answers true from then on, in this scope and every scope around it.
struct WLongWork {
    explicit WLongWork(const char* what);
    ~WLongWork();
    WLongWork(const WLongWork&) = delete;
    WLongWork& operator=(const WLongWork&) = delete;

    bool aborted(int64_t done = 0, int64_t total = 0);

    std::string what;
    long startSec = 0;
    int startMs = 0;
    long nextSec = 0; // when the windows are next looked at
    int nextMs = 0;
    bool stopped = false;
    bool shown = false;
    bool reportDue = false; // the abort is reported when this scope closes
    struct WWindow* ownWindow = nullptr; // the progress window this scope opened
    WLongWork* outer = nullptr;
};

// The innermost open scope's answer for code that cannot hold it (the search engine's inner
// loop); false when no scope is open.
bool WLongWorkAborted(int64_t done = 0, int64_t total = 0);

// Where the progress text goes: the editor shows it on the current window's message line. With
// no window of the editor's to show it in (the files named at start-up are still loading) the
// long work draws a small window of its own at once, so that a window shows within a fraction
// of a second and an Escape typed into it is seen.
struct WProgressView {
    virtual bool hasWindow() = 0;
    virtual void show(const char* text) = 0; // null clears it
};
extern Seam<WProgressView> wProgressView;
