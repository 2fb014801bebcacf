// buffer/rect.cc: pasting and deleting rectangles of display columns, each one undo group.
#include <cstring>
#include <string>

#include "buffer/change.h"
#include "buffer/file.h"
#include "config/options.h"

static int nextCol(char ch, int col) {
    int t = tabsize > 0 ? tabsize : 8;
    return ch == '\t' ? t * ((col + t) / t) : col + 1;
}

int FileRectPaste(File* file, Line* hint, int64_t hintNo, int64_t line, int col,
                  const char* text, int64_t textLen) {
    if (!text || textLen < 0) textLen = 0;
    if (line < 1) line = 1;
    if (col < 0) col = 0;
    Line* at = FileLine(file, line, hint, hintNo);
    int64_t atNo = line;
    int x = col;
    if (at && line <= file->nLines) x = LineCols(FileLineText(file, at), at->len, col);
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
        while (i < l->len && nextCol(p[i], c) <= x) c = nextCol(p[i++], c);
        std::string piece;
        int from = i, to = i;
        if (c < x && i < l->len) { // a tab straddles the column: split it into blanks
            int next = nextCol(p[i], c);
            piece = std::string((size_t)(x - c), ' ') + row + std::string((size_t)(next - x), ' ');
            to = i + 1;
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
        while (i < l->len && nextCol(p[i], c) <= left) c = nextCol(p[i++], c);
        int from = i, pad = c < left && i < l->len ? left - c : 0;
        while (i < l->len && c < right) c = nextCol(p[i++], c);
        if (c > right) pad += c - right; // a tab crossing the right edge keeps its outer part
        Line* next = l->next;
        if (i > from) {
            std::string blanks((size_t)pad, ' ');
            FilexChange(file, l, n, n, from, n, i, blanks.data(), (int64_t)blanks.size(), 0, 0);
        }
        l = next;
    }
    return 1;
}
