// config/cfg_engine.cc: setting options from text, reading configuration files, defaults.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "config/bindings.h"
#include "config/cfg.h"
#include "config/cfgcmd.h"
#include "config/options.h"
#include "config/switches.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

static Seam<CfgDisplay> display{"CfgDisplay", "editor"};

void cfg_SetDisplay(CfgDisplay* d) {
    display.install(d);
}

CfgDisplay& cfg_Display() {
    return *display.operator->();
}
Seam<CfgOptionWatch> cfg_optionWatch{"CfgOptionWatch", "editor"};
int cfg_refresh = 0;
int cfg_noConfigFiles = 0;
int cfg_configInNonDefault = 0;
int cfg_errorsInFile = 0;

// Messages of the configuration code go to the message stream, one line each.
void cfg_Say(const char* format, ...) {
    char buf[4096];
    va_list ap;
    va_start(ap, format);
    vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    size_t n = strlen(buf);
    if (n == 0 || buf[n - 1] != '\n')
        mprintf("%s\n", buf);
    else
        mprintf("%s", buf);
}

static int* intVar(const CfgOption& o) {
    return static_cast<int*>(o.value);
}
static std::string* strVar(const CfgOption& o) {
    return static_cast<std::string*>(o.value);
}
static CfgSize* sizeVar(const CfgOption& o) {
    return static_cast<CfgSize*>(o.value);
}

int cfg_OptionInt(const CfgOption& option) {
    return option.value ? *intVar(option) : 0;
}

const std::string& cfg_OptionString(const CfgOption& option) {
    static const std::string none;
    return option.value ? *strVar(option) : none;
}

// ---- lookup ----

CfgOption* cfg_SearchTable(const char* name, CfgOption* table) {
    if (!name || !table) return nullptr;
    for (CfgOption* o = table; o->name; o++)
        if (strcmp(o->name, name) == 0) return o;
    return nullptr;
}

CfgOption* cfg_FindOption(const char* name) {
    for (CfgOption* table : cfg_AllTables)
        if (CfgOption* o = cfg_SearchTable(name, table)) return o;
    return nullptr;
}

// ---- numbers and flags ----

int cfg_ParseInt(int* value, const char* text, const CfgRange* range) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') text++;
    long long v;
    const char* end;
    if (strncasecmp(text, "all", 3) == 0 && range) {
        v = range->max;
        end = text + 3;
    } else {
        const char* p = text;
        bool negative = false;
        if (*p == '-' || *p == '+') negative = *p++ == '-';
        if (!isdigit((unsigned char)*p)) return 0;
        char* e = nullptr;
        errno = 0;
        unsigned long long u = strtoull(p, &e, 0);
        if (errno == ERANGE || u > (unsigned long long)LLONG_MAX / 2) u = LLONG_MAX / 2;
        v = negative ? -(long long)u : (long long)u;
        end = e;
        long long scale = 1;
        if (*end == 'k' || *end == 'K') scale = 1024;
        else if (*end == 'm' || *end == 'M') scale = 1048576;
        if (scale > 1) {
            // Huge numbers with a suffix clamp instead of overflowing.
            v = (v > LLONG_MAX / 4 / scale || v < -(LLONG_MAX / 4 / scale))
                    ? (v < 0 ? LLONG_MIN / 4 : LLONG_MAX / 4)
                    : v * scale;
            end++;
        }
    }
    while (*end == ' ' || *end == '\t') end++;
    if (*end) return 0;
    if (range) {
        if (v < range->min) v = range->min;
        if (v > range->max) v = range->max;
    } else {
        if (v < INT_MIN) v = INT_MIN;
        if (v > INT_MAX) v = INT_MAX;
    }
    *value = (int)v;
    return 1;
}

int xFlagValue(const char* text, int* value) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') text++;
    static const char* const on[] = {"yes", "on", "1", "true"};
    static const char* const off[] = {"no", "off", "0", "false"};
    for (const char* w : on)
        if (strcasecmp(text, w) == 0) return *value = 1, 1;
    for (const char* w : off)
        if (strcasecmp(text, w) == 0) return *value = 0, 1;
    return 0;
}

