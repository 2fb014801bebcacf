// editor/edit.h: editor windows (Edit), their panes (EditPort) and alternate-file stacks (EditPop).
#pragma once

#include <cstdint>
#include <string>

#include "editor/editsearch.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

struct File;
struct Line;
struct ScrollBar;
struct TextField;
struct WMenuBar;
struct Button;
struct Edit;

// One selection: start, end and cursor (anchor) positions. Lines from 1, columns are byte
// offsets from 0. Empty when start equals end; the cursor is then that point.
// Flags: SEL_ENDMOVES the end is the moving end (the start is the anchor); SEL_GROWSTART and
// SEL_GROWEND word growth includes the character at the start, respectively at the end;
// SEL_OVERCHAR the pointer was over a character when the selection was started.
enum { SEL_ENDMOVES = 0x80, SEL_GROWSTART = 0x40, SEL_GROWEND = 0x20, SEL_OVERCHAR = 0x10 };
struct Selection {
    int64_t startLine = 1;
    int startCol = 0;
    int64_t endLine = 1;
    int endCol = 0;
    int64_t cursorLine = 1;
    int cursorCol = 0;
    int flags = 0;
};

// The view the drawing and selection routines work on.
struct EditView {
    WWindow* window = nullptr; // the text area
    int width = 0, height = 0;
    File* file = nullptr;
    int64_t topLine = 1;
    Line* topLineRec = nullptr; // the Line of topLine, a hint for finding neighbours
    Selection sel[2];           // [0] primary, [1] secondary
    int boundaryMode = 0;       // 0 characters, 1 words, 2 lines
    int lastStart = 0;          // which selection the last start concerned (0, 1)
    int goalX = -1;             // pixel x kept by an unbroken run of vertical motions
    int prevGoalX = -1;         // the previous event's goal
    int64_t shownLine = -1;     // what the title bar shows, so it is only redrawn on change
    int shownCol = -1;
    bool shownUtf8 = false;
    int64_t shownCount = -1;
};

struct EditPort {
    WWindow* window = nullptr; // the drawing window (shared with the editor)
    int offset = 0;            // 8 when the File asks for a margin column
    int width = 0, height = 0;
    int hpos = 0;              // horizontal scroll position in pixels
    ScrollBar* hsb = nullptr;
    Edit* edit = nullptr;
    EditPort* next = nullptr;
    WWindow* divider = nullptr;
};

struct EditPop {
    EditPop* next = nullptr;        // the entry below on the stack
    EditPop* nextForFile = nullptr; // next entry referring to the same File
    File* file = nullptr;
    int64_t topLine = 1;
    int hpos = 0;
    int64_t cursorLine = 1;
    int cursorCol = 0;
    bool readOnly = false;
};

