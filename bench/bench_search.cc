// bench/bench_search.cc: time the search engine on a large file, after loading it.
//   bench_search FILE 'flags:pattern' ...   (flags: a sum of the engine's flag bits)
// Prints one line per pattern and direction: the median seconds of three runs, the match
// position and the flags.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "buffer/file.h"
#include "buffer/search.h"
#include "config/switches.h"
#include "runtime/gen.h"

static double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s FILE flags:pattern...\n", argv[0]);
        return 2;
    }
    gen_init(argv[0], 0);
    InitDebugFlag();
    double t0 = Now();
    File* f = FileFFileNoApplyEdits(argv[1]);
    if (!f) return 1;
    printf("load      %7.2f s  (%lld lines)\n", Now() - t0, (long long)f->nLines);
    for (int i = 2; i < argc; i++) {
        const char* colon = strchr(argv[i], ':');
        if (!colon) continue;
        int flags = atoi(argv[i]);
        const char* pat = colon + 1;
        for (int dir : {1, -1}) {
            int64_t line = 0, endLine = 0;
            int col = 0, endCol = 0, rc = 0;
            double runs[3];
            for (double& secs : runs) {
                double t = Now();
                rc = FileFind(f, nullptr, 0, line, col, endLine, endCol, dir, 1, pat,
                              (int)strlen(pat), flags);
                secs = Now() - t;
            }
            std::sort(runs, runs + 3);
            double secs = runs[1]; // the median of three
            printf("%-9s %7.2f s  %s %lld:%d  flags %d  %s\n", dir > 0 ? "forward" : "backward",
                   secs, rc == 1 ? "found at" : "NOT FOUND", (long long)line, col, flags, pat);
        }
        fflush(stdout);
    }
    FileFree(f);
    return 0;
}
