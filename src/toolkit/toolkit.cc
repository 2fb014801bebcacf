// toolkit/toolkit.cc: backend selection, the context-window list and the dialogue entry points.
#include "toolkit/toolkit.h"

#include <sys/stat.h>

#include <deque>

#include "runtime/error.h"
#include "toolkit/backend.h"
#include "toolkit/window.h"

int XWindowsOn = 0;
WBackendKind wRequestedBackend = WB_X11;
WBackend* wBackend = nullptr;

static ContextWindow* contextList = nullptr;

static bool sinkDisplayOpen() {
    return XWindowsOn != 0;
}
static void sinkAlert(const char* text) {
    WAlert(text);
}
static void sinkBell() {
    WBeep();
}

int WGUIInit(int* argc, char** argv) {
    if (wRequestedBackend == WB_HEADLESS) {
        wBackend = NewHeadlessBackend();
    } else {
        wBackend = NewX11Backend();
        if (!wBackend) return 1; // no X11 backend: stay detached
    }
    int r = wBackend->init(argc, argv);
    if (r < 0) {
        // No display to attach to: the toolkit started, but XWindowsOn stays 0.
        delete wBackend;
        wBackend = nullptr;
        return 1;
    }
    if (r == 1) {
        XWindowsOn = 1;
        err_sink.displayOpen = sinkDisplayOpen;
        err_sink.alert = sinkAlert;
        err_sink.bell = sinkBell;
        WRefigureColors();
    }
    return r;
}

bool WIsHeadless() {
    return wRequestedBackend == WB_HEADLESS;
}

void WSync() {
    if (wBackend) wBackend->sync();
}

void WDrawExit() {
    if (!wBackend) return;
    wBackend->exit();
    delete wBackend;
    wBackend = nullptr;
    XWindowsOn = 0;
    err_sink.displayOpen = nullptr;
}

void WBeep() {
    if (wBackend) wBackend->beep();
}

void cwInsertList(ContextWindow* cw) {
    cw->next = contextList;
    contextList = cw;
}

void cwRemoveList(ContextWindow* cw) {
    for (ContextWindow** p = &contextList; *p; p = &(*p)->next) {
        if (*p == cw) {
            *p = cw->next;
            cw->next = nullptr;
            return;
        }
    }
}

ContextWindow* NextEditContext() {
    return contextList;
}

void WAlert(const char* text) {
    if (wBackend)
        wBackend->alert(text);
    else
        mprintf("%s", text);
}

int WYesNo(const char* title, const char* question, int dflt) {
    return wBackend ? wBackend->yesNo(title, question, dflt) : dflt;
}

int WButtonDialogue(const char* title, const char* text, const std::vector<std::string>& buttons,
                    int dflt) {
    return wBackend ? wBackend->buttons(title, text, buttons, dflt) : dflt;
}

int WPrompt(const char* title, const char* prompt, std::string& answer) {
    return wBackend ? wBackend->prompt(title, prompt, answer) : 0;
}

int FileChooseDialogue(const char* title, const char* confirm, const char* startDir,
                       std::string& result) {
    return wBackend ? wBackend->chooseFile(title, confirm, startDir, result) : 0;
}

void WChooserStart(const char* start, std::string& dir, std::string& name) {
    dir = start && *start ? start : ".";
    name.clear();
    struct stat st;
    if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
    size_t slash = dir.rfind('/');
    if (slash == std::string::npos) {
        name = dir;
        dir = ".";
    } else {
        name = dir.substr(slash + 1);
        dir = slash == 0 ? "/" : dir.substr(0, slash);
    }
}

void WMessage(const char* text) {
    if (wBackend) wBackend->message(text);
}

static std::deque<std::string>& answerQueue() {
    static std::deque<std::string> queue;
    return queue;
}

void WQueueAnswer(const char* answer) {
    answerQueue().push_back(answer ? answer : "");
}

bool WTakeScriptedAnswer(std::string& answer) {
    if (answerQueue().empty()) return false;
    answer = answerQueue().front();
    answerQueue().pop_front();
    return true;
}

const char* WResource(const char* name, const char* cls) {
    return wBackend ? wBackend->resource(name, cls) : nullptr;
}

int WDumpResources(const char* path) {
    return wBackend ? wBackend->dumpResources(path) : 0;
}
