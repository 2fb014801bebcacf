// print/prt_ps.cc: the PostScript program. The printer lays the pages out itself (the
// procedures of the prolog); for the standard fonts this side knows every width too (measured
// at build time), so it follows the same layout to mark the pages for document managers
// ("%%Page:") and count them ("%%Pages:").
#include "print/prt.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

const PrintFontName prt_fonts[] = {
    {"Courier", "Courier"},
    {"Courier Bold", "Courier-Bold"},
    {"Courier Oblique", "Courier-Oblique"},
    {"Helvetica", "Helvetica"},
    {"Helvetica Bold", "Helvetica-Bold"},
    {"Helvetica Narrow", "Helvetica-Narrow"},
    {"Times", "Times-Roman"},
    {"Times Bold", "Times-Bold"},
    {"Times Italic", "Times-Italic"},
    {"Palatino", "Palatino-Roman"},
    {"New Century Schoolbook", "NewCenturySchlbk-Roman"},
    {"Bookman", "Bookman-Light"},
    {"Avant Garde", "AvantGarde-Book"},
    {nullptr, nullptr},
};

std::string prt_PostScriptFont(const std::string& chosen) {
    for (const PrintFontName* f = prt_fonts; f->readable; f++)
        if (!strcasecmp(chosen.c_str(), f->readable)) return f->postscript;
    return chosen;
}

void prt_PaperSize(int paper, int landscape, int* pw, int* ph) {
    static const double sizes[4][2] = {{8.5, 11}, {8.5, 14}, {7.388889, 10}, {8.402778, 11.888889}};
    if (paper < 0 || paper > 3) paper = 0;
    *pw = (int)(sizes[paper][0] * 72);
    *ph = (int)(sizes[paper][1] * 72);
    if (landscape) std::swap(*pw, *ph);
}

std::string prt_Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (unsigned char c : text) {
        if (c == '(' || c == ')' || c == '\\') {
            out.push_back('\\');
            out.push_back((char)c);
        } else if (c < 32 || c >= 127) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out.push_back((char)c);
        }
    }
    return out;
}

