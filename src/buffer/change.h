// buffer/change.h: changing a File's text, indenting, rectangles, undo and redo.
#pragma once

#include <cstdint>

struct File;
struct Line;
struct UndoRec;

// Replaces the region by text (LF, CR LF or a lone CR separate its lines).
int FileChange(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE,
               const char* text, int64_t textLen, int mergeable);
// undoMode: 0 ordinary, 1 performed by undo (inverse to redo), -1 by redo (inverse to undo).
// undoesNoFinalNl: undo replays a record that added a final line without a terminator, so the
// inverse must not carry the LF the line store added for it.
int FilexChange(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE,
                const char* text, int64_t textLen, int mergeable, int undoMode,
                bool undoesNoFinalNl = false);

int FileIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int64_t lE, int delta);
int FilexIndent(File* file, Line* hint, int64_t hintNo, int64_t lS, int64_t lE, int delta,
                int undoMode);
// The work of FilexIndent on lines lS..lE, starting at their first Line, without telling the
// windows: for callers that indent many lines and show them once.
void FileIndentLines(File* file, Line* first, int64_t lS, int64_t lE, int delta, int undoMode);
// Sets modified and journal-dirty, telling the windows when the File was not modified.
void FileMarkModified(File* file);

int FileRectPaste(File* file, Line* hint, int64_t hintNo, int64_t line, int col,
                  const char* text, int64_t textLen);
int FileRectDel(File* file, Line* hint, int64_t hintNo, int64_t lS, int cS, int64_t lE, int cE);

// Return the first line of the restored region, or -100 when the list is empty.
int64_t FileUndo(File* file, Line* hint, int64_t hintNo);
int64_t FileRedo(File* file, Line* hint, int64_t hintNo);
void FileCloseUndo(File* file);

void FileMergeLines(File* file, Line* line);

// Line primitives; the line must be instantiated.
void LineChange(Line* line, int from, int to, const char* bytes, int n);
void LineIndent(Line* line, int delta, int useTabs, int tabsize);
void LineGrow(Line* line, int extra);
// Display width of a line's leading blanks and tabs, and the index of its first non-white.
int LineIndentWidth(const char* text, int len, int tabsize, int* firstNonWhite);

// Line number of the file as last saved (or as the tag file saw it) -> current number.
int64_t FileLinenoFDiskLineno(File* file, int64_t n);
int64_t FileLinenoFTagLineno(File* file, int64_t n);

// Collects the records pushed onto a list while it lives into one group record.
// Counts the undo records FileUndo has taken off any File's list. While it is unchanged, a
// record remembered from a list is still on it, without walking the list to find out.
uint64_t UndoTakenCount();

struct UndoGroup {
    File* file;
    int undoMode;
    UndoRec* mark;
    int64_t lS = 0, lE = 0;
    int cS = 0, cE = 0;
    UndoGroup(File* f, int mode);
    ~UndoGroup();
    UndoGroup(const UndoGroup&) = delete;
    UndoGroup& operator=(const UndoGroup&) = delete;
};
// Pushes a record onto the undo list (redo with undoMode 1), closing its predecessor.
void UndoPush(File* file, UndoRec* rec, int undoMode);
