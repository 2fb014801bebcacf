// lang/lang_c.cc: the C-family scanners: C, C++, Java, TQL script and assembly elements,
// their keyword and separator tables, the quick line parsers and "#if 0" tracking.
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cstring>

#include "config/options.h"
#include "lang/lang_internal.h"
#include "toolkit/toolkit.h"

static inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
static inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// ---- keyword tables (sorted in place on first use) ----

static const char* keywords_c[] = {
    "do", "if", "for", "int", "auto", "case", "char", "else", "enum", "goto", "long", "void",
    "break", "const", "float", "short", "union", "while", "double", "extern", "return", "signed",
    "sizeof", "static", "struct", "switch", "default", "typedef", "continue", "register",
    "unsigned", "volatile", "#if", "#else", "#elif", "#endif", "#ifdef", "#ifndef", "#define",
    "#undef", "defined", "#include", "#error", "#line", "#pragma", nullptr};

static const char* keywords_cpp[] = {
    "and", "and_eq", "asm", "bitand", "bitor", "bool", "catch", "class", "compl", "const_cast",
    "delete", "dynamic_cast", "explicit", "export", "false", "friend", "inline", "mutable",
    "namespace", "new", "not", "not_eq", "operator", "or", "or_eq", "private", "protected",
    "public", "reinterpret_cast", "static_cast", "template", "this", "throw", "true", "try",
    "typeid", "typename", "using", "virtual", "wchar_t", "xor", "xor_eq", nullptr};

static const char* keywords_java[] = {
    "abstract", "boolean", "break", "byte", "case", "catch", "char", "class", "const",
    "continue", "default", "do", "double", "else", "extends", "final", "finally", "float", "for",
    "goto", "if", "implements", "import", "instanceof", "int", "interface", "long", "native",
    "new", "package", "private", "protected", "public", "return", "short", "static", "super",
    "switch", "synchronized", "this", "throw", "throws", "transient", "try", "void", "volatile",
    "while", "true", "false", "null", nullptr};

static const char* keywords_gasm[] = {"#if", "#else", "#elif", "#endif", "#ifdef", "#ifndef",
                                      "#define", "#undef", "defined", "#include", "#error",
                                      "#line", "#pragma", nullptr};

static const char* keywords_tql[] = {
    "__F", "__openmanual", "__quorlfragments", "__playdead", "a", "A", "about", "alias", "apply",
    "asmedit", "assem", "assert", "assume", "attach", "b", "B", "ba", "backhistory", "backout",
    "bat", "be", "bi", "bif", "bg", "bpview", "br", "bt", "bu", "bx", "bA", "bI", "bR", "bU", "bX",
    "break", "breakpoints", "browse", "bsearch", "build", "builder", "button", "c", "C", "cu",
    "ca", "cag", "cb", "Cb", "cd", "cf", "cfb", "clearconfig", "configoptions", "connect", "Cb",
    "CU", "cu", "cU", "Cu", "calls", "callsview", "chgcase", "comeback", "compare",
    "completeselection", "configure", "configurefile", "copy", "createcontrol", "cvconfig", "cx",
    "d", "D", "dbnew", "dbprint", "de", "debug", "debugbutton", "define", "detach", "dialog",
    "dialogue", "dicconnect", "dumpfile", "dspbp", "dspshow", "E", "e", "echo", "edit", "ex",
    "edit", "editbutton", "editfile", "editview", "else", "error", "examine", "eval", "format",
    "f", "fill", "find", "FindDec", "FindComp", "findleaks", "FindUse", "format",
    "forwardhistory", "fsearch", "g", "getargs", "goaway", "grep", "h", "H", "halt", "halta",
    "haltag", "haltx", "hardbrk", "help", "if", "indexnext", "indexprev", "infiniteview",
    "inspect", "iobuffer", "isearch", "isearchadd", "k", "keybind", "l", "L", "load",
    "loaddialogfile", "loaddialoguefile", "loadconfigfromfile", "loadsym", "macrotrace", "make",
    "memdump", "memload", "memread", "memwrite", "memview", "menu", "monitor", "mouse", "qvc",
    "qvconfig", "n", "new", "ni", "nl", "note", "obr", "obrfreeze", "patch", "p", "P", "patch",
    "print", "printline", "printsearch", "printwindow", "profdump", "profile", "profilemode",
    "pwd", "q", "Q", "qfst", "quit", "quitall", "R", "r", "Rb", "rb", "refresh", "registers",
    "regview", "remote", "restart", "restore", "resume", "return", "rload", "rom", "rundir",
    "runtask", "S", "s", "si", "Si", "sb", "sc", "save", "saveconfig", "saveconfigtofile",
    "scrollcommand", "setargs", "setbrk", "shell", "ShowCall", "showdef", "ShowDep", "showfds",
    "ShowTypeGrph", "signal", "sl", "Sl", "source", "StartBrowser", "stopif", "stopifi",
    "syncolor", "T", "t", "target", "targetwindow", "taskwindow", "tlist", "tog", "unalias",
    "update", "uptosource", "vdisconnect", "view", "viewcommand", "viewdel", "viewlist",
    "vremote", "wait", "watchpoint", "while", "window", "windowcopy", "windowpaste",
    "windowspaste", "xmit", "xmitio", "z", "Z", "zignal", nullptr};

