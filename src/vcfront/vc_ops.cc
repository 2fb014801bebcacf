// vcfront/vc_ops.cc: the front end's operations, each carried out on the selected system.
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include "config/options.h"
#include "config/switches.h"
#include "runtime/error.h"
#include "runtime/gen.h"
#include "toolkit/process.h"
#include "toolkit/toolkit.h"
#include "vc/qvc.h"
#include "vcfront/vc.h"
#include "vcfront/vcpriv.h"

const char* const VC_NOCOMMENT = "\x01no comment";

namespace {

bool disabled(const char* what) {
    if (!dontusevc) return false;
    vc_output("Version control is disabled; Can't %s\n", what);
    return true;
}

std::string dirOf(const char* path) {
    const char* slash = strrchr(path, '/');
    if (!slash) return ".";
    if (slash == path) return "/";
    return std::string(path, (size_t)(slash - path));
}

std::string baseOf(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// A word for a QVC or cleartool command line: in double quotes when it needs them, with a
// backslash before each backslash, double quote and single quote.
std::string quoteWord(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"' || c == '\'') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string quotePathWord(const char* path) {
    if (strpbrk(path, " \t\"\\'") == nullptr && *path) return path;
    return quoteWord(path);
}

// The file name as the selected system's command line takes it: a shell line quotes it as
// the shell needs, so that no name reaches the shell as code.
std::string pathArg(const char* path) {
    if (vc_whichVC == VC_QVC || vc_UseInterpreter) return quotePathWord(path);
    return WShellQuote(path);
}

std::string form(const std::string& templ, const char* path) {
    return templ + " " + pathArg(path);
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string loginName() {
    if (struct passwd* pw = getpwuid(getuid())) return pw->pw_name;
    const char* l = getlogin();
    return l ? l : "";
}

std::string rcsLogname(const char* path) {
    return dirOf(path) + "/RCS/" + baseOf(path) + ",v";
}

bool runQvc(const std::string& line) {
    return qvc_Main(line.c_str()) == 1;
}

// Copies a file into a new one (the ClearCase version file to its destination).
int copyFile(const char* from, const char* to) {
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return 0;
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        close(in);
        return 0;
    }
    char buf[32768];
    ssize_t n;
    bool ok = true;
    while ((n = read(in, buf, sizeof buf)) > 0)
        if (write(out, buf, (size_t)n) != n) ok = false;
    if (n < 0) ok = false;
    close(in);
    if (close(out) != 0) ok = false;
    return ok ? 1 : 0;
}

} // namespace

int vc_Capture(const char* command, std::string& output) {
    output.clear();
    if (vc_UseInterpreter) {
        std::vector<std::string> lines;
        int ok = vc_InterpretCommand(command, lines, 10);
        for (const std::string& l : lines) {
            if (l.rfind("cleartool: Error:", 0) == 0) ok = 0;
            output += l + "\n";
        }
        return ok;
    }
    return vc_BufferedSystem(command, output);
}

int vc_UnderVC(const char* path) {
    if (!path || !*path || dontusevc) return 0;
    switch (vc_whichVC) {
    case VC_QVC: return qvc_logexists(path) ? 1 : 0;
    case VC_CLEARCASE: {
        std::string out;
        vc_Capture(form(vc_undervc, path).c_str(), out);
        return out.rfind(path, 0) == 0 ? 1 : 0;
    }
    case VC_RCS: return access(rcsLogname(path).c_str(), F_OK) == 0 ? 1 : 0;
    case VC_CUSTOM: {
        std::string out;
        return vc_Capture(form(vc_undervc, path).c_str(), out);
    }
    }
    return 0;
}

std::string vc_GetCheckUser(const char* path) {
    if (!path || dontusevc) return "";
    std::string name;
    switch (vc_whichVC) {
    case VC_QVC: qvc_getcheckuser(path, name); return name;
    case VC_CLEARCASE:
    case VC_CUSTOM: {
        if (vc_who.empty()) return "";
        std::string out;
        vc_Capture(form(vc_who, path).c_str(), out);
        return firstLine(out);
    }
    case VC_RCS: {
        struct stat st;
        if (stat(path, &st) != 0 || !(st.st_mode & 0200)) return "";
        struct passwd* pw = getpwuid(st.st_uid);
        return pw ? pw->pw_name : "RCS user";
    }
    }
    return "";
}

int vc_CheckOutFile(const char* logHint, const char* path) {
    if (disabled("check out file")) return 0;
    if (vc_whichVC == VC_QVC) {
        std::string line = "co " + quotePathWord(path);
        if (logHint) line += " -L " + quotePathWord(dirOf(logHint).c_str());
        int r = qvc_Main(line.c_str());
        if (r == 1) return 1;
        if (r == -2) {
            std::string holder = vc_GetCheckUser(path);
            vc_output("%.20s has %.40s checked out already.\n",
                      holder.empty() ? "Someone" : holder.c_str(), path);
            return -1;
        }
        if (r == -4) {
            vc_output("You already have %.40s checked out.\n", path);
            return -2;
        }
        return 0;
    }
    if (vc_Main(form(vc_co, path).c_str())) return 1;
    if (vc_LastHalted()) return 0; // stopped: nobody else need have it
    std::string holder = vc_GetCheckUser(path);
    if (holder.empty()) holder = "Someone";
    if (holder == loginName()) {
        vc_output("You already have %.256s checked out.\n", path);
        return -2;
    }
    vc_output("%s has %.256s checked out already.\n", holder.c_str(), path);
    return -1;
}

int vc_CheckOutFileByVersion(const char* path, const char* version) {
    (void)version;
    if (disabled("check out file")) return 0;
    switch (vc_whichVC) {
    case VC_QVC: return qvc_checkoutfile(path, path, 0, 0) == 0 ? 1 : 0;
    case VC_CUSTOM:
        WAlert("Checking out a file by version is not currently\nsupported for custom version "
               "control systems.");
        return 0;
    default: WAlert("Not yet implemented"); return 0;
    }
}

int vc_GetFile(const char* path) {
    if (disabled("get file")) return 0;
    switch (vc_whichVC) {
    case VC_QVC: return runQvc("get " + quotePathWord(path));
    case VC_CLEARCASE: WAlert("This command makes no sense for Clear Case"); return 0;
    default: return vc_Main(form(vc_get, path).c_str());
    }
}

int vc_UncheckFile(const char*, const char* path) {
    if (vc_whichVC == VC_QVC) return runQvc("uncheck " + quotePathWord(path));
    return vc_Main(form(vc_unco, path).c_str());
}

int vc_GetComments(const char* path, std::string& comment) {
    if (disabled("get comments")) return 0;
    std::vector<std::string> lines;
    if (!qvc_get_comments(lines, path)) return 0;
    comment.clear();
    bool plain = debugFlag[XSW_DONTINSERTBACKSLASHES];
    for (size_t i = 0; i < lines.size(); i++) {
        std::string l = lines[i];
        bool last = i + 1 == lines.size();
        if (!l.empty() && l.back() == '\n') {
            l.pop_back();
            if (!last) l += plain ? "\n" : "\\\n";
        }
        comment += l;
    }
    return 1;
}

int vc_InsertComments(std::string& command, const char* path, const char* comment) {
    if (command.find("%c") == std::string::npos) return 1;
    if (disabled("insert comments")) return 0;
    std::string text;
    if (comment) {
        text = comment;
    } else if (!vc_GetComments(path, text)) {
        return 0;
    }
    std::string quoted;
    if (vc_whichVC == VC_QVC || vc_UseInterpreter) {
        quoted = quoteWord(text);
    } else {
        // A shell line: inside double quotes the shell would still expand "$" and "`", so
        // those are escaped too, and a single quote needs nothing there. The backslash that
        // marks a line break inside the comment is dropped: the break itself reaches the tool.
        quoted = "\"";
        for (size_t i = 0; i < text.size(); i++) {
            char c = text[i];
            if (c == '\\' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            if (c == '\\' || c == '"' || c == '$' || c == '`') quoted += '\\';
            quoted += c;
        }
        quoted += "\"";
    }
    for (size_t at = command.find("%c"); at != std::string::npos;
         at = command.find("%c", at + quoted.size()))
        command.replace(at, 2, quoted);
    return 1;
}

int vc_CheckInFile(const char* path, const char* comment) {
    if (disabled("check in file")) return 0;
    bool none = comment == VC_NOCOMMENT;
    std::string command = none ? vc_cinocomments : vc_ci;
    // A no-comment template that still wants a comment (RCS) gets a fixed one.
    if (!vc_InsertComments(command, path, none ? "No comments" : comment)) {
        vc_output("Checkin cancelled by user.\n");
        return 0;
    }
    if (vc_whichVC == VC_QVC) return runQvc(command + " " + quotePathWord(path));
    return vc_Main(form(command, path).c_str());
}

namespace {

int rcsCreate(const char* path, int automatic) {
    std::string dir = dirOf(path) + "/RCS";
    if (!gen_isdir(dir.c_str()) && mkdir(dir.c_str(), 0777) != 0) {
        vc_output("Couldn't create RCS directory: %s.\n", dir.c_str());
        return -1;
    }
    if (access(path, F_OK) != 0) {
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return -1;
        close(fd);
    }
    std::string command = vc_create;
    vc_InsertComments(command, path,
                      automatic ? "Automatically put under version control by QUORL"
                                : "No Description");
    return vc_Main(form(command, path).c_str());
}

int clearcaseCreate(const char* path, int automatic) {
    std::string command = vc_create;
    std::string dir = dirOf(path);
    bool dirCheckedOut = false;
    bool makeDir = debugFlag[XSW_CLEARCASECREATE];
    if (makeDir) {
        if (!vc_UnderVC(dir.c_str())) {
            vc_output("Directory \"%.256s\" is not under version control\n", dir.c_str());
            return 0;
        }
        std::string holder = vc_GetCheckUser(dir.c_str());
        if (!holder.empty() && holder != loginName()) {
            vc_output("%.256s has directory \"%.256s\" checked out\n", holder.c_str(),
                      dir.c_str());
            return 0;
        }
        if (holder.empty()) {
            if (vc_CheckOutFile(nullptr, dir.c_str()) != 1) return 0;
            dirCheckedOut = true;
        }
        struct stat st;
        size_t at = command.find(" -ci -pti ");
        if (stat(path, &st) == 0 && st.st_size == 0 && at != std::string::npos)
            command.replace(at, 10, " -nco     ");
    }
    int made = 0;
    if (!vc_InsertComments(command, path,
                           automatic ? "Automatically placed under version control." : nullptr)) {
        vc_output("Create cancelled by user.\n");
    } else {
        made = vc_Main(form(command, path).c_str());
    }
    if (!dirCheckedOut) return made;
    std::string note = std::string("QUORL ") + (made ? "placed" : "failed to place") +
                       " file \"" + baseOf(path) + "\" under version control.";
    int ci = vc_CheckInFile(dir.c_str(), note.c_str());
    return made ? ci : 0;
}

} // namespace

int vc_CreateFile(const char* path, int automatic) {
    if (disabled("create file")) return 0;
    if (vc_UnderVC(path)) return 1;
    switch (vc_whichVC) {
    case VC_QVC:
        return runQvc((automatic ? "forceqvc " : "create ") + quotePathWord(path));
    case VC_RCS: return rcsCreate(path, automatic) == 1 ? 1 : 0;
    case VC_CLEARCASE: return clearcaseCreate(path, automatic);
    case VC_CUSTOM: {
        std::string command = vc_create;
        if (!vc_InsertComments(command, path,
                               automatic ? "Automatically placed under version control by QUORL"
                                         : nullptr)) {
            vc_output("Create cancelled by user.\n");
            return 0;
        }
        return vc_Main(form(command, path).c_str());
    }
    }
    return 0;
}

int vc_RestoreFile(const char* path, const char* destination, int kind, const char* what,
                   int keepDate) {
    if (disabled("restore file")) return 0;
    switch (vc_whichVC) {
    case VC_QVC: {
        std::string when = what ? what : "";
        if (kind == QVC_BYDATE) {
            time_t t = (time_t)strtoll(when.c_str(), nullptr, 10);
            struct tm tm;
            localtime_r(&t, &tm);
            char buf[64];
            snprintf(buf, sizeof buf, "%02d/%02d/%04d %02d:%02d:%02d", tm.tm_mon + 1,
                     tm.tm_mday, tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
            when = buf;
        }
        return qvc_restore(path, destination, kind, when.c_str(), nullptr, keepDate) == 0;
    }
    case VC_CLEARCASE: {
        if (kind != 1) return 0;
        std::string version = vc_NameFVerDate(path, 1, what);
        if (!copyFile(version.c_str(), destination)) return 0;
        struct stat st;
        if (!keepDate && stat(version.c_str(), &st) == 0) {
            struct utimbuf times {st.st_atime, st.st_mtime};
            utime(destination, &times);
        }
        return 1;
    }
    case VC_RCS: {
        // co prints the version on its standard output: one shell line into the destination.
        std::string command = "co -q -p";
        if (kind == 1 && what && *what) command += " " + WShellQuote(std::string("-r") + what);
        command += " " + WShellQuote(path) + " > " + WShellQuote(destination);
        std::string out;
        return vc_BufferedSystem(command.c_str(), out);
    }
    default: vc_output("Restoring a version is not supported for custom version control\n");
    }
    return 0;
}

std::string vc_NameFVerDate(const char* path, int kind, const char* version) {
    if (disabled("vc_NameFVerDate")) return "";
    if (vc_whichVC == VC_CLEARCASE && kind == 1) return std::string(path) + "@@" + version;
    vc_output("[vc_NameFVerData] unexpected case in switch\n");
    return "";
}

int vc_Other(const char* command) {
    if (disabled("do what you want to do")) return 0;
    if (vc_whichVC == VC_QVC) return qvc_Main(command) == 1;
    return vc_Main(command);
}

int vc_CCaseShowView() {
    if (disabled("show view")) return 0;
    if (vc_whichVC != VC_CLEARCASE) return 0;
    std::string out;
    int ok = vc_Capture(vc_UseInterpreter ? "pwv" : "cleartool pwv", out);
    while (!out.empty() && out.back() == '\n') out.pop_back();
    WAlert(out.c_str());
    return ok;
}

std::string vc_GetPreviousVersion(const char* path, const char* version) {
    if (disabled("get previous version")) return "";
    std::string v = version ? version : "";
    switch (vc_whichVC) {
    case VC_QVC: return qvc_getpreviousversion(path, path, v.c_str());
    case VC_CLEARCASE: {
        // Lines "version::previous", at most ten of them.
        std::string out;
        vc_Capture(form(vc_prevver, path).c_str(), out);
        int lines = 0;
        for (size_t at = 0; at < out.size() && lines < 10; lines++) {
            size_t end = out.find('\n', at);
            std::string line = out.substr(at, end == std::string::npos ? end : end - at);
            at = end == std::string::npos ? out.size() : end + 1;
            size_t sep = line.find("::");
            if (sep == std::string::npos) continue;
            std::string mine = line.substr(0, sep), previous = line.substr(sep + 2);
            if (v.empty() ? !mine.empty() && !previous.empty() : mine == v) return previous;
        }
        WBeep();
        return "";
    }
    case VC_CUSTOM: {
        std::string out;
        if (!vc_Capture((form(vc_prevver, path) + " " + v).c_str(), out)) return "";
        return out.substr(0, out.find('\n'));
    }
    default: return "";
    }
}

namespace {
std::string ccaseView;    // "pwv -set -s" as the interpreter answered it
bool ccaseViewAsked = false;
int ccaseViewPid = 0;     // the interpreter that answered
} // namespace

std::string vc_GetCCaseView() {
    if (vc_whichVC != VC_CLEARCASE || !vc_UseInterpreter || dontusevc) return "";
    // Asked once per interpreter: a restarted one may run in another view.
    if (!ccaseViewAsked || ccaseViewPid != vc_InterpreterPid()) {
        ccaseViewAsked = true;
        std::vector<std::string> lines;
        ccaseView = vc_InterpretCommand("pwv -set -s", lines, 1) && !lines.empty() &&
                            lines[0].rfind("cleartool: Error:", 0) != 0
                        ? lines[0]
                        : "";
        ccaseViewPid = vc_InterpreterPid();
    }
    return ccaseView;
}

std::string vc_ShowCommand(const char* path) {
    return form(vc_show, path);
}

int vc_FetchVersion(const char* path, const char* version, std::string& temp) {
    if (disabled("restore file")) return 0;
    char* name = tmp1name(nullptr, nullptr, nullptr);
    temp = name ? name : "";
    gen_free(name);
    if (temp.empty()) return 0;
    bool latest = !version || !*version;
    int ok = vc_RestoreFile(path, temp.c_str(), latest && vc_whichVC == VC_QVC ? 3 : 1,
                            version ? version : "", 1);
    if (!ok || access(temp.c_str(), R_OK) != 0) {
        unlink(temp.c_str());
        QuorlError(ERR_FAILURE, "Cannot get version %s of %s", latest ? "(latest)" : version,
                   path);
        return 0;
    }
    return 1;
}
