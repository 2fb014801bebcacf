// toolkit/window.h: windows, the window registry, the toolkit event record and drawing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using WColor = unsigned long; // a pixel value of the display (0xRRGGBB on the headless backend)

// Event kinds a window handler receives.
enum WEventKind {
    WE_EXPOSE = 0,    // x, y, width, height to redraw
    WE_RESIZE = 1,    // width, height
    WE_MAP = 2,       // state: 0 unmapped, 1 mapped
    WE_CLOSE = 3,     // the window manager asks to close the window
    WE_CROSSING = 4,  // state: 1 entered / focus in, 0 left / focus out
    WE_SELECTION = 5, // text, selType, selNumber, lost
    WE_BUTTON = 7,    // x, y, direction, button, modifiers, clicks
    WE_KEY = 8,       // x, y, modifiers, key, text, time
    WE_HELP = 9,      // as WE_KEY
    WE_MESSAGE = 10,  // 10..14: messages between the program's own windows
};

// Modifier bits, the same values as the X protocol's state mask.
enum WModifier {
    WMOD_SHIFT = 1,
    WMOD_LOCK = 2,
    WMOD_CONTROL = 4,
    WMOD_MOD1 = 8,
    WMOD_BUTTON1 = 0x100,
    WMOD_BUTTON2 = 0x200,
    WMOD_BUTTON3 = 0x400,
};

// Key codes of the function keys: a key symbol 0xFFxx becomes 256 + xx.
enum WKeyCode {
    WK_BACKSPACE = 256 + 0x08,
    WK_TAB = 256 + 0x09,
    WK_RETURN = 256 + 0x0d,
    WK_ESCAPE = 256 + 0x1b,
    WK_HOME = 256 + 0x50,
    WK_LEFT = 256 + 0x51,
    WK_UP = 256 + 0x52,
    WK_RIGHT = 256 + 0x53,
    WK_DOWN = 256 + 0x54,
    WK_PRIOR = 256 + 0x55,
    WK_NEXT = 256 + 0x56,
    WK_END = 256 + 0x57,
    WK_KP_ENTER = 256 + 0x8d,
    WK_DELETE = 256 + 0xff,
};

struct WWindow;

struct WEvent {
    int kind = WE_EXPOSE;
    WWindow* window = nullptr; // the window the event is delivered to
    int x = 0, y = 0, width = 0, height = 0;
    int state = 0;     // WE_MAP, WE_CROSSING
    int direction = 0; // WE_BUTTON: +1 press, -1 release, 0 motion
    int button = 0;
    unsigned modifiers = 0;
    int clicks = 0;
    int key = 0;       // WE_KEY: key code, -1 for none
    std::string text;  // WE_KEY: typed text; WE_SELECTION: the data
    unsigned long time = 0;
    int selType = 0, selNumber = 0, lost = 0;
    long words[2] = {0, 0};
};

// handler(event, data): returns 0 when it failed.
using WHandler = int (*)(WEvent& ev, void* data);
// Asked with the pending press whether a further click may still follow (1) or not (0).
using WClickCallback = int (*)(const WEvent& press, void* data);

enum WCursorShape {
    WCURSOR_ARROW = 0,
    WCURSOR_RIGHTARROW,
    WCURSOR_LEFTRIGHT,
    WCURSOR_TEXT,
    WCURSOR_BUSY, // while a file loads
};

struct WWindow {
    unsigned long id = 0;      // the display's window id
    WWindow* parent = nullptr; // null for a top-level window
    int x = 0, y = 0, width = 1, height = 1;
    bool mapped = false;
    std::string name;          // top-level windows: the title
    int cursor = WCURSOR_ARROW;
    WColor background = 0;
    WWindow* focusChild = nullptr; // top-level: the child that receives the keyboard
    void* backendData = nullptr;
    unsigned long serial = 0;      // creation order
    // Top-level: sees every key for the window before the child with the focus does, and
    // keeps it when it returns true (dialogues: Tab, Return, Escape).
    bool (*keyFilter)(const WEvent& ev, void* data) = nullptr;
    void* keyFilterData = nullptr;
    bool isMenu = false; // a menu's own top-level window
    bool inputDuringModal = false; // takes input while a modal dialogue is up (help windows)
};

// Registration of a window with the dispatcher (64 chains hashed on the low 6 bits of the id).
struct WRegistration {
    unsigned long window = 0;
    WWindow* win = nullptr;
    WRegistration* parent = nullptr; // events are forwarded there, coordinates translated
    WHandler handler = nullptr;
    WClickCallback click = nullptr;
    WHandler immediate = nullptr;
    void* data = nullptr;
    WRegistration* next = nullptr;   // chain
};

// ---- windows ----
// A top-level window when parent is null. The handler may be null (a passive window).
WWindow* WCreateWindow(WWindow* parent, int x, int y, int width, int height, WHandler handler,
                       void* data);
