// buffer/file.h: File and Line records, the temp-file line store and its cache.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

struct Edit;          // an editor window showing a File (editor/)
struct EditPop;       // an alternate-file stack entry (editor/)
struct Language;      // a syntax language definition (lang/)
struct AIndentEngine; // the automatic indenter's saved parser (indent/)
struct UndoRec;       // one undo record (buffer/undo.h)

constexpr int32_t lnInFile = -1; // allocLen of a line whose text lives only in the temp file

struct Line {
    union {
        char* text;     // instantiated: the line's own NUL-terminated text
        int64_t offset; // otherwise: offset of its first byte in the temp file
    };
    Line* prev;
    Line* next;
    int32_t len;         // bytes of text, without the terminator
    int32_t allocLen;    // capacity of text, or lnInFile
    uint32_t synState[2]; // colouring state and aux word at the start of the line
};

struct File {
    File* next = nullptr;        // next in the list of all Files
    Edit* edits = nullptr;       // first editor window showing the File
    Edit* lastEdit = nullptr;    // window used for messages about it
    EditPop* pops = nullptr;     // first alternate-file entry referring to it
    char* name = nullptr;        // path as given
    time_t mtime = 0;
    long mtimeNsec = 0;          // the nanoseconds of mtime
    int64_t diskSize = 0;
    int mode = 0;                // st_mode & 0777
    dev_t dev = (dev_t)-1;
    ino_t ino = (ino_t)-1;
    char* tempName = nullptr;
    char* cache = nullptr;       // cacheAlloc + 1 bytes
    int64_t cacheAlloc = 0;
    int64_t cacheLen = 0;
    int64_t cacheBase = -1;      // temp-file offset of cache[0]; -1 when freed
    Line* first = nullptr;
    Line* last = nullptr;
    int64_t nLines = 0;
    // The line FileLine found last and its number: lookups without a hint start from it, so
    // that a run of edits in the middle of a huge File does not walk from an end each time.
    // The list primitives keep it right or drop it.
    Line* lookLine = nullptr;
    int64_t lookNo = 0;
    int maxWidth = 0;
    // The lines still read from the temp file whose text ends (offset + len + 1) at or below
    // cleanEnd are untouched since the temp file was built; they come first in the list and
    // cover the temp file from 0 without a gap. The list primitives lower it whenever a line
    // of that run is changed, removed or gets a new neighbour, so that a save finds the bytes
    // it need not rewrite by looking only at the lines after them.
    int64_t cleanEnd = INT64_MAX;
    // The widest line read from the temp file among those measured since the temp file was
    // built: its temp offset (-1 when unknown), its width and the tab size it was measured
    // with. A save that keeps that line need not measure the untouched lines again.
    int64_t widestOff = -1;
    int widestW = 0;
    int widestTab = 0;
    int64_t loadSize = 0;        // disk size when the temp file was last built from it
    // The bytes of the file on disk below this offset are still those the temp file was built
    // from; a save that failed part way lowers it to where its writing began.
    int64_t diskSameUpTo = INT64_MAX;
    int lockFd = -1;             // holds the advisory lock on the journal while haslock
    UndoRec* undo = nullptr;
    UndoRec* redo = nullptr;
    int indentSize = 4;
    int adaIndentSize = 3;
    int adaContinuationSize = 2;
    int wrapIndent = 2;
    int16_t wrapColumn = 79;
    char* realName = nullptr;    // target of the symbolic link `name` denotes
    const Language* language = nullptr;
    int64_t synValidLines = 0;
    // Lines far below synValidLines that were drawn got states computed from a nearby sync
    // point instead of from the top: lines synProvFrom to synProvTo, good while lineTextStamp
    // still equals synProvStamp. The exact states replace them as synValidLines passes.
    int64_t synProvFrom = 0;
    int64_t synProvTo = -1;
    uint64_t synProvStamp = 0;
    int64_t aiCheckpointLine = -1;
    AIndentEngine* aiCheckpoint = nullptr;
    int aiCheckpointKey = 0;     // the indent settings the saved parser was made with
    char* version = nullptr;     // version-control version string the File carries, if any

