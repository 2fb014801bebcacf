// tests/fuzz/fuzz_qvclog.cc: reading QVC logs. The input is a log file: it is opened, every
// version rebuilt, and the history, date lookup, line origins and find-change run over it.
// A read either succeeds with texts of the stated sizes or reports the format error.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vc/qvc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::string source;
    if (source.empty()) {
        // Memory-backed when the machine has it: a file is written for every input.
        std::string tmpl = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        tmpl += "/qe-fuzz-qvc-XXXXXX";
        const char* dir = mkdtemp(tmpl.data());
        if (!dir) abort();
        source = std::string(dir) + "/f";
        mkdir((std::string(dir) + "/qvc.log").c_str(), 0700);
        qvc_output = [](const char*) {};
        atexit([] { // nothing is left behind
            unlink(qvc_getlogname(source.c_str()).c_str());
            rmdir(qvc_getlogdir(source.c_str()).c_str());
            rmdir(source.substr(0, source.rfind('/')).c_str());
        });
    }
    std::string logname = qvc_getlogname(source.c_str());
    FILE* out = fopen(logname.c_str(), "wb");
    if (!out || fwrite(data, 1, size, out) != size || fclose(out) != 0) abort();
    QvcLog log;
    FILE* f = nullptr;
    if (qvc_openlog(logname.c_str(), log, &f) < 0) return 0;
    for (int i = 0; i < log.count; i++) {
        QvcText text;
        int expected = -1;
        // A rebuilt version has exactly the lines its block says.
        if (qvc_rebuild(f, log, i, text, &expected) == 0 && int(text.size()) != expected) abort();
    }
    qvc_findverfromdate(f, log, "2030/01/01 00:00:00");
    fclose(f);
    std::vector<std::string> lines;
    qvc_show2(source.c_str(), 1, lines);
    qvc_getpreviousversion(source.c_str(), source.c_str(), nullptr);
    if (log.count <= 32) { // both rebuild every version along the trunk
        qvc_disp(source.c_str(), nullptr, 0);
        qvc_fc(source.c_str(), nullptr, 1, 2);
    }
    return 0;
}
