// buffer/match.h: matching pairs (brackets, comments, quotes, conditional compilation) and the
// tables of pairs per language family.
#pragma once

#include <cstdint>
#include <string_view>

struct File;
struct Line;

enum MatchPairFlags : int {
    MP_NONEST = 0x20, // the pair does not nest (comments)
    MP_SAME = 0x40,   // opener and closer are the same token (quotes)
    MP_EOL = 0x80,    // the pair ends at the end of the line
    MP_CPP = 0x100,   // conditional compilation: nests only with rows of its own class
};

struct MatchPair {
    const char* opener;
    const char* closer; // null: the pair runs to the end of the line
    int escape;         // a byte that makes the next one ordinary, 0 for none
    int flags;
};

struct MatchInfo {
    const MatchPair* rows;
    int count;
};

extern const MatchInfo pascalMatchInfo;
extern const MatchInfo defaultMatchInfo;

const MatchInfo* MInfoFFile(File* file);

// Whether an opener or closer of the File's table starts at byte pos of text.
int FileMatchable(File* file, std::string_view text, int pos);

// The partner of the token at (line, col): for an opener its closer, for a closer its opener,
// whose extent becomes (line, col)-(endLine, endCol). 1 found, 0 when the token has none.
// Backward searches go at most maxBack lines back unless maxBack is negative.
int FileMatchSelection(File* file, const MatchInfo* table, int caseFold, int64_t& line, int& col,
                       int64_t& endLine, int& endCol, Line* hint, int64_t hintNo, int maxBack);

// Widens (l1, c1)-(l2, c2) to the nearest pair enclosing it, opener to closer end. Without
// one the selection becomes the whole File and 0 is returned.
int FileCompleteSelection(File* file, const MatchInfo* table, int caseFold, int64_t& l1, int& c1,
                          int64_t& l2, int& c2, Line* hint, int64_t hintNo);
