// buffer/retemp.cc: rebuilding a File's temp file and line list from a new disk image.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "buffer/file.h"
#include "buffer/synhook.h"
#include "buffer/undo.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/scoped.h"

// Suspends colouring for the lifetime of a rebuild.
struct SynSuspend {
    bool saved = file_synSuspended;
    SynSuspend() { file_synSuspended = true; }
    ~SynSuspend() { file_synSuspended = saved; }
};

int FilexReinitTemp(File* file, int srcFd, int tempFd, int copy) {
    SynSuspend suspend;
    file->synValidLines = 0;
    file->aiCheckpointLine = -1;
    lineTextStamp++;
    if (srcFd < 0) Panic("[FilexReinitTemp] Bad file");
    if (lseek(srcFd, 0, SEEK_SET) < 0) Panic("[FilexReinitTemp] Can't seek temp file");
    if (file->cacheAlloc < 1 || !file->cache) FileCacheInit(file, 32768);
    FileCacheForget(file);
    char* buf = file->cache;
    size_t alloc = (size_t)file->cacheAlloc;
    Line* reuse = file->first;
    int64_t off = 0, lineStart = 0;
    bool carryCr = false;
    size_t lastLen = 0;
    int64_t lastBase = 0;
    auto addLine = [&](int64_t end) {
        int len = (int)(end - lineStart);
        if (reuse) {
            if (reuse->allocLen != lnInFile) gen_free(reuse->text);
            reuse->allocLen = lnInFile;
            reuse->offset = lineStart;
            reuse->len = len;
            reuse = reuse->next;
        } else {
            _FileAppendO(file, lineStart, len);
        }
        lineStart = end + 1;
    };
    for (;;) {
        size_t have = 0;
        if (carryCr) buf[have++] = '\r';
        ssize_t got;
        do {
            got = read(srcFd, buf + have, alloc - have);
        } while (got < 0 && errno == EINTR);
        if (got < 0) Panic("[FilexReinitTemp] Tempfile screwed up");
        have += (size_t)got;
        if (have == 0) break;
        bool atEnd = got == 0;
        carryCr = false;
        size_t n = have;
        if (file->dosMode) {
            if (!atEnd && buf[n - 1] == '\r') {
                carryCr = true;
                n--;
            }
            char* out = buf;
            for (size_t i = 0; i < n; i++) {
                if (buf[i] == '\r' && i + 1 < n && buf[i + 1] == '\n') continue;
                *out++ = buf[i];
            }
            n = (size_t)(out - buf);
        }
        if (copy && n && !gen_writefull(tempFd, buf, n)) return 0;
        for (char* p = buf; (p = (char*)memchr(p, '\n', n - (size_t)(p - buf))); p++)
            addLine(off + (p - buf));
        if (n) {
            lastLen = n;
            lastBase = off;
        }
        off += (int64_t)n;
        if (atEnd) break;
    }
    if (off > lineStart) addLine(off);
    // Lines beyond the new end are gone from the disk image.
    while (reuse) {
        Line* next = reuse->next;
        FileRemove(file, reuse);
        reuse = next;
    }
    if (file->first) file->first->synState[0] = file->first->synState[1] = 0;
    // Every line now reads the new temp file in order from 0, and none is measured yet.
    file->cleanEnd = INT64_MAX;
    file->widestOff = -1;
    file->cacheBase = lastLen ? lastBase : -1;
    file->cacheLen = (int64_t)lastLen;
    return 1;
}

// Copies bytes [at, at + n) of one file to the same offsets of another: in the kernel where
// the file systems allow it, else through a buffer.
static bool copyRange(int from, int to, int64_t at, int64_t n) {
    off_t in = (off_t)at, out = (off_t)at;
    while (n > 0) {
        size_t want = n < ((int64_t)1 << 30) ? (size_t)n : (size_t)1 << 30;
        ssize_t c = copy_file_range(from, &in, to, &out, want, 0);
        if (c > 0) {
            n -= c;
            continue;
        }
        if (c == 0) return false; // the source is shorter than it should be
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return false;
        break;
    }
    std::vector<char> buf(n > 0 ? (size_t)std::min<int64_t>(n, 1 << 20) : 0);
    while (n > 0) {
        size_t want = n < (int64_t)buf.size() ? (size_t)n : buf.size();
        ssize_t r = pread(from, buf.data(), want, in);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        for (ssize_t done = 0; done < r;) {
            ssize_t w = pwrite(to, buf.data() + done, (size_t)(r - done), out);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
            out += w;
        }
        in += r;
        n -= r;
    }
    return true;
}

