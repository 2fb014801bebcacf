// tests/config/test_util.h: a clean configuration state for each test, and output capture.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include "config/bindings.h"
#include "config/cfg.h"
#include "config/cfgcmd.h"
#include "config/options.h"
#include "test_display.h"

inline void ResetConfigState(bool defaultBindings = true) {
    InstallTestDisplay();
    cfg_ResetOptionsForTest();
    clearKeys();
    clearMice();
    MenuClearAll();
    EditButtons().clear();
    if (defaultBindings) LoadDefaultBindings();
    for (int level = 0; level < 3; level++) cfg_RememberCurrentSettings(level);
    cfg_refresh = 0;
}

// Runs f with the standard output captured and returns what it printed.
template <class F>
std::string Captured(F f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

inline std::string OptionLine(const char* name) {
    CfgOption* o = cfg_FindOption(name);
    return o ? cfg_OptionLine(*o) : std::string("<none>");
}

inline std::string TempPath(const char* tag) {
    return testing::TempDir() + "qecfg_" + tag + "_" + std::to_string(::getpid());
}
