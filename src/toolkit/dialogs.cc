// toolkit/dialogs.cc: modal alert, yes/no, button, prompt and file-chooser dialogues built from
// the toolkit's own windows, for backends with a real display.
#include <algorithm>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

namespace {

const int pad = 10;

struct Dialog {
    WWindow* win = nullptr;
    std::string text;
    std::vector<Button*> buttons;
    TextField* field = nullptr;
    int dflt = 0;
    int cancelValue = -1;
    int focus = 0; // the button that Return presses, or -1: the text field has the keyboard
    bool done = false;
    int result = -1;
    // file chooser
    WWindow* list = nullptr;
    std::string dir;
    std::vector<std::string> entries; // directories end with "/"
    int listTop = 0;
    int listSel = -1;
    int textBottom = 0;
};

void finish(Dialog* d, int result) {
    d->done = true;
    d->result = result;
}

void chooserConfirm(Dialog* d);

void drawDialog(Dialog* d) {
    WFillRect(d->win, 0, 0, d->win->width, d->win->height, wPalette.control);
    std::string shown = d->text;
    if (d->list) shown = d->dir;
    WDrawLines(d->win, pad, pad, shown, wPalette.control);
}

// Return's target: the focused button, or (field focused) the button the field confirms.
void setFocus(Dialog* d, int focus) {
    d->focus = focus;
    for (Button* b : d->buttons) {
        b->isDefault = b->index == (focus >= 0 ? focus : d->dflt);
        btnDraw(b);
    }
    if (d->field) WSetFocusChild(focus < 0 ? d->field->win : d->win);
}

// Tab and Shift+Tab go round the text field (when there is one) and the buttons.
void tabFocus(Dialog* d, bool back) {
    int n = (int)d->buttons.size();
    int first = d->field ? -1 : 0;
    if (n == 0 && !d->field) return;
    int f = d->focus + (back ? -1 : 1);
    if (f < first) f = n - 1;
    if (f >= n) f = first;
    setFocus(d, f);
}

void pressFocused(Dialog* d) {
    if (d->focus >= 0 && d->focus < (int)d->buttons.size()) {
        Button* b = d->buttons[(size_t)d->focus];
        if (b->callback) b->callback(b, b->data);
    } else if (d->list) {
        chooserConfirm(d);
    } else {
        finish(d, d->dflt);
    }
}

int dialogEvent(WEvent& ev, void* data) {
    auto* d = static_cast<Dialog*>(data);
    switch (ev.kind) {
    case WE_EXPOSE:
        drawDialog(d);
        break;
    case WE_MAP:
        // A question asked before any window has the keyboard (the crash-recovery question
        // at start-up) must still hear its keys.
        if (ev.state) WTakeFocus(d->win);
        break;
    case WE_CLOSE:
        finish(d, d->cancelValue);
        break;
    case WE_KEY:
        if (ev.key == WK_ESCAPE) {
            finish(d, d->cancelValue);
        } else if (ev.key == WK_TAB) {
            tabFocus(d, ev.modifiers & WMOD_SHIFT);
        } else if (ev.key == WK_RETURN || ev.key == WK_KP_ENTER) {
            pressFocused(d);
        } else if (d->field && !ev.text.empty()) {
            setFocus(d, -1); // typing goes to the field
            tfKey(d->field, ev);
        }
        break;
    default:
        break;
    }
    return 1;
}

void fieldTab(TextField*, void* data);

void buttonChosen(Button* b, void* data) {
    finish(static_cast<Dialog*>(data), b->index);
}

void fieldActivate(TextField*, void* data) {
    auto* d = static_cast<Dialog*>(data);
    finish(d, d->dflt);
}

void fieldCancel(TextField*, void* data) {
    auto* d = static_cast<Dialog*>(data);
    finish(d, d->cancelValue);
}

void fieldTab(TextField* tf, void* data) {
    tabFocus(static_cast<Dialog*>(data), tf->keyModifiers & WMOD_SHIFT);
}

// Text size in pixels: widest line and number of lines.
void measure(const std::string& text, int& width, int& height) {
    int lines = 0, widest = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        widest = std::max(widest, WTextWidth(text.data() + start, (int)(end - start)));
        lines++;
        start = end + 1;
    }
    width = widest;
    height = lines * WFontHeight();
}

void makeButtons(Dialog* d, const std::vector<std::string>& labels, int y, int width) {
    int bh = WFontHeight() + 12;
    int total = 0;
    for (auto& l : labels) total += btnWidthFor(l.c_str()) + pad;
    int x = std::max(pad, (width - total + pad) / 2);
    for (size_t i = 0; i < labels.size(); i++) {
        int bw = btnWidthFor(labels[i].c_str());
        Button* b = btnCreate(d->win, x, y, bw, bh, labels[i].c_str(), buttonChosen, d);
        b->index = (int)i;
        b->isDefault = (int)i == d->dflt;
        d->buttons.push_back(b);
        x += bw + pad;
    }
}

