// lang/syn.cc: the colouring engine: language choice, line states kept up to date lazily,
// the element scan that cuts a drawn line into colour runs, and the colour options.
#include "lang/syn.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "buffer/file.h"
#include "buffer/linecache.h"
#include "buffer/registry.h"
#include "buffer/synhook.h"
#include "config/options.h"
#include "lang/lang_internal.h"
#include "runtime/error.h"
#include "toolkit/eventloop.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "runtime/gen.h"

Language* const supported_langs[SYN_NLANGS] = {
    &no_language,   &c_language,       &cpp_language,  &pascal_language, &ada_language,
    &fortran_language, &java_language, &gasm_language, &tql_language,    &asm_language,
    &ppasm_language, &progress_language, &help_language, &no_language};

const char* const supported_lang_names[SYN_NMENULANGS] = {"None",    "C",    "C++",      "Pascal",   "Ada",
                                             "Fortran", "Java", "Assembly", "TQLScript"};

Seam<SynPanes> synPanes{"SynPanes", "editor"};

// ---- lifecycle ----

namespace {
// What the line store asks of colouring.
struct Colouring final : FileColouring {
    void setLineState(File* file, Line* line) override {
        line->synState[0] = GetSynstate(file, line);
    }
    const Language* languageOf(const char* name) override { return syn_LanguageOfFile(name); }
    LanguageId languageId(const Language* language) override { return language->id; }
};
Colouring colouring;
} // namespace

void syn_Init() {
    fileColouring.install(&colouring);
    SynCache_FreeFileCache();
}

void syn_Cleanup() {
    SynCache_FreeFileCache();
    for (Language* lang : supported_langs)
        if (lang->keywordCount > 0) lang->keywordCount = -lang->keywordCount;
}

void SynCache_ResetFileCache() {
    synCache.file = nullptr;
    synCache.base = -1;
    synCache.len = 0;
}

void SynCache_FreeFileCache() {
    SynCache_ResetFileCache();
    gen_free(synCache.data);
    synCache.data = nullptr;
    synCache.alloc = 0;
}

// ---- choosing a language ----

const Language* syn_LanguageDefinition(int type) {
    if (type < 0 || type >= SYN_NLANGS) return nullptr;
    Language* lang = supported_langs[type];
    syn_SortKeywords(lang);
    if (type == LANG_CPP) syn_SortKeywords(&c_language); // C++ files use the C keywords too
    return lang;
}

// A ".h" file whose text starts with "{" is Pascal.
static bool headerLooksPascal(const char* path) {
    int fd = gen_openregular(path);
    if (fd < 0) return false;
    char buf[256];
    ssize_t n = read(fd, buf, sizeof buf);
    close(fd);
    for (ssize_t i = 0; i < n; i++) {
        if (isspace((unsigned char)buf[i])) continue;
        return buf[i] == '{';
    }
    return false;
}

static LanguageId languageTypeOfName(const char* path) {
    const char* base = strrchr(path, '/');
    base = base ? base + 1 : path;
    if (strcmp(base, ".quorlrc") == 0) return LANG_TQL;
    const char* dot = strrchr(base, '.');
    if (!dot) return LANG_NONE;
    const char* sfx = dot + 1;
    auto in = [sfx](std::initializer_list<const char*> list) {
        for (const char* s : list)
            if (strcmp(sfx, s) == 0) return true;
        return false;
    };
    if (in({"tql", "rc"})) return LANG_TQL;
    if (in({"c", "i", "ic", "plc"})) return LANG_C;
    if (in({"h"})) return headerLooksPascal(path) ? LANG_PASCAL : LANG_C;
    if (in({"cpp", "C", "cxx", "cc", "hxx"})) return LANG_CPP;
    if (in({"f", "for"})) return LANG_FORTRAN;
    if (in({"p", "pas"})) return LANG_PASCAL;
    if (strncmp(sfx, "ad", 2) == 0 || in({"spc", "bdy", "dat", "dep", "sub"})) return LANG_ADA;
    if (in({"java", "jav", "j"})) return LANG_JAVA;
    if (in({"s", "S", "68", "800", "810", "830", "850", "960", "alp", "fr", "mip", "ncp", "ndr",
            "sh", "ppc", "spa", "st1", "v68"}))
        return LANG_GASM;
    return LANG_NONE;
}

