// config/bindings.cc: binding lists, the binding syntax, lookups, listing and snapshots.
#include "config/bindings.h"

#include <cctype>
#include <cstdarg>
#include <cstring>
#include <strings.h>

#include "config/cfg.h"
#include "runtime/error.h"

namespace {

Binding* generalMice = nullptr;
Binding* editMice = nullptr;
Binding* scrollMice = nullptr;
Binding* generalKeys[KEY_CODES];
Binding* editKeys[KEY_CODES];


void freeList(Binding*& head) {
    while (head) {
        Binding* next = head->next;
        delete head;
        head = next;
    }
}

bool sameIdentity(const Binding& a, const Binding& b) {
    return a.locKind == b.locKind && a.location == b.location && a.trigger == b.trigger &&
           a.count == b.count && a.modifiers == b.modifiers && a.kind == b.kind;
}

Binding** listFor(const Binding& b, int isKey) {
    if (isKey) {
        if (b.trigger < 0 || b.trigger >= KEY_CODES) return nullptr;
        return b.locKind == LOC_EDITOR ? &editKeys[b.trigger] : &generalKeys[b.trigger];
    }
    if (b.locKind == LOC_EDITOR) return &editMice;
    if (b.locKind == LOC_SCROLLBAR) return &scrollMice;
    return &generalMice;
}

// Case-blind search of a name table: exact, else a unique prefix. 1 found, 0 none,
// -1 ambiguous (the two names in a and b).
template <class Row>
int searchNames(const std::vector<Row>& table, const std::string& name, size_t* index,
                std::string* a, std::string* b) {
    for (size_t i = 0; i < table.size(); i++)
        if (strcasecmp(table[i].name.c_str(), name.c_str()) == 0) return *index = i, 1;
    int found = -1;
    for (size_t i = 0; i < table.size(); i++) {
        if (name.empty() || strncasecmp(table[i].name.c_str(), name.c_str(), name.size()) != 0)
            continue;
        if (found >= 0) {
            *a = table[found].name;
            *b = table[i].name;
            return -1;
        }
        found = (int)i;
    }
    if (found < 0) return 0;
    *index = (size_t)found;
    return 1;
}

int findLocation(const std::string& name, int* kind, unsigned* mask) {
    std::string a, b;
    int ambiguous = 0;
    std::string ambA, ambB;
    for (int k : {LOC_TOOLKIT, LOC_EDITOR, LOC_SCROLLBAR}) {
        size_t i;
        int r = searchNames(BindingLocations(k), name, &i, &a, &b);
        if (r == 1) {
            *kind = k;
            *mask = BindingLocations(k)[i].mask;
            return 1;
        }
        if (r < 0 && !ambiguous) {
            ambiguous = 1;
            ambA = a;
            ambB = b;
        }
    }
    if (ambiguous)
        cfg_Say("Ambiguous name %s match %s or %s", name.c_str(), ambA.c_str(), ambB.c_str());
    else
        cfg_Say("Nothing matches %s", name.c_str());
    return 0;
}

const char* locationName(int kind, unsigned mask) {
    for (const LocName& l : BindingLocations(kind))
        if (l.mask == mask) return l.name.c_str();
    return "?";
}

bool isPunct(int key) {
    return key > 32 && key < 127 && !isalnum(key);
}

bool modsMatch(const Binding& b, unsigned ev, int key) {
    if (b.modifiers == MOD_ANY) return true;
    unsigned relevant = b.modifiers | MOD_SHIFT | MOD_CONTROL | MOD_META;
    // Shift is part of typing most punctuation; it counts only when the binding names it.
    if (key >= 0 && isPunct(key) && !(b.modifiers & MOD_SHIFT)) relevant &= ~MOD_SHIFT;
    return (ev & relevant) == b.modifiers;
}

void trimRight(std::string& s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
}

// Index of the brace closing the one at open, skipping quoted strings; npos if none.
size_t matchingBrace(const std::string& s, size_t open) {
    int depth = 0;
    bool quoted = false;
    for (size_t i = open; i < s.size(); i++) {
        char c = s[i];
        if (quoted) {
            if (c == '\\')
                i++;
            else if (c == '"')
                quoted = false;
            continue;
        }
        if (c == '"')
            quoted = true;
        else if (c == '{')
            depth++;
        else if (c == '}' && --depth == 0)
            return i;
    }
    return std::string::npos;
}

struct Snapshot {
    std::vector<Binding> keys, mice;
    bool taken = false;
};
Snapshot snapshots[3];

void collect(Binding* head, std::vector<Binding>& out) {
    std::vector<Binding*> items;
    for (Binding* b = head; b; b = b->next) items.push_back(b);
    // Oldest first, so that reading the lines back rebuilds the same order.
    for (size_t i = items.size(); i-- > 0;) {
        Binding copy = *items[i];
        copy.next = nullptr;
        out.push_back(copy);
    }
}

std::vector<Binding> allKeys() {
    std::vector<Binding> out;
    for (int k = 0; k < KEY_CODES; k++) collect(generalKeys[k], out);
    for (int k = 0; k < KEY_CODES; k++) collect(editKeys[k], out);
    return out;
}

std::vector<Binding> allMice() {
    std::vector<Binding> out;
    collect(generalMice, out);
    collect(editMice, out);
    collect(scrollMice, out);
    return out;
}

} // namespace

