// editor/editparse.cc: the command-string language (sequences, blocks, quoted text, `if` and
// its conditions), executing commands with one undo step per string, and turning the key and
// mouse events of an editor window into command strings.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/undo.h"
#include "config/bindings.h"
#include "config/options.h"
#include "editor/editcmd.h"
#include "editor/editdialogs.h"
#include "editor/edithelp.h"
#include "editor/merge.h"
#include "editor/editpriv.h"
#include "lang/syn.h"
#include "runtime/gen.h"
#include "runtime/utf8.h"
#include "runtime/scoped.h"
#include "toolkit/eventloop.h"
#include "toolkit/selection.h"

extern unsigned long editEventTime;

namespace editparse {

std::vector<EditCmd> addedCmds;     // EditAddCmd, searched first
std::deque<std::string> addedNames; // their names (a deque never moves its strings)

bool wordEq(const char* a, size_t n, const char* b) {
    return strlen(b) == n && strncasecmp(a, b, n) == 0;
}

const EditCmd* lookup(const char* word, size_t n) {
    for (const EditCmd& c : addedCmds)
        if (wordEq(word, n, c.name)) return &c;
    for (const EditCmd& c : EditCmds())
        if (c.name && wordEq(word, n, c.name)) return &c;
    for (const EditCmd* c = configCmds; c->name; c++)
        if (wordEq(word, n, c->name)) return c;
    for (const EditCmd* c = mergeCmds; c->name; c++)
        if (wordEq(word, n, c->name)) return c;
    return nullptr;
}

// Is the edit still open? A command may destroy its own editor.
// Whether the editor still exists: a window's, or the pane of an open dialogue (without the
// latter, a string bound to a key, Return's say, stopped after its first command in a pane).
bool alive(Edit* edit) {
    for (ContextWindow* cw = NextEditContext(); cw; cw = cw->next) {
        if (cw->kind == CW_EDIT && cw->data == edit) return true;
        // A compare window's commands run in its first text.
        if (cw->kind == CW_COMPARE && CompareWindowEdit(cw->data) == edit) return true;
    }
    return EditIsDialoguePane(edit);
}

void message(Edit* edit, const char* text) {
    if (edit && alive(edit))
        EditSetMsg(edit, text);
    else
        WMessage(text);
}

// Skips a quoted string starting at the quote; returns the position after its closing quote.
const char* skipQuoted(const char* p) {
    p++;
    while (*p && *p != '"') {
        if (*p == '\\' && p[1]) p++;
        p++;
    }
    return *p ? p + 1 : p;
}

// Skips a group in braces starting at "{"; returns the position after its "}".
const char* skipGroup(const char* p) {
    int depth = 0;
    while (*p) {
        if (*p == '"') {
            p = skipQuoted(p);
            continue;
        }
        if (*p == '{') depth++;
        if (*p == '}' && --depth == 0) return p + 1;
        p++;
    }
    return p;
}

const char* skipBlanks(const char* p) {
    while (*p == ' ' || *p == '\t')
        p++;
    return p;
}

// Where the next command starts after the one at p (findNextSemi).
const char* findNextSemi(const char* p) {
    while (*p) {
        if (*p == '"') {
            p = skipQuoted(p);
            continue;
        }
        if (*p == '{') {
            p = skipGroup(p);
            const char* q = skipBlanks(p);
            if (strncasecmp(q, "else", 4) == 0) {
                q = skipBlanks(q + 4);
                if (*q == '{') {
                    p = skipGroup(q);
                    q = skipBlanks(p);
                }
            }
            if (*q == ';') return q + 1;
            return p;
        }
        if (*p == ';') return p + 1;
        if (*p == '}') return p; // the end of the enclosing block
        p++;
    }
    return p;
}

// ---- undo grouping over one string ----

struct StringGroup {
    File* file = nullptr;
    UndoRec* mark = nullptr;
    uint64_t taken = 0; // UndoTakenCount() when the string began
    int64_t lS = 0, lE = 0;
    int cS = 0, cE = 0;
};

int runCommand(Edit* edit, const EditCmd* cmd, EditCmdCtx& ctx) {
    EditFlashEnd(edit);
    EditView& v = edit->view;
    v.prevGoalX = v.goalX;
    v.goalX = -1;
    if (edit->identifyMode) {
        edit->identifyMode = false;
        message(edit, cmd->name);
        return 1;
    }
    if (edit->search.active && !EditCmdKeepsSearch(cmd->name)) EditStopSearch(edit);
    return cmd->handler(edit, &ctx) == 1 ? 1 : 0;
}

int parse(Edit* edit, EditCmdCtx& ctx, const char* text);

// Blocks run by recursion; a limit far beyond what any binding writes keeps a hostile string
// (thousands of nested "{") from overflowing the stack.
constexpr int maxBlockDepth = 200;
int blockDepth = 0;

int parseBlock(Edit* edit, EditCmdCtx& ctx, const char* block) {
    if (blockDepth >= maxBlockDepth) {
        message(edit, "Command blocks nested too deeply");
        return 0;
    }
    struct Nest {
        Nest() { blockDepth++; }
        ~Nest() { blockDepth--; }
    } nest;
    return parse(edit, ctx, block);
}

int parse(Edit* edit, EditCmdCtx& ctx, const char* text) {
    const char* p = text;
    bool found = false;
    while (true) {
        while (*p == ' ' || *p == '\t' || *p == ';' || *p == '\n')
            p++;
        if (!*p) return found ? 1 : 0;
        if (*p == '}') return 1;
        const char* w = p;
        size_t n;
        if (*p == '"' || *p == '{') {
            n = 1;
        } else {
            while (p[0] && !strchr(" \t<;}\n", p[0]))
                p++;
            n = (size_t)(p - w);
        }
        const EditCmd* cmd = lookup(w, n);
        if (!cmd) {
            if (ctx.ignoreUnknown) {
                p = findNextSemi(w + n);
                continue;
            }
            char* m = gen_sprintf("Unknown command %s", w);
            message(edit, m);
            gen_free(m);
            return 0;
        }
        found = true;
        EditCmdCtx sub = ctx;
        sub.text = *w == '"' ? w + 1 : skipBlanks(w + n);
        sub.count = ++ctx.count;
        sub.name = cmd->name;
        int r = runCommand(edit, cmd, sub);
        if (!alive(edit)) return 1; // the command closed its own editor
        edit->extendActive = edit->extendPending;
        edit->extendPending = false;
        if (r != 1) return 0;
        p = findNextSemi(*w == '"' || *w == '{' ? w : w + n);
        if (sub.moveTo && sub.moveTo != edit && alive(sub.moveTo)) {
            // The rest of the string, and of every block around it, goes to the other editor.
            ctx.moveTo = sub.moveTo;
            const char* q = p;
            while (*q == ' ' || *q == '\t' || *q == ';' || *q == '\n') q++;
            if (!*q || *q == '}') return 1;
            EditCmdCtx rest = ctx;
            rest.text = p;
            rest.moveTo = nullptr;
            rest.msgWindow = sub.moveTo->top;
            int result = EditParseCmd(sub.moveTo, rest);
            ctx.count = rest.count;
            if (rest.moveTo) ctx.moveTo = rest.moveTo;
            return result;
        }
    }
}

// ---- language commands ----

int cmdBlock(Edit* edit, EditCmdCtx* ctx) {
    return parseBlock(edit, *ctx, ctx->text);
}

int cmdQuote(Edit* edit, EditCmdCtx* ctx) {
    const char* end = nullptr;
    std::string t = EditUnquote(ctx->text, &end);
    if (t.empty()) return 1;
    // Typed while an incremental search runs, the text goes to the search.
    if (!EditSearching(edit) && EditReadOnlyCheck(edit)) return 1;
    for (size_t i = 0; i < t.size(); i += 300)
        EditTypedChars(edit, t.data() + i, (int64_t)std::min<size_t>(300, t.size() - i));
    return 1;
}

int cmdIf(Edit* edit, EditCmdCtx* ctx) {
    const char* p = skipBlanks(ctx->text);
    if (*p != '<') {
        char* m = gen_sprintf("boolean expression should start with a %c: %s", '<', p);
        message(edit, m);
        gen_free(m);
        return 0;
    }
    const char* close = strchr(p, '>');
    if (!close) {
        char* m = gen_sprintf("boolean expression should end with a %c: %s", '>', p);
        message(edit, m);
        gen_free(m);
        return 0;
    }
    std::string cond(skipBlanks(p + 1), close);
    const char* q = skipBlanks(close + 1);
    if (*q != '{') {
        char* m = gen_sprintf("if command must be followed by \"{\": %s", q);
        message(edit, m);
        gen_free(m);
        return 0;
    }
    const char* thenBlock = q + 1;
    const char* after = skipGroup(q);
    const char* elseBlock = nullptr;
    const char* r = skipBlanks(after);
    if (strncasecmp(r, "else", 4) == 0 && !isalnum((unsigned char)r[4])) {
        const char* s = skipBlanks(r + 4);
        if (*s != '{') {
            char* m = gen_sprintf("else command must be followed by \"{\": %s", s);
            message(edit, m);
            gen_free(m);
            return 0;
        }
        elseBlock = s + 1;
    }
    int ok = 1;
    int truth = Edit_CondStrToCond(edit, cond.c_str(), &ok);
    if (!ok) return 0;
    if (truth) return parseBlock(edit, *ctx, thenBlock) ? 1 : 0;
    if (elseBlock) return parseBlock(edit, *ctx, elseBlock) ? 1 : 0;
    return 1;
}

} // namespace editparse
using namespace editparse;

