// toolkit/backend.h: the interface each toolkit backend implements.
#pragma once

#include <string>
#include <vector>

struct WBackend {
    virtual ~WBackend() = default;
    virtual int init(int* argc, char** argv) = 0;
    virtual void sync() {}
    virtual void exit() {}
    virtual void beep() = 0;
    virtual void alert(const char* text) = 0;
    virtual int yesNo(const char* title, const char* question, int dflt) = 0;
    virtual int buttons(const char* title, const char* text,
                        const std::vector<std::string>& labels, int dflt) = 0;
    virtual int prompt(const char* title, const char* prompt, std::string& answer) = 0;
    virtual int chooseFile(const char* title, const char* confirm, const char* startDir,
                           std::string& result) = 0;
    virtual void message(const char* text) = 0;
};

// The next scripted answer ("-answer"), if one is queued.
bool WTakeScriptedAnswer(std::string& answer);

WBackend* NewHeadlessBackend();
WBackend* NewX11Backend(); // null when the build has no X11 backend
extern WBackend* wBackend;
