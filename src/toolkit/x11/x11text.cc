// toolkit/x11/x11text.cc: fonts and text: the default font for the screen's resolution, a
// double-width partner for wide characters, and UTF-8 text drawn as 16-bit characters of an
// ISO 10646 font.
#include <X11/Xatom.h>
#include <cmath>
#include <cstdio>
#include <vector>

#include "runtime/gen.h"
#include "runtime/utf8.h"
#include "toolkit/x11/x11.h"

namespace {

// The screen's resolution in dots per inch (75 when the server does not know its size).
double screenDpi() {
    int mm = DisplayWidthMM(xs.dpy, xs.screen);
    if (mm <= 0) return 75;
    return DisplayWidth(xs.dpy, xs.screen) * 25.4 / mm;
}

// A larger cell on a denser screen: 9x15 below 90 dpi, 9x18 to 130 dpi, then the fixed font
// scaled to keep its size in inches. The old small defaults stay as the last resort.
std::vector<std::string> defaultFonts() {
    double dpi = screenDpi();
    std::vector<std::string> names;
    const char* fixed = "-misc-fixed-medium-r-normal--%d-*-*-*-c-*-iso10646-1";
    char buf[128];
    if (dpi >= 130) {
        snprintf(buf, sizeof buf, fixed, (int)std::lround(18 * dpi / 100));
        names.push_back(buf);
        names.push_back("-misc-fixed-medium-r-normal--20-200-75-75-c-100-iso10646-1");
    }
    if (dpi >= 90) names.push_back("-misc-fixed-medium-r-normal--18-120-100-100-c-90-iso10646-1");
    names.push_back("-misc-fixed-medium-r-normal--15-140-75-75-c-90-iso10646-1");
    names.push_back("-misc-fixed-medium-r-normal--13-120-75-75-c-70-iso10646-1");
    names.push_back("-misc-fixed-medium-r-normal--13-120-75-75-c-70-iso8859-1");
    names.push_back("7x13");
    names.push_back("fixed");
    return names;
}

// A Latin-1 name has an ISO 10646 sibling in most font families: that one is tried first.
XFontStruct* loadPreferringUnicode(const std::string& name) {
    const std::string latin = "iso8859-1";
    if (name.size() > latin.size() &&
        name.compare(name.size() - latin.size(), latin.size(), latin) == 0) {
        std::string wide = name.substr(0, name.size() - latin.size()) + "iso10646-1";
        if (XFontStruct* f = XLoadQueryFont(xs.dpy, wide.c_str())) return f;
    }
    return XLoadQueryFont(xs.dpy, name.c_str());
}

// The font's pixel size from its name (field 7), or its height.
int pixelSize(XFontStruct* f) {
    unsigned long v;
    if (XGetFontProperty(f, XInternAtom(xs.dpy, "PIXEL_SIZE", False), &v) && v > 0) return (int)v;
    return f->ascent + f->descent;
}

// A font for double-width characters of the same height: the Japanese fixed fonts cover
// the wide ranges of ISO 10646 at twice the cell width.
XFontStruct* loadWideFont(XFontStruct* f) {
    char pattern[128];
    snprintf(pattern, sizeof pattern, "-*-fixed-medium-r-normal-ja-%d-*-*-*-c-*-iso10646-1",
             pixelSize(f));
    XFontStruct* w = XLoadQueryFont(xs.dpy, pattern);
    if (w && w->max_bounds.width != 2 * f->max_bounds.width) {
        XFreeFont(xs.dpy, w);
        w = nullptr;
    }
    return w;
}

// Text as 16-bit characters: UTF-8 when it is UTF-8, else Latin-1 byte by byte. Characters
// beyond the 16-bit plane show as U+FFFD.
XChar2b char2b(char32_t c) {
    if (c > 0xFFFF) c = 0xFFFD;
    return XChar2b{(unsigned char)(c >> 8), (unsigned char)(c & 0xFF)};
}

void toChar2b(const char* s, int n, std::vector<XChar2b>& out) {
    out.clear();
    bool utf8 = Utf8Valid(s, (size_t)n);
    for (int i = 0; i < n;) {
        char32_t c = (unsigned char)s[i];
        i += utf8 ? Utf8Decode(s + i, (size_t)(n - i), &c) : 1;
        out.push_back(char2b(c));
    }
}

std::vector<XChar2b> scratch;

} // namespace

