// tests/editor/test_editwin.cc: editor windows over the headless backend: what a pane shows,
// line placement, the alternate-file stack, change notification and the changed-on-disk check.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/scrollbar.h"
#include "toolkit/widgets.h"
#include "toolkit/toolkit.h"
#include "editor_fixture.h"

namespace {

std::string numbered(int n, const char* prefix = "line") {
    std::string s;
    for (int i = 1; i <= n; i++) s += std::string(prefix) + " " + std::to_string(i) + "\n";
    return s;
}

struct EditWin : EditorFixture {
    std::string row(Edit* e, int r) { return WHeadlessRows(e->view.window)[(size_t)r]; }
};

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

TEST_F(EditWin, PaneShowsTextWithTabsExpandedAndTitleFields) {
    std::string p = write("t.c", "a\tb\n\tx\n" + numbered(40));
    Edit* e = NewEdit(p.c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->top->name, "t.c");
    EXPECT_EQ(trimmed(row(e, 0)), "a       b");
    EXPECT_EQ(trimmed(row(e, 1)), "        x");
    EXPECT_EQ(trimmed(row(e, 2)), "line 1");
    EXPECT_EQ(e->lineField->text, "1/42");
    EXPECT_EQ(e->statusText, "Ln 1,Col 1 UTF-8");
    // The first non-blank of line 2 is after a tab: display column 9.
    EditSetLine(e, 2, 0);
    EXPECT_EQ(e->statusText, "Ln 2,Col 9 UTF-8");
    EXPECT_EQ(e->lineField->text, "2/42");
    tabsize = 4;
    EditRedraw(e);
    EXPECT_EQ(trimmed(row(e, 0)), "a   b");
    EXPECT_EQ(e->nameField->text, p);
}

TEST_F(EditWin, SetLinePutsTheLineAFifthOfTheViewBelowTheTop) {
    editheight = 50;
    std::string p = write("long.c", numbered(300));
    Edit* e = NewEdit(p.c_str(), 100, 1, 0);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->view.topLine, 90);
    EXPECT_EQ(EditCursorLine(e), 100);
    EXPECT_EQ(trimmed(row(e, 10)), "line 100");
    EditSetLine(e, 5, 0); // near the top: the view starts at line 1
    EXPECT_EQ(e->view.topLine, 1);
    EditSetLine(e, 9999, 0); // limited to the last line
    EXPECT_EQ(EditCursorLine(e), 300);
    EditSetToEnd(e);
    EXPECT_EQ(EditCursorLine(e), 300);
    EXPECT_EQ(EditCursorCol(e), 8); // "line 300"
    EXPECT_LE(e->view.topLine, 300);
    EXPECT_GT(e->view.topLine + 50, 300);
}

