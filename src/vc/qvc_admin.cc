// vc/qvc_admin.cc: QVC log administration: removing versions, aliases, header variables,
// branches and copies between logs, moving files with their logs, and line origins.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diff/diff.h"
#include "vc/qvc.h"
#include "vc/qvc_guards.h"

namespace {

std::string baseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool exists(const char* path) {
    struct stat st;
    return stat(path, &st) == 0;
}

// Reads a log whole (the stream closes again at once); -1 when it cannot be read.
int readLog(const std::string& logname, QvcLog& log) {
    LogStream stream;
    return qvc_openlog(logname.c_str(), log, &stream.f) < 0 ? -1 : 0;
}

// Header-only update: everything before the index is kept as it is.
int commitHeader(const std::string& logname, QvcLog& log) {
    return qvc_commit(logname, log, log.headerStart - 4L * log.count, log.count, 0);
}

// A record that no other record was made from and that lies on a branch.
bool isBranchHead(const QvcLog& log, int r) {
    if (qvc_numdots(log.recs[r].version) < 2) return false;
    for (int i = 0; i < log.count; i++)
        if (log.recs[i].next == r) return false;
    return true;
}

// Copies a file in 32 KB blocks, refusing to overwrite; the copy gets the original's mode.
int copyOneFile(const char* from, const char* to) {
    if (exists(to)) {
        qvcprint("File already exists: %s -> Not copied\n", to);
        return -1;
    }
    int in = open(from, O_RDONLY);
    if (in < 0) {
        qvcprint("Unable to read file: %s\n", from);
        return -1;
    }
    struct stat st;
    fstat(in, &st);
    int out = open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        close(in);
        qvcprint("Unable to create file: %s\n", to);
        return -1;
    }
    char buf[32768];
    ssize_t n;
    int result = 0;
    while ((n = read(in, buf, sizeof buf)) > 0) {
        if (write(out, buf, n) != n) {
            qvcprint("Can't write to file: %s\n", to);
            result = -1;
            break;
        }
    }
    if (n < 0) {
        qvcprint("Unable to read file: %s\n", from);
        result = -1;
    }
    close(in);
    fchmod(out, st.st_mode & 07777); // the original's mode, whatever the umask
    if (close(out) != 0 && result == 0) {
        qvcprint("Can't write to file: %s\n", to);
        result = -1;
    }
    if (result < 0) unlink(to);
    return result;
}

} // namespace

// ---------------------------------------------------------------- removing a version

int qvc_delrec(FILE* stream, QvcLog& log, int r) {
    std::string version = log.recs[r].version;
    if (log.count == 1) {
        qvcprint("Cannot delete version: nothing would remain.\n");
        return -2;
    }
    if (isBranchHead(log, r)) {
        qvcprint("Branch heads may not be deleted.\n");
        return -2;
    }
    bool onTrunk = qvc_numdots(version) < 2;
    for (int i = 0; i < log.count && onTrunk; i++) {
        if (log.recs[i].next == r && qvc_numdots(log.recs[i].version) >= 2) {
            // Branch deltas are built on their base; without it they could not be read.
            qvcprint("Version %s is the base of a branch.\n", version.c_str());
            return -1;
        }
    }
    int prev = log.recs[r].next; // the version r was made from
    if (r == log.trunkIndex) {
        if (qvc_rebuild(stream, log, prev, log.current) < 0) return -1;
        log.trunkIndex = prev;
        log.trunkVersion = log.recs[prev].version;
    } else {
        int above = -1; // the version made from r
        for (int i = 0; i < log.count; i++)
            if (log.recs[i].next == r) above = i;
        if (above < 0) return -1;
        QvcText newer, older;
        if (qvc_rebuild(stream, log, above, newer) < 0) return -1;
        if (prev >= 0 && qvc_rebuild(stream, log, prev, older) < 0) return -1;
        QvcRecord& a = log.recs[above];
        if (onTrunk) {
            // Trunk deltas run backwards: the newer text rebuilds the older one.
            a.block.clear();
            if (prev >= 0 && qvc_makeblock(newer, older, a.block) < 0) return -1;
            a.blockLines = prev >= 0 ? int(older.size()) : 0;
        } else {
            if (qvc_makeblock(older, newer, a.block) < 0) return -1;
            a.blockLines = int(newer.size());
        }
        a.next = prev;
        for (QvcBranch& b : log.branches)
            if (b.first == version) b.first = a.version;
    }
    log.recs.erase(log.recs.begin() + r);
    log.index.erase(log.index.begin() + r);
    log.count--;
    for (QvcRecord& rec : log.recs)
        if (rec.next > r) rec.next--;
    if (log.trunkIndex > r) log.trunkIndex--;
    for (size_t i = 0; i < log.aliases.size();) {
        if (log.aliases[i].version == version)
            log.aliases.erase(log.aliases.begin() + i);
        else
            i++;
    }
    return 0;
}

