// indent/aindent.h: the automatic indenter. A push-down automaton reads the lines above a line
// and proposes the line's indentation column (its wish column), learning as it goes from the
// columns the code really has. It reads text only and knows nothing of Files; the buffer
// feeds it lines (buffer/autoindent.h).
#pragma once

#include <cstdint>

struct AIndentEngine;

// Languages of the engine, rows of AI_LangSettings. 0 and 1 are the two grammars; C++ and
// Java use the C grammar with angle-bracket argument lists.
enum AIndentLanguage {
    AI_LANG_C = 0,
    AI_LANG_ADA = 1,
    AI_LANG_CPP = 2,
    AI_LANG_JAVA = 3,
};

// Extra indentation of continuation lines (Ada statements); the buffer sets it from the
// File's continuation size before it drives the engine.
extern int aIndent_indentForContinuation;

// A new engine with the bottom state on its stack; null if memory runs out.
AIndentEngine* AIndent_New(int language);
// A deep copy (null if memory runs out); AIndent_Delete frees either.
AIndentEngine* AIndent_Clone(const AIndentEngine* engine);
void AIndent_Delete(AIndentEngine* engine);
// Feeds one line of len bytes (no terminator needed); returns the wish column the line got
// while it was read (-1: none).
int AIndent_ParseLine(AIndentEngine* engine, const char* text, int len, int indentSize,
                      int tabSize, int64_t lineNumber);
// The wish column of the line to be indented (-1 if no state decided one). The engine itself
// does not move on: feed the line, as re-indented, with AIndent_ParseLine afterwards.
int AIndent_GetIndentColumn(AIndentEngine* engine, const char* text, int len, int indentSize,
                            int tabSize, int64_t lineNumber);
// Whether parsing may start at this line: it begins at column 0 with a letter, digit or
// underscore and, read alone by a fresh engine, turns out to begin a construct.
bool AIndent_ReallyBeginning(bool isAda, const char* text, int len);
// The language an engine was made for.
int AIndent_Language(const AIndentEngine* engine);
