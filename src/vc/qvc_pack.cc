// vc/qvc_pack.cc: package files, log files and their locks in the classic tar layout,
// so that any tar program can list and extract them.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "runtime/gen.h"
#include "vc/qvc.h"

namespace {

constexpr int blockSize = 512;

struct TarHeader {
    unsigned char bytes[blockSize];
};

// Fills a field of `width` bytes from a printf result without its terminating NUL when
// the text is exactly as wide as the field.
void putField(TarHeader& h, int offset, int width, const char* text) {
    size_t len = strlen(text);
    memcpy(h.bytes + offset, text, len < size_t(width) ? len + 1 : size_t(width));
}

unsigned checksum(const TarHeader& h) {
    unsigned sum = 0;
    for (int i = 0; i < blockSize; i++) sum += (i >= 148 && i < 156) ? ' ' : h.bytes[i];
    return sum;
}

long octalField(const TarHeader& h, int offset, int width, bool* ok) {
    long value = 0;
    int i = offset, end = offset + width;
    while (i < end && h.bytes[i] == ' ') i++;
    int digits = 0;
    for (; i < end && h.bytes[i] >= '0' && h.bytes[i] <= '7'; i++, digits++)
        value = value * 8 + (h.bytes[i] - '0');
    if (!digits) *ok = false;
    return value;
}

// The member name of a repository file: its path from "qvc.log" on.
std::string memberName(const std::string& path) {
    size_t at = path.rfind("/qvc.log/");
    return at == std::string::npos ? path : path.substr(at + 1);
}

bool readAll(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

// Adds one file as a member; 0, -1 on failure, -2 when the name does not fit.
int addMember(int out, const std::string& path) {
    std::string name = memberName(path);
    if (name.size() > 100) {
        qvcprint("Name too long: %s\n", name.c_str());
        return -2;
    }
    int in = open(path.c_str(), O_RDONLY);
    struct stat st;
    if (in < 0 || fstat(in, &st) != 0) {
        if (in >= 0) close(in);
        return -1;
    }
    TarHeader h;
    memset(h.bytes, 0, sizeof h.bytes);
    memcpy(h.bytes, name.data(), name.size());
    char field[32];
    snprintf(field, sizeof field, "%6lo ", (unsigned long)(st.st_mode & 077777));
    putField(h, 100, 8, field);
    snprintf(field, sizeof field, "%6lo ", (unsigned long)st.st_uid);
    putField(h, 108, 8, field);
    snprintf(field, sizeof field, "%6lo ", (unsigned long)st.st_gid);
    putField(h, 116, 8, field);
    snprintf(field, sizeof field, "%11lo ", (unsigned long)st.st_size);
    putField(h, 124, 12, field);
    snprintf(field, sizeof field, "%11lo ", (unsigned long)st.st_mtime);
    putField(h, 136, 12, field);
    snprintf(field, sizeof field, "%6o ", checksum(h));
    putField(h, 148, 8, field);
    bool ok = gen_writefull(out, h.bytes, blockSize);
    char buf[blockSize];
    long left = st.st_size;
    while (ok && left > 0) {
        memset(buf, 0, sizeof buf);
        size_t want = left < blockSize ? size_t(left) : size_t(blockSize);
        ok = readAll(in, buf, want) && gen_writefull(out, buf, blockSize);
        left -= long(want);
    }
    close(in);
    return ok ? 0 : -1;
}

int makeDirs(const std::string& dir) {
    std::string path;
    size_t pos = 0;
    while (pos < dir.size()) {
        size_t slash = dir.find('/', pos + 1);
        if (slash == std::string::npos) slash = dir.size();
        path = dir.substr(0, slash);
        struct stat st;
        if (stat(path.c_str(), &st) != 0) {
            if (mkdir(path.c_str(), 0777) != 0) {
                qvcprint("Cannot create directory: %s.\n", path.c_str());
                return -1;
            }
        } else if (!S_ISDIR(st.st_mode)) {
            qvcprint("Cannot create directory: %s.\n", path.c_str());
            return -1;
        }
        pos = slash;
    }
    return 0;
}

std::string baseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

int qvc_package(const char* packfile, const std::vector<std::string>& sources) {
    struct stat st;
    if (stat(packfile, &st) == 0 && !S_ISCHR(st.st_mode) && !S_ISBLK(st.st_mode)) {
        qvcprint("File %s already exists.  Package aborted.\n", packfile);
        return -1;
    }
    // A device is written as it is; any other package is a new file, never one planted
    // under the name after the check above.
    bool device = stat(packfile, &st) == 0;
    int out = device ? open(packfile, O_WRONLY | O_CLOEXEC)
                     : open(packfile, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0) {
        qvcperror("Cannot create %s", packfile);
        return -1;
    }
    int result = 0;
    for (const std::string& source : sources) {
        std::string log = qvc_getlogname(source.c_str());
        if (!qvc_logexists(source.c_str())) {
            qvcprint("Cannot package %s - no log file.\n", source.c_str());
            if (!result) result = -1;
            continue;
        }
        std::string perm = qvc_getpermname(source.c_str());
        bool withLock = access(perm.c_str(), F_OK) == 0;
        // Names are checked first so that a file is packaged whole or not at all.
        std::string tooLong = memberName(log).size() > 100 ? memberName(log)
                              : withLock && memberName(perm).size() > 100 ? memberName(perm)
                                                                           : "";
        int rc = -2;
        if (!tooLong.empty())
            qvcprint("Name too long: %s\n", tooLong.c_str());
        else
            rc = addMember(out, log);
        if (rc == 0 && withLock) rc = addMember(out, perm);
        if (rc == 0) {
            qvcprint("Packaged %s\n", source.c_str());
        } else {
            if (rc == -1) qvcprint("Error packaging %s\n", source.c_str());
            if (!result) result = -1;
        }
    }
    // Two zero blocks end the archive, as tar programs expect.
    char zeros[2 * blockSize] = {};
    if (!gen_writefull(out, zeros, sizeof zeros)) result = -1;
    if (close(out) != 0) result = -1;
    return result;
}

int qvc_unpackage(const char* packfile, const char* directory,
                  const std::vector<std::string>& files) {
    int in = open(packfile, O_RDONLY);
    if (in < 0) {
        qvcprint("Not a package file: %s.  Unpackage aborted.\n", packfile);
        return -1;
    }
    std::string dir = directory ? directory : ".";
    int result = 0;
    bool first = true;
    for (;;) {
        TarHeader h;
        ssize_t got = read(in, h.bytes, blockSize);
        if (got == 0 && !first) break;
        if (got != blockSize) {
            if (first)
                qvcprint("Not a package file: %s.  Unpackage aborted.\n", packfile);
            else
                qvcprint("Unexpected EOF in package file: %s.\n", packfile);
            result = -1;
            break;
        }
        bool zero = true;
        for (unsigned char b : h.bytes) zero = zero && b == 0;
        if (zero && !first) break;
        bool ok = true;
        long stored = octalField(h, 148, 8, &ok);
        long mode = octalField(h, 100, 8, &ok);
        long uid = octalField(h, 108, 8, &ok);
        long gid = octalField(h, 116, 8, &ok);
        long size = octalField(h, 124, 12, &ok);
        long mtime = octalField(h, 136, 12, &ok);
        std::string name(reinterpret_cast<char*>(h.bytes), strnlen(reinterpret_cast<char*>(h.bytes), 100));
        if (!ok || name.empty() || name.find("..") != std::string::npos || name[0] == '/') {
            qvcprint("Not a package file: %s.  Unpackage aborted.\n", packfile);
            result = -1;
            break;
        }
        if (stored != long(checksum(h))) {
            qvcprint("Checksum does not match: %d != %d\n", int(stored), int(checksum(h)));
            result = -1;
            break;
        }
        first = false;
        bool wanted = files.empty();
        for (const std::string& f : files) wanted = wanted || baseName(f) == baseName(name);
        std::string target = dir + "/" + name;
        int out = -1;
        if (wanted) {
            std::string parent = target.substr(0, target.rfind('/'));
            if (makeDirs(parent) < 0) {
                result = -1;
                wanted = false;
            } else if (name.rfind("qvc.log/", 0) == 0) {
                std::string logdir = dir + "/qvc.log";
                makeDirs(logdir + "/qvc.lok");
                makeDirs(logdir + "/qvc.sem");
            }
        }
        if (wanted && access(target.c_str(), F_OK) == 0) {
            qvcprint("File %s already exists, not overwritten.\n", target.c_str());
            wanted = false;
        }
        if (wanted) {
            out = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
            if (out < 0) {
                qvcperror("Cannot create %s", target.c_str());
                result = -1;
            }
        }
        long left = size;
        bool eof = false;
        while (left > 0) {
            char buf[blockSize];
            if (!readAll(in, buf, blockSize)) {
                eof = true;
                break;
            }
            size_t use = left < blockSize ? size_t(left) : size_t(blockSize);
            if (out >= 0 && !gen_writefull(out, buf, use)) {
                qvcperror("Cannot write %s", target.c_str());
                result = -1;
                close(out);
                out = -1;
            }
            left -= long(use);
        }
        if (out >= 0) {
            // Through the descriptor: the name may have been replaced meanwhile.
            if (fchown(out, uid_t(uid), gid_t(gid)) != 0) {
                // Only the owner's own files can be given away; keep ours.
            }
            fchmod(out, mode_t(mode & 07777));
            struct timespec times[2] = {{time_t(mtime), 0}, {time_t(mtime), 0}};
            futimens(out, times);
            close(out);
            if (!eof) qvcprint("Unpackaged %s.\n", target.c_str());
        }
        if (eof) {
            qvcprint("Unexpected EOF in package file: %s.\n", packfile);
            if (out >= 0 || wanted) unlink(target.c_str());
            result = -1;
            break;
        }
    }
    close(in);
    return result;
}
