// vcfront/vc_init.cc: the selected system's command templates, and starting and stopping the
// ClearCase interpreter when the system changes.
#include <cstring>

#include "config/bindings.h"
#include "config/options.h"
#include "config/switches.h"
#include "vcfront/vc.h"
#include "vcfront/vcpriv.h"

bool vc_UseInterpreter = false;

namespace {

// The thirteen templates of one system, in the order of the option table.
struct Templates {
    const char* command;
    const char* undervc;
    const char* co;
    const char* get;
    const char* ci;
    const char* cinocomments;
    const char* unco;
    const char* create;
    const char* show;
    const char* diff;
    const char* who;
    const char* when;
    const char* prevver;
};

const Templates qvcTemplates = {"qvc", "", "co", "get", "ci -C %c", "ci -nc", "uncheck",
                                "create", "show", "diff", "who", "", ""};
const Templates clearcaseTemplates = {
    "cleartool", "ls -d -vob", "co -nc", "", "ci -c %c", "ci -nc", "unco -rm",
    "mkelem -ci -pti -c %c", "lsh -g", "diff -g", "lsco -fmt \"%u\\n\"", "lsco -fmt \"%d\\n\"",
    "lsh -fmt \"%Vn::%PVn\\n\""};
const Templates rcsTemplates = {"", "", "co -l -q", "co -u -q", "ci -q -u -m%c",
                                "ci -q -u -m%c", "co -u -q -f", "ci -q -u -t-%c", "rlog -h",
                                "rcsdiff", "", "", ""};
const Templates customTemplates = {
    "",
    "echo no custom undervc defined; false",
    "echo no custom co defined; false",
    "echo no custom get defined; false",
    "echo no custom ci defined; false",
    "echo no custom cinocomments defined; false",
    "echo no custom unco defined; false",
    "echo no custom create defined; false",
    "echo no custom show defined; false",
    "echo no custom diff defined; false",
    "echo no custom who defined; false",
    "",
    "echo no custom prevver defined; false"};

void fill(const Templates& t) {
    vc_command = t.command;
    vc_undervc = t.undervc;
    vc_co = t.co;
    vc_get = t.get;
    vc_ci = t.ci;
    vc_cinocomments = t.cinocomments;
    vc_unco = t.unco;
    vc_create = t.create;
    vc_show = t.show;
    vc_diff = t.diff;
    vc_who = t.who;
    vc_when = t.when;
    vc_prevver = t.prevver;
}

// Without the interpreter each ClearCase command is a shell line of its own.
void prefixClearCase() {
    vc_command.clear();
    vc_who = "lsco -fmt \"%u\"";
    vc_when = "lsco -fmt \"%d\"";
    for (std::string* s : {&vc_undervc, &vc_co, &vc_ci, &vc_cinocomments, &vc_unco, &vc_create,
                           &vc_show, &vc_diff, &vc_who, &vc_when, &vc_prevver})
        if (!s->empty()) *s = "cleartool " + *s;
}

void addShowView() {
    for (const MenuItem& m : MenuItems())
        if (m.menu == "EditVersion") {
            for (const MenuItem& n : MenuItems())
                if (n.menu == "EditVersion" && n.command == "ShowView") return;
            MenuAddItems("EditVersion", "\"Show View\" ShowView");
            return;
        }
}

} // namespace

void vc_UseShellLines() {
    if (!vc_UseInterpreter) return;
    vc_UseInterpreter = false;
    if (vc_whichVC == VC_CLEARCASE) prefixClearCase();
}

void vc_Cleanup() {
    vc_StopInterpreter();
    for (std::string* s : {&vc_command, &vc_undervc, &vc_co, &vc_get, &vc_ci, &vc_cinocomments,
                           &vc_unco, &vc_create, &vc_show, &vc_diff, &vc_who, &vc_when,
                           &vc_prevver})
        s->clear();
}

void vc_Init() {
    vc_Cleanup();
    vc_UseInterpreter = vc_whichVC == VC_CLEARCASE && debugFlag[XSW_VCUSEINTERPRETER];
    switch (vc_whichVC) {
    case VC_QVC: fill(qvcTemplates); break;
    case VC_CLEARCASE:
        fill(clearcaseTemplates);
        if (!vc_UseInterpreter) prefixClearCase();
        break;
    case VC_RCS: fill(rcsTemplates); break;
    case VC_CUSTOM: fill(customTemplates); break;
    default: break;
    }
    if (vc_whichVC == VC_CLEARCASE) {
        if (vc_UseInterpreter) vc_ForkInterpreter(vc_command.c_str());
        addShowView();
    }
}
