// toolkit/x11/x11wm.cc: what a window manager and a desktop expect of a top-level window: the
// icon, resize steps of one character cell, names in the encodings they are read in, and
// answering the manager's ping.
#include <X11/Xatom.h>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "runtime/utf8.h"
#include "toolkit/x11/x11.h"

namespace {

// The icon: a page of text with a cursor, on a blue ground, as rectangles on a 32-unit
// square (desktop/qe.svg draws the same picture for the desktop's menus).
struct IconRect {
    int x0, y0, x1, y1;
    unsigned long rgb;
};
const IconRect iconRects[] = {
    {0, 0, 32, 32, 0x1f3a68},  {6, 3, 26, 29, 0xffffff},  {9, 7, 23, 9, 0x1f3a68},
    {9, 11, 20, 13, 0x1f3a68}, {9, 15, 23, 17, 0x1f3a68}, {9, 19, 17, 21, 0x1f3a68},
    {18, 18, 20, 25, 0xd03030},
};

// _NET_WM_ICON: width, height, then ARGB pixels, each in a long (32 bits of it used).
void addIcon(std::vector<long>& data, int size) {
    data.push_back(size);
    data.push_back(size);
    size_t at = data.size();
    data.resize(at + (size_t)size * (size_t)size, 0);
    for (const IconRect& r : iconRects)
        for (int y = r.y0 * size / 32; y < r.y1 * size / 32; y++)
            for (int x = r.x0 * size / 32; x < r.x1 * size / 32; x++)
                data[at + (size_t)(y * size + x)] = (long)(0xff000000ul | r.rgb);
}

unsigned long pixelOf(unsigned long rgb) {
    XColor c;
    c.red = (unsigned short)(((rgb >> 16) & 0xff) * 257);
    c.green = (unsigned short)(((rgb >> 8) & 0xff) * 257);
    c.blue = (unsigned short)((rgb & 0xff) * 257);
    c.flags = DoRed | DoGreen | DoBlue;
    return XAllocColor(xs.dpy, xs.colormap, &c) ? c.pixel : BlackPixel(xs.dpy, xs.screen);
}

// The icon as a pixmap for the WM_HINTS of managers that do not read _NET_WM_ICON.
void makeIconPixmap() {
    const int size = 32;
    xs.iconPixmap = XCreatePixmap(xs.dpy, xs.root, size, size,
                                  (unsigned)DefaultDepth(xs.dpy, xs.screen));
    GC gc = XCreateGC(xs.dpy, xs.iconPixmap, 0, nullptr);
    for (const IconRect& r : iconRects) {
        XSetForeground(xs.dpy, gc, pixelOf(r.rgb));
        XFillRectangle(xs.dpy, xs.iconPixmap, gc, r.x0, r.y0, (unsigned)(r.x1 - r.x0),
                       (unsigned)(r.y1 - r.y0));
    }
    XFreeGC(xs.dpy, gc);
}

std::vector<long> iconData;

// Text that is not UTF-8 (a file name in Latin-1) is taken as Latin-1.
std::string asUtf8(const std::string& s) {
    if (Utf8Valid(s.data(), s.size())) return s;
    std::string out;
    char buf[4];
    for (unsigned char c : s) out.append(buf, (size_t)Utf8Encode(c, buf));
    return out;
}

} // namespace

void x11WmInit() {
    xs.netWmPing = XInternAtom(xs.dpy, "_NET_WM_PING", False);
    xs.netWmIcon = XInternAtom(xs.dpy, "_NET_WM_ICON", False);
    xs.netWmIconName = XInternAtom(xs.dpy, "_NET_WM_ICON_NAME", False);
    iconData.clear();
    addIcon(iconData, 16);
    addIcon(iconData, 32);
    addIcon(iconData, 48);
    makeIconPixmap();
}

void x11WmTopLevel(Window w, int width, int height) {
    Atom protocols[] = {xs.wmDelete, xs.netWmPing};
    XSetWMProtocols(xs.dpy, w, protocols, 2);
    XClassHint* ch = XAllocClassHint();
    ch->res_name = const_cast<char*>("qe");
    ch->res_class = const_cast<char*>("Quorl");
    XWMHints* wh = XAllocWMHints();
    wh->flags = InputHint | StateHint | IconPixmapHint;
    wh->input = True;
    wh->initial_state = NormalState;
    wh->icon_pixmap = xs.iconPixmap;
    XSizeHints* sh = XAllocSizeHints();
    sh->flags = PSize | PMinSize;
    // A place asked for on the command line (-geometry +X+Y) is the user's.
    XWindowAttributes wa;
    if (XGetWindowAttributes(xs.dpy, w, &wa) && (wa.x || wa.y)) {
        sh->flags |= USPosition | PPosition;
        sh->x = wa.x;
        sh->y = wa.y;
    }
    sh->width = width;
    sh->height = height;
    sh->min_width = 10 * xs.font->max_bounds.width;
    sh->min_height = 5 * (xs.font->ascent + xs.font->descent);
    XSetWMProperties(xs.dpy, w, nullptr, nullptr, nullptr, 0, sh, wh, ch);
    XFree(ch);
    XFree(wh);
    XFree(sh);
    long pid = (long)getpid();
    XChangeProperty(xs.dpy, w, xs.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    (unsigned char*)&pid, 1);
    XChangeProperty(xs.dpy, w, xs.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    (unsigned char*)iconData.data(), (int)iconData.size());
}

void x11SetResizeCells(Window w, int baseWidth, int baseHeight, int cellWidth, int cellHeight) {
    XSizeHints* sh = XAllocSizeHints();
    long supplied = 0;
    XGetWMNormalHints(xs.dpy, w, sh, &supplied);
    sh->flags |= PBaseSize | PResizeInc | PMinSize;
    sh->base_width = baseWidth;
    sh->base_height = baseHeight;
    sh->width_inc = cellWidth;
    sh->height_inc = cellHeight;
    sh->min_width = baseWidth + 10 * cellWidth;
    sh->min_height = baseHeight + 3 * cellHeight;
    XSetWMNormalHints(xs.dpy, w, sh);
    XFree(sh);
}

void x11SetName(Window w, const std::string& name) {
    // WM_NAME as STRING when Latin-1 holds it, else COMPOUND_TEXT, as ICCCM managers read
    // it; _NET_WM_NAME in UTF-8 for the newer ones.
    std::string u = asUtf8(name);
    char* list[] = {const_cast<char*>(u.c_str())};
    XTextProperty tp;
    if (Xutf8TextListToTextProperty(xs.dpy, list, 1, XStdICCTextStyle, &tp) >= Success) {
        XSetWMName(xs.dpy, w, &tp);
        XSetWMIconName(xs.dpy, w, &tp);
        XFree(tp.value);
    }
    for (Atom a : {xs.netWmName, xs.netWmIconName})
        XChangeProperty(xs.dpy, w, a, xs.utf8String, 8, PropModeReplace,
                        (const unsigned char*)u.data(), (int)u.size());
}

bool x11WmClientMessage(XClientMessageEvent* c) {
    if (c->message_type != xs.wmProtocols || (Atom)c->data.l[0] != xs.netWmPing) return false;
    // The answer goes back to the root window: the manager sees that we are alive.
    XEvent reply;
    reply.xclient = *c;
    reply.xclient.window = xs.root;
    XSendEvent(xs.dpy, xs.root, False, SubstructureNotifyMask | SubstructureRedirectMask,
               &reply);
    return true;
}

void x11WmExit() {
    if (xs.iconPixmap) XFreePixmap(xs.dpy, xs.iconPixmap);
    xs.iconPixmap = 0;
}
