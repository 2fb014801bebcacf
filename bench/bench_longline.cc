// bench/bench_longline.cc: the cost of searching one long line, per kilobyte, at two line
// lengths, so that growth with the line shows: a cost per kilobyte that stays flat is linear,
// one that grows with the length is not. Each case searches forward and backward through a
// line where the pattern is found nowhere (the worst case: every start column is tried), with
// grep -E on the same line beside the regular expressions.
//   bench_longline [SMALL-KB [LARGE-KB]]      (default 64 and 1024)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "buffer/file.h"
#include "buffer/search.h"
#include "config/options.h"
#include "config/switches.h"
#include "runtime/gen.h"

using Clock = std::chrono::steady_clock;

static double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

struct Case {
    const char* name;
    int flags;
    std::string pattern;
    std::string (*line)(size_t bytes);
    const char* grep; // the same search for grep -E, or null
};

static std::string Repeat(const std::string& unit, size_t bytes) {
    std::string s;
    while (s.size() < bytes) s += unit;
    s.resize(bytes);
    return s;
}

static std::string Alternation() {
    std::string p = "(";
    for (int i = 0; i < 499; i++) p += (i ? "|w" : "w") + std::to_string(i) + "q";
    return p + ")";
}

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    char tmpl[] = "/tmp/qe-bench-XXXXXX";
    std::string dir = mkdtemp(tmpl);
    tempFileDir = dir;
    size_t small = (argc > 1 ? atol(argv[1]) : 64) * 1024;
    size_t large = (argc > 2 ? atol(argv[2]) : 1024) * 1024;
    std::string alt = Alternation();
    Case cases[] = {
        {"wildcard a*c on a...", SF_WILD, "a*c", [](size_t n) { return Repeat("a", n); }, nullptr},
        {"wildcard *a?c* on ab...", SF_WILD, "*a?c*", [](size_t n) { return Repeat("ab", n); },
         nullptr},
        {"regex a*c on a...", SF_REGEX, "a*c", [](size_t n) { return Repeat("a", n); }, "a*c"},
        {"regex .*.*.*x on words", SF_REGEX, ".*.*.*x",
         [](size_t n) { return Repeat("word ", n); }, ".*.*.*x"},
        {"regex 499-way alternation on words", SF_REGEX, alt,
         [](size_t n) { return Repeat("w1 w22 w333 ", n); }, alt.c_str()},
    };
    printf("%-36s %10s %12s %12s %12s\n", "case", "line", "forward", "backward", "grep -E");
    for (const Case& c : cases) {
        for (size_t bytes : {small, large}) {
            std::string text = c.line(bytes) + "\n";
            File* f = FileFString(nullptr, text.data(), (int64_t)text.size());
            double ms[2];
            for (int d = 0; d < 2; d++) {
                int64_t line = 1, endLine = 0;
                int col = 0, endCol = 0;
                auto t = Clock::now();
                int rc = FileFind(f, nullptr, 0, line, col, endLine, endCol, d ? -1 : 1, 1,
                                  c.pattern.data(), (int)c.pattern.size(), c.flags);
                ms[d] = msSince(t);
                if (rc != 0) printf("  (unexpected result %d)\n", rc);
            }
            FileFree(f);
            double grepMs = -1;
            if (c.grep) {
                std::string path = dir + "/line";
                FILE* out = fopen(path.c_str(), "w");
                fwrite(text.data(), 1, text.size(), out);
                fclose(out);
                std::string cmd = "grep -E -c '" + std::string(c.grep) + "' " + path + " >/dev/null";
                auto t = Clock::now();
                if (system(cmd.c_str()) >= 0) grepMs = msSince(t);
            }
            double kb = (double)bytes / 1024;
            printf("%-36s %8zu K %9.3f us/K %9.3f us/K", c.name, bytes / 1024, ms[0] * 1000 / kb,
                   ms[1] * 1000 / kb);
            if (grepMs >= 0)
                printf(" %9.3f us/K\n", grepMs * 1000 / kb);
            else
                printf("\n");
        }
    }
    std::string rm = "rm -rf '" + dir + "'";
    return system(rm.c_str()) == 0 ? 0 : 1;
}
