// lang/lang_other.cc: the Pascal, Ada, Fortran, plain assembler, build-progress and help
// scanners with their keyword and separator tables.
#include <cstring>

#include "lang/lang_internal.h"

static inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
static inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
static inline bool isAlnum(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

template <size_t N>
constexpr int unsortedCount(const char* (&)[N]) {
    return -(int)(N - 1);
}

// ---- keyword tables ----

static const char* keywords_pascal[] = {
    "DO", "IF", "IN", "OF", "OR", "TO", "AND", "DIV", "END", "FOR", "MOD", "NIL", "NOT", "SET",
    "VAR", "CASE", "CHAR", "ELSE", "FILE", "GOTO", "REAL", "TEXT", "THEN", "TRUE", "TYPE", "WITH",
    "ARRAY", "BEGIN", "CONST", "FALSE", "INPUT", "LABEL", "UNTIL", "WHILE", "DOWNTO", "MAXINT",
    "OUTPUT", "PACKED", "RECORD", "REPEAT", "BOOLEAN", "FORWARD", "INTEGER", "PROGRAM",
    "EXTERNAL", "FUNCTION", "PROCEDURE", "#if", "#else", "#elif", "#endif", "#ifdef", "#ifndef",
    "#define", "#undef", "defined", "#include", "#error", "#line", "#pragma", nullptr};

static const char* keywords_ada[] = {
    "AT", "DO", "IF", "IN", "IS", "OF", "OR", "ABS", "ALL", "AND", "END", "FOR", "MOD", "NEW",
    "NOT", "OUT", "REM", "USE", "XOR", "BODY", "CASE", "ELSE", "EXIT", "GOTO", "LOOP", "NULL",
    "TASK", "THEN", "TRUE", "FALSE", "TYPE", "WHEN", "WITH", "ABORT", "ARRAY", "BEGIN", "DELAY",
    "DELTA", "ELSIF", "ENTRY", "RAISE", "RANGE", "UNTIL", "WHILE", "ACCEPT", "ACCESS", "DIGITS",
    "OTHERS", "PRAGMA", "RECORD", "RETURN", "SELECT", "TAGGED", "ALIASED", "DECLARE", "GENERIC",
    "LIMITED", "PACKAGE", "PRIVATE", "RENAMES", "REQUEUE", "REVERSE", "SUBTYPE", "ABSTRACT",
    "CONSTANT", "FUNCTION", "SEPARATE", "EXCEPTION", "PROCEDURE", "PROTECTED", "TERMINATE",
    nullptr};

static const char* keywords_fortran[] = {
    ".AND.", ".EQ.", ".EQV.", ".GE.", ".GT.", ".LE.", ".LT.", ".NE.", ".NEQV.", ".NOT.", ".OR.",
    ".XOR.", "ACCEPT", "ASSIGN", "AUTOMATIC", "BACKSPACE", "BLOCK", "BYTE", "CALL", "CHARACTER",
    "CLOSE", "CONTINUE", "COMMON", "COMPLEX", "DATA", "DECODE", "DIMENSION", "DO", "DOUBLE",
    "ELSE", "END", "ENDFILE", "ENCODE", "ENTRY", "EQUIVALENCE", "EXTERNAL", "FORMAT", "FUNCTION",
    "GOTO", "IF", "IMPLICIT", "INCLUDE", "INTEGER", "INQUIRE", "INTRINSIC", "LOGICAL",
    "NAMELIST", "NONE", "OPEN", "OPTIONS", "PARAMETER", "PAUSE", "PRECISION", "PRINT",
    "PROGRAM", "READ", "REAL", "RECORD", "RETURN", "REWIND", "SAVE", "STATIC", "STRUCTURE",
    "STOP", "SUBROUTINE", "THEN", "TYPE", "UNDEFINED", "UNION", "VIRTUAL", "VOLATILE", "WRITE",
    nullptr};

static const char* asm_directives[] = {
    ".if", ".ln", ".def", ".dim", ".end", ".equ", ".gen", ".org", ".scl", ".set", ".str", ".tag",
    ".val", ".byte", ".comm", ".data", ".else", ".endm", ".endr", ".file", ".line", ".list",
    ".rept", ".size", ".text", ".type", ".word", ".align", ".datab", ".eject", ".endef",
    ".endif", ".exitm", ".float", ".globl", ".hword", ".ident", ".lcomm", ".macro", ".nogen",
    ".sbttl", ".space", ".title", ".data.b", ".data.l", ".data.w", ".double", ".elseif",
    ".extern", ".global", ".import", ".nolist", ".offset", ".single", ".include", ".section",
    ".warning", ".subtitle", ".nowarning", nullptr};

static const char* progress_keywords[] = {"Done",      "Build",     "Linking",
                                          "Analyzing", "Compiling", "completed", nullptr};

// ---- separator tables ----

static constexpr SepTable seps_pascal = MakeSeparators("'()*+,-./:;<=>@[]^{}");
static constexpr SepTable seps_ada = MakeSeparators("'()*+,-./:;<=>@[]^{}");
static constexpr SepTable seps_fortran = MakeSeparators("'()*+,-/:;<=>@[]^{}");
static constexpr SepTable seps_asm = MakeSeparators("!\"#$%&'()*+,-/:;<=>@[\\]^|~");
static constexpr SepTable seps_help = MakeSeparators("(),-<>[]{}");
static constexpr SepTable seps_progress = MakeSeparators(",-");
static constexpr SepTable seps_none = MakeSeparators(kSepsCFamily);

// ---- Pascal ----

// Finds "}" or "*)"; either closes either comment form.
static int PASCAL_FIND_COMMENT_END(uint32_t* state, const char* text, int pos, int last,
                                   int* length, const Language*) {
    uint32_t s = *state;
    int i = pos;
    if (s & SYN_SLASHSEEN) { // "(" ended the previous piece: this "*" completes the opener
        s &= ~SYN_SLASHSEEN;
        if (i <= last && text[i] == '*') i++;
    }
    if (s & SYN_STARSEEN) {
        s &= ~SYN_STARSEEN;
        if (i <= last && text[i] == ')') {
            *state = s & ~SYN_COMMENT;
            *length = i - pos + 1;
            return i;
        }
    }
    for (; i <= last; i++) {
        if (text[i] == '}' || (text[i] == '*' && i < last && text[i + 1] == ')')) {
            int end = text[i] == '}' ? i : i + 1;
            *state = s & ~SYN_COMMENT;
            *length = end - pos + 1;
            return end;
        }
        if (text[i] == '*' && i == last) s |= SYN_STARSEEN;
    }
    *state = s;
    *length = last - pos + 1;
    return last + 1;
}

static int PASCAL_COMMENT_BEGIN(uint32_t* state, const char* text, int pos, int last,
                                int* length, const Language* lang) {
    uint32_t s = *state;
    int body = -1;
    if (text[pos] == '{')
        body = pos + 1;
    else if (text[pos] == '(' && pos < last && text[pos + 1] == '*')
        body = pos + 2;
    else if ((s & SYN_SLASHSEEN) && text[pos] == '*')
        body = pos + 1;
    if (body < 0) {
        if (!(s & (SYN_COMMENT | SYN_STRING)) && text[pos] == '(' && pos == last)
            *state = (s & ~SYN_STARSEEN) | SYN_SLASHSEEN;
        else
            *state = s & ~(SYN_SLASHSEEN | SYN_STARSEEN);
        return 0;
    }
    uint32_t st = SYN_COMMENT;
    int l = 0;
    int end = PASCAL_FIND_COMMENT_END(&st, text, body, last, &l, lang);
    *state = (s & ~(SYN_SLASHSEEN | SYN_STARSEEN)) | (st & SYN_STARSEEN);
    *length = end - pos + 1;
    return 1;
}

static int PASCAL_COMMENT_END(uint32_t* state, const char* text, int pos, int, const Language*) {
    if (text[pos] == '}') return 1;
    return text[pos] == ')' && ((pos > 0 && text[pos - 1] == '*') || (*state & SYN_STARSEEN));
}

static int PASCAL_STRING_BEGIN(uint32_t* s, const char* t, int p, int l, int* n,
                               const Language* g) {
    return BEGIN_DSTRING(s, t, p, l, n, "'", g);
}
static int PASCAL_STRING_FIND_END(uint32_t* s, const char* t, int p, int l, int* n,
                                  const Language* g) {
    return FIND_END_DSTRING(s, t, p, l, n, "'", g);
}
static int PASCAL_STRING_END(uint32_t* s, const char* t, int p, int, const Language*) {
    return END_DSTRING(s, t, p, SYN_STRING, "'");
}
static int PASCAL_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n,
                                const Language*) {
    return KeywordAndPreprocessorword_Begin(s, t, p, l, n, &pascal_language);
}

