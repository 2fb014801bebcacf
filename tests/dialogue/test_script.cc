// tests/dialogue/test_script.cc: the script interpreter against a dialogue's widgets (headless),
// its tables, skipping mode, calls and the messages of widget references.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "dialogue/dlgfile.h"
#include "dialogue/script.h"
#include "dialogue/script_eval.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

namespace {

std::string lastReport;

struct Script : ::testing::Test {
    WDialog* d = nullptr;
    ScriptDialog sd;
    std::vector<std::string> commands;

    void SetUp() override {
        if (!XWindowsOn) {
            wRequestedBackend = WB_HEADLESS;
            ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
        }
        scriptReport = [](const std::string& t) { lastReport = t; };
        lastReport.clear();
        std::string error;
        const char* text = R"(dialogue T "Test" {
            textfield name "Ada";
            toggle loud "Loud" value 1;
            buttonset size "Size" items ("S", "M", "L") value 1;
            list fruit items ("apple", "pear");
            label note "just text";
            button ok "OK" default;
        })";
        ASSERT_TRUE(LoadDialogueText(text, "test", error)) << error;
        d = WDialogNew("T");
        std::string init;
        ASSERT_TRUE(BuildDialogue(*LookupDlb("T"), d, init, error)) << error;
        WDialogRealize(d);
        sd.dialog = d;
        sd.args = {"first", "second"};
        sd.name = "test";
        sd.arg = this;
        sd.cli = [](void* self, const char* c) {
            static_cast<Script*>(self)->commands.push_back(c);
            return 1;
        };
    }
    void TearDown() override { WDialogDestroy(d); }

    // The result as text ("i:N" or "s:TEXT"), or "error: FIRST LINE OF THE REPORT".
    std::string run(const char* code) {
        ScriptValue v;
        lastReport.clear();
        if (!InvokeFunc(code, &sd, &v)) return "error: " + lastReport.substr(0, lastReport.find('\n'));
        return v.isInt ? "i:" + std::to_string(v.i) : "s:" + v.s;
    }
};

TEST_F(Script, WidgetsReadAndWrittenByNameAndNumber) {
    EXPECT_EQ(run("return %%name;"), "s:Ada");
    EXPECT_EQ(run("return %%0;"), "s:Ada"); // widgets are numbered from 0
    EXPECT_EQ(run("%%name = \"Bob\"; return %%name | text(%%loud.set);"), "s:Bob1");
    EXPECT_EQ(run("%%loud.set = 0; return %%1.set;"), "i:0");
    EXPECT_EQ(run("return %%size.set(2);"), "i:1");
    EXPECT_EQ(run("%%size.set(3) = 1; return %%size.set(2) * 10 + %%size.set(3);"), "i:1");
    EXPECT_EQ(run("return %%fruit.len * 10 + %%fruit.sel;"), "i:20");
    EXPECT_EQ(run("%%fruit.sel = 2; return %%fruit.val(%%fruit.sel);"), "s:pear");
    EXPECT_EQ(run("%%fruit.val(3) = \"plum\"; return %%fruit.val(3) | text(%%fruit.len);"),
              "s:plum3");
    EXPECT_EQ(run("%%ok.set = \"Go\"; return 0;"), "i:0");
    EXPECT_EQ(WDialogFind(d, "ok")->label, "Go"); // a string renames a button
    EXPECT_EQ(run("return %1 | %2 | text(%0);"), "s:firstsecond2");
}

TEST_F(Script, ListsLoadAndSaveFiles) {
    char path[] = "/tmp/qe-script-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    std::string code = std::string("%%fruit.val(3) = \"fig\"; return %%fruit.save(\"") + path +
                       "\") + %%fruit.load(\"" + path + "\") * 10 + %%fruit.len * 100;";
    EXPECT_EQ(run(code.c_str()), "i:311");
    std::ifstream in(path);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(all, "apple\npear\nfig\n");
    unlink(path);
    EXPECT_EQ(run("return %%fruit.load(\"/nonexistent/dir/x\");"), "i:0");
}

