// buffer/change.cc: replacing text between two positions and indenting lines, with the undo
// records that take them back.
#include "buffer/change.h"

#include <cstring>
#include <string>
#include <vector>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/notify.h"
#include "buffer/undo.h"
#include "config/options.h"
#include "runtime/gen.h"
#include "runtime/utf8.h"

// ---- line primitives ----

void LineGrow(Line* line, int extra) {
    MAssert(line->allocLen != lnInFile);
    if (line->allocLen >= line->len + extra + 1) return;
    int32_t alloc = line->len + extra + 10;
    line->text = (char*)gen_realloc(line->text, (size_t)alloc + 1);
    line->allocLen = alloc;
}

void LineChange(Line* line, int from, int to, const char* bytes, int n) {
    MAssert(line->allocLen != lnInFile);
    lineTextStamp++;
    if (from < 0) from = 0;
    if (to > line->len) to = line->len;
    if (from > line->len) from = line->len;
    if (to < from) to = from;
    if (n < 0) n = 0;
    int grow = n - (to - from);
    if (grow > 0) LineGrow(line, grow);
    memmove(line->text + from + n, line->text + to, (size_t)(line->len - to));
    if (n) memcpy(line->text + from, bytes, (size_t)n);
    line->len += grow;
    line->text[line->len] = 0;
}

int LineIndentWidth(const char* text, int len, int tabsize, int* firstNonWhite) {
    int t = tabsize > 0 ? tabsize : 8;
    int col = 0, i = 0;
    for (; i < len && (text[i] == ' ' || text[i] == '\t'); i++)
        col = text[i] == '\t' ? t * ((col + t) / t) : col + 1;
    if (firstNonWhite) *firstNonWhite = i;
    return col;
}

void LineIndent(Line* line, int delta, int useTabs, int tabsize) {
    MAssert(line->allocLen != lnInFile);
    int white = 0;
    int width = LineIndentWidth(line->text, line->len, tabsize, &white);
    int want = width + delta;
    if (want < 0) want = 0;
    std::string lead;
    if (useTabs && tabsize > 0) {
        lead.assign((size_t)(want / tabsize), '\t');
        lead.append((size_t)(want % tabsize), ' ');
    } else {
        lead.assign((size_t)want, ' ');
    }
    LineChange(line, 0, white, lead.data(), (int)lead.size());
}

// Gives a line exactly these bytes as its own text.
static void lineSet(File* file, Line* line, const char* bytes, size_t n) {
    FileTouchLine(file, line);
    lineTextStamp++;
    if (line->allocLen == lnInFile || line->allocLen < (int64_t)n + 1) {
        if (line->allocLen != lnInFile) gen_free(line->text);
        line->allocLen = (int32_t)n + 10;
        line->text = (char*)gen_alloc(1, (size_t)line->allocLen + 1);
    }
    if (n) memmove(line->text, bytes, n);
    line->len = (int32_t)n;
    line->text[n] = 0;
}

// ---- recording ----

void UndoPush(File* file, UndoRec* rec, int undoMode) {
    UndoRec** list = undoMode == 1 ? &file->redo : &file->undo;
    if (*list) (*list)->flags |= UNDO_CLOSED;
    rec->next = *list;
    *list = rec;
}

// The position reached from (l, c) over text: each LF moves to column 0 of the next line.
static void advance(int64_t& l, int& c, const std::string& t) {
    size_t lastLf = t.rfind('\n');
    if (lastLf == std::string::npos) {
        c += (int)t.size();
        return;
    }
    for (char ch : t)
        if (ch == '\n') l++;
    c = (int)(t.size() - lastLf - 1);
}

static bool before(int64_t l1, int c1, int64_t l2, int c2) {
    return l1 < l2 || (l1 == l2 && c1 < c2);
}

static bool UndoWithin(const UndoRec* undo, int64_t lS, int cS, int64_t lE, int cE) {
    return !before(lS, cS, undo->lS, undo->cS) && lE == undo->lE && cE == undo->cE;
}

static void UndoAppend(UndoRec* undo, int64_t lS, int cS, int64_t lE, int cE,
                       const std::string& t) {
    MAssert(UndoWithin(undo, lS, cS, lE, cE));
    advance(lS, cS, t);
    undo->lE = (int32_t)lS;
    undo->cE = cS;
}

