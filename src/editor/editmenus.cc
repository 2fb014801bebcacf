// editor/editmenus.cc: configured menus as the editor shows them: what each item runs, whether
// it can run now, and whether it is checked.
#include "editor/editmenus.h"

#include <cstring>
#include <strings.h>

#include "buffer/file.h"
#include "config/bindings.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "lang/syn.h"
#include "toolkit/menu.h"

namespace {

std::string firstWord(const std::string& command, std::string* rest) {
    size_t a = command.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    size_t b = command.find_first_of(" \t;", a);
    std::string w = command.substr(a, b == std::string::npos ? std::string::npos : b - a);
    if (rest) {
        size_t r = b == std::string::npos ? command.size() : command.find_first_not_of(" \t", b);
        *rest = r == std::string::npos ? "" : command.substr(r);
    }
    return w;
}

bool knownCommand(const std::string& word) {
    if (word.empty() || word == "if" || word == "{" || word[0] == '"') return true;
    for (const EditCmd& c : EditCmds())
        if (c.name && !strcasecmp(c.name, word.c_str())) return true;
    return false;
}

// Whether the command can do anything now, and whether its item is checked.
void itemState(Edit* e, const std::string& command, WMenuItem& it) {
    std::string rest;
    std::string w = firstWord(command, &rest);
    File* f = e->view.file;
    bool sel = !SelEmpty(e->view.sel[0]);
    it.enabled = knownCommand(w);
    if (!strcasecmp(w.c_str(), "Undo")) it.enabled = f && f->undo && !f->readOnly;
    if (!strcasecmp(w.c_str(), "Redo")) it.enabled = f && f->redo && !f->readOnly;
    if (!strncasecmp(w.c_str(), "Cut", 3) || !strncasecmp(w.c_str(), "Copy", 4) ||
        !strcasecmp(w.c_str(), "CommentBlock") || !strcasecmp(w.c_str(), "UnCommentBlock"))
        it.enabled = it.enabled && sel;
    if (!strcasecmp(w.c_str(), "Save")) it.enabled = f && f->modified;
    if (!strcasecmp(w.c_str(), "SelectLanguage")) {
        it.checkable = true;
        const char* lang = f && f->language ? syn_GetLangStr(f) : "None";
        std::string want = firstWord(rest, nullptr);
        it.checked = lang && !strcasecmp(lang, want.c_str());
    }
    if (!strcasecmp(w.c_str(), "ToggleReadOnly")) {
        it.checkable = true;
        it.checked = f && f->readOnly;
    }
}

void fill(Edit* e, const std::string& name, WMenu* menu, int depth) {
    MenuResource_CorrelateWithKeyBindings(name.c_str());
    for (const MenuItem& m : MenuItems()) {
        if (m.menu != name) continue;
        WMenuItem it;
        if (m.text == "-") {
            it.separator = true;
            menu->items.push_back(it);
            continue;
        }
        it.label = m.text;
        it.accel = m.accelerator;
        it.command = m.command;
        std::string rest;
        if (firstWord(m.command, &rest) == "->" && depth < 8) {
            it.submenu = new WMenu;
            it.submenu->title = firstWord(rest, nullptr);
            fill(e, it.submenu->title, it.submenu, depth + 1);
            it.enabled = !it.submenu->items.empty();
        } else {
            itemState(e, m.command, it);
        }
        menu->items.push_back(it);
    }
}

} // namespace

void EditFillMenu(Edit* e, const std::string& name, WMenu* menu) {
    fill(e, name, menu, 0);
}
