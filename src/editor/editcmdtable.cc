// editor/editcmdtable.cc: the editor's command table: every command word with its flags, the
// handlers taken from the files that implement them.
#include <cstring>
#include <string>
#include <vector>

#include "config/cfgcmd.h"
#include "editor/editcmd.h"
#include "runtime/gen.h"
#include "toolkit/toolkit.h"

namespace {

struct Row {
    const char* name;
    int flags;
};

// In table order.
const Row rows[] = {
    // 0x0
    {"Quote", 0},
    {"Copy1", 0},
    {"RectCopy1", 0},
    {"RectCopy2", 0},
    {"Copy3", 0},
    {"RectCopy3", 0},
    {"Copy4", 0},
    {"RectCopy4", 0},
    {"Paste4", 0},
    {"EOL", 0},
    {"SOL", 0},
    {"SOL0", 0},
    {"SOL1", 0},
    {"Up", 0},
    {"Down", 0},
    {"Left", 0},
    {"Right", 0},
    {"LeftU", 0},
    {"RightD", 0},
    {"UpSome", 0},
    {"DownSome", 0},
    {"LeftSome", 0},
    {"RightSome", 0},
    {"PageUp", 0},
    {"PageDown", 0},
    {"Word", 0},
    {"ReverseWord", 0},
    {"SOF", 0},
    {"EOF", 0},
    {"ContinueSelection", 0},
    {"EditLine", 0},
    {"LineD", 0},
    {"Column", 0},
    {"Undo", 0},
    {"Redo", 0},
    {"ShowMatch", 0},
    {"SelectToLines", 0},
    {"SelectAll", 0},
    {"SelectLine", 0},
    {"SelectWord", 0},
    {"SelectMatch", 0},
    {"SelectToMatch", 0},
    {"NoSelection", 0},
    {"SelectionAdjust", 0},
    {"SelectionExtend", 0},
    {"SelectionStart", 0},
    {"SelectionGrab", 0},
    {"Search", 0},
    {"ISearch", 0},
    {"BackISearch", 0},
    {"StopSearch", 0},
    {"TruncateSearch", 0},
    {"Abort", 0},
    {"Noop", 0},
    {"Beep", 0},
    {"->", 0},
    {"AlterLocation", 0},
    {"AlterMode", 0},
    {"FlashCursor", 0},
    {"EnterInsertMode", 0},
    {"if", 0},
    {"{", 0},
    {"\"", 0},
    {"NormalizeSelection", 0},
    {"__openmanual", 0},
    // 0x1
    {"InsertNewline", 0x1},
    {"RectPaste1", 0x1},
    {"Paste1", 0x1},
    {"Paste2", 0x1},
    {"Cut3", 0x1},
    {"RectCut3", 0x1},
    {"Paste3", 0x1},
    {"Cut4", 0x1},
    {"RectCut4", 0x1},
    {"Backspace", 0x1},
    {"Return", 0x1},
    {"Date", 0x1},
    {"Indent", 0x1},
    {"Unindent", 0x1},
    {"JoinLines", 0x1},
    {"SelectionStartDrag", 0x1},
    {"SelectionStartDragAdd", 0x1},
    {"SelectionDrop", 0x1},
    {"RepeatLast", 0x1},
    {"Tab", 0x1},
    // 0x5
    {"Cut1", 0x5},
    {"RectCut1", 0x5},
    {"Cut2", 0x5},
    {"RectCut2", 0x5},
    {"Delete", 0x5},
    // 0x8
    {"Copy2", 0x8},
    {"SecondarySelectAll", 0x8},
    {"SecondarySelectLine", 0x8},
    {"SecondarySelectWord", 0x8},
    {"SecondarySelectionAdjust", 0x8},
    {"SecondarySelectionStart", 0x8},
    {"PrimaryToSecondary", 0x8},
    {"SecondaryToPrimary", 0x8},
    {"SOLSecondary", 0x8},
    // 0x9
    {"SecondarySelectionReplace", 0x9},
    {"SecondarySelectionReplaceClip", 0x9},
    // 0x2
    {"OpenTag", 0x2},
    {"EditFilename", 0x2},
    {"AppendTagFile", 0x2},
    {"ResetTags", 0x2},
    {"OpenText", 0x2},
    {"NewTag", 0x2},
    {"LoadFile", 0x2},
    {"OpenFile", 0x2},
    {"Notepad", 0x2},
    {"TogglePush", 0x2},
    {"CyclePush", 0x2},
    {"CyclePushBack", 0x2},
    {"NextWindow", 0x2},
    {"SpecialTag", 0x2},
    {"MergeFiles", 0x2},
    {"DiffFiles", 0x2},
    {"InsertFile", 0x2},
    {"SaveAs", 0x2},
    {"Save", 0x2},
    {"SaveAll", 0x2},
    {"QuerySaveAll", 0x2},
    {"ToggleReadOnly", 0x2},
    {"Resize", 0x2},
    {"Revert", 0x2},
    {"RevertToBackup", 0x2},
    {"RevertDate", 0x2},
    {"RevertVersion", 0x2},
    {"RevertHistory", 0x2},
    {"ShowHistory", 0x2},
    {"PlaceUnderVC", 0x2},
    {"ShowLastEdit", 0x2},
    {"Checkout", 0x2},
    {"Checkin", 0x2},
    {"Discard", 0x2},
    {"Unqvc", 0x2},
    {"Done", 0x2},
    {"Close", 0x2},
    {"CloseOrPop", 0x2},
    {"Pop", 0x2},
    {"ExecuteCmd", 0x2},
    {"!", 0x2},
    {"Shell", 0x2},
    {"NextError", 0x2},
    {"ErrorOrTag", 0x2},
    {"Help", 0x2},
    {"Identify", 0x2},
    {"Quit", 0x2},
    {"Grep", 0x2},
    {"Make", 0x2},
    {"CommandToWindow", 0x2},
    {"Cmd2Wnd", 0x2},
    {"CmdPrompt2Wnd", 0x2},
    {"Minibuffer", 0x2},
    {"vcbuffer", 0x2},
    {"ShowView", 0x2},
    {"Dialog", 0x2},
    {"About", 0x2},
    {"PageSetup", 0x2},
    {"Print", 0x2},
    {"Configure", 0x2},
    {"ConfigureFile", 0x2},
    {"EditorFlags", 0x2},
    {"ToggleErrorView", 0x2},
    {"SelectLanguage", 0x2},
    {"UserName", 0x2},
    {"CommentBlock", 0x2},
    {"UnCommentBlock", 0x2},
    {"LowerCaseBlock", 0x2},
    {"UpperCaseBlock", 0x2},
    {"FindDec", 0x2},
    {"FindComp", 0x2},
    {"FindUse", 0x2},
    {"ShowCall", 0x2},
    {"ShowDep", 0x2},
    {"Ada95lrm", 0x2},
    {"ShowTypeGrph", 0x2},
    {"Analyze", 0x2},
    {"CmtReg", 0x2},
    {"UnCmtReg", 0x2},
    {"AdjCaseReg", 0x2},
    {"AdjCaseFile", 0x2},
    {"StartBrowser", 0x2},
    {"Dialogue", 0x2},
    {"CreateLog", 0x2},
    {"ChangeLogVar", 0x2},
    {"EditTag", 0x2},
    {"Printsyn", 0x2},
    {"ShowContextMenu", 0x2},
    {"LoadFileWithNewEditor", 0x2},
    // 0x3
    {"QuerySaveCheckinAll", 0x3},
    // 0x12
    {"Goto", 0x12},
    {"ToggleAutoCheckout", 0x12},
    {"PreventAutoCheckout", 0x12},
    {"AllowAutoCheckout", 0x12},
    // 0x13
    {"AutoIndent", 0x13},
    {"AutoIndentOrTab", 0x13},
    {"AutoIndentImplicit", 0x13},
};

// Rows that share another row's handler.
const char* const sharedHandler[][2] = {
    {"CreateLog", "PlaceUnderVC"},  {"!", "ExecuteCmd"},    {"AlterMode", "AlterLocation"},
    {"Cmd2Wnd", "CommandToWindow"}, {"Dialogue", "Dialog"},
};

// The source browser is not part of this program: these do nothing and succeed.
const char* const browserCmds[] = {"FindDec",    "FindComp",    "FindUse",      "ShowCall",
                                   "ShowDep",    "Ada95lrm",    "ShowTypeGrph", "Analyze",
                                   "AdjCaseReg", "AdjCaseFile", "StartBrowser"};

// The double click's tag lookup belongs to the larger environment too: a double click here
// only selects.
const char* const environmentCmds[] = {"SpecialTag"};

int cmdBrowser(Edit*, EditCmdCtx*) {
    return 1;
}

// A command whose part of the editor is not built yet: says so and fails its string, so that
// nothing after it runs on the assumption that it did its work.
int cmdNotAvailable(Edit* edit, EditCmdCtx* ctx) {
    char* m = gen_sprintf("%s: not available yet", ctx->name ? ctx->name : "command");
    EditSetMsg(edit, m);
    gen_free(m);
    return 0;
}

const EditCmd* findIn(const EditCmd* table, const char* name) {
    for (const EditCmd* c = table; c->name; c++)
        if (strcasecmp(c->name, name) == 0) return c;
    return nullptr;
}

EditCmdFn handlerFor(const char* name) {
    for (const char* b : browserCmds)
        if (strcmp(b, name) == 0) return cmdBrowser;
    for (const char* b : environmentCmds)
        if (strcmp(b, name) == 0) return cmdBrowser;
    for (const auto& pair : sharedHandler)
        if (strcmp(pair[0], name) == 0) name = pair[1];
    for (const EditCmd* t : {editSelCmds, editParseCmds, editEditCmds, editFileCmds, editDialogCmds,
                              editShellCmds, editErrorCmds, editTagCmds})
        if (const EditCmd* c = findIn(t, name)) return c->handler;
    return cmdNotAvailable;
}

} // namespace

const std::vector<EditCmd>& EditCmds() {
    static std::vector<EditCmd> table;
    if (table.empty()) {
        for (const Row& r : rows)
            table.push_back({r.name, handlerFor(r.name), r.flags});
        table.push_back({nullptr, nullptr, 0});
    }
    return table;
}
