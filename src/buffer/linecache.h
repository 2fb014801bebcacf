// buffer/linecache.h: a window on a temp file, either a File's own or the shared one that
// syntax colouring reads through (FileCache mode 2).
#pragma once

#include <cstdint>

struct File;

struct LineCache {
    char* data = nullptr;   // alloc + 1 bytes
    int64_t alloc = 0;
    int64_t len = 0;
    int64_t base = -1;      // temp-file offset of data[0]
    File* file = nullptr;   // whose temp file the window shows
};
extern LineCache synCache;

struct LineCacheRef {
    char* data;
    int64_t alloc;
    int64_t len;
    int64_t base;
};
