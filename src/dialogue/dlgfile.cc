// dialogue/dlgfile.cc: the dialogue description format (docs/dialogues.md): dialogue blocks of
// widgets with attributes and scripts, and function definitions, read with the script
// language's token stream in file mode.
#include "dialogue/dlgfile.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "dialogue/script.h"
#include "dialogue/script_lex.h"
#include "toolkit/dialog.h"

namespace {

struct KindName {
    const char* name;
    WidgetKind kind;
};

const KindName kindNames[] = {
    {"label", WG_LABEL},         {"button", WG_BUTTON},     {"toggle", WG_TOGGLE},
    {"buttonset", WG_BUTTONSET}, {"textfield", WG_TEXTFIELD}, {"list", WG_LIST},
    {"scrolllist", WG_LIST},     {"editor", WG_EDITOR},     {"optionmenu", WG_OPTIONMENU},
    {"separator", WG_SEPARATOR}, {"row", WG_ROW},           {"column", WG_COLUMN},
    {"colorbox", WG_COLORBOX},   {"colourbox", WG_COLORBOX}, {"tabs", WG_TABS},
    {"page", WG_PAGE},
};

bool isContainer(WidgetKind kind) {
    return kind == WG_ROW || kind == WG_COLUMN || kind == WG_TABS || kind == WG_PAGE;
}

const char* const attributeWords[] = {"default", "cancel", "returns", "horizontal", "stretch",
                                      "align",   "width",  "height",  "value",      "levels",
                                      "items",   "script", "disabled"};

bool isAttribute(const std::string& word) {
    for (const char* a : attributeWords)
        if (word == a) return true;
    return false;
}

bool kindOf(const std::string& word, WidgetKind* kind) {
    for (const KindName& k : kindNames)
        if (word == k.name) {
            *kind = k.kind;
            return true;
        }
    return false;
}

struct Parser {
    TokenStream ts;
    WDialog* build = nullptr; // null: only check the text
    std::string init;

    // "{" script "}" taken as written (its braces balanced by the script's own tokens), or a
    // string.
    std::string script() {
        if (ts.kind == TK_STRING) {
            std::string s = ts.name;
            ts.next();
            return s;
        }
        if (ts.kind != '{') ts.check('{');
        size_t start = ts.tokenEnd;
        int depth = 1;
        for (;;) {
            ts.next();
            if (ts.kind == TK_EOF) ts.check('}');
            if (ts.kind == '{') depth++;
            if (ts.kind == '}' && --depth == 0) break;
        }
        size_t end = ts.tokenEnd - 1;
        std::string s(ts.text + start, end - start);
        ts.next();
        return s;
    }

    int number() {
        if (ts.kind != TK_NUMBER) ts.check(TK_NUMBER);
        int n = ts.number;
        ts.next();
        return n;
    }

    std::string word() {
        if (ts.kind != TK_NAME) ts.check(TK_NAME);
        std::string w = ts.name;
        ts.next();
        return w;
    }

    void attribute(Widget* w, const std::string& a) {
        if (a == "default") {
            w->isDefault = true;
        } else if (a == "cancel") {
            w->isCancel = true;
        } else if (a == "returns") {
            w->ownsReturn = true;
        } else if (a == "horizontal") {
            w->vertical = false;
        } else if (a == "disabled") {
            w->enabled = false;
        } else if (a == "stretch") {
            w->stretch = number();
        } else if (a == "width") {
            w->columns = number();
        } else if (a == "height") {
            w->rows = number();
        } else if (a == "value") {
            w->value = number();
        } else if (a == "levels") {
            w->levels = (unsigned)number();
        } else if (a == "align") {
            std::string how = word();
            if (how == "fill") w->align = WALIGN_FILL;
            else if (how == "start") w->align = WALIGN_START;
            else if (how == "center" || how == "centre") w->align = WALIGN_CENTER;
            else if (how == "end") w->align = WALIGN_END;
            else ts.error("Unknown alignment %s (fill, start, center or end)", how.c_str());
        } else if (a == "items") {
            ts.check('(');
            w->items.clear();
            while (ts.kind == TK_STRING) {
                w->items.push_back(ts.name);
                ts.next();
                if (ts.kind != ',') break;
                ts.next();
            }
            ts.check(')');
        } else if (a == "script") {
            w->script = script();
            if (w->kind == WG_TEXTFIELD || w->kind == WG_LIST) w->ownsReturn = true;
        }
    }

    void widgets(Widget* parent, WidgetKind parentKind) {
        while (ts.kind != '}') {
            if (ts.kind == TK_EOF) ts.check('}');
            widget(parent, parentKind);
        }
    }

