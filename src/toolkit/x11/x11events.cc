// toolkit/x11/x11events.cc: X events into the toolkit's event records: typing coalesced, clicks
// counted, exposures merged, resizes and motion collapsed, window-manager messages.
#include <X11/keysym.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "toolkit/x11/x11.h"

namespace {

WWindow* windowOf(Window w) {
    WRegistration* r = WFindRegistration((unsigned long)w);
    return r ? r->win : nullptr;
}

int keyCodeOf(KeySym ks) {
    // Shift+Tab arrives as ISO_Left_Tab (with Shift held): it is Tab to every binding.
    if (ks == XK_ISO_Left_Tab) ks = XK_Tab;
    if (ks == NoSymbol) return -1; // text from the input method alone
    if (ks < 256) return (int)ks;
    if (ks == XK_ISO_Left_Tab) return 256 + (XK_Tab & 0xff); // Shift+Tab, with Shift held
    if (ks >= 0xff00 && ks <= 0xffff) return (int)(ks & 0xff) + 256;
    return -1;
}

bool isAltKey(KeySym ks) {
    return ks == XK_Meta_L || ks == XK_Meta_R || ks == XK_Alt_L;
}

// Printable text, no Control or Mod1: such key presses are typed text.
bool typedText(XKeyEvent* k, const char* text, int n) {
    if (n < 1 || (k->state & (ControlMask | Mod1Mask))) return false;
    for (int i = 0; i < n; i++)
        if ((unsigned char)text[i] < 32 || text[i] == 127) return false;
    return true;
}

int deliverKey(XKeyEvent* k, KeySym ks, const char* text, int n) {
    WWindow* win = windowOf(k->window);
    if (!win) return 1;
    WEvent ev;
    ev.kind = (ks == XK_Help || ks == XK_F1) ? WE_HELP : WE_KEY;
    ev.window = win;
    ev.x = k->x;
    ev.y = k->y;
    ev.modifiers = k->state;
    ev.key = keyCodeOf(ks);
    ev.text.assign(text, (size_t)n);
    ev.time = k->time;
    return WDeliver(ev);
}

int onKeyPress(XKeyEvent* k, int abortable) {
    char buf[257];
    KeySym ks = 0;
    int n = x11LookupKey(k, buf, sizeof buf, &ks);
    if (abortable) {
        const char* name = XKeysymToString(ks);
        if (name && !strcmp(name, "Escape")) return WB_ESCAPE;
    }
    if (isAltKey(ks)) {
        xs.pendingAlt = ks; // delivered on release if nothing else comes between
        return 1;
    }
    xs.pendingAlt = 0;
    std::string text(buf, (size_t)n);
    if (typedText(k, buf, n)) {
        // Gather the typing already queued for this window into the same record.
        XEvent next;
        while (XPending(xs.dpy) && (int)text.size() < 256) {
            XPeekEvent(xs.dpy, &next);
            if (next.xany.window != k->window) break;
            if (next.type != KeyPress && next.type != KeyRelease) break;
            XNextEvent(xs.dpy, &next);
            if (next.type == KeyRelease || x11InputFilter(&next)) continue;
            KeySym nks;
            int m = x11LookupKey(&next.xkey, buf, sizeof buf, &nks);
            if (!typedText(&next.xkey, buf, m)) {
                // Looked up once already: it is delivered as it is, after this record.
                int r = deliverKey(k, ks, text.data(), (int)text.size());
                deliverKey(&next.xkey, nks, buf, m);
                return r;
            }
            text.append(buf, (size_t)m);
        }
    }
    return deliverKey(k, ks, text.data(), (int)text.size());
}

int onKeyRelease(XKeyEvent* k) {
    KeySym ks = XLookupKeysym(k, 0);
    if (!xs.pendingAlt || !isAltKey(ks)) return 1;
    xs.pendingAlt = 0;
    return deliverKey(k, ks, "", 0);
}

int onButton(XEvent* e) {
    WWindow* win = windowOf(e->xany.window);
    if (!win) return 1;
    WEvent ev;
    ev.kind = WE_BUTTON;
    ev.window = win;
    const unsigned buttons = Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask;
    if (e->type == MotionNotify) {
        // Only the newest position of a run of motion events matters.
        XEvent next;
        while (XCheckTypedWindowEvent(xs.dpy, e->xany.window, MotionNotify, &next)) *e = next;
        ev.x = e->xmotion.x;
        ev.y = e->xmotion.y;
        ev.modifiers = e->xmotion.state & ~buttons;
        ev.direction = 0;
        ev.time = e->xmotion.time;
        return WClickEvent(ev);
    }
    XButtonEvent* b = &e->xbutton;
    ev.x = b->x;
    ev.y = b->y;
    ev.button = (int)b->button;
    ev.modifiers = b->state & ~buttons;
    ev.time = b->time;
    ev.direction = e->type == ButtonPress ? 1 : -1;
    return WClickEvent(ev);
}

int onExpose(XEvent* e) {
    WWindow* win = windowOf(e->xany.window);
    if (!win) return 1;
    int x0, y0, x1, y1;
    if (e->type == Expose) {
        x0 = e->xexpose.x, y0 = e->xexpose.y;
        x1 = x0 + e->xexpose.width, y1 = y0 + e->xexpose.height;
    } else {
        x0 = e->xgraphicsexpose.x, y0 = e->xgraphicsexpose.y;
        x1 = x0 + e->xgraphicsexpose.width, y1 = y0 + e->xgraphicsexpose.height;
    }
    // Every exposure of the window already queued joins this one.
    XEvent next;
    while (XCheckTypedWindowEvent(xs.dpy, e->xany.window, Expose, &next)) {
        x0 = std::min(x0, next.xexpose.x);
        y0 = std::min(y0, next.xexpose.y);
        x1 = std::max(x1, next.xexpose.x + next.xexpose.width);
        y1 = std::max(y1, next.xexpose.y + next.xexpose.height);
    }
    WEvent ev;
    ev.kind = WE_EXPOSE;
    ev.window = win;
    ev.x = x0;
    ev.y = y0;
    ev.width = x1 - x0;
    ev.height = y1 - y0;
    return WDeliver(ev);
}

int onConfigure(XEvent* e) {
    XEvent next;
    while (XCheckTypedWindowEvent(xs.dpy, e->xany.window, ConfigureNotify, &next)) *e = next;
    WWindow* win = windowOf(e->xany.window);
    if (!win) return 1;
    if (win->width == e->xconfigure.width && win->height == e->xconfigure.height) return 1;
    win->width = e->xconfigure.width;
    win->height = e->xconfigure.height;
    WEvent ev;
    ev.kind = WE_RESIZE;
    ev.window = win;
    ev.width = e->xconfigure.width;
    ev.height = e->xconfigure.height;
    return WDeliver(ev);
}

int onSimple(XEvent* e, int kind, int state) {
    WWindow* win = windowOf(e->xany.window);
    if (!win) return 1;
    WEvent ev;
    ev.kind = kind;
    ev.window = win;
    ev.state = state;
    return WDeliver(ev);
}

int onClientMessage(XClientMessageEvent* c) {
    if (c->message_type != xs.wmProtocols || x11WmClientMessage(c)) return 1;
    Atom what = (Atom)c->data.l[0];
    if (what == xs.wmDelete) {
        XEvent e;
        e.xany.window = c->window;
        return onSimple(&e, WE_CLOSE, 0);
    }
    if (what == xs.wmTakeFocus) XSetInputFocus(xs.dpy, c->window, RevertToParent, c->data.l[1]);
    return 1;
}

// The events long work lets through; the predicate may not call Xlib, so the Escape key's
// code is looked up before.
Bool duringWork(Display*, XEvent* e, XPointer arg) {
    switch (e->type) {
    case Expose:
    case GraphicsExpose:
    case ConfigureNotify:
    case MapNotify:
    case UnmapNotify:
    case SelectionRequest:
        return True;
    case KeyPress:
        return e->xkey.keycode == *(unsigned*)arg;
    default:
        return False;
    }
}

} // namespace

