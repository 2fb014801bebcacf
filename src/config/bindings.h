// config/bindings.h: key and mouse bindings, their syntax, lookups and listing; location
// and modifier names; the key-name table; menus and editor buttons from configuration.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// ---- key codes ----
// 0..255 are Latin-1 characters; 256..511 are X key symbols 0xFF00..0xFFFF (function,
// cursor and keypad keys) as 256 + (keysym & 0xFF). The toolkit converts with these.
enum { KEY_CODES = 512 };
int KeySymToKeyCode(unsigned long keysym);       // -1 when the symbol has no code
unsigned long KeyCodeToKeySym(int code);
const char* KeyCodeName(int code);               // null when the code has no name
int KeyNameToCode(const char* name);             // -1 when unknown
int KeyNameCount();                              // named codes in 256..511

// ---- modifiers (X state bits) ----
enum {
    MOD_SHIFT = 0x1,
    MOD_LOCK = 0x2,
    MOD_CONTROL = 0x4,
    MOD_META = 0x8, // Mod1
    MOD_MOD2 = 0x10,
    MOD_MOD3 = 0x20,
    MOD_MOD4 = 0x40,
    MOD_MOD5 = 0x80,
    MOD_ANY = 0xFF,
};

// ---- mouse buttons (X state-mask bits) ----
enum {
    BUTTON1 = 0x100,
    BUTTON2 = 0x200,
    BUTTON3 = 0x400,
    BUTTON4 = 0x800,
    BUTTON5 = 0x1000,
    BUTTON_ANY = 0x1F00,
};

// ---- event kinds ----
enum { EV_PRESS = 1, EV_RELEASE = -1, EV_EITHER = -2 };

// ---- locations ----
// A binding's location is one row of one of three tables. Editor locations are binding
// modes: "Edit" is the normal mode (1), "Edit1".."Edit9" the modes AlterLocation selects
// (2 to the power N), "EditMargin" the selection margin, tried before the mode it adds to.
enum LocKind { LOC_TOOLKIT = 0, LOC_EDITOR = 1, LOC_SCROLLBAR = 2 };
enum {
    EDITLOC_EDIT = 0x1,
    EDITLOC_MARGIN = 0x400,
};
// Toolkit locations: where general bindings apply.
enum {
    TKLOC_WINDOW = 0x1, // any editor or other top-level window
    TKLOC_DIALOG = 0x2,
    TKLOC_MENU = 0x4,
    TKLOC_BUTTON = 0x8,
    TKLOC_TEXTFIELD = 0x10,
    TKLOC_LIST = 0x20,
    TKLOC_BITEDIT = 0x40,
    TKLOC_ALL = 0xFFFF,
};
// Scroll-bar parts.
enum {
    SBLOC_UPARROW = 0x1,
    SBLOC_DOWNARROW = 0x2,
    SBLOC_ABOVE = 0x4, // between the up arrow and the thumb
    SBLOC_BELOW = 0x8,
    SBLOC_THUMB = 0x10,
    SBLOC_ALL = 0x1F,
};

struct LocName {
    std::string name; // renameable through "locations."
    unsigned mask;
};
// The toolkit's table may be refilled at start-up; the others are fixed in size.
std::vector<LocName>& BindingLocations(int kind);
struct ModName {
    std::string name; // renameable through "modifiers."
    unsigned mask;
};
std::vector<ModName>& BindingModifiers();

// ---- bindings ----
struct Binding {
    int locKind = LOC_EDITOR;
    unsigned location = EDITLOC_EDIT;
    int trigger = 0;        // key code, or button mask
    int count = 1;          // clicks
    unsigned modifiers = 0;
    int kind = EV_PRESS;
    int atOnce = 0;
    std::string command;    // for scroll-bar bindings, the action name
    std::string label;
    Binding* next = nullptr;
};

// Scroll-bar actions a scroll-bar binding names.
extern const char* const scrollBarActions[];

enum BindCategory { BIND_MENUS, BIND_EBUTTONS, BIND_MICE, BIND_KEYS, BIND_DBUTTONS, BIND_CATS };
extern int bindingsChanged[3][BIND_CATS]; // per snapshot level
void MarkBindingsChanged(int category);

// Parses one specification; isKey selects keys or mice. defaultLoc names the
// location used when none is given (defaultLoc null: none). With store, adds, replaces or
// removes the binding; without, only parses into out. 1 on success.
int parseMouseSpec(const char* spec, int isKey, const char* defaultLoc, Binding* out, int store);
int parseKey(const char* spec);   // key line, default location "Edit"
int parseMouse(const char* spec); // mouse line, default location "Edit"

