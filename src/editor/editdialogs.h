// editor/editdialogs.h: dialogues opened from the editor, the about box and the window list.
#pragma once

#include <string>
#include <vector>

struct Edit;

// Whether the editor is the pane of an open dialogue (an editor no window list holds).
bool EditIsDialoguePane(const Edit* e);
// Opens the described dialogue `name` over the editor, its scripts running commands in it.
// Returns the dialogue's result, -1 when there is no such dialogue (reported).
int EditOpenDialogue(Edit* e, const char* name, const std::vector<std::string>& args);
// Installs the editor panes that dialogues hold (editor widgets).
void EditInstallDialoguePanes();
// The about box: what it says, and showing it.
void abSetup(const char* title, const char* what, const char* windowTitle, int flags);
int About(Edit* e);
// The about box while the program starts, gone by itself after a few seconds.
void AboutSplash();
// Brings the about box, while it is up, in front of the windows opened since.
void abRaise();
// One line per open top-level window in opening order: KIND TITLE [file=NAME].
std::vector<std::string> EditListWindows();
// The batch-only RunScript and PrintWindows.
void EditAddBatchDialogCommands();