struct Edit {
    std::string name = "editor";
    int kind = 0;
    int word2 = 1;
    Edit* nextsame = nullptr; // next editor showing the same File
    EditView view;
    EditPort* panes = nullptr;
    EditPop* pops = nullptr;  // top of the alternate-file stack
    ScrollBar* vsb = nullptr;
    WWindow* corner = nullptr;
    WWindow* margin = nullptr; // selection margin, null when disabled
    WWindow* top = nullptr;    // the top-level window (null for an embedded editor)
    WWindow* frame = nullptr;  // the window holding the editor's parts
    WMenuBar* menuBar = nullptr; // top-level editors: the configured menus
    // title bar (top-level editors)
    TextField* lineField = nullptr;
    WWindow* status = nullptr;
    TextField* nameField = nullptr;
    TextField* tagField = nullptr;
    WWindow* modIcon = nullptr;
    WWindow* roIcon = nullptr;
    WWindow* msgLine = nullptr;
    Button* haltButton = nullptr; // while a command writes into the File (editor/execwin.h)
    std::string message;
    std::string statusText;
    bool shownModified = false;
    bool shownReadOnly = false;
    ContextWindow cw;
    // flags
    bool fixed = false;
    bool embedded = false;
    bool destroying = false;
    bool diffChild = false;
    bool focus = false;
    bool closing = false;
    bool pointerBlanked = false;
    bool skipFileCheck = false;
    bool readOnlyShown = false;
    // command state
    bool extendPending = false; // ContinueSelection: the next command extends
    bool extendActive = false;
    bool insertMode = false;    // plain printable keys are typed without the bindings
    bool quoteMode = false;     // the next key is typed literally
    bool identifyMode = false;  // the next command is explained, not run
    unsigned altMode = 0;       // binding mode of the next key (AlterLocation), 0 normal
    int parseDepth = 0;         // nesting of command strings being run
    bool pasteSecondary = false; // the pending paste replaces the secondary selection
    bool pasteRect = false;      // the pending paste is a rectangle
    // A "select N=lines" test could not see slot N (another program owns it): a paste of that
    // slot which turns out to be whole lines goes to column 0, as the test would have done.
    int unknownLinesSlot = -1;
    bool pasteLinesCol0 = false;
    bool dragging = false;       // drag and drop of the selected text
    bool dragCopy = false;
    bool pressed = false;        // a button is held in the text area
    int pressButton = 0, pressX = 0, pressY = 0, pressClicks = 0;
    bool dragMoved = false;
    bool pressRanAtOnce = false; // the held first press already ran its binding
    int64_t wrapLine = -1;       // the line last produced by word wrap
    EditSearchState search;
    // An editor of a compare window: how each line compares (DIFFMARK_...), and what follows
    // its scrolling (the other texts of the window).
    int (*diffMark)(Edit* edit, int64_t line) = nullptr;
    void (*diffScrolled)(Edit* edit) = nullptr;
    void* compare = nullptr; // the compare or merge it belongs to
    int (*keyHook)(Edit* edit, WEvent& ev) = nullptr; // keys its window takes first (1: taken)
    // Called first when the editor is destroyed (once no question can keep it).
    void (*destroyHook)(Edit* edit) = nullptr;
    void* hookData = nullptr;
    // bracket-match flash: where the cursor returns to
    bool flashing = false;
    Selection flashSaved;
};


enum { DIFFMARK_SAME = 0, DIFFMARK_DIFFERS = 1, DIFFMARK_CURRENT = 2 };

// ---- creation ----
Edit* EditCreate(WWindow* parent, int x, int y, int width, int height, const char* name,
                 File* file, int kind, int withMenuBar, int fixed);
// A new top-level editor on the named File (or `file`); in buffer mode, with useBufferEditor,
// the file goes onto the buffer editor's stack instead ("OpenFile", and "LineD" above line 1)
// and the buffer editor is returned.
Edit* _NewEditWithBufferSwitch(const char* name, File* file, int64_t line, int isTagLine,
                               int useBufferEditor);
// The editor that receives the files opened in buffer mode; null when the mode is off or no
// window has become it yet.
Edit* EditBufferEditor();
Edit* NewEdit(const char* name, int64_t line, int a, int b);   // null on failure
Edit* NewEdit2(const char* name, int64_t line);                // the "-reuse" window
Edit* NewEditTag(const char* name, int64_t line, int a, int b); // line: a tag line number
Edit* CreateEWind(File* file);
// The next editor window opened goes there, that size (pixels), instead of where the window
// manager would put it.
void EditPlaceNextWindow(int x, int y, int width, int height);
Edit* CreateEWind_line(File* file, int64_t line);
// A new top-level window on the File, its text area `columns` by `rows` characters.
Edit* NewEditOfSize(File* file, int columns, int rows);
// A top-level editor window resized to hold `columns` by `rows` characters of text.
void EditResizeTo(Edit* edit, int columns, int rows);
// The file chooser ("Edit File", "Edit") on dir, then a new editor on the choice: 1 on success.
int _EditLoadFile(Edit* edit, int a, const char* dir, int b);

// ---- showing Files ----
void EditAttachFile(Edit* edit, File* file, int64_t line, int isTagLine);
void EditChangeFile(Edit* edit, File* file);
// The margin column a File may ask for, left of its text in every pane: a click there selects
// the whole line, as in the selection margin. Gives the editor's panes the column its File
// asks for now.
constexpr int EditMarginColumnWidth = 8;
void EditMarginColumnUpdate(Edit* edit);
void EditSetLine(Edit* edit, int64_t line, int scrollOnly);
void EditSetToEnd(Edit* edit);
int EditFileCheck(Edit* edit, File* file);
int EditStartOfText(Edit* edit, int64_t line);
// The File a typed name means: the file itself when it exists, else a loaded File of that base
// name, else the name beside the current File; else, after "Create new file named: %s", a new
// File. Null when it cannot be opened (the reason is reported) or is not wanted.
File* EditFileSearch(const char* name, File* current);