    // flags
    bool backupTried = false;
    bool backupMade = false;
    bool readOnly = false;
    bool loadReadOnly = false;   // the load lost text (a line cut short): never written back
    bool isNew = false;
    bool journalDirty = false;
    bool modified = false;
    bool savedOnce = false;
    bool undoBottomOnDisk = true; // undoing every record gets back to the file on disk
    bool haslock = false;
    bool viewOnly = false;
    bool stub = false;
    bool notAFile = false;       // a scratch buffer, never saved as a file
    bool internal = false;
    bool dosMode = false;
    // Shown and edited as UTF-8: the file was valid UTF-8 when loaded (an empty File is).
    // Otherwise each byte is one character, as in Latin-1.
    bool utf8 = true;
    // A UTF-8 File into which an edit put bytes that are not UTF-8: they show as U+FFFD,
    // and the next save decides the encoding again from the whole text.
    bool badUtf8 = false;
    // Bytes from 0x80 on may be in the text (seen at load or inserted since).
    bool nonAscii = false;
    bool loadedAsDos = false;
    bool consistentEnds = false;
    bool wordWrap = false;
    bool marginColumn = false;   // asks its windows for a narrow column left of the text
    bool noReload = false;       // a stub that must not be reloaded from disk
    bool vcKnown = false;
    bool underVc = false;
    bool checkedOut = false;
    bool checkinOnClose = false;
    bool fromVc = false;
    bool noAutoCheckout = false;

    // command output (buffer/exec.h, editor/execwin.cc)
    struct ExecRecord* exec = nullptr; // the command writing into the File, while it runs
    bool running = false;              // a command writes into the File
    bool terminated = false;           // the user halted that command
    std::string execString;            // what the command's caller keeps with the output
    std::string execDir;               // where the command ran; relative names start there
    int64_t errorLine = 0;             // the current error line of error navigation, 0 none
    int64_t currentLine = 0;           // the cursor line its windows last showed, 0 never shown
};

// ---- opening and loading ----
File* FileFFile(const char* name);
File* FileFFileNoApplyEdits(const char* name);
File* FileF_File(const char* name, int registerIt);
File* FileFString(File* file, const char* bytes, int64_t length);
File* FileFInternal(const char* label);
int FileCanAccess(const char* name, struct stat* st);
void FileFillup(File* file, int64_t size);
// 0 on failure; fileLoadAborted then tells whether the user (Escape) or a signal stopped it.
int FileLoad(File* file, int tempFd, int srcFd, int64_t startOffset, Line* beforeLine);
extern bool fileLoadAborted;
void FileSetModTime(File* file);
void FileFree(File* file);
void FileFreeContents(File* file, int all, int withUndo);
void FileStubout(File* file);
int LoadStubFile(File* file);

