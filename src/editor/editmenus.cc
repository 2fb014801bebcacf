// editor/editmenus.cc: configured menus as the editor shows them: what each item runs, whether
// it can run now, and whether it is checked.
#include "editor/editmenus.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "buffer/autoindent.h"
#include "buffer/file.h"
#include "buffer/vchook.h"
#include "config/options.h"
#include "config/bindings.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "lang/syn.h"
#include "toolkit/menu.h"
#include "vcfront/vc.h"

namespace {

// The menus an editor window has when the configuration defines none of that name: menu
// name, label, command ("-" a separator line).
struct DefaultItem {
    const char* menu;
    const char* label;
    const char* command;
};
const DefaultItem defaultMenus[] = {
    {"MenuBar", "&File", "-> File"},
    {"MenuBar", "&Edit", "-> Edit"},
    {"MenuBar", "&Search", "-> Search"},
    {"MenuBar", "&Version", "-> Version"},
    {"MenuBar", "&Options", "-> Options"},
    {"MenuBar", "&Help", "-> Help"},
    {"File", "&Open...", "OpenFile"},
    {"File", "&New Editor...", "LoadFileWithNewEditor"},
    {"File", "&Save", "Save"},
    {"File", "Save &As...", "SaveAs"},
    {"File", "Save A&ll", "SaveAll"},
    {"File", "Save &Files...", "QuerySaveAll"},
    {"File", "-", ""},
    {"File", "Pus&h...", "LoadFile"},
    {"File", "&Insert File...", "InsertFile"},
    {"File", "Open File at Cursor", "OpenText"},
    {"File", "No&tepad", "Notepad"},
    {"File", "-", ""},
    {"File", "&Revert", "Revert"},
    {"File", "Revert to &Backup", "RevertToBackup"},
    {"File", "-", ""},
    {"File", "Co&mpare Files...", "DiffFiles"},
    {"File", "M&erge Files...", "MergeFiles"},
    {"File", "Merge Con&flicts", "MergeConflicts"},
    {"File", "Last E&dit", "ShowLastEdit"},
    {"File", "-", ""},
    {"File", "&Print...", "Print"},
    {"File", "Print with Colo&urs...", "Printsyn"},
    {"File", "Print a File on Dis&k...", "PrintFile"},
    {"File", "Page Set&up...", "PageSetup"},
    {"File", "-", ""},
    {"File", "Close Fil&e", "Pop"},
    {"File", "&Close", "Close"},
    {"File", "&Done", "Done"},
    {"File", "&Quit", "Quit"},
    {"Edit", "&Undo", "Undo"},
    {"Edit", "&Redo", "Redo"},
    {"Edit", "-", ""},
    {"Edit", "Cu&t", "Cut1"},
    {"Edit", "&Copy", "Copy1"},
    {"Edit", "&Paste", "if <noselection> { if <select1=lines> {SOL0}} Paste1"},
    {"Edit", "Select &All", "SelectAll"},
    {"Edit", "-", ""},
    {"Edit", "&Indent", "Indent"},
    {"Edit", "Unin&dent", "Unindent"},
    {"Edit", "Co&mment", "CommentBlock"},
    {"Edit", "U&ncomment", "UnCommentBlock"},
    {"Edit", "Auto Ind&ent", "AutoIndent"},
    {"Search", "&Find...", "Search"},
    {"Search", "Search &Forward", "ISearch"},
    {"Search", "Search &Backward", "BackISearch"},
    {"Search", "-", ""},
    {"Search", "&Goto Line...", "EditLine"},
    {"Search", "Go to Line &Number...", "LineD"},
    {"Search", "Go&to...", "Goto"},
    {"Search", "Go to Co&lumn...", "Column"},
    {"Search", "-", ""},
    {"Search", "&Jump to Tag", "OpenTag"},
    {"Search", "Next &Definition", "SelectWord;NewTag"},
    {"Search", "-", ""},
    {"Search", "Editor &Commands...", "Dialog RunCommand"},
    {"Version", "Check &Out", "Checkout"},
    {"Version", "Check &In...", "Checkin"},
    {"Version", "&Discard Changes...", "Discard"},
    {"Version", "-", ""},
    {"Version", "Show &History...", "ShowHistory"},
    {"Version", "&Revert to Version...", "RevertHistory"},
    {"Version", "Revert to &Date...", "RevertDate"},
    {"Version", "-", ""},
    {"Version", "Save and Check In A&ll...", "QuerySaveCheckinAll"},
    {"Version", "-", ""},
    {"Version", "&Place Under Version Control", "PlaceUnderVC"},
    {"Version", "&Allow Auto Checkout", "AllowAutoCheckout"},
    {"Version", "Pre&vent Auto Checkout", "PreventAutoCheckout"},
    {"Version", "Show &View", "ShowView"},
    {"Version", "Always Ask for Comme&nts", "ChangeLogVar"},
    {"Options", "&Language", "-> Language"},
    {"Options", "&Read Only", "ToggleReadOnly"},
    {"Options", "&Margin Column", "ToggleMarginColumn"},
    {"Options", "-", ""},
    {"Options", "Next &Window", "NextWindow"},
    {"Options", "Default Si&ze", "Resize"},
    {"Options", "-", ""},
    {"Options", "&Preferences...", "configoptions"},
    {"Options", "&Editor Options...", "EditorFlags"},
    {"Options", "&Colors...", "configoptions colorOptionsTab"},
    {"Options", "-", ""},
    {"Options", "&Save Configuration", "saveconfig"},
    {"Options", "Save Configuration &As...", "saveconfigtofile"},
    {"Options", "&Load Configuration...", "loadconfigfromfile"},
    {"Language", "&None", "SelectLanguage None"},
    {"Language", "&C", "SelectLanguage C"},
    {"Language", "C&++", "SelectLanguage C++"},
    {"Language", "&Pascal", "SelectLanguage Pascal"},
    {"Language", "&Ada", "SelectLanguage Ada"},
    {"Language", "&Fortran", "SelectLanguage Fortran"},
    {"Language", "&Java", "SelectLanguage Java"},
    {"Language", "A&ssembly", "SelectLanguage Assembly"},
    {"Language", "&TQLScript", "SelectLanguage TQLScript"},
    {"Help", "&Help", "Help editor"},
    {"Help", "&Index", "Help Index"},
    {"Help", "Man&ual", "__openmanual"},
    {"Help", "&Keys", "Help keys"},
    {"Help", "&Mouse", "Help mouse"},
    {"Help", "Help at &Cursor", "Help"},
    {"Help", "I&dentify", "Identify"},
    {"Help", "-", ""},
    {"Help", "&About...", "About"},
};

// The configured items of a menu, or the built-in ones when none is configured.
std::vector<MenuItem> itemsOf(const std::string& name) {
    MenuResource_CorrelateWithKeyBindings(name.c_str());
    std::vector<MenuItem> out;
    for (const MenuItem& m : MenuItems()) {
        if (m.menu != name) continue;
        out.push_back(m);
        // A configured item shows the key its command is bound to, as a built-in one does.
        int key = -1;
        const Binding* b = nullptr;
        if (out.back().accelerator.empty() && !m.command.empty())
            b = ViewMouseForCommand(m.command.c_str(), ~0u, &key);
        if (b) out.back().accelerator = KeyToAcceleratorStr(key, b->modifiers);
    }
    if (!out.empty()) return out;
    for (const DefaultItem& d : defaultMenus) {
        if (name != d.menu) continue;
        MenuItem m;
        m.menu = d.menu;
        m.text = d.label;
        m.command = d.command;
        int key = -1;
        if (const Binding* b = ViewMouseForCommand(d.command, ~0u, &key))
            m.accelerator = KeyToAcceleratorStr(key, b->modifiers);
        out.push_back(m);
    }
    return out;
}

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
    for (const EditCmd* c = configCmds; c->name; c++)
        if (!strcasecmp(c->name, word.c_str())) return true;
    for (const EditCmd* c = mergeCmds; c->name; c++)
        if (!strcasecmp(c->name, word.c_str())) return true;
    return false;
}

