// toolkit/x11/x11.cc: the X11 backend: display connection, fonts, colours, windows with their
// ICCCM properties, and drawing.
#include <algorithm>
#include "toolkit/x11/x11.h"

#include "toolkit/toolkit.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/cursorfont.h>
#include <cstring>
#include <ctime>
#include <unistd.h>

#include "runtime/gen.h"
#include "toolkit/cmdline.h"
#include "toolkit/eventloop.h"
#include "toolkit/settings.h"

X11State xs;

namespace {

// Xlib calls this from C: it must not throw, so it only reports.
int onXError(Display* dpy, XErrorEvent* e) {
    // A window destroyed on the server before we drew into it is harmless.
    if (e->error_code == BadWindow || e->error_code == BadDrawable) return 0;
    char text[256];
    XGetErrorText(dpy, e->error_code, text, sizeof text);
    gen_warning("X error: %s (request %d)", text, e->request_code);
    return 0;
}

int onXIOError(Display*) {
    // The display went away. Ending here would run in the middle of whatever call noticed it,
    // so the loss unwinds to the main loop, which keeps the journals and ends the program.
    // Xlib ends the process if this returns: a second loss during that unwinding ends it here.
    static bool lost = false;
    if (!lost) {
        lost = true;
        XWindowsOn = 0;
        throw WDisplayLost{};
    }
    gen_errorexit(1, "Lost the connection to the display");
}

void setGc(unsigned long fg, unsigned long bg) {
    if (fg != xs.lastFg) XSetForeground(xs.dpy, xs.gc, xs.lastFg = fg);
    if (bg != xs.lastBg) XSetBackground(xs.dpy, xs.gc, xs.lastBg = bg);
}

// The server's resource database (xrdb), read once at start-up.
XrmDatabase resourceDb = nullptr;

const char* lookupResource(const char* name, const char* cls) {
    char* type = nullptr;
    XrmValue value;
    if (!resourceDb || !XrmGetResource(resourceDb, name, cls, &type, &value)) return nullptr;
    return value.addr;
}

int writeResources(const char* path) {
    if (!resourceDb) return 0;
    XrmPutFileDatabase(resourceDb, path);
    return 1;
}

void loadResources() {
    XrmInitialize();
    if (const char* text = XResourceManagerString(xs.dpy)) resourceDb = XrmGetStringDatabase(text);
    // -xrm lines on the command line override the server's.
    for (const std::string& line : wCommandLine.xrm) XrmPutLineResource(&resourceDb, line.c_str());
}

// The font asked for: -fn on the command line over the font option. A copy, as the option
// often arrives as a temporary made from a C string.
std::string wantedFont(const std::string& option) {
    return wCommandLine.font.empty() ? option : wCommandLine.font;
}

Window xid(WWindow* w) {
    return (Window)w->id;
}

struct X11Backend : WBackend {
    int init(int*, char**) override {
        const std::string& name = wCommandLine.display;
        xs.dpy = XOpenDisplay(name.empty() ? nullptr : name.c_str());
        if (!xs.dpy) {
            if (!name.empty()) gen_error("Cannot open display \"%s\"", name.c_str());
            return -1; // no display: the start-up reports it
        }
        XSetErrorHandler(onXError);
        XSetIOErrorHandler(onXIOError);
        xs.screen = DefaultScreen(xs.dpy);
        xs.root = RootWindow(xs.dpy, xs.screen);
        xs.colormap = DefaultColormap(xs.dpy, xs.screen);
        if (!x11LoadFont(wantedFont(wSettings.font), true)) {
            gen_error("No usable font on the display");
            XCloseDisplay(xs.dpy);
            xs.dpy = nullptr;
            return 0;
        }
        xs.gc = XCreateGC(xs.dpy, xs.root, 0, nullptr);
        useFont();
        loadResources();
        xs.wmProtocols = XInternAtom(xs.dpy, "WM_PROTOCOLS", False);
        xs.wmDelete = XInternAtom(xs.dpy, "WM_DELETE_WINDOW", False);
        xs.wmTakeFocus = XInternAtom(xs.dpy, "WM_TAKE_FOCUS", False);
        xs.netWmName = XInternAtom(xs.dpy, "_NET_WM_NAME", False);
        xs.utf8String = XInternAtom(xs.dpy, "UTF8_STRING", False);
        xs.netWmPid = XInternAtom(xs.dpy, "_NET_WM_PID", False);
        x11WmInit();
        x11InputInit();
        xs.cursors[WCURSOR_ARROW] = XCreateFontCursor(xs.dpy, XC_left_ptr);
        xs.cursors[WCURSOR_RIGHTARROW] = XCreateFontCursor(xs.dpy, XC_right_ptr);
        xs.cursors[WCURSOR_LEFTRIGHT] = XCreateFontCursor(xs.dpy, XC_sb_h_double_arrow);
        xs.cursors[WCURSOR_TEXT] = XCreateFontCursor(xs.dpy, XC_xterm);
        xs.cursors[WCURSOR_BUSY] = XCreateFontCursor(xs.dpy, XC_watch);
        xs.cursors[WCURSOR_BUSY] = XCreateFontCursor(xs.dpy, XC_watch);
        return 1;
    }

