// buffer/save.cc: writing a File back to disk from its first changed byte, and backups.
#include "buffer/save.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/lockfile.h"
#include "buffer/notify.h"
#include "buffer/registry.h"
#include "buffer/undo.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/scoped.h"
#include "toolkit/toolkit.h"

static constexpr size_t blockSize = 8192;

// Writes through an 8 KiB buffer whose first block is cut short, so that every later write
// starts on an 8 KiB boundary of the file.
struct AlignedWriter {
    int fd;
    char buf[blockSize];
    size_t used = 0;
    size_t cap;
    int64_t written = 0;
    bool failed = false;
    bool cutAfterFirst = false; // cut the file to the first block once it is written

    AlignedWriter(int f, int64_t startOffset) : fd(f) {
        cap = blockSize - (size_t)(startOffset % (int64_t)blockSize);
    }
    void put(const char* p, size_t n) {
        while (n && !failed) {
            size_t take = n < cap - used ? n : cap - used;
            memcpy(buf + used, p, take);
            used += take;
            p += take;
            n -= take;
            if (used == cap) flush();
        }
    }
    bool flush() {
        size_t off = 0;
        while (off < used && !failed) {
            ssize_t w = write(fd, buf + off, used - off);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) failed = true;
            else off += (size_t)w;
        }
        written += (int64_t)used;
        used = 0;
        cap = blockSize;
        if (cutAfterFirst && !failed && written > 0) {
            cutAfterFirst = false;
            if (ftruncate(fd, written) != 0) failed = true;
        }
        return !failed;
    }
};

static File* registeredAs(const char* name, File* except) {
    for (File* f = FileHead(); f; f = f->next)
        if (f != except && f->name && strcmp(f->name, name) == 0) return f;
    return nullptr;
}

static void touchFile(const char* path) {
    utimensat(AT_FDCWD, path, nullptr, 0);
}

SaveStats fileLastSave;

int64_t FileDiskPrefix(File* file, Line** from, int64_t* size) {
    *from = file->first;
    if (file->dosMode || file->loadedAsDos || !file->consistentEnds) {
        *size = FileCurrentSize(file);
        return 0;
    }
    // The untouched run of temp-file lines ends where the first line to write begins: walk
    // back to it from the end, over the lines that need writing only.
    int64_t limit = file->cleanEnd < file->loadSize ? file->cleanEnd : file->loadSize;
    if (file->diskSameUpTo < limit) limit = file->diskSameUpTo;
    int64_t tail = 0;
    Line* l = file->last;
    while (l && !(l->allocLen == lnInFile && l->offset + l->len + 1 <= limit)) {
        tail += (int64_t)l->len + 1;
        l = l->prev;
    }
    int64_t prefix = l ? l->offset + l->len + 1 : 0;
    *from = l ? l->next : file->first;
    *size = prefix + tail;
    return prefix;
}

// Before an in-place save touches anything: the journal of the lines from `from` on and the
// growth of the file must fit on the disk and under the process's file size limit.
static bool roomToSave(File* file, const char* target, Line* from, int64_t size) {
    int64_t journal = 4096;
    for (Line* l = from; l; l = l->next) journal += (int64_t)l->len + 16; // "a N \"" and LF
    int64_t growth = size > file->diskSize ? size - file->diskSize : 0;
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        (size > (int64_t)limit.rlim_cur || journal > (int64_t)limit.rlim_cur)) {
        QuorlError(1, "No space to save file: %s", target);
        return false;
    }
    struct statvfs fs;
    GenStr dir(gen_dirname(target));
    if (statvfs(dir ? dir.get() : ".", &fs) != 0) return true;
    int64_t avail = (int64_t)fs.f_bavail * (int64_t)fs.f_frsize;
    int64_t need = journal + growth;
    if (need <= avail) return true;
    QuorlError(1, "No space to save file: %s (%lld bytes needed, %lld free); nothing was written",
               target, (long long)need, (long long)avail);
    return false;
}