const Language* syn_LanguageOfFile(const char* path) {
    if (!colorsyntax || !path) return syn_LanguageDefinition(LANG_NONE);
    return syn_LanguageDefinition(languageTypeOfName(path));
}

const char* syn_GetLangStr(const File* file) {
    if (!file || !file->language) return nullptr;
    int id = file->language->id;
    return id < SYN_NMENULANGS ? supported_lang_names[id] : nullptr;
}

int syn_LanguageMenuIndex(const File* file) {
    if (!file || !file->language) return 0;
    int id = file->language->id;
    return id < SYN_NMENULANGS ? id : LANG_NONE;
}

// A language without separators cannot be scanned: say so once and stop colouring it.
static bool reportIfIncomplete(const Language* lang) {
    if (lang->separators) return false;
    Language* l = const_cast<Language*>(lang);
    char number[16];
    snprintf(number, sizeof number, "%d", l->id);
    const char* name = l->id < SYN_NMENULANGS ? supported_lang_names[l->id] : number;
    gen_warning("Incomplete language specification for language: %s", name);
    l->id = LANG_NONE;
    return true;
}

int syn_ChooseLanguage(EditPort* pane, const char* name, int64_t topLine) {
    File* file = pane ? synPanes->paneFile(pane) : nullptr;
    for (int type = 0; type < SYN_NMENULANGS; type++) {
        if (strcmp(name, supported_lang_names[type]) != 0) continue;
        if (file) file->language = syn_LanguageDefinition(type);
        synRecalculate(pane, 1, topLine + 20, true);
        return 1;
    }
    WBeep();
    QuorlError(ERR_FAILURE, "Selection of an undefined language: %s", name);
    return 0;
}

// ---- line states ----

static bool windowCovers(int64_t base, int64_t len, const Line* line) {
    return base >= 0 && line->offset >= base && line->offset + line->len <= base + len;
}

const char* GetThisLineText(File* file, Line* line, int* len) {
    *len = line->len;
    if (line->allocLen != lnInFile) return line->text;
    if (file->cache && windowCovers(file->cacheBase, file->cacheLen, line))
        return file->cache + (line->offset - file->cacheBase);
    if (synCache.file == file && synCache.data && windowCovers(synCache.base, synCache.len, line))
        return synCache.data + (line->offset - synCache.base);
    FileCache(file, line, 1, 2);
    if (synCache.file == file && synCache.data && windowCovers(synCache.base, synCache.len, line))
        return synCache.data + (line->offset - synCache.base);
    for (int i = 0; i < 3; i++) WBeep();
    bool same = synCache.file == file;
    bool t1 = line->offset >= synCache.base;
    bool t2 = line->offset + line->len < synCache.base + synCache.len;
    fprintf(stderr, "\tsyn_stamp(%p) == file(%p): %d\n", (void*)synCache.file, (void*)file, same);
    fprintf(stderr, "\tline->d.fpos(%ld) >= syn_cacheBase(%d): %d\n", (long)line->offset,
            (int)synCache.base, t1);
    fprintf(stderr, "\t(line->d.fpos+line->len(%d)) < (syn_cacheBase+syn_cacheLen(%d)): %d\n",
            line->len, (int)synCache.len, t2);
    *len = 0; // colour the line as empty rather than from bytes we do not have
    return "";
}

uint32_t GetSynstate(File* file, Line* line) {
    const Language* lang = file->language;
    if (!colorsyntax || !lang || lang->id == LANG_NONE || !lang->separators || !lang->quickLineParser ||
        !line->prev) {
        line->synState[1] = 0;
        return 0;
    }
    Line* prev = line->prev;
    int len;
    const char* text = GetThisLineText(file, prev, &len);
    return lang->quickLineParser(prev->synState[0], prev->synState[1], text, len,
                                 &line->synState[1]);
}

