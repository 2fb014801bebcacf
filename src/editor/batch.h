// editor/batch.h: batch mode: command strings run in headless windows.
#pragma once

#include <string>
#include <vector>

struct Edit;

// Runs each command string in the current window; 0 when all succeeded, else 1.
int RunBatch(const std::vector<std::string>& commands);
// Runs one command string; 1 on success.
int BatchRunCommand(const std::string& command);
Edit* BatchCurrentEdit();
