// buffer/journal.cc: the crash-recovery journal (".NAME.tq~") beside each edited file, which
// doubles as the edit lock shared through the file system.
#include "buffer/journal.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
#include "buffer/lockfile.h"
#include "buffer/notify.h"
#include "buffer/registry.h"
#include "buffer/save.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/eventloop.h"
#include "toolkit/toolkit.h"

// The second number of the record that deletes everything after the last kept line.
static constexpr int64_t tailMark = 2147483647;
static constexpr int headerSize = 4;
static constexpr int64_t typingPauseMs = 2000;

static std::string journalPath(File* file, char last) {
    std::string target = file->name ? file->name : "";
    if (file->realName) {
        // A relative link target is relative to the link's own directory.
        size_t slash = target.rfind('/');
        if (file->realName[0] == '/' || slash == std::string::npos)
            target = file->realName;
        else
            target = target.substr(0, slash + 1) + file->realName;
    }
    size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string suffix = ".tq_";
    suffix.back() = last;
    return dir + "." + base + suffix;
}

char* incr_GetName(File* file, int snapshot) {
    return gen_copy(journalPath(file, snapshot ? '$' : '~').c_str());
}

// Where a journal is written before it replaces the old one, so that a crash in the middle
// of a write leaves the previous journal whole.
static std::string pendingPath(File* file) {
    return journalPath(file, '~') + "#";
}

static std::string currentUser() {
    if (struct passwd* pw = getpwuid(getuid())) return pw->pw_name;
    const char* login = getlogin();
    return login ? login : "";
}

static std::vector<char> header() {
    int32_t interval = EditIncrFrequency;
    std::vector<char> h(headerSize);
    memcpy(h.data(), &interval, headerSize);
    return h;
}

int incr_OpenLock(File* file, const char* name, int exclusive) {
    int fd = FileCreateFresh(name, LockFileMode(file->isNew ? 0660 : file->mode), !exclusive);
    if (fd < 0) return -1;
    std::vector<char> h = header();
    if (!gen_writefull(fd, h.data(), h.size())) {
        close(fd);
        return -1;
    }
    return fd;
}

// Gives up the lock: the journal stays when `keep`, and with its editor gone it counts as
// stale; otherwise it is removed, but only while it is still the file this process locked.
static void dropLock(File* file, bool keep) {
    if (!keep) {
        // While the lock is still ours, so that no other editor can be writing a pending copy
        // yet (a dead editor's may be left over): the journal goes last.
        std::string name = journalPath(file, '~');
        struct stat a, b;
        bool ours = file->lockFd < 0 || (fstat(file->lockFd, &a) == 0 &&
                                         lstat(name.c_str(), &b) == 0 && a.st_ino == b.st_ino &&
                                         a.st_dev == b.st_dev);
        if (ours) {
            unlink(journalPath(file, '$').c_str());
            unlink(pendingPath(file).c_str());
            unlink(name.c_str());
        }
    }
    if (file->lockFd >= 0) close(file->lockFd);
    file->lockFd = -1;
    file->haslock = false;
}

int incr_RemoveLockFiles(File* file) {
    if (file->haslock) {
        dropLock(file, false);
        return 1;
    }
    // Only a journal nobody holds may go.
    int fd = LockTake(journalPath(file, '~'));
    if (fd < 0) return errno == ENOENT ? 1 : 0;
    file->lockFd = fd;
    dropLock(file, false);
    return 1;
}

void incr_ReleaseLock(File* file) {
    MAssert(file->haslock);
    dropLock(file, false);
    file->journalDirty = false;
}

void incr_KeepLock(File* file) {
    if (file->haslock) dropLock(file, true);
}

// Takes over the journal now there, whose editor is gone: 1 when this process now holds it.
static int takeOver(File* file, const std::string& name) {
    int fd = LockTake(name);
    if (fd < 0) return 0;
    if (file->lockFd >= 0) close(file->lockFd);
    file->lockFd = fd;
    file->haslock = true;
    return 1;
}

