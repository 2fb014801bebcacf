// toolkit/dlgwidgets.cc: what each kind of dialogue widget draws and how it takes the pointer
// and the keyboard.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/error.h"
#include "toolkit/dialog.h"
#include "toolkit/dlgpriv.h"
#include "toolkit/scrollbar.h"
#include "toolkit/widgets.h"

Seam<WEditorPane> wEditorPane{"WEditorPane", "editor"};

namespace {

bool hasFocus(const Widget* w) {
    WWindow* top = WTopLevelOf(w->win);
    return top && w->win && top->focusChild == w->win;
}

void focusFrame(Widget* w) {
    if (hasFocus(w)) WDrawRect(w->win, 1, 1, w->win->width - 2, w->win->height - 2,
                               wPalette.foreground);
}

WColor textColour(const Widget* w) {
    return WidgetTakesInput(w) ? wPalette.foreground : wPalette.controlDark;
}

void drawButton(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    int inset = w->isDefault ? 2 : 0;
    if (w->isDefault) WDrawRect(win, 0, 0, win->width, win->height, wPalette.foreground);
    WBevel(win, inset, inset, win->width - 2 * inset, win->height - 2 * inset, !w->pressed);
    int tw = WLabelWidth(w->label);
    int tx = std::max(3, (win->width - tw) / 2), ty = (win->height - WFontHeight()) / 2;
    WDrawLabel(win, tx, ty, w->label, textColour(w), wPalette.control);
    if (hasFocus(w)) WDrawRect(win, 4, 4, win->width - 8, win->height - 8, wPalette.controlDark);
}

// A check box (square) or radio mark (diamond) at x, with its label after it.
void drawMark(WWindow* win, int x, int y, bool radio, bool on) {
    int s = WFontHeight() - 4;
    if (radio) {
        int c = s / 2;
        WFillTriangle(win, x, y + c, x + c, y, x + s, y + c, wPalette.controlDark);
        WFillTriangle(win, x, y + c, x + c, y + s, x + s, y + c, wPalette.controlLight);
        if (on) {
            int d = s / 4;
            WFillTriangle(win, x + d, y + c, x + c, y + d, x + s - d, y + c, wPalette.foreground);
            WFillTriangle(win, x + d, y + c, x + c, y + s - d, x + s - d, y + c,
                          wPalette.foreground);
        }
        return;
    }
    WFillRect(win, x, y, s, s, wPalette.background);
    WBevel(win, x, y, s, s, false);
    if (on) WFillRect(win, x + 3, y + 3, s - 6, s - 6, wPalette.foreground);
}

int rowHeight() {
    return WFontHeight() + 6;
}

void drawToggle(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    int y = (win->height - WFontHeight()) / 2;
    drawMark(win, 3, y + 2, false, w->value != 0);
    WDrawLabel(win, WFontHeight() + 6, y, w->label, textColour(w), wPalette.control);
    focusFrame(w);
}

void drawButtonSet(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    int x = 0, y = 0;
    for (size_t i = 0; i < w->items.size(); i++) {
        drawMark(win, x + 3, y + 4, true, (int)i == w->value);
        WDrawLabel(win, x + WFontHeight() + 6, y + 2, w->items[i], textColour(w), wPalette.control);
        int iw = WFontHeight() + 10 + WLabelWidth(w->items[i]);
        if (hasFocus(w) && (int)i == w->focusItem)
            WDrawRect(win, x + 1, y + 1, iw, rowHeight() - 2, wPalette.foreground);
        if (w->vertical)
            y += rowHeight();
        else
            x += iw + WFontWidth();
    }
}

int listRows(const Widget* w) {
    return std::max(1, (w->win->height - 4) / WFontHeight());
}

void drawList(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.background);
    int fh = WFontHeight();
    int rows = listRows(w);
    for (int r = 0; r < rows; r++) {
        int i = w->top + r;
        if (i >= (int)w->items.size()) break;
        bool sel = w->multiple ? i < (int)w->marks.size() && w->marks[(size_t)i] : i == w->value;
        WColor bg = sel ? wPalette.select : wPalette.background;
        WColor fg = sel ? wPalette.selectText : wPalette.foreground;
        if (sel) WFillRect(win, 2, 2 + r * fh, win->width - 4, fh, bg);
        WDrawText(win, 4, 2 + r * fh, w->items[i].data(), (int)w->items[i].size(), fg, bg);
        if (w->multiple && i == w->value && hasFocus(w))
            WDrawRect(win, 2, 2 + r * fh, win->width - 5, fh - 1, wPalette.foreground);
    }
    WBevel(win, 0, 0, win->width, win->height, false);
    if (hasFocus(w)) WDrawRect(win, 1, 1, win->width - 2, win->height - 2, wPalette.controlDark);
}

