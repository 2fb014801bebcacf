// tests/buffer/test_save.cc: saving in place from the first changed byte, save-as and copies,
// backups, the changed-on-disk query, reverting, inserting files and the registry lookups.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <pwd.h>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <utime.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/notify.h"
#include "buffer/registry.h"
#include "buffer/save.h"
#include "buffer/undo.h"
#include "buffer/vchook.h"
#include "fake_vc.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "testutil.h"
#include "toolkit/toolkit.h"

// Stand-in editor window: only its link to the next window of the same File.
struct Edit {
    Edit* nextsame = nullptr;
};

namespace {

void change(File* f, int64_t lS, int cS, int64_t lE, int cE, const std::string& t) {
    FileChange(f, nullptr, 0, lS, cS, lE, cE, t.data(), (int64_t)t.size(), 1);
}

time_t mtimeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_mtime : 0;
}

void setMtime(const std::string& path, time_t t) {
    struct utimbuf u{t, t};
    utime(path.c_str(), &u);
}

// Overwrites bytes of a file behind the editor's back, keeping its size and time, so that a
// later save shows which bytes it rewrote.
// Changes bytes of the file and puts its time back to the nanosecond: a change the editor
// cannot see.
void tamper(const std::string& path, off_t at, const std::string& bytes) {
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    int fd = open(path.c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), at), (ssize_t)bytes.size());
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(fd, times);
    close(fd);
}

struct SaveTest : ::testing::Test {
    TestDir dir;
    static void SetUpTestSuite() {
        wRequestedBackend = WB_HEADLESS;
        int argc = 0;
        WGUIInit(&argc, nullptr);
    }
    void TearDown() override {
        editorbackups = 0;
        while (FileHead()) FileFree(FileHead());
    }
    File* load(const std::string& name, const std::string& text) {
        std::string p = dir.write(name, text);
        setMtime(p, time(nullptr) - 100); // so that a save visibly moves the time
        return FileFFile(p.c_str());
    }
};

std::string numbered(int n) {
    std::string s;
    for (int i = 0; i < n; i++) s += "line number " + std::to_string(i) + "\n";
    return s;
}

TEST_F(SaveTest, RewritesOnlyFromTheFirstChangedLine) {
    std::string text = numbered(5000);
    File* f = load("big", text);
    std::string p = f->name;
    // Unchanged: nothing rewritten, the time still moves.
    time_t before = mtimeOf(p);
    tamper(p, 0, "X");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(p)[0], 'X');
    EXPECT_GT(mtimeOf(p), before);
    EXPECT_FALSE(f->modified);
    EXPECT_TRUE(f->savedOnce);
    // Last line changed, file no shorter: the prefix stays as it is on disk.
    change(f, 5000, 0, 5000, 4, "LINE");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    std::string disk = readFile(p);
    EXPECT_EQ(disk[0], 'X');
    EXPECT_EQ(disk.substr(disk.size() - 17), "LINE number 4999\n");
    for (Line* l = f->first; l; l = l->next) ASSERT_EQ(l->allocLen, lnInFile);
    // A deleted line makes the file shorter: written from that line on, then cut to size.
    change(f, 2, 0, 3, 0, "");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    disk = readFile(p);
    EXPECT_EQ(fileLastSave.fileFrom, 14);
    EXPECT_EQ(disk.substr(1), textOf(f).substr(1));
    EXPECT_EQ((int64_t)disk.size(), f->diskSize);
}

