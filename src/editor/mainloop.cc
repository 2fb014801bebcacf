// editor/mainloop.cc: the program's one event loop, run until no editor window is left.
#include "config/switches.h"
#include "editor/edit.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/eventloop.h"
#include "toolkit/toolkit.h"

namespace {

// With the exit-test switch, message-list windows alone do not keep the program running.
bool NoMoreWindows() {
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next)
        if (cw->kind != CW_MESSAGES) return false;
    return true;
}

bool HasLoader() {
    return false; // this program never has a loader connection
}

bool timeToEnd() {
    if (HasLoader()) return false;
    if (debugFlag[XSW_EXITTEST]) return NoMoreWindows();
    return NextEditContext() == nullptr;
}

} // namespace

bool editQuitAnswered = false;

void EditMainLoop() {
    while (!timeToEnd()) {
        gen_checksignal();
        try {
            ErrorCheck frame;
            WEventAll(0);
            int timeout = 0;
            if (!ExtraProcess_Wait(&timeout)) {
                WSync();
                continue;
            }
            WYield(timeout - 10);
        } catch (const PanicError&) {
            // The command that failed is abandoned; the display is brought up to date and the
            // loop goes on.
            WSync();
        }
    }
}