static void FileManipDoes(File* file, Line* first, int64_t lS, int cS, int64_t lE, int cE,
                          const std::string& t, int mergeable, int undoMode, bool noFinalNl,
                          bool undoesNoFinalNl, int64_t newEndL, int newEndC) {
    UndoRec* top = file->undo;
    if (undoMode == 0 && mergeable && top && top->text && !noFinalNl &&
        !(top->flags & (UNDO_CLOSED | UNDO_GROUP | UNDO_NOFINALNL)) &&
        UndoWithin(top, lS, cS, lE, cE)) {
        UndoAppend(top, lS, cS, lE, cE, t);
    } else {
        int64_t len = 0;
        char* saved = FileToStr(file, first, first ? lS : 0, lS, cS, lE, cE, &len);
        if (undoesNoFinalNl && len > 0) saved[--len] = 0;
        UndoRec* rec = UndoNew();
        rec->lS = (int32_t)lS;
        rec->cS = cS;
        rec->lE = (int32_t)newEndL;
        rec->cE = newEndC;
        rec->oldDL = (int32_t)(lE - lS);
        rec->oldDC = cE - cS;
        rec->text = saved;
        rec->textLen = (int32_t)len;
        if (noFinalNl) rec->flags |= UNDO_NOFINALNL;
        UndoPush(file, rec, undoMode);
    }
    if (undoMode == 0) {
        UndoFreeList(file->redo);
        file->redo = nullptr;
    }
}

// The indenter's saved parser read the lines above its line: a change there makes it stale.
static void checkpointSees(File* file, int64_t lS) {
    if (file->aiCheckpointLine >= 0 && lS < file->aiCheckpointLine) file->aiCheckpointLine = -1;
}

void FileMarkModified(File* file) {
    bool was = file->modified;
    file->modified = true;
    file->journalDirty = true;
    if (!was) FileModifiedUpdate(file);
}

// ---- replacing a region ----

// The width of the line typed into last, while no line's text has changed since: typing at
// the end of a long line then measures only the new bytes.
static struct {
    const Line* line = nullptr;
    int32_t len = 0;
    int width = 0;
    int tab = 0;
    bool utf8 = false;
    uint64_t stamp = 0;
} typedWidth;

// A change that stays within one line edits it in place.
static void changeWithinLine(File* file, Line* line, int cS, int cE, const std::string& t) {
    bool known = cS == line->len && cE == cS && line->allocLen != lnInFile &&
                 typedWidth.line == line && typedWidth.len == line->len &&
                 typedWidth.tab == tabsize && typedWidth.utf8 == file->utf8 &&
                 typedWidth.stamp == lineTextStamp;
    int width = typedWidth.width;
    FileInstanciateLine(file, line);
    LineChange(line, cS, cE, t.data(), (int)t.size());
    // Taking bytes out of a line never makes it wider (every byte moves the width on, and a
    // tab stop never lies lower for a lower start), so maxWidth, which covers every line as
    // long as the tab size stays, needs no look.
    if (t.empty() && file->widestTab == tabsize) return;
    width = known ? LineWidthFrom(width, t.data(), (int)t.size(), file->utf8)
                  : LineWidth(line->text, line->len, file->utf8);
    if (width > file->maxWidth) file->maxWidth = width;
    typedWidth.line = line;
    typedWidth.len = line->len;
    typedWidth.width = width;
    typedWidth.tab = tabsize;
    typedWidth.utf8 = file->utf8;
    typedWidth.stamp = lineTextStamp;
}

int FileChange(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE,
               const char* text, int64_t textLen, int mergeable) {
    return FilexChange(file, hint, hintNo, lS, cS, lE, cE, text, textLen, mergeable, 0);
}

