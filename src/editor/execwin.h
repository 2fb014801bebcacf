// editor/execwin.h: shell commands running in the background with their output streaming into
// a File shown in an editor window (with a Halt button), and detached commands.
#pragma once

#include <cstdint>
#include <string>

struct Edit;
struct File;

// Called when the command ended, with the output File and the wait status.
using ExecEnd = void (*)(File* file, int status);

// Runs the command through the shell into a new internal File (named from its first word)
// shown in a new editor window. `from` gets the "Executing:" message. Null after a failure
// to start (reported).
File* FileFExecuteStr(const char* command, Edit* from, ExecEnd end);
// Runs a command whose output is navigated as errors: into `file`, or (null) into "LABEL.NNN"
// (label null: "progress"), reusing the previous number's File when it is idle and has no
// current error line. dir: where the relative names of its messages start (the command itself
// runs in the current directory). beside: a window opens when the File has none.
File* ErrorFExecuteStr(const char* command, Edit* from, int append, const char* dir, int beside,
                       ExecEnd end, File* file, const char* label);
// Starts the command without pipes; end (may be null) gets data and the wait status.
int NoWaitSystem(const char* command, void (*end)(void* data, int status), void* data);

// The Halt button of the File's windows, or the batch command: SIGINT to the command, then
// SIGKILL when it does not end. 0 when no command writes into the File.
int ExecHalt(File* file);
// The File most recently given to an error command, while it lives ("No error file" else).
File* ExecLastErrorList();
void ExecSetLastErrorList(File* file);
// The installation directory's program of that name when it is there, else the name itself
// (looked up on the PATH).
std::string ExecInstalledProgram(const char* name);

// Files are edited in another program when the options say so (usealternateeditor, with the
// program in the editor option, run in an xterm with usextermforalternateeditor).
bool ExecExternalEditorWanted();
// Hands the file (at the line, when above 0) to that program, not waiting for it.
int ExecExternalEditor(Edit* from, const std::string& path, int64_t line);
