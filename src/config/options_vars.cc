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