int FilexChange(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE,
                const char* text, int64_t textLen, int mergeable, int undoMode,
                bool undoesNoFinalNl) {
    if (!text || textLen < 0) textLen = 0;
    if (before(lE, cE, lS, cS)) {
        std::swap(lS, lE);
        std::swap(cS, cE);
    }
    checkpointSees(file, lS);
    // Line ends in the new text become plain LFs.
    std::string t;
    t.reserve((size_t)textLen);
    for (int64_t i = 0; i < textLen; i++) {
        char ch = text[i];
        if (ch == '\r') {
            if (i + 1 < textLen && text[i + 1] == '\n') i++;
            ch = '\n';
        }
        t += ch;
    }
    const int64_t nL = file->nLines;
    if (lS < 1) lS = 1, cS = 0;
    if (lS > nL) lS = nL + 1, cS = 0;
    if (cS < 0) cS = 0;
    Line* first = lS <= nL ? FileLine(file, lS, hint, hintNo) : nullptr;
    if (first && cS > first->len) cS = first->len;
    if (lE < lS) lE = lS, cE = cS;
    if (lE > nL) lE = nL + 1, cE = 0;
    Line* last = lE <= nL ? FileLine(file, lE, first ? first : hint, first ? lS : hintNo)
                          : nullptr;
    if (last && cE > last->len) {
        lE++;
        cE = 0;
        last = last->next;
    }
    if (cE < 0) cE = 0;
    if (lE == lS && cE < cS) cE = cS;
    bool endsTerm = !t.empty() && t.back() == '\n';
    // A region running to the end of the text would take the final line's terminator with
    // it, which the line store puts back: replace up to the terminator instead.
    if (!last && first && ((!t.empty() && !endsTerm) || (t.empty() && cS > 0))) {
        last = file->last;
        lE = nL;
        cE = last->len;
    }
    // Only text added after the last line can leave the File without a final terminator.
    bool noFinalNl = !first && !t.empty() && !endsTerm;
    int64_t newEndL = lS;
    int newEndC = cS;
    advance(newEndL, newEndC, t);
    if (noFinalNl) newEndL++, newEndC = 0;
    int64_t shownL = lE;
    int shownC = cE;
    if (cE == 0 && lE > lS) {
        Line* prev = last ? last->prev : file->last;
        shownL = lE - 1;
        shownC = prev ? prev->len + 1 : 1;
    }
    if (first) FileCache(file, first, lE - lS + 1, 1);
    FileManipDoes(file, first, lS, cS, lE, cE, t, mergeable, undoMode, noFinalNl,
                  undoesNoFinalNl, newEndL, newEndC);

    const bool tHigh = Utf8NextHigh(t.data(), 0, t.size()) < t.size();
    if (first && last == first && t.find('\n') == std::string::npos) {
        changeWithinLine(file, first, cS, cE, t);
        if (file->utf8 && (tHigh || file->nonAscii) &&
            !Utf8AroundChange(first->text, (size_t)first->len, (size_t)cS, (size_t)cS + t.size()))
            FileSawNotUtf8(file);
        if (tHigh) file->nonAscii = true;
        FileMarkModified(file);
        FileShowChange(file, lS, cS, newEndL, newEndC, shownL, shownC, lE, cE);
        return 1;
    }
    std::string content;
    if (first) content.assign(FileLineText(file, first), (size_t)cS);
    content += t;
    if (last) content.append(FileLineText(file, last) + cE, (size_t)(last->len - cE));
    const size_t tFrom = first ? (size_t)cS : 0;
    const bool keepsUtf8 = !file->utf8 || !(tHigh || file->nonAscii) ||
                           Utf8AroundChange(content.data(), content.size(), tFrom, tFrom + t.size());
    std::vector<std::pair<size_t, size_t>> pieces;
    for (size_t start = 0;;) {
        size_t lf = content.find('\n', start);
        if (lf == std::string::npos) {
            pieces.emplace_back(start, content.size() - start);
            break;
        }
        pieces.emplace_back(start, lf - start);
        start = lf + 1;
    }
    if (!last && pieces.back().second == 0) pieces.pop_back(); // nothing follows the last LF

    Line* after = last ? last->next : nullptr;
    Line* l = first;
    size_t k = 0;
    for (; l && l != after && k < pieces.size(); k++) {
        lineSet(file, l, content.data() + pieces[k].first, pieces[k].second);
        FileSetMaxW(file, l);
        l = l->next;
    }
    for (; k < pieces.size(); k++)
        FileInsertS(file, after, content.data() + pieces[k].first, (int)pieces[k].second);
    while (l && l != after) {
        Line* next = l->next;
        FileRemove(file, l);
        l = next;
    }
    if (!keepsUtf8) FileSawNotUtf8(file);
    if (tHigh) file->nonAscii = true;
    FileMarkModified(file);
    FileShowChange(file, lS, cS, newEndL, newEndC, shownL, shownC, lE, cE);
    return 1;
}

// ---- indenting ----

int FileIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int64_t lE, int delta) {
    return FilexIndent(file, hint, hintNo, lS, lE, delta, 0);
}

int FilexIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int64_t lE, int delta,
                int undoMode) {
    if (lE < lS) std::swap(lS, lE);
    if (lS < 1) lS = 1;
    if (lE > file->nLines) lE = file->nLines;
    if (lS > lE) return 0;
    Line* l = FileLine(file, lS, hint, hintNo);
    FileCache(file, l, lE - lS + 1, 1);
    FileIndentLines(file, l, lS, lE, delta, undoMode);
    FileShowChange(file, lS, -1, lE, -1, lE, -1, lE, -1);
    return 1;
}

void FileIndentLines(File* file, Line* first, int64_t lS, int64_t lE, int delta, int undoMode) {
    checkpointSees(file, lS);
    UndoRec* rec = UndoNew();
    rec->lS = (int32_t)lS;
    rec->lE = (int32_t)lE;
    rec->cS = rec->cE = -1;
    rec->textLen = -delta;
    UndoPush(file, rec, undoMode);
    if (undoMode == 0) {
        UndoFreeList(file->redo);
        file->redo = nullptr;
    }
    Line* l = first;
    for (int64_t n = lS; l && n <= lE; n++, l = l->next) {
        FileInstanciateLine(file, l);
        LineIndent(l, delta, tabsize != 0 && !indentwithblanks, tabsize);
        FileSetMaxW(file, l);
    }
    FileMarkModified(file);
}

void FileCloseUndo(File* file) {
    if (file->undo) file->undo->flags |= UNDO_CLOSED;
}

void FileMergeLines(File* file, Line* line) {
    if (!line || !line->next) return;
    Line* next = line->next;
    FileInstanciateLine(file, line);
    std::string tail(FileLineText(file, next), (size_t)next->len);
    LineChange(line, line->len, line->len, tail.data(), (int)tail.size());
    FileRemove(file, next);
    FileSetMaxW(file, line);
}
