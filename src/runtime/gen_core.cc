// runtime/gen_core.cc: start-up, memory, messages, exits, assertions and signal traps.
#include "runtime/gen.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

char* gen_progname = nullptr;
char* gen_execname = nullptr;
int gen_sigtrap_value = 0; // the last signal the traps acted on
int gen_msgcount[7];
int gen_anyerror = 0;
unsigned char gen_altprefixes = 0;

void* (*gen_alloc)(long, size_t) = gen_default_alloc;
void* (*gen_realloc)(void*, size_t) = gen_default_realloc;
void (*gen_exit)(int) = gen_default_exit;
void (*gen_domessage)(int, const char*, va_list) = gen_default_domessage;
const char* (*gen_temp_dir)(const char*) = gen_default_temp_dir;

static char* progdir = nullptr;
static int storedVersion = 0;

// The count is printed in full (not truncated to an int) so that huge requests read right.
static void outOfMemory(unsigned long long bytes) {
    gen_errorexit(3, "Out of memory (%llu bytes requested)", bytes);
}

static unsigned long long requestSize(long count, size_t size) {
    unsigned long long total;
    if (__builtin_mul_overflow((unsigned long long)count, (unsigned long long)size, &total))
        return ~0ULL;
    return total;
}

void* gen_default_alloc(long count, size_t size) {
    if (count <= 0) return nullptr;
    void* p = calloc((size_t)count, size);
    if (!p && size != 0) outOfMemory(requestSize(count, size));
    return p;
}

void* gen_default_realloc(void* ptr, size_t size) {
    if ((long)size < 1) return nullptr;
    if (!ptr) return gen_alloc(1, size);
    void* p = realloc(ptr, size);
    if (!p) outOfMemory(size);
    return p;
}

void gen_default_exit(int status) {
    exit(status);
}

void* gen_allocate(void* ptr, long count, size_t size) {
    return gen_realloc(ptr, (size_t)count * size);
}

void gen_free(void* ptr) {
    if (ptr) free(ptr);
}

void* gen_structcopy(const void* ptr, size_t size) {
    if (!ptr) return nullptr;
    void* p = gen_alloc(1, size);
    memcpy(p, ptr, size);
    return p;
}

static void newHandler() {
    // operator new cannot say how much it wanted; report the failure as the allocator does.
    std::set_new_handler(nullptr);
    outOfMemory(0);
}

void gen_init(const char* programPath, int viewpathMode) {
    if (!programPath) programPath = "qe";
    gen_free(gen_execname);
    gen_free(gen_progname);
    gen_execname = gen_copy(programPath);
    gen_progname = gen_copy(gen_basename(programPath));
    std::set_new_handler(newHandler);
    trapsetup();
    gen_viewpathing_init(viewpathMode);
    static bool registered = false;
    if (!registered) {
        registered = true;
        atexit(gen_destruct);
    }
}

void gen_viewpathing_init(int mode) {
    // Every mode leaves view-pathing off here; the debug variable only confirms that.
    (void)mode;
    if (getenv("TQL_VP_DEBUG")) gen_info("Viewpathing support is OFF.");
}

void gen_destruct() {
    gen_free(gen_progname);
    gen_free(gen_execname);
    gen_free(progdir);
    gen_progname = gen_execname = progdir = nullptr;
}

// ---- messages ----

static const char* const plainPrefixes[6] = {nullptr, "disaster", "fatal", "error", "warning",
                                             "info"};
static const char* const altPrefixes[6] = {"ERROR", "ERROR: DISASTER", "ERROR: FATAL",
                                           "ERROR", "WARNING", "INFO"};

void gen_default_domessage(int code, const char* format, va_list args) {
    bool sysErr = code > 100;
    int base = sysErr ? code - 100 : code;
    if (base >= 0 && base < 7) gen_msgcount[base]++;
    if (base >= 0 && base <= 3) gen_anyerror++;
    int savedErrno = errno;
    fflush(stdout);
    if (gen_progname && *gen_progname && base != 6) fprintf(stderr, "%s: ", gen_progname);
    if (base >= 0 && base < 6) {
        const char* prefix = gen_altprefixes ? altPrefixes[base] : plainPrefixes[base];
        if (prefix) fprintf(stderr, "%s: ", prefix);
    }
    // Format first: the newline rule needs the text's last byte, and long texts must not be cut.
    char small[1024];
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(small, sizeof small, format ? format : "", args);
    char* text = small;
    if (n >= (int)sizeof small) {
        text = (char*)malloc((size_t)n + 1);
        if (text)
            vsnprintf(text, (size_t)n + 1, format, copy);
        else
            text = small; // keep the cut text rather than fail inside the reporter
    }
    va_end(copy);
    size_t len = strlen(text);
    fputs(text, stderr);
    if (sysErr && savedErrno != 0) {
        errno = savedErrno;
        perror(" ");
        errno = 0;
    } else if (len == 0 || text[len - 1] != '\n') {
        fputc('\n', stderr);
    }
    if (text != small) free(text);
    fflush(stderr);
}

void gen_vmessage(int code, const char* format, va_list args) {
    gen_domessage(code, format, args);
}

void gen_message(int code, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    gen_domessage(code, format, ap);
    va_end(ap);
}

#define GEN_MESSAGE_FN(name, code)                                                                 \
    void name(const char* format, ...) {                                                           \
        va_list ap;                                                                                \
        va_start(ap, format);                                                                      \
        gen_domessage(code, format, ap);                                                           \
        va_end(ap);                                                                                \
    }
GEN_MESSAGE_FN(gen_warning, 4)
GEN_MESSAGE_FN(gen_info, 5)
GEN_MESSAGE_FN(gen_printf, 6)
GEN_MESSAGE_FN(gen_error, 3)
GEN_MESSAGE_FN(gen_perror, 102)
#undef GEN_MESSAGE_FN

