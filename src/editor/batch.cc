// editor/batch.cc: batch mode and its batch-only commands.
#include "config/cfgcmd.h"
#include "editor/batch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/registry.h"
#include "editor/edit.h"
#include "editor/editdialogs.h"
#include "editor/editcmd.h"
#include "editor/execwin.h"
#include "editor/merge.h"
#include "lang/syn.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/seam.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "vcfront/vc.h"
#include "toolkit/process.h"
#include "toolkit/toolkit.h"

static Edit* current = nullptr;
// How long the loop waits after a command string for the children it started.
static int waitLimitSeconds = 60;

// Windows in opening order: the context list keeps the newest first.
static std::vector<Edit*> openWindows() {
    std::vector<Edit*> out;
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next)
        if (cw->kind == CW_EDIT)
            out.insert(out.begin(), (Edit*)cw->data);
        else if (cw->kind == CW_COMPARE) // its commands run in its first text
            out.insert(out.begin(), CompareWindowEdit(cw->data));
    return out;
}

Edit* BatchCurrentEdit() {
    std::vector<Edit*> all = openWindows();
    for (Edit* e : all)
        if (e == current) return current;
    current = all.empty() ? nullptr : all.front();
    return current;
}

static bool parseNumber(const std::string& word, long long& out) {
    char* end = nullptr;
    out = strtoll(word.c_str(), &end, 10);
    return !word.empty() && end && *end == 0;
}

static int noWindow(const char* command) {
    return QuorlError(1, "%s: no editor window is open", command);
}

static int printLines(Edit* e, const std::vector<std::string>& args) {
    File* f = e->view.file;
    long long from = 1, to = f->nLines;
    if (args.size() >= 1 && !parseNumber(args[0], from))
        return QuorlError(1, "PrintLines: bad line number %s", args[0].c_str());
    if (args.size() >= 2 && !parseNumber(args[1], to))
        return QuorlError(1, "PrintLines: bad line number %s", args[1].c_str());
    if (from < 1) from = 1;
    if (to > f->nLines) to = f->nLines;
    Line* l = FileLine(f, from);
    for (long long n = from; l && n <= to; n++, l = l->next) {
        fwrite(FileLineText(f, l), 1, (size_t)l->len, stdout);
        fputc('\n', stdout);
    }
    fflush(stdout);
    return 1;
}

static int printState(Edit* e) {
    File* f = e->view.file;
    int64_t line, l1, l2;
    int col, c1, c2;
    EditCursor(e, &line, &col);
    EditSelectionRange(e, &l1, &c1, &l2, &c2);
    const char* lang = f->language ? syn_GetLangStr(f) : nullptr;
    if (!lang) lang = "None";
    printf("file=%s line=%lld col=%d lines=%lld modified=%d readonly=%d dos=%d "
           "sel=%lld,%d-%lld,%d lang=%s\n",
           f->name ? f->name : "", (long long)line, col, (long long)f->nLines, f->modified ? 1 : 0,
           (f->readOnly || f->viewOnly) ? 1 : 0, f->dosMode ? 1 : 0, (long long)l1, c1,
           (long long)l2, c2, lang);
    fflush(stdout);
    return 1;
}

static int selectWindow(const std::vector<std::string>& args) {
    long long n = 0;
    if (args.empty() || !parseNumber(args[0], n))
        return QuorlError(1, "SelectWindow: a window number is needed");
    std::vector<Edit*> all = openWindows();
    if (n < 1 || n > (long long)all.size())
        return QuorlError(1, "SelectWindow: no window %lld", n);
    current = all[(size_t)n - 1];
    return 1;
}