template <size_t N>
constexpr int unsortedCount(const char* (&)[N]) {
    return -(int)(N - 1);
}

// ---- separator tables ----

static constexpr SepTable seps_c = MakeSeparators(kSepsCFamily);
static constexpr SepTable seps_cpp = MakeSeparators(kSepsCFamily);
static constexpr SepTable seps_java = MakeSeparators("!\"#%&'()*+,-/:;<=>?[]^{|}~");
static constexpr SepTable seps_tql = MakeSeparators("!\"#%&'()*+,-/:;<=>?[]^{|}~");
static SepTable seps_gasm = MakeSeparators(kSepsCFamily);

std::string generalAsmLineCommentQualifiers;
static bool gasmQualifier[256];

void GASM_AdjustSeparators(const char* qualifiers) {
    seps_gasm = MakeSeparators(kSepsCFamily);
    memset(gasmQualifier, 0, sizeof gasmQualifier);
    generalAsmLineCommentQualifiers = qualifiers ? qualifiers : "";
    for (unsigned char c : generalAsmLineCommentQualifiers) {
        seps_gasm[c] = 0;
        gasmQualifier[c] = true;
    }
}

// ---- shared element functions ----

int LINE_FIND_END(uint32_t*, const char*, int pos, int last, int* length, const Language*) {
    *length = last - pos + 1;
    return last + 1;
}

int WORD_FIND_END(uint32_t*, const char* text, int pos, int last, int* length,
                  const Language* lang) {
    // The word began before pos: find it again from the character before.
    int from = pos - 1;
    while (from > 0 && isBlank(text[from])) from--; // inside "#  include"
    if (from >= 0 && pos <= last) {
        int start, end;
        find_word_extents(text, from, last, lang, &start, &end);
        if (end >= pos) {
            *length = end - pos + 1;
            return end;
        }
    }
    *length = 0;
    return pos - 1;
}

static int CPP_COMMENT_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                             const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || pos >= last || text[pos] != '/' || text[pos + 1] != '/')
        return 0;
    *length = last - pos + 1;
    return 1;
}

static int C_DEADCODE_BEGIN(uint32_t* state, const char*, int pos, int last, int* length,
                            const Language*) {
    if (!(*state & SYN_DEADCODE)) return 0;
    *length = last - pos + 1;
    return 1;
}

static int C_DEADCODE_FIND_END(uint32_t*, const char*, int pos, int last, int* length,
                               const Language*) {
    *length = last - pos + 1;
    return last;
}