// States are computed forward from the last trusted one. When that is further above the lines
// wanted than kSyncGap lines (a huge file opened at its end), the lines wanted get states
// computed instead from a sync point kSyncBack lines above them, taken to start outside every
// comment, string and dead block; the exact states replace them as synValidLines moves on.
static constexpr int64_t kSyncGap = 200000;
static constexpr int64_t kSyncBack = 3000;

static bool provisionalCovers(const File* file, int64_t from, int64_t to) {
    return file->synProvStamp == lineTextStamp && from >= file->synProvFrom &&
           to <= file->synProvTo;
}

bool syn_StatesReady(const File* file, int64_t from, int64_t to) {
    return to <= file->synValidLines || provisionalCovers(file, from, to);
}

// mayContinue: the caller only brings states up to date for drawing (or catching up), so a
// provisional run already there stays good. Any other caller recomputes from `from` because
// something besides the text changed (the language, an option): guesses from there on go.
static int64_t recalculate(File* file, int64_t from, int64_t to, bool mayContinue) {
    const Language* lang = file->language;
    if (!lang || lang->id == LANG_NONE) return from;
    if (!mayContinue && from <= file->synProvTo) file->synProvTo = -1;
    if (to > file->nLines) to = file->nLines;
    if (file->synValidLines < from) from = file->synValidLines < 2 ? 1 : file->synValidLines;
    if (to - from > kSyncGap) {
        // States from `from` on are stale (a lowered start) or unknown.
        if (file->synValidLines >= from) file->synValidLines = from - 1;
        if (file->aiCheckpointLine > file->synValidLines) file->aiCheckpointLine = -1;
        int64_t start = std::max<int64_t>(from, to - kSyncBack);
        Line* line;
        if (file->synProvStamp == lineTextStamp && file->synProvFrom <= start &&
            file->synProvTo + 1 >= start && file->synProvTo < to) {
            // Continues the provisional run already there.
            start = file->synProvTo + 1;
            line = FileLine(file, start);
        } else {
            line = FileLine(file, start);
            if (line) line->synState[0] = line->synState[1] = 0;
            file->synProvFrom = start;
            if (line) line = line->next;
            file->synProvTo = start;
            start++;
        }
        int64_t n = start;
        for (; line && n <= to; line = line->next, n++) line->synState[0] = GetSynstate(file, line);
        file->synProvTo = n - 1;
        file->synProvStamp = lineTextStamp;
        syn_ScheduleCatchUp();
        return file->synProvFrom;
    }
    int64_t n = from;
    for (Line* line = FileLine(file, from); line && n <= to; line = line->next, n++)
        line->synState[0] = GetSynstate(file, line);
    file->synValidLines = n - 1;
    if (file->aiCheckpointLine > n - 1) file->aiCheckpointLine = -1;
    return from;
}

int64_t synxRecalculate(File* file, int64_t from, int64_t to) {
    return recalculate(file, from, to, false);
}

void synRecalculate(EditPort* pane, int64_t from, int64_t to, bool redraw) {
    if (!colorsyntax) return;
    File* file = pane ? synPanes->paneFile(pane) : nullptr;
    if (file && file->language && file->language->id != LANG_NONE) {
        if (reportIfIncomplete(file->language)) return;
        from = synxRecalculate(file, from, to);
    }
    if (redraw) synRedraw(pane, from);
}

void synPropagate(EditPort* pane, int64_t line) {
    synRecalculate(pane, line, line + 20, true);
}

namespace {
struct RedrawCtx {
    File* file;
    int64_t from;
};
} // namespace

static void redrawPane(EditPort* pane, int64_t top, int64_t bottom, void* ctxp) {
    RedrawCtx* ctx = (RedrawCtx*)ctxp;
    if (bottom > ctx->file->nLines) bottom = ctx->file->nLines;
    int64_t start = ctx->from > top ? ctx->from : top;
    if (start > bottom) return;
    if (!syn_StatesReady(ctx->file, start, bottom))
        recalculate(ctx->file, ctx->file->synValidLines + 1, bottom, true);
    for (int64_t n = start; n <= bottom; n++) synPanes->drawLine(pane, n);
}

