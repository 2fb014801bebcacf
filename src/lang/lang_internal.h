// lang/lang_internal.h: what the language scanner files share among themselves: separator
// table construction, the C-family elements reused by other languages, directive tracking.
#pragma once

#include <array>
#include <cstdint>

#include "lang/syn.h"

using SepTable = std::array<unsigned char, 256>;

// NUL, tab, line feed, carriage return and space separate words in every language; bytes
// above 127 never do.
constexpr SepTable MakeSeparators(const char* printable) {
    SepTable t{};
    t[0] = t['\t'] = t['\n'] = t['\r'] = t[' '] = 1;
    for (const char* p = printable; *p; p++) t[(unsigned char)*p] = 1;
    return t;
}

constexpr const char* kSepsCFamily = "!\"%&'()*+,-./:;<=>?[\\]^{|}~";

// C-family elements shared with Pascal, assembly and the plain assemblers.
extern const SynElement c_style_deadcode, c_style_comment, c_style_string, c_style_character,
    c_style_number;

// Element flag: the element covers every piece of a line that starts inside it.
constexpr uint32_t SYN_EF_WHOLELINE = 1;
// Element flag: a keyword-coloured element that spans words (help links): it is tried at a
// position like any other element, not on the word there.
constexpr uint32_t SYN_EF_SPAN = 2;

// A line comment: runs to the end of the line.
int LINE_FIND_END(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang);
// Continues a keyword or number cut by the end of a drawn piece.
int WORD_FIND_END(uint32_t* state, const char* text, int pos, int last, int* length,
                  const Language* lang);

// "#if 0" / "#if 1" tracking shared by the C, Pascal and assembly line parsers.
struct DeadCodeState {
    bool dead;
    uint32_t depth;
    bool if1;
};
enum DirectiveWord { DW_OTHER, DW_IF, DW_ELIF, DW_ELSE, DW_ENDIF };
// Reads the directive after the "#" at hashPos; *value: -1 no number, 0 zero, 1 non-zero.
DirectiveWord ReadDirective(const char* text, int len, int hashPos, int* value);
// Applies one directive; returns true when the line must be scanned again as a live line.
bool ApplyDirective(DeadCodeState& d, DirectiveWord word, int value);
uint32_t DeadCodeAux(const DeadCodeState& d);
// The option syn_preall: alerts once per "#" examined; true when directives are skipped.
bool PreallRefusesDirective();
