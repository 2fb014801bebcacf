// editor/editshell.cc: the commands that run shell commands (Shell, ExecuteCmd, CommandToWindow,
// CmdPrompt2Wnd), Grep and Make, and the %-variables of their command texts.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "buffer/change.h"
#include "buffer/exec.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "dialogue/dlgopen.h"
#include "editor/editcmd.h"
#include "editor/editdialogs.h"
#include "editor/execwin.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

namespace editshell {

// The argument of a command: a double-quoted string (escapes resolved; the only way to give a
// command holding ";") or the text up to the ";" that ends the command; asked for when there
// is none. False when the question was cancelled.
bool commandArgument(EditCmdCtx* ctx, const char* window, std::string& out) {
    std::string arg = EditCmdArg(ctx);
    if (!arg.empty() && arg[0] == '"') {
        const char* end = nullptr;
        out = EditUnquote(arg.c_str() + 1, &end);
    } else {
        out = arg;
    }
    if (!out.empty()) return true;
    return WPrompt(window, "Shell Command to execute?", out) == 1 && !out.empty();
}

// Single quotes keep every shell special of a pattern as it is.
std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

int cmdShell(Edit* e, EditCmdCtx* ctx) {
    std::string command;
    if (!commandArgument(ctx, "Shell", command)) return 1;
    if (!EditCmdSubstitute(e, command)) return 1;
    std::string msg = "Executing: " + command;
    EditSetMsg(e, msg.c_str());
    int ok = NoWaitSystem(command.c_str(), nullptr, nullptr);
    if (e->message.compare(0, 4, "Exec") == 0) EditSetMsg(e, "");
    return ok;
}

int cmdExecuteCmd(Edit* e, EditCmdCtx* ctx) {
    if (EditReadOnlyCheck(e)) return 1;
    std::string command;
    if (!commandArgument(ctx, "ExecuteCmd", command)) return 1;
    if (!EditCmdSubstitute(e, command)) return 1;
    char* msg = gen_sprintf("Executing: %.40s", command.c_str());
    EditSetMsg(e, msg);
    gen_free(msg);
    WSetCursor(e->view.window, WCURSOR_LEFTRIGHT);
    int64_t l1, l2;
    int c1, c2;
    EditSelectionRange(e, &l1, &c1, &l2, &c2);
    File* f = e->view.file;
    int ok = FileExecuteStr(f, EditHintLine(f), EditHintNo(f), l1, c1, l2, c2, command.c_str());
    WSetCursor(e->view.window, WCURSOR_ARROW);
    EditSetCursor(e, l1, c1);
    if (e->message.compare(0, 4, "Exec") == 0) EditSetMsg(e, "");
    return ok;
}

int commandToWindow(Edit* e, EditCmdCtx* ctx, const char* window, bool modify) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    std::string command;
    if (!commandArgument(ctx, window, command)) return 1;
    if (!EditCmdSubstitute(e, command)) return 1;
    if (modify && (WPrompt(window, "Modify shell command", command) != 1 || command.empty()))
        return 1;
    return FileFExecuteStr(command.c_str(), e, nullptr) ? 1 : 0;
}
int cmdCommandToWindow(Edit* e, EditCmdCtx* ctx) {
    return commandToWindow(e, ctx, "CommandToWindow", false);
}
int cmdCmdPrompt2Wnd(Edit* e, EditCmdCtx* ctx) {
    return commandToWindow(e, ctx, "CmdPrompt2Wnd", true);
}

// ---- Grep ----

std::string grepDescription;

// The closing text, cut at blanks into pieces of at most 70 characters, each a "----- " line.
void grepEnded(File* file, int status) {
    std::string text;
    if (file->terminated)
        text = "Grep aborted by user (tried to grep " + grepDescription + ")";
    else if (status == 0)
        text = "Grep finished (grepped " + grepDescription + ")";
    else
        text = "Grep " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : status) +
               " (tried to grep " + grepDescription + ")";
    std::string lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t n = std::min<size_t>(70, text.size() - at);
        if (at + n < text.size()) {
            size_t blank = text.rfind(' ', at + n);
            if (blank != std::string::npos && blank > at) n = blank - at;
        }
        lines += "----- " + text.substr(at, n) + "\n";
        at += n;
        while (at < text.size() && text[at] == ' ') at++;
    }
    FileAppendOutput(file, lines.data(), (int64_t)lines.size(), true);
}

