// toolkit/menu.h: pull-down, pull-right and popup menus, and the menu bar that opens them.
#pragma once

#include <string>
#include <vector>

#include "toolkit/window.h"

struct WMenu;

struct WMenuItem {
    std::string label;   // "&" marks the mnemonic
    std::string accel;   // shown at the right ("Ctrl+S")
    std::string command; // what the owner runs when it is chosen
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    bool separator = false;       // a line, not an item
    WMenu* submenu = nullptr;     // a pull-right menu (owned by the item's menu)
    int id = 0;                   // the owner's number for it
};

struct WMenu {
    std::string title;
    std::vector<WMenuItem> items;
    ~WMenu();
};

// What a menu run ended with.
struct WMenuResult {
    const WMenuItem* item = nullptr; // the chosen item, null when cancelled
    int move = 0;                    // a menu bar's menu: -1/+1 the key asked for the neighbour
};

// Shows the menu with its top-left corner at (x, y) on the screen and takes the pointer and
// keyboard until an item is chosen or the menu is cancelled (Escape, a click elsewhere).
// Headless: prints the items and takes the next scripted answer (an item's label).
// inBar: Left and Right ask for the neighbouring menu of the bar.
WMenuResult WMenuRun(WMenu* menu, int x, int y, bool inBar = false);
// The same at the pointer.
WMenuResult WMenuPopupAtPointer(WMenu* menu);
// Menus open now (PrintWindows), outermost first.
std::vector<WMenu*> WOpenMenus();
std::string WMenuPlainLabel(const std::string& label);

// ---- the menu bar ----
struct WMenuBar;
// Asked before a menu of the bar opens, to build it (items, dimmed and checked states).
using WMenuBarFill = void (*)(WMenuBar* bar, int index, WMenu* menu, void* data);
// Runs a chosen item's command.
using WMenuBarRun = void (*)(WMenuBar* bar, const WMenuItem* item, void* data);

struct WMenuBar {
    WWindow* win = nullptr;
    std::vector<std::string> titles; // "&" marks the mnemonic (Alt+letter opens it)
    WMenuBarFill fill = nullptr;
    WMenuBarRun run = nullptr;
    void* data = nullptr;
    int open = -1; // the title whose menu is open
};

WMenuBar* WMenuBarCreate(WWindow* parent, int x, int y, int width, WMenuBarFill fill,
                         WMenuBarRun run, void* data);
void WMenuBarDestroy(WMenuBar* bar);
void WMenuBarSetTitles(WMenuBar* bar, const std::vector<std::string>& titles);
int WMenuBarHeight();
void WMenuBarDraw(WMenuBar* bar);
// Opens menu `index` of the bar and follows the keyboard between its menus until an item is
// chosen or the bar is left. Returns 1 when an item ran.
int WMenuBarOpen(WMenuBar* bar, int index);
// F10 and Alt+mnemonic: true when the key opened a menu of the bar.
bool WMenuBarKey(WMenuBar* bar, const WEvent& ev);
