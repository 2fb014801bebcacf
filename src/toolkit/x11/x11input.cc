// toolkit/x11/x11input.cc: keyboard input through Xlib's input method, so that dead keys,
// Compose, AltGr and input-method servers work and typed text arrives in UTF-8.
#include <X11/Xlib.h>
#include <clocale>
#include <cstring>
#include <langinfo.h>

#include "runtime/utf8.h"
#include "toolkit/x11/x11.h"

namespace {

// The top-level window that holds window w (input contexts belong to those).
Window topOf(Window w) {
    WRegistration* r = WFindRegistration((unsigned long)w);
    WWindow* top = r && r->win ? WTopLevelOf(r->win) : nullptr;
    return top ? (Window)top->id : w;
}

XIC icOf(Window w) {
    auto it = xs.ics.find(topOf(w));
    return it == xs.ics.end() ? nullptr : it->second;
}

} // namespace

void x11InputInit() {
    // The user's locale decides the Compose table and the input method; without Xlib support
    // for it, keys are looked up plainly.
    if (!setlocale(LC_CTYPE, "") || !XSupportsLocale()) setlocale(LC_CTYPE, "C");
    // Text is typed into UTF-8 Files: without a UTF-8 locale of the user's (LANG unset, say),
    // the UTF-8 Compose table of C.UTF-8 serves better than the Latin-1 one of C.
    if (strcmp(nl_langinfo(CODESET), "UTF-8") != 0 && setlocale(LC_CTYPE, "C.UTF-8") &&
        !XSupportsLocale())
        setlocale(LC_CTYPE, "C");
    XSetLocaleModifiers("");
    xs.im = XOpenIM(xs.dpy, nullptr, nullptr, nullptr);
    if (!xs.im) {
        // An input-method server named in XMODIFIERS that is not running: the built-in one.
        XSetLocaleModifiers("@im=none");
        xs.im = XOpenIM(xs.dpy, nullptr, nullptr, nullptr);
    }
}

void x11InputWindow(Window w) {
    if (!xs.im) return;
    XIC ic = XCreateIC(xs.im, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                       XNClientWindow, w, XNFocusWindow, w, nullptr);
    if (ic) xs.ics[w] = ic;
}

void x11InputForget(Window w) {
    auto it = xs.ics.find(w);
    if (it == xs.ics.end()) return;
    XDestroyIC(it->second);
    xs.ics.erase(it);
}

void x11InputFocus(Window w, bool in) {
    auto it = xs.ics.find(w);
    if (it == xs.ics.end()) return;
    if (in)
        XSetICFocus(it->second);
    else
        XUnsetICFocus(it->second);
}

bool x11InputFilter(XEvent* e) {
    if (!xs.im) return false;
    // Keys arrive at the window under the pointer; the input context filters for its
    // top-level window.
    Window w = e->type == KeyPress || e->type == KeyRelease ? topOf(e->xany.window) : None;
    return XFilterEvent(e, w);
}

int x11LookupKey(XKeyEvent* k, char* buf, int size, KeySym* ks) {
    XIC ic = k->type == KeyPress ? icOf(k->window) : nullptr;
    if (ic) {
        Status status;
        int n = Xutf8LookupString(ic, k, buf, size - 1, ks, &status);
        if (status == XBufferOverflow) n = 0;
        if (status == XLookupChars) *ks = NoSymbol;
        if (status == XLookupNone || n < 0) n = 0;
        if (status == XLookupChars || status == XLookupBoth) return n;
        if (status == XLookupKeySym) return 0;
        return n;
    }
    // Without an input method the lookup gives Latin-1: typed text is UTF-8 all the same.
    char latin[64];
    int n = XLookupString(k, latin, sizeof latin, ks, nullptr);
    int out = 0;
    for (int i = 0; i < n && out + 4 < size; i++)
        out += Utf8Encode((unsigned char)latin[i], buf + out);
    return out;
}

void x11InputExit() {
    for (auto& [w, ic] : xs.ics) XDestroyIC(ic);
    xs.ics.clear();
    if (xs.im) XCloseIM(xs.im);
    xs.im = nullptr;
}
