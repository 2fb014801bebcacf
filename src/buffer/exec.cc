// buffer/exec.cc: a region filtered through a shell command, and command output appended to a
// File through its temp file.
#include "buffer/exec.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "buffer/change.h"
#include "buffer/file.h"
#include "buffer/notify.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "runtime/utf8.h"
#include "toolkit/longwork.h"
#include "toolkit/process.h"

namespace {

// The temp file removes itself however the filter ends.
struct TempPath {
    char* path = TempFileName();
    ~TempPath() {
        if (path) unlink(path);
        gen_free(path);
    }
};

// Runs the shell line and waits for it; Escape during a long run kills it.
int runAndWait(const std::string& line, const char* command) {
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        setpgid(0, 0);
        signal(SIGINT, SIG_DFL);
        WExecShell(line.c_str());
    }
    setpgid(pid, pid);
    char* what = gen_sprintf("Executing: %.40s", command);
    WLongWork work(what);
    gen_free(what);
    int status = 0, nap = 1;
    for (;;) {
        pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return status;
        if (r < 0 && errno != EINTR) return -1;
        if (work.aborted()) {
            kill(-pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return status;
        }
        poll(nullptr, 0, nap);
        if (nap < 20) nap *= 2;
    }
}

} // namespace

char* _FileExecuteStr(const char* command, const char* input, int64_t inputLen, int64_t* outLen,
                      int* status) {
    *outLen = 0;
    *status = 0;
    std::string line = command;
    TempPath in, out;
    if (!strchr(command, '<')) {
        int fd = in.path ? open(in.path, O_WRONLY | O_TRUNC) : -1;
        if (fd < 0) {
            QuorlError(ERR_FAILURE, "Can't open temporary file1");
            return nullptr;
        }
        bool ok = inputLen <= 0 || gen_writefull(fd, input, (size_t)inputLen);
        if (close(fd) != 0) ok = false;
        if (!ok) {
            QuorlError(ERR_FAILURE, "No space in temporary area");
            return nullptr;
        }
        // The temp directory is the user's to name: its path goes to the shell as one word.
        line += " <" + WShellQuote(in.path);
    }
    bool haveOut = !strchr(command, '>') && out.path;
    if (haveOut) {
        line += " >" + WShellQuote(out.path) + " 2>&1";
    }
    *status = runAndWait(line, command);
    if (*status == -1) {
        QuorlError(ERR_FAILURE, "Fork failed");
        return nullptr;
    }
    if (*status != 0) gen_warning("Command not successful");
    if (!haveOut) return nullptr;
    int fd = open(out.path, O_RDONLY);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || st.st_size == 0) {
        if (fd >= 0) close(fd);
        return nullptr;
    }
    char* text = (char*)malloc((size_t)st.st_size + 1);
    if (!text) {
        close(fd);
        QuorlError(ERR_FAILURE, "Insufficient memory for operation");
        return nullptr;
    }
    long got = gen_readfull(fd, text, (size_t)st.st_size);
    close(fd);
    if (got <= 0) {
        free(text);
        return nullptr;
    }
    text[got] = 0;
    *outLen = got;
    return text; // gen_free releases it like any runtime heap string
}

int FileExecuteStr(File* file, Line* hint, int64_t hintNo, int64_t l1, int c1, int64_t l2, int c2,
                   const char* command) {
    int64_t inLen = 0;
    GenStr input(strchr(command, '<') ? nullptr
                                      : FileToStr(file, hint, hintNo, l1, c1, l2, c2, &inLen));
    int64_t outLen = 0;
    int status = 0;
    GenStr output(_FileExecuteStr(command, input.get(), inLen, &outLen, &status));
    if (status == -1) return 0;
    bool emptyRegion = l1 == l2 && c1 == c2;
    if (emptyRegion && outLen == 0) return 1;
    return FileChange(file, hint, hintNo, l1, c1, l2, c2, output.get() ? output.get() : "", outLen,
                      0);
}

// ---- output into a File ----

namespace {

int outputTemp(File* file) {
    if (!file->tempName) {
        file->tempName = TempFileName();
        if (!file->tempName) return -1;
        // The cache window described the old text: it must not answer for the new temp file.
        FileCacheInit(file, 32768);
    }
    return CacheOpen(file->tempName, 0);
}

} // namespace

int64_t FileAppendOutput(File* file, const char* bytes, int64_t n, bool last) {
    if (n <= 0 || (!last && bytes[n - 1] != '\n')) return 0;
    int fd = outputTemp(file);
    off_t base = fd < 0 ? -1 : lseek(fd, 0, SEEK_END);
    if (base < 0 || !gen_writefull(fd, bytes, (size_t)n)) {
        QuorlError(ERR_FAILURE, "No space for temp file");
        return 0;
    }
    // Each line is followed by its LF in the temp file, as the lines of a loaded file are.
    if (bytes[n - 1] != '\n' && !gen_writefull(fd, "\n", 1)) return 0;
    int64_t before = file->nLines;
    int64_t start = 0;
    while (start < n) {
        const char* lf = (const char*)memchr(bytes + start, '\n', (size_t)(n - start));
        int64_t end = lf ? lf - bytes : n;
        int64_t len = end - start;
        if (len > INT32_MAX - 16) len = INT32_MAX - 16; // a line holds at most 2 GB
        _FileAppendO(file, (int64_t)base + start, (int)len);
        int w = LineWidthFrom(1, bytes + start, (int)len, file->utf8);
        if (w > file->maxWidth) file->maxWidth = w;
        start = end + 1;
    }
    if (Utf8NextHigh(bytes, 0, (size_t)n) < (size_t)n) {
        // Output comes in whole lines: a character is never cut between two pieces.
        if (file->utf8 && !Utf8Valid(bytes, (size_t)n)) FileSawNotUtf8(file);
        file->nonAscii = true;
    }
    int64_t added = file->nLines - before;
    file->synValidLines = std::min(file->synValidLines, before);
    FileShowChange(file, before + 1, 0, before + 1 + added, 0, before + 1, 0, before + 1, 0);
    return added;
}