// Finds "*/" from pos. SYN_SLASHSEEN: the "*" of the opener is still to come (the "/" ended
// the previous piece); SYN_STARSEEN: a "*" ended the previous piece.
static int C_FIND_COMMENT_END(uint32_t* state, const char* text, int pos, int last, int* length,
                              const Language*) {
    uint32_t s = *state;
    int i = pos;
    if (s & SYN_SLASHSEEN) {
        s &= ~SYN_SLASHSEEN;
        if (i <= last && text[i] == '*') i++;
    }
    if (s & SYN_STARSEEN) {
        s &= ~SYN_STARSEEN;
        if (i <= last && text[i] == '/') {
            *state = s & ~SYN_COMMENT;
            *length = i - pos + 1;
            return i;
        }
    }
    while (i <= last) {
        const char* star = (const char*)memchr(text + i, '*', (size_t)(last - i + 1));
        if (!star) break;
        i = (int)(star - text);
        if (i == last) {
            s |= SYN_STARSEEN;
            break;
        }
        if (text[i + 1] == '/') {
            *state = s & ~SYN_COMMENT;
            *length = i + 1 - pos + 1;
            return i + 1;
        }
        i++;
    }
    *state = s;
    *length = last - pos + 1;
    return last + 1;
}

static int C_COMMENT_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                           const Language* lang) {
    uint32_t s = *state;
    int body = -1;
    if (text[pos] == '/' && pos < last && text[pos + 1] == '*')
        body = pos + 2;
    else if ((s & SYN_SLASHSEEN) && text[pos] == '*')
        body = pos + 1;
    if (body < 0) {
        // Remember a "/" that ends the piece: a "*" starting the next piece opens a comment.
        if (!(s & (SYN_COMMENT | SYN_STRING | SYN_CHAR)) && text[pos] == '/' && pos == last)
            *state = (s & ~SYN_STARSEEN) | SYN_SLASHSEEN;
        else
            *state = s & ~(SYN_SLASHSEEN | SYN_STARSEEN);
        return 0;
    }
    uint32_t st = SYN_COMMENT;
    int l = 0;
    int end = C_FIND_COMMENT_END(&st, text, body, last, &l, lang);
    *state = (s & ~(SYN_SLASHSEEN | SYN_STARSEEN)) | (st & SYN_STARSEEN);
    *length = end - pos + 1;
    return 1;
}

static int C_COMMENT_END(uint32_t* state, const char* text, int pos, int, const Language*) {
    return text[pos] == '/' && ((pos > 0 && text[pos - 1] == '*') || (*state & SYN_STARSEEN));
}

static int C_STRING_BEGIN(uint32_t* s, const char* t, int p, int l, int* n, const Language* g) {
    return BEGIN_DSTRING(s, t, p, l, n, "\"", g);
}
static int C_STRING_FIND_END(uint32_t* s, const char* t, int p, int l, int* n,
                             const Language* g) {
    return FIND_END_DSTRING(s, t, p, l, n, "\"", g);
}
static int C_STRING_END(uint32_t* s, const char* t, int p, int, const Language*) {
    return END_DSTRING(s, t, p, SYN_STRING, "\"");
}
static int C_CHAR_BEGIN(uint32_t* s, const char* t, int p, int l, int* n, const Language* g) {
    return BEGIN_DSTRING(s, t, p, l, n, "'", g);
}
static int C_CHAR_FIND_END(uint32_t* s, const char* t, int p, int l, int* n, const Language* g) {
    return FIND_END_DSTRING(s, t, p, l, n, "'", g);
}
static int C_CHAR_END(uint32_t* s, const char* t, int p, int, const Language*) {
    return END_DSTRING(s, t, p, SYN_CHAR, "'");
}

static int C_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n, const Language*) {
    return KeywordAndPreprocessorword_Begin(s, t, p, l, n, &c_language);
}
static int CPP_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n, const Language*) {
    return KEYWORD_BEGIN(s, t, p, l, n, &cpp_language);
}
static int JAVA_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n,
                              const Language*) {
    return KEYWORD_BEGIN(s, t, p, l, n, &java_language);
}
static int GASM_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n,
                              const Language*) {
    return KeywordAndPreprocessorword_Begin(s, t, p, l, n, &gasm_language);
}

