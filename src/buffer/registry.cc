// buffer/registry.cc: the process-wide list of Files, newest first, and name lookups.
#include "buffer/registry.h"

#include <cstring>
#include <sys/stat.h>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "runtime/error.h"
#include <unistd.h>
#include "runtime/gen.h"
#include "runtime/handles.h"

static File* fileList = nullptr;

File* FileHead() {
    return fileList;
}

void FilesAddFile(File* file) {
    bool present = false;
    for (File* f = fileList; f; f = f->next)
        if (f == file) present = true;
    if (!present) {
        file->next = fileList;
        fileList = file;
    }
}

void FilesRemoveFile(File* file) {
    for (File** p = &fileList; *p; p = &(*p)->next) {
        if (*p == file) {
            *p = file->next;
            file->next = nullptr;
            return;
        }
    }
}

void FileDied(File* file) {
    MHandleDie(file);
}

static File* loaded(File* file) {
    if (file && file->stub && !LoadStubFile(file)) return nullptr;
    return file;
}

File* FileFBaseName(const char* base) {
    if (!base) return nullptr;
    for (File* f = fileList; f; f = f->next)
        if (f->name && strcmp(gen_basename(f->name), base) == 0) return f;
    return nullptr;
}

File* FileFLookup(const char* name) {
    if (!name) return nullptr;
    for (File* f = fileList; f; f = f->next)
        if (f->name && strcmp(f->name, name) == 0) return loaded(f);
    struct stat st;
    if (stat(name, &st) == 0) {
        for (File* f = fileList; f; f = f->next) {
            if (!f->name || f->internal) continue;
            if (f->dev == st.st_dev && f->ino == st.st_ino && f->mtime == st.st_mtime &&
                strcmp(gen_basename(f->name), gen_basename(name)) == 0) {
                if (!f->edits) {
                    gen_free(f->name);
                    f->name = gen_copy(name);
                }
                return loaded(f);
            }
        }
    }
    return loaded(FileFBaseName(name));
}

File* FileFName(const char* name) {
    File* f = FileFLookup(name);
    return f ? f : FileFFile(name);
}

File* FileFNameNoApplyEdits(const char* name) {
    File* f = FileFLookup(name);
    return f ? f : FileFFileNoApplyEdits(name);
}

void FilesAbort() {
    for (File* f = fileList; f; f = f->next) {
        if (f->tempName) {
            CacheClose(f->tempName);
            gen_free(f->tempName);
            f->tempName = nullptr;
        }
        f->edits = nullptr;
        f->pops = nullptr;
        if (f->haslock) incr_ReleaseLock(f);
    }
    CacheAbort();
}

void FilesKeepJournals() {
    for (File* f = fileList; f; f = f->next) {
        if (!f->modified || f->viewOnly || f->stub) continue;
        if (!f->haslock) {
            // Edits never journaled: only a lock nobody else holds may be taken without asking.
            if (f->internal || !f->name || f->notAFile) continue;
            f->journalDirty = true;
            GenStr name(incr_GetName(f, 0));
            if (access(name.get(), F_OK) == 0) continue;
            if (incr_AcquireLock(f) != 1 || !f->haslock) continue;
        }
        incr_SaveEdits(f);
        incr_KeepLock(f);
    }
}

static pid_t owner = getpid();

void FilesAtExit() {
    if (getpid() != owner) return; // a forked child must not remove its parent's files
    FilesAbort();
}