// Pascal comments and quoted strings, with the C parser's "#if 0" tracking.
static uint32_t P_QuickLineParser(uint32_t S, uint32_t A, const char* text, int len,
                                  uint32_t* nextAux) {
    if (!text || len <= 0) {
        *nextAux = A;
        return S & ~(SYN_STRING | SYN_CHAR);
    }
    bool comment = S & SYN_COMMENT, string = S & SYN_STRING;
    DeadCodeState d{(S & SYN_DEADCODE) != 0, A & SYN_AUX_DEPTH, (A & SYN_AUX_IF1) != 0};
    bool atStart = !(comment || string);
    int i = 0;
    while (i < len) {
        char c = text[i];
        if (comment) {
            if (c == '}') {
                comment = false;
            } else if (c == '*' && i + 1 < len && text[i + 1] == ')') {
                comment = false;
                i++;
            }
        } else if (string) {
            if (c == '\'') string = false;
        } else if (isBlank(c)) {
            i++;
            continue;
        } else if (c == '{') {
            comment = true;
        } else if (c == '(' && i + 1 < len && text[i + 1] == '*') {
            comment = true;
            i++;
        } else if (c == '\'') {
            string = true;
        } else if (c == '#' && atStart && !PreallRefusesDirective()) {
            int value;
            DirectiveWord w = ReadDirective(text, len, i, &value);
            if (ApplyDirective(d, w, value)) {
                comment = string = false;
                atStart = true;
                i = 0;
                continue;
            }
        }
        atStart = false;
        i++;
    }
    *nextAux = DeadCodeAux(d);
    uint32_t state = 0;
    if (comment) state |= SYN_COMMENT;
    if (d.dead) state |= SYN_DEADCODE;
    return state;
}

