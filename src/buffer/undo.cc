// buffer/undo.cc: the undo record pool, undo and redo, groups and line-number mapping.
#include "buffer/undo.h"

#include <algorithm>
#include <vector>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/notify.h"
#include "buffer/pool.h"
#include "runtime/gen.h"

static RecordPool undoPool{sizeof(UndoRec), 100};


UndoRec* UndoNew() {
    return (UndoRec*)PoolTake(undoPool);
}

void UndoFree(UndoRec* rec) {
    if (!rec) return;
    if (rec->flags & UNDO_GROUP)
        UndoFreeList((UndoRec*)rec->text);
    else
        gen_free(rec->text);
    PoolGive(undoPool, rec);
}

void UndoFreeList(UndoRec* list) {
    while (list) {
        UndoRec* next = list->next;
        UndoFree(list);
        list = next;
    }
}

// ---- groups ----

UndoGroup::UndoGroup(File* f, int mode) : file(f), undoMode(mode) {
    mark = mode == 1 ? file->redo : file->undo;
}

UndoGroup::~UndoGroup() {
    UndoRec** list = undoMode == 1 ? &file->redo : &file->undo;
    if (*list == mark) return;
    UndoRec* members = *list;
    UndoRec* oldest = members;
    while (oldest->next != mark) oldest = oldest->next;
    oldest->next = nullptr;
    *list = mark;
    UndoRec* group = UndoNew();
    group->flags = UNDO_GROUP;
    group->text = (char*)members;
    group->lS = (int32_t)lS;
    group->cS = cS;
    group->lE = (int32_t)lE;
    group->cE = cE;
    UndoPush(file, group, undoMode);
}

// ---- undo and redo ----

static void keepMin(int64_t& min, int64_t l) {
    if (l > 0 && (min < 0 || l < min)) min = l;
}

static void DoIt(File* file, UndoRec* rec, Line* hint, int64_t hintNo, int undoMode,
                 int64_t& min) {
    if (rec->flags & UNDO_GROUP) {
        FileViewsHold hold(file);
        UndoGroup group(file, undoMode);
        group.lS = rec->lS, group.cS = rec->cS, group.lE = rec->lE, group.cE = rec->cE;
        if (FileShown(file))
            fileViews->getActiveSelection(file, &group.lS, &group.cS, &group.lE, &group.cE);
        UndoRec* members = (UndoRec*)rec->text;
        // Runs of indent members (an automatic indentation of many lines) are applied from
        // line to line and shown together, not each with a walk and a redraw of its own.
        int64_t shownFrom = -1, shownTo = -1;
        Line* near = hint;
        int64_t nearNo = hintNo;
        auto show = [&] {
            if (shownFrom > 0) FileShowChange(file, shownFrom, -1, shownTo, -1, shownTo, -1, shownTo, -1);
            shownFrom = shownTo = -1;
        };
        for (UndoRec* m = members; m; m = m->next) {
            int64_t lS = std::max<int64_t>(1, std::min(m->lS, m->lE));
            int64_t lE = std::min<int64_t>(std::max(m->lS, m->lE), file->nLines);
            if (m->text || (m->flags & UNDO_GROUP) || lS > lE) {
                show();
                DoIt(file, m, hint, hintNo, undoMode, min);
                near = hint, nearNo = hintNo;
                continue;
            }
            keepMin(min, m->lS);
            Line* l = FileLine(file, lS, near, nearNo);
            FileIndentLines(file, l, lS, lE, m->textLen, undoMode);
            near = l, nearNo = lS;
            shownFrom = shownFrom < 0 ? lS : std::min(shownFrom, lS);
            shownTo = std::max(shownTo, lE);
        }
        show();
        if (members && !members->text && !(members->flags & UNDO_GROUP)) {
            int64_t lE = members->lE;
            Line* end = FileLine(file, lE);
            EditSetActiveSelection(file, members->lS, 0, lE, end ? end->len : 0);
        }
        return;
    }
    keepMin(min, rec->lS);
    if (!rec->text) {
        FilexIndent(file, hint, hintNo, rec->lS, rec->lE, rec->textLen, undoMode);
        return;
    }
    FilexChange(file, hint, hintNo, rec->lS, rec->cS, rec->lE, rec->cE, rec->text, rec->textLen,
                0, undoMode, undoMode == 1 && (rec->flags & UNDO_NOFINALNL));
    EditSetActiveSelection(file, rec->lS, rec->cS, (int64_t)rec->lS + rec->oldDL,
                           rec->cS + rec->oldDC);
}

