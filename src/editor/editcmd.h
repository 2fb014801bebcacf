// editor/editcmd.h: the command table, the command-string language and its dispatch, the
// selection and motion operations and the editing routines the commands share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/edit.h"

struct EditCmdCtx;
using EditCmdFn = int (*)(Edit* edit, EditCmdCtx* ctx);

// Flags of a command row; they matter only in a transcript editor.
enum {
    CMDF_CHANGES = 0x1,   // changes text at the cursor
    CMDF_WINDOW = 0x2,    // window or file command
    CMDF_DELETES = 0x4,   // deletes the selection
    CMDF_SECONDARY = 0x8, // uses the secondary selection too
    CMDF_NOTRANS = 0x10,  // not run in a transcript editor
};

struct EditCmd {
    const char* name; // null ends a table
    EditCmdFn handler;
    int flags;
};

// One per parse; copied for each command executed.
struct EditCmdCtx {
    int x = -1, y = -1;         // the window position the command applies to
    const char* text = nullptr; // the string; for a command, its argument text to the end
    WWindow* msgWindow = nullptr;
    int ignoreUnknown = 0;
    int count = 0;              // commands executed so far in this string
    const char* name = nullptr; // the command word as the table spells it
    Edit* moveTo = nullptr;     // set by a command: the commands after it act on this editor
};

// The editor's command table (every row, in table order; handlers resolved at first use).
const std::vector<EditCmd>& EditCmds();

// Parses and runs a command string; 0 after an error or a failed command.
int EditParseCmd(Edit* edit, EditCmdCtx& location);
// The same with the location at a point of the primary selection on the screen.
int EditParseCmdLoc(Edit* edit, int x, int y, const char* string);
// Runs a string with no location (menus, buttons, other parts of the program).
int EditCli(Edit* edit, const char* string);
// Adds a command at run time; it is found before the built-in ones.
int EditAddCmd(const char* name, EditCmdFn handler);
// One condition of `if`: returns its truth, *ok = 0 after an error (reported).
int Edit_CondStrToCond(Edit* edit, const char* text, int* ok);
// Shows what a key or button does (identify mode).
void EditIdentifyStr(Edit* edit, const char* command, int key);
// Key and button events of the text area.
int EditEventParse(Edit* edit, WEvent& ev);
// The first press of a click in the text area, run when it happens while the toolkit holds
// it back to count further clicks.
int EditPressAtOnce(Edit* edit, WEvent& ev);
// Resolves the command table once at start-up.
void EditCmdInit();
// The commands the option dialogues' scripts run (ApplyOptions, ColorScheme, FontChooser,
// FontPreview); added at start-up.
void EditAddOptionCommands();
// Whether an option dialogue is open (configure commands wait for it to close).
bool ConfigWin_Open();
// The argument of a command: its text up to the ";" or "}" that ends it, blanks trimmed.
std::string EditCmdArg(const EditCmdCtx* ctx);

// ---- selections and motion ----
bool SelEmpty(const Selection& s);
int EditColStartOfText(Edit* edit, int64_t line);
int edit_ColumnFromPosition(EditView* view, int64_t line, int column);
int vGrabSelection(EditView* view, int slot);
void vMergeSelection(EditView* view, int64_t line, int column, Selection* sel);
void epSelectionGrowToBoundary(EditView* view, Selection* sel, int redraw);
void vCharacterMotion(Edit* edit, int delta, int extend, int hint);
void vLineMotion(Edit* edit, int64_t delta, int extend, int hint);
// Sets the primary selection to one point (the cursor) and redraws.
void EditSetCursor(Edit* edit, int64_t line, int col);
// Sets a selection from start to end, the anchor at the start, and redraws.
void EditSetSelection(Edit* edit, int which, int64_t l1, int c1, int64_t l2, int c2);
// Pointer position to (line, byte column); over: the pointer is over a character.
void EditPositionAt(Edit* edit, int x, int y, int64_t& line, int& col, bool* over = nullptr);
// Scrolls the view so that the primary selection's moving end is visible.
void EditShowCursor(Edit* edit);
int EditLineLen(File* file, int64_t line);
// Columns are byte offsets, but in a UTF-8 File a character (with its combining marks) is
// never split: the column `delta` characters from col, and col moved back to the start of
// the character it falls in.
int EditStepChars(File* file, int64_t line, int col, int delta);
int EditCharStart(File* file, int64_t line, int col);
// A line of the File found from the top of its active editor's view: in a file of millions of
// lines the cursor is near there, and walking from either end would cost every keystroke.
Line* EditFileLine(File* file, int64_t line);
// That hint itself, for the buffer operations that take one.
Line* EditHintLine(File* file);
int64_t EditHintNo(File* file);

// ---- editing ----
// 1 = the change is refused.
int EditReadOnlyCheck(Edit* edit);
int EditAddChars(Edit* edit, const char* text, int64_t length, int which, int typed);
int EditTypedChars(Edit* edit, const char* text, int64_t length);
// The text of a command's quoted argument with its escapes resolved; end: after the quote.
std::string EditUnquote(const char* text, const char** end);
// The clipboard family: op 0 copy, 1 cut, 2 paste, 3 rect copy, 4 rect cut, 5 rect paste.
int EditCopyCmd(Edit* edit, int op, int slot);
// Contents of a slot as they would be pasted (batch PrintClip).
bool EditSlotContents(int slot, std::string* text, int* type);
// A WE_SELECTION answer to a paste request.
void EditPasteArrived(Edit* edit, const WEvent& ev);
// Ends a bracket-match flash: the cursor returns.
void EditFlashEnd(Edit* edit);
// Save and the plain forms of the other file commands.
int SaveFile(File* file);
// The "Save As" file chooser for the File, then the save under the chosen name: 1 when saved.
int EditSaveAsChosen(File* file);
// The %-variables of a command text (%FILE, %SEL, %LINE, %COMMENTS, %%) replaced in place;
// false when the comments question was cancelled (the command is not run).
bool EditCmdSubstitute(Edit* edit, std::string& text);
// Drops text dragged with the pointer at the event position.
int EditDropDragged(Edit* edit, EditCmdCtx* ctx);

// The rows each file of the editor implements (null-terminated), and the configuration
// commands searched after the editor's own table.
extern const EditCmd configCmds[];
// The commands of compare windows and merges (DiffNext, DiffPrevious, DiffMerge, MergeButton,
// MergeConflicts), searched after those.
extern const EditCmd mergeCmds[];

// Whether a command has a window position: (-1, -1) means none. A pointer dragged above or
// left of the text area has negative coordinates of its own.
inline bool EditHasLocation(const EditCmdCtx* ctx) {
    return !(ctx->x == -1 && ctx->y == -1);
}
