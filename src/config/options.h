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

// syntax colouring (the master switch is kept equal to the OR of the six class flags)
extern int colorsyntax;
extern int colorsyntax_comment;
extern int colorsyntax_keyword;
extern int colorsyntax_string;
extern int colorsyntax_char;
extern int colorsyntax_number;
extern int colorsyntax_deadcode;
extern int colorsyntaxGUI;  // colour everything (option dialogue, syn_ParseOptions)
extern int cppCommentsInC;  // "//" comments in files of language C
extern int syn_preall;      // all-dead-code colouring: not supported
// colour pixels, set up by the colour configuration
extern unsigned long comment_fg;
extern unsigned long keyword_fg;
extern unsigned long string_fg;
extern unsigned long character_fg;
extern unsigned long integer_fg;
extern unsigned long deadcode_fg;
extern unsigned long fg_pixel; // plain text
