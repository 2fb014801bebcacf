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
    char* block = pool.arena;
    pool.arena += blockBytes;
    pool.arenaLeft -= blockBytes;
    // Chain the block's records onto the free list, first record first out.
    for (size_t i = pool.blockCount; i-- > 0;) {
        void* rec = block + i * pool.recordSize;
        *(void**)rec = pool.freeList;
        pool.freeList = rec;
    }
}

void* PoolTake(RecordPool& pool) {
    if (!pool.freeList) refill(pool);
    void* rec = pool.freeList;
    pool.freeList = *(void**)rec;
    memset(rec, 0, pool.recordSize);
    pool.inUse++;
    return rec;
}

void PoolGive(RecordPool& pool, void* record) {
    if (!record) return;
    *(void**)record = pool.freeList;
    pool.freeList = record;
    pool.inUse--;
}