// A save leaves alone the leading lines that still read, in order, the file as loaded or last
// saved: every list primitive that breaks that run ends it.
TEST_F(SaveTest, UntouchedRunFollowsTheListPrimitives) {
    File* f = load("run", "a\nb\nc\nd\ne\n");
    std::string p = f->name;
    Line* from = nullptr;
    int64_t size = 0;
    EXPECT_EQ(FileDiskPrefix(f, &from, &size), 10);
    EXPECT_EQ(from, nullptr);
    FileRemove(f, FileLine(f, 3));
    EXPECT_EQ(FileDiskPrefix(f, &from, &size), 4);
    EXPECT_EQ(from, FileLine(f, 3));
    EXPECT_EQ(size, 8);
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1); // shorter: the tail, then cut to size
    EXPECT_EQ(readFile(p), "a\nb\nd\ne\n");
    EXPECT_EQ(fileLastSave.fileFrom, 4);
    EXPECT_EQ(fileLastSave.fileBytes, 4);
    EXPECT_EQ(fileLastSave.tempBytes, 4);
    EXPECT_EQ(readFile(f->tempName), "a\nb\nd\ne\n");
    EXPECT_EQ(FileDiskPrefix(f, &from, &size), 8);
    // A temp-file line put between others: the run ends before it.
    FileInsertO(f, FileLine(f, 2), 6, 1);
    EXPECT_EQ(FileDiskPrefix(f, &from, &size), 2);
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(p), "a\ne\nb\nd\ne\n");
    EXPECT_EQ(fileLastSave.fileFrom, 2);
    EXPECT_EQ(fileLastSave.fileBytes, 8);
    // Only the last line changed: the bytes before it stay, and only its own are copied.
    change(f, 5, 0, 5, 1, "E");
    EXPECT_EQ(FileDiskPrefix(f, &from, &size), 8);
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(fileLastSave.fileFrom, 8);
    EXPECT_EQ(fileLastSave.tempBytes, 2);
    EXPECT_EQ(readFile(f->tempName), "a\ne\nb\nd\nE\n");
    FileInstanciateLine(f, f->first);
    EXPECT_EQ(FileDiskPrefix(f, &from, &size), 0);
    EXPECT_EQ(from, f->first);
    // An edit that leaves the text as it was is still written.
    change(f, 2, 0, 2, 1, "e");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(fileLastSave.fileFrom, 0);
    EXPECT_EQ(readFile(p), "a\ne\nb\nd\nE\n");
}

// After a save maxWidth is the width of the widest line, whether that line was left alone,
// written by the save, or deleted.
TEST_F(SaveTest, WidthAfterSavingFollowsTheWidestLine) {
    std::string text = numbered(3000);
    text.insert(text.find("line number 1500\n"), std::string(200, 'w') + "\n");
    File* f = load("wide", text); // line 1501 is 200 wide
    EXPECT_EQ(f->maxWidth, 201);
    change(f, 3001, 0, 3001, 0, "!");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(f->maxWidth, 201);
    EXPECT_EQ(fileLastSave.tempBytes, 18); // only the last line was copied
    change(f, 3000, 0, 3000, 0, std::string(300, 't'));
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(f->maxWidth, 317); // 1 + 300 + "line number 2998"
    // As many bytes again, in narrow lines: the file keeps its size and is not truncated.
    change(f, 3000, 0, 3000, 300, "");
    std::string narrow;
    for (int i = 0; i < 30; i++) narrow += "narrow 99\n";
    change(f, 3002, 0, 3002, 0, narrow);
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_GT(fileLastSave.fileFrom, 0);
    EXPECT_EQ(f->maxWidth, 201);
    EXPECT_EQ(textOf(f), readFile(f->name));
    change(f, 3002, 0, 3032, 0, "");
    change(f, 1501, 0, 1502, 0, "");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(f->maxWidth, 18); // "!line number 2999"
    EXPECT_EQ(textOf(f), readFile(f->name));
    // Widths follow the tab size: a tab after the save counts by the new one.
    change(f, 1, 0, 1, 0, "\t\t\t\t");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(f->maxWidth, 32 + 13); // four tabs and "line number 0"
    int saved = tabsize;
    tabsize = 4;
    change(f, 3000, 0, 3000, 0, "?");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(f->maxWidth, 16 + 13);
    tabsize = saved;
}

