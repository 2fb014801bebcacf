// toolkit/process.cc: child processes with pipes, their output read by the background-work list.
#include "toolkit/process.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "runtime/error.h"
#include "runtime/handles.h"
#include "toolkit/eventloop.h"

namespace {

// Output read in one pass of the background list per child: a command that writes without
// pause must still leave the loop time for the windows.
constexpr size_t passBudget = 256 << 10;
// What is still drained once the child has ended (a descendant may hold the pipe open and
// write forever).
constexpr size_t endBudget = 64 << 20;
// A bigger pipe lets a fast writer hand over more per read, so that the owner's work per piece
// (appending lines, redrawing) is paid less often.
constexpr int pipeSize = 1 << 20;
// Read in pieces small enough that a pass can stop soon after its time is up: the owner's
// work on one piece (appending lines, scrolling) is what a key press waits behind.
constexpr size_t readSize = 64 << 10;
// How long one pass may spend on a child's output before the loop goes back to the windows.
constexpr int64_t passTimeUs = 4000;

int64_t monotonicUs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

struct Proc {
    pid_t pid = 0;
    int fds[2] = {-1, -1}; // read ends: [0] standard output, [1] standard error
    int inFd = -1;
    std::string pendingIn;
    std::vector<char> buf; // the child's own: a nested loop in a callback reads other children
    bool closeInWhenDone = false;
    MHandle* owner = nullptr; // a counted copy; null once given up
    MHandle* self = nullptr;  // the list's own count on the record's handle
    WProcessClient client;
    ExtraHandle* entry = nullptr;
    bool killArmed = false;
    long killSec = 0;
    int killMs = 0;
};

std::vector<Proc*> running;

void onChild(int) {
    WWakeUp();
}

void installChildSignal() {
    static bool done = false;
    if (done) return;
    done = true;
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = onChild;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigaction(SIGCHLD, &sa, nullptr);
}

// A write into a pipe whose reader is gone must fail with EPIPE, not end the editor.
struct SigpipeIgnored {
    struct sigaction saved;
    SigpipeIgnored() {
        struct sigaction sa;
        memset(&sa, 0, sizeof sa);
        sa.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &sa, &saved);
    }
    ~SigpipeIgnored() { sigaction(SIGPIPE, &saved, nullptr); }
};

void closeFd(int& fd) {
    if (fd < 0) return;
    WUnwatchFd(fd);
    close(fd);
    fd = -1;
}

void* ownerData(Proc* p) {
    return p->owner ? MHandleGetData(p->owner) : nullptr;
}

