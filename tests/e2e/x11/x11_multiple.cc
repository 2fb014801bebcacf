// tests/e2e/x11/x11_multiple.cc: asks the PRIMARY owner for three targets in one MULTIPLE
// request, as some clients do: UTF8_STRING, TARGETS and one nobody serves. Prints what came.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

std::string readText(Display* dpy, Window w, Atom prop, Atom* type) {
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    std::string out;
    *type = None;
    if (XGetWindowProperty(dpy, w, prop, 0, 1 << 20, False, AnyPropertyType, type, &format, &n,
                           &after, &data) == Success && data) {
        if (format == 8) out.assign((const char*)data, n);
        if (format == 32)
            for (unsigned long i = 0; i < n; i++) {
                char* name = XGetAtomName(dpy, (Atom)((long*)data)[i]);
                out += std::string(name ? name : "?") + " ";
                if (name) XFree(name);
            }
    }
    if (data) XFree(data);
    return out;
}

} // namespace

int main() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        fprintf(stderr, "x11_multiple: no display\n");
        return 2;
    }
    Window w = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    Atom pairsProp = XInternAtom(dpy, "_TEST_PAIRS", False);
    Atom p[3] = {XInternAtom(dpy, "_TEST_P1", False), XInternAtom(dpy, "_TEST_P2", False),
                 XInternAtom(dpy, "_TEST_P3", False)};
    long pairs[6] = {(long)XInternAtom(dpy, "UTF8_STRING", False), (long)p[0],
                     (long)XInternAtom(dpy, "TARGETS", False), (long)p[1],
                     (long)XInternAtom(dpy, "_TEST_NOBODY_SERVES", False), (long)p[2]};
    XChangeProperty(dpy, w, pairsProp, XInternAtom(dpy, "ATOM_PAIR", False), 32, PropModeReplace,
                    (unsigned char*)pairs, 6);
    XConvertSelection(dpy, XA_PRIMARY, XInternAtom(dpy, "MULTIPLE", False), pairsProp, w,
                      CurrentTime);
    XFlush(dpy);
    XEvent e;
    for (int tries = 0;; tries++) {
        if (XCheckTypedWindowEvent(dpy, w, SelectionNotify, &e)) break;
        if (tries > 300) {
            printf("no answer\n");
            return 1;
        }
        usleep(10000);
    }
    if (e.xselection.property != pairsProp) {
        printf("refused\n");
        return 1;
    }
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    Atom type;
    XGetWindowProperty(dpy, w, pairsProp, 0, 6, False, AnyPropertyType, &type, &format, &n,
                       &after, &data);
    if (!data || format != 32 || n != 6) {
        printf("bad pair list\n");
        return 1;
    }
    long* back = (long*)data;
    Atom t;
    for (int i = 0; i < 3; i++) {
        if (back[2 * i + 1] == None)
            printf("pair %d: none\n", i + 1);
        else
            printf("pair %d: %s\n", i + 1, readText(dpy, w, p[i], &t).c_str());
    }
    XFree(data);
    XCloseDisplay(dpy);
    return 0;
}