// Commands that act on the File's version control: dimmed for a File they cannot act on.
bool isVcCommand(const std::string& w) {
    for (const char* c : {"Checkout", "Checkin", "Discard", "ShowHistory", "RevertHistory",
                          "RevertVersion", "RevertDate", "PlaceUnderVC", "Unqvc"})
        if (!strcasecmp(w.c_str(), c)) return true;
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
    if (!strcasecmp(w.c_str(), "AutoIndent")) it.enabled = it.enabled && FileCanAutoIndent(f);
    if (!strcasecmp(w.c_str(), "SelectLanguage")) {
        it.checkable = true;
        const char* lang = f && f->language ? syn_GetLangStr(f) : "None";
        std::string want = firstWord(rest, nullptr);
        it.checked = lang && !strcasecmp(lang, want.c_str());
    }
    if (isVcCommand(w)) {
        bool real = f && f->name && !f->internal;
        bool under = real && file_UnderVC(f);
        it.enabled = it.enabled && (!strcasecmp(w.c_str(), "PlaceUnderVC") ? real && !under : under);
    }
    if (!strcasecmp(w.c_str(), "ShowView")) it.enabled = vc_whichVC == VC_CLEARCASE;
    if (!strcasecmp(w.c_str(), "RevertDate") || !strcasecmp(w.c_str(), "Unqvc"))
        it.enabled = it.enabled && vc_whichVC == VC_QVC;
    if (!strcasecmp(w.c_str(), "ToggleReadOnly")) {
        it.checkable = true;
        it.checked = f && f->readOnly;
    }
    if (!strcasecmp(w.c_str(), "ToggleMarginColumn")) {
        it.checkable = true;
        it.checked = f && f->marginColumn;
    }
}