    void useFont() {
        fontWidth = xs.font->max_bounds.width;
        fontAscent = xs.font->ascent;
        fontHeight = xs.font->ascent + xs.font->descent;
        XSetFont(xs.dpy, xs.gc, xs.font->fid);
    }

    void setFont(const char* name) override {
        std::string want = wantedFont(name ? name : "");
        if (!xs.dpy || want.empty()) return;
        if (x11LoadFont(want, false)) useFont();
    }

    void sync() override {
        if (xs.dpy) XSync(xs.dpy, False);
    }

    void exit() override {
        if (!xs.dpy) return;
        x11SelectionExit();
        WSelectionReset();
        x11InputExit();
        x11WmExit();
        x11FreeFonts();
        if (xs.gc) XFreeGC(xs.dpy, xs.gc);
        if (resourceDb) XrmDestroyDatabase(resourceDb);
        resourceDb = nullptr;
        XCloseDisplay(xs.dpy);
        xs = X11State();
    }

    const char* resource(const char* name, const char* cls) override {
        return lookupResource(name, cls);
    }
    int dumpResources(const char* path) override { return writeResources(path); }
    int parseColor(const char* spec, int* r, int* g, int* b) override {
        XColor c;
        if (!spec || !*spec || !XParseColor(xs.dpy, xs.colormap, spec, &c)) return 0;
        *r = c.red;
        *g = c.green;
        *b = c.blue;
        return 1;
    }
    bool monochrome() override { return DefaultDepth(xs.dpy, xs.screen) == 1; }

    void beep() override { XBell(xs.dpy, 0); }
    void message(const char* text) override {
        // No window to show it in: the standard output keeps it.
        if (text && *text) {
            fputs(text, stdout);
            if (text[strlen(text) - 1] != '\n') fputc('\n', stdout);
            fflush(stdout);
        }
    }

    unsigned long createWindow(WWindow* w) override {
        Window parent = w->parent ? xid(w->parent) : xs.root;
        XSetWindowAttributes a;
        unsigned long mask = CWBackPixel | CWEventMask | CWBitGravity;
        a.background_pixel = w->background;
        a.bit_gravity = NorthWestGravity;
        a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask |
                       KeyPressMask | KeyReleaseMask;
        if (!w->parent)
            a.event_mask |= StructureNotifyMask | FocusChangeMask | EnterWindowMask |
                            LeaveWindowMask | PropertyChangeMask;
        Window win = XCreateWindow(xs.dpy, parent, w->x, w->y, (unsigned)w->width,
                                   (unsigned)w->height, 0, CopyFromParent, InputOutput,
                                   CopyFromParent, mask, &a);
        if (!w->parent) {
            x11WmTopLevel(win, w->width, w->height);
            x11InputWindow(win);
        }
        if (xs.cursors[w->cursor]) XDefineCursor(xs.dpy, win, xs.cursors[w->cursor]);
        return (unsigned long)win;
    }

    void destroyWindow(WWindow* w) override {
        Window win = xid(w);
        x11InputForget(win);
        XDestroyWindow(xs.dpy, win);
        // Events already queued for it would reach a dead record: drop them.
        XEvent ev;
        while (XCheckWindowEvent(xs.dpy, win, ~0L, &ev)) {
        }
        for (auto it = xs.posted.begin(); it != xs.posted.end();)
            it = it->window == w ? xs.posted.erase(it) : it + 1;
    }

    void mapWindow(WWindow* w) override {
        if (w->parent)
            XMapWindow(xs.dpy, xid(w));
        else
            XMapRaised(xs.dpy, xid(w));
    }

    void unmapWindow(WWindow* w) override { XUnmapWindow(xs.dpy, xid(w)); }

    void takeFocus(WWindow* w) override {
        XSetInputFocus(xs.dpy, xid(w), RevertToParent, CurrentTime);
    }