namespace {

// Margin, gap between columns, header height: the printer's mw, clw and hw.
const int kMargin = 58, kColumnGap = 40, kHeader = 20;
// A piece fits its column with this much to spare, so that rounding in the printer's
// arithmetic never decides differently from this side's.
const double kSlack = 0.01;

// The procedures: M moves after stroking, Y finds, scales and sets a font (re-encoded for
// Latin-1), FT sets the chosen one; np starts a page, nl moves to the next line (column,
// page), bp shows a piece on a line of its own and bbr breaks a string at blanks into pieces
// no wider than the column. cw and sb are the coloured forms: a word in coloured pieces and
// a run of blanks, wrapped as they come.
const char* const kProcedures = R"PS(/M { stroke moveto } bind def
/Y { exch findfont dup length dict begin { 1 index /FID ne { def } { pop pop } ifelse } forall
  /Encoding ISOLatin1Encoding def currentdict end /QEFont exch definefont exch scalefont setfont } bind def
/pn 1 def /mw 58 def /clw 40 def /hw 20 def
/lbx mw def /lby mw def /lspc fs def
FT /fnw fnm stringwidth pop 2 div (---- ) stringwidth pop add def
/rbx pw mw sub def /uby ph mw sub hw sub def /hy uby hw 2 div add def
/lw pw mw 2 mul sub nc div clw 2 div sub def
/np { initmatrix ls { 90 rotate 0 ph neg translate } if FT 0 setgray
  pn 10 string cvs dup stringwidth pop rbx exch sub hy moveto show /pn pn 1 add def
  hd { pw 2 div fnw sub hy moveto (---- ) show fnm show ( ----) show } if
  /ic 0 def /lbx mw def /y uby def } bind def
/nl { /y y lspc sub def y lby lt { /ic ic 1 add def ic nc ge { showpage np } if
  /lbx mw ic lw clw add mul add def /y uby lspc sub def } if } bind def
/bp { nl lbx y moveto show } bind def
/wdb ( ) def
/bbr { /bpr exch def .01 add /bw exch def
  { dup stringwidth pop bw le { bpr exit } if
    /s exch def /cut -1 def
    s length 1 sub -1 1 { /i exch def s i get 32 eq
      { s 0 i getinterval stringwidth pop bw le { /cut i def exit } if } if } for
    cut 0 lt { 1 1 s length 1 sub { /i exch def s i get 32 eq { /cut i def exit } if } for } if
    cut 0 lt { s bpr exit } if
    s 0 cut getinterval bpr
    s cut wdb length add s length cut sub wdb length sub getinterval } loop } bind def
/cl { nl lbx y moveto } bind def
/fits { stringwidth pop currentpoint pop add lbx lw add .01 add le } bind def
/cw { 4 mul array astore /a exch def /ww 0 def
  0 4 a length 1 sub { a exch get stringwidth pop ww add /ww exch def } for
  ww currentpoint pop add lbx lw add .01 add gt currentpoint pop lbx .01 add gt and { cl } if
  0 4 a length 1 sub { /j exch def a j 1 add get a j 2 add get a j 3 add get setrgbcolor
    a j get show } for } bind def
/sb { dup fits { show } { pop cl } ifelse } bind def
)PS";

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when it is not well formed.
int utf8At(const unsigned char* t, int i, int len, unsigned* cp) {
    unsigned char c = t[i];
    int n = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 && c < 0xe0 ? 2 : 0;
    if (n == 0 || i + n > len) return 0;
    unsigned v = c & (0x7f >> n);
    for (int k = 1; k < n; k++) {
        if ((t[i + k] & 0xc0) != 0x80) return 0;
        v = (v << 6) | (t[i + k] & 0x3f);
    }
    *cp = v;
    return n;
}

bool validUtf8(const unsigned char* t, int len) {
    unsigned cp;
    for (int i = 0; i < len;) {
        if (t[i] < 0x80) {
            i++;
            continue;
        }
        int n = utf8At(t, i, len, &cp);
        if (!n) return false;
        i += n;
    }
    return true;
}

} // namespace

PsWriter::PsWriter(FILE* o, const PrintSettings& settings, const std::string& t)
    : out(o), s(settings), title(t) {
    if (s.columns != 2) s.columns = 1;
    if (!(s.fontSize > 0 && s.fontSize <= 1000)) s.fontSize = 8;
    if (s.font.empty()) s.font = "Courier";
    if (const unsigned short* w = prt_FontWidths(s.font)) {
        measured = true;
        for (int i = 0; i < 256; i++) widthOf[i] = w[i] * s.fontSize / 1000.0;
    }
}

// The width of t[from, to) as the printer's stringwidth gives it.
double PsWriter::width(const std::string& t, size_t from, size_t to) const {
    double w = 0;
    for (size_t i = from; i < to; i++) w += widthOf[(unsigned char)t[i]];
    return w;
}

