// bench/bench_syntax.cc: speed of the colouring engine on a large C-like file.
//
//   bench_syntax [FILE] [DRAWN_LINES]     (default /work/bench-data/big1g.c, 1000000)
//
// Prints, beside a plain line split of the same bytes as the floor:
//  - line states: the C line parser chained over every line of the file in memory;
//  - loading: the file opened through the line store with and without the colouring hook
//    (the hook computes every line's state as the line is linked in);
//  - drawing scan: syn_ShowText of the first DRAWN_LINES lines into a sink that draws nothing.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "benchutil.h"
#include "buffer/file.h"
#include "buffer/synhook.h"
#include "config/options.h"
#include "lang/syn.h"
#include "runtime/gen.h"

static void report(const char* what, double secs, double bytes, long long lines) {
    printf("%-44s %7.3f s  %8.1f MB/s  %7.2f M lines/s\n", what, secs, bytes / secs / 1e6,
           (double)lines / secs / 1e6);
}

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "/work/bench-data/big1g.c";
    long long drawLines = argc > 2 ? atoll(argv[2]) : 1000000;
    gen_init("bench_syntax", 0);
    int fd = open(path, O_RDONLY);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        fprintf(stderr, "bench_syntax: cannot open %s (generate it with bench/gen_cfile.py)\n",
                path);
        return 1;
    }
    size_t size = (size_t)st.st_size;
    const char* data = (const char*)mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
        perror("mmap");
        return 1;
    }
    madvise((void*)data, size, MADV_SEQUENTIAL);
    printf("%s: %.1f MB\n", path, size / 1e6);

    // Warm-up: bring the file into the page cache and the mapping into memory.
    volatile unsigned char sink0 = 0;
    for (size_t i = 0; i < size; i += 4096) sink0 = sink0 + (unsigned char)data[i];

    // Floor: finding the line ends alone.
    double t0 = benchNow();
    long long lines = 0;
    for (const char* p = data; p < data + size;) {
        const char* nl = (const char*)memchr(p, '\n', (size_t)(data + size - p));
        lines++;
        p = nl ? nl + 1 : data + size;
    }
    report("line split (memchr), the floor", benchNow() - t0, (double)size, lines);

    // Line states chained line by line, as loading computes them.
    const Language* c = syn_LanguageDefinition(LANG_C);
    t0 = benchNow();
    uint32_t state = 0, aux = 0, deadLines = 0;
    for (const char* p = data; p < data + size;) {
        const char* nl = (const char*)memchr(p, '\n', (size_t)(data + size - p));
        const char* end = nl ? nl : data + size;
        uint32_t next = 0;
        state = c->quickLineParser(state, aux, p, (int)(end - p), &next);
        aux = next;
        deadLines += (state & SYN_DEADCODE) != 0;
        p = end + 1;
    }
    report("line states (C line parser)", benchNow() - t0, (double)size, lines);
    printf("  (%u lines start in dead code)\n", deadLines);

    // Loading through the line store, without and with the colouring hook.
    FileFree(FileFFileNoApplyEdits(path)); // warm the line pool and the temp directory
    for (int withHook = 0; withHook < 2; withHook++) {
        if (withHook) syn_Init();
        t0 = benchNow();
        File* file = FileFFileNoApplyEdits(path);
        double secs = benchNow() - t0;
        if (!file) {
            fprintf(stderr, "bench_syntax: loading failed\n");
            return 1;
        }
        report(withHook ? "load with line states" : "load without colouring", secs,
               (double)size, file->nLines);
        FileFree(file);
    }

    // Drawing scan of the first lines into a sink that draws nothing.
    File* file = FileFFileNoApplyEdits(path);
    long long runs = 0;
    SynTextSink sink;
    sink.ctx = &runs;
    sink.drawRun = [](SynTextSink* s, const char*, int, int, unsigned long, unsigned long) {
        ++*(long long*)s->ctx;
    };
    comment_fg = 2, deadcode_fg = 3, keyword_fg = 4, string_fg = 5, integer_fg = 6,
    character_fg = 7, fg_pixel = 1;
    long long drawn = 0;
    double bytes = 0;
    t0 = benchNow();
    for (Line* line = file->first; line && drawn < drawLines; line = line->next, drawn++) {
        const char* text = FileLineText(file, line);
        uint32_t s = line->synState[0];
        syn_ShowText(&sink, text, line->len, 0, line->len, 1, 0, file->language, &s);
        bytes += line->len;
    }
    report("drawing scan (syn_ShowText, null sink)", benchNow() - t0, bytes, drawn);
    printf("  (%.2f runs per line)\n", (double)runs / (double)(drawn ? drawn : 1));
    FileFree(file);
    munmap((void*)data, size);
    close(fd);
    return 0;
}
