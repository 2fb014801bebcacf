// tests/config/cfgdump.cc: a fresh process that starts as the editor does (defaults, default
// bindings), reads the configuration files named on its command line and prints every
// option and binding, for the save-and-reload tests.
#include <cstdio>

#include "config/bindings.h"
#include "config/cfg.h"
#include "test_display.h"

int main(int argc, char** argv) {
    InstallTestDisplay();
    cfg_SetEverythingToDefaults();
    LoadDefaultBindings();
    cfg_RememberCurrentSettings(0);
    for (int i = 1; i < argc; i++)
        if (!cfg_ReadFile(argv[i])) fprintf(stderr, "cfgdump: %s not read to the end\n", argv[i]);
    printf("=== options\n");
    for (CfgOption* table : cfg_AllTables)
        for (CfgOption* o = table; o->name; o++)
            if (o->type != CFG_FUNC) fputs(cfg_OptionLine(*o).c_str(), stdout);
    printf("=== keys\n");
    for (const std::string& s : ListAllKeyBindings()) printf("%s\n", s.c_str());
    printf("=== mice\n");
    for (const std::string& s : ListAllMouseBindings()) printf("%s\n", s.c_str());
    printf("=== menus\n%s", MenuListText().c_str());
    printf("=== editbuttons\n");
    for (const EditButton& b : EditButtons()) printf("%s %s\n", b.name.c_str(), b.definition.c_str());
    return 0;
}
