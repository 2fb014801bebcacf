// buffer/rect.cc: pasting and deleting rectangles of display columns, each one undo group.
#include <cstring>
#include <string>

#include "buffer/change.h"
#include "buffer/file.h"
#include "config/options.h"

#include "buffer/columns.h"

namespace {

// Walks a line's characters from its start while the character at i ends at or before
// column `upto`; i and c are left at the first that does not, and its start column.
void walkTo(const File* file, const char* p, int len, int upto, int& i, int& c) {
    const int ts = LineTabSize();
    while (i < len) {
        LineChar ch = LineCharAt(p, len, i, c, file->utf8, ts);
        if (ch.next > upto) break;
        c = (int)ch.next;
        i += ch.bytes;
    }
}

} // namespace

int FileRectPaste(File* file, Line* hint, int64_t hintNo, int64_t line, int col,
                  const char* text, int64_t textLen) {
    if (!text || textLen < 0) textLen = 0;
    if (line < 1) line = 1;
    if (col < 0) col = 0;
    Line* at = FileLine(file, line, hint, hintNo);
    int64_t atNo = line;
    int x = col;
    if (at && line <= file->nLines) x = LineCols(FileLineText(file, at), at->len, col, file->utf8);
    UndoGroup group(file, 0);
    group.lS = line, group.cS = col, group.lE = line, group.cE = col;
    int64_t start = 0, k = 0;
    while (start < textLen) {
        const char* lf = (const char*)memchr(text + start, '\n', (size_t)(textLen - start));
        int64_t end = lf ? lf - text : textLen;
        std::string row(text + start, (size_t)(end - start));
        start = end + 1;
        int64_t n = line + k++;
        group.lE = n;
        if (n > file->nLines) {
            // A row below the last line becomes a line of its own, padded out to the column.
            std::string piece = row.empty() ? "\n" : std::string((size_t)x, ' ') + row + "\n";
            FilexChange(file, nullptr, 0, file->nLines + 1, 0, file->nLines + 1, 0,
                        piece.data(), (int64_t)piece.size(), 0, 0);
            continue;
        }
        if (row.empty()) continue;
        Line* l = FileLine(file, n, at, atNo);
        at = l, atNo = n; // the hint follows the rows
        const char* p = FileLineText(file, l);
        int c = 0, i = 0;
        walkTo(file, p, l->len, x, i, c);
        std::string piece;
        int from = i, to = i;
        if (c < x && i < l->len && p[i] == '\t') { // a tab straddles the column: split it
            int next = LineCharAt(p, l->len, i, c, false, LineTabSize()).next;
            piece = std::string((size_t)(x - c), ' ') + row + std::string((size_t)(next - x), ' ');
            to = i + 1;
        } else if (c < x && i < l->len) { // a wide character straddles it: the row goes after
            LineChar ch = LineCharAt(p, l->len, i, c, file->utf8, LineTabSize());
            from = to = i + ch.bytes;
            piece = row;
        } else {
            piece = std::string((size_t)(x - c), ' ') + row;
        }
        group.cE = from + (int)piece.size();
        FilexChange(file, l, n, n, from, n, to, piece.data(), (int64_t)piece.size(), 0, 0);
    }
    return 1;
}

int FileRectDel(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE) {
    if (lE < lS) {
        std::swap(lS, lE);
        std::swap(cS, cE);
    }
    if (cE < cS) std::swap(cS, cE);
    if (lS < 1) lS = 1;
    if (lE > file->nLines) lE = file->nLines;
    if (lS > lE) return 0;
    Line* first = FileLine(file, lS, hint, hintNo);
    Line* last = FileLine(file, lE, first, lS);
    int left = cS, right = cE;
    FileLineCols(file, first, last, &left, &right);
    if (right < left) std::swap(left, right);
    if (left == right) return 1;
    UndoGroup group(file, 0);
    group.lS = lS, group.cS = cS, group.lE = lE, group.cE = cE;
    Line* l = first;
    for (int64_t n = lS; l && n <= lE; n++) {
        const char* p = FileLineText(file, l);
        int c = 0, i = 0;
        walkTo(file, p, l->len, left, i, c);
        int from = i, pad = c < left && i < l->len ? left - c : 0;
        const int ts = LineTabSize();
        while (i < l->len && c < right) {
            LineChar ch = LineCharAt(p, l->len, i, c, file->utf8, ts);
            c = (int)ch.next;
            i += ch.bytes;
        }
        // A tab (or wide character) crossing the right edge keeps its outer part as blanks.
        if (c > right) pad += c - right;
        Line* next = l->next;
        if (i > from) {
            std::string blanks((size_t)pad, ' ');
            FilexChange(file, l, n, n, from, n, i, blanks.data(), (int64_t)blanks.size(), 0, 0);
        }
        l = next;
    }
    return 1;
}