namespace {

std::vector<std::string> words(const EditCmdCtx* ctx) {
    std::istringstream in(EditCmdArg(ctx));
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// Looking at the editor keeps a run of vertical motions going.
void keepGoal(Edit* e) {
    e->view.goalX = e->view.prevGoalX;
}

int cmdPrintLines(Edit* e, EditCmdCtx* ctx) {
    keepGoal(e);
    return printLines(e, words(ctx));
}
int cmdPrintState(Edit* e, EditCmdCtx*) {
    keepGoal(e);
    return printState(e);
}
int cmdSelectWindow(Edit*, EditCmdCtx* ctx) {
    if (!selectWindow(words(ctx))) return 0;
    ctx->moveTo = current;
    return 1;
}
int cmdPrintClip(Edit* e, EditCmdCtx* ctx) {
    keepGoal(e);
    std::vector<std::string> w = words(ctx);
    long long slot = -1;
    if (w.empty() || !parseNumber(w[0], slot) || slot < 0 || slot > 4)
        return QuorlError(1, "PrintClip: a slot number from 0 to 4 is needed");
    std::string text;
    int type = 0;
    EditSlotContents((int)slot, &text, &type);
    fwrite(text.data(), 1, text.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
    return 1;
}
int cmdPrintOption(Edit*, EditCmdCtx* ctx) {
    int result = 0;
    cfg_RunConfigCommand("PrintOption", EditCmdArg(ctx).c_str(), &result);
    return result;
}
int cmdWriteJournal(Edit*, EditCmdCtx*) {
    return FilesWriteJournals();
}
// Runs the event loop (timers, signals) for the given milliseconds, as an idle editor would.
int cmdSleep(Edit*, EditCmdCtx* ctx) {
    std::vector<std::string> w = words(ctx);
    long long ms = 0;
    if (w.empty() || !parseNumber(w[0], ms) || ms < 0)
        return QuorlError(1, "Sleep: a number of milliseconds is needed");
    long sec;
    int msPart;
    WSetTimeout(&sec, &msPart, (int)ms);
    for (int left; (left = WCheckTimeout(sec, msPart)) > 0;) {
        WEventAll(0);
        int wait = 0;
        ExtraProcess_Wait(&wait);
        WYield(wait < left ? wait : left);
    }
    return 1;
}
// Every crossing between the libraries, by name: who installs it and whether it is there.
int cmdPrintInterfaces(Edit*, EditCmdCtx*) {
    std::vector<const SeamEntry*> seams;
    for (const SeamEntry* s = seam_List(); s; s = s->next) seams.push_back(s);
    std::sort(seams.begin(), seams.end(),
              [](const SeamEntry* a, const SeamEntry* b) { return strcmp(a->name, b->name) < 0; });
    for (const SeamEntry* s : seams)
        printf("%s %s (%s)\n", s->name,
               s->impl ? "installed" : s->built ? "MISSING" : "not built", s->installer);
    fflush(stdout);
    return 1;
}
// What the current window's text area shows, one line per row of cells down to the last one
// with text, then the status field as "status: TEXT", trailing blanks dropped: the screen a
// user would see.
int cmdPrintScreen(Edit* e, EditCmdCtx*) {
    keepGoal(e);
    if (!e->view.window) return QuorlError(1, "PrintScreen: the window shows no text");
    EditRedraw(e);
    auto put = [](const char* prefix, std::string row) {
        row.erase(row.find_last_not_of(' ') + 1);
        fputs(prefix, stdout);
        fwrite(row.data(), 1, row.size(), stdout);
        fputc('\n', stdout);
    };
    std::vector<std::string> rows = WHeadlessRows(e->view.window);
    size_t used = rows.size();
    while (used > 0 && rows[used - 1].find_first_not_of(' ') == std::string::npos) used--;
    for (size_t r = 0; r < used; r++) put("", rows[r]);
    if (e->status) {
        std::vector<std::string> status = WHeadlessRows(e->status);
        std::string row = status.empty() ? "" : status[0];
        row.erase(0, row.find_first_not_of(' '));
        put("status: ", row);
    }
    fflush(stdout);
    return 1;
}
// The Halt button of the current window.
int cmdHalt(Edit* e, EditCmdCtx*) {
    if (ExecHalt(e->view.file)) return 1;
    return QuorlError(1, "Halt: no command is running in this window");
}
int cmdWaitLimit(Edit*, EditCmdCtx* ctx) {
    std::vector<std::string> w = words(ctx);
    long long n = 0;
    if (w.empty() || !parseNumber(w[0], n) || n < 0)
        return QuorlError(1, "WaitLimit: a number of seconds is needed");
    waitLimitSeconds = (int)n;
    vc_haltAfterMs = waitLimitSeconds * 1000;
    return 1;
}

void addBatchCommands() {
    static bool added = false;
    if (added) return;
    added = true;
    EditAddCmd("PrintLines", cmdPrintLines);
    EditAddCmd("PrintState", cmdPrintState);
    EditAddCmd("SelectWindow", cmdSelectWindow);
    EditAddCmd("PrintClip", cmdPrintClip);
    EditAddCmd("PrintOption", cmdPrintOption);
    EditAddCmd("WriteJournal", cmdWriteJournal);
    EditAddCmd("Sleep", cmdSleep);
    EditAddCmd("PrintInterfaces", cmdPrintInterfaces);
    EditAddCmd("PrintScreen", cmdPrintScreen);
    EditAddCmd("Halt", cmdHalt);
    EditAddCmd("WaitLimit", cmdWaitLimit);
    EditAddBatchDialogCommands();
}

} // namespace

int BatchRunCommand(const std::string& command) {
    addBatchCommands();
    Edit* e = BatchCurrentEdit();
    if (!e) {
        // Without a window only the configuration commands can run.
        std::istringstream in(command);
        std::string name;
        in >> name;
        if (name.empty()) return 1;
        size_t start = command.find_first_not_of(" \t", command.find(name) + name.size());
        std::string rest = start == std::string::npos ? "" : command.substr(start);
        int result = 0;
        if (cfg_RunConfigCommand(name.c_str(), rest.c_str(), &result)) return result;
        return noWindow(name.c_str());
    }
    EditCmdCtx ctx;
    ctx.text = command.c_str();
    ctx.msgWindow = e->top;
    int result = EditParseCmd(e, ctx);
    // A command that took another window up (SelectWindow, NextWindow) leaves it current.
    if (ctx.moveTo) current = ctx.moveTo;
    return result;
}

// The main loop's own steps, until no child that the program started is still running: the
// output Files are then complete when the next string looks at them.
static void waitForChildren() {
    if (WProcessRunning() == 0) return;
    long sec;
    int ms;
    WSetTimeout(&sec, &ms, waitLimitSeconds * 1000);
    while (WProcessRunning() > 0) {
        if (WCheckTimeout(sec, ms) == 0) {
            char* m = gen_sprintf("Commands still running after %d seconds; going on",
                                  waitLimitSeconds);
            WMessage(m);
            gen_free(m);
            return;
        }
        try {
            ErrorCheck frame;
            WEventAll(0);
            int timeout = 0;
            ExtraProcess_Wait(&timeout);
            WYield(std::min(timeout - 10, 100));
        } catch (const PanicError&) {
        }
    }
}

int RunBatch(const std::vector<std::string>& commands) {
    int status = 0;
    // A version-control tool that hangs is given up after the same limit: nobody is there to
    // press Escape.
    vc_haltAfterMs = waitLimitSeconds * 1000;
    for (const std::string& c : commands) {
        gen_checksignal();
        int ok = 0;
        try {
            ErrorCheck frame;
            ok = BatchRunCommand(c);
        } catch (const PanicError&) {
            ok = 0;
        }
        if (!ok) status = 1;
        waitForChildren();
    }
    // Children still running (past the wait limit) end with the program.
    WProcessEndAll(1000);
    // The end asks nothing: windows close as they are, and what no command saved is given up
    // with its edit lock and temp file.
    fileLinesGoWithProcess = true;
    // Nor does it check anything in: a check-out stays as it is, like the unsaved edits.
    for (File* f = FileHead(); f; f = f->next) f->checkinOnClose = false;
    while (ContextWindow* cw = NextEditContext()) {
        if (cw->kind != CW_EDIT) {
            cwRemoveList(cw);
            continue;
        }
        auto* e = static_cast<Edit*>(cw->data);
        e->destroying = true;
        EditDestroy(e);
    }
    while (File* f = FileHead()) FileFree(f);
    return status;
}
