// editor/vccmds.cc: the version-control commands of an editor window: check out, check in,
// discard, place under control, history and reverting to an old version. The front end
// (vcfront/) does the work; these commands pick the File, save it first where the tool reads
// the file on disk, and bring the File and its windows up to date afterwards.
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/notify.h"
#include "buffer/save.h"
#include "buffer/vchook.h"
#include "config/options.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/execwin.h"
#include "editor/merge.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/process.h"
#include "toolkit/toolkit.h"
#include "vc/qvc.h"
#include "vcfront/vc.h"

namespace vccmds {

namespace {

// The File a command works on: a real file of this window, else a beep.
File* fileOf(Edit* e) {
    File* f = e->view.file;
    if (!f || f->internal || !f->name || f->notAFile) {
        WBeep();
        return nullptr;
    }
    return f;
}

bool underControl(Edit* e, File* f) {
    f->vcKnown = false; // ask again: the user may have changed it outside the editor
    if (file_UnderVC(f)) return true;
    GenStr m(gen_sprintf("%s is not under version control", f->name));
    EditSetMsg(e, m.get());
    return false;
}

// Read-only follows the disk: no write permission for us, or no write bit at all (which the
// superuser's access() overlooks, and which checked-in files have).
void refreshReadOnly(File* f) {
    struct stat st;
    if (stat(f->name, &st) == 0)
        f->readOnly = access(f->name, W_OK) != 0 || !(st.st_mode & 0222) || f->loadReadOnly;
    FileReadonlySet(f);
}

// After a tool ran on the file: reload it when the tool rewrote it (a check-out, keywords
// expanded by a check-in) unless the File holds unsaved changes.
void reload(File* f) {
    bool out = f->checkedOut, onClose = f->checkinOnClose;
    if (!f->modified && FileFileChanged(f)) FileSemiRevert(f);
    f->checkedOut = out;
    f->checkinOnClose = onClose;
    refreshReadOnly(f);
    EditsSbSet(f);
}

// A QVC command line on one file, its name quoted as QVC's command words are.
std::string qvcLine(const char* command, const char* path) {
    std::string line = std::string(command) + " \"";
    for (const char* p = path; *p; p++) {
        if (*p == '"' || *p == '\\') line += '\\';
        line += *p;
    }
    return line + "\"";
}

bool saveFirst(File* f) {
    return !f->modified || SaveFile(f) == 1;
}

// Replaces the File's text by a file's, as one change that Undo takes back.
int replaceText(Edit* e, File* f, const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return QuorlError(ERR_FAILURE, "Can't open file: %s", path.c_str());
    std::string text;
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, (size_t)n);
    close(fd);
    if (EditReadOnlyCheck(e) != 0) return 0; // refused (it said why)
    FileChange(f, EditHintLine(f), EditHintNo(f), 1, 0, f->nLines + 1, 0, text.data(),
               (int64_t)text.size(), 0);
    FileCloseUndo(f);
    EditsSbSet(f);
    return 1;
}

int revertTo(Edit* e, File* f, const std::string& version) {
    std::string temp;
    if (!vc_FetchVersion(f->name, version.c_str(), temp)) return 0;
    int ok = replaceText(e, f, temp);
    unlink(temp.c_str());
    if (ok) {
        GenStr m(gen_sprintf("Reverted to version %s", version.c_str()));
        EditSetMsg(e, m.get());
    }
    return ok;
}

// The version at the start of a history line: "1.2) user date -- comment" or "1.2 - ...".
std::string versionOfLine(const std::string& line) {
    size_t end = line.find_first_of(") ");
    return line.substr(0, end);
}

// What the history window was left with: the version chosen and what to do with it.
enum HistoryChoice { HISTORY_NONE, HISTORY_REVERT, HISTORY_COMPARE };

// The QVC history window: the versions, newest first; Revert puts the chosen one into the
// File, Compare shows it beside the version before it. The version chosen ("" when none).
std::string historyWindow(File* f, bool wantRevert, HistoryChoice* choice) {
    *choice = HISTORY_NONE;
    std::vector<std::string> lines;
    int saved = vc_SetOutput(VC_OUT_ERRBUF);
    int r = qvc_show2(f->name, 0, lines);
    vc_SetOutput(saved);
    if (r < 0 || lines.empty()) {
        vc_ErrAlert("No history");
        return "";
    }
    vc_ErrIgnore();
    WDialog* d = WDialogNew("Show History");
    d->batchText = std::string("Show History ") + f->name;
    for (const std::string& l : lines) d->batchText += "\n" + l; // what the list shows
    WDialogAdd(d, nullptr, WG_LABEL, "file", f->name);
    Widget* list = WDialogAdd(d, nullptr, WG_LIST, "history", "");
    list->items = lines;
    list->value = 0;
    list->columns = 70;
    list->rows = std::min<int>(15, std::max<int>(3, (int)lines.size()));
    list->stretch = 1;
    Widget* row = WDialogAdd(d, nullptr, WG_ROW, "buttons", nullptr);
    row->align = WALIGN_CENTER;
    Widget* revert = WDialogAdd(d, row, WG_BUTTON, "revert", "&Revert");
    revert->isDefault = wantRevert;
    WDialogAdd(d, row, WG_BUTTON, "compare", "Com&pare with Previous");
    Widget* close = WDialogAdd(d, row, WG_BUTTON, "close", "&Close");
    close->isCancel = true;
    close->isDefault = !wantRevert;
    d->cancelResult = 2; // Close
    int pressed = WDialogRun(d); // the buttons in order: revert, compare, close
    std::string chosen;
    if ((pressed == 0 || pressed == 1) && list->value >= 0 && list->value < (int)lines.size()) {
        chosen = versionOfLine(lines[(size_t)list->value]);
        *choice = pressed == 0 ? HISTORY_REVERT : HISTORY_COMPARE;
    }
    WDialogDestroy(d);
    return chosen;
}

// A compare window on a version of the File and the version before it.
int compareWithPrevious(Edit* e, File* f, const std::string& version) {
    std::string previous = vc_GetPreviousVersion(f->name, version.c_str());
    if (previous.empty()) {
        GenStr m(gen_sprintf("No version of %s before %s", f->name, version.c_str()));
        EditSetMsg(e, m.get());
        return 0;
    }
    MergeRequest rq;
    rq.file1 = rq.file2 = f->name;
    rq.version1 = previous;
    rq.version2 = version;
    return MergeFiles(rq, 0, MERGE_COMPARE, 0) ? 1 : 0;
}

// What the history window's choice leads to.
int historyChosen(Edit* e, File* f, HistoryChoice choice, const std::string& version) {
    if (choice == HISTORY_COMPARE) return compareWithPrevious(e, f, version);
    return choice == HISTORY_REVERT ? revertTo(e, f, version) : 1;
}

std::string askLine(const char* title, const char* prompt) {
    std::string answer;
    if (!WPrompt(title, prompt, answer)) return "";
    size_t a = answer.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    return answer.substr(a, answer.find_last_not_of(" \t") - a + 1);
}

} // namespace

