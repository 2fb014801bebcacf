// buffer/exec.h: shell commands and Files: a region filtered through a command, and command
// output appended to a File as it arrives. (The background command with its window, its Halt
// button and its end is the editor's: editor/execwin.h.)
#pragma once

#include <cstdint>

struct File;
struct Line;

// Filters the region through the command synchronously and replaces it by the output, as one
// undoable change (nothing at all when both are empty). A command with '<' reads its own input
// and the region is only replaced. 1 on success.
int FileExecuteStr(File* file, Line* hint, int64_t hintNo, int64_t l1, int c1, int64_t l2, int c2,
                   const char* command);
// The synchronous runner: the output (heap, NUL-terminated; gen_free it) or null when there is
// none; status gets the shell's wait status (32512 when the command did not run, -1 when the
// fork failed). Escape (after half a second) stops a command that does not end.
char* _FileExecuteStr(const char* command, const char* input, int64_t inputLen, int64_t* outLen,
                      int* status);

// Appends command output to the end of the File: whole lines, each ending with LF, except
// that with `last` a final piece without LF becomes a line of its own. The lines go to the
// File's temp file (output can be far bigger than memory would like), are not undoable, and
// every window showing the File is told. Returns the number of lines added.
int64_t FileAppendOutput(File* file, const char* bytes, int64_t n, bool last);
