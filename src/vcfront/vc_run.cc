// vcfront/vc_run.cc: running a tool's command line: one shell line at a time, or through the
// long-lived ClearCase interpreter. Both wait for the tool, but neither can hang the editor:
// the wait watches for Escape (and, in batch mode, a time limit) and kills a tool that does
// not end; a dead interpreter fails its command and is started again next time.
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "config/options.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/eventloop.h"
#include "toolkit/longwork.h"
#include "toolkit/toolkit.h"
#include "vc/qvc.h"
#include "vcfront/vc.h"
#include "vcfront/vcpriv.h"

int vc_haltAfterMs = 0;

namespace {

constexpr size_t captureMax = 1023;         // characters of a shell line's output kept
constexpr const char* endMarker = "__TQL_ILLEGAL_COMMAND";
constexpr int maxRestarts = 30;

// A write into a pipe whose reader died must fail with EPIPE rather than stop the editor.
struct NoSigpipe {
    struct sigaction saved;
    NoSigpipe() {
        struct sigaction sa {};
        sa.sa_handler = SIG_IGN;
        sigemptyset(&sa.sa_mask);
        sigaction(SIGPIPE, &sa, &saved);
    }
    ~NoSigpipe() { sigaction(SIGPIPE, &saved, nullptr); }
};

// Waits until fd is readable. False when the user gave up (Escape) or the batch limit passed:
// the caller then kills the tool.
bool waitReadable(int fd, WLongWork& work, long startSec, int startMs) {
    for (;;) {
        struct pollfd p {fd, POLLIN, 0};
        int r = poll(&p, 1, 100);
        if (r > 0) return true;
        if (r < 0 && errno != EINTR) return true; // let the read report it
        if (work.aborted()) return false;
        if (vc_haltAfterMs > 0) {
            long sec;
            int ms;
            wClock(&sec, &ms);
            if ((sec - startSec) * 1000L + (ms - startMs) >= vc_haltAfterMs) return false;
        }
    }
}

bool lastHalted = false; // the last tool run was stopped before it ended

// Escape has been reported by the long-work scope; the batch time limit is reported here.
void reportHalted(const char* command, const WLongWork& work) {
    lastHalted = true;
    if (!work.stopped) QuorlError(ERR_ABORTED, "Version control command halted: %.200s", command);
}

// ---- the interpreter ----
struct Interpreter {
    pid_t pid = 0;
    int toChild = -1;
    int fromChild = -1;
    std::string pending; // read but not yet taken as lines
    ExtraHandle* watch = nullptr;
    int restarts = 0;
} interp;

void closeInterpreter() {
    if (interp.toChild >= 0) close(interp.toChild);
    if (interp.fromChild >= 0) close(interp.fromChild);
    interp.toChild = interp.fromChild = -1;
    interp.pending.clear();
    if (interp.pid > 0 && kill(-interp.pid, SIGKILL) != 0) kill(interp.pid, SIGKILL);
    interp.pid = 0;
    if (interp.watch) {
        ExtraProcess_Release(interp.watch); // the watch still reaps the killed child
        interp.watch = nullptr;
    }
}

// One line from the interpreter (at most 254 characters; a longer one arrives in pieces).
// 1 a line, 0 end of file, -1 halted.
int readLine(std::string& line, WLongWork& work, long sec, int ms) {
    for (;;) {
        size_t nl = interp.pending.find('\n');
        if (nl != std::string::npos || interp.pending.size() >= 254) {
            size_t take = nl != std::string::npos && nl < 254 ? nl + 1 : 254;
            line = interp.pending.substr(0, take);
            interp.pending.erase(0, take);
            return 1;
        }
        if (!waitReadable(interp.fromChild, work, sec, ms)) return -1;
        char buf[512];
        ssize_t n = read(interp.fromChild, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (interp.pending.empty()) return 0;
            line = interp.pending;
            interp.pending.clear();
            return 1;
        }
        interp.pending.append(buf, (size_t)n);
    }
}

} // namespace

std::string vc_FindOnPath(const char* tool) {
    if (strchr(tool, '/')) return access(tool, X_OK) == 0 ? tool : "";
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/bin:/usr/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t colon = dirs.find(':', start);
        if (colon == std::string::npos) colon = dirs.size();
        std::string dir = dirs.substr(start, colon - start);
        std::string full = (dir.empty() ? "." : dir) + "/" + tool;
        if (access(full.c_str(), X_OK) == 0 && !gen_isdir(full.c_str())) return full;
        start = colon + 1;
    }
    return "";
}

