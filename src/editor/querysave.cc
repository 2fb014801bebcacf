// editor/querysave.cc: the question asked before a window stops showing a File whose edits
// are not saved, whether it closes or pops to another File. Nothing is given up without the
// word "Discard".
#include <algorithm>
#include <cstring>
#include <vector>

#include "buffer/file.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

namespace {

// The File would lose its edits if `edit` stopped showing it: modified, a real file, and shown
// by no other window.
bool needsSaving(Edit* edit, File* f) {
    if (!f || !f->modified || f->internal || f->notAFile) return false;
    for (Edit* e = f->edits; e; e = e->nextsame)
        if (e != edit) return false;
    for (EditPop* p = f->pops; p; p = p->nextForFile) {
        bool ours = false;
        for (EditPop* q = edit->pops; q && !ours; q = q->next) ours = q == p;
        if (!ours) return false; // another window's alternate file
    }
    return true;
}

const char* baseName(const char* name) {
    const char* slash = name ? strrchr(name, '/') : nullptr;
    return slash ? slash + 1 : name ? name : "(unnamed)";
}

enum { ANSWER_SAVE, ANSWER_DISCARD, ANSWER_CANCEL };

// Save, Discard or Cancel for one File; a failed save may still give the edits up, but only
// when asked in so many words. Returns false when the File must stay as it is.
bool settle(File* f) {
    GenStr text(gen_sprintf("%s\nDo you want to save your changes?",
                            f->name ? f->name : "(unnamed)"));
    int answer = WButtonDialogue("Save Changes?", text.get(), {"Save", "Discard", "Cancel"},
                                 ANSWER_SAVE);
    if (answer == ANSWER_SAVE) {
        if (SaveFile(f) == 1 && !f->modified) return true;
        GenStr q(gen_sprintf("%s could not be saved. Abandon changes and continue?",
                             baseName(f->name)));
        if (!WYesNo("Save Changes?", q.get(), 0)) return false;
        answer = ANSWER_DISCARD;
    }
    if (answer != ANSWER_DISCARD) return false;
    f->modified = false;
    f->checkinOnClose = false;
    return true;
}

} // namespace

int EditQuerySaveFile(Edit* edit, File* file) {
    if (!needsSaving(edit, file)) return 1;
    return settle(file) ? 1 : 0;
}

int EditSaveAndCloseFiles(Edit* edit) {
    std::vector<File*> files;
    if (needsSaving(edit, edit->view.file)) files.push_back(edit->view.file);
    for (EditPop* p = edit->pops; p; p = p->next)
        if (needsSaving(edit, p->file) &&
            std::find(files.begin(), files.end(), p->file) == files.end())
            files.push_back(p->file);
    for (File* f : files)
        if (!settle(f)) return 0;
    return 1;
}
