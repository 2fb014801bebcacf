// bench/bench_procs.cc: command output into editor buffers. Grep over the open Files beside
// grep -n over the same files, and a stream of command output into a buffer beside cat into a
// file (time and memory).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "config/cfg.h"
#include "config/switches.h"
#include "editor/editcmd.h"
#include "editor/startup.h"
#include "runtime/gen.h"
#include "toolkit/eventloop.h"
#include "toolkit/process.h"
#include "toolkit/toolkit.h"

using Clock = std::chrono::steady_clock;

static double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

static double runMs(const std::string& cmd) {
    auto t = Clock::now();
    if (system(cmd.c_str()) < 0) return -1;
    return msSince(t);
}

// Resident memory now and at its peak, in MiB.
static double statusMiB(const char* field) {
    FILE* f = fopen("/proc/self/status", "r");
    char line[256];
    double v = 0;
    while (f && fgets(line, sizeof line, f))
        if (strncmp(line, field, strlen(field)) == 0) v = atof(line + strlen(field)) / 1024;
    if (f) fclose(f);
    return v;
}

// The main loop's steps until every command started has ended.
static void loopUntilDone() {
    while (WProcessRunning() > 0) {
        WEventAll(0);
        int wait = 0;
        ExtraProcess_Wait(&wait);
        WYield(std::min(wait - 10, 100));
    }
}

static std::string quoteAll(const std::vector<std::string>& names) {
    std::string s;
    for (const std::string& n : names) s += " '" + n + "'";
    return s;
}

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    int nFiles = argc > 1 ? atoi(argv[1]) : 500;
    long outBytes = argc > 2 ? atol(argv[2]) : 100000000;
    wRequestedBackend = WB_HEADLESS;
    if (WGUIInit(nullptr, nullptr) != 1) return 1;
    EditInstallCfgDisplay();
    cfg_StartupConfiguration(0);
    EditInstallFileLinks();

    // ---- Grep over open Files ----
    std::vector<std::string> names;
    FILE* p = popen("find /usr/include -name '*.h' -size +1k | sort", "r");
    char buf[4096];
    while (p && (int)names.size() < nFiles && fgets(buf, sizeof buf, p)) {
        buf[strcspn(buf, "\n")] = 0;
        names.push_back(buf);
    }
    if (p) pclose(p);
    long long bytes = 0;
    Edit* e = nullptr;
    for (const std::string& n : names) {
        File* f = FileFName(n.c_str());
        if (!f) continue;
        bytes += FileCurrentSize(f);
        if (!e) e = CreateEWind(f);
    }
    if (!e) return 1;
    const char* pattern = "define";
    printf("grep for \"%s\" over %zu files under /usr/include, %.1f MB\n", pattern, names.size(),
           bytes / 1e6);
    std::string peer = "grep -n -e " + std::string(pattern) + quoteAll(names) + " > /tmp/qe-bench-grep.out";
    double peerMs = runMs(peer);
    std::string cmd = std::string("Grep ") + pattern;
    auto t = Clock::now();
    EditCli(e, cmd.c_str());
    loopUntilDone();
    double qeMs = msSince(t);
    File* out = nullptr;
    for (File* f = FileHead(); f; f = f->next)
        if (f->name && strncmp(f->name, "grep.", 5) == 0) out = f;
    printf("  %-32s %9.1f ms\n", "grep -n into a file", peerMs);
    printf("  %-32s %9.1f ms  (%.2fx, %lld lines)\n", "qe Grep into a buffer", qeMs,
           qeMs / peerMs, out ? (long long)out->nLines : -1LL);
    unlink("/tmp/qe-bench-grep.out");

    // ---- a stream of output ----
    std::string producer = "yes 'the quick brown fox jumps over the lazy dog, 0123456789 0123456789' | head -c " +
                           std::to_string(outBytes);
    peerMs = runMs(producer + " | cat > /tmp/qe-bench-stream.out");
    unlink("/tmp/qe-bench-stream.out");
    double rssBefore = statusMiB("VmRSS:");
    t = Clock::now();
    std::string c2w = "Cmd2Wnd \"" + producer + "\"";
    EditCli(e, c2w.c_str());
    loopUntilDone();
    qeMs = msSince(t);
    double rssAfter = statusMiB("VmRSS:");
    printf("%.0f MB of command output (lines of 73 bytes)\n", outBytes / 1e6);
    printf("  %-32s %9.1f ms\n", "cat into a file", peerMs);
    printf("  %-32s %9.1f ms  (%.2fx)\n", "qe Cmd2Wnd into a buffer", qeMs, qeMs / peerMs);
    printf("  %-32s %9.1f MiB (%.2fx the output)\n", "qe memory grown", rssAfter - rssBefore,
           (rssAfter - rssBefore) * 1048576.0 / (double)outBytes);
    WProcessEndAll(1000);
    return 0;
}
