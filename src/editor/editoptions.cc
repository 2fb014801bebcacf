// editor/editoptions.cc: the option dialogues. Every widget whose name is an option keyword
// is bound to that option through an adapter for the option's type (a leading "-" inverts a
// check box; a colour's swatch is the next colour box of the same name); the dialogue's Apply
// and OK run ApplyOptions, which checks every bound widget and stores them only when all are
// valid. Also the colour schemes, the font chooser and the editors of the key, mouse and menu
// bindings.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <sstream>
#include <strings.h>

#include "config/bindings.h"
#include "config/cfg.h"
#include "config/options.h"
#include "dialogue/dlgopen.h"
#include "dialogue/script.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editdialogs.h"
#include "editor/editmenus.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"
#include "vcfront/vc.h"

namespace editoptions {

enum Adapter { BUT_BOOL, TF_INT, BS_CHOICE, PD_CHOICE, TF_COLOR, TF_STR, TF_SIZE };

struct Bound {
    Widget* w;
    CfgOption* option;
    Adapter adapter;
    bool inverted = false;
    std::string loaded;       // the text a field was loaded with (sizes)
    Widget* swatch = nullptr; // colours: the box that shows the colour
};

struct OpenOptions {
    WDialog* dialog;
    std::vector<Bound> bound;
};
std::vector<OpenOptions> openOptions; // innermost last

// Which adapter an option type gets from which kind of widget.
struct Fit {
    int type;
    WidgetKind kind;
    Adapter adapter;
};
const Fit kFits[] = {
    {CFG_BOOL, WG_TOGGLE, BUT_BOOL},        {CFG_BOOL, WG_BUTTON, BUT_BOOL},
    {CFG_INT, WG_TEXTFIELD, TF_INT},        {CFG_CHOICE, WG_BUTTONSET, BS_CHOICE},
    {CFG_CHOICE, WG_OPTIONMENU, PD_CHOICE}, {CFG_COLOR, WG_TEXTFIELD, TF_COLOR},
    {CFG_STRING, WG_TEXTFIELD, TF_STR},     {CFG_SIZE, WG_TEXTFIELD, TF_SIZE},
};

// The colour box named like the field that comes after it in the dialogue.
Widget* swatchAfter(WDialog* d, Widget* field) {
    auto it = std::find(d->widgets.begin(), d->widgets.end(), field);
    for (; it != d->widgets.end(); ++it)
        if ((*it)->kind == WG_COLORBOX && (*it)->name == field->name) return *it;
    return nullptr;
}

// Binds every named widget whose kind fits its option's type.
std::vector<Bound> hookup(WDialog* d) {
    std::vector<Bound> out;
    for (Widget* w : d->widgets) {
        if (w->name.empty()) continue;
        bool inverted = w->name[0] == '-';
        CfgOption* o = cfg_FindOption(w->name.c_str() + (inverted ? 1 : 0));
        if (!o || o->hidden) continue;
        const Fit* fit = nullptr;
        for (const Fit& f : kFits)
            if (f.type == o->type && f.kind == w->kind) fit = &f;
        if (!fit) continue;
        Bound b{w, o, fit->adapter, inverted, "", nullptr};
        if (o->type == CFG_CHOICE) {
            std::vector<std::string> labels;
            for (const ChoiceValue* c = o->choices; c && c->name; c++)
                labels.push_back(c->label ? c->label : c->name);
            WidgetSetItems(w, labels);
        }
        if (b.adapter == TF_COLOR) b.swatch = swatchAfter(d, w);
        out.push_back(b);
    }
    return out;
}

// The swatch shows the field's text once it names a colour (a text that does not leaves the
// last colour shown).
void paintSwatch(Bound& b) {
    int r, g, bl;
    std::string text = WidgetText(b.w);
    if (b.swatch && cfg_Display().parseColor(text.c_str(), &r, &g, &bl)) WidgetSetText(b.swatch, text);
}

std::string sizeText(const CfgOption& o) {
    std::string line = cfg_OptionLine(o); // "name: WxH" or "name:"
    size_t colon = line.find(':');
    std::string v = colon == std::string::npos ? "" : line.substr(colon + 1);
    size_t a = v.find_first_not_of(" \t");
    if (a == std::string::npos) return "<not set>";
    v = v.substr(a);
    while (!v.empty() && (v.back() == '\n' || v.back() == ' ')) v.pop_back();
    return v;
}

// Phase 0: the widget shows the option's value.
void load(Bound& b) {
    const CfgOption& o = *b.option;
    switch (b.adapter) {
    case BUT_BOOL:
        WidgetSetValue(b.w, (cfg_OptionInt(o) != 0) != b.inverted);
        break;
    case TF_INT:
        WidgetSetText(b.w, std::to_string(cfg_OptionInt(o)));
        break;
    case BS_CHOICE:
    case PD_CHOICE: {
        int index = 0, found = -1;
        for (const ChoiceValue* c = o.choices; c && c->name; c++, index++)
            if (c->value == cfg_OptionInt(o)) found = index;
        if (found < 0)
            mprintf("apply_bsChoice:apply_INIT couldn't find current choice\n");
        else
            WidgetSetValue(b.w, found);
        break;
    }
    case TF_COLOR:
        WidgetSetText(b.w, cfg_OptionString(o));
        if (b.swatch) WidgetSetText(b.swatch, cfg_OptionString(o));
        break;
    case TF_STR:
        WidgetSetText(b.w, cfg_OptionString(o));
        break;
    case TF_SIZE:
        b.loaded = sizeText(o);
        WidgetSetText(b.w, b.loaded);
        break;
    }
}

// Phase 1: whether the widget's value can be stored; a bad value is corrected in the widget.
bool check(Bound& b) {
    const CfgOption& o = *b.option;
    std::string text = WidgetText(b.w);
    switch (b.adapter) {
    case TF_INT: {
        int v;
        if (!cfg_ParseInt(&v, text.c_str(), nullptr)) {
            WidgetSetText(b.w, std::to_string(cfg_OptionInt(o)));
            return false;
        }
        int clamped = std::clamp(v, o.range.min, o.range.max);
        if (strncasecmp(text.c_str(), "all", 3) != 0 && clamped != v) {
            WidgetSetText(b.w, std::to_string(clamped));
            return false;
        }
        return true;
    }
    case TF_COLOR: {
        int r, g, bl;
        if (text == cfg_OptionString(o) || cfg_Display().parseColor(text.c_str(), &r, &g, &bl)) return true;
        WidgetSetText(b.w, cfg_OptionString(o));
        if (b.swatch) WidgetSetText(b.swatch, cfg_OptionString(o));
        return false;
    }
    default:
        return true;
    }
}

// Phase 2: stores the widget's value; the option's redraw flag when it changed.
int store(Bound& b) {
    CfgOption& o = *b.option;
    std::string text = WidgetText(b.w);
    int before = o.type == CFG_BOOL || o.type == CFG_INT || o.type == CFG_CHOICE ? cfg_OptionInt(o) : 0;
    std::string beforeText = o.type == CFG_COLOR || o.type == CFG_STRING ? cfg_OptionString(o) : "";
    switch (b.adapter) {
    case BUT_BOOL: {
        int v = (b.w->kind == WG_TOGGLE ? b.w->value != 0 : b.w->pressed) != b.inverted;
        if (v == (before != 0)) return 0;
        const char* word = v ? "On" : "Off";
        if (o.setter) o.setter(o, word); else cfg_StoreBool(o, word);
        break;
    }
    case TF_INT: {
        int v;
        if (!cfg_ParseInt(&v, text.c_str(), &o.range) || v == before) return 0;
        if (o.setter) o.setter(o, text.c_str()); else cfg_StoreInt(o, text.c_str());
        break;
    }
    case BS_CHOICE:
    case PD_CHOICE: {
        int index = 0;
        const ChoiceValue* chosen = nullptr;
        for (const ChoiceValue* c = o.choices; c && c->name; c++, index++)
            if (index == b.w->value) chosen = c;
        if (!chosen || chosen->value == before) return 0;
        cfg_Choice(o, chosen->name);
        break;
    }
    case TF_COLOR:
        if (text == beforeText) return 0;
        cfg_Color(o, text.c_str());
        break;
    case TF_STR:
        // Stored as written: the setter is not called.
        if (text == beforeText) return 0;
        cfg_StoreString(o, text.c_str());
        break;
    case TF_SIZE:
        if (text == b.loaded) return 0;
        cfg_Size(o, text == "<not set>" ? "" : text.c_str());
        b.loaded = text;
        break;
    }
    return o.redraw;
}

// The page the next Options dialogue opens at ("" the first).
std::string pageToShow;

// Apply is dimmed while the dialogue shows what is set.
void setApplyEnabled(WDialog* d, bool on) {
    Widget* apply = WDialogFind(d, "apply");
    if (!apply || apply->kind != WG_BUTTON || apply->enabled == on) return;
    apply->enabled = on;
    WidgetRedraw(apply);
}

OpenOptions* openFor(WDialog* d) {
    for (OpenOptions& o : openOptions)
        if (o.dialog == d) return &o;
    return nullptr;
}

// The version-control page: the chosen system's own templates fill the template fields (when
// asked), and the fields that system leaves empty are read-only (none for Custom commands).
void showVcTemplates(OpenOptions& open, bool fill) {
    const Bound* type = nullptr;
    for (const Bound& b : open.bound)
        if (!strcmp(b.option->name, "versioncontroltype") && b.adapter == PD_CHOICE) type = &b;
    if (!type || type->w->value < 0) return;
    int system = -1, index = 0;
    for (const ChoiceValue* c = type->option->choices; c && c->name; c++, index++)
        if (index == type->w->value) system = c->value;
    bool changed = false;
    for (const auto& [name, value] : vc_SystemTemplates(system)) {
        Widget* f = WDialogFind(open.dialog, name.c_str());
        if (!f || f->kind != WG_TEXTFIELD) continue;
        if (fill && WidgetText(f) != value) {
            WidgetSetText(f, value);
            changed = true;
        }
        f->enabled = system == VC_CUSTOM || !value.empty();
        WidgetRedraw(f);
    }
    if (changed) setApplyEnabled(open.dialog, true);
}

void optionsChanged(WDialog* d, Widget* w) {
    OpenOptions* open = openFor(d);
    if (!open) return;
    for (Bound& b : open->bound)
        if (b.w == w) {
            if (b.adapter == TF_COLOR) paintSwatch(b);
            setApplyEnabled(d, true);
        }
    if (w->name == "versioncontroltype") showVcTemplates(*open, true);
}

// A page by its name or its tab's label, in any notebook of the dialogue.
void showPage(WDialog* d, const std::string& page) {
    for (Widget* tabs : d->widgets) {
        if (tabs->kind != WG_TABS) continue;
        for (size_t i = 0; i < tabs->children.size(); i++) {
            std::string label;
            for (char c : tabs->children[i]->label)
                if (c != '&') label += c;
            if (strcasecmp(tabs->children[i]->name.c_str(), page.c_str()) &&
                strcasecmp(label.c_str(), page.c_str()))
                continue;
            // A page inside another notebook's page: that page shows first.
            for (Widget* p = tabs->parent; p; p = p->parent)
                if (p->kind == WG_PAGE && p->parent && p->parent->kind == WG_TABS) {
                    auto& pages = p->parent->children;
                    WTabsSelect(p->parent, (int)(std::find(pages.begin(), pages.end(), p) - pages.begin()));
                }
            WTabsSelect(tabs, (int)i);
            return;
        }
    }
}

void optionsOpened(WDialog* d) {
    OpenOptions open{d, hookup(d)};
    for (Bound& b : open.bound) load(b);
    openOptions.push_back(open);
    d->changed = optionsChanged;
    showVcTemplates(openOptions.back(), false);
    setApplyEnabled(d, false);
    if (!pageToShow.empty()) showPage(d, pageToShow);
    pageToShow.clear();
}

void optionsClosing(WDialog* d, int) {
    for (size_t i = openOptions.size(); i-- > 0;)
        if (openOptions[i].dialog == d) {
            openOptions.erase(openOptions.begin() + (long)i);
            break;
        }
}

// The dialogues bound to the options, by name.
const char* const kOptionDialogues[] = {"Options", "EditorConfig", "DebuggerConfig",
                                        "OnlineHelpConfig"};

const bool hooksSet = [] {
    for (const char* name : kOptionDialogues) SetDialogueHooks(name, {optionsOpened, optionsClosing});
    return true;
}();

// ApplyOptions: phase 1 on every bound widget of the innermost option dialogue; when all are
// valid, phase 2. The script variable options_valid tells the dialogue's script which.
int cmdApplyOptions(Edit*, EditCmdCtx*) {
    InsertVar("options_valid", ScriptValue::Int(0));
    if (openOptions.empty()) return QuorlError(1, "ApplyOptions: no option dialogue is open");
    OpenOptions& open = openOptions.back();
    bool valid = true;
    for (Bound& b : open.bound) valid = check(b) && valid;
    if (!valid) {
        WDialogRedraw(open.dialog);
        return 1;
    }
    int redraw = 0;
    for (Bound& b : open.bound) redraw |= store(b);
    if (redraw) cfg_Display().redrawAll();
    setApplyEnabled(open.dialog, false);
    InsertVar("options_valid", ScriptValue::Int(1));
    return 1;
}

int openDialogue(Edit* e, const char* name) {
    (void)hooksSet;
    int r = EditOpenDialogue(e, name, {});
    return r >= 0 ? 1 : 0;
}

// RestoreVcDefaults: the template fields of the open option dialogue as the chosen system has
// them.
int cmdRestoreVcDefaults(Edit*, EditCmdCtx*) {
    if (openOptions.empty()) return QuorlError(1, "RestoreVcDefaults: no option dialogue is open");
    showVcTemplates(openOptions.back(), true);
    return 1;
}

// ---- colour schemes ----

// The colours a scheme sets, in the order of each row below; the others (the builder's and the
// browser's) take their defaults.
const char* const kSchemeSlots[] = {"background", "foreground", "controlcolor", "select", "comment",
                                    "deadcode",   "keyword",    "string",       "number", "character"};
const size_t kSchemeColours = std::size(kSchemeSlots);

// ColorSchemes: one row a scheme, its colours in kSchemeSlots order and then its name.
const char* const kSchemeRows =
    R"(#ffffff #000000 #c0c0c0 #000080 #008000 #808080 #0000ff #800000 #e000e0 #c000c0 Default (color, white background)
#f0ede6 #000000 #c9bda7 #4a5a8a #2e7d32 #8a8a7a #1a3fa0 #8b2500 #a0208a #7a1f7a Beige (color, light background)
#f6eff6 #201020 #c8b0c8 #602060 #3a7a3a #907890 #5a1a8a #8a2a2a #b0308a #803080 Plum (color, light background)
#000000 #ffffff #606060 #4060c0 #40c040 #909090 #60a0ff #ffa060 #ff80ff #e080e0 Dark 1 (color, black background)
#102030 #e0e0d0 #405060 #3070a0 #80c080 #708090 #80b0ff #f0c080 #f080c0 #d0a0f0 Dark 2 (color, black background)
#ffffff #000000 #c0c0c0 #606060 #707070 #a0a0a0 #000000 #404040 #505050 #505050 Grey (grey, white background)
#000000 #ffffff #505050 #a0a0a0 #909090 #606060 #ffffff #c0c0c0 #b0b0b0 #b0b0b0 Dark Grey (greys, black background))";

struct Scheme {
    std::string name;
    std::vector<std::string> colours; // kSchemeColours of them
};

const std::vector<Scheme>& schemes() {
    static const std::vector<Scheme> all = [] {
        std::vector<Scheme> out;
        std::istringstream rows(kSchemeRows);
        std::string row;
        while (std::getline(rows, row)) {
            std::istringstream words(row);
            Scheme s;
            s.colours.resize(kSchemeColours);
            for (std::string& c : s.colours) words >> c;
            std::getline(words >> std::ws, s.name);
            out.push_back(s);
        }
        return out;
    }();
    return all;
}

std::vector<std::string> schemeNames() {
    std::vector<std::string> names;
    for (const Scheme& s : schemes()) names.push_back(s.name);
    return names;
}

// ColorSchemeButFunc: a scheme chosen from the list writes its colours into the colour
// fields of the open dialogue, each checked; Apply or OK then sets them.
int cmdColorScheme(Edit* e, EditCmdCtx*) {
    if (blackwhite || WMonochrome()) {
        WAlert("Cannot load color scheme while in two color mode.");
        return 0;
    }
    if (openOptions.empty()) return QuorlError(1, "ColorScheme: no option dialogue is open");
    std::vector<std::string> names = schemeNames();
    InsertVar("scheme_chosen", ScriptValue::Int(-1));
    SetDialogueHooks("ColorScheme", {[](WDialog* d) {
                                         if (Widget* w = WDialogFind(d, "schemes")) {
                                             WidgetSetItems(w, schemeNames());
                                             WidgetSetValue(w, 0);
                                         }
                                     },
                                     [](WDialog* d, int result) {
                                         Widget* w = WDialogFind(d, "schemes");
                                         if (result == 1 && w)
                                             InsertVar("scheme_chosen", ScriptValue::Int(w->value));
                                     }});
    if (EditOpenDialogue(e, "ColorScheme", {}) < 0) return 0;
    ScriptValue* chosen = LookupVar("scheme_chosen");
    if (!chosen || !chosen->isInt || chosen->i < 0 || chosen->i >= (int)names.size()) return 1;
    const Scheme& s = schemes()[(size_t)chosen->i];
    bool changed = false;
    for (Bound& b : openOptions.back().bound) {
        if (b.adapter != TF_COLOR) continue;
        const char* v = b.option->dfltStr; // the default for the colours a scheme leaves
        for (size_t i = 0; i < kSchemeColours; i++)
            if (!strcmp(kSchemeSlots[i], b.option->name)) v = s.colours[i].c_str();
        if (!v || WidgetText(b.w) == v) continue;
        WidgetSetText(b.w, v);
        if (check(b)) paintSwatch(b);
        changed = true;
    }
    if (changed) {
        setApplyEnabled(openOptions.back().dialog, true);
        WDialogRedraw(openOptions.back().dialog);
    }
    return 1;
}

// ---- the font chooser ----

// The X font names of the display, by family (the name's fields foundry and family, italic
// and oblique faces marked "-italic"); choosing one sets the text field named by the
// argument in the open option dialogue.
std::vector<std::string> fontFamilies(std::vector<std::string>& names) {
    std::vector<std::string> shown;
    for (const std::string& n : WListFonts("*", 5000)) {
        std::string label = n;
        if (n.size() > 1 && n[0] == '-') {
            std::vector<std::string> f;
            size_t a = 1;
            for (size_t i = 1; i <= n.size(); i++)
                if (i == n.size() || n[i] == '-') {
                    f.push_back(n.substr(a, i - a));
                    a = i + 1;
                }
            if (f.size() >= 14) {
                if (f[6] == "0") continue; // a scalable outline: its sized names are listed too
                label = f[1] + " (" + f[0] + ") " + f[2] + (f[3] == "i" || f[3] == "o" ? "-italic" : "") +
                        " " + f[6] + "px " + f[12] + "-" + f[13];
            }
        }
        if (std::find(shown.begin(), shown.end(), label) != shown.end()) continue;
        shown.push_back(label);
        names.push_back(n);
    }
    return shown;
}

std::vector<std::string> chooserNames;

int cmdFontChooser(Edit* e, EditCmdCtx* ctx) {
    std::string target = EditCmdArg(ctx);
    if (target.empty()) target = "font";
    if (openOptions.empty()) return QuorlError(1, "FontChooser: no option dialogue is open");
    chooserNames.clear();
    InsertVar("font_chosen", ScriptValue::Str(""));
    SetDialogueHooks("FontChooser",
                     {[](WDialog* d) {
                          std::vector<std::string> names;
                          std::vector<std::string> shown = fontFamilies(names);
                          chooserNames = names;
                          if (Widget* w = WDialogFind(d, "fonts")) WidgetSetItems(w, shown);
                      },
                      [](WDialog* d, int result) {
                          Widget* w = WDialogFind(d, "fonts");
                          if (result == 1 && w && w->value >= 0 && w->value < (int)chooserNames.size())
                              InsertVar("font_chosen", ScriptValue::Str(chooserNames[(size_t)w->value]));
                      }});
    if (EditOpenDialogue(e, "FontChooser", {}) < 0) return 0;
    ScriptValue* chosen = LookupVar("font_chosen");
    if (!chosen || chosen->isInt || chosen->s.empty()) return 1;
    if (Widget* w = WDialogFind(openOptions.back().dialog, target.c_str())) {
        WidgetSetText(w, chosen->s);
        WidgetRedraw(w);
        setApplyEnabled(openOptions.back().dialog, true);
    }
    return 1;
}

// The sample of the font chooser shows the entry selected: its script runs FontPreview.
int cmdFontPreview(Edit*, EditCmdCtx*) {
    for (WDialog* d : WOpenDialogues()) {
        Widget* list = WDialogFind(d, "fonts");
        Widget* sample = WDialogFind(d, "sample");
        if (!list || !sample || list->value < 0 || list->value >= (int)chooserNames.size()) continue;
        sample->font = chooserNames[(size_t)list->value];
        WidgetRedraw(sample);
    }
    return 1;
}

// ---- editing the bindings as text ----

// The three binding editors: the dialogue, what it shows, and what takes an edited text.
struct BindingEditor {
    const char* dialogue;
    std::string (*list)();
    int (*replace)(const std::string& text);
};
const BindingEditor kKeyEditor{"KeyBindings", KeyListText, ReplaceKeyBindings};
const BindingEditor kMouseEditor{"MouseBindings", MouseListText, ReplaceMouseBindings};
const BindingEditor kMenuEditor{"MenuBindings", EditMenuListText, ReplaceMenus};

const BindingEditor* editing = nullptr;
std::string editingText; // what the editor showed when it opened

// ChangeKeyList, ChangeMouseList, ChangeMenus: OK with the text changed clears every binding of
// the kind and reads each line again; a line that does not read says why and is left out.
int editBindings(Edit* e, const BindingEditor& kind) {
    editing = &kind;
    SetDialogueHooks(kind.dialogue, {[](WDialog* d) {
                                         editingText = editing->list();
                                         if (Widget* w = WDialogFind(d, "text")) WidgetSetText(w, editingText);
                                     },
                                     [](WDialog* d, int result) {
                                         Widget* w = WDialogFind(d, "text");
                                         if (result != 1 || !w) return;
                                         std::string text = WidgetText(w);
                                         if (text == editingText) return;
                                         editing->replace(text);
                                         cfg_Display().redrawAll();
                                     }});
    return EditOpenDialogue(e, kind.dialogue, {}) >= 0 ? 1 : 0;
}

int cmdChangeKeyList(Edit* e, EditCmdCtx*) {
    return editBindings(e, kKeyEditor);
}
int cmdChangeMouseList(Edit* e, EditCmdCtx*) {
    return editBindings(e, kMouseEditor);
}
int cmdChangeMenus(Edit* e, EditCmdCtx*) {
    return editBindings(e, kMenuEditor);
}

// configoptions [PAGE] opens the Options dialogue at PAGE (a page's name or its tab's label);
// appearance at the colours, functionality at the editor's page.
int cmdConfigOptions(Edit* e, EditCmdCtx* ctx) {
    pageToShow = EditCmdArg(ctx);
    if (ctx && ctx->name && !strcasecmp(ctx->name, "appearance")) pageToShow = "colorOptionsTab";
    if (ctx && ctx->name && !strcasecmp(ctx->name, "functionality")) pageToShow = "editorOptionsTab";
    return openDialogue(e, "Options");
}
int cmdEditorFlags(Edit* e, EditCmdCtx*) {
    return openDialogue(e, "EditorConfig");
}

} // namespace editoptions

bool ConfigWin_Open() {
    return !editoptions::openOptions.empty();
}

void EditAddOptionCommands() {
    EditAddCmd("ApplyOptions", editoptions::cmdApplyOptions);
    EditAddCmd("ColorScheme", editoptions::cmdColorScheme);
    EditAddCmd("FontChooser", editoptions::cmdFontChooser);
    EditAddCmd("FontPreview", editoptions::cmdFontPreview);
    EditAddCmd("RestoreVcDefaults", editoptions::cmdRestoreVcDefaults);
    EditAddCmd("ChangeKeyList", editoptions::cmdChangeKeyList);
    EditAddCmd("ChangeMouseList", editoptions::cmdChangeMouseList);
    EditAddCmd("ChangeMenus", editoptions::cmdChangeMenus);
}
