// buffer/undo.h: undo records and the File's undo and redo lists.
#pragma once

#include <cstdint>

struct File;

enum UndoFlags : uint8_t {
    UNDO_CLOSED = 0x80,   // no further typing merges into it
    UNDO_GROUP = 0x40,    // text points at the member records
    UNDO_TAGS = 0x20,     // the state the tag file describes
    UNDO_SAVED = 0x10,    // the state on disk
    UNDO_NOFINALNL = 0x08,
};

struct UndoRec {
    UndoRec* next;        // next older record of the same list
    int32_t lS, cS;       // start of the changed region
    int32_t lE, cE;       // end of the region as it is now
    int16_t oldDL, oldDC; // old end minus start: the extent of the replaced text
    char* text;           // replaced text; null for an indent; a group's first member
    int32_t textLen;      // text length; for an indent, the delta that undoes it
    uint8_t flags;
};

UndoRec* UndoNew();                // a zeroed record from the pool (refilled 100 at a time)
void UndoFree(UndoRec* rec);       // frees its text or members and returns it to the pool
void UndoFreeList(UndoRec* list);  // frees a whole list
