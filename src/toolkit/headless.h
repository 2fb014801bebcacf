// toolkit/headless.h: what tests and batch mode can ask of the display-less backend.
#pragma once

#include <string>
#include <vector>

#include "toolkit/window.h"

// Queues an event for ev.window; WEventAll delivers it like one from a display.
void WHeadlessPost(const WEvent& ev);
// The characters drawn in a window, one UTF-8 string per 16-pixel row (8-pixel cells): each
// cell's character and the mark over it; the second cell of a wide character adds nothing.
// A row of ASCII has one byte per cell.
std::vector<std::string> WHeadlessRows(const WWindow* win);
// What one cell shows (0 beyond the window; ch 0 in a wide character's second cell).
WCell WHeadlessCell(const WWindow* win, int col, int row);
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
