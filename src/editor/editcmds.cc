// editor/editcmds.cc: the commands that change text: typing and word wrap, new lines, delete
// and backspace, the clipboards, indentation, undo and redo, repeat, joins, block comments,
// case changes, bracket matching, the date, and the read-only check in front of them all.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/match.h"
#include "buffer/save.h"
#include "buffer/search_pat.h"
#include "buffer/undo.h"
#include "buffer/vchook.h"
#include "config/cfg.h"
#include "config/options.h"
#include "editor/cmdhandlers.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "lang/syn.h"
#include "runtime/gen.h"
#include "toolkit/eventloop.h"
#include "toolkit/selection.h"

extern unsigned long editEventTime;

namespace editcmds {

std::string lineString(File* file, int64_t line) {
    if (!file || line < 1 || line > file->nLines) return std::string();
    Line* l = EditFileLine(file, line);
    return std::string(FileLineText(file, l), (size_t)l->len);
}

bool before(int64_t l1, int c1, int64_t l2, int c2) {
    return l1 < l2 || (l1 == l2 && c1 < c2);
}

int langId(File* f) {
    return f->language ? f->language->id : 0;
}

void redraw(Edit* edit) {
    epDrawRows(edit, 0, (int)EditRows(edit));
    EditUpdateTitle(edit);
}

// Where a point ends up after (sl,sc)-(el,ec) was replaced by text ending at (nl,nc).
void movePoint(int64_t& l, int& c, int64_t sl, int sc, int64_t el, int ec, int64_t nl, int nc) {
    if (before(l, c, sl, sc)) return;
    if (before(l, c, el, ec)) {
        l = nl, c = nc;
        return;
    }
    if (l == el) c = c - ec + nc;
    l += nl - el;
}

// The end of text inserted at (l, c).
void endOf(int64_t l, int c, const std::string& t, int64_t& nl, int& nc) {
    nl = l, nc = c;
    for (char ch : t) {
        if (ch == '\n')
            nl++, nc = 0;
        else
            nc++;
    }
}

// Indentation of `width` display columns: at most three tabs (none with indentwithblanks),
// then blanks.
std::string indentText(int width) {
    int ts = tabsize > 0 ? tabsize : 8;
    width = std::clamp(width, 0, 1000);
    int tabs = indentwithblanks ? 0 : std::min(3, width / ts);
    return std::string((size_t)tabs, '\t') + std::string((size_t)(width - tabs * ts), ' ');
}

int firstNonBlankCol(const std::string& t) {
    int i = 0;
    while (i < (int)t.size() && (t[(size_t)i] == ' ' || t[(size_t)i] == '\t'))
        i++;
    return LineCols(t.data(), (int)t.size(), i);
}

// ---- word wrap ----

bool EditShouldWrap(Edit* edit) {
    File* f = edit->view.file;
    const Selection& s = edit->view.sel[0];
    if (!SelEmpty(s) || s.cursorLine > f->nLines) return false;
    std::string t = lineString(f, s.cursorLine);
    int col = std::min(s.cursorCol, (int)t.size());
    if (LineCols(t.data(), (int)t.size(), col) < f->wrapColumn) return false;
    int words = 0;
    bool inWord = false;
    for (int i = 0; i < col; i++) {
        bool b = t[(size_t)i] == ' ' || t[(size_t)i] == '\t';
        if (!b && !inWord) words++;
        inWord = !b;
    }
    return words >= 2;
}

bool EditWordWrap(Edit* edit) {
    File* f = edit->view.file;
    Selection& s = edit->view.sel[0];
    int64_t line = s.cursorLine;
    std::string t = lineString(f, line);
    int col = std::min(s.cursorCol, (int)t.size());
    int b = col - 1;
    while (b >= 0 && t[(size_t)b] != ' ' && t[(size_t)b] != '\t')
        b--;
    if (b < 0) return false;
    int width = firstNonBlankCol(t) + (line == edit->wrapLine ? 0 : f->wrapIndent);
    std::string ins = "\n" + indentText(width);
    f->lastEdit = edit;
    FileChange(f, EditHintLine(f), EditHintNo(f), line, b, line, b + 1, ins.data(),
               (int64_t)ins.size(), 0);
    int newCol = (int)ins.size() - 1 + (col - b - 1);
    s.startLine = s.endLine = s.cursorLine = line + 1;
    s.startCol = s.endCol = s.cursorCol = newCol;
    edit->wrapLine = line + 1;
    return true;
}

// ---- bracket flash ----

Edit* flashEdit = nullptr;
ExtraHandle* flashTimer = nullptr; // the pending return of the cursor
bool flashFiring = false;

bool editAlive(Edit* edit) {
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next)
        if (cw->kind == CW_EDIT && cw->data == edit) return true;
    return false;
}

int flashTimeout(void*, int) {
    flashFiring = true;
    if (flashEdit && editAlive(flashEdit)) EditFlashEnd(flashEdit);
    flashFiring = false;
    ExtraProcess_Release(flashTimer);
    flashTimer = nullptr;
    return 1; // done: the loop removes the entry
}

// Stops a pending return of the cursor (not from inside the timer itself).
void stopFlashTimer() {
    if (!flashTimer || flashFiring) return;
    ExtraProcess_Kill(flashTimer, 0);
    ExtraProcess_Release(flashTimer);
    flashTimer = nullptr;
}

