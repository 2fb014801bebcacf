// editor/starthooks.h: the start-up's calls into subsystems that plug themselves in.
#pragma once

#include <cstdint>

struct StartHooks {
    void (*startJournalTimer)() = nullptr;
    void (*vcInit)() = nullptr;
    void (*mainLoop)() = nullptr;           // runs until no editor window is left
    void (*showHelp)(const char* topic) = nullptr;
    void (*diffFiles)(const char* f1, const char* v1, const char* f2, const char* v2,
                      bool dialogue) = nullptr;
};
extern StartHooks startHooks;