// ---- conditions ----

int Edit_CondStrToCond(Edit* edit, const char* text, int* ok) {
    *ok = 1;
    std::string c(text);
    while (!c.empty() && (c.back() == ' ' || c.back() == '\t'))
        c.pop_back();
    auto is = [&](const char* w) { return strcasecmp(c.c_str(), w) == 0; };
    EditView& v = edit->view;
    const Selection& s = v.sel[0];
    if (is("noselection")) return SelEmpty(s);
    if (is("nosselection")) return SelEmpty(v.sel[1]);
    if (is("insertmode")) return edit->insertMode;
    const EditSearchState& search = edit->search;
    if (is("searching")) return search.active;
    if (is("fsearch")) return search.active && search.forward;
    if (is("bsearch")) return search.active && !search.forward;
    if (is("wrapsearch")) return search.active && search.wrap;
    if (is("beforenonwhite")) {
        if (!SelEmpty(s)) return 0;
        File* f = v.file;
        if (s.cursorLine > f->nLines) return 1;
        Line* l = EditFileLine(f, s.cursorLine);
        const char* t = FileLineText(f, l);
        for (int i = 0; i < s.cursorCol && i < l->len; i++)
            if (t[i] != ' ' && t[i] != '\t') return 0;
        return 1;
    }
    if (is("col=eol")) {
        File* f = v.file;
        if (s.startLine > f->nLines) return 1;
        return s.startCol >= EditLineLen(f, s.startLine);
    }
    if (strncasecmp(c.c_str(), "select", 6) == 0) {
        const char* p = skipBlanks(c.c_str() + 6);
        if (!isdigit((unsigned char)*p)) {
            char* m = gen_sprintf(
                "Selection boolean expression must specify a selection number: %s", text);
            message(edit, m);
            gen_free(m);
            *ok = 0;
            return 0;
        }
        int slot = *p - '0';
        p = skipBlanks(p + 1);
        if (*p != '=') {
            char* m = gen_sprintf("Invalid selection boolean expression: %s", text);
            message(edit, m);
            gen_free(m);
            *ok = 0;
            return 0;
        }
        p = skipBlanks(p + 1);
        int want;
        if (strncasecmp(p, "text", 4) == 0)
            want = WSEL_TEXT;
        else if (strncasecmp(p, "rect", 4) == 0)
            want = WSEL_RECT;
        else if (strncasecmp(p, "line", 4) == 0)
            want = WSEL_LINES;
        else {
            char* m = gen_sprintf("Unknown selection type in boolean expression: %s", text);
            message(edit, m);
            gen_free(m);
            *ok = 0;
            return 0;
        }
        if (slot >= WSEL_SLOTS) return 0;
        std::string data;
        int type = 0;
        if (!EditSlotContents(slot, &data, &type)) {
            if (want == WSEL_LINES) edit->unknownLinesSlot = slot;
            return 0;
        }
        return type == want;
    }
    if (strncasecmp(c.c_str(), "lang", 4) == 0) {
        const char* p = skipBlanks(c.c_str() + 4);
        if (*p != '=') {
            char* m = gen_sprintf("Invalid language boolean expression: %s", text);
            message(edit, m);
            gen_free(m);
            *ok = 0;
            return 0;
        }
        p = skipBlanks(p + 1);
        const Language* lang = v.file->language;
        int id = lang ? lang->id : LANG_NONE;
        const char* name = id < SYN_NMENULANGS ? supported_lang_names[id] : "None";
        size_t n = strlen(p);
        return strncasecmp(name, p, n) == 0;
    }
    char* m = gen_sprintf("Unknown boolean expression: %s", text);
    message(edit, m);
    gen_free(m);
    *ok = 0;
    return 0;
}

