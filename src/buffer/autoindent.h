// buffer/autoindent.h: indenting a File's lines with the automatic indenter (indent/), which
// the buffer feeds line by line; its saved parser is the File's checkpoint.
#pragma once

#include <cstdint>

struct File;
struct Line;

enum AutoIndentFlags {
    AI_COMMENTS_GIVEN = 0x1, // the caller decides whether comments are re-indented...
    AI_TOUCH_COMMENTS = 0x2, // ...and this is its answer
};

// Whether the File's language has an automatic indenter (C, C++, Java, Ada).
bool FileCanAutoIndent(const File* file);
// Indents lines lS..lE (an end at column 0 of a later line excludes that line) as the
// indenter proposes; all changes form one undo group. 1 on success, 0 when the File's
// language has no indenter or the switch "noautoindent" is on.
int FileAutoIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE,
                   int flags);
int FilexAutoIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE,
                    int cE, int flags, int undoMode);
// Drops the File's saved parser (the lines above it changed, or the File goes).
void FileDropAutoIndentCheckpoint(File* file);
