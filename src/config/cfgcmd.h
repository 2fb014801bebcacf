// config/cfgcmd.h: the setters of options and configuration commands (CDo...), the routing of
// lines that name no option, and the editor's configure entry points.
#pragma once

#include <string>

#include "runtime/seam.h"

struct CfgOption;

// Setters of options whose effect lives elsewhere: each stores the value and calls
// tells cfg_optionWatch so that the owner can react.
int CDoAdaIndentSize(CfgOption& option, const char* value);
int CDoAdaContinuationSize(CfgOption& option, const char* value);
int CDoWordWrap(CfgOption& option, const char* value);
int CDoWrapColumn(CfgOption& option, const char* value);
int CDoWrapIndent(CfgOption& option, const char* value);
int CDoIndentSize(CfgOption& option, const char* value);
int CDoExactCase(CfgOption& option, const char* value);
int CDoScrollLoc(CfgOption& option, const char* value);
int CDoScrollHLoc(CfgOption& option, const char* value);
int CDoSync(CfgOption& option, const char* value);
int CDoColorSyntax(CfgOption& option, const char* value);
int CDoColorBuilder(CfgOption& option, const char* value);
int CDoBlackWhite(CfgOption& option, const char* value);
int CDoScrollBarWidth(CfgOption& option, const char* value);
int CDoFont(CfgOption& option, const char* value);
int CDoButtonFont(CfgOption& option, const char* value);
int CDo16BitFont(CfgOption& option, const char* value);
int CDoGeometry(CfgOption& option, const char* value);
// The setter of "versioncontroltype": stores the choice and, when it selects another system,
// tells the version-control front end, which sets that system's command templates at once (so
// that template lines after it in a file replace them).
int cfg_SetVersionControl(CfgOption& option, const char* value);
struct CfgVersionControl {
    virtual void systemChanged() = 0;

protected:
    ~CfgVersionControl() = default;
};
extern Seam<CfgVersionControl> cfg_versionControl;

// Configuration commands (hidden function options).
int CDoConfigure(CfgOption& option, const char* value);
int CDoKey(CfgOption& option, const char* value);
int CDoMouse(CfgOption& option, const char* value);
int CDoClearKeys(CfgOption& option, const char* value);
int CDoClearMice(CfgOption& option, const char* value);
int CDoMenu(CfgOption& option, const char* value);
int CDoClearMenus(CfgOption& option, const char* value);
int CDoEButton(CfgOption& option, const char* value);
int CDoClearEButtons(CfgOption& option, const char* value);
int CDoIconGeometry(CfgOption& option, const char* value);
int CDoIconify(CfgOption& option, const char* value);
int CDoDumpResources(CfgOption& option, const char* value);
int CDoDialogueFile(CfgOption& option, const char* value);
int CDoNothing(CfgOption& option, const char* value); // accepted, no effect here
int CDoDontUseQvc(CfgOption& option, const char* value);

// Lines whose keyword names no option: "locations.", "modifiers.", "?".
// 1 handled, 0 handled but failed, -1 unknown keyword.
int shr_ConfigureLine(const char* keyword, const char* value);

// The editor's Configure and ConfigureFile commands: text is one configuration line, or
// with isfile a file name (expanded with ~ and $VAR). 1 on success.
int Configure(const char* text, int isfile);

// Parses an X geometry string "[=][W{xX}H][{+-}X{+-}Y]"; 1 when well formed.
int cfg_ParseGeometry(const char* text, int* set, int* width, int* height, int* x, int* y);

// Dialogue description files named by "dialoguefile", kept until the dialogue language
// loads them.
extern std::string cfg_dialogueFiles;

// The configuration commands of the editor's command table and batch mode, by name (case
// ignored): "Configure" (args: one configuration line), "ConfigureFile" (args: a file),
// "PrintOption" (batch only), "saveconfig", "clearconfig", "saveconfigtofile",
// "loadconfigfromfile". Returns 1 when name is one of them, with the command's own 1/0
// result in *result; 0 when it is not.
int cfg_RunConfigCommand(const char* name, const char* args, int* result);
