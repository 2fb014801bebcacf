// toolkit/dlglayout.cc: rows and columns: each child gets its preferred size along the flow,
// spare room goes to the children with stretch in proportion, and across the flow a child
// fills the room or sits at the start, centre or end of it. A notebook is as large as its
// largest page, so that turning pages never resizes the dialogue.
#include <algorithm>

#include "toolkit/dlgpriv.h"
#include "toolkit/widgets.h"

// Lists' scroll bars follow the font, so that their arrows suit the rows beside them.
int WScrollBarWidth() {
    return std::max(12, WFontHeight());
}

namespace {

void textSize(const std::string& text, int* width, int* height) {
    int lines = 0, widest = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        widest = std::max(widest, WLabelWidth(text.substr(start, end - start)));
        lines++;
        start = end + 1;
    }
    *width = widest;
    *height = lines * WFontHeight();
}

bool flowsDown(const Widget* w) {
    return w->kind == WG_COLUMN || w->kind == WG_PAGE;
}

} // namespace

int WTabStripHeight() {
    return WFontHeight() + 10;
}

int WTabWidth(const std::string& label) {
    return WLabelWidth(label) + 2 * WFontWidth() + 4;
}

void WLayoutMeasure(Widget* w, int* width, int* height) {
    int fw = WFontWidth(), fh = WFontHeight();
    int row = fh + 6;
    switch (w->kind) {
    case WG_LABEL:
        textSize(w->label, width, height);
        if (w->rows > 0) *height = std::max(*height, w->rows * fh); // room for a larger font
        if (w->columns > 0) *width = std::max(*width, w->columns * fw); // fields after it line up
        break;
    case WG_BUTTON:
        *width = std::max(WLabelWidth(w->label) + 4 * fw, 8 * fw);
        *height = fh + 12;
        break;
    case WG_TOGGLE:
        *width = fh + 10 + WLabelWidth(w->label);
        *height = row;
        break;
    case WG_BUTTONSET: {
        int wide = 0, sum = 0;
        for (const std::string& s : w->items) {
            int iw = fh + 10 + WLabelWidth(s);
            wide = std::max(wide, iw);
            sum += iw + fw;
        }
        *width = w->vertical ? wide : sum;
        *height = w->vertical ? row * std::max<int>(1, (int)w->items.size()) : row;
        break;
    }
    case WG_TEXTFIELD:
        *width = (w->columns > 0 ? w->columns : 30) * fw + 8;
        *height = fh + 8;
        break;
    case WG_LIST: {
        int wide = 0;
        for (const std::string& s : w->items) wide = std::max(wide, WTextWidth(s.data(), (int)s.size()));
        int cols = w->columns > 0 ? w->columns * fw : std::clamp(wide, 20 * fw, 60 * fw);
        *width = cols + 8 + WScrollBarWidth();
        *height = (w->rows > 0 ? w->rows : 8) * fh + 4;
        break;
    }
    case WG_EDITOR:
        *width = (w->columns > 0 ? w->columns : 60) * fw + 2 * WScrollBarWidth();
        *height = (w->rows > 0 ? w->rows : 10) * fh + WScrollBarWidth();
        break;
    case WG_OPTIONMENU: {
        int wide = 0;
        for (const std::string& s : w->items) wide = std::max(wide, WLabelWidth(s));
        *width = wide + fh + 24;
        *height = fh + 10;
        break;
    }
    case WG_SEPARATOR:
        *width = *height = 6;
        break;
    case WG_COLORBOX:
        *width = 3 * fh;
        *height = fh + 8;
        break;
    case WG_TABS: {
        int strip = 0, pageW = 0, pageH = 0;
        for (Widget* page : w->children) {
            int pw, ph;
            WLayoutMeasure(page, &pw, &ph);
            pageW = std::max(pageW, pw);
            pageH = std::max(pageH, ph);
            strip += WTabWidth(page->label);
        }
        *width = std::max(strip + WTAB_PAD, pageW + 2 * WTAB_PAD);
        *height = WTabStripHeight() + pageH + 2 * WTAB_PAD;
        break;
    }
    case WG_ROW:
    case WG_COLUMN:
    case WG_PAGE: {
        bool down = flowsDown(w);
        int along = 0, across = 0, n = 0;
        for (Widget* c : w->children) {
            if (c->hidden) continue;
            int cw, ch;
            WLayoutMeasure(c, &cw, &ch);
            along += down ? ch : cw;
            across = std::max(across, down ? cw : ch);
            n++;
        }
        if (n > 1) along += (n - 1) * WDLG_GAP;
        *width = down ? across : along;
        *height = down ? along : across;
        break;
    }
    }
}

void WLayoutPlace(Widget* w, int x, int y, int width, int height) {
    w->x = x;
    w->y = y;
    w->width = std::max(1, width);
    w->height = std::max(1, height);
    if (w->kind == WG_TABS) {
        // Every page gets the same room, the hidden ones too: their windows are ready when shown.
        WidgetPlaceWindow(w);
        int top = WTabStripHeight() + WTAB_PAD;
        for (Widget* page : w->children)
            WLayoutPlace(page, x + WTAB_PAD, y + top, width - 2 * WTAB_PAD, height - top - WTAB_PAD);
        return;
    }
    if (w->kind != WG_ROW && w->kind != WG_COLUMN && w->kind != WG_PAGE) {
        WidgetPlaceWindow(w);
        return;
    }
    bool down = flowsDown(w);
    std::vector<Widget*> shown;
    for (Widget* c : w->children)
        if (!c->hidden) shown.push_back(c);
    size_t n = shown.size();
    std::vector<int> along(n), across(n);
    int used = 0, stretch = 0;
    for (size_t i = 0; i < n; i++) {
        int cw, ch;
        WLayoutMeasure(shown[i], &cw, &ch);
        along[i] = down ? ch : cw;
        across[i] = down ? cw : ch;
        used += along[i];
        stretch += std::max(0, shown[i]->stretch);
    }
    if (n > 1) used += (int)(n - 1) * WDLG_GAP;
    int room = down ? height : width;
    int spare = room - used;
    // Spare room goes to the stretching children; without any, the children stay at the start.
    int given = 0;
    int pos = down ? y : x;
    for (size_t i = 0; i < n; i++) {
        Widget* c = shown[i];
        int extra = 0;
        if (spare > 0 && stretch > 0 && c->stretch > 0) {
            given += c->stretch;
            extra = (int)((long)spare * given / stretch) - (int)((long)spare * (given - c->stretch) / stretch);
        } else if (spare < 0 && stretch > 0 && c->stretch > 0) {
            // Too little room: the stretching children give it up first.
            extra = std::max(-along[i] + 1, spare * c->stretch / stretch);
        }
        int len = along[i] + extra;
        int crossRoom = down ? width : height;
        int crossLen = std::min(across[i], crossRoom);
        int crossPos = down ? x : y;
        switch (c->align) {
        case WALIGN_FILL: crossLen = crossRoom; break;
        case WALIGN_CENTER: crossPos += (crossRoom - crossLen) / 2; break;
        case WALIGN_END: crossPos += crossRoom - crossLen; break;
        default: break;
        }
        if (down)
            WLayoutPlace(c, crossPos, pos, crossLen, len);
        else
            WLayoutPlace(c, pos, crossPos, len, crossLen);
        pos += len + WDLG_GAP;
    }
}
