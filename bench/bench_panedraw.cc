// bench/bench_panedraw.cc: cost of drawing an editor pane in syntax colour, through a real
// editor window on the headless backend.
//
//   bench_panedraw [HUGE_LINE_MB]     (default 256)
//
// Prints the time of one full redraw of an 80x50 pane:
//  - of a C file, with colouring on and off (the difference is the colouring's share);
//  - of a file whose single line is HUGE_LINE_MB long, scrolled to its start, its middle and
//    near its end: the first redraw there scans the line up to the left edge (the colour
//    state and the display column), later ones resume from a point at most 256 KB before it.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "benchutil.h"
#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

// Milliseconds per full redraw of the editor, over enough rounds to last a while.
static double redrawMs(Edit* e, double minSecs = 0.5) {
    int rounds = 0;
    double t0 = benchNow(), t;
    do {
        EditRedraw(e);
        rounds++;
        t = benchNow();
    } while (t - t0 < minSecs && rounds < 100000);
    return (t - t0) * 1e3 / rounds;
}

int main(int argc, char** argv) {
    long mb = argc > 1 ? atol(argv[1]) : 256;
    if (mb < 1) mb = 1;
    gen_init("bench_panedraw", 0);
    char tmpl[] = "/tmp/qe-panedraw-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    tempFileDir = dir + "/tmp";
    mkdir(tempFileDir.c_str(), 0700);
    InitDebugFlag();
    editheight = 50;
    editwidth = 80;
    wRequestedBackend = WB_HEADLESS;
    if (WGUIInit(nullptr, nullptr) != 1) return 1;
    EditInstallFileLinks();
    EditInitColouring();

    std::string c;
    for (int i = 0; i < 2000; i++) {
        c += "/* block " + std::to_string(i) + " */\n";
        c += "static int f" + std::to_string(i) + "(int x) {\n";
        c += "    if (x > 0x1f) return printf(\"%d\\n\", x) + 'a';\n";
        c += "    return x * 42;  /* the end */\n}\n";
    }
    Edit* e = NewEdit(benchWriteFile("bench_panedraw", dir + "/many.c", c).c_str(), 5000, 1, 0);
    if (!e) return 1;
    double on = redrawMs(e);
    colorsyntax = 0;
    double off = redrawMs(e);
    colorsyntax = 1;
    printf("C file, 80x50 pane: %.3f ms per redraw in colour, %.3f ms without\n", on, off);

    size_t n = (size_t)mb << 20;
    std::string huge;
    huge.reserve(n + 2);
    const char piece[] = "int v = 42; char* s = \"text\"; /* note */ ";
    while (huge.size() < n) huge.append(piece, sizeof piece - 1);
    huge += "\n";
    Edit* h = NewEdit(benchWriteFile("bench_panedraw", dir + "/huge.c", huge).c_str(), 0, 1, 0);
    if (!h) return 1;
    int fw = WFontWidth();
    int64_t maxCols = (int64_t)0x7fffffff / fw - 200; // the pane's scroll position is an int
    for (int colour : {1, 0}) {
        colorsyntax = colour;
        for (double at : {0.0, 0.5, 0.999}) {
            int64_t col = std::min<int64_t>((int64_t)(at * (double)huge.size()), maxCols);
            h->panes->hpos = (int)(col * fw);
            double t0 = benchNow();
            EditRedraw(h);
            double first = (benchNow() - t0) * 1e3;
            printf("%ld MB line %s, left edge at column %10lld: first redraw %9.3f ms, "
                   "then %7.3f ms\n",
                   mb, colour ? "in colour" : "uncoloured", (long long)col, first,
                   redrawMs(h));
        }
    }
    colorsyntax = 1;
    std::string cmd = "rm -rf '" + dir + "'";
    return system(cmd.c_str()) == 0 ? 0 : 1;
}