int buttonsWidth(const std::vector<std::string>& labels) {
    int total = pad;
    for (auto& l : labels) total += btnWidthFor(l.c_str()) + pad;
    return total;
}

// Runs the dialogue's own event loop until a choice is made; other windows refuse input.
int runModal(Dialog* d, const char* title) {
    WSetWindowName(d->win, title && *title ? title : "qe");
    WMapWindow(d->win);
    WWindow* saved = wModalWindow;
    wModalWindow = d->win;
    while (!d->done && XWindowsOn) {
        WEventAll(0);
        if (d->done) break;
        int wait = 0;
        ExtraProcess_Wait(&wait);
        WYield(wait - 10);
    }
    wModalWindow = saved;
    if (d->field && !d->list) d->text = d->field->text; // the prompt's answer
    for (Button* b : d->buttons) delete b; // their windows go with the dialogue's window
    delete d->field;
    WDestroyWindow(d->win);
    return d->result;
}

int questionDialog(const char* title, const char* text, const std::vector<std::string>& labels,
                   int dflt, int cancelValue) {
    Dialog d;
    d.text = text ? text : "";
    while (!d.text.empty() && d.text.back() == '\n') d.text.pop_back();
    d.dflt = dflt;
    d.cancelValue = cancelValue;
    int tw, th;
    measure(d.text, tw, th);
    int width = std::max(tw + 2 * pad, buttonsWidth(labels));
    width = std::max(width, 30 * WFontWidth());
    int bh = WFontHeight() + 12;
    int height = pad + th + pad + bh + pad;
    d.win = WCreateWindow(nullptr, 100, 100, width, height, dialogEvent, &d);
    WSetBackground(d.win, wPalette.control);
    makeButtons(&d, labels, pad + th + pad, width);
    d.focus = dflt >= 0 && dflt < (int)labels.size() ? dflt : 0;
    return runModal(&d, title);
}

// ---- file chooser ----

void readDir(Dialog* d) {
    d->entries.clear();
    if (DIR* dp = opendir(d->dir.c_str())) {
        while (dirent* e = readdir(dp)) {
            std::string name = e->d_name;
            if (name == ".") continue;
            std::string path = d->dir + "/" + name;
            struct stat st;
            bool isDir = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
            d->entries.push_back(isDir ? name + "/" : name);
        }
        closedir(dp);
    }
    // Directories first, then files, each alphabetically.
    std::sort(d->entries.begin(), d->entries.end(), [](const std::string& a, const std::string& b) {
        bool da = a.back() == '/', db = b.back() == '/';
        return da != db ? da : a < b;
    });
    d->listTop = 0;
    d->listSel = -1;
}

void drawList(Dialog* d) {
    WWindow* w = d->list;
    WFillRect(w, 0, 0, w->width, w->height, wPalette.background);
    int fh = WFontHeight();
    int rows = w->height / fh;
    for (int r = 0; r < rows; r++) {
        int i = d->listTop + r;
        if (i >= (int)d->entries.size()) break;
        bool sel = i == d->listSel;
        WColor bg = sel ? wPalette.select : wPalette.background;
        WColor fg = sel ? wPalette.selectText : wPalette.foreground;
        if (sel) WFillRect(w, 0, r * fh, w->width, fh, bg);
        WDrawText(w, 4, r * fh, d->entries[i].data(), (int)d->entries[i].size(), fg, bg);
    }
    WBevel(w, 0, 0, w->width, w->height, false);
}

void enterDir(Dialog* d, const std::string& name) {
    std::string path = name[0] == '/' ? name : d->dir + "/" + name;
    GenStr canon(gen_realpath(path.c_str()));
    d->dir = canon ? canon.get() : path;
    readDir(d);
    tfSetText(d->field, "");
    drawDialog(d);
    drawList(d);
}

// Confirm: a directory is entered, anything else is the choice.
void chooserConfirm(Dialog* d) {
    std::string name = d->field->text;
    if (name.empty() && d->listSel >= 0) name = d->entries[d->listSel];
    if (name.empty()) return;
    if (name.back() == '/') name.pop_back();
    std::string path = name[0] == '/' ? name : d->dir + "/" + name;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        enterDir(d, name);
        return;
    }
    d->text = path;
    finish(d, 1);
}

