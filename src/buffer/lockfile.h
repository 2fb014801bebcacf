// buffer/lockfile.h: creating the files that sit beside a user's file (journals, their pending
// copies, backups) without following a planted link, and the advisory lock that tells a live
// journal from one whose editor is gone.
#pragma once

#include <string>
#include <sys/types.h>

// Creates `path` exclusively and never through a symbolic link; with `replace` an entry
// already there is first removed (only the name: a planted link's target is never touched).
// The descriptor (write-only, close-on-exec), or -1 with errno set.
int FileCreateFresh(const std::string& path, mode_t mode, bool replace);

// Whether an editor process holds the lock on the journal at `path`: 1 held, 0 not held,
// -1 when the file system cannot tell (no advisory locks there) or the journal is missing.
int LockHeld(const std::string& path);

// Takes the lock on the file now named `path` when no one holds it: the read-only descriptor
// that holds it, -1 when another process holds it (errno EWOULDBLOCK) or on failure. A file
// system without advisory locks gives the descriptor unlocked.
int LockTake(const std::string& path);

// Makes `path` appear at once with `header` as its contents and already locked, so that no
// other process ever sees it empty or unlocked: the descriptor holding the lock, -1 with errno
// EEXIST when the name is taken, or -1 on failure.
int LockCreate(const std::string& path, mode_t mode, const void* header, size_t headerLen);

// Puts a fresh journal holding `header`, already locked, in the place of the one at `path`
// whose editor still runs, as long as that one holds no more than `maxSize` bytes (nothing
// but its own header): the descriptor holding the lock, or -1 with errno EBUSY when the
// journal there holds more (or is not a plain file), or another errno on failure.
int LockReplace(const std::string& path, mode_t mode, const void* header, size_t headerLen,
                off_t maxSize);

// The mode of a file written beside one of mode `fileMode` to hold its text: no wider than the
// file, readable and writable by its owner.
mode_t LockFileMode(int fileMode);