void drawOptionMenu(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    WBevel(win, 0, 0, win->width, win->height, true);
    std::string shown = w->value >= 0 && w->value < (int)w->items.size() ? w->items[w->value] : "";
    int ty = (win->height - WFontHeight()) / 2;
    WDrawLabel(win, 6, ty, shown, textColour(w), wPalette.control);
    // The mark that tells it opens a menu.
    int s = WFontHeight() / 2, mx = win->width - s - 8, my = (win->height - s / 2) / 2;
    WFillTriangle(win, mx, my, mx + s, my, mx + s / 2, my + s / 2, wPalette.foreground);
    focusFrame(w);
}

void drawPlainLabel(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    int y = 0;
    size_t start = 0;
    while (start <= w->label.size()) {
        size_t end = w->label.find('\n', start);
        if (end == std::string::npos) end = w->label.size();
        std::string line = w->label.substr(start, end - start);
        if (w->font.empty())
            WDrawLabel(win, 0, y, line, wPalette.foreground, wPalette.control);
        else
            WDrawTextInFont(win, 0, y, w->font, line.data(), (int)line.size(), wPalette.foreground,
                            wPalette.control);
        y += WFontHeight();
        start = end + 1;
    }
}

// The colour its text names, or a question mark when the text names none.
void drawColorBox(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    int r, g, b;
    if (WParseColor(w->label.c_str(), &r, &g, &b)) {
        // As "#rrggbb", which every backend allocates (the headless one knows no names).
        char spec[16];
        snprintf(spec, sizeof spec, "#%02x%02x%02x", (r >> 8) & 0xff, (g >> 8) & 0xff, (b >> 8) & 0xff);
        WFillRect(win, 2, 2, win->width - 4, win->height - 4, WAllocColor(spec, wPalette.control));
    } else {
        WDrawLabel(win, (win->width - WFontWidth()) / 2, (win->height - WFontHeight()) / 2, "?",
                   wPalette.foreground, wPalette.control);
    }
    WBevel(win, 0, 0, win->width, win->height, false);
}

// The tabs in a row along the top; the chosen one stands taller and opens into the page's frame.
void drawTabs(Widget* w) {
    WWindow* win = w->win;
    int strip = WTabStripHeight(), fh = WFontHeight();
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    WBevel(win, 0, strip - 1, win->width, win->height - strip + 1, true);
    int x = 2;
    for (size_t i = 0; i < w->items.size(); i++) {
        int tw = WTabWidth(w->items[i]);
        bool on = (int)i == w->value;
        int top = on ? 0 : 3;
        WBevel(win, x, top, tw, strip - top + (on ? 1 : -1), true);
        if (on) WFillRect(win, x + 1, strip - 1, tw - 2, 2, wPalette.control);
        int ty = top + (strip - top - fh) / 2;
        WDrawLabel(win, x + WFontWidth() + 2, ty, w->items[i], textColour(w), wPalette.control);
        if (on && hasFocus(w)) WDrawRect(win, x + 3, ty - 1, tw - 6, fh + 2, wPalette.foreground);
        x += tw;
    }
}

// Which tab lies under x, or -1.
int tabAt(Widget* w, int x) {
    int left = 2;
    for (size_t i = 0; i < w->items.size(); i++) {
        int tw = WTabWidth(w->items[i]);
        if (x >= left && x < left + tw) return (int)i;
        left += tw;
    }
    return -1;
}

