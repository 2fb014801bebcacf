// bench/bench_isearch.cc: the search commands through the command interpreter, in a headless
// editor window (drawing included), beside Vim in the same run.
//   bench_isearch [FILE [REPLACE_FILE]]   (default /work/bench-data/big1g.c and
//                                           /work/bench-data/replace100m.txt, made if missing)
// 1. Incremental search at the start of FILE: each typed character of a pattern is one
//    command string, as a key press makes it; the time of each and the line its match is on.
//    The second pattern's match jumps about 1,000 lines on one keystroke. Beside it, Vim's
//    search() from the top for each prefix of the same pattern.
// 2. Replace All from the searcher dialogue of 1,000,000 occurrences in a 100 MB file, then
//    one Undo; beside Vim's :%s/old/new/g on the same file (its load measured apart).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/search.h"
#include "config/cfg.h"
#include "config/switches.h"
#include "editor/editcmd.h"
#include "editor/startup.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

using Clock = std::chrono::steady_clock;

static double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

static double runMs(const std::string& cmd) {
    auto t = Clock::now();
    if (system(cmd.c_str()) != 0) return -1;
    return msSince(t);
}

static bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Types the pattern one character at a time after ISearch from the top; one line per key.
static void typePattern(Edit* e, const std::string& pattern) {
    EditCli(e, "StopSearch;SOF;ISearch");
    double worst = 0;
    for (size_t i = 0; i < pattern.size(); i++) {
        std::string cmd = "\"";
        if (pattern[i] == '"' || pattern[i] == '\\') cmd += '\\';
        cmd += pattern[i];
        cmd += "\"";
        auto t = Clock::now();
        EditCli(e, cmd.c_str());
        double ms = msSince(t);
        worst = std::max(worst, ms);
        printf("  key %-3zu '%c'  %8.3f ms  match at line %lld\n", i + 1, pattern[i], ms,
               (long long)EditCursorLine(e));
    }
    printf("  %-40s %8.3f ms\n", ("qe worst key, '" + pattern + "'").c_str(), worst);
    EditCli(e, "StopSearch");
}

// Vim's search() from the top for each prefix of the pattern, one Vim run (load not counted).
static void vimPrefixes(const std::string& file, const std::string& pattern) {
    std::string out = "/tmp/bench_isearch_vim.txt";
    std::string script = "/tmp/bench_isearch_vim.vim";
    FILE* s = fopen(script.c_str(), "w");
    if (!s) return;
    fprintf(s, "let r = []\n");
    for (size_t i = 1; i <= pattern.size(); i++) {
        fprintf(s, "call cursor(1, 1)\nlet t = reltime()\ncall search('\\V%s', 'cW')\n",
                pattern.substr(0, i).c_str());
        fprintf(s, "call add(r, reltimestr(reltime(t)) . ' s  line ' . line('.'))\n");
    }
    fprintf(s, "call writefile(r, '%s')\nq!\n", out.c_str());
    fclose(s);
    std::string cmd = "vim -u NONE -N -i NONE -n -es -S " + script + " '" + file +
                      "' </dev/null >/dev/null 2>&1";
    if (system(cmd.c_str()) != 0 || !exists(out)) {
        printf("  vim: did not run\n");
        return;
    }
    FILE* f = fopen(out.c_str(), "r");
    char line[200];
    int i = 0;
    while (f && fgets(line, sizeof line, f)) printf("  vim search() '%s'  %s", pattern.substr(0, ++i).c_str(), line);
    if (f) fclose(f);
    unlink(out.c_str());
    unlink(script.c_str());
}

// A 100 MB file of 1,000,000 lines, each holding "old" once.
static void makeReplaceFile(const std::string& path) {
    FILE* f = fopen(path.c_str(), "w");
    if (!f) return;
    for (int i = 0; i < 1000000; i++)
        fprintf(f, "    value_%07d = old + compute(%07d); /* a line of filler text that pads it out to 100 bytes */\n",
                i, i);
    fclose(f);
}

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    std::string file = argc > 1 ? argv[1] : "/work/bench-data/big1g.c";
    std::string rfile = argc > 2 ? argv[2] : "/work/bench-data/replace100m.txt";
    if (!exists(file)) {
        fprintf(stderr, "no such file: %s (bench/gen_cfile.py makes it)\n", file.c_str());
        return 1;
    }
    if (!exists(rfile)) makeReplaceFile(rfile);
    wRequestedBackend = WB_HEADLESS;
    if (WGUIInit(nullptr, nullptr) != 1) return 1;
    EditInstallCfgDisplay();
    cfg_StartupConfiguration(0);
    EditInstallFileLinks();
    EditInitColouring();

    // ---- incremental search ----
    auto t = Clock::now();
    Edit* e = NewEdit(file.c_str(), 0, 1, 0);
    if (!e) return 1;
    printf("qe load %s  %.1f ms\n", file.c_str(), msSince(t));
    printf("incremental search from the top, one command string per key (drawing included):\n");
    // Found within the first lines.
    typePattern(e, "sum = seed");
    // "checksum_6" is at line ~100; the "3" moves the match to line ~1,010.
    typePattern(e, "checksum_63(");
    e->destroying = true;
    EditDestroy(e);
    if (const char* v = getenv("NOVIM"); !v || !*v) {
        vimPrefixes(file, "sum = seed");
        vimPrefixes(file, "checksum_63(");
    }

    // ---- Replace All from the searcher, then Undo ----
    t = Clock::now();
    Edit* r = NewEdit(rfile.c_str(), 0, 1, 0);
    if (!r) return 1;
    printf("qe load %s  %.1f ms\n", rfile.c_str(), msSince(t));
    WQueueAnswer("find=old;replace=new;Replace All");
    t = Clock::now();
    EditCli(r, "Search");
    double replaced = msSince(t);
    File* f = r->view.file;
    int64_t line = 1, endLine;
    int col = 0, endCol;
    bool oldLeft = FileFind(f, nullptr, 0, line, col, endLine, endCol, 1, 1, "old", 3, 1) == 1;
    t = Clock::now();
    EditCli(r, "Undo");
    double undone = msSince(t);
    bool newLeft = FileFind(f, nullptr, 0, line, col, endLine, endCol, 1, 1, "new", 3, 1) == 1;
    printf("%-40s %10.1f ms  (%s)\n", "qe Replace All 1,000,000 old by new", replaced,
           oldLeft ? "SOME LEFT" : "none left");
    printf("%-40s %10.1f ms  (%s)\n", "qe one Undo of it", undone,
           newLeft ? "NOT ALL UNDONE" : "all undone");
    if (f->haslock) incr_ReleaseLock(f); // (an Undo back to the disk state released it)
    r->destroying = true;
    EditDestroy(r);

    if (const char* v = getenv("NOVIM"); !v || !*v) {
        std::string vim = "vim -u NONE -N -i NONE -n -es";
        std::string q = "'" + rfile + "'";
        double load = runMs(vim + " -c 'q!' " + q + " </dev/null >/dev/null 2>&1");
        double all = runMs(vim + " -c '%s/old/new/g' -c 'q!' " + q + " </dev/null >/dev/null 2>&1");
        if (load < 0 || all < 0) {
            printf("vim: did not run\n");
        } else {
            printf("%-40s %10.1f ms\n", "vim load and quit", load);
            printf("%-40s %10.1f ms\n", "vim :%s/old/new/g (load taken off)", all - load);
            printf("%-40s %10.2f (goal: at most 0.5)\n", "qe / vim", replaced / (all - load));
        }
    }
    return 0;
}