void fill(Edit* e, const std::string& name, WMenu* menu, int depth) {
    for (const MenuItem& m : itemsOf(name)) {
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

std::string EditMenuListText() {
    std::vector<std::string> names;
    auto note = [&](const std::string& n) {
        if (std::find(names.begin(), names.end(), n) == names.end()) names.push_back(n);
    };
    for (const DefaultItem& d : defaultMenus) note(d.menu);
    for (const MenuItem& m : MenuItems()) note(m.menu);
    std::string out;
    for (const std::string& name : names) {
        bool configured = false;
        for (const MenuItem& m : MenuItems())
            if (m.menu == name) {
                out += name + " {" + m.description + "}\n";
                configured = true;
            }
        if (configured) continue;
        for (const DefaultItem& d : defaultMenus)
            if (name == d.menu)
                out += name + " {" + d.label + (*d.command ? std::string(" = ") + d.command : "") + "}\n";
    }
    return out;
}

std::vector<std::string> EditMenuBarTitles() {
    std::vector<std::string> titles;
    for (const MenuItem& m : itemsOf("MenuBar"))
        if (m.text != "-") titles.push_back(m.text);
    return titles;
}

void EditMenuBarFill(WMenuBar*, int index, WMenu* menu, void* edit) {
    int i = 0;
    for (const MenuItem& m : itemsOf("MenuBar")) {
        if (m.text == "-") continue;
        if (i++ != index) continue;
        std::string rest;
        if (firstWord(m.command, &rest) == "->") {
            fill(static_cast<Edit*>(edit), firstWord(rest, nullptr), menu, 1);
        } else {
            // A title that runs a command itself: one item that runs it.
            WMenuItem it;
            it.label = m.text;
            it.command = m.command;
            itemState(static_cast<Edit*>(edit), m.command, it);
            menu->items.push_back(it);
        }
        return;
    }
}

void EditMenuBarRun(WMenuBar*, const WMenuItem* item, void* edit) {
    std::string command = item->command; // the menu is gone once the command runs
    auto* e = static_cast<Edit*>(edit);
    // In identify mode an item is explained, not run.
    if (e->identifyMode) {
        EditIdentifyStr(e, command.c_str(), -1);
        return;
    }
    EditCli(e, command.c_str());
}
