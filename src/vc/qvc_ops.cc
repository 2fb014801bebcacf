// vc/qvc_ops.cc: QVC check-in, check-out, retrieval, uncheck, who, history, differences,
// unlock and removal.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include "diff/diff.h"
#include "runtime/gen.h"
#include "vc/qvc.h"
#include "vc/qvc_guards.h"

namespace {

// A temporary file removed when the operation ends.
struct TempFile {
    std::string path;
    TempFile() {
        const char* dir = getenv("TMPDIR");
        std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/qvcXXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        int fd = mkstemp(buf.data());
        if (fd >= 0) {
            close(fd);
            path = buf.data();
        }
    }
    ~TempFile() {
        if (!path.empty()) unlink(path.c_str());
    }
};

bool isWritable(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && (st.st_mode & 0222);
}

bool exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0;
}

void makeReadOnly(const char* path) {
    struct stat st;
    if (stat(path, &st) == 0) chmod(path, st.st_mode & ~0222 & 07777);
}

void makeWritable(const char* path) {
    struct stat st;
    if (stat(path, &st) == 0) chmod(path, (st.st_mode | S_IWUSR) & 07777);
}

void touch(const char* path) {
    utime(path, nullptr);
}

// The record a restore asks for: -1 not found, -2 a bad "-N".
int findRecord(FILE* f, QvcLog& log, int kind, const char* what, const char* start) {
    if (kind == QVC_LATEST || !what) return log.trunkIndex;
    if (kind == QVC_BYDATE) {
        int from = start ? qvc_recordofversion(log, start) : -1;
        return qvc_findverfromdate(f, log, what, from);
    }
    if (what[0] == '-') {
        char* end = nullptr;
        long n = strtol(what + 1, &end, 10);
        if (!isdigit((unsigned char)what[1]) || *end) {
            qvcprint("Invalid previous version %s\n", what);
            return -2;
        }
        int r = log.trunkIndex;
        for (long k = 0; k < n && log.recs[r].next >= 0; k++) r = log.recs[r].next;
        return r;
    }
    std::string version;
    if (qvc_resolvealiases(log, what, version) < 0) return -2;
    return qvc_recordofversion(log, version);
}

// A holder name handed to the mail program. The name comes from a lock file the whole group
// may write; mail programs take a leading "-" as an option and an address starting with "|"
// or holding "/" as a command or a file, so only a plain login name is mailed.
bool plainLoginName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name[0] == '-') return false;
    for (unsigned char c : name)
        if (!isalnum(c) && c != '.' && c != '_' && c != '-') return false;
    return true;
}

// Tells the holder of a broken lock by mail: the mail program runs with an argument vector
// and the message on its standard input; no shell ever sees the holder's name.
void mailBrokenLock(const std::string& holder, const std::string& user, const char* source) {
    if (!plainLoginName(holder)) {
        qvcprint("Not mailing %s: not a login name.\n", holder.c_str());
        return;
    }
    const char* dir = getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/qvcXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    int fd = mkstemp(name.data());
    if (fd < 0) {
        qvcprint("Error opening temp file.  Cannot mail message.\n");
        return;
    }
    unlink(name.data()); // the descriptor is all the mail program needs
    char cwd[4096] = "";
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    std::string text = "Subject: Broken Lock\nUser '" + user + "' broke the lock you had on:\n" +
                       "File: " + qvc_sourcepath(source) + "\nWorking Directory: " + cwd +
                       "\nDate: " + qvc_getdate() + "\n";
    if (!gen_writefull(fd, text.data(), text.size()) || lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        qvcprint("Error opening temp file.  Cannot mail message.\n");
        return;
    }
    fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd, 0);
        execl(qvc_mailer, "mail", "--", holder.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fd);
    int status = -1;
    while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
        qvcprint("Warning message sent to %s.\n", holder.c_str());
}

} // namespace

const char* qvc_mailer = "/bin/mail";

// ---------------------------------------------------------------- saving a version

