// runtime/gen.h: the gen_ runtime services every subsystem uses instead of the C library.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

// ---- process state and hooks ----
extern char* gen_progname;  // base name of the program path
extern char* gen_execname;  // the program path as given
extern int gen_sigtrap_value;

void gen_init(const char* programPath, int viewpathMode);
void gen_destruct();
void gen_viewpathing_init(int mode); // view-pathing stays off in this program

void* gen_default_alloc(long count, size_t size);
void* gen_default_realloc(void* ptr, size_t size);
[[noreturn]] void gen_default_exit(int status);
void gen_default_domessage(int code, const char* format, va_list args);
const char* gen_default_temp_dir(const char* preferred);

extern void* (*gen_alloc)(long count, size_t size);
extern void* (*gen_realloc)(void* ptr, size_t size);
extern void (*gen_exit)(int status);
extern void (*gen_domessage)(int code, const char* format, va_list args);
extern const char* (*gen_temp_dir)(const char* preferred);

// Swaps one of the hooks above for the life of a scope, e.g. to keep a library routine from
// ending the process during one operation.
template <class Hook>
struct GenHookSwap {
    Hook& slot;
    Hook saved;
    GenHookSwap(Hook& hook, Hook replacement) : slot(hook), saved(hook) { hook = replacement; }
    ~GenHookSwap() { slot = saved; }
    GenHookSwap(const GenHookSwap&) = delete;
    GenHookSwap& operator=(const GenHookSwap&) = delete;
};

// ---- memory ----
void* gen_allocate(void* ptr, long count, size_t size);
void gen_free(void* ptr);
void* gen_structcopy(const void* ptr, size_t size);

// Owner of a heap string returned by a gen_ helper.
struct GenFree {
    void operator()(void* p) const { gen_free(p); }
};
using GenStr = std::unique_ptr<char, GenFree>;

// ---- messages and exits ----
enum GenMsgCode {
    GEN_MSG_PLAIN = 0,
    GEN_MSG_DISASTER = 1,
    GEN_MSG_FATAL = 2,
    GEN_MSG_ERROR = 3,
    GEN_MSG_WARNING = 4,
    GEN_MSG_INFO = 5,
    GEN_MSG_NOPROG = 6,
    GEN_MSG_SYSERR = 100, // added to a code: append the system error text
};
extern int gen_msgcount[7];
extern int gen_anyerror;
extern unsigned char gen_altprefixes; // selects the "ERROR: ..." prefix set

