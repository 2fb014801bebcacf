// editor/editsearch.cc: incremental search (typing, Backspace, repeats, wrapping, failure),
// the search messages, the line prompt and LineD.
#include "editor/editsearch.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "buffer/file.h"
#include "buffer/search.h"
#include "config/cfg.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "runtime/error.h"
#include "toolkit/dialog.h"
#include "toolkit/eventloop.h"
#include "toolkit/longwork.h"
#include "toolkit/toolkit.h"

namespace editsearch {

// The last string searched for in any editor: ISearch twice reuses it.
std::string lastSearch;

// What kind of search the state describes; dialogue: the searcher's own bits count too.
std::string label(const EditSearchState& s, bool dialogue) {
    if (dialogue && s.regex && !s.wildcard) return EditSearchText("status.srchre");
    if (s.col0 || (dialogue && s.eol)) return EditSearchText("status.srchline");
    if (s.wordStart || (dialogue && s.wordEnd)) return EditSearchText("status.srchword");
    if (s.wildcard) return EditSearchText("status.srchwild");
    return EditSearchText("status.srch");
}

// The first 40 bytes of a pattern as the message line shows them: control bytes in caret
// notation ("^@" for NUL, "^J" for a line end), so that a NUL does not end the text and a line
// end does not break the line; a character cut at the 40th byte is left out whole.
std::string shownPattern(const std::string& pattern) {
    size_t n = std::min<size_t>(pattern.size(), 40);
    for (int back = 0; back < 3 && n > 0 && n < pattern.size() &&
                       ((unsigned char)pattern[n] & 0xc0) == 0x80;
         back++)
        n--;
    std::string out;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)pattern[i];
        if (c < 0x20 || c == 0x7f) {
            out += '^';
            out += (char)(c ^ 0x40);
        } else {
            out += (char)c;
        }
    }
    return out;
}

std::string lineMessage(const EditSearchState& s) {
    return "Goto Line: " + (s.stale ? std::string() : shownPattern(s.pattern));
}

} // namespace editsearch
using namespace editsearch;

std::string EditSearchText(const char* option) {
    const char* t = cfg_Text(option);
    return t ? t : "";
}

void EditSearchMessage(Edit* edit, const std::string& text) {
    EditSetMsg(edit, text.c_str());
    EditSearchState& s = edit->search;
    if (!s.searcher) return;
    if (Widget* m = WDialogFind(s.searcher, "message")) WidgetSetText(m, text);
    if (Widget* f = WDialogFind(s.searcher, "find"); f && !s.linePrompt)
        if (WidgetText(f) != s.pattern) WidgetSetText(f, s.pattern);
}

namespace editsearch {

const Selection& primary(Edit* edit) {
    return edit->view.sel[0];
}

// The match becomes the primary selection with the cursor at its start, and PRIMARY gets it
// (refused: the selection collapses at the match start).
void selectMatch(Edit* edit, int64_t l1, int c1, int64_t l2, int c2) {
    EditSetSelection(edit, 0, l1, c1, l2, c2);
    edit->view.sel[0].flags = 0;
    vGrabSelection(&edit->view, 0);
    EditShowCursor(edit);
    EditRedraw(edit);
}

// Where a search of the kind starts: forward from the selection's start for typed text and
// its end otherwise; backward from its end for typed text, else one character before its
// start.
void startPoint(Edit* edit, bool typed, int64_t& line, int& col) {
    const EditSearchState& s = edit->search;
    const Selection& sel = primary(edit);
    if (s.forward) {
        line = typed ? sel.startLine : sel.endLine;
        col = typed ? sel.startCol : sel.endCol;
    } else if (typed) {
        line = sel.endLine, col = sel.endCol;
    } else if (sel.startCol > 0) {
        line = sel.startLine, col = sel.startCol - 1;
    } else if (sel.startLine > 1) {
        line = sel.startLine - 1;
        col = EditLineLen(edit->view.file, line); // the line end before it
    } else {
        line = 1, col = -1; // nothing lies before the top
    }
}

// Whether the pattern matches exactly at (line, col); its end when it does.
bool matchesAt(Edit* edit, int64_t line, int col, int64_t& endLine, int& endCol) {
    File* f = edit->view.file;
    const EditSearchState& s = edit->search;
    if (line < 1 || line > f->nLines || s.pattern.empty()) return false;
    int lineEnds = 0, end = 0;
    int at = FMatchesHere(f, EditFileLine(f, line), col, s.pattern.data(), (int)s.pattern.size(),
                          lineEnds, end, SearchFlags(edit, 0));
    if (at != col) return false;
    endLine = line + lineEnds;
    endCol = lineEnds ? end : col + end;
    return true;
}

// Parses a line number: optional sign and digits, blanks around; huge values saturate.
bool parseLineNumber(const std::string& text, int64_t& value, bool& relative) {
    size_t i = 0, n = text.size();
    while (i < n && isblank((unsigned char)text[i])) i++;
    while (n > i && isblank((unsigned char)text[n - 1])) n--;
    bool negative = false;
    relative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        relative = true;
        negative = text[i] == '-';
        i++;
    }
    if (i >= n) return false;
    value = 0;
    for (; i < n; i++) {
        if (!isdigit((unsigned char)text[i])) return false;
        value = value > (INT64_MAX - 9) / 10 ? INT64_MAX / 2 : value * 10 + (text[i] - '0');
    }
    if (negative) value = -value;
    return true;
}

