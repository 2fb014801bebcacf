// config/options_vars.cc: storage of the option variables, holding their defaults so that
// code running before the configuration is read sees sensible values.
#include "config/options.h"

#include "config/cfg.h"

int adaindentsize = 3;
int adacontinuationsize = 2;
int wordwrap = 0;
int wrapcolumn = 79;
int wrapindent = 2;
int indentsize = 4;
int tabsize = 8;
int editwidth = 80;
int editheight = 32;
int EditIncrFrequency = 120;
int EditParenMatch = 10;
int editsomesize = 5;
int cppCommentsInC = 1;
int editorbackups = 0;
int exactcase = 0;
int editprint2column = 1;
int draganddrop = 1;
int preventautocheckout = 0;
int rememberwindowpositions = 1;
int closebuttonontitlebar = 0;
int openfilesinnewbuffers = 0;
int aIndent_implicitAIndentOn = 1;
int aIndent_implicitAIndentInComments = 1;
int aIndent_parenIndentMode = 1;
int aIndent_ada_parenIndentMode = 0;
int aIndent_switchInTwo = 1;
int aIndent_touchComments = 0;
int aIndent_commentsStayFlushLeft = 1;
std::string aIndent_charsLikeStarInsideComment = "-";
int indentwithblanks = 0;
int usealternateeditor = 0;
int usextermforalternateeditor = 0;
int SelectionMarginWidth = 13;

int tooltips = 1;
int keeploaders = 0;
int nodecoration = 0;
int takefocus = 0;
int ignoremotion = 4;
int scrolllocation = 0;
int scrollhlocation = 1;
int warppointer = 1;
int PromptQuitDebugger = 0;
int iconifiedbuttons = 1;
int synchronous = 0;
int moon = 0;
int colorsyntax = 1;
int colorbuilder = 1;
int usewmpositioning = 0;
int blackwhite = 0;
int scrollbarwidth = 18;
int linesnonoverlapped = 4;
int menudelay = 25;
std::string tempFileDir;
std::string fontName;
std::string buttonFontName;
std::string kanjiFontName;

int vc_whichVC = 0;
std::string vc_command, vc_co, vc_get, vc_ci, vc_unco, vc_create, vc_undervc, vc_cinocomments,
    vc_show, vc_diff, vc_who, vc_when, vc_prevver;

CfgSize minviewsize, maxviewsize, minwindowsize, maxwindowsize, firstposition, builderposition;

std::string colorTexts[51];

std::string helpBrowser = "netscape";
int helpPortNumber = 5150;
int helpInNewWindow = 1;
int helpNoRemoteCommand = 0;
int helpNumPortsToScan = 100;
int helpNoJava = 0;
int helpContextDisambiguates = 1;
int xdemo = 0;
int clickpause = 4;
int exprcasesensitivity = 0;
int configsavemode = 2;
std::string geometry;
std::string autodebug;
std::string printcommand = "lpr";
int asmLineComments = 0;
int beep = 1;
int testInterface = 0;
std::string saveEvents, restoreEvents;
std::string helpdb1, helpdb2, helpdb3, helpdb4;
std::string editorName = "qe";
std::string editorLaunch;
std::string quorlWinPreName;
std::string quorlIconPreName;

int dontusevc = 0;

CfgGeometry editGeometry;
CfgGeometry iconGeometry;
int startIconified = 0;
