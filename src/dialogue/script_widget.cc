// dialogue/script_widget.cc: what a script reads and writes through "%%" widget references.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "dialogue/script_eval.h"
#include "toolkit/dialog.h"

namespace {

bool isButton(const Widget* w) {
    return w->kind == WG_BUTTON || w->kind == WG_TOGGLE;
}

bool isChoice(const Widget* w) {
    return w->kind == WG_BUTTONSET || w->kind == WG_OPTIONMENU;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// The index of a reference, which must be an integer.
int indexOf(TokenStream& ts, const ScriptPlace& p) {
    if (!p.hasIndex) ts.error("Bad index");
    if (!p.indexValue.isInt) ts.error("Indexing into a widget must be done with an integer");
    return p.indexValue.i;
}

const std::string& fileNameOf(TokenStream& ts, const ScriptPlace& p) {
    if (!p.hasIndex || p.indexValue.isInt) ts.error("Save and load must be followed by a filename");
    return p.indexValue.s;
}

bool readFile(const std::string& name, std::string& text) {
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

bool writeFile(const std::string& name, const std::string& text) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    return (bool)out;
}

} // namespace

Widget* ScriptWidgetByNumber(ScriptDialog* d, int n) {
    if (!d || !d->dialog || n < 0) return nullptr;
    int i = 0;
    for (Widget* w : d->dialog->widgets) {
        if (w->kind == WG_ROW || w->kind == WG_COLUMN || w->kind == WG_PAGE) continue;
        if (i++ == n) return w;
    }
    return nullptr;
}

Widget* ScriptWidgetByName(ScriptDialog* d, const std::string& name) {
    return d && d->dialog ? WDialogFind(d->dialog, name.c_str()) : nullptr;
}

ScriptValue ScriptWidgetValue(TokenStream& ts, ScriptPlace& p) {
    Widget* w = p.widget;
    int q = p.qualifier;
    if (w->kind == WG_TEXTFIELD) {
        if (q != KW_NONE) ts.error("The textfield widget may not be qualified");
        return ScriptValue::Str(WidgetText(w));
    }
    if (isButton(w)) {
        if (q != KW_SET) ts.error("The button widget must be qualified with .set");
        if (p.hasIndex) ts.error("The button widget may not be indexed");
        return ScriptValue::Int(w->kind == WG_TOGGLE ? w->value != 0 : w->pressed);
    }
    if (isChoice(w)) {
        if (q != KW_SET) ts.error("The buttonset widget must be qualified with .set");
        if (!p.hasIndex || !p.indexValue.isInt || p.indexValue.i < 1 ||
            p.indexValue.i > (int)w->items.size())
            ts.error("Bad index into buttonset");
        return ScriptValue::Int(w->value == p.indexValue.i - 1);
    }
    if (w->kind == WG_EDITOR) {
        std::string text = WidgetText(w);
        switch (q) {
        case KW_NONE: return ScriptValue::Str(text);
        case KW_LENGTH: return ScriptValue::Int((int32_t)splitLines(text).size());
        case KW_VAL: {
            int n = indexOf(ts, p);
            std::vector<std::string> lines = splitLines(text);
            if (n < 1 || n > (int)lines.size()) ts.error("Index into an editor out of bounds");
            return ScriptValue::Str(lines[(size_t)n - 1]);
        }
        case KW_LOAD: {
            std::string content;
            if (!readFile(fileNameOf(ts, p), content)) return ScriptValue::Int(0);
            WidgetSetText(w, content);
            return ScriptValue::Int(1);
        }
        case KW_SAVE: return ScriptValue::Int(writeFile(fileNameOf(ts, p), text));
        default: ts.error("Bad qualifier on editor");
        }
    }
    if (w->kind == WG_LIST) {
        switch (q) {
        case KW_LENGTH: return ScriptValue::Int((int32_t)w->items.size());
        case KW_SEL: return ScriptValue::Int(w->value + 1);
        case KW_VAL: {
            int n = indexOf(ts, p);
            if (n < 1 || n > (int)w->items.size()) ts.error("Index into an scrolllist out of bounds");
            return ScriptValue::Str(w->items[(size_t)n - 1]);
        }
        case KW_LOAD: {
            std::string content;
            if (!readFile(fileNameOf(ts, p), content)) return ScriptValue::Int(0);
            WidgetSetItems(w, splitLines(content));
            return ScriptValue::Int(1);
        }
        case KW_SAVE: return ScriptValue::Int(writeFile(fileNameOf(ts, p), joinLines(w->items)));
        default: ts.error("Bad qualifier on scrolllist");
        }
    }
    ts.error("The widget indicated is not one that you may manipulate");
}

void ScriptWidgetAssign(TokenStream& ts, ScriptPlace& p, const ScriptValue& v) {
    Widget* w = p.widget;
    int q = p.qualifier;
    if (q == KW_LOAD || q == KW_SAVE) ts.error("Load/Save may not be used to qualify an lvalue");
    if (w->kind == WG_TEXTFIELD) {
        if (q != KW_NONE) ts.error("The textfield widget may not be qualified");
        if (v.isInt) ts.error("You may not assign an integer to a textfield");
        WidgetSetText(w, v.s);
        return;
    }
    if (isButton(w)) {
        if (q != KW_SET) ts.error("The button widget must be qualified with .set");
        if (p.hasIndex) ts.error("The button widget may not be indexed");
        if (v.isInt) {
            WidgetSetValue(w, v.i != 0);
        } else {
            w->label = v.s; // a string renames the button
            WDialogRelayout(w->dialog);
        }
        return;
    }
    if (isChoice(w)) {
        if (q != KW_SET) ts.error("The buttonset widget must be qualified with .set");
        if (!p.hasIndex || !p.indexValue.isInt || p.indexValue.i < 1 ||
            p.indexValue.i > (int)w->items.size())
            ts.error("Bad index into buttonset");
        if (!v.isInt) ts.error("Button settings must be integral values");
        if (v.i) WidgetSetValue(w, p.indexValue.i - 1);
        return;
    }
    if (w->kind == WG_EDITOR) {
        switch (q) {
        case KW_NONE:
            if (v.isInt) ts.error("You may not assign an integer to an editor");
            WidgetSetText(w, v.s);
            return;
        case KW_LENGTH: ts.error("You may not directly change the length of an edit");
        case KW_VAL: {
            int n = indexOf(ts, p);
            std::vector<std::string> lines = splitLines(WidgetText(w));
            if (n < 1 || n > (int)lines.size() + 1) ts.error("Index into an editor out of bounds");
            if (v.isInt) ts.error("You may not assign an integer to an editor");
            if (n > (int)lines.size())
                lines.push_back(v.s);
            else
                lines[(size_t)n - 1] = v.s;
            WidgetSetText(w, joinLines(lines));
            return;
        }
        default: ts.error("Bad qualifier on editor");
        }
    }
    if (w->kind == WG_LIST) {
        switch (q) {
        case KW_NONE: ts.error("You may not change a scrolllist directly");
        case KW_LENGTH: ts.error("You may not change the length of a scrolllist directly");
        case KW_SEL:
            if (!v.isInt) ts.error("ScrollList selections must be set to integral values");
            WidgetSetValue(w, v.i - 1);
            return;
        case KW_VAL: {
            int n = indexOf(ts, p);
            if (n < 1 || n > (int)w->items.size() + 1)
                ts.error("Index into an scrolllist out of bounds");
            if (v.isInt) ts.error("ScrollList entries must be strings");
            std::vector<std::string> items = w->items;
            int sel = w->value;
            if (n > (int)items.size())
                items.push_back(v.s);
            else
                items[(size_t)n - 1] = v.s;
            WidgetSetItems(w, items);
            WidgetSetValue(w, sel);
            return;
        }
        default: ts.error("Bad qualifier on scrolllist");
        }
    }
    ts.error("The widget indicated is not one that you may manipulate");
}