int closeLater(void* e, int) {
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next)
        if (cw->kind == CW_EDIT && cw->data == e) {
            EditClose(static_cast<Edit*>(e));
            break;
        }
    return 1;
}

int cmdISearchDir(Edit* edit, bool forward) {
    EditSearchState& s = edit->search;
    if (s.active && s.linePrompt) EditAbortSearch(edit); // a search instead of the prompt
    s.forward = forward;
    if (s.busy) {
        s.repeat++;
        return 1;
    }
    if (s.active) {
        if (s.stale && s.pattern.empty() && !lastSearch.empty()) s.pattern = lastSearch;
        EditContinueSearching(edit, 0, nullptr, 0);
        return 1;
    }
    s.active = true;
    s.wrap = false;
    s.failed = false;
    s.stale = true;
    s.abortRequest = false;
    s.backups.clear();
    EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
    return 1;
}

} // namespace editsearch
using namespace editsearch;

int SearchFlags(Edit* edit, int dialogue) {
    const EditSearchState& s = edit->search;
    int flags = 0;
    if (!s.ignoreCase) flags |= SF_EXACT;
    if (s.wildcard)
        flags |= SF_WILD;
    else if (dialogue && s.regex)
        flags |= SF_REGEX;
    if (s.wordStart) flags |= SF_WORDSTART;
    if (dialogue && s.wordEnd) flags |= SF_WORDEND;
    if (s.col0) flags |= SF_COL0;
    if (dialogue && s.eol) flags |= SF_EOL;
    return flags;
}

bool EditSearching(const Edit* edit) {
    return edit->search.active;
}

void EditUpdateIsearchMsg(Edit* edit, int kind, int incremental) {
    const EditSearchState& s = edit->search;
    std::string text;
    if (kind == SRCHMSG_CLEAR) {
        text = "";
    } else if (s.linePrompt && s.active) {
        text = lineMessage(s);
    } else {
        std::string head = kind == SRCHMSG_REPLACING ? EditSearchText("status.replacing")
                                                     : label(s, !incremental);
        text = head;
        if (!s.pattern.empty() && !s.stale)
            text += " " + shownPattern(s.pattern);
        if (kind == SRCHMSG_FAILED) text += EditSearchText("status.failed");
    }
    if (kind == SRCHMSG_FAILED) WBeep();
    EditSearchMessage(edit, text);
}