void synRedraw(EditPort* pane, int64_t from) {
    File* file = pane ? synPanes->paneFile(pane) : nullptr;
    if (!file) return;
    RedrawCtx ctx{file, from};
    synPanes->forEachPane(file, redrawPane, &ctx);
}

// ---- catching up with provisional states ----

// While the program waits for input, the exact states move on a slice at a time towards the
// provisional run; once they reach it, lines whose state was guessed wrong are redrawn.
static constexpr int64_t kCatchUpSlice = 150000;
static ExtraHandle* catchUpTimer = nullptr;

int syn_CatchUp(File* file) {
    const Language* lang = file->language;
    if (!lang || lang->id == LANG_NONE || file->synProvStamp != lineTextStamp ||
        file->synProvTo <= file->synValidLines) {
        file->synProvTo = -1;
        return 0;
    }
    int64_t from = file->synValidLines + 1;
    if (from < file->synProvFrom) {
        recalculate(file, from, std::min(from + kCatchUpSlice, file->synProvFrom) - 1, true);
        return 1;
    }
    // The run itself: exact states over the guessed ones, noting whether any differed.
    int64_t n = from < 2 ? 1 : from;
    bool differs = false;
    for (Line* line = FileLine(file, n); line && n <= file->synProvTo; line = line->next, n++) {
        uint32_t guessed = line->synState[0];
        line->synState[0] = GetSynstate(file, line);
        differs = differs || guessed != line->synState[0];
    }
    int64_t redrawFrom = file->synProvFrom;
    file->synValidLines = n - 1;
    file->synProvTo = -1;
    if (differs && synPanes.find()) {
        RedrawCtx ctx{file, redrawFrom};
        synPanes->forEachPane(file, redrawPane, &ctx);
    }
    return 0;
}

static int catchUpTick(void*, int) {
    bool more = false;
    for (File* f = FileHead(); f; f = f->next)
        if (f->synProvTo > f->synValidLines && syn_CatchUp(f)) more = true;
    if (!more) {
        ExtraProcess_Release(catchUpTimer);
        catchUpTimer = nullptr;
        return 1; // done: the entry goes
    }
    ExtraProcess_SetTimeout(catchUpTimer, 1);
    return 0;
}

void syn_ScheduleCatchUp() {
    if (!ExtraProcess_Alive(catchUpTimer)) {
        ExtraProcess_Release(catchUpTimer);
        catchUpTimer = ExtraProcess_Create(XP_TIMER, 1, catchUpTick, nullptr, nullptr);
    }
}

bool syn_NeedToColor(File* file, EditPort*, int64_t line) {
    if (!colorsyntax) {
        file->synValidLines = 0;
        return false;
    }
    if (!file->language) file->language = syn_LanguageOfFile(file->name);
    const Language* lang = file->language;
    if (!lang || lang->id == LANG_NONE) return false;
    if (reportIfIncomplete(lang)) return false;
    if (!syn_StatesReady(file, line, line))
        recalculate(file, file->synValidLines + 1, line + 20, true);
    return true;
}

// ---- the element scan ----

const SynElement* get_element_def(const uint32_t* state, const Language* lang) {
    for (const SynElement* const* e = lang->elements; *e; e++)
        if ((*e)->stateBit & *state) return *e;
    return nullptr;
}

int finish_state(uint32_t* state, const char* text, int pos, int last, int* length,
                 const Language* lang) {
    const SynElement* e = get_element_def(state, lang);
    if (e) return e->findEnd(state, text, pos, last, length, lang);
    return lang->findWordEnd(state, text, pos, last, length, lang);
}

const SynElement* FindThisElement(uint32_t* state, const char* text, int pos, int last,
                                  int* length, const Language* lang) {
    int wordStart = -1, wordEnd = -1;
    const SynElement* const* list = lang->elements;
    if (lang->id == LANG_C && !cppCommentsInC && *list) list++; // "//" is not a comment in C
    for (; *list; list++) {
        const SynElement* e = *list;
        if ((e->stateBit == SYN_KEYWORD || e->stateBit == SYN_NUMBER) && !(e->flags & SYN_EF_SPAN)) {
            if ((*state & ~SYN_NOCOLOR) != 0) continue;
            if (wordStart < 0) find_word_extents(text, pos, last, lang, &wordStart, &wordEnd);
            uint32_t st = *state;
            int l = 0;
            if (e->begin(&st, text, wordStart, wordEnd, &l, lang)) {
                *state = st;
                *length = l + (wordStart - pos);
                return e;
            }
            continue;
        }
        if (e->begin(state, text, pos, last, length, lang)) return e;
    }
    return nullptr;
}

