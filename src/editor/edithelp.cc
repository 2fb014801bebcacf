// editor/edithelp.cc: the Help command, the HELP key and identify mode's help: help entries
// opened read-only in new editor windows.
#include "editor/edithelp.h"

#include <cctype>
#include <cstring>
#include <strings.h>

#include "buffer/file.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "help/help.h"
#include "runtime/gen.h"

Edit* vtInsert(const char* first, const char* second) {
    File* file = FileFHelp(first, second);
    if (!file) return nullptr;
    // A window already showing the entry comes up instead of another one. Help asked for from a
    // modal dialogue (the bindings' Help) can still be scrolled and searched.
    for (Edit* e = file->edits; e; e = e->nextsame)
        if (e->top) {
            WRaiseWindow(e->top);
            e->top->inputDuringModal = true;
            return e;
        }
    Edit* e = CreateEWind_line(file, 1);
    if (e && e->top) e->top->inputDuringModal = true;
    return e;
}

bool EditIsHelpFile(const File* file) {
    return file && file->internal && file->name && !strncmp(file->name, "help ", 5);
}

namespace edithelp {

// The selection when it lies on one line, else the word at the cursor.
std::string wordAtCursor(Edit* e) {
    File* f = e->view.file;
    const Selection& s = e->view.sel[0];
    if (!f || s.cursorLine > f->nLines || s.cursorLine < 1) return std::string();
    if (!SelEmpty(s) && s.startLine == s.endLine) {
        int64_t len = 0;
        GenStr t(FileToStr(f, nullptr, 0, s.startLine, s.startCol, s.endLine, s.endCol, &len));
        std::string w(t.get(), (size_t)len);
        size_t a = w.find_first_not_of(" \t"), b = w.find_last_not_of(" \t");
        return a == std::string::npos ? std::string() : w.substr(a, b - a + 1);
    }
    Line* l = FileLine(f, s.cursorLine);
    std::string t(FileLineText(f, l), (size_t)l->len);
    auto word = [&](int i) {
        unsigned char c = (unsigned char)t[(size_t)i];
        return isalnum(c) || c == '_' || c == '.' || c == '-' || c == '*' || c == '?' || c >= 128;
    };
    int a = std::min(s.cursorCol, (int)t.size()), b = a;
    while (a > 0 && word(a - 1)) a--;
    while (b < (int)t.size() && word(b)) b++;
    std::string w = t.substr((size_t)a, (size_t)(b - a));
    // A word ends at a full stop that ends a sentence.
    while (!w.empty() && (w.back() == '.' || w.back() == '-')) w.pop_back();
    return w;
}

int cmdHelp(Edit* e, EditCmdCtx* ctx) {
    std::string key = EditCmdArg(ctx);
    if (!key.empty()) return vtInsert(key.c_str(), nullptr) ? 1 : 0;
    // At the cursor: the word's entry, else the guide.
    std::string w = wordAtCursor(e);
    return vtInsert(w.empty() ? nullptr : w.c_str(), "editor") ? 1 : 0;
}

// __openmanual [TOPIC]: the manual in a window of its own (the one already showing it comes
// up), at TOPIC's entry when one is given.
int cmdOpenManual(Edit*, EditCmdCtx* ctx) {
    File* file = FileFManual();
    if (!file) return 0;
    Edit* shown = nullptr;
    for (Edit* o = file->edits; o && !shown; o = o->nextsame)
        if (o->top) shown = o;
    if (shown)
        EditsRaiseOne(shown);
    else if (!(shown = CreateEWind_line(file, 1)))
        return 0;
    std::string topic = EditCmdArg(ctx);
    if (topic.empty()) return 1;
    // An entry starts with its keyword at the start of a line: the exact one, else one that
    // differs only in case.
    int64_t found = 0;
    for (int pass = 0; pass < 2 && !found; pass++) {
        int64_t n = 1;
        for (Line* l = file->first; l && !found; l = l->next, n++) {
            const char* t = FileLineText(file, l);
            size_t len = (size_t)l->len, k = topic.size();
            bool same = len >= k && (pass ? !strncasecmp(t, topic.data(), k) : !strncmp(t, topic.data(), k));
            if (same && (len == k || t[k] == ' ' || t[k] == '\t')) found = n;
        }
    }
    if (!found) {
        GenStr m(gen_sprintf("No entry found for %s", topic.c_str()));
        EditSetMsg(shown, m.get());
        return 0;
    }
    EditSetLine(shown, found, 0);
    EditScrollTo(shown, found);
    return 1;
}

} // namespace edithelp

int EditHelpAtCursor(Edit* e) {
    return EditCli(e, "Help");
}

void EditIdentifyHelp(const char* command) {
    // Typed text (a quoted string) has no entry of its own.
    if (!command || *command == '"') return;
    std::string first;
    for (const char* p = command; *p && !isspace((unsigned char)*p) && *p != ';'; p++) first.push_back(*p);
    if (!first.empty()) vtInsert(first.c_str(), "editor");
}
