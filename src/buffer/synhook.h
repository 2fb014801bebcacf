// buffer/synhook.h: what the line store asks of syntax colouring, and the language ids both
// sides share. The buffer declares the interface; the colouring engine implements it and
// installs it when it starts (syn_Init). Without one (a test or benchmark of the buffer
// alone) no File has a language and every line starts in state 0.
#pragma once

#include "runtime/seam.h"

struct File;
struct Line;
struct Language;

// A language's type number, as the language menu and the configuration count them.
enum LanguageId {
    LANG_NONE = 0,
    LANG_C = 1,
    LANG_CPP = 2,
    LANG_PASCAL = 3,
    LANG_ADA = 4,
    LANG_FORTRAN = 5,
    LANG_JAVA = 6,
    LANG_GASM = 7, // GNU assembler
    LANG_TQL = 8,
    LANG_ASM = 9,
    LANG_PPASM = 10, // assembler run through the C preprocessor
    LANG_PROGRESS = 11,
    LANG_HELP = 12,  // help text
};

struct FileColouring {
    // Sets line->synState from its predecessor's state.
    virtual void setLineState(File* file, Line* line) = 0;
    // The language of a file name (none: null).
    virtual const Language* languageOf(const char* name) = 0;
    virtual LanguageId languageId(const Language* language) = 0;

protected:
    ~FileColouring() = default;
};
extern Seam<FileColouring> fileColouring;

// Colouring is switched off while a File's line list is rebuilt.
extern bool file_synSuspended;
// The File's language id, LANG_NONE without one.
LanguageId FileLanguageId(const File* file);