// The dead-code element colours every piece of a line that starts dead.
static const SynElement* wholeLineElement(uint32_t state, const Language* lang) {
    if (!(state & SYN_DEADCODE)) return nullptr;
    for (const SynElement* const* e = lang->elements; *e; e++)
        if ((*e)->flags & SYN_EF_WHOLELINE) return *e;
    return nullptr;
}

constexpr uint32_t kTransientBits = SYN_ESCAPE | SYN_SLASHSEEN | SYN_STARSEEN;

// State to carry into the next piece for an element cut at `to`: its bit, and the flags its
// scanner leaves when it sees only the text before `to` (an escape or a half delimiter).
static uint32_t openState(const SynElement* e, const char* text, int runStart, int to,
                          bool begun, uint32_t runState, const Language* lang) {
    uint32_t st = begun ? 0 : runState;
    int l = 0;
    if (to - 1 >= runStart) {
        if (begun)
            e->begin(&st, text, runStart, to - 1, &l, lang);
        else
            e->findEnd(&st, text, runStart, to - 1, &l, lang);
    }
    return e->stateBit | (st & kTransientBits);
}

// Cuts text[from..to) into runs, each reported with the element that colours it (null for
// plain text); returns the running state at `to`.
template <class Emit>
static uint32_t scanPiece(const char* text, int len, int from, int to, const Language* lang,
                          uint32_t state, Emit emit) {
    const int last = len - 1;
    int pos = from;
    state &= ~SYN_NOCOLOR;
    const bool inWord = state & SYN_INWORD;
    state &= ~SYN_INWORD;
    if (const SynElement* dead = wholeLineElement(state, lang)) {
        emit(pos, to, dead);
        return dead->stateBit;
    }
    if (state & ~SYN_ESCAPE) {
        const SynElement* e = get_element_def(&state, lang);
        if (e) {
            uint32_t st = state;
            int l = 0;
            int runEnd = e->findEnd(&st, text, pos, last, &l, lang) + 1;
            if (runEnd > to) {
                emit(pos, to, e);
                return openState(e, text, pos, to, false, state, lang);
            }
            if (runEnd > pos) {
                emit(pos, runEnd, e);
                pos = runEnd;
            }
        }
    }
    // A piece that starts inside a plain word continues that word: no element begins there.
    if (inWord) {
        uint32_t st = 0;
        int l = 0;
        int end = lang->findWordEnd(&st, text, pos, last, &l, lang) + 1;
        if (end <= pos) end = pos + 1;
        if (end > to) {
            emit(pos, to, nullptr);
            return SYN_INWORD;
        }
        emit(pos, end, nullptr);
        pos = end;
    }
    while (pos < to) {
        uint32_t st = 0;
        int l = 0;
        const SynElement* e = FindThisElement(&st, text, pos, last, &l, lang);
        if (e && l >= 1) {
            if (pos + l > to) {
                emit(pos, to, e);
                return openState(e, text, pos, to, true, 0, lang);
            }
            emit(pos, pos + l, e);
            pos += l;
            continue;
        }
        st = 0;
        int end = lang->findWordEnd(&st, text, pos, last, &l, lang) + 1;
        if (end <= pos) end = pos + 1;
        if (end > to) {
            emit(pos, to, nullptr);
            return SYN_INWORD;
        }
        emit(pos, end, nullptr);
        pos = end;
    }
    return 0;
}