int qvc_save(const char* source, const char* working, int kind, const char* version,
             const QvcComments& comments, int create, int useComments, std::string* saved) {
    std::string logname = qvc_getlogname(source);
    bool existing = qvc_logexists(source);
    if (!existing && !create) {
        qvcprint("Log file for %s does not exist.\n", working);
        return -1;
    }
    QvcText text;
    int rc = qvc_readtext(working, text);
    if (rc == -2) {
        qvcprint("Error. File %s holds NUL bytes; QVC keeps text files only.\n", working);
        return -1;
    }
    if (rc < 0) {
        qvcperror("Error opening %s", working);
        return -1;
    }
    if (!existing && qvc_createlogdirs(source) < 0) return -1;
    Semaphore sem{logname};
    if (!sem.take()) return -1;
    QvcLog log;
    LogStream stream;
    if (existing && qvc_openlog(logname.c_str(), log, &stream.f) < 0) return -1;
    if (!existing) log.useComments = useComments;

    // Decide the new version and whether it goes on the trunk or on a branch.
    std::string newVersion;
    int from = -1; // the record a branch version is made from
    bool newBranch = false;
    if (kind == QVC_LATEST || !version || !*version) {
        if (!existing)
            newVersion = "1.1";
        else if (qvc_nextversion(log.trunkVersion, newVersion) < 0) {
            qvcprint("Invalid version number.\n");
            return -1;
        }
    } else {
        std::string v;
        if (existing) {
            if (qvc_resolvealiases(log, version, v) < 0) return -1;
        } else {
            v = version;
        }
        if (!qvc_isversion(v)) {
            qvcprint("Invalid version number.\n");
            return -1;
        }
        int dots = qvc_numdots(v);
        if (!existing) {
            if (dots > 1) {
                qvcprint("Invalid version number - too many numbers.\n");
                return -1;
            }
            newVersion = dots == 0 ? v + ".1" : v;
        } else if (dots <= 1) {
            newVersion = dots == 0 ? v + ".1" : v;
            if (qvc_vercmp(newVersion, log.trunkVersion) <= 0) {
                qvcprint("Invalid version number - version too low.\n");
                return -1;
            }
        } else {
            // A branch: "1.3.1" names the branch, "1.3.1.5" one version on it.
            std::string branch = dots % 2 == 0 ? v : v.substr(0, v.rfind('.'));
            std::string base = branch.substr(0, branch.rfind('.'));
            int head = -1;
            for (int i = 0; i < log.count; i++) {
                const std::string& rv = log.recs[i].version;
                if (rv.size() > branch.size() && rv.compare(0, branch.size() + 1, branch + ".") == 0 &&
                    qvc_numdots(rv) == qvc_numdots(branch) + 1 &&
                    (head < 0 || qvc_vercmp(rv, log.recs[head].version) > 0))
                    head = i;
            }
            int baseRec = qvc_recordofversion(log, base);
            if (head >= 0) {
                from = head;
                if (dots % 2 == 0) {
                    qvc_nextversion(log.recs[head].version, newVersion);
                } else {
                    newVersion = v;
                    if (qvc_vercmp(v, log.recs[head].version) <= 0) {
                        qvcprint("Invalid version number - version too low.\n");
                        return -1;
                    }
                }
            } else if (baseRec >= 0) {
                from = baseRec;
                newVersion = dots % 2 == 0 ? v + ".1" : v;
                newBranch = true;
            } else {
                qvcprint("Invalid version number.\n");
                return -1;
            }
        }
    }
    if (qvc_recordofversion(log, newVersion) >= 0) {
        qvcprint("Invalid version number - version too low.\n");
        return -1;
    }

    QvcRecord rec;
    rec.version = newVersion;
    rec.date = qvc_getdate();
    rec.user = qvc_username();
    rec.comments = comments.lines;
    rec.read = rec.blockRead = true;
    if (existing && qvc_readcurfile(stream.f, log) < 0) return -1;
    if (from >= 0) {
        QvcText base;
        if (qvc_rebuild(stream.f, log, from, base) < 0) {
            qvcprint("Invalid version number.\n");
            return -1;
        }
        rec.next = from;
        if (qvc_makeblock(base, text, rec.block) < 0) return -1;
        rec.blockLines = int(text.size());
    } else {
        rec.next = existing && log.count > 0 ? log.trunkIndex : -1;
        if (existing) {
            // The new text becomes the current one; the delta rebuilds the old current text.
            if (qvc_makeblock(text, log.current, rec.block) < 0) return -1;
            rec.blockLines = int(log.current.size());
        }
    }
    long keep = existing ? log.curOffset : 0;
    log.recs.push_back(rec);
    log.index.push_back(0);
    log.count++;
    if (from < 0) {
        struct stat st;
        log.trunkIndex = log.count - 1;
        log.trunkVersion = newVersion;
        log.trunkTime = !qvc_viewpath && stat(working, &st) == 0 ? long(st.st_mtime)
                                                                 : long(time(nullptr));
        log.current = std::move(text); // not needed any more here
    } else if (newBranch) {
        QvcBranch b{"(none)", log.recs[from].version, newVersion};
        auto it = log.branches.begin();
        while (it != log.branches.end() && qvc_vercmp(it->base, b.base) <= 0) ++it;
        log.branches.insert(it, b);
    }
    if (stream.f) {
        fclose(stream.f);
        stream.f = nullptr;
    }
    if (qvc_commit(logname, log, keep, log.count - 1, 1) < 0) return -1;
    if (saved) *saved = newVersion;
    return 0;
}

