// tests/config/test_bindings.cc: binding syntax, storage, lookups, defaults, accelerators,
// menus, editor buttons, renaming, editing in a buffer and X resources.
#include <cstring>
#include <map>

#include "test_util.h"
#include "runtime/gen.h"

namespace {

struct Bindings : testing::Test {
    void SetUp() override { ResetConfigState(); }
};

TEST(DefaultBindings, EveryEntryParsesAsABindingLine) {
    ResetConfigState(false);
    EXPECT_EQ(DefaultKeyCount(), 231);
    EXPECT_EQ(DefaultMouseCount(), 78);
    std::string out = Captured([] {
        for (const char* const* k = edit_DefaultKeys; *k; k++)
            EXPECT_EQ(parseMouseSpec(*k, 1, nullptr, nullptr, 1), 1) << *k;
        for (const char* const* m = edit_DefaultMice; *m; m++)
            EXPECT_EQ(parseMouseSpec(*m, 0, nullptr, nullptr, 1), 1) << *m;
    });
    EXPECT_EQ(out, "");
    // "L2" and "F12" are one X key symbol, so F12 (read later) replaces L2 in the editor.
    EXPECT_EQ(CountBindings(1), 230);
    EXPECT_EQ(CountBindings(0), 78);
}

TEST_F(Bindings, DefaultKeysLookUp) {
    struct {
        int key;
        unsigned mods;
        const char* cmd;
    } cases[] = {
        {KeyNameToCode("Up"), 0, "Up"},
        {KeyNameToCode("KP_Up"), MOD_CONTROL, "UpSome"},
        {KeyNameToCode("Left"), MOD_SHIFT | MOD_CONTROL, "ContinueSelection;ReverseWord"},
        {KeyNameToCode("KP_7"), MOD_SHIFT, "SOL0"},
        {KeyNameToCode("KP_7"), MOD_CONTROL, "SOF"},
        {KeyNameToCode("F12"), 0, "ToggleErrorView"},
        {KeyNameToCode("L9"), MOD_SHIFT, "BackISearch;Search"},
        {KeyNameToCode("L10"), MOD_SHIFT | MOD_CONTROL, "Cut4"},
        {'x', MOD_CONTROL, "Cut1"},
        {'X', MOD_CONTROL, "Cut2"}, // upper case is the letter with Shift
        {'x', MOD_CONTROL | MOD_LOCK | MOD_MOD2, "Cut1"}, // Caps and Num Lock ignored
        {'x', MOD_CONTROL | MOD_META, "Cut3"},
        {'?', MOD_CONTROL | MOD_SHIFT, "HELP"}, // general "All" binding; Shift is in "?"
        {KeyNameToCode("F1"), 0, "HELP"},
        {' ', MOD_CONTROL, "\" \"; Left"},
        {'\\', MOD_CONTROL, "Quote"},
        {'}', 0, "\"}\";AutoIndentImplicit;ShowMatch"},
        {KeyNameToCode("BackSpace"), MOD_SHIFT, "Backspace"},
    };
    for (auto& c : cases) {
        const char* got = InterpretEditKey(c.key, c.mods, EDITLOC_EDIT, 0);
        ASSERT_NE(got, nullptr) << c.cmd;
        EXPECT_STREQ(got, c.cmd);
    }
    EXPECT_EQ(InterpretEditKey('x', 0, EDITLOC_EDIT, 0), nullptr);
    EXPECT_EQ(InterpretEditKey(KeyNameToCode("KP_9"), 0, EDITLOC_EDIT, 0), nullptr);
    EXPECT_EQ(InterpretEditKey(600, 0, EDITLOC_EDIT, 0), nullptr);
    EXPECT_EQ(InterpretEditKey(-3, 0, EDITLOC_EDIT, 0), nullptr);
    EXPECT_STREQ(InterpretKey('s', MOD_CONTROL, TKLOC_BITEDIT), "Save");
}

TEST_F(Bindings, DefaultMiceLookUp) {
    EXPECT_STREQ(InterpretEditMouse(BUTTON1, 0, EDITLOC_EDIT, 0, 2, EV_PRESS, nullptr),
                 "SelectWord;SelectionAdjust");
    EXPECT_STREQ(InterpretEditMouse(BUTTON1, MOD_CONTROL, EDITLOC_EDIT, 0, 1, EV_RELEASE, nullptr),
                 "SelectionAdjust;SelectionGrab");
    EXPECT_STREQ(InterpretEditMouse(BUTTON1, 0, EDITLOC_MARGIN, EDITLOC_EDIT, 1, EV_PRESS, nullptr),
                 "SelectionStart;SelectLine");
    // The margin falls back to the normal mode for events it does not bind.
    EXPECT_STREQ(InterpretEditMouse(BUTTON1, 0, EDITLOC_MARGIN, EDITLOC_EDIT, 1, EV_RELEASE,
                                    nullptr),
                 "SelectionAdjust;SelectionGrab");
    EXPECT_STREQ(InterpretEditMouse(BUTTON3, MOD_SHIFT | MOD_CONTROL, EDITLOC_EDIT, 0, 1,
                                    EV_RELEASE, nullptr),
                 "Notepad");
    EXPECT_STREQ(InterpretEditMouse(BUTTON5, 0, EDITLOC_EDIT, 0, 1, EV_PRESS, "dflt"), "dflt");
    const Binding* popup = FindEditMouseBinding(BUTTON3, 0, EDITLOC_EDIT, 0, 1, EV_PRESS);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->atOnce, 1);
    EXPECT_STREQ(InterpretScrollBarMouse(BUTTON2, MOD_CONTROL, SBLOC_UPARROW, 1, EV_PRESS),
                 "UpLineScroll");
    EXPECT_STREQ(InterpretScrollBarMouse(BUTTON3, MOD_SHIFT, SBLOC_BELOW, 1, EV_PRESS),
                 "DownHalfPage");
    EXPECT_STREQ(InterpretScrollBarMouse(BUTTON3, 0, SBLOC_ABOVE, 2, EV_PRESS), "StartOfText");
    EXPECT_STREQ(InterpretScrollBarMouse(BUTTON2, 0, SBLOC_THUMB, 1, EV_PRESS), "JTrackPointer");
    EXPECT_STREQ(InterpretMouse(BUTTON4, MOD_META, TKLOC_BITEDIT, 1, EV_PRESS), "ZoomIn");
}