// The partner of the bracket at (line, col): 1 with its position.
int matchAt(Edit* edit, int64_t line, int col, int64_t& ml, int& mc, int64_t& el, int& ec,
            int maxBack) {
    File* f = edit->view.file;
    if (line < 1 || line > f->nLines || col < 0 || col >= EditLineLen(f, line)) return 0;
    ml = line, mc = col;
    return FileMatchSelection(f, MInfoFFile(f), 0, ml, mc, el, ec, EditHintLine(f), EditHintNo(f),
                              maxBack);
}

void flashMatch(Edit* edit, int always) {
    File* f = edit->view.file;
    const Selection& s = edit->view.sel[0];
    if (!SelEmpty(s) || s.cursorCol < 1) return;
    int64_t ml, el;
    int mc, ec;
    if (!matchAt(edit, s.cursorLine, s.cursorCol - 1, ml, mc, el, ec, 100)) {
        if (f->language && langId(f) != 0) WBeep();
        return;
    }
    int tenths = EditParenMatch > 0 ? EditParenMatch : (always ? 10 : 0);
    if (tenths <= 0) return;
    EditFlashEnd(flashEdit && editAlive(flashEdit) ? flashEdit : edit);
    edit->flashSaved = s;
    edit->flashing = true;
    Selection& m = edit->view.sel[0];
    m.startLine = m.endLine = m.cursorLine = ml;
    m.startCol = m.endCol = m.cursorCol = mc;
    redraw(edit);
    flashEdit = edit;
    stopFlashTimer();
    flashTimer = ExtraProcess_Create(XP_TIMER, tenths * 100, flashTimeout, nullptr, nullptr);
}

// ---- pasting ----

void deliver(Edit* edit, const std::string& text, int type) {
    File* f = edit->view.file;
    int which = edit->pasteSecondary ? 1 : 0;
    bool rect = edit->pasteRect || type == WSEL_RECT;
    bool col0 = edit->pasteLinesCol0 && type == WSEL_LINES;
    edit->pasteSecondary = edit->pasteRect = edit->pasteLinesCol0 = false;
    if (text.empty()) return; // nobody owned the slot
    Selection& target = edit->view.sel[which];
    if (col0 && SelEmpty(target)) target.startCol = target.endCol = target.cursorCol = 0;
    if (rect) {
        Selection& s = edit->view.sel[which];
        f->lastEdit = edit;
        FileRectPaste(f, EditHintLine(f), EditHintNo(f), s.startLine, s.startCol, text.data(),
                      (int64_t)text.size());
    } else {
        EditAddChars(edit, text.data(), (int64_t)text.size(), which, 0);
    }
    FileCloseUndo(f);
}

int requestPaste(Edit* edit, int slot, bool rect, bool secondary) {
    if (EditReadOnlyCheck(edit)) return 1;
    edit->pasteRect = rect;
    edit->pasteSecondary = secondary;
    edit->pasteLinesCol0 = edit->unknownLinesSlot == slot;
    std::string text;
    int type = 0;
    // Data this process holds needs no round trip through the display.
    if (WSelectionOwned(slot, &text, &type)) {
        deliver(edit, text, type);
        return 1;
    }
    if (!WSelectionRequest(edit->view.window, slot, editEventTime)) {
        edit->pasteRect = edit->pasteSecondary = false;
    }
    return 1;
}

// ---- the normalised selection widened to whole lines ----

void wholeLines(Edit* edit, int64_t& l1, int64_t& l2, int& endCol) {
    File* f = edit->view.file;
    const Selection& s = edit->view.sel[0];
    l1 = s.startLine;
    l2 = s.endLine;
    if (s.endCol == 0 && l2 > l1) l2--;
    l1 = std::clamp<int64_t>(l1, 1, std::max<int64_t>(1, f->nLines));
    l2 = std::clamp<int64_t>(l2, l1, std::max<int64_t>(1, f->nLines));
    endCol = EditLineLen(f, l2);
}

std::string replaceAll(const std::string& s, const std::string& from, const std::string& to) {
    std::string out;
    size_t i = 0;
    while (true) {
        size_t j = s.find(from, i);
        if (j == std::string::npos) break;
        out.append(s, i, j - i);
        out += to;
        i = j + from.size();
    }
    out.append(s, i, std::string::npos);
    return out;
}

// Replaces lines l1..l2 (to endCol) by text in one change and selects the new text.
void replaceLines(Edit* edit, int64_t l1, int64_t l2, int endCol, const std::string& text) {
    File* f = edit->view.file;
    f->lastEdit = edit;
    FileChange(f, EditHintLine(f), EditHintNo(f), l1, 0, l2, endCol, text.data(),
               (int64_t)text.size(), 0);
    int64_t nl;
    int nc;
    endOf(l1, 0, text, nl, nc);
    EditSetSelection(edit, 0, l1, 0, nl, nc);
}

std::string regionText(File* f, int64_t l1, int c1, int64_t l2, int c2) {
    int64_t len = 0;
    char* t = FileToStr(f, EditHintLine(f), EditHintNo(f), l1, c1, l2, c2, &len);
    std::string s(t ? t : "", (size_t)(t ? len : 0));
    gen_free(t);
    return s;
}

} // namespace editcmds
using namespace editcmds;

// ---- shared routines ----

