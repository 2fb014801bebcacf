// tests/buffer/test_journal.cc: the journal's format, applying it, malformed journals, and the
// recovery question for every kind of journal found when a file is opened.
#include <gtest/gtest.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>

#include <string>
#include <sys/stat.h>
#include <utime.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/lockfile.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "runtime/gen.h"
#include "testutil.h"
#include "toolkit/toolkit.h"

namespace {

std::string header() {
    int32_t interval = EditIncrFrequency;
    return std::string((const char*)&interval, 4);
}

void setMtime(const std::string& path, time_t t) {
    struct utimbuf u{t, t};
    utime(path.c_str(), &u);
}

void change(File* f, int64_t lS, int cS, int64_t lE, int cE, const std::string& t) {
    FileChange(f, nullptr, 0, lS, cS, lE, cE, t.data(), (int64_t)t.size(), 1);
}

struct JournalTest : ::testing::Test {
    TestDir dir;
    std::string path;
    static void SetUpTestSuite() {
        wRequestedBackend = WB_HEADLESS;
        int argc = 0;
        WGUIInit(&argc, nullptr);
    }
    void TearDown() override {
        while (FileHead()) FileFree(FileHead());
    }
    std::string journal() const { return dir.file(".f.txt.tq~"); }
    File* edited(const std::string& text) {
        path = dir.write("f.txt", text);
        File* f = FileFFile(path.c_str());
        EXPECT_EQ(incr_AcquireLock(f), 1);
        EXPECT_EQ(readFile(journal()), header()); // the lock is an empty journal
        return f;
    }
    // What a second opening of the file answers and shows.
    File* reopen(const char* answer, std::string* shown) {
        if (answer) WQueueAnswer(answer);
        testing::internal::CaptureStdout();
        File* f = FileFFile(path.c_str());
        *shown = testing::internal::GetCapturedStdout();
        return f;
    }
    // Applies the journal to a fresh load of the file on disk.
    std::string replay() {
        File* copy = FileFFileNoApplyEdits(path.c_str());
        int ok = incr_ApplyEdits(copy, journal().c_str());
        std::string text = ok ? textOf(copy) : "<failed>";
        FileFree(copy);
        return text;
    }
};

const char* tenLines = "l0\nl1\nl2\nl3\nl4\nl5\nl6\nl7\nl8\nl9\n";

TEST_F(JournalTest, ChangedLineFormat) {
    File* f = edited(tenLines);
    change(f, 5, 0, 5, 2, "NEW");
    ASSERT_EQ(incr_SaveEdits(f), 1);
    EXPECT_FALSE(f->journalDirty);
    EXPECT_EQ(readFile(journal()), header() + "d 12 14\nd 30 2147483647\na 5 \"NEW\n");
    EXPECT_EQ(replay(), textOf(f));
}

TEST_F(JournalTest, DeletedLinesFormat) {
    File* f = edited(tenLines);
    change(f, 3, 0, 5, 0, "");
    ASSERT_EQ(incr_SaveEdits(f), 1);
    EXPECT_EQ(readFile(journal()), header() + "d 6 14\nd 30 2147483647\na 3 \"l4\n");
    EXPECT_EQ(replay(), "l0\nl1\nl4\nl5\nl6\nl7\nl8\nl9\n");
}

TEST_F(JournalTest, NewFileHasNoTailRecord) {
    path = dir.file("f.txt");
    File* f = FileFFile(path.c_str());
    ASSERT_TRUE(f->isNew);
    ASSERT_EQ(incr_AcquireLock(f), 1);
    change(f, 1, 0, 1, 0, "hello\nworld");
    ASSERT_EQ(incr_SaveEdits(f), 1);
    EXPECT_EQ(readFile(journal()), header() + "a 1 \"hello\na 2 \"world\n");
}

TEST_F(JournalTest, HugeLinesAndNulBytesRoundTrip) {
    File* f = edited(tenLines);
    std::string huge(100000, 'h');
    huge[5] = '\0';
    huge[99999] = '"';
    change(f, 2, 0, 2, 2, huge);
    change(f, 9, 0, 10, 2, "a\"b\r\nc");
    ASSERT_EQ(incr_SaveEdits(f), 1);
    EXPECT_EQ(replay(), textOf(f));
}

TEST_F(JournalTest, UntouchedFileWritesNothingButTheTime) {
    File* f = edited(tenLines);
    setMtime(journal(), time(nullptr) - 500);
    ASSERT_EQ(incr_SaveEdits(f), 1);
    struct stat st;
    stat(journal().c_str(), &st);
    EXPECT_GT(st.st_mtime, time(nullptr) - 100);
    EXPECT_EQ(readFile(journal()), header());
    // Undoing back to the disk text lets the lock go.
    change(f, 1, 0, 1, 0, "x");
    FileUndo(f, nullptr, 0);
    EXPECT_FALSE(f->haslock);
    EXPECT_FALSE(dir.exists(".f.txt.tq~"));
}

TEST_F(JournalTest, MalformedJournalsAreReported) {
    path = dir.write("f.txt", tenLines);
    struct Case {
        std::string body, message;
    } cases[] = {
        {"d 12\n", "Bad format in incr file: "},
        {"d 0 2\na x\n", "Bad format in incr file: "},
        {"a 3 no quote\n", "Bad format in incr file: "},
        {"zzz\n", "Corrupt increment file: "},
        {"a 1 \"ok\nd 0 2\n", "Corrupt increment file: "},
        {std::string("\x7f\x00\x01\xff\n\n", 6), "Corrupt increment file: "},
    };
    for (const auto& c : cases) {
        dir.write(".f.txt.tq~", header() + c.body);
        testing::internal::CaptureStdout();
        EXPECT_EQ(replay(), "<failed>");
        EXPECT_NE(testing::internal::GetCapturedStdout().find(c.message), std::string::npos)
            << c.body;
    }
    testing::internal::CaptureStdout();
    File* copy = FileFFileNoApplyEdits(path.c_str());
    EXPECT_EQ(incr_ApplyEdits(copy, dir.file("absent").c_str()), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Could not open increment file "),
              std::string::npos);
    // A FIFO in the journal's place is refused, not waited on for a writer.
    ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(incr_ApplyEdits(copy, dir.file("fifo").c_str()), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Journal is not a regular file"),
              std::string::npos);
    FileFree(copy);
    // Opening with a corrupt journal and applying it still opens the file, with a fresh lock.
    dir.write(".f.txt.tq~", header() + "d 3 5\nnonsense\n");
    std::string shown;
    File* f = reopen("Apply Edits", &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_NE(shown.find("Corrupt increment file: "), std::string::npos);
    EXPECT_TRUE(f->haslock);
    // The next tick replaces the corrupt journal with one of the text as it now stands.
    ASSERT_EQ(FilesWriteJournals(), 1);
    EXPECT_EQ(readFile(journal()).find("nonsense"), std::string::npos);
}

TEST_F(JournalTest, StaleJournals) {
    File* f = edited(tenLines);
    FileFree(f); // released: make a left-over journal by hand
    // Older than the file, without edits: announced and removed, no question.
    dir.write(".f.txt.tq~", header());
    setMtime(journal(), time(nullptr) - 1000);
    std::string shown;
    f = reopen(nullptr, &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(shown, "Stale lock file detected\n");
    EXPECT_FALSE(f->haslock);
    EXPECT_FALSE(dir.exists(".f.txt.tq~"));
    FileFree(f);
    // Older than the file, with edits: the file changed after them, so they cannot be
    // applied; the user may only discard them.
    std::string edits = header() + "d 0 2\nd 30 2147483647\na 1 \"L0\n";
    dir.write(".f.txt.tq~", edits);
    setMtime(journal(), time(nullptr) - 1000);
    EXPECT_EQ(reopen("Apply Edits", &shown), nullptr);
    EXPECT_NE(shown.find("they cannot be applied"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Apply Edits\n"), std::string::npos) << shown;
    EXPECT_EQ(readFile(journal()), edits);
    f = reopen("Discard Edits", &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(textOf(f), tenLines);
    EXPECT_TRUE(f->haslock);
    EXPECT_EQ(readFile(journal()), header());
    FileFree(f);
    // Newer than the file and no editor holds it: the user decides.
    dir.write(".f.txt.tq~", edits);
    setMtime(path, time(nullptr) - 1000);
    f = reopen("Apply Edits", &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(shown, "You are editing file elsewhere: " + path +
                         "\\nOutstanding edits exist.\\nWhat would you like to do?\\nIf you "
                         "choose to Discard, the edits will be IRREVOCABLY LOST! -> Apply Edits\n");
    EXPECT_EQ(linesOf(f)[0], "L0");
    EXPECT_TRUE(f->modified && f->haslock && f->journalDirty);
    // The next timer tick writes the recovered state as this process's journal.
    ASSERT_EQ(FilesWriteJournals(), 1);
    EXPECT_EQ(readFile(journal()), edits);
}

// A process that holds the journal's lock, as a live editor does.
struct LiveHolder {
    int fd;
    explicit LiveHolder(const std::string& journal) {
        fd = open(journal.c_str(), O_RDONLY);
        EXPECT_EQ(flock(fd, LOCK_EX), 0);
    }
    ~LiveHolder() { close(fd); }
};

TEST_F(JournalTest, LiveJournalOfTheSameUser) {
    File* f = edited(tenLines);
    change(f, 1, 0, 1, 0, "x");
    incr_SaveEdits(f);
    std::string saved = readFile(journal());
    incr_KeepLock(f); // as if another process held it
    FileFree(f);
    std::string shown;
    {
        LiveHolder holder(journal());
        EXPECT_EQ(reopen("Cancel", &shown), nullptr);
        // Its own user may only look: no discarding of a live editor's journal.
        EXPECT_EQ(reopen("Discard Edits", &shown), nullptr);
        EXPECT_EQ(shown.find("IRREVOCABLY"), std::string::npos) << shown;
        EXPECT_EQ(readFile(journal()), saved);
        f = reopen("View: Apply Edits", &shown);
        ASSERT_NE(f, nullptr);
        EXPECT_TRUE(f->viewOnly && !f->haslock);
        EXPECT_EQ(linesOf(f)[0], "xl0");
        FileFree(f);
        EXPECT_EQ(readFile(journal()), saved);
    }
    // The holder is gone: now its edits may be discarded.
    f = reopen("Discard Edits", &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(textOf(f), tenLines);
    EXPECT_TRUE(f->haslock);
    EXPECT_EQ(readFile(journal()), header());
    incr_KeepLock(f);
    FileFree(f);
    // A journal without edits whose editor is gone is removed without a question.
    f = reopen(nullptr, &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(shown, "");
    EXPECT_FALSE(dir.exists(".f.txt.tq~"));
}

TEST_F(JournalTest, SnapshotIsLoadedBeforeTheEdits) {
    path = dir.write("f.txt", "disk\n");
    dir.write(".f.txt.tq$", "s0\ns1\n");
    dir.write(".f.txt.tq~", header() + "d 3 5\nd 6 2147483647\na 2 \"new\n");
    std::string shown;
    File* f = reopen("Apply Edits", &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(textOf(f), "s0\nnew\n");
}

TEST_F(JournalTest, OtherUsersLiveLockMakesViewOnly) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to give the journal another owner";
    path = dir.write("f.txt", tenLines);
    dir.write(".f.txt.tq~", header());
    ASSERT_EQ(chown(journal().c_str(), 65534, 65534), 0);
    LiveHolder holder(journal());
    std::string shown;
    File* f = reopen("View ReadOnly", &shown);
    ASSERT_NE(f, nullptr);
    EXPECT_NE(shown.find("nobody is editing file elsewhere: "), std::string::npos) << shown;
    EXPECT_TRUE(f->viewOnly);
    EXPECT_EQ(incr_AcquireLock(f), 1);
    EXPECT_FALSE(f->haslock);
    change(f, 1, 0, 1, 0, "x");
    EXPECT_EQ(incr_SaveEdits(f), 1);
    EXPECT_EQ(readFile(journal()), header()); // never written by a viewer
}

} // namespace

// Stealing the lock of a live editor: only a journal of nothing but its header is replaced,
// atomically, by one the stealer holds; a journal with edits, or anything but a plain file,
// is left as it is.
TEST(JournalSteal, ReplacesOnlyAnEmptyJournal) {
    TestDir dir;
    std::string name = dir.write(".f.tq~", header());
    int holder = open(name.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(LockHeld(name), 1);
    int fd = LockReplace(name, 0600, header().data(), 4, 4);
    ASSERT_GE(fd, 0);
    struct stat held, now, mine;
    fstat(holder, &held);
    stat(name.c_str(), &now);
    fstat(fd, &mine);
    EXPECT_NE(held.st_ino, now.st_ino); // the old editor can tell its lock is gone
    EXPECT_EQ(mine.st_ino, now.st_ino);
    EXPECT_EQ(readFile(name), header());
    close(holder);
    EXPECT_EQ(LockHeld(name), 1); // the stealer holds the new one
    close(fd);

    dir.write(".g.tq~", header() + "a 1 \"edit\n");
    std::string g = dir.file(".g.tq~");
    errno = 0;
    EXPECT_EQ(LockReplace(g, 0600, header().data(), 4, 4), -1);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(readFile(g), header() + "a 1 \"edit\n");

    std::string target = dir.write("target", "keep");
    std::string link = dir.file(".h.tq~");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    EXPECT_EQ(LockReplace(link, 0600, header().data(), 4, 4), -1);
    EXPECT_EQ(readFile(target), "keep");
    // Nothing of the attempts is left beside the journals.
    std::vector<std::string> names;
    DIR* d = opendir(dir.path.c_str());
    while (dirent* e = readdir(d))
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".f.tq~", ".g.tq~", ".h.tq~", "target", "tmp"}));
}