TEST_F(Bindings, ReplacementRemovalAndNotFound) {
    ASSERT_EQ(parseKey("\"F5\"|Control@Edit=One"), 1);
    int before = CountBindings(1);
    ASSERT_EQ(parseKey("\"F5\"|Control@Edit @Lab = { Two; Three }  "), 1);
    EXPECT_EQ(CountBindings(1), before);
    const Binding* b = FindEditKeyBinding(KeyNameToCode("F5"), MOD_CONTROL, EDITLOC_EDIT, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->command, "Two; Three");
    EXPECT_EQ(b->label, "Lab");
    EXPECT_EQ(parseKey("\"F5\"|Control@Edit"), 1);
    EXPECT_EQ(CountBindings(1), before - 1);
    EXPECT_EQ(Captured([] { EXPECT_EQ(parseKey("\"F5\"|Control@Edit"), 0); }), "Not Found\n");
    // Upper-case A is Shift and a.
    ASSERT_EQ(parseKey("A@Edit=Big"), 1);
    EXPECT_STREQ(InterpretEditKey('a', MOD_SHIFT, EDITLOC_EDIT, 0), "Big");
    EXPECT_STREQ(InterpretEditKey('A', 0, EDITLOC_EDIT, 0), "Big");
    EXPECT_EQ(InterpretEditKey('a', 0, EDITLOC_EDIT, 0), nullptr);
    // Press and click with the same button and modifiers are different bindings.
    int mice = CountBindings(0);
    ASSERT_EQ(parseMouse("1*press|Shift@Edit=P"), 1);
    ASSERT_EQ(parseMouse("1*click|Shift@Edit=R"), 1);
    EXPECT_EQ(CountBindings(0), mice + 1); // press replaced the default, click is new
    EXPECT_STREQ(InterpretEditMouse(BUTTON1, MOD_SHIFT, 1, 0, 1, EV_PRESS, nullptr), "P");
    EXPECT_STREQ(InterpretEditMouse(BUTTON1, MOD_SHIFT, 1, 0, 1, EV_RELEASE, nullptr), "R");
    // A double click written as count 2; "either" answers press and release.
    ASSERT_EQ(parseMouse("Button4*either2|Any@Edit1=E"), 1);
    EXPECT_STREQ(InterpretEditMouse(BUTTON4, MOD_META, 0x1, 0x2, 2, EV_RELEASE, nullptr), "E");
    EXPECT_STREQ(InterpretEditMouse(BUTTON4, 0, 0x2, 0, 2, EV_PRESS, nullptr), "E");
    EXPECT_EQ(InterpretEditMouse(BUTTON4, 0, 0x2, 0, 1, EV_PRESS, nullptr), nullptr);
}

