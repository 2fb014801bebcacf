// bench/bench_edits.cc: what edits, undo, saving and the journal cost on a large file, beside
// Vim making and writing the same last-line change in the same run.
//   bench_edits [FILE]     (default /work/bench-data/big100m.c; a scratch copy is edited)
//   bench_edits --typing [DIR]   only the typing at the end of a million-line File
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// This process's I/O counters (children it has waited for included): bytes handed to write
// calls, and bytes the kernel counted as sent towards the disk (pages dirtied).
struct Io {
    long long wchar = 0, writeBytes = 0;
};

static Io readIo() {
    Io io;
    FILE* f = fopen("/proc/self/io", "r");
    if (!f) return io;
    char key[64];
    long long v;
    while (fscanf(f, "%63s %lld", key, &v) == 2) {
        if (strcmp(key, "wchar:") == 0) io.wchar = v;
        if (strcmp(key, "write_bytes:") == 0) io.writeBytes = v;
    }
    fclose(f);
    return io;
}

static std::string kib(long long bytes) {
    char buf[64];
    if (bytes >= 10ll << 20)
        snprintf(buf, sizeof buf, "%.1f MiB", (double)bytes / (1 << 20));
    else
        snprintf(buf, sizeof buf, "%.1f KiB", (double)bytes / 1024);
    return buf;
}

static void printIo(const char* what, const Io& a, const Io& b) {
    printf("    %-40s write_bytes %s, wchar %s\n", what, kib(b.writeBytes - a.writeBytes).c_str(),
           kib(b.wchar - a.wchar).c_str());
}

static void printSave(const char* what, double ms, int ok, const Io& a, const Io& b) {
    printf("%-44s %9.1f ms  (%s)\n", what, ms, ok ? "ok" : "FAILED");
    printIo("I/O of the save:", a, b);
    printf("    %-40s %s from byte %lld; temp file rebuild copied %s\n", "written to the file:",
           kib(fileLastSave.fileBytes).c_str(), (long long)fileLastSave.fileFrom,
           kib(fileLastSave.tempBytes).c_str());
}

// Typing at the end of the last line of a File of a million lines: one merged record, then
// one record per key, each undone on its own.
static void typingAtTheEnd(const std::string& dir) {
    std::string path = dir + "/bench-edits-1m.txt";
    FILE* out = fopen(path.c_str(), "w");
    if (!out) return;
    for (int i = 0; i < 1000000; i++) fprintf(out, "line %d of a million, some text to fill it\n", i);
    fclose(out);
    File* f = FileFFile(path.c_str());
    if (!f) return;
    incr_AcquireLock(f);
    const int keys = 10000;
    int64_t last = f->nLines;
    int col = f->last->len;
    auto t = Clock::now();
    for (int i = 0; i < keys; i++) {
        char c = (char)('a' + i % 26);
        FileChange(f, nullptr, 0, last, col + i, last, col + i, &c, 1, 1);
    }
    double ms = msSince(t);
    printf("%-44s %9.1f ms  (%.3f us per key)\n", "1M lines: type 10000 keys at the end", ms,
           ms * 1000 / keys);
    t = Clock::now();
    int undone = 0;
    while (FileUndo(f, nullptr, 0) != -100) undone++;
    printf("%-44s %9.1f ms  (%d record)\n", "1M lines: undo them", msSince(t), undone);
    col = f->last->len;
    t = Clock::now();
    for (int i = 0; i < keys; i++) {
        char c = (char)('a' + i % 26);
        FileChange(f, nullptr, 0, last, col + i, last, col + i, &c, 1, 1);
        FileCloseUndo(f);
    }
    ms = msSince(t);
    printf("%-44s %9.1f ms  (%.3f us per key)\n", "1M lines: 10000 keys, a record each", ms,
           ms * 1000 / keys);
    t = Clock::now();
    undone = 0;
    while (FileUndo(f, nullptr, 0) != -100) undone++;
    ms = msSince(t);
    printf("%-44s %9.1f ms  (%d records, %.3f us each)\n", "1M lines: undo them one by one", ms,
           undone, undone ? ms * 1000 / undone : 0.0);
    FileFree(f);
    unlink(path.c_str());
}

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    if (argc > 1 && strcmp(argv[1], "--typing") == 0) {
        typingAtTheEnd(argc > 2 ? argv[2] : "/tmp");
        return 0;
    }
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
    double loaded = msSince(t);
    printf("%-44s %9.1f ms  (%lld lines)\n", "load", loaded, (long long)f->nLines);
    incr_AcquireLock(f);

    t = Clock::now();
    int64_t last = f->nLines;
    FileChange(f, nullptr, 0, last, 0, last, 0, "X", 1, 1);
    double changed = msSince(t);
    Io io0 = readIo();
    t = Clock::now();
    int ok = FileSave(f, nullptr, nullptr);
    double saved = msSince(t);
    Io io1 = readIo();
    printf("%-44s %9.1f ms\n", "change last line", changed);
    printSave("save it", saved, ok, io0, io1);
    printf("%-44s %9.1f ms\n", "load, change last line, save", loaded + changed + saved);

    FileChange(f, nullptr, 0, 1, 0, 1, 0, "Y", 1, 1);
    io0 = readIo();
    t = Clock::now();
    ok = FileSave(f, nullptr, nullptr);
    saved = msSince(t);
    io1 = readIo();
    printSave("change first line, save (whole file)", saved, ok, io0, io1);

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

    std::string dir = scratch.substr(0, scratch.rfind('/') + 1);
    typingAtTheEnd(dir.empty() ? "." : dir);

    // The peer: Vim opens the file, changes its last line, writes it and quits; it times its
    // own write.
    if (copy(source, scratch) && system("command -v vim >/dev/null 2>&1") == 0) {
        std::string timing = scratch + ".vimtime";
        std::string cmd = "vim -es -u NONE -i NONE -n -c '$s/^/X/' -c 'let g:t = reltime()' "
                          "-c 'w' -c 'call writefile([reltimestr(reltime(g:t))], \"" +
                          timing + "\")' -c 'q' '" + scratch + "'";
        io0 = readIo();
        t = Clock::now();
        int r = system(cmd.c_str());
        double ms = msSince(t);
        io1 = readIo();
        FILE* in = fopen(timing.c_str(), "r");
        double secs = -1;
        if (!in || fscanf(in, "%lf", &secs) != 1) secs = -1;
        if (in) fclose(in);
        unlink(timing.c_str());
        printf("%-44s %9.1f ms  (%s)\n", "vim: load, change last line, write, quit", ms,
               r == 0 ? "ok" : "FAILED");
        printf("%-44s %9.1f ms\n", "vim: the write alone", secs * 1000);
        printIo("I/O of the vim run:", io0, io1);
    }
    unlink(scratch.c_str());
    std::string backup = scratch + "~";
    unlink(backup.c_str());
    return 0;
}
