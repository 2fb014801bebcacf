// vc/qvc_log.cc: QVC repository names, the log file's byte layout, and the safe update
// that replaces a log only by renaming a finished copy over it.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "vc/qvc.h"

namespace {

void stdoutOutput(const char* text) {
    fputs(text, stdout);
    fflush(stdout);
}

std::string dirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Removes "." and ".." components and doubled slashes from an absolute path.
std::string tidyPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        std::string part = path.substr(pos, slash - pos);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = slash + 1;
    }
    std::string out;
    for (auto& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

bool getLine(FILE* f, std::string& line) {
    // One buffer for all reads: logs are read line by line, often a million lines.
    static char* buf = nullptr;
    static size_t cap = 0;
    ssize_t n = getline(&buf, &cap, f);
    if (n < 0) return false;
    line.assign(buf, n);
    return true;
}

// A log line: false at the end of the file and for a last line that lost its newline, which
// a log written whole never has.
bool getLogLine(FILE* f, std::string& line) {
    return getLine(f, line) && line.back() == '\n';
}

// A decimal number that is the whole of text (optionally negative); false for anything else.
bool wholeNumber(const char* text, long min, long max, long* value) {
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    long v = strtol(text, &end, 10);
    if (errno || *end || v < min || v > max || isspace((unsigned char)*text) || *text == '+')
        return false;
    *value = v;
    return true;
}

// The numbers of a line "PREFIX N" or "PREFIX N M" (with its newline), each 0..INT_MAX
// unless negative ones are allowed; false when the line is anything else.
bool numberLine(const std::string& line, const char* prefix, int count, long* values,
                long min = 0) {
    size_t n = strlen(prefix);
    if (line.compare(0, n, prefix) != 0 || line.back() != '\n') return false;
    std::string rest = line.substr(n, line.size() - n - 1);
    size_t pos = 0;
    for (int i = 0; i < count; i++) {
        size_t sp = i + 1 < count ? rest.find(' ', pos) : rest.size();
        if (sp == std::string::npos) return false;
        if (!wholeNumber(rest.substr(pos, sp - pos).c_str(), min, INT_MAX, &values[i]))
            return false;
        pos = sp + 1;
    }
    return true;
}

std::string chomp(std::string s) {
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.compare(0, strlen(prefix), prefix) == 0;
}

bool readBE(FILE* f, long* value) {
    unsigned char b[4];
    if (fread(b, 1, 4, f) != 4) return false;
    uint32_t u = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    *value = static_cast<int32_t>(u);
    return true;
}

bool writeBE(FILE* f, long value) {
    uint32_t u = static_cast<uint32_t>(static_cast<int32_t>(value));
    unsigned char b[4] = {static_cast<unsigned char>(u >> 24), static_cast<unsigned char>(u >> 16),
                          static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u)};
    return fwrite(b, 1, 4, f) == 4;
}

// Copies the first `length` bytes of `from` into the open stream `to`.
bool copyPrefix(const char* from, FILE* to, long length) {
    if (length == 0) return true;
    int fd = open(from, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    FILE* in = fd < 0 ? nullptr : fdopen(fd, "rb");
    if (!in) {
        if (fd >= 0) close(fd);
        return false;
    }
    char buf[16384];
    long left = length;
    while (left > 0) {
        size_t want = left < long(sizeof buf) ? size_t(left) : sizeof buf;
        if (fread(buf, 1, want, in) != want || fwrite(buf, 1, want, to) != want) {
            fclose(in);
            return false;
        }
        left -= long(want);
    }
    fclose(in);
    return true;
}

} // namespace

// ---------------------------------------------------------------- output

void (*qvc_output)(const char* text) = stdoutOutput;

void qvcprint(const char* format, ...) {
    va_list args;
    va_start(args, format);
    char* text = nullptr;
    if (vasprintf(&text, format, args) >= 0) {
        qvc_output(text);
        free(text);
    }
    va_end(args);
}

void qvcperror(const char* format, ...) {
    int saved = errno;
    va_list args;
    va_start(args, format);
    char* text = nullptr;
    if (vasprintf(&text, format, args) >= 0) {
        if (saved)
            qvcprint("%s: %s.\n", text, strerror(saved));
        else
            qvcprint("%s.\n", text);
        free(text);
    }
    va_end(args);
}

