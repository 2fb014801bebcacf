// toolkit/toolkit.cc: backend selection, the context-window list and the dialogue entry points.
#include "toolkit/toolkit.h"

#include <deque>

#include "runtime/error.h"
#include "toolkit/backend.h"
#include "toolkit/window.h"

int XWindowsOn = 0;
WBackendKind wRequestedBackend = WB_X11;
WBackend* wBackend = nullptr;

static ContextWindow* contextList = nullptr;

// Reports show in an alert box while a display is attached.
static struct : ErrorDisplay {
    void alert(const char* text) override { WAlert(text); }
    void bell() override { WBeep(); }
} toolkitErrors;

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
        errorDisplay.install(&toolkitErrors);
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
    errorDisplay.install(nullptr);
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
