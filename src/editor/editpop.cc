// editor/editpop.cc: the alternate-file stack: push, pop with its query, toggle and cycle.
#include <algorithm>

#include "buffer/file.h"
#include "editor/edit.h"
#include "editor/editpriv.h"
#include "editor/querysave.h"
#include "runtime/gen.h"
#include "toolkit/window.h"

namespace {

// Stack operations are for top-level editors that may change their File.
bool stackAllowed(Edit* edit) {
    if (edit->fixed || edit->embedded) {
        WBeep();
        return false;
    }
    return true;
}

EditPop* makePop(Edit* edit) {
    auto* p = new EditPop;
    p->file = edit->view.file;
    p->topLine = edit->view.topLine;
    p->hpos = edit->panes ? edit->panes->hpos : 0;
    p->cursorLine = edit->view.sel[0].cursorLine;
    p->cursorCol = edit->view.sel[0].cursorCol;
    p->readOnly = edit->view.file && edit->view.file->readOnly;
    return p;
}

void linkPopToFile(EditPop* p) {
    p->nextForFile = p->file->pops;
    p->file->pops = p;
}

void unlinkPopFromFile(EditPop* p) {
    for (EditPop** q = &p->file->pops; *q; q = &(*q)->nextForFile)
        if (*q == p) {
            *q = p->nextForFile;
            break;
        }
    p->nextForFile = nullptr;
}

// Shows the File of a popped entry with its saved place.
void showPopped(Edit* edit, EditPop* p) {
    EditUnlinkFile(edit);
    EditLinkFile(edit, p->file);
    if (p->file->stub)
        LoadStubFile(p->file);
    else if (!edit->skipFileCheck)
        EditFileCheck(edit, p->file); // the alternate file may have changed on disk meanwhile
    int64_t lines = p->file->nLines;
    int64_t line = std::clamp<int64_t>(p->cursorLine, 1, std::max<int64_t>(1, lines + 1));
    for (Selection& s : edit->view.sel) {
        s.startLine = s.endLine = s.cursorLine = line;
        s.startCol = s.endCol = s.cursorCol = p->cursorCol;
        s.flags = 0;
    }
    if (edit->panes) edit->panes->hpos = p->hpos;
    edit->view.topLine = 0; // force the top line's record to be found again
    edit->view.topLineRec = nullptr;
    EditScrollTo(edit, std::clamp<int64_t>(p->topLine, 1, std::max<int64_t>(1, lines)));
    EditSetWindowName(edit);
    EditRedraw(edit);
}

bool shownOnlyHere(Edit* edit, File* f) {
    return f->edits == edit && !edit->nextsame && !f->pops;
}

// Takes the top entry off the stack and shows it; `ask` runs the query-save question for a
// File that would then be shown nowhere.
int popTop(Edit* edit, bool ask) {
    EditPop* p = edit->pops;
    File* old = edit->view.file;
    bool unload = false;
    if (ask && old && shownOnlyHere(edit, old) && old != p->file &&
        edit_FileNeedsSaving(edit, old)) {
        if (!EditQuerySaveFile(edit, old)) return 0;
        unload = !old->modified;
    }
    edit->pops = p->next;
    unlinkPopFromFile(p);
    showPopped(edit, p);
    delete p;
    if (unload && !old->edits && !old->pops) FileStubout(old);
    return 1;
}

} // namespace

int EditStackDepth(const Edit* edit) {
    int n = 0;
    for (EditPop* p = edit->pops; p; p = p->next) n++;
    return n;
}

void EditRemovePops(Edit* edit, bool (*drop)(Edit* edit, File* file)) {
    for (EditPop** at = &edit->pops; *at;) {
        EditPop* p = *at;
        if (!drop(edit, p->file)) {
            at = &p->next;
            continue;
        }
        *at = p->next;
        unlinkPopFromFile(p);
        delete p;
    }
    EditPublishState(edit);
}

int EditPush(Edit* edit, File* file, int64_t line) {
    if (!file || !stackAllowed(edit)) return 0;
    EditPop* p = makePop(edit);
    p->next = edit->pops;
    edit->pops = p;
    if (p->file) linkPopToFile(p);
    EditUnlinkFile(edit);
    EditLinkFile(edit, file);
    if (file->stub) LoadStubFile(file);
    for (EditPort* port = edit->panes; port; port = port->next) port->hpos = 0;
    edit->view.topLine = 0;
    edit->view.topLineRec = nullptr;
    EditAttachFile(edit, file, line, 1);
    EditSetWindowName(edit);
    EditRedraw(edit);
    return 1;
}

int EditPushEntry(Edit* edit, File* file, int64_t line) {
    if (!file || !stackAllowed(edit)) return 0;
    auto* p = new EditPop;
    p->file = file;
    p->cursorLine = line > 0 ? line : 1;
    int64_t fifth = edit->view.height / (5 * WFontHeight());
    p->topLine = p->cursorLine > fifth ? p->cursorLine - fifth : 1;
    p->readOnly = file->readOnly;
    EditPop** end = &edit->pops;
    while (*end) end = &(*end)->next;
    *end = p;
    linkPopToFile(p);
    EditPublishState(edit);
    return 1;
}

int _EditPopEdit(Edit* edit, int ask) {
    if (!stackAllowed(edit)) return 0;
    if (!edit->pops) {
        EditSetMsg(edit, "Nothing to pop");
        return 0;
    }
    return popTop(edit, ask != 0);
}

int EditPopEdit(Edit* edit) {
    return _EditPopEdit(edit, 1);
}

int EditPopIt(WWindow* window) {
    Edit* edit = EditOfWindow(window);
    return edit ? EditPopEdit(edit) : 0;
}

int EditTogglePush(Edit* edit) {
    if (!stackAllowed(edit)) return 0;
    if (!edit->pops) {
        EditSetMsg(edit, "No alternate file");
        return 0;
    }
    EditPop* now = makePop(edit);
    popTop(edit, false);
    now->next = edit->pops;
    edit->pops = now;
    linkPopToFile(now);
    EditPublishState(edit);
    return 1;
}

int EditCyclePush(Edit* edit) {
    if (!stackAllowed(edit)) return 0;
    if (!edit->pops) {
        EditSetMsg(edit, "No alternate file");
        return 0;
    }
    EditPop* now = makePop(edit);
    popTop(edit, false);
    EditPop** end = &edit->pops;
    while (*end) end = &(*end)->next;
    *end = now;
    now->next = nullptr;
    linkPopToFile(now);
    EditPublishState(edit);
    return 1;
}

int EditCyclePushBack(Edit* edit) {
    return EditCyclePush(edit);
}

int CycleToFile(WWindow* window, int n) {
    Edit* edit = EditOfWindow(window);
    if (!edit) return 0;
    for (int i = 0; i < n; i++)
        if (!EditCyclePush(edit)) return 0;
    return 1;
}
