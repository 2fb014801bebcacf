// toolkit/scrollbar.cc: scroll bars drawn with the toolkit's own calls, so both backends share them.
#include "toolkit/scrollbar.h"

#include <algorithm>

#include "toolkit/eventloop.h"

namespace {

int lengthOf(const ScrollBar* sb) {
    return sb->vertical ? sb->win->height : sb->win->width;
}
int thicknessOf(const ScrollBar* sb) {
    return sb->vertical ? sb->win->width : sb->win->height;
}
int arrowOf(const ScrollBar* sb) {
    return std::min(thicknessOf(sb), lengthOf(sb) / 3);
}

void act(ScrollBar* sb, int action, int64_t pos) {
    if (sb->callback) sb->callback(sb, action, pos, sb->data);
}

int repeatPoll(void* user, int) {
    auto* sb = static_cast<ScrollBar*>(user);
    if (sb->repeatAction >= 0) act(sb, sb->repeatAction, sb->pos);
    ExtraProcess_SetTimeout(sb->repeat, 50);
    return 0;
}

void stopRepeat(ScrollBar* sb) {
    sb->repeatAction = -1;
    if (sb->repeat) {
        ExtraProcess_Kill(sb->repeat, 0);
        ExtraProcess_Release(sb->repeat);
        sb->repeat = nullptr;
    }
}

void startRepeat(ScrollBar* sb, int action) {
    stopRepeat(sb);
    sb->repeatAction = action;
    act(sb, action, sb->pos);
    sb->repeat = ExtraProcess_Create(XP_TIMER, 300, repeatPoll, nullptr, sb);
}

// The position whose thumb starts at pixel p of the trough.
int64_t posAtPixel(const ScrollBar* sb, int p) {
    int arrow = arrowOf(sb);
    int start, length;
    sbThumb(sb, &start, &length);
    int free = lengthOf(sb) - 2 * arrow - length;
    if (free <= 0 || sb->max <= sb->view) return 0;
    int64_t range = sb->max - sb->view;
    int64_t pos = (int64_t)(p - arrow) * range / free;
    return std::clamp<int64_t>(pos, 0, range);
}

int sbEvent(WEvent& ev, void* data) {
    auto* sb = static_cast<ScrollBar*>(data);
    if (ev.kind == WE_EXPOSE || ev.kind == WE_RESIZE) {
        sbDraw(sb);
        return 1;
    }
    if (ev.kind != WE_BUTTON) return 1;
    int p = sb->vertical ? ev.y : ev.x;
    int arrow = arrowOf(sb);
    int start, length;
    sbThumb(sb, &start, &length);
    if (ev.direction > 0) {
        if (ev.button == 4 || ev.button == 5) { // wheel
            for (int i = 0; i < 3; i++) act(sb, ev.button == 4 ? SB_LINEUP : SB_LINEDOWN, sb->pos);
            return 1;
        }
        if (p < arrow)
            startRepeat(sb, SB_LINEUP);
        else if (p >= lengthOf(sb) - arrow)
            startRepeat(sb, SB_LINEDOWN);
        else if (ev.button == 2) {
            sb->dragOffset = length / 2;
            act(sb, SB_TRACK, posAtPixel(sb, p - sb->dragOffset));
        } else if (p < start)
            startRepeat(sb, SB_PAGEUP);
        else if (p >= start + length)
            startRepeat(sb, SB_PAGEDOWN);
        else
            sb->dragOffset = p - start;
    } else if (ev.direction == 0) {
        if (sb->dragOffset >= 0) act(sb, SB_TRACK, posAtPixel(sb, p - sb->dragOffset));
    } else {
        if (sb->dragOffset >= 0) act(sb, SB_TRACK, posAtPixel(sb, p - sb->dragOffset));
        sb->dragOffset = -1;
        stopRepeat(sb);
    }
    return 1;
}

void drawArrow(ScrollBar* sb, int at, bool towardsStart) {
    int t = thicknessOf(sb), a = arrowOf(sb);
    int w = sb->vertical ? t : a, h = sb->vertical ? a : t;
    int x = sb->vertical ? 0 : at, y = sb->vertical ? at : 0;
    WFillRect(sb->win, x, y, w, h, wPalette.control);
    WBevel(sb->win, x, y, w, h, true);
    int m = std::max(3, std::min(w, h) / 4);
    int cx = x + w / 2, cy = y + h / 2, r = std::min(w, h) / 2 - m;
    if (r < 1) return;
    if (sb->vertical) {
        if (towardsStart)
            WFillTriangle(sb->win, cx, cy - r, cx - r, cy + r / 2, cx + r, cy + r / 2,
                          wPalette.foreground);
        else
            WFillTriangle(sb->win, cx, cy + r, cx - r, cy - r / 2, cx + r, cy - r / 2,
                          wPalette.foreground);
    } else {
        if (towardsStart)
            WFillTriangle(sb->win, cx - r, cy, cx + r / 2, cy - r, cx + r / 2, cy + r,
                          wPalette.foreground);
        else
            WFillTriangle(sb->win, cx + r, cy, cx - r / 2, cy - r, cx - r / 2, cy + r,
                          wPalette.foreground);
    }
}

} // namespace

