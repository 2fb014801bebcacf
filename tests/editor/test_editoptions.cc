// tests/editor/test_editoptions.cc: the option dialogues' swatches and Apply button, and the
// editors of the key, mouse and menu bindings, through their commands and the headless
// dialogues' scripted answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/bindings.h"
#include "config/cfg.h"
#include "config/options.h"
#include "dialogue/dlgfile.h"
#include "dialogue/dlgopen.h"
#include "editor/editcmd.h"
#include "editor/editmenus.h"
#include "editor/startup.h"
#include "toolkit/dialog.h"
#include "toolkit/headless.h"
#include "toolkit/menu.h"
#include "toolkit/toolkit.h"
#include "vcfront/vc.h"
#include "editor_fixture.h"

namespace {

struct EditOptions : EditorFixture {
    Edit* e = nullptr;
    void SetUp() override {
        EditorFixture::SetUp();
        if (HasFatalFailure()) return;
        EditInstallCfgDisplay();
        cfg_StartupConfiguration(0);
        EditCmdInit();
        e = NewEdit(write("t.txt", "text\n").c_str(), 0, 1, 0);
        ASSERT_NE(e, nullptr);
    }
};

// What the probe saw each time its button was pressed: the swatch colours and Apply's state.
struct Seen {
    WColor background, comment;
    bool applyEnabled;
};
std::vector<Seen> seen;

int probe(Edit*, EditCmdCtx*) {
    WDialog* d = WOpenDialogues().back();
    auto swatch = [&](const char* name) {
        for (Widget* w : d->widgets)
            if (w->kind == WG_COLORBOX && w->name == name) return WHeadlessCellBg(w->win, 1, 0);
        return (WColor)-1;
    };
    seen.push_back({swatch("background"), swatch("comment"), WDialogFind(d, "apply")->enabled});
    return 1;
}

TEST_F(EditOptions, SwatchesFollowTheFieldsAndApplyLightsUpOnAChange) {
    DialoguesEnsureLoaded();
    std::string error;
    // An option dialogue of the program's (bound by its name) with two colours and a probe.
    ASSERT_TRUE(LoadDialogueText(R"(dialogue OnlineHelpConfig "Probe" {
        row { textfield background; colorbox background; }
        row { textfield comment; colorbox comment; }
        button apply "Apply" script { cli "ApplyOptions"; }
        button probe "Probe" script { cli "ProbeSwatches"; }
        button ok "OK" default;
    })", "test", error)) << error;
    EditAddCmd("ProbeSwatches", probe);
    seen.clear();
    WQueueAnswer("probe");
    WQueueAnswer("background=#123456;comment=no such colour;probe");
    WQueueAnswer("apply");
    WQueueAnswer("probe");
    WQueueAnswer("comment=#00ff00;apply;probe");
    EXPECT_EQ(EditCli(e, "Dialog OnlineHelpConfig"), 1);
    ASSERT_EQ(seen.size(), 4u);
    // As opened: the options' colours, Apply dimmed.
    EXPECT_EQ(seen[0].background, 0xffffffu);
    EXPECT_EQ(seen[0].comment, 0x008000u);
    EXPECT_FALSE(seen[0].applyEnabled);
    // The background's swatch follows its field; a text that is no colour leaves the last one.
    EXPECT_EQ(seen[1].background, 0x123456u);
    EXPECT_EQ(seen[1].comment, 0x008000u);
    EXPECT_TRUE(seen[1].applyEnabled);
    // Apply with a bad colour sets nothing and keeps Apply lit.
    EXPECT_TRUE(seen[2].applyEnabled);
    // Accepted: set, and Apply dims again.
    EXPECT_EQ(seen[3].comment, 0x00ff00u);
    EXPECT_FALSE(seen[3].applyEnabled);
    EXPECT_EQ(cfg_OptionString(*cfg_FindOption("background")), "#123456");
    EXPECT_EQ(cfg_OptionString(*cfg_FindOption("comment")), "#00ff00");
}

TEST_F(EditOptions, KeyAndMouseEditorsReplaceTheBindingsOnlyWhenTheTextChanged) {
    ASSERT_GT(CountBindings(1), 20);
    int mice = CountBindings(0);
    int before = bindingsChanged[0][BIND_KEYS];
    // Cancel, and OK with the text as shown, change nothing.
    WQueueAnswer("text=x@Edit=Beep;Cancel");
    EXPECT_EQ(EditCli(e, "ChangeKeyList"), 1);
    WQueueAnswer("OK");
    EXPECT_EQ(EditCli(e, "ChangeKeyList"), 1);
    EXPECT_EQ(bindingsChanged[0][BIND_KEYS], before);
    EXPECT_GT(CountBindings(1), 20);
    // The edited text is all the key bindings there are now; a bad line is left out.
    WQueueAnswer("text=\"F5\"@Edit=Beep\\nq|Control@Edit=SelectAll\\n\\n\"NoSuchKey\"@Edit=Beep;OK");
    EXPECT_EQ(EditCli(e, "ChangeKeyList"), 1);
    EXPECT_EQ(CountBindings(1), 2);
    ASSERT_NE(InterpretEditKey(KeyNameToCode("F5"), 0, EDITLOC_EDIT, 0), nullptr);
    EXPECT_STREQ(InterpretEditKey(KeyNameToCode("F5"), 0, EDITLOC_EDIT, 0), "Beep");
    EXPECT_STREQ(InterpretEditKey('q', MOD_CONTROL, EDITLOC_EDIT, 0), "SelectAll");
    EXPECT_EQ(bindingsChanged[0][BIND_KEYS], 1);
    EXPECT_EQ(KeyListText(), "\"q\"|Control@Edit=SelectAll\n\"F5\"@Edit=Beep\n");
    // The mouse editor works the same way on the mouse bindings.
    EXPECT_GT(mice, 1);
    WQueueAnswer("text=1*click2@Edit=SelectAll;OK");
    EXPECT_EQ(EditCli(e, "ChangeMouseList"), 1);
    EXPECT_EQ(CountBindings(0), 1);
    EXPECT_STREQ(InterpretEditMouse(BUTTON1, 0, EDITLOC_EDIT, 0, 2, EV_RELEASE, nullptr), "SelectAll");
}

TEST_F(EditOptions, MenuEditorShowsTheBuiltInMenusAndConfiguredItemsShowTheirKeys) {
    std::string shown = EditMenuListText();
    EXPECT_NE(shown.find("Options {&Preferences... = configoptions}\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("File {-}\n"), std::string::npos);
    parseKey("s|Control@Edit@Save=Save"); // labelled, as the built-in bindings are
    WQueueAnswer("text=MenuBar {&File = -> File}\\nFile {&Save = Save}\\nFile {-};OK");
    EXPECT_EQ(EditCli(e, "ChangeMenus"), 1);
    ASSERT_EQ(MenuItems().size(), 3u);
    EXPECT_EQ(MenuItems()[1].command, "Save");
    // The File menu has the configured items only, and Save shows its key.
    WMenu menu;
    EditFillMenu(e, "File", &menu);
    ASSERT_EQ(menu.items.size(), 2u);
    EXPECT_EQ(menu.items[0].label, "&Save");
    EXPECT_EQ(menu.items[0].accel, "Ctrl+S");
    EXPECT_TRUE(menu.items[1].separator);
    // A menu nobody configured keeps its built-in items.
    EXPECT_NE(EditMenuListText().find("Options {&Preferences... = configoptions}"), std::string::npos);
}

} // namespace

namespace {

// The probe's view of the version-control fields.
std::vector<std::string> vcSeen;

int probeVc(Edit*, EditCmdCtx*) {
    WDialog* d = WOpenDialogues().back();
    std::string s;
    for (const char* name : {"vc_command", "vc_undervc", "vc_co"}) {
        Widget* f = WDialogFind(d, name);
        s += std::string(name) + (f->enabled ? "=" : "(read-only)=") + WidgetText(f) + " ";
    }
    vcSeen.push_back(s);
    return 1;
}

TEST_F(EditOptions, ChoosingAVersionControlSystemFillsItsTemplates) {
    DialoguesEnsureLoaded();
    std::string error;
    ASSERT_TRUE(LoadDialogueText(R"(dialogue DebuggerConfig "Probe" {
        optionmenu versioncontroltype;
        textfield vc_command; textfield vc_undervc; textfield vc_co;
        button probe "Probe" script { cli "ProbeVc"; }
        button restore "Restore" script { cli "RestoreVcDefaults"; }
        button ok "OK" default script { cli "ApplyOptions"; if (options_valid) dismiss 1; }
    })", "test", error)) << error;
    EditAddCmd("ProbeVc", probeVc);
    vc_Init(); // QVC's templates, as start-up sets them
    vcSeen.clear();
    WQueueAnswer("probe");
    WQueueAnswer("versioncontroltype=RCS;probe");
    WQueueAnswer("vc_co=mine;versioncontroltype=Custom;probe");
    WQueueAnswer("vc_co=mine;restore;probe");
    WQueueAnswer("versioncontroltype=QVC;vc_co=co -x;OK");
    EXPECT_EQ(EditCli(e, "Dialog DebuggerConfig"), 1);
    ASSERT_EQ(vcSeen.size(), 4u);
    // QVC as started: it has no "under version control" template, so that field is read-only.
    EXPECT_EQ(vcSeen[0], "vc_command=qvc vc_undervc(read-only)= vc_co=co ");
    EXPECT_EQ(vcSeen[1], "vc_command(read-only)= vc_undervc(read-only)= vc_co=co -l -q ");
    // Custom commands: every field takes input.
    EXPECT_EQ(vcSeen[2], "vc_command= vc_undervc=echo no custom undervc defined; false vc_co=echo no custom co defined; false ");
    EXPECT_EQ(vcSeen[3], vcSeen[2]);
    // Stored: the system's own templates, with the field the user changed after choosing it.
    EXPECT_EQ(cfg_OptionLine(*cfg_FindOption("vc_co")), "vc_co: co -x\n");
    EXPECT_EQ(cfg_OptionLine(*cfg_FindOption("vc_command")), "vc_command: qvc\n");
}

} // namespace