void clearKeys();
void clearMice();
void LoadDefaultBindings(); // edit_DefaultKeys and edit_DefaultMice, as binding lines
extern const char* const edit_DefaultKeys[];
extern const char* const edit_DefaultMice[];
int DefaultKeyCount();
int DefaultMouseCount();

// Lookups. Modifiers are X state bits; Lock and Mod2 (Num Lock) are ignored unless a
// binding names them. Returns the command, or null (InterpretEditMouse: dflt).
const char* InterpretEditKey(int key, unsigned modifiers, unsigned mode, unsigned altMode);
const char* InterpretEditMouse(int button, unsigned modifiers, unsigned mode, unsigned altMode,
                               int clicks, int pressOrRelease, const char* dflt);
const Binding* FindEditKeyBinding(int key, unsigned modifiers, unsigned mode, unsigned altMode);
const Binding* FindEditMouseBinding(int button, unsigned modifiers, unsigned mode,
                                    unsigned altMode, int clicks, int pressOrRelease);
// General bindings (toolkit locations) and scroll-bar actions.
const char* InterpretKey(int key, unsigned modifiers, unsigned location);
const char* InterpretMouse(int button, unsigned modifiers, unsigned location, int clicks,
                           int pressOrRelease);
const char* InterpretScrollBarMouse(int button, unsigned modifiers, unsigned part, int clicks,
                                    int pressOrRelease);

// Listing: one specification per binding, in the binding syntax.
std::string BindingSpec(const Binding& b, int isKey);
std::string BindingIdentitySpec(const Binding& b, int isKey); // without "=": a removal
std::vector<std::string> ListEditKeyBindings();   // editor key lists, oldest first
std::vector<std::string> ListAllKeyBindings();    // general then editor keys
std::vector<std::string> ListMouseBindings();     // editor and scroll-bar lists
std::vector<std::string> ListAllMouseBindings();  // general, editor and scroll-bar lists
int CountBindings(int keys);                      // all lists of keys or mice

// Snapshots of the saved lists (editor keys, editor and scroll-bar mice), per level.
void RememberBindings(int level);
// Lines that take a fresh process from the bindings of level to the current ones.
void WriteBindingLines(FILE* file, int level);

// Accelerators and reverse lookups.
std::string KeyToAcceleratorStr(int key, unsigned modifiers);
int AcceleratorStrToKey(const char* text, int* key, unsigned* modifiers);
const Binding* ViewMouseForKey(const char* text, unsigned location, int* key);
const Binding* ViewMouseForCommand(const char* command, unsigned location, int* key);
const Binding* ViewMouseForLabel(const char* label, unsigned location, int* key);

// ---- menus ----
struct MenuItem {
    std::string menu;        // menu name
    std::string description; // the item description as written
    std::string text;        // label
    std::string accelerator;
    std::string command;
};
std::vector<MenuItem>& MenuItems();
int MenuAddItems(const char* menuName, const char* descriptions); // 1 on success
void MenuClearAll();
void MenuResource_CorrelateWithKeyBindings(const char* menu); // null: every menu

// ---- editor buttons ----
struct EditButton {
    std::string name;
    std::string definition;
};
std::vector<EditButton>& EditButtons();

// ---- editing bindings in a buffer ----
// The bindings as the editing buffer shows them, and re-parsing an edited buffer (the
// dialogue that edits them in a buffer is not built yet).
std::string KeyListText();
std::string MouseListText();
std::string MenuListText();
int ReplaceKeyBindings(const std::string& text);
int ReplaceMouseBindings(const std::string& text);
int ReplaceMenus(const std::string& text);

// ---- X resources ----
// Looked up through the installed CfgDisplay (config/cfg.h).
const char* get_default_val(const char* name, const char* cls);
const char* get_local_val(const char* name, const char* cls);   // program name only
const char* get_special_val(const char* name, const char* cls); // "quorl." only
const char* shr_get_val(const char* name, const char* cls);
int mstrmatch(const char* a, const char* b);
int ReadResourceEditButtons(); // "editbuttonN.name"/".defn"; returns the number added

// ---- saving ----
int Config_SaveToFile(const char* path, int level);
int SaveConfig();
int LoadConfig();
void ShowConfig();
