// config/options.h: the program variables that options are bound to.
// The option tables (cfg_) set them; every other subsystem only reads them.
// Strings hold "none" as the empty string.
#pragma once

#include <string>

// ---- editor options ----
extern int adaindentsize;
extern int adacontinuationsize;
extern int wordwrap;
extern int wrapcolumn;
extern int wrapindent;
extern int indentsize; // keyword "editindent"
extern int tabsize;
extern int editwidth;
extern int editheight;
extern int EditIncrFrequency; // keyword "editincrfrequency", seconds
extern int EditParenMatch;    // keyword "editparenmatch", tenths of a second
extern int editsomesize;
extern int cppCommentsInC;
extern int editorbackups;
extern int exactcase;
extern int editprint2column;
extern int draganddrop;
extern int preventautocheckout;
extern int rememberwindowpositions;
extern int closebuttonontitlebar;
extern int openfilesinnewbuffers;
extern int aIndent_implicitAIndentOn;           // "AIimplicitindent"
extern int aIndent_implicitAIndentInComments;   // "AIimplicitindentincomments"
extern int aIndent_parenIndentMode;             // "AIparenindentmode": 0 even, 1 in two
extern int aIndent_ada_parenIndentMode;         // "AIadaparenindentmode"
extern int aIndent_switchInTwo;                 // "AIswitchintwo"
extern int aIndent_touchComments;               // "AItouchcomments"
extern int aIndent_commentsStayFlushLeft;       // "AIcommentsstayflushleft"
extern std::string aIndent_charsLikeStarInsideComment; // "AIcharslikestarincomment"
// Indentation is written with blanks only, never tabs (for Python and other blank-only files).
extern int indentwithblanks;
extern int usealternateeditor;
extern int usextermforalternateeditor;
extern int SelectionMarginWidth;

// ---- interface options ----
extern int tooltips;
extern int keeploaders;
extern int nodecoration;
extern int takefocus;
extern int ignoremotion;
extern int scrolllocation;  // 0 left, 1 right
extern int scrollhlocation; // 0 top, 1 bottom
extern int warppointer;     // 0 never, 1 into dialogue, 2 in and out
extern int PromptQuitDebugger;
extern int iconifiedbuttons;
extern int synchronous;
extern int moon;
extern int colorsyntax;
extern int colorbuilder;
extern int usewmpositioning;
extern int blackwhite;
extern int scrollbarwidth;
extern int linesnonoverlapped;
extern int menudelay;
extern std::string tempFileDir;
extern std::string fontName;       // "font"
extern std::string buttonFontName; // "buttonfont"
extern std::string kanjiFontName;  // "kanjifont"

// ---- version-control options ----
extern int vc_whichVC; // "versioncontroltype": 0 QVC, 1 ClearCase, 2 RCS, 3 Custom
extern std::string vc_command, vc_co, vc_get, vc_ci, vc_unco, vc_create, vc_undervc,
    vc_cinocomments, vc_show, vc_diff, vc_who, vc_when, vc_prevver;

// ---- size options (pixels) ----
struct CfgSize;
extern CfgSize minviewsize, maxviewsize, minwindowsize, maxwindowsize, firstposition,
    builderposition;

// ---- colour options: the texts; the parsed colours are cfg_colors[] (config/cfg.h) ----
extern std::string colorTexts[51];
enum CfgColorSlot {
    COLOR_BACKGROUND, COLOR_FOREGROUND, COLOR_CONTROL, COLOR_SELECT, COLOR_ASSEMBLY,
    COLOR_BREAK, COLOR_POINTER, COLOR_BDOT, COLOR_COMMENT, COLOR_DEADCODE, COLOR_KEYWORD,
    COLOR_STRING, COLOR_NUMBER, COLOR_CHARACTER, COLOR_NOBUILD, COLOR_PROGRAM,
    COLOR_SUBPROGRAM, COLOR_SOURCE, COLOR_HEADER, COLOR_DOCUMENTATION, COLOR_LIBRARY,
    COLOR_OBJECT, COLOR_SINGLELIBRARY, COLOR_SCRIPT, COLOR_OTHER,
    COLOR_FIRST_BROWSER // 26 browser colours follow
};

// ---- miscellaneous options ----
extern std::string helpBrowser;
extern int helpPortNumber;
extern int helpInNewWindow;
extern int helpNoRemoteCommand;
extern int helpNumPortsToScan;
extern int helpNoJava;
extern int helpContextDisambiguates;
extern int xdemo;
extern int clickpause;
extern int exprcasesensitivity; // 0 language default, 1 on, 2 off
extern int configsavemode;      // 0 ask if changed, 1 if changed, 2 never
extern std::string geometry;
extern std::string autodebug;
extern std::string printcommand;
extern int asmLineComments;
extern int beep;
extern int testInterface;
extern std::string saveEvents, restoreEvents;
extern std::string helpdb1, helpdb2, helpdb3, helpdb4;
extern std::string editorName;        // "editor"
extern std::string editorLaunch;
extern std::string quorlWinPreName;
extern std::string quorlIconPreName;

// ---- debugger options: only these two are read by this program ----
extern int dontusevc;

// Parsed "geometry" and "icongeometry" values (an X geometry string).
struct CfgGeometry {
    int set = 0;     // bits: 1 width/height given, 2 x/y given, 4 x negative, 8 y negative
    int width = 0, height = 0, x = 0, y = 0;
};
extern CfgGeometry editGeometry; // characters
extern CfgGeometry iconGeometry;
extern int startIconified;       // "iconify"
