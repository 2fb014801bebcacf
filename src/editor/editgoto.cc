// editor/editgoto.cc: going to a place by what the user names: a column of the cursor's line
// (Column), a file named in the text (OpenText), and a line, tag or file typed or asked for
// (Goto).
#include <cctype>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "buffer/columns.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "buffer/tags.h"
#include "editor/cmdhandlers.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "editor/editsearch.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

namespace editgoto {

namespace {

// A whole number, optionally signed: a sign makes it relative.
bool parseNumber(const std::string& text, long long& value, bool& relative) {
    size_t i = 0;
    relative = !text.empty() && (text[0] == '+' || text[0] == '-');
    if (relative) i = 1;
    if (i >= text.size() || text.size() - i > 12) return false;
    for (size_t k = i; k < text.size(); k++)
        if (!isdigit((unsigned char)text[k])) return false;
    value = atoll(text.c_str() + i);
    if (text[0] == '-') value = -value;
    return true;
}

std::string trimmed(const std::string& s) {
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

std::string lineText(File* f, int64_t line) {
    if (line < 1 || line > f->nLines) return std::string();
    Line* l = EditFileLine(f, line);
    return std::string(FileLineText(f, l), (size_t)l->len);
}

// A beep and the message; the command fails.
int fail(Edit* e, const std::string& message) {
    WBeep();
    EditSetMsg(e, message.c_str());
    return 0;
}

// The cursor's display column, from 1 as the title bar shows it.
int cursorColumn(Edit* e) {
    File* f = e->view.file;
    std::string t = lineText(f, e->view.sel[0].cursorLine);
    int col = std::min(e->view.sel[0].cursorCol, (int)t.size());
    return LineCols(t.data(), (int)t.size(), col, f->utf8) + 1;
}

// The file a name in the text means, without offering to make one: the name itself, beside
// the File, a loaded File of that base name, or (for a header) under the system's include
// directories. Null when there is none.
File* existingFile(const std::string& typed, File* current) {
    std::string name = ExpandFileName(typed);
    if (name.empty()) return nullptr;
    struct stat st;
    auto regular = [&](const std::string& path) {
        return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    };
    if (name[0] == '/') return regular(name) ? FileFName(name.c_str()) : nullptr;
    if (current && current->name && !current->internal && strchr(current->name, '/')) {
        GenStr dir(gen_dirname(current->name));
        std::string beside = std::string(dir.get()) + "/" + name;
        if (regular(beside)) return FileFName(beside.c_str());
    }
    if (regular(name)) return FileFName(name.c_str());
    if (File* f = FileFBaseName(name.c_str())) return f;
    for (const char* dir : {"/usr/local/include/", "/usr/include/"}) {
        std::string path = dir + name;
        if (regular(path)) return FileFName(path.c_str());
    }
    return nullptr;
}

// Splits "name:line" (as compilers and grep write places) into the name and the line.
void splitPlace(std::string& name, long long& line) {
    line = 0;
    size_t colon = name.find(':');
    if (colon == std::string::npos || colon == 0) return;
    size_t end = colon + 1;
    while (end < name.size() && isdigit((unsigned char)name[end])) end++;
    if (end == colon + 1 || end - colon > 12) return;
    line = atoll(name.c_str() + colon + 1);
    name.resize(colon);
}

// Shows the File in this window (on top of its stack when it is another) at line, or where
// it was when line is 0.
bool showFile(Edit* e, File* f, long long line) {
    if (f != e->view.file && !EditPush(e, f, 0)) return false;
    if (line > 0) EditGotoLineText(e, std::to_string(line));
    return true;
}

// The file name the text names at the cursor: the selection on one line, else the run of
// file-name characters around the cursor, else the name an #include line gives.
std::string nameAtCursor(Edit* e) {
    File* f = e->view.file;
    const Selection& s = e->view.sel[0];
    std::string t = lineText(f, s.cursorLine);
    if (!SelEmpty(s) && s.startLine == s.endLine && s.startLine <= f->nLines)
        return trimmed(lineText(f, s.startLine)
                           .substr((size_t)s.startCol, (size_t)(s.endCol - s.startCol)));
    auto nameChar = [&](size_t i) {
        unsigned char c = (unsigned char)t[i];
        return isalnum(c) || strchr("_-.+/~$:{}", c) || c >= 128;
    };
    size_t a = std::min((size_t)std::max(s.cursorCol, 0), t.size()), b = a;
    while (a > 0 && nameChar(a - 1)) a--;
    while (b < t.size() && nameChar(b)) b++;
    std::string w = t.substr(a, b - a);
    // A name at the end of a sentence keeps its full stop out; "file:12:" its last colon.
    while (!w.empty() && strchr(".:,", w.back())) w.pop_back();
    if (!w.empty() && w != "#include" && w != "include") return w;
    size_t open = t.find_first_of("\"<");
    if (t.find("include") != std::string::npos && open != std::string::npos) {
        size_t close = t.find_first_of("\">", open + 1);
        if (close != std::string::npos) return t.substr(open + 1, close - open - 1);
    }
    return w;
}

} // namespace

// Column N: the cursor to display column N (from 1) of its line, or to its end when the line
// is shorter; "+N" and "-N" count from the cursor's column. Without an argument, asked for
// with the cursor's column offered.
int cmdColumn(Edit* e, EditCmdCtx* ctx) {
    File* f = e->view.file;
    std::string arg = EditCmdArg(ctx);
    if (arg.empty()) {
        arg = std::to_string(cursorColumn(e));
        if (WPrompt("Column", "Column to goto?", arg) != 1) return 1;
        arg = trimmed(arg);
    }
    long long want = 0;
    bool relative = false;
    if (!parseNumber(arg, want, relative)) return fail(e, "Invalid column number: " + arg);
    if (relative) want += cursorColumn(e);
    if (want < 1) return fail(e, "Invalid column number: " + arg);
    int64_t line = e->view.sel[0].cursorLine;
    std::string t = lineText(f, line);
    long long last = LineCols(t.data(), (int)t.size(), (int)t.size(), f->utf8);
    int col = LineIndexAtCol(t.data(), (int)t.size(), 0, (int)std::min(want - 1, last), f->utf8);
    EditSetCursor(e, line, col);
    EditShowCursor(e);
    if (want - 1 > last) {
        GenStr m(gen_sprintf("Line %lld has %lld columns", (long long)line, last));
        EditSetMsg(e, m.get());
    }
    return 1;
}

// OpenText [NAME]: the file the argument names, else the one the text names at the cursor
// (see nameAtCursor), onto this window's stack; "NAME:LINE" goes to that line.
int cmdOpenText(Edit* e, EditCmdCtx* ctx) {
    std::vector<std::string> words = FileNameWords(EditCmdArg(ctx));
    std::string name = words.empty() ? nameAtCursor(e) : words[0];
    if (name.empty()) return fail(e, "No file name at the cursor");
    long long line = 0;
    File* f = existingFile(name, e->view.file);
    if (!f) {
        std::string path = name;
        splitPlace(path, line);
        if (line > 0) f = existingFile(path, e->view.file);
    }
    if (!f) return fail(e, "Can't find file: " + name);
    return showFile(e, f, line) ? 1 : 0;
}

// Goto [TEXT]: a line number ("+N", "-N" from the cursor), a place "FILE:LINE", a file or a
// tag, tried in that order; without TEXT, asked for.
int cmdGoto(Edit* e, EditCmdCtx* ctx) {
    std::string text = EditCmdArg(ctx);
    if (text.empty()) {
        if (WPrompt("Goto", "Goto line, file or tag?", text) != 1) return 1;
        text = trimmed(text);
        if (text.empty()) return 1;
    }
    long long n = 0;
    bool relative = false;
    if (parseNumber(text, n, relative)) return EditGotoLineText(e, text);
    std::string name = text;
    long long line = 0;
    splitPlace(name, line);
    if (File* f = existingFile(name, e->view.file)) return showFile(e, f, line) ? 1 : 0;
    if (line == 0 && TagDefinitions(text.c_str()) > 0) return EditGoToTag(e, text, 0);
    return fail(e, "No line, file or tag " + text);
}

} // namespace editgoto
