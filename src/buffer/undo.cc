// buffer/undo.cc: undo record pool and list disposal.
#include "buffer/undo.h"

#include "buffer/pool.h"
#include "runtime/gen.h"

static RecordPool undoPool{sizeof(UndoRec), 100};

UndoRec* UndoNew() {
    return (UndoRec*)PoolTake(undoPool);
}

void UndoFree(UndoRec* rec) {
    if (!rec) return;
    if (rec->flags & UNDO_GROUP)
        UndoFreeList((UndoRec*)rec->text);
    else
        gen_free(rec->text);
    PoolGive(undoPool, rec);
}

void UndoFreeList(UndoRec* list) {
    while (list) {
        UndoRec* next = list->next;
        UndoFree(list);
        list = next;
    }
}
