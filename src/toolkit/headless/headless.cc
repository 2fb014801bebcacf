// toolkit/headless/headless.cc: the display-less backend: prints what a window would show and
// answers dialogues from the scripted answers.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <strings.h>

#include "toolkit/backend.h"

namespace {

// Questions print on one line: newlines become the two characters "\n".
std::string oneLine(const char* text) {
    std::string out;
    for (const char* p = text ? text : ""; *p; p++) {
        if (*p == '\n')
            out += "\\n";
        else
            out += *p;
    }
    return out;
}

void printLine(const std::string& s) {
    fputs(s.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

struct HeadlessBackend : WBackend {
    int init(int*, char**) override { return 1; }
    void beep() override { printLine("<beep>"); }

    void alert(const char* text) override {
        std::string t = text ? text : "";
        while (!t.empty() && t.back() == '\n') t.pop_back();
        printLine(t);
    }

    int yesNo(const char*, const char* question, int dflt) override {
        std::string a;
        int r = dflt;
        if (WTakeScriptedAnswer(a)) {
            if (!strcasecmp(a.c_str(), "yes") || a == "y" || a == "1")
                r = 1;
            else if (!strcasecmp(a.c_str(), "no") || a == "n" || a == "0")
                r = 0;
        }
        printLine(oneLine(question) + " -> " + (r ? "yes" : "no"));
        return r;
    }

    int buttons(const char*, const char* text, const std::vector<std::string>& labels,
                int dflt) override {
        std::string a;
        int r = dflt;
        if (WTakeScriptedAnswer(a)) {
            r = -1;
            for (size_t i = 0; i < labels.size(); i++)
                if (!strcasecmp(labels[i].c_str(), a.c_str())) r = (int)i;
            if (r < 0) {
                char* end = nullptr;
                long n = strtol(a.c_str(), &end, 10);
                if (end && *end == 0 && !a.empty() && n >= 0 && n < (long)labels.size())
                    r = (int)n;
            }
        }
        std::string shown = (r >= 0 && r < (int)labels.size()) ? labels[r] : "<cancel>";
        printLine(oneLine(text) + " -> " + shown);
        return r;
    }

    int prompt(const char* title, const char* prompt, std::string& answer) override {
        std::string a;
        bool ok = WTakeScriptedAnswer(a);
        printLine(oneLine(prompt && *prompt ? prompt : title) + " -> " + (ok ? a : "<cancel>"));
        if (ok) answer = a;
        return ok ? 1 : 0;
    }

    int chooseFile(const char* title, const char*, const char* startDir,
                   std::string& result) override {
        std::string a;
        bool ok = WTakeScriptedAnswer(a) && !a.empty();
        printLine(oneLine(title) + " -> " + (ok ? a : "<cancel>"));
        if (!ok) return 0;
        if (a[0] != '/' && startDir && *startDir && std::string(startDir) != ".")
            a = std::string(startDir) + "/" + a;
        result = a;
        return 1;
    }

    void message(const char* text) override {
        std::string t = text ? text : "";
        while (!t.empty() && t.back() == '\n') t.pop_back();
        if (!t.empty()) printLine(t);
    }
};

} // namespace

WBackend* NewHeadlessBackend() {
    return new HeadlessBackend();
}