// Only blanks between pos and the start of the line or the previous ";".
static bool FirstWordInCmd(const char* text, int pos) {
    for (int i = pos - 1; i >= 0; i--) {
        if (text[i] == ';') return true;
        if (!isBlank(text[i])) return false;
    }
    return true;
}

static int TQL_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n, const Language*) {
    if (l == p && !FirstWordInCmd(t, p)) return 0;
    return KEYWORD_BEGIN(s, t, p, l, n, &tql_language);
}

// ---- assembly line comments ----

// "!" and "|" are operators on "#if" and "#elif" lines.
static bool onIfLine(const char* text, int pos) {
    int i = 0;
    while (i < pos && isBlank(text[i])) i++;
    if (i >= pos || text[i] != '#') return false;
    int value;
    DirectiveWord w = ReadDirective(text, pos, i, &value);
    return w == DW_IF || w == DW_ELIF;
}

static int gasmLineComment(uint32_t* state, const char* text, int pos, int last, int* length,
                           char qual) {
    if ((*state & ~SYN_NOCOLOR) != 0 || text[pos] != qual || !gasmQualifier[(unsigned char)qual])
        return 0;
    if (qual == '-' && (pos >= last || text[pos + 1] != '-')) return 0;
    if ((qual == '!' || qual == '|') && onIfLine(text, pos)) return 0;
    *length = last - pos + 1;
    return 1;
}

#define GASM_COMMENT_FN(name, ch)                                                              \
    static int name(uint32_t* s, const char* t, int p, int l, int* n, const Language*) {      \
        return gasmLineComment(s, t, p, l, n, ch);                                             \
    }
GASM_COMMENT_FN(GASM_QUESTIONMARK_BEGIN, '?')
GASM_COMMENT_FN(GASM_SEMICOLON_BEGIN, ';')
GASM_COMMENT_FN(GASM_DASHDASH_BEGIN, '-')
GASM_COMMENT_FN(GASM_STAR_BEGIN, '*')
GASM_COMMENT_FN(GASM_BAR_BEGIN, '|')
GASM_COMMENT_FN(GASM_EXCLAMATION_BEGIN, '!')

// "#" is a comment only where the word at it is not a preprocessor word.
static int GASM_POUND_BEGIN(uint32_t* s, const char* t, int p, int l, int* n, const Language*) {
    if (t[p] != '#') return 0;
    int ws, we;
    find_word_extents(t, p, l, &gasm_language, &ws, &we);
    uint32_t st = 0;
    int kl;
    if (ws == p && KeywordAndPreprocessorword_Begin(&st, t, p, we, &kl, &gasm_language)) return 0;
    return gasmLineComment(s, t, p, l, n, '#');
}

// ---- element records ----

const SynElement cpp_style_comment = {SYN_LINECOMMENT, SYN_COMMENT, CPP_COMMENT_BEGIN,
                                      LINE_FIND_END, NO_END, 0};
const SynElement c_style_deadcode = {SYN_DEADCODE, SYN_DEADCODE, C_DEADCODE_BEGIN,
                                     C_DEADCODE_FIND_END, NO_END, SYN_EF_WHOLELINE};
const SynElement c_style_comment = {SYN_COMMENT, SYN_COMMENT, C_COMMENT_BEGIN,
                                    C_FIND_COMMENT_END, C_COMMENT_END, 0};
const SynElement c_style_string = {SYN_STRING, SYN_STRING, C_STRING_BEGIN, C_STRING_FIND_END,
                                   C_STRING_END, 0};
const SynElement c_style_character = {SYN_CHAR, SYN_CHAR, C_CHAR_BEGIN, C_CHAR_FIND_END,
                                      C_CHAR_END, 0};
static const SynElement c_keyword = {SYN_KEYWORD, SYN_KEYWORD, C_KEYWORD_BEGIN, WORD_FIND_END,
                                     NO_END, 0};
