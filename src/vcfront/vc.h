// vcfront/vc.h: the version-control front end: one set of operations (under control, who holds
// it, check out, check in, create, discard, get, restore, history, previous version) carried
// out on QVC in-process, ClearCase through cleartool (one long-lived interpreter or one shell
// line per operation), RCS through co, ci, rlog and rcsdiff, or user-configured commands.
// Results are 1 for success and 0 for failure unless stated; -2 means the user cancelled.
#pragma once

#include <string>
#include <utility>
#include <vector>

enum VcSystem { VC_QVC = 0, VC_CLEARCASE = 1, VC_RCS = 2, VC_CUSTOM = 3 };

// ---- set-up ----
void vc_Init();    // templates for the selected system; the interpreter for ClearCase
// The templates selecting a system sets, by option name ("vc_co"...), all thirteen; empty for
// a system that has none.
std::vector<std::pair<std::string, std::string>> vc_SystemTemplates(int system);
void vc_Cleanup(); // stops the interpreter
// Installs the front end where the lower libraries reach it (buffer, QVC core, options).
void vc_InstallLinks();
extern bool vc_UseInterpreter;
// Stops a tool that has not ended after this many milliseconds (0: never); batch mode sets
// it from its wait limit, since there nobody can press Escape.
extern int vc_haltAfterMs;

// ---- output ----
// Destinations: 0 standard output, -1 the error buffer, -2 the editor's error message, any
// other value a message list made by vc_MessageList.
enum { VC_OUT_STDOUT = 0, VC_OUT_ERRBUF = -1, VC_OUT_ERROR = -2 };
int vc_SetOutput(int destination); // the previous one
int vc_GetOutput();
void vc_ErrAlert(const char* first = nullptr); // shows first and the error buffer; clears it
void vc_ErrIgnore();
// Runs op with its messages in the error buffer; shows them (after failure) only when op
// did not return 1.
template <class Op>
int vc_Quietly(Op op, const char* failure) {
    int saved = vc_SetOutput(VC_OUT_ERRBUF);
    int r = op();
    vc_SetOutput(saved);
    if (r == 1)
        vc_ErrIgnore();
    else
        vc_ErrAlert(failure);
    return r;
}
void vc_output(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The message list titled `title` (made, or shown again): its destination number.
int vc_MessageList(const char* title);
// Lines a message list holds (for batch printing and tests); empty for an unknown one.
std::vector<std::string> vc_MessageListLines(int destination);

// ---- running ----
int vc_Main(const char* command);  // a ClearCase, RCS or Custom command line
int qvc_Main(const char* command); // a QVC command line: 1, 0, or -2/-4 as QVC says
// One shell line with its standard output captured (at most 1,023 characters): 1 when it
// ended with status 0.
int vc_BufferedSystem(const char* command, std::string& output);
// The interpreter: sends a command and reads its lines (at most `capacity`); 1 or 0.
int vc_InterpretCommand(const char* command, std::vector<std::string>& lines, int capacity);
void vc_RestartInterpreter(int pid);
int vc_InterpreterPid();
int vc_InterpreterRestarts();

// ---- operations ----
int vc_UnderVC(const char* path);
std::string vc_GetCheckUser(const char* path); // "" for nobody
int vc_CheckOutFile(const char* logHint, const char* path);
int vc_CheckOutFileByVersion(const char* path, const char* version);
int vc_GetFile(const char* path);
int vc_UncheckFile(const char* ignored, const char* path);
// comment: text, null to ask the user, or VC_NOCOMMENT for none.
extern const char* const VC_NOCOMMENT;
int vc_CheckInFile(const char* path, const char* comment);
int vc_CreateFile(const char* path, int automatic);
int vc_InsertComments(std::string& command, const char* path, const char* comment);
int vc_GetComments(const char* path, std::string& comment); // 0 when cancelled
// kind 1 by version, 2 by date (what: seconds since the epoch as text), 3 the latest.
int vc_RestoreFile(const char* path, const char* destination, int kind, const char* what,
                   int keepDate);
std::string vc_NameFVerDate(const char* path, int kind, const char* version);
int vc_Other(const char* command);
int vc_CCaseShowView();
// The version before `version` (before the newest when empty), "" when there is none.
std::string vc_GetPreviousVersion(const char* path, const char* version);
// The ClearCase view the interpreter works in ("pwv -set -s", asked once), for window
// titles; "" for other systems or without the interpreter.
std::string vc_GetCCaseView();
std::string vc_ShowCommand(const char* path); // the history command line for a shell system
// A version of a file written into a new temporary file (its name in `temp`, which the caller
// removes): "" or null the newest. 1, or 0 after reporting.
int vc_FetchVersion(const char* path, const char* version, std::string& temp);