// ---- choices ----

const ChoiceValue* cfg_valFChoice(const ChoiceValue* table, int value) {
    for (const ChoiceValue* c = table; c && c->name; c++)
        if (c->value == value) return c;
    return nullptr;
}

const char* cfg_valueFChoice(const ChoiceValue* table, int value) {
    const ChoiceValue* c = cfg_valFChoice(table, value);
    return c ? c->name : nullptr;
}

int ChoiceValues_Search(const ChoiceValue* table, const char* name, int* value,
                        const char** stored, const char** other) {
    if (!table || !name || !*name) return -3;
    // Exact matches first: the stored name, then the label, then the older names.
    for (const ChoiceValue* c = table; c->name; c++) {
        if (strcasecmp(c->name, name) == 0 || (c->label && strcasecmp(c->label, name) == 0)) {
            *value = c->value;
            if (stored) *stored = c->name;
            return 1;
        }
    }
    for (const ChoiceValue* c = table; c->name; c++) {
        for (const char* const* o = c->others; o && *o; o++) {
            if (strcasecmp(*o, name) == 0) {
                *value = c->value;
                if (stored) *stored = c->name;
                if (other) *other = *o;
                return 2;
            }
        }
    }
    // Then a unique prefix of any of them.
    size_t n = strlen(name);
    const ChoiceValue* found = nullptr;
    int foundOld = 0;
    for (const ChoiceValue* c = table; c->name; c++) {
        bool byName = strncasecmp(c->name, name, n) == 0 ||
                      (c->label && strncasecmp(c->label, name, n) == 0);
        bool byOld = false;
        for (const char* const* o = c->others; !byName && o && *o; o++)
            if (strncasecmp(*o, name, n) == 0) byOld = true;
        if (!byName && !byOld) continue;
        if (found && found != c) {
            if (stored) *stored = found->name;
            if (other) *other = c->name;
            return -4;
        }
        found = c;
        foundOld = byName ? 0 : 1;
    }
    if (!found) return -3;
    *value = found->value;
    if (stored) *stored = found->name;
    return foundOld ? 2 : 1;
}

int ChoiceValues_NoisySearch(const ChoiceValue* table, const char* name, int* value,
                             const char** stored) {
    const char* st = nullptr;
    const char* other = nullptr;
    int r = ChoiceValues_Search(table, name, value, &st, &other);
    if (stored) *stored = st;
    if (r == 2 && debugFlag[XSW_CONFIGDEPRECATED])
        mprintf("\"%.256s\" is deprecated; use \"%.256s\" instead\n", name, st);
    if (r == -4) cfg_Say("\"%.256s\" is ambiguous; could mean \"%s\" or \"%s\"", name, st, other);
    if (r == -3) {
        int count = 0;
        for (const ChoiceValue* c = table; c && c->name; c++) count++;
        std::string list;
        for (int i = count - 1; i >= 0; i--) {
            if (i != count - 1) list += (i == 0) ? (count == 2 ? " and " : ", and ") : ", ";
            list += std::string("\"") + table[i].name + "\"";
        }
        cfg_Say("\"%.256s\" is not valid; possible choices are %.256s", name ? name : "",
               list.c_str());
    }
    return r;
}

// ---- storing ----

static void changed(const CfgOption& option) {
    if (CfgOptionWatch* watch = cfg_optionWatch.find()) watch->optionChanged(option.name);
}

int cfg_StoreInt(CfgOption& option, const char* text) {
    int v;
    if (!cfg_ParseInt(&v, text, &option.range)) return 0;
    *intVar(option) = v;
    changed(option);
    return 1;
}

int cfg_StoreBool(CfgOption& option, const char* text) {
    int v;
    if (!xFlagValue(text, &v)) {
        cfg_Say("\"%s\" does not represent a boolean value. Use one of these:\n"
               "yes on 1 true no off 0 false\n",
               text);
        return 0;
    }
    *intVar(option) = v;
    changed(option);
    return 1;
}

int cfg_StoreString(CfgOption& option, const char* text) {
    *strVar(option) = text ? text : "";
    changed(option);
    return 1;
}

