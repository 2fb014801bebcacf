// toolkit/dialog.h: dialogue windows and their widgets: labels, push buttons, toggles, button
// sets, text fields, scroll lists, editor panes, option menus, colour swatches and separators,
// placed by rows, columns and tabbed pages, with keyboard focus traversal. The widget logic is the same on every backend; only
// drawing and the arrival of events differ, so the headless backend runs this code in tests.
#pragma once

#include "runtime/seam.h"

#include <string>
#include <vector>

#include "toolkit/window.h"

struct TextField;
struct WDialog;

enum WidgetKind {
    WG_LABEL,
    WG_BUTTON,    // push button
    WG_TOGGLE,    // a button with a check box: on or off
    WG_BUTTONSET, // radio buttons, one of them set
    WG_TEXTFIELD,
    WG_LIST,      // scroll list with one selected entry
    WG_EDITOR,    // an editor pane
    WG_OPTIONMENU,
    WG_SEPARATOR,
    WG_ROW,       // children side by side
    WG_COLUMN,    // children one below the other
    WG_COLORBOX,  // a swatch painted in the colour its text names
    WG_TABS,      // a notebook: its children are pages, one shown at a time below their tabs
    WG_PAGE,      // one page of a notebook: children one below the other; label on its tab
};

// Where a widget sits in the space its row or column gives it across the flow.
enum WAlign { WALIGN_FILL, WALIGN_START, WALIGN_CENTER, WALIGN_END };

// What happened to a widget that may run its script.
enum WActivation {
    WACT_PRESS,   // a button was pressed, a toggle or button-set choice changed
    WACT_RETURN,  // Return in a text field
    WACT_DOUBLE,  // a double click (or Return) on a list entry
    WACT_SELECT,  // a list entry or option-menu choice was selected
};

// An editor pane inside a dialogue: the editor implements it and installs it at start-up,
// since the toolkit knows nothing of Files. A pane is the editor's own handle.
struct WEditorPane {
    virtual void* create(WWindow* parent, int x, int y, int width, int height) = 0;
    virtual void destroy(void* pane) = 0;
    virtual void place(void* pane, int x, int y, int width, int height) = 0;
    virtual std::string getText(void* pane) = 0;
    virtual void setText(void* pane, const std::string& text) = 0;
    virtual WWindow* focusWindow(void* pane) = 0; // the window that takes its keys
};
extern Seam<WEditorPane> wEditorPane;

struct Widget {
    WidgetKind kind = WG_LABEL;
    std::string name;   // how scripts and batch answers address it ("" when unnamed)
    std::string label;  // button, toggle and label text; "&" marks the mnemonic
    std::string font;   // labels: an X font of their own (a font chooser's sample)
    std::vector<std::string> items; // button-set choices, list entries, option-menu choices
    std::string script; // run on activation (by the dialogue's owner)
    int value = 0;      // toggle 0/1; button-set choice (from 0); list and option menu: the
                        // selected entry (-1 none); notebook: the page shown
    bool isDefault = false; // Return presses it
    bool isCancel = false;  // Escape presses it
    bool ownsReturn = false; // text fields and lists: Return activates the widget itself
    bool enabled = true;
    bool hidden = false;    // left out of the layout, its window unmapped (WidgetSetHidden)
    bool vertical = true;   // button sets: one below the other
    unsigned levels = ~0u;  // activation levels at which the widget takes input
    // layout
    int stretch = 0;        // share of spare room along the flow of its row or column
    int align = WALIGN_FILL;
    int columns = 0, rows = 0; // preferred size in characters (text fields, lists, editors)
    std::vector<Widget*> children;
    Widget* parent = nullptr;
    int x = 0, y = 0, width = 0, height = 0; // placed, within the dialogue window
    // state
    WWindow* win = nullptr;
    TextField* field = nullptr; // text fields
    struct ScrollBar* sb = nullptr; // lists
    void* pane = nullptr;       // editor panes
    int top = 0;                // lists: first entry shown
    int focusItem = 0;          // button sets: the choice the keyboard is on
    // Lists that keep several entries chosen: marks[i] for entry i; value is then the entry the
    // keyboard is on, and a click or Space flips an entry's mark.
    bool multiple = false;
    std::vector<char> marks;
    bool pressed = false;
    WDialog* dialog = nullptr;
};

// Called when a widget is activated; the owner runs the widget's script (or, for dialogues
// without scripts, ends the dialogue).
using WActivateFn = void (*)(WDialog* d, Widget* w, int how);

