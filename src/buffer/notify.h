// buffer/notify.h: what the buffer tells the windows showing a File, and the few questions it
// hands to the editor. The editor installs these; while unset a File is shown in no window.
#pragma once

#include <cstdint>

struct File;
struct Line;
struct Edit;
struct EditPop;

struct FileNotify {
    // EditsShowChange and PopsShowChange over the File's window chain and alternate entries.
    void (*showChange)(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC,
                       int64_t shownOldEndL, int shownOldEndC, int64_t oldEndL,
                       int oldEndC) = nullptr;
    void (*undrawSelection)(File* file, int64_t lS, int cS, int64_t lE) = nullptr;
    void (*refigureTopLine)(File* file) = nullptr;
    void (*modifiedUpdate)(File* file) = nullptr;   // EditsModifiedUpdate
    void (*readonlySet)(File* file) = nullptr;      // EditsReadonlySet
    void (*titleUpdate)(File* file) = nullptr;      // after a save
    // EditSetActiveSelection, and reading it back (false when no window shows the File).
    void (*setActiveSelection)(File* file, int64_t lS, int cS, int64_t lE, int cE) = nullptr;
    bool (*getActiveSelection)(File* file, int64_t* lS, int* cS, int64_t* lE, int* cE) = nullptr;
    // A single indented line's first non-white index moved from oldIndex to newIndex.
    void (*indentMoved)(File* file, int64_t line, int oldIndex, int newIndex) = nullptr;
    // EditReplaceFile and PopReplaceFile: every view of `old` now shows `by`.
    void (*replaceFile)(File* old, File* by) = nullptr;
    // The "Save As..." and "Merge" answers of the changed-on-disk query.
    void (*saveAs)(File* file) = nullptr;
    void (*merge)(File* file) = nullptr;
    // The link to the next window (alternate entry) showing the same File, owned by the
    // editor records; FileRemoveEdit and FileRemovePop unlink through it.
    Edit** (*nextEditLink)(Edit* edit) = nullptr;
    EditPop** (*nextPopLink)(EditPop* pop) = nullptr;
    // Marks an editor window stopped and read-only (or not); false when `edit` is no editor
    // window.
    bool (*lockWindow)(Edit* edit, int on) = nullptr;
    // The file chooser's name expansion (ExpandFileName); heap string.
    char* (*expandFileName)(const char* name) = nullptr;
};
extern FileNotify fileNotify;

void FileShowChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC,
                    int64_t shownOldEndL, int shownOldEndC, int64_t oldEndL, int oldEndC);
void FileUndrawSelection(File* file, int64_t lS, int cS, int64_t lE);
void FileRefigureTopLine(File* file);
void FileModifiedUpdate(File* file);
void EditSetActiveSelection(File* file, int64_t lS, int cS, int64_t lE, int cE);

// The editor's yes/no question; nonzero for yes.
int Confirm(const char* format, ...) __attribute__((format(printf, 1, 2)));