// Makes a fresh journal holding only its header: 1 when this process holds it.
static int createLock(File* file, const std::string& name) {
    std::vector<char> h = header();
    int fd = LockCreate(name, LockFileMode(file->isNew ? 0660 : file->mode), h.data(), h.size());
    if (fd < 0) return 0;
    file->lockFd = fd;
    file->haslock = true;
    return 1;
}

int incr_AcquireLock(File* file) {
    if (file->viewOnly || !file->name || file->internal || file->haslock) return 1;
    std::string name = journalPath(file, '~');
    if (createLock(file, name)) return 1;
    if (errno != EEXIST) return 0;
    if (incr_RecoverCrash(file, name.c_str()) != 1) return 0;
    if (file->viewOnly || file->haslock) return 1;
    return createLock(file, name);
}

// ---- writing ----

// Lines read from the temp file are named by their offsets only when those bytes are still
// on disk: below where a failed save began, and not at all once the file changed behind us.
static int64_t keepBelow(File* file) {
    struct stat st;
    if (file->isNew || !file->name || stat(file->name, &st) != 0) return 0;
    if (st.st_mtime != file->mtime || st.st_mtim.tv_nsec != file->mtimeNsec ||
        st.st_size != file->diskSize)
        return 0;
    return file->diskSameUpTo;
}

// Writes the journal beside the file and swaps it in for the old one; with `headerOnly` it
// records no edits.
static int writeJournal(File* file, int64_t keepLimit, bool headerOnly = false,
                        File* textOf = nullptr) {
    // The lines come from textOf when given: another File's text journaled under this name.
    File* src = textOf ? textOf : file;
    std::string name = journalPath(file, '~');
    std::string pending = pendingPath(file);
    file->journalDirty = false;
    int fd = incr_OpenLock(file, pending.c_str(), 0);
    if (fd < 0) {
        file->journalDirty = true;
        return QuorlError(1, "Cannot create update file: %s", name.c_str());
    }
    // The new journal is locked before it takes the name, so that the name never shows an
    // unlocked journal to another editor.
    flock(fd, LOCK_EX | LOCK_NB);
    std::string out;
    bool ok = true;
    auto flush = [&](size_t atLeast) {
        if (out.size() >= atLeast) {
            ok = ok && gen_writefull(fd, out.data(), out.size());
            out.clear();
        }
    };
    char num[64];
    // Offsets count the temp file, whose line ends are single LFs whatever the disk file has,
    // so that a reload of the same file reproduces them.
    auto kept = [&](const Line* l) {
        return !textOf && l->allocLen == lnInFile && l->offset + l->len + 1 <= keepLimit;
    };
    int64_t expected = 0;
    Line* lines = headerOnly ? nullptr : src->first;
    for (Line* l = lines; l; l = l->next) {
        if (!kept(l)) continue;
        if (l->offset != expected) {
            snprintf(num, sizeof num, "d %lld %lld\n", (long long)expected,
                     (long long)(l->offset - 1));
            out += num;
        }
        expected = l->offset + l->len + 1;
        flush(65536);
    }
    if (!file->isNew && !headerOnly) {
        snprintf(num, sizeof num, "d %lld %lld\n", (long long)expected, (long long)tailMark);
        out += num;
    }
    int64_t n = 1;
    for (Line* l = lines; l; l = l->next, n++) {
        if (kept(l)) continue;
        snprintf(num, sizeof num, "a %lld \"", (long long)n);
        out += num;
        out.append(FileLineText(src, l), (size_t)l->len);
        out += '\n';
        flush(65536);
    }
    flush(0);
    if (ok && fsync(fd) != 0) ok = false;
    if (!ok || rename(pending.c_str(), name.c_str()) != 0) {
        close(fd);
        unlink(pending.c_str());
        file->journalDirty = true;
        return QuorlError(1, "Cannot create update file: %s", name.c_str());
    }
    if (file->lockFd >= 0) close(file->lockFd);
    file->lockFd = fd;
    return 1;
}

int incr_SaveEdits(File* file) {
    if (!file->name || file->internal || !file->haslock || file->stub) return 1;
    if (!file->journalDirty) {
        // Shows that this process is alive where advisory locks do not.
        if (file->lockFd >= 0) futimens(file->lockFd, nullptr);
        return 1;
    }
    return writeJournal(file, keepBelow(file));
}

