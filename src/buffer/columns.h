// buffer/columns.h: from a display column back to a byte of a line.
#pragma once

// The last byte index from `from` on whose display column (LineCols) is at most `want`: the
// character a click at column `want` lands on. One pass over the line, however long.
int LineIndexAtCol(const char* text, int len, int from, int want);
