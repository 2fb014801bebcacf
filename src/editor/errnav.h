// editor/errnav.h: error navigation over command output Files.
#pragma once

#include <cstdint>
#include <string>

struct Edit;
struct File;

// What one line of an error list says.
enum {
    ERR_LINE_NONE = 0,     // nothing usable: the next line is tried
    ERR_LINE_POSITION = 1, // file and line
    ERR_LINE_CHAR = 2,     // file and character offset
    ERR_LINE_LRM = 3,      // a reference-manual chapter
    ERR_LINE_NO_INFO = 4,  // a line that has no position by its nature
};
struct ErrorPos {
    std::string file;       // an existing file, resolved against the list's directory
    int64_t line = -1;
    int64_t charOffset = -1;
    std::string chapter;    // ERR_LINE_LRM
};
// Reads a line of compiler, make or grep output. dir: where the command ran.
int ErrorParseLine(const std::string& text, int cursorCol, const std::string& dir, ErrorPos& pos);

// The navigator: the next line of the error list (or line `line`, -1 to continue after the
// current one) that names a file and a line, opened with that line selected.
int Edit_NextError(Edit* edit, File* list, int64_t line, int report);