// ---------------------------------------------------------------- restoring a version

int qvc_restore(const char* source, const char* destination, int kind, const char* what,
                const char* start, int keepDate) {
    std::string logname = qvc_getlogname(source);
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(logname.c_str(), log, &stream.f) < 0) return -1;
    if (log.count == 0) {
        qvcprint("Version not found.\n");
        return -2;
    }
    int r = findRecord(stream.f, log, kind, what, start);
    if (r == -2) return -2;
    if (r < 0) {
        // Ancestors are followed a bounded number of steps: damaged logs may form a loop.
        static int depth = 0;
        if (!log.ancestorPath.empty() && depth < 64) {
            std::string path = log.ancestorPath, version = log.ancestorVersion;
            fclose(stream.f);
            stream.f = nullptr;
            depth++;
            int rc = qvc_restore(path.c_str(), destination, kind, what, version.c_str(), keepDate);
            depth--;
            return rc;
        }
        qvcprint("Version not found.\n");
        return -2;
    }
    QvcText text;
    int expected = 0;
    if (qvc_rebuild(stream.f, log, r, text, &expected) < 0) {
        qvcprint("Corrupted Logfile!\n");
        return -1;
    }
    if (text.empty() && expected > 0) {
        qvcprint("Corrupted Logfile!\n");
        qvcprint("Requested version of %s should have %d lines but is empty\n", destination,
                 expected);
        return -1;
    }
    if (text.empty()) qvcprint("warning: Requested version of %s is empty\n", destination);
    struct stat st;
    int mode = 0644;
    if (lstat(destination, &st) == 0) {
        if (st.st_nlink > 1) {
            qvcprint("There are %d hard links to %s.  Unsafe to restore.\n", int(st.st_nlink),
                     destination);
            return -3;
        }
        mode = st.st_mode & 0777;
        if (unlink(destination) != 0) {
            qvcprint("Cannot remove file: %s\n", destination);
            return -3;
        }
    }
    // Written through the descriptor of an exclusive creation: a link planted under the name
    // after the removal above is never followed.
    int fd = open(destination, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode | S_IWUSR);
    if (fd < 0) {
        qvcperror("Error opening restore file %s", destination);
        return -3;
    }
    if (qvc_writetext(fd, text) < 0 || fchmod(fd, mode) != 0) {
        qvcperror("Error writing to restore file %s", destination);
        close(fd);
        return -3;
    }
    if (r == log.trunkIndex && !keepDate) {
        struct timespec times[2] = {{log.trunkTime, 0}, {log.trunkTime, 0}};
        futimens(fd, times);
    }
    if (close(fd) != 0) {
        qvcperror("Error writing to restore file %s", destination);
        return -3;
    }
    return 0;
}