void notifyChanged(Widget* w) {
    if (w->dialog && w->dialog->changed) w->dialog->changed(w->dialog, w);
}

void drawSeparator(Widget* w) {
    WWindow* win = w->win;
    WFillRect(win, 0, 0, win->width, win->height, wPalette.control);
    if (win->width >= win->height) {
        int y = win->height / 2 - 1;
        WFillRect(win, 0, y, win->width, 1, wPalette.controlDark);
        WFillRect(win, 0, y + 1, win->width, 1, wPalette.controlLight);
    } else {
        int x = win->width / 2 - 1;
        WFillRect(win, x, 0, 1, win->height, wPalette.controlDark);
        WFillRect(win, x + 1, 0, 1, win->height, wPalette.controlLight);
    }
}

void listShow(Widget* w, int index) {
    int rows = listRows(w);
    if (index >= 0 && index < w->top) w->top = index;
    if (index >= w->top + rows) w->top = index - rows + 1;
    int maxTop = std::max(0, (int)w->items.size() - rows);
    w->top = std::clamp(w->top, 0, maxTop);
    if (w->sb) {
        sbSetScroller(w->sb, (int64_t)w->items.size(), rows);
        sbSetPos(w->sb, w->top);
    }
}

void listSelect(Widget* w, int index, int how) {
    if (w->items.empty()) return;
    index = std::clamp(index, 0, (int)w->items.size() - 1);
    if (w->multiple && how != WACT_SELECT) {
        // A click or Space on an entry flips its mark; the arrows only move.
        w->marks.resize(w->items.size(), 0);
        w->marks[(size_t)index] = !w->marks[(size_t)index];
        w->value = index;
        listShow(w, index);
        drawList(w);
        WidgetActivated(w, WACT_SELECT);
        return;
    }
    bool changed = index != w->value;
    w->value = index;
    listShow(w, index);
    drawList(w);
    if (changed || how == WACT_DOUBLE) WidgetActivated(w, how);
}

void listScrolled(ScrollBar*, int action, int64_t pos, void* data) {
    auto* w = static_cast<Widget*>(data);
    int rows = listRows(w);
    switch (action) {
    case SB_LINEUP: w->top--; break;
    case SB_LINEDOWN: w->top++; break;
    case SB_PAGEUP: w->top -= rows; break;
    case SB_PAGEDOWN: w->top += rows; break;
    case SB_TRACK: w->top = (int)pos; break;
    }
    listShow(w, -1);
    drawList(w);
}

void listKey(Widget* w, const WEvent& ev) {
    int rows = listRows(w), n = (int)w->items.size();
    int at = w->value;
    switch (ev.key) {
    case WK_UP: at = at < 0 ? n - 1 : at - 1; break;
    case WK_DOWN: at = at + 1; break;
    case WK_PRIOR: at -= rows - 1; break;
    case WK_NEXT: at = (at < 0 ? 0 : at) + rows - 1; break;
    case WK_HOME: at = 0; break;
    case WK_END: at = n - 1; break;
    default:
        if (w->multiple && ev.text == " " && at >= 0) {
            listSelect(w, at, WACT_PRESS);
            return;
        }
        // A typed character goes to the next entry that starts with it.
        if (ev.text.size() == 1 && !(ev.modifiers & (WMOD_CONTROL | WMOD_MOD1))) {
            for (int k = 1; k <= n; k++) {
                int i = ((at < 0 ? -1 : at) + k) % n;
                if (!w->items[i].empty() && tolower((unsigned char)w->items[i][0]) ==
                                                tolower((unsigned char)ev.text[0])) {
                    listSelect(w, i, WACT_SELECT);
                    return;
                }
            }
        }
        return;
    }
    listSelect(w, at, WACT_SELECT);
}