std::string EditCmdArg(const EditCmdCtx* ctx) {
    const char* p = skipBlanks(ctx->text ? ctx->text : "");
    std::string out;
    // Braces of the argument's own (a configuration line's menu items) nest; a ";" or an
    // unmatched "}" ends it.
    int depth = 0;
    while (*p && !(depth == 0 && (*p == ';' || *p == '}'))) {
        if (*p == '{') depth++;
        if (*p == '}') depth--;
        if (*p == '"') {
            const char* e = skipQuoted(p);
            out.append(p, e);
            p = e;
            continue;
        }
        out.push_back(*p++);
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
        out.pop_back();
    return out;
}

std::string EditUnquote(const char* text, const char** end) {
    std::string out;
    const char* p = text;
    while (*p && *p != '"') {
        if (*p == '\\' && p[1]) {
            p++;
            switch (*p) {
            case 'n':
                out.push_back('\n');
                p++;
                break;
            case 'r':
                out.push_back('\r');
                p++;
                break;
            case 't':
                out.push_back('\t');
                p++;
                break;
            case 'a':
                out.push_back('\a');
                p++;
                break;
            case 'b':
                out.push_back('\b');
                p++;
                break;
            case 'f':
                out.push_back('\f');
                p++;
                break;
            case 'v':
                out.push_back('\v');
                p++;
                break;
            default:
                if (*p >= '0' && *p <= '7') {
                    int v = 0;
                    for (int k = 0; k < 3 && *p >= '0' && *p <= '7'; k++)
                        v = v * 8 + (*p++ - '0');
                    out.push_back((char)v);
                } else {
                    out.push_back(*p++);
                }
            }
            continue;
        }
        out.push_back(*p++);
    }
    if (end) *end = *p ? p + 1 : p;
    return out;
}

// ---- running strings ----

int EditParseCmd(Edit* edit, EditCmdCtx& location) {
    if (!location.text) return 1;
    if (location.msgWindow && edit->top && location.msgWindow == edit->top &&
        edit->parseDepth == 0 && !edit->message.empty())
        EditSetMsg(edit, ""); // the last string's message goes when the next one starts
    StringGroup g;
    bool outer = edit->parseDepth == 0;
    if (outer && edit->view.file) {
        g.file = edit->view.file;
        g.file->lastEdit = edit;
        g.mark = g.file->undo;
        g.taken = UndoTakenCount();
        const Selection& s = edit->view.sel[0];
        g.lS = s.startLine, g.cS = s.startCol, g.lE = s.endLine, g.cE = s.endCol;
    }
    if (outer) edit->unknownLinesSlot = -1;
    edit->parseDepth++;
    int result;
    {
        // A command string may close its own window: the depth is only counted back while it
        // lives, whether the string ends or a Panic unwinds it.
        ScopeGuard depth([edit] {
            if (alive(edit)) edit->parseDepth--;
        });
        result = parse(edit, location, location.text);
    }
    if (!alive(edit)) return 1;
    if (outer && g.file && edit->view.file == g.file) {
        // Several records since the string began become one group: one undo step. A lone
        // record stays as it is so that typing in later strings can still merge into it.
        // After an Undo the mark may have left the list (and its record been reused); nothing
        // is grouped then. Otherwise the walk to the mark passes only this string's records,
        // never the whole history.
        File* f = g.file;
        int n = 0;
        bool reached = false;
        if (UndoTakenCount() == g.taken)
            for (UndoRec* r = f->undo; r; r = r->next, n++)
                if (r == g.mark) {
                    reached = true;
                    break;
                }
        if (!g.mark && !reached && UndoTakenCount() == g.taken) reached = true;
        if (reached && n >= 2) {
            UndoGroup group(f, 0);
            group.mark = g.mark;
            group.lS = g.lS, group.cS = g.cS, group.lE = g.lE, group.cE = g.cE;
        }
    }
    return result;
}

int EditParseCmdLoc(Edit* edit, int x, int y, const char* string) {
    EditCmdCtx ctx;
    ctx.text = string;
    ctx.x = x;
    ctx.y = y;
    ctx.msgWindow = edit->top;
    return EditParseCmd(edit, ctx);
}

int EditCli(Edit* edit, const char* string) {
    EditCmdCtx ctx;
    ctx.text = string;
    ctx.msgWindow = edit->top;
    int r = EditParseCmd(edit, ctx);
    if (alive(edit) && edit->top) EditUpdateTitle(edit);
    return r;
}

int EditAddCmd(const char* name, EditCmdFn handler) {
    if (!name || !*name || !handler) return 0;
    if (addedCmds.size() == addedCmds.capacity()) addedCmds.reserve(addedCmds.size() + 10);
    addedNames.emplace_back(name);
    addedCmds.push_back({addedNames.back().c_str(), handler, 0});
    return 1;
}

void EditIdentifyStr(Edit* edit, const char* command, int key) {
    std::string s = command ? command : "Noop";
    if (key >= 0) {
        const char* name = KeyCodeName(key);
        std::string k = name ? name : std::string(1, (char)key);
        s += "\t(" + k + ")";
    }
    edit->identifyMode = false;
    message(edit, s.c_str());
    EditIdentifyHelp(command);
}

// ---- events ----

namespace editparse {

void scrollLines(Edit* edit, int n) {
    File* f = edit->view.file;
    int64_t top = std::clamp<int64_t>(edit->view.topLine + n, 1, std::max<int64_t>(1, f->nLines));
    EditScrollTo(edit, top);
}

void stopDragScroll();

// Keys type UTF-8; a File shown byte by byte takes what Latin-1 can hold as Latin-1 bytes.
std::string typedForFile(const File* file, const std::string& text) {
    if (!file || file->utf8 || !Utf8Valid(text.data(), text.size())) return text;
    std::string out;
    for (size_t i = 0; i < text.size();) {
        char32_t c;
        i += (size_t)Utf8Decode(text.data() + i, text.size() - i, &c);
        if (c > 0xFF) return text;
        out.push_back((char)c);
    }
    return out;
}

int keyEvent(Edit* edit, WEvent& ev) {
    // Escape while a selection is being dragged out with the mouse cancels it at once: the
    // release that follows finds no press to finish.
    if (edit->pressed && (edit->pressButton == 1 || edit->pressButton == 2) &&
        ev.key == WK_ESCAPE) {
        edit->pressed = false;
        stopDragScroll();
        if (edit->pressButton == 1) return EditParseCmdLoc(edit, -1, -1, "NoSelection");
        Selection& s = edit->view.sel[1];
        s.startLine = s.endLine = s.cursorLine;
        s.startCol = s.endCol = s.cursorCol;
        EditRedraw(edit);
        return 1;
    }
    unsigned alt = edit->altMode;
    edit->altMode = 0;
    if (!WInputAllowed(edit->view.window)) {
        WBeep();
        return 1;
    }
    // Escape ends an incremental search (or the line prompt) and insert mode, nothing else.
    if (ev.key == WK_ESCAPE && edit->search.active) {
        EditAbortSearch(edit);
        edit->insertMode = false;
        return 1;
    }
    if (edit->quoteMode) {
        edit->quoteMode = false;
        std::string t = ev.text;
        if (t.empty() && ev.key >= 0 && ev.key < 256) t.push_back((char)ev.key);
        if (!t.empty() && !EditReadOnlyCheck(edit))
            EditTypedChars(edit, t.data(), (int64_t)t.size());
        return 1;
    }
    bool plain = !(ev.modifiers & (WMOD_CONTROL | WMOD_MOD1)) && ev.key >= 32 && ev.key < 256 &&
                 ev.key != 127;
    if (!(edit->insertMode && plain)) {
        int key = ev.key;
        unsigned mods = ev.modifiers & 0xff;
        const char* cmd = key >= 0 ? InterpretEditKey(key, mods, EDITLOC_EDIT, alt) : nullptr;
        // An unbound key that types a backspace still erases. An unbound line end (Linefeed,
        // Control+j) is typed text below: the "Return" command is a motion, not a new line.
        if (!cmd && ev.text.size() == 1) {
            unsigned char c = (unsigned char)ev.text[0];
            if (c == 8 || c == 127) cmd = "Backspace";
        }
        if (cmd) {
            if (edit->identifyMode) {
                EditIdentifyStr(edit, cmd, key);
                return 1;
            }
            if (!strcmp(cmd, "HELP")) return EditHelpAtCursor(edit);
            std::string copy = cmd; // a command may rebind keys
            EditParseCmdLoc(edit, -1, -1, copy.c_str());
            return 1;
        }
    }
    std::string t;
    for (char ch : typedForFile(edit->view.file, ev.text)) {
        unsigned char c = (unsigned char)ch;
        if (c == 13) c = 10;
        if (c == '\t' || c == 10 || (c >= 32 && c != 127)) t.push_back((char)c);
    }
    if (t.empty()) return 1;
    if (edit->identifyMode) {
        std::string q = "\"";
        for (unsigned char c : t) {
            if (c < 32 || c > 126 || c == '\\' || c == '"') {
                char buf[8];
                snprintf(buf, sizeof buf, "\\%03o", c);
                q += buf;
            } else {
                q.push_back((char)c);
            }
        }
        q += "\"";
        EditIdentifyStr(edit, q.c_str(), -1);
        return 1;
    }
    if (ev.modifiers & WMOD_MOD1) return 1;
    // Typed text is one command string of its own: one undo step, merged with the typing
    // before it while the cursor stays put.
    EditCmdCtx ctx;
    std::string quoted = "\"";
    for (char c : t) {
        if (c == '"' || c == '\\') quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted += "\"";
    ctx.text = quoted.c_str();
    ctx.msgWindow = edit->top;
    EditParseCmd(edit, ctx);
    return 1;
}

// The selection's moving end follows the pointer during a drag.
void dragAdjust(Edit* edit, int x, int y) {
    if (edit->dragging || (edit->pressButton != 1 && edit->pressButton != 2)) return;
    EditCmdCtx ctx;
    ctx.x = x;
    ctx.y = y;
    ctx.text = edit->pressButton == 2 ? "SecondarySelectionAdjust" : "SelectionAdjust";
    EditParseCmd(edit, ctx);
}

// Automatic scrolling while a drag holds the pointer above or below the text area.
ExtraHandle* dragTimer = nullptr;
Edit* dragEdit = nullptr;
int dragX = 0, dragY = 0;
const int kDragScrollMs = 50;

int dragScrollTick(void*, int) {
    if (!dragEdit || !alive(dragEdit) || !dragEdit->pressed) {
        ExtraProcess_Release(dragTimer);
        dragTimer = nullptr;
        dragEdit = nullptr;
        return 1; // finished: the loop removes the entry
    }
    scrollLines(dragEdit, dragY < 0 ? -1 : 1);
    dragAdjust(dragEdit, dragX, dragY);
    ExtraProcess_SetTimeout(dragTimer, kDragScrollMs);
    return 0;
}

void startDragScroll(Edit* edit, int x, int y) {
    dragX = x;
    dragY = y;
    if (dragTimer && dragEdit == edit) return;
    if (dragTimer) {
        ExtraProcess_Kill(dragTimer, 0);
        ExtraProcess_Release(dragTimer);
    }
    dragEdit = edit;
    scrollLines(edit, y < 0 ? -1 : 1);
    dragTimer = ExtraProcess_Create(XP_TIMER, kDragScrollMs, dragScrollTick, nullptr, nullptr);
}

void stopDragScroll() {
    if (!dragTimer) return;
    ExtraProcess_Kill(dragTimer, 0);
    ExtraProcess_Release(dragTimer);
    dragTimer = nullptr;
    dragEdit = nullptr;
}

unsigned buttonMask(int button) {
    return button >= 1 && button <= 5 ? (unsigned)(0x100 << (button - 1)) : 0;
}

int runMouse(Edit* edit, int button, unsigned mods, int clicks, int kind, int x, int y,
             bool margin) {
    unsigned alt = edit->altMode;
    const char* cmd = nullptr;
    if (margin)
        cmd = InterpretEditMouse((int)buttonMask(button), mods, EDITLOC_MARGIN, 0, clicks, kind,
                                 nullptr);
    if (!cmd)
        cmd = InterpretEditMouse((int)buttonMask(button), mods, EDITLOC_EDIT, alt, clicks, kind,
                                 nullptr);
    if (!cmd) return 1;
    if (edit->identifyMode) {
        EditIdentifyStr(edit, cmd, -1);
        return 1;
    }
    std::string copy = cmd;
    return EditParseCmdLoc(edit, x, y, copy.c_str());
}

int buttonEvent(Edit* edit, WEvent& ev, bool margin) {
    int x = margin ? 0 : ev.x;
    unsigned mods = ev.modifiers & 0xff;
    if (ev.direction > 0) {
        if (ev.button == 4 || ev.button == 5) {
            scrollLines(edit, ev.button == 4 ? -3 : 3);
            return 1;
        }
        // The toolkit held this press back to count clicks, but its first click already ran
        // when it happened: only a double or triple click has more to do.
        bool ranAtOnce = edit->pressRanAtOnce;
        edit->pressRanAtOnce = false;
        if (ranAtOnce && ev.clicks <= 1) return 1;
        WSetFocusChild(edit->view.window);
        if (!WInputAllowed(edit->view.window)) {
            WBeep();
            return 1;
        }
        edit->pressed = true;
        edit->pressButton = ev.button;
        edit->pressX = x;
        edit->pressY = ev.y;
        edit->pressClicks = ev.clicks > 0 ? ev.clicks : 1;
        edit->dragMoved = false;
        if (edit->pressClicks == 1) edit->view.boundaryMode = 0;
        return runMouse(edit, ev.button, mods, edit->pressClicks, EV_PRESS, x, ev.y, margin);
    }
    if (ev.direction == 0) {
        if (!edit->pressed) return 1;
        int dist = abs(ev.x - edit->pressX) + abs(ev.y - edit->pressY);
        if (!edit->dragMoved && dist <= std::max(0, ignoremotion)) return 1;
        edit->dragMoved = true;
        // Outside the text area the view keeps scrolling while the button stays down.
        if (ev.y < 0 || ev.y >= edit->view.height)
            startDragScroll(edit, ev.x, ev.y);
        else
            stopDragScroll();
        dragAdjust(edit, ev.x, ev.y);
        return 1;
    }
    if (ev.button == 4 || ev.button == 5) return 1;
    if (!edit->pressed) return 1;
    edit->pressed = false;
    stopDragScroll();
    int rx = edit->dragMoved ? x : edit->pressX;
    int ry = edit->dragMoved ? ev.y : edit->pressY;
    return runMouse(edit, ev.button, mods, edit->pressClicks, EV_RELEASE, rx, ry, margin);
}

} // namespace editparse
using namespace editparse;

// Events in the selection margin, or in the margin column left of the text, act on whole lines.
static bool inMargin(Edit* edit, const WEvent& ev) {
    if (edit->margin && ev.window == edit->margin) return true;
    return ev.window == edit->view.window && edit->panes && ev.x < edit->panes->offset;
}

int EditPressAtOnce(Edit* edit, WEvent& ev) {
    if (ev.kind != WE_BUTTON || ev.direction <= 0 || ev.button > 3) return 1;
    editEventTime = ev.time;
    edit->pressRanAtOnce = false;
    int r = buttonEvent(edit, ev, inMargin(edit, ev));
    if (alive(edit)) edit->pressRanAtOnce = true;
    return r;
}

int EditEventParse(Edit* edit, WEvent& ev) {
    editEventTime = ev.time;
    switch (ev.kind) {
    case WE_KEY:
        return keyEvent(edit, ev);
    case WE_HELP:
        // A key bound to HELP: in identify mode it is explained like any other.
        if (edit->identifyMode) {
            EditIdentifyStr(edit, "HELP", ev.key);
            return 1;
        }
        return EditHelpAtCursor(edit);
    case WE_BUTTON:
        return buttonEvent(edit, ev, inMargin(edit, ev));
    case WE_SELECTION:
        if (!ev.lost) EditPasteArrived(edit, ev);
        return 1;
    default:
        return 1;
    }
}

void EditCmdInit() {
    EditCmds(); // resolve the table once
    EditAddOptionCommands();
}

// ---- the rows this file handles ----

