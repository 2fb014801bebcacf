// editor/filelinks.cc: what the buffer tells the windows showing a File, routed to the editor
// records, the journal timer on the event loop, and the buffer's saving and reloading behind
// the editor's own checks.
#include <algorithm>
#include <string>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/match.h"
#include "buffer/notify.h"
#include "buffer/save.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/starthooks.h"
#include "lang/syn.h"
#include "runtime/error.h"
#include "toolkit/eventloop.h"
#include "toolkit/longwork.h"
#include "toolkit/toolkit.h"

namespace {

void showChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC, int64_t, int,
                int64_t oldEndL, int) {
    EditsPropagateColour(file, lS);
    EditsShowChange(file->edits, lS, cS, newEndL, newEndC, oldEndL);
    PopsShowChange(file->pops, lS, cS, newEndL, newEndC, oldEndL);
}

void refigureTopLine(File* file) {
    EditsRefigureTopLine(file->edits);
}

void titleUpdate(File* file) {
    for (Edit* e = file->edits; e; e = e->nextsame) EditUpdateTitle(e);
}

// The window whose selection an undo group records: the one last used on the File.
Edit* activeEdit(File* file) {
    return file->lastEdit ? file->lastEdit : file->edits;
}

int lineLen(File* file, int64_t line) {
    return line >= 1 && line <= file->nLines ? EditFileLine(file, line)->len : 0;
}

void setActiveSelection(File* file, int64_t lS, int cS, int64_t lE, int cE) {
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

bool getActiveSelection(File* file, int64_t* lS, int* cS, int64_t* lE, int* cE) {
    Edit* e = activeEdit(file);
    if (!e) return false;
    const Selection& s = e->view.sel[0];
    *lS = s.startLine;
    *cS = s.startCol;
    *lE = s.endLine;
    *cE = s.endCol;
    return true;
}

Edit** nextEditLink(Edit* edit) {
    return &edit->nextsame;
}

EditPop** nextPopLink(EditPop* pop) {
    return &pop->nextForFile;
}

void replaceFile(File* old, File* by) {
    EditReplaceFile(old, by);
    PopReplaceFile(old, by);
}

void saveAsChosen(File* file) {
    EditSaveAsChosen(file);
}

// Merging a file changed on disk needs the merge window, which is not built yet: the save is
// not made, and the user is told so rather than left wondering.
void mergeNotBuilt(File* file) {
    QuorlError(1, "Merge: not available yet; %s was not saved", file->name ? file->name : "");
}

// A fatal error's text goes to the message line of every editor window (or, with none open
// yet, to the program's own message output).
void messageLines(const char* text) {
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

// Bracket matching picks its pair table (Pascal's begin and end) by the File's language.
int languageType(const File* file) {
    return file->language ? file->language->id : 0;
}

bool guiMprintf() {
    return debugFlag[XSW_GUIMPRINTF] != 0;
}

bool lockWindow(Edit* edit, int) {
    if (!edit || !edit->view.file) return false;
    EditsReadOnlyUpdate(edit->view.file);
    return true;
}

// The journal timer: every `EditIncrFrequency` seconds the changed Files write their journals.
ExtraHandle* journalTimer = nullptr;

int journalTick(void*, int) {
    FilesSaveChanges(journalTimer);
    return 0; // the entry stays; FilesSaveChanges re-armed it
}

void rearmTimer(void* timer, int ms) {
    if (timer) ExtraProcess_SetTimeout((ExtraHandle*)timer, ms > 0 ? ms : 1000);
}

// Started before the configuration is read, and called again after it, so that the first
// journal is written at the configured interval rather than the default one.
void startJournalTimer() {
    int ms = EditIncrFrequency > 0 ? EditIncrFrequency * 1000 : 1000;
    if (journalTimer)
        ExtraProcess_SetTimeout(journalTimer, ms);
    else
        journalTimer = ExtraProcess_Create(XP_TIMER, ms, journalTick, nullptr, nullptr);
}

int fileChanged(File* file) {
    return file->internal ? 0 : FileFileChanged(file);
}

int saveFile(File* file) {
    return FileSave(file, nullptr, nullptr);
}

} // namespace

void EditInstallFileLinks() {
    fileNotify.showChange = showChange;
    fileNotify.refigureTopLine = refigureTopLine;
    fileNotify.modifiedUpdate = EditsModifiedUpdate;
    fileNotify.readonlySet = EditsReadOnlyUpdate;
    fileNotify.titleUpdate = titleUpdate;
    fileNotify.setActiveSelection = setActiveSelection;
    fileNotify.getActiveSelection = getActiveSelection;
    fileNotify.nextEditLink = nextEditLink;
    fileNotify.nextPopLink = nextPopLink;
    fileNotify.lockWindow = lockWindow;
    fileNotify.replaceFile = replaceFile;
    err_sink.messageLines = messageLines;
    match_LanguageType = languageType;
    err_sink.guiMprintf = guiMprintf;
    // The message-list window is not built: the program's messages go to the message lines.
    err_sink.messageList = messageLines;
    fileNotify.saveAs = saveAsChosen;
    fileNotify.merge = mergeNotBuilt;
    fileNotify.rearmTimer = rearmTimer;
    editHooks.fileChanged = fileChanged;
    editHooks.revert = FileRevert;
    editHooks.saveFile = saveFile;
    startHooks.startJournalTimer = startJournalTimer;
    wProgressShow = EditShowProgress;
    EditCmdInit();
}
