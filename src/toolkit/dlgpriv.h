// toolkit/dlgpriv.h: what the dialogue modules share among themselves (toolkit only).
#pragma once

#include "toolkit/dialog.h"

// dlgwidgets.cc
bool WidgetTakesInput(const Widget* w); // shown, enabled, at the current activation level
void WidgetCreateWindow(Widget* w, WWindow* parent);
void WidgetPlaceWindow(Widget* w);
void WidgetDestroy(Widget* w);
bool WidgetKey(Widget* w, const WEvent& ev); // a key the focused widget handles itself
void WOptionMenuChoose(Widget* w, int choice);
int WScrollBarWidth();

// dlglayout.cc
void WLayoutMeasure(Widget* w, int* width, int* height);
void WLayoutPlace(Widget* w, int x, int y, int width, int height);
enum { WDLG_MARGIN = 10, WDLG_GAP = 6, WTAB_PAD = 8 };
int WTabStripHeight();                   // the row of a notebook's tabs
int WTabWidth(const std::string& label); // one tab

// dialog.cc
void WidgetActivated(Widget* w, int how);

// menu.cc: an option menu's choices as a menu under it.
void WOptionMenuPopup(Widget* w);
