// config/cfg_tables.cc: the seven option tables, one row per option, in search order.
#include "config/cfg.h"
#include "config/cfgcmd.h"
#include "config/options.h"

namespace {

CfgOption B(const char* name, int* var, long dflt, int redraw = 0, CfgSetter setter = nullptr,
            int hidden = 0) {
    CfgOption o;
    o.name = name;
    o.type = CFG_BOOL;
    o.value = var;
    o.dflt = dflt;
    o.redraw = redraw;
    o.setter = setter;
    o.hidden = hidden;
    return o;
}

CfgOption I(const char* name, int* var, long dflt, int min, int max, int redraw = 0,
            CfgSetter setter = nullptr) {
    CfgOption o;
    o.name = name;
    o.type = CFG_INT;
    o.value = var;
    o.dflt = dflt;
    o.range = {min, max};
    o.redraw = redraw;
    o.setter = setter;
    return o;
}

CfgOption C(const char* name, int* var, const ChoiceValue* choices, long dflt, int redraw = 0,
            CfgSetter setter = nullptr) {
    CfgOption o;
    o.name = name;
    o.type = CFG_CHOICE;
    o.value = var;
    o.choices = choices;
    o.dflt = dflt;
    o.redraw = redraw;
    o.setter = setter;
    return o;
}

CfgOption S(const char* name, std::string* var, const char* dflt, int redraw = 0,
            CfgSetter setter = nullptr, int hidden = 0) {
    CfgOption o;
    o.name = name;
    o.type = CFG_STRING;
    o.value = var;
    o.dfltStr = dflt;
    o.redraw = redraw;
    o.setter = setter;
    o.hidden = hidden;
    return o;
}

CfgOption K(const char* name, int slot, const char* dflt) {
    CfgOption o;
    o.name = name;
    o.type = CFG_COLOR;
    o.value = &colorTexts[slot];
    o.colorSlot = slot;
    o.dfltStr = dflt;
    o.redraw = 1;
    return o;
}

CfgOption Z(const char* name, CfgSize* var) {
    CfgOption o;
    o.name = name;
    o.type = CFG_SIZE;
    o.value = var;
    return o;
}

CfgOption F(const char* name, CfgSetter setter) {
    CfgOption o;
    o.name = name;
    o.type = CFG_FUNC;
    o.setter = setter;
    o.hidden = 1;
    return o;
}

CfgOption END() {
    return CfgOption{};
}

const ChoiceValue parenModes[] = {
    {"EvenWithParen", "Even with parentheses", 0, nullptr},
    {"IndentInTwo", "Indent in two", 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue scrollLocs[] = {
    {"Left", "Left", 0, nullptr},
    {"Right", "Right", 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue scrollHLocs[] = {
    {"Top", "Top", 0, nullptr},
    {"Bottom", "Bottom", 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const char* const intoOld[] = {"IntoDialog", nullptr};
const char* const inOutOld[] = {"In&OutDialog", nullptr};
const ChoiceValue warpModes[] = {
    {"Never", "Never", 0, nullptr},
    {"IntoDialogue", "Into Dialog", 1, intoOld},
    {"In&OutDialogue", "In & Out of Dialog", 2, inOutOld},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue quitModes[] = {
    {"Normal", "Confirm If Process Started", 0, nullptr},
    {"Always", "Always Confirm", 1, nullptr},
    {"Never", "Never Confirm", 2, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue vcTypes[] = {
    {"QVC", "QVC", 0, nullptr},
    {"ClearCase", "ClearCase", 1, nullptr},
    {"RCS", "RCS", 2, nullptr},
    {"Custom", "Custom", 3, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue exprCases[] = {
    {"Language_Default", "Use Language Default", 0, nullptr},
    {"On", "Case Sensitive", 1, nullptr},
    {"Off", "Case Insensitive", 2, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue saveModes[] = {
    {"AskIfChanged", "Ask To Save Changes", 0, nullptr},
    {"IfChanged", "Autosave Changes", 1, nullptr},
    {"Never", "Manually Save Only", 2, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
// Choices of debugger options nothing here reads.
const ChoiceValue lineNumberModes[] = {
    {"Absolute", "Absolute", 0, nullptr},
    {"Relative", "Relative", 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue disasmStyles[] = {
    {"Native", "Native", 0, nullptr},
    {"Intel", "Intel", 1, nullptr},
    {"ATT", "AT&T", 2, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
const ChoiceValue buttonLocs[] = {
    {"Top", "Top", 0, nullptr},
    {"Bottom", "Bottom", 1, nullptr},
    {"Left", "Left", 2, nullptr},
    {"Right", "Right", 3, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// Storage of the options that only the larger environment reads.
int dbg[48];
std::string dbgPrompt;


} // namespace

CfgColor cfg_colors[CFG_COLOR_COUNT];

CfgOption size_options[] = {
    Z("minviewsize", &minviewsize),     Z("maxviewsize", &maxviewsize),
    Z("minwindowsize", &minwindowsize), Z("maxwindowsize", &maxwindowsize),
    Z("firstposition", &firstposition), Z("builderposition", &builderposition),
    END(),
};

CfgOption color_options[] = {
    K("background", COLOR_BACKGROUND, "#ffffff"),
    K("foreground", COLOR_FOREGROUND, "#000000"),
    K("controlcolor", COLOR_CONTROL, "#c0c0c0"),
    K("select", COLOR_SELECT, "#000080"),
    K("assembly", COLOR_ASSEMBLY, "#0000ff"),
    K("breakcolor", COLOR_BREAK, "#ff0000"),
    K("pointercolor", COLOR_POINTER, "#0000ff"),
    K("bdotcolor", COLOR_BDOT, "#00cd00"),
    K("comment", COLOR_COMMENT, "#008000"),
    K("deadcode", COLOR_DEADCODE, "#808080"),
    K("keyword", COLOR_KEYWORD, "#0000ff"),
    K("string", COLOR_STRING, "#800000"),
    K("number", COLOR_NUMBER, "#e000e0"),
    K("character", COLOR_CHARACTER, "#c000c0"),
    K("nobuild", COLOR_NOBUILD, "#c00000"),
    K("program", COLOR_PROGRAM, "#c00000"),
    K("subprogram", COLOR_SUBPROGRAM, "#800000"),
    K("source", COLOR_SOURCE, "#006000"),
    K("header", COLOR_HEADER, "#0020a0"),
    K("documentation", COLOR_DOCUMENTATION, "#606060"),
    K("library", COLOR_LIBRARY, "#800060"),
    K("object", COLOR_OBJECT, "#000080"),
    K("singlelibrary", COLOR_SINGLELIBRARY, "#000080"),
    K("script", COLOR_SCRIPT, "#606000"),
    K("other", COLOR_OTHER, "#500050"),
    K("TBFunctionNormalFG", COLOR_FIRST_BROWSER + 0, "#000060"),
    K("TBFunctionNoInfoFG", COLOR_FIRST_BROWSER + 1, "#404040"),
    K("TBFunctionRecursiveFG", COLOR_FIRST_BROWSER + 2, "#600000"),
    K("TBFunctionAdrTakenFG", COLOR_FIRST_BROWSER + 3, "#600060"),
    K("TBDynNormalFG", COLOR_FIRST_BROWSER + 4, "#000060"),
    K("TBDynNoInfoFG", COLOR_FIRST_BROWSER + 5, "#404040"),
    K("TBFileNormalFG", COLOR_FIRST_BROWSER + 6, "#003000"),
    K("TBFileNoInfoFG", COLOR_FIRST_BROWSER + 7, "#404040"),
    K("TBClassUnionFG", COLOR_FIRST_BROWSER + 8, "#400040"),
    K("TBClassEnumFG", COLOR_FIRST_BROWSER + 9, "#004040"),
    K("TBClassStructFG", COLOR_FIRST_BROWSER + 10, "#000060"),
    K("TBClassClassFG", COLOR_FIRST_BROWSER + 11, "#600000"),
    K("TBClassNoInfoFG", COLOR_FIRST_BROWSER + 12, "#404040"),
    K("TBFunctionNormalBG", COLOR_FIRST_BROWSER + 13, "#DFDFFF"),
    K("TBFunctionNoInfoBG", COLOR_FIRST_BROWSER + 14, "#E8E8E8"),
    K("TBFunctionRecursiveBG", COLOR_FIRST_BROWSER + 15, "#FFDFDF"),
    K("TBFunctionAdrTakenBG", COLOR_FIRST_BROWSER + 16, "#FFDFFF"),
    K("TBDynNormalBG", COLOR_FIRST_BROWSER + 17, "#DFDFFF"),
    K("TBDynNoInfoBG", COLOR_FIRST_BROWSER + 18, "#E8E8E8"),
    K("TBFileNormalBG", COLOR_FIRST_BROWSER + 19, "#DFFFDF"),
    K("TBFileNoInfoBG", COLOR_FIRST_BROWSER + 20, "#E8E8E8"),
    K("TBClassUnionBG", COLOR_FIRST_BROWSER + 21, "#FFDFFF"),
    K("TBClassEnumBG", COLOR_FIRST_BROWSER + 22, "#DFFFFF"),
    K("TBClassStructBG", COLOR_FIRST_BROWSER + 23, "#DFDFFF"),
    K("TBClassClassBG", COLOR_FIRST_BROWSER + 24, "#FFDFDF"),
    K("TBClassNoInfoBG", COLOR_FIRST_BROWSER + 25, "#E8E8E8"),
    END(),
};

CfgOption editor_options[] = {
    I("adaindentsize", &adaindentsize, 3, 1, 100, 0, CDoAdaIndentSize),
    I("adacontinuationsize", &adacontinuationsize, 2, 1, 100, 0, CDoAdaContinuationSize),
    B("wordwrap", &wordwrap, 0, 0, CDoWordWrap),
    I("wrapcolumn", &wrapcolumn, 79, 1, 1000, 0, CDoWrapColumn),
    I("wrapindent", &wrapindent, 2, 1, 100, 0, CDoWrapIndent),
    I("editindent", &indentsize, 4, 1, 100, 1, CDoIndentSize),
    I("tabsize", &tabsize, 8, 1, 100, 1),
    I("editwidth", &editwidth, 80, -1, 300, 1),
    I("editheight", &editheight, 32, -1, 300, 1),
    I("editincrfrequency", &EditIncrFrequency, 120, 1, 3600, 1),
    I("editparenmatch", &EditParenMatch, 10, 0, 1000, 1),
    I("editsomesize", &editsomesize, 5, 1, 100),
    B("cppCommentsInC", &cppCommentsInC, 1, 1),
    B("editorbackups", &editorbackups, 0),
    B("exactcase", &exactcase, 0, 0, CDoExactCase),
    B("editprint2column", &editprint2column, 1),
    B("draganddrop", &draganddrop, 1),
    B("preventautocheckout", &preventautocheckout, 0),
    B("rememberwindowpositions", &rememberwindowpositions, 1),
    B("closebuttonontitlebar", &closebuttonontitlebar, 0, 1),
    B("openfilesinnewbuffers", &openfilesinnewbuffers, 0),
    B("AIimplicitindent", &aIndent_implicitAIndentOn, 1),
    B("AIimplicitindentincomments", &aIndent_implicitAIndentInComments, 1),
    C("AIparenindentmode", &aIndent_parenIndentMode, parenModes, 1),
    C("AIadaparenindentmode", &aIndent_ada_parenIndentMode, parenModes, 0),
    B("AIswitchintwo", &aIndent_switchInTwo, 1),
    B("AItouchcomments", &aIndent_touchComments, 0),
    B("AIcommentsstayflushleft", &aIndent_commentsStayFlushLeft, 1),
    S("AIcharslikestarincomment", &aIndent_charsLikeStarInsideComment, "-"),
    B("indentwithblanks", &indentwithblanks, 0),
    B("usealternateeditor", &usealternateeditor, 0),
    B("usextermforalternateeditor", &usextermforalternateeditor, 0),
    I("SelectionMarginWidth", &SelectionMarginWidth, 13, 0, 100),
    END(),
};

CfgOption debugger_options[] = {
    B("dontusevc", &dontusevc, 0),
    F("dontuseqvc", CDoDontUseQvc),
    B("LongjmpStepMode", &dbg[0], 0),
    B("backgroundmode", &dbg[1], 0),
    B("viewsarechildrenmode", &dbg[2], 0),
    B("ImplicitEvalEcho", &dbg[3], 1),
    B("shellconfirm", &dbg[4], 1),
    B("sharedsymbols", &dbg[5], 1),
    B("directinput", &dbg[6], 0),
    B("procRelativeLines", &dbg[7], 0),
    B("bufferlogs", &dbg[8], 1),
    B("StepToBpIgnoresResumeInBpCmd", &dbg[9], 0),
    B("QualifyingLabelDenotesImmediatelyFollowingBlock", &dbg[10], 0),
    B("ProcQualifiedLocalImpliesOutermostBlock", &dbg[11], 0),
    B("WarnOnBpReplacement", &dbg[12], 1),
    B("WarnOnCmdAdrLinePromotion", &dbg[13], 1),
    B("AttemptToShowOldVersionOfUpdateSource", &dbg[14], 0),
    I("grabtimeout", &dbg[15], 30, 0, 3600),
    B("blockstep", &dbg[16], 0),
    B("showaddress", &dbg[17], 0),
    B("automarking", &dbg[18], 1),
    B("viewunsignedcharasint", &dbg[19], 0),
    B("hexmode", &dbg[20], 0),
    B("BPSyntaxChecking", &dbg[21], 1),
    B("leaveTypeDef", &dbg[22], 0),
    B("VERIFYHALT", &dbg[23], 0),
    B("ShowPosInNoDisplayMode", &dbg[24], 1),
    B("DisableCarriageReturnRepeat", &dbg[25], 0),
    B("DerefPointer", &dbg[26], 0),
    B("ContinuePlaybackFileOnError", &dbg[27], 0),
    B("AllowExecutionInBpCommand", &dbg[28], 0),
    B("SimpleDisplayOfUnknownProcs", &dbg[29], 0),
    B("GotoHitsBpAtTargetAddress", &dbg[30], 1),
    I("cwindlines", &dbg[31], 10, 1, 1000),
    I("ctextsize", &dbg[32], 32768, 1024, 16777216),
    I("servertimeout", &dbg[33], 60, 0, 3600),
    C("linenumbermode", &dbg[34], lineNumberModes, 0),
    C("disasmStyle", &dbg[35], disasmStyles, 0),
    S("prompt", &dbgPrompt, "(qdb) "),
    C("debugbuttonsloc", &dbg[36], buttonLocs, 0),
    B("rememberbreakpoints", &dbg[37], 1),
    B("haltonattach", &dbg[38], 1),
    B("QuietTogCmd", &dbg[39], 0),
    B("sdlNameDisplay", &dbg[40], 0),
    I("FormatStringMaxLength", &dbg[41], 256, 1, 65536),
    I("FormatStringMaxDepth", &dbg[42], 4, 1, 100),
    B("LoadLongArraysOnViewWinCreation", &dbg[43], 0),
    END(),
};

CfgOption gui_options[] = {
    B("tooltips", &tooltips, 1),
    B("keeploaders", &keeploaders, 0),
    B("nodecoration", &nodecoration, 0),
    B("takefocus", &takefocus, 0),
    I("ignoremotion", &ignoremotion, 4, 0, 100),
    C("scrolllocation", &scrolllocation, scrollLocs, 0, 1, CDoScrollLoc),
    C("scrollhlocation", &scrollhlocation, scrollHLocs, 1, 1, CDoScrollHLoc),
    C("warppointer", &warppointer, warpModes, 1),
    C("PromptQuitDebugger", &PromptQuitDebugger, quitModes, 0),
    B("iconifiedbuttons", &iconifiedbuttons, 1, 1),
    B("synchronous", &synchronous, 0, 0, CDoSync),
    B("moon", &moon, 0, 1),
    B("colorsyntax", &colorsyntax, 1, 1, CDoColorSyntax),
    B("colorbuilder", &colorbuilder, 1, 1, CDoColorBuilder),
    B("usewmpositioning", &usewmpositioning, 0),
    B("blackwhite", &blackwhite, 0, 1, CDoBlackWhite),
    I("scrollbarwidth", &scrollbarwidth, 18, 1, 100, 1, CDoScrollBarWidth),
    I("linesnonoverlapped", &linesnonoverlapped, 4, 1, 100),
    I("menudelay", &menudelay, 25, 0, 1000),
    S("tempFileDir", &tempFileDir, nullptr),
    S("font", &fontName, nullptr, 1, CDoFont),
    S("buttonfont", &buttonFontName, nullptr, 1, CDoButtonFont),
    S("kanjifont", &kanjiFontName, nullptr, 1, CDo16BitFont),
    END(),
};

CfgOption vc_options[] = {
    C("versioncontroltype", &vc_whichVC, vcTypes, 0, 1, cfg_SetVersionControl),
    S("vc_command", &vc_command, nullptr),
    S("vc_co", &vc_co, nullptr),
    S("vc_get", &vc_get, nullptr),
    S("vc_ci", &vc_ci, nullptr),
    S("vc_unco", &vc_unco, nullptr),
    S("vc_create", &vc_create, nullptr),
    S("vc_undervc", &vc_undervc, nullptr),
    S("vc_cinocomments", &vc_cinocomments, nullptr),
    S("vc_show", &vc_show, nullptr),
    S("vc_diff", &vc_diff, nullptr),
    S("vc_who", &vc_who, nullptr),
    S("vc_when", &vc_when, nullptr),
    S("vc_prevver", &vc_prevver, nullptr),
    END(),
};

// The user-visible texts: name and English default, in table order.
struct TextRow {
    const char* name;
    const char* text;
    int hidden;
};
static const TextRow textRows[] = {
    {"view.vbase", "Virtual Bases", 0}, {"view.base", "Bases", 0}, {"view.in", "In", 0},
    {"view.virtuals", "Virtuals", 0}, {"view.nonatomic", "Non-atomic", 0},
    {"button.ok", "OK", 0}, {"button.cancel", "Cancel", 0}, {"button.yes", "Yes", 0},
    {"button.no", "No", 0}, {"button.all", "All", 0}, {"button.none", "None", 0},
    {"button.close", "Close", 0}, {"button.pop", "Pop", 0}, {"button.help", "Help", 0},
    {"button.shrink", "Shrink", 0}, {"button.dup", "Dup", 0}, {"button.freeze", "Freeze", 0},
    {"button.thaw", "Thaw", 0}, {"button.quit", "Quit", 0}, {"button.really", "Really Quit", 0},
    {"button.file1", "File 1", 0}, {"button.file2", "File 2", 0}, {"button.base", "Base", 0},
    {"button.abort", "Abort", 0}, {"button.proceed", "Proceed", 0}, {"button.auto", "Auto", 0},
    {"button.merge", "Merge", 0}, {"button.12", "1 & 2", 0}, {"button.1base", "1 & Base", 0},
    {"button.2base", "2 & Base", 0}, {"button.both", "Both", 0},
    {"button.bothcontrol", "Both Control", 0}, {"button.setcb", "Set Clipboard", 0},
    {"button.startsword", "Starts Word", 0}, {"button.endsword", "Ends Word", 0},
    {"button.startsline", "Starts Line", 0}, {"button.endsline", "Ends Line", 0},
    {"button.searchtype", "Search Type:", 0}, {"button.normal", "Normal", 0},
    {"button.wildcards", "Wildcards", 0}, {"button.re", "Regular Expression", 0},
    {"button.edit", "Edit", 0}, {"label.copyfrom", "Copy from:", 0},
    {"label.sync", "This many lines must match to resync:", 0}, {"label.sync2", "lines", 0},
    {"label.before", "Before", 0}, {"label.between", "Between", 0},
    {"label.after", "After", 0}, {"label.precedes", "Precedes", 0},
    {"label.insert", "Insert", 0}, {"msg.merge", "Merge what versions of this file?", 0},
    {"msg.prefix", "Prefix:", 0}, {"button.find", "Find:", 0},
    {"button.replace", "Replace:", 0}, {"button.rplthenfind", "Replace then Find", 0},
    {"button.findthenrpl", "Find then Replace", 0}, {"button.allrpl", "Replace All", 0},
    {"button.undo", "Undo", 0}, {"button.case", "Case Sensitive", 0},
    {"button.forward", "Forward", 0}, {"button.backward", "Backward", 0},
    {"button.exact", "Exact", 0}, {"button.either", "Either", 0},
    {"status.srchabrt", "Search aborted", 0}, {"status.srchsrch", "Already searching", 0},
    {"status.srchre", "RESearch:", 0}, {"status.srchwild", "WildSearch:", 0},
    {"status.srchline", "LineSearch:", 0}, {"status.srchword", "WordSearch:", 0},
    {"status.failed", ": Failed", 0}, {"status.readonly", "Window is read only", 0},
    {"button.mkdir", "Make Dir", 0}, {"button.updir", "Up Dir", 0},
    {"button.pwd", "Current Dir", 0}, {"button.delete", "Delete", 0},
    {"dialogue.reallykill", "Really kill the process?", 0},
    {"dialogue.nonptr", "Not a pointer", 0}, {"dialogue.regname", "Register name:", 0},
    {"dialogue.openindex", "Open index:", 0}, {"dialogue.openfield", "Open field:", 0},
    {"dialogue.newaddr", "New address:", 0}, {"dialogue.newtype", "New type:", 0},
    {"dialogue.path", "Path:", 0}, {"dialogue.newcommand", "New command:", 0},
    {"dialogue.delbrk", "Delete breakpoint?", 0}, {"dialogue.brk", "Breakpoint:", 0},
    {"dialogue.peruse", "Peruse:", 0}, {"dialogue.edit", "Edit:", 0},
    {"dialogue.call", "Call:", 0}, {"dialogue.cast", "Cast to:", 0},
    {"dialogue.addvar", "Add variable:", 0}, {"status.source", "Source", 1},
    {"status.nosource", "No source", 0}, {"status.noprogram", "No program", 1},
    {"status.noprocess", "No process", 0}, {"status.stopped", "Stopped", 0},
    {"status.stoppedin", "Stopped in", 0}, {"status.running", "Running", 0},
    {"status.dying", "Dying", 0}, {"status.forking", "Forking", 0},
    {"status.execing", "Execing", 0}, {"status.continuing", "Continuing", 0},
    {"status.csrch", "Case Search:", 0}, {"status.ssrch", "Search:", 0},
    {"status.srch", "Srch:", 0}, {"status.replacing", "Replacing:", 0},
    {"status.file", "File:", 0}, {"status.target", "Target:", 0}, {"status.proc", "Process:", 0},
    {"message.running", "Running", 0}, {"message.stoppedby", "Stopped by signal", 0},
    {"message.on", "on", 0}, {"message.read", "read", 0}, {"message.write", "write", 0},
    {"message.execute", "execute", 0}, {"message.mask", "mask", 0},
    {"message.hardware", "hardware", 0},
};
enum { TEXT_COUNT = sizeof textRows / sizeof textRows[0] };
static std::string texts[TEXT_COUNT];

static CfgOption T(int i) {
    return S(textRows[i].name, &texts[i], textRows[i].text, 0, nullptr, textRows[i].hidden);
}

#define T8(i) T(i), T(i + 1), T(i + 2), T(i + 3), T(i + 4), T(i + 5), T(i + 6), T(i + 7)

CfgOption misc_options[] = {
    S("helpBrowser", &helpBrowser, "netscape"),
    I("helpPortNumber", &helpPortNumber, 5150, 1024, 65535),
    B("helpInNewWindow", &helpInNewWindow, 1),
    B("helpNoRemoteCommand", &helpNoRemoteCommand, 0),
    I("helpNumPortsToScan", &helpNumPortsToScan, 100, 0, 32000),
    B("helpNoJava", &helpNoJava, 0),
    B("helpContextDisambiguates", &helpContextDisambiguates, 1),
    B("xdemo", &xdemo, 0, 0, nullptr, 1),
    I("clickpause", &clickpause, 4, 0, 100),
    F("configure", CDoConfigure),
    F("configurefile", CDoConfigure),
    F("autorecord", CDoNothing),
    C("exprcasesensitivity", &exprcasesensitivity, exprCases, 0),
    C("configsavemode", &configsavemode, saveModes, 2),
    F("clearbuttons", CDoNothing),
    F("button", CDoNothing),
    F("debugbutton", CDoNothing),
    F("editbutton", CDoEButton),
    F("cleareditbuttons", CDoClearEButtons),
    F("clearkeys", CDoClearKeys),
    F("key", CDoKey),
    F("keybind", CDoKey),
    F("clearmice", CDoClearMice),
    F("mouse", CDoMouse),
    S("geometry", &geometry, nullptr, 0, CDoGeometry),
    F("icongeometry", CDoIconGeometry),
    F("dumpResources", CDoDumpResources),
    F("dialoguefile", CDoDialogueFile),
    F("menu", CDoMenu),
    F("clearmenus", CDoClearMenus),
    F("iconify", CDoIconify),
    F("viewdef", CDoNothing),
    S("autodebug", &autodebug, nullptr),
    S("printcommand", &printcommand, "lpr"),
    B("asmLineComments", &asmLineComments, 0, 0, nullptr, 1),
    B("beep", &beep, 1),
    B("testInterface", &testInterface, 0, 0, nullptr, 1),
    S("saveEvents", &saveEvents, nullptr, 0, nullptr, 1),
    S("restoreEvents", &restoreEvents, nullptr, 0, nullptr, 1),
    S("helpdb1", &helpdb1, nullptr, 0, nullptr, 1),
    S("helpdb2", &helpdb2, nullptr, 0, nullptr, 1),
    S("helpdb3", &helpdb3, nullptr, 0, nullptr, 1),
    S("helpdb4", &helpdb4, nullptr, 0, nullptr, 1),
    T8(0), T8(8), T8(16), T8(24), T8(32), T8(40), T8(48), T8(56), T8(64), T8(72), T8(80),
    T8(88), T8(96), T8(104), T(112), T(113), T(114), T(115), T(116),
    S("editor", &editorName, "qe"),
    S("editorLaunch", &editorLaunch, nullptr),
    S("quorlWinPreName", &quorlWinPreName, nullptr),
    S("quorlIconPreName", &quorlIconPreName, nullptr),
    END(),
};
static_assert(TEXT_COUNT == 117, "every text row is in misc_options");

CfgOption* const cfg_AllTables[7] = {size_options,     color_options, editor_options,
                                     debugger_options, gui_options,   vc_options,
                                     misc_options};

const char* cfg_Text(const char* name) {
    for (int i = 0; i < TEXT_COUNT; i++)
        if (name && std::string(name) == textRows[i].name)
            return texts[i].empty() ? textRows[i].text : texts[i].c_str();
    return name ? name : "";
}
