// editor/editsel.cc: the primary and secondary selections, cursor motion, growing to word and
// line boundaries, and handing selections to the window system's slots.
#include <algorithm>
#include <cctype>
#include <string>

#include "buffer/change.h"
#include "buffer/columns.h"
#include "buffer/file.h"
#include "config/options.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "runtime/gen.h"
#include "toolkit/selection.h"

unsigned long editEventTime = 0; // time of the event being handled (selection ownership)

namespace editsel {

// A line's bytes copied out: FileLineText may point into a cache window that moves.
std::string lineString(File* file, int64_t line) {
    if (!file || line < 1 || line > file->nLines) return std::string();
    Line* l = EditFileLine(file, line);
    return std::string(FileLineText(file, l), (size_t)l->len);
}

bool isAlnumWord(int c) {
    return isalnum(c) || c == '$' || c >= 128;
}

int pixelOf(File* file, int64_t line, int col) {
    if (!file || line < 1 || line > file->nLines) return col * WFontWidth();
    Line* l = EditFileLine(file, line);
    return (int)epColumnAt(file, l, line, col) * WFontWidth();
}

// The byte column of the line whose left edge is nearest to pixel x (one pass over the line).
int columnNear(File* file, int64_t line, int x) {
    if (!file || line < 1 || line > file->nLines) return 0;
    Line* l = EditFileLine(file, line);
    const char* t = FileLineText(file, l);
    int fw = WFontWidth();
    const int ts = LineTabSize();
    int best = 0;
    int64_t bestDist = x < 0 ? -(int64_t)x : x;
    int64_t col = 0;
    for (int c = 0; c < l->len;) {
        LineChar ch = LineCharAt(t, l->len, c, col, file->utf8, ts);
        col = ch.next;
        c += ch.bytes;
        if (c < l->len && file->utf8 && LineCharStart(t, l->len, c, true) != c) continue;
        int64_t px = col * fw;
        int64_t d = px > x ? px - x : x - px;
        if (d < bestDist) best = c, bestDist = d;
        if (px > x) break;
    }
    return best;
}

bool before(int64_t l1, int c1, int64_t l2, int c2) {
    return l1 < l2 || (l1 == l2 && c1 < c2);
}

void redraw(Edit* edit) {
    epDrawRows(edit, 0, (int)EditRows(edit));
    EditUpdateTitle(edit);
}

// Where a motion starts; with extend mode the anchor is fixed first.
void startPoint(EditView& v, bool extend, int hint, int64_t& line, int& col) {
    Selection& s = v.sel[0];
    bool empty = SelEmpty(s);
    if (extend) {
        if (s.flags & SEL_ENDMOVES) {
            line = s.endLine, col = s.endCol;
            s.cursorLine = s.startLine, s.cursorCol = s.startCol;
        } else {
            line = s.startLine, col = s.startCol;
            s.cursorLine = s.endLine, s.cursorCol = s.endCol;
        }
    } else if (hint < 0 && !empty) {
        line = s.startLine, col = s.startCol;
    } else if (hint != 0) {
        line = s.endLine, col = s.endCol;
    } else {
        line = s.cursorLine, col = s.cursorCol;
    }
}

// The common end of every motion: collapse or extend to the point, show it, close the group.
void finishMotion(Edit* edit, int64_t line, int col, bool extend) {
    EditView& v = edit->view;
    File* file = v.file;
    line = std::clamp<int64_t>(line, 1, file->nLines + 1);
    col = EditCharStart(file, line, std::clamp(col, 0, EditLineLen(file, line)));
    v.boundaryMode = 0;
    EditFlashEnd(edit);
    if (extend) {
        vMergeSelection(&v, line, col, &v.sel[0]);
    } else {
        Selection& s = v.sel[0];
        s.startLine = s.endLine = s.cursorLine = line;
        s.startCol = s.endCol = s.cursorCol = col;
        s.flags = 0;
    }
    EditShowCursor(edit);
    redraw(edit);
    FileCloseUndo(file);
}

int classAt(const std::string& t, int i) {
    if (i < 0 || i >= (int)t.size()) return 0;
    int prev = i > 0 ? (unsigned char)t[(size_t)i - 1] : 0;
    int next = i + 1 < (int)t.size() ? (unsigned char)t[(size_t)i + 1] : 0;
    return gen_new_char_type(prev, (unsigned char)t[(size_t)i], next);
}

} // namespace editsel
using namespace editsel;

