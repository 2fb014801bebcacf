// buffer/registry.h: the list of all Files and the lookups from a name to its File.
#pragma once

struct File;

File* FileHead();
void FilesAddFile(File* file);
void FilesRemoveFile(File* file);
File* FileFLookup(const char* name);
File* FileFBaseName(const char* base);
File* FileFName(const char* name);
File* FileFNameNoApplyEdits(const char* name);
// Called as a File record dies, so that nothing keeps answering with it.
void FileDied(File* file);

// Closes and deletes every File's temp file, detaches its windows and releases its edit
// lock, then closes every temp descriptor.
void FilesAbort();
// Before the program ends on a signal or a lost display: every File with unsaved edits
// writes its journal and keeps it, so that the next start offers the edits.
void FilesKeepJournals();
// Last-chance clean-up at process exit: no temp file outlives the process that made it.
void FilesAtExit();
