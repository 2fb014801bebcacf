// lang/syn.h: syntax colouring: state words, language and element records, the language
// table, line-state propagation and the drawing scan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "buffer/synhook.h"
#include "runtime/seam.h"

struct File;
struct Line;
struct EditPort;
struct Language;

// ---- state word bits ----
constexpr uint32_t SYN_COMMENT = 1u << 31;   // block comment (and other first comment forms)
constexpr uint32_t SYN_DEADCODE = 1u << 30;  // inside "#if 0"; ppasm preprocessor line
constexpr uint32_t SYN_KEYWORD = 1u << 29;   // keyword, help link
constexpr uint32_t SYN_STRING = 1u << 28;    // double-quoted string
constexpr uint32_t SYN_NUMBER = 1u << 27;
constexpr uint32_t SYN_CHAR = 1u << 26;      // character constant
constexpr uint32_t SYN_DIRECTIVE = 1u << 25; // assembler directive
constexpr uint32_t SYN_SLASHSEEN = 1u << 25; // comment scanner: opener split after "/" (or "(")
constexpr uint32_t SYN_COMMENT2 = 1u << 24;  // second assembler comment form, Ada "--"
constexpr uint32_t SYN_STARSEEN = 1u << 24;  // comment scanner: closer split after "*"
constexpr uint32_t SYN_LINECOMMENT = 1u << 23; // "//" and assembly line comments
constexpr uint32_t SYN_INWORD = 1u << 2;     // drawing: a piece ended inside a plain word
constexpr uint32_t SYN_ESCAPE = 1u << 1;     // next character is escaped
constexpr uint32_t SYN_NOCOLOR = 1u << 0;    // draw without syntax colour

// Aux word of the C-family line parsers.
constexpr uint32_t SYN_AUX_IF1 = 1u << 31;       // in a live "#if 1" whose other part is dead
constexpr uint32_t SYN_AUX_DEPTH = 0x7fffffffu;  // "#if" nesting depth inside dead code

// ---- element and language records ----
// begin/findEnd/ignoreNext: positions are byte indexes, `last` the last valid index.
using SynBeginFn = int (*)(uint32_t* state, const char* text, int pos, int last, int* length,
                           const Language* lang);
using SynFindEndFn = int (*)(uint32_t* state, const char* text, int pos, int last, int* length,
                             const Language* lang);
using SynEndFn = int (*)(uint32_t* state, const char* text, int pos, int last,
                         const Language* lang);
// Suffix tests see the rest of a literal, text[pos..last] (empty when pos > last).
using SynSuffixFn = int (*)(const char* text, int pos, int last);
// State at the start of the next line from this line's start state, aux word and text.
using SynQuickLineParserFn = uint32_t (*)(uint32_t state, uint32_t aux, const char* text, int len,
                                          uint32_t* nextAux);

struct SynElement {
    uint32_t stateBit;
    uint32_t colourClass; // SYN_COMMENT ... SYN_CHAR, or 0 for the plain text colour
    SynBeginFn begin;
    SynFindEndFn findEnd;
    SynEndFn end;
    uint32_t flags;
};

struct Language {
    LanguageId id;                        // LANG_NONE once found incomplete
    int caseSensitive;
    const SynElement* const* elements;    // null-terminated, priority order
    const char** keywords;                // null-terminated, sorted in place on first use
    SynBeginFn ignoreNext;                // escape test inside strings
    SynFindEndFn findWordEnd;
    SynSuffixFn validIntegerSuffix;
    SynSuffixFn validFloatSuffix;
    SynQuickLineParserFn quickLineParser; // null when nothing spans lines
    uint32_t flags;
    const unsigned char* separators;      // 256 entries; null: incomplete language
    int keywordCount;                     // negative while unsorted
};