int incr_SaveIntent(File* file, int64_t startByte) {
    if (!file->name || file->internal) return 1;
    if (!file->haslock && (incr_AcquireLock(file) != 1 || !file->haslock)) return 0;
    int64_t keep = keepBelow(file);
    return writeJournal(file, keep < startByte ? keep : startByte);
}

int incr_TargetSaveIntent(File* file, const char* target, File* shadow) {
    struct stat st;
    shadow->name = gen_copy(target);
    shadow->isNew = false;
    shadow->mode = stat(target, &st) == 0 ? (int)(st.st_mode & 0777) : 0644;
    std::string name = journalPath(shadow, '~');
    // A journal nobody holds (an earlier such save that failed, a crashed editor's) is taken
    // over: the file is about to hold this text whole, and the journal says so.
    if (!createLock(shadow, name)) {
        if (errno != EEXIST) return QuorlError(1, "Cannot create update file: %s", name.c_str());
        if (LockHeld(name) != 0 || !takeOver(shadow, name))
            return QuorlError(1, "%s is being edited elsewhere: not saved", target);
    }
    if (!writeJournal(shadow, 0, false, file)) {
        dropLock(shadow, false);
        return 0;
    }
    return 1;
}

void incr_TargetSaveDone(File* shadow, bool ok) {
    if (shadow->haslock) dropLock(shadow, !ok);
    gen_free(shadow->name);
    shadow->name = nullptr;
}

void incr_HoldTime(File* file, int64_t bytesLeft) {
    if (file->lockFd < 0) return;
    // Ahead of the writes still to come (at a pessimistic 20 MB/s), so that the file's time
    // stays at or below the journal's while the save runs.
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    clock_gettime(CLOCK_REALTIME, &times[1]);
    times[1].tv_sec += 30 + bytesLeft / 20000000;
    futimens(file->lockFd, times);
}

int FilesWriteJournals() {
    int ok = 1;
    for (File* f = FileHead(); f; f = f->next)
        if (!incr_SaveEdits(f)) ok = 0;
    return ok;
}

void FilesSaveChanges(int64_t nowMs) {
    static int64_t lastWrite = -1, lastChange = 0;
    static uint64_t lastStamp = 0;
    if (lastWrite < 0) lastWrite = nowMs; // the first interval counts from the start
    if (lineTextStamp != lastStamp) {
        lastStamp = lineTextStamp;
        lastChange = nowMs;
    }
    bool due = nowMs - lastWrite >= (int64_t)EditIncrFrequency * 1000;
    if (!due && nowMs - lastChange >= typingPauseMs && nowMs - lastWrite >= typingPauseMs) {
        // Typing paused: a journal now, rather than up to a whole interval later.
        for (File* f = FileHead(); f && !due; f = f->next) due = f->journalDirty && f->haslock;
    }
    if (!due) return;
    FilesWriteJournals();
    lastWrite = nowMs;
}

// The timer looks every second whether journals are due, so that it follows
// `EditIncrFrequency` as the configuration sets it, and a pause in typing.
static constexpr int journalTickMs = 1000;
static ExtraHandle* journalTimer = nullptr;

static int journalTick(void*, int) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    FilesSaveChanges((int64_t)now.tv_sec * 1000 + now.tv_nsec / 1000000);
    ExtraProcess_SetTimeout(journalTimer, journalTickMs);
    return 0; // the entry stays
}

void FilesStartJournalTimer() {
    if (!journalTimer)
        journalTimer = ExtraProcess_Create(XP_TIMER, journalTickMs, journalTick, nullptr, nullptr);
}

// ---- applying ----

// Reads one line including its LF (NUL bytes and any length allowed); false at end of input.
static bool readLine(FILE* in, std::string& line) {
    line.clear();
    int c;
    while ((c = getc(in)) != EOF) {
        line += (char)c;
        if (c == '\n') return true;
    }
    return !line.empty();
}

