// tests/toolkit/test_dialog.cc: dialogue widgets over the headless backend: focus traversal,
// the keys every dialogue understands, text-field selection and clipboards, list keys, the
// row/column layout and scripted answers.
#include <gtest/gtest.h>

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