static const SynElement cpp_keyword = {SYN_KEYWORD, SYN_KEYWORD, CPP_KEYWORD_BEGIN,
                                       WORD_FIND_END, NO_END, 0};
static const SynElement java_keyword = {SYN_KEYWORD, SYN_KEYWORD, JAVA_KEYWORD_BEGIN,
                                        WORD_FIND_END, NO_END, 0};
static const SynElement tql_keyword = {SYN_KEYWORD, SYN_KEYWORD, TQL_KEYWORD_BEGIN,
                                       WORD_FIND_END, NO_END, 0};
static const SynElement GASM_Keyword = {SYN_KEYWORD, SYN_KEYWORD, GASM_KEYWORD_BEGIN,
                                        WORD_FIND_END, NO_END, 0};
const SynElement c_style_number = {SYN_NUMBER, SYN_NUMBER, NUMBER_BEGIN, WORD_FIND_END, NO_END,
                                   0};
static const SynElement java_style_number = {SYN_NUMBER, SYN_NUMBER, NUMBER_BEGIN,
                                             WORD_FIND_END, NO_END, 0};
static const SynElement gasm_style_number = {SYN_NUMBER, SYN_NUMBER, NUMBER_BEGIN,
                                             WORD_FIND_END, NO_END, 0};

#define GASM_COMMENT_ELEMENT(name, fn)                                                         \
    static const SynElement name = {SYN_LINECOMMENT, SYN_COMMENT, fn, LINE_FIND_END, NO_END, 0};
GASM_COMMENT_ELEMENT(GASM_QuestionMark_Comment, GASM_QUESTIONMARK_BEGIN)
GASM_COMMENT_ELEMENT(GASM_SemiColon_Comment, GASM_SEMICOLON_BEGIN)
GASM_COMMENT_ELEMENT(GASM_DashDash_comment, GASM_DASHDASH_BEGIN)
GASM_COMMENT_ELEMENT(GASM_Pound_comment, GASM_POUND_BEGIN)
GASM_COMMENT_ELEMENT(GASM_Star_comment, GASM_STAR_BEGIN)
GASM_COMMENT_ELEMENT(GASM_Bar_comment, GASM_BAR_BEGIN)
GASM_COMMENT_ELEMENT(GASM_Exclamation_comment, GASM_EXCLAMATION_BEGIN)

static const SynElement* const c_elements[] = {
    &cpp_style_comment, &c_style_deadcode, &c_style_comment, &c_style_string,
    &c_style_character, &c_keyword,        &c_style_number,  nullptr};
static const SynElement* const cpp_elements[] = {
    &cpp_style_comment, &cpp_keyword, &c_style_string, &c_style_character,
    &c_style_deadcode,  &c_keyword,   &c_style_number, &c_style_comment, nullptr};
static const SynElement* const java_elements[] = {
    &cpp_style_comment,  &java_keyword,    &c_style_string, &c_style_character,
    &java_style_number, &c_style_comment, nullptr};
static const SynElement* const gasm_elements[] = {
    &GASM_Keyword,           &c_style_deadcode,        &c_style_comment,
    &GASM_QuestionMark_Comment, &GASM_SemiColon_Comment, &GASM_DashDash_comment,
    &GASM_Pound_comment,     &GASM_Star_comment,       &GASM_Bar_comment,
    &GASM_Exclamation_comment, &c_style_string,        &gasm_style_number,
    nullptr};
static const SynElement* const tql_elements[] = {
    &cpp_style_comment, &c_style_string, &c_style_character, &tql_keyword,
    &c_style_number,    &c_style_comment, nullptr};

// ---- "#if 0" tracking ----

