// toolkit/headless/headless.cc: the display-less backend: windows are records, drawing lands in
// a grid of 8x16 cells per window, events come from a queue, dialogues answer from the script.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <strings.h>

#include "runtime/utf8.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/selection.h"

namespace {

void printLine(const std::string& s) {
    fputs(s.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

// What each 8x16 cell of a window shows: a character and a mark over it; the second cell of
// a wide character holds 0.
struct Grid {
    int cols = 0, rows = 0;
    std::vector<std::vector<WCell>> cells;
    std::vector<std::vector<WColor>> fg, bg;

    void fit(int width, int height) {
        int c = (width + 7) / 8, r = (height + 15) / 16;
        if (c == cols && r == rows) return;
        cols = c;
        rows = r;
        cells.resize(r);
        fg.resize(r);
        bg.resize(r);
        for (int i = 0; i < r; i++) {
            cells[i].resize(c, WCell{' ', 0});
            fg[i].resize(c, 0);
            bg[i].resize(c, 0xffffff);
        }
    }

    // Cells of row r from column col on (clipped to the grid), in the colours given.
    void put(int r, int col, const WCell* from, int n, WColor f, WColor b) {
        if (r < 0 || r >= rows) return;
        if (col < 0) {
            from -= col;
            n += col;
            col = 0;
        }
        n = std::min(n, cols - col);
        if (n <= 0) return;
        std::copy(from, from + n, cells[r].begin() + col);
        std::fill_n(fg[r].begin() + col, n, f);
        std::fill_n(bg[r].begin() + col, n, b);
    }
};

// The cells a string takes, as a display with glyphs for every character would draw it: UTF-8
// text a character at a time (wide ones two cells, combining marks over the cell before),
// other text a byte at a time as Latin-1.
void textCells(const char* s, int n, std::vector<WCell>& out) {
    out.clear();
    bool utf8 = Utf8Valid(s, (size_t)n);
    for (int i = 0; i < n;) {
        char32_t c = (unsigned char)s[i];
        i += utf8 ? Utf8Decode(s + i, (size_t)(n - i), &c) : 1;
        int w = utf8 ? Utf8Width(c) : 1;
        if (w == 0 && !out.empty() && !out.back().mark) {
            out.back().mark = c;
            continue;
        }
        out.push_back({c, 0});
        if (w == 2) out.push_back({0, 0});
    }
}

std::vector<WCell> scratch;

std::map<unsigned long, Grid> grids;
std::deque<WEvent> queue;
int beeps = 0;

// What other clients hold: the selections live in the process, so these stand in for them.
struct ForeignSlot {
    bool held = false;
    std::string text;
    int type = WSEL_TEXT;
};
ForeignSlot foreign[WSEL_SLOTS];
bool refuseSelections = false;

struct HeadlessBackend : WBackend {
    unsigned long nextId = 1;

    int init(int*, char**) override {
        fontWidth = 8;
        fontHeight = 16;
        fontAscent = 12;
        return 1;
    }
    void beep() override {
        beeps++;
        printLine("<beep>");
    }

    bool scriptedAnswers() override { return true; }

    void message(const char* text) override {
        std::string t = text ? text : "";
        while (!t.empty() && t.back() == '\n') t.pop_back();
        if (!t.empty()) printLine(t);
    }

    unsigned long createWindow(WWindow* win) override {
        unsigned long id = nextId++;
        grids[id].fit(win->width, win->height);
        return id;
    }
    void destroyWindow(WWindow* win) override {
        grids.erase(win->id);
        for (auto it = queue.begin(); it != queue.end();)
            it = it->window == win ? queue.erase(it) : it + 1;
    }
    void moveResize(WWindow* win) override { grids[win->id].fit(win->width, win->height); }

    void fillRect(WWindow* win, int x, int y, int w, int h, WColor c) override {
        // Only whole cells are blanked: thin lines (bevels, borders) leave text alone.
        if (w < 8 || h < 16) return;
        Grid& g = grids[win->id];
        int c0 = std::max(0, x / 8), c1 = std::min(g.cols, (x + w + 7) / 8);
        int r0 = std::max(0, y / 16), r1 = std::min(g.rows, (y + h + 15) / 16);
        for (int r = r0; r < r1; r++)
            for (int col = c0; col < c1; col++) {
                g.cells[r][col] = WCell{' ', 0};
                g.bg[r][col] = c;
            }
    }
    void drawRect(WWindow*, int, int, int, int, WColor) override {}
    // The core fonts every X server has, for the font chooser without a display.
    std::vector<std::string> listFonts(const char*, int max) override {
        std::vector<std::string> all = {
            "-misc-fixed-bold-r-normal--13-120-75-75-c-80-iso8859-1",
            "-misc-fixed-medium-r-normal--13-120-75-75-c-70-iso8859-1",
            "-misc-fixed-medium-r-normal--20-200-75-75-c-100-iso8859-1",
            "-misc-fixed-medium-o-normal--13-120-75-75-c-70-iso8859-1",
            "6x13", "8x13", "9x15", "fixed"};
        if (max >= 0 && (int)all.size() > max) all.resize((size_t)max);
        return all;
    }
    void drawText(WWindow* win, int x, int y, const char* s, int n, WColor fg,
                  WColor bg) override {
        textCells(s, n, scratch);
        grids[win->id].put(y / 16, x / 8, scratch.data(), (int)scratch.size(), fg, bg);
    }
    int textWidth(const char* s, int n) override {
        textCells(s, n, scratch);
        return (int)scratch.size() * fontWidth;
    }
    void drawCells(WWindow* win, int x, int y, const WCell* cells, int n, WColor fg,
                   WColor bg) override {
        grids[win->id].put(y / 16, x / 8, cells, n, fg, bg);
    }
    WColor allocColor(const char* spec, WColor fallback) override {
        if (spec && spec[0] == '#' && strlen(spec) == 7) {
            char* end = nullptr;
            unsigned long v = strtoul(spec + 1, &end, 16);
            if (end && !*end) return v;
        }
        return fallback;
    }

    bool pending() override { return !queue.empty(); }
    bool pendingFor(WWindow* top) override {
        return !queue.empty() && WTopLevelOf(queue.front().window) == top;
    }
    int dispatchNext(int abortable) override {
        if (queue.empty()) return WB_NO_EVENT;
        WEvent ev = queue.front();
        queue.pop_front();
        if (abortable && ev.kind == WE_KEY && ev.key == WK_ESCAPE) return WB_ESCAPE;
        return ev.kind == WE_BUTTON ? WClickEvent(ev) : WDeliver(ev);
    }
    void postEvent(const WEvent& ev) override { queue.push_back(ev); }
    bool pumpDuringWork() override {
        bool escape = false;
        std::deque<WEvent> later;
        while (!queue.empty()) {
            WEvent ev = queue.front();
            queue.pop_front();
            if (ev.kind == WE_KEY && ev.key == WK_ESCAPE && !escape)
                escape = true;
            else if (ev.kind == WE_EXPOSE || ev.kind == WE_RESIZE || ev.kind == WE_MAP)
                WDeliver(ev);
            else
                later.push_back(ev);
        }
        queue.swap(later);
        return escape;
    }

    int selectionOwn(int slot, unsigned long) override {
        if (refuseSelections) return 0;
        foreign[slot] = ForeignSlot();
        return 1;
    }
    int selectionRequest(unsigned long window, int slot, unsigned long) override {
        // Answered now but delivered through the queue, as a display would deliver it later.
        std::string text;
        int type = WSEL_TEXT;
        if (!WSelectionOwned(slot, &text, &type) && foreign[slot].held) {
            text = foreign[slot].text;
            type = foreign[slot].type;
        }
        WEvent ev;
        if (!WSelectionAnswerEvent(window, slot, text, type, &ev)) return 0;
        queue.push_back(ev);
        return 1;
    }

    void waitInput(int ms) override {
        if (!queue.empty() || ms <= 0) return;
        WWaitInput(-1, ms);
    }
};

} // namespace

WBackend* NewHeadlessBackend() {
    return new HeadlessBackend();
}

void WHeadlessPost(const WEvent& ev) {
    queue.push_back(ev);
}

std::vector<std::string> WHeadlessRows(const WWindow* win) {
    std::vector<std::string> rows;
    auto it = grids.find(win->id);
    if (it == grids.end()) return rows;
    for (const std::vector<WCell>& row : it->second.cells) {
        std::string text;
        char buf[4];
        for (const WCell& c : row) {
            if (c.ch) text.append(buf, (size_t)Utf8Encode(c.ch, buf));
            if (c.ch && c.mark) text.append(buf, (size_t)Utf8Encode(c.mark, buf));
        }
        rows.push_back(std::move(text));
    }
    return rows;
}

WCell WHeadlessCell(const WWindow* win, int col, int row) {
    auto it = grids.find(win->id);
    if (it == grids.end() || row < 0 || row >= it->second.rows || col < 0 ||
        col >= it->second.cols)
        return WCell{0, 0};
    return it->second.cells[(size_t)row][(size_t)col];
}

static WColor cellOf(const WWindow* win, int col, int row, bool wantFg) {
    auto it = grids.find(win->id);
    if (it == grids.end() || row < 0 || row >= it->second.rows || col < 0 ||
        col >= it->second.cols)
        return 0;
    return wantFg ? it->second.fg[row][col] : it->second.bg[row][col];
}

WColor WHeadlessCellFg(const WWindow* win, int col, int row) {
    return cellOf(win, col, row, true);
}

WColor WHeadlessCellBg(const WWindow* win, int col, int row) {
    return cellOf(win, col, row, false);
}

int WHeadlessBeeps() {
    return beeps;
}

void WHeadlessRefuseSelections(bool refuse) {
    refuseSelections = refuse;
}

void WHeadlessForeignSelection(int slot, const std::string& text, int type) {
    if (slot < 0 || slot >= WSEL_SLOTS) return;
    WSelectionLost(slot);
    foreign[slot].held = !(text.empty() && type == 0);
    foreign[slot].text = text;
    foreign[slot].type = type == WSEL_LINES || type == WSEL_RECT ? type : WSEL_TEXT;
}
