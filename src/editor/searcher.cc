// editor/searcher.cc: the searcher dialogue of an editor ("Searcher for FILE"): find and
// replace fields, the pattern kind, case, anchors and direction, and its Find, Replace,
// Replace then Find, Find then Replace, Replace All and Undo actions.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "buffer/file.h"
#include "buffer/search.h"
#include "dialogue/dlgopen.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editsearch.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

namespace searcher {

// Each open searcher with the editor it searches.
std::vector<std::pair<WDialog*, Edit*>> open;

Edit* editOf(WDialog* d) {
    for (auto& [dialog, edit] : open)
        if (dialog == d) return edit;
    return nullptr;
}

int valueOf(WDialog* d, const char* name) {
    Widget* w = WDialogFind(d, name);
    return w ? w->value : 0;
}

void setValue(WDialog* d, const char* name, int value) {
    if (Widget* w = WDialogFind(d, name)) WidgetSetValue(w, value);
}

std::string textOf(WDialog* d, const char* name) {
    Widget* w = WDialogFind(d, name);
    return w ? WidgetText(w) : std::string();
}

// The option buttons are the state's bits.
void readOptions(Edit* e) {
    EditSearchState& s = e->search;
    WDialog* d = s.searcher;
    int kind = valueOf(d, "kind");
    s.wildcard = kind == 1;
    s.regex = kind == 2;
    s.forward = valueOf(d, "direction") != 1;
    s.ignoreCase = !valueOf(d, "case");
    s.wordStart = valueOf(d, "wordstart");
    s.wordEnd = valueOf(d, "wordend");
    s.col0 = valueOf(d, "col0");
    s.eol = valueOf(d, "eol");
    s.inSelection = valueOf(d, "insel");
}

void writeOptions(Edit* e) {
    EditSearchState& s = e->search;
    WDialog* d = s.searcher;
    setValue(d, "kind", s.wildcard ? 1 : s.regex ? 2 : 0);
    setValue(d, "direction", s.forward ? 0 : 1);
    setValue(d, "case", !s.ignoreCase);
    setValue(d, "wordstart", s.wordStart);
    setValue(d, "wordend", s.wordEnd);
    setValue(d, "col0", s.col0);
    setValue(d, "eol", s.eol);
    setValue(d, "insel", s.inSelection);
    // Long strings stay out of the one-line fields.
    if (s.pattern.size() < 99)
        if (Widget* w = WDialogFind(d, "find")) WidgetSetText(w, s.pattern);
    if (s.replacement.size() < 99)
        if (Widget* w = WDialogFind(d, "replace")) WidgetSetText(w, s.replacement);
}

void alreadySearching(Edit* e) {
    EditSearchMessage(e, EditSearchText("status.srchsrch"));
}

// Find: 1 when something was found.
int find(Edit* e) {
    EditSearchState& s = e->search;
    std::string pattern = textOf(s.searcher, "find");
    if (s.busy) {
        if (pattern == s.pattern)
            s.repeat++;
        else
            alreadySearching(e);
        return 0;
    }
    if (pattern != s.pattern) s.wrap = s.failed = false;
    s.pattern = pattern;
    s.stale = false;
    if (EditStartSearch(e, -1) != 1) return 0;
    EditUpdateIsearchMsg(e, SRCHMSG_CLEAR, 0);
    EditUpdateTitle(e);
    return 1;
}

void replace(Edit* e) {
    EditSearchState& s = e->search;
    if (EditReadOnlyCheck(e)) return;
    s.replacement = textOf(s.searcher, "replace");
    e->view.file->lastEdit = e;
    EditAddChars(e, s.replacement.data(), (int64_t)s.replacement.size(), 0, 0);
    EditUpdateTitle(e);
}

void replaceAll(Edit* e) {
    EditSearchState& s = e->search;
    File* f = e->view.file;
    Selection sel = e->view.sel[0];
    bool inSelection = s.inSelection && !SelEmpty(sel);
    EditSetCursor(e, sel.cursorLine, sel.cursorCol);
    if (s.active) EditStopSearch(e);
    s.pattern = textOf(s.searcher, "find");
    s.replacement = textOf(s.searcher, "replace");
    s.stale = false;
    EditUpdateIsearchMsg(e, SRCHMSG_REPLACING, 0);
    if (EditReadOnlyCheck(e)) return;
    f->lastEdit = e;
    int64_t line = 0, firstLine = -1;
    int col = 0;
    const std::string& p = s.pattern;
    const std::string& r = s.replacement;
    int flags = SearchFlags(e, 1);
    int rc = inSelection
                 ? FileReplaceRange(f, sel.startLine, sel.startCol, sel.endLine, sel.endCol, line,
                                    col, p.data(), (int)p.size(), r.data(), (int)r.size(), flags,
                                    firstLine)
                 : FileReplaceAll(f, line, col, p.data(), (int)p.size(), r.data(), (int)r.size(),
                                  flags, firstLine);
    if (rc == 1) {
        EditsPropagateColour(f, firstLine);
        EditSetCursor(e, line, col);
        EditShowCursor(e);
        EditUpdateIsearchMsg(e, SRCHMSG_CLEAR, 0);
    } else if (rc == 0) {
        EditUpdateIsearchMsg(e, SRCHMSG_FAILED, 0);
    }
    EditUpdateTitle(e);
}

void activate(WDialog* d, Widget* w, int how) {
    Edit* e = editOf(d);
    if (!e) return;
    EditSearchState& s = e->search;
    readOptions(e);
    if (w->kind != WG_BUTTON) {
        DialogueWidgetScript(d, w, how); // Return in a field presses Find
        return;
    }
    const std::string& n = w->name;
    if (n == "find") {
        find(e);
    } else if (n == "replace") {
        replace(e);
    } else if (n == "replacefind") {
        if (s.busy) {
            alreadySearching(e);
            return;
        }
        replace(e);
        find(e);
    } else if (n == "findreplace") {
        if (s.busy) {
            alreadySearching(e);
            return;
        }
        if (find(e))
            replace(e);
        else
            s.replacement = textOf(d, "replace");
    } else if (n == "replaceall") {
        replaceAll(e);
    } else if (n == "undo") {
        EditCli(e, "Undo");
    } else if (n == "close") {
        WDialogDismiss(d, 0);
    } else {
        DialogueWidgetScript(d, w, how);
    }
}

void forget(Edit* e) {
    WDialog* d = e->search.searcher;
    e->search.searcher = nullptr;
    open.erase(std::remove_if(open.begin(), open.end(),
                              [d](const std::pair<WDialog*, Edit*>& p) { return p.first == d; }),
               open.end());
}

// Dismissed: the editor forgets it, then it goes.
void closed(WDialog* d) {
    if (Edit* e = editOf(d)) forget(e);
    DialogueCloseModeless(d);
}

std::string titleFor(Edit* e) {
    File* f = e->view.file;
    return std::string("Searcher for ") + (f && f->name ? f->name : "");
}

int cmdSearch(Edit* e, EditCmdCtx*) {
    EditSearchState& s = e->search;
    // One dismissed a moment ago is on its way out: a new one takes its place.
    if (s.searcher && s.searcher->done) forget(e);
    if (!s.searcher) {
        if (e->top) WDialogParent(e->top);
        WDialog* d = BuildDialogueModeless("Searcher", {}, nullptr);
        if (!d) return 0;
        d->activate = activate;
        d->closed = closed;
        d->kindName = "dialogue";
        s.searcher = d;
        open.push_back({d, e});
        d->title = titleFor(e);
        d->batchText = d->title;
        WSetWindowName(d->win, d->title.c_str());
    }
    WDialog* d = s.searcher;
    writeOptions(e);
    WDialogShow(d);
    WRaiseWindow(d->win);
    WWarpPointer(d->win);
    // Without a display the next scripted answer fills it and presses its buttons.
    WDialogTakeAnswer(d);
    return 1;
}

} // namespace searcher

void EditUpdateSearcherName(Edit* edit) {
    WDialog* d = edit->search.searcher;
    if (!d) return;
    d->title = searcher::titleFor(edit);
    d->batchText = d->title;
    WSetWindowName(d->win, d->title.c_str());
}

void EditSearchRelease(Edit* edit) {
    WDialog* d = edit->search.searcher;
    if (!d) return;
    searcher::forget(edit);
    // Dismissed, not destroyed: an event of its own may still be on the way.
    d->closed = DialogueCloseModeless;
    WDialogDismiss(d, 0);
}