// Reads what the pipes hold, up to budget bytes, and for at most timeUs (0: no limit); a pipe
// at its end is closed.
void readPipes(Proc* p, size_t budget, int64_t timeUs) {
    std::vector<char>& buf = p->buf;
    if (buf.empty()) buf.resize(readSize);
    int64_t until = timeUs > 0 ? monotonicUs() + timeUs : 0;
    for (int s = 0; s < 2; s++) {
        size_t got = 0;
        while (p->fds[s] >= 0 && got < budget && (!until || got == 0 || monotonicUs() < until)) {
            ssize_t n = read(p->fds[s], buf.data(), buf.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
            if (n <= 0) {
                closeFd(p->fds[s]);
                break;
            }
            got += (size_t)n;
            void* owner = ownerData(p);
            if (owner && p->client.output) p->client.output(owner, buf.data(), (size_t)n, s + 1);
        }
    }
}

void writeInput(Proc* p) {
    if (p->inFd < 0) return;
    SigpipeIgnored guard;
    while (!p->pendingIn.empty()) {
        ssize_t n = write(p->inFd, p->pendingIn.data(), p->pendingIn.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        if (n <= 0) { // the child closed its input: what it did not take is dropped
            p->pendingIn.clear();
            closeFd(p->inFd);
            return;
        }
        p->pendingIn.erase(0, (size_t)n);
    }
    if (p->closeInWhenDone) closeFd(p->inFd);
}

void signalGroup(Proc* p, int sig) {
    // The child leads its own group; before it got there the pid alone is reached.
    if (kill(-p->pid, sig) != 0) kill(p->pid, sig);
}

void terminate(Proc* p, int sig, int graceMs) {
    signalGroup(p, sig);
    if (!p->killArmed) {
        p->killArmed = true;
        WSetTimeout(&p->killSec, &p->killMs, graceMs);
    }
}

// The owner is gone: nothing more goes to it and the child is asked to stop.
void giveUpOwner(Proc* p) {
    MHandleDestroy(p->owner);
    p->owner = nullptr;
    closeFd(p->fds[0]);
    closeFd(p->fds[1]);
    closeFd(p->inFd);
    terminate(p, SIGTERM, 2000);
}

int pollProc(void* user, int) {
    auto* p = static_cast<Proc*>(user);
    if (p->owner && !MHandleGetData(p->owner)) giveUpOwner(p);
    readPipes(p, passBudget, passTimeUs);
    writeInput(p);
    if (p->killArmed && WCheckTimeout(p->killSec, p->killMs) == 0) signalGroup(p, SIGKILL);
    return 0;
}

void freeProc(Proc* p) {
    running.erase(std::remove(running.begin(), running.end(), p), running.end());
    closeFd(p->fds[0]);
    closeFd(p->fds[1]);
    closeFd(p->inFd);
    MHandleDestroy(p->owner);
    MHandleDie(p);
    MHandleDestroy(p->self);
    ExtraProcess_Release(p->entry);
    if (p->client.release) p->client.release(p->client.cookie);
    delete p;
}

int finishProc(void* user, int status) {
    auto* p = static_cast<Proc*>(user);
    readPipes(p, endBudget, 0);
    // Descendants that still hold the pipes are not waited for.
    closeFd(p->fds[0]);
    closeFd(p->fds[1]);
    void* owner = ownerData(p);
    if (owner && p->client.ended) p->client.ended(owner, status);
    freeProc(p);
    return 1;
}

Proc* procOf(MHandle* h) {
    return static_cast<Proc*>(MHandleGetData(h));
}

bool makePipe(int fds[2]) {
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    return true;
}

void nonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

void childFail(const char* what) {
    // Only async-signal-safe calls between fork and exec.
    (void)!write(2, what, strlen(what));
    (void)!write(2, "\n", 1);
    _exit(1);
}

} // namespace

std::string WShellQuote(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

void WExecShell(const char* command) {
    char sh[] = "sh", dashC[] = "-c";
    char* argv[] = {sh, dashC, const_cast<char*>(command), nullptr};
    execvp("sh", argv);
    execv("/bin/sh", argv);
    childFail("exec failed");
}

MHandle* WProcessStart(const WProcessSpec& spec, const WProcessClient& client, MHandle* owner) {
    int out[2] = {-1, -1}, err[2] = {-1, -1}, in[2] = {-1, -1};
    auto closeAll = [&] {
        for (int* pr : {out, err, in})
            for (int i = 0; i < 2; i++)
                if (pr[i] >= 0) close(pr[i]);
    };
    if (!makePipe(out) || (!spec.mergeStderr && !makePipe(err)) ||
        (spec.wantStdin && !makePipe(in))) {
        closeAll();
        QuorlError(ERR_FAILURE, "Can't create pipes");
        return nullptr;
    }
    // Everything the child needs is made before the fork: it only dups, changes directory and
    // executes.
    std::vector<std::string> args = spec.argv;
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    installChildSignal();
    pid_t pid = fork();
    if (pid < 0) {
        closeAll();
        QuorlError(ERR_FAILURE, "Can't fork");
        return nullptr;
    }
    if (pid == 0) {
        setpgid(0, 0);
        signal(SIGINT, SIG_DFL);
        signal(SIGPIPE, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        int input = spec.wantStdin ? in[0] : open("/dev/null", O_RDONLY);
        if (input < 0 || dup2(input, 0) < 0 || dup2(out[1], 1) < 0 ||
            dup2(spec.mergeStderr ? out[1] : err[1], 2) < 0)
            childFail("dup failed");
        if (!spec.dir.empty() && chdir(spec.dir.c_str()) != 0) childFail("Can't change directory");
        if (argv.size() > 1) {
            execvp(argv[0], argv.data());
            childFail("exec failed");
        }
        WExecShell(spec.command.c_str());
    }
    setpgid(pid, pid); // also here, so that a halt right away finds the group
    auto* p = new Proc;
    p->pid = pid;
    p->client = client;
    p->owner = owner ? MHandleCopy(owner) : nullptr;
    close(out[1]);
    p->fds[0] = out[0];
    if (!spec.mergeStderr) {
        close(err[1]);
        p->fds[1] = err[0];
    }
    if (spec.wantStdin) {
        close(in[0]);
        p->inFd = in[1];
        nonBlocking(p->inFd);
    }
    for (int fd : p->fds)
        if (fd >= 0) {
            fcntl(fd, F_SETPIPE_SZ, pipeSize); // may be refused (a per-user limit): no matter
            nonBlocking(fd);
            WWatchFd(fd);
        }
    running.push_back(p);
    p->self = MHandleCreate(MHANDLE_PROCESS, p);
    p->entry = ExtraProcess_Create(XP_CHILD, pid, pollProc, finishProc, p);
    return MHandleCopy(p->self);
}

pid_t WProcessPid(MHandle* process) {
    Proc* p = procOf(process);
    return p ? p->pid : 0;
}

void WProcessWrite(MHandle* process, const char* data, size_t n) {
    Proc* p = procOf(process);
    if (!p || p->inFd < 0) return;
    p->pendingIn.append(data, n);
    writeInput(p);
}

void WProcessCloseInput(MHandle* process) {
    Proc* p = procOf(process);
    if (!p) return;
    p->closeInWhenDone = true;
    writeInput(p);
}

void WProcessTerminate(MHandle* process, int sig, int graceMs) {
    if (Proc* p = procOf(process)) terminate(p, sig, graceMs);
}

int WProcessRunning() {
    return (int)running.size();
}

void WProcessEndAll(int graceMs) {
    std::vector<Proc*> all = running;
    for (Proc* p : all) {
        MHandleDestroy(p->owner);
        p->owner = nullptr;
        signalGroup(p, SIGTERM);
    }
    long sec;
    int ms;
    WSetTimeout(&sec, &ms, graceMs);
    for (Proc* p : all) {
        int status = 0;
        pid_t r;
        while ((r = waitpid(p->pid, &status, WNOHANG)) == 0 && WCheckTimeout(sec, ms) > 0)
            usleep(10000);
        if (r == 0) {
            signalGroup(p, SIGKILL);
            while (waitpid(p->pid, &status, 0) < 0 && errno == EINTR) {
            }
        }
        // The entry goes through its own finish, which frees the record.
        ExtraProcess_Kill(p->entry, status);
    }
}