int qvc_remver(const char* working, const char* source, int kind, const char* what) {
    std::string logname = qvc_getlogname(source);
    Semaphore sem{logname};
    if (!sem.take()) return -1;
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(logname.c_str(), log, &stream.f) < 0 || qvc_readall(stream.f, log) < 0)
        return -1;
    int r = -1;
    if (kind == QVC_BYDATE) {
        r = qvc_findverfromdate(stream.f, log, what);
    } else if (kind == QVC_BYVERSION && what) {
        std::string v;
        if (qvc_resolvealiases(log, what, v) < 0) return -1;
        r = qvc_recordofversion(log, v);
    } else {
        r = log.trunkIndex;
    }
    if (r < 0) {
        qvcprint("Version not found.\n");
        return -2;
    }
    std::string version = log.recs[r].version;
    long keep = log.index[r]; // everything before the removed record stays as it is
    int rc = qvc_delrec(stream.f, log, r);
    if (rc == -2) return -1;
    fclose(stream.f);
    stream.f = nullptr;
    if (rc < 0 || qvc_commit(logname, log, keep, r, 1) < 0) {
        qvcprint("Error removing version %s in %s\n", version.c_str(), working);
        return -1;
    }
    qvcprint("Removed version %s in %s\n", version.c_str(), working);
    sem.held = false;
    qvc_releaselock(logname);
    struct stat st;
    if (stat(working, &st) != 0 || !(st.st_mode & 0222)) {
        if (qvc_restore(source, working, QVC_LATEST, nullptr, nullptr, 0) == 0 &&
            stat(working, &st) == 0)
            chmod(working, st.st_mode & ~0222 & 07777);
    }
    return 0;
}

// ---------------------------------------------------------------- aliases and variables

int qvc_alias(const char* source, const char* name, const char* version, int remove) {
    std::string logname = qvc_getlogname(source);
    if (!name) {
        QvcLog log;
        if (readLog(logname, log) < 0) return -1;
        qvcprint("Aliases for file: %s\n", source);
        if (log.aliases.empty()) qvcprint("No aliases.\n");
        for (auto& a : log.aliases) qvcprint("%s = %s\n", a.name.c_str(), a.version.c_str());
        return 0;
    }
    std::string n = name;
    if (n.empty() || n.find_first_of(" \t\n") != std::string::npos) {
        qvcprint("Alias must be one word long only.\n");
        return -1;
    }
    if (isdigit((unsigned char)n[0])) {
        qvcprint("Alias must begin with non-digit.\n");
        return -1;
    }
    if (n.find('.') != std::string::npos) {
        qvcprint("Alias must not contain a '.'\n");
        return -1;
    }
    if (n.size() > 63) n.resize(63);
    Semaphore sem{logname};
    if (!sem.take()) return -1;
    QvcLog log;
    if (readLog(logname, log) < 0) return -1;
    auto it = log.aliases.begin();
    while (it != log.aliases.end() && it->name < n) ++it;
    bool found = it != log.aliases.end() && it->name == n;
    if (remove) {
        if (!found) {
            qvcprint("Alias %s not found in %s. Cannot unalias.\n", n.c_str(), source);
            return -1;
        }
        log.aliases.erase(it);
        if (commitHeader(logname, log) < 0) return -1;
        qvcprint("Unaliased %s in %s.\n", n.c_str(), source);
        return 0;
    }
    if (found) {
        qvcprint("Alias %s already exists for %s.\n", n.c_str(), source);
        return -1;
    }
    std::string v = log.trunkVersion;
    if (version && qvc_resolvealiases(log, version, v) < 0) return -1;
    if (qvc_recordofversion(log, v) < 0) {
        qvcprint("Version not found.\n");
        return -2;
    }
    log.aliases.insert(it, QvcAlias{n, v});
    if (commitHeader(logname, log) < 0) return -1;
    qvcprint("Aliased %s to %s in %s.\n", n.c_str(), v.c_str(), source);
    return 0;
}

int qvc_changelogvar(const char* source) {
    std::string logname = qvc_getlogname(source);
    Semaphore sem{logname};
    if (!sem.take()) return -1;
    QvcLog log;
    if (readLog(logname, log) < 0) return -1;
    log.useComments = 1;
    return commitHeader(logname, log);
}

