// config/cfg_commands.cc: setters of options (CDo...), the configuration commands, lines that
// name no option, the editor's Configure entry, menus and editor buttons.
#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include "config/bindings.h"
#include "config/cfg.h"
#include "config/cfgcmd.h"
#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

std::string cfg_dialogueFiles;


// ---- option setters: store, and let the owner react through the change hook ----

int CDoAdaIndentSize(CfgOption& o, const char* v) { return cfg_StoreInt(o, v); }
int CDoAdaContinuationSize(CfgOption& o, const char* v) { return cfg_StoreInt(o, v); }
int CDoWordWrap(CfgOption& o, const char* v) { return cfg_StoreBool(o, v); }
int CDoWrapColumn(CfgOption& o, const char* v) { return cfg_StoreInt(o, v); }
int CDoWrapIndent(CfgOption& o, const char* v) { return cfg_StoreInt(o, v); }
int CDoIndentSize(CfgOption& o, const char* v) { return cfg_StoreInt(o, v); }
int CDoExactCase(CfgOption& o, const char* v) { return cfg_StoreBool(o, v); }
int CDoScrollLoc(CfgOption& o, const char* v) { return cfg_StoreChoice(o, v); }
int CDoScrollHLoc(CfgOption& o, const char* v) { return cfg_StoreChoice(o, v); }
int CDoSync(CfgOption& o, const char* v) { return cfg_StoreBool(o, v); }
int CDoColorSyntax(CfgOption& o, const char* v) { return cfg_StoreBool(o, v); }
int CDoColorBuilder(CfgOption& o, const char* v) { return cfg_StoreBool(o, v); }
int CDoScrollBarWidth(CfgOption& o, const char* v) { return cfg_StoreInt(o, v); }
int CDoFont(CfgOption& o, const char* v) { return cfg_StoreString(o, v); }
int CDoButtonFont(CfgOption& o, const char* v) { return cfg_StoreString(o, v); }
int CDo16BitFont(CfgOption& o, const char* v) { return cfg_StoreString(o, v); }

int CDoBlackWhite(CfgOption& o, const char* v) { return cfg_StoreBool(o, v); }

Seam<CfgVersionControl> cfg_versionControl{"CfgVersionControl", "version control front end"};

int cfg_SetVersionControl(CfgOption& o, const char* v) {
    int before = vc_whichVC;
    if (!cfg_StoreChoice(o, v)) return 0;
    // (a test of the option engine alone has no front end to tell)
    if (vc_whichVC != before)
        if (CfgVersionControl* vc = cfg_versionControl.find()) vc->systemChanged();
    return 1;
}

int cfg_ParseGeometry(const char* text, int* set, int* width, int* height, int* x, int* y) {
    const char* p = text ? text : "";
    while (*p == ' ' || *p == '\t') p++;
    if (*p == '=') p++;
    *set = 0;
    auto number = [&](int* out) {
        if (!isdigit((unsigned char)*p)) return 0;
        long v = 0;
        while (isdigit((unsigned char)*p)) {
            if (v < 100000) v = v * 10 + (*p - '0');
            p++;
        }
        *out = (int)v;
        return 1;
    };
    if (isdigit((unsigned char)*p)) {
        if (!number(width) || (*p != 'x' && *p != 'X')) return 0;
        p++;
        if (!number(height)) return 0;
        *set |= 1;
    }
    if (*p == '+' || *p == '-') {
        if (*p == '-') *set |= 4;
        p++;
        if (!number(x) || (*p != '+' && *p != '-')) return 0;
        if (*p == '-') *set |= 8;
        p++;
        if (!number(y)) return 0;
        *set |= 2;
    }
    while (*p == ' ' || *p == '\t') p++;
    return *p == 0;
}

static int setGeometry(CfgGeometry& g, const char* value) {
    CfgGeometry n;
    if (value && *value &&
        !cfg_ParseGeometry(value, &n.set, &n.width, &n.height, &n.x, &n.y)) {
        cfg_Say("Invalid geometry: %s", value);
        return 0;
    }
    g = n;
    return 1;
}

int CDoGeometry(CfgOption& o, const char* v) {
    if (!setGeometry(editGeometry, v)) return 0;
    return cfg_StoreString(o, v);
}

// ---- configuration commands ----

int CDoConfigure(CfgOption&, const char* value) {
    std::string word;
    if (!cfg_ReadWord(value, word) || word.empty()) {
        cfg_Say("Can't open file: %s", value ? value : "");
        return 0;
    }
    cfg_configInNonDefault = 1;
    if (access(word.c_str(), R_OK) != 0 || gen_isdir(word.c_str())) {
        cfg_Say("Can't open file: %s", word.c_str());
        return 0;
    }
    int r = cfg_ReadFile(word.c_str());
    cfg_Display().redrawAll();
    return r;
}

