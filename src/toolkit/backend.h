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
    virtual void message(const char* text) = 0;
    // Dialogues take their answers from the script ("-answer") instead of waiting for input.
    virtual bool scriptedAnswers() { return false; }

    // windows: createWindow returns the new window's id
    virtual unsigned long createWindow(WWindow* win) = 0;
    virtual void destroyWindow(WWindow* win) = 0;
    virtual void mapWindow(WWindow*) {}
    virtual void unmapWindow(WWindow*) {}
    virtual void moveResize(WWindow*) {}
    // The size only: a top-level window stays where the window manager put it.
    virtual void resize(WWindow* w) { moveResize(w); }
    virtual void setName(WWindow*) {}
    // A top-level window grows and shrinks in steps of one character cell from this base.
    virtual void setResizeCells(WWindow*, int /*baseWidth*/, int /*baseHeight*/) {}
    virtual void setCursor(WWindow*) {}
    virtual void raise(WWindow*) {}
    virtual void warpPointer(WWindow*, int /*x*/, int /*y*/) {}
    virtual void takeFocus(WWindow*) {}
    // Waits up to ms milliseconds for a top-level window just mapped to show and gives it the
    // keyboard at once, so that a key pressed as it appears reaches it.
    virtual void focusOnceMapped(WWindow*, int /*ms*/) {}
    virtual void setBackground(WWindow*) {}
    virtual void setProperty(WWindow*, const char* /*name*/, const std::string& /*value*/) {}
    // A dialogue (or menu when menu is set) that belongs to the top-level window parent.
    virtual void setDialogHints(WWindow*, WWindow* /*parent*/) {}
    virtual void setMenuHints(WWindow*) {}
    // A window's place on the screen; false when unknown.
    virtual bool rootGeometry(WWindow* w, int* x, int* y, int* width, int* height) {
        *x = *y = 0;
        for (WWindow* p = w; p; p = p->parent) *x += p->x, *y += p->y;
        *width = w->width, *height = w->height;
        return true;
    }
    virtual void screenSize(int* width, int* height) { *width = 1280, *height = 1024; }
    // Where the pointer is on the screen; false when unknown.
    virtual bool pointerPosition(int* x, int* y) { *x = *y = 0; return false; }
    // Takes (or gives back, with null) the pointer and keyboard for a menu.
    virtual void grabInput(WWindow*) {}

    // drawing
    virtual void fillRect(WWindow* win, int x, int y, int w, int h, WColor c) = 0;
    virtual void drawRect(WWindow* win, int x, int y, int w, int h, WColor c) = 0;
    virtual void fillTriangle(WWindow*, const int* /*xy6*/, WColor) {}
    virtual void drawText(WWindow* win, int x, int y, const char* s, int n, WColor fg,
                          WColor bg) = 0;
    virtual int textWidth(const char*, int n) { return n * fontWidth; }
    // Without glyphs of its own a backend shows a cell's character as the byte it is, or '?'
    // beyond ASCII, and a wide character's second cell as a blank.
    virtual void drawCells(WWindow* win, int x, int y, const WCell* cells, int n, WColor fg,
                           WColor bg) {
        std::string bytes((size_t)n, ' ');
        for (int i = 0; i < n; i++)
            if (cells[i].ch) bytes[(size_t)i] = cells[i].ch < 0x80 ? (char)cells[i].ch : '?';
        drawText(win, x, y, bytes.data(), n, fg, bg);
    }
    virtual WColor allocColor(const char* spec, WColor fallback) = 0;
    virtual int parseColor(const char* spec, int* r, int* g, int* b) {
        return WParseColorBuiltin(spec, r, g, b);
    }
    virtual bool monochrome() { return false; }
    // Loads the named font (empty: the default); keeps the current one when it fails.
    virtual void setFont(const char* /*name*/) {}
    // The names of the server's fonts matching pattern (at most max).
    virtual std::vector<std::string> listFonts(const char* /*pattern*/, int /*max*/) { return {}; }
    // Text in a font of its own (a font chooser's sample); the current font when it cannot
    // be loaded.
    virtual void drawTextInFont(WWindow* win, int x, int y, const char* /*font*/, const char* s,
                                int n, WColor fg, WColor bg) {
        drawText(win, x, y, s, n, fg, bg);
    }
    int fontWidth = 8;
    int fontHeight = 16;
    int fontAscent = 12;

    // events
    virtual bool pending() = 0;
    // Whether the next queued event is for a window inside top (scripted backends only).
    virtual bool pendingFor(WWindow*) { return false; }
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
