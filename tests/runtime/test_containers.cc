// tests/runtime/test_containers.cc: arrays, hash tables (growth, iterators) and lists, with
// randomized runs against the standard containers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <list>
#include <map>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unordered_map>
#include <vector>

#include "runtime/containers.h"
#include "runtime/gen.h"

namespace {
int freed = 0;
void countFree(void* p) {
    freed++;
    free(p);
}
void* cloneString(const void* p) {
    return strdup((const char*)p);
}
void* box(long v) {
    return (void*)(intptr_t)v;
}
long unbox(void* p) {
    return (long)(intptr_t)p;
}
unsigned long intHash(const void* k) {
    return (unsigned long)(uintptr_t)k * 2654435761UL;
}
int intCompare(const void* a, const void* b) {
    return a == b ? 0 : 1;
}
} // namespace

TEST(Containers, ArrayGrowsAndFreesWhatItDrops) {
    freed = 0;
    Arr* arr = Arr_New(0, countFree);
    ASSERT_TRUE(arr);
    EXPECT_EQ(Arr_GetSize(arr), 0);
    EXPECT_EQ(Arr_GetVal(arr, 0), nullptr);
    ASSERT_TRUE(Arr_PutVal(arr, 100, strdup("far")));
    EXPECT_EQ(Arr_GetSize(arr), 101);
    EXPECT_EQ(Arr_GetVal(arr, 50), nullptr);
    EXPECT_STREQ((char*)Arr_GetVal(arr, 100), "far");
    Arr_PutVal(arr, 3, strdup("a"));
    Arr_PutVal(arr, 3, strdup("b")); // replacing frees the old value
    EXPECT_EQ(freed, 1);
    void** slot = Arr_ElemP(arr, 3);
    ASSERT_TRUE(slot);
    EXPECT_STREQ((char*)*slot, "b");
    EXPECT_EQ(Arr_ElemP(arr, 101), nullptr);
    EXPECT_TRUE(Arr_SetSize(arr, 10)); // drops "far"
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(Arr_GetVal(arr, 100), nullptr);
    EXPECT_TRUE(Arr_SetSize(arr, 200));
    EXPECT_EQ(Arr_GetVal(arr, 150), nullptr);
    Arr_Delete(arr);
    EXPECT_EQ(freed, 3);
    EXPECT_FALSE(Arr_PutVal(nullptr, 0, nullptr));
}