// ---- Ada ----

static int ADA_CHARACTER_BEGIN(uint32_t* state, const char* text, int pos, int last,
                               int* length, const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || text[pos] != '\'' || pos + 2 > last) return 0;
    char c = text[pos + 1];
    if (c == '\n' || c == '\r' || text[pos + 2] != '\'') return 0;
    *length = 3;
    return 1;
}

static int ADA_CHARACTER_FIND_END(uint32_t*, const char* text, int pos, int last, int* length,
                                  const Language*) {
    // The literal is three characters long: find where its closing quote is.
    int end = pos;
    if (pos >= 1 && text[pos - 1] == '\'' && pos + 1 <= last && text[pos + 1] == '\'')
        end = pos + 1;
    *length = end - pos + 1;
    return end;
}

static int ADA_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n, const Language*) {
    if (p > 0 && t[p - 1] == '\'') return 0; // an attribute name such as X'Range
    return KEYWORD_BEGIN(s, t, p, l, n, &ada_language);
}

// Digits and underscores, based parts "#...#", at most one dot, optional exponent; the whole
// word text[pos..last] must be consumed.
static int ADA_NUMBER_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                            const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || pos > last) return 0;
    int i = pos;
    if (!(isDigit(text[i]) || (text[i] == '.' && i < last && isDigit(text[i + 1])))) return 0;
    auto body = [&](bool allowDot) {
        bool based = false;
        int dots = 0;
        while (i <= last) {
            char c = text[i];
            if (isDigit(c) || c == '_') {
                i++;
            } else if (c == '.' && allowDot && !based && dots == 0) {
                dots++;
                i++;
            } else if (c == '#') {
                int j = i + 1;
                while (j <= last && text[j] != '#') {
                    if (!(isAlnum(text[j]) || text[j] == '_' || text[j] == '.')) return false;
                    j++;
                }
                if (j > last) return false; // the closing "#" is required
                based = true;
                i = j + 1;
            } else {
                break;
            }
        }
        return true;
    };
    if (!body(true)) return 0;
    if (i <= last && (text[i] == 'e' || text[i] == 'E')) {
        i++;
        if (i <= last && (text[i] == '+' || text[i] == '-')) i++;
        if (i > last || !(isDigit(text[i]))) return 0;
        if (!body(true)) return 0;
    }
    if (i <= last) return 0;
    *length = last - pos + 1;
    return 1;
}

