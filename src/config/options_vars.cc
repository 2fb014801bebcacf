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
int scrolllocation = 0;
int scrollhlocation = 1;
int scrollbarwidth = 18;
int SelectionMarginWidth = 13;
int openfilesinnewbuffers = 0;
std::string font;

std::string background = "#ffffff";
std::string foreground = "#000000";
std::string controlcolor = "#c0c0c0";
std::string selectcolor = "#000080";
