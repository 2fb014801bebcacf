// editor/querysave.cc: the questions asked before unsaved work could be lost. "Save Changes?"
// settles one File at a time: save it (and check it in), give its edits up, or cancel, which
// leaves every File not settled yet as it is. "Save Files?" picks among several.
#include "editor/querysave.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "buffer/vchook.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

namespace {

const char* baseName(const char* name) {
    const char* slash = name ? strrchr(name, '/') : nullptr;
    return slash ? slash + 1 : name ? name : "(unnamed)";
}

const char* shownName(const File* f) {
    return f->name ? f->name : "(unnamed)";
}

// A save that failed inside the dialogues: going on gives the File's edits up.
bool abandonAfterFailedSave(File* f) {
    GenStr q(gen_sprintf("%s could not be saved. Abandon changes and continue?",
                         baseName(f->name)));
    return WYesNo("Save Changes?", q.get(), 0) == 1;
}

std::string withoutMnemonic(const std::string& label) {
    std::string out;
    for (size_t i = 0; i < label.size(); i++) {
        if (label[i] == '&' && i + 1 < label.size()) i++;
        out.push_back(label[i]);
    }
    return out;
}

// ---- "Save Changes?" ----

// The File's version-control state as the dialogue offers it.
struct VcState {
    bool under = false;     // under version control
    bool mine = false;      // checked out to this user
    bool elsewhere = false; // checked out to someone else
};

VcState vcStateOf(File* f) {
    VcState s;
    int under = 0;
    char* holder = nullptr;
    s.mine = file_IsCheckedOut(f, &holder, &under) != 0;
    s.under = under != 0;
    s.elsewhere = s.under && holder && *holder && !s.mine;
    gen_free(holder);
    return s;
}

struct QuerySave {
    WDialog* d = nullptr;
    FileList* files = nullptr;
    size_t at = 0;
    VcState vc;
    Widget *name, *vcChoice, *text, *showComments, *comments, *save, *discard, *cancel;
    std::string answered; // the label of the button pressed, as it read when pressed
    bool checkedIn = false; // the File shown was checked in by this dialogue
};

File* current(QuerySave* q) {
    return (*q->files)[q->at].file;
}

void setLabel(Widget* w, const char* label) {
    w->label = label;
    WidgetRedraw(w);
}

void showFile(QuerySave* q) {
    File* f = current(q);
    q->vc = vcStateOf(f);
    WidgetSetText(q->name, shownName(f));
    const char* first = !q->vc.under ? "File is not under Version Control"
                        : q->vc.mine ? "Leave Checked Out"
                                     : "File is not checked out to you.";
    WidgetSetItems(q->vcChoice, {first, "Check In"});
    WidgetSetValue(q->vcChoice, q->vc.mine && f->checkedOut ? 1 : 0);
    q->vcChoice->enabled = q->vc.mine; // only the holder can check it in
    WidgetRedraw(q->vcChoice);
    bool cannot = f->readOnly || q->vc.elsewhere;
    const char* text = !f->modified ? "No unsaved changes."
                       : cannot ? "Cannot save changes. Cancel and use File > Save As... to keep "
                                  "changes."
                                : "Do you want to save your changes?";
    WidgetSetText(q->text, text);
    setLabel(q->save, f->modified ? "&Save" : "&OK");
    q->save->enabled = !f->modified || !cannot;
    q->save->isDefault = q->save->enabled && (f->modified || !f->checkedOut);
    WidgetRedraw(q->save);
    setLabel(q->discard, q->vc.under && q->vc.mine ? "&Discard..." : "&Discard");
    WidgetSetText(q->comments, "");
    q->d->batchText = std::string(shownName(f)) + "\n" + text;
    // The window is named after the File it asks about.
    q->d->title = shownName(f);
    if (q->d->win) WSetWindowName(q->d->win, q->d->title.c_str());
    if (q->d->win) {
        WDialogRelayout(q->d);
        WidgetFocus(q->save->isDefault ? q->save : q->cancel);
    }
}

// The File is settled: its action runs and the next File is shown, or the dialogue ends.
void settled(QuerySave* q) {
    FileListEntry& entry = (*q->files)[q->at];
    // A copy fetched only to be edited goes once it is checked in and its window closes.
    File* f = entry.file;
    if (q->checkedIn && entry.action && f->fromVc && f->name && unlink(f->name) == 0)
        f->fromVc = false;
    q->checkedIn = false;
    if (entry.action) entry.action(entry.file);
    if (++q->at >= q->files->size()) {
        WDialogDismiss(q->d, 0);
        return;
    }
    showFile(q);
}

// False keeps the dialogue at this File.
bool saveChosen(QuerySave* q) {
    File* f = current(q);
    if (f->modified && (SaveFile(f) != 1 || f->modified)) {
        if (!abandonAfterFailedSave(f)) return false;
        f->modified = false;
    }
    if (q->vcChoice->enabled && q->vcChoice->value == 1) {
        std::string comment = WidgetText(q->comments);
        q->checkedIn = file_CheckIn(f, comment.c_str()) != 0;
        if (!q->checkedIn) {
            std::string m = std::string("Unable to check in file ( ") + shownName(f) + " )";
            WAlert(m.c_str());
            f->checkinOnClose = false;
        }
    }
    return true;
}

// "Discard..." asks first, and offers to give the check-out up as well.
bool discardChosen(QuerySave* q) {
    File* f = current(q);
    if (q->vc.under && q->vc.mine) {
        GenStr text(f->modified
                        ? gen_sprintf("Are you sure you want to discard your changes to %s?",
                                      shownName(f))
                        : gen_sprintf("Are you sure you want to give up the check-out of %s?",
                                      shownName(f)));
        const char* second = f->modified ? "Revert" : "Leave file checked out";
        int a = WButtonDialogue("Are you sure?", text.get(), {"Discard", second, "Cancel"}, 2);
        if (a != 0 && a != 1) return false;
        // Unmodified, Discard gives the check-out up; modified, Revert does.
        if ((a == 1) == f->modified && !file_Uncheck(f)) {
            WAlert("The check-out could not be given up.");
            return false;
        }
    }
    f->modified = false;
    f->checkinOnClose = false;
    return true;
}

void querySaveActivate(WDialog* d, Widget* w, int) {
    auto* q = static_cast<QuerySave*>(d->user);
    if (w == q->showComments) {
        WidgetSetHidden(q->comments, w->value == 0);
        if (w->value && q->comments->win) WidgetFocus(q->comments);
        return;
    }
    if (w->kind != WG_BUTTON) return;
    q->answered = withoutMnemonic(w->label);
    if (w == q->cancel) {
        WDialogDismiss(d, -1);
        return;
    }
    bool done = w == q->save ? saveChosen(q) : w == q->discard ? discardChosen(q) : false;
    if (done) settled(q);
}

// The button as it read when pressed (the next File may relabel it); a default about to be
// pressed reads as it does now.
std::string querySaveAnswer(WDialog* d, Widget* button) {
    auto* q = static_cast<QuerySave*>(d->user);
    std::string shown = q->answered.empty() ? withoutMnemonic(button->label) : q->answered;
    q->answered.clear();
    return shown;
}

// ---- "Save Files?" ----

void saveFilesActivate(WDialog* d, Widget* w, int) {
    if (w->kind != WG_BUTTON) return;
    Widget* list = WDialogFind(d, "files");
    if (w->name == "none") WidgetMarkAll(list, false);
    if (w->name == "all") WidgetMarkAll(list, true);
    WDialogDismiss(d, w->isCancel ? 0 : 1);
}

} // namespace

