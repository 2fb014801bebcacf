// buffer/pool.h: fixed-size record pools refilled a block at a time.
#pragma once

#include <cstddef>

struct PoolPrefault; // the arena being made ready ahead of need (pool.cc)

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
    size_t expected = 0;         // records the caller said are still to come
    PoolPrefault* ahead = nullptr;
};

void* PoolTake(RecordPool& pool);
void PoolGive(RecordPool& pool, void* record);
// About `records` more records will be taken soon (a load that has estimated its remaining
// lines): the memory of the next arena they need is faulted in by a helper thread on another
// processor meanwhile, only as much of it as the estimate asks for. 0 ends the estimate.
void PoolExpect(RecordPool& pool, size_t records);
