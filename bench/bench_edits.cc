// bench/bench_edits.cc: what edits, undo, saving and the journal cost on a large file, beside
// Vim making and writing the same last-line change in the same run.
//   bench_edits [FILE]     (default /work/bench-data/big100m.c; a scratch copy is edited)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/registry.h"
#include "buffer/save.h"
#include "buffer/undo.h"
#include "config/switches.h"
#include "runtime/gen.h"

using Clock = std::chrono::steady_clock;

static double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

static long long sizeOf(const std::string& p) {
    struct stat st;
    return stat(p.c_str(), &st) == 0 ? (long long)st.st_size : -1;
}

static bool copy(const std::string& from, const std::string& to) {
    std::string cmd = "cp '" + from + "' '" + to + "'";
    return system(cmd.c_str()) == 0;
}

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    std::string source = argc > 1 ? argv[1] : "/work/bench-data/big100m.c";
    if (sizeOf(source) < 0) {
        fprintf(stderr, "no such file: %s (run bench/bench_load.sh once to make it)\n",
                source.c_str());
        return 1;
    }
    std::string scratch = source + ".edits-scratch";
    if (!copy(source, scratch)) return 1;
    printf("file: %s, %lld bytes\n", source.c_str(), sizeOf(source));

    auto t = Clock::now();
    File* f = FileFFile(scratch.c_str());
    if (!f) return 1;
    printf("%-44s %9.1f ms  (%lld lines)\n", "load", msSince(t), (long long)f->nLines);
    incr_AcquireLock(f);

    t = Clock::now();
    int64_t last = f->nLines;
    FileChange(f, nullptr, 0, last, 0, last, 0, "X", 1, 1);
    int ok = FileSave(f, nullptr, nullptr);
    printf("%-44s %9.1f ms  (%s)\n", "change last line, save", msSince(t), ok ? "ok" : "FAILED");

    t = Clock::now();
    FileChange(f, nullptr, 0, 1, 0, 1, 0, "Y", 1, 1);
    ok = FileSave(f, nullptr, nullptr);
    printf("%-44s %9.1f ms  (%s)\n", "change first line, save (whole file)", msSince(t),
           ok ? "ok" : "FAILED");

    incr_AcquireLock(f);
    t = Clock::now();
    const int keys = 200000;
    int64_t line = f->nLines / 2;
    for (int i = 0; i < keys; i++) {
        char c = (char)('a' + i % 26);
        FileChange(f, nullptr, 0, line, i % 1000, line, i % 1000, i % 1000 == 999 ? "\n" : &c, 1,
                   1);
        if (i % 1000 == 999) line++;
    }
    int records = 0;
    for (UndoRec* r = f->undo; r; r = r->next) records++;
    printf("%-44s %9.1f ms  (%d undo records)\n", "type 200000 keys in the middle", msSince(t),
           records);

    t = Clock::now();
    FilesWriteJournals();
    GenStr journal(incr_GetName(f, 0));
    printf("%-44s %9.1f ms  (%lld bytes)\n", "write the journal", msSince(t),
           sizeOf(journal.get()));

    t = Clock::now();
    int undone = 0;
    while (FileUndo(f, nullptr, 0) != -100) undone++;
    printf("%-44s %9.1f ms  (%d steps)\n", "undo everything", msSince(t), undone);

    t = Clock::now();
    int64_t n = f->nLines;
    FileChange(f, nullptr, 0, n / 4, 0, 3 * n / 4, 0, "", 0, 1);
    printf("%-44s %9.1f ms\n", "delete half of the lines", msSince(t));
    t = Clock::now();
    FileUndo(f, nullptr, 0);
    printf("%-44s %9.1f ms\n", "undo that", msSince(t));
    FilesAbort();

    // The peer: Vim opens the file, changes its last line and writes it.
    if (copy(source, scratch) && system("command -v vim >/dev/null 2>&1") == 0) {
        std::string cmd = "vim -es -u NONE -i NONE -n -c '$s/^/X/' -c 'wq' '" + scratch + "'";
        t = Clock::now();
        int r = system(cmd.c_str());
        printf("%-44s %9.1f ms  (%s)\n", "vim: load, change last line, write", msSince(t),
               r == 0 ? "ok" : "FAILED");
    }
    unlink(scratch.c_str());
    std::string backup = scratch + "~";
    unlink(backup.c_str());
    return 0;
}
