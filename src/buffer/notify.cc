// buffer/notify.cc: the buffer's notifications, passed to the windows of Files that are shown.
#include "buffer/notify.h"

#include <cstdarg>
#include <cstdio>

#include "buffer/file.h"
#include "toolkit/toolkit.h"

Seam<FileViews> fileViews{"FileViews", "editor"};

bool FileShown(const File* file) {
    return file->edits || file->pops;
}

void FileShowChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC, int64_t,
                    int, int64_t oldEndL, int) {
    if (FileShown(file)) fileViews->showChange(file, lS, cS, newEndL, newEndC, oldEndL);
}

void FileRefigureTopLine(File* file) {
    if (FileShown(file)) fileViews->refigureTopLine(file);
}

void FileModifiedUpdate(File* file) {
    if (FileShown(file)) fileViews->modifiedUpdate(file);
}

void FileReadonlySet(File* file) {
    if (FileShown(file)) fileViews->readonlySet(file);
}

void FileTitleUpdate(File* file) {
    if (FileShown(file)) fileViews->titleUpdate(file);
}

void EditSetActiveSelection(File* file, int64_t lS, int cS, int64_t lE, int cE) {
    if (FileShown(file)) fileViews->setActiveSelection(file, lS, cS, lE, cE);
}

int Confirm(const char* format, ...) {
    char text[2048];
    va_list ap;
    va_start(ap, format);
    vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    return WYesNo("Confirm", text, 1);
}