int EditStartSearch(Edit* edit, int mode) {
    EditSearchState& s = edit->search;
    File* f = edit->view.file;
    bool typed = mode == 1, dialogue = mode < 0;
    if (s.failed && typed) {
        EditUpdateIsearchMsg(edit, SRCHMSG_FAILED, 1);
        return 0;
    }
    if (edit->closing || !f) return 0;
    int flags = SearchFlags(edit, dialogue);
    EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, !dialogue);
    if (s.busy) {
        s.abortRequest = true;
        s.repeat++;
        return 0;
    }
    if (!s.linePrompt && !s.pattern.empty()) lastSearch = s.pattern;
    bool found = false, gaveUp = false;
    {
        // A long search keeps the windows drawn, shows how far it got and stops on Escape.
        WLongWork work("Searching");
        while (true) {
            s.busy = true;
            s.interrupted = false;
            int64_t line, endLine = 0;
            int col, endCol = 0;
            startPoint(edit, typed, line, col);
            std::string pattern = s.pattern;
            int rc = FileFind(f, EditHintLine(f), EditHintNo(f), line, col, endLine, endCol,
                              s.forward ? 1 : -1, s.wrap, pattern.data(), (int)pattern.size(),
                              flags);
            if (s.interrupted) continue;
            if (rc < 0) {
                // An abort (Escape) or a malformed expression, already reported; the next
                // search starts where this one did.
                gaveUp = true;
                if (work.stopped) EditSearchMessage(edit, EditSearchText("status.srchabrt"));
                break;
            }
            s.wrap = rc == 0;
            if (rc == 0) break;
            found = true;
            selectMatch(edit, line, col, endLine, endCol);
            if (s.repeat <= 0) break;
            s.repeat--;
            typed = false;
        }
    }
    s.busy = false;
    s.abortRequest = false;
    if (!gaveUp) {
        if (!found) EditUpdateIsearchMsg(edit, SRCHMSG_FAILED, !dialogue);
        s.failed = !found;
    }
    EditShowCursor(edit);
    if (edit->closing) {
        // Closed while the search ran: it closes once the command that searched is over (the
        // callers still use it until then).
        edit->closing = false;
        ExtraHandle* h = ExtraProcess_Create(XP_TIMER, 0, closeLater, nullptr, edit);
        ExtraProcess_Release(h);
    }
    return found ? 1 : 0;
}

void EditContinueSearching(Edit* edit, int typed, const char* text, int64_t length) {
    EditSearchState& s = edit->search;
    if (length > 0) {
        if (s.stale) s.pattern.clear();
        if (s.pattern.capacity() < s.pattern.size() + (size_t)length)
            s.pattern.reserve(s.pattern.size() + (size_t)length + 100);
        s.pattern.append(text, (size_t)length);
        if (s.busy) s.interrupted = true;
    }
    s.stale = false;
    if (s.pattern.empty()) {
        s.stale = true;
        EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
        return;
    }
    if (s.linePrompt) {
        EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
        return;
    }
    const Selection& sel = primary(edit);
    int64_t line = sel.startLine;
    int col = sel.startCol;
    EditStartSearch(edit, typed ? 1 : 0);
    if (!typed) {
        s.backups.clear();
    } else if (!s.backups.empty() && s.backups.back().line == line &&
               s.backups.back().col == col) {
        s.backups.back().count += (int)length;
    } else {
        s.backups.push_back({line, col, (int)length});
    }
}

void EditSearchBackspace(Edit* edit) {
    EditSearchState& s = edit->search;
    if (s.pattern.empty() || s.stale) {
        s.stale = true;
        EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
        return;
    }
    s.pattern.pop_back();
    s.failed = false;
    s.wrap = false;
    if (s.busy) s.interrupted = true;
    if (s.linePrompt) {
        EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
        return;
    }
    const Selection& sel = primary(edit);
    int64_t line = sel.startLine;
    int col = sel.startCol;
    if (!s.backups.empty()) {
        EditSearchState::Backup& b = s.backups.back();
        if (b.count > 1) {
            b.count--;
        } else {
            line = b.line, col = b.col;
            s.backups.pop_back();
        }
    }
    int64_t endLine;
    int endCol;
    if (matchesAt(edit, line, col, endLine, endCol)) {
        selectMatch(edit, line, col, endLine, endCol);
        EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
        return;
    }
    EditSetCursor(edit, line, col);
    EditShowCursor(edit);
    EditUpdateIsearchMsg(edit, s.pattern.empty() ? SRCHMSG_LABEL : SRCHMSG_FAILED, 1);
}