int cfg_StoreChoice(CfgOption& option, const char* storedName) {
    int v;
    if (ChoiceValues_NoisySearch(option.choices, storedName, &v, nullptr) < 0) return 0;
    *intVar(option) = v;
    changed(option);
    return 1;
}

// ---- setting by type ----

int cfg_Boolean(CfgOption& option, const char* text) {
    if (!text || !*text) text = cfg_OptionInt(option) ? "Off" : "On";
    if (option.setter) return option.setter(option, text);
    return cfg_StoreBool(option, text);
}

int cfg_Integer(CfgOption& option, const char* text) {
    if (option.setter) return option.setter(option, text);
    return cfg_StoreInt(option, text);
}

int cfg_Choice(CfgOption& option, const char* text) {
    int v;
    const char* stored = nullptr;
    if (ChoiceValues_NoisySearch(option.choices, text, &v, &stored) < 0) return 0;
    if (v == cfg_OptionInt(option)) return 1;
    if (option.setter) return option.setter(option, stored);
    *intVar(option) = v;
    changed(option);
    return 1;
}

int cfg_ReadWord(const char* text, std::string& word) {
    word.clear();
    if (!text) return 1;
    while (*text == ' ' || *text == '\t') text++;
    if (*text != '"') {
        word = text;
        while (!word.empty() && (word.back() == ' ' || word.back() == '\t')) word.pop_back();
        return 1;
    }
    const char* p = text + 1;
    for (;; p++) {
        if (!*p) return 0; // no closing quote
        if (*p == '"') break;
        if (*p != '\\') {
            word += *p;
            continue;
        }
        p++;
        switch (*p) {
        case 0: return 0;
        case 'n': word += '\n'; break;
        case 't': word += '\t'; break;
        case 'r': word += '\r'; break;
        default:
            if (*p >= '0' && *p <= '7') {
                int v = 0;
                for (int i = 0; i < 3 && *p >= '0' && *p <= '7'; i++) v = v * 8 + (*p++ - '0');
                p--;
                word += (char)v;
            } else {
                word += *p;
            }
        }
    }
    for (p++; *p == ' ' || *p == '\t'; p++) {}
    return *p == 0;
}

std::string cfg_QuoteWord(const std::string& word) {
    // A leading ":" or "=" would be taken for the separator, blanks at the ends are stripped.
    bool quote = !word.empty() && (strchr("\" \t:=", word[0]) || word.back() == ' ' ||
                                   word.back() == '\t');
    for (unsigned char c : word)
        if (c < 32 || c == 127) quote = true;
    if (!quote) return word;
    std::string out = "\"";
    for (unsigned char c : word) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 32 || c == 127) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

int cfg_String(CfgOption& option, const char* text) {
    std::string word;
    if (!cfg_ReadWord(text, word)) return 0;
    if (word == *strVar(option)) return 1;
    if (option.setter) return option.setter(option, word.c_str());
    return cfg_StoreString(option, word.c_str());
}

static int setColor(CfgOption& option, const char* text) {
    int r, g, b;
    if (!text || !*text || !cfg_Display().parseColor(text, &r, &g, &b)) return 0;
    *strVar(option) = text;
    if (option.colorSlot >= 0 && option.colorSlot < CFG_COLOR_COUNT)
        cfg_colors[option.colorSlot] = CfgColor{r, g, b};
    changed(option);
    return 1;
}

int cfg_Color(CfgOption& option, const char* text) {
    if (blackwhite) return 0;
    if (cfg_Display().monochrome()) return 0;
    std::string word;
    if (!cfg_ReadWord(text, word)) return 0;
    return setColor(option, word.c_str());
}