static void colourOfClass(uint32_t colourClass, unsigned long* pixel) {
    if (colourClass & SYN_DEADCODE)
        *pixel = colorsyntax_deadcode ? deadcode_fg : fg_pixel;
    else if (colourClass & SYN_COMMENT)
        *pixel = colorsyntax_comment ? comment_fg : fg_pixel;
    else if (colourClass & SYN_KEYWORD)
        *pixel = colorsyntax_keyword ? keyword_fg : fg_pixel;
    else if (colourClass & SYN_STRING)
        *pixel = colorsyntax_string ? string_fg : fg_pixel;
    else if (colourClass & SYN_NUMBER)
        *pixel = colorsyntax_number ? integer_fg : fg_pixel;
    else if (colourClass & SYN_CHAR)
        *pixel = colorsyntax_char ? character_fg : fg_pixel;
}

void GetColorFromState(uint32_t state, const Language* lang, unsigned long* pixel) {
    if (!colorsyntax || (state & SYN_NOCOLOR) || !lang) return;
    const SynElement* e = get_element_def(&state, lang);
    if (e) colourOfClass(e->colourClass, pixel);
}

uint32_t SynstateAt(uint32_t lineState, const char* text, int len, int column,
                    const Language* lang) {
    if (lineState & SYN_DEADCODE) return SYN_DEADCODE;
    if (column <= 0 || !text || !colorsyntax || !lang || !lang->separators ||
        !lang->elements[0])
        return lineState;
    if (column > len) column = len;
    return scanPiece(text, len, 0, column, lang, lineState,
                     [](int, int, const SynElement*) {});
}

void syn_ShowText(SynTextSink* sink, const char* text, int len, int from, int to,
                  unsigned long fg, unsigned long bg, const Language* lang, uint32_t* state) {
    if (to > len) to = len;
    if (from < 0) from = 0;
    if (from >= to) return;
    if (sink->monochrome || !colorsyntax || !lang || !lang->separators || lang->id == LANG_NONE) {
        sink->drawRun(sink, text, from, to, fg, bg);
        return;
    }
    const bool noColour = *state & SYN_NOCOLOR;
    int runFrom = from, runTo = from;
    unsigned long runFg = fg;
    auto emit = [&](int a, int b, const SynElement* e) {
        if (b <= a) return;
        unsigned long px = fg;
        if (e && !noColour) colourOfClass(e->colourClass, &px);
        if (runTo == a && px == runFg) {
            runTo = b;
            return;
        }
        if (runTo > runFrom) sink->drawRun(sink, text, runFrom, runTo, runFg, bg);
        runFrom = a;
        runTo = b;
        runFg = px;
    };
    uint32_t st = scanPiece(text, len, from, to, lang, *state, emit);
    if (runTo > runFrom) sink->drawRun(sink, text, runFrom, runTo, runFg, bg);
    *state = st | (noColour ? SYN_NOCOLOR : 0);
}

// ---- options ----

int colorsyntax_comment = 1, colorsyntax_keyword = 1, colorsyntax_string = 1,
    colorsyntax_char = 1, colorsyntax_number = 1, colorsyntax_deadcode = 1;
int colorsyntaxGUI = 1;
int syn_preall = 0;
// 0xRRGGBB until the display allocates the colour options: right on a TrueColor display.
unsigned long comment_fg = 0x008000, keyword_fg = 0x0000ff, string_fg = 0x800000,
              character_fg = 0xc000c0, integer_fg = 0xe000e0, deadcode_fg = 0x808080,
              fg_pixel = 0x000000;

void syn_RefigureColors() {
    struct {
        unsigned long* pixel;
        int slot;
    } const rows[] = {{&comment_fg, COLOR_COMMENT},     {&keyword_fg, COLOR_KEYWORD},
                      {&string_fg, COLOR_STRING},       {&character_fg, COLOR_CHARACTER},
                      {&integer_fg, COLOR_NUMBER},      {&deadcode_fg, COLOR_DEADCODE},
                      {&fg_pixel, COLOR_FOREGROUND}};
    for (const auto& r : rows) *r.pixel = WAllocColor(colorTexts[r.slot].c_str(), *r.pixel);
}

static int* const classFlags[6] = {&colorsyntax_comment, &colorsyntax_keyword,
                                   &colorsyntax_string,  &colorsyntax_char,
                                   &colorsyntax_number,  &colorsyntax_deadcode};

