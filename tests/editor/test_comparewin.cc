// tests/editor/test_comparewin.cc: where the texts of a compare window go: two side by side,
// three in a grid with the base below file 1.
#include "editor_fixture.h"

#include "editor/merge.h"

namespace {

struct CompareWin : EditorFixture {};

bool overlap(const WWindow* a, const WWindow* b) {
    return a->x < b->x + b->width && b->x < a->x + a->width && a->y < b->y + b->height &&
           b->y < a->y + a->height;
}

TEST_F(CompareWin, ThreeWayMergePutsTheBaseBelowFileOneAndFileTwoBesideIt) {
    MergeRequest rq;
    rq.file1 = write("mine.c", "a\nB1\nc\n");
    rq.file2 = write("theirs.c", "a\nB2\nc\n");
    rq.base = write("base.c", "a\nb\nc\n");
    DiffStuff* ds = MergeFiles(rq, 1, MERGE_MERGE, 0);
    ASSERT_NE(ds, nullptr); // the conflict keeps the merge open
    ASSERT_TRUE(ds->threeWay);
    const WWindow* f1 = ds->s1.editor->frame;
    const WWindow* f2 = ds->s2.editor->frame;
    const WWindow* fb = ds->base.editor->frame;
    const WWindow* top = f1->parent;
    EXPECT_EQ(f2->parent, top);
    EXPECT_EQ(fb->parent, top);
    // File 2 to the right of file 1 on the same row; the base below file 1, as wide.
    EXPECT_EQ(f2->y, f1->y);
    EXPECT_GE(f2->x, f1->x + f1->width);
    EXPECT_EQ(fb->x, f1->x);
    EXPECT_EQ(fb->width, f1->width);
    EXPECT_GE(fb->y, f1->y + f1->height);
    EXPECT_FALSE(overlap(f1, f2));
    EXPECT_FALSE(overlap(f1, fb));
    EXPECT_FALSE(overlap(f2, fb));
    for (const WWindow* w : {f1, f2, fb}) {
        EXPECT_GT(w->height, 3 * 16) << "room for a few lines";
        EXPECT_LE(w->x + w->width, top->width);
        EXPECT_LE(w->y + w->height, top->height);
    }
    // The result window (a window of its own) goes into the cell below file 2, beside the
    // base, inside the compare window's bounds on the screen.
    ASSERT_NE(ds->resultEdit, nullptr);
    const WWindow* rt = ds->resultEdit->top;
    EXPECT_GE(rt->x, top->x + fb->x + fb->width);
    EXPECT_GE(rt->y, top->y + fb->y - 16);
    EXPECT_LE(rt->x + rt->width, top->x + top->width);
    EXPECT_LE(rt->y + rt->height, top->y + top->height);
    EXPECT_GT(rt->width, top->width / 3);
    DiffStuffDestroy(ds);
}

TEST_F(CompareWin, TwoTextsShareTheWidthSideBySide) {
    MergeRequest rq;
    rq.file1 = write("left.c", "a\nb\n");
    rq.file2 = write("right.c", "a\nB\n");
    DiffStuff* ds = MergeFiles(rq, 0, MERGE_COMPARE, 0);
    ASSERT_NE(ds, nullptr);
    const WWindow* f1 = ds->s1.editor->frame;
    const WWindow* f2 = ds->s2.editor->frame;
    EXPECT_EQ(f1->y, f2->y);
    EXPECT_EQ(f1->height, f2->height);
    EXPECT_GE(f2->x, f1->x + f1->width);
    EXPECT_LE(f2->x + f2->width, f1->parent->width);
    EXPECT_GT(f1->width, f1->parent->width / 3);
    DiffStuffDestroy(ds);
}

} // namespace
