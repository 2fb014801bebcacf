// print/prt_metrics.cc: the widths of the standard PostScript fonts, measured at build time
// (prt_fontwidths.inc, written by fontwidths.ps through Ghostscript).
#include <algorithm>
#include <cstring>

#include "print/prt.h"

namespace {

struct FontWidths {
    const char* name;
    unsigned short width[256];
};

const FontWidths kFonts[] = {
#include "prt_fontwidths.inc"
    {nullptr, {}},
};

} // namespace

const unsigned short* prt_FontWidths(const std::string& font) {
    for (const FontWidths* f = kFonts; f->name; f++)
        if (font == f->name) return f->width;
    // Without the measured table the Courier faces are still known: every byte is 600 wide.
    if (font == "Courier" || font.rfind("Courier-", 0) == 0) {
        static unsigned short courier[256];
        if (!courier[0]) std::fill(std::begin(courier), std::end(courier), (unsigned short)600);
        return courier;
    }
    return nullptr;
}