bool PsWriter::prolog() {
    int pw, ph;
    prt_PaperSize(s.paper, s.landscape, &pw, &ph);
    lw = (float)((pw - 2.0 * kMargin) / s.columns - kColumnGap / 2.0);
    lspc = (float)s.fontSize;
    uby = (float)(ph - kMargin - kHeader);
    lby = (float)kMargin;
    y = uby;
    column = 0;
    page = 1;
    // Only a layout this side can follow is claimed to be a conforming document.
    fputs(measured ? "%!PS-Adobe-3.0\n" : "%!\n", out);
    fputs("%%BoundingBox: 36 36 540 756\n", out);
    fputs("%%Creator: QUORL Edit\n", out);
    fprintf(out, "%%%%Title: %s\n", prt_Escape(title).c_str());
    fprintf(out, "%%%%Orientation: %s\n", s.landscape ? "Landscape" : "Portrait");
    if (measured) fputs("%%Pages: (atend)\n", out);
    fprintf(out, "%%%%DocumentNeededResources: font %s\n", s.font.c_str());
    {
        static const char* const media[] = {"Letter", "Legal", "Executive", "A4"};
        int w, h;
        prt_PaperSize(s.paper, 0, &w, &h);
        fprintf(out, "%%%%DocumentMedia: %s %d %d 0 () ()\n", media[s.paper >= 0 && s.paper <= 3 ? s.paper : 0],
                w, h);
    }
    fputs("%%EndComments\n%%\n%%BeginProlog\n", out);
    fputs("25 dict begin\n", out);
    fprintf(out, "/FT { /%s fs Y } bind def\n", s.font.c_str());
    fprintf(out, "/fs %g def /ls %s def /pw %d def /ph %d def /nc %d def /ic 0 def\n",
            s.fontSize, s.landscape ? "true" : "false", pw, ph, s.columns);
    fprintf(out, "/fnm (%s) def /hd %s def\n", prt_Escape(title).c_str(),
            (s.flags & PRT_HEADER) ? "true" : "false");
    fputs(kProcedures, out);
    fputs("%%EndProlog\n", out);
    // The paper asked for, where the device can choose (a printer without it prints anyway).
    int paperW, paperH;
    prt_PaperSize(s.paper, 0, &paperW, &paperH);
    fprintf(out, "%%%%BeginSetup\n[{ << /PageSize [%d %d] >> setpagedevice } stopped cleartomark\n"
                 "%%%%EndSetup\n", paperW, paperH);
    if (measured) fputs("%%Page: 1 1\n", out);
    fputs("np\n", out);
    return !ferror(out);
}

// Tabs become blanks up to the next stop (every 8 columns); a valid UTF-8 line is shown in
// Latin-1 where it can be, other characters and control bytes as "?". colourOf gets the
// colour of each byte written.
std::string PsWriter::expand(const char* text, int len, std::vector<unsigned>* colourOf,
                             const std::vector<PrintRun>* runs) const {
    const auto* t = reinterpret_cast<const unsigned char*>(text);
    bool utf8 = validUtf8(t, len);
    std::string outText;
    outText.reserve((size_t)len + 16);
    size_t run = 0;
    for (int i = 0; i < len;) {
        unsigned rgb = 0;
        if (runs) {
            while (run < runs->size() && (*runs)[run].to <= i) run++;
            if (run < runs->size() && (*runs)[run].from <= i) rgb = (*runs)[run].rgb;
        }
        unsigned char c = t[i];
        int n = 1;
        if (c == '\t') {
            size_t stop = (outText.size() / 8 + 1) * 8;
            while (outText.size() < stop) {
                outText.push_back(' ');
                if (colourOf) colourOf->push_back(rgb);
            }
            i++;
            continue;
        }
        unsigned cp = c;
        if (utf8 && c >= 0x80) n = utf8At(t, i, len, &cp);
        if (cp < 32 || (cp >= 127 && cp < 160) || cp > 255) cp = '?';
        outText.push_back((char)cp);
        if (colourOf) colourOf->push_back(rgb);
        i += n;
    }
    return outText;
}

// The printer's nl: down a line, to the next column, to the next page.
void PsWriter::nextLine() {
    y -= lspc;
    if (y < lby) {
        if (++column >= s.columns) {
            column = 0;
            page++;
            fprintf(out, "%%%%Page: %d %d\n", page, page);
        }
        y = uby - lspc;
    }
    x = 0;
}

bool PsWriter::line(const char* text, int len, const std::vector<PrintRun>* runs) {
    if (!s.colours || !runs) {
        plainLine(expand(text, len, nullptr, nullptr));
    } else {
        std::vector<unsigned> colourOf;
        std::string t = expand(text, len, &colourOf, runs);
        colourLine(t, colourOf);
    }
    return !ferror(out);
}