int cfg_Size(CfgOption& option, const char* text) {
    CfgSize size;
    const char* p = text ? text : "";
    while (*p == ' ' || *p == '\t') p++;
    auto digits = [&](int* out) {
        if (!isdigit((unsigned char)*p)) return 0;
        long v = 0;
        while (isdigit((unsigned char)*p)) {
            if (v < 1000000) v = v * 10 + (*p - '0');
            p++;
        }
        *out = (int)v;
        return 1;
    };
    int w = 0, h = 0;
    int haveW = digits(&w), haveH = 0;
    if (*p == 'x' || *p == 'X') {
        p++;
        haveH = digits(&h);
    }
    int pixels = 0;
    if (*p == 'p' || *p == 'P') {
        pixels = 1;
        p++;
    }
    while (*p == ' ' || *p == '\t') p++;
    if (*p) return 0;
    if (haveW || haveH) {
        size.flags = CFGSIZE_SET | (pixels ? CFGSIZE_PIXELS : 0);
        size.width = pixels ? w : w * cfg_Display().charWidth();
        size.height = pixels ? h : h * cfg_Display().lineHeight();
    }
    *sizeVar(option) = size;
    changed(option);
    return 1;
}

int cfg_Func(CfgOption& option, const char* text) {
    if (!option.setter) return 1;
    return option.setter(option, text ? text : "");
}

int cfg_SetOption(CfgOption& option, const char* text) {
    switch (option.type) {
    case CFG_BOOL: return cfg_Boolean(option, text);
    case CFG_INT: return cfg_Integer(option, text);
    case CFG_CHOICE: return cfg_Choice(option, text);
    case CFG_COLOR: return cfg_Color(option, text);
    case CFG_STRING: return cfg_String(option, text);
    case CFG_SIZE: return cfg_Size(option, text);
    case CFG_FUNC: return cfg_Func(option, text);
    default:
        fprintf(stderr, "Unrecognized Config Option Type\n");
        return 0;
    }
}

// ---- lines and files ----

int cfg_ScanLine(const char* line) {
    if (!line) return 1;
    while (*line == ' ' || *line == '\t') line++;
    std::string text = line;
    while (!text.empty() && strchr("\n\r \t", text.back())) text.pop_back();
    if (text.empty()) return 1;
    size_t kwEnd = text.find_first_of(" \t:=");
    if (kwEnd == std::string::npos) kwEnd = text.size();
    std::string keyword = text.substr(0, kwEnd);
    size_t valStart = text.find_first_not_of(" \t:=", kwEnd);
    std::string value = valStart == std::string::npos ? "" : text.substr(valStart);
    if (!keyword.empty() && keyword[0] == '#') return 1;
    const char* kw = keyword.c_str();
    if (!strcasecmp(kw, "endif") || !strcasecmp(kw, "else") || !strcasecmp(kw, "elseif") ||
        !strcasecmp(kw, "elif"))
        return 0;
    if (CfgOption* option = keyword.empty() ? nullptr : cfg_FindOption(kw)) {
        if (cfg_SetOption(*option, value.c_str())) {
            cfg_refresh |= option->redraw;
            return 1;
        }
        if (option->type == CFG_CHOICE) {
            if (value.empty())
                cfg_Say("Must give new setting");
            else
                cfg_Say("Invalid setting: %s", value.c_str());
            cfg_Say("Valid settings:");
            for (const ChoiceValue* c = option->choices; c && c->name; c++) cfg_Say("  %s", c->name);
        } else if (option->type != CFG_FUNC) {
            cfg_Say("%s is not a valid setting of %s.\n", value.c_str(), option->name);
        }
        return 0;
    }
    int r = keyword.empty() ? -1 : shr_ConfigureLine(kw, value.c_str());
    if (r >= 0) return r;
    cfg_Say("Unknown configuration option: %s %s", kw, value.c_str());
    return 0;
}

// Lines are read in pieces of at most this many characters: the rest of a longer line is read
// as the lines that follow. A NUL byte ends a piece's text.
constexpr size_t maxConfigLine = 1999;

// The next line (or piece of one) without its line end into `line`; false at the end of the
// input.
static bool readConfigLine(FILE* f, std::string& line) {
    line.clear();
    int c;
    size_t taken = 0;
    bool nul = false;
    while (taken < maxConfigLine && (c = getc(f)) != EOF) {
        taken++;
        if (c == '\n') break;
        if (c == 0) nul = true;
        if (!nul) line.push_back((char)c);
    }
    return taken > 0;
}

