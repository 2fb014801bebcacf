// runtime/gen_file.cc: file-access wrappers and whole-file helpers (copy, move, compare, touch).
#include "runtime/gen.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "runtime/scoped.h"

// ---- plain wrappers ----

int gen_open(const char* path, int flags, int mode) {
    return open(path, flags, mode);
}
int gen_creat(const char* path, int mode) {
    return creat(path, (mode_t)mode);
}
FILE* gen_fopen(const char* path, const char* mode) {
    return fopen(path, mode);
}
FILE* gen_freopen(const char* path, const char* mode, FILE* stream) {
    return freopen(path, mode, stream);
}
int gen_openregular(const char* path) {
    // Non-blocking, so that opening a FIFO nobody writes does not wait for a writer.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        errno = e;
        return -1;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}
FILE* gen_fopenregular(const char* path) {
    int fd = gen_openregular(path);
    if (fd < 0) return nullptr;
    FILE* f = fdopen(fd, "r");
    if (!f) close(fd);
    return f;
}
int gen_stat(const char* path, struct stat* st) {
    return stat(path, st);
}
int gen_access(const char* path, int how) {
    return access(path, how);
}
int gen_unlink(const char* path) {
    return unlink(path);
}
int gen_link(const char* from, const char* to) {
    return link(from, to);
}
DIR* gen_opendir(const char* path) {
    return opendir(path);
}
struct dirent* gen_readdir(DIR* dir) {
    return readdir(dir);
}
int gen_closedir(DIR* dir) {
    return closedir(dir);
}