bool x11DispatchDuringWork() {
    unsigned escape = XKeysymToKeycode(xs.dpy, XK_Escape);
    bool pressed = false;
    XEvent e;
    while (XCheckIfEvent(xs.dpy, &e, duringWork, (XPointer)&escape)) {
        switch (e.type) {
        case KeyPress:
            pressed = true;
            break;
        case Expose:
        case GraphicsExpose:
            onExpose(&e);
            break;
        case ConfigureNotify:
            onConfigure(&e);
            break;
        case MapNotify:
        case UnmapNotify:
            onSimple(&e, WE_MAP, e.type == MapNotify);
            break;
        case SelectionRequest:
            x11SelectionAnswer(&e.xselectionrequest);
            break;
        }
    }
    return pressed;
}

int x11DispatchNext(int abortable) {
    if (!xs.posted.empty()) {
        WEvent ev = xs.posted.front();
        xs.posted.pop_front();
        return WDeliver(ev);
    }
    if (!XPending(xs.dpy)) return x11SelectionTimeouts();
    XEvent e;
    XNextEvent(xs.dpy, &e);
    if (x11InputFilter(&e)) return 1; // a dead key, a Compose sequence, an input method
    switch (e.type) {
    case KeyPress:
        return onKeyPress(&e.xkey, abortable);
    case KeyRelease:
        return onKeyRelease(&e.xkey);
    case ButtonPress:
    case ButtonRelease:
    case MotionNotify:
        return onButton(&e);
    case Expose:
    case GraphicsExpose:
        return onExpose(&e);
    case ConfigureNotify:
        return onConfigure(&e);
    case MapNotify:
        return onSimple(&e, WE_MAP, 1);
    case UnmapNotify:
        return onSimple(&e, WE_MAP, 0);
    case EnterNotify:
    case LeaveNotify:
        if (e.xcrossing.detail == NotifyInferior) return 1;
        return onSimple(&e, WE_CROSSING, e.type == EnterNotify);
    case FocusIn:
    case FocusOut:
        x11InputFocus(e.xfocus.window, e.type == FocusIn);
        if (e.xfocus.detail == NotifyInferior) return 1;
        return onSimple(&e, WE_CROSSING, e.type == FocusIn);
    case ClientMessage:
        return onClientMessage(&e.xclient);
    // Requests are answered here and never reach a handler; answers and losses come back
    // as WE_SELECTION records through the posted queue.
    case SelectionRequest:
        x11SelectionAnswer(&e.xselectionrequest);
        return 1;
    case SelectionNotify:
        x11SelectionArrived(&e.xselection);
        return 1;
    case SelectionClear:
        x11SelectionCleared(&e.xselectionclear);
        return 1;
    case PropertyNotify:
        x11SelectionProperty(&e.xproperty);
        return 1;
    case MappingNotify:
        XRefreshKeyboardMapping(&e.xmapping);
        return 1;
    default:
        return 1;
    }
}