Line* EditHintLine(File* file) {
    Edit* e = file ? (file->lastEdit ? file->lastEdit : file->edits) : nullptr;
    return e && e->view.file == file && e->view.topLine <= file->nLines ? e->view.topLineRec
                                                                        : nullptr;
}

int64_t EditHintNo(File* file) {
    return EditHintLine(file) ? (file->lastEdit ? file->lastEdit : file->edits)->view.topLine : 0;
}

Line* EditFileLine(File* file, int64_t line) {
    return FileLine(file, line, EditHintLine(file), EditHintNo(file));
}

bool SelEmpty(const Selection& s) {
    return s.startLine == s.endLine && s.startCol == s.endCol;
}

int EditLineLen(File* file, int64_t line) {
    if (!file || line < 1 || line > file->nLines) return 0;
    return EditFileLine(file, line)->len;
}

int EditStepChars(File* file, int64_t line, int col, int delta) {
    int len = EditLineLen(file, line);
    if (!file->utf8 || line > file->nLines) return std::clamp(col + delta, 0, len);
    Line* l = EditFileLine(file, line);
    const char* t = FileLineText(file, l);
    col = LineCharStart(t, len, std::clamp(col, 0, len), true);
    for (; delta > 0 && col < len; delta--) col = LineNextChar(t, len, col, true);
    for (; delta < 0 && col > 0; delta++) col = LinePrevChar(t, len, col, true);
    return col;
}

int EditCharStart(File* file, int64_t line, int col) {
    if (!file->utf8 || line < 1 || line > file->nLines) return col;
    Line* l = EditFileLine(file, line);
    return LineCharStart(FileLineText(file, l), l->len, col, true);
}

int EditColStartOfText(Edit* edit, int64_t line) {
    std::string t = lineString(edit->view.file, line);
    int c = EditStartOfText(edit, line);
    return LineCols(t.data(), (int)t.size(), c, edit->view.file->utf8);
}

int edit_ColumnFromPosition(EditView* view, int64_t line, int column) {
    return pixelOf(view->file, line, column) / WFontWidth() + 1;
}

void EditShowCursor(Edit* edit) {
    EditView& v = edit->view;
    const Selection& s = v.sel[0];
    int64_t line = (s.flags & SEL_ENDMOVES) || SelEmpty(s) ? s.endLine : s.startLine;
    if (SelEmpty(s)) line = s.cursorLine;
    int64_t rows = EditRows(edit);
    if (line < v.topLine)
        EditScrollTo(edit, line);
    else if (line >= v.topLine + rows)
        EditScrollTo(edit, std::max<int64_t>(1, line - rows + 1));
    // Horizontally: keep the cursor's column inside the pane.
    EditPort* port = edit->panes;
    if (port && port->width > 0 && line <= v.file->nLines) {
        int col = SelEmpty(s) ? s.cursorCol : ((s.flags & SEL_ENDMOVES) ? s.endCol : s.startCol);
        int x = pixelOf(v.file, line, col);
        int fw = WFontWidth();
        int h = port->hpos;
        if (x < h)
            h = std::max(0, x - port->width / 2);
        else if (x >= h + port->width - fw)
            h = x - port->width / 2;
        // A selection within one line that fits (a found match) is shown whole, not cut at the
        // pane's edge, as long as the cursor end stays in view.
        if (!SelEmpty(s) && s.startLine == s.endLine) {
            int lo = pixelOf(v.file, line, s.startCol), hi = pixelOf(v.file, line, s.endCol);
            if (hi - lo <= port->width - 2 * fw) {
                if (hi >= h + port->width - fw) h = std::min(lo, hi - port->width + 2 * fw);
                if (lo < h) h = lo;
            }
        }
        h -= h % fw;
        if (h < 0) h = 0;
        if (h != port->hpos) {
            port->hpos = h;
            epDrawRows(edit, 0, (int)EditRows(edit));
            EditsSbSetOne(edit);
        }
    }
}

