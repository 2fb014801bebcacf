// runtime/seam.cc: the list of crossings between libraries and the check that each is there.
#include "runtime/seam.h"

#include <string>

#include "runtime/gen.h"

static SeamEntry* seams = nullptr; // constant-initialised, so it is ready for every constructor

SeamEntry::SeamEntry(const char* n, const char* by, bool isBuilt)
    : name(n), installer(by), built(isBuilt), next(seams) {
    seams = this;
}

SeamEntry* seam_List() {
    return seams;
}

void seam_Missing(const SeamEntry& seam) {
    std::string what = std::string("interface ") + seam.name + " installed by " + seam.installer;
    __Assert(0, what.c_str(), GEN_SOURCE_NAME, __LINE__, 0);
    gen_callexit(1); // not reached: the assertion ends the process
}

void seam_CheckInstalled() {
    for (SeamEntry* s = seams; s; s = s->next)
        if (s->built && !s->impl) seam_Missing(*s);
}
