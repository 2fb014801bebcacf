// editor/comparewin.cc: the compare window: the texts of a compare or merge side by side, each
// in a fixed, read-only editor, scrolling together, their differing lines tinted and marked in
// the margin; a message line and, for a compare, the buttons that step through differences.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "buffer/file.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "editor/merge.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

struct CompareWindow {
    DiffStuff* ds = nullptr;
    WWindow* top = nullptr;
    std::vector<MergeSide*> sides; // file 1, file 2, then the base
    std::vector<Button*> buttons;
    std::string message;
    std::string title;
    ContextWindow cw;
    bool syncing = false; // aligning the other texts after one scrolled
};

// Two texts sit side by side. Three take a grid: file 1 top left, file 2 to its right, the
// base below file 1; the merge's result window goes into the cell below file 2.
PaneBox CompareGrid(size_t i, size_t n, int width, int height, int header) {
    int bottom = std::max(2 * header + 2, height);
    if (n < 3) {
        int x = (int)i * width / (int)n, x1 = ((int)i + 1) * width / (int)n;
        return {x, 0, x1 - x - ((int)i + 1 < (int)n ? 4 : 0), bottom};
    }
    int half = width / 2, mid = bottom / 2;
    switch (i) {
    case 0: return {0, 0, half - 4, mid - 4};
    case 1: return {half, 0, width - half, mid - 4};
    default: return {0, mid, half - 4, bottom - mid};
    }
}

