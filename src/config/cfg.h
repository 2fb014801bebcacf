// config/cfg.h: option records, the seven option tables and the option engine (cfg_).
#pragma once

#include <cstdio>
#include <string>

#include "runtime/seam.h"

enum CfgType {
    CFG_BOOL = 0,
    CFG_INT = 1,
    CFG_CHOICE = 2,
    CFG_COLOR = 3,
    CFG_STRING = 4,
    CFG_SIZE = 5,
    CFG_FUNC = 6,
};

// One row of a choice table; a table ends with a row whose name is null.
struct ChoiceValue {
    const char* name;          // stored name, written to files
    const char* label;         // shown in dialogues
    int value;
    const char* const* others; // older accepted names, null-terminated; may be null
};

struct CfgRange {
    int min = 0;
    int max = 0;
};

enum { CFGSIZE_SET = 0x1, CFGSIZE_PIXELS = 0x2 };
struct CfgSize {
    int width = 0;  // pixels
    int height = 0; // pixels
    unsigned flags = 0;
    bool operator==(const CfgSize&) const = default;
};

struct CfgRemembered {
    long num = 0;      // booleans, integers, choices
    std::string str;   // strings and colours; empty means none
    CfgSize size;
    int changed = 0;   // set by cfg_CompareToCurrentSettings
};

struct CfgOption;
// Called with the new value as text instead of storing it; 1 on success.
using CfgSetter = int (*)(CfgOption& option, const char* value);

struct CfgOption {
    const char* name = nullptr;
    int hidden = 0;
    int type = CFG_BOOL;
    void* value = nullptr;           // int*, std::string* or CfgSize*; null for functions
    int redraw = 0;
    CfgSetter setter = nullptr;
    long dflt = 0;                   // booleans, integers, choices
    const char* dfltStr = nullptr;   // strings and colours
    CfgRange range;                  // integers
    const ChoiceValue* choices = nullptr;
    int colorSlot = -1;              // colours
    CfgRemembered remembered[3];
};

// The seven tables, each ending with a row whose name is null, in search order.
extern CfgOption size_options[];
extern CfgOption color_options[];
extern CfgOption editor_options[];
extern CfgOption debugger_options[];
extern CfgOption gui_options[];
extern CfgOption vc_options[];
extern CfgOption misc_options[];
extern CfgOption* const cfg_AllTables[7];

// ---- colours ----
struct CfgColor {
    int red = 0, green = 0, blue = 0; // 0..65535
};
enum { CFG_COLOR_COUNT = 51 };
extern CfgColor cfg_colors[CFG_COLOR_COUNT]; // indexed by an option's colorSlot

// What the option engine needs from the window system. The owner of the toolkit installs
// one at start-up (cfg_SetDisplay) before any option is set; using the engine without one
// is a programming error and stops with an assertion naming this interface.
struct CfgDisplay {
    virtual ~CfgDisplay() = default;
    // Parses an X colour specification into 16-bit components; 0 when it is not one.
    virtual int parseColor(const char* text, int* r, int* g, int* b) = 0;
    virtual bool monochrome() = 0; // one-bit display: colour options are refused
    virtual int charWidth() = 0;   // the current font's cell, for sizes given in characters
    virtual int lineHeight() = 0;
    virtual void redrawAll() = 0;  // every window relaid out and redrawn after a change
    // X resources: a full name and class looked up (null when unset; valid until the next
    // call), and the whole database written to a file (0 when there is none).
    virtual const char* resource(const char* name, const char* cls) = 0;
    virtual int dumpResources(const char* path) = 0;
};
void cfg_SetDisplay(CfgDisplay* display);
CfgDisplay& cfg_Display();

// Told by every setter after it stored its value, so that what is shown follows at once.
// Declared here, implemented by the editor and installed once start-up has read the
// configuration files (what they set is shown when the first windows open).
struct CfgOptionWatch {
    virtual void optionChanged(const char* name) = 0;

protected:
    ~CfgOptionWatch() = default;
};
extern Seam<CfgOptionWatch> cfg_optionWatch;

extern int cfg_refresh;              // or of the redraw flags of the options set
extern int cfg_noConfigFiles;        // command-line switch: skip configuration files
extern int cfg_configInNonDefault;   // a configure command ran in a non-default file
extern int cfg_errorsInFile;         // errors counted in the file being read

// Prints one message line of the configuration code (a newline is added when missing).
void cfg_Say(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- the engine ----
void cfg_SetEverythingToDefaults();
void cfg_ResetOptionsForTest(); // zeroes every variable, then applies the defaults
int cfg_ReadFile(const char* path);
int cfg_ScanLine(const char* line);
CfgOption* cfg_FindOption(const char* name);
CfgOption* cfg_SearchTable(const char* name, CfgOption* table);

int cfg_Boolean(CfgOption& option, const char* text);
int cfg_Integer(CfgOption& option, const char* text);
int cfg_String(CfgOption& option, const char* text);
int cfg_Choice(CfgOption& option, const char* text);
int cfg_Color(CfgOption& option, const char* text);
int cfg_Size(CfgOption& option, const char* text);
int cfg_Func(CfgOption& option, const char* text);
int cfg_SetOption(CfgOption& option, const char* text); // by type

int cfg_ParseInt(int* value, const char* text, const CfgRange* range);
int xFlagValue(const char* text, int* value); // 1 with 0 or 1 in value; 0 when not a boolean
const ChoiceValue* cfg_valFChoice(const ChoiceValue* table, int value); // row of a value
const char* cfg_valueFChoice(const ChoiceValue* table, int value);      // its stored name
int ChoiceValues_Search(const ChoiceValue* table, const char* name, int* value,
                        const char** stored, const char** other);
int ChoiceValues_NoisySearch(const ChoiceValue* table, const char* name, int* value,
                             const char** stored);

// Value-storing helpers that setters share.
int cfg_StoreInt(CfgOption& option, const char* text);
int cfg_StoreBool(CfgOption& option, const char* text);
int cfg_StoreString(CfgOption& option, const char* text); // text already unquoted
int cfg_StoreChoice(CfgOption& option, const char* storedName);
int cfg_OptionInt(const CfgOption& option);
const std::string& cfg_OptionString(const CfgOption& option);

// The word syntax of string values: a double-quoted word with backslash escapes, or the
// whole text. Returns 0 for an unbalanced quote or text after the closing quote.
int cfg_ReadWord(const char* text, std::string& word);
std::string cfg_QuoteWord(const std::string& word);

int shr_ReadConfigFiles(const char* name);
// The whole start-up configuration in order: defaults, default bindings, level 0, the site
// and user files (when readFiles), editor buttons from X resources, levels 1 and 2.
void cfg_StartupConfiguration(int readFiles);
char* cfg_GetSiteConfigDir();                // heap string
char* cfg_GetUserConfigDir(int create);      // heap string; null when it could not be made
char* cfg_CreateConfigFilename(const char* dir, const char* name); // heap string

void cfg_RememberCurrentSettings(int level);
int cfg_CompareToCurrentSettings(int level); // number of options that changed
void cfg_AskSaveConfig();
int SaveAsDefaultConfig();
int ClearDefaultConfig();
void Config_ListAllConfigs();
void WriteConfigOption(FILE* file, const CfgOption& option);
std::string cfg_OptionLine(const CfgOption& option); // the line WriteConfigOption writes
// Batch "PrintOption NAME": prints the option's line (without the "#" alternatives of a
// choice); an unknown or function option is reported and gives 0.
int cfg_PrintOption(const char* name);

// Named texts (options "button.ok" and the like); the default English text when unknown.
const char* cfg_Text(const char* name);
