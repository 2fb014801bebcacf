// runtime/containers.cc: arrays, chained hash tables with a prime ladder, and linked lists.
//
// These use the C allocator directly rather than gen_alloc: their callers get a message and a
// null or 0 answer on exhaustion instead of the end of the process.
#include "runtime/containers.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/gen.h"

static void noMemory(const char* function) {
    fflush(stdout);
    fprintf(stderr, "Out of memory in %s()\n", function);
    fflush(stderr);
}

// ---- arrays ----

struct Arr {
    void** slots;
    long capacity;
    int size; // one past the highest index stored (or set by Arr_SetSize)
    ContFreeFunc freeFunc;
};

Arr* Arr_New(int initialSize, ContFreeFunc freeFunc) {
    Arr* arr = (Arr*)malloc(sizeof(Arr));
    long capacity = initialSize > 0 ? initialSize : 30;
    void** slots = arr ? (void**)calloc((size_t)capacity, sizeof(void*)) : nullptr;
    if (!slots) {
        free(arr);
        noMemory("Arr_New");
        return nullptr;
    }
    *arr = Arr{slots, capacity, 0, freeFunc};
    return arr;
}

// Makes room for index; the new slot count is twice the index asked for.
static bool arrReserve(Arr* arr, long index, const char* function) {
    if (index < arr->capacity) return true;
    long capacity = index * 2;
    if (capacity <= index) capacity = index + 1;
    if (capacity > INT_MAX) capacity = INT_MAX;
    void** slots = (void**)realloc(arr->slots, (size_t)capacity * sizeof(void*));
    if (!slots) {
        noMemory(function);
        return false;
    }
    memset(slots + arr->capacity, 0, (size_t)(capacity - arr->capacity) * sizeof(void*));
    arr->slots = slots;
    arr->capacity = capacity;
    return true;
}

void* Arr_GetVal(const Arr* arr, int index) {
    if (!arr || index < 0 || index >= arr->size) return nullptr;
    return arr->slots[index];
}

int Arr_PutVal(Arr* arr, int index, void* val) {
    if (!arr || index < 0 || !arrReserve(arr, index, "Arr_PutVal")) return 0;
    void* old = arr->slots[index];
    if (old && old != val && arr->freeFunc) arr->freeFunc(old);
    arr->slots[index] = val;
    if (index >= arr->size) arr->size = index + 1;
    return 1;
}

int Arr_SetSize(Arr* arr, int size) {
    if (!arr || size < 0) return 0;
    if (size > 0 && !arrReserve(arr, size - 1, "Arr_SetSize")) return 0;
    for (int i = size; i < arr->size; i++) {
        if (arr->slots[i] && arr->freeFunc) arr->freeFunc(arr->slots[i]);
        arr->slots[i] = nullptr;
    }
    arr->size = size;
    return 1;
}

int Arr_GetSize(const Arr* arr) {
    return arr ? arr->size : 0;
}

void** Arr_ElemP(Arr* arr, int index) {
    if (!arr || index < 0 || index >= arr->size) return nullptr;
    return &arr->slots[index];
}

void Arr_Delete(Arr* arr) {
    if (!arr) return;
    Arr_SetSize(arr, 0);
    free(arr->slots);
    free(arr);
}

// ---- hash tables ----

static const long htPrimes[] = {
    29,        59,        127,       257,       521,       1049,       2099,
    4201,      8419,      16843,     33703,     67409,     134837,     269683,
    539389,    1078787,   2157587,   4315183,   8630387,   17260781,   34521589,
    69043189,  138086407, 276172823, 552345671, 1104691373,
};
static const int htPrimeCount = sizeof htPrimes / sizeof htPrimes[0];

struct HTNode {
    void* key;
    void* value;
    unsigned long hash;
    HTNode* next;
};

struct HTIter {
    HT* ht; // null once the table is gone
    long bucket;
    HTNode* node; // null at the end
    HTIter* prevIter;
    HTIter* nextIter;
};

struct HT {
    HTNode** buckets;
    long bucketCount;
    long count;
    HTHashFunc hashFunc;
    HTCompareFunc compareFunc;
    ContFreeFunc keyFree, valueFree;
    ContCloneFunc keyClone, valueClone;
    HTIter* iters; // open iterators, so that removal and deletion can fix them
    int numIters;
};

// The first prime of the ladder not below n, or -1 beyond the ladder.
static long primeNotBelow(long n) {
    for (int i = 0; i < htPrimeCount; i++)
        if (htPrimes[i] >= n) return htPrimes[i];
    return -1;
}

