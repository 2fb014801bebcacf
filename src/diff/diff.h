// diff/diff.h: the line difference engine (symbol table, five pairing passes, move
// resolution, edit scripts) and its result record.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct DiffSymbol {
    const char* text = nullptr; // the line's text, newline included as read: len bytes
    int len = 0;                // (copied texts also end in a NUL; mapped ones do not)
    int hash = -1;              // 30-bit hash
    int oldCount = 0;           // unpaired occurrences in the old file
    int newCount = 0;           // unpaired occurrences in the new file
    int oldLine = 0;            // while reading: the last old line with this text
    unsigned tag = 0;           // more bits of the text's hash, for the engine's table
};

// One line of a side; 8 bytes, as a comparison of two million lines keeps four million.
struct DiffLine {
    unsigned matched : 1; // 0 or 1
    int other : 31;       // partner line when matched (the symbol index after an unpairing)
    int symbol;           // index into ST
};

// The result of one comparison; the caller frees it with diff_free. ST holds one entry per
// distinct text (maxsym of them); the texts may point into the compared files, which stay
// mapped until diff_free.
struct DiffResult {
    DiffLine* OA;   // old lines 1..oldmax, sentinel at oldmax + 1
    DiffLine* NA;   // new lines 1..newmax, sentinel at newmax + 1
    DiffSymbol* ST; // maxsym entries
    int oldmax;
    int newmax;
    int maxsym;
    void* storage = nullptr; // the copied texts and the mapped files
};

// The text of a symbol.
inline std::string diff_symtext(const DiffResult* r, int symbol) {
    return std::string(r->ST[symbol].text, (size_t)r->ST[symbol].len);
}

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
    // Text of line n (1-based) and its length, valid until the next call; null when there
    // is no such line.
    const char* (*lineView)(const void* source, int n, size_t* len);
};
extern const DiffFileAccess* diff_fileAccess;

// Where the engine's failure messages go (standard output unless redirected).
extern void (*diff_message)(const char* text);

// Exposed for tests: the hash of a text and its size including the NUL.
unsigned diff_hash(const char* text, int* size);
// The table size chosen for a total line count, or 0 when it is too large.
int diff_tablesize(long totalLines);
