// toolkit/widgets.cc: one-line text fields, push buttons and labels.
#include "toolkit/widgets.h"

#include "runtime/utf8.h"
#include "toolkit/selection.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A field's text is taken as UTF-8 when it is UTF-8 throughout, else byte by byte as Latin-1
// (as WDrawText shows it): the caret and the selection then never split a character.
bool isUtf8(const TextField* tf) {
    return Utf8Valid(tf->text.data(), tf->text.size());
}
size_t nextChar(const TextField* tf, size_t i, bool utf8) {
    const std::string& t = tf->text;
    if (i >= t.size()) return t.size();
    return utf8 ? Utf8NextChar(t.data(), t.size(), i) : i + 1;
}
size_t prevChar(const TextField* tf, size_t i, bool utf8) {
    const std::string& t = tf->text;
    if (i == 0) return 0;
    return utf8 ? Utf8PrevChar(t.data(), t.size(), i) : i - 1;
}

// The cells of text[from, to): each character its display width (wide two, a combining mark
// over the cell before it), control characters as their pictures.
void textCells(const std::string& t, size_t from, size_t to, bool utf8, std::vector<WCell>& cells) {
    for (size_t i = from; i < to;) {
        char32_t c = (unsigned char)t[i];
        i += utf8 ? (size_t)Utf8Decode(t.data() + i, t.size() - i, &c) : 1;
        int w = utf8 ? Utf8Width(c) : 1;
        if (c < 0x20 || c == 0x7f) c = c == 0x7f ? 0x2421 : 0x2400 + c;
        if (w == 0) {
            if (!cells.empty() && !cells.back().mark) cells.back().mark = c;
            continue;
        }
        cells.push_back({c, 0});
        if (w == 2) cells.push_back({0, 0});
    }
}

// Cells taken by text[from, to).
int cellsOf(const TextField* tf, size_t from, size_t to, bool utf8) {
    std::vector<WCell> cells;
    textCells(tf->text, from, std::min(to, tf->text.size()), utf8, cells);
    return (int)cells.size();
}

size_t selStart(const TextField* tf) {
    return std::min(tf->cursor, tf->anchor);
}
size_t selEnd(const TextField* tf) {
    return std::max(tf->cursor, tf->anchor);
}

// Removes the selected text; true when there was some.
bool deleteSelection(TextField* tf) {
    if (tf->cursor == tf->anchor) return false;
    size_t a = selStart(tf);
    tf->text.erase(a, selEnd(tf) - a);
    tf->cursor = tf->anchor = a;
    return true;
}

void insertText(TextField* tf, const std::string& s) {
    deleteSelection(tf);
    for (char c : s) {
        if ((unsigned char)c < 32 || c == 127) continue; // one line: breaks and controls dropped
        tf->text.insert(tf->cursor++, 1, c);
    }
    tf->anchor = tf->cursor;
}

// The character boundary nearest to x.
size_t columnAt(TextField* tf, int x) {
    int want = std::max(0, (x - 4 + WFontWidth() / 2) / WFontWidth());
    bool utf8 = isUtf8(tf);
    size_t at = std::min(tf->scroll, tf->text.size());
    int col = 0;
    while (at < tf->text.size()) {
        size_t next = nextChar(tf, at, utf8);
        int w = cellsOf(tf, at, next, utf8);
        if (want - col < (w + 1) / 2) break; // nearer the boundary before it
        col += w;
        at = next;
    }
    return at;
}

// A selection made with the pointer or Shift becomes the PRIMARY selection.
void ownPrimary(TextField* tf, unsigned long time) {
    if (tf->cursor != tf->anchor)
        WSelectionOwn(tf->win, 0, tf->text.substr(selStart(tf), selEnd(tf) - selStart(tf)),
                      WSEL_TEXT, time);
}

int tfEvent(WEvent& ev, void* data) {
    auto* tf = static_cast<TextField*>(data);
    switch (ev.kind) {
    case WE_EXPOSE:
    case WE_RESIZE:
        tfDraw(tf);
        break;
    case WE_BUTTON:
        if (ev.direction > 0 && ev.button == 1) {
            WSetFocusChild(tf->win);
            tf->cursor = columnAt(tf, ev.x);
            if (ev.clicks >= 2) {
                tf->anchor = 0; // a double click selects the whole field
                tf->cursor = tf->text.size();
            } else if (!(ev.modifiers & WMOD_SHIFT)) {
                tf->anchor = tf->cursor;
            }
            tfDraw(tf);
        } else if (ev.direction == 0 && (ev.modifiers & WMOD_BUTTON1)) {
            tf->cursor = columnAt(tf, ev.x);
            tfDraw(tf);
        } else if (ev.direction < 0 && ev.button == 1) {
            ownPrimary(tf, ev.time);
        } else if (ev.direction > 0 && ev.button == 2 && tf->editable) {
            WSetFocusChild(tf->win);
            tf->cursor = tf->anchor = columnAt(tf, ev.x);
            WSelectionRequest(tf->win, 0, ev.time);
        }
        break;
    case WE_SELECTION:
        if (!ev.lost && tf->editable) {
            insertText(tf, ev.text);
            tfDraw(tf);
            if (tf->changed) tf->changed(tf, tf->data);
        }
        break;
    case WE_KEY:
        tfKey(tf, ev);
        break;
    default:
        break;
    }
    return 1;
}