TEST_F(Bindings, QuotedTriggersAndLocations) {
    ASSERT_EQ(parseKey("\"\\\"\"|Control@Edit=Quote1"), 1); // "\"" is the double quote
    EXPECT_STREQ(InterpretEditKey('"', MOD_CONTROL, 1, 0), "Quote1");
    ASSERT_EQ(parseKey("\"=\"|Meta=EqualsDefaultLoc"), 1); // key lines default to Edit
    EXPECT_STREQ(InterpretEditKey('=', MOD_META, 1, 0), "EqualsDefaultLoc");
    ASSERT_EQ(parseKey("\"kp_enter\"@edit9=Enter9"), 1); // names and locations ignore case
    EXPECT_STREQ(InterpretEditKey(KeyNameToCode("KP_Enter"), 0, 0x200, 0), "Enter9");
    ASSERT_EQ(parseKey("q|Cont@EditM=Prefixes"), 1);
    EXPECT_STREQ(InterpretEditKey('q', MOD_CONTROL, EDITLOC_MARGIN, 0), "Prefixes");
    Binding b;
    ASSERT_EQ(parseMouseSpec("Any*Press@ScrollT=jtrackpointer", 0, nullptr, &b, 0), 1);
    EXPECT_EQ(b.command, "JTrackPointer");
    EXPECT_EQ(b.trigger, BUTTON_ANY);
    EXPECT_EQ(b.kind, EV_PRESS);
}

TEST_F(Bindings, SyntaxErrorsReportAndStoreNothing) {
    int keys = CountBindings(1), mice = CountBindings(0);
    struct {
        const char* spec;
        int isKey;
        const char* message;
    } cases[] = {
        {"x|Control@Edit=", 1, "No command specified in x|Control@Edit=\n"},
        {"x|Control@Edit junk", 1, "No command specified in x|Control@Edit junk\n"},
        {"x@Edit @Label", 1, "No command specified in x@Edit @Label\n"},
        {"x|Control@Edit={ }", 1, "No command specified in x|Control@Edit={ }\n"},
        {"x|Hyper@Edit=C", 1, "Nothing matches Hyper\n"},
        {"x|Mod@Edit=C", 1, "Ambiguous name Mod match Mod1 or Mod2\n"},
        {"x@Nowhere=C", 1, "Nothing matches Nowhere\n"},
        {"x@Ed=C", 1, "Ambiguous name Ed match Edit or Edit1\n"},
        {"x@ScrollBar=UpPage", 1, "Scroll-bar locations take mouse bindings only: x@ScrollBar=UpPage\n"},
        {"Mouse1@ScrollBar=Fly", 0, "Nothing matches Fly\n"},
        {"Mouse*press@Edit=C", 0, "No button specified in Mouse*press@Edit=C\n"},
        {"Mouse1*hover@Edit=C", 0, "Unknown event hover in Mouse1*hover@Edit=C\n"},
        {"", 1, "No key specified in \n"},
    };
    for (auto& c : cases) {
        std::string out =
            Captured([&] { EXPECT_EQ(parseMouseSpec(c.spec, c.isKey, "Edit", nullptr, 1), 0); });
        EXPECT_EQ(out, c.message) << c.spec;
    }
    std::string out = Captured([] { EXPECT_EQ(parseMouseSpec("x=C", 1, nullptr, nullptr, 1), 0); });
    EXPECT_EQ(out, "No location specified in x=C, key\n");
    out = Captured([] { EXPECT_EQ(parseKey("\"NoSuchKey\"@Edit=C"), 0); });
    EXPECT_EQ(out.rfind("Unknown key name in \"NoSuchKey\"@Edit=C\nAcceptable ones are:\nBackSpace\n", 0),
              0u);
    EXPECT_NE(out.find("\nKP_Enter\n"), std::string::npos);
    EXPECT_EQ(out.size() - out.rfind("Or any character in latin1 (iso 8859), enclosed in double quotes\n"),
              65u);
    EXPECT_EQ(CountBindings(1), keys);
    EXPECT_EQ(CountBindings(0), mice);
}

TEST_F(Bindings, ClearingAndChangeFlags) {
    cfg_RememberCurrentSettings(2);
    EXPECT_EQ(cfg_ScanLine("clearmice"), 1);
    EXPECT_EQ(CountBindings(0), 0);
    EXPECT_EQ(bindingsChanged[2][BIND_MICE], 1);
    EXPECT_EQ(bindingsChanged[2][BIND_KEYS], 0);
    EXPECT_EQ(cfg_ScanLine("keybind: \"F7\"=Save"), 1);
    EXPECT_EQ(bindingsChanged[2][BIND_KEYS], 1);
    EXPECT_EQ(cfg_ScanLine("clearkeys"), 1);
    EXPECT_EQ(CountBindings(1), 0);
    EXPECT_EQ(InterpretEditKey('x', MOD_CONTROL, 1, 0), nullptr);
}