HT* HT_New(long approxSize, HTHashFunc hashFunc, HTCompareFunc compareFunc, ContFreeFunc keyFree,
           ContFreeFunc valueFree, ContCloneFunc keyClone, ContCloneFunc valueClone) {
    long buckets = primeNotBelow(approxSize);
    if (buckets < 0) {
        fflush(stdout);
        fprintf(stderr, "approxSize far too big in HT_New()\n");
        fflush(stderr);
        return nullptr;
    }
    if (!hashFunc || !compareFunc) return nullptr;
    HT* ht = (HT*)malloc(sizeof(HT));
    HTNode** table = ht ? (HTNode**)calloc((size_t)buckets, sizeof(HTNode*)) : nullptr;
    if (!table) {
        free(ht);
        noMemory("HT_New");
        return nullptr;
    }
    *ht = HT{table,    buckets,  0,          hashFunc,   compareFunc,
             keyFree,  valueFree, keyClone,  valueClone, nullptr,     0};
    return ht;
}

static HTNode* htLookup(const HT* ht, const void* key, unsigned long hash) {
    for (HTNode* n = ht->buckets[hash % (unsigned long)ht->bucketCount]; n; n = n->next)
        if (n->hash == hash && ht->compareFunc(n->key, key) == 0) return n;
    return nullptr;
}

// Moves every node into a fresh bucket array; on failure the table stays as it was.
static bool htRehash(HT* ht, long buckets) {
    HTNode** table = (HTNode**)calloc((size_t)buckets, sizeof(HTNode*));
    if (!table) return false;
    for (long b = 0; b < ht->bucketCount; b++) {
        HTNode* n = ht->buckets[b];
        while (n) {
            HTNode* next = n->next;
            HTNode** head = &table[n->hash % (unsigned long)buckets];
            n->next = *head;
            *head = n;
            n = next;
        }
    }
    free(ht->buckets);
    ht->buckets = table;
    ht->bucketCount = buckets;
    return true;
}

int HT_InsertItem(HT* ht, void* key, void* value) {
    if (!ht) return 0;
    unsigned long hash = ht->hashFunc(key);
    if (htLookup(ht, key, hash)) return 0;
    HTNode* n = (HTNode*)malloc(sizeof(HTNode));
    if (!n) {
        noMemory("HT_InsertItem");
        return 0;
    }
    HTNode** head = &ht->buckets[hash % (unsigned long)ht->bucketCount];
    *n = HTNode{key, value, hash, *head};
    *head = n;
    ht->count++;
    // Iterators hold bucket positions, so the table keeps its shape while any is open.
    if (ht->count > 2 * ht->bucketCount && ht->numIters == 0) {
        long buckets = primeNotBelow(ht->count);
        if (buckets < 0) buckets = htPrimes[htPrimeCount - 1];
        if (buckets > ht->bucketCount && !htRehash(ht, buckets)) noMemory("HT_InsertItem");
    }
    return 1;
}

// Puts an iterator on the first node at or after (bucket, node's successor chain).
static void htSettle(HTIter* it, long bucket, HTNode* node) {
    const HT* ht = it->ht;
    while (!node && ++bucket < ht->bucketCount) node = ht->buckets[bucket];
    it->bucket = node ? bucket : ht->bucketCount;
    it->node = node;
}

int HT_RemoveItem(HT* ht, const void* key) {
    if (!ht) return 0;
    unsigned long hash = ht->hashFunc(key);
    HTNode** link = &ht->buckets[hash % (unsigned long)ht->bucketCount];
    for (; *link; link = &(*link)->next) {
        HTNode* n = *link;
        if (n->hash != hash || ht->compareFunc(n->key, key) != 0) continue;
        for (HTIter* it = ht->iters; it; it = it->nextIter)
            if (it->node == n) htSettle(it, it->bucket, n->next);
        *link = n->next;
        if (ht->keyFree) ht->keyFree(n->key);
        if (ht->valueFree) ht->valueFree(n->value);
        free(n);
        ht->count--;
        return 1;
    }
    return 0;
}

void* HT_FindItem(const HT* ht, const void* key) {
    if (!ht) return nullptr;
    HTNode* n = htLookup(ht, key, ht->hashFunc(key));
    return n ? n->value : nullptr;
}

int HT_FindKey(const HT* ht, const void* key, void** foundKey, void** foundValue) {
    if (!ht) return 0;
    HTNode* n = htLookup(ht, key, ht->hashFunc(key));
    if (!n) return 0;
    if (foundKey) *foundKey = n->key;
    if (foundValue) *foundValue = n->value;
    return 1;
}