int cmdCheckout(Edit* e, EditCmdCtx*) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    int r = file_CheckOut(f);
    if (r == -2) { // nothing to do: the user has it already
        GenStr m(gen_sprintf("You already have %s checked out.", f->name));
        EditSetMsg(e, m.get());
        return 1;
    }
    if (r != 1) return 0;
    reload(f);
    GenStr m(gen_sprintf("Checked out %s", f->name));
    EditSetMsg(e, m.get());
    return 1;
}

int cmdCheckin(Edit* e, EditCmdCtx* ctx) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    if (!saveFirst(f)) return 0;
    std::string comment = EditCmdArg(ctx);
    if (!file_CheckIn(f, comment.empty() ? nullptr : comment.c_str())) return 0;
    reload(f);
    GenStr m(gen_sprintf("Checked in %s", f->name));
    EditSetMsg(e, m.get());
    return 1;
}

int cmdDiscard(Edit* e, EditCmdCtx*) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    if (!file_Discard(f)) return 0;
    refreshReadOnly(f);
    EditsSbSet(f);
    GenStr m(gen_sprintf("Discarded the check-out of %s", f->name));
    EditSetMsg(e, m.get());
    return 1;
}

int cmdPlaceUnderVC(Edit* e, EditCmdCtx*) {
    File* f = fileOf(e);
    if (!f) return 1;
    if (!saveFirst(f)) return 0;
    GenStr failed(gen_sprintf("Could not place %s under version control", f->name));
    if (vc_Quietly([&] { return vc_CreateFile(f->name, 0); }, failed.get()) != 1) return 0;
    f->vcKnown = false;
    reload(f);
    GenStr m(gen_sprintf("%s is under version control", f->name));
    EditSetMsg(e, m.get());
    return 1;
}

