// tests/toolkit/test_widgets.cc: scroll bars, text fields and the window registry, driven by
// posted events over the headless backend.
#include <gtest/gtest.h>

#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/scrollbar.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

namespace {

struct Widgets : ::testing::Test {
    void SetUp() override {
        if (!wBackend) {
            wRequestedBackend = WB_HEADLESS;
            ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
        }
        top = WCreateWindow(nullptr, 0, 0, 400, 400, nullptr, nullptr);
    }
    void TearDown() override { WDestroyWindow(top); }
    WWindow* top = nullptr;
};

WEvent button(WWindow* w, int x, int y, int direction, int b = 1) {
    WEvent ev;
    ev.kind = WE_BUTTON;
    ev.window = w;
    ev.x = x;
    ev.y = y;
    ev.direction = direction;
    ev.button = b;
    ev.clicks = 1;
    return ev;
}

struct Actions {
    std::vector<int> got;
    int64_t lastPos = -1;
};
void onScroll(ScrollBar* sb, int action, int64_t pos, void* data) {
    auto* a = static_cast<Actions*>(data);
    a->got.push_back(action);
    if (action == SB_TRACK) {
        a->lastPos = pos;
        sbSetPos(sb, pos);
    }
}

TEST_F(Widgets, ScrollBarMapsPressesToActions) {
    Actions acts;
    ScrollBar* sb = sbCreate(top, 0, 0, 18, 300, true, onScroll, &acts);
    sbSetScroller(sb, 1000, 100); // thumb a tenth of the trough, at the top
    int start, length;
    sbThumb(sb, &start, &length);
    EXPECT_EQ(start, 18);
    EXPECT_EQ(length, (300 - 36) / 10);
    WHeadlessPost(button(sb->win, 9, 5, 1));   // upper arrow
    WHeadlessPost(button(sb->win, 9, 5, -1));
    WHeadlessPost(button(sb->win, 9, 250, 1)); // trough below the thumb
    WHeadlessPost(button(sb->win, 9, 250, -1));
    WHeadlessPost(button(sb->win, 9, 295, 1)); // lower arrow
    WHeadlessPost(button(sb->win, 9, 295, -1));
    WEventAll(0);
    EXPECT_EQ(acts.got, (std::vector<int>{SB_LINEUP, SB_PAGEDOWN, SB_LINEDOWN}));
    EXPECT_EQ(ExtraProcess_NumberPending(), 0); // releases stop the repeat timers

    // Dragging the thumb to the very end asks for the last position.
    acts.got.clear();
    WHeadlessPost(button(sb->win, 9, start + 2, 1));
    WHeadlessPost(button(sb->win, 9, 1000, 0));
    WHeadlessPost(button(sb->win, 9, 1000, -1));
    WEventAll(0);
    ASSERT_FALSE(acts.got.empty());
    EXPECT_EQ(acts.got.back(), SB_TRACK);
    EXPECT_EQ(acts.lastPos, 900);
    sbThumb(sb, &start, &length);
    EXPECT_EQ(start + length, 300 - 18);
    sbDestroy(sb);
}

TEST_F(Widgets, ScrollBarRangeSmallerThanViewShowsAFullThumb) {
    ScrollBar* sb = sbCreate(top, 0, 0, 200, 18, false, nullptr, nullptr);
    sbSetScroller(sb, 50, 100);
    sbSetPos(sb, 30); // nothing to scroll: stays at 0
    EXPECT_EQ(sb->pos, 0);
    int start, length;
    sbThumb(sb, &start, &length);
    EXPECT_EQ(start, 18);
    EXPECT_EQ(length, 200 - 36);
    sbDestroy(sb);
}

TEST_F(Widgets, TextFieldEditsAndReportsReturn) {
    static std::string activated;
    TextField* tf = tfCreate(top, 0, 0, 200, 24, [](TextField* t, void*) { activated = t->text; },
                             nullptr);
    WSetFocusChild(tf->win);
    auto key = [&](int code, const char* text, unsigned mods = 0) {
        WEvent ev;
        ev.kind = WE_KEY;
        ev.window = top; // keys reach the focus child of the top-level window
        ev.key = code;
        ev.text = text;
        ev.modifiers = mods;
        WHeadlessPost(ev);
    };
    key('a', "abc");
    key(WK_LEFT, "");
    key(WK_BACKSPACE, "");
    key('x', "x");
    key('\t', "\t"); // control characters are not inserted
    key(WK_RETURN, "\r");
    WEventAll(0);
    EXPECT_EQ(activated, "axc");
    EXPECT_EQ(WHeadlessRows(tf->win)[0].substr(0, 4), "axc ");
    tfDestroy(tf);
}

// Keys into a field with the focus, as from the display.
void keyInto(TextField* tf, int code, const char* text = "", unsigned mods = 0) {
    WEvent ev;
    ev.kind = WE_KEY;
    ev.window = WTopLevelOf(tf->win);
    ev.key = code;
    ev.text = text;
    ev.modifiers = mods;
    WHeadlessPost(ev);
    WEventAll(0);
}

TEST_F(Widgets, TextFieldMovesAndDeletesWholeCharacters) {
    TextField* tf = tfCreate(top, 0, 0, 200, 24, nullptr, nullptr);
    WSetFocusChild(tf->win);
    // é (2 bytes), 漢 (3 bytes, wide), e + combining acute (1 + 2), 😀 (4 bytes, wide)
    tfSetText(tf, "a\xC3\xA9\xE6\xBC\xA2" "e\xCC\x81\xF0\x9F\x98\x80z");
    keyInto(tf, WK_LEFT);
    keyInto(tf, WK_LEFT);
    EXPECT_EQ(tf->cursor, 9u); // before the emoji, not inside it
    keyInto(tf, WK_LEFT);
    EXPECT_EQ(tf->cursor, 6u); // the mark goes with its letter
    keyInto(tf, WK_BACKSPACE);
    EXPECT_EQ(tf->text, "a\xC3\xA9" "e\xCC\x81\xF0\x9F\x98\x80z");
    EXPECT_EQ(tf->cursor, 3u);
    keyInto(tf, WK_DELETE);
    EXPECT_EQ(tf->text, "a\xC3\xA9\xF0\x9F\x98\x80z");
    keyInto(tf, WK_RIGHT);
    EXPECT_EQ(tf->cursor, 7u);
    keyInto(tf, WK_HOME);
    keyInto(tf, WK_RIGHT);
    keyInto(tf, WK_RIGHT, "", WMOD_SHIFT);
    EXPECT_EQ(tf->anchor, 1u);
    EXPECT_EQ(tf->cursor, 3u);
    keyInto(tf, 0x3bb, "\xCE\xBB"); // typing over the selected é
    EXPECT_EQ(tf->text, "a\xCE\xBB\xF0\x9F\x98\x80z");
    keyInto(tf, WK_END);
    keyInto(tf, WK_BACKSPACE);
    keyInto(tf, WK_BACKSPACE);
    EXPECT_EQ(tf->text, "a\xCE\xBB");

    // Text that is not UTF-8 is taken byte by byte, as it is drawn.
    tfSetText(tf, "caf\xE9\xE9");
    keyInto(tf, WK_LEFT);
    keyInto(tf, WK_BACKSPACE);
    EXPECT_EQ(tf->text, "caf\xE9");
    tfDestroy(tf);
}

TEST_F(Widgets, TextFieldDrawsCharactersInTheirCells) {
    int fw = WFontWidth();
    // Room for 6 cells between the 4-pixel margins.
    TextField* tf = tfCreate(top, 0, 0, 6 * fw + 8, 24, nullptr, nullptr);
    WSetFocusChild(tf->win);
    tfSetText(tf, "\xE6\xBC\xA2" "e\xCC\x81x");
    int row = (24 - WFontHeight()) / 2 / 16;
    // Text starts in the first cell: the wide character takes cells 0-1, the e and its mark 2.
    EXPECT_EQ(WHeadlessCell(tf->win, 0, row).ch, U'\u6F22');
    EXPECT_EQ(WHeadlessCell(tf->win, 1, row).ch, 0u);
    EXPECT_EQ(WHeadlessCell(tf->win, 2, row).ch, U'e');
    EXPECT_EQ(WHeadlessCell(tf->win, 2, row).mark, U'\u0301');
    EXPECT_EQ(WHeadlessCell(tf->win, 3, row).ch, U'x');
    EXPECT_EQ(WHeadlessRows(tf->win)[(size_t)row].substr(0, 8), "\xE6\xBC\xA2" "e\xCC\x81x ");

    // A press lands on the nearest boundary: the left half of the wide character before it,
    // the right half after it.
    WHeadlessPost(button(tf->win, 4 + fw / 2 - 1, 10, 1));
    WHeadlessPost(button(tf->win, 4 + fw / 2 - 1, 10, -1));
    WEventAll(0);
    EXPECT_EQ(tf->cursor, 0u);
    WHeadlessPost(button(tf->win, 4 + fw + fw / 2, 10, 1));
    WHeadlessPost(button(tf->win, 4 + fw + fw / 2, 10, -1));
    WEventAll(0);
    EXPECT_EQ(tf->cursor, 3u);

    // Longer than the field: it scrolls a character at a time and keeps the caret in view.
    tfSetText(tf, "\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2\xE6\xBC\xA2");
    EXPECT_EQ(tf->scroll, 6u); // the last two wide characters and the caret's cell show
    EXPECT_EQ(WHeadlessCell(tf->win, 2, row).ch, U'\u6F22');
    EXPECT_EQ(WHeadlessCell(tf->win, 4, row).ch, U' ');
    // The selected part in the selection colours, whole characters.
    keyInto(tf, WK_LEFT, "", WMOD_SHIFT);
    EXPECT_EQ(WHeadlessCellBg(tf->win, 2, row), wPalette.select);
    EXPECT_EQ(WHeadlessCellBg(tf->win, 3, row), wPalette.select);
    EXPECT_NE(WHeadlessCellBg(tf->win, 1, row), wPalette.select);
    tfDestroy(tf);
}

TEST_F(Widgets, HeadlessTextKeepsCharacters) {
    WWindow* w = WCreateWindow(top, 0, 0, 160, 32, nullptr, nullptr);
    WDrawText(w, 8, 0, "\xCE\xBB\xE5\xAD\x97!", 6, 0, 0xffffff);
    EXPECT_EQ(WHeadlessCell(w, 1, 0).ch, U'\u03BB');
    EXPECT_EQ(WHeadlessCell(w, 2, 0).ch, U'\u5B57');
    EXPECT_EQ(WHeadlessCell(w, 4, 0).ch, U'!');
    EXPECT_EQ(WTextWidth("\xCE\xBB\xE5\xAD\x97!", 6), 4 * WFontWidth());
    // Not UTF-8: each byte its Latin-1 character.
    WDrawText(w, 0, 16, "\xE9t\xE9", 3, 0, 0xffffff);
    EXPECT_EQ(WHeadlessRows(w)[1].substr(0, 5), "\xC3\xA9t\xC3\xA9");
    WDestroyWindow(w);
}

TEST_F(Widgets, RegistryForwardsChildEventsWithTranslatedCoordinates) {
    struct Got {
        int x = -1, y = -1;
        WWindow* w = nullptr;
    } got;
    auto handler = [](WEvent& ev, void* data) -> int {
        auto* g = static_cast<Got*>(data);
        g->x = ev.x;
        g->y = ev.y;
        g->w = ev.window;
        return 1;
    };
    WWindow* parent = WCreateWindow(top, 10, 20, 200, 200, handler, &got);
    WWindow* child = WCreateWindow(parent, 30, 40, 50, 50, nullptr, nullptr);
    WForwardEvents(child, parent);
    unsigned long childId = child->id;
    WHeadlessPost(button(child, 1, 2, 1));
    WEventAll(0);
    EXPECT_EQ(got.w, parent);
    EXPECT_EQ(got.x, 31);
    EXPECT_EQ(got.y, 42);
    WDestroyWindow(parent); // takes the child with it
    EXPECT_EQ(WFindRegistration(childId), nullptr);
}

TEST_F(Widgets, ModalWindowRefusesInputElsewhere) {
    static int keys = 0;
    auto count = [](WEvent& ev, void*) -> int {
        if (ev.kind == WE_KEY) keys++;
        return 1;
    };
    WWindow* other = WCreateWindow(nullptr, 0, 0, 50, 50, count, nullptr);
    WWindow* modal = WCreateWindow(nullptr, 0, 0, 50, 50, count, nullptr);
    wModalWindow = modal;
    int beeps = WHeadlessBeeps();
    WEvent ev;
    ev.kind = WE_KEY;
    ev.key = 'q';
    ev.text = "q";
    ev.window = other;
    WHeadlessPost(ev);
    ev.window = modal;
    WHeadlessPost(ev);
    WEventAll(0);
    EXPECT_EQ(keys, 1);
    EXPECT_EQ(WHeadlessBeeps(), beeps + 1);
    wModalWindow = nullptr;
    WDestroyWindow(other);
    WDestroyWindow(modal);
}

} // namespace

