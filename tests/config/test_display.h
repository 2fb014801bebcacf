// tests/config/test_display.h: the option engine's window system for tests: the toolkit's
// built-in colour parser, an 8 by 16 cell, and a resource database the test fills.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "config/cfg.h"
#include "toolkit/window.h"

struct TestDisplay : CfgDisplay {
    bool oneBit = false;
    int redraws = 0;
    std::map<std::string, std::string> resources; // full name -> value
    std::vector<std::string> asked;                // "name|class" of every lookup
    int parseColor(const char* text, int* r, int* g, int* b) override {
        return WParseColorBuiltin(text, r, g, b);
    }
    bool monochrome() override { return oneBit; }
    int charWidth() override { return 8; }
    int lineHeight() override { return 16; }
    void redrawAll() override { redraws++; }
    const char* resource(const char* name, const char* cls) override {
        asked.push_back(std::string(name) + "|" + cls);
        auto it = resources.find(name);
        return it == resources.end() ? nullptr : it->second.c_str();
    }
    int dumpResources(const char*) override { return 0; }
};

// One display for the whole test program, reset and installed by each test's set-up.
inline TestDisplay& InstallTestDisplay() {
    static TestDisplay display;
    display = TestDisplay();
    cfg_SetDisplay(&display);
    return display;
}