void EditFlashEnd(Edit* edit) {
    if (!edit || !edit->flashing) return;
    edit->flashing = false;
    edit->view.sel[0] = edit->flashSaved;
    if (flashEdit == edit) {
        flashEdit = nullptr;
        stopFlashTimer();
    }
    redraw(edit);
}

// A file nobody may write: no write permission for us, or no write bit at all (which the
// superuser's access() would overlook; version control marks checked-in files that way).
static bool diskReadOnly(const char* name) {
    struct stat st;
    if (stat(name, &st) != 0) return false;
    return access(name, W_OK) != 0 || !(st.st_mode & 0222);
}

// The first change of an unmodified read-only File under version control checks it out.
// Returns 1 when the File may now be changed, 0 when not (with the reason shown when
// `shown` is set).
static int autoCheckout(Edit* edit, File* f, bool* shown) {
    *shown = false;
    if (f->modified || f->viewOnly || f->checkinOnClose || edit->fixed || !file_UnderVC(f))
        return 0;
    std::string name = f->name;
    char* holder = nullptr;
    int mine = file_IsCheckedOut(f, &holder, nullptr);
    bool ok = false;
    if (holder && !mine) {
        std::string m = name + " already checked out by " + holder;
        EditSetMsg(edit, m.c_str());
        *shown = true;
    } else if (mine) {
        ok = true;
    } else if (f->noAutoCheckout || preventautocheckout) {
        std::string m =
            "You must check " + name + " out of Version Control or enable Auto-Checkout";
        EditSetMsg(edit, m.c_str());
        WBeep();
        *shown = true;
    } else {
        std::string m = "Checking " + name + " out of Version Control... ";
        EditSetMsg(edit, m.c_str());
        ok = file_CheckOut(f) == 1;
        EditSetMsg(edit, (m + (ok ? "OK" : "FAILED")).c_str());
        *shown = true;
        if (ok) {
            FileCloseUndo(f);
            FileSemiRevert(f);
            EditsSbSet(f);
        }
    }
    gen_free(holder);
    if (!ok) return 0;
    f->readOnly = diskReadOnly(f->name) || f->loadReadOnly;
    return f->readOnly ? 0 : 1;
}

int EditReadOnlyCheck(Edit* edit) {
    File* f = edit->view.file;
    if (!f) return 1;
    bool refuse;
    bool shown = false;
    if (f->internal || !f->name) {
        refuse = f->readOnly || f->viewOnly;
    } else {
        refuse = f->viewOnly || f->loadReadOnly;
        if (!refuse && f->readOnly) {
            // The indicator follows the disk: a file made writable since is editable again.
            if (diskReadOnly(f->name))
                refuse = !autoCheckout(edit, f, &shown);
            else
                f->readOnly = false;
        }
    }
    if (!refuse && !f->haslock && !incr_AcquireLock(f)) refuse = true;
    if (refuse) {
        if (!shown) {
            WBeep();
            const char* text = cfg_Text("status.readonly");
            EditSetMsg(edit, text && *text ? text : "Window is read only");
        }
        Selection& s2 = edit->view.sel[1];
        s2.endLine = s2.startLine = s2.cursorLine;
        s2.endCol = s2.startCol = s2.cursorCol;
    }
    EditsReadOnlyUpdate(f);
    return refuse ? 1 : 0;
}

int EditAddChars(Edit* edit, const char* text, int64_t length, int which, int typed) {
    EditView& v = edit->view;
    File* f = v.file;
    Selection& s = v.sel[which];
    std::string t(text ? text : "", (size_t)std::max<int64_t>(0, length));
    if (v.boundaryMode == 1 && !t.empty()) {
        std::string last = s.endLine <= f->nLines ? lineString(f, s.endLine) : std::string();
        bool selBlank =
            s.endCol > 0 && s.endCol <= (int)last.size() && last[(size_t)s.endCol - 1] == ' ';
        if (!typed && t.back() == ' ' && !selBlank)
            t.pop_back();
        else if (selBlank && !SelEmpty(s))
            s.endCol--;
    } else if (v.boundaryMode == 2 && (t.empty() || t.back() != '\n') && s.endCol == 0 &&
               s.endLine > s.startLine) {
        s.endLine--;
        s.endCol = EditLineLen(f, s.endLine);
    }
    if (s.startLine < 1) {
        EditSetMsg(edit, "No Selection");
        return 1;
    }
    bool wrapped = false;
    if (typed && which == 0 && f->wordWrap && !t.empty() && t.find('\n') == std::string::npos &&
        EditShouldWrap(edit))
        wrapped = EditWordWrap(edit);
    Selection primary = v.sel[0];
    int64_t sl = s.startLine, el = s.endLine;
    int sc = s.startCol, ec = s.endCol;
    f->lastEdit = edit;
    FileChange(f, EditHintLine(f), EditHintNo(f), sl, sc, el, ec, t.data(), (int64_t)t.size(),
               typed && !wrapped ? 1 : 0);
    int64_t nl;
    int nc;
    endOf(sl, sc, t, nl, nc);
    if (which == 1) {
        // A quick paste leaves the cursor where it was.
        movePoint(primary.startLine, primary.startCol, sl, sc, el, ec, nl, nc);
        movePoint(primary.endLine, primary.endCol, sl, sc, el, ec, nl, nc);
        movePoint(primary.cursorLine, primary.cursorCol, sl, sc, el, ec, nl, nc);
        v.sel[0] = primary;
        Selection& s2 = v.sel[1];
        s2.startLine = s2.endLine = s2.cursorLine = nl;
        s2.startCol = s2.endCol = s2.cursorCol = nc;
        s2.flags = 0;
    } else {
        Selection& p = v.sel[0];
        p.startLine = p.endLine = p.cursorLine = nl;
        p.startCol = p.endCol = p.cursorCol = nc;
        p.flags = 0;
    }
    v.boundaryMode = 0;
    // The change notice drew the changed rows with the cursor at the change's end; a quick
    // paste put the cursor back, so its row is drawn again.
    if (which == 1) redraw(edit);
    EditShowCursor(edit);
    return 1;
}

