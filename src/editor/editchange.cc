// editor/editchange.cc: going to a line, following changes of the File, and noticing a file
// that changed on disk.
#include <algorithm>
#include <sys/stat.h>

#include "buffer/file.h"
#include "buffer/save.h"
#include "config/options.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "lang/syn.h"
#include "runtime/gen.h"

namespace {

int64_t fifthOfView(Edit* edit) {
    return edit->view.height / (5 * WFontHeight());
}

int lineLength(File* file, int64_t line) {
    if (line < 1 || line > file->nLines) return 0;
    return EditFileLine(file, line)->len;
}

void limitPoint(File* file, int64_t& line, int& col, bool isEnd) {
    if (line < 1) line = 1;
    if (line > file->nLines + 1) line = file->nLines + 1;
    int len = line > file->nLines ? 0 : lineLength(file, line);
    (void)isEnd; // an end, too, lies within its line
    if (col > len) col = len;
    if (col < 0) col = 0;
}

// The File's changed-on-disk test (a File of the program's own is never changed on disk).
int changedOnDisk(File* file) {
    return file->internal ? 0 : FileFileChanged(file);
}

// The user chose to keep the text on screen: the change on disk is known and not asked again.
void recordDiskTime(File* file) {
    FileSetModTime(file);
}

// Reloads the File from disk, keeping every editor and stack entry pointing at it.
int reloadFile(File* file) {
    return FileRevert(file);
}

} // namespace

int EditStartOfText(Edit* edit, int64_t line) {
    File* file = edit->view.file;
    if (!file || line < 1 || line > file->nLines) return 0;
    Line* l = FileLine(file, line, edit->view.topLineRec, edit->view.topLine);
    const char* text = FileLineText(file, l);
    int c = 0;
    while (c < l->len && (text[c] == ' ' || text[c] == '\t')) c++;
    return c;
}

void EditChangeFile(Edit* edit, File* file) {
    if (!edit->skipFileCheck) EditFileCheck(edit, file);
    if (file != edit->view.file) {
        EditUnlinkFile(edit);
        EditLinkFile(edit, file);
        edit->view.topLine = 0;
        edit->view.topLineRec = nullptr;
        EditScrollTo(edit, 1);
        EditSetWindowName(edit);
    }
    edit->shownReadOnly = !file->readOnly; // force the indicator to be drawn
    EditMarginColumnUpdate(edit);
    EditUpdateTitle(edit);
}

void EditMarginColumnUpdate(Edit* edit) {
    // The column takes its width from the panes: the text and the horizontal scroll bars move
    // right by as much.
    int offset = edit->view.file && edit->view.file->marginColumn ? EditMarginColumnWidth : 0;
    bool changed = false;
    for (EditPort* port = edit->panes; port; port = port->next) {
        changed = changed || port->offset != offset;
        port->offset = offset;
    }
    if (!changed) return;
    EditLayout(edit);
    EditRedraw(edit);
}

void EditAttachFile(Edit* edit, File* file, int64_t line, int isTagLine) {
    (void)isTagLine; // tag lines are already in the File's numbering until tags arrive
    // Read before the change: the title update it makes still sees the old File's cursor.
    if (line < 1) line = std::max<int64_t>(1, file->currentLine);
    EditChangeFile(edit, file);
    EditSetLine(edit, line, 0);
}

void EditSetLine(Edit* edit, int64_t line, int scrollOnly) {
    File* file = edit->view.file;
    if (!file) return;
    if (line < 1) line = std::max<int64_t>(1, file->currentLine);
    line = std::clamp<int64_t>(line, 1, std::max<int64_t>(1, file->nLines));
    int64_t fifth = fifthOfView(edit);
    int64_t top = line > fifth ? line - fifth : 1;
    EditScrollTo(edit, top);
    if (!scrollOnly) EditCollapse(edit, line, EditStartOfText(edit, line));
}

void EditSetToEnd(Edit* edit) {
    File* file = edit->view.file;
    if (!file) return;
    int64_t rows = EditRows(edit);
    int64_t lines = file->nLines;
    if (lines >= edit->view.topLine + rows) {
        // Scroll position (max - 3/4 view) in pixels, turned into a top line.
        int fh = WFontHeight();
        int64_t pos = std::max<int64_t>(0, lines * fh - edit->view.height * 3 / 4);
        EditScrollTo(edit, pos / fh + 1);
    }
    if (lines == 0)
        EditCollapse(edit, 1, 0);
    else
        EditCollapse(edit, lines, lineLength(file, lines));
}

// ---- change notification ----

void PopsShowChange(EditPop* first, int64_t, int, int64_t l2, int, int64_t oldL2) {
    int64_t delta = l2 - oldL2;
    for (EditPop* p = first; p; p = p->nextForFile) {
        if (p->topLine > oldL2) p->topLine = std::max<int64_t>(1, p->topLine + delta);
        if (p->cursorLine > oldL2) p->cursorLine = std::max<int64_t>(1, p->cursorLine + delta);
    }
}

