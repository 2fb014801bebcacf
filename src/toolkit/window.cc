// toolkit/window.cc: window records, the registry of 64 chains, delivery and drawing calls.
#include "toolkit/window.h"

#include <algorithm>
#include <vector>

#include "runtime/error.h"
#include "toolkit/backend.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"

WWindow* wModalWindow = nullptr;
WWindow* wLastInputTop = nullptr;
bool (*wEventInterceptor)(WEvent& ev) = nullptr;
WPalette wPalette = {0xffffff, 0x000000, 0xc0c0c0, 0x808080, 0xf0f0f0, 0x000080, 0xffffff};

namespace {

WRegistration* chains[64];
std::vector<WWindow*> allWindows; // every live window, for finding children

unsigned hashOf(unsigned long id) {
    return (unsigned)(id & 63);
}

// Offset of win inside ancestor (both in the same top-level window).
bool offsetWithin(WWindow* win, WWindow* ancestor, int& dx, int& dy) {
    dx = dy = 0;
    for (WWindow* w = win; w; w = w->parent) {
        if (w == ancestor) return true;
        dx += w->x;
        dy += w->y;
    }
    return false;
}

} // namespace

// ---- registry ----

void WRegisterWindow(WWindow* win, WHandler handler, void* data) {
    WRegistration* r = WFindRegistration(win->id);
    if (!r) {
        r = new WRegistration;
        r->window = win->id;
        r->win = win;
        unsigned h = hashOf(win->id);
        r->next = chains[h];
        chains[h] = r;
    }
    r->handler = handler;
    r->data = data;
}

void WUnregisterWindow(unsigned long id) {
    for (WRegistration** p = &chains[hashOf(id)]; *p; p = &(*p)->next) {
        if ((*p)->window == id) {
            WRegistration* dead = *p;
            *p = dead->next;
            // Forwarding registrations must not keep pointing at the dead one.
            for (auto& chain : chains)
                for (WRegistration* r = chain; r; r = r->next)
                    if (r->parent == dead) r->parent = nullptr;
            delete dead;
            return;
        }
    }
}

WRegistration* WFindRegistration(unsigned long id) {
    for (WRegistration* r = chains[hashOf(id)]; r; r = r->next)
        if (r->window == id) return r;
    return nullptr;
}

void WSetClickCallback(WWindow* win, WClickCallback click, WHandler immediate) {
    if (WRegistration* r = WFindRegistration(win->id)) {
        r->click = click;
        r->immediate = immediate;
    }
}

void WForwardEvents(WWindow* child, WWindow* to) {
    WRegistration* r = WFindRegistration(child->id);
    if (!r) {
        WRegisterWindow(child, nullptr, nullptr);
        r = WFindRegistration(child->id);
    }
    r->parent = to ? WFindRegistration(to->id) : nullptr;
}

bool WInputAllowed(WWindow* win) {
    WWindow* top = WTopLevelOf(win);
    return !wModalWindow || top == wModalWindow || (top && (top->isMenu || top->inputDuringModal));
}

int WDeliver(WEvent& ev) {
    if (!ev.window) return 1;
    // Anything else happening ends a held click first, so events keep their order.
    if (WClickPending() && !WClickFlush()) return 0;
    if (wEventInterceptor && wEventInterceptor(ev)) return 1;
    if ((ev.kind == WE_KEY || ev.kind == WE_HELP) && !WInputAllowed(ev.window)) {
        if (!ev.text.empty()) WBeep();
        return 1;
    }
    if (((ev.kind == WE_BUTTON && ev.direction > 0) || ev.kind == WE_CLOSE) &&
        !WInputAllowed(ev.window)) {
        WBeep();
        return 1;
    }
    if (ev.kind == WE_KEY || ev.kind == WE_HELP || (ev.kind == WE_BUTTON && ev.direction > 0))
        wLastInputTop = WTopLevelOf(ev.window);
    if (ev.kind == WE_KEY || ev.kind == WE_HELP) {
        WWindow* top = WTopLevelOf(ev.window);
        // The key reaches the dialogue wherever the pointer rests in it.
        if (top && top->keyFilter && ev.kind == WE_KEY && top->keyFilter(ev, top->keyFilterData))
            return 1;
        if (top && top->focusChild && top->focusChild != ev.window) ev.window = top->focusChild;
    }
    WRegistration* r = WFindRegistration(ev.window->id);
    if (!r) return 1; // not ours: nothing to do
    while (r->parent) {
        int dx, dy;
        if (offsetWithin(r->win, r->parent->win, dx, dy)) {
            ev.x += dx;
            ev.y += dy;
        }
        r = r->parent;
        ev.window = r->win;
    }
    if (!r->handler) return 1;
    try {
        ErrorCheck frame;
        return r->handler(ev, r->data);
    } catch (const PanicError&) {
        return 1; // the handler's command is abandoned; the next event is handled as usual
    }
}