int btnEvent(WEvent& ev, void* data) {
    auto* b = static_cast<Button*>(data);
    switch (ev.kind) {
    case WE_EXPOSE:
    case WE_RESIZE:
        btnDraw(b);
        break;
    case WE_BUTTON:
        if (!b->enabled || ev.button != 1) break;
        if (ev.direction > 0) {
            b->pressed = true;
            btnDraw(b);
        } else if (ev.direction < 0 && b->pressed) {
            b->pressed = false;
            btnDraw(b);
            bool inside = ev.x >= 0 && ev.y >= 0 && ev.x < b->win->width && ev.y < b->win->height;
            if (inside && b->callback) b->callback(b, b->data);
        }
        break;
    default:
        break;
    }
    return 1;
}

} // namespace

TextField* tfCreate(WWindow* parent, int x, int y, int width, int height, TfCallback activate,
                    void* data) {
    auto* tf = new TextField;
    tf->activate = activate;
    tf->data = data;
    tf->win = WCreateWindow(parent, x, y, width, height, tfEvent, tf);
    WSetCursor(tf->win, WCURSOR_TEXT);
    WMapWindow(tf->win);
    return tf;
}

void tfDestroy(TextField* tf) {
    if (!tf) return;
    WDestroyWindow(tf->win);
    delete tf;
}

void tfSetText(TextField* tf, const std::string& text) {
    if (tf->text == text) return;
    tf->text = text;
    tf->cursor = tf->anchor = text.size();
    tf->scroll = 0;
    tfDraw(tf);
}

void tfDraw(TextField* tf) {
    WWindow* w = tf->win;
    int fw = WFontWidth(), fh = WFontHeight();
    int visible = std::max(1, (w->width - 8) / fw);
    const size_t size = tf->text.size();
    const bool utf8 = isUtf8(tf);
    tf->scroll = std::min(tf->scroll, size);
    // A field drawn before it got its width scrolled for that width: all that fits shows.
    if (cellsOf(tf, 0, size, utf8) < visible) tf->scroll = 0;
    if (tf->cursor < tf->scroll) tf->scroll = tf->cursor;
    for (int need = cellsOf(tf, tf->scroll, tf->cursor, utf8);
         tf->scroll < tf->cursor && need > visible - 1;) {
        size_t next = nextChar(tf, tf->scroll, utf8);
        need -= cellsOf(tf, tf->scroll, next, utf8);
        tf->scroll = next;
    }
    WColor bg = tf->editable ? wPalette.background : wPalette.control;
    WFillRect(w, 0, 0, w->width, w->height, bg);
    WBevel(w, 0, 0, w->width, w->height, false);
    int ty = (w->height - fh) / 2;
    // Before, inside and after the selection, each in its colours, up to the right edge.
    size_t a = std::clamp(std::min(tf->cursor, tf->anchor), tf->scroll, size);
    size_t b = std::clamp(std::max(tf->cursor, tf->anchor), tf->scroll, size);
    size_t bounds[4] = {tf->scroll, a, b, size};
    int col = 0;
    std::vector<WCell> cells;
    for (int part = 0; part < 3 && col < visible; part++) {
        cells.clear();
        textCells(tf->text, bounds[part], bounds[part + 1], utf8, cells);
        int n = std::min((int)cells.size(), visible - col);
        // A wide character the right edge cuts shows as a blank.
        if (n > 0 && n < (int)cells.size() && cells[(size_t)n].ch == 0)
            cells[(size_t)n - 1] = {' ', 0};
        bool selected = part == 1;
        WDrawCells(w, 4 + col * fw, ty, cells.data(), n,
                   selected ? wPalette.selectText : wPalette.foreground,
                   selected ? wPalette.select : bg);
        col += n;
    }
    WWindow* top = WTopLevelOf(w);
    if (tf->editable && top && top->focusChild == w) {
        int cx = 4 + cellsOf(tf, tf->scroll, tf->cursor, utf8) * fw;
        WFillRect(w, cx, ty, 2, fh, wPalette.foreground);
    }
}