int EditTypedChars(Edit* edit, const char* text, int64_t length) {
    if (edit->search.active) {
        EditContinueSearching(edit, 1, text, length);
        return 1;
    }
    EditAddChars(edit, text, length, 0, 1);
    if (length > 0) {
        char last = text[length - 1];
        if ((last == ')' || last == '}' || last == ']') && EditParenMatch > 0) flashMatch(edit, 0);
    }
    return 1;
}

bool EditSlotContents(int slot, std::string* text, int* type) {
    return WSelectionOwned(slot, text, type);
}

void EditPasteArrived(Edit* edit, const WEvent& ev) {
    deliver(edit, ev.text, ev.selType);
}

int EditCopyCmd(Edit* edit, int op, int slot) {
    EditView& v = edit->view;
    File* f = v.file;
    Selection& s = v.sel[0];
    switch (op) {
    case 0: // copy
        if (!SelEmpty(s)) vGrabSelection(&v, slot);
        return 1;
    case 1: // cut
        if (SelEmpty(s) || EditReadOnlyCheck(edit)) return 1;
        vGrabSelection(&v, slot);
        v.boundaryMode = 0;
        return EditAddChars(edit, "", 0, 0, 0);
    case 2:
        return requestPaste(edit, slot, false, false);
    case 3:
    case 4: {
        if (SelEmpty(s)) return 1;
        if (op == 4 && EditReadOnlyCheck(edit)) return 1;
        int64_t len = 0;
        char* t = FileRectToStr(f, EditHintLine(f), EditHintNo(f), s.startLine, s.startCol,
                                s.endLine, s.endCol, &len);
        std::string data(t ? t : "", (size_t)(t ? len : 0));
        gen_free(t);
        WSelectionOwn(v.window, slot, data, WSEL_RECT, editEventTime);
        if (op == 4) {
            f->lastEdit = edit;
            FileRectDel(f, EditHintLine(f), EditHintNo(f), s.startLine, s.startCol, s.endLine,
                        s.endCol);
        }
        return 1;
    }
    default:
        return requestPaste(edit, slot, true, false);
    }
}

// ---- commands ----