HT* HT_Clone(const HT* ht) {
    if (!ht) return nullptr;
    HT* copy = (HT*)malloc(sizeof(HT));
    HTNode** table = copy ? (HTNode**)calloc((size_t)ht->bucketCount, sizeof(HTNode*)) : nullptr;
    if (!table) {
        free(copy);
        noMemory("HT_Clone");
        return nullptr;
    }
    *copy = *ht;
    copy->buckets = table;
    copy->count = 0;
    copy->iters = nullptr;
    copy->numIters = 0;
    // Shared pointers belong to the original alone.
    if (!ht->keyClone) copy->keyFree = nullptr;
    if (!ht->valueClone) copy->valueFree = nullptr;
    for (long b = 0; b < ht->bucketCount; b++) {
        for (HTNode* n = ht->buckets[b]; n; n = n->next) {
            HTNode* c = (HTNode*)malloc(sizeof(HTNode));
            if (!c) {
                noMemory("HT_Clone");
                HT_Delete(copy);
                return nullptr;
            }
            void* key = ht->keyClone ? ht->keyClone(n->key) : n->key;
            void* value = ht->valueClone ? ht->valueClone(n->value) : n->value;
            *c = HTNode{key, value, n->hash, table[b]};
            table[b] = c;
            copy->count++;
        }
    }
    return copy;
}

long HT_GetSize(const HT* ht) {
    return ht ? ht->count : 0;
}

long HT_GetBucketCount(const HT* ht) {
    return ht ? ht->bucketCount : 0;
}

void HT_Delete(HT* ht) {
    if (!ht) return;
    for (HTIter* it = ht->iters; it; it = it->nextIter) {
        it->ht = nullptr;
        it->node = nullptr;
    }
    for (long b = 0; b < ht->bucketCount; b++) {
        HTNode* n = ht->buckets[b];
        while (n) {
            HTNode* next = n->next;
            if (ht->keyFree) ht->keyFree(n->key);
            if (ht->valueFree) ht->valueFree(n->value);
            free(n);
            n = next;
        }
    }
    free(ht->buckets);
    free(ht);
}

static HTIter* htNewIter(HT* ht, const char* function) {
    HTIter* it = (HTIter*)malloc(sizeof(HTIter));
    if (!it) {
        noMemory(function);
        return nullptr;
    }
    *it = HTIter{ht, 0, nullptr, nullptr, ht->iters};
    if (ht->iters) ht->iters->prevIter = it;
    ht->iters = it;
    ht->numIters++;
    return it;
}

HTIter* HT_Begin(HT* ht) {
    if (!ht) return nullptr;
    HTIter* it = htNewIter(ht, "HT_Begin");
    if (it) htSettle(it, 0, ht->buckets[0]);
    return it;
}

int HT_End(const HTIter* it) {
    return !it || !it->node;
}

void HTIter_Inc(HTIter* it) {
    if (it && it->node) htSettle(it, it->bucket, it->node->next);
}

HTIter* HTIter_Copy(const HTIter* it) {
    if (!it || !it->ht) return nullptr;
    HTIter* copy = htNewIter(it->ht, "HTIter_Copy");
    if (copy) {
        copy->bucket = it->bucket;
        copy->node = it->node;
    }
    return copy;
}

void HTIter_Delete(HTIter* it) {
    if (!it) return;
    if (it->ht) {
        if (it->prevIter)
            it->prevIter->nextIter = it->nextIter;
        else
            it->ht->iters = it->nextIter;
        if (it->nextIter) it->nextIter->prevIter = it->prevIter;
        it->ht->numIters--;
    }
    free(it);
}

void* HTIter_GetValue(const HTIter* it) {
    return it && it->node ? it->node->value : nullptr;
}

void* HTIter_GetKey(const HTIter* it) {
    return it && it->node ? it->node->key : nullptr;
}

int HT_GetNumIters(const HT* ht) {
    return ht ? ht->numIters : 0;
}

unsigned long HT_StringHash(const void* key) {
    return (unsigned long)gen_hcomp((const char*)key, -1);
}

int HT_StringCompare(const void* a, const void* b) {
    return strcmp((const char*)a, (const char*)b);
}

// ---- lists ----

struct ListNode {
    void* value;
    ListNode* prev;
    ListNode* next;
};

struct ListIter {
    List* list; // null once the list is gone
    ListNode* node; // null at the end
    ListIter* prevIter;
    ListIter* nextIter;
};

struct List {
    ListNode* head;
    ListNode* tail;
    long size;
    ContFreeFunc freeFunc;
    ContCloneFunc cloneFunc;
    ListIter* iters;
    int numIters;
};

List* List_New(ContFreeFunc freeFunc, ContCloneFunc cloneFunc) {
    List* list = (List*)malloc(sizeof(List));
    if (!list) {
        noMemory("List_New");
        return nullptr;
    }
    *list = List{nullptr, nullptr, 0, freeFunc, cloneFunc, nullptr, 0};
    return list;
}

