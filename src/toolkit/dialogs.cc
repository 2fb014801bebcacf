// toolkit/dialogs.cc: the standard dialogues built from dialogue widgets: alert, yes/no,
// buttons, prompt and the file chooser (directory list, file list, filter and a typed path,
// with the last directory remembered per purpose).
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fnmatch.h>
#include <map>
#include <pwd.h>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

namespace {

std::string trimmedText(const char* text) {
    std::string t = text ? text : "";
    while (!t.empty() && t.back() == '\n') t.pop_back();
    return t;
}

// Text above a row of buttons; the buttons are numbered from 0 in order.
WDialog* questionDialog(const char* title, const std::string& text,
                        const std::vector<std::string>& labels, int dflt, int cancelValue) {
    WDialog* d = WDialogNew(title && *title ? title : "qe");
    d->batchText = text;
    d->cancelResult = cancelValue;
    WDialogAdd(d, nullptr, WG_LABEL, "text", text.c_str());
    WDialogAdd(d, nullptr, WG_SEPARATOR, nullptr, nullptr);
    Widget* row = WDialogAdd(d, nullptr, WG_ROW, "buttons", nullptr);
    row->align = WALIGN_CENTER;
    for (size_t i = 0; i < labels.size(); i++) {
        Widget* b = WDialogAdd(d, row, WG_BUTTON, nullptr, labels[i].c_str());
        b->isDefault = (int)i == dflt;
        if ((int)i == dflt) d->focus = b;
    }
    return d;
}

int labelOrIndex(WDialog* d, const std::string& answer) {
    Widget* row = WDialogFind(d, "buttons");
    for (size_t i = 0; i < row->children.size(); i++)
        if (!strcasecmp(row->children[i]->label.c_str(), answer.c_str())) return (int)i;
    char* end = nullptr;
    long n = strtol(answer.c_str(), &end, 10);
    if (!answer.empty() && end && !*end && n >= 0 && n < (long)row->children.size()) return (int)n;
    return -1;
}

std::string labelOf(WDialog*, Widget* b) {
    return b->label;
}

int yesOrNo(WDialog* d, const std::string& a) {
    if (!strcasecmp(a.c_str(), "yes") || a == "y" || a == "1") return 0;
    if (!strcasecmp(a.c_str(), "no") || a == "n" || a == "0") return 1;
    Widget* row = WDialogFind(d, "buttons");
    return row->children[0]->isDefault ? 0 : 1;
}

std::string yesNoWord(WDialog*, Widget* b) {
    return b->label == "Yes" ? "yes" : "no";
}

// ---- file chooser ----

struct Chooser {
    WDialog* d = nullptr;
    std::string dir; // as given (relative stays relative), without a trailing "/"
    std::string chosen;
    bool several = false;
    Widget *dirList, *fileList, *filter, *path, *where;
};

std::map<std::string, std::string>& rememberedDirs() {
    static std::map<std::string, std::string> dirs;
    return dirs;
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (name.empty()) return dir;
    if (name[0] == '/' || dir.empty() || dir == ".") return name;
    return dir == "/" ? "/" + name : dir + "/" + name;
}

bool isDir(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void readDir(Chooser* c) {
    std::vector<std::string> dirs, files;
    std::string pattern = WidgetText(c->filter);
    if (pattern.empty()) pattern = "*";
    if (DIR* dp = opendir(c->dir.c_str())) {
        while (dirent* e = readdir(dp)) {
            std::string name = e->d_name;
            if (name == ".") continue;
            if (isDir(joinPath(c->dir == "." ? "." : c->dir, name)) || name == "..")
                dirs.push_back(name + "/");
            else if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
                files.push_back(name);
        }
        closedir(dp);
    }
    std::sort(dirs.begin(), dirs.end());
    std::sort(files.begin(), files.end());
    WidgetSetItems(c->dirList, dirs);
    WidgetSetItems(c->fileList, files);
    GenStr full(gen_realpath(c->dir.c_str()));
    WidgetSetText(c->where, full ? full.get() : c->dir);
}

void enterDir(Chooser* c, std::string name) {
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    if (name == "..") {
        size_t slash = c->dir.rfind('/');
        std::string last = slash == std::string::npos ? c->dir : c->dir.substr(slash + 1);
        if (c->dir == "." || last == "..") {
            c->dir = joinPath(c->dir, "..");
        } else if (slash == std::string::npos) {
            c->dir = ".";
        } else {
            c->dir = slash == 0 ? "/" : c->dir.substr(0, slash);
        }
    } else {
        c->dir = joinPath(c->dir, name);
    }
    WidgetSetText(c->path, "");
    readDir(c);
}

std::string quoted(const std::string& word) {
    std::string out = "\"";
    for (char ch : word) {
        if (ch == '"' || ch == '\\') out += '\\';
        out += ch;
    }
    return out + "\"";
}

// Confirm: a directory is entered, anything else is the choice.
void chooserConfirm(Chooser* c) {
    std::string name = WidgetText(c->path);
    if (name.empty()) name = WidgetText(c->fileList);
    if (name.empty()) return;
    if (c->several) {
        std::vector<std::string> words = FileNameWords(name);
        if (words.size() > 1) {
            c->chosen = quoted(c->dir);
            for (const std::string& w : words) c->chosen += " " + quoted(w);
            WDialogDismiss(c->d, 1);
            return;
        }
        if (words.size() == 1) name = words[0];
    }
    name = ExpandFileName(name);
    std::string path = joinPath(c->dir, name);
    if (isDir(path)) {
        enterDir(c, name);
        return;
    }
    c->chosen = c->several ? quoted(path) : path;
    WDialogDismiss(c->d, 1);
}

void chooserActivate(WDialog* d, Widget* w, int how) {
    auto* c = static_cast<Chooser*>(d->user);
    if (w == c->dirList && (how == WACT_DOUBLE || how == WACT_SELECT)) {
        enterDir(c, WidgetText(w));
    } else if (w == c->fileList) {
        WidgetSetText(c->path, WidgetText(w));
        if (how == WACT_DOUBLE) chooserConfirm(c);
    } else if (w == c->filter) {
        readDir(c);
    } else if (w->kind == WG_BUTTON) {
        if (w->isCancel)
            WDialogDismiss(d, 0);
        else
            chooserConfirm(c);
    } else if (w == c->path) {
        chooserConfirm(c);
    }
}

} // namespace

void WAlert(const char* text) {
    if (!wBackend) {
        mprintf("%s", text ? text : "");
        return;
    }
    WDialog* d = questionDialog("Alert", trimmedText(text), {"OK"}, 0, 0);
    d->batchShowsAnswer = false;
    WDialogRun(d);
    WDialogDestroy(d);
}

int WYesNo(const char* title, const char* question, int dflt) {
    if (!wBackend) return dflt;
    WDialog* d = questionDialog(title, trimmedText(question), {"Yes", "No"}, dflt ? 0 : 1,
                                dflt ? 0 : 1);
    d->matchAnswer = yesOrNo;
    d->describeAnswer = yesNoWord;
    int r = WDialogRun(d);
    WDialogDestroy(d);
    return r == 0 ? 1 : 0;
}

int WButtonDialogue(const char* title, const char* text, const std::vector<std::string>& labels,
                    int dflt) {
    if (!wBackend) return dflt;
    WDialog* d = questionDialog(title, trimmedText(text), labels, dflt, -1);
    d->matchAnswer = labelOrIndex;
    d->describeAnswer = labelOf;
    int r = WDialogRun(d);
    WDialogDestroy(d);
    return r;
}

int WPrompt(const char* title, const char* prompt, std::string& answer) {
    if (!wBackend) return 0;
    WDialog* d = WDialogNew(title && *title ? title : "qe");
    d->batchText = prompt && *prompt ? prompt : (title ? title : "");
    d->batchDefault = false;
    d->answerIsText = true;
    d->cancelResult = 1;
    d->describeAnswer = [](WDialog* dd, Widget*) { return WidgetText(WDialogFind(dd, "answer")); };
    WDialogAdd(d, nullptr, WG_LABEL, "prompt", trimmedText(prompt).c_str());
    Widget* field = WDialogAdd(d, nullptr, WG_TEXTFIELD, "answer", answer.c_str());
    field->columns = 40;
    d->focus = field;
    Widget* row = WDialogAdd(d, nullptr, WG_ROW, "buttons", nullptr);
    row->align = WALIGN_CENTER;
    WDialogAdd(d, row, WG_BUTTON, "ok", "OK")->isDefault = true;
    WDialogAdd(d, row, WG_BUTTON, "cancel", "Cancel")->isCancel = true;
    int r = WDialogRun(d);
    if (r == 0) answer = WidgetText(field);
    WDialogDestroy(d);
    return r == 0 ? 1 : 0;
}

std::vector<std::string> FileNameWords(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) i++;
        if (i >= text.size()) break;
        std::string w;
        bool inQuotes = false;
        for (; i < text.size() && (inQuotes || (text[i] != ' ' && text[i] != '\t')); i++) {
            if (text[i] == '"') inQuotes = !inQuotes;
            else if (text[i] == '\\' && i + 1 < text.size()) w += text[++i];
            else w += text[i];
        }
        words.push_back(w);
    }
    return words;
}

