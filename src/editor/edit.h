// editor/edit.h: editor windows (interim: a headless record per window until the window
// toolkit's editors land).
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/toolkit.h"

struct File;

struct EditPop {
    File* file;
    int64_t line;
};

struct Edit {
    File* file = nullptr;
    int64_t cursorLine = 1;
    int cursorCol = 0;
    ContextWindow cw;
    std::vector<EditPop> stack; // alternate files
};

int NewEdit(const char* name, int64_t line, int a, int b);
Edit* NewEdit2(const char* name, int64_t line);
int NewEditTag(const char* name, int64_t line, int a, int b);
int EditPush(Edit* edit, File* file, int64_t line);
int _EditLoadFile(Edit* edit, int a, const char* dir, int b);
void EditDestroy(Edit* edit);
// The cursor and primary selection of an editor.
void EditCursor(Edit* edit, int64_t* line, int* col);
void EditSelectionRange(Edit* edit, int64_t* l1, int* c1, int64_t* l2, int* c2);