int CDoKey(CfgOption&, const char* value) {
    return parseKey(value);
}

int CDoMouse(CfgOption&, const char* value) {
    return parseMouse(value);
}

int CDoClearKeys(CfgOption&, const char*) {
    clearKeys();
    return 1;
}

int CDoClearMice(CfgOption&, const char*) {
    clearMice();
    return 1;
}

int CDoMenu(CfgOption&, const char* value) {
    const char* p = value ? value : "";
    while (*p == ' ' || *p == '\t') p++;
    size_t n = strcspn(p, " \t{");
    std::string name(p, n);
    p += n;
    while (*p == ' ' || *p == '\t') p++;
    std::string rest = p;
    if (name.empty() || rest.empty()) {
        cfg_Say("Menu needs a name and items: %s", value ? value : "");
        return 0;
    }
    if (rest[0] == '{') {
        size_t inner = rest.find_first_not_of(" \t", 1);
        if (inner != std::string::npos && rest[inner] == '{') {
            while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
            if (rest.back() == '}') rest = rest.substr(1, rest.size() - 2);
        }
    }
    return MenuAddItems(name.c_str(), rest.c_str());
}

int CDoClearMenus(CfgOption&, const char*) {
    MenuClearAll();
    return 1;
}

int CDoEButton(CfgOption&, const char* value) {
    const char* p = value ? value : "";
    while (*p == ' ' || *p == '\t') p++;
    size_t n = strcspn(p, " \t");
    std::string name(p, n);
    p += n;
    while (*p == ' ' || *p == '\t') p++;
    std::string defn = p;
    if (name.empty() || defn.empty()) {
        cfg_Say("Editor button needs a name and a definition: %s", value ? value : "");
        return 0;
    }
    EditButtons().push_back({name, defn});
    MarkBindingsChanged(BIND_EBUTTONS);
    return 1;
}

int CDoClearEButtons(CfgOption&, const char*) {
    EditButtons().clear();
    MarkBindingsChanged(BIND_EBUTTONS);
    return 1;
}

int CDoIconGeometry(CfgOption&, const char* value) {
    return setGeometry(iconGeometry, value);
}

int CDoIconify(CfgOption&, const char*) {
    startIconified = 1;
    return 1;
}

int CDoDumpResources(CfgOption&, const char* value) {
    std::string word;
    if (!cfg_ReadWord(value, word) || word.empty()) {
        cfg_Say("Cannot write to file %s", value ? value : "");
        return 0;
    }
    if (!cfg_Display().dumpResources(word.c_str())) {
        cfg_Say("No X resources to dump");
        return 0;
    }
    return 1;
}

int CDoDialogueFile(CfgOption&, const char* value) {
    std::string word;
    if (!cfg_ReadWord(value, word) || word.empty()) {
        cfg_Say("Dialogue file name missing or badly quoted: %s", value ? value : "");
        return 0;
    }
    if (!cfg_dialogueFiles.empty()) cfg_dialogueFiles += '\n';
    cfg_dialogueFiles += word;
    return 1;
}

int CDoNothing(CfgOption&, const char*) {
    return 1;
}

int CDoDontUseQvc(CfgOption&, const char*) {
    QuorlError(1, "Config option dontuseqvc deprecated.  Use dontusevc instead.");
    return 1;
}

// ---- lines that name no option ----

// Hexadecimal escapes "\xHH" in a renamed word.
static std::string unescapeHex(const char* text) {
    std::string out;
    for (const char* p = text; *p; p++) {
        if (p[0] == '\\' && (p[1] == 'x' || p[1] == 'X') && isxdigit((unsigned char)p[2])) {
            int v = 0, n = 0;
            for (p += 2; n < 2 && isxdigit((unsigned char)*p); n++, p++)
                v = v * 16 + (isdigit((unsigned char)*p) ? *p - '0' : tolower(*p) - 'a' + 10);
            p--;
            if (v) out += (char)v;
        } else {
            out += *p;
        }
    }
    return out;
}