static int ASM_COMMENT2_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                              const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || pos >= last || text[pos] != '-' || text[pos + 1] != '-')
        return 0;
    *length = last - pos + 1;
    return 1;
}

// ---- Fortran ----

static int FORTRAN_COMMENT_BEGIN(uint32_t* state, const char* text, int pos, int last,
                                 int* length, const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || pos != 0 || last < 1) return 0;
    if (!strchr("cC*#!", text[0]) || text[0] == 0) return 0;
    *length = last + 1;
    return 1;
}

static int FORTRAN_STRING_FIND_END(uint32_t*, const char* text, int pos, int last, int* length,
                                   const Language*) {
    int i = pos;
    while (i <= last) {
        if (text[i] == '\'') {
            if (i < last && text[i + 1] == '\'') { // a doubled quote stands for a quote
                i += 2;
                continue;
            }
            *length = i - pos + 1;
            return i;
        }
        i++;
    }
    *length = last - pos + 1;
    return last;
}

static int FORTRAN_STRING_BEGIN(uint32_t* state, const char* text, int pos, int last,
                                int* length, const Language* lang) {
    if ((*state & ~SYN_NOCOLOR) != 0 || text[pos] != '\'') return 0;
    if (pos > 0 && !syn_IsSeparator(lang, (unsigned char)text[pos - 1])) return 0;
    int l;
    uint32_t st = 0;
    int end = pos + 1 <= last ? FORTRAN_STRING_FIND_END(&st, text, pos + 1, last, &l, lang) : pos;
    *length = end - pos + 1;
    return 1;
}

static int FORTRAN_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n,
                                 const Language*) {
    return KEYWORD_BEGIN(s, t, p, l, n, &fortran_language);
}

// ---- plain and preprocessed assembler ----

static int ASM_COMMENT_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                             const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || text[pos] != ';') return 0;
    *length = last - pos + 1;
    return 1;
}

static int ASM_COMMENT3_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                              const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || pos != 0 || text[0] != '#') return 0;
    *length = last + 1;
    return 1;
}

static int ASM_DIRECTIVE_BEGIN(uint32_t* s, const char* t, int p, int l, int* n,
                               const Language*) {
    return KEYWORD_BEGIN(s, t, p, l, n, &asm_language);
}

// The line end, or the continuation backslash when the line ends with one.
static int preprocEnd(const char* text, int last) {
    int e = last;
    while (e >= 0 && isBlank(text[e])) e--;
    if (e >= 0 && text[e] == '\\') return e;
    return last;
}

static int C_PREPROC_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                           const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || text[pos] != '#') return 0;
    for (int i = 0; i < pos; i++)
        if (!isBlank(text[i])) return 0;
    int end = preprocEnd(text, last);
    if (end < pos) end = pos;
    *length = end - pos + 1;
    return 1;
}

static int C_PREPROC_FIND_END(uint32_t*, const char* text, int pos, int last, int* length,
                              const Language*) {
    int end = preprocEnd(text, last);
    if (end < pos) end = pos - 1;
    *length = end - pos + 1;
    return end;
}

// ---- build progress and help ----

static int PROGRESS_KEYWORD_BEGIN(uint32_t* s, const char* t, int p, int l, int* n,
                                  const Language*) {
    return KEYWORD_BEGIN(s, t, p, l, n, &progress_language);
}

