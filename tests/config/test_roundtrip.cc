// tests/config/test_roundtrip.cc: a configuration saved here and read back by a fresh
// process (cfgdump) gives every option and binding the same value.
#include <algorithm>
#include <cstdio>
#include <random>

#include "test_util.h"

namespace {

std::string runDump(const std::string& args) {
    std::string cmd = std::string(CFGDUMP) + " " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return "<popen failed>";
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::string sortedLines(const std::vector<std::string>& v) {
    std::string out;
    for (const std::string& s : sorted(v)) out += s + "\n";
    return out;
}

// What cfgdump prints, from this process, with the bindings sorted.
std::string dumpHere() {
    std::string out = "=== options\n";
    for (CfgOption* table : cfg_AllTables)
        for (CfgOption* o = table; o->name; o++)
            if (o->type != CFG_FUNC) out += cfg_OptionLine(*o);
    out += "=== keys\n" + sortedLines(ListAllKeyBindings());
    out += "=== mice\n" + sortedLines(ListAllMouseBindings());
    out += "=== menus\n" + MenuListText();
    out += "=== editbuttons\n";
    for (const EditButton& b : EditButtons()) out += b.name + " " + b.definition + "\n";
    return out;
}

// cfgdump's output with its binding sections sorted the same way.
std::string normalise(const std::string& dump) {
    std::string out, section;
    std::vector<std::string> lines;
    size_t start = 0;
    auto flush = [&] {
        if (section == "=== keys" || section == "=== mice") lines = sorted(lines);
        for (const std::string& l : lines) out += l + "\n";
        lines.clear();
    };
    while (start < dump.size()) {
        size_t end = dump.find('\n', start);
        if (end == std::string::npos) end = dump.size();
        std::string line = dump.substr(start, end - start);
        if (line.rfind("=== ", 0) == 0) {
            flush();
            section = line;
            out += line + "\n";
        } else {
            lines.push_back(line);
        }
        start = end + 1;
    }
    flush();
    return out;
}

struct Random {
    std::mt19937 gen;
    explicit Random(unsigned seed) : gen(seed) {}
    int in(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); }
    bool coin() { return in(0, 1) == 1; }
    std::string text(int maxLen, const std::string& alphabet) {
        std::string s;
        int n = in(1, maxLen);
        for (int i = 0; i < n; i++) s += alphabet[in(0, (int)alphabet.size() - 1)];
        return s;
    }
};

const std::string stringChars =
    "abcXYZ019 \t\"\\#:=;{}@|*'$~-_./\x01\x7f\xe9";

// A random value, different from the current one, as a configuration line would give it.
std::string randomValue(Random& r, CfgOption& o) {
    switch (o.type) {
    case CFG_BOOL: return cfg_OptionInt(o) ? "Off" : "On";
    case CFG_INT: {
        int v;
        do v = r.in(o.range.min, o.range.max);
        while (v == cfg_OptionInt(o) && o.range.min != o.range.max);
        return std::to_string(v);
    }
    case CFG_CHOICE: {
        std::vector<const ChoiceValue*> others;
        for (const ChoiceValue* c = o.choices; c->name; c++)
            if (c->value != cfg_OptionInt(o)) others.push_back(c);
        return others[r.in(0, (int)others.size() - 1)]->name;
    }
    case CFG_COLOR: {
        char buf[16];
        snprintf(buf, sizeof buf, "#%02x%02x%02x", r.in(0, 255), r.in(0, 255), r.in(0, 255));
        return buf;
    }
    case CFG_SIZE: {
        std::string s = std::to_string(r.in(0, 400)) + "x" + std::to_string(r.in(0, 400));
        return r.coin() ? s + "p" : s;
    }
    case CFG_STRING:
        if (std::string(o.name) == "geometry")
            return std::to_string(r.in(1, 300)) + "x" + std::to_string(r.in(1, 99)) + "-" +
                   std::to_string(r.in(0, 999)) + "+" + std::to_string(r.in(0, 999));
        return cfg_QuoteWord(r.text(24, stringChars) + "z");
    default: return "";
    }
}

const char* const keyLocs[] = {"Edit", "Edit3", "EditMargin", "All", "BitEdit", "Window"};
const char* const mouseLocs[] = {"Edit", "Edit1", "EditMargin", "Dialog", "BitEdit"};
const char* const scrollLocs[] = {"ScrollBar", "ScrollAbove", "ScrollThumb"};
const char* const modNames[] = {"Shift", "Control", "Meta", "Mod4", "CapsLock", "Any"};
const char* const events[] = {"Press", "Release", "Either", "Click"};
const std::string cmdChars = "abcXYZ09 ;<>\"{}=@|*";

std::string randomModsAndEvent(Random& r, bool mouse) {
    std::string s;
    if (mouse || r.in(0, 3) == 0) {
        s += std::string("*") + events[r.in(0, 3)] + std::to_string(r.in(0, 3));
        if (r.in(0, 3) == 0) s += "(AtOnce)";
    }
    for (int i = r.in(0, 2); i > 0; i--) s += std::string("|") + modNames[r.in(0, 5)];
    return s;
}

std::string randomCommand(Random& r) {
    std::string c = r.text(20, cmdChars);
    c = "C" + c + "D";
    return r.in(0, 4) == 0 ? "{ " + c + " }" : c;
}

std::string randomKeySpec(Random& r) {
    std::string trigger;
    if (r.coin()) {
        int code;
        do code = r.in(256, 511);
        while (!KeyCodeName(code));
        trigger = std::string("\"") + KeyCodeName(code) + "\"";
    } else {
        char c = (char)r.in(33, 126);
        trigger = c == '"' || c == '\\' ? std::string("\"\\") + c + "\"" : std::string("\"") + c + "\"";
    }
    std::string s = trigger + randomModsAndEvent(r, false) + "@" + keyLocs[r.in(0, 5)];
    if (r.in(0, 3) == 0) s += " @" + r.text(10, "abc XYZ&.") + "x";
    return s + " = " + randomCommand(r);
}

std::string randomMouseSpec(Random& r) {
    std::string s = "Mouse";
    int buttons = r.in(1, 31);
    for (int i = 0; i < 5; i++)
        if (buttons & (1 << i)) s += (char)('1' + i);
    s += randomModsAndEvent(r, true);
    if (r.in(0, 3) == 0)
        return s + "@" + scrollLocs[r.in(0, 2)] + "=" + scrollBarActions[r.in(0, 9)];
    return s + "@" + mouseLocs[r.in(0, 4)] + "=" + randomCommand(r);
}

class RoundTrip : public testing::TestWithParam<unsigned> {};

TEST_P(RoundTrip, SavedConfigurationReadsBackUnchanged) {
    Random r(GetParam());
    ResetConfigState();
    std::string path = TempPath(("rt" + std::to_string(GetParam())).c_str());

    int set = 0;
    std::string out = Captured([&] {
        for (CfgOption* table : cfg_AllTables) {
            for (CfgOption* o = table; o->name; o++) {
                if (o->hidden || o->type == CFG_FUNC) continue;
                std::string line = std::string(o->name) + ": " + randomValue(r, *o);
                EXPECT_EQ(cfg_ScanLine(line.c_str()), 1) << line;
                set++;
            }
        }
        // Bindings: remove some defaults, add and replace others.
        std::vector<std::string> keys = ListAllKeyBindings();
        for (int i = 0; i < 10; i++) {
            Binding b;
            ASSERT_EQ(parseMouseSpec(keys[r.in(0, (int)keys.size() - 1)].c_str(), 1, nullptr, &b, 0), 1);
            parseMouseSpec(BindingIdentitySpec(b, 1).c_str(), 1, nullptr, nullptr, 1);
        }
        std::vector<std::string> mice = ListAllMouseBindings();
        for (int i = 0; i < 5; i++) {
            Binding b;
            ASSERT_EQ(parseMouseSpec(mice[r.in(0, (int)mice.size() - 1)].c_str(), 0, nullptr, &b, 0), 1);
            parseMouseSpec(BindingIdentitySpec(b, 0).c_str(), 0, nullptr, nullptr, 1);
        }
        for (int i = 0; i < 40; i++) {
            std::string k = randomKeySpec(r), m = randomMouseSpec(r);
            EXPECT_EQ(cfg_ScanLine(("key: " + k).c_str()), 1) << k;
            EXPECT_EQ(cfg_ScanLine(("mouse: " + m).c_str()), 1) << m;
        }
        EXPECT_EQ(cfg_ScanLine("menu: File {{Open... = OpenFile} {@@'o'} {-}}"), 1);
        EXPECT_EQ(cfg_ScanLine("menu: Tools {Make = Make; NextError}"), 1);
        EXPECT_EQ(cfg_ScanLine("editbutton: Grep Grep -n foo"), 1);
    });
    EXPECT_GT(set, 300);
    EXPECT_EQ(cfg_CompareToCurrentSettings(0), set) << "every visible option changed";

    ASSERT_EQ(Config_SaveToFile(path.c_str(), 0), 1);
    std::string expected = dumpHere();
    EXPECT_EQ(normalise(runDump(path)), expected);
    remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Seeds, RoundTrip, testing::Values(1u, 2u, 3u, 20261206u));

TEST(RoundTripPlain, UnchangedConfigurationSavesOnlyComments) {
    ResetConfigState();
    std::string path = TempPath("plain");
    ASSERT_EQ(Config_SaveToFile(path.c_str(), 0), 1);
    FILE* f = fopen(path.c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[4096];
    int lines = 0;
    while (fgets(line, sizeof line, f)) {
        EXPECT_EQ(line[0], '#') << line;
        lines++;
    }
    fclose(f);
    EXPECT_GT(lines, 300);
    EXPECT_EQ(normalise(runDump(path)), dumpHere());
    remove(path.c_str());
}

} // namespace
