// editor/editfile.cc: saving, reverting and closing from an editor, the window commands of the
// command table, and the small commands of the command language itself (Noop, Beep, Identify,
// AlterLocation, Minibuffer, the configuration commands).
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "buffer/save.h"
#include "config/bindings.h"
#include "config/cfg.h"
#include "config/cfgcmd.h"
#include "editor/cmdhandlers.h"
#include "editor/editcmd.h"
#include "editor/editmenus.h"
#include "editor/editpriv.h"
#include "editor/querysave.h"
#include "lang/syn.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/menu.h"
#include "toolkit/toolkit.h"

namespace editfile {

void messageAll(File* file, const char* text) {
    for (Edit* e = file->edits; e; e = e->nextsame)
        EditSetMsg(e, text);
}

int EditxSaveAs(File* file, const char* name, int forced) {
    if (strncmp(name, "./", 2) == 0) name += 2;
    std::string n = name;
    char* m = gen_sprintf("Saving as %s", n.c_str());
    messageAll(file, m);
    gen_free(m);
    FileCloseUndo(file);
    int r =
        forced ? FileForceSaveAs(file, n.c_str(), nullptr) : FileSaveAs(file, n.c_str(), nullptr);
    for (Edit* e = file->edits; e; e = e->nextsame) {
        if (r == 1) {
            EditSetWindowName(e);
            e->message.clear();
        }
        e->view.shownLine = -1;
        EditUpdateTitle(e);
    }
    // The language follows the new name.
    if (file->name) file->language = syn_LanguageOfFile(file->name);
    for (Edit* e = file->edits; e; e = e->nextsame)
        EditRedraw(e);
    return r == 1 ? 1 : 0;
}

int cmdSave(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    if (e->fixed || f->internal) {
        WBeep();
        return 1;
    }
    if (!f->modified) {
        EditSetMsg(e, "File has not been modified.");
        return 1;
    }
    return SaveFile(f);
}

int cmdSaveAs(Edit* e, EditCmdCtx* ctx) {
    File* f = e->view.file;
    std::string name = EditCmdArg(ctx);
    if (!name.empty() && name.front() == '"') {
        const char* end = nullptr;
        name = EditUnquote(name.c_str() + 1, &end);
    }
    if (!name.empty()) return EditxSaveAs(f, name.c_str(), 0);
    EditSaveAsChosen(f);
    return 1;
}

int cmdSaveAll(Edit* e, EditCmdCtx*) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    int ok = 1;
    for (File* f = FileHead(); f; f = f->next)
        if (f->name && f->modified && !f->internal && !SaveFile(f)) ok = 0;
    return ok;
}

int cmdRevert(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    if (e->fixed) {
        WBeep();
        return 1;
    }
    if (f->modified && !WYesNo("Revert", "Revert file and lose changes?", 1)) return 1;
    int r = FileRevert(f);
    EditsSbSet(f);
    return r == 1 ? 1 : 0;
}

int cmdRevertToBackup(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    if (e->fixed) {
        WBeep();
        return 1;
    }
    if (!WYesNo("Revert", "Revert file to backup version?", 1)) return 1;
    int r = FileRestoreFromBackup(f, nullptr);
    EditsSbSet(f);
    for (Edit* o = f->edits; o; o = o->nextsame) EditRedraw(o);
    return r == 1 ? 1 : 0;
}

int cmdQuerySaveAll(Edit*, EditCmdCtx*) {
    FileList files = edit_ModifiedFiles(false);
    return saveFilesDlg(files);
}

// The Files to save or check in are picked first; each is then settled on its own.
int cmdQuerySaveCheckinAll(Edit*, EditCmdCtx*) {
    FileList files = edit_ModifiedFiles(true);
    if (!edit_ChooseFiles(files)) return 0;
    return vc_querysave_dialogue(files) < 0 ? 0 : 1;
}