static void setAllClasses(int value) {
    for (int* f : classFlags) *f = value;
}

static int anyClass() {
    int any = 0;
    for (int* f : classFlags) any |= *f ? 1 : 0;
    return any;
}

int syn_ParseOptions(const char* letters) {
    int changed = 0;
    for (const char* p = letters; p && *p;) {
        int before[7];
        for (int i = 0; i < 6; i++) before[i] = *classFlags[i];
        before[6] = colorsyntaxGUI;
        char c = *p++;
        switch (c) {
        case '0': case 'F': case 'f':
            if (colorsyntaxGUI) {
                setAllClasses(0);
                colorsyntaxGUI = 0;
            }
            break;
        case '1': case 'O': case 'o':
            setAllClasses(1);
            colorsyntaxGUI = 1;
            break;
        case 'a':
            colorsyntaxGUI = !colorsyntaxGUI;
            setAllClasses(colorsyntaxGUI);
            break;
        case 'C': colorsyntax_comment = !colorsyntax_comment; break;
        case 'k': colorsyntax_keyword = !colorsyntax_keyword; break;
        case 's': colorsyntax_string = !colorsyntax_string; break;
        case 'c': colorsyntax_char = !colorsyntax_char; break;
        case 'n': colorsyntax_number = !colorsyntax_number; break;
        case 'd': colorsyntax_deadcode = !colorsyntax_deadcode; break;
        default:
            mprintf("Unknown option for syntax coloring: %c(valid ones are 0|1|a|C|k|d|n|s|c) \n",
                    c);
            break;
        }
        for (int i = 0; i < 6; i++)
            if (before[i] != *classFlags[i]) changed = 1;
        if (before[6] != colorsyntaxGUI) changed = 1;
        while (*p == ' ' || *p == '\t') p++;
    }
    colorsyntaxGUI = anyClass();
    colorsyntax = colorsyntaxGUI;
    return changed;
}

int syn_SetColorOption(uint32_t classBit, int value) {
    int* flag = nullptr;
    switch (classBit) {
    case SYN_COMMENT: flag = &colorsyntax_comment; break;
    case SYN_DEADCODE: flag = &colorsyntax_deadcode; break;
    case SYN_KEYWORD: flag = &colorsyntax_keyword; break;
    case SYN_STRING: flag = &colorsyntax_string; break;
    case SYN_NUMBER: flag = &colorsyntax_number; break;
    case SYN_CHAR: flag = &colorsyntax_char; break;
    default:
        WBeep();
        return 0;
    }
    int old = *flag;
    *flag = value;
    colorsyntax = anyClass();
    return old;
}

void syn_DrawLine(SynTextSink* sink, File* file, EditPort* pane, int64_t n, int from, int to,
                  unsigned long fg, unsigned long bg, bool selected) {
    bool colour = syn_NeedToColor(file, pane, n);
    Line* line = FileLine(file, n);
    if (!line) return;
    const char* text = FileLineText(file, line);
    int len = line->len;
    if (to > len) to = len;
    if (from >= to) return;
    if (!colour) {
        sink->drawRun(sink, text, from, to, fg, bg);
        return;
    }
    uint32_t state = SynstateAt(line->synState[0], text, len, from, file->language);
    if (selected) state |= SYN_NOCOLOR;
    syn_ShowText(sink, text, len, from, to, fg, bg, file->language, &state);
}

void syn_LineColours(File* file, EditPort* pane, int64_t n, Line* line, unsigned long fg,
                     std::vector<unsigned long>& colours) {
    colours.assign(line ? (size_t)line->len : 0, fg);
    if (!line || line->len == 0 || !syn_NeedToColor(file, pane, n)) return;
    SynTextSink sink;
    sink.ctx = colours.data();
    sink.drawRun = [](SynTextSink* s, const char*, int from, int to, unsigned long px,
                      unsigned long) {
        unsigned long* out = (unsigned long*)s->ctx;
        for (int i = from; i < to; i++) out[i] = px;
    };
    uint32_t state = line->synState[0];
    syn_ShowText(&sink, FileLineText(file, line), line->len, 0, line->len, fg, 0, file->language,
                 &state);
}