int incr_ApplyEdits(File* file, const char* journalName) {
    // A FIFO or device put in the journal's place would block the open or stream for ever.
    FILE* in = gen_fopenregular(journalName);
    if (!in && errno == EINVAL)
        return QuorlError(1, "Journal is not a regular file, not opening: %s", journalName);
    if (!in) return QuorlError(1, "Could not open increment file %s", journalName);
    struct Closer {
        FILE* f;
        ~Closer() { fclose(f); }
    } closer{in};
    char header[headerSize];
    bool haveHeader = fread(header, 1, headerSize, in) > 0;
    std::string line;
    bool more = readLine(in, line);
    Line* cur = file->first;
    while (more && line[0] == 'd') {
        long long from, to;
        if (sscanf(line.c_str(), "d %lld %lld", &from, &to) != 2)
            return QuorlError(1, "Bad format in incr file: %s", journalName);
        if (to >= tailMark) to = INT64_MAX;
        while (cur && (cur->allocLen != lnInFile || cur->offset < from)) cur = cur->next;
        while (cur && cur->allocLen == lnInFile && cur->offset + cur->len <= to) {
            Line* next = cur->next;
            FileRemove(file, cur);
            cur = next;
        }
        more = readLine(in, line);
    }
    cur = file->first;
    long long curNo = 1;
    while (more && haveHeader && line[0] == 'a') {
        long long n;
        const char* quote = (const char*)memchr(line.data(), '"', line.size());
        if (sscanf(line.c_str(), "a %lld", &n) != 1 || !quote)
            return QuorlError(1, "Bad format in incr file: %s", journalName);
        while (cur && curNo < n) cur = cur->next, curNo++;
        size_t start = (size_t)(quote + 1 - line.data());
        size_t len = line.size() - start;
        if (len && line.back() == '\n') len--;
        if (len > (size_t)INT32_MAX - 16)
            return QuorlError(1, "Bad format in incr file: %s", journalName);
        FileInsertS(file, cur, line.data() + start, (int)len);
        curNo++;
        more = readLine(in, line);
    }
    if (more) return QuorlError(1, "Corrupt increment file: %s", journalName);
    FileFindMaxWidth(file);
    file->synValidLines = 0;
    return 1;
}

// ---- recovery ----

static int incr_AskUser(const char* title, const std::vector<std::string>& lines,
                        const std::vector<std::string>& buttons) {
    std::string text;
    for (const auto& l : lines) {
        if (!text.empty()) text += '\n';
        text += l;
    }
    return WButtonDialogue(title, text.c_str(), buttons, 0);
}

// Where advisory locks do not work: whether a journal has outlived its writer, its age
// measured against a freshly made file's time, so that machines whose clocks differ agree.
static bool staleByAge(const std::string& journal, const struct stat& st) {
    int32_t interval = 0;
    int in = gen_openregular(journal.c_str());
    if (in >= 0) {
        if (read(in, &interval, sizeof interval) != (ssize_t)sizeof interval) interval = 0;
        close(in);
    }
    if (interval <= 0) interval = EditIncrFrequency;
    size_t slash = journal.rfind('/');
    std::string probe = (slash == std::string::npos ? "" : journal.substr(0, slash + 1)) +
                        ".tqprobeXXXXXX";
    time_t now = time(nullptr);
    int fd = mkstemp(probe.data());
    if (fd >= 0) {
        struct stat pst;
        fchmod(fd, 0644);
        if (fstat(fd, &pst) == 0) now = pst.st_mtime;
        close(fd);
        unlink(probe.c_str());
    }
    return now - st.st_mtime > (time_t)interval + 60;
}

// A journal whose first record deletes every line of the file carries the whole text: it
// holds whatever the file on disk became.
static bool selfContained(const char* journalName) {
    FILE* in = gen_fopenregular(journalName);
    if (!in) return false;
    char buf[64] = {};
    size_t n = fread(buf, 1, sizeof buf - 1, in);
    fclose(in);
    static const char whole[] = "d 0 2147483647\n";
    return n >= headerSize + sizeof whole - 1 &&
           memcmp(buf + headerSize, whole, sizeof whole - 1) == 0;
}