TEST_F(Script, EveryWidgetMessage) {
    const char* cases[][2] = {
        {"return %%nosuch;", "Widget name not found"},
        {"return %%99;", "Widget number out of range"},
        {"return %%fruit.bogus;", "Expected one of len, val, sel, set after `.' in widget spec"},
        {"return %%fruit.val(\"x\");", "Indexing into a widget must be done with an integer"},
        {"return %%fruit.val;", "Bad index"},
        {"return %%loud;", "The button widget must be qualified with .set"},
        {"return %%loud.set(1);", "The button widget may not be indexed"},
        {"return %%size;", "The buttonset widget must be qualified with .set"},
        {"return %%size.set(4);", "Bad index into buttonset"},
        {"return %%fruit.val(7);", "Index into an scrolllist out of bounds"},
        {"return %%fruit;", "Bad qualifier on scrolllist"},
        {"return %%name.len;", "The textfield widget may not be qualified"},
        {"return %%fruit.load;", "Save and load must be followed by a filename"},
        {"return %%note;", "The widget indicated is not one that you may manipulate"},
        {"%%name = 3;", "You may not assign an integer to a textfield"},
        {"%%fruit.load(\"f\") = \"x\";", "Load/Save may not be used to qualify an lvalue"},
        {"%%fruit.len = 3;", "You may not change the length of a scrolllist directly"},
        {"%%fruit.sel = \"x\";", "ScrollList selections must be set to integral values"},
        {"%%fruit = \"x\";", "You may not change a scrolllist directly"},
        {"%%fruit.val(1) = 5;", "ScrollList entries must be strings"},
        {"%%size.set(1) = \"x\";", "Button settings must be integral values"},
        {"%1 = 5;", "Placer arguments must be strings"},
        {"%0 = \"x\";", "Cannot change number of arguments"},
        {"5 = 3;", "Can not assign into this subexpression"},
        {"s = 1; substr(s, 1, 0) = \"x\";", "Bad argument to substring()"},
        {"s = \"ab\"; substr(s, 1, 0) = 1;", "You may not assign an integer to a substring"},
        {"return 1 ? 2;", "Expected ':' got ';'"},
        {"return \"a\" ? 1 : 2;", "First argument to ?: operator must be integral"},
        {"return \"a\" && 1;", "Boolean operators may only be applied to numbers"},
        {"return 1 - \"a\";", "- may only be applied to numbers"},
        {"return \"a\" * 2;", "* may only be applied to numbers"},
        {"return !\"a\";", "Not may only be applied to numbers"},
        {"return strlen(1);", "Bad argument to length()"},
        {"return index(1, 2);", "Bad argument to index()"},
        {"return rindex(\"a\");", "Bad argument to rindex()"},
        {"return text();", "Bad argument to text()"},
        {"return number();", "Bad argument to number()"},
        {"return clitext(1);", "clitext() must be called with a string"},
        {"return clitext(\"x\");", "This cli does not support textual processing"},
        {"return dialogue(\"T\", 1);", "All arguments to a dialog must be strings"},
        {"return activate(1, 2);", "activate takes a single, integral argument"},
        {"while (\"x\") ;", "Integral expression needed for while statement"},
        {"dismiss \"x\";", "Integer expression expected in dismiss"},
        {"alert 1;", "alert must take a string"},
        {"return nope(1);", "Unknown variable name: nope"},
        {"return #1;", "There is no call argument #1 (the call has 0)"},
        {"return %5;", "There is no placer argument %5 (the dialogue has 2)"},
        {"return );", "Expected expression got ')'"},
        {"return \"x\" \"y\";", "Expected ';' got \"y\""},
    };
    for (auto& c : cases) EXPECT_EQ(run(c[0]), std::string("error: ") + c[1]) << c[0];
}

TEST_F(Script, SkippedCodeHasNoEffects) {
    EXPECT_EQ(run("x = 1; if (0) { x = 2; cli \"no\"; %%name = \"no\"; dismiss; } return x;"),
              "i:1");
    EXPECT_EQ(run("y = 0; 1 || (y = 5); 0 && (y = 6); return y;"), "i:0");
    EXPECT_EQ(run("z = 0; while (0) { z = 1 / 0; } return z;"), "i:0");
    EXPECT_EQ(run("f = \"return 1;\"; r = 0 ? f() : 2; return r;"), "i:2");
    EXPECT_EQ(run("if (1) return 1; never = 1 / 0; return 2;"), "i:1");
    EXPECT_TRUE(commands.empty());
    EXPECT_FALSE(d->done);
    EXPECT_EQ(WidgetText(WDialogFind(d, "name")), "Ada");
}