TEST(Containers, HashBucketLadder) {
    struct {
        long approx, buckets;
    } cases[] = {{0, 29}, {29, 29}, {30, 59}, {1000, 1049}, {4202, 8419}};
    for (auto& c : cases) {
        HT* ht = HT_New(c.approx, intHash, intCompare, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(ht);
        EXPECT_EQ(HT_GetBucketCount(ht), c.buckets) << c.approx;
        HT_Delete(ht);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(HT_New(1104691374L, intHash, intCompare, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "approxSize far too big in HT_New()\n");
}

TEST(Containers, HashRehashKeepsEveryItemFindable) {
    HT* ht = HT_New(10, HT_StringHash, HT_StringCompare, countFree, countFree, nullptr, nullptr);
    ASSERT_TRUE(ht);
    std::vector<long> ladder;
    for (int i = 0; i < 20000; i++) {
        std::string key = "key" + std::to_string(i);
        long before = HT_GetBucketCount(ht);
        ASSERT_EQ(HT_InsertItem(ht, strdup(key.c_str()), strdup(std::to_string(i).c_str())), 1);
        long after = HT_GetBucketCount(ht);
        // Growth happens exactly when the count passes twice the buckets.
        EXPECT_EQ(after != before, i + 1 > 2 * before) << i;
        if (after != before) {
            ladder.push_back(after);
            EXPECT_GE(after, i + 1);
            for (int j = 0; j <= i; j++) {
                std::string k = "key" + std::to_string(j);
                char* v = (char*)HT_FindItem(ht, k.c_str());
                ASSERT_TRUE(v) << k << " lost at growth to " << after;
                EXPECT_EQ(std::string(v), std::to_string(j));
            }
        }
    }
    EXPECT_EQ(ladder, (std::vector<long>{59, 127, 257, 521, 1049, 2099, 4201, 8419, 16843}));
    char dup[] = "key7";
    EXPECT_EQ(HT_InsertItem(ht, dup, dup), 0); // present: refused, nothing taken over
    freed = 0;
    EXPECT_EQ(HT_RemoveItem(ht, "key7"), 1);
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(HT_RemoveItem(ht, "key7"), 0);
    EXPECT_EQ(HT_GetSize(ht), 19999);
    HT_Delete(ht);
}

TEST(Containers, OpenIteratorHoldsTheShape) {
    HT* ht = HT_New(29, intHash, intCompare, nullptr, nullptr, nullptr, nullptr);
    for (long i = 1; i <= 58; i++) HT_InsertItem(ht, box(i), box(i));
    HTIter* it = HT_Begin(ht);
    HTIter* copy = HTIter_Copy(it);
    EXPECT_EQ(HT_GetNumIters(ht), 2);
    HT_InsertItem(ht, box(59), box(59));
    HT_InsertItem(ht, box(60), box(60));
    EXPECT_EQ(HT_GetBucketCount(ht), 29);
    HTIter_Delete(copy);
    HTIter_Delete(it);
    EXPECT_EQ(HT_GetNumIters(ht), 0);
    HT_InsertItem(ht, box(61), box(61));
    EXPECT_EQ(HT_GetBucketCount(ht), 127); // the first prime not below 61 items
    HT_Delete(ht);
}

TEST(Containers, CloneOwnsItsCopies) {
    HT* ht = HT_New(5, HT_StringHash, HT_StringCompare, free, free, cloneString, cloneString);
    HT_InsertItem(ht, strdup("a"), strdup("1"));
    HT_InsertItem(ht, strdup("b"), strdup("2"));
    HT* copy = HT_Clone(ht);
    ASSERT_TRUE(copy);
    HT_RemoveItem(ht, "a");
    HT_Delete(ht);
    EXPECT_EQ(HT_GetSize(copy), 2);
    EXPECT_STREQ((char*)HT_FindItem(copy, "a"), "1");
    EXPECT_STREQ((char*)HT_FindItem(copy, "b"), "2");
    HT_Delete(copy);
}

TEST(Containers, HashRandomizedAgainstUnorderedMap) {
    std::mt19937 rng(12345);
    HT* ht = HT_New(1, intHash, intCompare, nullptr, nullptr, nullptr, nullptr);
    std::unordered_map<long, long> model;
    for (int step = 0; step < 60000; step++) {
        long key = (long)(rng() % 5000) + 1;
        switch (rng() % 10) {
        case 0: case 1: case 2: case 3: {
            long value = (long)rng();
            int inserted = HT_InsertItem(ht, box(key), box(value));
            EXPECT_EQ(inserted, model.count(key) ? 0 : 1);
            model.emplace(key, value);
            break;
        }
        case 4: case 5: case 6:
            EXPECT_EQ(HT_RemoveItem(ht, box(key)), (int)model.erase(key));
            break;
        case 7: case 8: {
            auto f = model.find(key);
            EXPECT_EQ(unbox(HT_FindItem(ht, box(key))), f == model.end() ? 0 : f->second);
            break;
        }
        default:
            if (step % 50 != 0) break;
            // A full walk, removing some items under the iterator as it goes.
            std::unordered_map<long, long> seen;
            HTIter* it = HT_Begin(ht);
            while (!HT_End(it)) {
                long k = unbox(HTIter_GetKey(it));
                EXPECT_TRUE(seen.emplace(k, unbox(HTIter_GetValue(it))).second);
                if (k % 7 == 0) {
                    HT_RemoveItem(ht, box(k)); // moves the iterator on
                    model.erase(k);
                    seen.erase(k);
                } else {
                    HTIter_Inc(it);
                }
            }
            HTIter_Delete(it);
            EXPECT_EQ(seen, model);
        }
        ASSERT_EQ(HT_GetSize(ht), (long)model.size());
    }
    HT_Delete(ht);
}

TEST(Containers, ListRandomizedAgainstStdList) {
    std::mt19937 rng(777);
    List* list = List_New(nullptr, nullptr);
    std::list<long> model;
    ListIter* it = List_Begin(list);
    auto modelIt = model.begin();
    ListIter* other = nullptr; // a second iterator that must survive deletions under it
    std::list<long>::iterator otherModel;
    long next = 1;
    for (int step = 0; step < 20000; step++) {
        switch (rng() % 9) {
        case 0: case 1:
            List_Push(list, box(next));
            model.push_back(next++); // an iterator at the end stays there
            break;
        case 2:
            if (!model.empty()) {
                bool onLast = modelIt != model.end() && std::next(modelIt) == model.end();
                bool otherOnLast = other && otherModel != model.end() &&
                                   std::next(otherModel) == model.end();
                EXPECT_EQ(unbox(List_Pop(list)), model.back());
                model.pop_back();
                if (onLast) modelIt = model.end();
                if (otherOnLast) otherModel = model.end();
            } else {
                EXPECT_EQ(List_Pop(list), nullptr);
            }
            break;
        case 3: {
            long n = (long)(rng() % 5);
            auto r = model.rbegin();
            for (long i = 0; i < n && r != model.rend(); i++) ++r;
            EXPECT_EQ(unbox(List_PeekNFromEnd(list, n)), r == model.rend() ? 0 : *r);
            break;
        }
        case 4:
            if (modelIt == model.end()) {
                ListIter_Delete(it);
                it = List_Begin(list);
                modelIt = model.begin();
            } else {
                ListIter_Next(it);
                ++modelIt;
            }
            break;
        case 5: {
            int after = (int)(rng() % 2);
            EXPECT_EQ(ListIter_InsBeside(it, box(next), after), 1);
            if (modelIt == model.end())
                model.push_back(next);
            else
                model.insert(after ? std::next(modelIt) : modelIt, next);
            next++;
            break;
        }
        case 6:
            if (modelIt != model.end()) {
                if (other && otherModel == modelIt) otherModel = std::next(modelIt);
                EXPECT_EQ(ListIter_DelCurNext(it), 1);
                modelIt = model.erase(modelIt);
            } else {
                EXPECT_EQ(ListIter_DelCurNext(it), 0);
            }
            break;
        case 7:
            if (other) ListIter_Delete(other);
            other = ListIter_Copy(it);
            otherModel = modelIt;
            break;
        default:
            if (other) {
                EXPECT_EQ(unbox(ListIter_GetValue(other)),
                          otherModel == model.end() ? 0 : *otherModel);
            }
        }
        ASSERT_EQ(List_GetSize(list), (long)model.size());
        ASSERT_EQ(unbox(ListIter_GetValue(it)), modelIt == model.end() ? 0 : *modelIt) << step;
    }
    std::vector<long> walked;
    ListIter* w = List_Begin(list);
    for (; !List_End(w); ListIter_Next(w)) walked.push_back(unbox(ListIter_GetValue(w)));
    EXPECT_EQ(walked, std::vector<long>(model.begin(), model.end()));
    EXPECT_EQ(List_GetNumIters(list), other ? 3 : 2);
    ListIter_Delete(w);
    ListIter_Delete(other);
    List_Clear(list);
    EXPECT_TRUE(List_End(it)); // clearing moves open iterators to the end
    ListIter_Delete(it);
    EXPECT_EQ(List_GetNumIters(list), 0);
    List_Delete(list);
}

TEST(Containers, ListAsStackAndClone) {
    freed = 0;
    List* list = List_New(countFree, cloneString);
    for (const char* s : {"a", "b", "c"}) List_Push(list, strdup(s));
    EXPECT_STREQ((char*)List_PeekEnd(list), "c");
    EXPECT_STREQ((char*)List_PeekNFromEnd(list, 2), "a");
    EXPECT_EQ(List_PeekNFromEnd(list, 3), nullptr);
    List* copy = List_Clone(list);
    char* top = (char*)List_Pop(list); // handed over, not freed
    EXPECT_STREQ(top, "c");
    EXPECT_EQ(freed, 0);
    free(top);
    List_Delete(list);
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(List_GetSize(copy), 3);
    EXPECT_STREQ((char*)List_PeekEnd(copy), "c");
    List_Delete(copy);
    EXPECT_EQ(freed, 5);
}

TEST(ContainersDeathTest, AllocationFailureIsReportedNotFatal) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator aborts instead of failing";
#else
    auto tryHuge = [] {
        struct rlimit lim = {1UL << 30, 1UL << 30};
        setrlimit(RLIMIT_AS, &lim);
        Arr* arr = Arr_New(1 << 30, nullptr);
        Arr* small = Arr_New(4, nullptr);
        int put = Arr_PutVal(small, 1 << 29, nullptr);
        exit(arr == nullptr && small && put == 0 ? 0 : 1);
    };
    EXPECT_EXIT(tryHuge(), testing::ExitedWithCode(0),
                "^Out of memory in Arr_New\\(\\)\nOut of memory in Arr_PutVal\\(\\)\n$");
#endif
}
