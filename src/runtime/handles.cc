// runtime/handles.cc: the live-handle table (sorted by data address) and the handle log.
#include "runtime/handles.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "runtime/gen.h"

unsigned char gen_handleLogging = 0;
const char* gen_handleLogPath = nullptr;

static struct {
    MHandle** table;
    int used;
    int capacity;
} mht = {nullptr, 0, 0};

static FILE* handleLog = nullptr;

const char* MHandleKindWord(int kind) {
    static const char* const words[] = {"BUILDER", "EDITOR",   "ITEM", "FILE",
                                        "PROCESS", "EXTRAPRS", "OTHER"};
    return (kind >= 1 && kind <= 7) ? words[kind - 1] : "UNKNOWN";
}

static FILE* logFile() {
    if (handleLog) return handleLog;
    std::string path;
    if (gen_handleLogPath) {
        path = gen_handleLogPath;
    } else {
        const char* prog = gen_progname && *gen_progname ? gen_progname : "quorl";
        GenStr name(gen_concat(prog, "-handles.log"));
        GenStr full(gen_sconcat(gen_temp_dir(nullptr), name.get()));
        path = full.get();
    }
    handleLog = fopen(path.c_str(), "a");
    return handleLog;
}

void MHandleCloseLog() {
    if (handleLog) fclose(handleLog);
    handleLog = nullptr;
}

static void logLine(const char* verb, const MHandle* h) {
    FILE* f = logFile();
    if (!f) return;
    fprintf(f, "%s handle for %-8s with data 0x%lx and handle 0x%lx\n", verb,
            MHandleKindWord(h->kind), (unsigned long)(uintptr_t)h->data,
            (unsigned long)(uintptr_t)h);
    fflush(f);
}

// Binary search on the data address: the index of its handle, or -1 with *insertAt set to the
// place where it would go.
static int findPos(const void* data, int* insertAt) {
    uintptr_t key = (uintptr_t)data;
    int lo = 0, hi = mht.used;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        uintptr_t at = (uintptr_t)mht.table[mid]->data;
        if (at == key) return mid;
        if (at < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (insertAt) *insertAt = lo;
    return -1;
}

static void removeAt(int pos) {
    for (int i = pos; i + 1 < mht.used; i++) mht.table[i] = mht.table[i + 1];
    mht.used--;
}

MHandle* MHandleCreate(int kind, void* data) {
    int insertAt = 0;
    int pos = findPos(data, &insertAt);
    if (pos >= 0) {
        MHandle* h = mht.table[pos];
        if (h->kind != kind && gen_handleLogging) {
            static const char report[] =
                "Program Error:\n"
                "  MHandleCreate called with same data pointer but different type.\n"
                "  Probably because memory is being reused but old handle wasn't destroyed.\n"
                "  The count on this handle is now inappropriate.\n";
            fflush(stdout);
            fputs(report, stderr);
            fflush(stderr);
            if (FILE* f = logFile()) {
                fputs(report, f);
                fflush(f);
            }
        }
        h->count++;
        return h;
    }
    if (mht.used == mht.capacity) {
        mht.capacity += 10;
        mht.table = (MHandle**)gen_realloc(mht.table, (size_t)mht.capacity * sizeof(MHandle*));
    }
    MHandle* h = (MHandle*)gen_alloc(1, sizeof(MHandle));
    *h = MHandle{kind, data, 1, false};
    for (int i = mht.used; i > insertAt; i--) mht.table[i] = mht.table[i - 1];
    mht.table[insertAt] = h;
    mht.used++;
    if (gen_handleLogging) logLine("Create", h);
    return h;
}

MHandle* MHandleCopy(MHandle* handle) {
    if (handle) handle->count++;
    return handle;
}

void MHandleDestroy(MHandle* handle) {
    if (!handle) return;
    if (--handle->count > 0) return;
    if (!handle->dead) {
        int pos = findPos(handle->data, nullptr);
        __Assert(pos >= 0, "pos >= 0", "handles", __LINE__, 0);
        __Assert(mht.table[pos] == handle, "mht.table[pos] == h", "handles", __LINE__, 0);
        removeAt(pos);
    }
    if (gen_handleLogging) logLine("Free  ", handle);
    gen_free(handle);
}

void* MHandleGetData(const MHandle* handle) {
    return handle && !handle->dead ? handle->data : nullptr;
}

void MHandleDie(void* data) {
    int pos = findPos(data, nullptr);
    if (pos < 0) return;
    mht.table[pos]->dead = true;
    removeAt(pos);
}

int MHandleTableCount() {
    return mht.used;
}

int MHandleTableCapacity() {
    return mht.capacity;
}

const MHandle* MHandleTableAt(int index) {
    return index >= 0 && index < mht.used ? mht.table[index] : nullptr;
}
