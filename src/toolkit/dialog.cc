// toolkit/dialog.cc: dialogue windows: building, placing over their editor, keyboard focus,
// the keys every dialogue understands, the modal loop and, without a display, scripted answers.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "runtime/error.h"
#include "toolkit/backend.h"
#include "toolkit/dlgpriv.h"
#include "toolkit/eventloop.h"
#include "toolkit/scrollbar.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

namespace {

std::vector<WDialog*> openDialogues;

void collect(Widget* w, std::vector<Widget*>& out) {
    out.push_back(w);
    for (Widget* c : w->children) collect(c, out);
}

// The widget whose window has the keyboard now.
Widget* focused(WDialog* d) {
    WWindow* f = d->win ? d->win->focusChild : nullptr;
    if (!f) return nullptr;
    for (Widget* w : d->widgets)
        if (w->win == f) return w;
    return nullptr;
}

// Maps or unmaps the windows of a widget and of what it holds (hidden ones stay unmapped).
void showWindows(Widget* w, bool shown) {
    for (Widget* c : w->children) showWindows(c, shown && !c->hidden);
    for (WWindow* win : {w->win, w->sb ? w->sb->win : nullptr}) {
        if (!win) continue;
        if (shown)
            WMapWindow(win);
        else
            WUnmapWindow(win);
    }
}

bool holds(const Widget* outer, const Widget* w) {
    for (; w; w = w->parent)
        if (w == outer) return true;
    return false;
}

void drawBackground(WDialog* d) {
    WFillRect(d->win, 0, 0, d->win->width, d->win->height, wPalette.control);
}

int dialogEvent(WEvent& ev, void* data) {
    auto* d = static_cast<WDialog*>(data);
    switch (ev.kind) {
    case WE_EXPOSE:
        drawBackground(d);
        break;
    case WE_RESIZE:
        WLayoutPlace(d->root, WDLG_MARGIN, WDLG_MARGIN, d->win->width - 2 * WDLG_MARGIN,
                     d->win->height - 2 * WDLG_MARGIN);
        drawBackground(d);
        break;
    case WE_MAP:
        // A dialogue takes the keyboard when it appears: a question asked before any window
        // has it (the crash-recovery question at start-up) must still hear its keys.
        if (ev.state) WTakeFocus(d->win);
        break;
    case WE_CLOSE:
        WDialogDismiss(d, d->cancelResult);
        break;
    case WE_KEY:
        WDialogKey(d, ev);
        break;
    default:
        break;
    }
    return 1;
}

bool keyFilter(const WEvent& ev, void* data) {
    return WDialogKey(static_cast<WDialog*>(data), ev);
}

Widget* buttonWhere(WDialog* d, bool (*test)(const Widget*)) {
    for (Widget* w : d->widgets)
        if (w->kind == WG_BUTTON && test(w) && WidgetTakesInput(w)) return w;
    return nullptr;
}

bool isDefault(const Widget* w) {
    return w->isDefault;
}
bool isCancel(const Widget* w) {
    return w->isCancel;
}

// The mnemonic letter of a label ("&x"), or 0.
int mnemonicOf(const std::string& label) {
    for (size_t i = 0; i + 1 < label.size(); i++) {
        if (label[i] != '&') continue;
        if (label[i + 1] == '&') {
            i++;
            continue;
        }
        return tolower((unsigned char)label[i + 1]);
    }
    return 0;
}

std::string plainLabel(const std::string& label) {
    std::string out;
    for (size_t i = 0; i < label.size(); i++) {
        if (label[i] == '&' && i + 1 < label.size()) i++;
        out.push_back(label[i]);
    }
    return out;
}

void printLine(const std::string& line) {
    fputs(line.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// Batch values: "1", "yes", "on", "true" set a toggle.
int truth(const std::string& v) {
    return v == "1" || !strcasecmp(v.c_str(), "yes") || !strcasecmp(v.c_str(), "on") ||
           !strcasecmp(v.c_str(), "true");
}

// A choice among items by label (case ignored, "&" dropped) or by number from 1.
int choiceOf(const Widget* w, const std::string& v) {
    for (size_t i = 0; i < w->items.size(); i++)
        if (!strcasecmp(plainLabel(w->items[i]).c_str(), v.c_str())) return (int)i;
    char* end = nullptr;
    long n = strtol(v.c_str(), &end, 10);
    if (!v.empty() && end && !*end && n >= 1 && n <= (long)w->items.size()) return (int)n - 1;
    return -1;
}

// "\n" in an answer's value is a line break, "\;" and "\=" and "\\" the characters.
std::string unescape(const std::string& v) {
    std::string out;
    for (size_t i = 0; i < v.size(); i++) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            i++;
            out.push_back(v[i] == 'n' ? '\n' : v[i]);
        } else {
            out.push_back(v[i]);
        }
    }
    return out;
}

// Splits at unescaped ";".
std::vector<std::string> answerParts(const std::string& a) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < a.size(); i++) {
        if (a[i] == '\\' && i + 1 < a.size()) {
            parts.back() += a.substr(i, 2);
            i++;
        } else if (a[i] == ';') {
            parts.emplace_back();
        } else {
            parts.back().push_back(a[i]);
        }
    }
    return parts;
}

