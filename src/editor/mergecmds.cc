// editor/mergecmds.cc: the compare and merge commands and their dialogues, the command line's
// -diff and -merge, conflict markers, and the versions of files the compare asks for.
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "dialogue/dlgopen.h"
#include "editor/cmdhandlers.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/merge.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

namespace mergecmds {

// The words of a command's argument, double quotes keeping blanks.
std::vector<std::string> words(EditCmdCtx* ctx) {
    std::string arg = EditCmdArg(ctx);
    std::vector<std::string> out;
    const char* p = arg.c_str();
    while (*p) {
        while (*p == ' ' || *p == '\t') p++;
        if (!*p) break;
        if (*p == '"') {
            const char* end = nullptr;
            out.push_back(EditUnquote(p + 1, &end));
            p = end ? end : p + strlen(p);
        } else {
            const char* b = p;
            while (*p && *p != ' ' && *p != '\t') p++;
            out.emplace_back(b, (size_t)(p - b));
        }
    }
    return out;
}

// Opens a described dialogue with fields, filled from `values` by name; on its confirming
// button the fields are read back. False when cancelled.
bool askFields(const char* name, std::vector<std::pair<const char*, std::string>>& values,
               int* autoMerge) {
    WDialog* d = BuildDescribedDialogue(name, {}, nullptr, nullptr);
    if (!d) return false;
    for (auto& v : values)
        if (Widget* w = WDialogFind(d, v.first)) WidgetSetText(w, v.second);
    Widget* toggle = WDialogFind(d, "auto");
    if (toggle && autoMerge) WidgetSetValue(toggle, *autoMerge);
    d->answerField = values.empty() ? "" : values[0].first;
    int r = WDialogRun(d);
    if (r == 1) {
        for (auto& v : values)
            if (Widget* w = WDialogFind(d, v.first)) v.second = WidgetText(w);
        if (toggle && autoMerge) *autoMerge = toggle->value;
    }
    WDialogDestroy(d);
    return r == 1;
}

std::string currentName(Edit* e) {
    File* f = e && !e->compare ? e->view.file : nullptr;
    return f && f->name && !f->internal ? f->name : "";
}

void compare(const std::string& f1, const std::string& v1, const std::string& f2,
             const std::string& v2) {
    MergeRequest rq;
    rq.file1 = f1;
    rq.version1 = v1;
    rq.file2 = f2;
    rq.version2 = v2;
    MergeFiles(rq, 0, MERGE_COMPARE, 0);
}

int cmdDiffFiles(Edit* e, EditCmdCtx* ctx) {
    std::vector<std::string> w = words(ctx);
    if (w.size() >= 2) {
        compare(w[0], "", w[1], "");
        return 1;
    }
    DoDiffFiles(w.empty() ? currentName(e).c_str() : w[0].c_str(), nullptr, nullptr);
    return 1;
}

int cmdMergeFiles(Edit* e, EditCmdCtx* ctx) {
    std::vector<std::string> w = words(ctx);
    MergeRequest rq;
    int autoMerge = 1;
    if (w.size() >= 2) {
        rq.file1 = w[0];
        rq.file2 = w[1];
        if (w.size() >= 3) rq.base = w[2];
        if (w.size() >= 4) rq.output = w[3];
    } else {
        std::vector<std::pair<const char*, std::string>> v = {
            {"file1", w.empty() ? currentName(e) : w[0]},
            {"version1", ""},
            {"file2", ""},
            {"version2", ""},
            {"base", ""}};
        if (!askFields("MergeFiles", v, &autoMerge)) return 1;
        rq.file1 = v[0].second;
        rq.version1 = v[1].second;
        rq.file2 = v[2].second;
        rq.version2 = v[3].second;
        rq.base = v[4].second;
        if (rq.file1.empty()) {
            EditSetMsg(e, "No file to merge");
            return 0;
        }
    }
    return MergeFiles(rq, autoMerge, MERGE_MERGE, 0) || true;
}

// The file as last saved against its buffer.
int cmdShowLastEdit(Edit* e, EditCmdCtx*) {
    File* f = e->view.file;
    if (!f || !f->name || f->internal || f->isNew) {
        EditSetMsg(e, "No saved version to compare with");
        return 0;
    }
    if (!f->modified) {
        EditSetMsg(e, "File has not been modified.");
        return 1;
    }
    MergeRequest rq;
    rq.file1 = rq.file2 = f->name;
    rq.file1FromDisk = true;
    rq.title1 = std::string(gen_basename(f->name)) + " (saved)";
    MergeFiles(rq, 0, MERGE_LASTEDIT, (int)EditCursorLine(e));
    return 1;
}

// Commands acting on the compare or merge an editor belongs to.
DiffStuff* stuffOrSay(Edit* e) {
    DiffStuff* ds = DiffStuffOf(e);
    if (!ds) EditSetMsg(e, "Not a compare window");
    return ds;
}

int cmdDiffNext(Edit* e, EditCmdCtx*) {
    DiffStuff* ds = stuffOrSay(e);
    if (ds && ds->mode != MERGE_MERGE) DoDiffFiles2(ds, 1);
    return ds != nullptr;
}

int cmdDiffPrevious(Edit* e, EditCmdCtx*) {
    DiffStuff* ds = stuffOrSay(e);
    if (ds && ds->mode != MERGE_MERGE) DoDiffFiles2(ds, 2);
    return ds != nullptr;
}

int cmdDiffMerge(Edit* e, EditCmdCtx*) {
    DiffStuff* ds = stuffOrSay(e);
    if (ds) DiffStartMerge(ds);
    return ds != nullptr;
}

// A controller button by name, from a key binding or a script.
int cmdMergeButton(Edit* e, EditCmdCtx* ctx) {
    DiffStuff* ds = stuffOrSay(e);
    if (!ds) return 0;
    std::string name = EditCmdArg(ctx);
    if (!ds->controller || !EditMergeControlBtnClick(ds, name.c_str())) {
        QuorlError(1, "[EditMergeBtnClick] Unknown button command");
        return 0;
    }
    return 1;
}

int cmdMergeConflicts(Edit* e, EditCmdCtx*) {
    return MergeConflictMarkers(e->view.file);
}

// ---- conflict markers ----

bool startsWith(const char* text, int len, const char* marker) {
    int n = (int)strlen(marker);
    return len >= n && memcmp(text, marker, (size_t)n) == 0 && (len == n || text[n] == ' ');
}

} // namespace mergecmds
using namespace mergecmds;