    void focusOnceMapped(WWindow* w, int ms) override {
        // The focus can only go to a viewable window: the MapNotify says it is. The event is
        // put back for the window's own handler.
        Window win = xid(w);
        XEvent e;
        for (int waited = 0; waited <= ms; waited += 2) {
            if (XCheckTypedWindowEvent(xs.dpy, win, MapNotify, &e)) {
                XPutBackEvent(xs.dpy, &e);
                XSetInputFocus(xs.dpy, win, RevertToParent, CurrentTime);
                XFlush(xs.dpy);
                return;
            }
            struct timespec pause = {0, 2000000};
            nanosleep(&pause, nullptr);
        }
    }

    void moveResize(WWindow* w) override {
        XMoveResizeWindow(xs.dpy, xid(w), w->x, w->y, (unsigned)w->width, (unsigned)w->height);
    }

    void resize(WWindow* w) override {
        XResizeWindow(xs.dpy, xid(w), (unsigned)w->width, (unsigned)w->height);
    }

    void setName(WWindow* w) override {
        if (!w->parent) x11SetName(xid(w), w->name);
    }

    void setResizeCells(WWindow* w, int baseWidth, int baseHeight) override {
        if (!w->parent)
            x11SetResizeCells(xid(w), baseWidth, baseHeight, fontWidth, fontHeight);
    }

    void setCursor(WWindow* w) override {
        if (w->cursor >= 0 && w->cursor <= WCURSOR_BUSY && xs.cursors[w->cursor])
            XDefineCursor(xs.dpy, xid(w), xs.cursors[w->cursor]);
    }

    void raise(WWindow* w) override { XRaiseWindow(xs.dpy, xid(w)); }
    void warpPointer(WWindow* w, int x, int y) override {
        XWarpPointer(xs.dpy, None, xid(w), 0, 0, 0, 0, x, y);
    }

    void setWindowType(WWindow* w, const char* type) {
        Atom prop = XInternAtom(xs.dpy, "_NET_WM_WINDOW_TYPE", False);
        Atom value = XInternAtom(xs.dpy, type, False);
        XChangeProperty(xs.dpy, xid(w), prop, XA_ATOM, 32, PropModeReplace,
                        (unsigned char*)&value, 1);
    }

    void setDialogHints(WWindow* w, WWindow* parent) override {
        if (parent) XSetTransientForHint(xs.dpy, xid(w), xid(parent));
        setWindowType(w, "_NET_WM_WINDOW_TYPE_DIALOG");
        // Placed where we ask: over the editor it belongs to.
        XSizeHints* sh = XAllocSizeHints();
        sh->flags = USPosition | PPosition | PSize | PMinSize;
        sh->x = w->x;
        sh->y = w->y;
        sh->width = w->width;
        sh->height = w->height;
        sh->min_width = w->width / 2;
        sh->min_height = w->height / 2;
        XSetWMNormalHints(xs.dpy, xid(w), sh);
        XFree(sh);
    }

    void setMenuHints(WWindow* w) override {
        XSetWindowAttributes a;
        a.override_redirect = True;
        a.save_under = True;
        XChangeWindowAttributes(xs.dpy, xid(w), CWOverrideRedirect | CWSaveUnder, &a);
        setWindowType(w, "_NET_WM_WINDOW_TYPE_POPUP_MENU");
        XSelectInput(xs.dpy, xid(w), ExposureMask | ButtonPressMask | ButtonReleaseMask |
                                         PointerMotionMask | KeyPressMask | KeyReleaseMask |
                                         StructureNotifyMask);
    }

    bool rootGeometry(WWindow* w, int* x, int* y, int* width, int* height) override {
        Window child;
        if (!XTranslateCoordinates(xs.dpy, xid(w), xs.root, 0, 0, x, y, &child)) return false;
        *width = w->width;
        *height = w->height;
        return true;
    }

    void screenSize(int* width, int* height) override {
        *width = DisplayWidth(xs.dpy, xs.screen);
        *height = DisplayHeight(xs.dpy, xs.screen);
    }

    bool pointerPosition(int* x, int* y) override {
        Window rootRet, childRet;
        int wx, wy;
        unsigned mask;
        return XQueryPointer(xs.dpy, xs.root, &rootRet, &childRet, x, y, &wx, &wy, &mask);
    }