namespace editcmds {

#define CLIP(name, op, slot)                                                                       \
    int name(Edit* e, EditCmdCtx*) {                                                               \
        return EditCopyCmd(e, op, slot);                                                           \
    }
CLIP(cmdCopy1, 0, 1)
CLIP(cmdCopy2, 0, 2)
CLIP(cmdCopy3, 0, 3)
CLIP(cmdCopy4, 0, 4)
CLIP(cmdCut1, 1, 1)
CLIP(cmdCut2, 1, 2)
CLIP(cmdCut3, 1, 3)
CLIP(cmdCut4, 1, 4)
CLIP(cmdPaste1, 2, 1)
CLIP(cmdPaste2, 2, 2)
CLIP(cmdPaste3, 2, 3)
CLIP(cmdPaste4, 2, 4)
CLIP(cmdRectCopy1, 3, 1)
CLIP(cmdRectCopy2, 3, 2)
CLIP(cmdRectCopy3, 3, 3)
CLIP(cmdRectCopy4, 3, 4)
CLIP(cmdRectCut1, 4, 1)
CLIP(cmdRectCut2, 4, 2)
CLIP(cmdRectCut3, 4, 3)
CLIP(cmdRectCut4, 4, 4)
CLIP(cmdRectPaste1, 5, 1)
#undef CLIP

int cmdSecondaryReplace(Edit* e, EditCmdCtx*) {
    return requestPaste(e, 0, false, true);
}
int cmdSecondaryReplaceClip(Edit* e, EditCmdCtx*) {
    return requestPaste(e, 1, false, true);
}

int cmdInsertNewline(Edit* e, EditCmdCtx*) {
    if (EditReadOnlyCheck(e)) return 1;
    File* f = e->view.file;
    Selection& s = e->view.sel[0];
    std::string first = lineString(f, s.startLine);
    int width = firstNonBlankCol(first);
    if (s.endLine <= f->nLines) {
        std::string t = lineString(f, s.endLine);
        while (s.endCol < (int)t.size() &&
               (t[(size_t)s.endCol] == ' ' || t[(size_t)s.endCol] == '\t'))
            s.endCol++;
    }
    while (s.startCol > 0 && s.startCol <= (int)first.size() &&
           (first[(size_t)s.startCol - 1] == ' ' || first[(size_t)s.startCol - 1] == '\t'))
        s.startCol--;
    std::string ins = "\n" + indentText(width);
    e->view.boundaryMode = 0;
    return EditAddChars(e, ins.data(), (int64_t)ins.size(), 0, 1);
}

int cmdDelete(Edit* e, EditCmdCtx*) {
    if (EditReadOnlyCheck(e)) return 1;
    if (SelEmpty(e->view.sel[0])) return 1;
    return EditAddChars(e, "", 0, 0, 0);
}

int cmdBackspace(Edit* e, EditCmdCtx*) {
    if (e->search.active) {
        EditSearchBackspace(e);
        return 1;
    }
    if (EditReadOnlyCheck(e)) return 1;
    Selection& s = e->view.sel[0];
    File* f = e->view.file;
    if (SelEmpty(s)) {
        if (s.startCol > 0) {
            s.startCol = std::min(s.startCol, EditLineLen(f, s.startLine)) - 1;
        } else if (s.startLine > 1) {
            s.startLine--;
            s.startCol = EditLineLen(f, s.startLine);
        } else {
            return 1;
        }
    }
    return EditAddChars(e, "", 0, 0, 1);
}

int cmdTab(Edit* e, EditCmdCtx*) {
    if (e->search.active || EditReadOnlyCheck(e)) return 1;
    return EditTypedChars(e, "\t", 1);
}

int firstNonWhite(File* f, int64_t line) {
    std::string t = lineString(f, line);
    int i = 0;
    while (i < (int)t.size() && (t[(size_t)i] == ' ' || t[(size_t)i] == '\t'))
        i++;
    return i;
}

int indentBy(Edit* e, int sign) {
    File* f = e->view.file;
    int size = langId(f) == 4 ? f->adaIndentSize : f->indentSize;
    if (EditReadOnlyCheck(e)) return 1;
    f->lastEdit = e;
    Selection& s = e->view.sel[0];
    if (s.startLine > f->nLines) {
        const char nl = '\n';
        FileChange(f, EditHintLine(f), EditHintNo(f), f->nLines + 1, 0, f->nLines + 1, 0, &nl, 1,
                   0);
        s.startLine = s.endLine = s.cursorLine = f->nLines;
        s.startCol = s.endCol = s.cursorCol = 0;
    }
    int64_t l1 = s.startLine, l2 = s.endLine;
    if (s.endCol == 0 && l2 > l1) l2--;
    l2 = std::min<int64_t>(l2, f->nLines);
    if (l1 < 1 || l2 < l1) return 1;
    EditReindentKeepingSelection(e, l1, l2, [&] {
        FileIndent(f, EditHintLine(f), EditHintNo(f), l1, l2, sign * size);
    });
    return 1;
}
int cmdIndent(Edit* e, EditCmdCtx*) {
    return indentBy(e, 1);
}
int cmdUnindent(Edit* e, EditCmdCtx*) {
    return indentBy(e, -1);
}

int undoRedo(Edit* e, bool redo) {
    File* f = e->view.file;
    FileCloseUndo(f);
    if (!(redo ? f->redo : f->undo)) {
        WBeep();
        return 1;
    }
    if (EditReadOnlyCheck(e)) return 1;
    f->lastEdit = e;
    // No hint: the members of a group may remove any line. Colouring follows each change.
    if (redo)
        FileRedo(f, nullptr, 0);
    else
        FileUndo(f, nullptr, 0);
    e->view.boundaryMode = 0;
    EditShowCursor(e);
    redraw(e);
    return 1;
}
int cmdUndo(Edit* e, EditCmdCtx*) {
    return undoRedo(e, false);
}
int cmdRedo(Edit* e, EditCmdCtx*) {
    return undoRedo(e, true);
}

int charClass(int c) {
    if (isalnum(c) || c == '_' || c == '$' || c >= 128) return 1;
    if (c == ' ' || c == '\t') return 2;
    return 3;
}

int cmdRepeatLast(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    UndoRec* r = f->undo;
    if (!r || (r->flags & UNDO_GROUP)) {
        WBeep();
        return 1;
    }
    if (EditReadOnlyCheck(e)) return 1;
    Selection& s = e->view.sel[0];
    if (!r->text) { // an indentation: the same lines, the same amount again
        f->lastEdit = e;
        FileIndent(f, EditHintLine(f), EditHintNo(f), r->lS, r->lE, -r->textLen);
        return 1;
    }
    std::string ins = regionText(f, r->lS, r->cS, r->lE, r->cE);
    int64_t l1 = s.cursorLine, l2;
    int c1 = s.cursorCol, c2;
    bool oneClass = ins.size() >= 2;
    for (unsigned char c : ins)
        if (charClass(c) != charClass((unsigned char)ins[0])) oneClass = false;
    if (oneClass) {
        // The word under the cursor is replaced.
        std::string t = lineString(f, l1);
        int cls = c1 < (int)t.size() ? charClass((unsigned char)t[(size_t)c1]) : 0;
        l2 = l1;
        c2 = c1;
        while (cls && c1 > 0 && charClass((unsigned char)t[(size_t)c1 - 1]) == cls)
            c1--;
        while (cls && c2 < (int)t.size() && charClass((unsigned char)t[(size_t)c2]) == cls)
            c2++;
    } else {
        // A stretch of the original replacement's shape.
        l2 = l1 + r->oldDL;
        c2 = r->oldDL == 0 ? c1 + r->oldDC : r->cS + r->oldDC;
        l2 = std::min<int64_t>(l2, f->nLines + 1);
        c2 = std::clamp(c2, 0, EditLineLen(f, l2));
    }
    f->lastEdit = e;
    FileChange(f, EditHintLine(f), EditHintNo(f), l1, c1, l2, c2, ins.data(), (int64_t)ins.size(),
               0);
    return 1;
}

int cmdJoinLines(Edit* e, EditCmdCtx*) {
    if (EditReadOnlyCheck(e)) return 1;
    File* f = e->view.file;
    Selection& s = e->view.sel[0];
    int64_t l1 = s.startLine, l2 = std::max(s.endLine, l1 + 1);
    l2 = std::min<int64_t>(l2, f->nLines);
    if (l1 >= l2) {
        WBeep();
        return 1;
    }
    f->lastEdit = e;
    UndoGroup group(f, 0);
    group.lS = s.startLine, group.cS = s.startCol, group.lE = s.endLine, group.cE = s.endCol;
    for (int64_t n = l1; n < l2; n++) {
        std::string up = lineString(f, l1), down = lineString(f, l1 + 1);
        int a = (int)up.size();
        while (a > 0 && (up[(size_t)a - 1] == ' ' || up[(size_t)a - 1] == '\t'))
            a--;
        int b = 0;
        while (b < (int)down.size() && (down[(size_t)b] == ' ' || down[(size_t)b] == '\t'))
            b++;
        FileChange(f, EditHintLine(f), EditHintNo(f), l1, a, l1 + 1, b, " ", 1, 0);
    }
    return 1;
}

struct CommentForm {
    int lang;
    const char* opener;
    const char* closer; // null: none
    const char* sep;    // what a newline becomes
    // Doublings first, then markers for nested openers and closers.
    std::vector<std::pair<std::string, std::string>> subs;
};

const CommentForm* commentForm(int lang) {
    static const CommentForm forms[] = {
        {1, "/*", "*/", "\n - ", {{"/@", "/@@"}, {"*@", "*@@"}, {"/*", "/@*$"}, {"*/", "$*@/"}}},
        {2, "//", nullptr, "\n//", {}},
        {4, "--", nullptr, "\n--", {}},
        {3,
         "{",
         "}",
         "\n - ",
         {{"(@", "(@@"}, {"@)", "@@)"}, {"{", "(@*"}, {"(*", "(@*"}, {"}", "*@)"}, {"*)", "*@)"}}},
    };
    for (const CommentForm& c : forms)
        if (c.lang == lang) return &c;
    return nullptr;
}

int commentBlock(Edit* e, bool add) {
    File* f = e->view.file;
    const CommentForm* form = commentForm(langId(f));
    if (!form) {
        EditSetMsg(e, "block comment operations are not supported for current language");
        return 1;
    }
    if (EditReadOnlyCheck(e)) return 1;
    int64_t l1, l2;
    int endCol;
    wholeLines(e, l1, l2, endCol);
    std::string t = regionText(f, l1, 0, l2, endCol);
    if (add) {
        for (const auto& [from, to] : form->subs)
            t = replaceAll(t, from, to);
        t = replaceAll(t, "\n", form->sep);
        t = form->opener + t + (form->closer ? form->closer : "");
    } else {
        size_t on = strlen(form->opener), cn = form->closer ? strlen(form->closer) : 0;
        bool ok = t.compare(0, on, form->opener) == 0 && t.size() >= on + cn &&
                  (!form->closer || t.compare(t.size() - cn, cn, form->closer) == 0);
        if (!ok) {
            WBeep();
            EditSetMsg(e, "Not a valid comment block");
            return 1;
        }
        t = t.substr(on, t.size() - on - cn);
        t = replaceAll(t, form->sep, "\n");
        // Markers back to openers and closers (closers first), then the doublings undone.
        const auto& subs = form->subs;
        for (size_t i = subs.size(); i-- > 0;) {
            const auto& [from, to] = subs[i];
            bool dup = false;
            for (size_t k = 0; k < i; k++)
                if (subs[k].second == to) dup = true; // a Pascal marker gives back the brace
            if (dup) continue;
            t = replaceAll(t, to, from);
        }
    }
    replaceLines(e, l1, l2, endCol, t);
    return 1;
}
int cmdCommentBlock(Edit* e, EditCmdCtx*) {
    return commentBlock(e, true);
}
int cmdUnCommentBlock(Edit* e, EditCmdCtx*) {
    return commentBlock(e, false);
}

int cmtReg(Edit* e, bool add) {
    if (EditReadOnlyCheck(e)) return 1;
    File* f = e->view.file;
    Selection& s = e->view.sel[0];
    int64_t l1, l2;
    int endCol;
    wholeLines(e, l1, l2, endCol);
    f->lastEdit = e;
    UndoGroup group(f, 0);
    group.lS = s.startLine, group.cS = s.startCol, group.lE = s.endLine, group.cE = s.endCol;
    int firstCol = std::min(s.startCol, EditLineLen(f, l1));
    for (int64_t n = l1; n <= l2; n++) {
        int col = n == l1 ? firstCol : 0;
        if (add) {
            FileChange(f, EditHintLine(f), EditHintNo(f), n, col, n, col, "--", 2, 0);
        } else {
            std::string t = lineString(f, n);
            size_t at = t.find("--", (size_t)std::min(col, (int)t.size()));
            bool blanks = at != std::string::npos;
            for (size_t k = (size_t)col; blanks && k < at; k++)
                if (t[k] != ' ' && t[k] != '\t') blanks = false;
            if (blanks)
                FileChange(f, EditHintLine(f), EditHintNo(f), n, (int)at, n, (int)at + 2, "", 0, 0);
        }
    }
    EditSetSelection(e, 0, l1, firstCol, l2, EditLineLen(f, l2));
    return 1;
}
int cmdCmtReg(Edit* e, EditCmdCtx*) {
    return cmtReg(e, true);
}
int cmdUnCmtReg(Edit* e, EditCmdCtx*) {
    return cmtReg(e, false);
}

int changeCase(Edit* e, bool upper) {
    Selection& s = e->view.sel[0];
    if (SelEmpty(s)) return 1;
    if (EditReadOnlyCheck(e)) return 1;
    File* f = e->view.file;
    int64_t l1 = s.startLine, l2 = s.endLine;
    int c1 = s.startCol, c2 = s.endCol;
    std::string t = regionText(f, l1, c1, l2, c2);
    for (char& c : t)
        c = (char)(upper ? toupper((unsigned char)c) : tolower((unsigned char)c));
    f->lastEdit = e;
    FileChange(f, EditHintLine(f), EditHintNo(f), l1, c1, l2, c2, t.data(), (int64_t)t.size(), 0);
    EditSetSelection(e, 0, l1, c1, l2, c2);
    return 1;
}
int cmdUpperCaseBlock(Edit* e, EditCmdCtx*) {
    return changeCase(e, true);
}
int cmdLowerCaseBlock(Edit* e, EditCmdCtx*) {
    return changeCase(e, false);
}

int cmdShowMatch(Edit* e, EditCmdCtx*) {
    if (e->search.active) return 1; // a "}" typed into a search
    flashMatch(e, 1);
    return 1;
}

// The bracket at the pointer (or the cursor, or just before it) and its partner selected.
int selectMatch(Edit* e, EditCmdCtx* ctx, bool extend) {
    File* f = e->view.file;
    int64_t line;
    int col;
    if (EditHasLocation(ctx)) {
        EditPositionAt(e, ctx->x, ctx->y, line, col);
    } else {
        line = e->view.sel[0].cursorLine;
        col = e->view.sel[0].cursorCol;
    }
    int64_t ml, el;
    int mc, ec;
    bool found = matchAt(e, line, col, ml, mc, el, ec, -1);
    if (!found && col > 0) {
        col--;
        found = matchAt(e, line, col, ml, mc, el, ec, -1);
    }
    if (!found) {
        WBeep();
        return 1;
    }
    int64_t a1 = line;
    int b1 = col;
    int64_t a2 = line;
    int b2 = col + 1;
    // A word pair (begin and end, #if and #endif) is taken in whole.
    if (Line* l = line <= f->nLines ? EditFileLine(f, line) : nullptr) {
        const char* t = FileLineText(f, l);
        auto word = [&](int i) {
            return i >= 0 && i < l->len && SearchIsWordByte((unsigned char)t[i]);
        };
        if (word(col)) {
            while (word(b1 - 1)) b1--;
            if (b1 > 0 && t[b1 - 1] == '#') b1--;
        }
        if ((col < l->len && t[col] == '#') || word(col)) {
            while (b2 < l->len && (t[b2] == ' ' || t[b2] == '\t') && t[col] == '#') b2++;
            while (word(b2)) b2++;
        }
    }
    if (extend) {
        // The selection grows to take in the bracket and its partner.
        const Selection& s = e->view.sel[0];
        if (before(s.startLine, s.startCol, a1, b1)) a1 = s.startLine, b1 = s.startCol;
        if (before(a2, b2, s.endLine, s.endCol)) a2 = s.endLine, b2 = s.endCol;
    }
    int64_t lo1 = ml, hi1 = el;
    int lo2 = mc, hi2 = ec;
    if (before(lo1, lo2, a1, b1)) a1 = lo1, b1 = lo2;
    if (before(a2, b2, hi1, hi2)) a2 = hi1, b2 = hi2;
    EditSetSelection(e, 0, a1, b1, a2, b2);
    vGrabSelection(&e->view, 0);
    return 1;
}
int cmdSelectMatch(Edit* e, EditCmdCtx* ctx) {
    return selectMatch(e, ctx, false);
}
int cmdSelectToMatch(Edit* e, EditCmdCtx* ctx) {
    return selectMatch(e, ctx, true);
}

time_t rememberedTime = 0;

int insertText(Edit* e, const std::string& t) {
    if (t.empty()) return 1;
    if (EditReadOnlyCheck(e)) return 1;
    return EditTypedChars(e, t.data(), (int64_t)t.size());
}

int cmdDate(Edit* e, EditCmdCtx* ctx) {
    std::string arg = EditCmdArg(ctx);
    time_t now = time(nullptr);
    time_t shown = now;
    auto prefix = [&](const char* w) {
        return !arg.empty() && strncasecmp(w, arg.c_str(), arg.size()) == 0;
    };
    if (prefix("reset")) {
        rememberedTime = now;
    } else if (prefix("store")) {
        if (!rememberedTime) rememberedTime = now;
        shown = rememberedTime;
    }
    char buf[64];
    std::string t = ctime_r(&shown, buf) ? buf : "";
    if (!t.empty() && t.back() == '\n') t.back() = ' ';
    return insertText(e, t);
}

int cmdUserName(Edit* e, EditCmdCtx*) {
    const char* name = getlogin();
    if (!name || !*name) {
        struct passwd* pw = getpwuid(getuid());
        name = pw ? pw->pw_name : "";
    }
    return insertText(e, name ? name : "");
}

int cmdQuote(Edit* e, EditCmdCtx*) {
    e->quoteMode = !e->quoteMode;
    return 1;
}
int cmdEnterInsertMode(Edit* e, EditCmdCtx*) {
    e->insertMode = true;
    return 1;
}

int cmdSelectLanguage(Edit* e, EditCmdCtx* ctx) {
    std::string name = EditCmdArg(ctx);
    for (int i = 0; i < SYN_NMENULANGS; i++) {
        if (strcasecmp(name.c_str(), supported_lang_names[i]) != 0) continue;
        File* f = e->view.file;
        f->language = syn_LanguageDefinition(i);
        if (e->panes) synRecalculate(e->panes, e->view.topLine, e->view.topLine + 20, true);
        redraw(e);
        return 1;
    }
    WBeep();
    char* m = gen_sprintf("Selection of an undefined language: %s", name.c_str());
    EditSetMsg(e, m);
    gen_free(m);
    return 1;
}

int cmdToggleReadOnly(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    if (f->readOnly || f->viewOnly) {
        f->readOnly = f->viewOnly = false;
        f->readOnly = f->loadReadOnly; // text the load lost stays protected
    } else {
        f->readOnly = f->viewOnly = true;
    }
    EditsReadOnlyUpdate(f);
    return 1;
}
int cmdToggleMarginColumn(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    f->marginColumn = !f->marginColumn;
    for (Edit* other = f->edits; other; other = other->nextsame) EditMarginColumnUpdate(other);
    return 1;
}
int cmdToggleAutoCheckout(Edit* e, EditCmdCtx*) {
    e->view.file->noAutoCheckout = !e->view.file->noAutoCheckout;
    return 1;
}
int cmdPreventAutoCheckout(Edit* e, EditCmdCtx*) {
    e->view.file->noAutoCheckout = true;
    return 1;
}
int cmdAllowAutoCheckout(Edit* e, EditCmdCtx*) {
    e->view.file->noAutoCheckout = false;
    return 1;
}

int cmdNormalizeSelection(Edit*, EditCmdCtx*) {
    return 1;
}

} // namespace editcmds
using namespace editcmds;

