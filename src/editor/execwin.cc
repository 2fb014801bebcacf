// editor/execwin.cc: background shell commands whose output streams into a File shown in an
// editor window, their Halt button and their end; detached commands.
#include "editor/execwin.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <map>
#include <unistd.h>
#include <vector>

#include "buffer/exec.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/handles.h"
#include "toolkit/eventloop.h"
#include "toolkit/process.h"
#include "toolkit/widgets.h"

// One per running background command; the File points to it while the command runs.
struct ExecRecord {
    File* file = nullptr;
    MHandle* fileHandle = nullptr; // notices a File freed while the command runs
    MHandle* process = nullptr;
    std::string pending;           // output after the last LF
    ExecEnd end = nullptr;
    bool halted = false;
    int64_t lastFollowMs = 0;           // when the window last scrolled after the output
    ExtraHandle* followTimer = nullptr; // a scroll still to come
};

namespace {

constexpr int haltGraceMs = 1000; // a command that ignores SIGINT is killed after this

MHandle* lastErrorList = nullptr;

// ---- the Halt button: the one piece of window furniture this module adds ----

void haltPressed(Button*, void* data) {
    ExecHalt(static_cast<Edit*>(data)->view.file);
}

void showHalt(File* file, bool on) {
    for (Edit* e = file->edits; e; e = e->nextsame) {
        if (!e->top) continue;
        if (on && !e->haltButton) {
            e->haltButton = btnCreate(e->frame, 0, 0, btnWidthFor("Halt"), 1, "Halt", haltPressed, e);
            EditLayout(e);
        } else if (!on && e->haltButton) {
            btnDestroy(e->haltButton);
            e->haltButton = nullptr;
        }
    }
}

// ---- records ----

// The runner lets go of the command: its File may have died meanwhile (the runner then stopped
// the command and called nothing else).
void releaseRecord(void* cookie) {
    auto* r = static_cast<ExecRecord*>(cookie);
    if (File* f = static_cast<File*>(MHandleGetData(r->fileHandle))) {
        if (f->exec == r) f->exec = nullptr;
    }
    MHandleDestroy(r->fileHandle);
    MHandleDestroy(r->process);
    if (r->followTimer) ExtraProcess_Release(r->followTimer); // it still scrolls the window
    delete r;
}

// The last line sits a quarter of the window above its bottom while output arrives.
void followOutput(File* file) {
    Edit* e = file->edits;
    if (!e) return;
    int64_t rows = std::max<int64_t>(1, EditRows(e));
    int64_t top = file->nLines - (rows - rows / 4) + 1;
    if (top > e->view.topLine) EditScrollTo(e, top);
}

// A command that writes without pause would otherwise have its window redrawn for every
// piece read: hundreds of times a second, each a whole window for the X server to draw while a
// key press in another window waits. The window follows at most this often.
constexpr int followEveryMs = 40;

int64_t clockMs() {
    long sec;
    int ms;
    WSystemClock(&sec, &ms);
    return (int64_t)sec * 1000 + ms;
}

int followTick(void* user, int) {
    auto* h = static_cast<MHandle*>(user);
    if (File* f = static_cast<File*>(MHandleGetData(h))) {
        if (f->exec) f->exec->lastFollowMs = clockMs();
        followOutput(f);
    }
    MHandleDestroy(h);
    return 1;
}

void followSoon(File* file) {
    ExecRecord* r = file->exec;
    int64_t now = clockMs();
    if (!r || now - r->lastFollowMs >= followEveryMs || now < r->lastFollowMs) {
        if (r) r->lastFollowMs = now;
        followOutput(file);
        return;
    }
    if (r->followTimer && ExtraProcess_Alive(r->followTimer)) return;
    if (r->followTimer) ExtraProcess_Release(r->followTimer);
    r->followTimer =
        ExtraProcess_Create(XP_TIMER, (long)(followEveryMs - (now - r->lastFollowMs)), followTick,
                            nullptr, MHandleCreate(MHANDLE_FILE, file));
}

void onOutput(void* owner, const char* data, size_t n, int) {
    auto* file = static_cast<File*>(owner);
    ExecRecord* r = file->exec;
    if (!r || n == 0) return;
    if (r->pending.empty() && data[n - 1] == '\n') {
        FileAppendOutput(file, data, (int64_t)n, false);
    } else {
        r->pending.append(data, n);
        size_t lf = r->pending.rfind('\n');
        if (lf != std::string::npos) {
            FileAppendOutput(file, r->pending.data(), (int64_t)lf + 1, false);
            r->pending.erase(0, lf + 1);
        }
    }
    followSoon(file);
}

void onEnded(void* owner, int status) {
    auto* file = static_cast<File*>(owner);
    ExecRecord* r = file->exec;
    if (!r) return;
    file->running = false;
    if (!r->pending.empty()) {
        FileAppendOutput(file, r->pending.data(), (int64_t)r->pending.size(), true);
        r->pending.clear();
    }
    followOutput(file); // the end is shown at once, whatever scroll was still to come
    for (Edit* e = file->edits; e; e = e->nextsame) {
        if (r->halted) {
            WBeep();
            EditSetMsg(e, "Execution terminated");
        } else {
            EditSetMsg(e, "");
        }
    }
    showHalt(file, false);
    file->exec = nullptr; // the record itself goes when the runner releases it
    if (r->end) r->end(file, status);
}

void emptyFile(File* file) {
    FileFreeContents(file, 0, 1);
    file->errorLine = 0;
    for (Edit* e = file->edits; e; e = e->nextsame) {
        EditsRefigureTopLine(e);
        EditScrollTo(e, 1);
        EditSetCursor(e, 1, 0);
        EditRedraw(e);
    }
}

File* newOutputFile(const char* nameOrCommand, bool exactName) {
    File* f = FileFInternal(nameOrCommand);
    if (exactName) {
        gen_free(f->name);
        f->name = gen_copy(nameOrCommand);
    }
    FilesAddFile(f);
    return f;
}

// The background command (_FileFExecuteStr): file null makes a new File named after the
// command; otherwise the File is emptied unless appending.
File* startInto(const char* command, Edit* from, File* file, int append, const char* dir,
                ExecEnd end, bool beside) {
    if (file && file->running) {
        if (from) EditSetMsg(from, "A command is still writing into that window");
        return nullptr;
    }
    char* msg = gen_sprintf("Executing: %.200s ", command);
    if (from) EditSetMsg(from, msg);
    gen_free(msg);
    bool made = !file;
    if (made) file = newOutputFile(command, false);
    auto* r = new ExecRecord;
    r->file = file;
    r->fileHandle = MHandleCreate(MHANDLE_FILE, file);
    r->end = end;
    // The command runs here; dir is where its messages' relative names start.
    WProcessSpec spec;
    spec.command = command;
    WProcessClient client;
    client.output = onOutput;
    client.ended = onEnded;
    client.release = releaseRecord;
    client.cookie = r;
    file->exec = r;
    r->process = WProcessStart(spec, client, r->fileHandle);
    if (!r->process) {
        file->exec = nullptr;
        MHandleDestroy(r->fileHandle);
        delete r;
        if (made) FileFree(file);
        return nullptr;
    }
    if (!made && !append) emptyFile(file);
    file->running = true;
    file->terminated = false;
    file->noReload = true;
    file->readOnly = false;
    file->execDir = dir ? dir : "";
    if (!file->edits) {
        if (beside && from && from->top)
            NewEditNextToCw(file, from);
        else
            CreateEWind(file);
    } else if (!append) {
        EditsRaiseOne(file->edits);
    }
    showHalt(file, true);
    return file;
}

} // namespace

