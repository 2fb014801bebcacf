// buffer/diff_file.cc: the line difference engine reading editor buffers (its File input).
#include "buffer/diff_file.h"

#include <cstdlib>
#include <cstring>

#include "buffer/file.h"

namespace {

// Sequential reads walk the list from the previous line instead of seeking each time.
File* lastFile = nullptr;
Line* lastLine = nullptr;
int lastNumber = 0;

int fileLineCount(const void* source) {
    const File* file = static_cast<const File*>(source);
    return file->nLines > 0x7ffffffe ? -1 : static_cast<int>(file->nLines);
}

const char* fileLineView(const void* source, int n, size_t* len) {
    File* file = const_cast<File*>(static_cast<const File*>(source));
    Line* line;
    if (file == lastFile && lastLine && n == lastNumber + 1)
        line = lastLine->next;
    else
        line = FileLine(file, n);
    lastFile = file;
    lastLine = line;
    lastNumber = n;
    if (!line) return nullptr;
    *len = (size_t)line->len;
    return FileLineText(file, line);
}

const DiffFileAccess fileAccess = {fileLineCount, fileLineView};

} // namespace

DiffResult* diff_merge(File* oldFile, File* newFile) {
    diff_fileAccess = &fileAccess;
    lastFile = nullptr;
    lastLine = nullptr;
    DiffResult* r = diffFiles(DIFF_FILE, oldFile, 0, DIFF_FILE, newFile, 0, 0, nullptr, nullptr, 1);
    lastFile = nullptr;
    lastLine = nullptr;
    return r;
}
