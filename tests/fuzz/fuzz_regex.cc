// tests/fuzz/fuzz_regex.cc: search patterns in every dialect against arbitrary text.
// Input: one byte of search flags, the pattern, a NUL, then the text searched.
#include <cstdint>
#include <cstring>
#include <string>

#include "buffer/file.h"
#include "buffer/search.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    if (size < 1) return 0;
    int flags = data[0] & 0x7f;
    std::string rest((const char*)data + 1, size - 1);
    size_t nul = rest.find('\0');
    std::string pat = rest.substr(0, nul);
    std::string text = nul == std::string::npos ? std::string() : rest.substr(nul + 1);
    File* f = FileFString(nullptr, text.data(), (int64_t)text.size());
    for (int dir : {1, -1}) {
        int64_t line = 1, endLine = 0;
        int col = 0, endCol = 0;
        int found = FileFind(f, nullptr, 0, line, col, endLine, endCol, dir, 1, pat.data(),
                             (int)pat.size(), flags);
        // A match lies inside the File and ends after it starts.
        if (found == 1 && (line < 1 || endLine < line || line > f->nLines + 1)) abort();
    }
    if (f->first) {
        int lineEnds = 0, end = 0;
        FMatchesHere(f, f->first, 0, pat.data(), (int)pat.size(), lineEnds, end, flags);
        BMatchesHere(f, f->first, f->first->len, pat.data(), (int)pat.size(), lineEnds, end, flags);
    }
    int64_t line = 1, first = -1;
    int col = 0;
    FileReplaceAll(f, line, col, pat.data(), (int)pat.size(), "<>", 2, flags, first);
    FileFree(f);
    return 0;
}
