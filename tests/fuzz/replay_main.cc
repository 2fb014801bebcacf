// tests/fuzz/replay_main.cc: feeds saved fuzzing inputs to a harness without libFuzzer, so that
// the normal build replays every corpus. Arguments are files or directories of files.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

static bool ReadAll(const std::string& path, std::string& out) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return true;
}

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    std::vector<std::string> inputs;
    for (int i = 1; i < argc; i++) {
        struct stat st;
        if (stat(argv[i], &st) != 0) {
            fprintf(stderr, "replay: cannot read %s\n", argv[i]);
            return 2;
        }
        if (!S_ISDIR(st.st_mode)) {
            inputs.emplace_back(argv[i]);
            continue;
        }
        DIR* d = opendir(argv[i]);
        if (!d) return 2;
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') inputs.push_back(std::string(argv[i]) + "/" + e->d_name);
        closedir(d);
    }
    std::sort(inputs.begin(), inputs.end());
    for (const std::string& path : inputs) {
        std::string data;
        if (!ReadAll(path, data)) {
            fprintf(stderr, "replay: cannot read %s\n", path.c_str());
            return 2;
        }
        fprintf(stderr, "replay: %s\n", path.c_str());
        LLVMFuzzerTestOneInput((const uint8_t*)data.data(), data.size());
    }
    printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
