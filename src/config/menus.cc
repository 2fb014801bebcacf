// config/menus.cc: menu items and editor buttons from configuration, accelerators taken
// from key bindings, editing bindings in a buffer, and X resource lookups.
#include <cctype>
#include <cstring>
#include <string>
#include <strings.h>

#include "config/bindings.h"
#include "config/cfg.h"
#include "runtime/error.h"
#include "runtime/gen.h"


std::vector<MenuItem>& MenuItems() {
    static std::vector<MenuItem> items;
    return items;
}

std::vector<EditButton>& EditButtons() {
    static std::vector<EditButton> buttons;
    return buttons;
}

static std::string trimmed(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return "";
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

// An item description is "text" or "text = command"; text "-" is a separator.
static MenuItem makeItem(const char* menu, const std::string& description) {
    MenuItem item;
    item.menu = menu;
    item.description = trimmed(description);
    size_t eq = item.description.find('=');
    // "@@" items name their binding in the text, which may itself hold "=" inside quotes.
    if (item.description.compare(0, 2, "@@") == 0) eq = std::string::npos;
    item.text = trimmed(item.description.substr(0, eq));
    if (eq != std::string::npos) item.command = trimmed(item.description.substr(eq + 1));
    return item;
}

int MenuAddItems(const char* menuName, const char* descriptions) {
    std::string text = descriptions ? descriptions : "";
    std::vector<MenuItem> items;
    size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) {
        mprintf("Menu %s has no items\n", menuName);
        return 0;
    }
    if (text[i] != '{') {
        items.push_back(makeItem(menuName, text));
    } else {
        while (i != std::string::npos && i < text.size()) {
            if (text[i] != '{') {
                mprintf("Bad menu item description in %s\n", text.c_str());
                return 0;
            }
            int depth = 0;
            size_t j = i;
            bool quoted = false;
            for (; j < text.size(); j++) {
                char c = text[j];
                if (quoted) {
                    if (c == '\\') j++;
                    else if (c == '"') quoted = false;
                } else if (c == '"') {
                    quoted = true;
                } else if (c == '{') {
                    depth++;
                } else if (c == '}' && --depth == 0) {
                    break;
                }
            }
            if (j >= text.size()) {
                mprintf("Unbalanced braces in menu items %s\n", text.c_str());
                return 0;
            }
            items.push_back(makeItem(menuName, text.substr(i + 1, j - i - 1)));
            i = text.find_first_not_of(" \t", j + 1);
        }
    }
    for (MenuItem& item : items) {
        if (item.text.empty()) {
            mprintf("Bad menu item description in %s\n", text.c_str());
            return 0;
        }
    }
    for (MenuItem& item : items) MenuItems().push_back(item);
    MarkBindingsChanged(BIND_MENUS);
    return 1;
}

void MenuClearAll() {
    MenuItems().clear();
    MarkBindingsChanged(BIND_MENUS);
}

void MenuResource_CorrelateWithKeyBindings(const char* menu) {
    for (MenuItem& item : MenuItems()) {
        if (menu && item.menu != menu) continue;
        if (item.text.compare(0, 2, "@@") != 0) continue;
        std::string ref = item.text.substr(2);
        const Binding* b = nullptr;
        int key = -1;
        bool keepText = false;
        if (ref.size() >= 2 && ref[0] == '\'' && ref.back() == '\'') {
            b = ViewMouseForKey(ref.substr(1, ref.size() - 2).c_str(), EDITLOC_EDIT, &key);
        } else if (ref.size() >= 2 && ref[0] == '"' && ref.back() == '"') {
            b = ViewMouseForCommand(ref.substr(1, ref.size() - 2).c_str(), ~0u, &key);
        } else {
            b = ViewMouseForLabel(ref.c_str(), ~0u, &key);
            keepText = true;
        }
        if (!b) {
            mprintf("[mrCorrelate] no key for \"%s\"\n", item.text.c_str());
            continue;
        }
        if (!keepText) item.text = b->label;
        item.accelerator = KeyToAcceleratorStr(key, b->modifiers);
        item.command = b->command;
    }
}

