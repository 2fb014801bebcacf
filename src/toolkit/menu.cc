// toolkit/menu.cc: menus: a column of items in a window of its own that takes the pointer and
// the keyboard while it is up; pull-right menus open beside their item; a menu bar opens its
// menus under their titles and walks between them with Left and Right.
#include "toolkit/menu.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

#include "toolkit/backend.h"
#include "toolkit/dlgpriv.h"
#include "toolkit/eventloop.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

WMenu::~WMenu() {
    for (WMenuItem& i : items) delete i.submenu;
}

namespace {

struct OpenMenu {
    WMenu* menu = nullptr;
    WWindow* win = nullptr;
    int hot = -1;
};

// The run in progress (menus do not nest runs: a pull-right is part of its parent's run).
struct Run {
    std::vector<OpenMenu*> open; // outermost first
    bool finished = false;
    WMenuResult result;
    bool inBar = false;
    WMenuBar* bar = nullptr; // the bar whose menu this is
    int switchTo = -1;       // the pointer moved to another title of the bar
} *run = nullptr;

int itemHeight(const WMenuItem& i) {
    return i.separator ? 8 : WFontHeight() + 6;
}

int itemTop(const WMenu* m, int index) {
    int y = 2;
    for (int i = 0; i < index; i++) y += itemHeight(m->items[(size_t)i]);
    return y;
}

int itemAt(const WMenu* m, int y) {
    int top = 2;
    for (size_t i = 0; i < m->items.size(); i++) {
        int h = itemHeight(m->items[i]);
        if (y >= top && y < top + h) return (int)i;
        top += h;
    }
    return -1;
}

bool selectable(const WMenuItem& i) {
    return !i.separator && i.enabled;
}

void menuSize(const WMenu* m, int* width, int* height) {
    int labels = 0, accels = 0;
    for (const WMenuItem& i : m->items) {
        labels = std::max(labels, WLabelWidth(i.label));
        accels = std::max(accels, WTextWidth(i.accel.data(), (int)i.accel.size()));
    }
    int fh = WFontHeight();
    *width = fh + labels + (accels ? accels + 3 * WFontWidth() : 0) + fh + 8;
    *height = itemTop(m, (int)m->items.size()) + 2;
}

void drawMenu(OpenMenu* om) {
    WWindow* w = om->win;
    WMenu* m = om->menu;
    int fh = WFontHeight();
    WFillRect(w, 0, 0, w->width, w->height, wPalette.control);
    for (size_t i = 0; i < m->items.size(); i++) {
        const WMenuItem& it = m->items[i];
        int y = itemTop(m, (int)i), h = itemHeight(it);
        if (it.separator) {
            WFillRect(w, 4, y + 3, w->width - 8, 1, wPalette.controlDark);
            WFillRect(w, 4, y + 4, w->width - 8, 1, wPalette.controlLight);
            continue;
        }
        bool hot = (int)i == om->hot && it.enabled;
        WColor bg = hot ? wPalette.select : wPalette.control;
        WColor fg = !it.enabled ? wPalette.controlDark : hot ? wPalette.selectText
                                                             : wPalette.foreground;
        if (hot) WFillRect(w, 2, y, w->width - 4, h, bg);
        int ty = y + 3;
        if (it.checkable && it.checked) {
            // A tick: two strokes.
            int x0 = 6, s = fh / 2;
            WFillTriangle(w, x0, ty + s, x0 + s / 2, ty + fh - 3, x0 + s / 2, ty + fh - 6, fg);
            WFillTriangle(w, x0 + s / 2, ty + fh - 3, x0 + s + 2, ty + 2, x0 + s / 2, ty + fh - 6,
                          fg);
        }
        WDrawLabel(w, fh + 4, ty, it.label, fg, bg);
        if (!it.accel.empty()) {
            int aw = WTextWidth(it.accel.data(), (int)it.accel.size());
            WDrawText(w, w->width - fh - 4 - aw, ty, it.accel.data(), (int)it.accel.size(), fg, bg);
        }
        if (it.submenu) {
            int s = fh / 2, ax = w->width - s - 6, ay = y + (h - s) / 2;
            WFillTriangle(w, ax, ay, ax, ay + s, ax + s / 2, ay + s / 2, fg);
        }
    }
    WBevel(w, 0, 0, w->width, w->height, true);
}

int menuEvent(WEvent& ev, void* data);

OpenMenu* openAt(WMenu* m, int x, int y) {
    auto* om = new OpenMenu;
    om->menu = m;
    int width, height;
    menuSize(m, &width, &height);
    int sw = 1280, sh = 1024;
    if (wBackend) wBackend->screenSize(&sw, &sh);
    x = std::max(0, std::min(x, sw - width));
    y = std::max(0, std::min(y, sh - height));
    om->win = WCreateWindow(nullptr, x, y, width, height, menuEvent, om);
    om->win->isMenu = true;
    WSetWindowName(om->win, m->title.c_str());
    WSetBackground(om->win, wPalette.control);
    if (wBackend) wBackend->setMenuHints(om->win);
    WMapWindow(om->win);
    if (run->open.empty() && wBackend) wBackend->grabInput(om->win);
    run->open.push_back(om);
    drawMenu(om);
    return om;
}

// Closes the menus deeper than level (0 the outermost).
void closeAbove(size_t level) {
    while (run->open.size() > level + 1) {
        OpenMenu* om = run->open.back();
        run->open.pop_back();
        WDestroyWindow(om->win);
        delete om;
    }
}

void finish(const WMenuItem* item, int move) {
    run->finished = true;
    run->result.item = item;
    run->result.move = move;
}

size_t levelOf(OpenMenu* om) {
    auto it = std::find(run->open.begin(), run->open.end(), om);
    return (size_t)(it - run->open.begin());
}

void openSub(OpenMenu* om, int index) {
    WMenuItem& it = om->menu->items[(size_t)index];
    closeAbove(levelOf(om));
    int x, y, w, h;
    if (!wBackend || !wBackend->rootGeometry(om->win, &x, &y, &w, &h)) return;
    OpenMenu* sub = openAt(it.submenu, x + w - 4, y + itemTop(om->menu, index));
    for (size_t i = 0; i < it.submenu->items.size(); i++)
        if (selectable(it.submenu->items[i])) {
            sub->hot = (int)i;
            break;
        }
    drawMenu(sub);
}

void setHot(OpenMenu* om, int index) {
    if (om->hot == index) return;
    om->hot = index;
    drawMenu(om);
}

void moveHot(OpenMenu* om, int dir) {
    int n = (int)om->menu->items.size();
    int i = om->hot;
    for (int k = 0; k < n; k++) {
        i = (i + dir + n) % n;
        if (i < 0) i = n - 1;
        if (selectable(om->menu->items[(size_t)i])) {
            setHot(om, i);
            return;
        }
    }
}

void choose(OpenMenu* om, int index) {
    if (index < 0) return;
    WMenuItem& it = om->menu->items[(size_t)index];
    if (!selectable(it)) return;
    if (it.submenu)
        openSub(om, index);
    else
        finish(&it, 0);
}

int mnemonicOf(const std::string& label) {
    for (size_t i = 0; i + 1 < label.size(); i++)
        if (label[i] == '&' && label[i + 1] != '&') return tolower((unsigned char)label[i + 1]);
    return 0;
}

void menuKey(const WEvent& ev) {
    OpenMenu* om = run->open.back();
    switch (ev.key) {
    case WK_UP: moveHot(om, -1); return;
    case WK_DOWN: moveHot(om, 1); return;
    case WK_RIGHT:
        if (om->hot >= 0 && om->menu->items[(size_t)om->hot].submenu)
            choose(om, om->hot);
        else if (run->inBar)
            finish(nullptr, 1);
        return;
    case WK_LEFT:
        if (run->open.size() > 1)
            closeAbove(run->open.size() - 2);
        else if (run->inBar)
            finish(nullptr, -1);
        return;
    case WK_RETURN:
    case WK_KP_ENTER: choose(om, om->hot); return;
    case WK_ESCAPE:
        if (run->open.size() > 1)
            closeAbove(run->open.size() - 2);
        else
            finish(nullptr, 0);
        return;
    case 256 + 0xc7: finish(nullptr, 0); return; // F10 leaves the menus
    default: break;
    }
    if (ev.text == " ") {
        choose(om, om->hot);
        return;
    }
    if (ev.text.size() == 1) {
        int c = tolower((unsigned char)ev.text[0]);
        for (size_t i = 0; i < om->menu->items.size(); i++)
            if (selectable(om->menu->items[i]) && mnemonicOf(om->menu->items[i].label) == c) {
                setHot(om, (int)i);
                choose(om, (int)i);
                return;
            }
    }
}

int menuEvent(WEvent& ev, void* data) {
    auto* om = static_cast<OpenMenu*>(data);
    if (ev.kind == WE_EXPOSE) drawMenu(om);
    return 1;
}

OpenMenu* openMenuOf(WWindow* w) {
    for (OpenMenu* om : run->open)
        if (om->win == w) return om;
    return nullptr;
}

bool inside(const WEvent& ev) {
    return ev.x >= 0 && ev.y >= 0 && ev.x < ev.window->width && ev.y < ev.window->height;
}

int barTitleAt(WMenuBar* bar, int x);

// Every event passes here while a menu is up.
bool intercept(WEvent& ev) {
    if (!run || !ev.window) return false;
    if (ev.kind == WE_KEY) {
        menuKey(ev);
        return true;
    }
    if (ev.kind != WE_BUTTON) return ev.kind == WE_CLOSE;
    OpenMenu* om = openMenuOf(ev.window);
    if (run->bar && ev.window == run->bar->win) {
        int t = barTitleAt(run->bar, ev.x);
        if (t >= 0 && t != run->bar->open && (ev.direction == 0 || ev.direction > 0)) {
            run->switchTo = t;
            finish(nullptr, 0);
        } else if (ev.direction > 0 && t == run->bar->open) {
            finish(nullptr, 0);
        }
        return true;
    }
    if (!om || !inside(ev)) {
        // A press anywhere else cancels the menus; motion and releases there mean nothing.
        if (ev.direction > 0) finish(nullptr, 0);
        return true;
    }
    int i = itemAt(om->menu, ev.y);
    if (ev.direction == 0 || ev.direction > 0) {
        setHot(om, i >= 0 && selectable(om->menu->items[(size_t)i]) ? i : -1);
        if (i >= 0 && om->menu->items[(size_t)i].submenu && selectable(om->menu->items[(size_t)i]))
            openSub(om, i);
        else
            closeAbove(levelOf(om));
    } else if (ev.direction < 0 && i >= 0 && !om->menu->items[(size_t)i].submenu) {
        choose(om, i);
    }
    return true;
}

void printItems(const WMenu* m, std::string& out) {
    for (const WMenuItem& i : m->items) {
        if (i.separator) continue;
        if (!out.empty()) out += ", ";
        std::string l = WMenuPlainLabel(i.label);
        if (i.checkable && i.checked) l = "*" + l;
        out += i.enabled ? l : "(" + l + ")";
    }
}

// Batch: an item by label, or "Menu/Item" through pull-rights.
const WMenuItem* findItem(const WMenu* m, const std::string& answer) {
    size_t slash = answer.find('/');
    for (const WMenuItem& i : m->items) {
        if (i.separator) continue;
        std::string l = WMenuPlainLabel(i.label);
        if (!strcasecmp(l.c_str(), answer.c_str())) return selectable(i) && !i.submenu ? &i : nullptr;
        if (i.submenu && slash != std::string::npos &&
            !strcasecmp(l.c_str(), answer.substr(0, slash).c_str()))
            return selectable(i) ? findItem(i.submenu, answer.substr(slash + 1)) : nullptr;
    }
    return nullptr;
}

WMenuResult scripted(WMenu* m) {
    WMenuResult r;
    std::string a, items;
    printItems(m, items);
    if (WTakeScriptedAnswer(a)) r.item = findItem(m, a);
    fprintf(stdout, "%s -> %s\n", items.c_str(),
            r.item ? WMenuPlainLabel(r.item->label).c_str() : "<cancel>");
    fflush(stdout);
    return r;
}

} // namespace

