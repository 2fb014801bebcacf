// buffer/revert.cc: replacing a File's text by the disk or backup copy, and inserting files.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/notify.h"
#include "buffer/save.h"
#include "buffer/undo.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/scoped.h"

// A file whose last byte is not an LF would run into the line it is inserted before: give
// FileReTempInsert a copy that ends with one. Returns the descriptor to read (maybe `fd`).
static int withFinalLf(int fd, std::string& copyName) {
    struct stat st;
    char last = '\n';
    if (fstat(fd, &st) != 0 || st.st_size == 0 || pread(fd, &last, 1, st.st_size - 1) != 1 ||
        last == '\n')
        return fd;
    GenStr name(TempFileName());
    if (!name) return fd;
    int out = open(name.get(), O_RDWR | O_TRUNC);
    if (out < 0) {
        unlink(name.get());
        return fd;
    }
    char buf[8192];
    ssize_t n;
    bool ok = true;
    while (ok && (n = read(fd, buf, sizeof buf)) > 0) ok = write(out, buf, (size_t)n) == n;
    if (!ok || write(out, "\n", 1) != 1) {
        close(out);
        unlink(name.get());
        lseek(fd, 0, SEEK_SET);
        return fd;
    }
    copyName = name.get();
    lseek(out, 0, SEEK_SET);
    close(fd);
    return out;
}

int FileInsertFile(File* file, Line* beforeLine, const char* path) {
    if (!file->tempName) return 0;
    OwnedFd fd(gen_openregular(path));
    if (!fd.ok()) {
        if (errno == EACCES) return QuorlError(1, "Can not read file (protected): %s", path);
        if (errno == EINVAL || errno == EISDIR) return QuorlError(1, "Not a regular file: %s", path);
        return QuorlError(1, "No such file: %s", path);
    }
    std::string copyName;
    if (beforeLine) fd = OwnedFd(withFinalLf(fd.release(), copyName));
    ScopeGuard removeCopy([&copyName] {
        if (!copyName.empty()) unlink(copyName.c_str());
    });
    int64_t at = beforeLine ? FileLineno(file, beforeLine) : file->nLines + 1;
    int64_t had = file->nLines;
    bool wasModified = file->modified;
    int ok = FileReTempInsert(file, fd.get(), beforeLine);
    if (!ok) return QuorlError(1, "No space in tempfile to insert file: %s", path);
    int64_t added = file->nLines - had;
    if (added > 0) {
        file->modified = file->journalDirty = true;
        UndoRec* rec = UndoNew();
        rec->lS = (int32_t)at;
        rec->lE = (int32_t)(at + added);
        rec->text = gen_copy("");
        rec->flags = UNDO_CLOSED;
        file->undo = rec;
        file->undoBottomOnDisk = !wasModified;
        FileModifiedUpdate(file);
    }
    FileFindMaxWidth(file);
    incr_SaveEdits(file);
    return 1;
}

int FileReplaceWithFile(File* file, const char* path) {
    FileFreeLines(file);
    UndoFreeList(file->undo);
    UndoFreeList(file->redo);
    file->undo = file->redo = nullptr;
    FileCacheForget(file);
    // The file's time before its text: a change made while it is read then shows as a change
    // at the next save instead of passing for the text read.
    FileSetModTime(file);
    int ok = FileInsertFile(file, nullptr, path);
    UndoFreeList(file->undo);
    file->undo = nullptr;
    file->undoBottomOnDisk = true;
    file->modified = false;
    file->journalDirty = true;
    file->loadSize = 0;
    if (!ok) {
        file->isNew = true;
        file->savedOnce = false;
    }
    FileRefigureTopLine(file);
    FileModifiedUpdate(file);
    return ok;
}

int FileRevert(File* file) {
    if (!file->name) return 0;
    // The disk state needs no journal.
    if (file->haslock) incr_ReleaseLock(file);
    int ok = FileReplaceWithFile(file, file->name);
    file->journalDirty = file->modified;
    file->readOnly = (!file->isNew && access(file->name, W_OK) != 0) || file->loadReadOnly;
    file->vcKnown = false;
    FileReadonlySet(file);
    FileModifiedUpdate(file);
    return ok;
}

int FileSemiRevert(File* file) {
    UndoRec* undo = file->undo;
    UndoRec* redo = file->redo;
    file->undo = file->redo = nullptr;
    int64_t size = file->diskSize, lines = file->nLines;
    int ok = FileRevert(file);
    if (ok && file->diskSize == size && file->nLines == lines) {
        file->undo = undo;
        file->redo = redo;
        file->undoBottomOnDisk = false;
    } else {
        UndoFreeList(undo);
        UndoFreeList(redo);
    }
    return ok;
}

int FileRestoreFromBackup(File* file, void* ctx) {
    if (!file->name) return 0;
    std::string backup;
    if (!MakeBackupName(backup, file, ctx, 1)) {
        QuorlError(1, "Can't find backup file.");
        return -1;
    }
    if (access(backup.c_str(), R_OK) != 0) return QuorlError(1, "No backup file: %s", backup.c_str());
    int ok = FileReplaceWithFile(file, backup.c_str());
    file->modified = file->journalDirty = true;
    file->undoBottomOnDisk = false;
    FileModifiedUpdate(file);
    return ok;
}