static bool newerThan(const struct stat& a, const struct stat& b) {
    return a.st_mtim.tv_sec != b.st_mtim.tv_sec ? a.st_mtim.tv_sec > b.st_mtim.tv_sec
                                                : a.st_mtim.tv_nsec > b.st_mtim.tv_nsec;
}

int incr_RecoverCrash(File* file, const char* journalName) {
    struct stat st;
    if (lstat(journalName, &st) != 0) return 0;
    if (!S_ISREG(st.st_mode))
        return QuorlError(1, "Journal is not a regular file, not opening: %s", journalName);
    std::string me = currentUser();
    std::string owner;
    if (struct passwd* pw = getpwuid(st.st_uid)) owner = pw->pw_name;
    bool otherUser = !owner.empty() ? owner != me : st.st_uid != getuid();
    if (otherUser && owner.empty()) owner = std::to_string((long)st.st_uid);
    bool edits = st.st_size > headerSize;
    // Offsets in the journal count the file as it was when the journal was written: a file
    // changed since then no longer matches them.
    struct stat disk;
    bool fileNewer = !file->isNew && file->name && stat(file->name, &disk) == 0 &&
                     newerThan(disk, st);
    int held = LockHeld(journalName);
    bool live = held == 1 || (held < 0 && !fileNewer && !staleByAge(journalName, st));
    if (!live && fileNewer) QuorlError(0, "Stale lock file detected");
    bool matches = !fileNewer || selfContained(journalName);
    if (!live && !edits) {
        incr_RemoveLockFiles(file);
        return 1;
    }
    std::vector<std::string> lines;
    char* first = gen_sprintf("%s %s editing file elsewhere: %s",
                              otherUser ? owner.c_str() : "You", otherUser ? "is" : "are",
                              file->name);
    lines.push_back(first);
    gen_free(first);
    if (edits) lines.push_back("Outstanding edits exist.");
    if (edits && !matches)
        lines.push_back("The file changed after they were recorded: they cannot be applied.");
    lines.push_back("What would you like to do?");
    std::vector<std::string> buttons{"Cancel"};
    if (live) {
        // A live editor keeps its journal, whoever runs it: this one only looks.
        if (edits) {
            buttons.push_back("View: No Edits");
            if (matches) buttons.push_back("View: Apply Edits");
        } else {
            buttons.push_back("View ReadOnly");
        }
    } else {
        // A journal without edits whose editor is gone was removed above.
        lines.push_back("If you choose to Discard, the edits will be IRREVOCABLY LOST!");
        buttons.push_back("Discard Edits");
        if (matches) buttons.push_back("Apply Edits");
    }
    int choice = incr_AskUser("File being edited elsewhere", lines, buttons);
    if (live) file->viewOnly = true;
    if (choice <= 0 || choice >= (int)buttons.size()) return 0;
    if (!live && !takeOver(file, journalName)) {
        // Another editor took the file over while the question was up.
        QuorlError(1, "%s is being edited by another editor now", file->name);
        return 0;
    }
    if (choice == 1) {
        if (live) return 1;
        // Discard: the journal this process now holds starts afresh.
        unlink(journalPath(file, '$').c_str());
        return writeJournal(file, 0, true);
    }
    // Apply the edits, over the snapshot they count from when there is one. The journal is
    // read before this process writes its own: loading the snapshot would write one at once.
    bool holding = file->haslock;
    file->haslock = false;
    GenStr snapshot(incr_GetName(file, 1));
    if (access(snapshot.get(), R_OK) == 0) {
        FileReplaceWithFile(file, snapshot.get());
        file->journalDirty = false;
    }
    incr_ApplyEdits(file, journalName);
    file->haslock = holding;
    file->modified = file->journalDirty = true;
    file->undoBottomOnDisk = false; // the recovered text is not the file on disk
    FileModifiedUpdate(file);
    return 1;
}

int incr_DetectCrash(File* file) {
    if (!file->name || file->internal) return 1;
    std::string name = journalPath(file, '~');
    struct stat st;
    if (lstat(name.c_str(), &st) != 0) return 1;
    return incr_RecoverCrash(file, name.c_str());
}