int bindingsChanged[3][BIND_CATS];

void MarkBindingsChanged(int category) {
    for (auto& level : bindingsChanged) level[category] = 1;
}

const char* const scrollBarActions[] = {
    "UpLineScroll", "DownLineScroll", "TrackPointer", "JTrackPointer", "UpPage", "DownPage",
    "UpHalfPage",   "DownHalfPage",   "StartOfText",  "EndOfText",     nullptr,
};

std::vector<LocName>& BindingLocations(int kind) {
    static std::vector<LocName> toolkit = {
        {"All", TKLOC_ALL},       {"Window", TKLOC_WINDOW},       {"Dialog", TKLOC_DIALOG},
        {"Menu", TKLOC_MENU},     {"Button", TKLOC_BUTTON},       {"TextField", TKLOC_TEXTFIELD},
        {"List", TKLOC_LIST},     {"BitEdit", TKLOC_BITEDIT},
    };
    static std::vector<LocName> editor = {
        {"Edit", EDITLOC_EDIT}, {"Edit1", 0x2},   {"Edit2", 0x4},   {"Edit3", 0x8},
        {"Edit4", 0x10},        {"Edit5", 0x20},  {"Edit6", 0x40},  {"Edit7", 0x80},
        {"Edit8", 0x100},       {"Edit9", 0x200}, {"EditMargin", EDITLOC_MARGIN},
    };
    static std::vector<LocName> scroll = {
        {"ScrollBar", SBLOC_ALL},        {"ScrollUpArrow", SBLOC_UPARROW},
        {"ScrollDownArrow", SBLOC_DOWNARROW}, {"ScrollAbove", SBLOC_ABOVE},
        {"ScrollBelow", SBLOC_BELOW},    {"ScrollThumb", SBLOC_THUMB},
    };
    return kind == LOC_EDITOR ? editor : kind == LOC_SCROLLBAR ? scroll : toolkit;
}

std::vector<ModName>& BindingModifiers() {
    static std::vector<ModName> mods = {
        {"Shift", MOD_SHIFT}, {"Control", MOD_CONTROL}, {"Meta", MOD_META},
        {"CapsLock", MOD_LOCK}, {"Lock", MOD_LOCK},     {"Mod1", MOD_META},
        {"Mod2", MOD_MOD2},   {"Mod3", MOD_MOD3},       {"Mod4", MOD_MOD4},
        {"Mod5", MOD_MOD5},   {"Any", MOD_ANY},
    };
    return mods;
}

// ---- the syntax ----

