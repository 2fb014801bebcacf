// buffer/save.h: writing Files back to disk, backups, reverting and inserting files.
#pragma once

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