TEST_F(EditWin, ScrollBarPageDownAndTrack) {
    std::string p = write("s.c", numbered(200));
    Edit* e = NewEdit(p.c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    int rows = e->view.height / 16;
    ScrollBar* sb = e->vsb;
    int start, length;
    sbThumb(sb, &start, &length);
    WEvent ev;
    ev.kind = WE_BUTTON;
    ev.window = sb->win;
    ev.button = 1;
    ev.x = 5;
    ev.y = start + length + 5;
    ev.direction = 1;
    WHeadlessPost(ev);
    ev.direction = -1;
    WHeadlessPost(ev);
    WEventAll(0);
    EXPECT_EQ(e->view.topLine, rows); // one page less one line
    EXPECT_EQ(trimmed(row(e, 0)), "line " + std::to_string(rows));
    EXPECT_EQ(sb->pos, (int64_t)(rows - 1) * 16);
    // Paging never leaves the last page.
    for (int i = 0; i < 20; i++) {
        ev.direction = 1;
        sbThumb(sb, &start, &length);
        ev.y = std::min(sb->win->height - 20, start + length + 2);
        WHeadlessPost(ev);
        ev.direction = -1;
        WHeadlessPost(ev);
        WEventAll(0);
    }
    EXPECT_EQ(e->view.topLine, 200 - rows + 1);
    EXPECT_EQ(trimmed(row(e, rows - 1)), "line 200");
}

TEST_F(EditWin, StackPushPopToggleAndCycle) {
    std::string x = write("x.c", numbered(100, "x"));
    std::string a = write("a.c", numbered(100, "a"));
    std::string b = write("b.c", numbered(100, "b"));
    std::string c = write("c.c", numbered(100, "c"));
    Edit* e = NewEdit(x.c_str(), 60, 1, 0);
    ASSERT_NE(e, nullptr);
    int64_t xTop = e->view.topLine;
    EditSetMsg(e, "");
    EXPECT_EQ(EditPopEdit(e), 0);
    EXPECT_EQ(e->message, "Nothing to pop");
    EXPECT_EQ(EditCyclePush(e), 0);
    EXPECT_EQ(e->message, "No alternate file");
    ASSERT_EQ(EditPush(e, FileFName(a.c_str()), 0), 1);
    ASSERT_EQ(EditPush(e, FileFName(b.c_str()), 30), 1);
    ASSERT_EQ(EditPush(e, FileFName(c.c_str()), 0), 1);
    EXPECT_EQ(e->top->name, "c.c");
    EXPECT_EQ(EditStackDepth(e), 3);
    File* xf = FileFName(x.c_str());
    EXPECT_EQ(xf->edits, nullptr); // the editor left x.c's chain...
    ASSERT_NE(xf->pops, nullptr);  // ...and an entry now refers to it
    // Cycling visits every File in turn and comes back after four.
    std::vector<std::string> seen;
    for (int i = 0; i < 4; i++) {
        ASSERT_EQ(EditCyclePush(e), 1);
        seen.push_back(e->top->name);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"b.c", "a.c", "x.c", "c.c"}));
    EXPECT_EQ(EditStackDepth(e), 3);
    // Toggling alternates between two Files.
    EditTogglePush(e);
    EXPECT_EQ(e->top->name, "b.c");
    EditTogglePush(e);
    EXPECT_EQ(e->top->name, "c.c");
    // Popping returns to the saved place of each File.
    EditPopEdit(e);
    EXPECT_EQ(e->top->name, "b.c");
    EXPECT_EQ(EditCursorLine(e), 30);
    EditPopEdit(e);
    EditPopEdit(e);
    EXPECT_EQ(e->top->name, "x.c");
    EXPECT_EQ(EditCursorLine(e), 60);
    EXPECT_EQ(e->view.topLine, xTop);
    EXPECT_EQ(trimmed(row(e, (int)(60 - xTop))), "x 60");
    EXPECT_EQ(EditStackDepth(e), 0);
    EXPECT_EQ(xf->pops, nullptr);
    EXPECT_EQ(xf->edits, e);
}

TEST_F(EditWin, FixedEditorBeepsOnStackAndClose) {
    std::string a = write("a.c", "a\n");
    Edit* e = NewEdit(a.c_str(), 0, 1, 0);
    e->fixed = true;
    int beeps = WHeadlessBeeps();
    EXPECT_EQ(EditPush(e, FileFName(a.c_str()), 0), 0);
    EXPECT_EQ(EditClose(e), 0);
    EXPECT_EQ(WHeadlessBeeps(), beeps + 2);
    EXPECT_EQ(NextEditContext(), &e->cw);
    e->fixed = false;
    EXPECT_EQ(EditClose(e), 1);
    EXPECT_EQ(NextEditContext(), nullptr);
}

TEST_F(EditWin, ClosingWithUnsavedChangesAsksAndCanBeRefused) {
    std::string a = write("a.c", "a\n");
    Edit* e = NewEdit(a.c_str(), 0, 1, 0);
    e->view.file->modified = true;
    WQueueAnswer("yes"); // not one of the answers: nothing is given up
    EXPECT_EQ(EditClose(e), 0);
    WQueueAnswer("Cancel");
    EXPECT_EQ(EditClose(e), 0);
    EXPECT_EQ(NextEditContext(), &e->cw);
    WQueueAnswer("Discard");
    EXPECT_EQ(EditClose(e), 1);
    EXPECT_EQ(NextEditContext(), nullptr);
}

