// buffer/cache.cc: temp files, the descriptor cache and the per-File window on the temp file.
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/linecache.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/scoped.h"

LineCache synCache;

// ---- temp file names ----

static const char tempChars[] =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOOPQRSTUVWXYZ_@";
static unsigned tempCounter = 0;

// Each process keeps its temp files in a directory of its own beside the others, locked while
// the process lives: a later start removes the directories whose owner is gone, with the full
// copies of every file it had loaded.
static constexpr char ownDirPrefix[] = "qeS.";
struct OwnDir {
    std::string base, path;
    int lockFd = -1;
};
static std::vector<OwnDir> ownDirs;

// Removes one of the directories with the temp files in it; fd is the directory open.
static void removeDir(const std::string& path, int fd) {
    if (DIR* inner = fdopendir(dup(fd))) {
        while (dirent* f = readdir(inner))
            if (strcmp(f->d_name, ".") != 0 && strcmp(f->d_name, "..") != 0)
                unlinkat(fd, f->d_name, 0);
        closedir(inner);
    }
    rmdir(path.c_str());
}

static void removeDeadDirs(const std::string& base) {
    DIR* d = opendir(base.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        if (strncmp(e->d_name, ownDirPrefix, sizeof ownDirPrefix - 1) != 0) continue;
        std::string path = base + "/" + e->d_name;
        int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (fstat(fd, &st) == 0 && st.st_uid == geteuid() && flock(fd, LOCK_EX | LOCK_NB) == 0)
            removeDir(path, fd);
        close(fd);
    }
    closedir(d);
}