std::string qvc_getversionFnum(const char* source, int n) {
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(qvc_getlogname(source).c_str(), log, &stream.f) < 0 || log.count == 0)
        return "";
    int r = log.trunkIndex;
    for (int k = 0; k < n && r >= 0; k++) r = log.recs[r].next;
    return r >= 0 ? log.recs[r].version : "";
}

// ---------------------------------------------------------------- check-out and check-in

int qvc_CheckOut(const char* working, const char* source, int kind, const char* what) {
    struct stat st;
    if (stat(working, &st) == 0 && (st.st_mode & 0222)) {
        std::string holder, date;
        if (qvc_getcheckuser(source, holder)) {
            qvc_getcheckdate(source, date);
            if (holder == qvc_username()) {
                qvcprint("You already have %s checked out on %s\n", working, date.c_str());
                return -4;
            }
            qvcprint("Sorry, %s was checked out by %s on %s\n", working, holder.c_str(),
                     date.c_str());
            return -2;
        }
        if (st.st_nlink > 1) {
            qvcprint("There are %d hard links to %s.  Unsafe to check-out.\n", int(st.st_nlink),
                     working);
            return -1;
        }
        qvcprint("Error: Writeable file %s exists.  Must be checked in first.\n", working);
        return -5;
    }
    int rc = qvc_checkoutfile(source, working, 0, 1);
    if (rc < 0) return rc;
    errno = 0;
    if (qvc_restore(source, working, kind, what, nullptr, 0) != 0) {
        qvcperror("Error checking out %s", working);
        qvc_checkinfile(source, working, 1, 0);
        return -1;
    }
    makeWritable(working);
    qvcprint("%s checked out for writing.\n", working);
    return 0;
}

int qvc_CheckIn(const char* working, const char* source, const char* version, int mode,
                const QvcComments& comments) {
    bool existing = qvc_logexists(source);
    if (mode == QVC_CREATE && existing) {
        qvcprint("File %s is already under QUORL version control.\n", working);
        return -1;
    }
    if (existing) {
        std::string holder;
        int state = qvc_cancheckinorout(source, working, holder);
        if (state == -2) state = qvc_checkoutfile(source, working, 0, 0) == 0 ? 2 : state;
        if (state != 2) {
            qvcprint("Error checking in %s.\n", working);
            return -1;
        }
    }
    std::string saved;
    int kind = version && *version ? QVC_BYVERSION : QVC_LATEST;
    if (qvc_save(source, working, kind, version, comments, 1, 1, &saved) < 0) {
        qvcprint("Error %s %s\n", existing ? "saving" : "creating", working);
        return -1;
    }
    if (existing)
        qvcprint("%s checked in as latest version.\n", working);
    else
        qvcprint("%s is now under QUORL version control.\n", working);
    switch (mode) {
    case QVC_CIO:
        if (existing)
            touch(qvc_getpermname(source).c_str());
        else
            qvc_checkoutfile(source, working, 0, 0);
        makeWritable(working);
        qvcprint("%s checked out for writing.\n", working);
        break;
    case QVC_CIRM:
        if (existing) qvc_checkinfile(source, working, 1, 0);
        unlink(working);
        break;
    default: {
        if (existing) qvc_checkinfile(source, working, 1, 0);
        struct stat st;
        if (stat(working, &st) == 0 && st.st_uid != getuid()) {
            unlink(working);
            qvc_restore(source, working, QVC_LATEST, nullptr, nullptr, 0);
        }
        makeReadOnly(working);
        qvcprint("%s retrieved for read only.\n", working);
        break;
    }
    }
    return 0;
}

int qvc_Get(const char* working, const char* source, int kind, const char* what) {
    if (isWritable(working)) {
        qvcprint("Writeable file %s exists.  Not retrieved.\n", working);
        return -5;
    }
    int rc = qvc_restore(source, working, kind, what, nullptr, 0);
    if (rc != 0) {
        qvcprint("Error retrieving %s\n", working);
        return rc < 0 ? rc : -1;
    }
    makeReadOnly(working);
    qvcprint("%s retrieved for read only.\n", working);
    return 0;
}

