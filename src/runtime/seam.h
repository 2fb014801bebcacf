// runtime/seam.h: a crossing between two libraries. The lower library declares the interface
// it calls (an abstract class) with a Seam holding it; the library above implements it and
// installs it at start-up. Every Seam is listed, so that start-up can check that the program
// has each one it needs and `PrintInterfaces` can show them.
#pragma once

struct SeamEntry {
    const char* name;      // the interface, as assertions and listings name it
    const char* installer; // the subsystem that installs it
    bool built;            // false while that subsystem is not built: nothing installs it yet
    void* impl = nullptr;
    SeamEntry* next = nullptr;
    SeamEntry(const char* name, const char* installer, bool built);
    SeamEntry(const SeamEntry&) = delete;
    SeamEntry& operator=(const SeamEntry&) = delete;
};

// Every declared seam, first declared last.
SeamEntry* seam_List();
// Fails loudly (an assertion naming the interface) when a seam whose installer is built has
// nothing installed; start-up calls it once everything is installed.
void seam_CheckInstalled();
[[noreturn]] void seam_Missing(const SeamEntry& seam);

template <class Interface>
struct Seam : SeamEntry {
    Seam(const char* name, const char* installer, bool built = true)
        : SeamEntry(name, installer, built) {}
    void install(Interface* implementation) { impl = implementation; }
    bool installed() const { return impl != nullptr; }
    // The installed interface; calling through a missing one is an assertion with its name.
    Interface* operator->() const {
        if (!impl) seam_Missing(*this);
        return static_cast<Interface*>(impl);
    }
    // The installed interface or null, for the callers that have a stated way without it.
    Interface* find() const { return static_cast<Interface*>(impl); }
};