int parseMouseSpec(const char* spec, int isKey, const char* defaultLoc, Binding* out,
                   int store) {
    if (!spec) spec = "";
    const char* p = spec;
    while (*p == ' ' || *p == '\t') p++;
    Binding b;
    b.kind = isKey ? EV_PRESS : EV_RELEASE;
    b.trigger = -1;

    // 1. trigger
    if (isKey) {
        if (!*p) {
            cfg_Say("No key specified in %s", spec);
            return 0;
        }
        if (*p == '"' && p[1] == '\\' && p[2] && p[3] == '"') {
            b.trigger = (unsigned char)p[2];
            p += 4;
        } else if (*p == '"' && p[1] && p[2] == '"') {
            b.trigger = (unsigned char)p[1];
            p += 3;
        } else if (*p == '"') {
            const char* close = strchr(p + 1, '"');
            std::string name = close ? std::string(p + 1, close - p - 1) : std::string(p + 1);
            int code = close ? KeyNameToCode(name.c_str()) : -1;
            if (code < 0) {
                std::string msg = "Unknown key name in " + std::string(spec) +
                                  "\nAcceptable ones are:\n";
                for (int c = 256; c < KEY_CODES; c++)
                    if (const char* n = KeyCodeName(c)) msg += std::string(n) + "\n";
                msg += "Or any character in latin1 (iso 8859), enclosed in double quotes\n";
                mprintf("%s", msg.c_str());
                return 0;
            }
            b.trigger = code;
            p = close + 1;
        } else {
            b.trigger = (unsigned char)*p++;
        }
        if (b.trigger >= 'A' && b.trigger <= 'Z') {
            b.trigger += 'a' - 'A';
            b.modifiers |= MOD_SHIFT;
        }
    } else {
        int buttons = 0;
        if (strncasecmp(p, "any", 3) == 0) {
            buttons = BUTTON_ANY;
            p += 3;
        } else if (strncasecmp(p, "button", 6) == 0) {
            p += 6;
        } else if (strncasecmp(p, "mouse", 5) == 0) {
            p += 5;
        }
        while (*p >= '1' && *p <= '5') buttons |= BUTTON1 << (*p++ - '1');
        if (!buttons) {
            cfg_Say("No button specified in %s", spec);
            return 0;
        }
        b.trigger = buttons;
    }

    // 2. event, clicks, at once
    if (*p == '*') {
        p++;
        const char* w = p;
        while (isalpha((unsigned char)*p)) p++;
        std::string word(w, p - w);
        if (!strcasecmp(word.c_str(), "click") || !strcasecmp(word.c_str(), "release"))
            b.kind = EV_RELEASE;
        else if (!strcasecmp(word.c_str(), "press"))
            b.kind = EV_PRESS;
        else if (!strcasecmp(word.c_str(), "either"))
            b.kind = EV_EITHER;
        else if (!word.empty()) {
            cfg_Say("Unknown event %s in %s", word.c_str(), spec);
            return 0;
        }
        int count = 0;
        while (isdigit((unsigned char)*p)) {
            if (count < 1000) count = count * 10 + (*p - '0');
            p++;
        }
        b.count = count ? count : 1;
        if (strncasecmp(p, "(atonce)", 8) == 0) {
            b.atOnce = 1;
            p += 8;
        }
    }

    // 3. modifiers
    while (*p == '|') {
        p++;
        size_t n = strcspn(p, "|@=* \t");
        std::string name(p, n);
        p += n;
        size_t i;
        std::string a, c;
        int r = searchNames(BindingModifiers(), name, &i, &a, &c);
        if (r < 0) {
            cfg_Say("Ambiguous name %s match %s or %s", name.c_str(), a.c_str(), c.c_str());
            return 0;
        }
        if (r == 0) {
            cfg_Say("Nothing matches %s", name.c_str());
            return 0;
        }
        b.modifiers |= BindingModifiers()[i].mask;
    }

    // 4. location
    if (*p == '@') {
        p++;
        size_t n = strcspn(p, "= \t@");
        std::string name(p, n);
        p += n;
        if (!findLocation(name, &b.locKind, &b.location)) return 0;
    } else if (defaultLoc) {
        if (!findLocation(defaultLoc, &b.locKind, &b.location)) return 0;
    } else {
        cfg_Say("No location specified in %s, %s", spec, isKey ? "key" : "mouse");
        return 0;
    }
    if (isKey && b.locKind == LOC_SCROLLBAR) {
        cfg_Say("Scroll-bar locations take mouse bindings only: %s", spec);
        return 0;
    }

    // 5. label
    while (*p == ' ' || *p == '\t') p++;
    bool hasLabel = false;
    if (*p == '@') {
        p++;
        size_t n = strcspn(p, "=");
        b.label.assign(p, n);
        trimRight(b.label);
        p += n;
        hasLabel = true;
    }

    // 6. command, or removal (8)
    while (*p == ' ' || *p == '\t') p++;
    bool removal = *p == 0 && !hasLabel;
    if (!removal) {
        if (*p != '=') {
            cfg_Say("No command specified in %s", spec);
            return 0;
        }
        p++;
        while (*p == ' ' || *p == '\t') p++;
        std::string cmd = p;
        trimRight(cmd);
        if (!cmd.empty() && cmd[0] == '{' && matchingBrace(cmd, 0) == cmd.size() - 1) {
            cmd = cmd.substr(1, cmd.size() - 2);
            size_t first = cmd.find_first_not_of(" \t");
            cmd = first == std::string::npos ? "" : cmd.substr(first);
            trimRight(cmd);
        }
        if (cmd.empty()) {
            cfg_Say("No command specified in %s", spec);
            return 0;
        }
        if (b.locKind == LOC_SCROLLBAR) {
            const char* action = nullptr;
            for (const char* const* a = scrollBarActions; *a; a++)
                if (strcasecmp(*a, cmd.c_str()) == 0) action = *a;
            if (!action) {
                cfg_Say("Nothing matches %s", cmd.c_str());
                return 0;
            }
            cmd = action;
        }
        b.command = cmd;
    }
    if (out) *out = b;
    if (!store) return 1;

    // 7. store
    Binding** head = listFor(b, isKey);
    if (!head) return 0;
    for (Binding** q = head; *q; q = &(*q)->next) {
        if (!sameIdentity(**q, b)) continue;
        if (removal) {
            Binding* dead = *q;
            *q = dead->next;
            delete dead;
        } else {
            (*q)->command = b.command;
            (*q)->label = b.label;
            (*q)->atOnce = b.atOnce;
        }
        MarkBindingsChanged(isKey ? BIND_KEYS : BIND_MICE);
        return 1;
    }
    if (removal) {
        cfg_Say("Not Found");
        return 0;
    }
    Binding* nb = new Binding(b);
    nb->next = *head;
    *head = nb;
    MarkBindingsChanged(isKey ? BIND_KEYS : BIND_MICE);
    return 1;
}