ScrollBar* sbCreate(WWindow* parent, int x, int y, int width, int height, bool vertical,
                    SbCallback callback, void* data) {
    auto* sb = new ScrollBar;
    sb->vertical = vertical;
    sb->callback = callback;
    sb->data = data;
    sb->win = WCreateWindow(parent, x, y, width, height, sbEvent, sb);
    WSetBackground(sb->win, wPalette.controlDark);
    WMapWindow(sb->win);
    return sb;
}

void sbDestroy(ScrollBar* sb) {
    if (!sb) return;
    stopRepeat(sb);
    WDestroyWindow(sb->win);
    delete sb;
}

void sbMoveResize(ScrollBar* sb, int x, int y, int width, int height) {
    WMoveResize(sb->win, x, y, width, height);
    sbDraw(sb);
}

void sbSetScroller(ScrollBar* sb, int64_t max, int64_t view) {
    if (max < 0) max = 0;
    if (view < 0) view = 0;
    if (max == sb->max && view == sb->view) return;
    sb->max = max;
    sb->view = view;
    sb->pos = std::clamp<int64_t>(sb->pos, 0, std::max<int64_t>(0, max - view));
    sbDraw(sb);
}

void sbSetPos(ScrollBar* sb, int64_t pos) {
    pos = std::clamp<int64_t>(pos, 0, std::max<int64_t>(0, sb->max - sb->view));
    if (pos == sb->pos) return;
    sb->pos = pos;
    sbDraw(sb);
}

void sbThumb(const ScrollBar* sb, int* start, int* length) {
    int arrow = arrowOf(sb);
    int trough = std::max(0, lengthOf(sb) - 2 * arrow);
    if (sb->max <= sb->view || sb->max <= 0) {
        *start = arrow;
        *length = trough;
        return;
    }
    int len = (int)((double)trough * (double)sb->view / (double)sb->max);
    len = std::clamp(len, std::min(8, trough), trough);
    int free = trough - len;
    int64_t range = sb->max - sb->view;
    *start = arrow + (int)((double)free * (double)sb->pos / (double)range);
    *length = len;
}

void sbDraw(ScrollBar* sb) {
    WWindow* w = sb->win;
    WFillRect(w, 0, 0, w->width, w->height, wPalette.controlDark);
    int arrow = arrowOf(sb);
    drawArrow(sb, 0, true);
    drawArrow(sb, lengthOf(sb) - arrow, false);
    int start, length;
    sbThumb(sb, &start, &length);
    int t = thicknessOf(sb);
    if (sb->vertical) {
        WFillRect(w, 1, start, t - 2, length, wPalette.control);
        WBevel(w, 1, start, t - 2, length, true);
    } else {
        WFillRect(w, start, 1, length, t - 2, wPalette.control);
        WBevel(w, start, 1, length, t - 2, true);
    }
}
