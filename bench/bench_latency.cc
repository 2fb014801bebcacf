// bench/bench_latency.cc: keystroke-to-screen latency of a qe window: sends N key presses
// (alternately "a" and BackSpace, so the line changes every time) to the window named NAME
// and times each until the window publishes its new state, which it does right after drawing
// the changed line (the server handles the drawing requests before the property change).
// Usage: bench_latency NAME [N] [return]; prints the median, the 90th percentile and the
// maximum in ms. With "return" the keys are Return and BackSpace, and only the Returns (a new
// line with its automatic indentation) are timed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/select.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

static double nowMs() {
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    return tv.tv_sec * 1000.0 + tv.tv_usec / 1000.0;
}

static Window findNamed(Display* d, Window w, const char* name) {
    char* n = nullptr;
    if (XFetchName(d, w, &n) && n) {
        bool same = strcmp(n, name) == 0;
        XFree(n);
        if (same) return w;
    }
    Window root, parent, *kids = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &kids, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; i++)
        found = findNamed(d, kids[i], name);
    if (kids) XFree(kids);
    return found;
}

// Waits up to ms for a change of the state property; true when it came.
static bool waitState(Display* d, Window w, Atom state, double ms) {
    double end = nowMs() + ms;
    while (nowMs() < end) {
        while (XPending(d)) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == PropertyNotify && e.xproperty.window == w && e.xproperty.atom == state)
                return true;
        }
        int fd = ConnectionNumber(d);
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        struct timeval tv = {0, 1000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
    }
    return false;
}

static void drain(Display* d) {
    XSync(d, False);
    while (XPending(d)) {
        XEvent e;
        XNextEvent(d, &e);
    }
}

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: bench_latency NAME [N] [return]\n");
        return 2;
    }
    int n = argc > 2 ? atoi(argv[2]) : 200;
    Display* d = XOpenDisplay(nullptr);
    if (!d) return 1;
    Window w = findNamed(d, DefaultRootWindow(d), argv[1]);
    if (!w) {
        fprintf(stderr, "no window %s\n", argv[1]);
        return 1;
    }
    Atom state = XInternAtom(d, "_QE_STATE", False);
    XSelectInput(d, w, PropertyChangeMask);
    bool returns = argc > 3 && strcmp(argv[3], "return") == 0;
    KeyCode keys[2] = {XKeysymToKeycode(d, returns ? XK_Return : XK_a),
                       XKeysymToKeycode(d, XK_BackSpace)};
    std::vector<double> ms;
    int lost = 0;
    for (int i = 0; i < n; i++) {
        drain(d);
        XKeyEvent k = {};
        k.type = KeyPress;
        k.display = d;
        k.window = w;
        k.root = DefaultRootWindow(d);
        k.time = CurrentTime;
        k.same_screen = True;
        k.keycode = keys[i % 2];
        double t0 = nowMs();
        XSendEvent(d, w, True, KeyPressMask, (XEvent*)&k);
        k.type = KeyRelease;
        XSendEvent(d, w, True, KeyReleaseMask, (XEvent*)&k);
        XFlush(d);
        if (!waitState(d, w, state, 1000))
            lost++;
        else if (!returns || i % 2 == 0)
            ms.push_back(nowMs() - t0);
        usleep(20000); // let every redraw of this key finish before the next
    }
    if (ms.empty()) {
        printf("no key reached the screen\n");
        return 1;
    }
    std::sort(ms.begin(), ms.end());
    int over = (int)(ms.end() - std::upper_bound(ms.begin(), ms.end(), 20.0));
    printf("keys %d  median %.2f ms  p90 %.2f ms  p99 %.2f ms  max %.2f ms  over 20 ms %d  "
           "lost %d\n",
           (int)ms.size(), ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms[ms.size() * 99 / 100],
           ms.back(), over, lost);
    XCloseDisplay(d);
    return 0;
}