void EditSetCursor(Edit* edit, int64_t line, int col) {
    finishMotion(edit, line, col, false);
}

void EditSetSelection(Edit* edit, int which, int64_t l1, int c1, int64_t l2, int c2) {
    File* file = edit->view.file;
    Selection& s = edit->view.sel[which];
    l1 = std::clamp<int64_t>(l1, 1, file->nLines + 1);
    l2 = std::clamp<int64_t>(l2, 1, file->nLines + 1);
    c1 = EditCharStart(file, l1, std::clamp(c1, 0, EditLineLen(file, l1)));
    c2 = EditCharStart(file, l2, std::clamp(c2, 0, EditLineLen(file, l2)));
    if (before(l2, c2, l1, c1)) std::swap(l1, l2), std::swap(c1, c2);
    s.startLine = s.cursorLine = l1;
    s.startCol = s.cursorCol = c1;
    s.endLine = l2;
    s.endCol = c2;
    s.flags = SEL_ENDMOVES;
    redraw(edit);
}

void EditPositionAt(Edit* edit, int x, int y, int64_t& line, int& col, bool* over) {
    File* file = edit->view.file;
    int fh = WFontHeight(), fw = WFontWidth();
    EditPort* port = edit->panes;
    if (over) *over = false;
    int row = y < 0 ? -((-y + fh - 1) / fh) : y / fh;
    line = edit->view.topLine + row;
    col = 0;
    if (!file) return;
    line = std::clamp<int64_t>(line, 1, file->nLines + 1);
    if (line > file->nLines) return;
    int px = std::max(0, x - (port ? port->offset : 0)) + (port ? port->hpos : 0);
    std::string t = lineString(file, line);
    // The character whose cell holds the pointer; the nearer edge decides the column.
    int want = (px + fw / 2) / fw;
    col = LineIndexAtCol(t.data(), (int)t.size(), col, want, file->utf8);
    if (over) *over = px / fw < LineCols(t.data(), (int)t.size(), (int)t.size(), file->utf8);
}

void vMergeSelection(EditView* view, int64_t line, int column, Selection* sel) {
    int64_t al = sel->cursorLine;
    int ac = sel->cursorCol;
    if (!before(line, column, al, ac)) {
        sel->startLine = al, sel->startCol = ac;
        sel->endLine = line, sel->endCol = column;
        sel->flags |= SEL_ENDMOVES;
    } else {
        sel->startLine = line, sel->startCol = column;
        sel->endLine = al, sel->endCol = ac;
        sel->flags &= ~SEL_ENDMOVES;
    }
    sel->startCol = std::min(sel->startCol, EditLineLen(view->file, sel->startLine));
    if (view->boundaryMode) epSelectionGrowToBoundary(view, sel, 0);
}

void epSelectionGrowToBoundary(EditView* view, Selection* sel, int redraw) {
    (void)redraw;
    File* file = view->file;
    if (view->boundaryMode == 2) {
        sel->startCol = 0;
        if (sel->endLine <= file->nLines && !(sel->endCol == 0 && sel->endLine > sel->startLine)) {
            if (sel->endLine < file->nLines) {
                sel->endLine++;
                sel->endCol = 0;
            } else if (file->nLines > 0) {
                sel->endLine = file->nLines;
                sel->endCol = EditLineLen(file, file->nLines);
                // The last line's end: a following empty position stays reachable only by
                // SelectAll, so the selection still covers every character of the line.
            }
        }
        return;
    }
    if (view->boundaryMode != 1) return;
    int flags = sel->flags;
    if (SelEmpty(*sel) && !(flags & SEL_OVERCHAR) && sel->startLine <= file->nLines) {
        // A keyboard cursor at the start of a word (or of the line) grows over that word,
        // not over the blank before it.
        std::string t = lineString(file, sel->startLine);
        int c = sel->startCol;
        if (c < (int)t.size() && (c == 0 || classAt(t, c - 1) == 2))
            flags |= SEL_GROWSTART | SEL_GROWEND;
    }
    if (sel->startLine <= file->nLines) {
        std::string t = lineString(file, sel->startLine);
        int s = sel->startCol;
        int ref = (flags & SEL_GROWSTART) ? s : s - 1;
        int cls = classAt(t, ref);
        if (cls != 0) {
            if (!(flags & SEL_GROWSTART)) s = ref;
            while (s > 0 && classAt(t, s - 1) == cls)
                s--;
            sel->startCol = s;
        }
    }
    if (sel->endLine <= file->nLines) {
        std::string t = lineString(file, sel->endLine);
        int e = sel->endCol;
        int ref = (flags & SEL_GROWEND) ? e : e - 1;
        int cls = classAt(t, ref);
        if (cls != 0) {
            e = ref + 1;
            while (e < (int)t.size() && classAt(t, e) == cls)
                e++;
            if (e < (int)t.size() && (t[(size_t)e] == ' ' || t[(size_t)e] == '\t') && cls != 2) e++;
            sel->endCol = e;
        }
    }
    if (before(sel->endLine, sel->endCol, sel->startLine, sel->startCol)) {
        sel->endLine = sel->startLine;
        sel->endCol = sel->startCol;
    }
}

