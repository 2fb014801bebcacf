// toolkit/eventloop.h: the background-work list, deadlines and the event pump of the main loop.
#pragma once

// Kinds of background-work entries.
enum ExtraKind { XP_TIMER = 0, XP_CHILD = 1, XP_IDLE = 2, XP_PARKED = 3 };

// poll(user, index in list): non-zero when the entry has finished.
using ExtraPoll = int (*)(void* user, int index);
// finish(user, status): non-zero when the entry may be removed.
using ExtraFinish = int (*)(void* user, int status);

// A counted weak reference to an entry: it answers null once the entry is gone. The list
// holds one count; ExtraProcess_Create hands the caller a second one, which the caller gives
// back with ExtraProcess_Release when it no longer needs to reach the entry.
struct ExtraHandle;

ExtraHandle* ExtraProcess_Create(int kind, long timeoutOrPid, ExtraPoll poll, ExtraFinish finish,
                                 void* user);
int ExtraProcess_SetTimeout(ExtraHandle* handle, int ms); // 0 when the handle is dead
void ExtraProcess_Kill(ExtraHandle* handle, int arg);
bool ExtraProcess_Alive(const ExtraHandle* handle);
void ExtraProcess_Release(ExtraHandle* handle);
bool ExtraProcess_AnyTimedOut();
int ExtraProcess_NumberPending();
int ExtraProcess_Wait(int* wait); // one pass; *wait = ms the caller may sleep; returns 1

// Descriptors the sleep watches besides the display connection: one that becomes readable
// (a child's pipe) ends the sleep, so output is read as it arrives.
void WWatchFd(int fd);
void WUnwatchFd(int fd);
// Ends the current or next sleep; safe to call from a signal handler.
void WWakeUp();
// The backends' sleep: until displayFd (-1: none) or a watched descriptor is readable, the
// wake-up is called, or ms milliseconds pass.
void WWaitInput(int displayFd, int ms);

// Wall-clock deadlines as (seconds, milliseconds).
void WSetTimeout(long* sec, int* ms, int delayMs);
int WCheckTimeout(long sec, int ms); // 0 when passed, else the milliseconds still to go
// The clock the deadlines read; tests replace it to place "now" exactly.
extern void (*wClock)(long* sec, int* ms);
void WSystemClock(long* sec, int* ms);

// The event pump.
int WEventAll(int abortable); // 0 when a handler failed (or Escape aborted), else 1
void WYield(int ms);
void WEventAbortLoop();
bool WEventAborted();
void WEventAppScheduleExit(void (*fn)());
bool WEventAppShouldExit();
void WEventSetPeriodic(void (*fn)(void* arg), void (*cleanup)(void* arg, int flag), void* arg,
                       long extra);