// Runs the QVC command (command, as its name reads in the tool) on the window's File, which
// must be under QVC; then `done` (a format taking the File's name) goes to the message line.
// The handler's result.
int qvcOnFile(Edit* e, const char* command, const char* name, const char* done,
              void (*after)(File* f)) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    if (vc_whichVC != VC_QVC) {
        GenStr m(gen_sprintf("%s: the file is not under QVC", name));
        EditSetMsg(e, m.get());
        return 0;
    }
    std::string line = qvcLine(command, f->name);
    if (vc_Quietly([&] { return qvc_Main(line.c_str()); }, nullptr) != 1) return 0;
    if (after) after(f);
    GenStr m(gen_sprintf(done, f->name));
    EditSetMsg(e, m.get());
    return 1;
}

int cmdUnqvc(Edit* e, EditCmdCtx*) {
    return qvcOnFile(e, "unqvc", "Unqvc", "Version control removed for %s", [](File* f) {
        f->vcKnown = false;
        f->checkedOut = f->checkinOnClose = false;
        refreshReadOnly(f);
    });
}

// Every later check-in of the File asks for comments: the log's "Use Comments" variable is
// turned on (a log made without it takes check-ins silently).
int cmdChangeLogVar(Edit* e, EditCmdCtx*) {
    return qvcOnFile(e, "changelogvar", "ChangeLogVar", "Check-ins of %s ask for comments",
                     nullptr);
}

int cmdShowHistory(Edit* e, EditCmdCtx*) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    if (dontusevc) {
        EditSetMsg(e, "Version control is disabled; Can't show history");
        return 0;
    }
    switch (vc_whichVC) {
    case VC_QVC: {
        HistoryChoice choice;
        std::string v = historyWindow(f, false, &choice);
        return historyChosen(e, f, choice, v);
    }
    case VC_CLEARCASE: {
        int saved = vc_SetOutput(vc_MessageList("Version Control"));
        int ok = vc_Main(vc_ShowCommand(f->name).c_str());
        vc_SetOutput(saved);
        return ok;
    }
    default: return FileFExecuteStr(vc_ShowCommand(f->name).c_str(), e, nullptr) ? 1 : 0;
    }
}

int cmdRevertVersion(Edit* e, EditCmdCtx* ctx) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    std::string v = EditCmdArg(ctx);
    if (v.empty()) v = askLine("Revert Version", "Revert to version:");
    if (v.empty()) return 1;
    return revertTo(e, f, v);
}

int cmdRevertHistory(Edit* e, EditCmdCtx*) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    if (vc_whichVC == VC_QVC) {
        HistoryChoice choice;
        std::string v = historyWindow(f, true, &choice);
        return historyChosen(e, f, choice, v);
    }
    std::string v = askLine("Revert Version", "Revert to version:");
    return v.empty() ? 1 : revertTo(e, f, v);
}

int cmdRevertDate(Edit* e, EditCmdCtx* ctx) {
    File* f = fileOf(e);
    if (!f || !underControl(e, f)) return f ? 0 : 1;
    if (vc_whichVC != VC_QVC) {
        EditSetMsg(e, "Reverting by date needs QVC");
        return 0;
    }
    std::string when = EditCmdArg(ctx);
    if (when.empty()) when = askLine("Revert Date", "Revert to the version of (MM/DD/YYYY HH:MM:SS):");
    if (when.empty()) return 1;
    std::string version = qvc_versionFdate(f->name, when.c_str());
    if (version.empty()) {
        GenStr m(gen_sprintf("No version of %s at %s", f->name, when.c_str()));
        EditSetMsg(e, m.get());
        return 0;
    }
    return revertTo(e, f, version);
}

int cmdShowView(Edit* e, EditCmdCtx*) {
    if (vc_whichVC != VC_CLEARCASE) {
        EditSetMsg(e, "Show View: the version control is not ClearCase");
        return 0;
    }
    return vc_CCaseShowView();
}

// A command line of the selected system for this File, its output in the message list.
int cmdVcBuffer(Edit* e, EditCmdCtx* ctx) {
    File* f = fileOf(e);
    if (!f) return 1;
    std::string command = EditCmdArg(ctx);
    if (command.empty()) command = askLine("Version Control", "Version control command:");
    if (command.empty()) return 1;
    // The name is one word for the tool: a shell line gets it quoted for the shell.
    std::string name = vc_whichVC == VC_QVC || vc_UseInterpreter
                           ? std::string("\"") + f->name + "\""
                           : WShellQuote(f->name);
    std::string line = command + " " + name;
    int saved = vc_SetOutput(vc_MessageList("Version Control"));
    int ok = vc_Other(line.c_str());
    vc_SetOutput(saved);
    f->vcKnown = false;
    return ok;
}

} // namespace vccmds
