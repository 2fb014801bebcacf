// buffer/pool.cc: record pools over huge-page arenas.
#include "buffer/pool.h"

#include <cstring>
#include <sys/mman.h>

#include "runtime/gen.h"

static constexpr size_t arenaSize = 64u << 20;

static void refill(RecordPool& pool) {
    size_t blockBytes = pool.recordSize * pool.blockCount;
    if (pool.arenaLeft < blockBytes) {
        size_t size = blockBytes > arenaSize ? blockBytes : arenaSize;
        void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) gen_errorexit(3, "Out of memory (%d bytes requested)", (int)size);
#ifdef MADV_HUGEPAGE
        madvise(p, size, MADV_HUGEPAGE);
#endif
        pool.arena = (char*)p;
        pool.arenaLeft = size;
    }
    pool.block = pool.arena;
    pool.blockLeft = pool.blockCount;
    pool.arena += blockBytes;
    pool.arenaLeft -= blockBytes;
}

void* PoolTake(RecordPool& pool) {
    pool.inUse++;
    if (void* rec = pool.freeList) {
        pool.freeList = *(void**)rec;
        memset(rec, 0, pool.recordSize);
        return rec;
    }
    // A fresh block is handed out in order, first record first; its memory came zeroed
    // from the system and was never used.
    if (!pool.blockLeft) refill(pool);
    void* rec = pool.block;
    pool.block += pool.recordSize;
    pool.blockLeft--;
    return rec;
}

void PoolGive(RecordPool& pool, void* record) {
    if (!record) return;
    *(void**)record = pool.freeList;
    pool.freeList = record;
    pool.inUse--;
}