namespace {

long clockSec = 100;
int clockMs = 0;
void testClock(long* s, int* ms) {
    *s = clockSec;
    *ms = clockMs;
}

struct Clicks : Widgets {
    struct Got {
        std::vector<std::pair<int, int>> events; // (direction, clicks)
        int kinds = 0;
    } got;
    WWindow* win = nullptr;
    void SetUp() override {
        Widgets::SetUp();
        wClock = testClock;
        wSettings.clickPause = 4;
        wSettings.ignoreMotion = 4;
        win = WCreateWindow(top, 0, 0, 100, 100, record, &got);
    }
    void TearDown() override {
        wClock = WSystemClock;
        WDestroyWindow(win);
        Widgets::TearDown();
    }
    static int record(WEvent& ev, void* data) {
        auto* g = static_cast<Got*>(data);
        if (ev.kind == WE_BUTTON)
            g->events.push_back({ev.direction, ev.clicks});
        else
            g->kinds++;
        return 1;
    }
    void post(int direction, unsigned long time, int x = 10, int y = 10) {
        WEvent ev = button(win, x, y, direction);
        ev.time = time;
        WHeadlessPost(ev);
    }
    void passTime(int ms) {
        clockMs += ms;
        clockSec += clockMs / 1000;
        clockMs %= 1000;
    }
};

using Ev = std::vector<std::pair<int, int>>;

TEST_F(Clicks, DoubleClickIsOnePressWithCountTwoWhenHeld) {
    WSetClickCallback(win, [](const WEvent& p, void*) { return p.clicks < 3 ? 1 : 0; }, nullptr);
    post(1, 1000);
    post(-1, 1050);
    post(1, 1200, 12, 11); // three pixels away: still the same place
    post(-1, 1250);
    WEventAll(0);
    EXPECT_TRUE(got.events.empty()); // held while another click may follow
    passTime(399);
    WEventAll(0);
    EXPECT_TRUE(got.events.empty());
    passTime(2);
    WEventAll(0);
    EXPECT_EQ(got.events, (Ev{{1, 2}, {-1, 2}}));
    // A third click within the pause would make it a triple; the callback allows no fourth,
    // so a triple is delivered at once.
    got.events.clear();
    post(1, 5000);
    post(1, 5100);
    post(1, 5200);
    WEventAll(0);
    EXPECT_EQ(got.events, (Ev{{1, 3}}));
}

TEST_F(Clicks, WithoutCallbackPressesArriveAtOnceWithTheirCount) {
    post(1, 1000);
    post(-1, 1010);
    post(1, 1100);
    post(1, 1600);         // after the pause: a new first click
    post(1, 1700, 30, 10); // too far away
    WEventAll(0);
    EXPECT_EQ(got.events, (Ev{{1, 1}, {-1, 1}, {1, 2}, {1, 1}, {1, 1}}));
}

TEST_F(Clicks, OtherEventsAndMovesEndAHeldClickFirst) {
    WSetClickCallback(win, [](const WEvent&, void*) { return 1; }, nullptr);
    post(1, 1000);
    post(0, 1010, 12, 10); // within ignoremotion: not reported
    WEvent expose;
    expose.kind = WE_EXPOSE;
    expose.window = win;
    WHeadlessPost(expose);
    WEventAll(0);
    EXPECT_EQ(got.events, (Ev{{1, 1}}));
    EXPECT_EQ(got.kinds, 1);
    got.events.clear();
    post(1, 3000);
    post(0, 3010, 40, 40); // a drag starts: the press goes first
    WEventAll(0);
    EXPECT_EQ(got.events, (Ev{{1, 1}, {0, 1}}));
}

} // namespace
