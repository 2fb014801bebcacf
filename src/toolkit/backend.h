// toolkit/backend.h: the interface each toolkit backend implements.
#pragma once

#include <string>
#include <vector>

#include "toolkit/window.h"

// dispatchNext results besides the handler's own 0/1.
enum { WB_NO_EVENT = -1, WB_ESCAPE = -2 };

struct WBackend {
    virtual ~WBackend() = default;
    virtual int init(int* argc, char** argv) = 0;
    virtual void sync() {}
    virtual void exit() {}
    virtual void beep() = 0;
    virtual void alert(const char* text) = 0;
    virtual int yesNo(const char* title, const char* question, int dflt) = 0;
    virtual int buttons(const char* title, const char* text,
                        const std::vector<std::string>& labels, int dflt) = 0;
    virtual int prompt(const char* title, const char* prompt, std::string& answer) = 0;
    virtual int chooseFile(const char* title, const char* confirm, const char* startDir,
                           std::string& result) = 0;
    virtual void message(const char* text) = 0;

    // windows: createWindow returns the new window's id
    virtual unsigned long createWindow(WWindow* win) = 0;
    virtual void destroyWindow(WWindow* win) = 0;
    virtual void mapWindow(WWindow*) {}
    virtual void moveResize(WWindow*) {}
    virtual void setName(WWindow*) {}
    virtual void setCursor(WWindow*) {}
    virtual void raise(WWindow*) {}
    virtual void takeFocus(WWindow*) {}
    virtual void setBackground(WWindow*) {}
    virtual void setProperty(WWindow*, const char* /*name*/, const std::string& /*value*/) {}

    // drawing
    virtual void fillRect(WWindow* win, int x, int y, int w, int h, WColor c) = 0;
    virtual void drawRect(WWindow* win, int x, int y, int w, int h, WColor c) = 0;
    virtual void fillTriangle(WWindow*, const int* /*xy6*/, WColor) {}
    virtual void drawText(WWindow* win, int x, int y, const char* s, int n, WColor fg,
                          WColor bg) = 0;
    virtual int textWidth(const char*, int n) { return n * fontWidth; }
    virtual WColor allocColor(const char* spec, WColor fallback) = 0;
    virtual int parseColor(const char* spec, int* r, int* g, int* b) {
        return WParseColorBuiltin(spec, r, g, b);
    }
    virtual bool monochrome() { return false; }
    // Loads the named font (empty: the default); keeps the current one when it fails.
    virtual void setFont(const char* /*name*/) {}
    int fontWidth = 8;
    int fontHeight = 16;
    int fontAscent = 12;

    // events
    virtual bool pending() = 0;
    // Takes the next queued event and dispatches it: WB_NO_EVENT when none is queued,
    // WB_ESCAPE for an Escape press when abortable, else the handler's result.
    virtual int dispatchNext(int abortable) = 0;
    virtual void waitInput(int ms) = 0;
    // During long work: delivers the exposures and resizes already queued and takes an Escape
    // press (true when one came); other input stays queued for afterwards.
    virtual bool pumpDuringWork() { return false; }
    virtual void flush() {}
    // Queues an event made inside the toolkit; it is dispatched like one from the display.
    virtual void postEvent(const WEvent& ev) = 0;

    // X resources (the server's database; none without a display): a value valid until the
    // next call or null, and the database written to a file (0 when there is none).
    virtual const char* resource(const char* /*name*/, const char* /*cls*/) { return nullptr; }
    virtual int dumpResources(const char* /*path*/) { return 0; }

    // selections: the owned data is kept by selection.cc; a backend claims the window
    // system's ownership of a slot (0 when refused), gives it up, and fetches a slot's data,
    // which later arrives as a WE_SELECTION event for the window (0: cannot ask).
    virtual int selectionOwn(int /*slot*/, unsigned long /*time*/) { return 1; }
    virtual void selectionDisown(int /*slot*/) {}
    virtual int selectionRequest(unsigned long /*window*/, int /*slot*/, unsigned long /*time*/) {
        return 0;
    }
};

// For backends (selection.cc): another client took the slot: forget the data and queue the
// lost event for the owner.
void WSelectionLost(int slot);
// Fills *ev with arriving selection data for the window with this id; false when it is gone.
bool WSelectionAnswerEvent(unsigned long window, int slot, const std::string& text, int type,
                           WEvent* ev);
// Forgets every owned slot without telling anyone (the display went away; tests).
void WSelectionReset();

// The next scripted answer ("-answer"), if one is queued.
bool WTakeScriptedAnswer(std::string& answer);

WBackend* NewHeadlessBackend();
WBackend* NewX11Backend(); // null when the build has no X11 backend
extern WBackend* wBackend;

// Dialogues drawn with the toolkit's own windows, for backends with a real display.
void WDialogueAlert(const char* text);
int WDialogueYesNo(const char* title, const char* question, int dflt);
int WDialogueButtons(const char* title, const char* text, const std::vector<std::string>& labels,
                     int dflt);
int WDialoguePrompt(const char* title, const char* prompt, std::string& answer);
int WDialogueChooseFile(const char* title, const char* confirm, const char* startDir,
                        std::string& result);
