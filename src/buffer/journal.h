// buffer/journal.h: the crash-recovery journal beside each edited file, which is also the
// file's edit lock.
#pragma once

struct File;

// ".NAME.tq~" (snapshot 0) or ".NAME.tq$" (1) in the file's directory; heap string.
char* incr_GetName(File* file, int snapshot);
// When a File is opened for editing: 1 when it may be used.
int incr_DetectCrash(File* file);
// Before the first change of a File: 1 when editing may proceed.
int incr_AcquireLock(File* file);
void incr_ReleaseLock(File* file);
// Writes the journal (after changes) or touches it (none); 1 unless it could not be written.
int incr_SaveEdits(File* file);
int incr_ApplyEdits(File* file, const char* journalName);
int incr_RemoveLockFiles(File* file);
int incr_RecoverCrash(File* file, const char* journalName);
// Opens (creates) the lock file and writes its header; the descriptor, or -1.
int incr_OpenLock(File* file, const char* name, int exclusive);

// The journal timer's work for every File: incr_SaveEdits on each; 1 when all succeeded.
int FilesWriteJournals();
// The journal timer's tick: writes every journal, then re-arms the timer (an ExtraHandle of the
// event loop, or null) for EditIncrFrequency seconds.
void FilesSaveChanges(void* timer);
// Starts the journal timer on the event loop (once; start-up calls it).
void FilesStartJournalTimer();
