// buffer/lockfile.cc: files beside the user's file, made without following planted links, and
// the advisory lock a live editor holds on its journal.
#include "buffer/lockfile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/gen.h"

int FileCreateFresh(const std::string& path, mode_t mode, bool replace) {
    // Someone may put the name back between the removal and the creation: try a few times,
    // never opening what is there.
    for (int attempt = 0; attempt < 4; attempt++) {
        if (replace && unlink(path.c_str()) != 0 && errno != ENOENT) return -1;
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST || !replace) return fd;
    }
    errno = EEXIST;
    return -1;
}

static bool sameFile(int fd, const std::string& path) {
    struct stat a, b;
    return fstat(fd, &a) == 0 && lstat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

static bool noLocksHere(int err) {
    return err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL;
}

int LockHeld(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    int held = 0;
    if (flock(fd, LOCK_SH | LOCK_NB) != 0) held = errno == EWOULDBLOCK ? 1 : -1;
    close(fd);
    return held;
}

int LockTake(const std::string& path) {
    for (int attempt = 0; attempt < 4; attempt++) {
        int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return -1;
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            errno = EINVAL;
            return -1;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 && !noLocksHere(errno)) {
            int err = errno;
            close(fd);
            errno = err;
            return -1;
        }
        // The holder may have replaced or removed the journal while we waited for the lock:
        // what we hold must still be the file under that name.
        if (sameFile(fd, path)) return fd;
        close(fd);
    }
    errno = EWOULDBLOCK;
    return -1;
}

// A fresh file named TEMP beside PATH holding the header, locked: nobody else can hold it yet.
static int lockedTemp(const std::string& path, mode_t mode, const void* header, size_t headerLen,
                      std::string& temp) {
    temp = path + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, mode & ~mask);
    if (!gen_writefull(fd, (const char*)header, headerLen)) {
        close(fd);
        unlink(temp.c_str());
        errno = ENOSPC;
        return -1;
    }
    flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

int LockCreate(const std::string& path, mode_t mode, const void* header, size_t headerLen) {
    std::string temp;
    int fd = lockedTemp(path, mode, header, headerLen, temp);
    if (fd < 0) return -1;
    int linked = link(temp.c_str(), path.c_str());
    int err = errno;
    unlink(temp.c_str());
    if (linked == 0) return fd;
    close(fd);
    if (err == EEXIST) {
        errno = EEXIST;
        return -1;
    }
    // A file system without hard links: an exclusive create, locked straight after.
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) return -1;
    flock(fd, LOCK_EX | LOCK_NB);
    if (!gen_writefull(fd, (const char*)header, headerLen)) {
        close(fd);
        unlink(path.c_str());
        errno = ENOSPC;
        return -1;
    }
    return fd;
}

int LockReplace(const std::string& path, mode_t mode, const void* header, size_t headerLen,
                off_t maxSize) {
    std::string temp;
    int fd = lockedTemp(path, mode, header, headerLen, temp);
    if (fd < 0) return -1;
    // Looked at last thing before the swap, so that edits its editor has just written are
    // never replaced.
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || st.st_size > maxSize)) {
        close(fd);
        unlink(temp.c_str());
        errno = EBUSY;
        return -1;
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        close(fd);
        unlink(temp.c_str());
        errno = err;
        return -1;
    }
    return fd;
}

mode_t LockFileMode(int fileMode) {
    return (mode_t)((fileMode & 0666) | 0600);
}