// ---- windows ----

WWindow* WCreateWindow(WWindow* parent, int x, int y, int width, int height, WHandler handler,
                       void* data) {
    auto* win = new WWindow;
    win->parent = parent;
    win->x = x;
    win->y = y;
    win->width = std::max(1, width);
    win->height = std::max(1, height);
    win->background = wPalette.background;
    static unsigned long serial = 0;
    win->serial = ++serial;
    if (wBackend) win->id = wBackend->createWindow(win);
    allWindows.push_back(win);
    WRegisterWindow(win, handler, data);
    return win;
}

void WDestroyWindow(WWindow* win) {
    if (!win) return;
    std::vector<WWindow*> children;
    for (WWindow* w : allWindows)
        if (w->parent == win) children.push_back(w);
    for (WWindow* c : children) WDestroyWindow(c);
    for (WWindow* w : allWindows)
        if (w->focusChild == win) w->focusChild = nullptr;
    if (wModalWindow == win) wModalWindow = nullptr;
    if (wLastInputTop == win) wLastInputTop = nullptr;
    WUnregisterWindow(win->id);
    if (wBackend) wBackend->destroyWindow(win);
    allWindows.erase(std::remove(allWindows.begin(), allWindows.end(), win), allWindows.end());
    delete win;
}

void WSetResizeCells(WWindow* win, int baseWidth, int baseHeight) {
    if (wBackend) wBackend->setResizeCells(win, baseWidth, baseHeight);
}

void WMapWindow(WWindow* win) {
    win->mapped = true;
    if (wBackend) wBackend->mapWindow(win);
}

void WUnmapWindow(WWindow* win) {
    if (!win->mapped) return;
    win->mapped = false;
    if (wBackend) wBackend->unmapWindow(win);
}

void WMoveResize(WWindow* win, int x, int y, int width, int height) {
    width = std::max(1, width);
    height = std::max(1, height);
    if (win->x == x && win->y == y && win->width == width && win->height == height) return;
    win->x = x;
    win->y = y;
    win->width = width;
    win->height = height;
    if (wBackend) wBackend->moveResize(win);
}

void WResizeWindow(WWindow* win, int width, int height) {
    win->width = std::max(1, width);
    win->height = std::max(1, height);
    if (wBackend) wBackend->resize(win);
}

void WSetWindowName(WWindow* win, const char* name) {
    win->name = name ? name : "";
    if (wBackend) wBackend->setName(win);
}

void WSetCursor(WWindow* win, int shape) {
    win->cursor = shape;
    if (wBackend) wBackend->setCursor(win);
}

bool WRootGeometry(WWindow* win, int* x, int* y, int* width, int* height) {
    return wBackend && win && wBackend->rootGeometry(win, x, y, width, height);
}

void WScreenSize(int* width, int* height) {
    *width = 1280, *height = 1024;
    if (wBackend) wBackend->screenSize(width, height);
}

void WRaiseWindow(WWindow* win) {
    if (wBackend) wBackend->raise(win);
}

void WWarpPointer(WWindow* win) {
    if (wBackend && win) wBackend->warpPointer(win, win->width / 2, win->height / 2);
}

void WTakeFocus(WWindow* win) {
    if (wBackend && win) wBackend->takeFocus(win);
}

void WFocusOnceMapped(WWindow* win, int ms) {
    if (wBackend && win) wBackend->focusOnceMapped(win, ms);
}

void WSetBackground(WWindow* win, WColor colour) {
    win->background = colour;
    if (wBackend) wBackend->setBackground(win);
}

void WSetProperty(WWindow* win, const char* name, const std::string& value) {
    if (wBackend) wBackend->setProperty(win, name, value);
}