std::string WMenuPlainLabel(const std::string& label) {
    std::string out;
    for (size_t i = 0; i < label.size(); i++) {
        if (label[i] == '&' && i + 1 < label.size()) i++;
        out.push_back(label[i]);
    }
    return out;
}

std::vector<WMenu*> WOpenMenus() {
    std::vector<WMenu*> out;
    if (run)
        for (OpenMenu* om : run->open) out.push_back(om->menu);
    return out;
}

static WMenuResult runMenu(WMenu* menu, int x, int y, bool inBar, WMenuBar* bar) {
    if (!wBackend || run) return WMenuResult();
    if (wBackend->scriptedAnswers()) return scripted(menu);
    Run r;
    r.inBar = inBar;
    r.bar = bar;
    run = &r;
    auto* savedInterceptor = wEventInterceptor;
    wEventInterceptor = intercept;
    OpenMenu* om = openAt(menu, x, y);
    if (inBar) moveHot(om, 1);
    while (!r.finished && XWindowsOn) {
        WEventAll(0);
        if (r.finished) break;
        int wait = 0;
        ExtraProcess_Wait(&wait);
        WYield(wait - 10);
    }
    wBackend->grabInput(nullptr);
    // The chosen item lives in the menu (or a pull-right of it), not in the windows.
    closeAbove(0);
    WDestroyWindow(r.open[0]->win);
    delete r.open[0];
    wEventInterceptor = savedInterceptor;
    run = nullptr;
    if (bar) bar->open = r.switchTo >= 0 ? -2 - r.switchTo : bar->open;
    return r.result;
}

