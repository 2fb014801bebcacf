// tests/runtime/test_handles.cc: handle sharing, death, table order, the log, and a randomized
// run against a reference model.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "runtime/gen.h"
#include "runtime/handles.h"

namespace {
bool tableSorted() {
    for (int i = 1; i < MHandleTableCount(); i++)
        if ((uintptr_t)MHandleTableAt(i - 1)->data >= (uintptr_t)MHandleTableAt(i)->data)
            return false;
    return true;
}
} // namespace

TEST(Handles, SharedHandleAndDeath) {
    int record = 0, other = 0;
    MHandle* a = MHandleCreate(MHANDLE_EDITOR, &record);
    MHandle* b = MHandleCreate(MHANDLE_EDITOR, &record);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->count, 2);
    MHandleDestroy(b);
    EXPECT_EQ(MHandleGetData(a), &record);
    EXPECT_EQ(MHandleTableCount(), 1);

    MHandle* c = MHandleCopy(a);
    EXPECT_EQ(c, a);
    MHandleDie(&record);
    EXPECT_EQ(MHandleGetData(a), nullptr);
    EXPECT_EQ(MHandleGetData(c), nullptr);
    EXPECT_EQ(MHandleTableCount(), 0);
    MHandleDie(&other); // nothing to do
    MHandleDie(&record); // twice is harmless

    // A fresh handle for the same address is independent of the dead one.
    MHandle* fresh = MHandleCreate(MHANDLE_FILE, &record);
    EXPECT_EQ(fresh->count, 1);
    EXPECT_EQ(MHandleGetData(fresh), &record);
    MHandleDestroy(a);
    MHandleDestroy(c); // frees the dead record; the fresh one stays in the table
    EXPECT_EQ(MHandleTableCount(), 1);
    EXPECT_EQ(MHandleGetData(fresh), &record);
    MHandleDestroy(fresh);
    EXPECT_EQ(MHandleTableCount(), 0);

    EXPECT_EQ(MHandleCopy(nullptr), nullptr);
    EXPECT_EQ(MHandleGetData(nullptr), nullptr);
    MHandleDestroy(nullptr);
}

TEST(Handles, TableGrowsByTenAndStaysSorted) {
    static char records[35];
    std::vector<int> order(35);
    for (int i = 0; i < 35; i++) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(3));
    std::vector<MHandle*> made;
    int startCapacity = MHandleTableCapacity();
    for (int i : order) {
        made.push_back(MHandleCreate(MHANDLE_OTHER, &records[i]));
        EXPECT_TRUE(tableSorted());
        int n = MHandleTableCount();
        EXPECT_EQ(MHandleTableCapacity(), std::max(startCapacity, (n + 9) / 10 * 10));
    }
    for (int i = 0; i < 35; i++) EXPECT_EQ(MHandleTableAt(i)->data, &records[i]);
    for (size_t i = 0; i < made.size(); i += 2) MHandleDestroy(made[i]);
    EXPECT_TRUE(tableSorted());
    EXPECT_EQ(MHandleTableCount(), 17);
    for (size_t i = 1; i < made.size(); i += 2) MHandleDestroy(made[i]);
    EXPECT_EQ(MHandleTableCount(), 0);
}

TEST(Handles, KindWordsAndLog) {
    EXPECT_STREQ(MHandleKindWord(1), "BUILDER");
    EXPECT_STREQ(MHandleKindWord(6), "EXTRAPRS");
    EXPECT_STREQ(MHandleKindWord(0), "UNKNOWN");
    EXPECT_STREQ(MHandleKindWord(8), "UNKNOWN");

    char tmpl[] = "/tmp/qe_handlelogXXXXXX";
    int fd = mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    close(fd);
    gen_handleLogPath = tmpl;
    gen_handleLogging = 1;
    int record = 0;
    MHandle* h = MHandleCreate(MHANDLE_EDITOR, &record);
    testing::internal::CaptureStderr();
    MHandle* again = MHandleCreate(MHANDLE_PROCESS, &record);
    std::string err = testing::internal::GetCapturedStderr();
    const std::string report =
        "Program Error:\n"
        "  MHandleCreate called with same data pointer but different type.\n"
        "  Probably because memory is being reused but old handle wasn't destroyed.\n"
        "  The count on this handle is now inappropriate.\n";
    EXPECT_EQ(err, report);
    EXPECT_EQ(again, h);
    EXPECT_EQ(h->kind, MHANDLE_EDITOR); // the old kind stays
    EXPECT_EQ(h->count, 2);
    MHandleDestroy(again);
    MHandleDestroy(h);
    gen_handleLogging = 0;
    MHandleCloseLog();
    gen_handleLogPath = nullptr;

    std::ifstream in(tmpl);
    std::stringstream text;
    text << in.rdbuf();
    char data[32], handle[32];
    snprintf(data, sizeof data, "0x%lx", (unsigned long)(uintptr_t)&record);
    snprintf(handle, sizeof handle, "0x%lx", (unsigned long)(uintptr_t)h);
    std::string create = std::string("Create handle for EDITOR   with data ") + data +
                         " and handle " + handle + "\n";
    std::string freeLine = std::string("Free   handle for EDITOR   with data ") + data +
                           " and handle " + handle + "\n";
    EXPECT_EQ(text.str(), create + report + freeLine);
    unlink(tmpl);
}

