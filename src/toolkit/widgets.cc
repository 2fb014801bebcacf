// toolkit/widgets.cc: one-line text fields, push buttons and labels.
#include "toolkit/widgets.h"

#include <algorithm>
#include <cstring>

namespace {

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
            size_t at = tf->scroll + (size_t)std::max(0, (ev.x - 4) / WFontWidth());
            tf->cursor = std::min(at, tf->text.size());
            tfDraw(tf);
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
    tf->cursor = text.size();
    tf->scroll = 0;
    tfDraw(tf);
}

void tfDraw(TextField* tf) {
    WWindow* w = tf->win;
    int fw = WFontWidth(), fh = WFontHeight();
    int visible = std::max(1, (w->width - 8) / fw);
    if (tf->cursor < tf->scroll) tf->scroll = tf->cursor;
    if (tf->cursor > tf->scroll + (size_t)visible - 1)
        tf->scroll = tf->cursor - (size_t)visible + 1;
    WColor bg = tf->editable ? wPalette.background : wPalette.control;
    WFillRect(w, 0, 0, w->width, w->height, bg);
    WBevel(w, 0, 0, w->width, w->height, false);
    int ty = (w->height - fh) / 2;
    std::string shown = tf->text.substr(std::min(tf->scroll, tf->text.size()));
    if ((int)shown.size() > visible) shown.resize((size_t)visible);
    WDrawText(w, 4, ty, shown.data(), (int)shown.size(), wPalette.foreground, bg);
    WWindow* top = WTopLevelOf(w);
    if (tf->editable && top && top->focusChild == w) {
        int cx = 4 + (int)(tf->cursor - tf->scroll) * fw;
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
    if (!tf->editable) return;
    bool edited = false;
    if (ev.key == WK_LEFT) {
        if (tf->cursor > 0) tf->cursor--;
    } else if (ev.key == WK_RIGHT) {
        if (tf->cursor < tf->text.size()) tf->cursor++;
    } else if (ev.key == WK_HOME || (ev.key == 'a' && (ev.modifiers & WMOD_CONTROL))) {
        tf->cursor = 0;
    } else if (ev.key == WK_END || (ev.key == 'e' && (ev.modifiers & WMOD_CONTROL))) {
        tf->cursor = tf->text.size();
    } else if (ev.key == WK_BACKSPACE) {
        if (tf->cursor > 0) {
            tf->text.erase(--tf->cursor, 1);
            edited = true;
        }
    } else if (ev.key == WK_DELETE) {
        if (tf->cursor < tf->text.size()) {
            tf->text.erase(tf->cursor, 1);
            edited = true;
        }
    } else if (ev.key == 'u' && (ev.modifiers & WMOD_CONTROL)) {
        tf->text.clear();
        tf->cursor = 0;
        edited = true;
    } else if (!(ev.modifiers & (WMOD_CONTROL | WMOD_MOD1))) {
        for (char c : ev.text) {
            if ((unsigned char)c < 32 || c == 127) continue;
            tf->text.insert(tf->cursor++, 1, c);
            edited = true;
        }
    }
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