WMenuResult WMenuRun(WMenu* menu, int x, int y, bool inBar) {
    return runMenu(menu, x, y, inBar, nullptr);
}

WMenuResult WMenuPopupAtPointer(WMenu* menu) {
    int x = 100, y = 100;
    if (wBackend) wBackend->pointerPosition(&x, &y);
    return WMenuRun(menu, x, y);
}

// ---- option menus ----

void WOptionMenuPopup(Widget* w) {
    if (w->items.empty() || !w->win) return;
    WMenu m;
    m.title = w->name;
    for (size_t i = 0; i < w->items.size(); i++) {
        WMenuItem it;
        it.label = w->items[i];
        it.id = (int)i;
        it.checkable = true;
        it.checked = (int)i == w->value;
        m.items.push_back(it);
    }
    int x = 0, y = 0, wd, ht;
    if (wBackend) wBackend->rootGeometry(w->win, &x, &y, &wd, &ht);
    WMenuResult r = WMenuRun(&m, x, y + w->win->height);
    if (r.item) WOptionMenuChoose(w, r.item->id);
}

// ---- the menu bar ----

namespace {

int titleWidth(const std::string& t) {
    return WLabelWidth(t) + 2 * WFontWidth();
}

int barTitleAt(WMenuBar* bar, int x) {
    int left = 4;
    for (size_t i = 0; i < bar->titles.size(); i++) {
        int w = titleWidth(bar->titles[i]);
        if (x >= left && x < left + w) return (int)i;
        left += w;
    }
    return -1;
}

int barEvent(WEvent& ev, void* data) {
    auto* bar = static_cast<WMenuBar*>(data);
    if (ev.kind == WE_EXPOSE || ev.kind == WE_RESIZE) WMenuBarDraw(bar);
    if (ev.kind == WE_BUTTON && ev.direction > 0 && ev.button == 1) {
        int t = barTitleAt(bar, ev.x);
        if (t >= 0) WMenuBarOpen(bar, t);
    }
    return 1;
}

} // namespace