static int PROGRESS_REASON_BEGIN(uint32_t* state, const char* text, int pos, int last,
                                 int* length, const Language*) {
    if ((*state & ~SYN_NOCOLOR) != 0 || text[pos] != '"') return 0;
    for (int i = 0; i < pos; i++)
        if (!isBlank(text[i])) return 0;
    *length = last - pos + 1;
    return 1;
}

static int HELP_LINK_FIND_END(uint32_t*, const char* text, int pos, int last, int* length,
                              const Language*) {
    // The closer may have begun before pos when a drawn piece cut through it.
    for (int i = pos >= 3 ? pos - 3 : 0; i + 3 <= last; i++) {
        if (i + 3 >= pos && memcmp(text + i, "</A>", 4) == 0) {
            *length = i + 3 - pos + 1;
            return i + 3;
        }
    }
    *length = last - pos + 1;
    return last + 1;
}

static int HELP_LINK_BEGIN(uint32_t* state, const char* text, int pos, int last, int* length,
                           const Language* lang) {
    if ((*state & ~SYN_NOCOLOR) != 0 || pos + 2 > last || memcmp(text + pos, "<A>", 3) != 0)
        return 0;
    uint32_t st = 0;
    int l;
    int end = HELP_LINK_FIND_END(&st, text, pos + 3, last, &l, lang);
    if (end > last) end = last;
    *length = end - pos + 1;
    return 1;
}

// ---- element records ----

static const SynElement pascal_style_comment = {SYN_COMMENT, SYN_COMMENT, PASCAL_COMMENT_BEGIN,
                                                PASCAL_FIND_COMMENT_END, PASCAL_COMMENT_END, 0};
static const SynElement pascal_style_string = {SYN_STRING, SYN_STRING, PASCAL_STRING_BEGIN,
                                               PASCAL_STRING_FIND_END, PASCAL_STRING_END, 0};
static const SynElement pascal_keyword = {SYN_KEYWORD, SYN_KEYWORD, PASCAL_KEYWORD_BEGIN,
                                          WORD_FIND_END, NO_END, 0};
static const SynElement pascal_style_number = {SYN_NUMBER, SYN_NUMBER, NUMBER_BEGIN,
                                               WORD_FIND_END, NO_END, 0};
static const SynElement ada_style_character = {SYN_CHAR, SYN_CHAR, ADA_CHARACTER_BEGIN,
                                               ADA_CHARACTER_FIND_END, NO_END, 0};
static const SynElement asm_style_comment2 = {SYN_COMMENT2, SYN_COMMENT, ASM_COMMENT2_BEGIN,
                                              LINE_FIND_END, NO_END, 0};
static const SynElement ada_keyword = {SYN_KEYWORD, SYN_KEYWORD, ADA_KEYWORD_BEGIN,
                                       WORD_FIND_END, NO_END, 0};
static const SynElement ada_style_number = {SYN_NUMBER, SYN_NUMBER, ADA_NUMBER_BEGIN,
                                            WORD_FIND_END, NO_END, 0};
static const SynElement fortran_style_comment = {SYN_COMMENT, SYN_COMMENT, FORTRAN_COMMENT_BEGIN,
                                                 LINE_FIND_END, NO_END, 0};
static const SynElement fortran_style_string = {SYN_STRING, 0, FORTRAN_STRING_BEGIN,
                                                FORTRAN_STRING_FIND_END, NO_END, 0};
static const SynElement fortran_keyword = {SYN_KEYWORD, SYN_KEYWORD, FORTRAN_KEYWORD_BEGIN,
                                           WORD_FIND_END, NO_END, 0};
static const SynElement asm_style_comment = {SYN_COMMENT, SYN_COMMENT, ASM_COMMENT_BEGIN,
                                             LINE_FIND_END, NO_END, 0};
static const SynElement asm_style_comment3 = {SYN_LINECOMMENT, SYN_COMMENT, ASM_COMMENT3_BEGIN,
                                              LINE_FIND_END, NO_END, 0};
static const SynElement asm_directive = {SYN_DIRECTIVE, SYN_KEYWORD, ASM_DIRECTIVE_BEGIN,
                                         WORD_FIND_END, NO_END, 0};
