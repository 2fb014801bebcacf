// vcfront/vcpriv.h: what the front end's own files share: the tool runner's inner steps.
#pragma once

#include <string>

std::string vc_FindOnPath(const char* tool); // the full name, "" when not found
int vc_ForkInterpreter(const char* tool);
void vc_StopInterpreter();
// Runs a command as vc_Main does but hands its output back instead of showing it: for the
// answers read from a tool (who has it, under control, versions). 1 on success.
int vc_Capture(const char* command, std::string& output);
// The interpreter is given up: ClearCase commands go on as cleartool shell lines.
void vc_UseShellLines();
// Whether the last tool run was stopped (Escape, or the batch time limit) before it ended.
bool vc_LastHalted();
