// runtime/handles.h: counted weak references to records that may die while still referred to.
//
// Whoever keeps a record across a return to the main loop keeps a handle to it instead and asks
// the handle for the record each time; after the owner calls MHandleDie the handle answers null.
#pragma once

enum MHandleKind {
    MHANDLE_BUILDER = 1,
    MHANDLE_EDITOR = 2,
    MHANDLE_ITEM = 3,
    MHANDLE_FILE = 4,
    MHANDLE_PROCESS = 5,
    MHANDLE_EXTRAPRS = 6,
    MHANDLE_OTHER = 7,
};

struct MHandle {
    int kind;
    void* data;  // the record referred to
    int count;   // holders; the record is freed when the last one destroys it
    bool dead;   // the record died while holders remained
};

MHandle* MHandleCreate(int kind, void* data); // the one live handle for data, count raised
MHandle* MHandleCopy(MHandle* handle);
void MHandleDestroy(MHandle* handle);
void* MHandleGetData(const MHandle* handle); // null for a null or dead handle
void MHandleDie(void* data);

// When set, every create and free is logged (also the kind-mismatch report). The switch that
// sets it lives with the configuration.
extern unsigned char gen_handleLogging;
// Where the log goes; null (the default) means "<temp dir>/<program>-handles.log".
extern const char* gen_handleLogPath;
void MHandleCloseLog();
const char* MHandleKindWord(int kind); // the kind's word in the log, "UNKNOWN" for others

// The live-handle table, sorted by data address (for checks and tests).
int MHandleTableCount();
int MHandleTableCapacity();
const MHandle* MHandleTableAt(int index);
