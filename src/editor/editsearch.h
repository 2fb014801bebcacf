// editor/editsearch.h: an editor's search state and the three ways of searching it serves:
// incremental search, the searcher dialogue and the incremental line-number prompt.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Edit;
struct WDialog;

struct EditSearchState {
    std::string pattern;
    std::string replacement;
    int repeat = 0;              // further matches asked for while a search runs
    WDialog* searcher = nullptr; // the searcher dialogue, none until first opened
    // Incremental Backspace: the selection start before each extension of the pattern, with
    // the number of characters added there.
    struct Backup {
        int64_t line;
        int col;
        int count;
    };
    std::vector<Backup> backups;
    bool active = false;      // an incremental search (or the line prompt) is active
    bool forward = true;
    bool wrap = false;        // the last search failed: the next starts at the File's edge
    bool ignoreCase = false;
    bool wildcard = false;
    bool regex = false;       // (searcher dialogue only)
    bool busy = false;
    bool stale = false;       // the pattern is the previous one: typing starts a new one
    bool interrupted = false; // the pattern changed while a search ran
    bool linePrompt = false;
    bool failed = false;      // typing more does not search again
    bool abortRequest = false;
    bool wordStart = false, wordEnd = false, col0 = false, eol = false;
    bool inSelection = false; // the searcher's Replace All keeps to the selection
};

// The engine's flag bits from the state; dialogue: for a search of the searcher dialogue.
int SearchFlags(Edit* edit, int dialogue);

// Called at the start of nearly every command: ends an incremental search or line prompt.
void EditStopSearch(Edit* edit);
// Escape or Abort during an incremental search or line prompt: it ends as aborted.
void EditAbortSearch(Edit* edit);
// Typed characters during an incremental search (typed 1), or a repeat (no text).
void EditContinueSearching(Edit* edit, int typed, const char* text, int64_t length);
// Backspace during an incremental search.
void EditSearchBackspace(Edit* edit);
// One search: mode 1 for typed text, 0 for a repeat, -1 for the searcher dialogue. 1 found.
int EditStartSearch(Edit* edit, int mode);
// The message line (and the searcher's) for the state: kind 0 the label and pattern,
// 1 "Replacing:", 2 failed (with a beep), 3 clear.
enum { SRCHMSG_LABEL, SRCHMSG_REPLACING, SRCHMSG_FAILED, SRCHMSG_CLEAR };
void EditUpdateIsearchMsg(Edit* edit, int kind, int incremental);
// A text on the message line and on the searcher's; an option's text by its name.
void EditSearchMessage(Edit* edit, const std::string& text);
std::string EditSearchText(const char* option);
// The searcher's title follows the File the editor shows.
void EditUpdateSearcherName(Edit* edit);
// Whether an incremental search (not the line prompt) runs in the editor.
bool EditSearching(const Edit* edit);
// The text of a go-to-line request ("N", "+N", "-N") applied: 0 after "Invalid line number".
int EditGotoLineText(Edit* edit, const std::string& text);
// The editor goes away: its searcher with it.
void EditSearchRelease(Edit* edit);
// Whether a command leaves a running incremental search alone (typing, Backspace, the
// search commands and the language's own).
bool EditCmdKeepsSearch(const char* name);
