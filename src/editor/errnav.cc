// editor/errnav.cc: error navigation: reading a file name and a line number out of compiler,
// make and grep output, and opening the file there (NextError, ErrorOrTag, ToggleErrorView).
#include "editor/errnav.h"

#include <cctype>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "editor/editcmd.h"
#include "editor/execwin.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/handles.h"
#include "toolkit/toolkit.h"

namespace errnav {

bool isFile(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A name as the error list's command saw it: first in its directory, then as given.
std::string resolve(const std::string& name, const std::string& dir) {
    if (name.empty()) return "";
    if (name[0] != '/' && !dir.empty()) {
        std::string inDir = dir + (dir.back() == '/' ? "" : "/") + name;
        if (isFile(inDir)) return inDir;
    }
    return isFile(name) ? name : "";
}

bool wordChar(char c) {
    return isalnum((unsigned char)c) || strchr("._/\\[]-+", c) != nullptr;
}

// "NAME", line N / "NAME", lines N-M / "NAME", char N.
int quotedForm(const std::string& t, const std::string& dir, ErrorPos& pos) {
    if (t.empty() || t[0] != '"') return ERR_LINE_NONE;
    size_t close = t.find('"', 1);
    if (close == std::string::npos) return ERR_LINE_NONE;
    std::string name = t.substr(1, close - 1);
    std::string rest = t.substr(close + 1);
    auto digitsAfter = [&](const char* marker, size_t& end) -> int64_t {
        size_t n = strlen(marker);
        if (rest.compare(0, n, marker) != 0) return -1;
        end = n;
        while (end < rest.size() && isdigit((unsigned char)rest[end])) end++;
        return end > n ? atoll(rest.c_str() + n) : -1;
    };
    size_t end = 0;
    int64_t n;
    if ((n = digitsAfter(", lines ", end)) >= 0 || (n = digitsAfter(", line ", end)) >= 0) {
        bool lines = rest.compare(0, 8, ", lines ") == 0;
        char next = end < rest.size() ? rest[end] : 0;
        if (next == '\t' || next == ':' || (lines && next == '-')) {
            pos.file = resolve(name, dir);
            pos.line = n;
            if (!pos.file.empty()) return ERR_LINE_POSITION;
        }
    } else if ((n = digitsAfter(", char ", end)) >= 0 && end < rest.size() && rest[end] == '.') {
        pos.file = resolve(name, dir);
        pos.charOffset = n;
        if (!pos.file.empty()) return ERR_LINE_CHAR;
    }
    return ERR_LINE_NONE;
}

} // namespace errnav
using namespace errnav;

int ErrorParseLine(const std::string& t, int cursorCol, const std::string& dir, ErrorPos& pos) {
    pos = ErrorPos();
    if (t.find("Copyright (C)") != std::string::npos || t.compare(0, 6, "ld.so:") == 0)
        return ERR_LINE_NO_INFO;
    size_t lrm = t.find("LRM:");
    if (lrm != std::string::npos && (int)lrm <= cursorCol) {
        size_t a = lrm + 4;
        while (a < t.size() && t[a] == ' ') a++;
        size_t b = t.find_first_of(",( ", a);
        pos.chapter = t.substr(a, b == std::string::npos ? std::string::npos : b - a);
        return ERR_LINE_LRM;
    }
    if (int r = quotedForm(t, dir, pos)) return r;
    // Words of file-name characters; a ':' belongs to a word only as a drive letter.
    size_t i = 0;
    while (i < t.size() && (pos.file.empty() || pos.line < 0)) {
        if (!wordChar(t[i])) {
            i++;
            continue;
        }
        size_t start = i;
        while (i < t.size()) {
            if (wordChar(t[i])) {
                i++;
            } else if (t[i] == ':' && i == start + 1 && isalpha((unsigned char)t[start]) &&
                       !(i + 1 < t.size() && isdigit((unsigned char)t[i + 1]))) {
                i++;
            } else {
                break;
            }
        }
        std::string word = t.substr(start, i - start);
        bool digits = word.find_first_not_of("0123456789") == std::string::npos;
        char before = start > 0 ? t[start - 1] : 0;
        if (digits && pos.line < 0 && (before == ' ' || before == '\t' || before == ':')) {
            pos.line = atoll(word.c_str());
        } else if (!digits && pos.file.empty() && word.find('.') != std::string::npos) {
            pos.file = resolve(word, dir);
        }
    }
    return !pos.file.empty() && pos.line >= 0 ? ERR_LINE_POSITION : ERR_LINE_NONE;
}

namespace errnav {

MHandle* lastTarget = nullptr; // the editor the last error opened (ToggleErrorView)

// A control character other than tab, LF and CR, or a byte of 127 or more, in the first two.
bool looksBinary(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    unsigned char b[2];
    ssize_t n = read(fd, b, 2);
    close(fd);
    for (ssize_t i = 0; i < n; i++)
        if ((b[i] < 32 && b[i] != '\t' && b[i] != '\n' && b[i] != '\r') || b[i] >= 127) return true;
    return false;
}

Edit* listEditor(Edit* invoking, File* list) {
    if (invoking->view.file == list) return invoking;
    return list->edits;
}

void say(Edit* e, bool report, const char* text) {
    if (report) EditSetMsg(e, text);
}

// Opens the file with its line (on-disk numbering) selected; 1 when shown.
int showError(Edit* invoking, const std::string& path, int64_t line, int64_t charOffset) {
    File* f = FileFLookup(path.c_str());
    Edit* e = nullptr;
    if (f && f->edits) e = invoking->view.file == f ? invoking : f->edits;
    if (!e) {
        e = CreateEWind_line(f ? f : FileFName(path.c_str()), 1);
        if (!e) {
            char* m = gen_sprintf("Can't find file %s", path.c_str());
            EditSetMsg(invoking, m);
            gen_free(m);
            return 0;
        }
        f = e->view.file;
    }
    int64_t target = line;
    if (charOffset >= 0) {
        // A character offset counts every line with its line end.
        int64_t left = charOffset, no = 1;
        for (Line* l = f->first; l && left > l->len; l = l->next, no++) left -= l->len + 1;
        target = no;
    } else {
        if (target < 1 || target > f->nLines) target = f->nLines;
        target = FileLinenoFDiskLineno(f, target);
    }
    if (target > f->nLines) target = f->nLines;
    if (target < 1) target = 1;
    EditsRaiseOne(e);
    EditFileCheck(e, f);
    EditSetLine(e, target, 1);
    int len = EditLineLen(f, target);
    EditSetSelection(e, 0, target, EditColStartOfText(e, target), target, len);
    vGrabSelection(&e->view, 0);
    EditUpdateTitle(e);
    MHandleDestroy(lastTarget);
    lastTarget = MHandleCreate(MHANDLE_EDITOR, e);
    return 1;
}

} // namespace errnav
using namespace errnav;

int Edit_NextError(Edit* edit, File* list, int64_t line, int report) {
    for (;;) {
        Edit* le = listEditor(edit, list);
        if (line > 0)
            list->errorLine = line, line = -1;
        else
            list->errorLine = list->errorLine > 0 ? list->errorLine + 1 : 1;
        if (list->errorLine > list->nLines) {
            list->errorLine = 0;
            if (le) EditSetLine(le, 1, 0);
            say(edit, report, "No more errors");
            return 1;
        }
        int64_t n = list->errorLine;
        Line* l = FileLine(list, n);
        std::string text(FileLineText(list, l), (size_t)l->len);
        int cursorCol = l->len;
        if (le) {
            EditSetSelection(le, 0, n, 0, n, l->len);
            EditSetLine(le, n, 1);
        }
        ErrorPos pos;
        int kind = ErrorParseLine(text, cursorCol, list->execDir, pos);
        if (kind == ERR_LINE_NO_INFO) {
            say(edit, report, "No file/line info on that line");
            return 1;
        }
        if (kind == ERR_LINE_LRM) {
            std::string command = ExecInstalledProgram("lrmtool") + " '" + pos.chapter + "'";
            return NoWaitSystem(command.c_str(), nullptr, nullptr);
        }
        if (kind == ERR_LINE_NONE) continue;
        if (looksBinary(pos.file)) {
            char* q = gen_sprintf("%.40s appears to be a binary file, edit it anyway?",
                                  pos.file.c_str());
            int yes = WYesNo("Binary file", q, 0);
            gen_free(q);
            if (!yes) continue;
        }
        ExecSetLastErrorList(list);
        if (ExecExternalEditorWanted())
            return ExecExternalEditor(edit, pos.file, pos.charOffset >= 0 ? -1 : pos.line);
        return showError(edit, pos.file, pos.line, pos.charOffset);
    }
}

namespace errnav {

int cmdNextError(Edit* e, EditCmdCtx*) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    return Edit_NextError(e, e->view.file, -1, 1);
}

// The newest command output File, by the order of the list of all Files.
File* newestOutput() {
    for (File* f = FileHead(); f; f = f->next)
        if (f->internal && f->noReload) return f;
    return nullptr;
}

File* currentErrorList(Edit* e) {
    if (e->view.file->noReload) return e->view.file; // invoked in an output window
    if (File* f = ExecLastErrorList()) return f;
    return newestOutput();
}

int cmdErrorOrTag(Edit* e, EditCmdCtx*) {
    if (e->fixed) {
        WBeep();
        return 1;
    }
    File* list = currentErrorList(e);
    if (!list) {
        EditSetMsg(e, "No error file");
        return 1;
    }
    return Edit_NextError(e, list, -1, 1);
}

// Between the error list and the window of the error last shown.
int cmdToggleErrorView(Edit* e, EditCmdCtx*) {
    File* list = currentErrorList(e);
    if (!list) {
        EditSetMsg(e, "No error file");
        return 1;
    }
    Edit* target = static_cast<Edit*>(MHandleGetData(lastTarget));
    if (e->view.file == list && target) {
        EditsRaiseOne(target);
        return 1;
    }
    Edit* le = list->edits ? list->edits : CreateEWind(list);
    EditsRaiseOne(le);
    return 1;
}

} // namespace errnav
using namespace errnav;