// The temp file may live on another file system than the file: the saved bytes then reach
// it by reading and writing instead of a copy in the kernel.
TEST_F(SaveTest, TempFileOnAnotherFileSystem) {
    struct stat shm, here;
    if (stat("/dev/shm", &shm) != 0 || stat(dir.path.c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev)
        GTEST_SKIP() << "no second file system";
    char apart[] = "/dev/shm/qe-save-XXXXXX";
    ASSERT_NE(mkdtemp(apart), nullptr);
    std::string kept = tempFileDir;
    tempFileDir = apart;
    File* f = load("apart", numbered(100000)); // larger than one buffer of the copy
    change(f, 1, 0, 1, 0, "first ");
    change(f, 100000, 0, 100000, 0, "last ");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    std::string disk = readFile(f->name);
    EXPECT_EQ(fileLastSave.tempBytes, (int64_t)disk.size());
    EXPECT_TRUE(readFile(f->tempName) == disk); // (no diff of megabytes on failure)
    EXPECT_TRUE(textOf(f) == disk);
    change(f, 99999, 0, 99999, 0, "tail ");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    disk = readFile(f->name);
    EXPECT_LT(fileLastSave.tempBytes, 64);
    EXPECT_TRUE(readFile(f->tempName) == disk);
    EXPECT_TRUE(textOf(f) == disk);
    FileFree(f);
    tempFileDir = kept;
    std::string cmd = std::string("rm -rf '") + apart + "'";
    EXPECT_EQ(system(cmd.c_str()), 0);
}

// ---- a disk that fills up in the middle of a save ----

using Report = std::map<std::string, std::string>;

std::string childAlerts;

// Runs body in a child process whose files cannot grow past fileLimit bytes once body calls
// limit(): writes beyond it fail (EFBIG) instead of killing it. The child reports through
// key=value lines; the alerts it showed come back as "alerts".
Report inChild(rlim_t fileLimit, const std::function<void(Report&, std::function<void(bool)>)>& body) {
    int fds[2];
    if (pipe(fds) != 0) return {{"error", "pipe"}};
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        signal(SIGXFSZ, SIG_IGN);
        static struct : ErrorDisplay {
            void alert(const char* text) override { childAlerts += text; }
            void bell() override {}
        } alerts;
        errorDisplay.install(&alerts);
        Report r;
        auto limit = [fileLimit](bool on) {
            struct rlimit rl;
            getrlimit(RLIMIT_FSIZE, &rl);
            rl.rlim_cur = on ? fileLimit : rl.rlim_max;
            setrlimit(RLIMIT_FSIZE, &rl);
        };
        try {
            body(r, limit);
        } catch (...) {
            r["error"] = "exception";
        }
        r["alerts"] = childAlerts;
        std::string out;
        for (auto& [k, v] : r) {
            std::string flat = v;
            for (char& c : flat)
                if (c == '\n') c = '|';
            out += k + "=" + flat + "\n";
        }
        ssize_t ignored = write(fds[1], out.data(), out.size());
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    std::string in;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0) in.append(buf, (size_t)n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Report r;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) r["error"] = "child died";
    for (size_t at = 0; at < in.size();) {
        size_t lf = in.find('\n', at);
        std::string row = in.substr(at, lf - at);
        size_t eq = row.find('=');
        if (eq != std::string::npos) r[row.substr(0, eq)] = row.substr(eq + 1);
        at = lf == std::string::npos ? in.size() : lf + 1;
    }
    return r;
}

int undoCount(File* f) {
    int n = 0;
    for (UndoRec* r = f->undo; r; r = r->next) n++;
    return n;
}

// What a save that failed must leave: the File modified with the same text and undo records.
void checkKept(Report& r, File* f, const std::string& edited, UndoRec* top, int records) {
    r["modified"] = f->modified ? "yes" : "no";
    r["text kept"] = textOf(f) == edited ? "yes" : "no";
    r["undo kept"] = f->undo == top && undoCount(f) == records ? "yes" : "no";
}

// ... and those records still lead back to the text as loaded and forward again.
void checkUndo(Report& r, File* f, const std::string& loaded, const std::string& edited) {
    while (FileUndo(f, nullptr, 0) != -100) {
    }
    r["undone"] = textOf(f) == loaded ? "yes" : "no";
    while (FileRedo(f, nullptr, 0) != -100) {
    }
    r["redone"] = textOf(f) == edited ? "yes" : "no";
}

// What every save that failed midway must leave: the message, the backup, the File still
// modified with its text and undo lists, and a retry that writes the edited text.
void expectFailedSaveLeftAllIntact(Report& r, const std::string& p) {
    EXPECT_EQ(r["alerts"], "No space to save file: " + p + "|");
    EXPECT_EQ(r["untouched"], "yes");
    EXPECT_EQ(r["modified"], "yes");
    EXPECT_EQ(r["text kept"], "yes");
    EXPECT_EQ(r["undo kept"], "yes");
    EXPECT_EQ(r["undone"], "yes");
    EXPECT_EQ(r["redone"], "yes");
    EXPECT_EQ(r["retry"], "1");
    EXPECT_EQ(r["retry disk"], "edited");
}

