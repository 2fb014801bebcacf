// toolkit/toolkit.h: the one window-system interface; x11/ and headless/ implement it.
#pragma once

#include <string>
#include <vector>

extern int XWindowsOn; // 1 once a display (real or headless) is attached

// Which backend WGUIInit starts.
enum WBackendKind { WB_X11, WB_HEADLESS };
extern WBackendKind wRequestedBackend;

int WGUIInit(int* argc, char** argv); // 1 on success
// Thrown out of the window system's call when the display connection is lost; the main loop
// catches it and ends the program without touching the display again.
struct WDisplayLost {};
void WSync();
void WDrawExit();
void WBeep();
bool WIsHeadless();

// ---- top-level context windows ----
struct ContextWindow {
    ContextWindow* next = nullptr;
    int kind = 0;          // CW_EDIT, CW_MESSAGES, ...
    void* data = nullptr;  // the window's own record
};
enum { CW_EDIT = 1, CW_MESSAGES = 2, CW_COMPARE = 3 };
void cwInsertList(ContextWindow* cw);
void cwRemoveList(ContextWindow* cw);
ContextWindow* NextEditContext();

// ---- dialogues ----
void WAlert(const char* text);
// Yes/no question; returns 1 for yes, 0 for no; dflt is the answer when none is given.
int WYesNo(const char* title, const char* question, int dflt);
// Buttons dialogue; returns the chosen button's index, or -1 when cancelled.
int WButtonDialogue(const char* title, const char* text, const std::vector<std::string>& buttons,
                    int dflt);
// One-line prompt; returns 1 with the answer, 0 when cancelled.
int WPrompt(const char* title, const char* prompt, std::string& answer);
// File chooser; returns 1 when a file was chosen (its path in result). With `several`, the
// typed text may name several files in the chosen directory: the result is then that
// directory and each name, every word in double quotes.
int FileChooseDialogue(const char* title, const char* confirm, const char* startDir,
                       std::string& result, bool several = false);
// The words of a typed list of file names: blanks separate them, double quotes keep blanks in
// a word, a backslash takes the next character as it is.
std::vector<std::string> FileNameWords(const std::string& text);
// A typed file name with "~", "~user", "$NAME" and "${NAME}" expanded.
std::string ExpandFileName(const std::string& name);
// A message-line text not tied to one window.
void WMessage(const char* text);

// Scripted answers for questions and dialogues (headless backend; batch "-answer").
void WQueueAnswer(const char* answer);

// X resources of the display: a full resource name and class looked up (the value is valid
// until the next call; null when unset or without a display), and the database written out.
const char* WResource(const char* name, const char* cls);
int WDumpResources(const char* path); // 0 when there is no database