void tfKey(TextField* tf, const WEvent& ev) {
    if (ev.key == WK_RETURN || ev.key == WK_KP_ENTER) {
        if (tf->activate) tf->activate(tf, tf->data);
        return;
    }
    if (ev.key == WK_ESCAPE) {
        if (tf->cancel) tf->cancel(tf, tf->data);
        return;
    }
    bool shift = ev.modifiers & WMOD_SHIFT, ctrl = ev.modifiers & WMOD_CONTROL;
    bool edited = false, moved = false;
    auto move = [&](size_t to) {
        tf->cursor = to;
        if (!shift) tf->anchor = to;
        moved = true;
    };
    if (ctrl && (ev.key == 'c' || ev.key == 'x')) {
        if (tf->cursor != tf->anchor)
            WSelectionOwn(tf->win, 1, tf->text.substr(selStart(tf), selEnd(tf) - selStart(tf)),
                          WSEL_TEXT, ev.time);
        if (ev.key == 'x' && tf->editable) edited = deleteSelection(tf);
    } else if (ctrl && ev.key == 'v') {
        if (tf->editable) WSelectionRequest(tf->win, 1, ev.time);
    } else if (ev.key == WK_LEFT) {
        move(!shift && tf->cursor != tf->anchor ? selStart(tf)
                                                 : prevChar(tf, tf->cursor, isUtf8(tf)));
    } else if (ev.key == WK_RIGHT) {
        move(!shift && tf->cursor != tf->anchor ? selEnd(tf)
                                                 : nextChar(tf, tf->cursor, isUtf8(tf)));
    } else if (ev.key == WK_HOME || (ev.key == 'a' && ctrl)) {
        move(0);
    } else if (ev.key == WK_END || (ev.key == 'e' && ctrl)) {
        move(tf->text.size());
    } else if (!tf->editable) {
        // nothing else changes a field that cannot be edited
    } else if (ev.key == WK_BACKSPACE) {
        edited = deleteSelection(tf);
        if (!edited && tf->cursor > 0) {
            size_t from = prevChar(tf, tf->cursor, isUtf8(tf));
            tf->text.erase(from, tf->cursor - from);
            tf->cursor = tf->anchor = from;
            edited = true;
        }
    } else if (ev.key == WK_DELETE) {
        edited = deleteSelection(tf);
        if (!edited && tf->cursor < tf->text.size()) {
            tf->text.erase(tf->cursor, nextChar(tf, tf->cursor, isUtf8(tf)) - tf->cursor);
            edited = true;
        }
    } else if (ev.key == 'u' && ctrl) {
        tf->text.clear();
        tf->cursor = tf->anchor = 0;
        edited = true;
    } else if (!(ev.modifiers & (WMOD_CONTROL | WMOD_MOD1)) && !ev.text.empty()) {
        insertText(tf, ev.text);
        edited = true;
    }
    if (moved && shift) ownPrimary(tf, ev.time);
    tfDraw(tf);
    if (edited && tf->changed) tf->changed(tf, tf->data);
}

Button* btnCreate(WWindow* parent, int x, int y, int width, int height, const char* label,
                  ButtonCallback callback, void* data) {
    auto* b = new Button;
    b->label = label ? label : "";
    b->callback = callback;
    b->data = data;
    b->win = WCreateWindow(parent, x, y, width, height, btnEvent, b);
    WSetBackground(b->win, wPalette.control);
    WMapWindow(b->win);
    return b;
}

void btnDestroy(Button* b) {
    if (!b) return;
    WDestroyWindow(b->win);
    delete b;
}

void btnEnable(Button* b, bool enabled) {
    if (b->enabled == enabled) return;
    b->enabled = enabled;
    btnDraw(b);
}

void btnDraw(Button* b) {
    WWindow* w = b->win;
    WFillRect(w, 0, 0, w->width, w->height, wPalette.control);
    WBevel(w, 0, 0, w->width, w->height, !b->pressed);
    if (b->isDefault) WDrawRect(w, 2, 2, w->width - 4, w->height - 4, wPalette.foreground);
    int tw = WTextWidth(b->label.data(), (int)b->label.size());
    int tx = std::max(2, (w->width - tw) / 2), ty = (w->height - WFontHeight()) / 2;
    WDrawText(w, tx, ty, b->label.data(), (int)b->label.size(),
              b->enabled ? wPalette.foreground : wPalette.controlDark, wPalette.control);
}

int btnWidthFor(const char* label) {
    return WTextWidth(label, (int)strlen(label)) + 4 * WFontWidth();
}

int WDrawLines(WWindow* win, int x, int y, const std::string& text, WColor bg) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        WDrawText(win, x, y, text.data() + start, (int)(end - start), wPalette.foreground, bg);
        y += WFontHeight();
        start = end + 1;
    }
    return y;
}

void WDrawLabel(WWindow* win, int x, int y, const std::string& label, WColor fg, WColor bg) {
    std::string shown;
    int mark = -1;
    for (size_t i = 0; i < label.size(); i++) {
        if (label[i] == '&' && i + 1 < label.size()) {
            if (label[i + 1] != '&') mark = (int)shown.size();
            i++;
        }
        shown.push_back(label[i]);
    }
    WDrawText(win, x, y, shown.data(), (int)shown.size(), fg, bg);
    if (mark >= 0) {
        int ux = x + WTextWidth(shown.data(), mark);
        int uw = WTextWidth(shown.data() + mark, 1);
        WFillRect(win, ux, y + WFontHeight() - 1, uw, 1, fg);
    }
}