int shr_ConfigureLine(const char* keyword, const char* value) {
    if (!keyword) return -1;
    if (strcmp(keyword, "?") == 0) {
        Config_ListAllConfigs();
        return 1;
    }
    if (strncasecmp(keyword, "locations.", 10) == 0) {
        std::string name = keyword + 10, text = unescapeHex(value ? value : "");
        if (text.empty() || text.find_first_of(" \t=@|*") != std::string::npos) {
            cfg_Say("Invalid location name: %s", value ? value : "");
            return 0;
        }
        for (int k : {LOC_TOOLKIT, LOC_EDITOR, LOC_SCROLLBAR})
            for (LocName& l : BindingLocations(k))
                if (strcasecmp(l.name.c_str(), name.c_str()) == 0) return l.name = text, 1;
        cfg_Say("Nothing matches %s", name.c_str());
        return 0;
    }
    if (strncasecmp(keyword, "modifiers.", 10) == 0) {
        std::string name = keyword + 10, text = unescapeHex(value ? value : "");
        if (text.empty() || text.find_first_of(" \t=@|*") != std::string::npos) {
            cfg_Say("Invalid modifier name: %s", value ? value : "");
            return 0;
        }
        for (ModName& m : BindingModifiers())
            if (strcasecmp(m.name.c_str(), name.c_str()) == 0) return m.name = text, 1;
        cfg_Say("Nothing matches %s", name.c_str());
        return 0;
    }
    return -1;
}

// ---- the editor's configure command ----

// "~", "~user" and "$VAR" in a file name.
static std::string expandName(const std::string& name) {
    std::string out;
    size_t i = 0;
    if (!name.empty() && name[0] == '~') {
        size_t slash = name.find('/');
        std::string user = name.substr(1, slash == std::string::npos ? std::string::npos : slash - 1);
        const char* home = nullptr;
        if (user.empty()) {
            home = getenv("HOME");
        } else if (struct passwd* pw = getpwnam(user.c_str())) {
            home = pw->pw_dir;
        }
        if (home) {
            out = home;
            i = slash == std::string::npos ? name.size() : slash;
        }
    }
    for (; i < name.size(); i++) {
        if (name[i] == '$' && i + 1 < name.size() &&
            (isalpha((unsigned char)name[i + 1]) || name[i + 1] == '_' || name[i + 1] == '{')) {
            bool braced = name[i + 1] == '{';
            size_t start = i + (braced ? 2 : 1), end = start;
            while (end < name.size() && (isalnum((unsigned char)name[end]) || name[end] == '_'))
                end++;
            if (braced && (end >= name.size() || name[end] != '}')) {
                out += name[i];
                continue;
            }
            const char* v = getenv(name.substr(start, end - start).c_str());
            out += v ? v : "";
            i = braced ? end : end - 1;
        } else {
            out += name[i];
        }
    }
    return out;
}

int Configure(const char* text, int isfile) {
    std::string copy = text ? text : "";
    if (copy.size() > 1999) copy.resize(1999);
    int saved = cfg_refresh;
    cfg_refresh = 0;
    int r;
    if (isfile) {
        std::string word;
        if (!cfg_ReadWord(copy.c_str(), word)) word = copy;
        std::string expanded = expandName(word);
        if (word.empty() || access(expanded.c_str(), R_OK) != 0 || gen_isdir(expanded.c_str())) {
            mprintf("Couldn't find file: %s (%s)\n", word.c_str(), expanded.c_str());
            cfg_refresh |= saved;
            return 0;
        }
        r = cfg_ReadFile(expanded.c_str());
    } else {
        r = cfg_ScanLine(copy.c_str());
    }
    if (cfg_refresh) {
        cfg_Display().redrawAll();
    }
    cfg_refresh |= saved;
    return r;
}

int cfg_RunConfigCommand(const char* name, const char* args, int* result) {
    if (!name) return 0;
    std::string arg = args ? args : "";
    size_t first = arg.find_first_not_of(" \t");
    arg = first == std::string::npos ? "" : arg.substr(first);
    while (!arg.empty() && (arg.back() == ' ' || arg.back() == '\t')) arg.pop_back();
    int r;
    if (!strcasecmp(name, "Configure"))
        r = Configure(arg.c_str(), 0);
    else if (!strcasecmp(name, "ConfigureFile"))
        r = Configure(arg.c_str(), 1);
    else if (!strcasecmp(name, "PrintOption"))
        r = cfg_PrintOption(arg.c_str());
    else if (!strcasecmp(name, "saveconfig"))
        r = SaveAsDefaultConfig();
    else if (!strcasecmp(name, "clearconfig"))
        r = ClearDefaultConfig();
    else if (!strcasecmp(name, "saveconfigtofile"))
        r = SaveConfig();
    else if (!strcasecmp(name, "loadconfigfromfile"))
        r = LoadConfig();
    else
        return 0;
    if (result) *result = r;
    return 1;
}