namespace {

enum { BTN_PREVIOUS, BTN_NEXT, BTN_MERGE, BTN_CLOSE };
// Alt and a label's first letter presses the button.
const char* const buttonLabels[] = {"Previous", "Next", "Merge", "Close"};

int headerHeight() {
    return WFontHeight() + 6;
}
int footerHeight() {
    return 2 * WFontHeight() + 16;
}

// How a line of one side pairs: which pairing, and whether the side is its old side.
struct SidePairing {
    const DiffResult* r;
    bool old;
};

MergeSide* sideOf(DiffStuff* ds, Edit* e) {
    for (MergeSide* s : {&ds->s1, &ds->s2, &ds->base})
        if (s->editor == e) return s;
    return nullptr;
}

// Whether line n of the side is paired in each pairing it takes part in.
int lineMark(Edit* e, int64_t n) {
    auto* ds = static_cast<DiffStuff*>(e->compare);
    MergeSide* s = ds ? sideOf(ds, e) : nullptr;
    if (!s || n < 1 || n > s->cur.lines) return DIFFMARK_SAME;
    bool paired;
    if (!ds->threeWay)
        paired = s == &ds->s1 ? ds->r1->OA[n].matched : ds->r1->NA[n].matched;
    else if (s == &ds->base)
        paired = ds->r1->OA[n].matched && ds->r2->OA[n].matched;
    else
        paired = (s == &ds->s1 ? ds->r1 : ds->r2)->NA[n].matched;
    bool current = ds->diffIndex > 0 && n >= s->cur.number && n < s->cur.number + s->cur.count;
    return current ? DIFFMARK_CURRENT : paired ? DIFFMARK_SAME : DIFFMARK_DIFFERS;
}

// The line of the other side across a pairing: the partner of the nearest paired line at or
// above n, plus the distance to it.
int64_t across(const DiffResult* r, bool fromOld, int64_t n) {
    const DiffLine* a = fromOld ? r->OA : r->NA;
    int max = fromOld ? r->oldmax : r->newmax;
    int64_t k = std::min<int64_t>(n, max);
    int64_t stop = std::max<int64_t>(1, k - 5000);
    for (; k >= stop; k--)
        if (a[k].matched) return a[k].other + (n - k);
    return n;
}

int64_t lineOn(DiffStuff* ds, MergeSide* from, int64_t n, MergeSide* to) {
    if (!ds->threeWay) return across(ds->r1, from == &ds->s1, n);
    const DiffResult* rf = from == &ds->s1 ? ds->r1 : ds->r2;
    const DiffResult* rt = to == &ds->s1 ? ds->r1 : ds->r2;
    int64_t b = from == &ds->base ? n : across(rf, false, n);
    return to == &ds->base ? b : across(rt, true, b);
}

void scrolled(Edit* e) {
    auto* ds = static_cast<DiffStuff*>(e->compare);
    CompareWindow* w = ds ? ds->window : nullptr;
    if (!w || w->syncing) return;
    MergeSide* from = sideOf(ds, e);
    if (!from) return;
    w->syncing = true;
    for (MergeSide* s : w->sides)
        if (s != from && s->editor) {
            int64_t top = std::max<int64_t>(1, lineOn(ds, from, e->view.topLine, s));
            if (top != s->editor->view.topLine) EditScrollTo(s->editor, top);
        }
    w->syncing = false;
}

PaneBox paneBox(const CompareWindow* w, size_t i) {
    return CompareGrid(i, w->sides.size(), w->top->width, w->top->height - footerHeight(),
                       headerHeight());
}

void drawChrome(CompareWindow* w) {
    WWindow* t = w->top;
    for (size_t i = 0; i < w->sides.size(); i++) {
        PaneBox b = paneBox(w, i);
        std::string title = w->sides[i]->title;
        WFillRect(t, b.x, b.y, std::max(1, b.width), headerHeight(), wPalette.control);
        WDrawText(t, b.x + 6, b.y + 3, title.data(), (int)title.size(), wPalette.foreground,
                  wPalette.control);
    }
    int y = t->height - footerHeight();
    WFillRect(t, 0, y, t->width, footerHeight(), wPalette.control);
    WDrawText(t, 6, y + 3, w->message.data(), (int)w->message.size(), wPalette.foreground,
              wPalette.control);
}

void layout(CompareWindow* w) {
    WWindow* t = w->top;
    for (size_t i = 0; i < w->sides.size(); i++) {
        Edit* e = w->sides[i]->editor;
        PaneBox b = paneBox(w, i);
        WMoveResize(e->frame, b.x, b.y + headerHeight(), std::max(1, b.width),
                    std::max(1, b.height - headerHeight()));
        EditLayout(e);
        EditRedraw(e);
    }
    int bx = 6, by = t->height - WFontHeight() - 10, bh = WFontHeight() + 6;
    for (Button* b : w->buttons) {
        int bw = btnWidthFor(b->label.c_str());
        WMoveResize(b->win, bx, by, bw, bh);
        bx += bw + 8;
    }
}

int paneKey(Edit* e, WEvent& ev);

int topEvent(WEvent& ev, void* data) {
    auto* w = static_cast<CompareWindow*>(data);
    switch (ev.kind) {
    case WE_EXPOSE:
        drawChrome(w);
        break;
    case WE_RESIZE:
        w->top->width = ev.width;
        w->top->height = ev.height;
        layout(w);
        drawChrome(w);
        break;
    case WE_CLOSE:
        DiffStuffDestroy(w->ds);
        break;
    case WE_KEY:
        if (!w->sides.empty()) return paneKey(w->sides[0]->editor, ev);
        break;
    default:
        break;
    }
    return 1;
}

void buttonPressed(Button* b, void* data) {
    auto* w = static_cast<CompareWindow*>(data);
    Edit* e = w->sides.empty() ? nullptr : w->sides[0]->editor;
    static const char* const commands[] = {"DiffPrevious", "DiffNext", "DiffMerge", "Close"};
    if (!e) return;
    if (b->index == BTN_CLOSE)
        DiffStuffDestroy(w->ds);
    else
        EditCli(e, commands[b->index]);
}

// Alt and a button's letter presses it, wherever in the window the keys go.
int paneKey(Edit* e, WEvent& ev) {
    auto* ds = static_cast<DiffStuff*>(e->compare);
    if (!ds || !ds->window || !(ev.modifiers & WMOD_MOD1) || ev.key <= 0 || ev.key > 255)
        return 0;
    for (Button* b : ds->window->buttons) {
        if (b->enabled && tolower((unsigned char)b->label[0]) == tolower(ev.key)) {
            buttonPressed(b, ds->window);
            return 1;
        }
    }
    return 0;
}

} // namespace