// Which choice of a button set lies under (x, y).
int buttonSetItemAt(Widget* w, int x, int y) {
    if (w->vertical) return y / rowHeight();
    int left = 0;
    for (size_t i = 0; i < w->items.size(); i++) {
        int iw = WFontHeight() + 10 + WLabelWidth(w->items[i]) + WFontWidth();
        if (x < left + iw) return (int)i;
        left += iw;
    }
    return -1;
}

void setChoice(Widget* w, int i) {
    if (i < 0 || i >= (int)w->items.size()) return;
    w->focusItem = i;
    bool changed = w->value != i;
    w->value = i;
    WidgetRedraw(w);
    if (!changed) return;
    notifyChanged(w);
    WidgetActivated(w, w->kind == WG_OPTIONMENU ? WACT_SELECT : WACT_PRESS);
}

int widgetEvent(WEvent& ev, void* data) {
    auto* w = static_cast<Widget*>(data);
    if (ev.kind == WE_EXPOSE || ev.kind == WE_RESIZE) {
        WidgetRedraw(w);
        return 1;
    }
    bool press = ev.kind == WE_BUTTON && ev.direction > 0;
    if (ev.kind == WE_BUTTON && !WidgetTakesInput(w)) return 1;
    if (press && (ev.button == 1 || ev.button == 2) && WidgetTakesFocus(w)) WidgetFocus(w);
    switch (w->kind) {
    case WG_BUTTON:
        if (ev.kind != WE_BUTTON || ev.button != 1) break;
        if (press) {
            w->pressed = true;
            drawButton(w);
        } else if (ev.direction < 0 && w->pressed) {
            w->pressed = false;
            drawButton(w);
            if (ev.x >= 0 && ev.y >= 0 && ev.x < w->win->width && ev.y < w->win->height)
                WidgetPress(w);
        }
        break;
    case WG_TOGGLE:
        if (press && ev.button == 1) WidgetPress(w);
        if (ev.kind == WE_KEY && ev.text == " ") WidgetPress(w);
        break;
    case WG_BUTTONSET:
        if (press && ev.button == 1) setChoice(w, buttonSetItemAt(w, ev.x, ev.y));
        if (ev.kind == WE_KEY) {
            int n = (int)w->items.size();
            if (ev.key == WK_UP || ev.key == WK_LEFT) w->focusItem = (w->focusItem + n - 1) % n;
            if (ev.key == WK_DOWN || ev.key == WK_RIGHT) w->focusItem = (w->focusItem + 1) % n;
            if (ev.text == " ") setChoice(w, w->focusItem);
            WidgetRedraw(w);
        }
        break;
    case WG_LIST:
        if (press && (ev.button == 4 || ev.button == 5)) {
            listScrolled(w->sb, ev.button == 4 ? SB_LINEUP : SB_LINEDOWN, 0, w);
            listScrolled(w->sb, ev.button == 4 ? SB_LINEUP : SB_LINEDOWN, 0, w);
            listScrolled(w->sb, ev.button == 4 ? SB_LINEUP : SB_LINEDOWN, 0, w);
        } else if (press && ev.button == 1) {
            int i = w->top + (ev.y - 2) / WFontHeight();
            if (i >= 0 && i < (int)w->items.size())
                listSelect(w, i, w->multiple ? WACT_PRESS
                                 : ev.clicks >= 2 ? WACT_DOUBLE : WACT_SELECT);
        }
        if (ev.kind == WE_KEY) listKey(w, ev);
        break;
    case WG_OPTIONMENU:
        if (press && ev.button == 1) WOptionMenuPopup(w);
        if (ev.kind == WE_KEY) {
            int n = (int)w->items.size();
            if (n == 0) break;
            if (ev.key == WK_UP) setChoice(w, (w->value + n - 1) % n);
            if (ev.key == WK_DOWN) setChoice(w, (w->value + 1) % n);
            if (ev.text == " ") WOptionMenuPopup(w);
        }
        break;
    case WG_TABS:
        if (press && ev.button == 1 && ev.y < WTabStripHeight()) {
            int i = tabAt(w, ev.x);
            if (i >= 0) WTabsSelect(w, i);
        }
        if (ev.kind == WE_KEY) {
            int n = (int)w->items.size();
            if (n == 0) break;
            if (ev.key == WK_LEFT) WTabsSelect(w, (w->value + n - 1) % n);
            if (ev.key == WK_RIGHT) WTabsSelect(w, (w->value + 1) % n);
            if (ev.key == WK_HOME) WTabsSelect(w, 0);
            if (ev.key == WK_END) WTabsSelect(w, n - 1);
        }
        break;
    default:
        break;
    }
    return 1;
}

