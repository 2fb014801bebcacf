// editor/edithelp.h: help entries in editor windows.
#pragma once

struct Edit;
struct File;

// The help File for first, else second, opened at its first line in a new editor window (or
// the window already showing it raised); null after reporting.
Edit* vtInsert(const char* first, const char* second);
// Whether the File is a help entry (its window is listed as "help").
bool EditIsHelpFile(const File* file);
// The HELP key: help on the selection or the word at the cursor.
int EditHelpAtCursor(Edit* e);
// Identify mode: the help of a command string's first command.
void EditIdentifyHelp(const char* command);