// ---- lines ----
Line* FileLine(File* file, int64_t n, Line* hint = nullptr, int64_t hintNo = 0);
int64_t FileLineno(File* file, const Line* line);
const char* FileLineText(File* file, Line* line);
void FileCache(File* file, Line* line, int64_t count, int mode);
void FileInstanciateLine(File* file, Line* line);
void FileSetMaxW(File* file, Line* line);
void FileFindMaxWidth(File* file);
// An edit left bytes that are not UTF-8 in a UTF-8 File: a File that held only ASCII is shown
// as Latin-1 from now on (nothing shown before changes), any other is marked badUtf8.
void FileSawNotUtf8(File* file);
// Decides the encoding again from the whole text (after a save, as the next load would):
// for a Latin-1 File or one marked badUtf8. True when it changed.
bool FileRecheckUtf8(File* file);
// Whether the characters from a few bytes before s[from] up to the one starting at s[to]
// are UTF-8: the seams and the inside of new text at [from, to) of a line's bytes s[0, n).
bool Utf8AroundChange(const char* s, size_t n, size_t from, size_t to);
void FileLineCols(File* file, Line* line1, Line* line2, int* col1, int* col2);
// The display column of byte index `index` of a line (bytes past the end count one each);
// utf8: the File's characters are UTF-8 (its `utf8`).
int LineCols(const char* text, int len, int index, bool utf8);
// A line's width as maxWidth counts it; in a UTF-8 File (utf8) a character beyond ASCII counts
// its display width (a wide one two, a combining mark none) instead of its bytes.
int LineWidth(const char* text, int len, bool utf8);
// The width of a line of width w (as LineWidth counts it) once these bytes are appended.
int LineWidthFrom(int w, const char* text, int len, bool utf8);
int64_t FileCurrentSize(File* file);
char* FileToStr(File* file, Line* hint, int64_t hintNo, int64_t l1, int c1, int64_t l2, int c2,
                int64_t* len);
char* FileRectToStr(File* file, Line* hint, int64_t hintNo, int64_t l1, int c1, int64_t l2,
                    int c2, int64_t* len);
void FileCacheInit(File* file, int64_t size);
void FileResizeCache(File* file, int64_t size);
void FileCacheForget(File* file); // the temp file changed: drop every window on it

// Moves on whenever any line's text changes or a Line record is taken or given back, so that
// a width remembered for a line can tell whether it still holds.
extern uint64_t lineTextStamp;

// ---- list primitives (underscore forms do not widen maxWidth) ----
Line* LineNew();            // a zeroed Line from the pool
// About `count` more Lines are coming (a load's estimate): their memory is made ready
// meanwhile. 0 when the estimate ends.
void FileExpectLines(int64_t count);
void LineFree(Line* line);  // frees its text and returns it to the pool
void _FileAppendL(File* file, Line* line);
void _FileInsertL(File* file, Line* before, Line* line);
void FileAppendL(File* file, Line* line);
void FileInsertL(File* file, Line* before, Line* line);
Line* FileAppendS(File* file, const char* bytes, int n);
Line* FileInsertS(File* file, Line* before, const char* bytes, int n);
Line* _FileAppendO(File* file, int64_t offset, int len);
Line* _FileInsertO(File* file, Line* before, int64_t offset, int len);
Line* FileAppendO(File* file, int64_t offset, int len);
Line* FileInsertO(File* file, Line* before, int64_t offset, int len);
void FileRemove(File* file, Line* line);
void FileFreeLines(File* file);
// Set once the process is about to end: Files freed from then on leave their Line records to
// go with the process instead of returning 28 million of them to the pool one by one.
extern bool fileLinesGoWithProcess;

// A line is about to change or go: when it is read from the temp file, it and every line
// after it leave the untouched run at the start of the temp file (cleanEnd).
inline void FileTouchLine(File* file, const Line* line) {
    if (line && line->allocLen == lnInFile && line->offset < file->cleanEnd)
        file->cleanEnd = line->offset;
}

// ---- temp files ----
char* TempFileName();
int CacheOpen(const char* name, int rewind);
void CacheClose(const char* name);
void CacheAbort();
int FilexReinitTemp(File* file, int srcFd, int tempFd, int copy);
int FileReinitTemp(File* file);
// After the lines from `from` on were written, each followed by LF, to the file behind srcFd
// from byte startByte on, so that it now holds total bytes, and the lines before `from` are
// the untouched run of the temp file: makes the temp file hold the same bytes by copying only
// that tail, points the written lines at it and settles maxWidth. Returns 0 when it cannot;
// the temp file must then be rebuilt whole.
int FileReTempTail(File* file, int srcFd, Line* from, int64_t startByte, int64_t total);
int FileReTempInsert(File* file, int fd, Line* beforeLine);
