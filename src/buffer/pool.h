// buffer/pool.h: fixed-size record pools refilled a block at a time.
#pragma once

#include <cstddef>

// Hands out zeroed records of one size from blocks of `blockCount`, carved out of large
// arenas so that loading millions of lines touches fresh memory in huge pages.
struct RecordPool {
    size_t recordSize;
    size_t blockCount;
    void* freeList = nullptr;    // records given back
    char* block = nullptr;       // the current block's records not yet handed out
    size_t blockLeft = 0;
    char* arena = nullptr;
    size_t arenaLeft = 0;
    size_t inUse = 0;
};

void* PoolTake(RecordPool& pool);
void PoolGive(RecordPool& pool, void* record);
