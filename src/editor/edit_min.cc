// editor/edit_min.cc: interim editor records for the headless windows of batch mode.
#include "editor/edit.h"

#include <string>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "runtime/error.h"

static Edit* newWindow(File* file, int64_t line) {
    Edit* e = new Edit();
    e->file = file;
    e->cursorLine = line > 0 ? line : 1;
    if (file->nLines > 0 && e->cursorLine > file->nLines) e->cursorLine = file->nLines;
    e->cw.kind = CW_EDIT;
    e->cw.data = e;
    cwInsertList(&e->cw);
    return e;
}

Edit* NewEdit2(const char* name, int64_t line) {
    File* file = FileFName(name);
    if (!file) return nullptr;
    return newWindow(file, line);
}

int NewEdit(const char* name, int64_t line, int, int) {
    return NewEdit2(name, line) ? 1 : 0;
}

int NewEditTag(const char* name, int64_t line, int, int) {
    return NewEdit(name, line, 1, 0);
}

int EditPush(Edit* edit, File* file, int64_t line) {
    if (!edit || !file) return 0;
    edit->stack.push_back(EditPop{file, line > 0 ? line : 1});
    return 1;
}

int _EditLoadFile(Edit*, int, const char* dir, int) {
    std::string chosen;
    if (!FileChooseDialogue("Edit File", "Edit", dir ? dir : ".", chosen)) return 0;
    return NewEdit(chosen.c_str(), 0, 1, 0);
}

void EditDestroy(Edit* edit) {
    cwRemoveList(&edit->cw);
    delete edit;
}

void EditCursor(Edit* edit, int64_t* line, int* col) {
    *line = edit->cursorLine;
    *col = edit->cursorCol;
}

void EditSelectionRange(Edit* edit, int64_t* l1, int* c1, int64_t* l2, int* c2) {
    *l1 = *l2 = edit->cursorLine;
    *c1 = *c2 = edit->cursorCol;
}
