// tests/fuzz/fuzz_tags.cc: tag files: the input is read as a tag dictionary, then a few names
// are looked up and found in the File the tag names (a.c, made beside it).
#include <cstdint>
#include <cstdio>
#include <string>

#include "buffer/file.h"
#include "buffer/registry.h"
#include "buffer/tags.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    if (size > 65536) return 0;
    std::string dir = tempFileDir + "/..";
    std::string tags = dir + "/tags";
    static bool made = false;
    if (!made) {
        made = true;
        FILE* c = fopen((dir + "/a.c").c_str(), "w");
        if (!c) abort();
        fputs("int main(void)\n{\n\treturn f(1);\n}\nint f(int x) { return x; }\n", c);
        fclose(c);
    }
    FILE* f = fopen(tags.c_str(), "w");
    if (!f) abort();
    fwrite(data, 1, size, f);
    fclose(f);
    TagReset();
    TagAppendDictionary(tags.c_str());
    for (const char* name : {"main", "f", "x", ""}) {
        if (!TagDefault(name)) continue;
        int64_t line = 0;
        TagFind(name, line, 0);
    }
    TagReset();
    while (File* file = FileHead()) FileFree(file);
    return 0;
}