void EditShowChange(Edit* edit, int64_t l1, int c1, int64_t l2, int c2, int64_t oldL2,
                    bool here) {
    File* file = edit->view.file;
    if (!file) return;
    int64_t delta = l2 - oldL2;
    int64_t oldSelStart = edit->view.sel[0].startLine, oldSelEnd = edit->view.sel[0].endLine;
    for (int i = 0; i < 2; i++) {
        Selection& s = edit->view.sel[i];
        bool after = s.startLine > oldL2;
        bool reaches = !(s.endLine < l1 || s.startLine > oldL2);
        if (after) {
            s.startLine += delta;
            s.endLine += delta;
            s.cursorLine += delta;
        } else if (reaches || (i == 0 && here)) {
            int col = c2 < 0 ? 0 : c2;
            int64_t line = c2 < 0 ? l2 + 1 : l2;
            s.startLine = s.endLine = s.cursorLine = line;
            s.startCol = s.endCol = s.cursorCol = col;
        }
        limitPoint(file, s.startLine, s.startCol, false);
        limitPoint(file, s.endLine, s.endCol, true);
        limitPoint(file, s.cursorLine, s.cursorCol, false);
    }
    (void)c1;
    int64_t top = edit->view.topLine;
    if (edit->view.topLineRec && l1 >= top && top <= file->nLines) {
        // A change keeps the record of its first line and of every line above it: only the
        // rows that show the change, what moved below it, and the old and new selection are
        // drawn again.
        int64_t rows = EditRows(edit);
        const Selection& s = edit->view.sel[0];
        int64_t from = std::min({l1, oldSelStart, s.startLine});
        // In colour, the lines below may have changed colour too (an opened comment).
        const Language* lang = file->language;
        bool coloured = colorsyntax && lang && lang->id != LANG_NONE && lang->separators;
        int64_t to = delta == 0 && !coloured ? std::max({l2, oldSelEnd, s.endLine}) : top + rows;
        from = std::max(from, top);
        to = std::min(to, top + rows);
        if (from <= to) epDrawRows(edit, (int)(from - top), (int)(to - top));
        if (delta != 0) EditsSbSetOne(edit);
        EditUpdateTitle(edit);
        return;
    }
    if (top > std::max<int64_t>(1, file->nLines)) top = 1;
    edit->view.topLineRec = nullptr;
    edit->view.topLine = 0;
    EditScrollTo(edit, top); // redraws the view from the File's current text
    EditUpdateTitle(edit);
}

void EditsPropagateColour(File* file, int64_t line) {
    const Language* lang = file->language;
    if (!colorsyntax || !lang || lang->id == LANG_NONE || !lang->separators) return;
    // Only the states are brought up to date here: every editor of the File redraws its whole
    // view next, and lines further down are recomputed when they are drawn.
    synxRecalculate(file, line, line + 20);
}

void EditsShowChange(Edit* first, int64_t l1, int c1, int64_t l2, int c2, int64_t oldL2) {
    File* file = first ? first->view.file : nullptr;
    // A change that starts above a view's top line may have freed that line's record: no
    // lookup may start from it until the view finds its top again.
    for (Edit* e = first; e; e = e->nextsame)
        if (l1 < e->view.topLine) e->view.topLineRec = nullptr;
    for (Edit* e = first; e; e = e->nextsame) {
        GAssert(e != e->nextsame);
        EditShowChange(e, l1, c1, l2, c2, oldL2, file && e == file->lastEdit);
    }
}

void EditsRefigureTopLine(Edit* first) {
    for (Edit* e = first; e; e = e->nextsame) {
        File* file = e->view.file;
        if (!file) continue;
        epForgetLines(file); // its lines may have been read again
        int64_t top = e->view.topLine;
        if (top > file->nLines) top = std::max<int64_t>(1, file->nLines - fifthOfView(e));
        for (Selection& s : e->view.sel) {
            for (int64_t* l : {&s.startLine, &s.endLine, &s.cursorLine})
                if (*l > file->nLines) *l = file->nLines + 1;
            limitPoint(file, s.startLine, s.startCol, false);
            limitPoint(file, s.endLine, s.endCol, true);
            limitPoint(file, s.cursorLine, s.cursorCol, false);
        }
        e->view.topLine = 0;
        e->view.topLineRec = nullptr;
        EditScrollTo(e, top);
        e->view.shownLine = -1;
        EditUpdateTitle(e);
    }
}

// ---- changed on disk ----

int EditFileCheck(Edit* edit, File* file) {
    static bool running = false;
    if (!file) file = edit->view.file;
    if (!file || !file->name || file->internal || running || file->stub) return 1;
    if (!changedOnDisk(file)) return 1;
    running = true;
    if (!file->modified && !file->savedOnce) {
        reloadFile(file);
    } else {
        char* q = gen_sprintf(
            "The file you are editing, %s, has changed on disk.\n%s%s%s", file->name,
            file->modified ? "You have outstanding edits which have not been saved.\n" : "",
            "Would you like to load the new file (YES), permanently discarding your current "
            "edits?\n",
            "If you choose (NO), you should take actions to save your changes.");
        int yes = WYesNo("File changed on disk", q, file->modified ? 0 : 1);
        gen_free(q);
        if (yes) {
            reloadFile(file);
        } else {
            EditSetMsg(edit, "Warning: File on screen is out of date");
            recordDiskTime(file);
        }
    }
    EditsSbSet(file);
    running = false;
    return 1;
}
