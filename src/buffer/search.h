// buffer/search.h: finding a pattern in a File forwards or backwards, and replacing every match.
#pragma once

#include <cstdint>

struct File;
struct Line;

// Search flag bits, built by the editor from the search state.
enum SearchFlagBits : int {
    SF_EXACT = 1,      // exact case; without it ASCII letters compare case-blind
    SF_WILD = 2,       // '?' and '*' are wildcards
    SF_REGEX = 4,      // regular expression
    SF_WORDSTART = 8,  // the match starts at a word start
    SF_WORDEND = 16,   // the match ends at a word end
    SF_COL0 = 32,      // the match starts at column 0
    SF_EOL = 64,       // the match ends at the end of a line
};

// 1 found (the four positions are the match), 0 not found, -1 malformed or aborted.
int FileFind(File* file, Line* hint, int64_t hintNo, int64_t& line, int& col, int64_t& endLine,
             int& endCol, int direction, int fromEdge, const char* pattern, int patLen, int flags);
// The same with the Line of the match as result: null when none, FindErrorLine() on error.
Line* FilexFind(File* file, Line* hint, int64_t hintNo, int64_t& line, int& col, int64_t& endLine,
                int& endCol, int direction, int fromEdge, const char* pattern, int patLen,
                int flags);
inline Line* FindErrorLine() { return reinterpret_cast<Line*>(intptr_t(-1)); }

// Replaces every match from the top as one undo group, never searching inserted text again.
// 1 replaced something, 0 nothing matched, -1 error. (line, col) becomes the end of the last
// replacement; firstLine the smallest changed line when it was negative or larger.
int FileReplaceAll(File* file, int64_t& line, int& col, const char* pattern, int patLen,
                   const char* replacement, int repLen, int flags, int64_t& firstLine);

// The same within the range from (fromLine, fromCol) to (toLine, toCol): only matches that lie
// wholly inside it are replaced (the searcher's "In Selection").
int FileReplaceRange(File* file, int64_t fromLine, int fromCol, int64_t toLine, int toCol,
                     int64_t& line, int& col, const char* pattern, int patLen,
                     const char* replacement, int repLen, int flags, int64_t& firstLine);

// The first match starting in `line` at or after `col` (it may run on over later lines):
// its start column, -1 for none, -2 for a malformed expression. lineEnds is the number of
// line ends it crosses; end its end column on its last line when it crosses some, else its
// length. BMatchesHere: the last match starting at or before `col`.
int FMatchesHere(File* file, Line* line, int col, const char* pattern, int patLen, int& lineEnds,
                 int& end, int flags);
int BMatchesHere(File* file, Line* line, int col, const char* pattern, int patLen, int& lineEnds,
                 int& end, int flags);