std::string ExpandFileName(const std::string& name) {
    std::string out;
    size_t i = 0;
    if (!name.empty() && name[0] == '~') {
        size_t slash = name.find('/');
        std::string user = name.substr(1, slash == std::string::npos ? std::string::npos
                                                                      : slash - 1);
        const char* home = nullptr;
        if (user.empty()) {
            home = getenv("HOME");
        } else if (struct passwd* pw = getpwnam(user.c_str())) {
            home = pw->pw_dir;
        }
        if (home) {
            out = home;
            i = slash == std::string::npos ? name.size() : slash;
        }
    }
    while (i < name.size()) {
        char ch = name[i];
        if (ch != '$' || i + 1 >= name.size()) {
            out += ch;
            i++;
            continue;
        }
        size_t start = i + 1, end;
        bool braces = name[start] == '{';
        if (braces) {
            end = name.find('}', start);
            if (end == std::string::npos) {
                out += name.substr(i);
                break;
            }
            start++;
        } else {
            end = start;
            while (end < name.size() && (isalnum((unsigned char)name[end]) || name[end] == '_'))
                end++;
        }
        std::string var = name.substr(start, end - start);
        const char* value = var.empty() ? nullptr : getenv(var.c_str());
        if (value)
            out += value;
        else
            out += name.substr(i, end + (braces ? 1 : 0) - i); // unknown: left as typed
        i = end + (braces ? 1 : 0);
    }
    return out;
}

