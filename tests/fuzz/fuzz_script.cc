// tests/fuzz/fuzz_script.cc: dialogue scripts and dialogue description files from arbitrary
// bytes. Input: one byte choosing what the rest is (even: a script run with no dialogue, odd: a
// description file read and each of its dialogues built), then the text.
#include <cstdint>
#include <string>

#include "dialogue/dlgfile.h"
#include "dialogue/script.h"
#include "fuzz_common.h"
#include "toolkit/dialog.h"
#include "toolkit/toolkit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzSetUp();
    static bool once = [] {
        scriptReport = [](const std::string&) {};
        scriptStepLimit = 20000; // scripts may loop for ever: the run is ended instead
        wRequestedBackend = WB_HEADLESS;
        WGUIInit(nullptr, nullptr);
        return true;
    }();
    (void)once;
    if (size < 1) return 0;
    // Each input starts from no variables, so that a saved input fails alone as it failed in
    // the run, and the table does not grow for the whole run.
    ScriptClearVars();
    std::string text((const char*)data + 1, size - 1);
    if (data[0] % 2 == 0) {
        ScriptDialog sd;
        sd.args = {"one", "two"};
        sd.name = "fuzz";
        ScriptValue v;
        InvokeFunc(text.c_str(), &sd, &v);
        return 0;
    }
    std::string error;
    std::vector<std::string> names;
    if (!LoadDialogueText(text, "fuzz.dlg", error, &names)) return 0;
    for (const std::string& name : names) {
        const DialogueDescription* desc = LookupDlb(name.c_str());
        WDialog* d = WDialogNew(name.c_str());
        std::string init;
        try {
            ErrorCheck frame;
            if (BuildDialogue(*desc, d, init, error)) WDialogRealize(d);
        } catch (const PanicError&) {
            // an editor pane: the harness has no editor to make one
        }
        WDialogDestroy(d);
    }
    return 0;
}