TEST_F(SaveTest, DiskFullWhileWritingTheTail) {
    editorbackups = 1;
    std::string loaded = numbered(4000);
    std::string p = dir.write("full", loaded);
    setMtime(p, time(nullptr) - 100);
    Report r = inChild(loaded.size() + 4096, [&](Report& r, auto limit) {
        File* f = FileFFile(p.c_str());
        change(f, 3000, 0, 3000, 0, "A");
        FileCloseUndo(f);
        std::string block;
        for (int i = 0; i < 400; i++) block += "inserted line " + std::to_string(i) + "\n";
        change(f, 2000, 0, 2000, 0, block);
        FileCloseUndo(f);
        change(f, 3999, 4, 3999, 4, "B");
        std::string edited = textOf(f);
        UndoRec* top = f->undo;
        int records = undoCount(f);
        limit(true);
        r["save"] = std::to_string(FileSave(f, nullptr, nullptr));
        r["untouched"] = readFile(p) == loaded ? "yes" : "no";
        r["backup"] = access((p + "~").c_str(), F_OK) == 0 ? "made" : "none";
        checkKept(r, f, edited, top, records);
        limit(false);
        r["retry"] = std::to_string(FileSave(f, nullptr, nullptr));
        r["retry disk"] = readFile(p) == edited ? "edited" : "other";
        r["backup after"] = readFile(p + "~") == loaded ? "previous" : "other";
        checkUndo(r, f, loaded, edited);
    });
    EXPECT_EQ(r["error"], "");
    EXPECT_EQ(r["save"], "0");
    expectFailedSaveLeftAllIntact(r, p);
    EXPECT_EQ(r["backup"], "none"); // refused before anything was written
    EXPECT_EQ(r["backup after"], "previous");
}

// A shorter File whose journal would not fit under the limit: refused before the file is cut.
TEST_F(SaveTest, SizeLimitBeforeShrinking) {
    editorbackups = 1;
    std::string loaded = numbered(3000);
    std::string p = dir.write("cut", loaded);
    setMtime(p, time(nullptr) - 100);
    Report r = inChild(1000, [&](Report& r, auto limit) {
        File* f = FileFFile(p.c_str());
        change(f, 10, 0, 10, 0, "first save ");
        r["first"] = std::to_string(FileSave(f, nullptr, nullptr));
        change(f, 2500, 0, 2501, 0, ""); // far beyond what fits: the first 1000 bytes stay
        change(f, 2600, 0, 2600, 0, "C");
        std::string edited = textOf(f);
        UndoRec* top = f->undo;
        int records = undoCount(f);
        std::string saved = readFile(p);
        limit(true);
        r["save"] = std::to_string(FileSave(f, nullptr, nullptr));
        r["untouched"] = readFile(p) == saved ? "yes" : "no";
        r["backup"] = readFile(p + "~") == loaded ? "previous" : "other";
        checkKept(r, f, edited, top, records);
        limit(false);
        r["retry"] = std::to_string(FileSave(f, nullptr, nullptr));
        r["retry disk"] = readFile(p) == edited ? "edited" : "other";
        checkUndo(r, f, loaded, edited);
    });
    EXPECT_EQ(r["error"], "");
    EXPECT_EQ(r["first"], "1");
    EXPECT_EQ(r["save"], "0");
    EXPECT_EQ(r["backup"], "previous");
    expectFailedSaveLeftAllIntact(r, p);
}

TEST_F(SaveTest, DosFilesAndMissingFinalNewline) {
    File* f = load("dos", "a\r\nb\r\n");
    std::string p = f->name;
    tamper(p, 0, "Z");
    change(f, 2, 1, 2, 1, "!");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(p), "a\r\nb!\r\n"); // rewritten whole, CR LF after every line
    File* g = load("nofinal", "x\ny");
    ASSERT_EQ(FileSave(g, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(g->name), "x\ny\n");
}

TEST_F(SaveTest, BackupOncePerLoad) {
    editorbackups = 1;
    File* f = load("backed", "first\n");
    change(f, 1, 0, 1, 5, "second");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(dir.file("backed~")), "first\n");
    EXPECT_TRUE(f->backupMade);
    change(f, 1, 0, 1, 6, "third");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(dir.file("backed~")), "first\n");
    EXPECT_EQ(readFile(f->name), "third\n");
    // Restoring from the backup brings its text back as a modified File.
    ASSERT_EQ(FileRestoreFromBackup(f, nullptr), 1);
    EXPECT_EQ(textOf(f), "first\n");
    EXPECT_TRUE(f->modified);
}

