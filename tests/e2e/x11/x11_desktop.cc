// tests/e2e/x11/x11_desktop.cc: the other side of the desktop conventions, for desktop.sh.
//   ping WINDOW          sends the window manager's _NET_WM_PING; "pong" when answered
//   clipmanager          a clipboard manager: owns CLIPBOARD_MANAGER, and when a client asks
//                        it to save its clipboard (SAVE_TARGETS) fetches the text, prints it
//                        and answers; ends after one save or 20 seconds
//   reftext FONT X TEXT...  a window at the screen's top left drawing each TEXT in its FONT
//                        at X on one line through Xlib's UTF-8 font-set calls, black on
//                        white; stays until killed
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <string>

namespace {

Display* dpy;

// Waits up to ms for the next event matching pred; false on timeout.
bool waitFor(XEvent* e, Bool (*pred)(Display*, XEvent*, XPointer), XPointer arg, int ms) {
    for (int waited = 0; waited <= ms; waited += 20) {
        if (XCheckIfEvent(dpy, e, pred, arg)) return true;
        pollfd p = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, 20);
    }
    return false;
}

Bool isClientMessage(Display*, XEvent* e, XPointer) {
    return e->type == ClientMessage;
}

int ping(Window w) {
    Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XEvent ev = {};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = (long)XInternAtom(dpy, "_NET_WM_PING", False);
    ev.xclient.data.l[1] = 4242; // the time stamp the answer must carry back
    ev.xclient.data.l[2] = (long)w;
    XSendEvent(dpy, w, False, NoEventMask, &ev);
    XEvent reply;
    while (waitFor(&reply, isClientMessage, nullptr, 5000))
        if (reply.xclient.window == root && reply.xclient.data.l[1] == 4242 &&
            (Window)reply.xclient.data.l[2] == w) {
            puts("pong");
            return 0;
        }
    puts("no answer");
    return 1;
}

Bool isRequest(Display*, XEvent* e, XPointer) {
    return e->type == SelectionRequest;
}
Bool isNotify(Display*, XEvent* e, XPointer) {
    return e->type == SelectionNotify;
}

int clipManager() {
    Window me = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    Atom manager = XInternAtom(dpy, "CLIPBOARD_MANAGER", False);
    Atom save = XInternAtom(dpy, "SAVE_TARGETS", False);
    Atom clipboard = XInternAtom(dpy, "CLIPBOARD", False);
    Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom got = XInternAtom(dpy, "_SAVED", False);
    XSetSelectionOwner(dpy, manager, me, CurrentTime);
    if (XGetSelectionOwner(dpy, manager) != me) return 2;
    puts("ready");
    fflush(stdout);
    XEvent e;
    while (waitFor(&e, isRequest, nullptr, 20000)) {
        XSelectionRequestEvent r = e.xselectionrequest;
        if (r.selection != manager || r.target != save) continue;
        // Fetch the client's clipboard before telling it that it may go.
        XConvertSelection(dpy, clipboard, utf8, got, me, CurrentTime);
        XEvent n;
        std::string text = "(nothing)";
        if (waitFor(&n, isNotify, nullptr, 5000) && n.xselection.property != None) {
            Atom type;
            int format;
            unsigned long count, after;
            unsigned char* data = nullptr;
            XGetWindowProperty(dpy, me, got, 0, 1 << 20, True, AnyPropertyType, &type, &format,
                               &count, &after, &data);
            if (data) text.assign((const char*)data, count);
            XFree(data);
        }
        XEvent reply = {};
        reply.xselection.type = SelectionNotify;
        reply.xselection.requestor = r.requestor;
        reply.xselection.selection = r.selection;
        reply.xselection.target = r.target;
        reply.xselection.property = r.property;
        reply.xselection.time = r.time;
        XSendEvent(dpy, r.requestor, False, NoEventMask, &reply);
        XFlush(dpy);
        printf("saved %s\n", text.c_str());
        return 0;
    }
    puts("nothing to save");
    return 1;
}

int refText(int n, char** args) {
    if (!setlocale(LC_CTYPE, "C.UTF-8")) return 2;
    struct Piece {
        XFontSet fs;
        int x;
        const char* text;
    };
    Piece pieces[8];
    int count = 0, height = 0, ascent = 0;
    for (int i = 0; i + 2 < n && count < 8; i += 3) {
        char** missing;
        int nmissing;
        char* def;
        XFontSet fs = XCreateFontSet(dpy, args[i], &missing, &nmissing, &def);
        if (!fs) {
            fprintf(stderr, "reftext: no font set for %s\n", args[i]);
            return 2;
        }
        XFontSetExtents* ext = XExtentsOfFontSet(fs);
        if (-ext->max_logical_extent.y > ascent) ascent = -ext->max_logical_extent.y;
        if (ext->max_logical_extent.height > height) height = ext->max_logical_extent.height;
        pieces[count++] = {fs, atoi(args[i + 1]), args[i + 2]};
    }
    int screen = DefaultScreen(dpy);
    XSetWindowAttributes a;
    a.override_redirect = True;
    a.background_pixel = WhitePixel(dpy, screen);
    Window w = XCreateWindow(dpy, DefaultRootWindow(dpy), 0, 0, 800, (unsigned)height, 0,
                             CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel, &a);
    XStoreName(dpy, w, "reftext");
    XSelectInput(dpy, w, ExposureMask);
    XMapRaised(dpy, w);
    GC gc = XCreateGC(dpy, w, 0, nullptr);
    XSetForeground(dpy, gc, BlackPixel(dpy, screen));
    XSetBackground(dpy, gc, WhitePixel(dpy, screen));
    for (;;) {
        XEvent e;
        XNextEvent(dpy, &e);
        if (e.type != Expose || e.xexpose.count != 0) continue;
        for (int i = 0; i < count; i++)
            Xutf8DrawString(dpy, w, pieces[i].fs, gc, pieces[i].x, ascent, pieces[i].text,
                            (int)strlen(pieces[i].text));
        XFlush(dpy);
    }
}

} // namespace

int main(int argc, char** argv) {
    dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        fprintf(stderr, "x11_desktop: no display\n");
        return 2;
    }
    if (argc == 3 && !strcmp(argv[1], "ping")) return ping((Window)strtoul(argv[2], nullptr, 0));
    if (argc == 2 && !strcmp(argv[1], "clipmanager")) return clipManager();
    if (argc >= 5 && (argc - 2) % 3 == 0 && !strcmp(argv[1], "reftext"))
        return refText(argc - 2, argv + 2);
    fprintf(stderr, "usage: x11_desktop ping WINDOW | clipmanager | reftext FONT X TEXT...\n");
    return 2;
}
