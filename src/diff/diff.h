// diff/diff.h: the line difference engine (symbol table, five pairing passes, move
// resolution, edit scripts) and its result record.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct DiffNode {
    int line;       // old line number
    DiffNode* next; // next lower line with the same text
    DiffNode* prev; // next higher one, so that pairing unlinks a line at once
};

struct DiffSymbol {
    int hash = -1;               // 30-bit hash, -1 for an empty slot
    DiffNode* oldLines = nullptr; // unpaired old occurrences, highest line first
    char* text = nullptr;        // private copy, newline included as read
    int oldCount = 0;            // unpaired occurrences in the old file
    int newCount = 0;            // unpaired occurrences in the new file
    DiffNode* oldTail = nullptr; // last node of oldLines: the lowest unpaired line
};

struct DiffLine {
    int matched; // 0 or 1
    int other;   // partner line when matched (the symbol index after an unpairing)
    int symbol;  // index into ST
};

// The result of one comparison; the caller frees it with diff_free.
struct DiffResult {
    DiffLine* OA;     // old lines 1..oldmax, sentinel at oldmax + 1
    DiffLine* NA;     // new lines 1..newmax, sentinel at newmax + 1
    DiffSymbol* ST;   // maxsym entries
    DiffNode* Oblock; // list nodes, one per old line
    int oldmax;
    int newmax;
    int maxsym;
    void* texts = nullptr; // the blocks the symbols' texts live in
};

// Input kinds of one side of a comparison.
enum DiffKind { DIFF_FILE = 1, DIFF_MEMORY = 2, DIFF_PATH = 3, DIFF_STREAM = 4 };

using DiffScript = std::vector<std::string>;

DiffResult* diff_qvc(const char* oldPath, int newCount, FILE* newStream, int* scriptCount,
                     DiffScript* script);
DiffResult* diff_qvc2(const char* oldPath, const char* newPath, int* scriptCount,
                      DiffScript* script);
DiffResult* diff_mem(int oldCount, const char* const* oldLines, int newCount,
                     const char* const* newLines, int* scriptCount, DiffScript* script);
DiffResult* diff_text(const char* oldPath, const char* newPath);
void diff_free(DiffResult* result);

// The common driver; sources are a File*, a const char* const*, a path or a FILE* by kind.
DiffResult* diffFiles(int oldKind, const void* oldSource, int oldCount, int newKind,
                      const void* newSource, int newCount, int wantScript, int* scriptCount,
                      DiffScript* script, int resolveMoves);

// How the engine reads an editor buffer (kind 1); the buffer side (buffer/diff_file.h) fills
// it in, so the engine itself does not depend on the line store.
struct DiffFileAccess {
    int (*lineCount)(const void* source);
    // Text of line n (1-based) as a NUL-terminated string valid until the next call.
    const char* (*lineText)(const void* source, int n);
};
extern const DiffFileAccess* diff_fileAccess;

// Where the engine's failure messages go (standard output unless redirected).
extern void (*diff_message)(const char* text);

// Exposed for tests: the hash of a text and its size including the NUL.
unsigned diff_hash(const char* text, int* size);
// The table size chosen for a total line count, or 0 when it is too large.
int diff_tablesize(long totalLines);
