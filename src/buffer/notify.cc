// buffer/notify.cc: the buffer's notifications, passed to the windows of Files that are shown.
#include "buffer/notify.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "buffer/file.h"
#include "toolkit/toolkit.h"

Seam<FileViews> fileViews{"FileViews", "editor"};

bool FileShown(const File* file) {
    return file->edits || file->pops;
}

namespace {
FileViewsHold* holds = nullptr; // innermost first

FileViewsHold* holdOf(const File* file) {
    for (FileViewsHold* h = holds; h; h = h->outer)
        if (h->file == file) return h;
    return nullptr;
}
} // namespace

FileViewsHold::FileViewsHold(File* f) : file(f), oldLines(f ? f->nLines : 0), outer(holds) {
    holds = this;
}

FileViewsHold::~FileViewsHold() {
    holds = outer;
    if (from < 1) return;
    if (FileViewsHold* h = holdOf(file)) {
        // An outer hold on the same File tells the windows later.
        if (h->from < 1 || from < h->from) h->from = from;
        if (hasSel) {
            h->hasSel = true;
            h->selLS = selLS, h->selCS = selCS, h->selLE = selLE, h->selCE = selCE;
        }
        return;
    }
    if (!FileShown(file)) return;
    // Whole lines from the first changed one to the end; then the selection the work gave
    // the active window (an undo's).
    fileViews->showChange(file, from, -1, file->nLines, -1, oldLines);
    if (hasSel) fileViews->setActiveSelection(file, selLS, selCS, selLE, selCE);
}

void FileShowChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC, int64_t,
                    int, int64_t oldEndL, int) {
    if (FileViewsHold* h = holdOf(file)) {
        if (h->from < 1 || lS < h->from) h->from = std::max<int64_t>(1, lS);
        return;
    }
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
    if (FileViewsHold* h = holdOf(file)) {
        h->hasSel = true;
        h->selLS = lS, h->selCS = cS, h->selLE = lE, h->selCE = cE;
        return;
    }
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
