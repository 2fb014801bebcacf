// config/options.h: the program variables that options are bound to.
// The option tables (cfg_) set them; every other subsystem only reads them.
#pragma once

#include <string>

// editor options
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
extern int editorbackups;
extern int preventautocheckout;

// interface options
extern std::string tempFileDir;
extern int clickpause;
extern int ignoremotion;
extern int scrolllocation;  // 0 "Left", 1 "Right"
extern int scrollhlocation; // 0 "Top", 1 "Bottom"
extern int scrollbarwidth;
extern int SelectionMarginWidth;
extern int openfilesinnewbuffers;
extern std::string font; // none: the toolkit's default font

// colour options (X colour specifications)
extern std::string background;
extern std::string foreground;
extern std::string controlcolor;
extern std::string selectcolor; // keyword "select" (the name would hide select(2))
