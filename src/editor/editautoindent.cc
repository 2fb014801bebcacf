// editor/editautoindent.cc: the automatic indentation commands: AutoIndent over the selected
// lines, AutoIndentOrTab for the Tab key, AutoIndentImplicit after typed keys and Return.
#include "buffer/autoindent.h"
#include "buffer/file.h"
#include "buffer/synhook.h"
#include "config/options.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "editor/editsearch.h"
#include "toolkit/toolkit.h"

namespace editautoindent {

int autoIndent(Edit* e, int flags, bool quiet) {
    if (EditSearching(e)) return 1; // keys go to the incremental search
    File* f = e->view.file;
    if (!FileCanAutoIndent(f)) {
        if (!quiet) WBeep();
        return 1;
    }
    if (EditReadOnlyCheck(e)) return 1;
    f->lastEdit = e;
    const Selection& s = e->view.sel[0];
    int64_t l1 = s.startLine, l2 = s.endLine;
    if (s.endCol == 0 && l2 > l1) l2--;
    if (l1 < 1) return 1;
    EditReindentKeepingSelection(e, l1, l2, [&] {
        FileAutoIndent(f, EditHintLine(f), EditHintNo(f), l1, 0, l2, 1, flags);
    });
    return 1;
}

int cmdAutoIndent(Edit* e, EditCmdCtx*) {
    return autoIndent(e, 0, false);
}

// Tab re-indents in the languages whose indenter people rely on; elsewhere it types a tab.
int cmdAutoIndentOrTab(Edit* e, EditCmdCtx* ctx) {
    LanguageId id = FileLanguageId(e->view.file);
    if (EditSearching(e)) return editcmds::cmdTab(e, ctx);
    if (id == LANG_C || id == LANG_CPP || id == LANG_ADA) return autoIndent(e, 0, false);
    return editcmds::cmdTab(e, ctx);
}

int cmdAutoIndentImplicit(Edit* e, EditCmdCtx*) {
    if (!aIndent_implicitAIndentOn) return 1;
    int flags = AI_COMMENTS_GIVEN | (aIndent_implicitAIndentInComments ? AI_TOUCH_COMMENTS : 0);
    return autoIndent(e, flags, true);
}

} // namespace editautoindent