TEST_F(Bindings, KeyNamesAndAccelerators) {
    EXPECT_EQ(KeyNameToCode("Up"), 256 + 0x52);
    EXPECT_EQ(KeyNameToCode("L2"), KeyNameToCode("F12"));
    EXPECT_EQ(KeyNameToCode("Backspace"), KeyNameToCode("BackSpace"));
    EXPECT_EQ(KeySymToKeyCode(0xFF52), KeyNameToCode("Up"));
    EXPECT_EQ(KeySymToKeyCode(0x61), 'a');
    EXPECT_EQ(KeySymToKeyCode(0x1000000), -1);
    EXPECT_EQ(KeyCodeToKeySym(KeyNameToCode("F1")), 0xFFBEul);
    EXPECT_STREQ(KeyCodeName(256 + 0xFF), "Delete");
    EXPECT_EQ(KeyCodeName(256 + 0x01), nullptr);
    EXPECT_GT(KeyNameCount(), 100);

    EXPECT_EQ(KeyToAcceleratorStr('x', MOD_CONTROL), "Ctrl+X");
    EXPECT_EQ(KeyToAcceleratorStr('B', MOD_META), "Meta+Shift+B");
    EXPECT_EQ(KeyToAcceleratorStr(KeyNameToCode("Tab"), MOD_CONTROL | MOD_SHIFT), "Ctrl+Shift+Tab");
    EXPECT_EQ(KeyToAcceleratorStr(KeyNameToCode("KP_Up"), 0), "KP_Up");
    EXPECT_EQ(Captured([] { EXPECT_EQ(KeyToAcceleratorStr(3, 0), ""); }),
              "[KeyToAcceleratorStr] no key string\n");
    int key = 0;
    unsigned mods = 0;
    EXPECT_EQ(AcceleratorStrToKey("Ctrl+Shift+Tab", &key, &mods), 1);
    EXPECT_EQ(key, KeyNameToCode("Tab"));
    EXPECT_EQ(mods, (unsigned)(MOD_CONTROL | MOD_SHIFT));
    EXPECT_EQ(AcceleratorStrToKey("Meta+X", &key, &mods), 1);
    EXPECT_EQ(key, 'x');
    EXPECT_EQ(AcceleratorStrToKey("Ctrl+Nothing", &key, &mods), 0);
}

TEST_F(Bindings, MenusTakeAcceleratorsFromKeyBindings) {
    EXPECT_EQ(cfg_ScanLine("menu: Edit {{@@'x'} {@@\"Copy1\"} {@@Select All} {Plain = Noop} "
                           "{@@'F9'}}"),
              1);
    std::string out = Captured([] { MenuResource_CorrelateWithKeyBindings("Edit"); });
    EXPECT_EQ(out, "[mrCorrelate] no key for \"@@'F9'\"\n");
    auto& items = MenuItems();
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, "Cut");
    EXPECT_EQ(items[0].accelerator, "Ctrl+X");
    EXPECT_EQ(items[0].command, "Cut1");
    EXPECT_EQ(items[1].text, "Copy");
    EXPECT_EQ(items[1].accelerator, "Ctrl+C");
    EXPECT_EQ(items[2].text, "@@Select All"); // found by label: the text stays
    EXPECT_EQ(items[2].accelerator, "Ctrl+A");
    EXPECT_EQ(items[3].text, "Plain");
    EXPECT_EQ(items[3].command, "Noop");
    EXPECT_EQ(items[4].accelerator, "");
    EXPECT_EQ(cfg_ScanLine("menu File {Open... = OpenFile}"), 1);
    EXPECT_EQ(items.back().menu, "File");
    EXPECT_EQ(items.back().command, "OpenFile");
    Captured([] {
        EXPECT_EQ(cfg_ScanLine("menu File {{unbalanced}"), 0);
        EXPECT_EQ(cfg_ScanLine("menu"), 0);
        EXPECT_EQ(cfg_ScanLine("menu NoItems"), 0);
    });
    EXPECT_EQ(items.size(), 6u);
    EXPECT_EQ(cfg_ScanLine("clearmenus"), 1);
    EXPECT_TRUE(items.empty());
}