TEST_F(SaveTest, BackupNames) {
    File f;
    std::string name;
    editorbackups = 0;
    f.name = gen_copy("/d/abcdefghijklmn");
    EXPECT_EQ(MakeBackupName(name, &f, nullptr, 0), 0);
    EXPECT_EQ(MakeBackupName(name, &f, nullptr, 1), 1);
    EXPECT_EQ(name, "/d/adefghijklmn~");
    gen_free(f.name);
    f.name = gen_copy("abcdefghijklm");
    MakeBackupName(name, &f, nullptr, 1);
    EXPECT_EQ(name, "abcdefghijklm~");
    f.realName = gen_copy("target.c"); // a link's backup goes beside its target
    gen_free(f.name);
    f.name = gen_copy("/d/link.c");
    MakeBackupName(name, &f, nullptr, 1);
    EXPECT_EQ(name, "/d/target.c~");
    gen_free(f.name);
    gen_free(f.realName);
    f.name = f.realName = nullptr;
}

TEST_F(SaveTest, SaveAsReplacesTheOtherFile) {
    File* a = load("a.txt", "from a\n");
    File* b = load("b.txt", "from b\n");
    std::string bName = b->name;
    WQueueAnswer("yes"); // the file exists
    WQueueAnswer("no");  // ... and is being edited: keep it
    EXPECT_EQ(FileSaveAs(a, bName.c_str(), nullptr), 0);
    EXPECT_EQ(readFile(bName), "from b\n");
    WQueueAnswer("yes");
    WQueueAnswer("yes");
    ASSERT_EQ(FileSaveAs(a, bName.c_str(), nullptr), 1);
    EXPECT_EQ(readFile(bName), "from a\n");
    int carriers = 0;
    for (File* f = FileHead(); f; f = f->next)
        if (f->name && bName == f->name) carriers++;
    EXPECT_EQ(carriers, 1);
    EXPECT_EQ(FileFLookup(bName.c_str()), a);
    // A copy keeps the File's name.
    std::string copy = dir.file("copy.txt");
    ASSERT_EQ(FileSave(a, copy.c_str(), nullptr), 1);
    EXPECT_EQ(std::string(a->name), bName);
    EXPECT_EQ(readFile(copy), "from a\n");
    EXPECT_EQ(FileSave(a, dir.file("no/such/dir").c_str(), nullptr), -1);
    File* internal = FileFString(nullptr, "x\n", 2);
    EXPECT_EQ(FileSave(internal, nullptr, nullptr), 0);
    FileFree(internal);
}

TEST_F(SaveTest, ChangedOnDiskQuery) {
    File* f = load("shared", "mine\n");
    std::string p = f->name;
    change(f, 1, 0, 1, 0, "+");
    dir.write("shared", "theirs\n");
    setMtime(p, time(nullptr) + 5);
    EXPECT_TRUE(FileFileChanged(f));
    WQueueAnswer("Cancel");
    EXPECT_EQ(FileSave(f, nullptr, nullptr), 0);
    EXPECT_EQ(readFile(p), "theirs\n");
    EXPECT_TRUE(f->modified);
    WQueueAnswer("Save Anyway");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(p), "+mine\n");
    EXPECT_FALSE(FileFileChanged(f));
}

TEST_F(SaveTest, RevertAndSemiRevert) {
    File* f = load("rev", "one\ntwo\n");
    change(f, 1, 0, 2, 0, "");
    ASSERT_EQ(FileRevert(f), 1);
    EXPECT_EQ(textOf(f), "one\ntwo\n");
    EXPECT_FALSE(f->modified);
    EXPECT_EQ(f->undo, nullptr);
    // The undo lists survive a semi-revert only when size and line count are unchanged.
    change(f, 1, 0, 1, 3, "ONE");
    ASSERT_EQ(FileSemiRevert(f), 1);
    EXPECT_NE(f->undo, nullptr);
    change(f, 1, 0, 2, 0, "");
    dir.write("rev", "other\n");
    ASSERT_EQ(FileSemiRevert(f), 1);
    EXPECT_EQ(textOf(f), "other\n");
    EXPECT_EQ(f->undo, nullptr);
}