// The words of a shell line that needs nothing of the shell but its quoting: blanks between
// words, single quotes, and double quotes with backslash escapes. False for anything the shell
// would do more with (expansions, redirections, pipes, several commands); such a line runs
// through sh. Saves a shell per tool run, which is most of the cost beyond the tool's own.
static bool plainWords(const char* line, std::vector<std::string>& words) {
    words.clear();
    const char* p = line;
    while (*p) {
        while (*p == ' ' || *p == '\t') p++;
        if (!*p) break;
        std::string w;
        while (*p && *p != ' ' && *p != '\t') {
            char c = *p++;
            if (c == '\'') {
                const char* end = strchr(p, '\'');
                if (!end) return false;
                w.append(p, (size_t)(end - p));
                p = end + 1;
            } else if (c == '"') {
                for (;;) {
                    if (!*p) return false;
                    char d = *p++;
                    if (d == '"') break;
                    if (d == '$' || d == '`') return false;
                    if (d == '\\' && (*p == '\\' || *p == '"' || *p == '$' || *p == '`'))
                        d = *p++;
                    else if (d == '\\' && *p == '\n')
                        return false;
                    w += d;
                }
            } else if (isalnum((unsigned char)c) || strchr("-_./,:+=%@^", c)) {
                w += c;
            } else {
                return false;
            }
        }
        words.push_back(w);
    }
    // A first word with "=" is an assignment to the shell.
    return !words.empty() && words[0].find('=') == std::string::npos;
}

bool vc_LastHalted() {
    return lastHalted;
}

