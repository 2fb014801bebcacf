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
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
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

static bool touch(const std::string& path) {
    return utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0;
}

static std::string currentUser() {
    if (struct passwd* pw = getpwuid(getuid())) return pw->pw_name;
    const char* login = getlogin();
    return login ? login : "";
}

int incr_OpenLock(File* file, const char* name, int exclusive) {
    int flags = O_WRONLY | O_CREAT | (exclusive ? O_EXCL : O_TRUNC);
    mode_t mode = file->isNew ? 0660 : (mode_t)(file->mode | 0660);
    int fd = open(name, flags, mode);
    if (fd < 0) return -1;
    int32_t interval = EditIncrFrequency;
    if (!gen_writefull(fd, (const char*)&interval, sizeof interval)) {
        close(fd);
        return -1;
    }
    return fd;
}

int incr_RemoveLockFiles(File* file) {
    unlink(journalPath(file, '~').c_str());
    unlink(journalPath(file, '$').c_str());
    unlink(pendingPath(file).c_str());
    return 1;
}

void incr_ReleaseLock(File* file) {
    MAssert(file->haslock);
    incr_RemoveLockFiles(file);
    file->haslock = false;
    file->journalDirty = false;
}

int incr_AcquireLock(File* file) {
    if (file->viewOnly || !file->name || file->internal) return 1;
    GenStr name(incr_GetName(file, 0));
    int fd = incr_OpenLock(file, name.get(), 1);
    if (fd >= 0) {
        close(fd);
        file->haslock = true;
        return 1;
    }
    if (errno == EEXIST && incr_RecoverCrash(file, name.get()) != 1) return 0;
    if (!file->viewOnly) {
        fd = incr_OpenLock(file, name.get(), 1);
        if (fd >= 0)
            close(fd);
        else if (!touch(name.get()))
            return 0;
        file->haslock = true;
    }
    return 1;
}

// ---- writing ----

int incr_SaveEdits(File* file) {
    if (!file->name || file->internal || !file->haslock || file->stub) return 1;
    std::string name = journalPath(file, '~');
    if (!file->journalDirty) {
        touch(name);
        return 1;
    }
    file->journalDirty = false;
    std::string pending = pendingPath(file);
    int fd = incr_OpenLock(file, pending.c_str(), 0);
    if (fd < 0) {
        file->journalDirty = true;
        return QuorlError(1, "Cannot create update file: %s", name.c_str());
    }
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
    int64_t expected = 0;
    for (Line* l = file->first; l; l = l->next) {
        if (l->allocLen != lnInFile) continue;
        if (l->offset != expected) {
            snprintf(num, sizeof num, "d %lld %lld\n", (long long)expected,
                     (long long)(l->offset - 1));
            out += num;
        }
        expected = l->offset + l->len + 1;
        flush(65536);
    }
    if (!file->isNew) {
        snprintf(num, sizeof num, "d %lld %lld\n", (long long)expected, (long long)tailMark);
        out += num;
    }
    int64_t n = 1;
    for (Line* l = file->first; l; l = l->next, n++) {
        if (l->allocLen == lnInFile) continue;
        snprintf(num, sizeof num, "a %lld \"", (long long)n);
        out += num;
        out.append(l->text, (size_t)l->len);
        out += '\n';
        flush(65536);
    }
    flush(0);
    if (close(fd) != 0) ok = false;
    if (!ok || rename(pending.c_str(), name.c_str()) != 0) {
        unlink(pending.c_str());
        file->journalDirty = true;
        return QuorlError(1, "Cannot create update file: %s", name.c_str());
    }
    return 1;
}

int FilesWriteJournals() {
    int ok = 1;
    for (File* f = FileHead(); f; f = f->next)
        if (!incr_SaveEdits(f)) ok = 0;
    return ok;
}

static int journalPeriod() {
    return EditIncrFrequency > 0 ? EditIncrFrequency * 1000 : 1000;
}