TEST_F(SaveTest, InsertFileIsOneUndoStep) {
    File* f = load("host", "top\nbottom\n");
    std::string part = dir.write("part", "p1\np2"); // no final LF: must not join "bottom"
    ASSERT_EQ(FileInsertFile(f, f->last, part.c_str()), 1);
    EXPECT_EQ(textOf(f), "top\np1\np2\nbottom\n");
    EXPECT_TRUE(f->modified);
    EXPECT_EQ(f->loadSize, 0);
    FileUndo(f, nullptr, 0);
    EXPECT_EQ(textOf(f), "top\nbottom\n");
    EXPECT_FALSE(f->modified);
    testing::internal::CaptureStdout();
    EXPECT_EQ(FileInsertFile(f, nullptr, dir.file("absent").c_str()), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("No such file: "), std::string::npos);
    // Saving after an insert rewrites the whole file.
    ASSERT_EQ(FileInsertFile(f, nullptr, part.c_str()), 1);
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    EXPECT_EQ(readFile(f->name), "top\nbottom\np1\np2\n");
}

TEST_F(SaveTest, LookupsAndStubs) {
    File* f = load("look.c", "int x;\n");
    std::string p = f->name;
    EXPECT_EQ(FileFLookup(p.c_str()), f);
    EXPECT_EQ(FileFLookup("look.c"), f); // by base name
    std::string other = dir.path + "/./look.c";
    EXPECT_EQ(FileFLookup(other.c_str()), f); // same device, inode, base name and time
    EXPECT_EQ(std::string(f->name), other);   // no window: it takes the new name
    change(f, 1, 0, 1, 0, "// ");
    ASSERT_EQ(FileSave(f, nullptr, nullptr), 1);
    FileStubout(f);
    EXPECT_TRUE(f->stub);
    EXPECT_EQ(f->first, nullptr);
    EXPECT_EQ(FileFName(other.c_str()), f);
    EXPECT_FALSE(f->stub);
    EXPECT_EQ(textOf(f), "// int x;\n");
    EXPECT_NE(f->undo, nullptr); // the disk did not change while it was a stub
    EXPECT_EQ(FileFLookup(dir.file("missing.c").c_str()), nullptr);
}

TEST_F(SaveTest, AbortReleasesLocks) {
    File* f = load("locked", "x\n");
    ASSERT_EQ(incr_AcquireLock(f), 1);
    change(f, 1, 0, 1, 0, "y");
    ASSERT_EQ(FilesWriteJournals(), 1);
    EXPECT_TRUE(dir.exists(".locked.tq~"));
    FilesAbort();
    EXPECT_FALSE(dir.exists(".locked.tq~"));
    EXPECT_FALSE(f->haslock);
}

TEST_F(SaveTest, MemoryToDisk) {
    File* f = load("mem", "a\nb");
    change(f, 1, 1, 1, 1, "!");
    ASSERT_EQ(file_SaveMemoryToDisk(f, dir.file("out").c_str()), 1);
    EXPECT_EQ(readFile(dir.file("out")), "a!\nb\n");
    EXPECT_TRUE(f->modified);
    EXPECT_EQ(file_SaveMemoryToDisk(f, dir.file("no/dir").c_str()), 0);
}

TEST_F(SaveTest, VersionControlFrontEnd) {
    File* f = load("plain.c", "x\n");
    EXPECT_EQ(file_UnderVC(f), 0); // no front end: not under version control
    EXPECT_EQ(file_CheckOut(f), 0);
    FakeVc vc("kept.c");
    vc.holder = getpwuid(getuid())->pw_name;
    File* g = load("kept.c", "y\n");
    EXPECT_EQ(file_UnderVC(g), 1);
    EXPECT_EQ(file_UnderVC(g), 1);
    EXPECT_EQ(vc.underCalls, 1); // cached until the status is unknown again
    int under = 0;
    EXPECT_EQ(file_IsCheckedOut(g, nullptr, &under), 1);
    EXPECT_EQ(under, 1);
    vc.checkOut = -2;
    EXPECT_EQ(file_CheckOut(g), -2);
    vc.checkOut = 1;
    EXPECT_EQ(file_CheckOut(g), 1);
    EXPECT_TRUE(g->checkedOut && g->checkinOnClose);
    EXPECT_EQ(file_CheckIn(g, nullptr), 1);
    EXPECT_FALSE(g->checkedOut || g->checkinOnClose);
    // Discarding asks first (no by default) and then reverts to the disk text.
    change(g, 1, 0, 1, 0, "z");
    EXPECT_EQ(file_Discard(g), 0);
    EXPECT_EQ(textOf(g), "zy\n");
    WQueueAnswer("yes");
    EXPECT_EQ(file_Discard(g), 1);
    EXPECT_EQ(textOf(g), "y\n");
    EXPECT_FALSE(g->modified);
}

} // namespace
