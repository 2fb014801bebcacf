// config/cfg_save.cc: snapshots of option values, writing options and configuration files,
// saving at exit and the option list.
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "config/bindings.h"
#include "config/cfg.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

static int* intVar(const CfgOption& o) {
    return static_cast<int*>(o.value);
}
static std::string* strVar(const CfgOption& o) {
    return static_cast<std::string*>(o.value);
}
static CfgSize* sizeVar(const CfgOption& o) {
    return static_cast<CfgSize*>(o.value);
}

template <class F>
static void eachOption(F f) {
    for (CfgOption* table : cfg_AllTables)
        for (CfgOption* o = table; o->name; o++) f(*o);
}

void cfg_RememberCurrentSettings(int level) {
    if (level < 0 || level > 2) return;
    eachOption([&](CfgOption& o) {
        CfgRemembered& r = o.remembered[level];
        if (!o.value) return;
        switch (o.type) {
        case CFG_BOOL:
        case CFG_INT:
        case CFG_CHOICE: r.num = *intVar(o); break;
        case CFG_STRING:
        case CFG_COLOR: r.str = *strVar(o); break;
        case CFG_SIZE: r.size = *sizeVar(o); break;
        default: break;
        }
    });
    for (int c = 0; c < BIND_CATS; c++) bindingsChanged[level][c] = 0;
    RememberBindings(level);
}

int cfg_CompareToCurrentSettings(int level) {
    if (level < 0 || level > 2) return 0;
    int count = 0;
    eachOption([&](CfgOption& o) {
        CfgRemembered& r = o.remembered[level];
        r.changed = 0;
        if (!o.value) return;
        switch (o.type) {
        case CFG_BOOL:
        case CFG_INT:
        case CFG_CHOICE: r.changed = r.num != *intVar(o); break;
        case CFG_STRING:
        case CFG_COLOR: r.changed = r.str != *strVar(o); break;
        case CFG_SIZE: {
            const CfgSize& s = *sizeVar(o);
            bool bothUnset = !(s.flags & CFGSIZE_SET) && !(r.size.flags & CFGSIZE_SET);
            r.changed = !bothUnset && !(s == r.size);
            break;
        }
        default: break;
        }
        count += r.changed;
    });
    return count;
}

std::string cfg_OptionLine(const CfgOption& o) {
    char buf[64];
    switch (o.type) {
    case CFG_BOOL: return std::string(o.name) + ": " + (*intVar(o) ? "On" : "Off") + "\n";
    case CFG_INT:
        snprintf(buf, sizeof buf, ": %d\n", *intVar(o));
        return o.name + std::string(buf);
    case CFG_COLOR: return std::string(o.name) + ": " + *strVar(o) + "\n";
    case CFG_STRING:
        if (strVar(o)->empty()) return std::string(o.name) + ":\n";
        return std::string(o.name) + ": " + cfg_QuoteWord(*strVar(o)) + "\n";
    case CFG_CHOICE: {
        const char* current = cfg_valueFChoice(o.choices, *intVar(o));
        std::string s = std::string(o.name) + ": " + (current ? current : "") + "\n";
        for (const ChoiceValue* c = o.choices; c && c->name; c++)
            if (c->value != *intVar(o)) s += std::string("#    ") + c->name + "\n";
        return s;
    }
    case CFG_SIZE: {
        const CfgSize& s = *sizeVar(o);
        if (!(s.flags & CFGSIZE_SET)) return std::string(o.name) + ":\n";
        if (s.flags & CFGSIZE_PIXELS)
            snprintf(buf, sizeof buf, ": %dx%dp\n", s.width, s.height);
        else
            snprintf(buf, sizeof buf, ": %dx%d\n", s.width / cfg_Display().charWidth(),
                     s.height / cfg_Display().lineHeight());
        return o.name + std::string(buf);
    }
    default: return "";
    }
}

void WriteConfigOption(FILE* file, const CfgOption& option) {
    if (option.type == CFG_FUNC) {
        if (!option.hidden) fprintf(stderr, "FUNC's should be hidden: %s isn't.\n", option.name);
        return;
    }
    fputs(cfg_OptionLine(option).c_str(), file);
}