constexpr int SYN_NLANGS = 14;
extern Language* const supported_langs[SYN_NLANGS];
// The languages the language menu offers: LANG_NONE to LANG_TQL.
constexpr int SYN_NMENULANGS = LANG_TQL + 1;
extern const char* const supported_lang_names[SYN_NMENULANGS];
extern Language no_language, c_language, cpp_language, pascal_language, ada_language,
    fortran_language, java_language, gasm_language, tql_language, asm_language, ppasm_language,
    progress_language, help_language;

// ---- lifecycle and language choice ----
void syn_Init();
void syn_Cleanup();
const Language* syn_LanguageOfFile(const char* path);
const Language* syn_LanguageDefinition(int type);
const char* syn_GetLangStr(const File* file); // menu name of types 0-8, else null
// The "Language" menu entry to check for a file: its language type, 0 without one.
int syn_LanguageMenuIndex(const File* file);
// The "Language" menu command: choose by menu name; 1 on success.
int syn_ChooseLanguage(EditPort* pane, const char* name, int64_t topLine);

// ---- the panes, as the colouring engine sees them ----
// Declared here, implemented by the editor and installed by it before syn_Init.
struct SynPanes {
    virtual File* paneFile(EditPort* pane) = 0;
    // Calls visit for every pane showing the file with its visible line range.
    virtual void forEachPane(File* file,
                             void (*visit)(EditPort* pane, int64_t top, int64_t bottom, void* ctx),
                             void* ctx) = 0;
    virtual void drawLine(EditPort* pane, int64_t line) = 0; // redraw one line in full

protected:
    ~SynPanes() = default;
};
extern Seam<SynPanes> synPanes;

// ---- line states ----
uint32_t GetSynstate(File* file, Line* line);
// Text of a line through the shared syntax cache window; *len gets its length.
const char* GetThisLineText(File* file, Line* line, int* len);
bool syn_NeedToColor(File* file, EditPort* pane, int64_t line);
void synRecalculate(EditPort* pane, int64_t from, int64_t to, bool redraw);
// The worker under synRecalculate: returns the (possibly lowered) start line.
int64_t synxRecalculate(File* file, int64_t from, int64_t to);
// Whether lines from..to have states to colour with: exact ones, or ones computed from a sync
// point near them that no change has made stale since.
bool syn_StatesReady(const File* file, int64_t from, int64_t to);
// One slice of bringing the exact states up to a File's provisional run (redrawing what they
// change once they reach it); 1 while more remains. The event loop runs the slices on its own
// once syn_ScheduleCatchUp is called.
int syn_CatchUp(File* file);
void syn_ScheduleCatchUp();
void synPropagate(EditPort* pane, int64_t line);
void synRedraw(EditPort* pane, int64_t from);
void SynCache_ResetFileCache();
void SynCache_FreeFileCache();

// ---- the drawing scan ----
// Where syn_ShowText sends its merged runs; the pane drawing code supplies one.
struct SynTextSink {
    void (*drawRun)(SynTextSink* sink, const char* text, int from, int to, unsigned long fg,
                    unsigned long bg) = nullptr;
    bool monochrome = false; // one-bit-deep display: no scanning, default colours
    void* ctx = nullptr;
};
// Draws text[from..to) of a line of len bytes in colour runs; *state is the running state at
// `from` on entry and at `to` on return.
void syn_ShowText(SynTextSink* sink, const char* text, int len, int from, int to,
                  unsigned long fg, unsigned long bg, const Language* lang, uint32_t* state);
// What a pane does to draw bytes [from, to) of line n: decide whether to colour (which keeps
// the line states up to date), find the state at `from` and draw. Selected text is drawn
// without syntax colour; a line that is not coloured goes to the sink in the default colours.
void syn_DrawLine(SynTextSink* sink, File* file, EditPort* pane, int64_t n, int from, int to,
                  unsigned long fg, unsigned long bg, bool selected);
