// buffer/hooks.h: what the line store asks of the journal, version control and the windows.
// Each is installed by the subsystem that owns it; while unset the line store behaves as for
// a file with no journal, not under version control, shown in no window.
#pragma once

struct File;

struct FileHooks {
    // Crash-journal check when a File is opened for editing: 1 go on, else give up.
    int (*detectCrash)(File* file) = nullptr;
    // Release the File's edit lock if it holds one.
    void (*releaseLock)(File* file) = nullptr;
    // Whether a name is under version control; the check-out question for a missing file
    // answers 0 cancel, 1 new, 2 get, 3 check out.
    int (*underVc)(const char* name) = nullptr;
    int (*askMissingVc)(File* file) = nullptr;
    // Fetch a missing file from version control (get = read-only copy, else check out).
    int (*fetchVc)(File* file, int checkOut) = nullptr;
    // Check a File in when it is stubbed out with check-in-on-close set.
    int (*checkIn)(File* file) = nullptr;
    // Show a message in the File's window.
    void (*message)(File* file, const char* text) = nullptr;
};
extern FileHooks fileHooks;