std::string lastTarget;
void makeOpened(WDialog* d);
void grepOpened(WDialog* d);
void grepClosing(WDialog* d, int result);

const bool hooksSet = [] {
    SetDialogueHooks("Grep", {grepOpened, grepClosing});
    SetDialogueHooks("Make", {makeOpened, nullptr});
    return true;
}();

// What the Grep dialogue shows and gives back: the last pattern and the choices made, kept
// for the next time it opens.
struct GrepAsk {
    std::string pattern;
    bool fold = false, word = false, literal = false;
    bool confirmed = false;
} grepAsk;

Widget* widgetNamed(WDialog* d, const char* name) {
    return WDialogFind(d, name);
}

void grepOpened(WDialog* d) {
    grepAsk.confirmed = false;
    if (Widget* w = widgetNamed(d, "pattern")) WidgetSetText(w, grepAsk.pattern);
    if (Widget* w = widgetNamed(d, "fold")) WidgetSetValue(w, grepAsk.fold);
    if (Widget* w = widgetNamed(d, "word")) WidgetSetValue(w, grepAsk.word);
    if (Widget* w = widgetNamed(d, "literal")) WidgetSetValue(w, grepAsk.literal);
}

void grepClosing(WDialog* d, int result) {
    if (result != 1) return;
    if (Widget* w = widgetNamed(d, "pattern")) grepAsk.pattern = WidgetText(w);
    if (Widget* w = widgetNamed(d, "fold")) grepAsk.fold = w->value != 0;
    if (Widget* w = widgetNamed(d, "word")) grepAsk.word = w->value != 0;
    if (Widget* w = widgetNamed(d, "literal")) grepAsk.literal = w->value != 0;
    grepAsk.confirmed = true;
}

// The pattern and its options asked in the Grep dialogue, starting from the options given
// on the command line. False when it was cancelled or left no pattern.
bool askGrep(Edit* e, std::string& pattern, bool& fold, bool& word, bool& literal) {
    grepAsk.fold = grepAsk.fold || fold;
    grepAsk.word = grepAsk.word || word;
    grepAsk.literal = grepAsk.literal || literal;
    (void)hooksSet;
    if (EditOpenDialogue(e, "Grep", {}) < 0 || !grepAsk.confirmed || grepAsk.pattern.empty())
        return false;
    pattern = grepAsk.pattern;
    fold = grepAsk.fold;
    word = grepAsk.word;
    literal = grepAsk.literal;
    return true;
}

int cmdGrep(Edit* e, EditCmdCtx* ctx) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    bool fold = false, word = false, literal = false;
    std::string pattern = EditCmdArg(ctx);
    // Option words before the pattern: -i, -w, -F, letters combinable, any case.
    for (;;) {
        size_t i = pattern.find_first_not_of(" \t");
        if (i == std::string::npos || pattern[i] != '-' || i + 1 >= pattern.size()) break;
        size_t j = i + 1;
        while (j < pattern.size() && strchr("iIwWfF", pattern[j])) j++;
        if (j == i + 1 || (j < pattern.size() && pattern[j] != ' ' && pattern[j] != '\t')) break;
        for (size_t k = i + 1; k < j; k++) {
            char c = (char)tolower((unsigned char)pattern[k]);
            fold |= c == 'i';
            word |= c == 'w';
            literal |= c == 'f';
        }
        pattern.erase(0, j);
    }
    size_t i = pattern.find_first_not_of(" \t");
    pattern = i == std::string::npos ? "" : pattern.substr(i);
    if (pattern.size() >= 2 && pattern.front() == '"') {
        const char* end = nullptr;
        pattern = EditUnquote(pattern.c_str() + 1, &end);
    }
    if (pattern.empty() && !askGrep(e, pattern, fold, word, literal)) return 1;
    std::string command = ExecInstalledProgram("gnugrep");
    if (literal) command += " -F";
    if (fold) command += " -i";
    if (word) command += " -w";
    command += " -n -e " + shellQuote(pattern);
    // The open Files with a file of their own, in the order they were opened.
    std::vector<const char*> names;
    for (File* f = FileHead(); f; f = f->next)
        if (f->name && !f->internal && !(f->isNew && !f->savedOnce)) names.insert(names.begin(), f->name);
    for (const char* n : names) command += " " + shellQuote(n);
    if (names.size() < 2) command += " /dev/null"; // so that grep names the file on each line
    grepDescription = "for " + pattern + " in your open files";
    return ErrorFExecuteStr(command.c_str(), e, 0, nullptr, 1, grepEnded, nullptr, "grep") ? 1 : 0;
}