bool x11LoadFont(const std::string& name, bool orDefault) {
    XFontStruct* f = nullptr;
    if (!name.empty()) {
        f = loadPreferringUnicode(name);
        if (!f)
            gen_warning(orDefault ? "Cannot load font \"%s\", using the default"
                                  : "Cannot load font \"%s\", keeping the current one",
                        name.c_str());
        if (!f && !orDefault) return false;
    }
    for (const std::string& d : defaultFonts()) {
        if (f) break;
        f = XLoadQueryFont(xs.dpy, d.c_str());
    }
    if (!f) return false;
    x11FreeFonts();
    xs.font = f;
    xs.wideFont = loadWideFont(f);
    return true;
}

void x11FreeFonts() {
    if (xs.font) XFreeFont(xs.dpy, xs.font);
    if (xs.wideFont) XFreeFont(xs.dpy, xs.wideFont);
    xs.font = xs.wideFont = nullptr;
}

void x11DrawText(Window w, int x, int y, const char* s, int n) {
    toChar2b(s, n, scratch);
    XDrawImageString16(xs.dpy, w, xs.gc, x, y + xs.font->ascent, scratch.data(),
                       (int)scratch.size());
}

int x11TextWidth(const char* s, int n) {
    toChar2b(s, n, scratch);
    return XTextWidth16(xs.font, scratch.data(), (int)scratch.size());
}

void x11DrawCells(Window w, int x, int y, const WCell* cells, int n, unsigned long bg) {
    const int fw = xs.font->max_bounds.width, base = y + xs.font->ascent;
    // Runs of single-width cells go out as one string; a wide character on its own, on its
    // two cells' background, from the wide font when there is one.
    for (int i = 0; i < n;) {
        int start = i;
        scratch.clear();
        while (i < n && !(i + 1 < n && cells[i + 1].ch == 0) && cells[i].ch != 0)
            scratch.push_back(char2b(cells[i++].ch));
        if (!scratch.empty())
            XDrawImageString16(xs.dpy, w, xs.gc, x + start * fw, base, scratch.data(),
                               (int)scratch.size());
        if (i >= n) break;
        int cellsUsed = cells[i].ch == 0 ? 1 : 2; // a lone continuation: just its background
        XGCValues old;
        XGetGCValues(xs.dpy, xs.gc, GCForeground, &old);
        XSetForeground(xs.dpy, xs.gc, bg);
        XFillRectangle(xs.dpy, w, xs.gc, x + i * fw, y, (unsigned)(cellsUsed * fw),
                       (unsigned)(xs.font->ascent + xs.font->descent));
        XSetForeground(xs.dpy, xs.gc, old.foreground);
        if (cells[i].ch != 0) {
            XChar2b c = char2b(cells[i].ch);
            if (xs.wideFont) XSetFont(xs.dpy, xs.gc, xs.wideFont->fid);
            XDrawString16(xs.dpy, w, xs.gc, x + i * fw, base, &c, 1);
            if (xs.wideFont) XSetFont(xs.dpy, xs.gc, xs.font->fid);
        }
        i += cellsUsed;
    }
    // Combining marks over their cells: the mark glyphs of a fixed font draw into the cell.
    for (int i = 0; i < n; i++)
        if (cells[i].mark) {
            XChar2b c = char2b(cells[i].mark);
            XDrawString16(xs.dpy, w, xs.gc, x + i * fw, base, &c, 1);
        }
}