// Links a new node before `at` (null: at the end).
static bool listLinkBefore(List* list, ListNode* at, void* value, const char* function) {
    ListNode* n = (ListNode*)malloc(sizeof(ListNode));
    if (!n) {
        noMemory(function);
        return false;
    }
    n->value = value;
    n->next = at;
    n->prev = at ? at->prev : list->tail;
    if (n->prev)
        n->prev->next = n;
    else
        list->head = n;
    if (at)
        at->prev = n;
    else
        list->tail = n;
    list->size++;
    return true;
}

// Unlinks a node; iterators standing on it move to its successor. The node is freed, its value
// is not.
static void* listUnlink(List* list, ListNode* n) {
    for (ListIter* it = list->iters; it; it = it->nextIter)
        if (it->node == n) it->node = n->next;
    if (n->prev)
        n->prev->next = n->next;
    else
        list->head = n->next;
    if (n->next)
        n->next->prev = n->prev;
    else
        list->tail = n->prev;
    list->size--;
    void* value = n->value;
    free(n);
    return value;
}

void List_Clear(List* list) {
    if (!list) return;
    while (list->head) {
        void* value = listUnlink(list, list->head);
        if (list->freeFunc) list->freeFunc(value);
    }
}

void List_Delete(List* list) {
    if (!list) return;
    List_Clear(list);
    for (ListIter* it = list->iters; it; it = it->nextIter) it->list = nullptr;
    free(list);
}

List* List_Clone(const List* list) {
    if (!list) return nullptr;
    List* copy = List_New(list->cloneFunc ? list->freeFunc : nullptr, list->cloneFunc);
    if (!copy) return nullptr;
    for (ListNode* n = list->head; n; n = n->next) {
        void* value = list->cloneFunc ? list->cloneFunc(n->value) : n->value;
        if (!listLinkBefore(copy, nullptr, value, "List_Clone")) {
            if (list->cloneFunc && list->freeFunc) list->freeFunc(value);
            List_Delete(copy);
            return nullptr;
        }
    }
    return copy;
}

long List_GetSize(const List* list) {
    return list ? list->size : 0;
}

int List_Push(List* list, void* value) {
    return list && listLinkBefore(list, nullptr, value, "List_Push") ? 1 : 0;
}

void* List_Pop(List* list) {
    if (!list || !list->tail) return nullptr;
    return listUnlink(list, list->tail);
}

void* List_PeekEnd(const List* list) {
    return list && list->tail ? list->tail->value : nullptr;
}

void* List_PeekNFromEnd(const List* list, long n) {
    if (!list || n < 0) return nullptr;
    ListNode* node = list->tail;
    while (node && n-- > 0) node = node->prev;
    return node ? node->value : nullptr;
}

static ListIter* listNewIter(List* list, ListNode* node, const char* function) {
    ListIter* it = (ListIter*)malloc(sizeof(ListIter));
    if (!it) {
        noMemory(function);
        return nullptr;
    }
    *it = ListIter{list, node, nullptr, list->iters};
    if (list->iters) list->iters->prevIter = it;
    list->iters = it;
    list->numIters++;
    return it;
}

ListIter* List_Begin(List* list) {
    return list ? listNewIter(list, list->head, "List_Begin") : nullptr;
}

int List_End(const ListIter* it) {
    return !it || !it->node;
}

void ListIter_Next(ListIter* it) {
    if (it && it->node) it->node = it->node->next;
}

ListIter* ListIter_Copy(const ListIter* it) {
    if (!it || !it->list) return nullptr;
    return listNewIter(it->list, it->node, "ListIter_Copy");
}

void ListIter_Delete(ListIter* it) {
    if (!it) return;
    if (it->list) {
        if (it->prevIter)
            it->prevIter->nextIter = it->nextIter;
        else
            it->list->iters = it->nextIter;
        if (it->nextIter) it->nextIter->prevIter = it->prevIter;
        it->list->numIters--;
    }
    free(it);
}

void* ListIter_GetValue(const ListIter* it) {
    return it && it->node ? it->node->value : nullptr;
}

int ListIter_DelCurNext(ListIter* it) {
    if (!it || !it->node || !it->list) return 0;
    List* list = it->list;
    void* value = listUnlink(list, it->node);
    if (list->freeFunc) list->freeFunc(value);
    return 1;
}

int ListIter_InsBeside(ListIter* it, void* value, int after) {
    if (!it || !it->list) return 0;
    ListNode* at = it->node;
    if (at && after) at = at->next;
    return listLinkBefore(it->list, at, value, "ListIter_InsBeside") ? 1 : 0;
}

int List_GetNumIters(const List* list) {
    return list ? list->numIters : 0;
}