int cmdClose(Edit* e, EditCmdCtx*) {
    EditClose(e);
    return 1;
}
int cmdDone(Edit* e, EditCmdCtx*) {
    EditDone(e);
    return 1;
}
int cmdCloseOrPop(Edit* e, EditCmdCtx*) {
    EditCloseOrPop(e);
    return 1;
}
int cmdPop(Edit* e, EditCmdCtx*) {
    EditPopEdit(e);
    return 1;
}
int cmdTogglePush(Edit* e, EditCmdCtx*) {
    EditTogglePush(e);
    return 1;
}
int cmdCyclePush(Edit* e, EditCmdCtx*) {
    EditCyclePush(e);
    return 1;
}
int cmdCyclePushBack(Edit* e, EditCmdCtx*) {
    EditCyclePushBack(e);
    return 1;
}

// The configuration question comes first, while every window is still open; then every
// window closes in turn, each with its own question, and one that stays stops the quit.
int cmdQuit(Edit* e, EditCmdCtx*) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    cfg_AskSaveConfig();
    while (ContextWindow* cw = NextEditContext()) {
        if (cw->kind != CW_EDIT) {
            cwRemoveList(cw);
            continue;
        }
        if (!EditDestroy(static_cast<Edit*>(cw->data))) return 1;
    }
    editQuitAnswered = true;
    return 1;
}

int cmdNoop(Edit*, EditCmdCtx*) {
    return 1;
}
int cmdBeep(Edit*, EditCmdCtx*) {
    WBeep();
    return 1;
}
int cmdAbort(Edit* e, EditCmdCtx*) {
    EditAbortSearch(e);
    return 1;
}
int cmdFlashCursor(Edit* e, EditCmdCtx*) {
    EditShowCursor(e);
    EditRedraw(e);
    return 1;
}
int cmdIdentify(Edit* e, EditCmdCtx*) {
    e->identifyMode = true;
    return 1;
}

int cmdAlterLocation(Edit* e, EditCmdCtx* ctx) {
    std::string a = EditCmdArg(ctx);
    const char* p = a.c_str();
    if (strncasecmp(p, "edit", 4) == 0) p += 4;
    e->altMode = isdigit((unsigned char)*p) ? 1u << (*p - '0') : 0;
    return 1;
}

int cmdMinibuffer(Edit* e, EditCmdCtx*) {
    std::string answer;
    if (WPrompt("Minibuffer", "Editor command(s)?", answer) != 1 || answer.empty()) return 1;
    return EditCli(e, answer.c_str());
}

int runConfig(const char* name, EditCmdCtx* ctx) {
    // ConfigWin_AttemptConfigure: the dialogue would store its own values over these.
    if (ConfigWin_Open())
        return QuorlError(1, "Cannot configure from command line while configuration options dialog is open.");
    std::string arg = EditCmdArg(ctx);
    int result = 0;
    if (cfg_RunConfigCommand(name, arg.c_str(), &result)) return result;
    return 0;
}
int cmdConfigure(Edit*, EditCmdCtx* ctx) {
    return runConfig("Configure", ctx);
}
int cmdConfigureFile(Edit*, EditCmdCtx* ctx) {
    return runConfig("ConfigureFile", ctx);
}
int cmdConfigCommand(Edit* e, EditCmdCtx* ctx) {
    std::string arg = EditCmdArg(ctx);
    int result = 0;
    if (cfg_RunConfigCommand(ctx->name, arg.c_str(), &result)) return result;
    (void)e;
    return editoptions::cmdConfigOptions(e, ctx); // configoptions, appearance, functionality
}

// The word around the cursor, for the popup menu's tag item.
std::string wordAroundCursor(Edit* e) {
    File* f = e->view.file;
    const Selection& s = e->view.sel[0];
    if (s.cursorLine > f->nLines) return std::string();
    Line* l = EditFileLine(f, s.cursorLine);
    std::string t(FileLineText(f, l), (size_t)l->len);
    auto word = [&](int i) {
        unsigned char c = (unsigned char)t[(size_t)i];
        return isalnum(c) || c == '_' || c == '$' || c >= 128;
    };
    int a = std::min(s.cursorCol, (int)t.size()), b = a;
    while (a > 0 && word(a - 1))
        a--;
    while (b < (int)t.size() && word(b))
        b++;
    return t.substr((size_t)a, (size_t)(b - a));
}