int qvc_Uncheck(const char* working, const char* source) {
    if (qvc_checkinfile(source, working, 1, 0) < 0) {
        qvcprint("Error unchecking %s\n", working);
        return -1;
    }
    struct stat st;
    int mode = stat(working, &st) == 0 ? int(st.st_mode & 0777) : 0644;
    if (exists(working) && unlink(working) != 0) {
        qvcprint("Error unchecking %s\n", working);
        return -1;
    }
    if (qvc_restore(source, working, QVC_LATEST, nullptr, nullptr, 1) != 0) {
        qvcprint("Error unchecking %s\n", working);
        return -1;
    }
    chmod(working, mode & ~0222);
    qvcprint("%s checked in without update.\n", working);
    touch(qvc_getlogname(source).c_str());
    return 0;
}

// ---------------------------------------------------------------- who and history

int qvc_Who(const char* working, const char* source, int full) {
    (void)working;
    std::string holder, date;
    if (qvc_getcheckuser(source, holder)) {
        qvc_getcheckdate(source, date);
        qvcprint("%-14s has been checked out by %-8s since %s.\n", source, holder.c_str(),
                 date.c_str());
    } else if (full) {
        qvcprint("%s is not checked out.\n", source);
    }
    return 0;
}

int qvc_Whome(const char* working, const char* source) {
    (void)working;
    std::string holder, date;
    if (qvc_getcheckuser(source, holder) && holder == qvc_username()) {
        qvc_getcheckdate(source, date);
        qvcprint("%-14s has been checked out by %-8s since %s.\n", source, holder.c_str(),
                 date.c_str());
    }
    return 0;
}

int qvc_show(const char* source, int full, int recurse) {
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(qvc_getlogname(source).c_str(), log, &stream.f) < 0) return -1;
    if (!log.ancestorPath.empty())
        qvcprint("%s - Branched from %s version %s\n", source, log.ancestorPath.c_str(),
                 log.ancestorVersion.c_str());
    else if (log.count > 0)
        qvcprint("%s - Created %s by %s\n", source, log.recs[0].date.c_str(),
                 log.recs[0].user.c_str());
    for (int i = log.count - 1; i >= 0; i--) {
        const QvcRecord& r = log.recs[i];
        qvcprint("VERSION %s - Modified by %s - %s\n", r.version.c_str(), r.user.c_str(),
                 r.date.c_str());
        if (r.comments.empty()) qvcprint("No Comments\n");
        for (const std::string& c : r.comments)
            qvcprint("> %s%s", c.c_str(), c.empty() || c.back() != '\n' ? "\n" : "");
    }
    qvc_Who(source, source, full);
    if (recurse > 0 && recurse < 64 && !log.ancestorPath.empty() &&
        qvc_logexists(log.ancestorPath.c_str())) {
        std::string ancestor = log.ancestorPath;
        fclose(stream.f);
        stream.f = nullptr;
        return qvc_show(ancestor.c_str(), full, recurse + 1);
    }
    return 0;
}

// ---------------------------------------------------------------- differences

int qvc_textdiff(const char* file1, const char* file2) {
    DiffResult* r = diff_text(file1, file2);
    if (!r) return -1;
    auto text = [&](int symbol) {
        std::string t = diff_symtext(r, symbol);
        if (t.empty() || t.back() != '\n') t += '\n';
        return t;
    };
    auto range = [](int a, int b) {
        return a == b ? std::to_string(a) : std::to_string(a) + "," + std::to_string(b);
    };
    int i = 1, j = 1;
    while (i <= r->oldmax || j <= r->newmax) {
        if (i <= r->oldmax && j <= r->newmax && r->OA[i].matched && r->OA[i].other == j) {
            i++;
            j++;
            continue;
        }
        int i2 = i, j2 = j;
        while (i2 <= r->oldmax && !r->OA[i2].matched) i2++;
        while (j2 <= r->newmax && !r->NA[j2].matched) j2++;
        int deleted = i2 - i, added = j2 - j;
        if (deleted == 0 && added == 0) { // cannot happen with a monotone pairing
            diff_free(r);
            return -1;
        }
        std::string out;
        if (deleted && added)
            out = range(i, i2 - 1) + "c" + range(j, j2 - 1) + "\n";
        else if (deleted)
            out = range(i, i2 - 1) + "d" + std::to_string(j - 1) + "\n";
        else
            out = std::to_string(i - 1) + "a" + range(j, j2 - 1) + "\n";
        for (int k = i; k < i2; k++) out += "< " + text(r->OA[k].symbol);
        if (deleted && added) out += "---\n";
        for (int k = j; k < j2; k++) out += "> " + text(r->NA[k].symbol);
        qvcprint("%s", out.c_str());
        i = i2;
        j = j2;
    }
    diff_free(r);
    return 0;
}