int listEvent(WEvent& ev, void* data) {
    auto* d = static_cast<Dialog*>(data);
    if (ev.kind == WE_EXPOSE || ev.kind == WE_RESIZE) {
        drawList(d);
    } else if (ev.kind == WE_BUTTON && ev.direction > 0) {
        int rows = std::max(1, d->list->height / WFontHeight());
        if (ev.button == 4 || ev.button == 5) {
            int step = ev.button == 4 ? -3 : 3;
            int maxTop = std::max(0, (int)d->entries.size() - rows);
            d->listTop = std::clamp(d->listTop + step, 0, maxTop);
        } else {
            int i = d->listTop + ev.y / WFontHeight();
            if (i >= 0 && i < (int)d->entries.size()) {
                d->listSel = i;
                std::string e = d->entries[i];
                tfSetText(d->field, e.back() == '/' ? "" : e);
                if (ev.clicks >= 2 || e.back() == '/') {
                    if (e.back() == '/') {
                        enterDir(d, e.substr(0, e.size() - 1));
                        return 1;
                    }
                    chooserConfirm(d);
                }
            }
        }
        drawList(d);
    }
    return 1;
}

void chooserButton(Button* b, void* data) {
    auto* d = static_cast<Dialog*>(data);
    if (b->index == 0)
        chooserConfirm(d);
    else
        finish(d, 0);
}

void chooserActivate(TextField*, void* data) {
    chooserConfirm(static_cast<Dialog*>(data));
}

} // namespace

void WDialogueAlert(const char* text) {
    questionDialog("Alert", text, {"OK"}, 0, 0);
}

int WDialogueYesNo(const char* title, const char* question, int dflt) {
    int r = questionDialog(title, question, {"Yes", "No"}, dflt ? 0 : 1, dflt ? 0 : 1);
    return r == 0 ? 1 : 0;
}

int WDialogueButtons(const char* title, const char* text, const std::vector<std::string>& labels,
                     int dflt) {
    return questionDialog(title, text, labels, dflt, -1);
}

int WDialoguePrompt(const char* title, const char* prompt, std::string& answer) {
    Dialog d;
    d.text = prompt ? prompt : "";
    d.dflt = 0;
    d.cancelValue = 1;
    int tw, th;
    measure(d.text, tw, th);
    std::vector<std::string> labels = {"OK", "Cancel"};
    int width = std::max({tw + 2 * pad, buttonsWidth(labels), 40 * WFontWidth()});
    int fh = WFontHeight() + 8, bh = WFontHeight() + 12;
    int height = pad + th + pad + fh + pad + bh + pad;
    d.win = WCreateWindow(nullptr, 100, 100, width, height, dialogEvent, &d);
    WSetBackground(d.win, wPalette.control);
    d.field = tfCreate(d.win, pad, pad + th + pad, width - 2 * pad, fh, fieldActivate, &d);
    d.field->cancel = fieldCancel;
    d.field->tab = fieldTab;
    tfSetText(d.field, answer);
    makeButtons(&d, labels, pad + th + pad + fh + pad, width);
    setFocus(&d, -1);
    int r = runModal(&d, title);
    if (r != 0) return 0;
    answer = d.text;
    return 1;
}

int WDialogueChooseFile(const char* title, const char* confirm, const char* startDir,
                        std::string& result) {
    Dialog d;
    d.cancelValue = 0;

    std::string start, name;
    WChooserStart(startDir, start, name);
    GenStr canon(gen_realpath(start.c_str()));
    d.dir = canon ? canon.get() : start;
    readDir(&d);
    int fw = WFontWidth(), fh = WFontHeight();
    std::vector<std::string> labels = {confirm && *confirm ? confirm : "OK", "Cancel"};
    int width = std::max(60 * fw, buttonsWidth(labels));
    int listH = 16 * fh, fieldH = fh + 8, bh = fh + 12;
    int y = pad + fh + pad;
    int height = y + listH + pad + fieldH + pad + bh + pad;
    d.win = WCreateWindow(nullptr, 100, 100, width, height, dialogEvent, &d);
    WSetBackground(d.win, wPalette.control);
    d.list = WCreateWindow(d.win, pad, y, width - 2 * pad, listH, listEvent, &d);
    WMapWindow(d.list);
    d.field = tfCreate(d.win, pad, y + listH + pad, width - 2 * pad, fieldH, chooserActivate, &d);
    d.field->cancel = fieldCancel;
    d.field->tab = fieldTab;
    d.dflt = 0; // Return in the name field presses the confirm button
    makeButtons(&d, labels, y + listH + pad + fieldH + pad, width);
    for (Button* b : d.buttons) b->callback = chooserButton;
    setFocus(&d, -1);
    int r = runModal(&d, title);
    if (r != 1) return 0;
    result = d.text;
    return 1;
}
