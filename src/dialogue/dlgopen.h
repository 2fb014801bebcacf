// dialogue/dlgopen.h: opening a described dialogue by name and running its widgets' scripts.
#pragma once

#include <string>
#include <vector>

#include "dialogue/script.h"

struct Widget;

// Makes sure the built-in descriptions and every file named by the "dialoguefile" option so
// far are loaded; a file that does not parse is reported (its descriptions are not used).
void DialoguesEnsureLoaded();

// What the program does around a described dialogue it owns (the print and option
// dialogues): `opened` fills the widgets before the window shows, `closing` reads them once a
// button ended it (result as for OpenDialogue), before the widgets go.
struct DialogueHooks {
    void (*opened)(WDialog* d) = nullptr;
    void (*closing)(WDialog* d, int result) = nullptr;
};
// Every dialogue of that name, however it is opened (a command, a script's dialogue()), runs
// these hooks.
void SetDialogueHooks(const char* name, const DialogueHooks& hooks);

// Opens the named dialogue modally with placer arguments. The command-interpreter and text
// callbacks come from `from` (their argument too). Returns the dialogue's result: the value
// given to `dismiss`, 0 when cancelled; -1 when there is no such dialogue or its description
// is broken (reported).
int OpenDialogue(const char* name, const std::vector<std::string>& args, const ScriptDialog* from);

// Shows the named dialogue without waiting for it: it goes away when a button dismisses it or
// after `seconds` (0: never by itself). False when there is no such dialogue.
bool ShowDialogueModeless(const char* name, const std::vector<std::string>& args,
                          const ScriptDialog* from, int seconds);

// Builds the named dialogue to stay open beside its owner, its init script run, not yet shown:
// the owner may take over its widgets' activation (`activate`) and show it. Once dismissed it
// is destroyed by `closed` (DialogueCloseModeless, which an owner's own `closed` calls last).
// Null when there is no such dialogue or its description is broken (reported).
WDialog* BuildDialogueModeless(const char* name, const std::vector<std::string>& args,
                               const ScriptDialog* from);
void DialogueCloseModeless(WDialog* d);
// What a widget's activation does in a described dialogue: runs its script; without one a
// button ends the dialogue and Return presses the default button.
void DialogueWidgetScript(WDialog* d, Widget* w, int how);
// Builds the named dialogue (realized, not shown) for an owner that handles its widgets
// itself: `activate` gets every button press and toggle change (null: a button ends the
// dialogue with 1, the cancel button with 0). Null when there is no such dialogue (reported).
struct WDialog;
struct Widget;
WDialog* BuildDescribedDialogue(const char* name, const std::vector<std::string>& args,
                                void (*activate)(WDialog* d, Widget* w, int how), void* user);