void EditStopSearch(Edit* edit) {
    EditSearchState& s = edit->search;
    if (s.active) {
        if (s.linePrompt) {
            std::string number = s.stale ? std::string() : s.pattern;
            // The digits are no search string: the next search starts afresh.
            s.pattern.clear();
            s.stale = true;
            s.active = false;
            if (s.abortRequest)
                EditSetMsg(edit, "Goto Line aborted");
            else
                EditGotoLineText(edit, number);
        } else {
            EditSearchMessage(edit, EditSearchText("status.srchabrt"));
        }
    }
    s.active = false;
    s.wrap = false;
    s.linePrompt = false;
    s.repeat = 0;
    s.abortRequest = s.busy;
    s.backups.clear();
}

int EditGotoLineText(Edit* edit, const std::string& text) {
    File* f = edit->view.file;
    int64_t n = 0;
    bool relative = false;
    if (!f || !parseLineNumber(text, n, relative)) {
        EditSetMsg(edit, "Invalid line number");
        return 0;
    }
    if (relative) n = primary(edit).cursorLine + n;
    if (n < 1) {
        EditSetMsg(edit, "Invalid line number");
        return 0;
    }
    if (n > f->nLines) {
        // Beyond the end: the place after the last line.
        EditSetLine(edit, f->nLines, 1);
        EditSetCursor(edit, f->nLines + 1, 0);
        EditShowCursor(edit);
        return 1;
    }
    EditSetLine(edit, n, 0);
    return 1;
}

bool EditCmdKeepsSearch(const char* name) {
    static const char* const keep[] = {
        "ISearch", "BackISearch", "TruncateSearch", "StopSearch", "Abort", "\"", "if", "{",
        "Backspace", "Tab", "AutoIndent", "AutoIndentOrTab", "AutoIndentImplicit", "ShowMatch",
        "Noop",
        // batch mode's looks at the state
        "PrintLines", "PrintState", "PrintClip", "PrintOption", "PrintWindows",
        "PrintInterfaces", "PrintScreen", "Sleep", "WriteJournal",
    };
    for (const char* k : keep)
        if (!strcasecmp(k, name)) return true;
    return false;
}

void EditAbortSearch(Edit* edit) {
    if (!edit->search.active) return;
    edit->search.abortRequest = true;
    EditStopSearch(edit);
}

// ---- the commands ----

namespace editsearch {

int cmdISearch(Edit* edit, EditCmdCtx*) {
    return cmdISearchDir(edit, true);
}

int cmdBackISearch(Edit* edit, EditCmdCtx*) {
    return cmdISearchDir(edit, false);
}

int cmdStopSearch(Edit* edit, EditCmdCtx*) {
    EditStopSearch(edit);
    return 1;
}

int cmdTruncateSearch(Edit* edit, EditCmdCtx*) {
    EditSearchState& s = edit->search;
    if (!s.active) {
        QuorlError(ERR_FAILURE, "TruncateSearch cannot be called outsideof isearch.\nTry binding "
                                "to \"if <searching> { TruncateSearch }\" instead.");
        return 0;
    }
    s.pattern.clear();
    s.failed = false;
    s.wrap = false;
    if (s.busy) s.interrupted = true;
    EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
    return 1;
}

int cmdEditLine(Edit* edit, EditCmdCtx*) {
    EditSearchState& s = edit->search;
    s.active = true;
    s.linePrompt = true;
    s.pattern.clear();
    s.stale = true;
    s.failed = false;
    s.abortRequest = false;
    s.backups.clear();
    EditUpdateIsearchMsg(edit, SRCHMSG_LABEL, 1);
    return 1;
}

int cmdLineD(Edit* edit, EditCmdCtx* ctx) {
    std::string arg = EditCmdArg(ctx);
    if (arg.empty()) {
        arg = std::to_string(primary(edit).cursorLine);
        if (WPrompt("LineD", "Line to goto?", arg) != 1) return 1;
    }
    return EditGotoLineText(edit, arg);
}

} // namespace editsearch