// The position of an unescaped "=", or npos.
size_t assignAt(const std::string& part) {
    for (size_t i = 0; i < part.size(); i++) {
        if (part[i] == '\\') i++;
        else if (part[i] == '=') return i;
    }
    return std::string::npos;
}

bool setFromAnswer(Widget* w, const std::string& value) {
    switch (w->kind) {
    case WG_TABS: {
        // A page by its tab's label, its number from 1, or its name.
        int c = choiceOf(w, value);
        for (size_t i = 0; c < 0 && i < w->children.size(); i++)
            if (!strcasecmp(w->children[i]->name.c_str(), value.c_str())) c = (int)i;
        if (c < 0) return false;
        WTabsSelect(w, c);
        return true;
    }
    case WG_TEXTFIELD:
    case WG_EDITOR:
        WidgetSetText(w, value);
        return true;
    case WG_TOGGLE:
        WidgetSetValue(w, truth(value));
        return true;
    case WG_LIST:
        if (w->multiple) {
            // Entries separated by ",", each by label or number; nothing marks none.
            std::vector<char> marks(w->items.size(), 0);
            size_t at = 0;
            while (at < value.size()) {
                size_t comma = value.find(',', at);
                if (comma == std::string::npos) comma = value.size();
                int c = choiceOf(w, value.substr(at, comma - at));
                if (c < 0) return false;
                marks[(size_t)c] = 1;
                at = comma + 1;
            }
            w->marks = marks;
            WidgetRedraw(w);
            return true;
        }
        [[fallthrough]];
    case WG_BUTTONSET:
    case WG_OPTIONMENU: {
        int c = choiceOf(w, value);
        if (c < 0) return false;
        WidgetSetValue(w, c);
        return true;
    }
    default:
        return false;
    }
}

// The notebook that holds the focus, else the first one shown.
Widget* notebookOf(WDialog* d) {
    Widget* f = focused(d);
    for (Widget* w = f; w; w = w->parent)
        if (w->kind == WG_TABS) return w;
    for (Widget* w : d->widgets)
        if (w->kind == WG_TABS && WidgetShown(w)) return w;
    return nullptr;
}

// A dimmed button cannot be pressed by an answer any more than by the pointer.
Widget* buttonNamed(WDialog* d, const std::string& name) {
    for (Widget* w : d->widgets)
        if (w->kind == WG_BUTTON && WidgetTakesInput(w) &&
            (!strcasecmp(w->name.c_str(), name.c_str()) ||
             !strcasecmp(plainLabel(w->label).c_str(), name.c_str())))
            return w;
    return nullptr;
}

std::vector<Widget*> buttons(WDialog* d) {
    std::vector<Widget*> out;
    for (Widget* w : d->widgets)
        if (w->kind == WG_BUTTON) out.push_back(w);
    return out;
}

} // namespace

const std::vector<WDialog*>& WOpenDialogues() {
    return openDialogues;
}

