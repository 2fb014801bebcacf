// editor/editmenus.h: configured menus as the editor shows them.
#pragma once

#include <string>

struct Edit;
struct WMenu;

// Fills menu with the configured items of menu `name`: accelerators from the key bindings,
// pull-right menus for items whose command is "-> NAME", items whose command cannot run now
// dimmed, and check marks on the current language and on Read Only.
void EditFillMenu(Edit* e, const std::string& name, WMenu* menu);
