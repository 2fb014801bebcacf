// toolkit/longwork.h: work that may run long keeps the windows drawn, shows how far it got and
// stops when the user presses Escape.
#pragma once

#include <cstdint>
#include <string>

// Open one around work that may take longer than about half a second and call aborted() from
// its inner loop. Until half a second has passed aborted() only counts; after that, a few times
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
    WLongWork* outer = nullptr;
};

// The innermost open scope's answer for code that cannot hold it (the search engine's inner
// loop); false when no scope is open.
bool WLongWorkAborted(int64_t done = 0, int64_t total = 0);

// Where the progress text goes (null clears it): the editor shows it on the current window's
// message line. Without one nothing is shown.
extern void (*wProgressShow)(const char* text);
