// buffer/pool.cc: record pools over huge-page arenas.
#include "buffer/pool.h"

#include <csignal>
#include <cstdint>
#include <cstring>
#include <pthread.h>
#include <sys/mman.h>
#include <thread>

#include "runtime/gen.h"

static constexpr size_t arenaSize = 64u << 20;

// First touch of fresh memory costs the kernel's clearing of it, as much as the rest of a
// load: while one arena is used, the next is faulted in on another processor.
struct PoolPrefault {
    char* arena = nullptr;
    size_t size = 0;
    std::thread worker;
};

static char* mapArena(size_t size) {
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) gen_errorexit(3, "Out of memory (%d bytes requested)", (int)size);
#ifdef MADV_HUGEPAGE
    madvise(p, size, MADV_HUGEPAGE);
#endif
    return (char*)p;
}

// Starts faulting in `bytes` of a fresh arena on a helper thread, after the untouched rest
// of the current arena when `current` is set; false when none could start.
static bool startAhead(RecordPool& pool, size_t bytes, bool current = false) {
#ifdef MADV_POPULATE_WRITE
    if (std::thread::hardware_concurrency() < 2) return false;
    auto* a = new PoolPrefault;
    a->size = arenaSize;
    a->arena = mapArena(arenaSize);
    size_t len = bytes < arenaSize ? (bytes + 4095) & ~(size_t)4095 : arenaSize;
    // The current arena from the next huge page on: the pages the caller is writing in now
    // are left to it. (Faulting in writes no byte, so the two never disturb each other.)
    char* rest = nullptr;
    size_t restLen = 0;
    if (current && pool.arena) {
        uintptr_t from = ((uintptr_t)pool.arena + (4u << 20)) & ~(uintptr_t)((2u << 20) - 1);
        uintptr_t end = (uintptr_t)pool.arena + pool.arenaLeft;
        if (from < end) {
            rest = (char*)from;
            restLen = end - from;
        }
    }
    // Signals stay with the main thread: the helper starts with all of them blocked.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    try {
        char* p = a->arena;
        a->worker = std::thread([p, len, rest, restLen] {
            if (rest) madvise(rest, restLen, MADV_POPULATE_WRITE);
            madvise(p, len, MADV_POPULATE_WRITE);
        });
    } catch (...) {
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        munmap(a->arena, a->size);
        delete a;
        return false;
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    pool.ahead = a;
    return true;
#else
    (void)pool;
    (void)bytes;
    return false;
#endif
}

// The arena made ready ahead, once its helper is done (null when there is none).
static PoolPrefault* takeAhead(RecordPool& pool) {
    PoolPrefault* a = pool.ahead;
    pool.ahead = nullptr;
    if (a && a->worker.joinable()) a->worker.join();
    return a;
}

static void refill(RecordPool& pool) {
    size_t blockBytes = pool.recordSize * pool.blockCount;
    if (pool.arenaLeft < blockBytes) {
        size_t size = blockBytes > arenaSize ? blockBytes : arenaSize;
        PoolPrefault* a = size == arenaSize ? takeAhead(pool) : nullptr;
        if (a) {
            pool.arena = a->arena;
            delete a;
        } else {
            pool.arena = mapArena(size);
        }
        pool.arenaLeft = size;
        // More records to come than this arena holds: the next one gets ready meanwhile.
        size_t need = pool.expected * pool.recordSize;
        if (need > pool.arenaLeft && !pool.ahead) startAhead(pool, need - pool.arenaLeft);
    }
    pool.block = pool.arena;
    pool.blockLeft = pool.blockCount;
    pool.arena += blockBytes;
    pool.arenaLeft -= blockBytes;
    size_t handed = pool.blockCount < pool.expected ? pool.blockCount : pool.expected;
    pool.expected -= handed;
}

void PoolExpect(RecordPool& pool, size_t records) {
    pool.expected = records;
    if (!records) {
        // The estimate is over: an arena made ready for it is kept for the next refill.
        if (pool.ahead && pool.ahead->worker.joinable()) pool.ahead->worker.join();
        return;
    }
    size_t need = records * pool.recordSize;
    // The first estimate of a load also covers the rest of the arena in use.
    if (need > pool.arenaLeft && !pool.ahead && pool.arena)
        startAhead(pool, need - pool.arenaLeft, true);
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
