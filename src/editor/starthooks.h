// editor/starthooks.h: the start-up's calls into subsystems that plug themselves in.
#pragma once

#include <cstdint>

struct StartHooks {
    void (*startJournalTimer)() = nullptr;
    void (*vcInit)() = nullptr;
    void (*mainLoop)() = nullptr;           // runs until no editor window is left
    void (*colouringOff)() = nullptr;
    void (*showHelp)(const char* topic) = nullptr;
    // Looks a tag up: the file name (heap) and line, or null.
    char* (*tagSearch)(const char* name, int64_t* line) = nullptr;
    void (*diffFiles)(const char* f1, const char* v1, const char* f2, const char* v2,
                      bool dialogue) = nullptr;
};
extern StartHooks startHooks;
