// buffer/vchook.h: the buffer's calls into the version-control front end, and the File-level
// version-control operations built on them. The front end installs fileVc; while it is unset
// no File is under version control.
#pragma once

struct File;

struct FileVc {
    int (*underVC)(const char* path) = nullptr;                  // vc_UnderVC
    char* (*getCheckUser)(const char* path) = nullptr;           // vc_GetCheckUser (heap)
    int (*checkInFile)(const char* path, const char* comment) = nullptr;
    int (*checkOutFile)(const char* logHint, const char* path) = nullptr;
    int (*checkOutFileByVersion)(const char* path, const char* version) = nullptr;
    int (*uncheckFile)(const char* ignored, const char* path) = nullptr;
    int (*getOutput)() = nullptr;
    void (*setOutput)(int destination) = nullptr;
    void (*errIgnore)() = nullptr;
    void (*errAlert)(const char* text) = nullptr; // shows text (may be null) and the errors
};
extern FileVc fileVc;

int file_UnderVC(File* file);
// user receives the holder of the check-out (heap, may be null) when given.
int file_IsCheckedOut(File* file, char** user, int* underVC);
int file_CheckIn(File* file, const char* arg);
int file_CheckOut(File* file);
int file_Discard(File* file);
