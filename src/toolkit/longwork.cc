// toolkit/longwork.cc: the long-work scope: redraws, progress and Escape during long work.
#include "toolkit/longwork.h"

#include <cstdarg>
#include <cstdio>

#include "runtime/error.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/settings.h"

void (*wProgressShow)(const char* text) = nullptr;

namespace {

constexpr int quietMs = 500; // work shorter than this shows nothing
constexpr int everyMs = 100; // then the windows are looked at this often

WLongWork* innermost = nullptr;

int reportAbort(const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    int r = QuorlVError(ERR_ABORTED, format, ap);
    va_end(ap);
    return r;
}

} // namespace

WLongWork::WLongWork(const char* w) : what(w ? w : "") {
    wClock(&startSec, &startMs);
    WSetTimeout(&nextSec, &nextMs, quietMs);
    outer = innermost;
    innermost = this;
    // An abort of the work around this one stops this one too.
    if (outer && outer->stopped) stopped = true;
}

WLongWork::~WLongWork() {
    innermost = outer;
    if (shown && wProgressShow) wProgressShow(outer && outer->shown ? outer->what.c_str() : nullptr);
}

bool WLongWork::aborted(int64_t done, int64_t total) {
    if (stopped) return true;
    if (WCheckTimeout(nextSec, nextMs) > 0) return false;
    WSetTimeout(&nextSec, &nextMs, everyMs);
    if (wProgressShow) {
        char text[300];
        if (total > 0)
            snprintf(text, sizeof text, "%.250s... %d%%", what.c_str(),
                     (int)(done * 100 / total > 100 ? 100 : done * 100 / total));
        else
            snprintf(text, sizeof text, "%.250s...", what.c_str());
        wProgressShow(text);
        shown = true;
    }
    if (wBackend && wBackend->pumpDuringWork()) {
        for (WLongWork* w = this; w; w = w->outer) w->stopped = true;
        reportAbort(wSettings.escapeAborts ? "Command aborted." : nullptr);
        return true;
    }
    if (wBackend) wBackend->flush();
    return false;
}

bool WLongWorkAborted(int64_t done, int64_t total) {
    return innermost && innermost->aborted(done, total);
}