int parseKey(const char* spec) {
    return parseMouseSpec(spec, 1, "Edit", nullptr, 1);
}

int parseMouse(const char* spec) {
    return parseMouseSpec(spec, 0, "Edit", nullptr, 1);
}

void clearKeys() {
    for (int k = 0; k < KEY_CODES; k++) {
        freeList(generalKeys[k]);
        freeList(editKeys[k]);
    }
    MarkBindingsChanged(BIND_KEYS);
}

void clearMice() {
    freeList(generalMice);
    freeList(editMice);
    freeList(scrollMice);
    MarkBindingsChanged(BIND_MICE);
}

void LoadDefaultBindings() {
    for (const char* const* k = edit_DefaultKeys; *k; k++) parseMouseSpec(*k, 1, nullptr, nullptr, 1);
    for (const char* const* m = edit_DefaultMice; *m; m++) parseMouseSpec(*m, 0, nullptr, nullptr, 1);
}

// ---- lookups ----

static const Binding* findKey(Binding* head, int key, unsigned mods, unsigned mask) {
    for (Binding* b = head; b; b = b->next)
        if ((b->location & mask) && b->kind != EV_RELEASE && modsMatch(*b, mods, key)) return b;
    return nullptr;
}

static void normaliseKey(int& key, unsigned& mods) {
    if (key >= 'A' && key <= 'Z') {
        key += 'a' - 'A';
        mods |= MOD_SHIFT;
    }
}

const Binding* FindEditKeyBinding(int key, unsigned modifiers, unsigned mode, unsigned altMode) {
    normaliseKey(key, modifiers);
    if (key < 0 || key >= KEY_CODES) return nullptr;
    const Binding* b = findKey(editKeys[key], key, modifiers, mode);
    if (!b && altMode) b = findKey(editKeys[key], key, modifiers, altMode);
    if (!b) b = findKey(generalKeys[key], key, modifiers, TKLOC_WINDOW);
    return b;
}

const char* InterpretEditKey(int key, unsigned modifiers, unsigned mode, unsigned altMode) {
    const Binding* b = FindEditKeyBinding(key, modifiers, mode, altMode);
    return b ? b->command.c_str() : nullptr;
}

const char* InterpretKey(int key, unsigned modifiers, unsigned location) {
    normaliseKey(key, modifiers);
    if (key < 0 || key >= KEY_CODES) return nullptr;
    const Binding* b = findKey(generalKeys[key], key, modifiers, location);
    return b ? b->command.c_str() : nullptr;
}

static const Binding* findMouse(Binding* head, int button, unsigned mods, unsigned mask,
                                int clicks, int kind) {
    for (Binding* b = head; b; b = b->next) {
        if (!(b->trigger & button) || !(b->location & mask) || b->count != clicks) continue;
        if (b->kind != kind && b->kind != EV_EITHER) continue;
        if (modsMatch(*b, mods, -1)) return b;
    }
    return nullptr;
}

