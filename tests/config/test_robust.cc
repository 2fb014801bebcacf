// tests/config/test_robust.cc: random and adversarial lines for the line parser and the
// binding parser: every refused line gets a message, nothing crashes or hangs.
#include <cstring>
#include <fstream>
#include <random>
#include <strings.h>

#include "test_util.h"

namespace {

std::string pick(std::mt19937& gen, const std::vector<std::string>& v) {
    return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(gen)];
}

std::string randomBytes(std::mt19937& gen, int maxLen) {
    std::string s;
    int n = std::uniform_int_distribution<int>(0, maxLen)(gen);
    for (int i = 0; i < n; i++) s += (char)std::uniform_int_distribution<int>(1, 255)(gen);
    return s;
}

const std::vector<std::string> pieces = {
    "\"", "\"\\", "{", "}", "{{", "}}", "@", "@@", "|", "*", "=", "==", ":", " ", "\t", "\\",
    "Edit", "All", "ScrollBar", "Mouse", "Any", "button", "1", "9", "0x", "K", "M", "all",
    "Control", "Shift", "Nope", "\"Up\"", "\"NoKey\"", "(AtOnce)", "*Press", "*Click99999999",
    "#", "?", "locations.", "modifiers.", "x", "A", "-", "999999999999999999999", "p", "X",
};
const std::vector<std::string> keywords = {
    "tabsize", "wordwrap", "scrolllocation", "keyword", "font", "minviewsize", "key", "keybind",
    "mouse", "menu", "editbutton", "geometry", "icongeometry", "configure", "clearmenus",
    "locations.Edit2", "modifiers.Mod5", "warppointer", "ctextsize", "printcommand",
    "dialoguefile", "unknownthing", "?", "endif", "", "#",
};

std::string adversarialLine(std::mt19937& gen) {
    std::string line = pick(gen, keywords) + pick(gen, {" ", ":", "=", " := ", "\t"});
    int n = std::uniform_int_distribution<int>(0, 12)(gen);
    for (int i = 0; i < n; i++)
        line += std::uniform_int_distribution<int>(0, 4)(gen) ? pick(gen, pieces) : randomBytes(gen, 6);
    if (std::uniform_int_distribution<int>(0, 30)(gen) == 0) line += std::string(5000, 'y');
    return line;
}

bool silentFailure(const std::string& line) {
    std::string kw = line.substr(line.find_first_not_of(" \t") == std::string::npos
                                     ? line.size()
                                     : line.find_first_not_of(" \t"));
    kw = kw.substr(0, kw.find_first_of(" \t:="));
    for (const char* w : {"endif", "else", "elseif", "elif"})
        if (strcasecmp(kw.c_str(), w) == 0) return true;
    return false;
}

TEST(Robustness, RandomLinesGetAMessageWhenRefused) {
    ResetConfigState();
    std::mt19937 gen(4242);
    int refused = 0;
    for (int i = 0; i < 3000; i++) {
        std::string line = adversarialLine(gen);
        int r = 1;
        std::string out = Captured([&] { r = cfg_ScanLine(line.c_str()); });
        if (r == 0) {
            refused++;
            if (!silentFailure(line)) {
                EXPECT_FALSE(out.empty()) << "no message for: " << line;
            }
        }
    }
    EXPECT_GT(refused, 1000);
    // The options stay within their ranges whatever was fed.
    EXPECT_GE(tabsize, 1);
    EXPECT_LE(tabsize, 100);
    Captured([] { ResetConfigState(); });
}

TEST(Robustness, RandomBindingSpecsGetAMessageWhenRefused) {
    ResetConfigState();
    std::mt19937 gen(777);
    int refused = 0;
    for (int i = 0; i < 4000; i++) {
        std::string spec;
        int n = std::uniform_int_distribution<int>(0, 10)(gen);
        for (int j = 0; j < n; j++)
            spec += std::uniform_int_distribution<int>(0, 5)(gen) ? pick(gen, pieces) : randomBytes(gen, 4);
        int isKey = (int)(gen() & 1);
        const char* dflt = (gen() & 1) ? "Edit" : nullptr;
        int r = 1;
        std::string out = Captured([&] { r = parseMouseSpec(spec.c_str(), isKey, dflt, nullptr, 1); });
        if (!r) {
            refused++;
            EXPECT_FALSE(out.empty()) << "no message for: " << spec;
        }
    }
    EXPECT_GT(refused, 2000);
    // Whatever was stored lists and parses back.
    for (const std::string& s : ListAllKeyBindings())
        EXPECT_EQ(parseMouseSpec(s.c_str(), 1, nullptr, nullptr, 0), 1) << s;
    for (const std::string& s : ListAllMouseBindings())
        EXPECT_EQ(parseMouseSpec(s.c_str(), 0, nullptr, nullptr, 0), 1) << s;
}

TEST(Robustness, BinaryFileWithNulBytesAndSixtyBadLines) {
    ResetConfigState();
    std::string path = TempPath("binary");
    std::string text = "tabsize 7\n";
    text += std::string("wordwrap on\0garbage\n", 21);
    text += std::string(3000, '\0') + "\n";
    text += "key: \"x|Control@Edit={unbalanced\n";
    for (int i = 0; i < 60; i++) text += "\x01\x02\xff bad line " + std::to_string(i) + "\n";
    text += "tabsize 9\n";
    std::ofstream(path, std::ios::binary) << text;
    std::string out = Captured([&] { EXPECT_EQ(cfg_ReadFile(path.c_str()), 0); });
    EXPECT_EQ(tabsize, 7);
    EXPECT_EQ(wordwrap, 1); // the text after a NUL byte is ignored
    size_t tooMany = out.find("Too many errors, aborting.\n");
    ASSERT_NE(tooMany, std::string::npos);
    EXPECT_EQ(tooMany + 27, out.size());
    // error 50, after the key line (the long line of NUL bytes reads as empty pieces)
    EXPECT_NE(out.find("bad line 48"), std::string::npos);
    EXPECT_EQ(out.find("bad line 49"), std::string::npos);
    remove(path.c_str());
}

} // namespace
