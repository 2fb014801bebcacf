// vc/qvc.h: QVC, the program's own version control: repository names, the log file
// format, locks, versions and dates, and the operations behind the qvc command language.
#pragma once

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "runtime/seam.h"

// ---- the log file in memory ----

struct QvcRecord {
    std::string version;
    std::string date;                  // stored style, month first
    std::string user;
    int next = -2;                     // record this version was made from; -1 none
    std::vector<std::string> comments; // each ending in a newline
    bool read = false;
    bool blockRead = false;
    int blockLines = 0;                // lines of the text the block produces
    std::vector<std::string> block;    // entry lines and literal lines, with newlines
};

struct QvcBranch {
    std::string name; // "(none)" for a branch made by a check-in, else the target log
    std::string base;
    std::string first;
};

struct QvcAlias {
    std::string name;
    std::string version;
};

struct QvcLog {
    std::string logname; // where it was read from, or is to be written
    int count = 0;       // version records
    std::string ancestorPath;
    std::string ancestorVersion;
    int trunkIndex = -1;
    std::string trunkVersion;
    long trunkTime = 0;
    int format = 1;
    int useComments = 1;
    std::vector<QvcBranch> branches; // sorted by base version
    std::vector<QvcAlias> aliases;   // sorted by name
    std::vector<long> index;         // record offsets
    long headerStart = 0;
    long curOffset = 0; // the current-text block
    long fileSize = 0;
    std::vector<QvcRecord> recs;
    bool curRead = false;
    std::vector<std::string> current; // the newest trunk text
};

using QvcText = std::vector<std::string>; // lines, each ending in a newline