    void widget(Widget* parent, WidgetKind parentKind) {
        std::string k = word();
        WidgetKind kind;
        if (!kindOf(k, &kind))
            ts.error("Unknown widget kind %s (label, button, toggle, buttonset, textfield, list, "
                     "editor, optionmenu, colorbox, separator, row, column, tabs or page)",
                     k.c_str());
        if ((parentKind == WG_TABS) != (kind == WG_PAGE))
            ts.error(kind == WG_PAGE ? "A page belongs in tabs" : "Tabs hold pages only, not %s",
                     k.c_str());
        std::string name, label;
        // "-" before a name: the widget shows its option inverted; "\" before a name that is
        // also an attribute word ("script") takes it as the name.
        if (ts.kind == '\\') {
            ts.next();
            name = word();
        } else if (ts.kind == '-') {
            ts.next();
            if (ts.kind != TK_NAME) ts.check(TK_NAME);
            name = "-" + word();
        } else if (ts.kind == TK_NAME && !isAttribute(ts.name)) {
            name = word();
        }
        if (ts.kind == TK_STRING) {
            label = ts.name;
            ts.next();
        }
        // Checking alone builds into a scratch widget that is thrown away.
        Widget scratch;
        Widget* w = &scratch;
        if (build) w = WDialogAdd(build, parent, kind, name.c_str(), label.c_str());
        w->kind = kind;
        bool braced = false; // a widget that ends with a script block needs no ";"
        while (ts.kind == TK_NAME) {
            if (!isAttribute(ts.name)) ts.error("Unknown attribute %s", ts.name.c_str());
            std::string a = word();
            braced = a == "script" && ts.kind == '{';
            attribute(w, a);
            if (braced) break;
        }
        if (isContainer(kind)) {
            ts.check('{');
            widgets(build ? w : nullptr, kind);
            ts.check('}');
        } else if (!braced || ts.kind == ';') {
            ts.check(';');
        }
    }

    // "dialogue" NAME "Title" "{" ["init" script] widgets "}"
    void dialogueBody() {
        ts.check('{');
        if (ts.kind == TK_NAME && ts.name == "init") {
            ts.next();
            init = script();
        }
        widgets(nullptr, WG_COLUMN);
        ts.check('}');
    }
};

std::string readAll(std::ifstream& in) {
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

bool LoadDialogueText(const std::string& text, const std::string& source, std::string& error,
                      std::vector<std::string>* names) {
    struct Found {
        std::string name;
        DialogueDescription desc;
        bool isFunction;
    };
    std::vector<Found> found;
    Parser p;
    p.ts.keywords = false;
    try {
        p.ts.open(text.data(), text.size(), source, true);
        while (p.ts.kind != TK_EOF) {
            int line = p.ts.line;
            size_t start = p.ts.tokenEnd - p.ts.name.size();
            std::string what = p.word();
            if (what == "function") {
                std::string name = p.word();
                found.push_back({name, {p.script(), source, line}, true});
                continue;
            }
            if (what != "dialogue")
                p.ts.error("Expected dialogue or function got %s", what.c_str());
            std::string name = p.word();
            if (p.ts.kind != TK_STRING) p.ts.check(TK_STRING);
            p.ts.next();
            p.dialogueBody();
            found.push_back({name, {text.substr(start, p.ts.prevEnd - start), source, line}, false});
        }
    } catch (const ScriptError& e) {
        error = e.report;
        return false;
    }
    for (const Found& f : found) {
        if (f.isFunction)
            InsertVar(f.name.c_str(), ScriptValue::Str(f.desc.text));
        else
            InsertDlb(f.name.c_str(), f.desc);
        if (names && !f.isFunction) names->push_back(f.name);
    }
    return true;
}

bool LoadDialogueFile(const char* path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::string("Can't open dialogue file: ") + path;
        return false;
    }
    return LoadDialogueText(readAll(in), path, error);
}

void LoadBuiltinDialogues() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    std::string error;
    if (!LoadDialogueText(builtinDialogueText, "built-in", error))
        fprintf(stderr, "qe: built-in dialogue descriptions: %s\n", error.c_str());
}

bool BuildDialogue(const DialogueDescription& desc, WDialog* d, std::string& initScript,
                   std::string& error) {
    Parser p;
    p.ts.keywords = false;
    p.build = d;
    try {
        p.ts.open(desc.text.data(), desc.text.size(), desc.source, true);
        p.ts.line = desc.line;
        p.word(); // "dialogue"
        p.word(); // its name
        d->title = p.ts.name;
        p.ts.next();
        p.dialogueBody();
    } catch (const ScriptError& e) {
        error = e.report;
        return false;
    }
    initScript = p.init;
    return true;
}