WWindow* WTopLevelOf(WWindow* win) {
    while (win && win->parent) win = win->parent;
    return win;
}

void WSetFocusChild(WWindow* child) {
    if (WWindow* top = WTopLevelOf(child)) top->focusChild = child == top ? nullptr : child;
}

// ---- drawing ----

void WFillRect(WWindow* win, int x, int y, int width, int height, WColor colour) {
    if (wBackend && width > 0 && height > 0) wBackend->fillRect(win, x, y, width, height, colour);
}

void WDrawRect(WWindow* win, int x, int y, int width, int height, WColor colour) {
    if (wBackend && width > 0 && height > 0) wBackend->drawRect(win, x, y, width, height, colour);
}

void WFillTriangle(WWindow* win, int x1, int y1, int x2, int y2, int x3, int y3, WColor colour) {
    int xy[6] = {x1, y1, x2, y2, x3, y3};
    if (wBackend) wBackend->fillTriangle(win, xy, colour);
}

void WDrawText(WWindow* win, int x, int y, const char* text, int length, WColor fg, WColor bg) {
    if (wBackend && length > 0) wBackend->drawText(win, x, y, text, length, fg, bg);
}

void WDrawCells(WWindow* win, int x, int y, const WCell* cells, int n, WColor fg, WColor bg) {
    if (wBackend && n > 0) wBackend->drawCells(win, x, y, cells, n, fg, bg);
}

void WDrawTextInFont(WWindow* win, int x, int y, const std::string& font, const char* text,
                     int length, WColor fg, WColor bg) {
    if (wBackend && length > 0) wBackend->drawTextInFont(win, x, y, font.c_str(), text, length, fg, bg);
}

std::vector<std::string> WListFonts(const char* pattern, int max) {
    return wBackend ? wBackend->listFonts(pattern, max) : std::vector<std::string>();
}

void WClearWindow(WWindow* win) {
    WFillRect(win, 0, 0, win->width, win->height, win->background);
}

void WBevel(WWindow* win, int x, int y, int width, int height, bool raised) {
    WColor light = raised ? wPalette.controlLight : wPalette.controlDark;
    WColor dark = raised ? wPalette.controlDark : wPalette.controlLight;
    WFillRect(win, x, y, width, 1, light);
    WFillRect(win, x, y, 1, height, light);
    WFillRect(win, x, y + height - 1, width, 1, dark);
    WFillRect(win, x + width - 1, y, 1, height, dark);
}

int WFontWidth() {
    return wBackend ? wBackend->fontWidth : 8;
}

int WFontHeight() {
    return wBackend ? wBackend->fontHeight : 16;
}

int WTextWidth(const char* text, int length) {
    return wBackend ? wBackend->textWidth(text, length) : length * 8;
}

// ---- colours ----

void WRefigureFont() {
    if (wBackend) wBackend->setFont(wSettings.font.c_str()); // -fn, when given, wins
}

WColor WAllocColor(const char* spec, WColor fallback) {
    return wBackend ? wBackend->allocColor(spec, fallback) : fallback;
}

void WRefigureColors() {
    if (!wBackend) return;
    wPalette.background = wBackend->allocColor(wSettings.background.c_str(), 0xffffff);
    wPalette.foreground = wBackend->allocColor(wSettings.foreground.c_str(), 0x000000);
    wPalette.control = wBackend->allocColor(wSettings.control.c_str(), 0xc0c0c0);
    wPalette.controlDark = wBackend->allocColor("#808080", 0x808080);
    wPalette.controlLight = wBackend->allocColor("#f0f0f0", 0xf0f0f0);
    wPalette.select = wBackend->allocColor(wSettings.select.c_str(), 0x000080);
    wPalette.selectText = wBackend->allocColor("#ffffff", 0xffffff);
}

// ---- settings ----

WSettings wSettings;

int WApplySettings(const WSettings& settings) {
    bool font = settings.font != wSettings.font;
    bool colours = settings.background != wSettings.background ||
                   settings.foreground != wSettings.foreground ||
                   settings.control != wSettings.control || settings.select != wSettings.select;
    wSettings = settings;
    if (font) WRefigureFont();
    if (colours) WRefigureColors();
    return font || colours;
}