CompareWindow* CompareWindowCreate(DiffStuff* ds, const std::string& title) {
    auto* w = new CompareWindow;
    w->ds = ds;
    w->title = title;
    w->sides.push_back(&ds->s1);
    w->sides.push_back(&ds->s2);
    if (ds->threeWay) w->sides.push_back(&ds->base);
    int fw = WFontWidth(), fh = WFontHeight();
    int width = 2 * 64 * fw, height = (ds->threeWay ? 44 : 36) * fh;
    // Three texts: placed (top left), so that the result window can go into its free cell.
    int at = ds->threeWay ? 8 : 0;
    w->top = WCreateWindow(nullptr, at, at, width, height, topEvent, w);
    WSetBackground(w->top, wPalette.control);
    WSetWindowName(w->top, title.c_str());
    int64_t paneHeight = height - headerHeight() - footerHeight();
    for (MergeSide* s : w->sides) {
        Edit* e = EditCreate(w->top, 0, headerHeight(), width / 2, (int)paneHeight, s->title.c_str(),
                             s->file, 0, 0, 1);
        e->diffChild = true;
        e->compare = ds;
        e->diffMark = lineMark;
        e->diffScrolled = scrolled;
        e->keyHook = paneKey;
        e->skipFileCheck = true;
        WMapWindow(e->frame);
        s->editor = e;
    }
    if (ds->mode != MERGE_MERGE)
        for (int i = BTN_PREVIOUS; i <= BTN_CLOSE; i++) {
            Button* b = btnCreate(w->top, 0, 0, 1, 1, buttonLabels[i], buttonPressed, w);
            b->index = i;
            if (i == BTN_NEXT) b->isDefault = true;
            WMapWindow(b->win);
            w->buttons.push_back(b);
        }
    layout(w);
    WSetFocusChild(w->sides[0]->editor->view.window);
    w->cw.kind = CW_COMPARE;
    w->cw.data = w;
    cwInsertList(&w->cw);
    WMapWindow(w->top);
    drawChrome(w);
    return w;
}

void CompareWindowDestroy(CompareWindow* w) {
    if (!w) return;
    cwRemoveList(&w->cw);
    for (MergeSide* s : w->sides)
        if (s->editor) {
            s->editor->destroying = true;
            s->editor->diffScrolled = nullptr;
            EditDestroy(s->editor);
            s->editor = nullptr;
        }
    for (Button* b : w->buttons) delete b;
    WDestroyWindow(w->top);
    delete w;
}

bool CompareWindowFreeCell(CompareWindow* w, int* x, int* y, int* width, int* height) {
    if (!w || w->sides.size() < 3) return false;
    PaneBox base = paneBox(w, 2);
    // The window manager's frames: a title bar above each window's own area, estimated.
    int titleBar = WFontHeight() + 8;
    *x = w->top->x + base.x + base.width + 4;
    *y = w->top->y + base.y + titleBar;
    *width = std::max(1, w->top->width - (base.x + base.width + 4));
    *height = std::max(1, base.height - titleBar);
    return true;
}

void CompareWindowMessage(CompareWindow* w, const std::string& text) {
    if (!w) return;
    w->message = text;
    if (!text.empty()) WMessage(text.c_str());
    drawChrome(w);
}

void CompareWindowRefresh(CompareWindow* w) {
    if (!w) return;
    for (MergeSide* s : w->sides) EditRedraw(s->editor);
    for (Button* b : w->buttons)
        if (b->index == BTN_MERGE) btnEnable(b, w->ds->mode == MERGE_COMPARE);
}

Edit* CompareWindowEdit(void* contextData) {
    auto* w = static_cast<CompareWindow*>(contextData);
    return w && !w->sides.empty() ? w->sides[0]->editor : nullptr;
}

WWindow* CompareWindowTop(void* contextData) {
    auto* w = static_cast<CompareWindow*>(contextData);
    return w ? w->top : nullptr;
}

DiffStuff* DiffStuffOf(Edit* edit) {
    return edit ? static_cast<DiffStuff*>(edit->compare) : nullptr;
}