int FileReTempTail(File* file, int srcFd, Line* from, int64_t startByte, int64_t total) {
    if (!file->tempName || file->dosMode) return 0;
    // The disk file must hold exactly these lines, each followed by LF: a line with an LF of
    // its own would read back as two.
    int widest = 0;
    int64_t widestAt = -1, off = startByte;
    for (Line* l = from; l; l = l->next) {
        if (l->allocLen != lnInFile) {
            if (memchr(l->text, '\n', (size_t)l->len)) return 0;
            int w = LineWidth(l->text, l->len, file->utf8);
            if (w > widest) {
                widest = w;
                widestAt = off;
            }
        }
        off += (int64_t)l->len + 1;
    }
    if (off != total) return 0;
    int temp = CacheOpen(file->tempName, 0);
    if (temp < 0) return 0;
    FileCacheForget(file);
    if (!copyRange(srcFd, temp, startByte, total - startByte) || ftruncate(temp, total) != 0)
        return 0;
    off = startByte;
    lineTextStamp++;
    for (Line* l = from; l; l = l->next) {
        if (l->allocLen != lnInFile) gen_free(l->text);
        l->allocLen = lnInFile;
        l->offset = off;
        off += (int64_t)l->len + 1;
    }
    file->cleanEnd = INT64_MAX;
    file->aiCheckpointLine = -1;
    // The lines before `from` and the temp-file lines after it were measured when this temp
    // file was built; the lines written from their own text were measured above. Unless the
    // widest measured line was among the rewritten ones, that settles maxWidth.
    if (file->widestOff >= 0 && file->widestOff < startByte && file->widestTab == tabsize) {
        if (widest > file->widestW) {
            file->widestW = widest;
            file->widestOff = widestAt;
        }
        file->maxWidth = file->widestW;
    } else {
        FileFindMaxWidth(file);
    }
    return 1;
}

static bool firstFailure = true;

int FileReinitTemp(File* file) {
    OwnedFd src(gen_openregular(file->name));
    if (!src.ok()) Panic("Can't open file: %s", file->name);
    if (file->tempName) CacheClose(file->tempName);
    gen_free(file->tempName);
    file->tempName = TempFileName();
    int temp = file->tempName ? CacheOpen(file->tempName, 1) : -1;
    if (temp < 0) Panic("Can't open temp file: %s", file->name);
    int ok = FilexReinitTemp(file, src.get(), temp, 1);
    src.close();
    if (!ok && firstFailure) {
        firstFailure = false;
        FileFreeContents(file, 0, 1);
        fflush(stdout);
        fputs("No room for tempfile.\n", stderr);
        QuorlError(1, "No room for tempfile");
        gen_callexit(1);
    }
    return ok;
}

// A small buffered writer for building a temp file.
struct TempWriter {
    int fd = -1;
    char buf[8192];
    size_t used = 0;
    bool failed = false;
    void put(const char* p, size_t n) {
        while (n && !failed) {
            size_t room = sizeof buf - used;
            size_t take = n < room ? n : room;
            memcpy(buf + used, p, take);
            used += take;
            p += take;
            n -= take;
            if (used == sizeof buf) flush();
        }
    }
    bool flush() {
        if (used && !gen_writefull(fd, buf, used)) failed = true;
        used = 0;
        return !failed;
    }
};

int FileReTempInsert(File* file, int fd, Line* beforeLine) {
    char* name = TempFileName();
    if (!name) return QuorlError(1, "Can't create tempfile");
    int out = open(name, O_RDWR);
    if (out < 0) {
        unlink(name);
        gen_free(name);
        return QuorlError(1, "Can't create tempfile");
    }
    auto fail = [&](const char* msg) {
        close(out);
        unlink(name);
        gen_free(name);
        return QuorlError(1, "%s", msg);
    };
    TempWriter w;
    w.fd = out;
    Line* l = file->first;
    for (; l && l != beforeLine; l = l->next) {
        FileCache(file, l, 1, 1);
        w.put(FileLineText(file, l), (size_t)l->len);
        w.put("\n", 1);
    }
    char chunk[8192];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) w.put(chunk, (size_t)n);
    for (; l; l = l->next) {
        FileCache(file, l, 1, 1);
        w.put(FileLineText(file, l), (size_t)l->len);
        w.put("\n", 1);
    }
    if (w.failed) return fail("No space for temp file");
    if (!w.flush()) return fail("No space to save tempfile");
    FileResizeCache(file, 32768);
    FileCacheForget(file);
    FileFreeLines(file);
    UndoFreeList(file->undo);
    UndoFreeList(file->redo);
    file->undo = file->redo = nullptr;
    if (file->tempName) CacheClose(file->tempName);
    gen_free(file->tempName);
    file->tempName = TempFileName();
    int temp = file->tempName ? CacheOpen(file->tempName, 1) : -1;
    int ok = 0;
    if (temp >= 0) ok = FilexReinitTemp(file, out, temp, 1);
    close(out);
    unlink(name);
    gen_free(name);
    file->loadSize = 0;
    if (!ok) return QuorlError(1, "No space for temp file");
    return 1;
}
