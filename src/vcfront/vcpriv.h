// vcfront/vcpriv.h: what the front end's own files share: the tool runner's inner steps.
#pragma once

#include <string>

std::string vc_FindOnPath(const char* tool); // the full name, "" when not found
int vc_ForkInterpreter(const char* tool);
void vc_StopInterpreter();
int vc_InterpretSingleOutput(const char* command, std::string& text);
const std::string& vc_CachedView(); // "pwv -set -s", asked once
// Where a command's messages go while the operation runs: the shell line's output or the
// interpreter's lines, in a string (for answers read from a tool).
int vc_Capture(const char* command, std::string& output);
// The interpreter is given up: ClearCase commands go on as cleartool shell lines.
void vc_UseShellLines();
// Whether the last tool run was stopped (Escape, or the batch time limit) before it ended.
bool vc_LastHalted();
