// toolkit/scrollbar.h: scroll bars: arrows at both ends, a trough and a proportional thumb.
#pragma once

#include <cstdint>

#include "toolkit/window.h"

struct ExtraHandle;

enum SbAction {
    SB_LINEUP,   // an arrow towards the start
    SB_LINEDOWN, // an arrow towards the end
    SB_PAGEUP,   // the trough before the thumb
    SB_PAGEDOWN, // the trough after the thumb
    SB_TRACK,    // the thumb was dragged (or button 2 placed it); pos is the new position
};

struct ScrollBar;
// Called with the action and, for SB_TRACK, the position asked for.
using SbCallback = void (*)(ScrollBar* sb, int action, int64_t pos, void* data);

struct ScrollBar {
    WWindow* win = nullptr;
    bool vertical = true;
    int64_t max = 0;  // the whole range in units
    int64_t view = 0; // units visible at once
    int64_t pos = 0;  // first visible unit, 0 .. max - view
    SbCallback callback = nullptr;
    void* data = nullptr;
    int dragOffset = -1;           // pixels from the thumb's start while dragging, -1 when not
    int repeatAction = -1;         // action repeated while a button is held
    ExtraHandle* repeat = nullptr; // its timer
};

ScrollBar* sbCreate(WWindow* parent, int x, int y, int width, int height, bool vertical,
                    SbCallback callback, void* data);
void sbDestroy(ScrollBar* sb);
void sbMoveResize(ScrollBar* sb, int x, int y, int width, int height);
void sbSetScroller(ScrollBar* sb, int64_t max, int64_t view); // range and visible part
void sbSetPos(ScrollBar* sb, int64_t pos);
void sbDraw(ScrollBar* sb);
// The thumb's pixel extent along the bar (for tests and drawing).
void sbThumb(const ScrollBar* sb, int* start, int* length);