// The popup menu at the pointer: the items that do not apply now are dimmed.
int cmdShowContextMenu(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    const Selection& s = e->view.sel[0];
    bool sel = !SelEmpty(s);
    WMenu menu;
    menu.title = "Edit";
    auto add = [&](const char* label, const char* command, bool enabled, bool separator) {
        WMenuItem it;
        it.label = label;
        it.command = command;
        it.enabled = enabled;
        menu.items.push_back(it);
        if (separator) {
            WMenuItem line;
            line.separator = true;
            menu.items.push_back(line);
        }
    };
    add("Cu&t", "Cut1", sel, false);
    add("&Copy", "Copy1", sel, false);
    add("&Paste", "if <noselection> { if <select1=lines> {SOL0}} Paste1", true, false);
    add("&Undo", "Undo", f->undo && !f->readOnly && !f->viewOnly, true);
    std::string what = "selected function";
    if (!sel) {
        std::string w = wordAroundCursor(e);
        what = w.empty() ? "function" : "function \"" + w + "\"";
    }
    std::string jump = "&Jump to " + what;
    add(jump.c_str(), "OpenTag", !sel || s.startLine == s.endLine, sel);
    if (sel) {
        add("Co&mment", "CommentBlock", true, false);
        add("U&ncomment", "UnCommentBlock", true, false);
        add("&Auto Indent", "AutoIndent", true, false);
    }
    WMenuResult r = WMenuPopupAtPointer(&menu);
    return r.item ? EditCli(e, r.item->command.c_str()) : 1;
}

// "->" NAME: the menu NAME at the pointer; the chosen item's command runs as a menu's would.
int cmdPopupMenu(Edit* e, EditCmdCtx* ctx) {
    std::string arg = EditCmdArg(ctx);
    std::string name = arg.substr(0, arg.find_first_of(" \t"));
    if (name.size() > 399) name.resize(399);
    WMenu menu;
    menu.title = name;
    EditFillMenu(e, name, &menu);
    if (menu.items.empty()) {
        WBeep();
        char* m = gen_sprintf("Could not locate menu resource for menu: %s", name.c_str());
        EditSetMsg(e, m);
        gen_free(m);
        return 1;
    }
    WMenuResult r = WMenuPopupAtPointer(&menu);
    return r.item ? EditCli(e, r.item->command.c_str()) : 1;
}

} // namespace editfile
using namespace editfile;

int EditSaveAsChosen(File* file) {
    GenStr title(file->name ? gen_sprintf("Save %.40s as...", file->name)
                            : gen_sprintf("%s", "Save As..."));
    std::string chosen;
    int ok = FileChooseDialogue(title.get(), "Save", file->name ? file->name : ".", chosen);
    if (ok != 1 || chosen.empty()) return 0;
    return EditxSaveAs(file, chosen.c_str(), 1);
}

int SaveFile(File* file) {
    char* m = gen_sprintf("Saving: %s", file->name ? file->name : "");
    messageAll(file, m);
    gen_free(m);
    int r = FileSaveNoCheckin(file, nullptr);
    FileCloseUndo(file);
    for (Edit* e = file->edits; e; e = e->nextsame) {
        if (e->top) {
            e->message.clear();
            EditDrawChrome(e);
        }
        e->view.shownLine = -1;
        EditUpdateTitle(e);
    }
    return r == 1 ? 1 : 0;
}

// The configuration commands, searched after the editor's own table.
const EditCmd configCmds[] = {
    {"configoptions", cmdConfigCommand, 0},      {"appearance", cmdConfigCommand, 0},
    {"functionality", cmdConfigCommand, 0},      {"saveconfig", cmdConfigCommand, 0},
    {"clearconfig", cmdConfigCommand, 0},        {"saveconfigtofile", cmdConfigCommand, 0},
    {"loadconfigfromfile", cmdConfigCommand, 0}, {nullptr, nullptr, 0},
};
