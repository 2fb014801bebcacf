// editor/editopen.cc: the commands that bring a file in: onto the window's alternate-file
// stack (OpenFile, EditFilename), into a new window (LoadFile, LoadFileWithNewEditor,
// Notepad) or into the text itself (InsertFile), and how a typed name finds its file.
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "buffer/save.h"
#include "config/options.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "editor/execwin.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

namespace editopen {

const char* const couldNotOpen = "[EditOpenFile] Could not open file";

// The directory of the File shown, where the chooser starts and relative names are tried.
std::string directoryOf(const File* file) {
    if (!file || !file->name || file->internal || !strchr(file->name, '/')) return "";
    GenStr dir(gen_dirname(file->name));
    return dir ? dir.get() : "";
}

// The argument's file name, or the one chosen with the chooser; "" when none was chosen.
std::string nameOrChosen(Edit* e, EditCmdCtx* ctx, const char* title, const char* button) {
    std::vector<std::string> words = FileNameWords(EditCmdArg(ctx));
    if (!words.empty()) return words[0];
    std::string dir = directoryOf(e->view.file), chosen;
    if (FileChooseDialogue(title, button, dir.empty() ? nullptr : dir.c_str(), chosen) != 1)
        return "";
    return chosen;
}

// A new window on the named file: `LoadFile` and its kin.
int loadInNewWindow(Edit* e, EditCmdCtx* ctx) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    std::string name = nameOrChosen(e, ctx, "Edit File", "Edit");
    if (name.empty()) return 1; // nothing chosen: nothing changes
    if (ExecExternalEditorWanted()) return ExecExternalEditor(e, ExpandFileName(name), 0);
    WSetCursor(e->view.window, WCURSOR_BUSY);
    WSync();
    Edit* opened;
    if (EditBufferEditor()) {
        // The buffer editor finds the file itself, as OpenFile does.
        opened = _NewEditWithBufferSwitch(name.c_str(), nullptr, 0, 0, 1);
    } else {
        File* f = EditFileSearch(name.c_str(), e->view.file);
        opened = f ? _NewEditWithBufferSwitch(f->name, f, 0, 0, 1) : nullptr;
    }
    WSetCursor(e->view.window, WCURSOR_ARROW);
    if (!opened) {
        EditSetMsg(e, couldNotOpen);
        return 0;
    }
    return 1;
}

int cmdOpenFile(Edit* e, EditCmdCtx* ctx) {
    std::string arg = EditCmdArg(ctx);
    if (arg.empty()) {
        std::string dir = directoryOf(e->view.file);
        if (FileChooseDialogue("Edit File", "Edit", dir.empty() ? nullptr : dir.c_str(), arg,
                               true) != 1)
            return 1;
    }
    std::vector<std::string> words = FileNameWords(arg);
    std::vector<std::string> names;
    if (words.size() == 1) names.push_back(words[0]);
    for (size_t i = 1; i < words.size(); i++) {
        const std::string& dir = words[0];
        names.push_back(words[i][0] == '/' || dir.empty() ? words[i]
                        : dir.back() == '/'               ? dir + words[i]
                                                          : dir + "/" + words[i]);
    }
    for (const std::string& name : names) {
        File* f = EditFileSearch(name.c_str(), e->view.file);
        if (!f) {
            EditSetMsg(e, couldNotOpen);
            return 0;
        }
        if (!EditPush(e, f, 0)) return 0;
    }
    return 1;
}

int cmdLoadFile(Edit* e, EditCmdCtx* ctx) {
    return loadInNewWindow(e, ctx);
}

// Always a window of its own: buffer mode is off while the command runs.
int cmdLoadFileWithNewEditor(Edit* e, EditCmdCtx* ctx) {
    struct ModeOff {
        int saved = openfilesinnewbuffers;
        ModeOff() { openfilesinnewbuffers = 0; }
        ~ModeOff() { openfilesinnewbuffers = saved; }
    } off;
    return loadInNewWindow(e, ctx);
}

int cmdInsertFile(Edit* e, EditCmdCtx* ctx) {
    if (EditReadOnlyCheck(e)) return 1;
    std::string name = nameOrChosen(e, ctx, "Insert ...", "Insert");
    if (name.empty()) return 1;
    name = ExpandFileName(name);
    File* f = e->view.file;
    int64_t at = e->view.sel[0].cursorLine;
    Line* before = at <= f->nLines ? EditFileLine(f, at) : nullptr;
    int r = FileInsertFile(f, before, name.c_str());
    for (Edit* o = f->edits; o; o = o->nextsame) {
        EditsSbSetOne(o);
        EditRedraw(o);
    }
    return r == 1 ? 1 : 0;
}

int cmdNotepad(Edit* e, EditCmdCtx*) {
    GenStr pattern(gen_sprintf("~%c.Notes", '/'));
    std::string name = ExpandFileName(pattern.get());
    File* f = FileFName(name.c_str());
    if (!f || !NewEditOfSize(f, 50, 12)) {
        EditSetMsg(e, "Can't open note file");
        return 0;
    }
    return 1;
}

// With a name, the file goes on the stack as one typed into the title bar's name field would;
// without, the keyboard goes to that field.
int cmdEditFilename(Edit* e, EditCmdCtx* ctx) {
    std::vector<std::string> words = FileNameWords(EditCmdArg(ctx));
    if (words.empty()) {
        if (!e->nameField) {
            WBeep();
            return 1;
        }
        WSetFocusChild(e->nameField->win);
        e->nameField->anchor = 0;
        e->nameField->cursor = e->nameField->text.size();
        tfDraw(e->nameField);
        return 1;
    }
    File* f = EditFileSearch(words[0].c_str(), e->view.file);
    if (!f) {
        EditSetMsg(e, couldNotOpen);
        return 0;
    }
    return EditPush(e, f, 0);
}

} // namespace editopen

File* EditFileSearch(const char* typed, File* current) {
    std::string name = ExpandFileName(typed ? typed : "");
    bool dotted = name.compare(0, 2, "./") == 0;
    while (name.compare(0, 2, "./") == 0 && name.size() > 2) name.erase(0, 2);
    if (name.empty()) return nullptr;
    struct stat st;
    // What exists is opened, or refused with the reason (a directory, a FIFO, no access).
    if (stat(name.c_str(), &st) == 0) return FileFName(name.c_str());
    if (File* f = FileFBaseName(name.c_str())) return f;
    if (name[0] != '/' && !dotted) {
        std::string dir = editopen::directoryOf(current);
        if (!dir.empty()) {
            std::string beside = dir + "/" + name;
            if (stat(beside.c_str(), &st) == 0) return FileFName(beside.c_str());
        }
    }
    GenStr question(gen_sprintf("Create new file named: %s", name.c_str()));
    if (!WYesNo("Create new file", question.get(), 1)) return nullptr;
    return FileFName(name.c_str());
}
