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

// Width of a line as maxWidth counts it: 1 to start, 1 per byte, 2 per control byte; in a
// UTF-8 File a character beyond ASCII its display width.
int LineWidth(const char* text, int len, bool utf8) {
    return LineWidthFrom(1, text, len, utf8);
}

int LineWidthFrom(int w, const char* text, int len, bool utf8) {
    // Saturates well below INT_MAX: a gigabyte of control bytes must not wrap.
    const int limit = INT_MAX / 2;
    for (int i = 0; i < len && w < limit;) {
        // A run of ordinary bytes counts one column each.
        int at = (int)(utf8 ? NextControlOrHighByte(text, (size_t)i, (size_t)len)
                            : NextControlByte(text, (size_t)i, (size_t)len));
        if (at > i) {
            w = at - i < limit - w ? w + (at - i) : limit;
            i = at;
            if (i >= len || w >= limit) break;
        }
        unsigned char b = (unsigned char)text[i];
        if (b >= 0x80) {
            char32_t c;
            i += Utf8Decode(text + i, (size_t)(len - i), &c);
            w += c == kUtf8Invalid ? 1 : Utf8Width(c);
            continue;
        }
        if (b == '\t')
            w = tabStop(w);
        else if (b < 0x20)
            w += 2;
        else
            w++;
        i++;
    }
    return w < limit ? w : limit;
}

void FileSetMaxW(File* file, Line* line) {
    if (!line) return;
    int w = LineWidth(FileLineText(file, line), line->len, file->utf8);
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
        int w = LineWidth(FileLineText(file, l), l->len, file->utf8);
        if (w > file->maxWidth) file->maxWidth = w;
        if (inTemp && w > file->widestW) {
            file->widestW = w;
            file->widestOff = l->offset;
        }
    }
}

void FileSawNotUtf8(File* file) {
    if (!file->utf8) return;
    if (file->nonAscii) {
        file->badUtf8 = true;
        return;
    }
    file->utf8 = false;
    FileFindMaxWidth(file);
}

bool FileRecheckUtf8(File* file) {
    if (file->utf8 && !file->badUtf8) return false;
    Utf8Checker check;
    bool high = false;
    for (Line* l = file->first; l && check.valid; l = l->next) {
        if (l->allocLen == lnInFile && (file->cacheBase < 0 || l->offset < file->cacheBase ||
                                        l->offset + l->len > file->cacheBase + file->cacheLen))
            FileCache(file, l, 1, 1);
        const char* text = FileLineText(file, l);
        if (!high) high = Utf8NextHigh(text, 0, (size_t)l->len) < (size_t)l->len;
        check.feed(text, (size_t)l->len);
        check.feed("\n", 1);
    }
    bool utf8 = check.finish();
    file->badUtf8 = false;
    if (utf8) file->nonAscii = high;
    if (utf8 == file->utf8) return false;
    file->utf8 = utf8;
    FileFindMaxWidth(file);
    return true;
}

bool Utf8AroundChange(const char* s, size_t n, size_t from, size_t to) {
    size_t i = from >= 3 ? from - 3 : 0;
    // Continuation bytes here end a character that started before: the change left it alone.
    while (i < from && ((unsigned char)s[i] & 0xC0) == 0x80) i++;
    size_t end = to + 4 < n ? to + 4 : n;
    if (Utf8NextHigh(s, i, end) >= end) return true;
    while (i <= to && i < n) {
        char32_t c;
        i += (size_t)Utf8Decode(s + i, n - i, &c);
        if (c == kUtf8Invalid) return false;
    }
    return true;
}

int LineTabSize() {
    return tabsize > 0 ? tabsize : 8;
}

