// editor/editdialogs.cc: what the editor gives dialogues: editor panes inside them, its command
// interpreter for their scripts, the Dialog (Dialogue) and About commands, and the batch-only
// RunScript and PrintWindows.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "buffer/file.h"
#include "dialogue/dlgopen.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editdialogs.h"
#include "editor/edithelp.h"
#include "editor/merge.h"
#include "editor/editpriv.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/menu.h"

namespace editdialogs {

// ---- editor panes in dialogues ----

struct Pane {
    Edit* edit = nullptr;
    File* file = nullptr;
};

struct EditorPanes : WEditorPane {
    void* create(WWindow* parent, int x, int y, int width, int height) override {
        auto* p = new Pane;
        p->file = FileFString(nullptr, "", 0);
        p->edit = EditCreate(parent, x, y, width, height, "dialogue", p->file, 0, 0, 0);
        WMapWindow(p->edit->frame);
        EditAttachFile(p->edit, p->file, 1, 0);
        return p;
    }

    void destroy(void* pane) override {
        auto* p = static_cast<Pane*>(pane);
        p->edit->destroying = true; // nothing to ask: the text belongs to the dialogue
        // The File is the pane's own: the editor must not release it on its way out.
        EditUnlinkFile(p->edit);
        EditDestroy(p->edit);
        FileFree(p->file);
        delete p;
    }

    void place(void* pane, int x, int y, int width, int height) override {
        auto* p = static_cast<Pane*>(pane);
        WMoveResize(p->edit->frame, x, y, width, height);
        EditLayout(p->edit);
        EditRedraw(p->edit);
    }

    std::string getText(void* pane) override {
        File* f = static_cast<Pane*>(pane)->file;
        if (f->nLines == 0) return std::string();
        Line* last = FileLine(f, f->nLines);
        int64_t len = 0;
        char* s = FileToStr(f, nullptr, 0, 1, 0, f->nLines, last->len, &len);
        std::string out(s, (size_t)len);
        gen_free(s);
        return out + "\n";
    }

    void setText(void* pane, const std::string& text) override {
        auto* p = static_cast<Pane*>(pane);
        std::string t = text;
        if (!t.empty() && t.back() == '\n') t.pop_back();
        EditUnlinkFile(p->edit);
        FileFString(p->file, t.data(), (int64_t)t.size());
        EditLinkFile(p->edit, p->file);
        EditAttachFile(p->edit, p->file, 1, 0);
        EditRedraw(p->edit);
    }

    WWindow* focusWindow(void* pane) override { return static_cast<Pane*>(pane)->edit->view.window; }
};
EditorPanes editorPanes;

bool isPaneOf(const Edit* e) {
    for (WDialog* d : WOpenDialogues())
        for (Widget* w : d->widgets)
            if (w->kind == WG_EDITOR && w->pane && static_cast<Pane*>(w->pane)->edit == e)
                return true;
    return false;
}

// ---- scripts run commands in the editor that opened the dialogue ----

int scriptCli(void* arg, const char* command) {
    auto* e = static_cast<Edit*>(arg);
    return e ? EditCli(e, command) : 0;
}

// clitext(s): runs the command string and gives back the text the primary selection then
// holds ("SelectWord" gives the word at the cursor).
bool scriptText(void* arg, const char* command, std::string& out) {
    auto* e = static_cast<Edit*>(arg);
    if (!e) return false;
    EditCli(e, command);
    const Selection& s = e->view.sel[0];
    out.clear();
    if (SelEmpty(s)) return true;
    int64_t len = 0;
    char* t = FileToStr(e->view.file, nullptr, 0, s.startLine, s.startCol, s.endLine, s.endCol, &len);
    out.assign(t, (size_t)len);
    gen_free(t);
    return true;
}

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++;
        if (i >= text.size()) break;
        std::string w;
        if (text[i] == '"') {
            // A quoted argument may hold blanks.
            for (i++; i < text.size() && text[i] != '"'; i++) {
                if (text[i] == '\\' && i + 1 < text.size()) i++;
                w.push_back(text[i]);
            }
            i++;
        } else {
            while (i < text.size() && text[i] != ' ' && text[i] != '\t') w.push_back(text[i++]);
        }
        out.push_back(w);
    }
    return out;
}