const Binding* FindEditMouseBinding(int button, unsigned modifiers, unsigned mode,
                                    unsigned altMode, int clicks, int pressOrRelease) {
    const Binding* b = findMouse(editMice, button, modifiers, mode, clicks, pressOrRelease);
    if (!b && altMode)
        b = findMouse(editMice, button, modifiers, altMode, clicks, pressOrRelease);
    if (!b) b = findMouse(generalMice, button, modifiers, TKLOC_WINDOW, clicks, pressOrRelease);
    return b;
}

const char* InterpretEditMouse(int button, unsigned modifiers, unsigned mode, unsigned altMode,
                               int clicks, int pressOrRelease, const char* dflt) {
    const Binding* b =
        FindEditMouseBinding(button, modifiers, mode, altMode, clicks, pressOrRelease);
    return b ? b->command.c_str() : dflt;
}

const char* InterpretMouse(int button, unsigned modifiers, unsigned location, int clicks,
                           int pressOrRelease) {
    const Binding* b = findMouse(generalMice, button, modifiers, location, clicks, pressOrRelease);
    return b ? b->command.c_str() : nullptr;
}

const char* InterpretScrollBarMouse(int button, unsigned modifiers, unsigned part, int clicks,
                                    int pressOrRelease) {
    const Binding* b = findMouse(scrollMice, button, modifiers, part, clicks, pressOrRelease);
    return b ? b->command.c_str() : nullptr;
}

// ---- listing ----

std::string BindingIdentitySpec(const Binding& b, int isKey) {
    std::string s;
    if (isKey) {
        int k = b.trigger;
        if (k >= 256) {
            s = std::string("\"") + (KeyCodeName(k) ? KeyCodeName(k) : "?") + "\"";
        } else if (k == '"' || k == '\\') {
            s = std::string("\"\\") + (char)k + "\"";
        } else {
            s = std::string("\"") + (char)k + "\"";
        }
        if (b.kind != EV_PRESS || b.count != 1 || b.atOnce)
            s += b.kind == EV_PRESS ? "*Press" : b.kind == EV_RELEASE ? "*Release" : "*Either";
    } else {
        if (b.trigger == BUTTON_ANY) {
            s = "Any";
        } else {
            s = "Mouse";
            for (int i = 0; i < 5; i++)
                if (b.trigger & (BUTTON1 << i)) s += (char)('1' + i);
        }
        s += b.kind == EV_PRESS ? "*Press" : b.kind == EV_RELEASE ? "*Release" : "*Either";
    }
    if (!isKey || b.kind != EV_PRESS || b.count != 1 || b.atOnce) {
        s += std::to_string(b.count);
        if (b.atOnce) s += "(AtOnce)";
    }
    if (b.modifiers == MOD_ANY) {
        s += "|" + BindingModifiers().back().name;
    } else {
        unsigned done = 0;
        for (const ModName& m : BindingModifiers()) {
            if (m.mask == MOD_ANY || !(b.modifiers & m.mask) || (done & m.mask)) continue;
            s += "|" + m.name;
            done |= m.mask;
        }
    }
    s += "@";
    s += locationName(b.locKind, b.location);
    return s;
}

std::string BindingSpec(const Binding& b, int isKey) {
    std::string s = BindingIdentitySpec(b, isKey);
    if (!b.label.empty()) s += "@" + b.label;
    s += "=";
    // A command that is one braced group would lose its braces when read: wrap it once more.
    if (!b.command.empty() && b.command[0] == '{' &&
        matchingBrace(b.command, 0) == b.command.size() - 1)
        s += "{" + b.command + "}";
    else
        s += b.command;
    return s;
}

static std::vector<std::string> specs(const std::vector<Binding>& list, int isKey) {
    std::vector<std::string> out;
    for (const Binding& b : list) out.push_back(BindingSpec(b, isKey));
    return out;
}

std::vector<std::string> ListEditKeyBindings() {
    std::vector<Binding> list;
    for (int k = 0; k < KEY_CODES; k++) collect(editKeys[k], list);
    return specs(list, 1);
}

std::vector<std::string> ListAllKeyBindings() {
    return specs(allKeys(), 1);
}

std::vector<std::string> ListMouseBindings() {
    std::vector<Binding> list;
    collect(editMice, list);
    collect(scrollMice, list);
    return specs(list, 0);
}