TEST_F(EditWin, ChangesMoveSelectionsInEveryEditorOfTheFile) {
    std::string p = write("two.c", numbered(20));
    Edit* e1 = NewEdit(p.c_str(), 0, 1, 0);
    Edit* e2 = NewEdit(p.c_str(), 0, 1, 0);
    File* f = e1->view.file;
    ASSERT_EQ(e2->view.file, f);
    EXPECT_EQ(f->edits, e2); // the newest editor heads the chain
    EditSetLine(e1, 15, 0);  // below the change: shifted
    EditSetLine(e2, 3, 0);   // inside the change: collapsed to its end
    f->lastEdit = e1;
    // Two new lines after line 3 (line 3 itself rewritten): region 3..5, before 3..3.
    Line* l4 = FileLine(f, 4);
    FileInsertS(f, l4, "new a", 5);
    FileInsertS(f, l4, "new b", 5);
    EditsShowChange(f->edits, 3, -1, 5, -1, 3);
    EXPECT_EQ(EditCursorLine(e1), 17);
    EXPECT_EQ(EditCursorLine(e2), 6);
    EXPECT_EQ(EditCursorCol(e2), 0);
    // Both show the new text.
    EXPECT_EQ(trimmed(row(e2, 3)), "new a");
    EXPECT_EQ(trimmed(row(e2, 4)), "new b");
    EXPECT_EQ(e1->view.topLine, 9);
    EXPECT_EQ(trimmed(row(e1, 0)), "line 7"); // two lines came in above its view
    // Lines removed from the end bring tops and cursors back into range.
    EditSetLine(e1, 22, 0);
    e1->view.topLine = 20;
    while (f->nLines > 5) FileRemove(f, f->last);
    EditsRefigureTopLine(f->edits);
    for (Edit* e : {e1, e2}) {
        EXPECT_LE(e->view.topLine, 5);
        EXPECT_LE(EditCursorLine(e), 6);
        EXPECT_EQ(e->view.shownCount, 5);
    }
}

TEST_F(EditWin, StackEntriesFollowChangesToTheirFile) {
    std::string a = write("a.c", numbered(50));
    std::string b = write("b.c", numbered(5));
    Edit* e = NewEdit(a.c_str(), 40, 1, 0);
    EditPush(e, FileFName(b.c_str()), 0);
    File* af = FileFName(a.c_str());
    ASSERT_NE(af->pops, nullptr);
    // Ten lines inserted at line 2 of a.c push the saved cursor down by ten.
    PopsShowChange(af->pops, 2, -1, 11, -1, 1);
    EXPECT_EQ(af->pops->cursorLine, 50);
}

TEST_F(EditWin, FileChangedOnDiskIsReloadedOrAsked) {
    std::string p = write("d.c", "old\n");
    Edit* e = NewEdit(p.c_str(), 0, 1, 0);
    File* f = e->view.file;
    write("d.c", "new one\nnew two\n");
    struct utimbuf times = {f->mtime + 10, f->mtime + 10};
    utime(p.c_str(), &times);
    EditFileCheck(e, nullptr);
    ASSERT_EQ(f->nLines, 2);
    EXPECT_EQ(trimmed(row(e, 1)), "new two");
    EditFileCheck(e, nullptr); // the same change is not noticed twice
    EXPECT_EQ(f->nLines, 2);
    // With unsaved changes the question comes, and "no" keeps the File as it is.
    f->modified = true;
    write("d.c", "third\n");
    times = {f->mtime + 20, f->mtime + 20};
    utime(p.c_str(), &times);
    WQueueAnswer("no");
    EditFileCheck(e, nullptr);
    EXPECT_EQ(f->nLines, 2);
    EXPECT_EQ(e->message, "Warning: File on screen is out of date");
    f->modified = false;
}

TEST_F(EditWin, MissingFileMakesNoWindow) {
    std::string d = dir + "/sub";
    mkdir(d.c_str(), 0700);
    EXPECT_EQ(NewEdit(d.c_str(), 0, 1, 0), nullptr);
    EXPECT_EQ(NextEditContext(), nullptr);
}

