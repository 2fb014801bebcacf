// tests/toolkit/test_dialog.cc: dialogue widgets over the headless backend: focus traversal,
// the keys every dialogue understands, text-field selection and clipboards, list keys, the
// row/column layout and scripted answers.
#include <gtest/gtest.h>

#include <algorithm>

#include "toolkit/backend.h"
#include "toolkit/dialog.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/menu.h"
#include "toolkit/selection.h"
#include "toolkit/toolkit.h"
#include "toolkit/widgets.h"

namespace {

struct Dialogs : ::testing::Test {
    void SetUp() override {
        if (!wBackend) {
            wRequestedBackend = WB_HEADLESS;
            ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
        }
    }
};

WEvent key(WWindow* w, int code, const char* text = "", unsigned mods = 0) {
    WEvent ev;
    ev.kind = WE_KEY;
    ev.window = w;
    ev.key = code;
    ev.text = text;
    ev.modifiers = mods;
    return ev;
}

void typeInto(WWindow* w, const char* s) {
    for (const char* p = s; *p; p++) {
        char t[2] = {*p, 0};
        WHeadlessPost(key(w, (unsigned char)*p, t));
    }
}

// A dialogue with a field, a toggle, a list and OK/Cancel; `events` runs between showing it
// and its end.
struct Form {
    WDialog* d;
    Widget *field, *toggle, *list, *ok, *cancel;
    Form() {
        d = WDialogNew("Form");
        field = WDialogAdd(d, nullptr, WG_TEXTFIELD, "name", "");
        toggle = WDialogAdd(d, nullptr, WG_TOGGLE, "loud", "&Loud");
        list = WDialogAdd(d, nullptr, WG_LIST, "fruit", nullptr);
        list->items = {"apple", "banana", "cherry", "date"};
        Widget* row = WDialogAdd(d, nullptr, WG_ROW, nullptr, nullptr);
        ok = WDialogAdd(d, row, WG_BUTTON, "ok", "OK");
        ok->isDefault = true;
        cancel = WDialogAdd(d, row, WG_BUTTON, "no", "Cancel");
        cancel->isCancel = true;
        d->cancelResult = 7;
        WDialogShow(d);
    }
    ~Form() { WDialogDestroy(d); }
    Widget* focus() const {
        for (Widget* w : d->widgets)
            if (w->win && w->win == d->win->focusChild) return w;
        return nullptr;
    }
};

TEST_F(Dialogs, TabWalksTheWidgetsAndReturnPressesTheDefault) {
    Form f;
    EXPECT_EQ(f.focus(), f.field); // the first widget that takes the keyboard
    // Keys sent to any window of the dialogue (where the pointer rests) reach the focus.
    typeInto(f.d->win, "ab");
    WHeadlessPost(key(f.ok->win, WK_TAB));
    WEventAll(0);
    EXPECT_EQ(WidgetText(f.field), "ab");
    EXPECT_EQ(f.focus(), f.toggle);
    WHeadlessPost(key(f.d->win, ' ', " "));
    WHeadlessPost(key(f.d->win, WK_TAB));
    WHeadlessPost(key(f.d->win, WK_DOWN));
    WHeadlessPost(key(f.d->win, WK_DOWN));
    WEventAll(0);
    EXPECT_EQ(f.toggle->value, 1);
    EXPECT_EQ(f.focus(), f.list);
    EXPECT_EQ(f.list->value, 1); // nothing selected, Down goes to the first, then the second
    // Shift+Tab goes back; past the start it wraps to the end.
    WHeadlessPost(key(f.d->win, WK_TAB, "", WMOD_SHIFT));
    WHeadlessPost(key(f.d->win, WK_TAB, "", WMOD_SHIFT));
    WHeadlessPost(key(f.d->win, WK_TAB, "", WMOD_SHIFT));
    WEventAll(0);
    EXPECT_EQ(f.focus(), f.cancel);
    // Return on a focused button presses it; elsewhere it presses the default.
    WHeadlessPost(key(f.d->win, WK_TAB));
    WHeadlessPost(key(f.d->win, WK_RETURN));
    WEventAll(0);
    EXPECT_TRUE(f.d->done);
    EXPECT_EQ(f.d->result, 0); // the OK button is the first button
}

TEST_F(Dialogs, EscapePressesCancelAndAltLetterTheMnemonic) {
    Form f;
    WHeadlessPost(key(f.list->win, 'l', "l", WMOD_MOD1));
    WEventAll(0);
    EXPECT_EQ(f.toggle->value, 1);
    EXPECT_FALSE(f.d->done);
    WHeadlessPost(key(f.field->win, WK_ESCAPE));
    WEventAll(0);
    EXPECT_TRUE(f.d->done);
    EXPECT_EQ(f.d->result, 7);
}

TEST_F(Dialogs, ListKeysAndDoubleClick) {
    Form f;
    int activations = 0, lastHow = -1;
    f.d->user = &activations;
    static int* seen;
    static int* how;
    seen = &activations;
    how = &lastHow;
    f.d->activate = [](WDialog*, Widget* w, int h) {
        if (w->kind == WG_LIST) (*seen)++, *how = h;
    };
    WidgetFocus(f.list);
    WHeadlessPost(key(f.d->win, WK_END));
    WHeadlessPost(key(f.d->win, 'b', "b"));
    WEventAll(0);
    EXPECT_EQ(f.list->value, 1); // "b" goes to banana
    WEvent press;
    press.kind = WE_BUTTON;
    press.window = f.list->win;
    press.direction = 1;
    press.button = 1;
    press.x = 10;
    press.y = 2 + 2 * WFontHeight() + 3;
    press.time = 1000;
    WEvent release = press;
    release.direction = -1;
    WHeadlessPost(press); // the click counter makes the second press a double click
    WHeadlessPost(release);
    press.time = release.time = 1100;
    WHeadlessPost(press);
    WHeadlessPost(release);
    WEventAll(0);
    EXPECT_EQ(f.list->value, 2);
    EXPECT_EQ(lastHow, WACT_DOUBLE);
    EXPECT_EQ(activations, 4); // End, "b", the click that selects, the double click
}

TEST_F(Dialogs, TextFieldSelectionAndClipboards) {
    Form f;
    WidgetSetText(f.field, "hello world");
    WWindow* w = f.field->win;
    // Shift+Left twice selects "ld"; typing replaces it; Shift+Home and Control+C copy.
    WHeadlessPost(key(w, WK_LEFT, "", WMOD_SHIFT));
    WHeadlessPost(key(w, WK_LEFT, "", WMOD_SHIFT));
    typeInto(w, "LD");
    WHeadlessPost(key(w, WK_HOME, "", WMOD_SHIFT));
    WHeadlessPost(key(w, 'c', "\003", WMOD_CONTROL));
    WEventAll(0);
    EXPECT_EQ(WidgetText(f.field), "hello worLD");
    std::string text;
    int type = 0;
    ASSERT_TRUE(WSelectionOwned(1, &text, &type));
    EXPECT_EQ(text, "hello worLD");
    ASSERT_TRUE(WSelectionOwned(0, &text, &type)); // Shift made it the PRIMARY selection too
    // Control+X cuts; Control+V pastes the clipboard back (its answer arrives as an event).
    WHeadlessPost(key(w, 'x', "\030", WMOD_CONTROL));
    WEventAll(0);
    EXPECT_EQ(WidgetText(f.field), "");
    WHeadlessPost(key(w, 'v', "\026", WMOD_CONTROL));
    WHeadlessPost(key(w, 'v', "\026", WMOD_CONTROL));
    WEventAll(0);
    WEventAll(0);
    EXPECT_EQ(WidgetText(f.field), "hello worLDhello worLD");
}

TEST_F(Dialogs, RowsAndColumnsShareSpareRoomByStretch) {
    WDialog* d = WDialogNew("Layout");
    Widget* row = WDialogAdd(d, nullptr, WG_ROW, nullptr, nullptr);
    Widget* a = WDialogAdd(d, row, WG_TEXTFIELD, "a", "");
    Widget* b = WDialogAdd(d, row, WG_TEXTFIELD, "b", "");
    Widget* c = WDialogAdd(d, row, WG_BUTTON, "c", "C");
    a->columns = b->columns = 10;
    a->stretch = 1;
    b->stretch = 3;
    c->align = WALIGN_CENTER;
    Widget* list = WDialogAdd(d, nullptr, WG_LIST, "l", nullptr);
    list->stretch = 1;
    WDialogRealize(d);
    int w0 = a->width, b0 = b->width, l0 = list->height;
    EXPECT_EQ(a->width, b->width);
    // Growing the window by 400 pixels gives a a quarter of it and b three quarters.
    WEvent resize;
    resize.kind = WE_RESIZE;
    resize.window = d->win;
    WMoveResize(d->win, 0, 0, d->win->width + 400, d->win->height + 160);
    resize.width = d->win->width;
    resize.height = d->win->height;
    WHeadlessPost(resize);
    WEventAll(0);
    EXPECT_EQ(a->width - w0, 100);
    EXPECT_EQ(b->width - b0, 300);
    EXPECT_EQ(list->height - l0, 160); // the only stretching child of the column
    EXPECT_EQ(c->x, b->x + b->width + 6); // the gap between neighbours
    EXPECT_EQ(c->y, row->y + (row->height - c->height) / 2);
    WDialogDestroy(d);
}

TEST_F(Dialogs, StructuredAnswersSetWidgetsAndPressAButton) {
    Form f;
    EXPECT_EQ(WDialogApplyAnswer(&*f.d, "name=a\\;b;loud=yes;fruit=3;OK"), 1);
    EXPECT_EQ(WidgetText(f.field), "a;b");
    EXPECT_EQ(f.toggle->value, 1);
    EXPECT_EQ(f.list->value, 2);
    EXPECT_TRUE(f.d->done);
    Form g;
    EXPECT_EQ(WDialogApplyAnswer(g.d, "name=x;fruit=kiwi;OK"), 0); // no such entry
    EXPECT_FALSE(g.d->done);
    EXPECT_EQ(WDialogApplyAnswer(g.d, "Cancel"), 1);
    EXPECT_EQ(g.d->result, 7);
}

TEST_F(Dialogs, MenusAnswerFromTheScriptWithDimmedItemsRefused) {
    WMenu m;
    m.title = "Test";
    WMenuItem a, b, sub;
    a.label = "&Alpha";
    b.label = "&Beta";
    b.enabled = false;
    sub.label = "&More";
    sub.submenu = new WMenu;
    WMenuItem g;
    g.label = "&Gamma";
    g.command = "gamma";
    sub.submenu->items.push_back(g);
    m.items = {a, b, sub};
    testing::internal::CaptureStdout();
    WQueueAnswer("beta");
    WMenuResult r1 = WMenuRun(&m, 0, 0);
    WQueueAnswer("More/Gamma");
    WMenuResult r2 = WMenuRun(&m, 0, 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(r1.item, nullptr);
    ASSERT_NE(r2.item, nullptr);
    EXPECT_EQ(r2.item->command, "gamma");
    EXPECT_EQ(out, "Alpha, (Beta), More -> <cancel>\nAlpha, (Beta), More -> Gamma\n");
}

} // namespace

// A notebook of two pages, each with a field, above an OK button.
struct Notebook {
    WDialog* d;
    Widget *tabs, *one, *two, *first, *second, *ok;
    std::vector<std::string> changed;
    Notebook() {
        d = WDialogNew("Notebook");
        tabs = WDialogAdd(d, nullptr, WG_TABS, "tabs", nullptr);
        one = WDialogAdd(d, tabs, WG_PAGE, "pageOne", "&One");
        first = WDialogAdd(d, one, WG_TEXTFIELD, "first", "");
        two = WDialogAdd(d, tabs, WG_PAGE, "pageTwo", "&Second page");
        second = WDialogAdd(d, two, WG_TEXTFIELD, "second", "");
        second->columns = 60; // the wider page sets the notebook's width
        ok = WDialogAdd(d, nullptr, WG_BUTTON, "ok", "OK");
        ok->isDefault = true;
        d->user = this;
        d->changed = [](WDialog* dd, Widget* w) {
            static_cast<Notebook*>(dd->user)->changed.push_back(w->name);
        };
        WDialogShow(d);
    }
    ~Notebook() { WDialogDestroy(d); }
    Widget* focus() const {
        for (Widget* w : d->widgets)
            if (w->win && w->win == d->win->focusChild) return w;
        return nullptr;
    }
};

TEST_F(Dialogs, NotebookShowsOnePageAndTurnsByKeyClickAndAnswer) {
    Notebook n;
    EXPECT_EQ(n.tabs->items, (std::vector<std::string>{"&One", "&Second page"}));
    EXPECT_TRUE(WidgetShown(n.first));
    EXPECT_FALSE(WidgetShown(n.second));
    // Both pages get the same room, as large as the larger page.
    EXPECT_EQ(n.one->width, n.two->width);
    EXPECT_GE(n.one->width, 60 * WFontWidth());
    // Tab walks the notebook, the shown page's field and OK, never the hidden field.
    std::vector<Widget*> seen;
    for (int i = 0; i < 4; i++) {
        WHeadlessPost(key(n.d->win, WK_TAB));
        WEventAll(0);
        seen.push_back(n.focus());
    }
    EXPECT_EQ(std::count(seen.begin(), seen.end(), n.second), 0);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), n.tabs), 1);
    // Typing into a field tells the dialogue's owner.
    WidgetFocus(n.first);
    typeInto(n.d->win, "x");
    WEventAll(0);
    EXPECT_EQ(n.changed, std::vector<std::string>{"first"});
    // Control+Page Down turns the page from within it; the focus leaves the hidden page.
    WHeadlessPost(key(n.d->win, WK_NEXT, "", WMOD_CONTROL));
    WEventAll(0);
    EXPECT_EQ(n.tabs->value, 1);
    EXPECT_TRUE(WidgetShown(n.second));
    EXPECT_FALSE(WidgetShown(n.first));
    EXPECT_EQ(n.focus(), n.tabs);
    EXPECT_FALSE(WidgetTakesFocus(n.first));
    // Left on the focused tabs goes back; Alt and a tab's mnemonic turns to its page.
    WHeadlessPost(key(n.d->win, WK_LEFT));
    WEventAll(0);
    EXPECT_EQ(n.tabs->value, 0);
    WHeadlessPost(key(n.d->win, 's', "s", WMOD_MOD1));
    WEventAll(0);
    EXPECT_EQ(n.tabs->value, 1);
    // A click on the first tab.
    WEvent click;
    click.kind = WE_BUTTON;
    click.window = n.tabs->win;
    click.button = 1;
    click.direction = 1;
    click.x = 10;
    click.y = 5;
    WHeadlessPost(click);
    click.direction = -1;
    WHeadlessPost(click);
    WEventAll(0);
    EXPECT_EQ(n.tabs->value, 0);
    // A batch answer turns to a page by label, number or name, and sets a hidden page's field.
    EXPECT_EQ(WDialogApplyAnswer(n.d, "tabs=second page"), 1);
    EXPECT_EQ(n.tabs->value, 1);
    EXPECT_EQ(WDialogApplyAnswer(n.d, "tabs=pageOne;second=hidden"), 1);
    EXPECT_EQ(n.tabs->value, 0);
    EXPECT_EQ(WidgetText(n.second), "hidden");
    EXPECT_EQ(n.changed.back(), "second");
    EXPECT_EQ(WDialogApplyAnswer(n.d, "tabs=3"), 0);
}

