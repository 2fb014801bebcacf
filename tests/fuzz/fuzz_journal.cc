// tests/fuzz/fuzz_journal.cc: crash-recovery journals: the input is the journal of a small
// file, and its edits are applied to that file as recovery does.
#include <cstdint>
#include <cstdio>
#include <string>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    if (size > 65536) return 0;
    std::string dir = tempFileDir + "/..";
    std::string target = dir + "/t.txt";
    std::string journal = dir + "/journal";
    FILE* f = fopen(target.c_str(), "w");
    if (!f) abort();
    fputs("one\ntwo\nthree\n\nfive and more\n", f);
    fclose(f);
    f = fopen(journal.c_str(), "w");
    if (!f) abort();
    fwrite(data, 1, size, f);
    fclose(f);
    File* file = FileFFileNoApplyEdits(target.c_str());
    if (!file) abort();
    incr_ApplyEdits(file, journal.c_str());
    // Loaded without registering, so the registry does not know it: free it here.
    FileFree(file);
    return 0;
}
