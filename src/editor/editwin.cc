// editor/editwin.cc: commands on the editor window itself: going to the next editor window
// (NextWindow) and giving the window a size in characters (Resize).
#include <cstdio>
#include <string>
#include <vector>

#include "config/options.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

namespace editwin {

namespace {

// The top-level editor windows in the order they were opened (the context list keeps the
// newest first).
std::vector<Edit*> editorWindows() {
    std::vector<Edit*> out;
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next)
        if (cw->kind == CW_EDIT && static_cast<Edit*>(cw->data)->top)
            out.insert(out.begin(), static_cast<Edit*>(cw->data));
    return out;
}

} // namespace

// The editor window opened after this one (the first after the last) comes to the front with
// the keyboard; the commands after it in the string act on it.
int cmdNextWindow(Edit* e, EditCmdCtx* ctx) {
    std::vector<Edit*> all = editorWindows();
    size_t i = 0;
    while (i < all.size() && all[i] != e) i++;
    if (all.size() < 2 || i == all.size()) {
        EditSetMsg(e, "No other editor window");
        return 1;
    }
    Edit* next = all[(i + 1) % all.size()];
    EditsRaiseOne(next);
    WTakeFocus(next->top);
    ctx->moveTo = next;
    return 1;
}

// Resize [COLUMNSxROWS]: the text area to that many characters, or to the configured size
// (the editwidth and editheight options).
int cmdResize(Edit* e, EditCmdCtx* ctx) {
    if (!e->top) {
        WBeep();
        return 1;
    }
    std::string arg = EditCmdArg(ctx);
    int columns = editwidth, rows = editheight;
    if (!arg.empty()) {
        char x = 0, extra = 0;
        if (sscanf(arg.c_str(), "%d %c %d %c", &columns, &x, &rows, &extra) != 3 ||
            (x != 'x' && x != 'X') || columns < 1 || rows < 1 || columns > 300 || rows > 300) {
            GenStr m(gen_sprintf("Resize: a size such as 80x40 is needed, not %s", arg.c_str()));
            EditSetMsg(e, m.get());
            return 0;
        }
    }
    EditResizeTo(e, columns, rows);
    // What the window holds now (the least is 20 by 3).
    GenStr m(gen_sprintf("Window size %dx%lld", e->view.width / WFontWidth(),
                         (long long)EditRows(e)));
    EditSetMsg(e, m.get());
    return 1;
}

} // namespace editwin
