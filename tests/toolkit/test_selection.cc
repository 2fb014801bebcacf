// tests/toolkit/test_selection.cc: owning, giving up, losing and fetching selections over the
// headless backend, where they live in the process and answers come through the event queue.
#include <gtest/gtest.h>

#include <vector>

#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/selection.h"
#include "toolkit/toolkit.h"

namespace {

struct Seen {
    std::vector<WEvent> events;
};

int record(WEvent& ev, void* data) {
    if (ev.kind == WE_SELECTION) static_cast<Seen*>(data)->events.push_back(ev);
    return 1;
}

struct Selections : ::testing::Test {
    void SetUp() override {
        if (!wBackend) {
            wRequestedBackend = WB_HEADLESS;
            ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
        }
        WSelectionReset();
        WHeadlessRefuseSelections(false);
        for (int slot = 0; slot < WSEL_SLOTS; slot++) WHeadlessForeignSelection(slot, "", 0);
        WEventAll(0);
        a = WCreateWindow(nullptr, 0, 0, 100, 100, record, &seenA);
        b = WCreateWindow(nullptr, 0, 0, 100, 100, record, &seenB);
    }
    void TearDown() override {
        if (a) WDestroyWindow(a);
        if (b) WDestroyWindow(b);
    }
    // Asks for the slot on behalf of b and returns the one answer b got.
    WEvent fetch(int slot) {
        seenB.events.clear();
        EXPECT_EQ(WSelectionRequest(b, slot, 0), 1);
        EXPECT_TRUE(seenB.events.empty()); // answers come through the queue, never at once
        WEventAll(0);
        EXPECT_EQ(seenB.events.size(), 1u);
        return seenB.events.empty() ? WEvent() : seenB.events[0];
    }
    WWindow* a = nullptr;
    WWindow* b = nullptr;
    Seen seenA, seenB;
};

TEST(SelectionNames, SlotsNameTheXSelections) {
    const char* expected[] = {"PRIMARY", "CLIPBOARD", "CLIPBOARD_S", "CLIPBOARD_C", "CLIPBOARD_CS"};
    for (int slot = 0; slot < WSEL_SLOTS; slot++)
        EXPECT_STREQ(WSelectionName(slot), expected[slot]);
    EXPECT_EQ(WSelectionName(-1), nullptr);
    EXPECT_EQ(WSelectionName(WSEL_SLOTS), nullptr);
}

TEST_F(Selections, OwnedDataIsKeptAndFetchedWithItsKind) {
    ASSERT_EQ(WSelectionOwn(a, 1, "one\ntwo\n", WSEL_LINES, 0), 1);
    ASSERT_EQ(WSelectionOwn(a, 4, std::string("r\0c\n", 4), WSEL_RECT, 0), 1);
    std::string text;
    int type = 0;
    ASSERT_TRUE(WSelectionOwned(1, &text, &type));
    EXPECT_EQ(text, "one\ntwo\n");
    EXPECT_EQ(type, WSEL_LINES);
    EXPECT_FALSE(WSelectionOwned(0, &text, &type));

    WEvent ev = fetch(1);
    EXPECT_EQ(ev.window, b);
    EXPECT_EQ(ev.text, "one\ntwo\n");
    EXPECT_EQ(ev.selType, WSEL_LINES);
    EXPECT_EQ(ev.selNumber, 1);
    EXPECT_EQ(ev.lost, 0);
    ev = fetch(4);
    EXPECT_EQ(ev.text, std::string("r\0c\n", 4)); // binary bytes travel unchanged
    EXPECT_EQ(ev.selType, WSEL_RECT);
    EXPECT_EQ(ev.selNumber, 4);
    EXPECT_TRUE(seenA.events.empty());

    // Nobody owns slot 2: an empty text answer.
    ev = fetch(2);
    EXPECT_EQ(ev.text, "");
    EXPECT_EQ(ev.selType, WSEL_TEXT);
    EXPECT_EQ(ev.selNumber, 2);
}

TEST_F(Selections, AnotherWindowTakingASlotTellsTheFormerOwnerOnce) {
    ASSERT_EQ(WSelectionOwn(a, 0, "from a", WSEL_TEXT, 0), 1);
    ASSERT_EQ(WSelectionOwn(a, 3, "kept", WSEL_TEXT, 0), 1);
    ASSERT_EQ(WSelectionOwn(a, 0, "from a again", WSEL_TEXT, 0), 1); // same owner: no loss
    WEventAll(0);
    EXPECT_TRUE(seenA.events.empty());

    ASSERT_EQ(WSelectionOwn(b, 0, "from b", WSEL_LINES, 0), 1);
    EXPECT_TRUE(seenA.events.empty()); // queued, like a display's notice
    WEventAll(0);
    ASSERT_EQ(seenA.events.size(), 1u);
    EXPECT_EQ(seenA.events[0].lost, 1);
    EXPECT_EQ(seenA.events[0].selNumber, 0);
    EXPECT_EQ(seenA.events[0].window, a);
    EXPECT_TRUE(seenB.events.empty());
    std::string text;
    ASSERT_TRUE(WSelectionOwned(0, &text, nullptr));
    EXPECT_EQ(text, "from b");
    ASSERT_TRUE(WSelectionOwned(3, &text, nullptr)); // other slots are untouched
    EXPECT_EQ(text, "kept");
}

TEST_F(Selections, OnlyTheOwnerGivesASlotUp) {
    ASSERT_EQ(WSelectionOwn(a, 2, "mine", WSEL_TEXT, 0), 1);
    WSelectionDisown(b, 2);
    EXPECT_TRUE(WSelectionOwned(2, nullptr, nullptr));
    WSelectionDisown(a, 2);
    EXPECT_FALSE(WSelectionOwned(2, nullptr, nullptr));
    WEvent ev = fetch(2);
    EXPECT_EQ(ev.text, "");
    WEventAll(0);
    EXPECT_TRUE(seenA.events.empty()); // giving up is not losing
}

TEST_F(Selections, OtherClientsTakeSlotsAndAnswerRequests) {
    ASSERT_EQ(WSelectionOwn(a, 1, "ours", WSEL_TEXT, 0), 1);
    WHeadlessForeignSelection(1, "theirs", WSEL_RECT);
    EXPECT_FALSE(WSelectionOwned(1, nullptr, nullptr));
    WEvent ev = fetch(1);
    EXPECT_EQ(ev.text, "theirs");
    EXPECT_EQ(ev.selType, WSEL_RECT);
    ASSERT_EQ(seenA.events.size(), 1u);
    EXPECT_EQ(seenA.events[0].lost, 1);
    EXPECT_EQ(seenA.events[0].selNumber, 1);

    // Taking it back makes our data the answer again.
    ASSERT_EQ(WSelectionOwn(a, 1, "ours again", WSEL_TEXT, 0), 1);
    EXPECT_EQ(fetch(1).text, "ours again");
    WSelectionDisown(a, 1);
    EXPECT_EQ(fetch(1).text, ""); // the other client's data went when we took over
}

TEST_F(Selections, RefusedOwnershipKeepsTheEarlierState) {
    ASSERT_EQ(WSelectionOwn(a, 0, "before", WSEL_TEXT, 0), 1);
    WHeadlessRefuseSelections(true);
    EXPECT_EQ(WSelectionOwn(b, 0, "after", WSEL_LINES, 0), 0);
    WHeadlessRefuseSelections(false);
    std::string text;
    int type = 0;
    ASSERT_TRUE(WSelectionOwned(0, &text, &type));
    EXPECT_EQ(text, "before");
    EXPECT_EQ(type, WSEL_TEXT);
    WEventAll(0);
    EXPECT_TRUE(seenA.events.empty());
}

TEST_F(Selections, BadArgumentsAreRefusedQuietly) {
    EXPECT_EQ(WSelectionOwn(nullptr, 0, "x", WSEL_TEXT, 0), 0);
    EXPECT_EQ(WSelectionOwn(a, -1, "x", WSEL_TEXT, 0), 0);
    EXPECT_EQ(WSelectionOwn(a, WSEL_SLOTS, "x", WSEL_TEXT, 0), 0);
    EXPECT_EQ(WSelectionRequest(nullptr, 0, 0), 0);
    EXPECT_EQ(WSelectionRequest(b, 99, 0), 0);
    WSelectionDisown(nullptr, 0);
    WSelectionDisown(a, -7);
    EXPECT_FALSE(WSelectionOwned(-1, nullptr, nullptr));
    EXPECT_FALSE(WSelectionOwned(WSEL_SLOTS, nullptr, nullptr));
    WEventAll(0);
    EXPECT_TRUE(seenA.events.empty());
    EXPECT_TRUE(seenB.events.empty());
    // A kind we do not know is kept as plain text.
    ASSERT_EQ(WSelectionOwn(a, 0, "odd", 2, 0), 1);
    int type = 0;
    ASSERT_TRUE(WSelectionOwned(0, nullptr, &type));
    EXPECT_EQ(type, WSEL_TEXT);
}

TEST_F(Selections, DestroyedWindowsNeitherReceiveNorBreakAnything) {
    ASSERT_EQ(WSelectionOwn(a, 0, "left behind", WSEL_LINES, 0), 1);
    WDestroyWindow(a);
    a = nullptr;
    // The data outlives its window; taking the slot over tells nobody.
    EXPECT_EQ(fetch(0).text, "left behind");
    ASSERT_EQ(WSelectionOwn(b, 0, "new", WSEL_TEXT, 0), 1);
    WEventAll(0);
    EXPECT_EQ(seenB.events.size(), 1u); // only the fetch above

    // An answer for a window destroyed before it arrived is dropped.
    seenB.events.clear();
    ASSERT_EQ(WSelectionRequest(b, 0, 0), 1);
    WDestroyWindow(b);
    b = nullptr;
    WEventAll(0);
    EXPECT_TRUE(seenB.events.empty());
}

} // namespace
