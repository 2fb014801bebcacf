// config/switches.cc: names and defaults of the internal switches.
#include "config/switches.h"

#include <cstring>

unsigned char debugFlag[XSW_COUNT];

struct SwitchRow {
    const char* name;
    unsigned char dflt;
};

static const SwitchRow switchTable[XSW_COUNT] = {
    {"escabort", 1},
    {"GuiMprintf", 0},
    {"MSWDOSFiles", 1},
    {"noautoindent", 0},
    {"VCUseInterpreter", 1},
    {"ClearCaseCreate", 1},
    {"DontInsertBackslashesForNoApparentReason", 0},
    {"UglyHackToAllowOddQuotes", 0},
    {"HelpViewer", 1},
    {"RecolorImages", 0},
    {"ExitTest", 0},
    {"HandleLog", 0},
    {"ColorIcons", 1},
    {"DisplayDetail1", 1},
    {"DisplayDetail2", 1},
    {"PictureButtons", 1},
    {"ConfigTrace", 0},
    {"ConfigDeprecated", 0},
};

void InitDebugFlag() {
    for (int i = 0; i < XSW_COUNT; i++) debugFlag[i] = switchTable[i].dflt;
}

int GetXSwitchIndex(const char* name) {
    if (!name) return -1;
    for (int i = 0; i < XSW_COUNT; i++)
        if (strcmp(switchTable[i].name, name) == 0) return i;
    return -1;
}

const char* XSwitchName(int index) {
    return (index >= 0 && index < XSW_COUNT) ? switchTable[index].name : nullptr;
}
