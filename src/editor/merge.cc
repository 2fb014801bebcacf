// editor/merge.cc: starting a compare or merge (opening the texts, pairing them, the windows),
// stepping through the differences, the merge controller and what happens at the end.
#include "editor/merge.h"

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "buffer/change.h"
#include "buffer/diff_file.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "buffer/save.h"
#include "dialogue/dlgopen.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/editpriv.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/dialog.h"
#include "toolkit/eventloop.h"
#include "toolkit/toolkit.h"
#include "vcfront/vc.h"

namespace {

// The compares and merges alive: a choice may end the one it was made in.
std::vector<DiffStuff*> live;

bool alive(const DiffStuff* ds) {
    return std::find(live.begin(), live.end(), ds) != live.end();
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool writeAll(int fd, const char* data, int64_t n) {
    while (n > 0) {
        ssize_t w = write(fd, data, (size_t)std::min<int64_t>(n, 1 << 20));
        if (w <= 0) return false;
        data += w;
        n -= w;
    }
    return true;
}

// Opens one text for the compare (FileFVName): a version through version control, else the
// file's current buffer when it has unsaved edits, else the file on disk. The File is private
// to the compare and read-only.
bool openSide(MergeSide* s, const std::string& name, const std::string& version,
              const std::string& title, bool fromDisk = false) {
    std::string source = name, temp;
    if (!version.empty()) {
        if (!vc_FetchVersion(name.c_str(), version.c_str(), temp)) return false;
        source = temp;
        s->title = baseName(name) + " v" + version;
    } else {
        File* loaded = FileFLookup(name.c_str());
        if (loaded && !loaded->stub && loaded->modified && !fromDisk) {
            int64_t len = 0;
            char* text = FileToStr(loaded, nullptr, 0, 1, 0, loaded->nLines + 1, 0, &len);
            temp = MergeTempText(name, text, len);
            gen_free(text);
            if (temp.empty()) return false;
            source = temp;
        }
        s->title = baseName(name) + "(Current Version)";
    }
    if (!title.empty()) s->title = title;
    struct stat st;
    File* f = stat(source.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)
                  ? FileF_File(source.c_str(), 0)
                  : nullptr;
    // The File keeps its own copy of the text: a temporary source is not needed any more.
    if (!temp.empty()) unlink(temp.c_str());
    if (!f) return false;
    f->readOnly = true;
    s->file = f;
    s->cur = DiffCursor();
    s->cur.lines = (int)std::min<int64_t>(f->nLines, 0x7ffffffe);
    return true;
}

void releaseSide(MergeSide* s) {
    if (s->file) {
        FileFree(s->file);
        s->file = nullptr;
    }
}

// The result buffer: "Merged_" and file 1's base name, in file 1's directory, empty.
File* newResult(const std::string& file1) {
    size_t slash = file1.find_last_of('/');
    std::string dir = slash == std::string::npos ? "" : file1.substr(0, slash + 1);
    std::string name = dir + "Merged_" + baseName(file1);
    File* f = FileFInternal(nullptr);
    gen_free(f->name);
    f->name = gen_copy(name.c_str());
    FileFString(f, "", 0);
    f->internal = false;
    f->isNew = access(name.c_str(), F_OK) != 0;
    FilesAddFile(f);
    return f;
}

// Appends whole lines (without their final line break) at the end of the result (CopyLines).
void addToResult(DiffStuff* ds, const std::string& t) {
    File* f = ds->result;
    int64_t end = f->nLines + 1; // after the last line's line break
    FileChange(f, f->last, f->nLines, end, 0, end, 0, t.data(), (int64_t)t.size(), 0);
    if (ds->resultEdit) EditSetToEnd(ds->resultEdit);
}

void appendText(DiffStuff* ds, const std::string& text, bool any) {
    if (!any) return;
    if (ds->gathering) {
        ds->gathered += text;
        ds->gathered += '\n';
        return;
    }
    addToResult(ds, text + "\n");
}

// Starts or ends gathering the result's additions; ending adds what was gathered.
void gatherResult(DiffStuff* ds, bool on) {
    if (!on && !ds->gathered.empty()) {
        ds->gathering = false;
        addToResult(ds, ds->gathered);
        ds->gathered.clear();
    }
    ds->gathering = on;
}

void appendLine(std::string& out, bool& any, const char* text, int len, const std::string& prefix) {
    if (any) out.push_back('\n');
    out += prefix;
    out.append(text, (size_t)len);
    any = true;
}

void blockText(MergeSide* s, int from, int count, const std::string& prefix, std::string& out,
               bool& any) {
    if (count <= 0 || !s->file) return;
    Line* l = FileLine(s->file, from);
    for (int k = 0; k < count && l; k++, l = l->next)
        appendLine(out, any, FileLineText(s->file, l), l->len, prefix);
}

void copyLines(DiffStuff* ds, MergeSide* s, int from, int count) {
    std::string text;
    bool any = false;
    blockText(s, from, count, std::string(), text, any);
    appendText(ds, text, any);
}

// The block of one side in its window (SelectIt): selected, a quarter of the window below the
// top.
void selectIt(MergeSide* s) {
    Edit* e = s->editor;
    if (!e) return;
    int64_t start = s->cur.number, end = s->cur.number + s->cur.count - 1;
    if (s->cur.count > 0) {
        EditSetSelection(e, 0, start, 0, end, EditLineLen(e->view.file, end));
    } else {
        EditSetCursor(e, start, 0);
    }
    int64_t top = std::max<int64_t>(1, start - EditRows(e) / 4);
    EditScrollTo(e, top);
}

bool allEnded(DiffStuff* ds) {
    return ds->s1.cur.ended() && ds->s2.cur.ended() && (!ds->threeWay || ds->base.cur.ended());
}

// The extent of the current difference; never an empty one while a file has lines left.
void extents(DiffStuff* ds) {
    if (ds->threeWay)
        FindEndOfDiff3(&ds->s1.cur, &ds->s2.cur, &ds->base.cur, ds->r1, ds->r2);
    else
        FindEndOfDiff2(&ds->s1.cur, &ds->s2.cur, ds->r1);
    MergeSide* sides[] = {&ds->s1, &ds->s2, &ds->base};
    if (ds->s1.cur.count || ds->s2.cur.count || ds->base.cur.count) return;
    for (MergeSide* s : sides)
        if (!s->cur.ended() && (s != &ds->base || ds->threeWay)) s->cur.count = 1;
}

// Finds the next difference from the cursors; the common lines passed go into the result.
void findNext(DiffStuff* ds) {
    int from = ds->s1.cur.number;
    if (ds->threeWay)
        FindDiff3(&ds->s1.cur, &ds->s2.cur, &ds->base.cur, ds->r1, ds->r2);
    else
        FindDiff2(&ds->s1.cur, &ds->s2.cur, ds->r1, 0);
    if (ds->result) copyLines(ds, &ds->s1, from, ds->s1.cur.number - from);
}

void closeController(DiffStuff* ds);

void message(DiffStuff* ds, const std::string& text) {
    CompareWindowMessage(ds->window, text);
}

std::string blockWhere(const char* what, const DiffCursor& c) {
    char buf[96];
    if (c.count == 0)
        snprintf(buf, sizeof buf, "%s: none before line %d", what, c.number);
    else if (c.count == 1)
        snprintf(buf, sizeof buf, "%s: line %d", what, c.number);
    else
        snprintf(buf, sizeof buf, "%s: lines %d-%d", what, c.number, c.number + c.count - 1);
    return buf;
}

// Selects the current difference in every window, or ends the merge when nothing is left
// (DoMergeFiles2SelectDiff / DoMergeFiles3SelectDiff); the automatic rules take what they can.
void selectDiff(DiffStuff* ds) {
    gatherResult(ds, true);
    for (;;) {
        if (allEnded(ds)) {
            gatherResult(ds, false);
            ds->finished = true;
            closeController(ds);
            return;
        }
        extents(ds);
        int choice = ds->threeWay && ds->autoMerge
                         ? DiffAutoChoice3(ds->s1.cur, ds->s2.cur, ds->base.cur, ds->r1, ds->r2)
                         : 0;
        if (!choice) break;
        MergeSide* s = choice == 1 ? &ds->s1 : &ds->s2;
        copyLines(ds, s, s->cur.number, s->cur.count);
        for (MergeSide* m : {&ds->s1, &ds->s2, &ds->base}) m->cur.number += m->cur.count;
        findNext(ds);
    }
    gatherResult(ds, false);
    ds->diffIndex++;
    for (MergeSide* s : {&ds->s1, &ds->s2, &ds->base})
        if (s->editor) selectIt(s);
    std::string text = "Difference " + std::to_string(ds->diffIndex) + ": " +
                       blockWhere("file 1", ds->s1.cur) + "; " + blockWhere("file 2", ds->s2.cur);
    if (ds->threeWay) text += "; " + blockWhere("base", ds->base.cur);
    message(ds, text);
    CompareWindowRefresh(ds->window);
    if (ds->resultEdit) EditSetToEnd(ds->resultEdit);
}

// The next step after a choice (DoMergeFiles2 / DoMergeFiles3).
void nextStep(DiffStuff* ds) {
    for (MergeSide* m : {&ds->s1, &ds->s2, &ds->base}) {
        m->cur.number += m->cur.count;
        m->cur.count = 0;
    }
    if (!allEnded(ds)) findNext(ds);
    selectDiff(ds);
}

// ---- change marks and the dialogues of the controller ----

std::string loginName() {
    struct passwd* pw = getpwuid(getuid());
    if (pw && pw->pw_name) return pw->pw_name;
    const char* l = getlogin();
    return l ? l : "";
}

// Opens a described dialogue for the merge; its buttons end it (1, or 0 for the cancel button).
WDialog* describedDialogue(const char* name) {
    WDialog* d = BuildDescribedDialogue(name, {}, nullptr, nullptr);
    if (d && WDialogFind(d, "text")) d->answerField = "text";
    return d;
}

// PrefixInfo: the change-mark texts, prepared on first use and shown for editing.
bool prefixInfo(DiffStuff* ds) {
    if (!ds->marksReady) {
        time_t now = time(nullptr);
        ds->marks = DiffChangeMarks(ds->result ? ds->result->name : "", loginName().c_str(),
                                    ctime(&now));
    }
    WDialog* d = describedDialogue("EditPrefixInfo");
    if (!d) return false;
    ChangeMarks& m = ds->marks;
    struct Field {
        const char* name;
        std::string* text;
    } fields[] = {{"header", &m.header}, {"separator", &m.separator}, {"end", &m.end},
                  {"prefix1", &m.prefix1}, {"prefix2", &m.prefix2}};
    for (Field& f : fields)
        if (Widget* w = WDialogFind(d, f.name)) WidgetSetText(w, *f.text);
    if (Widget* w = WDialogFind(d, "order")) WidgetSetValue(w, m.newFirst ? 0 : 1);
    d->title = "Change Marks";
    d->batchText = "Change Marks";
    d->helpText = "These lines mark two blocks put into the result together: the header line "
                  "before them, the separator between them, the end line after them. The lines "
                  "of each block begin with its prefix.";
    int r = WDialogRun(d);
    if (r == 1) {
        for (Field& f : fields)
            if (Widget* w = WDialogFind(d, f.name)) *f.text = WidgetText(w);
        if (Widget* w = WDialogFind(d, "order")) m.newFirst = w->value == 0;
        ds->marksReady = true;
    }
    WDialogDestroy(d);
    return r == 1;
}

// The two blocks with change marks around them, as the result would receive them.
std::string combination(DiffStuff* ds, MergeSide* first, MergeSide* second, bool* any) {
    const ChangeMarks& m = ds->marks;
    std::string out;
    *any = false;
    appendLine(out, *any, m.header.data(), (int)m.header.size(), "");
    MergeSide* a = m.newFirst ? first : second;
    MergeSide* b = m.newFirst ? second : first;
    blockText(a, a->cur.number, a->cur.count, a == first ? m.prefix1 : m.prefix2, out, *any);
    appendLine(out, *any, m.separator.data(), (int)m.separator.size(), "");
    blockText(b, b->cur.number, b->cur.count, b == first ? m.prefix1 : m.prefix2, out, *any);
    appendLine(out, *any, m.end.data(), (int)m.end.size(), "");
    return out;
}

void mcBoth(DiffStuff* ds, MergeSide* first, MergeSide* second) {
    if (!ds->marksReady && !prefixInfo(ds)) return;
    bool any;
    std::string text = combination(ds, first, second, &any);
    appendText(ds, text, any);
    nextStep(ds);
}

// Edit by hand: the combination in an editor dialogue; confirmed text goes into the result.
void mcEdit(DiffStuff* ds) {
    if (!ds->marksReady && !prefixInfo(ds)) return;
    bool any;
    std::string text = combination(ds, &ds->s1, ds->threeWay ? &ds->base : &ds->s2, &any);
    if (ds->threeWay) {
        // Three texts: file 2's block follows under its own separator.
        std::string two;
        bool anyTwo = false;
        blockText(&ds->s2, ds->s2.cur.number, ds->s2.cur.count, ds->marks.prefix2, two, anyTwo);
        if (anyTwo) text += "\n" + two;
    }
    WDialog* d = describedDialogue("EditMergeReplace");
    if (!d) return;
    Widget* field = WDialogFind(d, "text");
    if (field) WidgetSetText(field, text);
    d->title = "Replace with...";
    d->batchText = "Replace with...";
    d->helpText = "Edit the lines as they should go into the merge result, then press OK.";
    int r = WDialogRun(d);
    std::string edited = field ? WidgetText(field) : text;
    WDialogDestroy(d);
    if (r != 1) return;
    while (!edited.empty() && edited.back() == '\n') edited.pop_back();
    appendText(ds, edited, true);
    nextStep(ds);
}

void controllerActivated(WDialog* d, Widget* w, int) {
    auto* ds = static_cast<DiffStuff*>(d->user);
    if (!ds || !alive(ds)) return;
    if (w->kind == WG_TOGGLE) {
        if (w->name == "Auto") { // mcAuto
            ds->autoMerge = w->value != 0;
            if (ds->autoMerge && !ds->finished) {
                ds->diffIndex--;
                selectDiff(ds);
            }
        }
        return;
    }
    if (w->kind == WG_BUTTON && !EditMergeControlBtnClick(ds, w->name.c_str()))
        QuorlError(1, "[EditMergeBtnClick] Unknown button command");
}

// The end of a merge (EditMergeCtrl_cleanup): the result is saved, offered for saving or put
// in place of the File it updates; the compare window and the pairings go.
void cleanup(DiffStuff* ds) {
    File* result = ds->result;
    bool done = ds->finished && !ds->aborted;
    if (ds->aborted) message(ds, "Merge aborted");
    if (done && result) {
        if (ds->inPlace) {
            // The same as the file on disk: the File simply goes back to it; else the File
            // takes the result as an edit of its own.
            File* f = ds->inPlace;
            int64_t lb = 0;
            char* b = FileToStr(result, nullptr, 0, 1, 0, result->nLines + 1, 0, &lb);
            std::string disk;
            if (FILE* in = f->name ? fopen(f->name, "rb") : nullptr) {
                char buf[65536];
                size_t n;
                while ((n = fread(buf, 1, sizeof buf, in)) > 0) disk.append(buf, n);
                fclose(in);
            }
            if (disk.size() == (size_t)lb && memcmp(disk.data(), b, (size_t)lb) == 0)
                FileRevert(f);
            else
                FileChange(f, f->first, 1, 1, 0, f->nLines + 1, 0, b, lb, 0);
            gen_free(b);
        } else if (!ds->output.empty()) {
            if (FileForceSaveAs(result, ds->output.c_str(), nullptr) != 1)
                QuorlError(1, "Cannot write the merge result to %s", ds->output.c_str());
            else
                result->modified = false;
        } else {
            EditSaveAsChosen(result);
        }
    }
    // What was merged into a File, or written where it was asked for, needs no window.
    bool closeResult = done && (ds->inPlace || !ds->output.empty());
    Edit* re = ds->resultEdit;
    if (re) re->destroyHook = nullptr;
    ds->resultEdit = nullptr;
    ds->result = nullptr;
    DiffStuffDestroy(ds);
    if (closeResult && re) {
        re->destroying = true;
        EditDestroy(re);
        if (result && !result->edits && !result->pops) {
            FilesRemoveFile(result);
            FileFree(result);
        }
    }
}

// The controller goes once the event being handled is over: a choice made in it may be what
// ends the merge.
void dropController(WDialog* d) {
    if (!d) return;
    d->user = nullptr;
    d->closed = [](WDialog* dd) { WDialogDestroy(dd); };
    if (!d->done) WDialogDismiss(d, 0); // (a dismissed one is on its way out already)
}

void closeController(DiffStuff* ds) {
    WDialog* d = ds->controller;
    ds->controller = nullptr;
    dropController(d);
    if (WIsHeadless()) {
        cleanup(ds);
        return;
    }
    // On a display the questions of the end (where to save) come once the controller is gone,
    // so that they have the keyboard.
    ExtraProcess_Create(XP_TIMER, 0,
                        [](void* p, int) {
                            auto* s = static_cast<DiffStuff*>(p);
                            if (alive(s)) cleanup(s);
                            return 1;
                        },
                        nullptr, ds);
}

// The controller window closed by the window manager: the merge is abandoned.
void controllerClosed(WDialog* d) {
    auto* ds = static_cast<DiffStuff*>(d->user);
    if (ds && alive(ds)) {
        ds->aborted = true;
        ds->controller = nullptr;
        cleanup(ds);
    }
    WDialogDestroy(d);
}

// MergeController: the dialogue with the choices, "editmergectl3" or "editmergectl2".
void mergeController(DiffStuff* ds) {
    const char* name = ds->threeWay ? "editmergectl3" : "editmergectl2";
    WDialog* d = BuildDescribedDialogue(name, {}, controllerActivated, ds);
    if (!d) {
        QuorlError(1, "No dialogue description %s", name);
        return;
    }
    // A description cannot spell a name that begins with a digit: these buttons get theirs here.
    for (auto [spelt, name] : {std::pair{"and12", "1and2"}, {"and1Base", "1andBase"},
                               {"and2Base", "2andBase"}})
        if (Widget* w = WDialogFind(d, spelt)) w->name = name;
    d->title = "Merge";
    d->batchText = "Merge";
    d->kindName = "merge";
    d->answerShownFirst = true; // each choice reads before the differences it leads to
    d->modal = false;
    d->closed = controllerClosed;
    if (Widget* t = WDialogFind(d, "Auto")) WidgetSetValue(t, ds->autoMerge ? 1 : 0);
    WSetWindowName(d->win, "Merge");
    WDialogShow(d);
    ds->controller = d;
}

// Without a display the controller takes its choices from the queued answers.
void takeAnswers(DiffStuff* ds) {
    while (alive(ds) && ds->controller && !ds->controller->done &&
           WDialogTakeAnswer(ds->controller)) {
    }
}

// The result window closed while the merge runs: the merge is abandoned.
void resultClosed(Edit* e) {
    auto* ds = static_cast<DiffStuff*>(e->hookData);
    if (!ds || !alive(ds)) return;
    ds->resultEdit = nullptr;
    ds->result = nullptr;
    ds->aborted = true;
    closeController(ds);
}

void openResult(DiffStuff* ds, const std::string& like) {
    ds->result = newResult(like);
    ds->resultEdit = CreateEWind(ds->result);
    if (!ds->resultEdit) return;
    ds->resultEdit->destroyHook = resultClosed;
    ds->resultEdit->hookData = ds;
}

} // namespace

std::string MergeTempText(const std::string& like, const char* text, int64_t n) {
    GenStr stem(TempFileName());
    if (!stem) return std::string();
    std::string b = baseName(like);
    size_t dot = b.find_last_of('.');
    std::string path = std::string(stem.get()) + (dot == std::string::npos ? "" : b.substr(dot));
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    bool ok = fd >= 0 && writeAll(fd, text, n);
    if (fd >= 0) close(fd);
    if (path != stem.get()) unlink(stem.get());
    if (!ok) {
        unlink(path.c_str());
        return std::string();
    }
    return path;
}

int EditMergeControlBtnClick(DiffStuff* ds, const char* name) {
    auto take = [&](MergeSide* s) {
        copyLines(ds, s, s->cur.number, s->cur.count);
        nextStep(ds);
    };
    std::string n = name ? name : "";
    if (n == "File1") {
        take(&ds->s1);
    } else if (n == "File2") {
        take(&ds->s2);
    } else if (n == "Base" && ds->threeWay) {
        take(&ds->base);
    } else if (n == "Both" || n == "1and2") {
        mcBoth(ds, &ds->s1, &ds->s2);
    } else if (n == "1andBase" && ds->threeWay) {
        mcBoth(ds, &ds->s1, &ds->base);
    } else if (n == "2andBase" && ds->threeWay) {
        mcBoth(ds, &ds->s2, &ds->base);
    } else if (n == "ChangeBar") {
        prefixInfo(ds);
    } else if (n == "Edit") {
        mcEdit(ds);
    } else if (n == "Help") {
        if (ds->s1.editor) EditCli(ds->s1.editor, "Help editor");
    } else if (n == "Skip") {
        nextStep(ds);
    } else if (n == "Abort") {
        ds->aborted = true;
        closeController(ds);
    } else {
        return 0;
    }
    return 1;
}

DiffStuff* MergeFiles(const MergeRequest& rq, int autoMerge, int mode, int targetLine) {
    auto* ds = new DiffStuff;
    ds->mode = mode;
    ds->autoMerge = autoMerge != 0;
    ds->output = rq.output;
    ds->inPlace = rq.inPlace;
    ds->name1 = rq.inPlace && rq.inPlace->name ? rq.inPlace->name : rq.file1;
    auto fail = [&](const char* format, const std::string& name) -> DiffStuff* {
        if (format) QuorlError(1, format, name.c_str());
        releaseSide(&ds->s1);
        releaseSide(&ds->s2);
        releaseSide(&ds->base);
        delete ds;
        return nullptr;
    };
    if (!openSide(&ds->s1, rq.file1, rq.version1, rq.title1, rq.file1FromDisk))
        return fail("Can't open file %s", rq.file1);
    std::string file2 = rq.file2.empty() ? rq.file1 : rq.file2;
    if (gen_isdir(file2.c_str())) file2 += "/" + baseName(rq.file1);
    bool same = gen_samefile(rq.file1.c_str(), file2.c_str()) == 1;
    if (same && rq.version1 == rq.version2 && !rq.inPlace && !rq.file1FromDisk)
        return fail("Merging same version - nothing to do: %s", rq.file1);
    if (!openSide(&ds->s2, file2, rq.version2, rq.title2))
        return fail("Can't open file %s", file2);
    if (mode == MERGE_MERGE && !rq.base.empty()) {
        if (openSide(&ds->base, rq.base, "", rq.titleBase.empty() ? "Base" : rq.titleBase)) {
            ds->threeWay = true;
        } else {
            GenStr q(gen_sprintf("Can not file file %s, proceed with merge anyway?",
                                 rq.base.c_str()));
            if (!WYesNo("Merge", q.get(), 1)) return fail("Can't open file %s", rq.base);
        }
    }
    if (ds->threeWay) {
        ds->r1 = diff_merge(ds->base.file, ds->s1.file);
        ds->r2 = ds->r1 ? diff_merge(ds->base.file, ds->s2.file) : nullptr;
    } else {
        ds->r1 = diff_merge(ds->s1.file, ds->s2.file);
    }
    if (!ds->r1 || (ds->threeWay && !ds->r2)) {
        if (ds->r1) diff_free(ds->r1);
        return fail(nullptr, "");
    }
    bool identical = ds->threeWay ? DiffIdentical(ds->r1) && DiffIdentical(ds->r2)
                                  : DiffIdentical(ds->r1);
    if (identical) {
        if (mode == MERGE_MERGE)
            WAlert(ds->threeWay ? "All files are identical." : "Files are identical.");
        else
            WAlert("Files are identical.\n");
        // Asked to write the result somewhere: it is file 1 as it is.
        if (!rq.output.empty() && FileForceSaveAs(ds->s1.file, rq.output.c_str(), nullptr) != 1)
            QuorlError(1, "Cannot write the merge result to %s", rq.output.c_str());
        diff_free(ds->r1);
        if (ds->r2) diff_free(ds->r2);
        return fail(nullptr, "");
    }
    live.push_back(ds);
    std::string t1 = ds->s1.title, t2 = ds->s2.title;
    std::string title = mode == MERGE_COMPARE    ? "Diff: " + t1 + " vs. " + t2
                        : mode == MERGE_LASTEDIT ? "Last Edit: " + t1 + " vs. " + t2
                                                 : "Merge: " + t1 + " and " + t2;
    ds->window = CompareWindowCreate(ds, title);
    if (mode != MERGE_MERGE) {
        if (targetLine > 0)
            DiffFindRange2(ds, targetLine);
        else
            DoDiffFiles2(ds, 0);
        return ds;
    }
    int rx, ry, rw, rh;
    if (CompareWindowFreeCell(ds->window, &rx, &ry, &rw, &rh)) EditPlaceNextWindow(rx, ry, rw, rh);
    openResult(ds, ds->name1);
    mergeController(ds);
    findNext(ds);
    selectDiff(ds);
    if (WIsHeadless()) takeAnswers(ds);
    return alive(ds) ? ds : nullptr;
}

namespace {

// Moves the compare's cursors to the next (1) or previous (2) difference, or onto the first
// one from where they stand (anything else); false when there is none that way (nothing moves;
// a step past either end beeps unless quiet).
bool stepDiff(DiffStuff* ds, int direction, bool quiet) {
    DiffCursor& c1 = ds->s1.cur;
    DiffCursor& c2 = ds->s2.cur;
    if (direction == 1) {
        DiffCursor k1 = c1, k2 = c2;
        c1.number += c1.count;
        c2.number += c2.count;
        if (FindDiff2(&c1, &c2, ds->r1, 1) < 0 || (c1.ended() && c2.ended())) {
            c1 = k1;
            c2 = k2;
            if (!quiet) WBeep();
            return false;
        }
        ds->diffIndex++;
    } else if (direction == 2) {
        if (!FindPreviousDiff2(&c1, &c2, ds->r1)) {
            if (!quiet) WBeep();
            return false;
        }
        ds->diffIndex = std::max(1, ds->diffIndex - 1);
    } else {
        FindDiff2(&c1, &c2, ds->r1, 0);
        if (c1.ended() && c2.ended()) {
            WAlert("Files are identical.\n");
            return false;
        }
        ds->diffIndex = std::max(1, ds->diffIndex);
    }
    extents(ds);
    return true;
}

void showDiff(DiffStuff* ds) {
    selectIt(&ds->s1);
    selectIt(&ds->s2);
    message(ds, "Difference " + std::to_string(ds->diffIndex) + ": " +
                    blockWhere("file 1", ds->s1.cur) + "; " + blockWhere("file 2", ds->s2.cur));
    CompareWindowRefresh(ds->window);
}

// How far line n of file 2 lies from the current difference there: 0 within its block or on
// the line after it (where the cursor stands after typing the block, or on a deletion).
int distanceFrom(const DiffCursor& c, int n) {
    if (n < c.number) return c.number - n;
    return std::max(0, n - (c.number + c.count));
}

} // namespace

void DoDiffFiles2(DiffStuff* ds, int direction) {
    if (stepDiff(ds, direction, false)) showDiff(ds);
}

void DiffFindRange2(DiffStuff* ds, int targetLine) {
    if (!stepDiff(ds, 0, false)) return;
    // The differences come in file order, so the distance falls to the nearest one and then
    // grows again; a tie goes to the earlier.
    int best = distanceFrom(ds->s2.cur, targetLine);
    while (best > 0) {
        DiffCursor k1 = ds->s1.cur, k2 = ds->s2.cur;
        int index = ds->diffIndex;
        if (!stepDiff(ds, 1, true)) break;
        int d = distanceFrom(ds->s2.cur, targetLine);
        if (d >= best) {
            ds->s1.cur = k1;
            ds->s2.cur = k2;
            ds->diffIndex = index;
            break;
        }
        best = d;
    }
    showDiff(ds);
}

void DiffStartMerge(DiffStuff* ds) {
    if (ds->mode != MERGE_COMPARE || ds->controller) return;
    ds->mode = MERGE_MERGE;
    ds->s1.cur.number = ds->s2.cur.number = 1;
    ds->s1.cur.count = ds->s2.cur.count = 0;
    ds->diffIndex = 0;
    int rx, ry, rw, rh;
    if (CompareWindowFreeCell(ds->window, &rx, &ry, &rw, &rh)) EditPlaceNextWindow(rx, ry, rw, rh);
    openResult(ds, ds->name1);
    mergeController(ds);
    findNext(ds);
    selectDiff(ds);
    if (WIsHeadless()) takeAnswers(ds);
}

void DiffStuffDestroy(DiffStuff* ds) {
    if (!ds || !alive(ds)) return;
    live.erase(std::find(live.begin(), live.end(), ds));
    WDialog* d = ds->controller;
    ds->controller = nullptr;
    dropController(d);
    CompareWindowDestroy(ds->window);
    ds->window = nullptr;
    if (ds->r1) diff_free(ds->r1);
    if (ds->r2) diff_free(ds->r2);
    releaseSide(&ds->s1);
    releaseSide(&ds->s2);
    releaseSide(&ds->base);
    delete ds;
}