// ---- output ----
// Everything QVC says goes through qvcprint: standard output unless redirected.
extern void (*qvc_output)(const char* text);
// View-path mode (-vpath): a check-in records the new log's time, not the working file's.
extern int qvc_viewpath;
void qvcprint(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Like qvcprint, adding ": " and the system error text (when there is one) and ".\n".
void qvcperror(const char* format, ...) __attribute__((format(printf, 1, 2)));

// ---- names ----
std::string qvc_sourcepath(const char* source); // absolute, symbolic link resolved
std::string qvc_getlogdir(const char* source);
std::string qvc_getlogname(const char* source);
std::string qvc_getpermname(const char* source);
std::string qvc_getsemname(const char* logname);
std::string qvc_getlnkname(const char* source);
std::string qvc_GetLogdir(const char* path);
int qvc_logexists(const char* source);
int qvc_createlogdirs(const char* source);
std::string qvc_username();
std::string qvc_copyname(const std::string& logname); // "" when every name is taken

// ---- reading and writing logs ----
int qvc_readhdr(FILE* stream, QvcLog& log);
int qvc_readindex(FILE* stream, QvcLog& log);
int qvc_readrec(FILE* stream, QvcLog& log, int n, int withBlock);
// A "#LINES" block at the stream's position: its entry lines and the count it produces. A
// delta's entries must be well formed and produce that count; a current-text block holds
// exactly that many lines. -1 for anything else.
int qvc_readinfo(FILE* stream, std::vector<std::string>& lines, int* produced, int delta);
int qvc_readcurfile(FILE* stream, QvcLog& log);
// Reads what rebuilding the version n records back from the newest needs; `order` receives
// the records whose blocks are applied to the current text, in order.
int qvc_readtorecn(FILE* stream, QvcLog& log, int n, std::vector<int>& order);
int qvc_readall(FILE* stream, QvcLog& log); // every record, block and the current text
// Header, index, every record and delta, each checked against the others ("Error in logfile
// format." for anything inconsistent); the current text is read when needed.
int qvc_openlog(const char* logname, QvcLog& log, FILE** stream);
void qvc_logerror(int code);
int qvc_writerec(FILE* stream, const QvcRecord& rec);
int qvc_writeinfo(FILE* stream, const std::vector<std::string>& lines, int produced);
int qvc_writehdr(FILE* stream, QvcLog& log);
int qvc_writeindex(FILE* stream, QvcLog& log);
// A copy beside log.logname holding its first `length` bytes, open for writing at its end
// (for a new log, the log itself); null after reporting the failure.
FILE* qvc_opencopy(QvcLog& log, std::string& copyname, long length);
int qvc_closecopy(QvcLog& log, const std::string& copyname); // renames the copy over the log
// Safe update: copy the first `keep` bytes of the log, then write records from `first`
// on, the current text (when `withCurrent`), the index and the header; rename over.
int qvc_commit(const std::string& logname, QvcLog& log, long keep, int first, int withCurrent);
int qvc_obtainlock(const std::string& logname);
int qvc_releaselock(const std::string& logname);

// ---- check-out locks ----
int qvc_readlockfile(const std::string& permname, std::vector<std::string>& holders);
int qvc_getcheckuser(const char* source, std::string& name);
int qvc_getcheckdate(const char* source, std::string& text);
int qvc_cancheckinorout(const char* source, const char* working, std::string& holder);
int qvc_checkinorouterror(const char* source, const char* working, int forcheckin);
int qvc_checkoutfile(const char* source, const char* working, int force, int verbose);
int qvc_checkinfile(const char* source, const char* working, int release, int verbose);

// ---- versions ----
int qvc_nextversion(const std::string& v, std::string& out);
int qvc_nextfullversion(const std::string& v, std::string& out);
int qvc_vercmp(const std::string& a, const std::string& b);
int qvc_numdots(const std::string& v);
int qvc_isversion(const std::string& v); // digits and dots only
// Replaces alias components; prints "Invalid alias: %s.\n" and returns -1 for an unknown one.
int qvc_resolvealiases(const QvcLog& log, const std::string& v, std::string& out);
int qvc_recordofversion(const QvcLog& log, const std::string& v); // -1 when absent

// ---- dates ----
struct QvcDate {
    int year, month, day, hour, minute, second; // year since 1900, month 1-12
};
std::string qvc_getdate();
std::string qvc_GetDateString(time_t t);
QvcDate qvc_NewStyleStringToDate(const char* text);
QvcDate qvc_OldStyleStringToDate(const char* text);
std::string qvc_ConvertOldDateToNew(const char* text);
void qvc_fixdate(QvcDate& d);
long long qvc_mktime(const QvcDate& d);

// ---- texts ----
int qvc_readtext(const char* path, QvcText& text); // 0, -1 unreadable, -2 NUL bytes
int qvc_writetext(int fd, const QvcText& text); // 0, or -1 with errno
// Applies a delta block (checked by qvc_readinfo) to the given text; -1 when it reaches lines
// the text does not have, copies a line twice, or does not produce `produced` lines.
int qvc_applyblock(const QvcText& given, const std::vector<std::string>& block, int produced,
                   QvcText& out);
// The delta entries that build `to` from `from`; 0, or -1 when the comparison failed.
int qvc_makeblock(const QvcText& from, const QvcText& to, std::vector<std::string>& block);
// Rebuilds the text of record n (reading what it needs); 0 or -1. `expected` receives the
// line count the log announces for that text.
int qvc_rebuild(FILE* stream, QvcLog& log, int n, QvcText& text, int* expected = nullptr);
int qvc_findversion(const QvcLog& log, const std::string& version); // record or -1
// The trunk record with the latest date not after `date` (new style), searching from the
// record `start` (-1: the trunk head) towards older ones; -1 when none.
int qvc_findverfromdate(FILE* stream, QvcLog& log, const char* date, int start = -1);

// ---- operations ----
enum QvcKind { QVC_BYVERSION = 1, QVC_BYDATE = 2, QVC_LATEST = 3 };
enum QvcMode { QVC_CI = 0, QVC_CIO = 1, QVC_CIRM = 2, QVC_CREATE = 3 };

struct QvcComments {
    std::vector<std::string> lines;
    bool given = false;
};

int qvc_save(const char* source, const char* working, int kind, const char* version,
             const QvcComments& comments, int create, int useComments, std::string* saved);
int qvc_restore(const char* source, const char* destination, int kind, const char* what,
                const char* start, int keepDate);
int qvc_CheckOut(const char* working, const char* source, int kind, const char* what);
int qvc_CheckIn(const char* working, const char* source, const char* version, int mode,
                const QvcComments& comments);
int qvc_Get(const char* working, const char* source, int kind, const char* what);
int qvc_Uncheck(const char* working, const char* source);
int qvc_Who(const char* working, const char* source, int full);
int qvc_Whome(const char* working, const char* source);
int qvc_Diff(const char* working, const char* source, const char* first, const char* second);
int qvc_textdiff(const char* file1, const char* file2);
int qvc_show(const char* source, int full, int recurse);
int qvc_unlock(const char* working, const char* source, int vpath);
// The mail program that tells a lock's holder it was broken ("/bin/mail"); run with the
// arguments "--" and the holder's login name and the message on its standard input.
extern const char* qvc_mailer;
int qvc_unqvc(const char* working, const char* source);
int qvc_deletefile(const char* working, const char* source);
// Takes record r out of a log read whole, joining its neighbours' deltas; 0, -2 refused
// (nothing would remain, or a branch head), -1 failure.
int qvc_delrec(FILE* stream, QvcLog& log, int r);
int qvc_remver(const char* working, const char* source, int kind, const char* what);
int qvc_alias(const char* source, const char* name, const char* version, int remove);
int qvc_changelogvar(const char* source);
int qvc_disp(const char* source, const char* version, int recurse);
int qvc_fc(const char* source, const char* version, int start, int end);
int qvc_copyfile(const char* working, const char* source, const char* directory, int move);
int qvc_package(const char* packfile, const std::vector<std::string>& sources);
int qvc_unpackage(const char* packfile, const char* directory,
                  const std::vector<std::string>& files);
int qvc_branch(const char* source, const char* target, int copy, const char* version,
               const char* newversion, const QvcComments& comments);
std::string qvc_getversionFnum(const char* source, int n);
// Comments for a check-in: through the editor's comment dialogue when one is installed
// (0: the user cancelled), else from standard input up to a line holding a single period.
int qvc_get_comments(std::vector<std::string>& lines, const char* file);
// The editor's comment dialogue: asks for lines under `title`; 1, or 0 when cancelled.
// The editor's version-control front end installs it; in the `qvc` program, which has none,
// the comments come from standard input.
struct QvcCommentDialogue {
    virtual int ask(const char* title, std::vector<std::string>& lines) = 0;

protected:
    ~QvcCommentDialogue() = default;
};
extern Seam<QvcCommentDialogue> qvc_commentDialogue;

// ---- the command interpreter ----
int qvc_main(int argc, char** argv);
// The usage text qvc prints, one line each (the manual page is made from it).
std::vector<std::string> qvc_UsageLines();
int qvc_main_char(const char* line);
int qvc_ParseCommand(const char* name);

// ---- lookups for the editor's front end ----
std::string qvc_getversion(const char* source); // the newest trunk version, "" without a log
// The version before `version` (before the newest when empty), "" when there is none.
std::string qvc_getpreviousversion(const char* source, const char* working, const char* version);
std::string qvc_versionFdate(const char* source, const char* date); // "" when none
// The history window's lines: "%s) %s %s -- %s", or "%s - %s %s -- %.400s" for the full view.
int qvc_show2(const char* source, int full, std::vector<std::string>& lines);