const EditCmd mergeCmds[] = {
    {"DiffNext", cmdDiffNext, CMDF_WINDOW},
    {"DiffPrevious", cmdDiffPrevious, CMDF_WINDOW},
    {"DiffMerge", cmdDiffMerge, CMDF_WINDOW},
    {"MergeButton", cmdMergeButton, CMDF_WINDOW},
    {"MergeConflicts", cmdMergeConflicts, CMDF_WINDOW},
    {nullptr, nullptr, 0},
};

int MergeConflictMarkers(File* file) {
    if (!file) return 0;
    // The three texts: common lines go to all of them, each section to its own.
    std::string ours, base, theirs;
    std::string label1 = "ours", label2 = "theirs";
    enum { COMMON, OURS, BASE, THEIRS } where = COMMON;
    int conflicts = 0;
    bool withBase = false;
    for (Line* l = file->first; l; l = l->next) {
        const char* t = FileLineText(file, l);
        int len = l->len;
        std::string line(t, (size_t)len);
        line += '\n';
        if (where == COMMON && startsWith(t, len, "<<<<<<<")) {
            where = OURS;
            conflicts++;
            if (len > 8) label1 = std::string(t + 8, (size_t)(len - 8));
            continue;
        }
        if (where == OURS && startsWith(t, len, "|||||||")) {
            where = BASE;
            withBase = true;
            continue;
        }
        if ((where == OURS || where == BASE) && startsWith(t, len, "=======")) {
            where = THEIRS;
            continue;
        }
        if (where == THEIRS && startsWith(t, len, ">>>>>>>")) {
            where = COMMON;
            if (len > 8) label2 = std::string(t + 8, (size_t)(len - 8));
            continue;
        }
        if (where == COMMON || where == OURS) ours += line;
        if (where == COMMON || where == BASE) base += line;
        if (where == COMMON || where == THEIRS) theirs += line;
    }
    Edit* e = file->edits;
    if (!conflicts || where != COMMON) {
        const char* m = conflicts ? "Unfinished conflict markers: %s" : "No conflict markers in %s";
        GenStr text(gen_sprintf(m, file->name ? file->name : ""));
        if (e) EditSetMsg(e, text.get());
        else QuorlError(1, "%s", text.get());
        return 0;
    }
    auto temp = [&](const std::string& text) {
        return MergeTempText(file->name ? file->name : "", text.data(), (int64_t)text.size());
    };
    MergeRequest rq;
    rq.file1 = temp(ours);
    rq.file2 = temp(theirs);
    if (withBase) rq.base = temp(base);
    rq.title1 = label1;
    rq.title2 = label2;
    rq.inPlace = file;
    if (!rq.file1.empty() && !rq.file2.empty() && (!withBase || !rq.base.empty()))
        MergeFiles(rq, 1, MERGE_MERGE, 0);
    // The merge keeps its own copies of the texts.
    for (const std::string& p : {rq.file1, rq.file2, rq.base})
        if (!p.empty()) unlink(p.c_str());
    return 1;
}

void DoDiffFiles(const char* file1, const char* version1, const char* file2) {
    std::vector<std::pair<const char*, std::string>> v = {{"file1", file1 ? file1 : ""},
                                                          {"version1", version1 ? version1 : ""},
                                                          {"file2", file2 ? file2 : ""},
                                                          {"version2", ""}};
    if (!askFields("DiffFiles", v, nullptr)) return;
    if (v[0].second.empty()) return;
    compare(v[0].second, v[1].second, v[2].second, v[3].second);
}

void EditDiffFilesFromCommandLine(const char* f1, const char* v1, const char* f2,
                                  const char* v2) {
    compare(f1, v1 ? v1 : "", f2, v2 ? v2 : "");
}
