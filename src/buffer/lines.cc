// buffer/lines.cc: the Line pool, the line list primitives and line lookup.
#include <cstring>

#include "buffer/file.h"
#include "buffer/pool.h"
#include "buffer/synhook.h"
#include "runtime/gen.h"

Seam<FileColouring> fileColouring{"FileColouring", "colouring engine"};
bool file_synSuspended = false;

LanguageId FileLanguageId(const File* file) {
    FileColouring* colouring = fileColouring.find();
    return colouring && file->language ? colouring->languageId(file->language) : LANG_NONE;
}

static RecordPool linePool{sizeof(Line), 200};
uint64_t lineTextStamp = 0;

Line* LineNew() {
    lineTextStamp++;
    Line* line = (Line*)PoolTake(linePool);
    line->allocLen = lnInFile;
    return line;
}

void FileExpectLines(int64_t count) {
    PoolExpect(linePool, count > 0 ? (size_t)count : 0);
}

void LineFree(Line* line) {
    if (!line) return;
    lineTextStamp++;
    if (line->allocLen != lnInFile) gen_free(line->text);
    line->allocLen = lnInFile;
    PoolGive(linePool, line);
}

static inline void setState(File* file, Line* line) {
    if (!line) return;
    if (!line->prev) {
        line->synState[0] = line->synState[1] = 0;
        return;
    }
    if (file_synSuspended) return;
    if (FileColouring* colouring = fileColouring.find()) colouring->setLineState(file, line);
}

void _FileInsertL(File* file, Line* before, Line* line) {
    // The untouched run stays an unbroken prefix: the line the new one goes before leaves it,
    // and a temp-file line joins it only by continuing it at the end of the list.
    FileTouchLine(file, before);
    if (line->allocLen == lnInFile && line->offset < file->cleanEnd) {
        Line* prev = before ? before->prev : file->last;
        bool continues;
        if (before)
            continues = false;
        else if (!prev)
            continues = line->offset == 0;
        else // (its end then lies below cleanEnd too)
            continues = prev->allocLen == lnInFile && prev->offset + prev->len + 1 == line->offset;
        if (!continues) file->cleanEnd = line->offset;
    }
    if (!before) {
        line->prev = file->last;
        line->next = nullptr;
        if (file->last)
            file->last->next = line;
        else
            file->first = line;
        file->last = line;
    } else {
        line->next = before;
        line->prev = before->prev;
        if (before->prev)
            before->prev->next = line;
        else
            file->first = line;
        before->prev = line;
    }
    file->nLines++;
    if (file->lookLine) {
        if (before == file->lookLine)
            file->lookNo++; // the new line went in just above it
        else if (line->prev != file->lookLine)
            file->lookLine = nullptr; // somewhere else: its number is unknown
    }
    setState(file, line);
    if (before) setState(file, before);
}

void _FileAppendL(File* file, Line* line) {
    _FileInsertL(file, nullptr, line);
}

void FileInsertL(File* file, Line* before, Line* line) {
    _FileInsertL(file, before, line);
    FileSetMaxW(file, line);
}

void FileAppendL(File* file, Line* line) {
    FileInsertL(file, nullptr, line);
}

Line* FileInsertS(File* file, Line* before, const char* bytes, int n) {
    Line* line = LineNew();
    if (n < 0) n = 0;
    line->allocLen = n + 10;
    line->text = (char*)gen_alloc(1, (size_t)line->allocLen + 1);
    if (n) memcpy(line->text, bytes, (size_t)n);
    line->len = n;
    FileInsertL(file, before, line);
    return line;
}

Line* FileAppendS(File* file, const char* bytes, int n) {
    return FileInsertS(file, nullptr, bytes, n);
}

Line* _FileInsertO(File* file, Line* before, int64_t offset, int len) {
    Line* line = LineNew();
    line->offset = offset;
    line->len = len;
    _FileInsertL(file, before, line);
    return line;
}

Line* _FileAppendO(File* file, int64_t offset, int len) {
    return _FileInsertO(file, nullptr, offset, len);
}

Line* FileInsertO(File* file, Line* before, int64_t offset, int len) {
    Line* line = _FileInsertO(file, before, offset, len);
    FileSetMaxW(file, line);
    return line;
}

Line* FileAppendO(File* file, int64_t offset, int len) {
    return FileInsertO(file, nullptr, offset, len);
}

void FileRemove(File* file, Line* line) {
    if (!line) return;
    FileTouchLine(file, line);
    Line* next = line->next;
    if (line->prev)
        line->prev->next = next;
    else
        file->first = next;
    if (next)
        next->prev = line->prev;
    else
        file->last = line->prev;
    file->nLines--;
    if (file->lookLine) {
        if (line == file->lookLine)
            file->lookLine = next; // the next line takes its number
        else if (next == file->lookLine)
            file->lookNo--;
        else if (line->prev != file->lookLine)
            file->lookLine = nullptr;
        if (!file->lookLine) file->lookNo = 0;
    }
    LineFree(line);
    setState(file, next);
}

bool fileLinesGoWithProcess = false;

void FileFreeLines(File* file) {
    for (Line* l = fileLinesGoWithProcess ? nullptr : file->first; l;) {
        Line* next = l->next;
        LineFree(l);
        l = next;
    }
    file->first = file->last = nullptr;
    file->nLines = 0;
    file->lookLine = nullptr;
    file->lookNo = 0;
    file->cleanEnd = INT64_MAX;
    file->widestOff = -1;
}

Line* FileLine(File* file, int64_t n, Line* hint, int64_t hintNo) {
    if (n > file->nLines || !file->first) return nullptr;
    if (n < 1) return file->first;
    // Walk from whichever known line is nearest: the first, the last or the hint.
    int64_t lower = 1, upper = file->nLines;
    Line* lowLine = file->first;
    Line* upLine = file->last;
    auto consider = [&](Line* known, int64_t knownNo) {
        if (!known || knownNo < 1 || knownNo > file->nLines) return;
        if (knownNo <= n && knownNo > lower) {
            lower = knownNo;
            lowLine = known;
        } else if (knownNo > n && knownNo < upper) {
            upper = knownNo;
            upLine = known;
        }
    };
    consider(hint, hintNo);
    consider(file->lookLine, file->lookNo);
    Line* l;
    if (n - lower > upper - n) {
        l = upLine;
        for (int64_t i = upper; i > n; i--) l = l->prev;
    } else {
        l = lowLine;
        for (int64_t i = lower; i < n; i++) l = l->next;
    }
    file->lookLine = l;
    file->lookNo = n;
    return l;
}

int64_t FileLineno(File* file, const Line* line) {
    if (!line) return file->nLines + 1;
    int64_t n = 1;
    for (const Line* l = file->first; l; l = l->next, n++)
        if (l == line) return n;
    return -1;
}