// "(%s) lw {bp} bbr": when this side can follow the breaks, a line that goes on to another
// page is written in two parts around the page mark (the same breaks fall in each part).
void PsWriter::plainLine(const std::string& t) {
    if (!measured) {
        fprintf(out, "(%s) lw {bp} bbr\n", prt_Escape(t).c_str());
        return;
    }
    const double bw = lw + kSlack;
    size_t start = 0, partFrom = 0;
    auto flush = [&](size_t to) {
        fprintf(out, "(%s) lw {bp} bbr\n", prt_Escape(t.substr(partFrom, to - partFrom)).c_str());
    };
    for (;;) {
        // The printer cuts at the last blank before which the piece fits; widths only grow, so
        // the fitting prefixes end at the first byte that overflows.
        size_t fit = start;
        double w = 0;
        while (fit < t.size() && w + widthOf[(unsigned char)t[fit]] <= bw) w += widthOf[(unsigned char)t[fit++]];
        size_t next = t.size();
        if (fit < t.size()) {
            size_t cut = 0;
            for (size_t k = std::min(t.size() - 1, fit); k > start && !cut; k--)
                if (t[k] == ' ') cut = k - start;
            if (!cut)
                for (size_t i = start + 1; i < t.size(); i++)
                    if (t[i] == ' ') {
                        cut = i - start;
                        break;
                    }
            if (cut) next = start + cut + 1;
        }
        // The piece goes on a new page: what came before it is written first.
        bool newPage = y - lspc < lby && column + 1 >= s.columns;
        if (newPage && start > partFrom) {
            flush(start - 1);
            partFrom = start;
        }
        nextLine();
        if (next >= t.size()) break;
        start = next;
    }
    flush(t.size());
}

// A coloured line: "cl", then each word as its coloured pieces ("cw") and each run of blanks
// ("sb"); a word that does not fit goes to the next line, blanks that do not fit are dropped.
void PsWriter::colourLine(const std::string& t, const std::vector<unsigned>& colourOf) {
    const double right = lw + kSlack;
    if (measured) nextLine();
    fputs("cl\n", out);
    auto rgbText = [](unsigned rgb) {
        char buf[64];
        snprintf(buf, sizeof buf, "%.3g %.3g %.3g", ((rgb >> 16) & 255) / 255.0,
                 ((rgb >> 8) & 255) / 255.0, (rgb & 255) / 255.0);
        return std::string(buf);
    };
    size_t i = 0;
    std::string buf;
    while (i < t.size()) {
        size_t j = i;
        bool blank = t[i] == ' ';
        while (j < t.size() && (t[j] == ' ') == blank) j++;
        double w = measured ? width(t, i, j) : 0;
        buf.clear();
        if (blank) {
            buf = "(" + std::string(j - i, ' ') + ") sb\n";
            if (measured) {
                if (x + w <= right)
                    x += w;
                else
                    nextLine(); // dropped: the printer's "sb" moves on instead
            }
        } else {
            int pieces = 0;
            for (size_t k = i; k < j;) {
                size_t m = k;
                while (m < j && colourOf[m] == colourOf[k]) m++;
                buf += "(" + prt_Escape(t.substr(k, m - k)) + ") " + rgbText(colourOf[k]) + " ";
                pieces++;
                k = m;
            }
            buf += std::to_string(pieces) + " cw\n";
            if (measured) {
                if (x + w > right && x > kSlack) nextLine();
                x += w;
            }
        }
        fputs(buf.c_str(), out);
        i = j;
    }
}

bool PsWriter::finish() {
    fputs("stroke showpage\n", out);
    fputs("%%Trailer\nend\n", out);
    if (measured) fprintf(out, "%%%%Pages: %d\n", page);
    fputs("%%EOF\n", out);
    return !ferror(out) && fflush(out) == 0;
}