std::vector<std::string> ListAllMouseBindings() {
    return specs(allMice(), 0);
}

int CountBindings(int keys) {
    return (int)(keys ? allKeys().size() : allMice().size());
}

void RememberBindings(int level) {
    if (level < 0 || level > 2) return;
    snapshots[level].keys = allKeys();
    snapshots[level].mice = allMice();
    snapshots[level].taken = true;
}

// Every list is written, general ones too, so that a saved file rebuilds exactly the
// bindings in force; bindings of the reference level that are gone get removal lines.
void WriteBindingLines(FILE* file, int level) {
    if (level < 0 || level > 2) return;
    const Snapshot& snap = snapshots[level];
    auto write = [&](const char* word, const std::vector<Binding>& now,
                     const std::vector<Binding>& before, int isKey) {
        for (const Binding& old : before) {
            bool kept = false;
            for (const Binding& b : now)
                if (sameIdentity(b, old)) kept = true;
            if (!kept) fprintf(file, "%s: %s\n", word, BindingIdentitySpec(old, isKey).c_str());
        }
        for (const Binding& b : now) fprintf(file, "%s: %s\n", word, BindingSpec(b, isKey).c_str());
    };
    if (bindingsChanged[level][BIND_MICE]) write("mouse", allMice(), snap.mice, 0);
    if (bindingsChanged[level][BIND_KEYS]) write("key", allKeys(), snap.keys, 1);
}

// ---- accelerators ----

std::string KeyToAcceleratorStr(int key, unsigned modifiers) {
    const char* name = KeyCodeName(key);
    if (!name) {
        mprintf("[KeyToAcceleratorStr] no key string\n");
        return "";
    }
    std::string s;
    if (modifiers & MOD_CONTROL) s += "Ctrl+";
    if (modifiers & MOD_META) s += "Meta+";
    if ((modifiers & MOD_SHIFT) || (key >= 'A' && key <= 'Z')) s += "Shift+";
    std::string n = name;
    n[0] = (char)toupper((unsigned char)n[0]);
    return s + n;
}

int AcceleratorStrToKey(const char* text, int* key, unsigned* modifiers) {
    if (!text) return 0;
    unsigned mods = 0;
    for (;;) {
        if (strncmp(text, "Ctrl+", 5) == 0) {
            mods |= MOD_CONTROL;
            text += 5;
        } else if (strncmp(text, "Meta+", 5) == 0) {
            mods |= MOD_META;
            text += 5;
        } else if (strncmp(text, "Shift+", 6) == 0) {
            mods |= MOD_SHIFT;
            text += 6;
        } else {
            break;
        }
    }
    int code = -1;
    if (text[0] && !text[1]) {
        code = (unsigned char)text[0];
        if (code >= 'A' && code <= 'Z') code += 'a' - 'A'; // accelerators show letters upper-case
    } else {
        code = KeyNameToCode(text);
    }
    if (code < 0) return 0;
    *key = code;
    *modifiers = mods;
    return 1;
}

template <class Pred>
static const Binding* findLabelled(unsigned location, int* key, Pred pred) {
    for (int k = 0; k < KEY_CODES; k++) {
        for (Binding* b = editKeys[k]; b; b = b->next) {
            if (!(b->location & location) || b->label.empty() || !pred(*b)) continue;
            if (key) *key = k;
            return b;
        }
    }
    return nullptr;
}

const Binding* ViewMouseForKey(const char* text, unsigned location, int* key) {
    if (!text || !*text) return nullptr;
    int code = !text[1] ? (unsigned char)text[0] : KeyNameToCode(text);
    if (code >= 'A' && code <= 'Z') code += 'a' - 'A';
    if (code < 0) return nullptr;
    return findLabelled(location, key, [&](const Binding& b) { return b.trigger == code; });
}

const Binding* ViewMouseForCommand(const char* command, unsigned location, int* key) {
    if (!command) return nullptr;
    return findLabelled(location, key, [&](const Binding& b) { return b.command == command; });
}

static std::string withoutAmp(const char* label) {
    std::string s = label ? label : "";
    size_t amp = s.find('&');
    if (amp != std::string::npos) s.erase(amp, 1);
    return s;
}

const Binding* ViewMouseForLabel(const char* label, unsigned location, int* key) {
    if (!label) return nullptr;
    std::string want = withoutAmp(label);
    return findLabelled(location, key,
                        [&](const Binding& b) { return withoutAmp(b.label.c_str()) == want; });
}
