// bench/bench_undo_typing.cc: undo and typing at two sizes, so that growth shows: the time of
// one Undo command string with 20,000 and with 200,000 undo steps behind it, and of one typed
// key at the end of a line of 100 KB and of 10 MB. Each is a command string through the
// interpreter, as a key press makes it. Flat figures are what the editor promises.
//   bench_undo_typing [DIR]      (scratch files go to DIR, default /tmp)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/journal.h"
#include "config/cfg.h"
#include "config/options.h"
#include "config/switches.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/startup.h"
#include "runtime/gen.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

using Clock = std::chrono::steady_clock;

static double usSince(Clock::time_point t) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t).count();
}

static Edit* Open(const std::string& path, const std::string& text) {
    FILE* f = fopen(path.c_str(), "w");
    if (!f) return nullptr;
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
    return NewEdit(path.c_str(), 0, 1, 0);
}

static void Close(Edit* e) {
    incr_ReleaseLock(e->view.file); // the scratch edits are given up
    e->destroying = true;
    EditDestroy(e);
}

int main(int argc, char** argv) {
    gen_init(argv[0], 0);
    InitDebugFlag();
    std::string dir = argc > 1 ? argv[1] : "/tmp";
    char tmpl[] = "/qe-bench-XXXXXX";
    std::string base = dir + tmpl;
    if (!mkdtemp(base.data())) return 1;
    tempFileDir = base;
    wRequestedBackend = WB_HEADLESS;
    EditInstallCfgDisplay();
    if (WGUIInit(nullptr, nullptr) != 1) return 1;
    cfg_StartupConfiguration(0);
    EditInstallFileLinks();
    const int sample = 2000;

    for (long depth : {20000L, 200000L}) {
        Edit* e = Open(base + "/undo" + std::to_string(depth), "\n");
        File* f = e->view.file;
        for (long i = 0; i < depth; i++) {
            EditCli(e, "\"x\\n\"");
            FileCloseUndo(f); // one undo step per line typed
        }
        auto t = Clock::now();
        for (int i = 0; i < sample; i++) EditCli(e, "Undo");
        double undo = usSince(t) / sample;
        t = Clock::now();
        for (int i = 0; i < sample; i++) EditCli(e, "Right"); // a string after the Undos
        double after = usSince(t) / sample;
        printf("undo with %7ld steps behind: %8.2f us/undo, next strings %8.2f us each\n", depth,
               undo, after);
        Close(e);
    }
    for (long bytes : {100000L, 10000000L}) {
        Edit* e = Open(base + "/line" + std::to_string(bytes), std::string((size_t)bytes, 'a') + "\n");
        EditCli(e, "SOF;EOL");
        auto t = Clock::now();
        for (int i = 0; i < sample; i++) EditCli(e, "\"x\"");
        double typed = usSince(t) / sample;
        printf("typing at the end of a %8ld-byte line: %8.2f us/key\n", bytes, typed);
        Close(e);
    }
    std::string rm = "rm -rf '" + base + "'";
    return system(rm.c_str()) == 0 ? 0 : 1;
}
