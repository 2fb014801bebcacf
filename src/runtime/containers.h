// runtime/containers.h: growable arrays, hash tables and lists of untyped pointers.
//
// The containers hold void* items. A container given a free function owns its items and frees
// them when they are removed, replaced or cleared; one without stores the pointers only.
// An allocation failure prints "Out of memory in <function>()" on standard error and the call
// answers null or 0 (the process goes on).
#pragma once

#include <cstddef>

typedef void (*ContFreeFunc)(void* item);
typedef void* (*ContCloneFunc)(const void* item);

// ---- arrays ----
struct Arr;

Arr* Arr_New(int initialSize, ContFreeFunc freeFunc); // initialSize <= 0: 30 slots
void* Arr_GetVal(const Arr* arr, int index);            // null beyond the size
// Stores val at index, growing the slots to twice the index when needed; the size becomes
// index + 1 when it was smaller. A different value already there is freed. 1, or 0 on failure.
int Arr_PutVal(Arr* arr, int index, void* val);
int Arr_SetSize(Arr* arr, int size); // shrinking frees the dropped values; growing adds nulls
int Arr_GetSize(const Arr* arr);
void** Arr_ElemP(Arr* arr, int index); // the slot itself (valid until the next growth), or null
void Arr_Delete(Arr* arr);             // frees the values too

// ---- hash tables ----
struct HT;
struct HTIter;
typedef unsigned long (*HTHashFunc)(const void* key);
typedef int (*HTCompareFunc)(const void* a, const void* b); // 0 when the keys are equal

// Bucket count: the first prime of the ladder not below approxSize; null, after the message
// "approxSize far too big in HT_New()", when approxSize is beyond the ladder.
HT* HT_New(long approxSize, HTHashFunc hashFunc, HTCompareFunc compareFunc, ContFreeFunc keyFree,
           ContFreeFunc valueFree, ContCloneFunc keyClone, ContCloneFunc valueClone);
int HT_InsertItem(HT* ht, void* key, void* value); // 0 (owning nothing) when the key is present
int HT_RemoveItem(HT* ht, const void* key);         // frees key and value; 0 when absent
void* HT_FindItem(const HT* ht, const void* key);   // the value, or null
int HT_FindKey(const HT* ht, const void* key, void** foundKey, void** foundValue); // 1 if found
// A copy with cloned keys and values; without a clone function the pointers are shared and the
// copy does not free them.
HT* HT_Clone(const HT* ht);
long HT_GetSize(const HT* ht);
long HT_GetBucketCount(const HT* ht);
void HT_Delete(HT* ht); // frees every key and value; open iterators must be deleted first

// Iterators visit every item once in bucket order. While one is open the table is not
// rehashed; removing the item an iterator stands on moves it to the next item.
HTIter* HT_Begin(HT* ht);
int HT_End(const HTIter* it); // 1 when past the last item
void HTIter_Inc(HTIter* it);
HTIter* HTIter_Copy(const HTIter* it);
void HTIter_Delete(HTIter* it);
void* HTIter_GetValue(const HTIter* it);
void* HTIter_GetKey(const HTIter* it);
int HT_GetNumIters(const HT* ht);

// Hash and compare functions for NUL-terminated string keys.
unsigned long HT_StringHash(const void* key);
int HT_StringCompare(const void* a, const void* b);

// ---- lists ----
// A doubly linked list; push, pop and the peeks work at its end, so it serves as a stack.
struct List;
struct ListIter;

List* List_New(ContFreeFunc freeFunc, ContCloneFunc cloneFunc);
void List_Clear(List* list); // frees every value; open iterators move to the end
void List_Delete(List* list); // open iterators must be deleted first
List* List_Clone(const List* list);
long List_GetSize(const List* list);
int List_Push(List* list, void* value); // append; 1, or 0 on failure
void* List_Pop(List* list);             // removes the last value and hands it to the caller
void* List_PeekEnd(const List* list);   // the last value, or null
void* List_PeekNFromEnd(const List* list, long n); // n = 0 is the last value; null beyond

ListIter* List_Begin(List* list); // at the first value (or at the end of an empty list)
int List_End(const ListIter* it); // 1 when past the last value
void ListIter_Next(ListIter* it);
ListIter* ListIter_Copy(const ListIter* it);
void ListIter_Delete(ListIter* it);
void* ListIter_GetValue(const ListIter* it); // null at the end
// Removes (and frees) the current value; the iterator moves to the next one. 0 at the end.
int ListIter_DelCurNext(ListIter* it);
// Inserts beside the current value: after it when `after` is nonzero, else before it. At the
// end, the value is appended. The iterator stays where it was. 1, or 0 on failure.
int ListIter_InsBeside(ListIter* it, void* value, int after);
int List_GetNumIters(const List* list);
