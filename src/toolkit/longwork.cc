// toolkit/longwork.cc: the long-work scope: redraws, progress and Escape during long work.
#include "toolkit/longwork.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "runtime/error.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"
#include "toolkit/window.h"

Seam<WProgressView> wProgressView{"WProgressView", "editor"};

namespace {

constexpr int quietMs = 500;     // work shorter than this shows nothing
constexpr int firstDrawMs = 50;  // but with no window at all, one shows this soon
constexpr int everyMs = 100;     // then the windows are looked at this often

WLongWork* innermost = nullptr;

int reportAbort(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    int r = QuorlVError(ERR_ABORTED, format, ap);
    va_end(ap);
    return r;
}

// The progress window: its title is the work, its text how far it got.
struct ProgressWindow {
    std::string text;
};

void drawProgress(WWindow* win, const std::string& text) {
    WClearWindow(win);
    int h = WFontHeight();
    WDrawText(win, h, h, text.c_str(), (int)text.size(), wPalette.foreground, wPalette.background);
    static const char hint[] = "Escape cancels";
    WDrawText(win, h, 5 * h / 2, hint, (int)strlen(hint), wPalette.foreground, wPalette.background);
}

int progressEvent(WEvent& ev, void* data) {
    if (ev.kind == WE_EXPOSE) drawProgress(ev.window, static_cast<ProgressWindow*>(data)->text);
    // The keyboard comes here once the window shows, so that Escape is seen.
    if (ev.kind == WE_MAP && ev.state == 1) WTakeFocus(ev.window);
    return 1;
}

ProgressWindow progressText;

WWindow* openProgressWindow(const std::string& what) {
    int h = WFontHeight();
    int width = WTextWidth(what.c_str(), (int)what.size()) + 8 * WFontWidth() + 2 * h;
    if (width < 30 * WFontWidth()) width = 30 * WFontWidth();
    WWindow* win = WCreateWindow(nullptr, 0, 0, width, 4 * h, progressEvent, &progressText);
    if (!win) return nullptr;
    WSetWindowName(win, what.c_str());
    WSetBackground(win, wPalette.background);
    WMapWindow(win);
    // The keyboard comes here as the window shows, not at the next look at events a tenth
    // of a second later: an Escape typed as soon as it appears must not go elsewhere.
    WFocusOnceMapped(win, 250);
    return win;
}

} // namespace

WLongWork::WLongWork(const char* w) : what(w ? w : "") {
    wClock(&startSec, &startMs);
    WSetTimeout(&nextSec, &nextMs, firstDrawMs);
    outer = innermost;
    innermost = this;
    // An abort of the work around this one stops this one too.
    if (outer && outer->stopped) stopped = true;
}

WLongWork::~WLongWork() {
    innermost = outer;
    if (ownWindow) {
        WDestroyWindow(ownWindow);
        WSync();
    }
    WProgressView* view = wProgressView.find();
    if (shown && view && !ownWindow) view->show(outer && outer->shown ? outer->what.c_str() : nullptr);
    if (reportDue) reportAbort(wSettings.escapeAborts ? "Command aborted." : nullptr);
}

bool WLongWork::aborted(int64_t done, int64_t total) {
    if (stopped) return true;
    if (WCheckTimeout(nextSec, nextMs) > 0) return false;
    WProgressView* view = wProgressView.find();
    bool windowless = !view || !view->hasWindow();
    if (!shown && !windowless) {
        // The editor's windows stay as they are for the first half second.
        long sec = startSec;
        int ms = startMs;
        wClock(&sec, &ms);
        long elapsed = (sec - startSec) * 1000 + (ms - startMs);
        if (elapsed < quietMs) {
            WSetTimeout(&nextSec, &nextMs, (int)(quietMs - elapsed));
            return false;
        }
    }
    WSetTimeout(&nextSec, &nextMs, everyMs);
    char text[300];
    if (total > 0)
        snprintf(text, sizeof text, "%.250s... %d%%", what.c_str(),
                 (int)(done * 100 / total > 100 ? 100 : done * 100 / total));
    else
        snprintf(text, sizeof text, "%.250s...", what.c_str());
    if (windowless && !ownWindow && wBackend && !WIsHeadless() && !(outer && outer->ownWindow))
        ownWindow = openProgressWindow(what);
    if (ownWindow) {
        progressText.text = text;
        drawProgress(ownWindow, text);
        shown = true;
    } else if (view) {
        view->show(text);
        shown = true;
    }
    if (wBackend && wBackend->pumpDuringWork()) {
        WLongWork* outermost = this;
        for (WLongWork* w = this; w; w = w->outer) {
            w->stopped = true;
            outermost = w;
        }
        // Without a window of the editor's the report would be an alert in front of the
        // progress window, shown while the work still holds what it made: it waits until
        // the outermost scope has closed.
        if (ownWindow)
            outermost->reportDue = true;
        else
            reportAbort(wSettings.escapeAborts ? "Command aborted." : nullptr);
        return true;
    }
    if (wBackend) wBackend->flush();
    return false;
}

bool WLongWorkAborted(int64_t done, int64_t total) {
    return innermost && innermost->aborted(done, total);
}