// After undo or redo: the modified state follows whether the disk state was reached.
static void settle(File* file, bool onDisk) {
    if (onDisk) {
        bool was = file->modified;
        file->modified = false;
        file->journalDirty = false;
        if (file->haslock) incr_ReleaseLock(file);
        if (was) FileModifiedUpdate(file);
    } else {
        bool was = file->modified;
        file->modified = file->journalDirty = true;
        if (!was) FileModifiedUpdate(file);
    }
}

static uint64_t undoTaken = 0;

uint64_t UndoTakenCount() {
    return undoTaken;
}

int64_t FileUndo(File* file, Line* hint, int64_t hintNo) {
    UndoRec* rec = file->undo;
    if (!rec) return -100;
    undoTaken++;
    UndoRec* redoMark = file->redo;
    int64_t min = -1;
    DoIt(file, rec, hint, hintNo, 1, min);
    if ((rec->flags & UNDO_SAVED) && file->redo != redoMark) file->redo->flags |= UNDO_SAVED;
    file->undo = rec->next;
    rec->next = nullptr;
    UndoFree(rec);
    bool onDisk = file->undo ? (file->undo->flags & UNDO_SAVED) != 0 : file->undoBottomOnDisk;
    settle(file, onDisk);
    return min;
}

int64_t FileRedo(File* file, Line* hint, int64_t hintNo) {
    UndoRec* rec = file->redo;
    if (!rec) return -100;
    UndoRec* undoMark = file->undo;
    int64_t min = -1;
    DoIt(file, rec, hint, hintNo, -1, min);
    bool onDisk = (rec->flags & UNDO_SAVED) != 0;
    if (onDisk && file->undo != undoMark) file->undo->flags |= UNDO_SAVED;
    // DoIt left the redo list as it was: the record is still its head.
    file->redo = rec->next;
    rec->next = nullptr;
    UndoFree(rec);
    settle(file, onDisk);
    return min;
}

// ---- line-number mapping ----

static void mapThrough(const UndoRec* rec, int64_t& n) {
    if (rec->flags & UNDO_GROUP) {
        std::vector<const UndoRec*> members;
        for (const UndoRec* m = (const UndoRec*)rec->text; m; m = m->next) members.push_back(m);
        for (size_t i = members.size(); i-- > 0;) mapThrough(members[i], n);
        return;
    }
    if (!rec->text) return; // indenting moves no line
    if ((int64_t)rec->lS + rec->oldDL <= n) n += (int64_t)rec->lE - rec->lS - rec->oldDL;
}

// Replays the records newer than the marked one, oldest first, over a line number of the
// marked state.
static int64_t mapLineno(File* file, int64_t n, uint8_t marker) {
    if (n < 1) return -n;
    std::vector<const UndoRec*> newer;
    for (const UndoRec* r = file->undo; r && !(r->flags & marker); r = r->next)
        newer.push_back(r);
    for (size_t i = newer.size(); i-- > 0;) mapThrough(newer[i], n);
    return n;
}

int64_t FileLinenoFDiskLineno(File* file, int64_t n) {
    return mapLineno(file, n, UNDO_SAVED);
}

int64_t FileLinenoFTagLineno(File* file, int64_t n) {
    return mapLineno(file, n, UNDO_TAGS);
}