int qvc_Diff(const char* working, const char* source, const char* first, const char* second) {
    TempFile older, newer;
    if (older.path.empty() || newer.path.empty()) {
        qvcperror("Cannot create temporary file");
        return -1;
    }
    unlink(older.path.c_str());
    unlink(newer.path.c_str());
    bool haveWorking = exists(working);
    std::string left, right; // what is compared: versions, or "" for the working file
    if (first && second) {
        left = first;
        right = second;
        haveWorking = false;
    } else if (first) {
        left = first;
        if (!haveWorking) right = "-0";
    } else if (haveWorking) {
        // A checked-out file against the newest version; a read-only copy (which is the
        // newest) against the one before it.
        bool checkedOut = isWritable(working);
        if (!checkedOut && qvc_getversionFnum(source, 1).empty()) {
            qvcprint("No previous version for %s.\n", working);
            return -1;
        }
        left = checkedOut ? "-0" : "-1";
    } else {
        if (qvc_getversionFnum(source, 1).empty()) {
            qvcprint("No previous versions for %s.\n", working);
            return -1;
        }
        left = "-1";
        right = "-0";
    }
    if (qvc_restore(source, older.path.c_str(), QVC_BYVERSION, left.c_str(), nullptr, 1) != 0)
        return -1;
    const char* rightPath = working;
    if (!right.empty()) {
        if (qvc_restore(source, newer.path.c_str(), QVC_BYVERSION, right.c_str(), nullptr, 1) != 0)
            return -1;
        rightPath = newer.path.c_str();
    }
    return qvc_textdiff(older.path.c_str(), rightPath);
}

// ---------------------------------------------------------------- unlock and removal

int qvc_unlock(const char* working, const char* source, int vpath) {
    std::string logname = qvc_getlogname(source);
    std::string user = qvc_username();
    bool did = false;
    int result = 0;
    std::string sem = qvc_getsemname(logname.c_str());
    if (exists(sem.c_str()) && unlink(sem.c_str()) == 0) {
        qvcprint("Semaphore file removed for %s.\n", working);
        did = true;
    }
    std::string holder;
    bool broken = false;
    std::string perm = qvc_getpermname(source);
    if (exists(perm.c_str())) {
        qvc_getcheckuser(source, holder);
        if (unlink(perm.c_str()) == 0) {
            qvcprint("Lock broken on %s.\n", working);
            did = broken = true;
        }
    }
    struct stat st;
    if (stat(working, &st) == 0 && (st.st_mode & 0222) && qvc_logexists(source)) {
        did = true;
        std::string when = qvc_GetDateString(st.st_mtime);
        char* comment = nullptr;
        int len;
        if (broken && holder != "Someone")
            len = asprintf(&comment,
                           "Preserving changes made by %s on %s before file was unlocked by %s.\n",
                           holder.c_str(), when.c_str(), user.c_str());
        else
            len = asprintf(&comment, "Preserving changes made on %s before file was unlocked by %s.\n",
                           when.c_str(), user.c_str());
        QvcComments comments;
        if (len >= 0) {
            comments.lines.push_back(comment);
            comments.given = true;
            free(comment);
        }
        if (qvc_save(source, working, QVC_LATEST, nullptr, comments, 0, 1, nullptr) == 0) {
            makeReadOnly(working);
            if (isWritable(working)) qvc_restore(source, working, QVC_LATEST, nullptr, nullptr, 0);
            qvcprint("Changes in %s have been checked in as latest version.\n", working);
            if (vpath) {
                unlink(working);
                qvc_restore(source, working, QVC_LATEST, nullptr, nullptr, 0);
                makeReadOnly(working);
            }
        } else {
            qvcprint("Error occurred when trying to preserve %s.\n", working);
            result = -1;
        }
    }
    if (broken && !holder.empty() && holder != user && holder != "Someone" && holder != "QVC" &&
        access(qvc_mailer, X_OK) == 0)
        mailBrokenLock(holder, user, source);
    if (!did) qvcprint("Nothing to unlock for %s.\n", working);
    return result;
}