DirectiveWord ReadDirective(const char* text, int len, int hashPos, int* value) {
    int p = hashPos + 1;
    while (p < len && isBlank(text[p])) p++;
    auto has = [&](const char* w, int n) {
        return p + n <= len && memcmp(text + p, w, (size_t)n) == 0;
    };
    auto ends = [&](int q) {
        return q >= len || isBlank(text[q]) || text[q] == '/';
    };
    *value = -1;
    DirectiveWord w = DW_OTHER;
    int after = p;
    if (has("elif", 4) && ends(p + 4)) {
        w = DW_ELIF;
        after = p + 4;
    } else if (has("else", 4) && ends(p + 4)) {
        w = DW_ELSE;
    } else if (has("endif", 5)) {
        w = DW_ENDIF;
    } else if (has("if", 2)) {
        w = DW_IF;
        after = p + 2;
    }
    if ((w == DW_IF || w == DW_ELIF) && after < len && isBlank(text[after])) {
        int q = after;
        while (q < len && isBlank(text[q])) q++;
        int limit = q + 99 < len ? q + 99 : len;
        bool hex = q + 1 < limit && text[q] == '0' && (text[q + 1] == 'x' || text[q + 1] == 'X');
        if (hex) q += 2;
        int digits = 0;
        bool nonZero = false;
        for (; q < limit; q++) {
            char c = text[q];
            bool ok = hex ? (isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
                          : isDigit(c);
            if (!ok) break;
            digits++;
            if (c != '0') nonZero = true;
        }
        if (digits > 0) *value = nonZero ? 1 : 0;
    }
    return w;
}

bool ApplyDirective(DeadCodeState& d, DirectiveWord w, int value) {
    if (d.dead) {
        switch (w) {
        case DW_ELIF:
            if (!d.if1 && d.depth <= 1) {
                d = DeadCodeState{false, 0, false};
                return true;
            }
            break;
        case DW_IF:
            d.depth++;
            break;
        case DW_ELSE:
            if (!d.if1 && d.depth <= 1) d = DeadCodeState{false, 0, false};
            break;
        case DW_ENDIF:
            if (d.depth <= 1)
                d = DeadCodeState{false, 0, false};
            else
                d.depth--;
            break;
        default:
            break;
        }
        return false;
    }
    bool ifOrElif = w == DW_IF || w == DW_ELIF;
    if (ifOrElif && value == 0 && !d.if1) {
        d.dead = true;
        d.depth = 1;
        return false;
    }
    if (d.if1) {
        switch (w) {
        case DW_ELIF:
        case DW_ELSE:
            if (d.depth == 1) d.dead = true;
            break;
        case DW_IF:
            d.depth++;
            break;
        case DW_ENDIF:
            if (d.depth <= 1)
                d = DeadCodeState{false, 0, false};
            else
                d.depth--;
            break;
        default:
            break;
        }
        return false;
    }
    if (ifOrElif && value == 1) {
        d.depth = 1;
        d.if1 = true;
    }
    return false;
}

uint32_t DeadCodeAux(const DeadCodeState& d) {
    uint32_t aux = (d.dead || d.if1) ? (d.depth & SYN_AUX_DEPTH) : 0;
    if (d.if1) aux |= SYN_AUX_IF1;
    return aux;
}

bool PreallRefusesDirective() {
    if (!syn_preall) return false;
    WAlert("All_Dead_Code_Coloring is not supported yet.");
    return true;
}

// ---- the C-family quick line parser ----

enum CFamilyVariant { QLP_C, QLP_CPP, QLP_JAVA, QLP_TQL, QLP_GASM };

// Bytes the parser must stop at outside comments and strings, once past the line's first
// non-blank character; assembly also stops at every possible comment qualifier.
static bool qlpStopC[256], qlpStopGasm[256];
static bool qlpStopInit = [] {
    for (unsigned char c : std::string("\"'*/")) qlpStopC[c] = qlpStopGasm[c] = true;
    for (unsigned char c : std::string("#;?!|-")) qlpStopGasm[c] = true;
    return true;
}();

// Skips 16 bytes at a time while none of them is one of the C stop bytes " ' * /; the byte
// loop after it finishes the line.
static inline int SkipPlainC(const char* text, int i, int len) {
#ifdef __SSE2__
    const __m128i q2 = _mm_set1_epi8('"'), q1 = _mm_set1_epi8('\''), st = _mm_set1_epi8('*'),
                  sl = _mm_set1_epi8('/');
    while (i + 16 <= len) {
        __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, q2), _mm_cmpeq_epi8(x, q1)),
                                   _mm_or_si128(_mm_cmpeq_epi8(x, st), _mm_cmpeq_epi8(x, sl)));
        int mask = _mm_movemask_epi8(hit);
        if (mask) return i + __builtin_ctz((unsigned)mask);
        i += 16;
    }