void FilesSaveChanges(void* timer) {
    FilesWriteJournals();
    if (timer) ExtraProcess_SetTimeout(static_cast<ExtraHandle*>(timer), journalPeriod());
}

static ExtraHandle* journalTimer = nullptr;

static int journalTick(void*, int) {
    FilesSaveChanges(journalTimer);
    return 0; // the entry stays; FilesSaveChanges re-armed it
}

// Called before the configuration is read and again after it, so that the first journal is
// written at the configured interval rather than the default one.
void FilesStartJournalTimer() {
    if (journalTimer)
        ExtraProcess_SetTimeout(journalTimer, journalPeriod());
    else
        journalTimer = ExtraProcess_Create(XP_TIMER, journalPeriod(), journalTick, nullptr, nullptr);
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
    FILE* in = fopen(journalName, "rb");
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

// Whether a journal newer than its file has outlived its writer: its age is measured against
// a freshly made file's time, so machines whose clocks differ agree.
static bool staleByAge(const std::string& journal, const struct stat& st) {
    int32_t interval = 0;
    int in = open(journal.c_str(), O_RDONLY);
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

int incr_RecoverCrash(File* file, const char* journalName) {
    struct stat st;
    if (stat(journalName, &st) != 0) return 0;
    std::string me = currentUser();
    std::string owner;
    if (struct passwd* pw = getpwuid(st.st_uid)) owner = pw->pw_name;
    bool otherUser = !owner.empty() ? owner != me : st.st_uid != getuid();
    if (otherUser && owner.empty()) owner = std::to_string((long)st.st_uid);
    bool edits = st.st_size > headerSize;
    bool stale;
    if (st.st_mtime >= file->mtime) {
        stale = staleByAge(journalName, st);
    } else {
        stale = true;
        QuorlError(0, "Stale lock file detected");
    }
    if (stale && !edits) {
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
    lines.push_back("What would you like to do?");
    std::vector<std::string> buttons{"Cancel"};
    bool liveOther = otherUser && !stale;
    if (liveOther) {
        if (edits) {
            buttons.push_back("View: No Edits");
            buttons.push_back("View: Apply Edits");
        } else {
            buttons.push_back("View ReadOnly");
        }
    } else if (edits) {
        lines.push_back("If you choose to Discard, the edits will be IRREVOCABLY LOST!");
        buttons.push_back("Discard Edits");
        buttons.push_back("Apply Edits");
    } else {
        buttons.push_back("Steal Lock");
    }
    int choice = incr_AskUser("File being edited elsewhere", lines, buttons);
    if (liveOther) file->viewOnly = true;
    if (choice <= 0 || choice >= (int)buttons.size()) return 0;
    if (choice == 1) {
        if (liveOther) return 1;
        incr_RemoveLockFiles(file);
        return incr_AcquireLock(file);
    }
    // Apply the edits, over the snapshot they count from when there is one.
    int result = 1;
    GenStr snapshot(incr_GetName(file, 1));
    if (access(snapshot.get(), R_OK) == 0) {
        FileReplaceWithFile(file, snapshot.get());
        file->journalDirty = false;
    }
    if (!incr_ApplyEdits(file, journalName) && !file->viewOnly) {
        incr_RemoveLockFiles(file);
        result = incr_AcquireLock(file);
    }
    file->modified = file->journalDirty = true;
    file->undoBottomOnDisk = false; // the recovered text is not the file on disk
    FileModifiedUpdate(file);
    return result;
}

int incr_DetectCrash(File* file) {
    if (!file->name || file->internal) return 1;
    std::string name = journalPath(file, '~');
    struct stat st;
    if (lstat(name.c_str(), &st) != 0) return 1;
    int r = incr_RecoverCrash(file, name.c_str());
    if (r == 1 && !file->viewOnly && touch(name)) file->haslock = true;
    return r;
}
