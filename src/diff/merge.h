// diff/merge.h: cursors walking two or three line pairings in step: finding the next and
// previous difference, its extent in each file, the automatic three-way choice, and the texts
// of change marks. Nothing here knows of Files; the editor's merge windows use it.
#pragma once

#include <string>

#include "diff/diff.h"

// One file taking part: its current line (from 1; past the end when number > lines), the
// length of the current difference block there, and how many lines the file has.
struct DiffCursor {
    int number = 1;
    int count = 0;
    int lines = 0;
    bool ended() const { return number > lines; }
    int remaining() const { return number > lines ? 0 : lines - number + 1; }
};

// Two files, file 1 the old side of the pairing (OA), file 2 the new side (NA).
// Advances both cursors over common lines: -1 (cursors unchanged) when stopAtEnd is set and
// both files ended, else whether either file still has lines.
int FindDiff2(DiffCursor* c1, DiffCursor* c2, const DiffResult* r, int stopAtEnd);
// Sets both counts to the current difference's extent; true when there is one.
int FindEndOfDiff2(DiffCursor* c1, DiffCursor* c2, const DiffResult* r);
// Moves both cursors to the start of the previous difference; 0 at the start of both files
// (nothing moves).
int FindPreviousDiff2(DiffCursor* c1, DiffCursor* c2, const DiffResult* r);

// Three files: r1 pairs the base (old side) with file 1, r2 the base with file 2.
int FindDiff3(DiffCursor* c1, DiffCursor* c2, DiffCursor* cb, const DiffResult* r1,
              const DiffResult* r2);
int FindEndOfDiff3(DiffCursor* c1, DiffCursor* c2, DiffCursor* cb, const DiffResult* r1,
                   const DiffResult* r2);
// Whether the pairing shows no difference at all.
int DiffIdentical(const DiffResult* r);

// The automatic three-way rules at the current difference: which block to take without
// asking (1 file 1, 2 file 2), or 0 when the user must choose.
int DiffAutoChoice3(const DiffCursor& c1, const DiffCursor& c2, const DiffCursor& cb,
                    const DiffResult* r1, const DiffResult* r2);

// Whether lines n1.. of r1's new side and n2.. of r2's new side (count lines each) are equal.
bool DiffSameLines(const DiffResult* r1, int n1, const DiffResult* r2, int n2, int count);

// The change-mark texts for a result file name: header, separator and end lines, the prefix
// of the first block's lines (none) and of the second block's.
struct ChangeMarks {
    std::string header, separator, end, prefix1, prefix2;
    bool newFirst = true; // the first block (the new code) before the second
};
ChangeMarks DiffChangeMarks(const char* resultName, const char* user, const char* date24);