void gen_message(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
void gen_vmessage(int code, const char* format, va_list args);
void gen_warning(const char* format, ...) __attribute__((format(printf, 1, 2)));
void gen_info(const char* format, ...) __attribute__((format(printf, 1, 2)));
void gen_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void gen_error(const char* format, ...) __attribute__((format(printf, 1, 2)));
void gen_perror(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void gen_errorexit(int status, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
[[noreturn]] void gen_perrorexit(int status, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
[[noreturn]] void gen_successexit();
[[noreturn]] void gen_callexit(int status); // the gen_exit hook, never returning

char* gen_getprogname();
void gen_changeprogname(const char* name);
void gen_changeprogdir(const char* dir);
const char* gen_getprogdir();

int gen_get_version();
void gen_set_version(int version);
int gen_is_at_least_version(int version);

// ---- assertions ----
void __Assert(int condition, const char* expressionText, const char* file, int line, int code);
void __MAssert(int condition, const char* expressionText, const char* file, int line, int code);
// Reports name the source file alone, not the build's path to it.
#ifdef __FILE_NAME__
#define GEN_SOURCE_NAME __FILE_NAME__
#else
#define GEN_SOURCE_NAME __FILE__
#endif
#define MAssert(x) __MAssert((x) ? 1 : 0, #x, GEN_SOURCE_NAME, __LINE__, 0)
#define GAssert(x) __Assert((x) ? 1 : 0, #x, GEN_SOURCE_NAME, __LINE__, 0)

// ---- signal traps ----
// HUP, INT, QUIT, TERM and PIPE only set a flag; SIGXFSZ is ignored.
void trapsetup();
// The trapped signal waiting for the next safe point, 0 for none.
int gen_signalpending();
// At a safe point: when a signal is pending, report it, run gen_signalquit and end the
// process (status 2 unless gen_signalquit ends it first).
void gen_checksignal();
extern void (*gen_signalquit)(int sig);

// ---- error-check stack ----
// A Panic unwinds (as a PanicError exception) to the innermost frame; frames are RAII guards.
struct PanicError {
    int depth; // frame depth when thrown
};
void BeginErrorCheck();
void EndErrorCheck();
void ResetErrorCheck();
int gen_error_depth();

struct ErrorCheck {
    ErrorCheck() { BeginErrorCheck(); }
    ~ErrorCheck() { EndErrorCheck(); }
    ErrorCheck(const ErrorCheck&) = delete;
    ErrorCheck& operator=(const ErrorCheck&) = delete;
};

// ---- string helpers (results are heap strings: free with gen_free) ----
char* gen_copy(const char* s);
char* gen_copyn(const char* s, long n);
char* gen_concat(const char* a, const char* b);
char* gen_concat3(const char* a, const char* b, const char* c);
char* gen_concat4(const char* a, const char* b, const char* c, const char* d);
char* gen_concat5(const char*, const char*, const char*, const char*, const char*);
char* gen_concat6(const char*, const char*, const char*, const char*, const char*, const char*);
char* gen_concat7(const char*, const char*, const char*, const char*, const char*, const char*,
                  const char*);
char* gen_concat8(const char*, const char*, const char*, const char*, const char*, const char*,
                  const char*, const char*);
char* gen_concat9(const char*, const char*, const char*, const char*, const char*, const char*,
                  const char*, const char*, const char*);
char* gen_fconcat(char* a, const char* b);
char* gen_fconcat3(char* a, const char* b, const char* c);
char* gen_fconcat4(char* a, const char* b, const char* c, const char* d);
char* gen_fconcat5(char*, const char*, const char*, const char*, const char*);
char* gen_fconcat6(char*, const char*, const char*, const char*, const char*, const char*);
char* gen_fconcat7(char*, const char*, const char*, const char*, const char*, const char*,
                   const char*);
char* gen_concat_sep(const char* a, int ch, const char* b);
char* gen_fconcat_sep(char* a, int ch, const char* b);
char* gen_sprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

int gen_strequal(const char* a, const char* b);
int gen_strnequal(const char* a, const char* b, long n);
int gen_stricmp(const char* a, const char* b);
int gen_strprefix(const char* s, const char* p);
int gen_strcaseprefix(const char* s, const char* p);
int gen_strprefix2(const char* s, const char* p); // s starts with p, case-blind, p lowercase
const char* gen_strstr(const char* s, const char* p);
const char* gen_strcasestr(const char* s, const char* p);
const char* gen_strstr2(const char* s, const char* p); // case-blind, p lowercase
const char* gen_strrstr(const char* s, const char* p);
const char* gen_strrcasestr(const char* s, const char* p);
char* gen_strtok_r(char* s, const char* delims, char** rest);
char* gen_strlower(char* s);
char* gen_strupper(char* s);
int gen_isspace(int c);
int gen_isblank(int c);
int gen_isalnum(int c);
int gen_isupper(int c);
int gen_isbreak(int c);
int gen_tolower(int c);
// Bytes may be passed as plain (possibly negative) chars; bytes >= 0x80 count as word bytes.
int gen_char_type(int c); // 0 word, 2 blank/tab/LF, -1 NUL, 3 other
// Word-break class of c between prev and next (pass 0 for "none"); equal classes make a word
// for double-click selection. See the GEN_CT_* values.
int gen_new_char_type(int prev, int c, int next);
enum GenCharClass {
    GEN_CT_NUL = 0,
    GEN_CT_WORD = 1,
    GEN_CT_WHITE = 2,
    GEN_CT_SEMICOLON = 3,
    GEN_CT_COMMA = 4,
    GEN_CT_PAREN = 5,   // "(" or ")", or a character right after "("
    GEN_CT_BRACE = 6,   // "{" or "}", or a character right after "{"
    GEN_CT_BRACKET = 7, // "[" or "]", or a character right after "["
    GEN_CT_BACKSLASH = 8,
    GEN_CT_DASH = 9,
    GEN_CT_COMMENT = 10,
    GEN_CT_EMPTYPAIR = 12,
    GEN_CT_OTHER = 13,
};
long gen_hcomp(const char* s, long len); // len < 0: up to the NUL; result in 0..0x7fffffff
void gen_cksum(const unsigned char* buf, long len, unsigned long* sum); // *sum stays 32-bit
unsigned long gen_strtoul(const char* s, char** end, int base);

// ---- file names ----
char* gen_basename(const char* path); // points into path
char* gen_dirname(const char* path);
int gen_absolutefilename(const char* path);
char* gen_sconcat(const char* dir, const char* name);
char* gen_dconcat(const char* dir, const char* name);
char* gen_canonicalfilename(char* path);
int gen_samefile(const char* a, const char* b);
const char* gen_getcwd();
const char* gen_getdot();
char* gen_topdir(const char* path);
const char* gen_popdir(const char* path);
int gen_dirmatch(const char* a, const char* b);
// Points into path, or null; a versioned library (libx.so.1.2) answers the static "so"/"sa".
char* gen_getsuffix(const char* path);
int gen_issuffix(const char* path, const char* sfx);
char* gen_changesuffix(const char* path, const char* sfx);
char* gen_changesuffix2(const char* dir, const char* path, const char* sfx);
char* gen_addsuffix(const char* path, const char* sfx);
int gen_basenamelen(const char* path); // length of the base name without its suffix
int gen_basenamematch(const char* a, const char* b);
char* gen_makeshort(const char* path, int maxLen);
char* gen_realpath(const char* path);

// ---- files ----
// Plain system calls under gen_ names (view-pathing is off, so nothing is redirected).
int gen_open(const char* path, int flags, int mode = 0);
int gen_creat(const char* path, int mode);
FILE* gen_fopen(const char* path, const char* mode);
FILE* gen_freopen(const char* path, const char* mode, FILE* stream);
int gen_stat(const char* path, struct stat* st);
int gen_access(const char* path, int how);
int gen_unlink(const char* path);
int gen_link(const char* from, const char* to);
int gen_chdir(const char* path); // also refreshes gen_getcwd()
DIR* gen_opendir(const char* path);
struct dirent* gen_readdir(DIR* dir);
int gen_closedir(DIR* dir);

// Opens an existing regular file for reading: a FIFO, device or socket is refused (errno
// EINVAL) without blocking in the open or streaming forever. -1 with errno on failure.
int gen_openregular(const char* path);
FILE* gen_fopenregular(const char* path); // the same as a read-only stream, or null

// Reads up to n bytes, retrying interrupted and short reads: the bytes read (fewer only at the
// end of the input or after an error that followed some data), or -1 on an error before any.
long gen_readfull(int fd, void* buf, size_t n);
// Writes all n bytes, retrying interrupted and short writes; false on failure.
bool gen_writefull(int fd, const void* buf, size_t n);

// Unless noted, the helpers below answer 0 for success and -1 for failure, like the calls
// they wrap.
int gen_removefile(const char* path);
int gen_renamefile(const char* from, const char* to);
int gen_copyfile(const char* from, const char* to);
int gen_movefile(const char* from, const char* to);
int gen_catfile(const char* from, const char* to);
int gen_binarydifffiles(const char* a, const char* b); // 0 same, 1 different, -1 error
int gen_newerthan(const char* a, const char* b);  // 1 a newer, 0 not; -1 a missing, 1 b missing
int gen_sametimeas(const char* a, const char* b); // 1 same modification time, 0 not; -1 missing
int gen_utime(const char* from, const char* to);  // give `to` the times of `from`
int gen_touchfile(const char* path);
long long gen_filesize(const char* path);          // -1 when missing
int gen_getmode(const char* path, int wantDefault); // permission bits; missing: 0664 or -1
int gen_isdir(const char* path);                    // 1 or 0
int gen_islink(const char* path);                   // 1 or 0
char* gen_readlink(const char* path);               // heap string, or null
int gen_canexec(const char* path); // 1 executable, 0 not (or a directory), -1 missing
int gen_chmod_minusw(const char* path);
int gen_chmod_plusw(const char* path);
int gen_chmod_plusrw(const char* path);
int gen_chmod_pluswu(const char* path);
int gen_chmod_sameas(const char* path, const char* model);
int gen_createdir(const char* path, int mode); // missing parents too; an existing one is fine
int gen_removedir_recursive(const char* path); // symbolic links are removed, not followed
const char* gen_getenv(const char* name, const char* dflt);
// One line without its end (LF, CR LF or a lone CR) in *buf (grown as needed); returns *buf,
// or null when the input ends before any byte.
char* gen_getline(FILE* stream, char** buf, long* size);
FILE* gen_safe_fopen(const char* path, const char* label, const char* mode);
int gen_system(const char* cmd);
int gen_systemex(const char* cmd, const char* flags);
void gen_sleep(int seconds);

// ---- temporary names ----
// Names are unused when made; only gen_opentempfile and gen_createtmpdir create anything.
// Results are heap strings, or null once the counter is used up.
char* gen_tempname(const char* path, const char* suffix); // beside path (a file or directory)
// In dirHint (or the temp directory); written into buf (PATH_MAX bytes) when buf is given,
// else returned as a heap string.
char* tmp1name(const char* dirHint, char* buf, const char* suffix);
// Two or three unused names sharing one stem; each dirs[i] may be null for the temp directory.
// Returns 1 and heap strings in names[], or 0 with names[] null.
int tmp2name(const char* dir1, const char* sfx1, const char* dir2, const char* sfx2,
             char** name1, char** name2);
int xtmp3names(const char* const dirs[3], const char* const sfx[3], char* names[3]);
// Creates a fresh file (O_EXCL, so a name taken meanwhile by another process is skipped) in
// dirHint or the temp directory; returns its descriptor and the name in *name, or -1.
int gen_opentempfile(const char* dirHint, const char* suffix, int mode, char** name);
char* gen_tmpdirname();
char* gen_createtmpdir(int mode); // the new directory's name, or null
void gen_set_temp_counter(long next); // next counter value to try (tests)
