// bench/bench_indent.cc: the automatic indenter at the sizes the editor promises: re-indenting
// a whole 100,000-line C file (every line stripped of its indentation first), and Return with
// its implicit indentation at the end of a 1,000,000-line C file, each a command string
// through the interpreter as the Edit menu and the Return key run them.
//   bench_indent FILE100K FILE1M     (bench/bench_indent.sh makes both and runs Vim beside)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "config/cfg.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/startup.h"
#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

using Clock = std::chrono::steady_clock;
static double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

static void Close(Edit* e) {
    if (e->view.file->haslock) incr_ReleaseLock(e->view.file);
    e->destroying = true;
    EditDestroy(e);
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: bench_indent FILE100K FILE1M\n");
        return 2;
    }
    gen_init(argv[0], 0);
    InitDebugFlag();
    wRequestedBackend = WB_HEADLESS;
    EditInstallCfgDisplay();
    if (WGUIInit(nullptr, nullptr) != 1) return 1;
    EditInitColouring();
    cfg_StartupConfiguration(0);
    EditInstallFileLinks();

    // The whole file at once.
    Edit* e = NewEdit(argv[1], 0, 1, 0);
    if (!e) return 1;
    long long lines = e->view.file->nLines;
    auto t = Clock::now();
    EditCli(e, "SelectAll;AutoIndent");
    double whole = msSince(t);
    t = Clock::now();
    EditCli(e, "Undo");
    double undo = msSince(t);
    printf("re-indent %lld lines (SelectAll;AutoIndent): %8.1f ms   its undo: %8.1f ms\n", lines,
           whole, undo);
    Close(e);

    // Return at the end of a big file, as the key binding runs it.
    e = NewEdit(argv[2], 0, 1, 0);
    if (!e) return 1;
    lines = e->view.file->nLines;
    EditCli(e, "EOF;Up;Up;EOL");
    const char* ret = "if <searching> { StopSearch } else { if <lang=ada> { AutoIndentImplicit; } "
                      "InsertNewline;AutoIndentImplicit }";
    std::vector<double> each;
    for (int i = 0; i < 200; i++) {
        t = Clock::now();
        EditCli(e, ret);
        each.push_back(msSince(t));
        EditCli(e, i % 2 ? "\"x++;\"" : "\"if (x)\"");
    }
    std::sort(each.begin(), each.end());
    printf("Return at the end of %lld lines: median %6.3f ms, 90%% %6.3f ms, first %6.3f ms "
           "(%zu keys)\n",
           lines, each[each.size() / 2], each[each.size() * 9 / 10], each.front(), each.size());
    Close(e);
    return 0;
}