// Save As writes a fresh file beside the target and renames it over the target only once it
// is complete, so that a save stopped at any moment leaves the old target or the new one whole.
// The fresh file keeps the old one's mode and owners, and is never made through a planted link.
// Where that is impossible (owners we cannot give, hard links that must keep sharing the text)
// the target is written in place and cut to length afterwards, under a journal beside it that
// carries the whole new text until the writing is complete. A directory we cannot write takes
// neither the fresh file nor the journal: the save is refused there.
struct NewTarget {
    std::string temp;  // the fresh file while it is written; empty when writing in place
    std::string final; // what it replaces: the target, or what a link at the target names
    File shadow;       // holds the target's lock and journal while it is written in place
    bool finish(bool ok) {
        if (shadow.name) incr_TargetSaveDone(&shadow, ok);
        if (temp.empty()) return true;
        bool moved = ok && rename(temp.c_str(), final.c_str()) == 0;
        if (!moved) unlink(temp.c_str());
        if (moved) syncDirectory(final.c_str());
        temp.clear();
        return moved || !ok;
    }
    ~NewTarget() {
        if (!temp.empty()) unlink(temp.c_str());
        // Stopped part way through writing in place: the journal keeps the new text.
        if (shadow.name) incr_TargetSaveDone(&shadow, false);
    }
    static void syncDirectory(const char* path) {
        GenStr dir(gen_dirname(path));
        int fd = open(dir ? dir.get() : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return;
        fsync(fd);
        close(fd);
    }
};

// The descriptor to write the text of a Save As to; -1 after an error message, -2 when the save
// was refused (no room) with its message.
static int openNewTarget(File* file, const char* target, mode_t mode, int64_t size,
                         NewTarget& fresh) {
    fresh.final = target;
    struct stat st;
    bool exists = stat(target, &st) == 0;
    struct stat lst;
    if (lstat(target, &lst) == 0 && S_ISLNK(lst.st_mode)) {
        // The user named the link: the file it names is replaced, and the link stays.
        GenStr real(realpath(target, nullptr));
        if (!exists || !real) {
            QuorlError(1, "Cannot create file: %s is a link to nothing", target);
            return -1;
        }
        fresh.final = real.get();
    }
    if (exists && !S_ISREG(st.st_mode)) {
        QuorlError(1, "Cannot create file: %s is not a regular file", target);
        return -1;
    }
    int fd = -1;
    if (!(exists && st.st_nlink > 1)) {
        GenStr name(gen_tempname(fresh.final.c_str(), "sv"));
        fd = name ? FileCreateFresh(name.get(), exists ? 0600 : mode, false) : -1;
        if (fd >= 0) fresh.temp = name.get();
        bool kept = fd < 0 || !exists ||
                    ((st.st_uid == geteuid() || fchown(fd, st.st_uid, (gid_t)-1) == 0) &&
                     fchown(fd, (uid_t)-1, st.st_gid) == 0 && fchmod(fd, st.st_mode & 07777) == 0);
        if (!kept) {
            close(fd);
            fresh.finish(false);
            fd = -1;
        }
    }
    // A fresh copy needs room for the whole text while the old one still exists.
    int64_t need = size + 4096 - (fd < 0 && exists ? (int64_t)st.st_size : 0);
    struct statvfs fs;
    GenStr dir(gen_dirname(fresh.final.c_str()));
    if (statvfs(dir ? dir.get() : ".", &fs) == 0 &&
        (int64_t)fs.f_bavail * (int64_t)fs.f_frsize < need) {
        if (fd >= 0) close(fd);
        QuorlError(1, "No space to save file: %s (%lld bytes needed, %lld free); nothing was written",
                   target, (long long)need, (long long)fs.f_bavail * (long long)fs.f_frsize);
        return -2;
    }
    if (fd < 0 && exists && !incr_TargetSaveIntent(file, fresh.final.c_str(), &fresh.shadow))
        return -2;
    if (fd < 0) fd = open(fresh.final.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, mode);
    if (fd < 0) {
        if (fresh.shadow.name) incr_TargetSaveDone(&fresh.shadow, true); // nothing written
        QuorlError(1, "Cannot create file: %s", target);
    }
    return fd;
}

int FileSave(File* file, const char* name, void* ctx) {
    return FilexSave(file, name, 0, 0, ctx);
}

int FileSaveAs(File* file, const char* name, void* ctx) {
    return FilexSave(file, name, 1, 0, ctx);
}

int FileForceSaveAs(File* file, const char* name, void* ctx) {
    return FilexSave(file, name, 1, 1, ctx);
}

int FileSaveNoCheckin(File* file, void* ctx) {
    return FilexSave(file, nullptr, 0, 0, ctx);
}

int FilexSave(File* file, const char* name, int saveAs, int force, void* ctx) {
    if (!file->name && !name) return QuorlError(1, "No filename specified, can't save it");
    bool inPlace = !name || (file->name && strcmp(name, file->name) == 0);
    GenStr target(gen_copy(inPlace ? file->name : name));
    if (!inPlace && !force) {
        struct stat st;
        if ((stat(target.get(), &st) == 0 &&
             !Confirm("File %s exists, save anyway?", target.get())) ||
            (saveAs && registeredAs(target.get(), file) &&
             !Confirm("File %s being edited, replace it?", target.get()))) {
            QuorlError(0, nullptr);
            return 0;
        }
    }
    bool changedOnDisk = false;
    if (inPlace && FileFileChanged(file)) {
        changedOnDisk = true;
        if (!force) {
            int q = FileQuerySave(file);
            if (q < 0) {
                QuorlError(0, nullptr);
                return 0;
            }
            if (q == 0) return 1;
        }
    }

    mode_t mode = (mode_t)(file->mode | 0600);
    Line* from = file->first;
    int64_t startByte = 0;
    int64_t size = FileCurrentSize(file);
    int fd;
    NewTarget fresh;
    if (!inPlace) {
        fd = openNewTarget(file, target.get(), mode, size, fresh);
        if (fd < 0) return fd == -2 ? 0 : -1;
    } else {
        if (file->loadReadOnly)
            return QuorlError(1, "%s lost text when it was loaded: save it under another name",
                              target.get());
        // Only the holder of the edit lock writes the file: two editors never write at once.
        if (file->viewOnly || (!file->haslock && (incr_AcquireLock(file) != 1 || !file->haslock)))
            return QuorlError(1, "%s is being edited elsewhere: not saved", target.get());
        if (!changedOnDisk) startByte = FileDiskPrefix(file, &from, &size);
        if (!roomToSave(file, target.get(), from, size)) return 0;
        if (!file->isNew && !file->backupTried && !FileBackup(file, ctx)) {
            file->backupTried = false;
            return 0;
        }
        // The journal first: from here on the next start can rebuild the new text exactly,
        // whatever part of the file the writing below has reached when it is stopped.
        if (!incr_SaveIntent(file, startByte)) return 0;
        incr_HoldTime(file, size - startByte);
        if (startByte < file->diskSameUpTo) file->diskSameUpTo = startByte;
        fd = open(target.get(), O_WRONLY | O_CREAT | O_CLOEXEC, mode);
        if (fd < 0) return QuorlError(1, "Can't open file for writing: %s", target.get());
        if (lseek(fd, startByte, SEEK_SET) < 0) {
            close(fd);
            return QuorlError(1, "No space to save file: %s", target.get());
        }
    }
    OwnedFd out(fd);
    AlignedWriter w(fd, startByte);
    // Written in place under its journal: cut to its first new block as soon as that is
    // written, so that whatever part the writing reaches holds only new text, whose line ends
    // the next start then reads as they are. Never emptied first: an empty file loads as
    // CR LF, and the journal's lines would be recovered with those ends.
    w.cutAfterFirst = fresh.shadow.name != nullptr;
    const char* end = file->dosMode ? "\r\n" : "\n";
    size_t endLen = strlen(end);
    for (Line* l = from; l && !w.failed; l = l->next) {
        w.put(FileLineText(file, l), (size_t)l->len);
        w.put(end, endLen);
    }
    bool ok = w.flush();
    // A shorter text is cut off only after all of it is written.
    if (ok && inPlace && ftruncate(fd, startByte + w.written) != 0) ok = false;
    if (ok && !inPlace && ftruncate(fd, w.written) != 0) ok = false;
    if (ok && fsync(fd) != 0 && errno != EINVAL) ok = false;
    if (out.close() != 0) ok = false;
    if (!fresh.finish(ok)) {
        QuorlError(1, "Cannot create file: %s", target.get());
        return -1;
    }
    if (!ok) {
        // The journal written before still rebuilds the text; the file's new time is ours.
        if (inPlace) FileSetModTime(file);
        return QuorlError(1, "No space to save file: %s", target.get());
    }
    if (!file->name) return 1;

    file->diskSameUpTo = INT64_MAX;
    int64_t total = startByte + w.written;
    FileResizeCache(file, total);
    file->modified = file->journalDirty = false;
    file->savedOnce = true;
    file->internal = false;
    if (file->haslock) incr_ReleaseLock(file);
    touchFile(target.get());
    // The temp file follows the saved file: only its rewritten tail when the saved bytes are
    // exactly the lines with LF ends, else rebuilt whole and every line measured again.
    auto retemp = [&]() {
        int src = file->dosMode ? -1 : open(target.get(), O_RDONLY);
        int quick = 0;
        if (src >= 0) {
            quick = FileReTempTail(file, src, from, startByte, total);
            close(src);
        }
        if (quick) {
            fileLastSave.tempBytes = total - startByte;
        } else {
            FileReinitTemp(file);
            FileFindMaxWidth(file);
            fileLastSave.tempBytes = total;
        }
    };
    fileLastSave = SaveStats{startByte, w.written, 0};
    if (inPlace) {
        FileSetModTime(file);
        retemp();
        file->loadSize = total;
        file->isNew = false;
        gen_free(file->version);
        file->version = nullptr;
        FileTitleUpdate(file);
    } else if (saveAs) {
        gen_free(file->name);
        file->name = gen_copy(target.get());
        gen_free(file->realName);
        file->realName = nullptr;
        file->vcKnown = false;
        gen_free(file->version);
        file->version = nullptr;
        retemp();
        file->loadSize = total;
        FileSetModTime(file);
        file->isNew = false;
        file->readOnly = false;
        FileReadonlySet(file);
        FileReplaceFile(file, target.get());
        FileTitleUpdate(file);
    }
    FileCacheForget(file);
    if (!inPlace && !saveAs) FileFindMaxWidth(file);
    for (UndoRec* r = file->undo; r; r = r->next) r->flags &= (uint8_t)~UNDO_SAVED;
    for (UndoRec* r = file->redo; r; r = r->next) r->flags &= (uint8_t)~UNDO_SAVED;
    // Typing after a save starts a new record, so the marked one keeps the saved state.
    if (file->undo) file->undo->flags |= UNDO_SAVED | UNDO_CLOSED;
    file->undoBottomOnDisk = file->undo == nullptr;
    // The file on disk now reads in the encoding its bytes have: the File is shown so too.
    if (inPlace || saveAs) FileRecheckUtf8(file);
    FileModifiedUpdate(file);
    return 1;
}

int file_SaveMemoryToDisk(File* file, const char* path) {
    FILE* out = fopen(path, "w");
    if (!out) return 0;
    for (Line* l = file->first; l; l = l->next) {
        fwrite(FileLineText(file, l), 1, (size_t)l->len, out);
        fputc('\n', out);
    }
    return fclose(out) == 0;
}

int FileFileChanged(File* file) {
    if (file->internal) return 1;
    struct stat st;
    bool changed;
    if (!file->name || stat(file->name, &st) != 0)
        changed = file->mtime != 0;
    else
        changed = st.st_mtime != file->mtime || st.st_mtim.tv_nsec != file->mtimeNsec ||
                  st.st_size != file->diskSize;
    if (changed) file->vcKnown = false;
    return changed;
}

int FileQuerySave(File* file) {
    GenStr text(gen_sprintf("File %.200s changed since %s", file->name ? file->name : "",
                            file->savedOnce ? "last saved" : "loaded"));
    int choice = WButtonDialogue("File changed, save anyway?", text.get(),
                                 {"Cancel", "Save Anyway", "Save As...", "Merge"}, 0);
    switch (choice) {
    case 1:
        return 1;
    case 2:
        if (FileShown(file)) fileViews->saveAs(file);
        return file->modified ? -1 : 0;
    case 3:
        // The merge puts its result into the File once done; this save is not made.
        if (FileShown(file)) fileViews->mergeWithDisk(file);
        return -1;
    default:
        return -1;
    }
}

void FileReplaceFile(File* file, const char* name) {
    File* other = name ? registeredAs(name, file) : nullptr;
    if (!other) return;
    if (FileShown(other)) fileViews->replaceFile(other, file);
    FileFree(other);
}

// ---- backups ----

int MakeBackupName(std::string& out, File* file, void*, int force) {
    if ((!editorbackups && !force) || !file->name) return 0;
    std::string target = file->name;
    if (file->realName) {
        size_t slash = target.rfind('/');
        if (file->realName[0] == '/' || slash == std::string::npos)
            target = file->realName;
        else
            target = target.substr(0, slash + 1) + file->realName;
    }
    size_t slash = target.rfind('/');
    size_t baseAt = slash == std::string::npos ? 0 : slash + 1;
    // Old file systems kept 14 bytes of a name: drop two so that the "~" still fits.
    if (target.size() - baseAt >= 14) target.erase(baseAt + 1, 2);
    out = target + "~";
    return 1;
}

int FileBackup(File* file, void* ctx) {
    file->backupTried = true;
    std::string backup;
    if (!MakeBackupName(backup, file, ctx, 0)) return 1;
    // A backup from an earlier load is replaced by a new file, never written through.
    int out = FileCreateFresh(backup, LockFileMode(file->mode), true);
    if (out < 0) return Confirm("Can't create backup file for %s, ok to proceed?", file->name);
    int in = open(file->name, O_RDONLY);
    if (in < 0) {
        close(out);
        return Confirm("Can't make backup file for %s, ok to proceed?", file->name);
    }
    char buf[blockSize];
    ssize_t n;
    bool ok = true;
    while (ok && (n = read(in, buf, sizeof buf)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        ok = write(out, buf, (size_t)n) == n;
    }
    close(in);
    if (close(out) != 0) ok = false;
    if (!ok) return Confirm("No space for backup file, ok to proceed?");
    file->backupMade = true;
    return 1;
}