static WWindow* nextParent = nullptr;

void WDialogParent(WWindow* top) {
    nextParent = top;
}

WDialog* WDialogNew(const char* title) {
    auto* d = new WDialog;
    d->parentWin = nextParent;
    nextParent = nullptr;
    d->title = title ? title : "";
    d->root = new Widget;
    d->root->kind = WG_COLUMN;
    d->root->dialog = d;
    return d;
}

Widget* WDialogAdd(WDialog* d, Widget* parent, WidgetKind kind, const char* name,
                   const char* label) {
    auto* w = new Widget;
    w->kind = kind;
    w->name = name ? name : "";
    w->label = label ? label : "";
    w->dialog = d;
    w->parent = parent ? parent : d->root;
    switch (kind) {
    case WG_TEXTFIELD:
    case WG_LIST:
    case WG_EDITOR:
    case WG_SEPARATOR:
    case WG_ROW:
    case WG_COLUMN:
    case WG_TABS:
    case WG_PAGE:
        w->align = WALIGN_FILL;
        break;
    default:
        w->align = WALIGN_START;
        break;
    }
    if (kind == WG_LIST || kind == WG_OPTIONMENU || kind == WG_BUTTONSET) w->value = -1;
    if (kind == WG_BUTTONSET || kind == WG_OPTIONMENU) w->value = 0;
    // A notebook's page puts its label on a tab; only the notebook's chosen page shows.
    if (kind == WG_PAGE && w->parent->kind == WG_TABS) {
        w->hidden = (int)w->parent->children.size() != w->parent->value;
        w->parent->items.push_back(w->label);
    }
    w->parent->children.push_back(w);
    return w;
}

void WDialogRealize(WDialog* d) {
    if (d->win) return;
    d->widgets.clear();
    for (Widget* c : d->root->children) collect(c, d->widgets);
    int width, height;
    WLayoutMeasure(d->root, &width, &height);
    width += 2 * WDLG_MARGIN;
    height += 2 * WDLG_MARGIN;
    d->win = WCreateWindow(nullptr, 0, 0, width, height, dialogEvent, d);
    WSetBackground(d->win, wPalette.control);
    d->win->keyFilter = keyFilter;
    d->win->keyFilterData = d;
    for (Widget* c : d->root->children) WidgetCreateWindow(c, d->win);
    for (Widget* w : d->widgets)
        if (w->hidden) showWindows(w, false);
    WLayoutPlace(d->root, WDLG_MARGIN, WDLG_MARGIN, width - 2 * WDLG_MARGIN,
                 height - 2 * WDLG_MARGIN);
    WSetWindowName(d->win, d->title.empty() ? "qe" : d->title.c_str());
    if (d->focus && WidgetTakesFocus(d->focus))
        WidgetFocus(d->focus);
    else
        WDialogFocusNext(d, 1);
    openDialogues.push_back(d);
}

void WDialogShow(WDialog* d) {
    WDialogRealize(d);
    if (d->win->mapped) return;
    WWindow* parent = d->parentWin ? d->parentWin : wLastInputTop;
    if (parent && parent == d->win) parent = nullptr;
    int px = 0, py = 0, pw = 0, ph = 0;
    if (parent && wBackend && wBackend->rootGeometry(parent, &px, &py, &pw, &ph)) {
        d->parentWin = parent;
    } else {
        parent = nullptr;
        if (wBackend) wBackend->screenSize(&pw, &ph);
    }
    int x = std::max(0, px + (pw - d->win->width) / 2);
    int y = std::max(0, py + (ph - d->win->height) / 3);
    WMoveResize(d->win, x, y, d->win->width, d->win->height);
    if (wBackend) wBackend->setDialogHints(d->win, parent);
    WMapWindow(d->win);
}

void WDialogDismiss(WDialog* d, int result) {
    bool first = !d->done;
    d->done = true;
    d->result = result;
    // A dialogue nobody waits for goes away by itself, once the event that closed it is over.
    if (first && !d->modal && d->closed) {
        WMapWindow(d->win); // (already mapped: nothing changes)
        ExtraProcess_Create(XP_TIMER, 0,
                            [](void* dd, int) {
                                auto* dlg = static_cast<WDialog*>(dd);
                                dlg->closed(dlg);
                                return 1;
                            },
                            nullptr, d);
    }
}