// ---------------------------------------------------------------- branches and copies

int qvc_branch(const char* source, const char* target, int copy, const char* version,
               const char* newversion, const QvcComments& comments) {
    const char* failure = copy ? "Error copying %s\n" : "Error branching %s\n";
    std::string logname = qvc_getlogname(source);
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(logname.c_str(), log, &stream.f) < 0) return -1;
    std::string base = log.trunkVersion;
    if (!copy) {
        std::string v;
        if (!version || qvc_resolvealiases(log, version, v) < 0 ||
            qvc_recordofversion(log, v) < 0) {
            qvcprint("Sorry, you can only branch from a version in the current file\n");
            return -1;
        }
        base = v;
    }
    std::string first;
    if (newversion) {
        first = newversion;
        if (!qvc_isversion(first)) {
            qvcprint("Invalid version number.\n");
            return -1;
        }
        if (qvc_numdots(first) == 0) first += ".1";
    } else if (qvc_nextfullversion(base, first) < 0) {
        first = "1.1";
    }
    QvcText text;
    if (qvc_rebuild(stream.f, log, qvc_recordofversion(log, base), text) < 0) {
        qvcprint(failure, target);
        return -1;
    }
    fclose(stream.f);
    stream.f = nullptr;
    if (qvc_logexists(target)) {
        qvcprint("Log file already exists for %s\n", target);
        return -1;
    }
    if (qvc_createlogdirs(target) < 0) {
        qvcprint(failure, target);
        return -1;
    }
    QvcLog fresh;
    QvcRecord rec;
    rec.version = first;
    rec.date = qvc_getdate();
    rec.user = qvc_username();
    rec.next = -1;
    rec.comments = comments.lines;
    rec.read = rec.blockRead = true;
    fresh.recs.push_back(rec);
    fresh.index.push_back(0);
    fresh.count = 1;
    fresh.trunkIndex = 0;
    fresh.trunkVersion = first;
    fresh.trunkTime = long(time(nullptr));
    fresh.current = text;
    fresh.ancestorPath = qvc_sourcepath(source);
    fresh.ancestorVersion = base;
    std::string targetLog = qvc_getlogname(target);
    {
        Semaphore targetSem{targetLog};
        if (!targetSem.take() || qvc_commit(targetLog, fresh, 0, 0, 1) < 0) {
            qvcprint(failure, target);
            return -1;
        }
    }
    Semaphore sem{logname};
    if (!sem.take() || qvc_openlog(logname.c_str(), log, &stream.f) < 0) {
        qvcprint(failure, target);
        return -1;
    }
    fclose(stream.f);
    stream.f = nullptr;
    QvcBranch b{qvc_sourcepath(target), base, first};
    auto it = log.branches.begin();
    while (it != log.branches.end() && qvc_vercmp(it->base, b.base) <= 0) ++it;
    log.branches.insert(it, b);
    if (commitHeader(logname, log) < 0) {
        qvcprint(failure, target);
        return -1;
    }
    qvcprint(copy ? "Copied %s\n" : "Branched %s\n", target);
    return 0;
}

int qvc_copyfile(const char* working, const char* source, const char* directory, int move) {
    bool hasLog = qvc_logexists(source);
    bool locked = false;
    if (hasLog) {
        int rc = qvc_checkoutfile(source, working, 0, 0);
        if (rc != 0 && rc != -4) {
            qvcprint("Cannot check out file %s -> Cannot copy.\n", working);
            return -1;
        }
        locked = rc == 0;
    }
    std::string target = std::string(directory) + "/" + baseName(working);
    int result = 0;
    if (hasLog && qvc_createlogdirs(target.c_str()) < 0) result = -1;
    if (result == 0 && copyOneFile(working, target.c_str()) < 0) result = -1;
    if (result == 0) {
        qvcprint("Copied %s to %s.\n", working, target.c_str());
        if (hasLog) {
            struct stat st;
            if (stat(target.c_str(), &st) == 0) chmod(target.c_str(), st.st_mode & ~0222 & 07777);
            if (copyOneFile(qvc_getlogname(source).c_str(), qvc_getlogname(target.c_str()).c_str()) < 0)
                result = -1;
        }
    }
    if (locked) qvc_checkinfile(source, working, 1, 0);
    if (result == 0 && move) result = qvc_deletefile(working, source);
    return result;
}

// ---------------------------------------------------------------- line origins