int Config_SaveToFile(const char* path, int level) {
    if (level < 0 || level > 2) level = 0;
    FILE* f = path ? fopen(path, "w") : nullptr;
    if (!f) {
        mprintf("Cannot write to file %s\n", path ? path : "");
        return 0;
    }
    cfg_CompareToCurrentSettings(level);
    eachOption([&](CfgOption& o) {
        if (!o.hidden && o.remembered[level].changed) WriteConfigOption(f, o);
    });
    eachOption([&](CfgOption& o) {
        if (o.hidden || o.type == CFG_FUNC || o.remembered[level].changed) return;
        fputc('#', f);
        WriteConfigOption(f, o);
    });
    if (bindingsChanged[level][BIND_EBUTTONS]) {
        fputs("cleareditbuttons\n", f);
        for (const EditButton& b : EditButtons())
            fprintf(f, "editbutton: %s %s\n", b.name.c_str(), b.definition.c_str());
    }
    if (bindingsChanged[level][BIND_MENUS]) {
        fputs("clearmenus\n", f);
        for (const MenuItem& m : MenuItems())
            fprintf(f, "menu: %s {%s}\n", m.menu.c_str(), m.description.c_str());
    }
    WriteBindingLines(f, level);
    bool ok = !ferror(f);
    if (fclose(f) != 0) ok = false;
    if (!ok) mprintf("Cannot write to file %s\n", path);
    return ok ? 1 : 0;
}

static bool anythingChanged(int level) {
    if (cfg_CompareToCurrentSettings(level)) return true;
    for (int c = 0; c < BIND_CATS; c++)
        if (bindingsChanged[level][c]) return true;
    return false;
}

void cfg_AskSaveConfig() {
    extern int configsavemode;
    if (configsavemode == 2) return;
    if (!anythingChanged(2)) return;
    if (configsavemode == 1 || WYesNo("Save Configuration", "Save changes to default configuration?", 1))
        SaveAsDefaultConfig();
}

static char* defaultConfigFile(int create) {
    GenStr dir(cfg_GetUserConfigDir(create));
    if (!dir) return nullptr;
    return cfg_CreateConfigFilename(dir.get(), "qe");
}

int SaveAsDefaultConfig() {
    if (!XWindowsOn) {
        mprintf("saveconfig command not available in non-GUI mode.\n");
        return 0;
    }
    GenStr file(defaultConfigFile(1));
    if (!file) return 0;
    if (cfg_configInNonDefault) {
        const char* text =
            "Warning: This will save the current configuration in its entirety\n"
            "which will mask future changes to other configuration files which\n"
            "may be in use.  The recommended solution is to hand create a\n"
            "user config file that specifies only the selected configuration\n"
            "changes required.";
        if (WButtonDialogue("Mask config defaults?", text, {"Continue", "Cancel"}, 0) != 0)
            return 0;
    }
    struct stat st;
    if (stat(file.get(), &st) != 0 || st.st_size == 0) {
        std::string msg = std::string("Creating default config file: ") + file.get();
        QuorlError(0, "%s", msg.c_str());
    } else {
        std::string question = std::string("Overwrite file ") + file.get();
        if (!WYesNo("Save Configuration", question.c_str(), 0)) return 0;
    }
    if (!Config_SaveToFile(file.get(), 0)) return 0;
    cfg_RememberCurrentSettings(2);
    return 1;
}

int ClearDefaultConfig() {
    GenStr file(defaultConfigFile(0));
    if (!file) return 0;
    std::string question =
        std::string("Remove default configuration (stored in ") + file.get() + ")?";
    if (!WYesNo("Clear Configuration", question.c_str(), 0)) return 0;
    std::string old = std::string(file.get()) + ".old";
    if (rename(file.get(), old.c_str()) != 0) {
        QuorlError(1, "Cannot rename %s to %s", file.get(), old.c_str());
        return 0;
    }
    return 1;
}

int SaveConfig() {
    std::string path;
    if (!FileChooseDialogue("Save Configuration to what file?", "Save", ".", path)) return 0;
    return Config_SaveToFile(path.c_str(), 1);
}

int LoadConfig() {
    std::string path;
    if (!FileChooseDialogue("Load Configuration from what file?", "Load", ".", path)) return 0;
    CfgOption* configure = cfg_FindOption("configure");
    return configure ? cfg_Func(*configure, cfg_QuoteWord(path).c_str()) : 0;
}

void ShowConfig() {
    eachOption([](CfgOption& o) {
        if (!o.hidden && o.type != CFG_FUNC) mprintf("%s", cfg_OptionLine(o).c_str());
    });
}

void Config_ListAllConfigs() {
    std::string out = "Possible configuration options are:\n";
    std::string line;
    bool first = true;
    eachOption([&](CfgOption& o) {
        if (o.hidden || strchr(o.name, '.')) return;
        if (!first) {
            if (line.size() + 2 + strlen(o.name) >= 80) {
                out += line + ",\n";
                line.clear();
            } else {
                line += ", ";
            }
        }
        line += o.name;
        first = false;
    });
    out += line + "\n";
    mprintf("%s", out.c_str());
}

int cfg_PrintOption(const char* name) {
    CfgOption* o = cfg_FindOption(name);
    if (!o || o->type == CFG_FUNC) {
        mprintf("Unknown configuration option: %s\n", name ? name : "");
        return 0;
    }
    std::string line = cfg_OptionLine(*o);
    mprintf("%s", line.substr(0, line.find('\n') + 1).c_str());
    return 1;
}