TEST(HandlesDeathTest, DestroyingAStrayHandleIsAnInternalError) {
    gen_changeprogname("qe");
    auto stray = [] {
        static int record;
        MHandle fake{MHANDLE_ITEM, &record, 1, false};
        MHandleDestroy(&fake);
    };
    EXPECT_EXIT(stray(), testing::ExitedWithCode(1),
                "^Assertion \\(pos >= 0\\) failed in 'handles' on line [0-9]+ in qe\n$");
    auto impostor = [] {
        static int record;
        MHandleCreate(MHANDLE_ITEM, &record);
        MHandle fake{MHANDLE_ITEM, &record, 1, false};
        MHandleDestroy(&fake);
    };
    EXPECT_EXIT(impostor(), testing::ExitedWithCode(1),
                "^Assertion \\(mht.table\\[pos\\] == h\\) failed in 'handles' on line [0-9]+");
}

// The model: every live record's handle and count; handles held by the test with their count.
TEST(Handles, RandomizedAgainstModel) {
    std::mt19937 rng(2024);
    static char records[60];
    struct Held {
        MHandle* h;
        int record;
    };
    std::vector<Held> held;                 // one entry per count the test owns
    std::map<MHandle*, int> counts;         // expected count of every unfreed handle
    std::map<int, MHandle*> live;           // record index -> its live handle
    std::map<MHandle*, bool> dead;
    for (int step = 0; step < 20000; step++) {
        int op = (int)(rng() % 10);
        if (op < 4) {
            int r = (int)(rng() % 60);
            MHandle* h = MHandleCreate(MHANDLE_OTHER, &records[r]);
            if (live.count(r)) {
                EXPECT_EQ(h, live[r]);
            } else {
                EXPECT_EQ(counts.count(h), 0u); // never an old dead record
                live[r] = h;
                dead[h] = false;
            }
            counts[h]++;
            held.push_back({h, r});
        } else if (op < 5 && !held.empty()) {
            Held x = held[rng() % held.size()];
            EXPECT_EQ(MHandleCopy(x.h), x.h);
            counts[x.h]++;
            held.push_back(x);
        } else if (op < 8 && !held.empty()) {
            size_t i = rng() % held.size();
            Held x = held[i];
            held.erase(held.begin() + (long)i);
            MHandleDestroy(x.h);
            if (--counts[x.h] == 0) {
                counts.erase(x.h);
                if (!dead[x.h]) live.erase(x.record);
                dead.erase(x.h);
            } else {
                EXPECT_EQ(x.h->count, counts[x.h]);
            }
        } else if (op < 9) {
            int r = (int)(rng() % 60);
            MHandleDie(&records[r]);
            if (live.count(r)) {
                dead[live[r]] = true;
                live.erase(r);
            }
        } else {
            for (const Held& x : held)
                EXPECT_EQ(MHandleGetData(x.h), dead[x.h] ? nullptr : (void*)&records[x.record]);
        }
        ASSERT_EQ(MHandleTableCount(), (int)live.size()) << step;
    }
    ASSERT_TRUE(tableSorted());
    int i = 0;
    for (auto& [r, h] : live) EXPECT_EQ(MHandleTableAt(i++), h); // record order is address order
    for (const Held& x : held) MHandleDestroy(x.h);
    EXPECT_EQ(MHandleTableCount(), 0);
}
