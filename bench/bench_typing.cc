// bench/bench_typing.cc: typing at the end of a large file through the command interpreter:
// N typed characters, each its own command string as a key press makes it, then N
// Backspaces; time per keystroke beside Vim typing and erasing the same in one `normal`
// command in the same run (Vim's load time measured apart and taken off).
//   bench_typing [FILE [N]]     (default /work/bench-data/big1g.c, 100000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "config/cfg.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/editcmd.h"
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

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    std::string file = argc > 1 ? argv[1] : "/work/bench-data/big1g.c";
    long n = argc > 2 ? atol(argv[2]) : 100000;
    struct stat st;
    if (stat(file.c_str(), &st) != 0) {
        fprintf(stderr, "no such file: %s (bench/bench_window.sh makes it)\n", file.c_str());
        return 1;
    }
    wRequestedBackend = WB_HEADLESS;
    if (WGUIInit(nullptr, nullptr) != 1) return 1;
    cfg_StartupConfiguration(0);
    EditInstallFileLinks();
    printf("file: %s, %lld bytes; %ld keystrokes each way\n", file.c_str(), (long long)st.st_size,
           n);

    auto t = Clock::now();
    Edit* e = NewEdit(file.c_str(), 0, 1, 0);
    if (!e) return 1;
    printf("%-36s %10.1f ms\n", "qe load", msSince(t));
    EditCli(e, "EOF;Up;EOL");

    t = Clock::now();
    for (long i = 0; i < n; i++)
        EditCli(e, "\"x\"");
    double typed = msSince(t);
    t = Clock::now();
    for (long i = 0; i < n; i++)
        EditCli(e, "Backspace");
    double erased = msSince(t);
    printf("%-36s %10.1f ms  %7.2f us/key\n", "qe type", typed, typed * 1000 / n);
    printf("%-36s %10.1f ms  %7.2f us/key\n", "qe backspace", erased, erased * 1000 / n);

    // Vim: the same keystrokes in one normal command; its load and exit measured alone.
    std::string vim = "vim -u NONE -N -i NONE -n -es";
    std::string q = "'" + file + "'";
    double vimLoad = runMs(vim + " -c 'q!' " + q + " </dev/null >/dev/null 2>&1");
    std::string keys = "exe \"normal! GA\" . repeat(\"x\", " + std::to_string(n) +
                       ") . repeat(\"\\<BS>\", " + std::to_string(n) + ") . \"\\<Esc>\"";
    double vimAll = runMs(vim + " -c 'set backspace=indent,eol,start' -c '" + keys + "' -c 'q!' " +
                          q + " </dev/null >/dev/null 2>&1");
    if (vimLoad < 0 || vimAll < 0) {
        printf("vim: did not run\n");
    } else {
        double keysMs = vimAll - vimLoad;
        printf("%-36s %10.1f ms\n", "vim load and quit", vimLoad);
        printf("%-36s %10.1f ms  %7.2f us/key\n", "vim type and backspace", keysMs,
               keysMs * 1000 / (2.0 * n));
    }
    printf("%-36s %10.2f us/key\n", "qe type and backspace", (typed + erased) * 1000 / (2.0 * n));
    incr_ReleaseLock(e->view.file); // the scratch edits are given up; no journal stays behind
    e->destroying = true;
    EditDestroy(e);
    return 0;
}