static const char* ownTempDir(const char* base) {
    for (const OwnDir& o : ownDirs)
        if (o.base == base) return o.path.c_str();
    removeDeadDirs(base);
    OwnDir o;
    o.base = base;
    GenStr stem(gen_sconcat(base, "qeS.XXXXXX"));
    if (!mkdtemp(stem.get())) return nullptr;
    o.path = stem.get();
    o.lockFd = open(o.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (o.lockFd >= 0) flock(o.lockFd, LOCK_EX | LOCK_NB);
    ownDirs.push_back(o);
    return ownDirs.back().path.c_str();
}

char* TempFileName() {
    const char* base = !tempFileDir.empty() ? tempFileDir.c_str() : gen_temp_dir(nullptr);
    const char* dir = ownTempDir(base);
    if (!dir) dir = base;
    char stem[] = "S?XXXXXX";
    stem[1] = tempChars[tempCounter % 64];
    char* path = gen_sconcat(dir, stem);
    int fd = mkstemp(path); // mktemp's name, created 0600 at once so nobody can race us
    if (fd < 0 && dir != base) { // our directory went: the temp directory itself will do
        gen_free(path);
        path = gen_sconcat(base, stem);
        fd = mkstemp(path);
    }
    if (fd < 0) {
        gen_free(path);
        return nullptr;
    }
    fchmod(fd, 0600);
    close(fd);
    tempCounter++;
    return path;
}

// ---- the descriptor cache: up to 5 temp files open, most recently used first ----

struct CacheSlot {
    const char* key = nullptr; // the name pointer it was opened under
    char* name = nullptr;
    int fd = -1;
};
static constexpr int cacheSlots = 5;
static CacheSlot slots[cacheSlots];

static void closeSlot(CacheSlot& s) {
    if (s.fd >= 0) close(s.fd);
    gen_free(s.name);
    s = CacheSlot{};
}

static int findSlot(const char* name) {
    for (int i = 0; i < cacheSlots; i++)
        if (slots[i].name && slots[i].key == name) return i;
    for (int i = 0; i < cacheSlots; i++)
        if (slots[i].name && strcmp(slots[i].name, name) == 0) return i;
    return -1;
}

int CacheOpen(const char* name, int rewind) {
    if (!name) return -1;
    int i = findSlot(name);
    if (i < 0) {
        for (i = 0; i < cacheSlots && slots[i].name; i++) {
        }
        if (i == cacheSlots) {
            i = cacheSlots - 1; // least recently used
            closeSlot(slots[i]);
        }
        int fd = open(name, O_RDWR);
        if (fd < 0) return -1;
        slots[i].fd = fd;
        slots[i].name = gen_copy(name);
    }
    slots[i].key = name;
    CacheSlot entry = slots[i];
    memmove(&slots[1], &slots[0], sizeof(CacheSlot) * (size_t)i);
    slots[0] = entry;
    if (rewind) lseek(entry.fd, 0, SEEK_SET);
    return entry.fd;
}

void CacheClose(const char* name) {
    if (!name) return;
    int i = findSlot(name);
    if (i >= 0) {
        closeSlot(slots[i]);
        memmove(&slots[i], &slots[i + 1], sizeof(CacheSlot) * (size_t)(cacheSlots - 1 - i));
        slots[cacheSlots - 1] = CacheSlot{};
    }
    unlink(name);
}

void CacheAbort() {
    for (auto& s : slots) {
        if (s.name) unlink(s.name);
        closeSlot(s);
    }
    // What is still in the directory belongs to Files nobody freed (the private texts of a
    // compare window open at the end): nothing else may use them now.
    for (OwnDir& o : ownDirs) {
        if (o.lockFd >= 0) {
            removeDir(o.path, o.lockFd);
            close(o.lockFd);
        } else {
            rmdir(o.path.c_str());
        }
    }
    ownDirs.clear();
}

// ---- the cache window ----

static int64_t roundCache(int64_t size) {
    int64_t r = (size + 8191) / 8192 * 8192;
    if (r > 32768) r = 32768;
    if (r < 8192) r = 8192;
    return r;
}

void FileCacheInit(File* file, int64_t size) {
    gen_free(file->cache);
    file->cacheAlloc = roundCache(size);
    file->cache = (char*)gen_alloc(1, (size_t)file->cacheAlloc + 1);
    file->cacheLen = 0;
    file->cacheBase = -1;
}

void FileResizeCache(File* file, int64_t size) {
    int64_t want = roundCache(size);
    if (want == file->cacheAlloc && file->cache) return;
    FileCacheInit(file, want);
}

static LineCacheRef FileOwnCache(File* file) {
    return LineCacheRef{file->cache, file->cacheAlloc, file->cacheLen, file->cacheBase};
}

static void fillWindow(File* file, LineCacheRef& c, Line* line, int64_t start, int64_t end,
                       int mode) {
    if (end - start > c.alloc) {
        c.alloc = end - start;
        gen_free(c.data);
        c.data = (char*)gen_alloc(1, (size_t)c.alloc + 1);
    }
    int fd = CacheOpen(file->tempName, mode == 1);
    if (fd < 0) Panic("Tempfile vanished");
    off_t saved = mode == 2 ? lseek(fd, 0, SEEK_CUR) : 0;
    if (lseek(fd, start, SEEK_SET) < 0) Panic("Can't seek tempfile");
    if (end - start > c.alloc) Panic("[Edit] Internal data structure screwup");
    int64_t got = 0;
    while (got < end - start) {
        ssize_t n = read(fd, c.data + got, (size_t)(end - start - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    if (mode == 2) lseek(fd, saved, SEEK_SET);
    c.data[got] = 0;
    c.len = got;
    c.base = start;
    if (line && start + got < line->offset + line->len) {
        c.len = 0;
        c.base = -1;
        Panic("Tempfile shrunk");
    }
}

void FileCache(File* file, Line* line, int64_t count, int mode) {
    LineCacheRef c = mode == 2 ? LineCacheRef{synCache.data, synCache.alloc, synCache.len,
                                              synCache.base}
                               : FileOwnCache(file);
    if (mode == 2 && synCache.file != file) {
        synCache.len = 0;
        synCache.base = -1;
        synCache.file = file;
    }
    if (count == -1) count = 1;
    if (c.alloc <= 0 || !c.data) {
        if (mode == 1) gen_free(c.data);
        c.alloc = 32768;
        c.data = (char*)gen_alloc(1, (size_t)c.alloc + 1);
        c.len = 0;
        c.base = -1;
    }
    auto done = [&]() {
        if (mode == 2) {
            synCache.data = c.data;
            synCache.alloc = c.alloc;
            synCache.len = c.len;
            synCache.base = c.base;
        } else {
            file->cache = c.data;
            file->cacheAlloc = c.alloc;
            file->cacheLen = c.len;
            file->cacheBase = c.base;
        }
    };
    if (!file->first || !line) {
        c.len = 0;
        c.base = -1;
        done();
        return;
    }
    // Whole-file shortcut: everything up to the last temp-file line fits in the window.
    Line* last = file->last;
    if (last->allocLen == lnInFile && last->offset + last->len < c.alloc) {
        int64_t end = last->offset + last->len;
        if (!(c.base == 0 && c.len >= end)) {
            ScopeGuard publish(done);
            fillWindow(file, c, line->allocLen == lnInFile ? line : nullptr, 0, end, mode);
            return;
        }
        done();
        return;
    }
    Line* target = nullptr;
    int64_t start, end;
    if (count >= 1) {
        Line* l = line;
        for (int64_t i = 0; l && i < count && l->allocLen != lnInFile; i++) l = l->next;
        if (!l || l->allocLen != lnInFile) {
            done();
            return;
        }
        target = l;
        if (c.base >= 0 && l->offset >= c.base && l->offset + l->len <= c.base + c.len) {
            done();
            return;
        }
        start = l->offset & ~(int64_t)1023;
        end = l->offset + l->len;
        if (start + c.alloc > end) end = start + c.alloc;
        end = (end + 1023) & ~(int64_t)1023;
    } else {
        Line* l = line;
        for (int64_t i = 0; l && i < -count + 1 && l->allocLen != lnInFile; i++) l = l->prev;
        if (!l || l->allocLen != lnInFile) {
            done();
            return;
        }
        target = l;
        if (c.base >= 0 && l->offset >= c.base && l->offset + l->len <= c.base + c.len) {
            done();
            return;
        }
        end = (l->offset + l->len + 1023) & ~(int64_t)1023;
        start = l->offset;
        if (end - c.alloc < start) start = end - c.alloc;
        start &= ~(int64_t)1023;
        if (start < 0) {
            end -= start;
            start = 0;
        }
    }
    ScopeGuard publish(done);
    fillWindow(file, c, target, start, end, mode);
}

void FileCacheForget(File* file) {
    file->cacheLen = 0;
    file->cacheBase = -1;
    if (synCache.file == file) {
        synCache.len = 0;
        synCache.base = -1;
        synCache.file = nullptr;
    }
}

const char* FileLineText(File* file, Line* line) {
    if (line->allocLen != lnInFile) return line->text;
    if (file->cacheBase < 0 || line->offset < file->cacheBase ||
        line->offset + line->len > file->cacheBase + file->cacheLen)
        FileCache(file, line, 1, 1);
    return file->cache + (line->offset - file->cacheBase);
}

void FileInstanciateLine(File* file, Line* line) {
    if (line->allocLen != lnInFile) return;
    FileTouchLine(file, line);
    lineTextStamp++;
    const char* src = FileLineText(file, line);
    int32_t alloc = line->len + 10;
    char* text = (char*)gen_alloc(1, (size_t)alloc + 1);
    memcpy(text, src, (size_t)line->len);
    text[line->len] = 0;
    line->text = text;
    line->allocLen = alloc;
}
