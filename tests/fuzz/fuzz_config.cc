// tests/fuzz/fuzz_config.cc: configuration lines and key and mouse binding lines, as a
// configuration file or `Configure` gives them: each input line is read as a configuration
// line and as a binding of each kind.
#include <cstdint>
#include <string>

#include "config/bindings.h"
#include "config/cfg.h"
#include "editor/startup.h"
#include "fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (FuzzSetUp(), EditInstallCfgDisplay(), true);
    (void)ready;
    if (size > 65536) return 0;
    std::string text((const char*)data, size);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        cfg_ScanLine(line.c_str());
        parseKey(line.c_str());
        parseMouse(line.c_str());
        start = end + 1;
    }
    clearKeys();
    clearMice();
    cfg_ResetOptionsForTest();
    return 0;
}
