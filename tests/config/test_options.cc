// tests/config/test_options.cc: option tables, setting options from lines, configuration
// files, snapshots and the saved layout.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "test_util.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"
#include "config/switches.h"

namespace {

int rows(CfgOption* table) {
    int n = 0;
    while (table[n].name) n++;
    return n;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Options : testing::Test {
    void SetUp() override { ResetConfigState(); }
};

TEST_F(Options, TablesHaveTheirRowsAndSearchOrder) {
    EXPECT_EQ(rows(size_options), 6);
    EXPECT_EQ(rows(color_options), 51);
    EXPECT_EQ(rows(editor_options), 33); // 32 and our indentwithblanks
    EXPECT_EQ(rows(debugger_options), 47);
    EXPECT_EQ(rows(gui_options), 23);
    EXPECT_EQ(rows(vc_options), 14);
    EXPECT_EQ(rows(misc_options), 164);
    // Every name is unique across tables, so search order never hides a row.
    for (CfgOption* t : cfg_AllTables)
        for (CfgOption* o = t; o->name; o++) EXPECT_EQ(cfg_FindOption(o->name), o) << o->name;
    EXPECT_EQ(cfg_FindOption("TabSize"), nullptr); // option names match exactly
    EXPECT_EQ(cfg_SearchTable("tabsize", gui_options), nullptr);
}

TEST_F(Options, DefaultsAreApplied) {
    EXPECT_EQ(tabsize, 8);
    EXPECT_EQ(indentsize, 4);
    EXPECT_EQ(configsavemode, 2);
    EXPECT_EQ(aIndent_parenIndentMode, 1);
    EXPECT_EQ(aIndent_ada_parenIndentMode, 0);
    EXPECT_EQ(printcommand, "lpr");
    EXPECT_EQ(helpBrowser, "netscape");
    EXPECT_EQ(OptionLine("comment"), "comment: #008000\n");
    EXPECT_EQ(cfg_colors[COLOR_COMMENT].green, 0x80 * 65535 / 255);
    EXPECT_STREQ(cfg_Text("button.ok"), "OK");
    EXPECT_STREQ(cfg_Text("status.failed"), ": Failed");
    EXPECT_TRUE(fontName.empty());
    EXPECT_EQ(OptionLine("minviewsize"), "minviewsize:\n");
    EXPECT_EQ(Captured([] { EXPECT_EQ(cfg_PrintOption("scrolllocation"), 1); }),
              "scrolllocation: Left\n");
    EXPECT_EQ(Captured([] { EXPECT_EQ(cfg_PrintOption("key"), 0); }),
              "Unknown configuration option: key\n");
}

TEST_F(Options, SeparatorsAndBlanksAreEquivalent) {
    for (const char* line : {"tabsize=4", "tabsize:4", "tabsize 4", "  \ttabsize \t:= 4 \t\r\n"}) {
        tabsize = 8;
        EXPECT_EQ(cfg_ScanLine(line), 1) << line;
        EXPECT_EQ(tabsize, 4) << line;
    }
    EXPECT_EQ(cfg_refresh & 1, 1); // tabsize asks for a redraw
}

TEST_F(Options, IntegersClampAndScale) {
    struct {
        const char* line;
        const char* option;
        int want;
    } cases[] = {
        {"tabsize 0", "tabsize", 1},         {"tabsize all", "tabsize", 100},
        {"tabsize ALL", "tabsize", 100},     {"tabsize 0x10", "tabsize", 16},
        {"tabsize 010", "tabsize", 8},       {"tabsize 1k", "tabsize", 100},
        {"ctextsize 2K", "ctextsize", 2048}, {"ctextsize 1m", "ctextsize", 1048576},
        {"editwidth -1", "editwidth", -1},   {"editwidth -50", "editwidth", -1},
        {"tabsize 99999999999999999999", "tabsize", 100},
        {"tabsize 99999999999999999999k", "tabsize", 100},
        {"editwidth -99999999999999999999k", "editwidth", -1},
        {"ctextsize 99999999999999999999m", "ctextsize", 16777216},
        {"helpPortNumber 80", "helpPortNumber", 1024},
    };
    for (auto& c : cases) {
        EXPECT_EQ(cfg_ScanLine(c.line), 1) << c.line;
        EXPECT_EQ(cfg_OptionInt(*cfg_FindOption(c.option)), c.want) << c.line;
    }
    tabsize = 7;
    for (const char* bad : {"tabsize", "tabsize x", "tabsize 4q", "tabsize 0x", "tabsize -"}) {
        std::string out = Captured([&] { EXPECT_EQ(cfg_ScanLine(bad), 0) << bad; });
        EXPECT_NE(out.find("is not a valid setting of tabsize.\n"), std::string::npos) << bad;
        EXPECT_EQ(tabsize, 7);
    }
}

TEST_F(Options, BooleansToggleAndReportBadWords) {
    ASSERT_EQ(wordwrap, 0);
    EXPECT_EQ(cfg_ScanLine("wordwrap"), 1);
    EXPECT_EQ(wordwrap, 1);
    EXPECT_EQ(cfg_ScanLine("wordwrap"), 1);
    EXPECT_EQ(wordwrap, 0);
    for (const char* on : {"yes", "ON", "1", "True"}) {
        draganddrop = 0;
        EXPECT_EQ(cfg_ScanLine((std::string("draganddrop ") + on).c_str()), 1);
        EXPECT_EQ(draganddrop, 1) << on;
    }
    for (const char* off : {"no", "Off", "0", "FALSE"}) {
        draganddrop = 1;
        EXPECT_EQ(cfg_ScanLine((std::string("draganddrop ") + off).c_str()), 1);
        EXPECT_EQ(draganddrop, 0) << off;
    }
    std::string out = Captured([] { EXPECT_EQ(cfg_ScanLine("wordwrap maybe"), 0); });
    EXPECT_EQ(out,
              "\"maybe\" does not represent a boolean value. Use one of these:\n"
              "yes on 1 true no off 0 false\n"
              "maybe is not a valid setting of wordwrap.\n");
}

TEST_F(Options, ChoicesMatchNamesLabelsPrefixesAndOlderNames) {
    EXPECT_EQ(cfg_ScanLine("scrolllocation ri"), 1);
    EXPECT_EQ(scrolllocation, 1);
    EXPECT_EQ(cfg_ScanLine("warppointer into dialog"), 1); // the label, any case
    EXPECT_EQ(warppointer, 1);
    EXPECT_EQ(cfg_ScanLine("warppointer never"), 1);
    EXPECT_EQ(cfg_ScanLine("warppointer In&OutDialog"), 1); // an older name
    EXPECT_EQ(warppointer, 2);
    int v = -1;
    const char *stored = nullptr, *other = nullptr;
    EXPECT_EQ(ChoiceValues_Search(cfg_FindOption("warppointer")->choices, "IntoDialog", &v, &stored,
                                  &other),
              2);
    EXPECT_STREQ(stored, "IntoDialogue");
    EXPECT_EQ(ChoiceValues_Search(cfg_FindOption("configsavemode")->choices, "IfChanged", &v,
                                  &stored, &other),
              1);
    EXPECT_EQ(v, 1);

    std::string out = Captured([] { EXPECT_EQ(cfg_ScanLine("PromptQuitDebugger N"), 0); });
    EXPECT_EQ(out,
              "\"N\" is ambiguous; could mean \"Normal\" or \"Never\"\n"
              "Invalid setting: N\nValid settings:\n  Normal\n  Always\n  Never\n");
    out = Captured([] { EXPECT_EQ(cfg_ScanLine("configsavemode sometimes"), 0); });
    EXPECT_EQ(out.substr(0, out.find('\n')),
              "\"sometimes\" is not valid; possible choices are \"Never\", \"IfChanged\", and "
              "\"AskIfChanged\"");
    out = Captured([] { EXPECT_EQ(cfg_ScanLine("scrolllocation middle"), 0); });
    EXPECT_NE(out.find("possible choices are \"Right\" and \"Left\"\n"), std::string::npos);
    out = Captured([] { EXPECT_EQ(cfg_ScanLine("scrolllocation"), 0); });
    EXPECT_NE(out.find("Must give new setting\n"), std::string::npos);
    EXPECT_EQ(scrolllocation, 1);
}

TEST_F(Options, SettingAChoiceToItsValueCallsNoSetter) {
    struct Count final : CfgOptionWatch {
        int calls = 0;
        void optionChanged(const char*) override { calls++; }
    } count;
    cfg_optionWatch.install(&count);
    EXPECT_EQ(cfg_ScanLine("versioncontroltype QVC"), 1);
    EXPECT_EQ(count.calls, 0);
    EXPECT_EQ(cfg_ScanLine("versioncontroltype rcs"), 1);
    EXPECT_EQ(count.calls, 1);
    EXPECT_EQ(vc_whichVC, 2);
    cfg_optionWatch.install(nullptr);
}

TEST_F(Options, StringsReadOneWordWithQuotes) {
    EXPECT_EQ(cfg_ScanLine("printcommand lpr -Pdesk"), 1);
    EXPECT_EQ(printcommand, "lpr -Pdesk");
    EXPECT_EQ(cfg_ScanLine("printcommand \"  a \\\"b\\\" \\\\ \\n\\101 \"  "), 1);
    EXPECT_EQ(printcommand, "  a \"b\" \\ \nA ");
    EXPECT_EQ(OptionLine("printcommand"), "printcommand: \"  a \\\"b\\\" \\\\ \\nA \"\n");
    EXPECT_EQ(cfg_ScanLine("printcommand"), 1);
    EXPECT_TRUE(printcommand.empty());
    EXPECT_EQ(OptionLine("printcommand"), "printcommand:\n");
    Captured([] {
        EXPECT_EQ(cfg_ScanLine("printcommand \"unclosed"), 0);
        EXPECT_EQ(cfg_ScanLine("printcommand \"a\" b"), 0);
    });
    EXPECT_TRUE(printcommand.empty());
}

TEST_F(Options, ColoursParseAndRefuseInBlackAndWhite) {
    EXPECT_EQ(cfg_ScanLine("keyword #123"), 1);
    EXPECT_EQ(cfg_colors[COLOR_KEYWORD].red, 0x1 * 65535 / 15);
    EXPECT_EQ(cfg_ScanLine("keyword rgb:ff/0/8"), 1);
    EXPECT_EQ(cfg_colors[COLOR_KEYWORD].red, 65535);
    EXPECT_EQ(cfg_ScanLine("keyword Navy"), 1);
    EXPECT_EQ(OptionLine("keyword"), "keyword: Navy\n");
    Captured([] {
        EXPECT_EQ(cfg_ScanLine("keyword #12345"), 0);
        EXPECT_EQ(cfg_ScanLine("keyword nosuchcolour"), 0);
        EXPECT_EQ(cfg_ScanLine("blackwhite on"), 1);
        EXPECT_EQ(cfg_ScanLine("keyword #000000"), 0);
    });
    EXPECT_EQ(OptionLine("keyword"), "keyword: Navy\n");
}

TEST_F(Options, SizesInCharactersAndPixels) {
    EXPECT_EQ(cfg_ScanLine("minviewsize 10x20"), 1);
    EXPECT_EQ(minviewsize.width, 10 * 8);
    EXPECT_EQ(minviewsize.height, 20 * 16);
    EXPECT_EQ(OptionLine("minviewsize"), "minviewsize: 10x20\n");
    EXPECT_EQ(cfg_ScanLine("maxviewsize 300X200p"), 1);
    EXPECT_EQ(OptionLine("maxviewsize"), "maxviewsize: 300x200p\n");
    EXPECT_EQ(cfg_ScanLine("firstposition x7"), 1);
    EXPECT_EQ(firstposition.width, 0);
    EXPECT_EQ(firstposition.height, 7 * 16);
    EXPECT_EQ(cfg_ScanLine("minviewsize"), 1);
    EXPECT_EQ(OptionLine("minviewsize"), "minviewsize:\n");
    Captured([] { EXPECT_EQ(cfg_ScanLine("minviewsize 10y20"), 0); });
}

TEST_F(Options, CommentsConditionalsAndUnknownKeywords) {
    std::string out = Captured([] {
        EXPECT_EQ(cfg_ScanLine(""), 1);
        EXPECT_EQ(cfg_ScanLine("   \t\r\n"), 1);
        EXPECT_EQ(cfg_ScanLine("# tabsize 3"), 1);
        EXPECT_EQ(cfg_ScanLine("#tabsize: 3"), 1);
        EXPECT_EQ(cfg_ScanLine("endif"), 0);
        EXPECT_EQ(cfg_ScanLine("ELSE"), 0);
        EXPECT_EQ(cfg_ScanLine("elseif x"), 0);
        EXPECT_EQ(cfg_ScanLine("elif"), 0);
    });
    EXPECT_EQ(out, "");
    EXPECT_EQ(tabsize, 8);
    out = Captured([] { EXPECT_EQ(cfg_ScanLine("frobnicate: 12 3"), 0); });
    EXPECT_EQ(out, "Unknown configuration option: frobnicate 12 3\n");
}

TEST_F(Options, ListAllConfigsBreaksLinesBefore80) {
    std::string out = Captured([] { EXPECT_EQ(cfg_ScanLine("?"), 1); });
    ASSERT_EQ(out.rfind("Possible configuration options are:\n", 0), 0u);
    std::istringstream in(out.substr(out.find('\n') + 1));
    std::string line, all;
    while (std::getline(in, line)) {
        EXPECT_LT(line.size(), 81u) << line;
        all += line + " ";
    }
    EXPECT_NE(all.find("tabsize, "), std::string::npos);
    EXPECT_EQ(all.find("button.ok"), std::string::npos); // names with "." are left out
    EXPECT_EQ(all.find("clearkeys"), std::string::npos); // hidden
    EXPECT_NE(all.find("editor"), std::string::npos);
}

TEST_F(Options, FileStopsAtTheFiftiethError) {
    std::string path = TempPath("errors");
    std::string text = "tabsize 5\n";
    for (int i = 1; i <= 60; i++) text += "bogus" + std::to_string(i) + " x\n";
    text += "tabsize 6\n";
    writeFile(path, text);
    std::string out = Captured([&] { EXPECT_EQ(cfg_ReadFile(path.c_str()), 0); });
    EXPECT_EQ(tabsize, 5); // lines before stay, lines after are never read
    EXPECT_NE(out.find("Unknown configuration option: bogus50 x\n"), std::string::npos);
    EXPECT_EQ(out.find("bogus51"), std::string::npos);
    EXPECT_EQ(out.size() - out.rfind("Too many errors, aborting.\n"), 27u);

    writeFile(path, text.substr(0, text.find("bogus50")) + "tabsize 6\n");
    Captured([&] { EXPECT_EQ(cfg_ReadFile(path.c_str()), 1); });
    EXPECT_EQ(tabsize, 6);
    EXPECT_EQ(cfg_ReadFile((path + ".missing").c_str()), 0);
    remove(path.c_str());
}

TEST_F(Options, LinesAreReadInPiecesOf1999Characters) {
    std::string path = TempPath("long");
    // 1,999 characters are one line; the rest of a longer one is read as the next line.
    std::string fits = "printcommand " + std::string(1986, 'a');
    ASSERT_EQ(fits.size(), 1999u);
    writeFile(path, fits + "\nprintcommand " + std::string(1986, 'b') + "tabsize 9\n");
    Captured([&] { EXPECT_EQ(cfg_ReadFile(path.c_str()), 1); });
    EXPECT_EQ(printcommand, std::string(1986, 'b'));
    EXPECT_EQ(tabsize, 9);
    remove(path.c_str());
}

TEST_F(Options, SnapshotsTrackChanges) {
    EXPECT_EQ(cfg_CompareToCurrentSettings(0), 0);
    cfg_ScanLine("tabsize 3");
    cfg_ScanLine("font fixed");
    cfg_ScanLine("minviewsize 1x1");
    EXPECT_EQ(cfg_CompareToCurrentSettings(0), 3);
    EXPECT_TRUE(cfg_FindOption("font")->remembered[0].changed);
    cfg_RememberCurrentSettings(1);
    EXPECT_EQ(cfg_CompareToCurrentSettings(1), 0);
    cfg_ScanLine("tabsize 8");
    EXPECT_EQ(cfg_CompareToCurrentSettings(0), 2);
    EXPECT_EQ(cfg_CompareToCurrentSettings(1), 1);
    cfg_ScanLine("clearkeys");
    EXPECT_EQ(bindingsChanged[1][BIND_KEYS], 1);
    cfg_RememberCurrentSettings(1);
    EXPECT_EQ(bindingsChanged[1][BIND_KEYS], 0);
    EXPECT_EQ(bindingsChanged[0][BIND_KEYS], 1);
}

TEST_F(Options, SavedLayoutCommentsUnchangedOptions) {
    cfg_ScanLine("tabsize 3");
    cfg_ScanLine("configsavemode ask");
    std::string path = TempPath("layout");
    ASSERT_EQ(Config_SaveToFile(path.c_str(), 0), 1);
    std::string text = readFile(path);
    EXPECT_EQ(text.rfind("tabsize: 3\nconfigsavemode: AskIfChanged\n#    IfChanged\n#    Never\n", 0),
              0u)
        << text.substr(0, 200);
    EXPECT_NE(text.find("\n#editindent: 4\n"), std::string::npos);
    EXPECT_NE(text.find("\n#scrolllocation: Left\n#    Right\n"), std::string::npos);
    EXPECT_NE(text.find("\n#button.ok: OK\n"), std::string::npos);
    EXPECT_EQ(text.find("xdemo"), std::string::npos);    // hidden
    EXPECT_EQ(text.find("clearkeys"), std::string::npos); // function
    EXPECT_EQ(text.find("key:"), std::string::npos);      // bindings unchanged
    EXPECT_EQ(Captured([] { EXPECT_EQ(Config_SaveToFile("/nonexistent/dir/x.cfg", 0), 0); }),
              "Cannot write to file /nonexistent/dir/x.cfg\n");
    remove(path.c_str());
}

TEST_F(Options, SiteAndUserFiles) {
    std::string home = TempPath("home");
    std::string progdir = TempPath("prog");
    mkdir(home.c_str(), 0755);
    mkdir(progdir.c_str(), 0755);
    mkdir((progdir + "/config").c_str(), 0755);
    setenv("HOME", home.c_str(), 1);
    gen_changeprogdir(progdir.c_str());
    GenStr site(cfg_GetSiteConfigDir());
    EXPECT_EQ(std::string(site.get()), progdir + "/config");
    GenStr userNoCreate(cfg_GetUserConfigDir(0));
    EXPECT_EQ(std::string(userNoCreate.get()), home + "/.tql");
    GenStr file(cfg_CreateConfigFilename(site.get(), "qe"));
    EXPECT_EQ(std::string(file.get()), progdir + "/config/qe.cfg");

    writeFile(progdir + "/config/qe.cfg", "tabsize 5\nwrapcolumn 60\n");
    mkdir((home + "/.tql").c_str(), 0755);
    writeFile(home + "/.tql/qe.cfg", "tabsize 6\n");
    EXPECT_EQ(shr_ReadConfigFiles("qe"), 1);
    EXPECT_EQ(tabsize, 6);
    EXPECT_EQ(wrapcolumn, 60);
    // Level 0 is the state after the site file.
    EXPECT_EQ(cfg_FindOption("tabsize")->remembered[0].num, 5);

    // Saving the default configuration writes the user file against level 0.
    XWindowsOn = 0;
    EXPECT_EQ(Captured([] { EXPECT_EQ(SaveAsDefaultConfig(), 0); }),
              "saveconfig command not available in non-GUI mode.\n");
    wRequestedBackend = WB_HEADLESS;
    ASSERT_EQ(WGUIInit(nullptr, nullptr), 1);
    cfg_ScanLine("editindent 2");
    WQueueAnswer("yes");
    std::string out = Captured([] { EXPECT_EQ(SaveAsDefaultConfig(), 1); });
    EXPECT_NE(out.find("Overwrite file " + home + "/.tql/qe.cfg -> yes"), std::string::npos);
    std::string saved = readFile(home + "/.tql/qe.cfg");
    EXPECT_EQ(saved.rfind("editindent: 2\ntabsize: 6\n", 0), 0u) << saved.substr(0, 100);
    EXPECT_NE(saved.find("#wrapcolumn: 60\n"), std::string::npos);
    EXPECT_EQ(cfg_CompareToCurrentSettings(2), 0); // level 2 renewed

    // The exit question: never, then ask, then save at once.
    cfg_ScanLine("tabsize 4");
    EXPECT_EQ(Captured([] { cfg_AskSaveConfig(); }), "");
    cfg_ScanLine("configsavemode AskIfChanged");
    WQueueAnswer("no");
    EXPECT_EQ(Captured([] { cfg_AskSaveConfig(); }),
              "Save changes to default configuration? -> no\n");
    cfg_ScanLine("configsavemode IfChanged");
    WQueueAnswer("yes");
    out = Captured([] { cfg_AskSaveConfig(); });
    EXPECT_NE(readFile(home + "/.tql/qe.cfg").find("tabsize: 4\n"), std::string::npos);

    // A configure command in another file warns before masking.
    cfg_configInNonDefault = 1;
    WQueueAnswer("Cancel");
    out = Captured([] { EXPECT_EQ(SaveAsDefaultConfig(), 0); });
    EXPECT_NE(out.find("Warning: This will save the current configuration in its entirety"),
              std::string::npos);
    cfg_configInNonDefault = 0;

    WQueueAnswer("yes");
    Captured([] { EXPECT_EQ(ClearDefaultConfig(), 1); });
    struct stat st;
    EXPECT_NE(stat((home + "/.tql/qe.cfg").c_str(), &st), 0);
    EXPECT_EQ(stat((home + "/.tql/qe.cfg.old").c_str(), &st), 0);
    WDrawExit();

    cfg_noConfigFiles = 1;
    tabsize = 8;
    EXPECT_EQ(shr_ReadConfigFiles("qe"), 1);
    EXPECT_EQ(tabsize, 8);
    cfg_noConfigFiles = 0;
    system(("rm -rf " + home).c_str());
    system(("rm -rf " + progdir).c_str());
}

TEST_F(Options, ConfigureReadsFilesAndLines) {
    std::string path = TempPath("configure");
    writeFile(path, "tabsize 3\nkey: \"q\"|Control@Edit=Quit\n");
    EXPECT_EQ(Configure(("configure " + path).c_str(), 0), 1);
    EXPECT_EQ(tabsize, 3);
    EXPECT_STREQ(InterpretEditKey('q', MOD_CONTROL, EDITLOC_EDIT, 0), "Quit");
    EXPECT_EQ(Configure("tabsize 5", 0), 1);
    EXPECT_EQ(tabsize, 5);
    EXPECT_EQ(Configure(path.c_str(), 1), 1);
    EXPECT_EQ(tabsize, 3);
    setenv("QECFGDIR", testing::TempDir().c_str(), 1);
    std::string viaVar = "$QECFGDIR/" + path.substr(path.rfind('/') + 1);
    tabsize = 8;
    EXPECT_EQ(Configure(viaVar.c_str(), 1), 1);
    EXPECT_EQ(tabsize, 3);
    EXPECT_EQ(Captured([] { EXPECT_EQ(Configure("$QECFGDIR/none.cfg", 1), 0); }),
              "Couldn't find file: $QECFGDIR/none.cfg (" + testing::TempDir() + "/none.cfg)\n");
    EXPECT_EQ(Captured([] { EXPECT_EQ(cfg_ScanLine("configure /no/such.cfg"), 0); }),
              "Can't open file: /no/such.cfg\n");
    // A file that configures itself stops instead of recursing for ever.
    writeFile(path, "configure " + path + "\n");
    std::string out = Captured([&] { Configure(path.c_str(), 1); });
    EXPECT_NE(out.find("Configuration files nested too deeply"), std::string::npos);
    remove(path.c_str());
}

TEST_F(Options, SettersStoreAndNotify) {
    struct Last final : CfgOptionWatch {
        std::string name;
        void optionChanged(const char* n) override { name = n; }
    } last;
    cfg_optionWatch.install(&last);
    EXPECT_EQ(cfg_ScanLine("editindent 300"), 1);
    EXPECT_EQ(indentsize, 100);
    EXPECT_EQ(last.name, "editindent");
    EXPECT_EQ(cfg_ScanLine("font -misc-fixed-*"), 1);
    EXPECT_EQ(fontName, "-misc-fixed-*");
    EXPECT_EQ(cfg_ScanLine("geometry 100x40+10-20"), 1);
    EXPECT_EQ(editGeometry.width, 100);
    EXPECT_EQ(editGeometry.height, 40);
    EXPECT_EQ(editGeometry.y, 20);
    EXPECT_EQ(editGeometry.set, 1 | 2 | 8);
    EXPECT_EQ(geometry, "100x40+10-20");
    Captured([] { EXPECT_EQ(cfg_ScanLine("geometry 100x"), 0); });
    EXPECT_EQ(geometry, "100x40+10-20");
    EXPECT_EQ(cfg_ScanLine("icongeometry +5+6"), 1);
    EXPECT_EQ(iconGeometry.x, 5);
    EXPECT_EQ(cfg_ScanLine("iconify"), 1);
    EXPECT_EQ(startIconified, 1);
    startIconified = 0;
    EXPECT_EQ(cfg_ScanLine("dialoguefile my.dlg"), 1);
    EXPECT_NE(cfg_dialogueFiles.find("my.dlg"), std::string::npos);
    for (const char* accepted : {"autorecord", "viewdef x", "button a b", "clearbuttons",
                                 "debugbutton x y"})
        EXPECT_EQ(cfg_ScanLine(accepted), 1) << accepted;
    EXPECT_EQ(Captured([] { EXPECT_EQ(cfg_ScanLine("dontuseqvc"), 1); }),
              "Config option dontuseqvc deprecated.  Use dontusevc instead.\n");
    EXPECT_EQ(cfg_ScanLine("dontusevc on"), 1);
    EXPECT_EQ(dontusevc, 1);
    EXPECT_EQ(last.name, "dontusevc");
    cfg_optionWatch.install(nullptr);
}

} // namespace

namespace {

TEST_F(Options, TraceAndDeprecationSwitches) {
    std::string path = TempPath("trace");
    writeFile(path, "warppointer IntoDialog\n");
    debugFlag[XSW_CONFIGTRACE] = 1;
    debugFlag[XSW_CONFIGDEPRECATED] = 1;
    std::string out = Captured([&] { EXPECT_EQ(cfg_ReadFile(path.c_str()), 1); });
    EXPECT_EQ(out, "Reading Configuration File: " + path +
                       "\n\"IntoDialog\" is deprecated; use \"IntoDialogue\" instead\n");
    debugFlag[XSW_CONFIGTRACE] = 0;
    debugFlag[XSW_CONFIGDEPRECATED] = 0;
    EXPECT_EQ(Captured([&] { EXPECT_EQ(cfg_ReadFile(path.c_str()), 1); }), "");
    remove(path.c_str());
}

TEST_F(Options, StartupConfigurationOrder) {
    std::string home = TempPath("home2");
    mkdir(home.c_str(), 0755);
    mkdir((home + "/.tql").c_str(), 0755);
    setenv("HOME", home.c_str(), 1);
    writeFile(home + "/.tql/qe.cfg", "tabsize 3\nkey: \"F6\"@Edit=Grep\n");
    tabsize = 0; // the defaults fill variables that are still 0
    cfg_StartupConfiguration(1);
    EXPECT_EQ(tabsize, 3);
    EXPECT_STREQ(InterpretEditKey(KeyNameToCode("F6"), 0, EDITLOC_EDIT, 0), "Grep");
    EXPECT_STREQ(InterpretEditKey('x', MOD_CONTROL, EDITLOC_EDIT, 0), "Cut1");
    // Start-up changes are the reference for the exit question, not for saving.
    EXPECT_EQ(cfg_CompareToCurrentSettings(2), 0);
    EXPECT_EQ(bindingsChanged[2][BIND_KEYS], 0);
    EXPECT_EQ(cfg_CompareToCurrentSettings(0), 1);
    EXPECT_EQ(bindingsChanged[0][BIND_KEYS], 1);
    system(("rm -rf " + home).c_str());
}

} // namespace

namespace {

// The batch route: -do 'ConfigureFile FILE' then -do 'PrintOption NAME'.
TEST_F(Options, BatchRouteReadsAFileAndShowsTheOption) {
    std::string path = TempPath("batch");
    writeFile(path, "tabsize: 5\nscrolllocation right\n");
    int r = -1;
    EXPECT_EQ(cfg_RunConfigCommand("ConfigureFile", ("  " + path + " ").c_str(), &r), 1);
    EXPECT_EQ(r, 1);
    std::string out = Captured([&] {
        EXPECT_EQ(cfg_RunConfigCommand("printoption", "tabsize", &r), 1);
        EXPECT_EQ(cfg_RunConfigCommand("PrintOption", "scrolllocation", &r), 1);
        EXPECT_EQ(cfg_RunConfigCommand("Configure", "editindent=3", &r), 1);
        EXPECT_EQ(cfg_RunConfigCommand("Configure", ("configure " + path).c_str(), &r), 1);
    });
    EXPECT_EQ(out, "tabsize: 5\nscrolllocation: Right\n");
    EXPECT_EQ(indentsize, 3);
    EXPECT_EQ(cfg_RunConfigCommand("Up", "", &r), 0);
    remove(path.c_str());
}

} // namespace

namespace {

TEST_F(Options, UserDirectoryThatCannotBeCreated) {
    std::string file = TempPath("notadir");
    writeFile(file, "x");
    setenv("HOME", file.c_str(), 1); // $HOME/.tql cannot be made under a plain file
    std::string out = Captured([] { EXPECT_EQ(cfg_GetUserConfigDir(1), nullptr); });
    EXPECT_EQ(out, "Couldn't create user config directory: " + file + "/.tql\n");
    XWindowsOn = 1; // with the window system up, saving needs the directory too
    Captured([] { EXPECT_EQ(SaveAsDefaultConfig(), 0); });
    XWindowsOn = 0;
    remove(file.c_str());
}

} // namespace

namespace {

TEST_F(Options, ColoursAreRefusedOnAOneBitDisplay) {
    TestDisplay& display = InstallTestDisplay();
    EXPECT_EQ(cfg_ScanLine("breakcolor #ff0000"), 1);
    EXPECT_EQ(cfg_colors[COLOR_BREAK].red, 65535);
    display.oneBit = true;
    Captured([] { EXPECT_EQ(cfg_ScanLine("breakcolor #00ff00"), 0); });
    EXPECT_EQ(OptionLine("breakcolor"), "breakcolor: #ff0000\n");
}

} // namespace
