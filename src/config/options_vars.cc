// config/options_vars.cc: storage and defaults of the option variables.
#include "config/options.h"

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
int editorbackups = 0;
int preventautocheckout = 0;

std::string tempFileDir;
int clickpause = 4;
int ignoremotion = 4;

int colorsyntax = 1;
int colorsyntax_comment = 1;
int colorsyntax_keyword = 1;
int colorsyntax_string = 1;
int colorsyntax_char = 1;
int colorsyntax_number = 1;
int colorsyntax_deadcode = 1;
int colorsyntaxGUI = 1;
int cppCommentsInC = 0;
int syn_preall = 0;
// Until the colour configuration allocates them: 0xRRGGBB, right on a TrueColor display.
unsigned long comment_fg = 0x1f7a1f;   // green
unsigned long keyword_fg = 0x0000c0;   // blue
unsigned long string_fg = 0xa0401a;    // brown
unsigned long character_fg = 0xa0401a;
unsigned long integer_fg = 0x8b008b;   // magenta
unsigned long deadcode_fg = 0x909090;  // grey
unsigned long fg_pixel = 0x000000;