bool FileUsedElsewhere(Edit* edit, File* file) {
    for (Edit* e = file->edits; e; e = e->nextsame)
        if (e != edit) return true;
    for (EditPop* p = file->pops; p; p = p->nextForFile) {
        bool ours = false;
        for (EditPop* q = edit->pops; q && !ours; q = q->next) ours = q == p;
        if (!ours) return true;
    }
    return false;
}

bool edit_FileNeedsSaving(Edit* edit, File* file) {
    if (!file || file->notAFile || file->internal) return false;
    if (!file->modified && !file->checkedOut) return false;
    return !FileUsedElsewhere(edit, file);
}

int vc_querysave_dialogue(FileList& files) {
    if (files.empty()) return 0;
    QuerySave q;
    q.files = &files;
    WDialog* d = WDialogNew(shownName(files[0].file));
    q.d = d;
    d->user = &q;
    d->activate = querySaveActivate;
    d->describeAnswer = querySaveAnswer;
    d->cancelResult = -1;
    d->batchDefault = true;
    q.name = WDialogAdd(d, nullptr, WG_LABEL, "file", "");
    WDialogAdd(d, nullptr, WG_SEPARATOR, nullptr, nullptr);
    q.vcChoice = WDialogAdd(d, nullptr, WG_BUTTONSET, "vc", nullptr);
    q.vcChoice->vertical = false;
    q.text = WDialogAdd(d, nullptr, WG_LABEL, "text", "");
    Widget* row = WDialogAdd(d, nullptr, WG_ROW, nullptr, nullptr);
    q.showComments = WDialogAdd(d, row, WG_TOGGLE, "showcomments", "Co&mments:");
    q.showComments->align = WALIGN_CENTER;
    q.comments = WDialogAdd(d, row, WG_TEXTFIELD, "comments", "");
    q.comments->columns = 40;
    q.comments->stretch = 1;
    q.comments->hidden = true; // until the user asks for it
    WDialogAdd(d, nullptr, WG_SEPARATOR, nullptr, nullptr);
    Widget* buttons = WDialogAdd(d, nullptr, WG_ROW, "buttons", nullptr);
    buttons->align = WALIGN_CENTER;
    q.save = WDialogAdd(d, buttons, WG_BUTTON, "save", "&Save");
    q.discard = WDialogAdd(d, buttons, WG_BUTTON, "discard", "&Discard...");
    q.cancel = WDialogAdd(d, buttons, WG_BUTTON, "cancel", "&Cancel");
    q.cancel->isCancel = true;
    // The longest texts first, so that the window is wide enough for every File.
    WidgetSetText(q.text, "Cannot save changes. Cancel and use File > Save As... to keep changes.");
    WidgetSetItems(q.vcChoice, {"File is not under Version Control", "Check In"});
    WDialogRealize(d);
    showFile(&q);
    int r = WDialogRun(d);
    WDialogDestroy(d);
    return r;
}

