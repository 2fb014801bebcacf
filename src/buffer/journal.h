// buffer/journal.h: the crash-recovery journal beside each edited file, which is also the
// file's edit lock.
#pragma once

#include <cstdint>

struct File;

// ".NAME.tq~" (snapshot 0) or ".NAME.tq$" (1) in the file's directory; heap string.
char* incr_GetName(File* file, int snapshot);
// When a File is opened for editing: 1 when it may be used.
int incr_DetectCrash(File* file);
// Before the first change of a File: 1 when editing may proceed.
int incr_AcquireLock(File* file);
void incr_ReleaseLock(File* file);
// Lets go of the lock but keeps the journal, which then counts as stale: the edits in it stay
// recoverable after the program ends on a signal or a lost display.
void incr_KeepLock(File* file);
// Before a save writes the file from byte startByte on: a journal that names only bytes
// below startByte and carries every line after them, so that whatever the writing leaves
// there the next start recovers the text exactly. Takes the lock if needed; 1 when written.
int incr_SaveIntent(File* file, int64_t startByte);
// Before a Save As writes over another file in place (one with hard links, or whose owners a
// fresh copy could not keep): takes that file's lock in `shadow` (an empty File used for its
// name only) and writes beside it a journal carrying all of `file`'s text, so that whatever
// the writing leaves there the next start offers the new text whole. 1 when written; else
// nothing was touched and the reason was told.
int incr_TargetSaveIntent(File* file, const char* target, File* shadow);
// After that save: the journal goes when it succeeded, and stays (stale) when it failed.
void incr_TargetSaveDone(File* shadow, bool ok);
// Moves the journal's time ahead of the writes of a save still to come (bytesLeft bytes).
void incr_HoldTime(File* file, int64_t bytesLeft);
// Writes the journal (after changes) or touches it (none); 1 unless it could not be written.
int incr_SaveEdits(File* file);
int incr_ApplyEdits(File* file, const char* journalName);
int incr_RemoveLockFiles(File* file);
int incr_RecoverCrash(File* file, const char* journalName);
// Opens (creates) the lock file and writes its header; the descriptor, or -1.
int incr_OpenLock(File* file, const char* name, int exclusive);

// The journal timer's work for every File: incr_SaveEdits on each; 1 when all succeeded.
int FilesWriteJournals();
// The journal timer's pass (run about every second, nowMs a monotonic clock): every
// journal is written or refreshed once EditIncrFrequency seconds have passed since the last
// time, read afresh each pass so that a changed setting counts at once; and as soon as typing
// has paused for two seconds when a File has changes no journal holds yet.
void FilesSaveChanges(int64_t nowMs);
// Starts the journal timer on the event loop (once; start-up calls it).
void FilesStartJournalTimer();