// ---- editing bindings in a buffer ----

static std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

std::string KeyListText() {
    return joinLines(ListAllKeyBindings());
}

std::string MouseListText() {
    return joinLines(ListAllMouseBindings());
}

std::string MenuListText() {
    std::string out;
    for (const MenuItem& m : MenuItems()) out += m.menu + " {" + m.description + "}\n";
    return out;
}

template <class F>
static int eachLine(const std::string& text, F f) {
    int ok = 1;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = trimmed(text.substr(start, end - start));
        if (!line.empty() && !f(line)) ok = 0;
        start = end + 1;
    }
    return ok;
}

int ReplaceKeyBindings(const std::string& text) {
    clearKeys();
    return eachLine(text, [](const std::string& l) { return parseKey(l.c_str()); });
}

int ReplaceMouseBindings(const std::string& text) {
    clearMice();
    return eachLine(text, [](const std::string& l) { return parseMouse(l.c_str()); });
}

int ReplaceMenus(const std::string& text) {
    MenuClearAll();
    return eachLine(text, [](const std::string& l) {
        size_t n = l.find_first_of(" \t{");
        if (n == std::string::npos) return 0;
        std::string rest = trimmed(l.substr(n));
        return MenuAddItems(l.substr(0, n).c_str(), rest.c_str());
    });
}

// ---- X resources ----

static std::string classOf(const std::string& prefix, const char* name, const char* cls) {
    if (cls && *cls) return prefix + "." + cls;
    std::string c = name ? name : "";
    for (size_t i = 0; i + 1 < c.size(); i++)
        if (c[i] == '.') c[i + 1] = (char)tolower((unsigned char)c[i + 1]);
    return prefix + "." + c;
}

static const char* lookupUnder(const char* prefix, const char* name, const char* cls) {
    static std::string shared; // the next lookup overwrites it
    if (!name) return nullptr;
    std::string p = prefix;
    std::string capital = p;
    if (!capital.empty()) capital[0] = (char)toupper((unsigned char)capital[0]);
    std::string full = p + "." + name;
    std::string fullClass = classOf(capital, name, cls);
    const char* v = cfg_Display().resource(full.c_str(), fullClass.c_str());
    if (!v) return nullptr;
    shared = v;
    return shared.c_str();
}

static const char* programName() {
    return gen_progname && *gen_progname ? gen_progname : "qe";
}

const char* get_local_val(const char* name, const char* cls) {
    return lookupUnder(programName(), name, cls);
}

const char* get_special_val(const char* name, const char* cls) {
    return lookupUnder("quorl", name, cls);
}

const char* get_default_val(const char* name, const char* cls) {
    if (const char* v = get_local_val(name, cls)) return v;
    return get_special_val(name, cls);
}

const char* shr_get_val(const char* name, const char* cls) {
    return get_default_val(name, cls);
}

int mstrmatch(const char* a, const char* b) {
    if (!a || !b) return 0;
    if (strncasecmp(a, "quorl.", 6) == 0)
        a += 6;
    else if (strncmp(a, "qe.", 3) == 0)
        a += 3;
    return strcasecmp(a, b) == 0;
}

int ReadResourceEditButtons() {
    int added = 0;
    for (int n = 1; n <= 100; n++) {
        char key[64];
        snprintf(key, sizeof key, "editbutton%d.name", n);
        const char* v = get_default_val(key, "Name");
        if (!v) continue;
        std::string name = v;
        snprintf(key, sizeof key, "editbutton%d.defn", n);
        v = get_default_val(key, "Defn");
        if (!v) continue;
        EditButtons().push_back({name, v});
        added++;
    }
    if (added) MarkBindingsChanged(BIND_EBUTTONS);
    return added;
}