File* FileFExecuteStr(const char* command, Edit* from, ExecEnd end) {
    return startInto(command, from, nullptr, 0, nullptr, end, false);
}

File* ErrorFExecuteStr(const char* command, Edit* from, int append, const char* dir, int beside,
                       ExecEnd end, File* file, const char* label) {
    if (!file) {
        // "LABEL.NNN": the previous number is reused while idle and not being navigated.
        static std::map<std::string, int> counters;
        std::string l = label ? label : "progress";
        int& n = counters[l];
        char* prev = n > 0 ? gen_sprintf("%s.%03d", l.c_str(), n) : nullptr;
        File* old = nullptr;
        for (File* f = FileHead(); prev && f; f = f->next)
            if (f->internal && f->name && strcmp(f->name, prev) == 0) old = f;
        gen_free(prev);
        if (old && !old->running && old->errorLine == 0) {
            file = old;
        } else {
            char* name = gen_sprintf("%s.%03d", l.c_str(), ++n);
            file = newOutputFile(name, true);
            gen_free(name);
        }
    }
    File* f = startInto(command, from, file, append, dir, end, beside != 0);
    if (f) ExecSetLastErrorList(f);
    return f;
}

int NoWaitSystem(const char* command, void (*end)(void*, int), void* data) {
    // The detached command has no pipes to read: only its end is reported.
    struct Detached {
        void (*end)(void*, int);
        void* data;
    };
    auto* d = new Detached{end, data};
    MHandle* owner = MHandleCreate(MHANDLE_OTHER, d);
    WProcessSpec spec;
    spec.command = command;
    WProcessClient client;
    client.ended = [](void* o, int status) {
        auto* det = static_cast<Detached*>(o);
        if (det->end) det->end(det->data, status);
        MHandleDie(det);
        delete det;
    };
    MHandle* p = WProcessStart(spec, client, owner);
    MHandleDestroy(owner);
    if (!p) {
        MHandleDie(d);
        delete d;
        return 0;
    }
    MHandleDestroy(p);
    return 1;
}

int ExecHalt(File* file) {
    if (!file || !file->running || !file->exec) return 0;
    ExecRecord* r = file->exec;
    r->halted = true;
    file->terminated = true;
    WProcessTerminate(r->process, SIGINT, haltGraceMs);
    return 1;
}

File* ExecLastErrorList() {
    return static_cast<File*>(MHandleGetData(lastErrorList));
}

void ExecSetLastErrorList(File* file) {
    if (ExecLastErrorList() == file) return;
    MHandleDestroy(lastErrorList);
    lastErrorList = file ? MHandleCreate(MHANDLE_FILE, file) : nullptr;
}

std::string ExecInstalledProgram(const char* name) {
    const char* dir = gen_getprogdir();
    if (dir && *dir) {
        std::string path = std::string(dir) + (dir[strlen(dir) - 1] == '/' ? "" : "/") + name;
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return name;
}

bool ExecExternalEditorWanted() {
    return usealternateeditor && !editorName.empty();
}

int ExecExternalEditor(Edit* from, const std::string& path, int64_t line) {
    // "+LINE FILE" is what vi, Emacs, NEdit and qe itself take. The program option is a shell
    // line by intent; the file name is quoted.
    std::string command = editorName;
    if (line > 0) command += " +" + std::to_string(line);
    // A name that starts with "-" would read as an option.
    command += " " + WShellQuote(path[0] == '-' ? "./" + path : path);
    if (usextermforalternateeditor) command = "xterm -e " + command;
    if (from) EditSetMsg(from, ("Executing: " + command).c_str());
    return NoWaitSystem(command.c_str(), nullptr, nullptr);
}