struct WDialog {
    WWindow* win = nullptr;
    WWindow* parentWin = nullptr; // the editor it belongs to (transient for it)
    std::string title;
    std::string kindName = "dialogue"; // what PrintWindows calls it
    std::string helpText;              // what its "help" button shows (owners that set it)
    Widget* root = nullptr;
    std::vector<Widget*> widgets;      // every widget in creation order (script numbers)
    Widget* focus = nullptr;
    int level = 0;                     // activation level, 0..31
    bool modal = true;
    bool done = false;
    int result = 0;
    WActivateFn activate = nullptr;
    void* user = nullptr;
    // Batch mode: the line printed for it ("TEXT -> ANSWER") and whether an absent answer
    // takes the default button (else it cancels).
    std::string batchText;
    bool batchDefault = true;
    bool batchShowsAnswer = true;
    bool answerIsText = false; // a plain answer is the text of its field, never a button
    bool answerShownFirst = false; // WDialogTakeAnswer prints the answer before applying it
    std::string answerField;   // the field a plain answer fills ("": the only one)
    // Plain answers for button dialogues: returns the button chosen (-1: the default).
    int (*matchAnswer)(WDialog* d, const std::string& answer) = nullptr;
    // Returns the text shown for a chosen button in batch mode ("" the label).
    std::string (*describeAnswer)(WDialog* d, Widget* pressed) = nullptr;
    Widget* pressedButton = nullptr; // the last button pressed
    // Escape, the window manager's close and the cancel button end it with this result.
    int cancelResult = 0;
    // Non-modal dialogues: called (from the event loop, after the event that dismissed it) to
    // destroy it.
    void (*closed)(WDialog* d) = nullptr;
    // Called after the user (or a batch answer) changed a field, toggle or choice.
    void (*changed)(WDialog* d, Widget* w) = nullptr;
};

// ---- building ----
WDialog* WDialogNew(const char* title);
// A widget added to `parent` (a row or column; null: the dialogue's root column).
Widget* WDialogAdd(WDialog* d, Widget* parent, WidgetKind kind, const char* name,
                   const char* label);
// Creates the window, its widgets' windows and lays them out; the window is not mapped yet.
void WDialogRealize(WDialog* d);
// Maps the window over its parent editor (or the screen's centre).
void WDialogShow(WDialog* d);
// The editor window the next dialogue belongs to (null: the one that last took input).
void WDialogParent(WWindow* top);
// Runs the dialogue modally until it is dismissed: returns its result. Headless: applies the
// next scripted answer instead of waiting for input.
int WDialogRun(WDialog* d);
void WDialogDismiss(WDialog* d, int result);
void WDialogDestroy(WDialog* d);
// Re-reads sizes after the widgets' contents changed, and redraws.
void WDialogRelayout(WDialog* d);
void WDialogRedraw(WDialog* d);
void WDialogSetLevel(WDialog* d, int level);

// ---- widgets ----
Widget* WDialogFind(WDialog* d, const char* name);
void WidgetSetText(Widget* w, const std::string& text); // text fields, labels, editors
std::string WidgetText(Widget* w);
void WidgetSetValue(Widget* w, int value);   // toggle, button set, list, option menu
// Takes a widget out of the layout (the others close up) or puts it back.
void WidgetSetHidden(Widget* w, bool hidden);
void WidgetSetItems(Widget* w, const std::vector<std::string>& items);
// Lists with several entries chosen: every entry marked (true) or none.
void WidgetMarkAll(Widget* w, bool on);
void WidgetRedraw(Widget* w);
void WidgetFocus(Widget* w);
bool WidgetTakesFocus(const Widget* w);
void WidgetPress(Widget* w); // as a click on a button
// Whether a widget and every row, column and page around it are shown.
bool WidgetShown(const Widget* w);
// Notebooks: shows page `index` (from 0); the focus leaves a page that goes.
void WTabsSelect(Widget* tabs, int index);
// Moves the focus to the next (+1) or previous (-1) widget that takes it.
void WDialogFocusNext(WDialog* d, int dir);
// Keys the dialogue handles wherever they arrive: Tab, Shift+Tab, Return, Escape, Alt and a
// mnemonic, Control+Page Up and Page Down (the notebook's pages). True when the key was used.
bool WDialogKey(WDialog* d, const WEvent& ev);

// ---- batch answers ----
// Applies one answer: "NAME=VALUE;NAME=VALUE;BUTTON" sets named widgets and presses the
// button; a plain answer is a button's label or number, or the text of the one text field.
// Returns 0 when the answer names nothing in the dialogue.
int WDialogApplyAnswer(WDialog* d, const std::string& answer);
// A dialogue that stays open (the searcher) takes the next scripted answer, if one is queued,
// and prints it as a modal one would. False when there was none (or answers are not scripted).
bool WDialogTakeAnswer(WDialog* d);

// ---- open dialogues (PrintWindows) ----
const std::vector<WDialog*>& WOpenDialogues();

// Geometry helpers for builders.
int WLabelWidth(const std::string& label); // without the "&"
