// vcfront/vc_output.cc: where the front end's messages go: standard output, the quiet error
// buffer an operation shows only when it fails, the editor's error message, or a message list.
#include <cstdarg>
#include <cstdio>
#include <map>

#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"
#include "vcfront/vc.h"

namespace {

int destination = VC_OUT_ERROR;
std::string errorBuffer;

// A message list: a window of lines that stays open beside the editors.
struct MessageList {
    std::string title;
    std::vector<std::string> lines;
    WDialog* dialog = nullptr;
};
std::map<int, MessageList> lists;
int nextList = 1;

void listClosed(WDialog* d) {
    for (auto& [id, list] : lists)
        if (list.dialog == d) list.dialog = nullptr;
    WDialogDestroy(d);
}

void showList(MessageList& list) {
    // Without a display it is made all the same, so that batch mode can list it.
    if (list.dialog || !XWindowsOn) return;
    WDialog* d = WDialogNew(list.title.c_str());
    d->kindName = "message list";
    d->modal = false;
    Widget* l = WDialogAdd(d, nullptr, WG_LIST, "messages", "");
    l->columns = 72;
    l->rows = 12;
    l->stretch = 1;
    l->items = list.lines;
    Widget* close = WDialogAdd(d, nullptr, WG_BUTTON, "close", "&Close");
    close->isDefault = close->isCancel = true;
    close->align = WALIGN_END;
    d->activate = [](WDialog* dd, Widget* w, int) {
        if (w->kind == WG_BUTTON) WDialogDismiss(dd, 0);
    };
    d->closed = listClosed;
    WDialogRealize(d);
    WDialogShow(d);
    list.dialog = d;
}

void addLine(int id, const std::string& line) {
    auto it = lists.find(id);
    if (it == lists.end()) return;
    MessageList& list = it->second;
    list.lines.push_back(line);
    if (WIsHeadless()) { // batch mode prints what the window would show
        printf("%s\n", line.c_str());
        fflush(stdout);
    }
    showList(list);
    if (list.dialog) {
        if (Widget* w = WDialogFind(list.dialog, "messages")) {
            WidgetSetItems(w, list.lines);
            WidgetSetValue(w, (int)list.lines.size() - 1);
        }
    }
}

} // namespace

int vc_SetOutput(int where) {
    int old = destination;
    if (where == VC_OUT_ERRBUF) errorBuffer.clear();
    destination = where;
    return old;
}

int vc_GetOutput() {
    return destination;
}

void vc_ErrAlert(const char* first) {
    std::string text = first ? first : "";
    if (!errorBuffer.empty()) {
        if (!text.empty()) text += "\n";
        text += errorBuffer;
    }
    errorBuffer.clear();
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty()) WAlert(text.c_str());
}

void vc_ErrIgnore() {
    errorBuffer.clear();
}

static void say(const std::string& text) {
    if (text.empty()) return;
    switch (destination) {
    case VC_OUT_STDOUT:
        fputs(text.c_str(), stdout);
        fflush(stdout);
        break;
    case VC_OUT_ERRBUF:
        errorBuffer += text;
        break;
    case VC_OUT_ERROR: {
        std::string t = text;
        while (!t.empty() && t.back() == '\n') t.pop_back();
        if (!t.empty()) QuorlError(ERR_SUCCESS, "%s", t.c_str());
        break;
    }
    default: {
        size_t start = 0;
        while (start < text.size()) {
            size_t nl = text.find('\n', start);
            if (nl == std::string::npos) nl = text.size();
            addLine(destination, text.substr(start, nl - start));
            start = nl + 1;
        }
    }
    }
}

void vc_output(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    char* text = nullptr;
    if (vasprintf(&text, format, ap) >= 0) {
        say(text);
        free(text);
    }
    va_end(ap);
}

int vc_MessageList(const char* title) {
    for (auto& [id, list] : lists)
        if (list.title == title) {
            showList(list);
            return id;
        }
    int id = nextList++;
    lists[id].title = title;
    showList(lists[id]);
    return id;
}

std::vector<std::string> vc_MessageListLines(int id) {
    auto it = lists.find(id);
    return it == lists.end() ? std::vector<std::string>{} : it->second.lines;
}
