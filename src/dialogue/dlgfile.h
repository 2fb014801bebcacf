// dialogue/dlgfile.h: dialogue description files: reading them into the table of named
// descriptions, and building a dialogue's widgets from a description.
#pragma once

#include <string>
#include <vector>

struct WDialog;
struct DialogueDescription;

// Reads every description of a file's text. All or nothing: on the first error nothing of the
// file is installed and the message (naming the file and line) is returned in error.
// names (when given) gets the names of the dialogues read.
bool LoadDialogueText(const std::string& text, const std::string& source, std::string& error,
                      std::vector<std::string>* names = nullptr);
// The same for a file by name.
bool LoadDialogueFile(const char* path, std::string& error);
// The built-in descriptions, compiled into the program (loaded once).
void LoadBuiltinDialogues();
extern const char* const builtinDialogueText;

// Builds the widgets of a description into d (and its title); the script run when it opens goes
// to initScript. False (with the report in error) when the description does not parse.
bool BuildDialogue(const DialogueDescription& desc, WDialog* d, std::string& initScript,
                   std::string& error);
