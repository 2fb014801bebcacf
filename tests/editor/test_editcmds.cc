// tests/editor/test_editcmds.cc: the command table, key and mouse events turned into command
// strings, word wrap, bracket flashing, quick paste, drag and drop and the commands whose
// effects batch scripts cannot reach.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "../buffer/fake_vc.h"
#include "buffer/vchook.h"
#include "config/bindings.h"
#include "config/cfg.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/editcmd.h"
#include "editor/startup.h"
#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/eventloop.h"
#include "toolkit/headless.h"
#include "toolkit/selection.h"
#include "toolkit/settings.h"
#include "toolkit/toolkit.h"
#include "editor_fixture.h"

namespace {

struct EditCmds : EditorFixture {
    Edit* e = nullptr;
    void SetUp() override {
        EditorFixture::SetUp();
        if (HasFatalFailure()) return;
        EditInstallCfgDisplay();
        cfg_StartupConfiguration(0);
        editheight = 32;
        editwidth = 80;
        tabsize = 8;
        EditInstallFileLinks();
    }
    Edit* open(const std::string& text, const char* name = "t.txt") {
        std::string p = dir + "/" + name;
        FILE* f = fopen(p.c_str(), "wb");
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        e = NewEdit(p.c_str(), 0, 1, 0);
        return e;
    }
    std::string text() {
        File* f = e->view.file;
        std::string s;
        for (Line* l = f->first; l; l = l->next)
            s += std::string(FileLineText(f, l), (size_t)l->len) + "\n";
        return s;
    }
    std::string sel(int which = 0) {
        const Selection& s = e->view.sel[which];
        return std::to_string(s.startLine) + "," + std::to_string(s.startCol) + "-" +
               std::to_string(s.endLine) + "," + std::to_string(s.endCol);
    }
    void key(int code, unsigned mods = 0, const std::string& typed = "") {
        WEvent ev;
        ev.kind = WE_KEY;
        ev.window = e->view.window;
        ev.key = code;
        ev.modifiers = mods;
        ev.text = typed;
        EditEventParse(e, ev);
    }
    void type(const std::string& s) {
        for (char c : s)
            key((unsigned char)c, 0, std::string(1, c));
    }
    void button(int b, int dir, int col, int row, int clicks = 1, unsigned mods = 0) {
        WEvent ev;
        ev.kind = WE_BUTTON;
        ev.window = e->view.window;
        ev.button = b;
        ev.direction = dir;
        ev.x = col * 8 + 2;
        ev.y = row * 16 + 8;
        ev.clicks = clicks;
        ev.modifiers = mods;
        EditEventParse(e, ev);
    }
    int run(const std::string& s) { return EditCli(e, s.c_str()); }
    void motion(int col, int row) {
        WEvent ev;
        ev.kind = WE_BUTTON;
        ev.window = e->view.window;
        ev.direction = 0;
        ev.x = col * 8 + 2;
        ev.y = row * 16 + 8;
        EditEventParse(e, ev);
    }
    // n presses at one place, as the toolkit counts them, releasing after each.
    void clicks(int col, int n) {
        for (int i = 1; i <= n; i++) {
            button(1, 1, col, 0, i);
            button(1, -1, col, 0, i);
        }
    }
};

TEST_F(EditCmds, OptionsTheToolkitReadsReachItsSettings) {
    // The toolkit reads no option: every setting it uses comes through the editor.
    EditInstallOptionWatch();
    EXPECT_EQ(cfg_ScanLine("clickpause 7"), 1);
    EXPECT_EQ(cfg_ScanLine("ignoremotion 9"), 1);
    EXPECT_EQ(cfg_ScanLine("font 7x13"), 1);
    EXPECT_EQ(cfg_ScanLine("background #102030"), 1);
    EXPECT_EQ(cfg_ScanLine("select #405060"), 1);
    EXPECT_EQ(wSettings.clickPause, 7);
    EXPECT_EQ(wSettings.ignoreMotion, 9);
    EXPECT_EQ(wSettings.font, "7x13");
    EXPECT_EQ(wSettings.background, "#102030");
    EXPECT_EQ(wSettings.select, "#405060");
    EXPECT_EQ(wPalette.background, 0x102030ul); // refigured at once
    debugFlag[XSW_ESCABORT] = 1;
    EditApplyToolkitSettings();
    EXPECT_TRUE(wSettings.escapeAborts);
    debugFlag[XSW_ESCABORT] = 0;
    cfg_optionWatch.install(nullptr);
    cfg_StartupConfiguration(0);
    EditApplyToolkitSettings();
}

TEST_F(EditCmds, TableHasEveryRowWithItsFlags) {
    std::map<int, int> byFlags;
    int rows = 0;
    for (const EditCmd& c : ::EditCmds()) {
        if (!c.name) break;
        rows++;
        byFlags[c.flags]++;
        EXPECT_NE(c.handler, nullptr) << c.name;
    }
    EXPECT_EQ(rows, 200);
    EXPECT_EQ(byFlags[0], 65);
    EXPECT_EQ(byFlags[CMDF_CHANGES], 20);
    EXPECT_EQ(byFlags[CMDF_CHANGES | CMDF_DELETES], 5);
    EXPECT_EQ(byFlags[CMDF_SECONDARY], 9);
    EXPECT_EQ(byFlags[CMDF_CHANGES | CMDF_SECONDARY], 2);
    EXPECT_EQ(byFlags[CMDF_WINDOW], 91);
    EXPECT_EQ(byFlags[CMDF_CHANGES | CMDF_WINDOW], 1);
    EXPECT_EQ(byFlags[CMDF_WINDOW | CMDF_NOTRANS], 4);
    EXPECT_EQ(byFlags[CMDF_CHANGES | CMDF_WINDOW | CMDF_NOTRANS], 3);
    auto handler = [](const char* name) {
        for (const EditCmd& c : ::EditCmds())
            if (c.name && strcmp(c.name, name) == 0) return c.handler;
        return (EditCmdFn) nullptr;
    };
    EXPECT_EQ(handler("CreateLog"), handler("PlaceUnderVC"));
    EXPECT_EQ(handler("!"), handler("ExecuteCmd"));
    EXPECT_EQ(handler("AlterMode"), handler("AlterLocation"));
    EXPECT_NE(handler("Up"), handler("Down"));
}

TEST_F(EditCmds, BrowserCommandsSucceedAndChangeNothing) {
    open("abc\n");
    for (const char* c : {"FindDec", "Analyze", "StartBrowser", "AdjCaseFile", "SpecialTag"}) {
        EXPECT_EQ(run(c), 1) << c;
    }
    EXPECT_EQ(text(), "abc\n");
    EXPECT_FALSE(e->view.file->modified);
    EXPECT_EQ(e->message, "");
}

int countingCmd(Edit*, EditCmdCtx* ctx) {
    static int calls = 0;
    calls++;
    return std::string(ctx->text).rfind("fail", 0) == 0 ? 0 : calls;
}

TEST_F(EditCmds, AddedCommandsComeFirstAndFailureStopsTheString) {
    open("1\n2\n3\n");
    ASSERT_EQ(EditAddCmd("ZapTest", countingCmd), 1);
    EXPECT_EQ(run("zaptest; Down"), 1); // first call returns 1: the string goes on
    EXPECT_EQ(e->view.sel[0].cursorLine, 2);
    EXPECT_EQ(run("ZapTest fail; Down"), 0);
    EXPECT_EQ(e->view.sel[0].cursorLine, 2);
}

TEST_F(EditCmds, TypingKeysArrowsShiftSelectCutPasteUndo) {
    open("");
    type("hello world");
    key(WK_RETURN, 0, "\r");
    type("second");
    EXPECT_EQ(text(), "hello world\nsecond\n");
    key(WK_UP);
    EXPECT_EQ(sel(), "1,6-1,6");
    key(WK_LEFT, WMOD_SHIFT);
    key(WK_LEFT, WMOD_SHIFT);
    EXPECT_EQ(sel(), "1,4-1,6");
    key('x', WMOD_CONTROL, "\x18");
    EXPECT_EQ(text(), "hellworld\nsecond\n");
    key(WK_END, WMOD_CONTROL);
    key('v', WMOD_CONTROL, "\x16");
    EXPECT_EQ(text(), "hellworld\nsecond\no \n");
    key('z', WMOD_CONTROL);
    EXPECT_EQ(text(), "hellworld\nsecond\n");
    key('z', WMOD_CONTROL);
    EXPECT_EQ(text(), "hello world\nsecond\n");
    key('y', WMOD_CONTROL);
    EXPECT_EQ(text(), "hellworld\nsecond\n");
    // Backspace through the key table, Delete with nothing selected takes one character.
    key(WK_HOME, WMOD_CONTROL);
    key(WK_DELETE);
    EXPECT_EQ(text(), "ellworld\nsecond\n");
    key(WK_END);
    key(WK_BACKSPACE, 0, "\b");
    EXPECT_EQ(text(), "ellworl\nsecond\n");
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

TEST_F(EditCmds, PaneFollowsTypingJoinsAndSelections) {
    open("aaa\nbbb\nccc\nddd\n");
    auto row = [&](int r) { return trimmed(WHeadlessRows(e->view.window)[(size_t)r]); };
    run("Down;\"X\"");
    EXPECT_EQ(row(0), "aaa");
    EXPECT_EQ(row(1), "Xbbb");
    run("SOL0;Backspace");
    EXPECT_EQ(row(0), "aaaXbbb");
    EXPECT_EQ(row(1), "ccc");
    EXPECT_EQ(row(2), "ddd");
    EXPECT_EQ(row(3), "");
    run("InsertNewline;InsertNewline");
    EXPECT_EQ(row(1), "");
    EXPECT_EQ(row(2), "Xbbb");
    EXPECT_EQ(row(4), "ddd");
    // A long line scrolls the pane sideways to keep the cursor in view.
    run("EOF;\"" + std::string(200, 'y') + "z\"");
    EXPECT_GT(e->panes->hpos, 0);
    std::string last = row(5);
    ASSERT_FALSE(last.empty());
    EXPECT_EQ(last.back(), 'z');
}

TEST_F(EditCmds, FoundMatchAtThePaneEdgeIsShownWhole) {
    open("x\n", "probe.txt");
    int cols = e->panes->width / WFontWidth();
    ASSERT_GT(cols, 20);
    // The match starts three columns before the edge: showing only its cursor end would cut it.
    open(std::string((size_t)cols - 3, '.') + "needle tail\n", "edge.txt");
    run("ISearch;\"needle\"");
    std::string r = WHeadlessRows(e->view.window)[0];
    EXPECT_NE(r.find("needle"), std::string::npos) << r;
    EXPECT_EQ(EditCursorCol(e), cols - 3);
}

TEST_F(EditCmds, InsertModeAndQuoteMode) {
    open("");
    // Control+backslash quotes the next key: a control character is typed literally.
    key('\\', WMOD_CONTROL);
    key('a', WMOD_CONTROL, "\x01");
    EXPECT_EQ(text(), "\x01\n");
    run("EnterInsertMode");
    // "}" is bound, but in insert mode a plain printable key is typed.
    key('}', 0, "}");
    EXPECT_EQ(text(), "\x01}\n");
}

TEST_F(EditCmds, IdentifyExplainsInsteadOfRunning) {
    open("abc\n");
    run("Identify");
    key(WK_END);
    EXPECT_EQ(e->view.sel[0].cursorCol, 0);
    EXPECT_EQ(e->message, "EOL\t(End)");
    key(WK_END);
    EXPECT_EQ(e->view.sel[0].cursorCol, 3);
}

TEST_F(EditCmds, AlterLocationAppliesToOneKey) {
    open("a\nb\nc\n");
    ASSERT_EQ(parseKey("\"F5\"@Edit3=EOF"), 1);
    key(256 + 0xc2); // F5 without the mode: unbound, nothing happens
    EXPECT_EQ(sel(), "1,0-1,0");
    run("AlterLocation Edit3");
    key(256 + 0xc2);
    EXPECT_EQ(sel(), "4,0-4,0");
    run("SOF");
    key(256 + 0xc2);
    EXPECT_EQ(sel(), "1,0-1,0");
}

TEST_F(EditCmds, MouseDragSelectsAndHandsToPrimary) {
    open("alpha beta\ngamma delta\n");
    button(1, 1, 2, 0);
    motion(3, 1);
    button(1, -1, 3, 1);
    EXPECT_EQ(sel(), "1,2-2,3");
    std::string t;
    int type = 0;
    ASSERT_TRUE(WSelectionOwned(0, &t, &type));
    EXPECT_EQ(t, "pha beta\ngam");
    EXPECT_EQ(type, WSEL_TEXT);
}

TEST_F(EditCmds, DragAboveTheTextScrollsUntilTheRelease) {
    std::string t;
    for (int i = 1; i <= 200; i++) t += "line " + std::to_string(i) + "\n";
    open(t);
    EditSetLine(e, 150, 0);
    int64_t top = e->view.topLine;
    ASSERT_GT(top, 100);
    button(1, 1, 2, 3); // press on the fourth row
    WEvent ev;
    ev.kind = WE_BUTTON;
    ev.window = e->view.window;
    ev.direction = 0;
    ev.x = 10;
    ev.y = -20; // above the text area
    EditEventParse(e, ev);
    EXPECT_LT(e->view.topLine, top);
    for (int i = 0; i < 30; i++) {
        int wait = 0;
        ExtraProcess_Wait(&wait);
        usleep(10000);
    }
    int64_t scrolled = e->view.topLine;
    EXPECT_LT(scrolled, top - 2); // it went on scrolling without motion
    EXPECT_LE(e->view.sel[0].startLine, scrolled);
    button(1, -1, 1, 0);
    for (int i = 0; i < 10; i++) {
        int wait = 0;
        ExtraProcess_Wait(&wait);
        usleep(10000);
    }
    EXPECT_EQ(e->view.topLine, scrolled); // the release stopped it
    EXPECT_EQ(e->view.sel[0].endLine, top + 3);
}

TEST_F(EditCmds, DoubleClickGrowsToWordClasses) {
    open("foo_bar(x) () word  next\n");
    clicks(4, 2);
    EXPECT_EQ(sel(), "1,0-1,7");
    clicks(11, 2); // on "(" of the empty pair
    EXPECT_EQ(sel(), "1,11-1,14");
    clicks(15, 2); // a word followed by blanks takes one of them
    EXPECT_EQ(sel(), "1,14-1,19");
    clicks(16, 3);
    EXPECT_EQ(sel(), "1,0-1,24");
    std::string t;
    int type = 0;
    ASSERT_TRUE(WSelectionOwned(0, &t, &type));
    EXPECT_EQ(t, "foo_bar(x) () word  next");
}

TEST_F(EditCmds, SecondarySelectionIsShownWhileMade) {
    open("alpha beta\n");
    button(2, 1, 6, 0);
    motion(10, 0);
    EXPECT_EQ(sel(1), "1,6-1,10");
    WColor plain = WHeadlessCellBg(e->view.window, 0, 0);
    EXPECT_NE(WHeadlessCellBg(e->view.window, 7, 0), plain);
    EXPECT_EQ(WHeadlessCellBg(e->view.window, 5, 0), plain);
}

TEST_F(EditCmds, QuickPasteCopiesWithoutMovingTheCursor) {
    open("copy me\n\nwhole\nline\nend\n");
    run("SelectWord;SelectionGrab"); // "copy " in slot 0
    run("Down;Down;Down;Down;EOL");
    Selection before = e->view.sel[0];
    button(2, 1, 0, 1);
    button(2, -1, 0, 1);
    EXPECT_EQ(text(), "copy me\ncopy \nwhole\nline\nend\n");
    EXPECT_EQ(e->view.sel[0].cursorLine, before.cursorLine);
    EXPECT_EQ(e->view.sel[0].cursorCol, before.cursorCol);
    // Whole lines quick-pasted into the middle of a line go to its column 0.
    run("SOF;Down;Down;ContinueSelection;Down;ContinueSelection;Down;SelectionGrab");
    button(2, 1, 2, 4);
    button(2, -1, 2, 4);
    EXPECT_EQ(text(), "copy me\ncopy \nwhole\nline\nwhole\nline\nend\n");
}

TEST_F(EditCmds, LinesFromAnotherProgramArriveAtColumnZero) {
    open("abc\ndef\n");
    // Slot 4 is owned by nobody here: the type test cannot see it, the answer tells.
    run("Down;Right;if <noselection> { if <select4=lines> {SOL0}} Paste4");
    WEvent ev;
    ev.kind = WE_SELECTION;
    ev.window = e->view.window;
    ev.selNumber = 4;
    ev.selType = WSEL_LINES;
    ev.text = "new\n";
    EditEventParse(e, ev);
    EXPECT_EQ(text(), "abc\nnew\ndef\n");
    // Plain text goes where the cursor is.
    run("SOF;Right;if <noselection> { if <select4=lines> {SOL0}} Paste4");
    ev.selType = WSEL_TEXT;
    ev.text = "T";
    EditEventParse(e, ev);
    EXPECT_EQ(text(), "aTbc\nnew\ndef\n");
    // A rectangle arrives as a rectangle at the selection's start.
    WSelectionOwn(e->view.window, 1, "stale", WSEL_TEXT, 0);
    WSelectionDisown(e->view.window, 1);
    run("SOF;Down;Right;RectPaste1");
    ev.selType = WSEL_RECT;
    ev.text = "12\n34\n";
    EditEventParse(e, ev);
    EXPECT_EQ(text(), "aTbc\nn12ew\nd34ef\n");
}

TEST_F(EditCmds, DragAndDropMovesOrCopiesText) {
    draganddrop = 1;
    open("one two three\n");
    run("SOF;ContinueSelection;Word"); // "one"
    button(1, 1, 1, 0);
    EXPECT_TRUE(e->dragging);
    motion(13, 0);
    button(1, -1, 13, 0);
    EXPECT_EQ(text(), " two threeone\n");
    run("Undo");
    EXPECT_EQ(text(), "one two three\n");
    draganddrop = 0;
}

TEST_F(EditCmds, WordWrapBreaksBeforeTheCrossingWord) {
    open("");
    e->view.file->wordWrap = true;
    e->view.file->wrapColumn = 20;
    e->view.file->wrapIndent = 2;
    type("the quick brown fox jumps over the lazy dog");
    std::string t = text();
    EXPECT_EQ(t, "the quick brown fox\n  jumps over the\n  lazy dog\n");
    run("SOF;Down;Down;EOL;InsertNewline");
    type("abcdefghijklmnopqrstuvwxyzabcdefghij");
    EXPECT_EQ(text(), t + "  abcdefghijklmnopqrstuvwxyzabcdefghij\n");
}

TEST_F(EditCmds, TypedClosingBracketFlashesItsOpener) {
    EditParenMatch = 5;
    open("");
    run("SelectLanguage C");
    type("f(a, (b))");
    EXPECT_TRUE(e->flashing);
    EXPECT_EQ(sel(), "1,1-1,1");
    run("Noop"); // the next command brings the cursor back
    EXPECT_FALSE(e->flashing);
    EXPECT_EQ(sel(), "1,9-1,9");
    // Left alone, the cursor comes back when the timer runs out.
    EditParenMatch = 1;
    run("SOL0;\"(\";EOL");
    type(")");
    EXPECT_TRUE(e->flashing);
    EXPECT_EQ(sel(), "1,0-1,0");
    for (int i = 0; i < 100 && e->flashing; i++) {
        int wait = 0;
        ExtraProcess_Wait(&wait);
        usleep(10000);
    }
    EXPECT_FALSE(e->flashing);
    EXPECT_EQ(sel(), "1,11-1,11");
    EditParenMatch = 0;
    type(")");
    EXPECT_FALSE(e->flashing);
}

TEST_F(EditCmds, SelectMatchAndSelectToMatch) {
    open("x = (a[1] + b);\n");
    run("SOF;RightSome;Left;SelectMatch");
    EXPECT_EQ(sel(), "1,4-1,14");
    run("SOF;RightSome;Right;SelectMatch");
    EXPECT_EQ(sel(), "1,6-1,9");
    run("SOF;RightSome;Right;Right;ContinueSelection;Right;SelectToMatch");
    EXPECT_EQ(sel(), "1,6-1,9");
}

TEST_F(EditCmds, RepeatLastReplacesTheWordUnderTheCursor) {
    open("alpha beta\ngamma delta\n");
    run("SOF;ContinueSelection;Word;\"omega\"");
    EXPECT_EQ(text(), "omega beta\ngamma delta\n");
    run("Down;SOL0;RightSome;RightSome;Left;Left;RepeatLast");
    EXPECT_EQ(text(), "omega beta\ngamma omega\n");
    run("RepeatLast;Undo;Undo;Undo");
    EXPECT_EQ(text(), "alpha beta\ngamma delta\n");
}

TEST_F(EditCmds, CommentRoundTripsRestoreTextExactly) {
    const char* c = "a /* b */ c\nx /@*$ /@@ $*@/ *@ y\n";
    open(c, "t.c");
    run("SelectLanguage C;SelectAll;CommentBlock");
    EXPECT_EQ(text(), "/*a /@*$ b $*@/ c\n - x /@@*$ /@@@ $*@@/ *@@ y*/\n");
    run("UnCommentBlock");
    EXPECT_EQ(text(), c);
    run("SelectLanguage Pascal;SelectAll;CommentBlock");
    EXPECT_EQ(text().substr(0, 2), "{a");
    run("UnCommentBlock");
    EXPECT_EQ(text(), c);
    run("SelectLanguage Ada;SOF;ContinueSelection;Down;CmtReg");
    EXPECT_EQ(text().substr(0, 3), "--a");
    run("UnCmtReg");
    EXPECT_EQ(text(), c);
}

TEST_F(EditCmds, OneCommandStringIsOneUndoStep) {
    open("a\nb\nc\n");
    run("\"1\";Down;SOL0;\"2\";Down;SOL0;\"3\";SOF;JoinLines");
    EXPECT_EQ(text(), "1a 2b\n3c\n");
    run("Undo");
    EXPECT_EQ(text(), "a\nb\nc\n");
    run("Redo");
    EXPECT_EQ(text(), "1a 2b\n3c\n");
}

TEST_F(EditCmds, MinibufferRunsTheAnswer) {
    open("a\nb\n");
    WQueueAnswer("EOF;\"z\"");
    run("Minibuffer");
    EXPECT_EQ(text(), "a\nb\nz\n");
}

TEST_F(EditCmds, FirstChangeChecksAReadOnlyFileOut) {
    open("under control\n", "vc.txt");
    std::string path = dir + "/vc.txt";
    chmod(path.c_str(), 0444);
    File* f = e->view.file;
    f->readOnly = true;
    f->vcKnown = false;
    FakeVc vc("vc.txt");
    vc.makeWritable = true;
    // Prevented: refused, with the reason.
    f->noAutoCheckout = true;
    run("\"x\"");
    EXPECT_EQ(text(), "under control\n");
    EXPECT_EQ(e->message,
              "You must check " + path + " out of Version Control or enable Auto-Checkout");
    EXPECT_TRUE(vc.checkedOutPath.empty());
    // Allowed: checked out, then the change applies.
    f->noAutoCheckout = false;
    run("\"x\"");
    EXPECT_EQ(vc.checkedOutPath, path);
    EXPECT_EQ(e->message, "Checking " + path + " out of Version Control... OK");
    EXPECT_EQ(text(), "xunder control\n");
    EXPECT_FALSE(f->readOnly);
}

// Selection invariants: start never after end, lines 1..count+1, columns within the line.
void expectValid(Edit* e, const std::string& after) {
    File* f = e->view.file;
    for (int i = 0; i < 2; i++) {
        const Selection& s = e->view.sel[i];
        int64_t ls[3] = {s.startLine, s.endLine, s.cursorLine};
        int cs[3] = {s.startCol, s.endCol, s.cursorCol};
        for (int k = 0; k < 3; k++) {
            ASSERT_GE(ls[k], 1) << after;
            ASSERT_LE(ls[k], f->nLines + 1) << after;
            ASSERT_GE(cs[k], 0) << after;
            ASSERT_LE(cs[k], EditLineLen(f, ls[k]))
                << after << " (selection " << i << ", point " << k << ")";
        }
        ASSERT_TRUE(s.startLine < s.endLine || (s.startLine == s.endLine && s.startCol <= s.endCol))
            << after << " (selection " << i << ")";
    }
    int64_t n = 0;
    for (Line* l = f->first; l; l = l->next)
        n++;
    ASSERT_EQ(n, f->nLines) << after;
}

TEST_F(EditCmds, RandomCommandStringsKeepTheSelectionsValid) {
    open("int main() {\n\treturn (a[1] + b);\n}\n\n  /* c */ x;\n");
    const char* words[] = {
        "Up",
        "Down",
        "Left",
        "Right",
        "LeftU",
        "RightD",
        "Word",
        "ReverseWord",
        "SOF",
        "EOF",
        "SOL",
        "EOL",
        "SOL1",
        "PageUp",
        "PageDown",
        "ContinueSelection",
        "SelectWord",
        "SelectLine",
        "SelectAll",
        "SelectToLines",
        "NoSelection",
        "Delete",
        "Backspace",
        "InsertNewline",
        "Tab",
        "Indent",
        "Unindent",
        "Undo",
        "Redo",
        "RepeatLast",
        "JoinLines",
        "CommentBlock",
        "UnCommentBlock",
        "UpperCaseBlock",
        "LowerCaseBlock",
        "Cut1",
        "Copy1",
        "Paste1",
        "RectCut2",
        "RectCopy2",
        "RectPaste1",
        "Cut3",
        "Paste3",
        "SelectMatch",
        "SelectToMatch",
        "ShowMatch",
        "CmtReg",
        "UnCmtReg",
        "PrimaryToSecondary",
        "SecondaryToPrimary",
        "SOLSecondary",
        "SecondarySelectWord",
        "SecondarySelectionReplace",
        "\"ab\\n\"",
        "\"\\t}\"",
        "\"(\"",
        "\")\"",
        "SelectLanguage C",
        "SelectLanguage Pascal",
        "if <noselection> { Right }",
        "if <select1=lines> {SOL0} else {EOL}",
        "{ Down; Up",
        "if <",
        "if <x",
        "}",
        "\"unterminated",
        "Return",
        "Quote",
        "Nonsense",
        "if <col=eol> { Backspace }",
        "Date store",
    };
    const int n = (int)(sizeof words / sizeof words[0]);
    unsigned seed = getenv("QE_FUZZ_SEED") ? (unsigned)atoi(getenv("QE_FUZZ_SEED")) : 12345;
    auto next = [&]() { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int i = 0; i < 1500; i++) {
        std::string cmd;
        int parts = 1 + (int)(next() % 4);
        for (int k = 0; k < parts; k++)
            cmd += std::string(k ? ";" : "") + words[next() % n];
        run(cmd);
        expectValid(e, cmd);
        if (HasFatalFailure()) return;
        // Pastes and repeats double the text now and then: start again from a small text.
        if (e->view.file->nLines > 200 || FileCurrentSize(e->view.file) > 20000)
            run("SelectAll;Delete;\"int f(int x) {\\n\\treturn [x];\\n}\\n\"");
    }
}

TEST_F(EditCmds, DateInsertsCtimeWithABlank) {
    open("");
    run("Date");
    std::string t = text();
    ASSERT_EQ(t.size(), 26u);
    EXPECT_EQ(t[24], ' ');
    EXPECT_EQ(t[3], ' ');
    run("Date reset;Date store");
    std::string u = text();
    ASSERT_EQ(u.size(), 76u);
    EXPECT_EQ(u.substr(25, 25), u.substr(50, 25));
}

} // namespace

TEST_F(EditCmds, EscapeCancelsASelectionDrag) {
    open("alpha beta gamma\nsecond line\n");
    button(1, 1, 0, 0);
    motion(10, 1);
    EXPECT_EQ(sel(), "1,0-2,10");
    key(WK_ESCAPE);
    EXPECT_EQ(sel(), "1,0-1,0");
    // The release and later motion find no drag to continue.
    motion(5, 0);
    button(1, -1, 5, 0);
    EXPECT_EQ(sel(), "1,0-1,0");
    EXPECT_EQ(text(), "alpha beta gamma\nsecond line\n");
}

// An unbound key that types a line end (Linefeed, as xdotool types "\n") breaks the line
// like typed text; it must not run the "Return" motion.
TEST_F(EditCmds, UnboundLineEndKeyTypesANewLine) {
    open("{\n    return 0;\n}\n");
    run("EOL");
    key(256 + 0x0a, 0, "\n");
    type("x");
    EXPECT_EQ(text(), "{\nx\n    return 0;\n}\n");
}