int FileChooseDialogue(const char* title, const char* confirm, const char* startDir,
                       std::string& result, bool several) {
    if (!wBackend) return 0;
    std::string purpose = title ? title : "";
    Chooser c;
    c.several = several;
    if (startDir && *startDir && std::string(startDir) != ".") {
        // Started at a file (Save As starts at the File's name): its directory, so that a
        // plain name lands beside it.
        c.dir = startDir;
        if (!isDir(c.dir)) {
            size_t slash = c.dir.rfind('/');
            c.dir = slash == std::string::npos ? "." : slash == 0 ? "/" : c.dir.substr(0, slash);
        }
    } else if (rememberedDirs().count(purpose))
        c.dir = rememberedDirs()[purpose];
    else
        c.dir = ".";
    while (c.dir.size() > 1 && c.dir.back() == '/') c.dir.pop_back();
    WDialog* d = WDialogNew(purpose.empty() ? "Choose File" : purpose.c_str());
    c.d = d;
    d->user = &c;
    d->activate = chooserActivate;
    d->batchText = purpose;
    d->batchDefault = false;
    d->answerIsText = true;
    d->answerField = "path";
    d->describeAnswer = [](WDialog* dd, Widget*) { return WidgetText(WDialogFind(dd, "path")); };
    GenStr shownDir(gen_realpath(c.dir.c_str()));
    c.where = WDialogAdd(d, nullptr, WG_LABEL, "directory", shownDir ? shownDir.get() : c.dir.c_str());
    c.where->align = WALIGN_FILL; // room for a longer path after a change of directory
    Widget* lists = WDialogAdd(d, nullptr, WG_ROW, nullptr, nullptr);
    lists->stretch = 1;
    Widget* left = WDialogAdd(d, lists, WG_COLUMN, nullptr, nullptr);
    WDialogAdd(d, left, WG_LABEL, nullptr, "Directories");
    c.dirList = WDialogAdd(d, left, WG_LIST, "directories", nullptr);
    c.dirList->columns = 24;
    c.dirList->rows = 14;
    c.dirList->stretch = 1;
    c.dirList->ownsReturn = true;
    Widget* right = WDialogAdd(d, lists, WG_COLUMN, nullptr, nullptr);
    right->stretch = 1;
    WDialogAdd(d, right, WG_LABEL, nullptr, "Files");
    c.fileList = WDialogAdd(d, right, WG_LIST, "files", nullptr);
    c.fileList->columns = 36;
    c.fileList->rows = 14;
    c.fileList->stretch = 1;
    c.fileList->ownsReturn = true;
    Widget* filterRow = WDialogAdd(d, nullptr, WG_ROW, nullptr, nullptr);
    WDialogAdd(d, filterRow, WG_LABEL, nullptr, "Filter:")->align = WALIGN_CENTER;
    c.filter = WDialogAdd(d, filterRow, WG_TEXTFIELD, "filter", "*");
    c.filter->stretch = 1;
    c.filter->ownsReturn = true;
    Widget* pathRow = WDialogAdd(d, nullptr, WG_ROW, nullptr, nullptr);
    WDialogAdd(d, pathRow, WG_LABEL, nullptr, "File:  ")->align = WALIGN_CENTER;
    c.path = WDialogAdd(d, pathRow, WG_TEXTFIELD, "path", nullptr);
    c.path->stretch = 1;
    c.path->ownsReturn = true;
    d->focus = c.path;
    WDialogAdd(d, nullptr, WG_SEPARATOR, nullptr, nullptr);
    Widget* row = WDialogAdd(d, nullptr, WG_ROW, "buttons", nullptr);
    row->align = WALIGN_CENTER;
    WDialogAdd(d, row, WG_BUTTON, "confirm", confirm && *confirm ? confirm : "OK")->isDefault = true;
    WDialogAdd(d, row, WG_BUTTON, "cancel", "Cancel")->isCancel = true;
    WDialogRealize(d);
    readDir(&c);
    int r = WDialogRun(d);
    WDialogDestroy(d);
    if (r != 1) return 0;
    rememberedDirs()[purpose] = c.dir;
    result = c.chosen;
    return 1;
}
