// dialogue/dlgopen.cc: a described dialogue on the screen: its widgets built from the
// description, its scripts run when the widgets are acted on, modal until dismissed.
#include "dialogue/dlgopen.h"

#include <cstdlib>
#include <map>

#include "config/cfgcmd.h"
#include "dialogue/dlgfile.h"
#include "runtime/error.h"
#include "toolkit/dialog.h"
#include "toolkit/eventloop.h"
#include "toolkit/toolkit.h"

// Scripts of a widget run with #1 the kind of activation (press, return, double click, select).
void DialogueWidgetScript(WDialog* d, Widget* w, int how) {
    auto* sd = static_cast<ScriptDialog*>(d->user);
    if (w->script.empty()) {
        if (w->kind == WG_BUTTON)
            WDialogDismiss(d, w->isCancel ? 0 : 1);
        else if (how == WACT_RETURN || how == WACT_DOUBLE)
            for (Widget* b : d->widgets)
                if (b->kind == WG_BUTTON && b->isDefault) {
                    WidgetPress(b);
                    break;
                }
        return;
    }
    CallParseOn(sd, w->script.c_str(), 1, how, 0);
}

namespace {

void showPlacerArgs(Widget* w, const std::vector<std::string>& args) {
    for (Widget* c : w->children) showPlacerArgs(c, args);
    if (w->kind != WG_LABEL || w->label.size() < 2 || w->label[0] != '%') return;
    char* end = nullptr;
    long n = strtol(w->label.c_str() + 1, &end, 10);
    if (*end || n < 1) return;
    w->label = n <= (long)args.size() ? args[(size_t)n - 1] : "";
}

std::map<std::string, DialogueHooks>& hookTable() {
    static std::map<std::string, DialogueHooks> table;
    return table;
}

const DialogueHooks* hooksOf(const char* name) {
    auto it = hookTable().find(name);
    return it == hookTable().end() ? nullptr : &it->second;
}

} // namespace

void SetDialogueHooks(const char* name, const DialogueHooks& hooks) {
    hookTable()[name] = hooks;
}

void DialoguesEnsureLoaded() {
    LoadBuiltinDialogues();
    static size_t done = 0; // how much of the option's list is loaded
    while (done < cfg_dialogueFiles.size()) {
        size_t end = cfg_dialogueFiles.find('\n', done);
        if (end == std::string::npos) end = cfg_dialogueFiles.size();
        std::string path = cfg_dialogueFiles.substr(done, end - done);
        done = end + 1;
        std::string error;
        if (!path.empty() && !LoadDialogueFile(path.c_str(), error))
            QuorlError(1, "%s\n(the built-in dialogue descriptions stay in use)", error.c_str());
    }
}

// Builds the named dialogue with its script context sd (which must outlive it); null when
// there is no such dialogue or its description is broken (reported).
static WDialog* build(const char* name, const std::vector<std::string>& args,
                      const ScriptDialog* from, ScriptDialog& sd, std::string& init) {
    DialoguesEnsureLoaded();
    const DialogueDescription* desc = LookupDlb(name);
    if (!desc) return nullptr;
    DialogueDescription copy = *desc; // a script may load descriptions while this one is open
    WDialog* d = WDialogNew(name);
    std::string error;
    if (!BuildDialogue(copy, d, init, error)) {
        WDialogDestroy(d);
        QuorlError(1, "%s", error.c_str());
        return nullptr;
    }
    if (from) {
        sd.cli = from->cli;
        sd.text = from->text;
        sd.arg = from->arg;
    }
    sd.dialog = d;
    sd.args = args;
    sd.name = name;
    // A label that reads "%N" shows placer argument N.
    for (Widget* w : d->root->children) showPlacerArgs(w, args);
    d->user = &sd;
    d->activate = DialogueWidgetScript;
    d->batchText = d->title;
    d->cancelResult = 0;
    WDialogRealize(d);
    return d;
}

int OpenDialogue(const char* name, const std::vector<std::string>& args, const ScriptDialog* from) {
    ScriptDialog sd;
    std::string init;
    WDialog* d = build(name, args, from, sd, init);
    if (!d) return -1;
    const DialogueHooks* hooks = hooksOf(name);
    if (hooks && hooks->opened) hooks->opened(d);
    if (!init.empty()) InvokeFunc(init.c_str(), &sd);
    int result = d->done ? d->result : WDialogRun(d);
    if (hooks && hooks->closing) hooks->closing(d, result);
    WDialogDestroy(d);
    return result;
}

void DialogueCloseModeless(WDialog* d) {
    delete static_cast<ScriptDialog*>(d->user);
    WDialogDestroy(d);
}

WDialog* BuildDialogueModeless(const char* name, const std::vector<std::string>& args,
                               const ScriptDialog* from) {
    auto* sd = new ScriptDialog;
    std::string init;
    WDialog* d = build(name, args, from, *sd, init);
    if (!d) {
        delete sd;
        return nullptr;
    }
    d->modal = false;
    d->closed = DialogueCloseModeless;
    if (!init.empty()) InvokeFunc(init.c_str(), sd);
    return d;
}

bool ShowDialogueModeless(const char* name, const std::vector<std::string>& args,
                          const ScriptDialog* from, int seconds) {
    WDialog* d = BuildDialogueModeless(name, args, from);
    if (!d) return false;
    if (d->done) return true; // its init dismissed it: it is already on its way out
    WDialogShow(d);
    if (seconds > 0)
        ExtraProcess_Create(XP_TIMER, seconds * 1000L,
                            [](void* dd, int) {
                                // Still open (the dialogue list says so): time is up.
                                for (WDialog* open : WOpenDialogues())
                                    if (open == dd) WDialogDismiss(open, 0);
                                return 1;
                            },
                            nullptr, d);
    return true;
}

WDialog* BuildDescribedDialogue(const char* name, const std::vector<std::string>& args,
                                void (*activate)(WDialog* d, Widget* w, int how), void* user) {
    DialoguesEnsureLoaded();
    const DialogueDescription* desc = LookupDlb(name);
    if (!desc) {
        QuorlError(1, "No dialogue description %s", name);
        return nullptr;
    }
    DialogueDescription copy = *desc;
    WDialog* d = WDialogNew(name);
    std::string init, error;
    if (!BuildDialogue(copy, d, init, error)) {
        WDialogDestroy(d);
        QuorlError(1, "%s", error.c_str());
        return nullptr;
    }
    for (Widget* w : d->root->children) showPlacerArgs(w, args);
    d->user = user;
    d->activate = activate ? activate : [](WDialog* dd, Widget* w, int) {
        if (w->kind != WG_BUTTON) return;
        if (w->name == "help")
            WAlert(dd->helpText.empty() ? "No help is available for this dialogue."
                                        : dd->helpText.c_str());
        else
            WDialogDismiss(dd, w->isCancel ? 0 : 1);
    };
    d->batchText = d->title;
    d->cancelResult = 0;
    WDialogRealize(d);
    return d;
}
