// toolkit/cmdline.h: the X toolkit's own command-line words, taken before the program walks
// the rest: -display NAME, -geometry GEOM, -fn FONT, -xrm RESOURCE.
#pragma once

#include <string>
#include <vector>

struct WCommandLine {
    std::string display;           // empty: $DISPLAY
    std::string font;              // empty: the font option decides
    std::vector<std::string> xrm;  // resource lines added to the server's database
    // -geometry COLSxROWS+X+Y: the first editor window's size in characters and place
    bool hasSize = false, hasPlace = false;
    int cols = 0, rows = 0, x = 0, y = 0;
    bool fromRight = false, fromBottom = false; // -X or -Y: from the screen's far edge
    bool geometryUsed = false;
};
extern WCommandLine wCommandLine;

// Removes the toolkit's words (and their values) from argv; a word missing its value or a
// malformed geometry is reported and dropped. Returns false after such a report.
bool WTakeToolkitArguments(int* argc, char** argv);

// Parses an X geometry "[=][WxH][{+-}X{+-}Y]" into g; false when malformed.
bool WParseGeometry(const char* text, WCommandLine* g);

// The -geometry asked for, once: the first top-level editor window takes it. The size is in
// characters; the place, when given, is that window's top-left corner on the screen for the
// given window size in pixels.
bool WTakeGeometry(int* cols, int* rows);
bool WGeometryPlace(int width, int height, int* x, int* y);