// ---- Make ----

// The command that makes `target`: in its directory when it names one (dir gets it).
std::string makeCommand(const std::string& target, std::string& dir) {
    size_t slash = target.rfind('/');
    if (slash == std::string::npos) {
        dir.clear();
        return "make " + target;
    }
    dir = target.substr(0, slash);
    char* c = gen_sprintf(" cd %.*s ; make %s", (int)dir.size(), dir.c_str(),
                          target.c_str() + slash + 1);
    std::string command = c;
    gen_free(c);
    return command;
}

int cmdMake(Edit* e, EditCmdCtx* ctx) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    std::string target = EditCmdArg(ctx);
    if (target.empty()) target = lastTarget;
    if (target.empty() && (WPrompt("Make", "Thing to make?", target) != 1 || target.empty()))
        return 1;
    lastTarget = target;
    std::string dir;
    std::string command = makeCommand(target, dir);
    return ErrorFExecuteStr(command.c_str(), e, 0, dir.c_str(), 1, nullptr, nullptr, "make") ? 1
                                                                                            : 0;
}

// The Make dialogue shows the remembered target, ready to change, and the command it runs;
// its button runs Make with the target typed.
void makeOpened(WDialog* d) {
    if (Widget* w = widgetNamed(d, "target")) WidgetSetText(w, lastTarget);
    if (Widget* w = widgetNamed(d, "command")) {
        std::string dir;
        WidgetSetText(w, lastTarget.empty() ? std::string("Nothing made yet")
                                            : "Last run: " + makeCommand(lastTarget, dir));
    }
}

} // namespace editshell
using namespace editshell;

bool EditCmdSubstitute(Edit* edit, std::string& text) {
    std::string out;
    File* f = edit->view.file;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        auto word = [&](const char* w) {
            size_t n = strlen(w);
            if (text.compare(i + 1, n, w) != 0) return false;
            i += n;
            return true;
        };
        if (i + 1 < text.size() && text[i + 1] == '%') {
            out += '%';
            i++;
        } else if (word("FILE")) {
            out += f && f->name ? f->name : "";
        } else if (word("SEL")) {
            int64_t l1, l2;
            int c1, c2;
            EditSelectionRange(edit, &l1, &c1, &l2, &c2);
            if (l1 != l2 || c1 != c2) {
                int64_t len = 0;
                GenStr sel(FileToStr(f, EditHintLine(f), EditHintNo(f), l1, c1, l2, c2, &len));
                out.append(sel.get() ? sel.get() : "", (size_t)std::min<int64_t>(len, 255));
            }
        } else if (word("LINE")) {
            int64_t l1, l2;
            int c1, c2;
            EditSelectionRange(edit, &l1, &c1, &l2, &c2);
            out += std::to_string(l1);
        } else if (word("COMMENTS")) {
            std::string comments;
            if (WPrompt("Comments", "Enter comments", comments) != 1) return false;
            out += "\"" + comments + "\"";
        } else {
            out += '%';
        }
    }
    text = out;
    return true;
}