    void grabInput(WWindow* w) override {
        if (!w) {
            XUngrabPointer(xs.dpy, CurrentTime);
            XUngrabKeyboard(xs.dpy, CurrentTime);
            XFlush(xs.dpy);
            return;
        }
        // The menu must be viewable before it can take the grab.
        XSync(xs.dpy, False);
        for (int tries = 0; tries < 50; tries++) {
            int p = XGrabPointer(xs.dpy, xid(w), True,
                                 ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
            int k = XGrabKeyboard(xs.dpy, xid(w), False, GrabModeAsync, GrabModeAsync,
                                  CurrentTime);
            if (p == GrabSuccess && k == GrabSuccess) return;
            usleep(10000);
        }
    }

    void setBackground(WWindow* w) override {
        XSetWindowBackground(xs.dpy, xid(w), w->background);
    }

    void setProperty(WWindow* w, const char* name, const std::string& value) override {
        Atom a = XInternAtom(xs.dpy, name, False);
        XChangeProperty(xs.dpy, xid(w), a, XA_STRING, 8, PropModeReplace,
                        (const unsigned char*)value.data(), (int)value.size());
    }

    void fillRect(WWindow* w, int x, int y, int wd, int ht, WColor c) override {
        setGc(c, xs.lastBg);
        XFillRectangle(xs.dpy, xid(w), xs.gc, x, y, (unsigned)wd, (unsigned)ht);
    }

    void drawRect(WWindow* w, int x, int y, int wd, int ht, WColor c) override {
        setGc(c, xs.lastBg);
        XDrawRectangle(xs.dpy, xid(w), xs.gc, x, y, (unsigned)(wd - 1), (unsigned)(ht - 1));
    }

    void fillTriangle(WWindow* w, const int* xy, WColor c) override {
        XPoint pts[3];
        for (int i = 0; i < 3; i++) pts[i] = {(short)xy[2 * i], (short)xy[2 * i + 1]};
        setGc(c, xs.lastBg);
        XFillPolygon(xs.dpy, xid(w), xs.gc, pts, 3, Convex, CoordModeOrigin);
    }

    void drawText(WWindow* w, int x, int y, const char* s, int n, WColor fg, WColor bg) override {
        setGc(fg, bg);
        x11DrawText(xid(w), x, y, s, n);
    }

    void drawCells(WWindow* w, int x, int y, const WCell* cells, int n, WColor fg,
                   WColor bg) override {
        setGc(fg, bg);
        x11DrawCells(xid(w), x, y, cells, n, bg);
    }

    int textWidth(const char* s, int n) override { return x11TextWidth(s, n); }

    std::vector<std::string> listFonts(const char* pattern, int max) override {
        std::vector<std::string> out;
        int count = 0;
        char** names = XListFonts(xs.dpy, pattern, max, &count);
        for (int i = 0; i < count; i++) out.push_back(names[i]);
        if (names) XFreeFontNames(names);
        std::sort(out.begin(), out.end());
        return out;
    }

    void drawTextInFont(WWindow* w, int x, int y, const char* font, const char* s, int n,
                        WColor fg, WColor bg) override {
        XFontStruct* f = font && *font ? XLoadQueryFont(xs.dpy, font) : nullptr;
        if (!f) {
            drawText(w, x, y, s, n, fg, bg);
            return;
        }
        setGc(fg, bg);
        XSetFont(xs.dpy, xs.gc, f->fid);
        XDrawImageString(xs.dpy, xid(w), xs.gc, x, y + f->ascent, s, n);
        XSetFont(xs.dpy, xs.gc, xs.font->fid);
        XFreeFont(xs.dpy, f);
    }

    WColor allocColor(const char* spec, WColor fallback) override {
        if (!spec || !*spec) return fallback;
        auto it = xs.colours.find(spec);
        if (it != xs.colours.end()) return it->second;
        XColor c;
        unsigned long pixel = fallback;
        if (XParseColor(xs.dpy, xs.colormap, spec, &c) && XAllocColor(xs.dpy, xs.colormap, &c))
            pixel = c.pixel;
        else
            gen_warning("Cannot allocate colour \"%s\"", spec);
        xs.colours[spec] = pixel;
        return pixel;
    }

    bool pending() override {
        return !xs.posted.empty() || XPending(xs.dpy) > 0 || x11SelectionNextDeadline() == 0;
    }
    int dispatchNext(int abortable) override { return x11DispatchNext(abortable); }
    bool pumpDuringWork() override { return x11DispatchDuringWork(); }

    void waitInput(int ms) override {
        if (!xs.posted.empty()) return;
        int due = x11SelectionNextDeadline();
        if (due >= 0 && due < ms) ms = due;
        WWaitInput(ConnectionNumber(xs.dpy), ms);
    }

    void flush() override { XFlush(xs.dpy); }
    void postEvent(const WEvent& ev) override { xs.posted.push_back(ev); }

    int selectionOwn(int slot, unsigned long time) override {
        return x11SelectionOwn(slot, time);
    }
    void selectionDisown(int slot) override { x11SelectionDisown(slot); }
    int selectionRequest(unsigned long window, int slot, unsigned long time) override {
        return x11SelectionRequest(window, slot, time);
    }
};

} // namespace

WBackend* NewX11Backend() {
    return new X11Backend();
}