void EditReindentKeepingSelection(Edit* e, int64_t l1, int64_t l2,
                                  const std::function<void()>& reindent) {
    File* f = e->view.file;
    Selection saved = e->view.sel[0];
    bool empty = SelEmpty(saved);
    int64_t* lines[3] = {&saved.startLine, &saved.endLine, &saved.cursorLine};
    int* cols[3] = {&saved.startCol, &saved.endCol, &saved.cursorCol};
    int before[3];
    for (int k = 0; k < 3; k++)
        before[k] = firstNonWhite(f, *lines[k]);
    reindent();
    // The points keep their place in the text; the start of whole lines stays at column 0.
    for (int k = 0; k < 3; k++) {
        if (*lines[k] < l1 || *lines[k] > l2 || *lines[k] > f->nLines) continue;
        if (!empty && *cols[k] == 0) continue;
        int now = firstNonWhite(f, *lines[k]);
        if (*cols[k] >= before[k])
            *cols[k] += now - before[k];
        else
            *cols[k] = std::min(*cols[k], now);
        *cols[k] = std::clamp(*cols[k], 0, EditLineLen(f, *lines[k]));
    }
    e->view.sel[0] = saved;
    redraw(e);
}

// Drops dragged text at the pointer: moved, or copied with Control.
int EditDropDragged(Edit* e, EditCmdCtx* ctx) {
    e->dragging = false;
    if (!EditHasLocation(ctx)) return 1;
    File* f = e->view.file;
    Selection s = e->view.sel[0];
    int64_t line;
    int col;
    EditPositionAt(e, ctx->x, ctx->y, line, col);
    bool inside =
        !before(line, col, s.startLine, s.startCol) && before(line, col, s.endLine, s.endCol);
    if (inside || SelEmpty(s)) return 1;
    if (EditReadOnlyCheck(e)) return 1;
    std::string t = regionText(f, s.startLine, s.startCol, s.endLine, s.endCol);
    f->lastEdit = e;
    UndoGroup group(f, 0);
    group.lS = s.startLine, group.cS = s.startCol, group.lE = s.endLine, group.cE = s.endCol;
    if (!e->dragCopy && before(s.endLine, s.endCol, line, col)) {
        // Moving forward: insert first, then remove the original before it.
        FileChange(f, EditHintLine(f), EditHintNo(f), line, col, line, col, t.data(),
                   (int64_t)t.size(), 0);
        FileChange(f, EditHintLine(f), EditHintNo(f), s.startLine, s.startCol, s.endLine, s.endCol,
                   "", 0, 0);
    } else {
        if (!e->dragCopy)
            FileChange(f, EditHintLine(f), EditHintNo(f), s.startLine, s.startCol, s.endLine,
                       s.endCol, "", 0, 0);
        FileChange(f, EditHintLine(f), EditHintNo(f), line, col, line, col, t.data(),
                   (int64_t)t.size(), 0);
    }
    return 1;
}

int editcmds::cmdSelectionDrop(Edit* e, EditCmdCtx* ctx) {
    return e->dragging ? EditDropDragged(e, ctx) : 1;
}

