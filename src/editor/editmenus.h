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
// Every menu the editor shows, one item a line ("MENU {ITEM}", ITEM as a menu line describes
// it): the configured items of a menu, else its built-in ones.
std::string EditMenuListText();

// The menu bar of editor windows: its titles are the items of the menu "MenuBar" (each
// "-> NAME" opens menu NAME); the callbacks the bar calls.
std::vector<std::string> EditMenuBarTitles();
struct WMenuBar;
struct WMenuItem;
void EditMenuBarFill(WMenuBar* bar, int index, WMenu* menu, void* edit);
void EditMenuBarRun(WMenuBar* bar, const WMenuItem* item, void* edit);
