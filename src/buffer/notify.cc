// buffer/notify.cc: forwarding the buffer's notifications to whatever windows are installed.
#include "buffer/notify.h"

#include <cstdarg>
#include <cstdio>

#include "toolkit/toolkit.h"

FileNotify fileNotify;

void FileShowChange(File* file, int64_t lS, int cS, int64_t newEndL, int newEndC,
                    int64_t shownOldEndL, int shownOldEndC, int64_t oldEndL, int oldEndC) {
    if (fileNotify.showChange)
        fileNotify.showChange(file, lS, cS, newEndL, newEndC, shownOldEndL, shownOldEndC,
                              oldEndL, oldEndC);
}

void FileUndrawSelection(File* file, int64_t lS, int cS, int64_t lE) {
    if (fileNotify.undrawSelection) fileNotify.undrawSelection(file, lS, cS, lE);
}

void FileRefigureTopLine(File* file) {
    if (fileNotify.refigureTopLine) fileNotify.refigureTopLine(file);
}

void FileModifiedUpdate(File* file) {
    if (fileNotify.modifiedUpdate) fileNotify.modifiedUpdate(file);
}

void EditSetActiveSelection(File* file, int64_t lS, int cS, int64_t lE, int cE) {
    if (fileNotify.setActiveSelection) fileNotify.setActiveSelection(file, lS, cS, lE, cE);
}

int Confirm(const char* format, ...) {
    char text[2048];
    va_list ap;
    va_start(ap, format);
    vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    return WYesNo("Confirm", text, 1);
}
