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