int vc_BufferedSystem(const char* command, std::string& output) {
    output.clear();
    lastHalted = false;
    std::vector<std::string> words;
    if (!plainWords(command, words)) words = {"/bin/sh", "-c", command};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return 0;
    fflush(stdout);
    // Spawned rather than forked: the editor's memory is not copied for a tool run. The child
    // gets a process group of its own, so that a halt reaches whatever the shell started.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, dflt;
    sigemptyset(&none);
    sigemptyset(&dflt);
    sigaddset(&dflt, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &dflt);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                        POSIX_SPAWN_SETSIGDEF);
    pid_t pid;
    int err = posix_spawnp(&pid, argv[0], &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (err != 0) {
        close(fds[0]);
        close(fds[1]);
        // as the shell would say it
        vc_output("sh: 1: %s: not found\n", words[0].c_str());
        return 0;
    }
    close(fds[1]);
    WLongWork work(command);
    long sec;
    int ms;
    wClock(&sec, &ms);
    bool halted = false;
    for (;;) {
        if (!waitReadable(fds[0], work, sec, ms)) {
            halted = true;
            break;
        }
        char buf[255];
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        size_t room = captureMax - std::min(captureMax, output.size());
        output.append(buf, std::min(room, (size_t)n));
    }
    close(fds[0]);
    if (halted) kill(-pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (halted) {
        reportHalted(command, work);
        return 0;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// ---- the interpreter ----

int vc_ForkInterpreter(const char* tool) {
    if (!tool || !*tool) return 0;
    if (vc_FindOnPath(tool).empty()) {
        dontusevc = 1;
        const char* hint = vc_whichVC == VC_CLEARCASE ? "  Perhaps ClearCase is not installed."
                           : vc_whichVC == VC_RCS     ? "  Perhaps RCS is not installed."
                                                      : "";
        QuorlError(ERR_FAILURE, "\"%.256s\" is not in your PATH.%.256s  Disabling version control.",
                   tool, hint);
        return 0;
    }
    int down[2], up[2];
    if (pipe(down) != 0) return 0;
    if (pipe(up) != 0) {
        close(down[0]);
        close(down[1]);
        return 0;
    }
    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) {
        for (int fd : {down[0], down[1], up[0], up[1]}) close(fd);
        return 0;
    }
    if (pid == 0) {
        setpgid(0, 0); // its own group: stopping it stops what it started too
        signal(SIGPIPE, SIG_DFL);
        dup2(down[0], 0);
        dup2(up[1], 1);
        dup2(up[1], 2);
        for (int fd : {down[0], down[1], up[0], up[1]}) close(fd);
        execlp(tool, tool, (char*)nullptr);
        fputs("exec failed\n", stderr);
        _exit(1);
    }
    setpgid(pid, pid); // (as the child does: whichever runs first)
    close(down[0]);
    close(up[1]);
    fcntl(down[1], F_SETFD, FD_CLOEXEC);
    fcntl(up[0], F_SETFD, FD_CLOEXEC);
    int status;
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r != 0) {
        close(down[1]);
        close(up[0]);
        gen_warning("Could not start version control interpreter: %s", tool);
        return 0;
    }
    interp.pid = pid;
    interp.toChild = down[1];
    interp.fromChild = up[0];
    interp.pending.clear();
    interp.watch = ExtraProcess_Create(XP_CHILD, pid, nullptr,
                                       [](void* user, int) {
                                           vc_RestartInterpreter((int)(long)user);
                                           return 1;
                                       },
                                       (void*)(long)pid);
    return 1;
}

void vc_StopInterpreter() {
    closeInterpreter();
}

int vc_InterpreterPid() {
    return interp.pid;
}

int vc_InterpreterRestarts() {
    return interp.restarts;
}

void vc_RestartInterpreter(int pid) {
    if (pid != 0 && pid != interp.pid) return;
    closeInterpreter();
    if (interp.restarts++ >= maxRestarts) {
        QuorlError(ERR_FAILURE, "Gave up on restarting Version Control interpreter.");
        vc_UseShellLines();
        return;
    }
    QuorlError(ERR_SUCCESS, "Restarting Version Control interpreter.");
    vc_ForkInterpreter(vc_command.c_str());
}

int vc_InterpretCommand(const char* command, std::vector<std::string>& lines, int capacity) {
    lines.clear();
    lastHalted = false;
    // One command is one line to the interpreter: a bare line break (a file name holding one)
    // would make the rest a command of its own. A comment's breaks come escaped.
    for (const char* p = command; *p; p++)
        if ((*p == '\n' && (p == command || p[-1] != '\\')) || *p == '\r') {
            QuorlError(ERR_FAILURE, "Version control command refused: it holds a line break");
            return 0;
        }
    if (interp.pid <= 0 && vc_UseInterpreter && interp.restarts <= maxRestarts)
        vc_ForkInterpreter(vc_command.c_str());
    if (interp.pid <= 0) return 0;
    std::string text = std::string(command) + "\n" + endMarker + "\n";
    {
        NoSigpipe guard;
        size_t done = 0;
        while (done < text.size()) {
            ssize_t n = write(interp.toChild, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                vc_RestartInterpreter(0);
                return 0;
            }
            done += (size_t)n;
        }
    }
    WLongWork work((vc_command + " " + command).c_str());
    long sec;
    int ms;
    wClock(&sec, &ms);
    for (;;) {
        std::string line;
        int got = readLine(line, work, sec, ms);
        if (got < 0) { // a hanging tool: kill it; the next command starts another
            reportHalted(command, work);
            closeInterpreter();
            return 0;
        }
        if (got == 0) {
            vc_RestartInterpreter(0);
            return 0;
        }
        if (line.find(endMarker) != std::string::npos) break;
        if ((int)lines.size() >= capacity) {
            WAlert("Too many lines from interpreter");
            // Read on to the end marker so that the next command starts clean.
            while (readLine(line, work, sec, ms) == 1 && line.find(endMarker) == std::string::npos) {
            }
            return 0;
        }
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    return 1;
}

int vc_Main(const char* command) {
    if (vc_UseInterpreter) {
        std::vector<std::string> lines;
        int ok = vc_InterpretCommand(command, lines, 10);
        for (const std::string& l : lines) {
            vc_output("%s\n", l.c_str());
            if (l.rfind("cleartool: Error:", 0) == 0) ok = 0;
        }
        return ok;
    }
    std::string out;
    int ok = vc_BufferedSystem(command, out);
    if (!out.empty()) vc_output("%s", out.c_str());
    return ok;
}

int qvc_Main(const char* command) {
    if (dontusevc) {
        WAlert("QVC has been turned off by the configuration option: dontuseqvc\n");
        return -1;
    }
    int r = qvc_main_char(command);
    if (r == 0) return 1;
    if (r == -1) return 0;
    return r;
}