// ---- the alternate-file stack ----
int EditPush(Edit* edit, File* file, int64_t line);
// Puts File at the bottom of the stack and keeps showing the current one: "-reuse" files
// given after the first wait there, so cycling visits them in command-line order.
int EditPushEntry(Edit* edit, File* file, int64_t line);
int EditPopEdit(Edit* edit);
int _EditPopEdit(Edit* edit, int ask);
int EditPopIt(WWindow* window);
int EditTogglePush(Edit* edit);
int EditCyclePush(Edit* edit);
int EditCyclePushBack(Edit* edit);
int CycleToFile(WWindow* window, int n);
int EditStackDepth(const Edit* edit);
// Takes off the stack every entry whose File `drop` picks; the rest keep their order.
void EditRemovePops(Edit* edit, bool (*drop)(Edit* edit, File* file));

// ---- closing ----
int EditClose(Edit* edit);
int EditCloseOrPop(Edit* edit);
int EditDone(Edit* edit);
int EditDestroy(Edit* edit);
// "Save Changes?" for a File whose edits would be lost when `edit` stops showing it (0:
// cancelled, the File stays); over every such File of the editor before it closes (0: the
// editor stays, showing only the Files still unsaved).
int EditQuerySaveFile(Edit* edit, File* file);
int EditSaveAndCloseFiles(Edit* edit);

// ---- change notification: lines l1..l2 (c1 -1 for whole lines) after the change; oldL2 the
// last line of the region before it ----
void EditShowChange(Edit* edit, int64_t l1, int c1, int64_t l2, int c2, int64_t oldL2,
                    bool here);
// The line states below a change at `line` follow it (before the editors redraw), and what
// drawing remembers of the File's lines is forgotten.
void EditsPropagateColour(File* file, int64_t line);
void EditsShowChange(Edit* first, int64_t l1, int c1, int64_t l2, int c2, int64_t oldL2);
void PopsShowChange(EditPop* first, int64_t l1, int c1, int64_t l2, int c2, int64_t oldL2);
void EditsRefigureTopLine(Edit* first);
void EditsReadOnlyUpdate(File* file);
void EditsModifiedUpdate(File* file);
void EditsSbSet(File* file);
void EditsRaiseOne(Edit* edit);

// ---- drawing and the title bar ----
void EditSetMsg(Edit* edit, const char* text);
// Long work's progress on the current window's message line (null clears it).
void EditShowProgress(const char* text);
void EditRedraw(Edit* edit);
void EditUpdateTitle(Edit* edit);
void EditLayout(Edit* edit); // place the parts after a resize
Edit* EditOfWindow(WWindow* window);
Edit* EditCurrent(); // the editor of the head context window, or null

// The primary selection's cursor (what "Ln %d,Col %d" and the batch state show) and its
// extent: edit->view.sel[0] holds them; these read them for callers outside the editor.
inline int64_t EditCursorLine(const Edit* edit) {
    return edit->view.sel[0].cursorLine;
}
inline int EditCursorCol(const Edit* edit) {
    return edit->view.sel[0].cursorCol;
}
void EditCursor(Edit* edit, int64_t* line, int* col);
void EditSelectionRange(Edit* edit, int64_t* l1, int* c1, int64_t* l2, int* c2);

// Runs the main loop until no editor window is left (or, with the exit-test switch, only
// message-list windows are), then returns.
void EditMainLoop();
// Quit asked the configuration question and closed every window: the program ends without
// asking it again.
extern bool editQuitAnswered;

// Starts syntax colouring with the editor's panes as its views.
void EditInitColouring();

// Routes the buffer's notifications, the journal timer and saving to the editor windows, long
// work's progress to their message lines, and gives dialogues their editor panes.
void EditInstallFileLinks();