int cmdDialog(Edit* e, EditCmdCtx* ctx) {
    std::vector<std::string> w = words(EditCmdArg(ctx));
    if (w.empty()) return QuorlError(1, "Dialog: the name of a dialogue is needed");
    std::string name = w[0];
    w.erase(w.begin());
    int r = EditOpenDialogue(e, name.c_str(), w);
    return r >= 0 ? 1 : 0;
}

// The about box: what abSetup prepared.
struct AboutBox {
    std::string title = "QUORL Edit", what = "A Programmer's Editor", windowTitle = "About qe";
} about;

int cmdAbout(Edit* e, EditCmdCtx*) {
    return About(e) ? 1 : 0;
}

int cmdRunScript(Edit* e, EditCmdCtx* ctx) {
    ScriptDialog sd;
    sd.cli = scriptCli;
    sd.text = scriptText;
    sd.arg = e;
    sd.name = "RunScript";
    std::string code = EditCmdArg(ctx);
    DialoguesEnsureLoaded();
    ScriptValue v;
    if (!InvokeFunc(code.c_str(), &sd, &v)) return 0;
    printf("=> %s\n", v.isInt ? std::to_string(v.i).c_str() : v.s.c_str());
    fflush(stdout);
    return 1;
}

int cmdPrintWindows(Edit*, EditCmdCtx*) {
    for (const std::string& line : EditListWindows()) printf("%s\n", line.c_str());
    fflush(stdout);
    return 1;
}

} // namespace editdialogs
using namespace editdialogs;

bool EditIsDialoguePane(const Edit* e) {
    return editdialogs::isPaneOf(e);
}

int EditOpenDialogue(Edit* e, const char* name, const std::vector<std::string>& args) {
    ScriptDialog from;
    from.cli = scriptCli;
    from.text = scriptText;
    from.arg = e;
    DialoguesEnsureLoaded();
    if (!LookupDlb(name)) {
        QuorlError(1, "There is no dialogue named %s", name);
        return -1;
    }
    if (e && e->top) WDialogParent(e->top);
    return OpenDialogue(name, args, &from);
}

void EditInstallDialoguePanes() {
    wEditorPane.install(&editorPanes);
}

void abSetup(const char* title, const char* what, const char* windowTitle, int) {
    about.title = title;
    about.what = what;
    about.windowTitle = windowTitle;
}

int About(Edit* e) {
    return EditOpenDialogue(e, "About", {about.title, about.what, about.windowTitle}) >= 0;
}

void abRaise() {
    for (WDialog* d : WOpenDialogues())
        if (d->title == about.windowTitle && d->win) WRaiseWindow(d->win);
}

void AboutSplash() {
    // The start-up shows it without waiting: it goes by itself after a few seconds.
    ShowDialogueModeless("About", {about.title, about.what, about.windowTitle}, nullptr, 4);
}

std::vector<std::string> EditListWindows() {
    struct Entry {
        unsigned long serial;
        std::string line;
    };
    std::vector<Entry> all;
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next) {
        static const char* const kinds[] = {"window", "editor", "message list", "compare"};
        const char* kind = cw->kind >= 1 && cw->kind <= 3 ? kinds[cw->kind] : "window";
        if (cw->kind == CW_EDIT) {
            auto* e = static_cast<Edit*>(cw->data);
            const char* name = e->view.file && e->view.file->name ? e->view.file->name : "";
            if (EditIsHelpFile(e->view.file)) kind = "help";
            all.push_back({e->top->serial, std::string(kind) + " " + e->top->name + " file=" + name});
        } else if (cw->kind == CW_COMPARE) {
            WWindow* top = CompareWindowTop(cw->data);
            all.push_back({top->serial, std::string(kind) + " " + top->name});
        } else {
            all.push_back({0, kind});
        }
    }
    // (A dismissed dialogue is on its way out, whether or not the loop has destroyed it yet.)
    for (WDialog* d : WOpenDialogues())
        if (d->win && !d->done) all.push_back({d->win->serial, d->kindName + " " + d->title});
    for (WMenu* m : WOpenMenus()) all.push_back({~0ul, "menu " + m->title});
    std::stable_sort(all.begin(), all.end(),
                     [](const Entry& a, const Entry& b) { return a.serial < b.serial; });
    std::vector<std::string> out;
    for (Entry& en : all) out.push_back(en.line);
    return out;
}

void EditAddBatchDialogCommands() {
    EditAddCmd("RunScript", cmdRunScript);
    EditAddCmd("PrintWindows", cmdPrintWindows);
}