int vGrabSelection(EditView* view, int slot) {
    const Selection& s = view->sel[0];
    if (SelEmpty(s) || !view->file) return 1;
    int64_t len = 0;
    char* text = FileToStr(view->file, EditHintLine(view->file), EditHintNo(view->file),
                           s.startLine, s.startCol, s.endLine, s.endCol, &len);
    std::string data(text ? text : "", (size_t)(text ? len : 0));
    gen_free(text);
    int type = (s.startCol == 0 && !data.empty() && data.back() == '\n') ? WSEL_LINES : WSEL_TEXT;
    if (!WSelectionOwn(view->window, slot, data, type, editEventTime)) {
        Selection& m = view->sel[0];
        m.endLine = m.startLine = m.cursorLine;
        m.endCol = m.startCol = m.cursorCol;
        return 0;
    }
    return 1;
}

void vCharacterMotion(Edit* edit, int delta, int extend, int hint) {
    EditView& v = edit->view;
    int64_t line;
    int col;
    startPoint(v, extend, hint, line, col);
    col = EditStepChars(v.file, line, col, delta);
    finishMotion(edit, line, col, extend);
}

void vLineMotion(Edit* edit, int64_t delta, int extend, int hint) {
    EditView& v = edit->view;
    File* file = v.file;
    int64_t line;
    int col;
    bool empty = SelEmpty(v.sel[0]);
    startPoint(v, extend, hint, line, col);
    int goal = v.goalX >= 0 ? v.goalX : v.prevGoalX >= 0 ? v.prevGoalX : pixelOf(file, line, col);
    v.goalX = goal;
    if (!extend && col == 0 && !empty && delta > 0) delta--;
    line = std::clamp<int64_t>(line + delta, 1, file->nLines + 1);
    col = columnNear(file, line, goal);
    finishMotion(edit, line, col, extend);
    vGrabSelection(&v, 0);
}

// ---- motion commands ----

