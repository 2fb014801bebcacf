// tests/fuzz/fuzz_cmdstring.cc: command strings, as a key binding or `qe -batch -do` gives
// them, run in a headless editor window on a scratch File. Commands that reach outside the
// window (files, programs, other windows, quitting) are replaced by no-ops, so that what is
// fuzzed is the command-string language and the editing commands.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "buffer/file.h"
#include "buffer/journal.h"
#include "buffer/registry.h"
#include "config/cfg.h"
#include "editor/edit.h"
#include "editor/editcmd.h"
#include "editor/startup.h"
#include "fuzz_common.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

namespace {

const std::set<std::string> kept = {
    "Quote", "EOL", "SOL", "Up", "Down", "Left", "Right", "LeftU", "RightD", "UpSome",
    "DownSome", "LeftSome", "RightSome", "PageUp", "PageDown", "Word", "ReverseWord", "SOF",
    "EOF", "ContinueSelection", "LineD", "Column", "Undo", "Redo", "ShowMatch",
    "SelectToLines", "SelectAll", "SelectLine", "SelectWord", "SelectMatch", "SelectToMatch",
    "NoSelection", "SelectionAdjust", "SelectionExtend", "SelectionStart", "Abort", "Noop",
    "Beep", "AlterMode", "EnterInsertMode", "if", "NormalizeSelection", "InsertNewline",
    "Backspace", "Return", "Indent", "Unindent", "JoinLines", "RepeatLast", "Tab", "Delete",
    "SecondarySelectAll", "SecondarySelectLine", "SecondarySelectWord",
    "SecondarySelectionAdjust", "SecondarySelectionStart", "PrimaryToSecondary",
    "SecondaryToPrimary", "SOLSecondary", "SecondarySelectionReplace", "CommentBlock",
    "UnCommentBlock", "LowerCaseBlock", "UpperCaseBlock", "CmtReg", "UnCmtReg", "AutoIndent",
    "AutoIndentOrTab", "AutoIndentImplicit", "Goto"};

int noop(Edit*, EditCmdCtx*) { return 1; }

std::string scratch;

void SetUpEditor() {
    FuzzSetUp();
    wRequestedBackend = WB_HEADLESS;
    EditInstallCfgDisplay();
    if (WGUIInit(nullptr, nullptr) != 1) abort();
    cfg_StartupConfiguration(0);
    EditInstallFileLinks();
    for (const EditCmd& c : EditCmds())
        if (c.name && !kept.count(c.name)) EditAddCmd(c.name, noop);
    for (const EditCmd* c = configCmds; c->name; c++) EditAddCmd(c->name, noop);
    scratch = tempFileDir + "/../scratch.c";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (SetUpEditor(), true);
    (void)ready;
    if (size > 4096) return 0;
    FILE* f = fopen(scratch.c_str(), "w");
    if (!f) abort();
    fputs("int main(void)\n{\n\tif (a) { b(\"x\"); }\n\t/* note */\n\treturn 0;\n}\n", f);
    fclose(f);
    Edit* e = NewEdit(scratch.c_str(), 0, 1, 0);
    if (!e) abort();
    std::string command((const char*)data, size);
    EditCli(e, command.c_str());
    while (ContextWindow* cw = NextEditContext()) {
        auto* edit = static_cast<Edit*>(cw->data);
        if (edit->view.file && edit->view.file->haslock) incr_ReleaseLock(edit->view.file);
        edit->destroying = true;
        EditDestroy(edit);
    }
    while (File* file = FileHead()) FileFree(file);
    return 0;
}