void fieldChanged(TextField*, void* data) {
    notifyChanged(static_cast<Widget*>(data));
}

} // namespace

bool WidgetShown(const Widget* w) {
    for (; w; w = w->parent)
        if (w->hidden) return false;
    return true;
}

bool WidgetTakesInput(const Widget* w) {
    if (!w->enabled || !WidgetShown(w)) return false;
    int level = w->dialog ? w->dialog->level : 0;
    return (w->levels >> level) & 1u;
}

bool WidgetTakesFocus(const Widget* w) {
    if (!WidgetShown(w)) return false;
    switch (w->kind) {
    case WG_LABEL:
    case WG_SEPARATOR:
    case WG_ROW:
    case WG_COLUMN:
    case WG_PAGE:
    case WG_COLORBOX:
        return false;
    case WG_TABS:
    case WG_BUTTONSET:
    case WG_LIST:
    case WG_OPTIONMENU:
        return !w->items.empty() && WidgetTakesInput(w);
    default:
        return WidgetTakesInput(w);
    }
}

int WLabelWidth(const std::string& label) {
    std::string shown;
    for (size_t i = 0; i < label.size(); i++) {
        if (label[i] == '&' && i + 1 < label.size()) i++;
        shown.push_back(label[i]);
    }
    return WTextWidth(shown.data(), (int)shown.size());
}

void WidgetCreateWindow(Widget* w, WWindow* parent) {
    switch (w->kind) {
    case WG_ROW:
    case WG_COLUMN:
    case WG_PAGE:
        for (Widget* c : w->children) WidgetCreateWindow(c, parent);
        return;
    case WG_TEXTFIELD: {
        w->field = tfCreate(parent, 0, 0, 1, 1, nullptr, w);
        w->field->changed = fieldChanged;
        w->win = w->field->win;
        tfSetText(w->field, w->label);
        return;
    }
    case WG_EDITOR:
        // Programs without the editor (the harnesses of the dialogue language) cannot have one.
        if (!wEditorPane.installed())
            Panic("An editor pane was asked for, but no editor is linked into the program");
        w->pane = wEditorPane->create(parent, 0, 0, 1, 1);
        w->win = wEditorPane->focusWindow(w->pane);
        if (!w->label.empty()) wEditorPane->setText(w->pane, w->label);
        return;
    default:
        break;
    }
    w->win = WCreateWindow(parent, 0, 0, 1, 1, widgetEvent, w);
    WSetBackground(w->win, w->kind == WG_LIST ? wPalette.background : wPalette.control);
    WMapWindow(w->win);
    if (w->kind == WG_LIST) {
        w->sb = sbCreate(parent, 0, 0, 1, 1, true, listScrolled, w);
        if (w->value >= (int)w->items.size()) w->value = -1;
    }
    // The pages' windows go above the notebook's own, which draws the tabs and the frame.
    if (w->kind == WG_TABS)
        for (Widget* c : w->children) WidgetCreateWindow(c, parent);
}

void WidgetPlaceWindow(Widget* w) {
    if (w->kind == WG_ROW || w->kind == WG_COLUMN || w->kind == WG_PAGE) return;
    if (w->kind == WG_EDITOR) {
        wEditorPane->place(w->pane, w->x, w->y, w->width, w->height);
        return;
    }
    if (w->kind == WG_LIST) {
        int sbw = WScrollBarWidth();
        WMoveResize(w->win, w->x, w->y, std::max(1, w->width - sbw), w->height);
        sbMoveResize(w->sb, w->x + w->width - sbw, w->y, sbw, w->height);
        listShow(w, w->value);
        return;
    }
    WMoveResize(w->win, w->x, w->y, w->width, w->height);
}