void qvc_logerror(int code) {
    static const char* const texts[] = {
        "Error opening logfile for input",
        "Error in logfile format",
        "Error in permissions file",
        "Cannot obtain semaphore lock on logfile.\nUse the <unlock> command to clear this lock",
        "Error opening logfile for update",
        "Error writing to logfile",
    };
    if (code < 0 || code > 5) return;
    bool system = (code == 0 || code == 2 || code == 4 || code == 5) && errno != 0;
    if (system)
        qvcprint("%s: %s.\n", texts[code], strerror(errno));
    else
        qvcprint("%s.\n", texts[code]);
}

// ---------------------------------------------------------------- names

std::string qvc_sourcepath(const char* source) {
    std::string path = source;
    char target[4097];
    ssize_t n = readlink(source, target, sizeof target - 1);
    if (n > 0) {
        target[n] = 0;
        // A relative target is relative to the link's own directory.
        path = target[0] == '/' ? std::string(target) : dirOf(path) + "/" + target;
    }
    if (path.empty() || path[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) path = std::string(cwd) + "/" + path;
    }
    path = tidyPath(path);
    if (path.size() > 4095) path.resize(4095);
    return path;
}

std::string qvc_getlogdir(const char* source) {
    return dirOf(qvc_sourcepath(source)) + "/qvc.log";
}

std::string qvc_getlogname(const char* source) {
    return qvc_getlogdir(source) + "/" + baseOf(qvc_sourcepath(source));
}

std::string qvc_getpermname(const char* source) {
    return qvc_getlogdir(source) + "/qvc.lok/" + baseOf(qvc_sourcepath(source));
}

std::string qvc_getsemname(const char* logname) {
    return dirOf(logname) + "/qvc.sem/" + baseOf(logname);
}

std::string qvc_getlnkname(const char* source) {
    return qvc_getlogdir(source) + "/qvc.lnk/" + baseOf(qvc_sourcepath(source));
}

std::string qvc_GetLogdir(const char* path) {
    return dirOf(path);
}