int WMenuBarHeight() {
    return WFontHeight() + 8;
}

WMenuBar* WMenuBarCreate(WWindow* parent, int x, int y, int width, WMenuBarFill fill,
                         WMenuBarRun runItem, void* data) {
    auto* bar = new WMenuBar;
    bar->fill = fill;
    bar->run = runItem;
    bar->data = data;
    bar->win = WCreateWindow(parent, x, y, width, WMenuBarHeight(), barEvent, bar);
    WSetBackground(bar->win, wPalette.control);
    WMapWindow(bar->win);
    return bar;
}

void WMenuBarDestroy(WMenuBar* bar) {
    delete bar; // its window goes with its parent's
}

void WMenuBarSetTitles(WMenuBar* bar, const std::vector<std::string>& titles) {
    bar->titles = titles;
    WMenuBarDraw(bar);
}

void WMenuBarDraw(WMenuBar* bar) {
    WWindow* w = bar->win;
    WFillRect(w, 0, 0, w->width, w->height, wPalette.control);
    int left = 4;
    for (size_t i = 0; i < bar->titles.size(); i++) {
        int tw = titleWidth(bar->titles[i]);
        bool open = (int)i == bar->open;
        if (open) WBevel(w, left, 1, tw, w->height - 2, false);
        WDrawLabel(w, left + WFontWidth(), 4, bar->titles[i], wPalette.foreground,
                   wPalette.control);
        left += tw;
    }
    WFillRect(w, 0, w->height - 1, w->width, 1, wPalette.controlDark);
}

