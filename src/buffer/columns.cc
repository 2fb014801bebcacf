// buffer/columns.cc: display columns, line widths and copying text out of a File.
#include <climits>
#include <cstring>
#include <string>

#include "buffer/bytescan.h"
#include "buffer/columns.h"
#include "buffer/file.h"
#include "config/options.h"
#include "runtime/gen.h"

static inline int tabStop(int col) {
    int t = tabsize > 0 ? tabsize : 8;
    return t * ((col + t) / t);
}

// Width of a line as maxWidth counts it: 1 to start, 1 per byte, 2 per control byte.
int LineWidth(const char* text, int len) {
    return LineWidthFrom(1, text, len);
}

int LineWidthFrom(int w, const char* text, int len) {
    // Saturates well below INT_MAX: a gigabyte of control bytes must not wrap.
    const int limit = INT_MAX / 2;
    for (int i = 0; i < len && w < limit; i++) {
        // A run of ordinary bytes counts one column each.
        int at = (int)NextControlByte(text, (size_t)i, (size_t)len);
        if (at > i) {
            w = at - i < limit - w ? w + (at - i) : limit;
            i = at;
            if (i >= len || w >= limit) break;
        }
        unsigned char b = (unsigned char)text[i];
        if (b == '\t')
            w = tabStop(w);
        else if (b < 0x20)
            w += 2;
        else
            w++;
    }
    return w < limit ? w : limit;
}

void FileSetMaxW(File* file, Line* line) {
    if (!line) return;
    int w = LineWidth(FileLineText(file, line), line->len);
    if (w > file->maxWidth) file->maxWidth = w;
}

void FileFindMaxWidth(File* file) {
    file->maxWidth = 0;
    file->widestOff = -1;
    file->widestW = 0;
    file->widestTab = tabsize;
    for (Line* l = file->first; l; l = l->next) {
        bool inTemp = l->allocLen == lnInFile;
        if (inTemp && (file->cacheBase < 0 || l->offset < file->cacheBase ||
                       l->offset + l->len > file->cacheBase + file->cacheLen))
            FileCache(file, l, 1, 1);
        int w = LineWidth(FileLineText(file, l), l->len);
        if (w > file->maxWidth) file->maxWidth = w;
        if (inTemp && w > file->widestW) {
            file->widestW = w;
            file->widestOff = l->offset;
        }
    }
}

int LineCols(const char* text, int len, int index) {
    const int64_t limit = INT_MAX / 2;
    int64_t col = 0;
    int n = index < len ? index : len;
    // Without tabs a byte is a column; memchr finds that out far faster than the walk below,
    // and the cursor's column is asked for on every keystroke in lines of any length.
    int i = 0;
    if (n > 0) {
        const void* tab = memchr(text, '\t', (size_t)n);
        i = tab ? (int)((const char*)tab - text) : n;
        col = i;
    }
    for (; i < n && col < limit; i++) {
        if (text[i] == '\t')
            col = tabStop((int)col);
        else
            col++;
    }
    if (index > len) col += index - len;
    return (int)(col < limit ? col : limit);
}

int LineIndexAtCol(const char* text, int len, int from, int want) {
    // The columns only grow along the line: walk it once to the last byte at or before want.
    int at = 0;
    if (!memchr(text, '\t', (size_t)len)) {
        at = want < len ? want : len;
    } else {
        int64_t col = 0;
        while (at < len) {
            int64_t next = text[at] == '\t' ? tabStop((int)col) : col + 1;
            if (next > want) break;
            col = next;
            at++;
        }
    }
    return at > from ? at : from;
}

void FileLineCols(File* file, Line* line1, Line* line2, int* col1, int* col2) {
    if (line1 && col1) *col1 = LineCols(FileLineText(file, line1), line1->len, *col1);
    if (line2 && col2) *col2 = LineCols(FileLineText(file, line2), line2->len, *col2);
}

int64_t FileCurrentSize(File* file) {
    int64_t size = 0;
    int per = file->dosMode ? 2 : 1;
    for (Line* l = file->first; l; l = l->next) size += l->len + per;
    return size;
}

static char* finish(std::string& s, int64_t* len) {
    if (len) *len = (int64_t)s.size();
    char* out = (char*)gen_alloc(1, s.size() + 1);
    memcpy(out, s.data(), s.size());
    return out;
}

char* FileToStr(File* file, Line* hint, int64_t hintNo, int64_t l1, int c1, int64_t l2, int c2,
                int64_t* len) {
    if (l1 > l2 || (l1 == l2 && c1 > c2)) {
        std::swap(l1, l2);
        std::swap(c1, c2);
    }
    if (c1 < 0) c1 = 0;
    if (c2 < 0) c2 = 0;
    std::string s;
    Line* first = FileLine(file, l1, hint, hintNo);
    if (!first || l1 < 1) return finish(s, len);
    Line* lastLine = FileLine(file, l2, first, l1);
    if (lastLine && c2 > lastLine->len) {
        l2++;
        c2 = 0;
    }
    FileCache(file, first, l2 - l1 + 1, 1);
    Line* l = first;
    for (int64_t n = l1; l && n <= l2; n++, l = l->next) {
        const char* text = FileLineText(file, l);
        int from = n == l1 ? (c1 < l->len ? c1 : l->len) : 0;
        int to = n == l2 ? (c2 < l->len ? c2 : l->len) : l->len;
        if (to > from) s.append(text + from, (size_t)(to - from));
        if (n < l2) s += '\n';
    }
    return finish(s, len);
}

char* FileRectToStr(File* file, Line* hint, int64_t hintNo, int64_t l1, int c1, int64_t l2,
                    int c2, int64_t* len) {
    if (l1 > l2) std::swap(l1, l2);
    if (c1 > c2) std::swap(c1, c2);
    std::string s;
    Line* first = FileLine(file, l1, hint, hintNo);
    if (!first || l1 < 1) return finish(s, len);
    Line* lastLine = FileLine(file, l2, first, l1);
    int left = c1, right = c2;
    FileLineCols(file, first, lastLine, &left, &right);
    if (!lastLine) right = c2;
    if (left > right) std::swap(left, right);
    FileCache(file, first, l2 - l1 + 1, 1);
    Line* l = first;
    for (int64_t n = l1; l && n <= l2; n++, l = l->next) {
        const char* text = FileLineText(file, l);
        int col = 0;
        bool cut = false;
        for (int i = 0; i < l->len && col < right; i++) {
            int next = text[i] == '\t' ? tabStop(col) : col + 1;
            if (text[i] == '\t') {
                if (next > right && col >= left) {
                    cut = true; // a tab crossing the right edge ends the piece
                    break;
                }
                for (int c = col > left ? col : left; c < next && c < right; c++) s += ' ';
            } else if (col >= left) {
                s += text[i];
            }
            col = next;
        }
        if (!cut)
            for (int c = col > left ? col : left; c < right; c++) s += ' ';
        s += '\n';
    }
    return finish(s, len);
}
