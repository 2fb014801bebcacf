// toolkit/process.h: child processes with pipes, read as their output arrives by the event loop.
//
// A child belongs to an owner record reached through a handle: output and the end are handed
// to the owner only while its handle answers. Once the owner dies the child is terminated and
// whatever it still writes is thrown away, so a closed window never receives output.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

struct MHandle;

struct WProcessClient {
    // Output arrived; stream 1 standard output, 2 standard error (when not merged).
    void (*output)(void* owner, const char* data, size_t n, int stream) = nullptr;
    // The child ended and the output it left in the pipes was delivered: the wait status.
    void (*ended)(void* owner, int status) = nullptr;
    // Called last, whether the owner lived or not, when the runner lets go of the child: the
    // place to free what the caller kept for it.
    void (*release)(void* cookie) = nullptr;
    void* cookie = nullptr;
};

struct WProcessSpec {
    std::string command;           // run through the shell when argv is empty
    std::vector<std::string> argv; // run directly (execvp)
    std::string dir;               // working directory; empty keeps ours
    bool mergeStderr = true;       // standard error into the output pipe
    bool wantStdin = false;        // a pipe to standard input, else /dev/null
};

// Starts the child in a process group of its own, so that a halt reaches the commands a shell
// started. Returns the handle of the running record (kind "PROCESS", the caller owns one count
// and destroys it when done), or null after reporting "Can't create pipes" or "Can't fork".
// A command the shell cannot run still starts: its status says so (127 from the shell).
MHandle* WProcessStart(const WProcessSpec& spec, const WProcessClient& client, MHandle* owner);

pid_t WProcessPid(MHandle* process); // 0 once the record is gone
// Queues bytes for the child's standard input; they are written as the pipe takes them, never
// blocking the editor. A child that stopped reading gets nothing more (no SIGPIPE reaches us).
void WProcessWrite(MHandle* process, const char* data, size_t n);
void WProcessCloseInput(MHandle* process);
// Sends sig to the child's process group now and SIGKILL after graceMs if it is still there.
void WProcessTerminate(MHandle* process, int sig, int graceMs);
// Children started here that have not ended yet.
int WProcessRunning();
// Terminates every child still running and waits for each (with SIGKILL after graceMs): the
// process ends leaving none behind.
void WProcessEndAll(int graceMs);

// One word for a shell line, quoted so that the shell takes it as it is whatever it holds
// (blanks, quotes, "$(...)", backquotes, newlines).
std::string WShellQuote(const std::string& word);
// The shell's argument vector for a command, tried as "sh" on the PATH and then "/bin/sh".
void WExecShell(const char* command); // in a child only; never returns