void WDestroyWindow(WWindow* win); // destroys its children first
void WMapWindow(WWindow* win);
void WUnmapWindow(WWindow* win); // a child window; its place stays its own
// A top-level window of text: the window manager resizes it by whole character cells, from
// the size it has with no text (baseWidth x baseHeight pixels).
void WSetResizeCells(WWindow* win, int baseWidth, int baseHeight);
void WMoveResize(WWindow* win, int x, int y, int width, int height);
// A new size for a top-level window, left where the window manager put it.
void WResizeWindow(WWindow* win, int width, int height);
void WSetWindowName(WWindow* win, const char* name);
void WSetCursor(WWindow* win, int shape);
void WRaiseWindow(WWindow* win);
// A window's place and size on the screen (false when unknown), and the screen's size.
bool WRootGeometry(WWindow* win, int* x, int* y, int* width, int* height);
void WScreenSize(int* width, int* height);
// Moves the pointer onto the middle of a window (a dialogue that was asked for).
void WWarpPointer(WWindow* win);
// Gives the keyboard to a mapped top-level window (a modal dialogue).
void WTakeFocus(WWindow* win);
// A top-level window just mapped takes the keyboard as soon as it shows (waiting up to ms).
void WFocusOnceMapped(WWindow* win, int ms);
void WSetBackground(WWindow* win, WColor colour);
// A text property of a top-level window that outside tools (xprop) can read.
void WSetProperty(WWindow* win, const char* name, const std::string& value);
void WSetFocusChild(WWindow* child); // keyboard input of its top-level goes to child
WWindow* WTopLevelOf(WWindow* win);
void WSetClickCallback(WWindow* win, WClickCallback click, WHandler immediate);
void WForwardEvents(WWindow* child, WWindow* to); // forward child's events to another window

// ---- registry and dispatch ----
void WRegisterWindow(WWindow* win, WHandler handler, void* data);
void WUnregisterWindow(unsigned long id);
WRegistration* WFindRegistration(unsigned long id);
// Delivers an event to the registration of ev.window (after forwarding); a Panic in the
// handler is caught here and the dispatcher carries on. Returns the handler's result.
int WDeliver(WEvent& ev);
// Click counting: backends hand every button event to WClickEvent, which counts presses
// and holds a press back for windows with a click callback until no further click can follow.
int WClickEvent(WEvent& ev);
int WClickFlush();        // deliver a held press now
void WClickTimingCheck(); // deliver it once the click pause has run out
bool WClickPending();

// While a menu is open it sees every event first and keeps those it returns true for.
extern bool (*wEventInterceptor)(WEvent& ev);
// The one window that owns input while a modal dialogue runs (null: every window); menus and
// windows marked inputDuringModal take it too.
extern WWindow* wModalWindow;
bool WInputAllowed(WWindow* win);
// The top-level window that last took a key or a press (dialogues are placed over it).
extern WWindow* wLastInputTop;

// ---- drawing (coordinates relative to the window) ----
void WFillRect(WWindow* win, int x, int y, int width, int height, WColor colour);
void WDrawRect(WWindow* win, int x, int y, int width, int height, WColor colour);
void WFillTriangle(WWindow* win, int x1, int y1, int x2, int y2, int x3, int y3, WColor colour);
// Text with its cell background; y is the top of the text cell. Text that is UTF-8 is drawn
// as such, other text byte by byte as Latin-1.
void WDrawText(WWindow* win, int x, int y, const char* text, int length, WColor fg, WColor bg);
// The same in a font of its own (a sample of that font).
void WDrawTextInFont(WWindow* win, int x, int y, const std::string& font, const char* text,
                     int length, WColor fg, WColor bg);
// The display's font names matching an X font pattern, at most max.
std::vector<std::string> WListFonts(const char* pattern, int max);
// One character cell of a row: the character shown in it and a combining mark drawn over it
// (0: none). A wide character fills its cell and the next, whose ch is 0.
struct WCell {
    char32_t ch;
    char32_t mark;
};
// Cells from x on, one font width each, with their background.
void WDrawCells(WWindow* win, int x, int y, const WCell* cells, int n, WColor fg, WColor bg);
void WClearWindow(WWindow* win);
void WBevel(WWindow* win, int x, int y, int width, int height, bool raised);
int WFontWidth();  // widest character of the font
int WFontHeight(); // line height
int WTextWidth(const char* text, int length);

// ---- colours ----
struct WPalette {
    WColor background, foreground, control, controlDark, controlLight, select, selectText;
};
extern WPalette wPalette;
// Allocates the colours of the settings into wPalette.
void WRefigureColors();
// A colour of the display from an X colour specification; fallback when it cannot be had.
WColor WAllocColor(const char* spec, WColor fallback);
// Switches to the font of the settings; windows relayout on their next resize.
void WRefigureFont();
// Parses an X colour specification into 16-bit components; 0 when it is not one.
int WParseColor(const char* spec, int* r, int* g, int* b);
int WParseColorBuiltin(const char* spec, int* r, int* g, int* b); // without a display's help
bool WMonochrome(); // a one-bit display: colours cannot be shown