TEST_F(Bindings, EditorButtons) {
    EXPECT_EQ(cfg_ScanLine("editbutton: Build  Make; NextError"), 1);
    ASSERT_EQ(EditButtons().size(), 1u);
    EXPECT_EQ(EditButtons()[0].name, "Build");
    EXPECT_EQ(EditButtons()[0].definition, "Make; NextError");
    Captured([] { EXPECT_EQ(cfg_ScanLine("editbutton: Lonely"), 0); });
    EXPECT_EQ(cfg_ScanLine("cleareditbuttons"), 1);
    EXPECT_TRUE(EditButtons().empty());
}

TEST_F(Bindings, RenamingLocationsAndModifiers) {
    EXPECT_EQ(cfg_ScanLine("modifiers.Control Strg"), 1);
    EXPECT_EQ(cfg_ScanLine("locations.Edit \\x45ditor"), 1);
    EXPECT_EQ(parseKey("k|Strg@Editor=Renamed"), 1);
    EXPECT_STREQ(InterpretEditKey('k', MOD_CONTROL, 1, 0), "Renamed");
    Captured([] { EXPECT_EQ(parseKey("k|Control@Editor=Old"), 0); });
    EXPECT_EQ(BindingSpec(*FindEditKeyBinding('k', MOD_CONTROL, 1, 0), 1),
              "\"k\"|Strg@Editor=Renamed");
    Captured([] {
        EXPECT_EQ(cfg_ScanLine("modifiers.Nothing x"), 0);
        EXPECT_EQ(cfg_ScanLine("locations.Edit"), 0);
    });
    cfg_ScanLine("modifiers.Strg Control");
    cfg_ScanLine("locations.Editor Edit");
}

TEST_F(Bindings, EditingBindingsInABuffer) {
    int keys = CountBindings(1);
    EXPECT_EQ(ReplaceKeyBindings(KeyListText() + "\"F8\"@Edit=Added\n\n"), 1);
    EXPECT_EQ(CountBindings(1), keys + 1);
    EXPECT_STREQ(InterpretEditKey(KeyNameToCode("F8"), 0, 1, 0), "Added");
    EXPECT_STREQ(InterpretEditKey('x', MOD_CONTROL, 1, 0), "Cut1");
    std::vector<std::string> before = ListAllMouseBindings();
    EXPECT_EQ(ReplaceMouseBindings(MouseListText()), 1); // re-parsed into the same list
    EXPECT_EQ(ListAllMouseBindings(), before);
    cfg_ScanLine("menu M {{A = B} {C = D}}");
    EXPECT_EQ(ReplaceMenus(MenuListText() + "N {E = F}\n"), 1);
    ASSERT_EQ(MenuItems().size(), 3u);
    EXPECT_EQ(MenuItems()[0].text, "A");
    EXPECT_EQ(MenuItems()[2].menu, "N");
}

TEST_F(Bindings, XResourcesUnderProgramNameThenQuorl) {
    TestDisplay& display = InstallTestDisplay();
    EXPECT_EQ(get_default_val("font", "Font"), nullptr); // an empty database: nothing
    gen_changeprogname("qe");
    display.resources = {{"quorl.font", "fixed"}, {"qe.geometry", "80x24"}, {"quorl.geometry", "no"},
              {"qe.editbutton1.name", "Make"}, {"qe.editbutton1.defn", "Make"},
              {"quorl.editbutton7.name", "Grep"}, {"quorl.editbutton7.defn", "Grep foo"},
              {"qe.editbutton9.name", "Half"}};
    display.asked.clear();
    EXPECT_STREQ(get_default_val("font", "Font"), "fixed");
    ASSERT_EQ(display.asked.size(), 2u);
    EXPECT_EQ(display.asked[0], "qe.font|Qe.Font");
    EXPECT_EQ(display.asked[1], "quorl.font|Quorl.Font");
    EXPECT_STREQ(get_default_val("geometry", nullptr), "80x24");
    display.asked.clear();
    EXPECT_EQ(get_local_val("Edit.Foo", nullptr), nullptr);
    EXPECT_EQ(display.asked[0], "qe.Edit.Foo|Qe.Edit.foo");
    EXPECT_STREQ(get_special_val("geometry", "Geometry"), "no");
    EXPECT_EQ(ReadResourceEditButtons(), 2);
    ASSERT_EQ(EditButtons().size(), 2u);
    EXPECT_EQ(EditButtons()[1].definition, "Grep foo");
    EXPECT_TRUE(mstrmatch("QUORL.font", "FONT"));
    EXPECT_TRUE(mstrmatch("qe.font", "font"));
    EXPECT_FALSE(mstrmatch("xe.font", "font"));
    Captured([] { EXPECT_EQ(cfg_ScanLine("dumpResources /tmp/x"), 0); });
}

} // namespace