void WDialogDestroy(WDialog* d) {
    if (!d) return;
    openDialogues.erase(std::remove(openDialogues.begin(), openDialogues.end(), d),
                        openDialogues.end());
    WidgetDestroy(d->root);
    if (d->win) WDestroyWindow(d->win);
    delete d;
}

void WDialogRelayout(WDialog* d) {
    if (!d->win) return;
    int width, height;
    WLayoutMeasure(d->root, &width, &height);
    width = std::max(width + 2 * WDLG_MARGIN, d->win->width);
    height = std::max(height + 2 * WDLG_MARGIN, d->win->height);
    WMoveResize(d->win, d->win->x, d->win->y, width, height);
    WLayoutPlace(d->root, WDLG_MARGIN, WDLG_MARGIN, width - 2 * WDLG_MARGIN,
                 height - 2 * WDLG_MARGIN);
    WDialogRedraw(d);
}

void WDialogRedraw(WDialog* d) {
    if (!d->win) return;
    drawBackground(d);
    for (Widget* w : d->widgets) WidgetRedraw(w);
}

void WDialogSetLevel(WDialog* d, int level) {
    d->level = std::clamp(level, 0, 31);
    Widget* f = focused(d);
    if (f && !WidgetTakesFocus(f)) WDialogFocusNext(d, 1);
    WDialogRedraw(d);
}

Widget* WDialogFind(WDialog* d, const char* name) {
    if (!name || !*name) return nullptr;
    if (d->widgets.empty()) {
        std::vector<Widget*> all;
        for (Widget* c : d->root->children) collect(c, all);
        for (Widget* w : all)
            if (w->name == name) return w;
        return nullptr;
    }
    for (Widget* w : d->widgets)
        if (w->name == name) return w;
    return nullptr;
}

void WidgetSetHidden(Widget* w, bool hidden) {
    if (w->hidden == hidden) return;
    w->hidden = hidden;
    WDialog* d = w->dialog;
    if (!d || !d->win) return; // the layout takes it when the window is made
    showWindows(w, !hidden);
    if (hidden && holds(w, focused(d))) WDialogFocusNext(d, 1);
    WDialogRelayout(d);
}

void WTabsSelect(Widget* tabs, int index) {
    if (tabs->kind != WG_TABS || index < 0 || index >= (int)tabs->children.size()) return;
    WDialog* d = tabs->dialog;
    Widget* f = d ? focused(d) : nullptr;
    bool changed = tabs->value != index;
    tabs->value = index;
    for (size_t i = 0; i < tabs->children.size(); i++) {
        Widget* page = tabs->children[i];
        bool hide = (int)i != index;
        if (page->hidden == hide) continue;
        page->hidden = hide;
        if (d && d->win) showWindows(page, !hide && WidgetShown(tabs));
    }
    if (!d || !d->win) return;
    if (f && !WidgetShown(f)) WidgetFocus(tabs); // the focus leaves a page that goes
    WidgetRedraw(tabs);
    for (Widget* w : d->widgets)
        if (holds(tabs->children[(size_t)index], w)) WidgetRedraw(w);
    if (changed) WidgetActivated(tabs, WACT_SELECT);
}

void WidgetFocus(Widget* w) {
    WDialog* d = w->dialog;
    d->focus = w;
    if (!d->win || !w->win) return;
    Widget* old = focused(d);
    WSetFocusChild(w->win);
    if (old && old != w) WidgetRedraw(old);
    WidgetRedraw(w);
}

void WDialogFocusNext(WDialog* d, int dir) {
    std::vector<Widget*> order;
    for (Widget* w : d->widgets)
        if (WidgetTakesFocus(w)) order.push_back(w);
    if (order.empty()) return;
    Widget* cur = focused(d);
    auto it = std::find(order.begin(), order.end(), cur);
    int n = (int)order.size();
    int i = it == order.end() ? (dir > 0 ? -1 : 0) : (int)(it - order.begin());
    WidgetFocus(order[(size_t)((i + dir + n) % n)]);
}

