// editor/filelinks.cc: the editor's side of the buffer's window notifications: what a change,
// a save or an undo in a File means for the windows and alternate entries showing it.
#include <algorithm>
#include <time.h>

#include <string>

#include "buffer/file.h"
#include "buffer/notify.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "editor/merge.h"
#include "editor/editcmd.h"
#include "editor/editdialogs.h"
#include "editor/editpriv.h"
#include "runtime/error.h"
#include "toolkit/longwork.h"
#include "toolkit/toolkit.h"

namespace {

// The window whose selection an undo group records: the one last used on the File.
Edit* activeEdit(File* file) {
    return file->lastEdit ? file->lastEdit : file->edits;
}

int lineLen(File* file, int64_t line) {
    return line >= 1 && line <= file->nLines ? EditFileLine(file, line)->len : 0;
}

struct EditorViews final : FileViews {
    void showChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC,
                    int64_t oldEndL) override {
        if (lS == oldEndL && lS == newEndL)
            epLineEdited(file, lS, cS);
        else
            epForgetLines(file);
        EditsPropagateColour(file, lS);
        EditsShowChange(file->edits, lS, cS, newEndL, newEndC, oldEndL);
        PopsShowChange(file->pops, lS, cS, newEndL, newEndC, oldEndL);
    }

    void refigureTopLine(File* file) override { EditsRefigureTopLine(file->edits); }
    void modifiedUpdate(File* file) override { EditsModifiedUpdate(file); }
    void readonlySet(File* file) override { EditsReadOnlyUpdate(file); }

    void titleUpdate(File* file) override {
        for (Edit* e = file->edits; e; e = e->nextsame) EditUpdateTitle(e);
    }

    void setActiveSelection(File* file, int64_t lS, int cS, int64_t lE, int cE) override {
        Edit* e = activeEdit(file);
        if (!e) return;
        // A recorded selection may reach past what the text now holds: keep it inside.
        auto limit = [&](int64_t& l, int& c) {
            l = std::clamp<int64_t>(l, 1, file->nLines + 1);
            c = std::clamp(c, 0, lineLen(file, l));
        };
        limit(lS, cS);
        limit(lE, cE);
        if (lE < lS || (lE == lS && cE < cS)) std::swap(lS, lE), std::swap(cS, cE);
        Selection& s = e->view.sel[0];
        s.startLine = lS;
        s.startCol = cS;
        s.endLine = lE;
        s.endCol = cE;
        s.cursorLine = lS;
        s.cursorCol = cS;
        EditRedraw(e);
    }

    bool getActiveSelection(File* file, int64_t* lS, int* cS, int64_t* lE, int* cE) override {
        Edit* e = activeEdit(file);
        if (!e) return false;
        const Selection& s = e->view.sel[0];
        *lS = s.startLine;
        *cS = s.startCol;
        *lE = s.endLine;
        *cE = s.endCol;
        return true;
    }

    // A save under the name of another loaded File: its windows keep their place in `by`, and
    // its alternate entries move over to it.
    void replaceFile(File* old, File* by) override {
        while (Edit* e = old->edits) {
            int64_t line = e->view.sel[0].cursorLine;
            bool skip = e->skipFileCheck;
            e->skipFileCheck = true; // `by` was just written: nothing changed on disk
            EditChangeFile(e, by);
            e->skipFileCheck = skip;
            EditSetLine(e, line, 0);
            EditRedraw(e);
        }
        if (EditPop* p = old->pops) {
            for (;; p = p->nextForFile) {
                p->file = by;
                if (!p->nextForFile) break;
            }
            p->nextForFile = by->pops;
            by->pops = old->pops;
            old->pops = nullptr;
        }
    }

    void saveAs(File* file) override {
        if (Edit* e = activeEdit(file)) EditCli(e, "SaveAs");
    }

    void mergeWithDisk(File* file) override {
        MergeRequest rq;
        rq.file1 = rq.file2 = file->name ? file->name : "";
        rq.file1FromDisk = true;
        rq.title1 = std::string(gen_basename(rq.file1.c_str())) + " (on disk)";
        rq.title2 = std::string(gen_basename(rq.file1.c_str())) + " (edited)";
        rq.inPlace = file;
        MergeFiles(rq, 1, MERGE_MERGE, 0);
    }
};
EditorViews editorViews;

// A fatal error's text goes to the message line of every editor window (or, with none open
// yet, to the program's own message output).
void showOnMessageLines(const char* text) {
    std::string line = text ? text : "";
    while (!line.empty() && line.back() == '\n') line.pop_back();
    bool shown = false;
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next) {
        if (cw->kind != CW_EDIT) continue;
        EditSetMsg(static_cast<Edit*>(cw->data), line.c_str());
        shown = true;
    }
    if (!shown) WMessage(text);
}

// Long work shows how far it got on the current window's message line.
struct EditorProgress : WProgressView {
    bool hasWindow() override { return EditCurrent() != nullptr; }
    void show(const char* text) override { EditShowProgress(text); }
};
EditorProgress editorProgress;

struct EditorMessages : ErrorMessages {
    void messageLines(const char* text) override { showOnMessageLines(text); }
    // The message-list window is not built: the program's messages go to the message lines.
    void messageList(const char* text) override { showOnMessageLines(text); }
    bool guiMprintf() override { return debugFlag[XSW_GUIMPRINTF] != 0; }
};
EditorMessages editorMessages;

} // namespace

void EditInstallFileLinks() {
    fileViews.install(&editorViews);
    errorMessages.install(&editorMessages);
    wProgressView.install(&editorProgress);
    EditInstallDialoguePanes();
    EditCmdInit();
}
