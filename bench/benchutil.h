// bench/benchutil.h: the clock and file writing the C++ benchmarks share.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

// Seconds on the steady clock.
inline double benchNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Writes bytes to path, or says which benchmark could not and exits: a benchmark without its
// input has nothing to measure.
inline std::string benchWriteFile(const char* bench, const std::string& path,
                                  const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        fprintf(stderr, "%s: cannot write %s\n", bench, path.c_str());
        exit(1);
    }
    fclose(f);
    return path;
}