int LineCols(const char* text, int len, int index, bool utf8) {
    const int64_t limit = INT_MAX / 2;
    int64_t col = 0;
    int n = index < len ? index : len;
    // Without tabs (and, in UTF-8, without multi-byte characters) a byte is a column; memchr
    // finds that out far faster than the walk below, and the cursor's column is asked for on
    // every keystroke in lines of any length.
    int i = 0;
    if (n > 0) {
        const void* tab = memchr(text, '\t', (size_t)n);
        i = tab ? (int)((const char*)tab - text) : n;
        if (utf8) i = (int)Utf8NextHigh(text, 0, (size_t)i);
        col = i;
    }
    const int ts = LineTabSize();
    while (i < n && col < limit) {
        LineChar c = LineCharAt(text, len, i, col, utf8, ts);
        col = c.next;
        i += c.bytes;
    }
    if (index > len) col += index - len;
    return (int)(col < limit ? col : limit);
}

int LineIndexAtCol(const char* text, int len, int from, int want, bool utf8) {
    // The columns only grow along the line: walk it once to the last boundary at or before
    // want (past the combining marks of the character there).
    int at = 0;
    bool plain = !memchr(text, '\t', (size_t)len) &&
                 (!utf8 || Utf8NextHigh(text, 0, (size_t)len) == (size_t)len);
    if (plain) {
        at = want < len ? want : len;
    } else {
        const int ts = LineTabSize();
        int64_t col = 0;
        while (at < len) {
            LineChar c = LineCharAt(text, len, at, col, utf8, ts);
            if (c.next > want) break;
            col = c.next;
            at += c.bytes;
        }
    }
    return at > from ? at : from;
}

namespace {

// The start of the sequence holding byte i, when i is inside a well-formed one; else i.
int sequenceStart(const char* text, int len, int i) {
    for (int k = 1; k <= 3 && i - k >= 0; k++) {
        unsigned char b = (unsigned char)text[i - k];
        if ((b & 0xC0) == 0x80) continue;
        char32_t c;
        int n = Utf8Decode(text + i - k, (size_t)(len - (i - k)), &c);
        return c != kUtf8Invalid && n > k ? i - k : i;
    }
    return i;
}

bool isMark(const char* text, int len, int i) {
    if (i >= len || (unsigned char)text[i] < 0x80) return false;
    char32_t c;
    Utf8Decode(text + i, (size_t)(len - i), &c);
    return c != kUtf8Invalid && Utf8Width(c) == 0;
}

} // namespace

int LineCharStart(const char* text, int len, int i, bool utf8) {
    if (!utf8 || i <= 0 || i >= len) return i;
    i = sequenceStart(text, len, i);
    // A mark belongs to the character before it.
    while (i > 0 && isMark(text, len, i)) i = sequenceStart(text, len, i - 1);
    return i;
}

int LineNextChar(const char* text, int len, int i, bool utf8) {
    if (!utf8 || i >= len) return i + 1;
    char32_t c;
    i += Utf8Decode(text + i, (size_t)(len - i), &c);
    while (i < len && isMark(text, len, i)) i += Utf8Decode(text + i, (size_t)(len - i), &c);
    return i;
}

int LinePrevChar(const char* text, int len, int i, bool utf8) {
    if (i <= 0) return 0;
    if (!utf8 || i > len) return i - 1;
    return LineCharStart(text, len, i - 1, utf8);
}

void FileLineCols(File* file, Line* line1, Line* line2, int* col1, int* col2) {
    if (line1 && col1)
        *col1 = LineCols(FileLineText(file, line1), line1->len, *col1, file->utf8);
    if (line2 && col2)
        *col2 = LineCols(FileLineText(file, line2), line2->len, *col2, file->utf8);
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
        const int ts = LineTabSize();
        for (int i = 0; i < l->len && col < right;) {
            LineChar c = LineCharAt(text, l->len, i, col, file->utf8, ts);
            int next = (int)c.next;
            if (text[i] == '\t' && next > right && col >= left) {
                cut = true; // a tab crossing the right edge ends the piece
                break;
            }
            if (col >= left && next <= right && text[i] != '\t') {
                s.append(text + i, (size_t)c.bytes);
            } else if (next > left) {
                // A tab, or a wide character the edge cuts, leaves its cells inside as blanks.
                for (int k = col > left ? col : left; k < next && k < right; k++) s += ' ';
            }
            col = next;
            i += c.bytes;
        }
        if (!cut)
            for (int c = col > left ? col : left; c < right; c++) s += ' ';
        s += '\n';
    }
    return finish(s, len);
}