namespace editsel {

bool ext(Edit* e) {
    return e->extendActive;
}

int cmdLeft(Edit* e, EditCmdCtx*) {
    vCharacterMotion(e, -1, ext(e), -1);
    return 1;
}
int cmdRight(Edit* e, EditCmdCtx*) {
    vCharacterMotion(e, 1, ext(e), 1);
    return 1;
}
int cmdLeftU(Edit* e, EditCmdCtx*) {
    Selection& s = e->view.sel[0];
    if (!SelEmpty(s) && !ext(e)) {
        finishMotion(e, s.startLine, s.startCol, false);
        return 1;
    }
    int64_t line;
    int col;
    startPoint(e->view, ext(e), -1, line, col);
    if (col == 0 && line > 1)
        finishMotion(e, line - 1, EditLineLen(e->view.file, line - 1), ext(e));
    else
        finishMotion(e, line, EditStepChars(e->view.file, line, col, -1), ext(e));
    return 1;
}
int cmdRightD(Edit* e, EditCmdCtx*) {
    Selection& s = e->view.sel[0];
    if (!SelEmpty(s) && !ext(e)) {
        finishMotion(e, s.endLine, s.endCol, false);
        return 1;
    }
    int64_t line;
    int col;
    startPoint(e->view, ext(e), 1, line, col);
    File* f = e->view.file;
    if (line > f->nLines) {
        finishMotion(e, line, col, ext(e));
    } else if (col >= EditLineLen(f, line)) {
        finishMotion(e, line + 1, 0, ext(e));
    } else {
        finishMotion(e, line, EditStepChars(f, line, col, 1), ext(e));
    }
    return 1;
}
int cmdUp(Edit* e, EditCmdCtx*) {
    vLineMotion(e, -1, ext(e), -1);
    return 1;
}
int cmdDown(Edit* e, EditCmdCtx*) {
    vLineMotion(e, 1, ext(e), 1);
    return 1;
}
int some() {
    return editsomesize > 0 ? editsomesize : 1;
}
int cmdUpSome(Edit* e, EditCmdCtx*) {
    vLineMotion(e, -some(), ext(e), -1);
    return 1;
}
int cmdDownSome(Edit* e, EditCmdCtx*) {
    vLineMotion(e, some(), ext(e), 1);
    return 1;
}
int cmdLeftSome(Edit* e, EditCmdCtx*) {
    vCharacterMotion(e, -some(), ext(e), -1);
    return 1;
}
int cmdRightSome(Edit* e, EditCmdCtx*) {
    vCharacterMotion(e, some(), ext(e), 1);
    return 1;
}
int page(Edit* e, int dir) {
    int64_t n = std::max<int64_t>(1, EditRows(e) - 1);
    File* f = e->view.file;
    int64_t top = e->view.topLine + dir * n;
    top = std::clamp<int64_t>(top, 1, std::max<int64_t>(1, f->nLines));
    EditScrollTo(e, top);
    vLineMotion(e, dir * n, ext(e), dir);
    return 1;
}
int cmdPageUp(Edit* e, EditCmdCtx*) {
    return page(e, -1);
}
int cmdPageDown(Edit* e, EditCmdCtx*) {
    return page(e, 1);
}
int cmdSOL0(Edit* e, EditCmdCtx*) {
    int64_t line;
    int col;
    startPoint(e->view, ext(e), -1, line, col);
    finishMotion(e, line, 0, ext(e));
    return 1;
}
int cmdSOL1(Edit* e, EditCmdCtx*) {
    int64_t line;
    int col;
    startPoint(e->view, ext(e), -1, line, col);
    finishMotion(e, line, EditStartOfText(e, line), ext(e));
    return 1;
}
int cmdSOL(Edit* e, EditCmdCtx*) {
    int64_t line;
    int col;
    startPoint(e->view, ext(e), -1, line, col);
    int first = EditStartOfText(e, line);
    finishMotion(e, line, col > first ? first : 0, ext(e));
    return 1;
}
int cmdEOL(Edit* e, EditCmdCtx*) {
    int64_t line;
    int col;
    startPoint(e->view, ext(e), 1, line, col);
    finishMotion(e, line, EditLineLen(e->view.file, line), ext(e));
    return 1;
}
int cmdWord(Edit* e, EditCmdCtx*) {
    int64_t line;
    int col;
    startPoint(e->view, ext(e), 1, line, col);
    File* f = e->view.file;
    std::string t = lineString(f, line);
    // Past line ends and characters that are not alphanumeric, then over a word.
    while (true) {
        if (col < (int)t.size() && !isAlnumWord((unsigned char)t[(size_t)col])) {
            col++;
        } else if (col >= (int)t.size() && line < f->nLines) {
            line++;
            col = 0;
            t = lineString(f, line);
        } else {
            break;
        }
    }
    while (col < (int)t.size() && isAlnumWord((unsigned char)t[(size_t)col]))
        col++;
    finishMotion(e, line, col, ext(e));
    return 1;
}
int cmdReverseWord(Edit* e, EditCmdCtx*) {
    int64_t line;
    int col;
    startPoint(e->view, ext(e), -1, line, col);
    File* f = e->view.file;
    if (line > f->nLines) {
        line = f->nLines;
        col = EditLineLen(f, line);
    }
    std::string t = lineString(f, line);
    col = std::min(col, (int)t.size());
    while (true) {
        if (col > 0 && !isAlnumWord((unsigned char)t[(size_t)col - 1])) {
            col--;
        } else if (col == 0 && line > 1) {
            line--;
            t = lineString(f, line);
            col = (int)t.size();
        } else {
            break;
        }
    }
    while (col > 0 && isAlnumWord((unsigned char)t[(size_t)col - 1]))
        col--;
    finishMotion(e, std::max<int64_t>(1, line), col, ext(e));
    return 1;
}
int cmdSOF(Edit* e, EditCmdCtx*) {
    for (EditPort* p = e->panes; p; p = p->next)
        p->hpos = 0;
    EditScrollTo(e, 1);
    finishMotion(e, 1, 0, ext(e));
    return 1;
}
int cmdEOF(Edit* e, EditCmdCtx*) {
    finishMotion(e, e->view.file->nLines + 1, 0, ext(e));
    return 1;
}
int cmdReturn(Edit* e, EditCmdCtx*) {
    int64_t line;
    int col;
    startPoint(e->view, ext(e), 1, line, col);
    File* f = e->view.file;
    if (line >= f->nLines)
        finishMotion(e, f->nLines + 1, 0, ext(e));
    else
        finishMotion(e, line + 1, EditStartOfText(e, line + 1), ext(e));
    return 1;
}
int cmdContinueSelection(Edit* e, EditCmdCtx*) {
    e->extendPending = true;
    // A Shift+arrow is this command and a motion: the goal of a vertical run survives it.
    e->view.goalX = e->view.prevGoalX;
    return 1;
}

// ---- selection commands ----

int clicksMode(Edit* e) {
    int c = e->pressClicks;
    return c >= 3 ? 2 : c == 2 ? 1 : 0;
}

void startAt(Edit* e, int which, EditCmdCtx* ctx) {
    EditView& v = e->view;
    int64_t line;
    int col;
    bool over = false;
    if (EditHasLocation(ctx)) {
        EditPositionAt(e, ctx->x, ctx->y, line, col, &over);
    } else {
        line = v.sel[0].cursorLine;
        col = v.sel[0].cursorCol;
    }
    Selection& s = v.sel[which];
    s.startLine = s.endLine = s.cursorLine = line;
    s.startCol = s.endCol = s.cursorCol = col;
    s.flags = over ? (SEL_OVERCHAR | SEL_GROWSTART | SEL_GROWEND) : 0;
    v.boundaryMode = clicksMode(e);
    v.lastStart = which;
    if (which == 0) EditFlashEnd(e);
    redraw(e);
}

void adjustTo(Edit* e, int which, EditCmdCtx* ctx) {
    EditView& v = e->view;
    if (!EditHasLocation(ctx)) return;
    int64_t line;
    int col;
    bool over = false;
    EditPositionAt(e, ctx->x, ctx->y, line, col, &over);
    Selection& s = v.sel[which];
    if (over)
        s.flags |= SEL_GROWEND;
    else
        s.flags &= ~SEL_GROWEND;
    vMergeSelection(&v, line, col, &s);
    redraw(e);
}

int grow(Edit* e, int which, int mode) {
    EditView& v = e->view;
    v.boundaryMode = mode;
    Selection& s = v.sel[which];
    epSelectionGrowToBoundary(&v, &s, 1);
    // The grown selection is extended from its start.
    s.cursorLine = s.startLine;
    s.cursorCol = s.startCol;
    s.flags |= SEL_ENDMOVES;
    redraw(e);
    if (which == 0) vGrabSelection(&v, 0);
    return 1;
}

int selectAll(Edit* e, int which) {
    File* f = e->view.file;
    Selection& s = e->view.sel[which];
    s.startLine = s.cursorLine = 1;
    s.startCol = s.cursorCol = 0;
    s.endLine = f->nLines + 1;
    s.endCol = 0;
    s.flags = SEL_ENDMOVES;
    redraw(e);
    if (which == 0) vGrabSelection(&e->view, 0);
    return 1;
}

int cmdSelectionStart(Edit* e, EditCmdCtx* ctx) {
    startAt(e, 0, ctx);
    return 1;
}
int cmdSelectionStartDrag(Edit* e, EditCmdCtx* ctx) {
    // Drag and drop: a press inside the selection of a writable File picks the text up.
    if (draganddrop && EditHasLocation(ctx) && !e->view.file->readOnly && !SelEmpty(e->view.sel[0])) {
        int64_t line;
        int col;
        EditPositionAt(e, ctx->x, ctx->y, line, col);
        const Selection& s = e->view.sel[0];
        if (!before(line, col, s.startLine, s.startCol) && before(line, col, s.endLine, s.endCol)) {
            e->dragging = true;
            e->dragCopy = false;
            return 1;
        }
    }
    startAt(e, 0, ctx);
    return 1;
}
int cmdSelectionStartDragAdd(Edit* e, EditCmdCtx* ctx) {
    int r = cmdSelectionStartDrag(e, ctx);
    if (e->dragging) e->dragCopy = true;
    return r;
}
int cmdSelectionAdjust(Edit* e, EditCmdCtx* ctx) {
    if (e->dragging) return 1;
    adjustTo(e, 0, ctx);
    vGrabSelection(&e->view, 0);
    return 1;
}
int cmdSelectionExtend(Edit* e, EditCmdCtx* ctx) {
    Selection& s = e->view.sel[0];
    // The anchor is the end that stays: the one away from the pointer's side.
    if (EditHasLocation(ctx)) {
        int64_t line;
        int col;
        EditPositionAt(e, ctx->x, ctx->y, line, col);
        if (s.flags & SEL_ENDMOVES)
            s.cursorLine = s.startLine, s.cursorCol = s.startCol;
        else
            s.cursorLine = s.endLine, s.cursorCol = s.endCol;
        vMergeSelection(&e->view, line, col, &s);
        redraw(e);
    }
    return 1;
}
int cmdSelectionGrab(Edit* e, EditCmdCtx* ctx) {
    if (e->dragging) return EditDropDragged(e, ctx);
    vGrabSelection(&e->view, 0);
    return 1;
}
int cmdSelectWord(Edit* e, EditCmdCtx*) {
    return grow(e, 0, 1);
}
int cmdSelectLine(Edit* e, EditCmdCtx*) {
    return grow(e, 0, 2);
}
int cmdSelectAll(Edit* e, EditCmdCtx*) {
    return selectAll(e, 0);
}
int cmdSelectToLines(Edit* e, EditCmdCtx*) {
    EditView& v = e->view;
    int saved = v.boundaryMode;
    v.boundaryMode = 2;
    epSelectionGrowToBoundary(&v, &v.sel[0], 1);
    v.boundaryMode = saved;
    redraw(e);
    return 1;
}
int cmdNoSelection(Edit* e, EditCmdCtx*) {
    Selection& s = e->view.sel[0];
    e->dragging = false;
    s.startLine = s.endLine = s.cursorLine;
    s.startCol = s.endCol = s.cursorCol;
    s.flags = 0;
    e->view.boundaryMode = 0;
    redraw(e);
    return 1;
}
int cmdSecondaryStart(Edit* e, EditCmdCtx* ctx) {
    startAt(e, 1, ctx);
    return 1;
}
int cmdSecondaryWord(Edit* e, EditCmdCtx*) {
    return grow(e, 1, 1);
}
int cmdSecondaryLine(Edit* e, EditCmdCtx*) {
    return grow(e, 1, 2);
}
int cmdSecondaryAll(Edit* e, EditCmdCtx*) {
    return selectAll(e, 1);
}
int cmdSecondaryAdjust(Edit* e, EditCmdCtx* ctx) {
    adjustTo(e, 1, ctx);
    return 1;
}
int cmdPrimaryToSecondary(Edit* e, EditCmdCtx*) {
    Selection& p = e->view.sel[0];
    Selection& s = e->view.sel[1];
    s.startLine = s.endLine = s.cursorLine = p.cursorLine;
    s.startCol = s.endCol = s.cursorCol = p.cursorCol;
    s.flags = 0;
    return 1;
}
int cmdSecondaryToPrimary(Edit* e, EditCmdCtx*) {
    Selection& s = e->view.sel[1];
    finishMotion(e, s.startLine, s.startCol, false);
    return 1;
}
int cmdSOLSecondary(Edit* e, EditCmdCtx*) {
    Selection& s = e->view.sel[1];
    s.startCol = s.endCol = s.cursorCol = 0;
    s.endLine = s.cursorLine = s.startLine;
    return 1;
}

} // namespace editsel
using namespace editsel;