#endif
    return i;
}

static inline uint32_t cFamilyParse(uint32_t S, uint32_t A, const char* text, int len,
                                    uint32_t* nextAux, CFamilyVariant v) {
    const bool directives = v == QLP_C || v == QLP_CPP || v == QLP_GASM;
    const bool slashSlash = v != QLP_C || cppCommentsInC;
    const bool* stop = v == QLP_GASM ? qlpStopGasm : qlpStopC;
    if (!text || len <= 0) {
        *nextAux = directives ? A : 0;
        return v == QLP_JAVA ? (S & SYN_COMMENT) : (S & ~(SYN_STRING | SYN_CHAR));
    }
    bool comment = S & SYN_COMMENT, string = S & SYN_STRING, chr = S & SYN_CHAR;
    DeadCodeState d{(S & SYN_DEADCODE) != 0, A & SYN_AUX_DEPTH, (A & SYN_AUX_IF1) != 0};
    if (!directives) d = DeadCodeState{false, 0, false};
    bool atStart = !(comment || string);
    bool ifLine = false;
    if (v == QLP_GASM && d.dead) {
        int i = 0;
        while (i < len && isBlank(text[i])) i++;
        if (i >= len || text[i] != '#') { // a dead line that cannot end the dead block
            *nextAux = A;
            return S;
        }
    }
    int i = 0;
    if (atStart && !chr) { // a directive needs a line that starts outside every literal
    lineStart:
        // Blanks keep the line at its start; a "#" there is a directive.
        while (i < len && isBlank(text[i])) i++;
        atStart = false;
        if (i < len && text[i] == '#') {
            bool isDirective = directives;
            if (v == QLP_GASM) {
                int ws, we, kl;
                uint32_t st = 0;
                find_word_extents(text, i, len - 1, &gasm_language, &ws, &we);
                isDirective =
                    KeywordAndPreprocessorword_Begin(&st, text, i, we, &kl, &gasm_language);
                if (!isDirective && gasmQualifier['#']) goto endOfScan;
            }
            if (isDirective && !PreallRefusesDirective()) {
                int value;
                DirectiveWord w = ReadDirective(text, len, i, &value);
                ifLine = w == DW_IF || w == DW_ELIF;
                if (ApplyDirective(d, w, value)) {
                    // "#elif" ended the dead block: the line is live from its start.
                    comment = string = chr = false;
                    ifLine = false;
                    i = 0;
                    goto lineStart;
                }
            }
            i++;
        }
    }
    while (i < len) {
        char c = text[i];
        if (comment) {
            const char* star = (const char*)memchr(text + i, '*', (size_t)(len - i));
            if (!star) {
                i = len;
                break;
            }
            i = (int)(star - text);
            if (i + 1 < len && text[i + 1] == '/') {
                comment = false;
                i++;
            }
            i++;
            continue;
        }
        if (string || chr) {
            char close = string ? '"' : '\'';
            while (i < len && text[i] != close && text[i] != '\\') i++;
            if (i >= len) break;
            if (text[i] == '\\')
                i++;
            else if (string)
                string = false;
            else
                chr = false;
            i++;
            continue;
        }
        if (!stop[(unsigned char)c]) {
            i++;
            if (v != QLP_GASM) i = SkipPlainC(text, i, len);
            while (i < len && !stop[(unsigned char)text[i]]) i++;
            continue;
        }
        switch (c) {
        case '"':
            string = true;
            break;
        case '\'':
            chr = true;
            break;
        case '*':
            if (i + 1 < len && text[i + 1] == '/') { // a stray "*/" takes its "/" along
                i++;
                break;
            }
            if (v == QLP_GASM && gasmQualifier['*']) goto endOfScan;
            break;
        case '/':
            if (i + 1 < len) {
                if (text[i + 1] == '*') {
                    comment = true;
                    i++;
                } else if (text[i + 1] == '/' && slashSlash) {
                    goto endOfScan;
                }
            }
            break;
        case '#':
        case ';':
        case '?':
            if (gasmQualifier[(unsigned char)c]) goto endOfScan;
            break;
        case '!':
        case '|':
            if (gasmQualifier[(unsigned char)c] && !ifLine) goto endOfScan;
            break;
        case '-':
            if (gasmQualifier['-'] && i + 1 < len && text[i + 1] == '-') goto endOfScan;
            break;
        default:
            break;
        }
        i++;
    }
endOfScan:
    if (v == QLP_JAVA || text[len - 1] != '\\') string = chr = false;
    *nextAux = directives ? DeadCodeAux(d) : 0;
    uint32_t state = 0;
    if (comment) state |= SYN_COMMENT;
    if (string) state |= SYN_STRING;
    if (chr) state |= SYN_CHAR;
    if (d.dead) state |= SYN_DEADCODE;
    return state;
}

