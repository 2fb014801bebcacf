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

// The thirteen templates of one system, in the order of kTemplateNames.
enum { TEMPLATES = 13 };
using Templates = const char* const[TEMPLATES];
const char* const kTemplateNames[TEMPLATES] = {
    "vc_command", "vc_undervc", "vc_co",   "vc_get", "vc_ci",   "vc_cinocomments", "vc_unco",
    "vc_create",  "vc_show",    "vc_diff", "vc_who", "vc_when", "vc_prevver"};
enum { T_COMMAND = 0, T_WHO = 10, T_WHEN = 11 };
std::string* const kTemplateVars[TEMPLATES] = {
    &vc_command, &vc_undervc, &vc_co,   &vc_get, &vc_ci,   &vc_cinocomments, &vc_unco,
    &vc_create,  &vc_show,    &vc_diff, &vc_who, &vc_when, &vc_prevver};

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

const Templates* templatesOf(int system) {
    switch (system) {
    case VC_QVC: return &qvcTemplates;
    case VC_CLEARCASE: return &clearcaseTemplates;
    case VC_RCS: return &rcsTemplates;
    case VC_CUSTOM: return &customTemplates;
    default: return nullptr;
    }
}

void fill(const Templates& t) {
    for (int i = 0; i < TEMPLATES; i++) *kTemplateVars[i] = t[i];
}

// Without the interpreter each ClearCase command is a shell line of its own.
void prefixClearCase(std::string* const (&v)[TEMPLATES]) {
    v[T_COMMAND]->clear();
    *v[T_WHO] = "lsco -fmt \"%u\"";
    *v[T_WHEN] = "lsco -fmt \"%d\"";
    for (int i = 0; i < TEMPLATES; i++)
        if (i != T_COMMAND && !v[i]->empty()) *v[i] = "cleartool " + *v[i];
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
    if (vc_whichVC == VC_CLEARCASE) prefixClearCase(kTemplateVars);
}

std::vector<std::pair<std::string, std::string>> vc_SystemTemplates(int system) {
    const Templates* t = templatesOf(system);
    if (!t) return {};
    std::string values[TEMPLATES];
    std::string* v[TEMPLATES];
    for (int i = 0; i < TEMPLATES; i++) {
        values[i] = (*t)[i];
        v[i] = &values[i];
    }
    if (system == VC_CLEARCASE && !debugFlag[XSW_VCUSEINTERPRETER]) prefixClearCase(v);
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < TEMPLATES; i++) out.emplace_back(kTemplateNames[i], values[i]);
    return out;
}

void vc_Cleanup() {
    vc_StopInterpreter();
    for (std::string* s : kTemplateVars) s->clear();
}

void vc_Init() {
    vc_Cleanup();
    vc_UseInterpreter = vc_whichVC == VC_CLEARCASE && debugFlag[XSW_VCUSEINTERPRETER];
    if (const Templates* t = templatesOf(vc_whichVC)) fill(*t);
    if (vc_whichVC == VC_CLEARCASE && !vc_UseInterpreter) prefixClearCase(kTemplateVars);
    if (vc_whichVC == VC_CLEARCASE) {
        if (vc_UseInterpreter) vc_ForkInterpreter(vc_command.c_str());
        addShowView();
    }
}
