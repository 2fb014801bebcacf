// print/prt.h: print settings and the PostScript program that carries its own page layout
// (header, page numbers, one or two columns, portrait or landscape, word wrapping done by the
// printer), optionally with syntax colours.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum { PRT_TO_PRINTER = 0, PRT_TO_FILE = 1 };
enum { PRT_SHOWSIZE = 1, PRT_HEADER = 2 }; // flags

struct PrintSettings {
    int destination = PRT_TO_PRINTER;
    std::string printerCommand;          // the printcommand option when empty
    std::string outputFile = "quorl.ps";
    std::string font = "Courier";        // a PostScript font name
    double fontSize = 8;                 // points
    int paper = 0;                       // 0..3, see prt_PaperSize
    int landscape = 0;
    int columns = 1;                     // 1 or 2
    int flags = PRT_SHOWSIZE | PRT_HEADER;
    bool colours = false;                // syntax colours (Printsyn)
};

// The page's width and height in points for the paper number (anything else is paper 0),
// swapped for landscape.
void prt_PaperSize(int paper, int landscape, int* pw, int* ph);

// Readable font names offered by the print dialogue and the PostScript names they stand for.
struct PrintFontName {
    const char* readable;
    const char* postscript;
};
extern const PrintFontName prt_fonts[];
// The PostScript name for a chosen font: the readable name mapped through the list, else the
// text as it reads.
std::string prt_PostScriptFont(const std::string& chosen);

// The advance widths of a standard font's bytes, as the program encodes them (ISO Latin-1), in
// thousandths of the font size; null for a font whose widths are not known here.
const unsigned short* prt_FontWidths(const std::string& font);

// One piece of a printed line and its colour (0xRRGGBB).
struct PrintRun {
    int from, to;
    unsigned rgb;
};

// Writes the PostScript program: the prolog, then one line at a time, then the trailer.
// Output errors show in ok().
class PsWriter {
public:
    PsWriter(FILE* out, const PrintSettings& settings, const std::string& title);
    bool prolog();
    // A line of text; runs (covering the line, in order) colour it when colours are on.
    bool line(const char* text, int len, const std::vector<PrintRun>* runs = nullptr);
    bool finish(); // "stroke showpage" and the trailer
    int pages() const { return page; }

private:
    std::string expand(const char* text, int len, std::vector<unsigned>* colourOf,
                       const std::vector<PrintRun>* runs) const;
    void layoutPiece(double width);
    void nextLine();
    void plainLine(const std::string& text);
    void colourLine(const std::string& text, const std::vector<unsigned>& colourOf);

    FILE* out;
    PrintSettings s;
    std::string title;
    // The font's widths in points when they are known here: then this side follows the
    // printer's layout, so that the pages can be counted and marked.
    bool measured = false;
    double widthOf[256] = {};
    double width(const std::string& t, size_t from, size_t to) const;
    float lw = 0, y = 0, uby = 0, lby = 0, lspc = 0; // the printer's own layout variables
    int column = 0, page = 0;
    double x = 0;      // width used on the current printed line
};

// Escapes a string for a PostScript string literal: "(", ")" and "\" get a backslash, bytes
// outside printable ASCII are written in octal.
std::string prt_Escape(const std::string& text);

struct File;

// What a print request prints: the lines l1..l2 of a File, the first from column c1 and the
// last up to column c2 (c2 < 0: to its end); l1 = 0 means the whole File. With a path, the
// whole of that file on disk instead.
struct PrintSource {
    File* file = nullptr;
    std::string path;
    int64_t l1 = 0, l2 = 0;
    int c1 = 0, c2 = -1;
};

// The print function for a File or a file on disk: writes the PostScript program into path. 1 on success;
// failures are reported ("Nothing to print", "Couldn't open file ...", ...).
int prt_PrintFileTo(const char* path, const PrintSettings& settings, const PrintSource& source);

// Confirming the print dialogue: into the output file (asking before overwriting it) or
// through a temporary file to the printer command. 1 on success.
int prt_Print(const PrintSettings& settings, const PrintSource& source);