int edit_ChooseFiles(FileList& files) {
    if (files.empty()) return 1;
    WDialog* d = WDialogNew("Save Files?");
    d->activate = saveFilesActivate;
    d->cancelResult = 0;
    std::vector<std::string> names;
    std::string shown = "Save Files?";
    for (const FileListEntry& e : files) {
        names.push_back(shownName(e.file));
        shown += std::string("\n") + shownName(e.file);
    }
    d->batchText = shown;
    WDialogAdd(d, nullptr, WG_LABEL, nullptr, "Files with unsaved changes:");
    Widget* list = WDialogAdd(d, nullptr, WG_LIST, "files", nullptr);
    list->multiple = true;
    list->columns = 50;
    list->rows = std::clamp((int)files.size(), 3, 15);
    list->stretch = 1;
    WidgetSetItems(list, names);
    WidgetMarkAll(list, true);
    WDialogAdd(d, nullptr, WG_SEPARATOR, nullptr, nullptr);
    Widget* row = WDialogAdd(d, nullptr, WG_ROW, "buttons", nullptr);
    row->align = WALIGN_CENTER;
    WDialogAdd(d, row, WG_BUTTON, "cancel", "Cancel")->isCancel = true;
    WDialogAdd(d, row, WG_BUTTON, "none", "None");
    Widget* chosen = WDialogAdd(d, row, WG_BUTTON, "selected", "Selected");
    chosen->isDefault = true;
    WDialogAdd(d, row, WG_BUTTON, "all", "All");
    d->focus = chosen;
    int r = WDialogRun(d);
    FileList kept;
    for (size_t i = 0; i < files.size(); i++)
        if (i < list->marks.size() && list->marks[i]) kept.push_back(files[i]);
    WDialogDestroy(d);
    if (r != 1) return 0;
    files = kept;
    return 1;
}

int saveFilesDlg(FileList& files) {
    if (!edit_ChooseFiles(files)) return 0;
    for (const FileListEntry& e : files) {
        if (SaveFile(e.file) == 1 && !e.file->modified) continue;
        if (!abandonAfterFailedSave(e.file)) return 0;
    }
    return 1;
}

FileList edit_ModifiedFiles(bool checkins) {
    FileList files;
    for (File* f = FileHead(); f; f = f->next)
        if (!f->internal && !f->stub && (f->modified || (checkins && f->checkinOnClose)))
            files.push_back({f, nullptr});
    return files;
}

void edit_MarkNotAFile(File* file) {
    file->notAFile = true;
}

void edit_ReleaseGivenUp() {
    std::vector<File*> marked;
    for (File* f = FileHead(); f; f = f->next)
        if (f->notAFile) marked.push_back(f);
    for (File* f : marked) {
        if (!f->edits && !f->pops) FileStubout(f);
        f->notAFile = false;
        // A File that never was on disk has nothing to come back to.
        if (f->stub && f->isNew) FileFree(f);
    }
}

int EditQuerySaveFile(Edit* edit, File* file) {
    if (!edit_FileNeedsSaving(edit, file)) return 1;
    FileList one{{file, nullptr}};
    return vc_querysave_dialogue(one) >= 0 ? 1 : 0;
}

int EditSaveAndCloseFiles(Edit* edit) {
    FileList files;
    auto add = [&](File* f) {
        if (!edit_FileNeedsSaving(edit, f)) return;
        for (const FileListEntry& e : files)
            if (e.file == f) return;
        files.push_back({f, edit_MarkNotAFile});
    };
    add(edit->view.file);
    for (EditPop* p = edit->pops; p; p = p->next) add(p->file);
    if (files.empty() || vc_querysave_dialogue(files) >= 0) return 1;
    // Cancelled: the window stays with only the Files still unsaved.
    EditRemovePops(edit, [](Edit* e, File* f) { return !edit_FileNeedsSaving(e, f); });
    if (!edit_FileNeedsSaving(edit, edit->view.file) && edit->pops) _EditPopEdit(edit, 0);
    edit_ReleaseGivenUp();
    return 0;
}
