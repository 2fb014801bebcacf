// buffer/notify.h: what the buffer tells the windows showing a File. The buffer declares the
// interface; the editor implements it and installs it at start-up. The buffer only calls it
// for a File that some window shows, so a File shown nowhere (in a test, a benchmark) needs
// no windows; a File that is shown while nothing is installed is an assertion.
#pragma once

#include <cstdint>

#include "runtime/seam.h"

struct File;

struct FileViews {
    // The region lS/cS to oldEndL changed; its new text ends at newEndL/newEndC.
    virtual void showChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC,
                            int64_t oldEndL) = 0;
    virtual void refigureTopLine(File* file) = 0;
    virtual void modifiedUpdate(File* file) = 0;
    virtual void readonlySet(File* file) = 0;
    virtual void titleUpdate(File* file) = 0; // after a save
    // The selection of the window last used on the File, set and read back (for undo).
    virtual void setActiveSelection(File* file, int64_t lS, int cS, int64_t lE, int cE) = 0;
    virtual bool getActiveSelection(File* file, int64_t* lS, int* cS, int64_t* lE,
                                    int* cE) = 0;
    // Every window showing `old` shows `by` from now on (`old` is about to be freed).
    virtual void replaceFile(File* old, File* by) = 0;
    // The "Save As..." answer of the changed-on-disk question: the File saved under a name the
    // user chooses.
    virtual void saveAs(File* file) = 0;
    // The "Merge" answer: the file on disk merged with the File's edits, the result in the File.
    virtual void mergeWithDisk(File* file) = 0;

protected:
    ~FileViews() = default;
};
extern Seam<FileViews> fileViews;

// Whether any window shows the File (only then are its views told anything).
bool FileShown(const File* file);

// While one is open on a File, its windows are not told of each change nor given each
// selection: when the outermost closes they are told once that everything from the first
// changed line on changed, and given the last selection. (A
// replace-all of a million matches, or its undo, then redraws once, not a million times.)
struct FileViewsHold {
    explicit FileViewsHold(File* file);
    ~FileViewsHold();
    FileViewsHold(const FileViewsHold&) = delete;
    FileViewsHold& operator=(const FileViewsHold&) = delete;

    File* file;
    int64_t oldLines;   // the File's line count when it opened
    int64_t from = -1;  // the first line changed since, -1 none
    bool hasSel = false; // the active window's selection set meanwhile
    int64_t selLS = 0, selLE = 0;
    int selCS = 0, selCE = 0;
    FileViewsHold* outer;
};

void FileShowChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC,
                    int64_t shownOldEndL, int shownOldEndC, int64_t oldEndL, int oldEndC);
void FileRefigureTopLine(File* file);
void FileModifiedUpdate(File* file);
void FileReadonlySet(File* file);
void FileTitleUpdate(File* file);
void EditSetActiveSelection(File* file, int64_t lS, int cS, int64_t lE, int cE);

// The editor's yes/no question; nonzero for yes.
int Confirm(const char* format, ...) __attribute__((format(printf, 1, 2)));