TEST_F(EditWin, LoadFileAsksTheChooserAndOpensTheChoice) {
    std::string p = write("chosen.c", "x\n");
    WQueueAnswer(p.c_str());
    EXPECT_EQ(_EditLoadFile(nullptr, 0, dir.c_str(), 0), 1);
    ASSERT_NE(EditCurrent(), nullptr);
    EXPECT_EQ(EditCurrent()->top->name, "chosen.c");
    EXPECT_EQ(_EditLoadFile(nullptr, 0, dir.c_str(), 0), 0); // nothing queued: cancelled
}

} // namespace

namespace {

// The status's display column of the cursor, from "Ln L,Col C ...".
long statusCol(Edit* e) {
    size_t at = e->statusText.find("Col ");
    return at == std::string::npos ? -1 : atol(e->statusText.c_str() + at + 4);
}

} // namespace

// A line far longer than the drawing memos' span: the cursor's column comes from memos that
// a change within the line keeps up to the change, so edits before and after them must show.
TEST_F(EditWin, ColumnsInAHugeUtf8LineFollowEditsBeforeAndAfterTheMemos) {
    std::string line;
    for (int i = 0; i < 200000; i++) line += "\xc3\xa9\t"; // é and a tab: 9 columns each
    std::string p = write("huge.txt", line + "\n");
    Edit* e = NewEdit(p.c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    auto run = [&](const char* cmd) { EditParseCmdLoc(e, -1, -1, cmd); };
    long want = 200000L * 8 + 1; // tab stops every 8: each pair ends on one
    run("EOL");
    EXPECT_EQ(statusCol(e), want);
    run("\"\xe6\xbc\xa2\""); // a wide character at the end: two more columns
    EXPECT_EQ(statusCol(e), want + 2);
    // At the start: a tab stop's worth more pushes every column along, which the memos past
    // the change must not hide.
    run("SOL;\"xxxxxxxx\";EOL");
    EXPECT_EQ(statusCol(e), want + 2 + 8);
    std::string t(FileLineText(e->view.file, e->view.file->first), (size_t)e->view.file->first->len);
    EXPECT_EQ(statusCol(e), LineCols(t.data(), (int)t.size(), (int)t.size(), true) + 1);
}

// The horizontal scroll range is the widest line in display columns: dragged to its end, a
// line of wide characters, combining marks and a tab ends exactly at the pane's right edge.
TEST_F(EditWin, HorizontalRangeEndsAtTheLastCharacterOfAUtf8Line) {
    tabsize = 8;
    std::string line;
    for (int i = 0; i < 100; i++) line += "\xe6\xbc\xa2"; // 200 columns
    for (int i = 0; i < 20; i++) line += "e\xcc\x81";     // 20 more
    line += "\tEND";                                        // to column 224, then 3
    std::string p = write("wide.txt", line + "\nshort\n");
    Edit* e = NewEdit(p.c_str(), 0, 1, 0);
    ASSERT_NE(e, nullptr);
    // 220 columns, the tab to 224 and END; the measure's start at 1 goes in the tab.
    EXPECT_EQ(e->view.file->maxWidth, 227);
    EditPort* port = e->panes;
    ScrollBar* sb = port->hsb;
    ASSERT_NE(sb, nullptr);
    int start, length;
    sbThumb(sb, &start, &length);
    WEvent ev;
    ev.kind = WE_BUTTON;
    ev.window = sb->win;
    ev.button = 1;
    ev.y = 5;
    ev.x = start + 2;
    ev.direction = 1;
    WHeadlessPost(ev);
    ev.x = 100000;
    ev.direction = 0;
    ev.modifiers = WMOD_BUTTON1;
    WHeadlessPost(ev);
    ev.direction = -1;
    WHeadlessPost(ev);
    WEventAll(0);
    int cells = (e->view.width - port->offset) / 8;
    EXPECT_EQ(port->hpos, (227 - cells) * 8);
    // The last cell shows the D of END.
    int last = port->offset / 8 + cells - 1;
    EXPECT_EQ(WHeadlessCell(e->view.window, last, 0).ch, U'D') << row(e, 0);
}
