// editor/editmenus.h: configured menus as the editor shows them.
#pragma once

#include <string>
#include <vector>

struct Edit;
struct WMenu;

// Fills menu with the configured items of menu `name`: accelerators from the key bindings,
// pull-right menus for items whose command is "-> NAME", items whose command cannot run now
// dimmed, and check marks on the current language and on Read Only.
// Without configured items of that name, the built-in menus of that name are used.
void EditFillMenu(Edit* e, const std::string& name, WMenu* menu);

// The menu bar of editor windows: its titles are the items of the menu "MenuBar" (each
// "-> NAME" opens menu NAME); the callbacks the bar calls.
std::vector<std::string> EditMenuBarTitles();
struct WMenuBar;
struct WMenuItem;
void EditMenuBarFill(WMenuBar* bar, int index, WMenu* menu, void* edit);
void EditMenuBarRun(WMenuBar* bar, const WMenuItem* item, void* edit);
