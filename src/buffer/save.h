// buffer/save.h: writing Files back to disk, backups, reverting and inserting files.
#pragma once

#include <cstdint>
#include <string>

struct File;
struct Line;

// 1 on success, 0 on failure, -1 when the target cannot be created.
int FileSave(File* file, const char* name, void* ctx);
int FileSaveAs(File* file, const char* name, void* ctx);
int FileForceSaveAs(File* file, const char* name, void* ctx);
int FileSaveNoCheckin(File* file, void* ctx);
int FilexSave(File* file, const char* name, int saveAs, int force, void* ctx);
int file_SaveMemoryToDisk(File* file, const char* path);

// The bytes at the start of the file on disk that already hold what the File holds: those of
// the leading lines still read, untouched, from a temp file built from the file as it is on
// disk. *from receives the first line after them, *size the bytes the whole File takes.
int64_t FileDiskPrefix(File* file, Line** from, int64_t* size);

// What the last successful save wrote: the file offset it started at, the bytes it wrote to
// the file and the bytes it copied into the rebuilt temp file.
struct SaveStats {
    int64_t fileFrom = 0;
    int64_t fileBytes = 0;
    int64_t tempBytes = 0;
};
extern SaveStats fileLastSave;

int FileFileChanged(File* file);
// The changed-on-disk question: -1 cancel, 1 save anyway, 0 handled otherwise.
int FileQuerySave(File* file);

int FileBackup(File* file, void* ctx);
// The backup name; 0 when no backup is wanted (backups off and not forced).
int MakeBackupName(std::string& name, File* file, void* ctx, int force);

int FileReplaceWithFile(File* file, const char* path);
int FileRevert(File* file);
int FileSemiRevert(File* file);
int FileRestoreFromBackup(File* file, void* ctx);
int FileInsertFile(File* file, Line* beforeLine, const char* path);

// Another File registered under name is replaced by file in every view, then freed.
void FileReplaceFile(File* file, const char* name);
