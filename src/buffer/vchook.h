// buffer/vchook.h: what the buffer asks of the version-control front end, and the File-level
// version-control operations built on it. The buffer declares the interface; the front end
// implements it and installs it at start-up. Without it (a test of the buffer alone)
// file_VcFrontEnd() is null and no File is under version control.
#pragma once

#include "runtime/seam.h"

struct File;

struct FileVcFrontEnd {
    virtual int underVC(const char* path) = 0;        // 1 when the file is under control
    virtual char* getCheckUser(const char* path) = 0; // who has it checked out (heap), or null
    virtual int checkInFile(const char* path, const char* comment) = 0;
    virtual int checkOutFile(const char* path) = 0;
    virtual int checkOutFileByVersion(const char* path, const char* version) = 0;
    virtual int uncheckFile(const char* path) = 0;
    // Where its messages go (-1 its quiet buffer); the previous destination.
    virtual int setOutput(int destination) = 0;
    virtual void errIgnore() = 0;
    virtual void errAlert(const char* text) = 0; // shows text (may be null) and the errors
    // The question for a missing file under control: 0 cancel, 1 new, 2 get, 3 check out.
    virtual int askMissing(File* file) = 0;
    // Fetches a missing file: a read-only copy, or checked out.
    virtual int fetch(File* file, bool checkOut) = 0;
    // Checks in a File stubbed out with check-in-on-close set (asks for the comment).
    virtual int checkInOnClose(File* file) = 0;

protected:
    ~FileVcFrontEnd() = default;
};
extern Seam<FileVcFrontEnd> fileVc;

// The installed front end, or null when there is none.
FileVcFrontEnd* file_VcFrontEnd();

int file_UnderVC(File* file);
// user receives the holder of the check-out (heap, may be null) when given.
int file_IsCheckedOut(File* file, char** user, int* underVC);
int file_CheckIn(File* file, const char* arg);
int file_CheckOut(File* file);
int file_Discard(File* file);
// Gives the check-out up without asking (the caller has asked): 1 when done.
int file_Uncheck(File* file);