void gen_callexit(int status) {
    gen_exit(status);
    // A replaced hook that returns must not let a [[noreturn]] caller continue.
    exit(status);
}

void gen_errorexit(int status, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    gen_domessage(status ? 2 : 0, format, ap);
    va_end(ap);
    gen_callexit(status);
}

void gen_perrorexit(int status, const char* format, ...) {
    va_list ap;
    va_start(ap, format);
    gen_domessage(102, format, ap);
    va_end(ap);
    gen_callexit(status);
}

void gen_successexit() {
    gen_callexit(0);
}

char* gen_getprogname() {
    return gen_progname;
}

void gen_changeprogname(const char* name) {
    gen_free(gen_progname);
    gen_progname = gen_copy(name);
}

void gen_changeprogdir(const char* dir) {
    gen_free(progdir);
    progdir = gen_copy(dir);
}

// The installation directory of the program file found in directory dir: the directory the
// file really is in (through symlinks to it), or the run-time files in ../share/quorl beside
// an installed program. A file that cannot be resolved leaves dir as it is.
static char* installDir(const char* dir, const char* name) {
    std::string file = std::string(dir) + "/" + name;
    char real[PATH_MAX];
    if (!realpath(file.c_str(), real)) return gen_copy(dir);
    GenStr realDir(gen_dirname(real));
    std::string shared = std::string(realDir.get()) + "/../share/quorl";
    char sharedReal[PATH_MAX];
    struct stat st;
    if (stat((shared + "/config").c_str(), &st) == 0 && realpath(shared.c_str(), sharedReal))
        return gen_copy(sharedReal);
    return gen_copy(realDir.get());
}

const char* gen_getprogdir() {
    if (progdir) return progdir;
    const char* exec = gen_execname ? gen_execname : "";
    const char* name = gen_basename(exec);
    char* dir = gen_dirname(exec);
    if (dir && *dir) {
        progdir = installDir(dir, name);
        gen_free(dir);
        return progdir;
    }
    gen_free(dir);
    const char* path = getenv("PATH");
    if (path && *name) {
        GenStr copy(gen_copy(path));
        char* rest = nullptr;
        for (char* entry = strtok_r(copy.get(), ":", &rest); entry;
             entry = strtok_r(nullptr, ":", &rest)) {
            GenStr candidate(gen_concat_sep(entry, '/', name));
            if (gen_canexec(candidate.get()) == 1) {
                progdir = installDir(entry, name);
                return progdir;
            }
        }
    }
    progdir = gen_copy(".");
    return progdir;
}

int gen_get_version() {
    return storedVersion;
}
void gen_set_version(int version) {
    storedVersion = version;
}
int gen_is_at_least_version(int version) {
    return storedVersion >= version;
}

// ---- assertions ----

static void assertReport(const char* expressionText, const char* file, int line, int code) {
    fflush(stdout);
    fputs("Assertion ", stderr);
    if (expressionText && strcmp(expressionText, "x") != 0) fprintf(stderr, "(%s) ", expressionText);
    if (code) fprintf(stderr, "[%d] ", code);
    fprintf(stderr, "failed in '%s' on line %d", file ? file : "", line);
    if (gen_progname && *gen_progname) fprintf(stderr, " in %s", gen_progname);
    fputc('\n', stderr);
    fflush(stderr);
}

void __Assert(int condition, const char* expressionText, const char* file, int line, int code) {
    if (condition) return;
    assertReport(expressionText, file, line, code);
    exit(1);
}

void __MAssert(int condition, const char* expressionText, const char* file, int line, int code) {
    if (condition) return;
    assertReport(expressionText, file, line, code);
    gen_callexit(1);
}

// ---- signal traps ----

// The traps only note the signal: ending the program means writing journals and closing
// files, none of which is safe inside a handler, so it happens at the next safe point.
static volatile sig_atomic_t pendingSignal = 0;
static int sigpipeSeen = 0;
void (*gen_signalquit)(int sig) = nullptr;

static void sigtrap(int sig) {
    pendingSignal = sig;
}

int gen_signalpending() {
    return pendingSignal;
}

void gen_checksignal() {
    int sig = pendingSignal;
    if (!sig) return;
    pendingSignal = 0;
    gen_sigtrap_value = sig;
    if (sig == SIGPIPE) {
        if (sigpipeSeen++ == 0) {
            gen_message(3, "Halted by a SIGPIPE.");
        } else {
            close(1);
            close(2);
        }
    } else {
        fflush(stdout);
        if (sig == SIGINT)
            gen_message(3, "Halted");
        else if (sig == SIGHUP || sig == SIGQUIT)
            gen_message(3, "Interrupt (%d)", sig);
    }
    if (gen_signalquit) gen_signalquit(sig);
    gen_callexit(2);
}

void trapsetup() {
    struct sigaction sa {};
    sa.sa_handler = sigtrap;
    sigemptyset(&sa.sa_mask);
    // Reads and writes carry on; the waits of the event loop (select) return at once
    // whatever this flag says, so the loop reaches its safe point.
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE}) sigaction(sig, &sa, nullptr);
    // A write past the file size limit fails with EFBIG and is reported like a full disk.
    signal(SIGXFSZ, SIG_IGN);
}

// ---- error-check stack ----

static int errorDepth = -1;

void BeginErrorCheck() {
    errorDepth++;
}

void EndErrorCheck() {
    __Assert(errorDepth >= 0, "error_depth>=0", GEN_SOURCE_NAME, __LINE__, 0);
    errorDepth--;
}

void ResetErrorCheck() {
    errorDepth = 0;
}

int gen_error_depth() {
    return errorDepth;
}