// The colour of every byte of line n (fg where it has no syntax colour), for pane code that
// lays out display cells itself: colours[i] belongs to byte i of the line.
void syn_LineColours(File* file, EditPort* pane, int64_t n, Line* line, unsigned long fg,
                     std::vector<unsigned long>& colours);
uint32_t SynstateAt(uint32_t lineState, const char* text, int len, int column,
                    const Language* lang);
void GetColorFromState(uint32_t state, const Language* lang, unsigned long* pixel);
int finish_state(uint32_t* state, const char* text, int pos, int last, int* length,
                 const Language* lang);
const SynElement* get_element_def(const uint32_t* state, const Language* lang);
const SynElement* FindThisElement(uint32_t* state, const char* text, int pos, int last,
                                  int* length, const Language* lang);

// ---- options ----
// The per-class switches (the master switch `colorsyntax` is kept equal to their OR) and
// the colours of the classes.
extern int colorsyntax_comment, colorsyntax_keyword, colorsyntax_string, colorsyntax_char,
    colorsyntax_number, colorsyntax_deadcode;
extern int colorsyntaxGUI; // colour everything (the options dialogue)
extern int syn_preall;     // all-dead-code colouring: not supported
extern unsigned long comment_fg, keyword_fg, string_fg, character_fg, integer_fg, deadcode_fg,
    fg_pixel;
// Takes the class colours from the colour options ("comment", "keyword", ...).
void syn_RefigureColors();
int syn_ParseOptions(const char* letters);
int syn_SetColorOption(uint32_t classBit, int value);

// ---- assembly comment qualifiers ----
extern std::string generalAsmLineCommentQualifiers;
void GASM_AdjustSeparators(const char* qualifiers);

// ---- shared scanning routines ----
int NO_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
             const Language* lang);
int NO_END(uint32_t* state, const char* text, int pos, int last, const Language* lang);
int FIND_NOTHING(uint32_t* state, const char* text, int pos, int last, int* length,
                 const Language* lang);
int NONE_FIND_END(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang);
uint32_t NO_SYNSTATE(uint32_t state, uint32_t aux, const char* text, int len, uint32_t* nextAux);
int no_suffix(const char* text, int pos, int last);
int C_ValidIntegerSuffix(const char* text, int pos, int last);
int C_ValidFloatSuffix(const char* text, int pos, int last);
int JAVA_ValidIntegerSuffix(const char* text, int pos, int last);
int JAVA_ValidFloatSuffix(const char* text, int pos, int last);
int C_IGNORE_NEXT(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang);

int is_valid_integer(const char* text, int pos, int last, const Language* lang);
int is_valid_hex(const char* text, int pos, int last, const Language* lang);
int is_valid_float(const char* text, int pos, int last, const Language* lang);
int is_simple_decimal(const char* text, int pos, int last);
int NUMBER_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                 const Language* lang);

int Keyword_Sort(const char** keywords);
int Keyword_Search(const Language* lang, const char* word);
void CvtCase(char* word, const Language* lang);
int KEYWORD_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang);
int KeywordAndPreprocessorword_Begin(uint32_t* state, const char* text, int pos, int last,
                                     int* length, const Language* lang);
void syn_SortKeywords(Language* lang);

inline bool syn_IsSeparator(const Language* lang, unsigned char c) {
    return lang->separators[c] != 0;
}
int syn_FindWordStart(const char* text, int pos, const Language* lang, int quoteAware);
int syn_FindWordEnd(const char* text, int pos, int last, const Language* lang, int quoteAware);
void find_word_extents(const char* text, int pos, int last, const Language* lang, int* start,
                       int* end);
int FIND_WORD_END(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang);

int BEGIN_DSTRING(uint32_t* state, const char* text, int pos, int last, int* length,
                  const char* delims, const Language* lang);
int END_DSTRING(uint32_t* state, const char* text, int pos, uint32_t bit, const char* delims);
int FIND_END_DSTRING(uint32_t* state, const char* text, int pos, int last, int* length,
                     const char* delims, const Language* lang);