TEST_F(Dialogs, ColourBoxPaintsTheColourItsTextNames) {
    WDialog* d = WDialogNew("Swatch");
    Widget* box = WDialogAdd(d, nullptr, WG_COLORBOX, "background", "#ff0000");
    WDialogShow(d);
    WidgetRedraw(box);
    int cols = box->win->width / 8, rows = box->win->height / 16;
    ASSERT_GE(cols, 2);
    ASSERT_GE(rows, 1);
    EXPECT_EQ(WHeadlessCellBg(box->win, 1, 0), 0xff0000u);
    WidgetSetText(box, "blue"); // a name, not only "#rrggbb"
    EXPECT_EQ(WHeadlessCellBg(box->win, 1, 0), 0x0000ffu);
    EXPECT_FALSE(WidgetTakesFocus(box));
    WidgetSetText(box, "no such colour");
    EXPECT_NE(WHeadlessCellBg(box->win, 1, 0), 0x0000ffu);
    std::string shown;
    for (const std::string& r : WHeadlessRows(box->win)) shown += r;
    EXPECT_NE(shown.find('?'), std::string::npos);
    WDialogDestroy(d);
}

TEST_F(Dialogs, AModalDialogueLeavesInputToWindowsMarkedForIt) {
    WWindow* modal = WCreateWindow(nullptr, 0, 0, 50, 50, nullptr, nullptr);
    WWindow* other = WCreateWindow(nullptr, 0, 0, 50, 50, nullptr, nullptr);
    WWindow* child = WCreateWindow(other, 0, 0, 10, 10, nullptr, nullptr);
    WWindow* saved = wModalWindow;
    wModalWindow = modal;
    EXPECT_TRUE(WInputAllowed(modal));
    EXPECT_FALSE(WInputAllowed(child));
    other->inputDuringModal = true; // a help window: its parts take input too
    EXPECT_TRUE(WInputAllowed(child));
    wModalWindow = saved;
    WDestroyWindow(other);
    WDestroyWindow(modal);
}