void WidgetDestroy(Widget* w) {
    for (Widget* c : w->children) WidgetDestroy(c);
    if (w->kind == WG_EDITOR && w->pane) wEditorPane->destroy(w->pane);
    if (w->sb) sbDestroy(w->sb);
    delete w->field; // its window goes with the dialogue's
    delete w;
}

void WidgetRedraw(Widget* w) {
    if (!w->win || !WidgetShown(w)) return;
    switch (w->kind) {
    case WG_LABEL: drawPlainLabel(w); break;
    case WG_BUTTON: drawButton(w); break;
    case WG_TOGGLE: drawToggle(w); break;
    case WG_BUTTONSET: drawButtonSet(w); break;
    case WG_TEXTFIELD: w->field->editable = WidgetTakesInput(w); tfDraw(w->field); break;
    case WG_LIST: drawList(w); break;
    case WG_OPTIONMENU: drawOptionMenu(w); break;
    case WG_SEPARATOR: drawSeparator(w); break;
    case WG_COLORBOX: drawColorBox(w); break;
    case WG_TABS: drawTabs(w); break;
    default: break;
    }
}

void WidgetPress(Widget* w) {
    if (!WidgetTakesInput(w)) return;
    if (w->kind == WG_TOGGLE) {
        w->value = !w->value;
        drawToggle(w);
        notifyChanged(w);
    }
    if (w->kind == WG_BUTTON) w->dialog->pressedButton = w;
    WidgetActivated(w, WACT_PRESS);
}

void WidgetSetText(Widget* w, const std::string& text) {
    switch (w->kind) {
    case WG_TEXTFIELD:
        tfSetText(w->field, text);
        break;
    case WG_EDITOR:
        if (w->pane) wEditorPane->setText(w->pane, text);
        break;
    default:
        w->label = text;
        WidgetRedraw(w);
        break;
    }
}

std::string WidgetText(Widget* w) {
    switch (w->kind) {
    case WG_TEXTFIELD: return w->field ? w->field->text : w->label;
    case WG_EDITOR: return w->pane ? wEditorPane->getText(w->pane) : w->label;
    case WG_LIST:
    case WG_OPTIONMENU:
    case WG_BUTTONSET:
    case WG_TABS:
        return w->value >= 0 && w->value < (int)w->items.size() ? w->items[w->value] : "";
    default: return w->label;
    }
}

void WidgetSetValue(Widget* w, int value) {
    switch (w->kind) {
    case WG_LIST:
        w->value = value >= 0 && value < (int)w->items.size() ? value : -1;
        if (w->win) {
            listShow(w, w->value);
            drawList(w);
        }
        break;
    case WG_BUTTONSET:
    case WG_OPTIONMENU:
        if (value >= 0 && value < (int)w->items.size()) w->value = w->focusItem = value;
        WidgetRedraw(w);
        break;
    case WG_TABS:
        WTabsSelect(w, value);
        break;
    default:
        w->value = value;
        WidgetRedraw(w);
        break;
    }
}

void WidgetSetItems(Widget* w, const std::vector<std::string>& items) {
    w->items = items;
    if (w->value >= (int)items.size()) w->value = items.empty() ? -1 : (int)items.size() - 1;
    if (w->kind == WG_LIST) {
        w->top = 0;
        w->value = -1;
        w->marks.assign(items.size(), 0);
        if (w->win) listShow(w, -1);
    }
    WidgetRedraw(w);
}

void WidgetMarkAll(Widget* w, bool on) {
    w->marks.assign(w->items.size(), on ? 1 : 0);
    WidgetRedraw(w);
}

void WOptionMenuChoose(Widget* w, int choice) {
    setChoice(w, choice);
}

bool WidgetKey(Widget* w, const WEvent& ev) {
    if (!WidgetTakesInput(w)) return false;
    WEvent copy = ev;
    widgetEvent(copy, w);
    return true;
}