namespace {

// The trunk from the oldest version to `last` (a record), texts included.
int trunkHistory(FILE* f, QvcLog& log, int last, std::vector<int>& chain,
                 std::vector<QvcText>& texts) {
    chain.clear();
    for (int r = last; r >= 0 && int(chain.size()) <= log.count; r = log.recs[r].next)
        chain.insert(chain.begin(), r);
    texts.assign(chain.size(), QvcText{});
    for (size_t k = 0; k < chain.size(); k++)
        if (qvc_rebuild(f, log, chain[k], texts[k]) < 0) return -1;
    return 0;
}

// Monotone pairing of two texts: partner[j] is the old line of new line j, or 0.
std::vector<int> pairLines(const QvcText& older, const QvcText& newer) {
    std::vector<const char*> a, b;
    for (auto& l : older) a.push_back(l.c_str());
    for (auto& l : newer) b.push_back(l.c_str());
    DiffResult* r = diffFiles(DIFF_MEMORY, a.data(), int(a.size()), DIFF_MEMORY, b.data(),
                              int(b.size()), 0, nullptr, nullptr, 1);
    std::vector<int> partner(newer.size() + 1, 0);
    if (r) {
        for (int j = 1; j <= r->newmax; j++) partner[j] = r->NA[j].matched ? r->NA[j].other : 0;
        diff_free(r);
    }
    return partner;
}

int versionRecord(FILE* f, QvcLog& log, const char* version) {
    if (!version) return log.trunkIndex;
    std::string v;
    if (version[0] == '-') {
        int r = log.trunkIndex;
        for (long n = atol(version + 1); n > 0 && log.recs[r].next >= 0; n--) r = log.recs[r].next;
        return r;
    }
    (void)f;
    if (qvc_resolvealiases(log, version, v) < 0) return -1;
    return qvc_recordofversion(log, v);
}

} // namespace

int qvc_disp(const char* source, const char* version, int recurse) {
    (void)recurse;
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(qvc_getlogname(source).c_str(), log, &stream.f) < 0) return -1;
    int r = versionRecord(stream.f, log, version);
    if (r < 0) {
        qvcprint("Version not found.\n");
        return -2;
    }
    // Branch versions are followed back to their base like trunk ones.
    std::vector<int> chain;
    std::vector<QvcText> texts;
    if (trunkHistory(stream.f, log, r, chain, texts) < 0) return -1;
    std::vector<std::string> origin(texts[0].size(), log.recs[chain[0]].version);
    for (size_t k = 1; k < chain.size(); k++) {
        std::vector<int> partner = pairLines(texts[k - 1], texts[k]);
        std::vector<std::string> next(texts[k].size());
        for (size_t j = 1; j <= texts[k].size(); j++)
            next[j - 1] = partner[j] ? origin[partner[j] - 1] : log.recs[chain[k]].version;
        origin.swap(next);
    }
    const QvcText& text = texts.back();
    for (size_t j = 0; j < text.size(); j++)
        qvcprint("%-8s %s", origin[j].c_str(), text[j].c_str());
    return 0;
}

int qvc_fc(const char* source, const char* version, int start, int end) {
    QvcLog log;
    LogStream stream;
    if (qvc_openlog(qvc_getlogname(source).c_str(), log, &stream.f) < 0) return -1;
    int r = versionRecord(stream.f, log, version);
    if (r < 0) {
        qvcprint("Version not found.\n");
        return -2;
    }
    if (qvc_numdots(log.recs[r].version) >= 2) {
        qvcprint("Not currently supported for branches\n");
        return -1;
    }
    std::vector<int> chain;
    std::vector<QvcText> texts;
    if (trunkHistory(stream.f, log, r, chain, texts) < 0) return -1;
    if (end < start) end = start;
    int s = start, e = end;
    for (size_t k = chain.size() - 1; k > 0; k--) {
        std::vector<int> partner = pairLines(texts[k - 1], texts[k]);
        bool same = e <= int(texts[k].size()) && s >= 1;
        for (int j = s; same && j <= e; j++)
            same = partner[j] != 0 && (j == s || partner[j] == partner[j - 1] + 1);
        if (!same) {
            // The nearest paired line at or before the range locates it in the older text.
            int at = 1;
            for (int j = std::min(s, int(texts[k].size())); j >= 1; j--) {
                if (partner[j]) {
                    at = partner[j] + (j < s ? 1 : 0);
                    break;
                }
            }
            qvcprint("Changed from version %s line %d\n", log.recs[chain[k - 1]].version.c_str(), at);
            qvcprint("To version %s line %d\n", log.recs[chain[k]].version.c_str(), s);
            return 0;
        }
        int shift = partner[s] - s;
        s += shift;
        e += shift;
    }
    qvcprint("To version %s line %d\n", log.recs[chain[0]].version.c_str(), s);
    return 0;
}