TEST_F(Script, CallsArgumentsAndTheVariableTable) {
    EXPECT_EQ(run("add = \"return #1 + #2;\"; return add(add(1, 2), 4);"), "i:7");
    EXPECT_EQ(run("g = \"#1 = 10; return #1;\"; return g(1);"), "i:10");
    // A function that assigns to its own variable keeps running its old text.
    EXPECT_EQ(run("h = \"h = 5; return 3;\"; return h() * 10 + h;"), "i:35");
    // Variables are shared by every run; a new one is made by assigning to it.
    EXPECT_EQ(run("return add(20, 22);"), "i:42");
    ScriptValue* v = LookupVar("add");
    ASSERT_NE(v, nullptr);
    EXPECT_FALSE(v->isInt);
    EXPECT_EQ(LookupVar("never_made"), nullptr);
    // h = (h << 3) ^ (byte ^ (h >> 29)) over the bytes, bucket h & 1023.
    EXPECT_EQ(ScriptHash("a"), 97u);
    EXPECT_EQ(ScriptHash("ab"), ((97u << 3) ^ 98u) & 1023u);
    EXPECT_EQ(ScriptHash("\xff"), 1023u); // bytes are signed
    // CallDBProc runs a variable's text when the name is a variable.
    ScriptValue r;
    EXPECT_TRUE(CallParseOn(&sd, "add", 2, 5, 6, &r));
    EXPECT_EQ(r.i, 11);
}

TEST_F(Script, CliDismissAndActivationLevels) {
    EXPECT_EQ(run("cli \"SOF\"; cli \"EOL\"; return 0;"), "i:0");
    EXPECT_EQ(commands, (std::vector<std::string>{"SOF", "EOL"}));
    // A widget's levels say at which activation levels it takes input.
    Widget* name = WDialogFind(d, "name");
    name->levels = 1u << 2;
    EXPECT_EQ(run("return activate();"), "i:0");
    EXPECT_FALSE(WidgetTakesFocus(name));
    EXPECT_EQ(run("activate(2); return activate();"), "i:2");
    EXPECT_TRUE(WidgetTakesFocus(name));
    EXPECT_EQ(run("dismiss 5; return 9;"), "i:5");
    EXPECT_TRUE(d->done);
    EXPECT_EQ(d->result, 5);
}

TEST_F(Script, HugeStringsAndDeepNesting) {
    EXPECT_EQ(run("s = \"x\"; i = 0; while (i < 20) { s = s | s; i = i + 1; } return strlen(s);"),
              "i:1048576");
    std::string deep = "return " + std::string(3000, '(') + "1" + std::string(3000, ')') + ";";
    EXPECT_EQ(run(deep.c_str()), "error: Script nested too deeply (more than 1500 levels)");
    EXPECT_EQ(run("f = \"return f();\"; return f();"),
              "error: Function calls nested too deeply (more than 200)");
}

} // namespace

namespace {

TEST(DialogueFile, NotebooksHoldPagesOnlyAndPagesSitInNotebooks) {
    if (!XWindowsOn) {
        wRequestedBackend = WB_HEADLESS;
        ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
    }
    std::string error;
    EXPECT_FALSE(LoadDialogueText("dialogue A \"A\" { page p \"P\" { label \"x\"; } }", "a", error));
    EXPECT_NE(error.find("A page belongs in tabs"), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(LoadDialogueText("dialogue B \"B\" { tabs t { label \"x\"; } }", "b", error));
    EXPECT_NE(error.find("Tabs hold pages only, not label"), std::string::npos) << error;
    const char* text = R"(dialogue N "N" {
        tabs t value 1 {
            page one "One" { textfield a; textfield \script width 5; }
            page two "Two" { tabs inner { page deep "Deep" { colorbox a "#00ff00"; } } }
        }
    })";
    ASSERT_TRUE(LoadDialogueText(text, "n", error)) << error;
    WDialog* d = WDialogNew("N");
    std::string init;
    ASSERT_TRUE(BuildDialogue(*LookupDlb("N"), d, init, error)) << error;
    WDialogRealize(d);
    Widget* t = WDialogFind(d, "t");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->value, 1); // "value" chose the second page before the pages were read
    EXPECT_FALSE(WidgetShown(WDialogFind(d, "a")));
    EXPECT_TRUE(WidgetShown(WDialogFind(d, "deep")));
    // A backslash names a widget with an attribute word.
    ASSERT_NE(WDialogFind(d, "script"), nullptr);
    EXPECT_EQ(WDialogFind(d, "script")->columns, 5);
    // Script numbers skip pages as they skip rows and columns: 0 t, 1 a, 2 script, 3 inner,
    // 4 the box.
    ScriptDialog sd;
    sd.dialog = d;
    EXPECT_EQ(ScriptWidgetByNumber(&sd, 4)->kind, WG_COLORBOX);
    WDialogDestroy(d);
}

} // namespace