static uint32_t C_QuickLineParser(uint32_t s, uint32_t a, const char* t, int n, uint32_t* x) {
    return cFamilyParse(s, a, t, n, x, QLP_C);
}
static uint32_t CPP_QuickLineParser(uint32_t s, uint32_t a, const char* t, int n, uint32_t* x) {
    return cFamilyParse(s, a, t, n, x, QLP_CPP);
}
static uint32_t JAVA_QuickLineParser(uint32_t s, uint32_t a, const char* t, int n, uint32_t* x) {
    return cFamilyParse(s, a, t, n, x, QLP_JAVA);
}
static uint32_t TQL_QuickLineParser(uint32_t s, uint32_t a, const char* t, int n, uint32_t* x) {
    return cFamilyParse(s, a, t, n, x, QLP_TQL);
}
static uint32_t GASM_QuickLineParser(uint32_t s, uint32_t a, const char* t, int n, uint32_t* x) {
    return cFamilyParse(s, a, t, n, x, QLP_GASM);
}

// ---- language records ----

Language c_language = {LANG_C, 1, c_elements, keywords_c, C_IGNORE_NEXT, FIND_WORD_END,
                       C_ValidIntegerSuffix, C_ValidFloatSuffix, C_QuickLineParser,
                       (1u << 31) | (1u << 30), seps_c.data(), unsortedCount(keywords_c)};
Language cpp_language = {LANG_CPP, 1, cpp_elements, keywords_cpp, C_IGNORE_NEXT, FIND_WORD_END,
                         C_ValidIntegerSuffix, C_ValidFloatSuffix, CPP_QuickLineParser, 0,
                         seps_cpp.data(), unsortedCount(keywords_cpp)};
Language java_language = {LANG_JAVA, 1, java_elements, keywords_java, C_IGNORE_NEXT, FIND_WORD_END,
                          JAVA_ValidIntegerSuffix, JAVA_ValidFloatSuffix, JAVA_QuickLineParser,
                          0, seps_java.data(), unsortedCount(keywords_java)};
Language gasm_language = {LANG_GASM, 1, gasm_elements, keywords_gasm, C_IGNORE_NEXT, FIND_WORD_END,
                          C_ValidIntegerSuffix, C_ValidFloatSuffix, GASM_QuickLineParser, 0,
                          seps_gasm.data(), unsortedCount(keywords_gasm)};
Language tql_language = {LANG_TQL, 1, tql_elements, keywords_tql, C_IGNORE_NEXT, FIND_WORD_END,
                         C_ValidIntegerSuffix, C_ValidFloatSuffix, TQL_QuickLineParser, 0,
                         seps_tql.data(), unsortedCount(keywords_tql)};