int qvc_unqvc(const char* working, const char* source) {
    if (!exists(working) && qvc_restore(source, working, QVC_LATEST, nullptr, nullptr, 0) != 0)
        return -1;
    makeWritable(working);
    std::string logname = qvc_getlogname(source);
    unlink(qvc_getsemname(logname.c_str()).c_str());
    unlink(qvc_getpermname(source).c_str());
    if (unlink(logname.c_str()) != 0) {
        qvcperror("Cannot remove %s", logname.c_str());
        return -1;
    }
    qvcprint("Version control removed for %s.\n", working);
    return 0;
}

int qvc_deletefile(const char* working, const char* source) {
    bool hadWorking = exists(working);
    if (hadWorking && unlink(working) != 0) {
        qvcperror("Cannot remove file: %s", working);
        return -1;
    }
    if (!qvc_logexists(source)) {
        qvcprint("Deleted file %s.\n", working);
        return 0;
    }
    int rc = qvc_checkoutfile(source, working, 0, 0);
    if (rc != 0 && rc != -4) {
        if (hadWorking) {
            qvcprint("Deleted source file %s, but could not delete log file\n", working);
            qvcprint("  because %s could not be checked out.\n", working);
        } else {
            qvcprint("Could not delete log file %s, because could not check it out.\n", working);
        }
        return -1;
    }
    std::string logname = qvc_getlogname(source);
    unlink(qvc_getsemname(logname.c_str()).c_str());
    unlink(qvc_getpermname(source).c_str());
    unlink(logname.c_str());
    qvcprint("%s deleted and version control removed.\n", working);
    return 0;
}

// ---------------------------------------------------------------- lookups

std::string qvc_getversion(const char* source) {
    return qvc_getversionFnum(source, 0);
}

std::string qvc_getpreviousversion(const char* source, const char* working,
                                   const char* version) {
    (void)working;
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(qvc_getlogname(source).c_str(), log, &stream.f) < 0 || log.count == 0)
        return "";
    int r = log.trunkIndex;
    if (version && *version) {
        std::string v;
        if (qvc_resolvealiases(log, version, v) < 0) return "";
        r = qvc_recordofversion(log, v);
    }
    if (r < 0 || log.recs[r].next < 0 || log.recs[r].next >= log.count) return "";
    return log.recs[log.recs[r].next].version;
}

std::string qvc_versionFdate(const char* source, const char* date) {
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(qvc_getlogname(source).c_str(), log, &stream.f) < 0) return "";
    int r = qvc_findverfromdate(stream.f, log, date);
    return r < 0 ? "" : log.recs[r].version;
}

int qvc_show2(const char* source, int full, std::vector<std::string>& lines) {
    lines.clear();
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(qvc_getlogname(source).c_str(), log, &stream.f) < 0) return -1;
    for (int i = log.count - 1; i >= 0; i--) {
        const QvcRecord& r = log.recs[i];
        std::string comment;
        if (full) {
            for (const std::string& c : r.comments) comment += c;
        } else if (!r.comments.empty()) {
            comment = r.comments[0];
        }
        while (!comment.empty() && comment.back() == '\n') comment.pop_back();
        char* text = nullptr;
        int n = full ? asprintf(&text, "%s - %s %s -- %.400s", r.version.c_str(), r.user.c_str(),
                                r.date.c_str(), comment.c_str())
                     : asprintf(&text, "%s) %s %s -- %s", r.version.c_str(), r.user.c_str(),
                                r.date.c_str(), comment.c_str());
        if (n >= 0) {
            lines.push_back(text);
            free(text);
        }
    }
    return 0;
}