int qvc_logexists(const char* source) {
    struct stat st;
    return stat(qvc_getlogname(source).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Makes a repository directory; the group that shares the repository must be able to create
// locks and semaphores in it whatever the creator's umask, so it gets read, write and search
// for owner and group. 0, or -1 with errno.
static int makeSharedDir(const std::string& dir) {
    if (mkdir(dir.c_str(), 0777) != 0) return -1;
    struct stat st;
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return -1;
    return chmod(dir.c_str(), (st.st_mode & 07777) | S_IRWXU | S_IRWXG);
}

int qvc_createlogdirs(const char* source) {
    std::string logdir = qvc_getlogdir(source);
    const std::string dirs[] = {logdir, logdir + "/qvc.lok", logdir + "/qvc.sem"};
    for (const std::string& d : dirs) {
        struct stat st;
        if (stat(d.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                qvcprint("%s exists but is not a directory.\n", d.c_str());
                return -1;
            }
            continue;
        }
        if (makeSharedDir(d) != 0) {
            qvcprint("Could not create directory: %s.\n", d.c_str());
            return -1;
        }
    }
    return 0;
}

std::string qvc_username() {
    struct passwd* pw = getpwuid(getuid());
    if (pw && pw->pw_name) return pw->pw_name;
    const char* login = getlogin();
    return login ? login : "unknown";
}

std::string qvc_copyname(const std::string& logname) {
    static const char chars[] = "$0123456789abcdefghijklmnopqrstuvwxyz";
    std::string base = baseOf(logname);
    size_t dot = base.rfind('.');
    std::string name = dot == std::string::npos ? base : base.substr(0, dot);
    if (name.size() >= 11 && name.size() <= 14) name.resize(10);
    std::string stem = dirOf(logname) + "/" + name + ".";
    for (int a = 0; a < 37; a++)
        for (int b = 0; b < 37; b++)
            for (int c = 0; c < 37; c++) {
                std::string candidate = stem + chars[a] + chars[b] + chars[c];
                struct stat st;
                if (lstat(candidate.c_str(), &st) != 0) return candidate;
            }
    return "";
}

// ---------------------------------------------------------------- reading

int qvc_readhdr(FILE* f, QvcLog& log) {
    if (fseek(f, 0, SEEK_END) != 0) return -1;
    log.fileSize = ftell(f);
    long trailer = 0;
    if (log.fileSize < 72 || fseek(f, log.fileSize - 4, SEEK_SET) != 0 || !readBE(f, &trailer))
        goto bad;
    log.headerStart = log.fileSize + trailer;
    if (trailer >= -16 || log.headerStart < 64) goto bad;
    if (fseek(f, log.headerStart, SEEK_SET) != 0) goto bad;
    {
        std::string line;
        bool haveVersions = false, haveTrunk = false, haveAncestor = false;
        log.useComments = 1;
        log.branches.clear();
        log.aliases.clear();
        bool pending = getLogLine(f, line);
        while (pending && !haveAncestor) {
            std::string l = chomp(line);
            pending = false;
            if (startsWith(l, "#QVCVER ") || startsWith(l, "#QSCCSVER ")) {
                log.format = atoi(l.c_str() + l.find(' ') + 1);
            } else if (startsWith(l, "$")) {
                size_t sp = l.rfind(' ');
                if (sp != std::string::npos && l.substr(1, sp - 1) == "Use Comments")
                    log.useComments = atoi(l.c_str() + sp + 1);
            } else if (l == "#BRANCHES" || l == "#ALIASES") {
                bool branches = l == "#BRANCHES";
                while ((pending = getLogLine(f, line)) && line[0] == (branches ? 'B' : 'A')) {
                    std::string e = chomp(line);
                    if (e.size() < 2 || e[1] != ' ') goto bad;
                    e.erase(0, 2);
                    size_t last = e.rfind(' ');
                    if (branches) {
                        size_t mid = last == std::string::npos ? last : e.rfind(' ', last - 1);
                        if (mid == std::string::npos) goto bad;
                        log.branches.push_back(
                            {e.substr(0, mid), e.substr(mid + 1, last - mid - 1), e.substr(last + 1)});
                    } else {
                        if (last == std::string::npos) goto bad;
                        log.aliases.push_back({e.substr(0, last), e.substr(last + 1)});
                    }
                }
                continue; // the line that ended the list is examined next
            } else if (startsWith(l, "#VERSIONS ")) {
                long v;
                if (!numberLine(line, "#VERSIONS ", 1, &v)) goto bad;
                log.count = int(v);
                haveVersions = true;
            } else if (startsWith(l, "#TRUNK ")) {
                char version[64] = "";
                unsigned long t = 0;
                int idx = -1;
                int got = sscanf(l.c_str() + 7, "%d %63s %lx", &idx, version, &t);
                log.trunkIndex = idx;
                log.trunkVersion = got >= 2 ? version : "";
                log.trunkTime = got == 3 ? long(t) : long(time(nullptr));
                haveTrunk = true;
            } else if (startsWith(l, "#ANCESTOR")) {
                std::string rest = l.size() > 10 ? l.substr(10) : "";
                size_t sp = rest.rfind(' ');
                if (sp == std::string::npos || sp == 0) {
                    log.ancestorPath.clear();
                    log.ancestorVersion.clear();
                } else {
                    log.ancestorPath = rest.substr(0, sp);
                    log.ancestorVersion = rest.substr(sp + 1);
                }
                haveAncestor = true;
                break;
            } else {
                goto bad;
            }
            pending = getLogLine(f, line);
        }
        if (!haveVersions || !haveTrunk || !haveAncestor) goto bad;
        long cur = 0;
        if (!readBE(f, &cur) || ftell(f) != log.fileSize - 4) goto bad;
        log.curOffset = cur;
    }
    if (log.count < 1 || 4L * log.count > log.headerStart || log.curOffset < 0 ||
        log.curOffset >= log.headerStart - 4L * log.count ||
        (log.count > 0 && (log.trunkIndex < 0 || log.trunkIndex >= log.count)))
        goto bad;
    return 0;
bad:
    errno = 0;
    qvc_logerror(1);
    return -1;
}

int qvc_readindex(FILE* f, QvcLog& log) {
    long start = log.headerStart - 4L * log.count;
    if (fseek(f, start, SEEK_SET) != 0) return -1;
    log.index.assign(log.count, 0);
    // Records lie in index order from the start of the file, the current text after them.
    for (int i = 0; i < log.count; i++) {
        if (!readBE(f, &log.index[i]) || log.index[i] < (i ? log.index[i - 1] + 1 : 0) ||
            (i == 0 && log.index[0] != 0) || log.index[i] >= log.curOffset) {
            errno = 0;
            qvc_logerror(1);
            return -1;
        }
    }
    log.recs.assign(log.count, QvcRecord{});
    return 0;
}

int qvc_readinfo(FILE* f, std::vector<std::string>& lines, int* produced, int delta) {
    std::string line;
    long counts[2];
    if (!getLogLine(f, line) || !numberLine(line, "#LINES ", 2, counts)) return -1;
    long entries = counts[0];
    lines.clear();
    lines.reserve(std::min(entries, 1L << 16)); // the count may be damaged
    long literals = 0; // literal lines still owed to the last "a" entry
    long made = 0;     // lines the block produces
    for (long i = 0; i < entries; i++) {
        if (!getLogLine(f, line)) return -1;
        if (delta && literals > 0) {
            literals--;
        } else if (delta) {
            long v[2];
            std::string body = line.substr(1, line.size() - 2);
            size_t comma = body.find(',');
            if (line[0] == 'a') {
                if (!wholeNumber(body.c_str(), 1, INT_MAX, &literals)) return -1;
                made += literals;
            } else if (line[0] != 'm' ||
                       !wholeNumber(body.substr(0, comma).c_str(), 1, INT_MAX, &v[0]) ||
                       (comma != std::string::npos &&
                        !wholeNumber(body.substr(comma + 1).c_str(), v[0], INT_MAX, &v[1]))) {
                return -1;
            } else {
                made += comma == std::string::npos ? 1 : v[1] - v[0] + 1;
            }
        }
        lines.push_back(line);
    }
    // A block states what it produces; a current-text block holds exactly its lines.
    if (literals > 0 || (delta ? made : entries) != counts[1]) return -1;
    *produced = int(counts[1]);
    return 0;
}

// Where the block after record n ends: at the next record, or at the current text.
static long blockEnd(const QvcLog& log, int n) {
    return n + 1 < log.count ? log.index[n + 1] : log.curOffset;
}

int qvc_readrec(FILE* f, QvcLog& log, int n, int withBlock) {
    if (n < 0 || n >= log.count) return -1;
    QvcRecord& r = log.recs[n];
    if (r.read && (!withBlock || r.blockRead)) return 0;
    if (fseek(f, log.index[n], SEEK_SET) != 0) return -1;
    std::string line;
    r = QvcRecord{};
    long v;
    if (!getLogLine(f, line) || !startsWith(line, "#VERSION ")) goto bad;
    r.version = chomp(line.substr(9));
    if (!getLogLine(f, line) || !startsWith(line, "#DATE ")) goto bad;
    r.date = chomp(line.substr(6));
    if (!getLogLine(f, line) || !startsWith(line, "#USER ")) goto bad;
    r.user = chomp(line.substr(6));
    if (!getLogLine(f, line)) goto bad;
    if (startsWith(line, "#NEXT ")) {
        if (!numberLine(line, "#NEXT ", 1, &v, -1)) goto bad;
        r.next = int(v);
        if (!getLogLine(f, line)) goto bad;
    }
    if (!numberLine(line, "#COMMENTS ", 1, &v)) goto bad;
    for (long i = 0; i < v; i++) {
        if (!getLogLine(f, line)) goto bad;
        r.comments.push_back(line);
    }
    // A record without "#NEXT" (-2) comes from a log whose versions form one line, each
    // made from the record before it.
    if (r.next == -2) r.next = n - 1;
    r.read = true;
    if (withBlock) {
        if (qvc_readinfo(f, r.block, &r.blockLines, 1) < 0 || ftell(f) != blockEnd(log, n))
            goto bad;
        r.blockRead = true;
    }
    return 0;
bad:
    r = QvcRecord{};
    errno = 0;
    qvc_logerror(1);
    return -1;
}

int qvc_readcurfile(FILE* f, QvcLog& log) {
    if (log.curRead) return 0;
    int produced = 0;
    if (fseek(f, log.curOffset, SEEK_SET) != 0 || qvc_readinfo(f, log.current, &produced, 0) < 0 ||
        ftell(f) != log.headerStart - 4L * log.count) {
        log.current.clear();
        errno = 0;
        qvc_logerror(1);
        return -1;
    }
    log.curRead = true;
    return 0;
}

int qvc_readall(FILE* f, QvcLog& log) {
    for (int i = 0; i < log.count; i++)
        if (qvc_readrec(f, log, i, 1) < 0) return -1;
    return qvc_readcurfile(f, log);
}

// The record a version is made from, by its number alone: the previous version of its branch
// (the trunk is a branch too), else the branch's base; -1 for the first trunk version. Records
// are appended, so that version lies below. A log whose "#NEXT" lines disagree is damaged.
static int expectedNext(const QvcLog& log, int n) {
    const std::string& v = log.recs[n].version;
    std::string branch = v.substr(0, v.rfind('.'));
    int dots = qvc_numdots(v);
    for (int j = n - 1; j >= 0; j--) {
        const std::string& w = log.recs[j].version;
        if (qvc_numdots(w) == dots && w.compare(0, branch.size() + 1, branch + ".") == 0)
            return j;
    }
    if (dots < 2) return -1;
    for (int j = n - 1; j >= 0; j--)
        if (log.recs[j].version == branch.substr(0, branch.rfind('.'))) return j;
    return -2;
}

// The relations between the records that no single line shows.
static bool consistent(const QvcLog& log) {
    if (log.count < 1 || log.recs[log.trunkIndex].version != log.trunkVersion ||
        qvc_numdots(log.trunkVersion) != 1)
        return false;
    std::vector<std::string> seen;
    for (int i = 0; i < log.count; i++) {
        const QvcRecord& r = log.recs[i];
        int dots = qvc_numdots(r.version);
        if (!qvc_isversion(r.version) || dots % 2 == 0 || r.next != expectedNext(log, i) ||
            (dots == 1 && i > log.trunkIndex) || (r.next < 0 && (!r.block.empty() || r.blockLines)))
            return false;
        seen.push_back(r.version);
    }
    std::sort(seen.begin(), seen.end());
    return std::adjacent_find(seen.begin(), seen.end()) == seen.end();
}

int qvc_openlog(const char* logname, QvcLog& log, FILE** stream) {
    *stream = nullptr;
    int fd = open(logname, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    FILE* f = fd < 0 ? nullptr : fdopen(fd, "rb");
    if (!f) {
        if (fd >= 0) close(fd);
        qvc_logerror(0);
        return -1;
    }
    log = QvcLog{};
    log.logname = logname;
    if (qvc_readhdr(f, log) < 0 || qvc_readindex(f, log) < 0) {
        fclose(f);
        return -1;
    }
    // Every record and delta is read and checked before anything trusts the log; the
    // current text waits until it is needed.
    for (int i = 0; i < log.count; i++) {
        if (qvc_readrec(f, log, i, 1) < 0) {
            fclose(f);
            return -1;
        }
    }
    if (!consistent(log)) {
        fclose(f);
        errno = 0;
        qvc_logerror(1);
        return -1;
    }
    *stream = f;
    return 0;
}

// ---------------------------------------------------------------- writing

int qvc_writerec(FILE* f, const QvcRecord& r) {
    fprintf(f, "#VERSION %s\n#DATE %s\n#USER %s\n#NEXT %d\n#COMMENTS %d\n", r.version.c_str(),
            r.date.c_str(), r.user.c_str(), r.next, int(r.comments.size()));
    for (const std::string& c : r.comments) {
        fputs(c.c_str(), f);
        if (c.empty() || c.back() != '\n') fputc('\n', f);
    }
    return ferror(f) ? -1 : 0;
}

int qvc_writeinfo(FILE* f, const std::vector<std::string>& lines, int produced) {
    fprintf(f, "#LINES %d %d\n", int(lines.size()), produced);
    for (const std::string& l : lines) fwrite(l.data(), 1, l.size(), f);
    return ferror(f) ? -1 : 0;
}

int qvc_writehdr(FILE* f, QvcLog& log) {
    log.headerStart = ftell(f);
    fprintf(f, "#QVCVER %d\n", 1);
    fprintf(f, "$%s %d\n", "Use Comments", log.useComments);
    if (!log.branches.empty()) {
        fputs("#BRANCHES\n", f);
        for (auto& b : log.branches)
            fprintf(f, "B %s %s %s\n", b.name.c_str(), b.base.c_str(), b.first.c_str());
    }
    if (!log.aliases.empty()) {
        fputs("#ALIASES\n", f);
        for (auto& a : log.aliases) fprintf(f, "A %s %s\n", a.name.c_str(), a.version.c_str());
    }
    fprintf(f, "#VERSIONS %d\n", log.count);
    fprintf(f, "#TRUNK %d %s %lx\n", log.trunkIndex, log.trunkVersion.c_str(),
            static_cast<unsigned long>(log.trunkTime));
    fprintf(f, "#ANCESTOR %s %s\n", log.ancestorPath.c_str(), log.ancestorVersion.c_str());
    writeBE(f, log.curOffset);
    long end = ftell(f) + 4;
    writeBE(f, log.headerStart - end);
    log.fileSize = end;
    return ferror(f) ? -1 : 0;
}

int qvc_writeindex(FILE* f, QvcLog& log) {
    for (int i = 0; i < log.count; i++) writeBE(f, log.index[i]);
    return qvc_writehdr(f, log);
}

// Creates a missing lock or semaphore directory (a log unpacked alone has none).
static void ensureDir(const std::string& path) {
    std::string dir = dirOf(path);
    struct stat st;
    if (stat(dir.c_str(), &st) != 0) makeSharedDir(dir);
}

// Every file QVC makes beside the user's files is created here: exclusively, so that no
// name planted in a shared directory (a symbolic link above all) is ever followed or reused.
static int createExclusive(const std::string& path, int mode) {
    int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, mode);
    // The mode is meant for the group as well, whatever the umask.
    if (fd >= 0) fchmod(fd, mode);
    return fd;
}

int qvc_obtainlock(const std::string& logname) {
    std::string sem = qvc_getsemname(logname.c_str());
    int fd = createExclusive(sem, 0644);
    if (fd < 0 && errno == ENOENT) {
        ensureDir(sem);
        fd = createExclusive(sem, 0644);
    }
    if (fd < 0) return errno == EEXIST ? 1 : 0; // no place for a semaphore: nobody to wait for
    close(fd);
    return 0;
}

int qvc_releaselock(const std::string& logname) {
    return unlink(qvc_getsemname(logname.c_str()).c_str()) == 0 ? 0 : -1;
}

FILE* qvc_opencopy(QvcLog& log, std::string& copyname, long length) {
    struct stat st;
    bool fresh = stat(log.logname.c_str(), &st) != 0;
    // A new log is written under its final name; an existing one is never written in place.
    copyname = fresh ? log.logname : qvc_copyname(log.logname);
    if (copyname.empty()) {
        errno = EEXIST;
        qvc_logerror(4);
        return nullptr;
    }
    int fd = createExclusive(copyname, fresh ? 0660 : int(st.st_mode & 07777));
    FILE* f = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!f) {
        if (fd >= 0) close(fd);
        qvc_logerror(4);
        return nullptr;
    }
    if ((!fresh && !copyPrefix(log.logname.c_str(), f, length)) || fseek(f, 0, SEEK_END) != 0) {
        qvc_logerror(5);
        fclose(f);
        unlink(copyname.c_str());
        return nullptr;
    }
    return f;
}

int qvc_closecopy(QvcLog& log, const std::string& copyname) {
    if (copyname == log.logname) return 0; // a new log, made 0660 when it was created
    if (rename(copyname.c_str(), log.logname.c_str()) != 0) {
        unlink(log.logname.c_str());
        if (rename(copyname.c_str(), log.logname.c_str()) != 0) {
            qvcprint("Unable to save changes to logfile %s: %s\n", log.logname.c_str(),
                     strerror(errno));
            return -1;
        }
    }
    return 0;
}

int qvc_commit(const std::string& logname, QvcLog& log, long keep, int first, int withCurrent) {
    log.logname = logname;
    std::string copyname;
    FILE* f = qvc_opencopy(log, copyname, keep);
    if (!f) return -1;
    bool ok = true;
    for (int i = first; ok && i < log.count; i++) {
        QvcRecord& r = log.recs[i];
        log.index[i] = ftell(f);
        ok = qvc_writerec(f, r) == 0 && qvc_writeinfo(f, r.block, r.blockLines) == 0;
    }
    if (ok && withCurrent) {
        log.curOffset = ftell(f);
        ok = qvc_writeinfo(f, log.current, int(log.current.size())) == 0;
    }
    if (ok) ok = qvc_writeindex(f, log) == 0;
    if (ok && log.fileSize > INT32_MAX) { // offsets are four bytes
        errno = EFBIG;
        ok = false;
    }
    if (fflush(f) != 0) ok = false;
    if (fclose(f) != 0) ok = false;
    if (!ok) {
        qvc_logerror(5);
        unlink(copyname.c_str());
        return -1;
    }
    return qvc_closecopy(log, copyname);
}

// ---------------------------------------------------------------- check-out locks

int qvc_readlockfile(const std::string& permname, std::vector<std::string>& holders) {
    holders.clear();
    // The lock directory is shared: a lock file planted as a link to another file is refused.
    int fd = open(permname.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    FILE* f = fd < 0 ? nullptr : fdopen(fd, "r");
    if (!f) {
        if (fd >= 0) close(fd);
        return -1;
    }
    std::string line;
    int count = 0;
    if (getLine(f, line)) count = atoi(line.c_str());
    while (getLine(f, line)) {
        std::string name = chomp(line);
        if (!name.empty()) holders.push_back(name);
    }
    fclose(f);
    if (count <= 0) holders.clear();
    return 0;
}

int qvc_getcheckuser(const char* source, std::string& name) {
    name.clear();
    std::string perm = qvc_getpermname(source);
    if (access(perm.c_str(), F_OK) != 0) return 0;
    std::vector<std::string> holders;
    qvc_readlockfile(perm, holders);
    name = holders.empty() ? "Someone" : holders[0];
    return 1;
}

int qvc_getcheckdate(const char* source, std::string& text) {
    struct stat st;
    text.clear();
    if (stat(qvc_getpermname(source).c_str(), &st) != 0) return 0;
    text = qvc_GetDateString(st.st_mtime);
    return 1;
}

int qvc_cancheckinorout(const char* source, const char* working, std::string& holder) {
    holder.clear();
    if (access(working, F_OK) != 0) return -5;
    if (access(working, R_OK) != 0) return -6;
    if (!qvc_logexists(source)) return -1;
    std::string perm = qvc_getpermname(source);
    if (access(perm.c_str(), F_OK) != 0) return -2;
    std::vector<std::string> holders;
    if (qvc_readlockfile(perm, holders) < 0) return -3;
    if (holders.empty()) return -4;
    std::string user = qvc_username();
    for (auto& h : holders) {
        if (h == user) {
            holder = user;
            return 2;
        }
    }
    holder = holders[0];
    return 1;
}

int qvc_checkinorouterror(const char* source, const char* working, int forcheckin) {
    std::string holder;
    int state = qvc_cancheckinorout(source, working, holder);
    std::string base = baseOf(working);
    const char* b = base.c_str();
    switch (state) {
    case -6:
        qvcprint("Error. File %s is unreadable.\n", b);
        return -1;
    case -5:
        qvcprint("Error. File %s does not exist.\n", b);
        return -1;
    case -4:
        qvcprint("Error. Lock file for %s is corrupted. Try unlocking the file\n", b);
        return -1;
    case -3:
        qvcprint("Error. Lock file for %s is unreadable.\n", b);
        return -1;
    case -2:
        if (!forcheckin) return 0;
        qvcprint("Warning. File %s was not checked out.\n", b);
        return 1;
    case -1:
        if (forcheckin) {
            qvcprint("Warning. File %s is not under QUORL version control.\n", b);
            return 1;
        }
        qvcprint("Error. File %s is not under QUORL version control.\n", b);
        return -1;
    case 1:
        if (forcheckin)
            qvcprint("Error. File %s is checked out to %s, not you.\n", b, holder.c_str());
        else
            qvcprint("Error. File %s is already checked out to %s.\n", b, holder.c_str());
        return -1;
    case 2:
        if (forcheckin) return 0;
        qvcprint("Error. File %s is already checked out to you (%s).\n", b, holder.c_str());
        return -1;
    }
    return 0;
}

// Rewrites a lock file with fewer holders: the old entry is removed and a new one created
// exclusively, never written through whatever the name points at.
static int writeLockFile(const std::string& perm, const std::vector<std::string>& holders) {
    if (unlink(perm.c_str()) != 0 && errno != ENOENT) return -1;
    int fd = createExclusive(perm, 0664);
    FILE* f = fd < 0 ? nullptr : fdopen(fd, "w");
    if (!f) {
        if (fd >= 0) close(fd);
        return -1;
    }
    fprintf(f, "%8d\n", int(holders.size()));
    for (auto& h : holders) fprintf(f, "%s\n", h.c_str());
    bool ok = !ferror(f);
    if (fclose(f) != 0) ok = false;
    return ok ? 0 : -1;
}

int qvc_checkoutfile(const char* source, const char* working, int force, int verbose) {
    std::string perm = qvc_getpermname(source);
    std::string user = qvc_username();
    ensureDir(perm);
    int fd = createExclusive(perm, 0664);
    if (fd >= 0) {
        char text[128];
        int len = snprintf(text, sizeof text, "%8d\n%s\n", 1, user.c_str());
        bool ok = write(fd, text, len) == len;
        close(fd);
        if (!ok) {
            if (verbose) qvcprint("Error: could not write lock file for %s", working);
            unlink(perm.c_str());
            return -1;
        }
        return 0;
    }
    int result = -1;
    std::vector<std::string> holders;
    if (errno != EEXIST || qvc_readlockfile(perm, holders) < 0) {
        if (verbose) qvcprint("Error: Cannot open lock file for %s. Try unlocking %s\n", working, working);
    } else if (holders.empty()) {
        if (verbose) qvcprint("Error: lock file for %s is empty. Try unlocking %s.\n", working, working);
    } else {
        bool mine = false;
        for (auto& h : holders) mine = mine || h == user;
        if (mine && force) {
            if (verbose)
                qvcprint("Warning: Forcing file %s to be checked it out to you (%s) again.\n",
                         working, user.c_str());
            return 0;
        }
        if (mine) {
            if (verbose)
                qvcprint("Error: File %s is already checked it out to you (%s).\n", working,
                         user.c_str());
            result = -4;
        } else if (force) {
            std::string previous = holders[0];
            holders.push_back(user);
            // The count is rewritten in place and the new holder appended.
            int lf = open(perm.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
            char count[16];
            snprintf(count, sizeof count, "%8d", int(holders.size()));
            bool ok = lf >= 0 && pwrite(lf, count, 8, 0) == 8 && lseek(lf, 0, SEEK_END) >= 0 &&
                      write(lf, (user + "\n").c_str(), user.size() + 1) == ssize_t(user.size() + 1);
            if (lf >= 0) close(lf);
            if (!ok) {
                if (verbose) qvcprint("Error: could not write lock file for %s", working);
                return -1;
            }
            if (verbose)
                qvcprint("Warning: Forcing permission for file %s on %s.\n", working,
                         previous.c_str());
            return 0;
        } else {
            if (verbose)
                qvcprint("Error: File %s already checked out to %s.\n", working, holders[0].c_str());
            result = -2;
        }
    }
    if (verbose) qvcprint("Error checking out %s.\n", working);
    return result;
}

int qvc_checkinfile(const char* source, const char* working, int release, int verbose) {
    std::string perm = qvc_getpermname(source);
    std::vector<std::string> holders;
    std::string user = qvc_username();
    bool mine = false;
    if (qvc_readlockfile(perm, holders) == 0) {
        for (auto& h : holders) mine = mine || h == user;
    }
    if (!mine) {
        if (verbose) qvcprint("Error checking in %s.\n", working);
        return -1;
    }
    if (!release) return 0;
    std::vector<std::string> rest;
    for (auto& h : holders)
        if (h != user) rest.push_back(h);
    if (rest.empty()) return unlink(perm.c_str()) == 0 ? 0 : -1;
    return writeLockFile(perm, rest);
}