static const SynElement c_style_preproc = {SYN_DEADCODE, SYN_DEADCODE, C_PREPROC_BEGIN,
                                           C_PREPROC_FIND_END, NO_END, 0};
static const SynElement progress_keyword = {SYN_KEYWORD, SYN_KEYWORD, PROGRESS_KEYWORD_BEGIN,
                                            WORD_FIND_END, NO_END, 0};
static const SynElement progress_reason = {SYN_COMMENT, SYN_COMMENT, PROGRESS_REASON_BEGIN,
                                           LINE_FIND_END, NO_END, 0};
static const SynElement help_link = {SYN_KEYWORD, SYN_KEYWORD, HELP_LINK_BEGIN,
                                     HELP_LINK_FIND_END, NO_END, SYN_EF_SPAN};

static const SynElement* const no_elements[] = {nullptr};
static const SynElement* const pascal_elements[] = {
    &pascal_style_comment, &pascal_style_string, &c_style_deadcode, &pascal_keyword,
    &pascal_style_number, nullptr};
static const SynElement* const ada_elements[] = {&ada_style_character, &c_style_string,
                                                 &asm_style_comment2, &ada_keyword,
                                                 &ada_style_number, nullptr};
static const SynElement* const fortran_elements[] = {&fortran_style_comment,
                                                     &fortran_style_string, &fortran_keyword,
                                                     nullptr};
static const SynElement* const asm_elements[] = {
    &asm_style_comment, &asm_style_comment2, &asm_style_comment3, &asm_directive,
    &c_style_string,    &c_style_character,  &c_style_number,     nullptr};
static const SynElement* const ppasm_elements[] = {
    &asm_style_comment, &asm_style_comment2, &asm_directive,  &c_style_string,
    &c_style_character, &c_style_preproc,    &c_style_number, &c_style_comment, nullptr};
static const SynElement* const progress_elements[] = {&progress_keyword, &progress_reason,
                                                      nullptr};
static const SynElement* const help_elements[] = {&help_link, nullptr};

// ---- language records ----

Language no_language = {LANG_NONE, 1, no_elements, nullptr, NO_BEGIN, FIND_WORD_END, no_suffix,
                        no_suffix, nullptr, 0, seps_none.data(), 0};
Language pascal_language = {LANG_PASCAL, 0, pascal_elements, keywords_pascal, NO_BEGIN, FIND_WORD_END,
                            no_suffix, no_suffix, P_QuickLineParser, 0, seps_pascal.data(),
                            unsortedCount(keywords_pascal)};
Language ada_language = {LANG_ADA, 0, ada_elements, keywords_ada, NO_BEGIN, FIND_WORD_END, no_suffix,
                         no_suffix, nullptr, 0, seps_ada.data(), unsortedCount(keywords_ada)};
Language fortran_language = {LANG_FORTRAN, 0, fortran_elements, keywords_fortran, NO_BEGIN,
                             FIND_WORD_END, no_suffix, no_suffix, nullptr, 0,
                             seps_fortran.data(), unsortedCount(keywords_fortran)};
Language asm_language = {LANG_ASM, 1, asm_elements, asm_directives, C_IGNORE_NEXT, FIND_WORD_END,
                         C_ValidIntegerSuffix, C_ValidFloatSuffix, nullptr, 0, seps_asm.data(),
                         unsortedCount(asm_directives)};
Language ppasm_language = {LANG_PPASM, 1, ppasm_elements, asm_directives, C_IGNORE_NEXT, FIND_WORD_END,
                           C_ValidIntegerSuffix, C_ValidFloatSuffix, nullptr, 0,
                           seps_asm.data(), unsortedCount(asm_directives)};
Language progress_language = {LANG_PROGRESS, 1, progress_elements, progress_keywords, NO_BEGIN,
                              FIND_WORD_END, no_suffix, no_suffix, nullptr, 0,
                              seps_progress.data(), unsortedCount(progress_keywords)};
Language help_language = {LANG_HELP, 1, help_elements, nullptr, NO_BEGIN, FIND_WORD_END, no_suffix,
                          no_suffix, nullptr, 0, seps_help.data(), 0};