int cfg_ReadFile(const char* path) {
    static int depth = 0;
    if (!path) return 0;
    if (depth >= 16) {
        cfg_Say("Configuration files nested too deeply: %s", path);
        return 0;
    }
    if (gen_isdir(path)) return 0;
    FILE* f = gen_fopenregular(path);
    if (!f) {
        if (errno == EINVAL) cfg_Say("Not a regular file: %s", path);
        return 0;
    }
    if (debugFlag[XSW_CONFIGTRACE]) mprintf("Reading Configuration File: %s\n", path);
    depth++;
    int savedErrors = cfg_errorsInFile;
    cfg_errorsInFile = 0;
    std::string line;
    int result = 1;
    while (readConfigLine(f, line)) {
        if (cfg_ScanLine(line.c_str())) continue;
        if (++cfg_errorsInFile >= 50) {
            mprintf("Too many errors, aborting.\n");
            result = 0;
            break;
        }
    }
    fclose(f);
    cfg_errorsInFile = savedErrors;
    depth--;
    return result;
}

// ---- defaults ----

static void applyDefault(CfgOption& o) {
    switch (o.type) {
    case CFG_BOOL:
    case CFG_INT:
    case CFG_CHOICE:
        if (*intVar(o) == 0) *intVar(o) = (int)o.dflt;
        break;
    case CFG_STRING:
        if (strVar(o)->empty() && o.dfltStr) *strVar(o) = o.dfltStr;
        break;
    case CFG_COLOR:
        setColor(o, o.dfltStr);
        break;
    default: break;
    }
}

void cfg_SetEverythingToDefaults() {
    for (CfgColor& c : cfg_colors) c = CfgColor{};
    for (CfgOption* table : cfg_AllTables)
        for (CfgOption* o = table; o->name; o++) applyDefault(*o);
}

void cfg_ResetOptionsForTest() {
    for (CfgOption* table : cfg_AllTables) {
        for (CfgOption* o = table; o->name; o++) {
            if (!o->value) continue;
            switch (o->type) {
            case CFG_BOOL:
            case CFG_INT:
            case CFG_CHOICE: *intVar(*o) = 0; break;
            case CFG_STRING:
            case CFG_COLOR: strVar(*o)->clear(); break;
            case CFG_SIZE: *sizeVar(*o) = CfgSize{}; break;
            default: break;
            }
        }
    }
    cfg_SetEverythingToDefaults();
    cfg_refresh = 0;
}

// ---- the site and user files ----

char* cfg_GetSiteConfigDir() {
    return gen_sconcat(gen_getprogdir(), "config");
}

char* cfg_GetUserConfigDir(int create) {
    const char* home = gen_getenv("HOME", nullptr);
    char* dir = gen_sconcat(home && *home ? home : "/", ".tql");
    if (create && !gen_isdir(dir) && mkdir(dir, 0755) != 0) {
        std::string msg = std::string("Couldn't create user config directory: ") + dir;
        if (XWindowsOn)
            WAlert(msg.c_str());
        else
            mprintf("%s\n", msg.c_str());
        gen_free(dir);
        return nullptr;
    }
    return dir;
}

char* cfg_CreateConfigFilename(const char* dir, const char* name) {
    return gen_changesuffix2(dir, name, ".cfg");
}

int shr_ReadConfigFiles(const char* name) {
    if (cfg_noConfigFiles) return 1;
    int saved = cfg_configInNonDefault;
    GenStr siteDir(cfg_GetSiteConfigDir());
    GenStr site(cfg_CreateConfigFilename(siteDir.get(), name));
    cfg_ReadFile(site.get());
    cfg_RememberCurrentSettings(0);
    GenStr userDir(cfg_GetUserConfigDir(0));
    if (userDir) {
        GenStr user(cfg_CreateConfigFilename(userDir.get(), name));
        cfg_ReadFile(user.get());
    }
    cfg_configInNonDefault = saved;
    return 1;
}

void cfg_StartupConfiguration(int readFiles) {
    cfg_SetEverythingToDefaults();
    LoadDefaultBindings();
    cfg_RememberCurrentSettings(0);
    if (readFiles) shr_ReadConfigFiles("qe");
    ReadResourceEditButtons();
    cfg_RememberCurrentSettings(1);
    cfg_RememberCurrentSettings(2);
}