bool WDialogKey(WDialog* d, const WEvent& ev) {
    if (ev.kind != WE_KEY) return false;
    Widget* f = focused(d);
    bool shift = ev.modifiers & WMOD_SHIFT, ctrl = ev.modifiers & WMOD_CONTROL;
    if (ev.key == WK_TAB) {
        // An editor pane keeps plain Tab for its text; Shift+Tab and Control+Tab leave it.
        if (f && f->kind == WG_EDITOR && !shift && !ctrl) return false;
        WDialogFocusNext(d, shift ? -1 : 1);
        return true;
    }
    if (ev.key == WK_ESCAPE) {
        if (Widget* c = buttonWhere(d, isCancel))
            WidgetPress(c);
        else
            WDialogDismiss(d, d->cancelResult);
        return true;
    }
    if (ev.key == WK_RETURN || ev.key == WK_KP_ENTER) {
        if (f && f->kind == WG_EDITOR && !ctrl) return false;
        if (f && f->kind == WG_BUTTON) {
            WidgetPress(f);
        } else if (f && (f->kind == WG_TEXTFIELD || f->kind == WG_LIST) && f->ownsReturn) {
            WidgetActivated(f, f->kind == WG_LIST ? WACT_DOUBLE : WACT_RETURN);
        } else if (Widget* b = buttonWhere(d, isDefault)) {
            WidgetPress(b);
        } else if (f && f->kind == WG_TOGGLE) {
            WidgetPress(f);
        }
        return true;
    }
    if (ev.key == ' ' && f && f->kind == WG_BUTTON) {
        WidgetPress(f);
        return true;
    }
    // Control+Page Down and Page Up turn the notebook's pages wherever the focus is.
    if (ctrl && (ev.key == WK_NEXT || ev.key == WK_PRIOR)) {
        Widget* tabs = notebookOf(d);
        if (!tabs || tabs->items.empty()) return false;
        int n = (int)tabs->items.size();
        WTabsSelect(tabs, (tabs->value + (ev.key == WK_NEXT ? 1 : n - 1)) % n);
        return true;
    }
    // Alt and a letter or digit: the widget whose label marks it.
    if ((ev.modifiers & WMOD_MOD1) && ev.key > 0 && ev.key < 256 && isalnum(ev.key)) {
        int letter = tolower(ev.key);
        for (Widget* w : d->widgets) {
            if (w->kind == WG_TABS && WidgetTakesInput(w)) {
                // A tab's mnemonic shows its page, the notebook taking the focus.
                for (size_t i = 0; i < w->items.size(); i++)
                    if (mnemonicOf(w->items[i]) == letter) {
                        WTabsSelect(w, (int)i);
                        WidgetFocus(w);
                        return true;
                    }
                continue;
            }
            if (!WidgetTakesInput(w) || mnemonicOf(w->label) != letter) continue;
            if (w->kind == WG_BUTTON || w->kind == WG_TOGGLE) {
                WidgetFocus(w);
                WidgetPress(w);
            } else if (WidgetTakesFocus(w)) {
                WidgetFocus(w);
            }
            return true;
        }
    }
    return false;
}

void WidgetActivated(Widget* w, int how) {
    WDialog* d = w->dialog;
    if (d->activate) {
        d->activate(d, w, how);
        return;
    }
    // Without an owner, a push button ends the dialogue with its number among the buttons.
    if (w->kind == WG_BUTTON) {
        std::vector<Widget*> all = buttons(d);
        auto it = std::find(all.begin(), all.end(), w);
        WDialogDismiss(d, w->isCancel ? d->cancelResult : (int)(it - all.begin()));
    }
}