long gen_readfull(int fd, void* buf, size_t n) {
    size_t got = 0;
    while (got < n) {
        ssize_t r = read(fd, static_cast<char*>(buf) + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return got ? (long)got : -1;
        if (r == 0) break;
        got += (size_t)r;
    }
    return (long)got;
}

bool gen_writefull(int fd, const void* buf, size_t n) {
    const char* p = static_cast<const char*>(buf);
    while (n) {
        ssize_t w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= (size_t)w;
    }
    return true;
}

// Copies everything from one descriptor to another in 1024-byte blocks.
static bool copyData(int in, int out) {
    char block[1024];
    for (;;) {
        long n = gen_readfull(in, block, sizeof block);
        if (n < 0) return false;
        if (n == 0) return true;
        if (!gen_writefull(out, block, n)) return false;
    }
}

// ---- whole files ----

int gen_removefile(const char* path) {
    if (!path || gen_isdir(path)) return -1;
    return unlink(path);
}

int gen_renamefile(const char* from, const char* to) {
    if (!from || !to || gen_isdir(from) || gen_isdir(to)) return -1;
    if (rename(from, to) == 0) return 0;
    // Some file systems refuse to replace an existing target; clear it and try once more.
    unlink(to);
    return rename(from, to);
}

int gen_copyfile(const char* from, const char* to) {
    if (!from || !to) return -1;
    struct stat st;
    OwnedFd in(open(from, O_RDONLY));
    if (in.get() < 0 || fstat(in.get(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
    OwnedFd out(open(to, O_WRONLY | O_CREAT | O_TRUNC, 0666));
    if (out.get() < 0) return -1;
    bool ok = copyData(in.get(), out.get());
    ok = out.close() == 0 && ok;
    if (!ok) {
        unlink(to); // never leave a truncated copy that looks complete
        return -1;
    }
    return chmod(to, st.st_mode & 07777);
}

int gen_movefile(const char* from, const char* to) {
    if (!from || !to) return -1;
    if (rename(from, to) == 0) return 0;
    if (gen_copyfile(from, to) != 0) return -1;
    return unlink(from);
}

int gen_catfile(const char* from, const char* to) {
    if (!from || !to) return -1;
    OwnedFd in(open(from, O_RDONLY));
    if (in.get() < 0 || gen_isdir(from)) return -1;
    OwnedFd out(open(to, O_WRONLY | O_CREAT | O_APPEND, 0666));
    if (out.get() < 0) return -1;
    bool ok = copyData(in.get(), out.get());
    ok = out.close() == 0 && ok;
    return ok ? 0 : -1;
}

int gen_binarydifffiles(const char* a, const char* b) {
    if (!a || !b) return -1;
    OwnedFd fa(open(a, O_RDONLY)), fb(open(b, O_RDONLY));
    if (fa.get() < 0 || fb.get() < 0) return -1;
    char ba[4096], bb[4096];
    for (;;) {
        long na = gen_readfull(fa.get(), ba, sizeof ba);
        long nb = gen_readfull(fb.get(), bb, sizeof bb);
        if (na < 0 || nb < 0) return -1;
        if (na != nb || memcmp(ba, bb, (size_t)na) != 0) return 1;
        if (na == 0) return 0;
    }
}

static bool mtimeOf(const char* path, struct timespec* t) {
    struct stat st;
    if (!path || stat(path, &st) != 0) return false;
    *t = st.st_mtim;
    return true;
}

static int compareTimes(const struct timespec& a, const struct timespec& b) {
    if (a.tv_sec != b.tv_sec) return a.tv_sec < b.tv_sec ? -1 : 1;
    if (a.tv_nsec != b.tv_nsec) return a.tv_nsec < b.tv_nsec ? -1 : 1;
    return 0;
}

int gen_newerthan(const char* a, const char* b) {
    struct timespec ta, tb;
    if (!mtimeOf(a, &ta)) return -1;
    if (!mtimeOf(b, &tb)) return 1;
    return compareTimes(ta, tb) > 0 ? 1 : 0;
}

int gen_sametimeas(const char* a, const char* b) {
    struct timespec ta, tb;
    if (!mtimeOf(a, &ta) || !mtimeOf(b, &tb)) return -1;
    return compareTimes(ta, tb) == 0 ? 1 : 0;
}

int gen_utime(const char* from, const char* to) {
    struct stat st;
    if (!from || !to || stat(from, &st) != 0) return -1;
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    return utimensat(AT_FDCWD, to, times, 0);
}

int gen_touchfile(const char* path) {
    if (!path) return -1;
    struct stat st;
    if (stat(path, &st) != 0) {
        OwnedFd fd(open(path, O_WRONLY | O_CREAT, 0666));
        return fd.get() < 0 ? -1 : fd.close();
    }
    if (st.st_size == 0) {
        // Truncating an empty file changes nothing but its modification time.
        OwnedFd fd(open(path, O_WRONLY | O_TRUNC));
        return fd.get() < 0 ? -1 : fd.close();
    }
    // Rewriting the first byte is the portable way to move the time without other changes.
    OwnedFd fd(open(path, O_RDWR));
    char c;
    if (fd.get() < 0 || gen_readfull(fd.get(), &c, 1) != 1 || lseek(fd.get(), 0, SEEK_SET) != 0 ||
        !gen_writefull(fd.get(), &c, 1))
        return -1;
    return fd.close();
}

// ---- status and permissions ----

long long gen_filesize(const char* path) {
    struct stat st;
    if (!path || stat(path, &st) != 0) return -1;
    return (long long)st.st_size;
}

int gen_getmode(const char* path, int wantDefault) {
    struct stat st;
    if (!path || stat(path, &st) != 0) return wantDefault ? 0664 : -1;
    return (int)(st.st_mode & 07777);
}

int gen_islink(const char* path) {
    struct stat st;
    return path && lstat(path, &st) == 0 && S_ISLNK(st.st_mode);
}

char* gen_readlink(const char* path) {
    if (!path) return nullptr;
    char buf[PATH_MAX];
    ssize_t n = readlink(path, buf, sizeof buf - 1);
    if (n < 0) return nullptr;
    return gen_copyn(buf, (long)n);
}

static mode_t currentUmask() {
    mode_t m = umask(022);
    umask(m);
    return m;
}

// Adds or removes permission bits as chmod(1) does with a symbolic mode.
static int changeMode(const char* path, mode_t add, mode_t remove) {
    struct stat st;
    if (!path || stat(path, &st) != 0) return -1;
    mode_t mode = ((st.st_mode & 07777) | add) & ~remove;
    return chmod(path, mode);
}

int gen_chmod_minusw(const char* path) {
    return changeMode(path, 0, 0222);
}
int gen_chmod_plusw(const char* path) {
    return changeMode(path, 0222 & ~currentUmask(), 0);
}
int gen_chmod_plusrw(const char* path) {
    return changeMode(path, 0666 & ~currentUmask(), 0);
}
int gen_chmod_pluswu(const char* path) {
    return changeMode(path, 0200, 0);
}
int gen_chmod_sameas(const char* path, const char* model) {
    struct stat st;
    if (!path || !model || stat(model, &st) != 0) return -1;
    return chmod(path, st.st_mode & 07777);
}

// ---- directories ----

int gen_createdir(const char* path, int mode) {
    if (!path || !*path) return -1;
    if (gen_isdir(path)) return 0;
    GenStr parent(gen_dirname(path));
    if (parent && *parent && strcmp(parent.get(), path) != 0 && !gen_isdir(parent.get()) &&
        gen_createdir(parent.get(), mode) != 0)
        return -1;
    if (mkdir(path, (mode_t)mode) == 0) return 0;
    return (errno == EEXIST && gen_isdir(path)) ? 0 : -1;
}

int gen_removedir_recursive(const char* path) {
    struct stat st;
    if (!path || lstat(path, &st) != 0) return -1;
    if (!S_ISDIR(st.st_mode)) return unlink(path);
    DIR* dir = opendir(path);
    if (!dir) return -1;
    int result = 0;
    while (struct dirent* e = readdir(dir)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
        GenStr child(gen_concat_sep(path, '/', e->d_name));
        if (gen_removedir_recursive(child.get()) != 0) result = -1;
    }
    closedir(dir);
    if (rmdir(path) != 0) result = -1;
    return result;
}

// ---- streams and commands ----

char* gen_getline(FILE* stream, char** buf, long* size) {
    if (!stream || !buf || !size) return nullptr;
    if (!*buf) *size = 0;
    long len = 0;
    bool any = false;
    for (;;) {
        int c = getc(stream);
        if (c == EOF) break;
        any = true;
        if (c == '\n') break;
        if (c == '\r') {
            int d = getc(stream);
            if (d != '\n' && d != EOF) ungetc(d, stream);
            break;
        }
        if (len + 1 >= *size) {
            *size += 250;
            *buf = (char*)gen_realloc(*buf, (size_t)*size);
        }
        (*buf)[len++] = (char)c;
    }
    if (!any) return nullptr;
    if (len + 1 > *size) {
        *size += 250;
        *buf = (char*)gen_realloc(*buf, (size_t)*size);
    }
    (*buf)[len] = 0;
    return *buf;
}

FILE* gen_safe_fopen(const char* path, const char* label, const char* mode) {
    FILE* f = path && mode ? gen_fopen(path, mode) : nullptr;
    if (f) return f;
    const char* use = (mode && mode[0] == 'r') ? "input" : "output";
    gen_perrorexit(1, "Unable to open %s for %s: ", (label && *label) ? label : (path ? path : ""),
                   use);
}

int gen_system(const char* cmd) {
    fflush(stdout);
    fflush(stderr);
    return system(cmd);
}

int gen_systemex(const char* cmd, const char* flags) {
    if (!cmd) return -1;
    if (flags && strchr(flags, 'q')) {
        GenStr quiet(gen_concat(cmd, ">/dev/null"));
        return gen_system(quiet.get());
    }
    return gen_system(cmd);
}

void gen_sleep(int seconds) {
    if (seconds > 0) sleep((unsigned)seconds);
}
