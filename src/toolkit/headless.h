// toolkit/headless.h: what tests and batch mode can ask of the display-less backend.
#pragma once

#include <string>
#include <vector>

#include "toolkit/window.h"

// Queues an event for ev.window; WEventAll delivers it like one from a display.
void WHeadlessPost(const WEvent& ev);
// The characters drawn in a window, one string per 16-pixel row (8-pixel cells).
std::vector<std::string> WHeadlessRows(const WWindow* win);
// Colours of one cell.
WColor WHeadlessCellFg(const WWindow* win, int col, int row);
WColor WHeadlessCellBg(const WWindow* win, int col, int row);
// Times the bell rang since start.
int WHeadlessBeeps();

// Selections: the window system refuses every ownership while refuse is set.
void WHeadlessRefuseSelections(bool refuse);
// Another client takes the slot with this data: our owner gets its lost event and requests
// answer with the data. An empty text with type 0 means nobody owns it any more.
void WHeadlessForeignSelection(int slot, const std::string& text, int type);