int WMenuBarOpen(WMenuBar* bar, int index) {
    int n = (int)bar->titles.size();
    if (index < 0 || index >= n || run) return 0;
    for (int guard = 0; guard < 1000; guard++) {
        bar->open = index;
        WMenuBarDraw(bar);
        WMenu menu;
        menu.title = WMenuPlainLabel(bar->titles[(size_t)index]);
        if (bar->fill) bar->fill(bar, index, &menu, bar->data);
        int x = 0, y = 0, w, h;
        if (wBackend) wBackend->rootGeometry(bar->win, &x, &y, &w, &h);
        int left = 4;
        for (int i = 0; i < index; i++) left += titleWidth(bar->titles[(size_t)i]);
        WMenuResult r = runMenu(&menu, x + left, y + bar->win->height, true, bar);
        if (bar->open <= -2) {
            index = -2 - bar->open;
            continue;
        }
        if (r.move) {
            index = (index + r.move + n) % n;
            continue;
        }
        bar->open = -1;
        WMenuBarDraw(bar);
        if (!r.item) return 0;
        if (bar->run) bar->run(bar, r.item, bar->data);
        return 1;
    }
    return 0;
}

bool WMenuBarKey(WMenuBar* bar, const WEvent& ev) {
    if (!bar || bar->titles.empty() || ev.kind != WE_KEY) return false;
    if (ev.key == 256 + 0xc7 && !(ev.modifiers & (WMOD_SHIFT | WMOD_CONTROL))) { // F10
        WMenuBarOpen(bar, 0);
        return true;
    }
    if ((ev.modifiers & WMOD_MOD1) && !(ev.modifiers & WMOD_CONTROL) && ev.key > 0 &&
        ev.key < 256 && isalpha(ev.key)) {
        for (size_t i = 0; i < bar->titles.size(); i++)
            if (mnemonicOf(bar->titles[i]) == tolower(ev.key)) {
                WMenuBarOpen(bar, (int)i);
                return true;
            }
    }
    return false;
}