int WDialogApplyAnswer(WDialog* d, const std::string& answer) {
    std::vector<std::string> parts = answerParts(answer);
    bool structured = false;
    for (const std::string& p : parts) {
        size_t eq = assignAt(p);
        if (eq != std::string::npos && WDialogFind(d, unescape(p.substr(0, eq)).c_str()))
            structured = true;
    }
    if (!structured) {
        if (d->matchAnswer) {
            int i = d->matchAnswer(d, answer);
            std::vector<Widget*> all = buttons(d);
            if (i >= 0 && i < (int)all.size()) {
                WidgetPress(all[(size_t)i]);
                return 1;
            }
            return 0;
        }
        if (Widget* b = d->answerIsText ? nullptr : buttonNamed(d, answer)) {
            WidgetPress(b);
            return 1;
        }
        // The one text field (or editor) takes the text; the default button confirms it.
        Widget* field = WDialogFind(d, d->answerField.c_str());
        if (!field)
            for (Widget* w : d->widgets)
                if ((w->kind == WG_TEXTFIELD || w->kind == WG_EDITOR) && WidgetTakesInput(w)) {
                    if (field) return 0;
                    field = w;
                }
        if (!field) return 0;
        WidgetSetText(field, unescape(answer));
        if (d->changed) d->changed(d, field);
        if (Widget* b = buttonWhere(d, isDefault))
            WidgetPress(b);
        else
            WidgetActivated(field, WACT_RETURN);
        return 1;
    }
    for (const std::string& p : parts) {
        size_t eq = assignAt(p);
        if (eq == std::string::npos) {
            std::string name = unescape(p);
            if (name.empty()) continue;
            Widget* b = buttonNamed(d, name);
            if (!b) return 0;
            WidgetPress(b);
            if (d->done) return 1;
            continue;
        }
        Widget* w = WDialogFind(d, unescape(p.substr(0, eq)).c_str());
        if (!w || !setFromAnswer(w, unescape(p.substr(eq + 1)))) return 0;
        if (d->changed && w->kind != WG_TABS) d->changed(d, w);
    }
    return 1;
}

bool WDialogTakeAnswer(WDialog* d) {
    std::string a;
    if (!wBackend || !wBackend->scriptedAnswers() || !WTakeScriptedAnswer(a)) return false;
    d->pressedButton = nullptr;
    if (d->answerShownFirst) { // what the answer sets off reads after it
        printLine(oneLine(d->batchText) + " -> " + a);
        if (!WDialogApplyAnswer(d, a)) WDialogDismiss(d, d->cancelResult);
        return true;
    }
    // What the question said when it was answered (a dialogue may go on to another).
    std::string asked = d->batchText;
    int ok = WDialogApplyAnswer(d, a);
    std::string shown = a;
    if (ok && d->pressedButton && d->describeAnswer) shown = d->describeAnswer(d, d->pressedButton);
    printLine(oneLine(asked) + " -> " + (ok ? shown : "<cancel>"));
    if (!ok) WDialogDismiss(d, d->cancelResult);
    return true;
}

int WDialogRun(WDialog* d) {
    WDialogShow(d);
    WWindow* saved = wModalWindow;
    if (d->modal) wModalWindow = d->win;
    if (wBackend && wBackend->scriptedAnswers()) {
        // Events a test queued for the dialogue come first; then the answers of the script.
        while (!d->done && wBackend->pendingFor(d->win)) wBackend->dispatchNext(0);
        if (!d->batchShowsAnswer) {
            printLine(d->batchText);
            if (!d->done) WDialogDismiss(d, d->cancelResult);
        }
        while (!d->done && WDialogTakeAnswer(d)) {
        }
        if (!d->done) {
            Widget* b = d->batchDefault ? buttonWhere(d, isDefault) : nullptr;
            std::string shown = b ? plainLabel(b->label) : "<cancel>";
            if (b && d->describeAnswer) shown = d->describeAnswer(d, b);
            printLine(oneLine(d->batchText) + " -> " + shown);
            if (b) WidgetPress(b);
            if (!d->done) WDialogDismiss(d, d->cancelResult);
        }
    }
    while (!d->done && XWindowsOn) {
        WEventAll(0);
        if (d->done) break;
        int wait = 0;
        ExtraProcess_Wait(&wait);
        WYield(wait - 10);
    }
    wModalWindow = saved;
    return d->result;
}
