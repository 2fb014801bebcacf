// vc/qvc_main.cc: the QVC command interpreter shared by the qvc program and the editor.
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diff/diff.h"
#include "vc/qvc.h"

namespace {

enum QvcCommand {
    CMD_NONE = 0,
    CMD_CO,
    CMD_CI,
    CMD_CIO,
    CMD_CIRM,
    CMD_GET,
    CMD_UNCHECK,
    CMD_CREATE,
    CMD_FORCEQVC,
    CMD_SHOW,
    CMD_WHO,
    CMD_WHOME,
    CMD_DISP,
    CMD_FC,
    CMD_UNQVC,
    CMD_UNLOCK,
    CMD_DELETEFILE,
    CMD_REMVER,
    CMD_DIFF,
    CMD_ALIAS,
    CMD_UNALIAS,
    CMD_MOVEFILE,
    CMD_COPYFILE,
    CMD_PACKAGE,
    CMD_UNPACKAGE,
    CMD_BRANCH,
    CMD_BRANCHONE,
    CMD_COPY,
    CMD_COPYONE,
    CMD_CHANGELOGVAR,
    CMD_TEST,
};

struct QvcCommandName {
    const char* name;
    int command;
    bool needsLog; // the file must already be under QVC
};

const QvcCommandName qvcCommands[] = {
    {"co", CMD_CO, true},           {"edit", CMD_CO, true},
    {"ci", CMD_CI, false},          {"delget", CMD_CI, false},
    {"cio", CMD_CIO, false},        {"deledit", CMD_CIO, false},
    {"cirm", CMD_CIRM, false},      {"delta", CMD_CIRM, false},
    {"get", CMD_GET, true},         {"retrieve", CMD_GET, true},
    {"unedit", CMD_UNCHECK, true},  {"uncheck", CMD_UNCHECK, true},
    {"create", CMD_CREATE, false},  {"forceqvc", CMD_FORCEQVC, false},
    {"show", CMD_SHOW, true},       {"who", CMD_WHO, true},
    {"info", CMD_WHO, true},        {"status", CMD_WHO, true},
    {"stat", CMD_WHO, true},        {"whome", CMD_WHOME, false},
    {"me", CMD_WHOME, false},       {"mine", CMD_WHOME, false},
    {"disp", CMD_DISP, true},       {"fc", CMD_FC, true},
    {"unqvc", CMD_UNQVC, true},     {"unlock", CMD_UNLOCK, true},
    {"deletefile", CMD_DELETEFILE, false},
    {"remver", CMD_REMVER, true},   {"diff", CMD_DIFF, true},
    {"alias", CMD_ALIAS, true},     {"unalias", CMD_UNALIAS, true},
    {"movefile", CMD_MOVEFILE, false},
    {"copyfile", CMD_COPYFILE, false},
    {"package", CMD_PACKAGE, false},
    {"unpackage", CMD_UNPACKAGE, false},
    {"branch", CMD_BRANCH, true},   {"branchone", CMD_BRANCHONE, true},
    {"copy", CMD_COPY, false},      {"copyone", CMD_COPYONE, false},
    {"changelogvar", CMD_CHANGELOGVAR, true},
    {"test", CMD_TEST, false},
    {nullptr, CMD_NONE, false},
};

const char* const usageLines[] = {
    "Usage: qvc command filename[s] arguments\n",
    "Filenames can be specified with '-l listfile', where\n",
    "  the listfile contains a list of all the files.\n",
    "Log directory can be specified with '-L logdir'\n",
    "Source file directory can be specified with '-S sourcedir'\n",
    "Commands and arguments are as follows:\n\n",
    "qvc create files [-v ver#]\n",
    "qvc delta files [-c] [-v ver#]\n",
    "qvc deledit files [-c] [-v ver#]\n",
    "qvc delget files [-c] [-v ver#]\n",
    "qvc edit files [-v ver# | -d date]\n",
    "qvc get files [-v ver# | -d date]\n",
    "  where date is of the form: MM/DD/YY-HH:MM:SS (HH from 00-23)\n",
    "qvc ci files [-c] [-v ver#] (check-in)\n",
    "qvc cio files [-c] [-v ver#] (check-in-check-out)\n",
    "qvc co files [-v ver# | -d date] (check-out)\n",
    "qvc unedit files\n",
    "qvc unlock files\n",
    "qvc show files [-F (Full)]\n",
    "qvc alias files -v aliasname [-V ver#]\n",
    "qvc who files [-F (Full)]\n",
    "qvc package [-f packfile] files\n",
    "qvc unpackage [-f packfile] [-L directory] [files]\n",
    "qvc fc files -s startline# [-e endline#] (find-change)\n",
    "qvc disp files [-v ver#] [-r (recurse)]\n",
    "qvc remver files [-v ver#] (remove-a-single-version)\n",
    "qvc unqvc files (remove-version-control)\n",
    "qvc diff file [-v ver#] [-V ver#]\n",
};

int usage() {
    for (const char* line : usageLines) qvcprint("%s", line);
    return -1;
}

} // namespace

std::vector<std::string> qvc_UsageLines() {
    return std::vector<std::string>(std::begin(usageLines), std::end(usageLines));
}

namespace {

// The options and files of one run.
struct QvcRun {
    int command = CMD_NONE;
    const char* commandName = "";
    std::vector<std::string> files;
    bool askComments = false;
    bool noComments = false;
    QvcComments comments;
    int kind = QVC_LATEST;
    const char* version = nullptr;
    const char* version2 = nullptr;
    std::string date;
    bool full = false;
    bool recurse = false;
    int startLine = 0;
    int endLine = 0;
    const char* packfile = "logs.pak";
    const char* logDir = nullptr;
    const char* sourceDir = nullptr;
    bool vpath = false;
};

void splitComments(const char* text, std::vector<std::string>& lines) {
    std::string line;
    for (const char* p = text; *p; p++) {
        if (*p == '\n' || (p[0] == '\\' && p[1] == 'n')) {
            lines.push_back(line + "\n");
            line.clear();
            if (*p == '\\') p++;
        } else {
            line += *p;
        }
    }
    if (!line.empty()) lines.push_back(line + "\n");
}

std::string baseOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isDirectory(const char* path) {
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// A file name that is a symbolic link stands for the file it points to.
std::string linkTarget(const std::string& name) {
    char target[4097];
    ssize_t n = readlink(name.c_str(), target, sizeof target - 1);
    if (n <= 0) return name;
    target[n] = 0;
    if (target[0] == '/' || name.find('/') == std::string::npos) return target;
    return name.substr(0, name.rfind('/') + 1) + target;
}

// Parses the argument vector; -1 after printing the reason.
int parseArguments(int argc, char** argv, QvcRun& run) {
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (a[0] != '-' || a[1] == 0) {
            if (run.command == CMD_NONE) {
                run.command = qvc_ParseCommand(a);
                run.commandName = a;
                if (run.command == CMD_NONE) return usage();
            } else {
                run.files.push_back(linkTarget(a));
            }
            continue;
        }
        std::string opt = a;
        static const char* const valued[] = {"-C", "-v", "-V", "-d", "-D", "-s", "-e",
                                             "-f", "-L", "-S", "-u"};
        bool needsValue = false;
        for (const char* v : valued) needsValue = needsValue || opt == v;
        const char* value = nullptr;
        if (needsValue) {
            if (i + 1 >= argc) {
                qvcprint("Unrecognized option %s\n", a);
                return usage();
            }
            value = argv[++i];
        }
        if (opt == "-c") {
            run.askComments = true;
        } else if (opt == "-C") {
            run.comments.lines.clear();
            splitComments(value, run.comments.lines);
            run.comments.given = true;
        } else if (opt == "-nc") {
            run.noComments = true;
        } else if (opt == "-v") {
            run.version = value;
            run.kind = QVC_BYVERSION;
        } else if (opt == "-V") {
            run.version2 = value;
        } else if (opt == "-d") {
            run.date = qvc_ConvertOldDateToNew(value);
            run.kind = QVC_BYDATE;
        } else if (opt == "-D") {
            run.date = value;
            run.kind = QVC_BYDATE;
        } else if (opt == "-F") {
            run.full = true;
        } else if (opt == "-r") {
            run.recurse = true;
        } else if (opt == "-s") {
            run.startLine = atoi(value);
        } else if (opt == "-e") {
            run.endLine = atoi(value);
        } else if (opt == "-f") {
            run.packfile = value;
        } else if (opt == "-L") {
            if (isDirectory(value))
                run.logDir = value;
            else
                qvcprint("-L %s option ignored, directory does not exist.\n", value);
        } else if (opt == "-S") {
            if (isDirectory(value))
                run.sourceDir = value;
            else
                qvcprint("-S %s option ignored, directory does not exist.\n", value);
        } else if (opt == "-u") {
            // accepted for compatibility, value ignored
        } else if (opt == "-vpath") {
            run.vpath = true;
        } else if (opt == "-l") {
            qvcprint("List files are no longer supported.\n");
            return -1;
        } else {
            qvcprint("Unrecognized option %s\n", a);
            return usage();
        }
    }
    return 0;
}

int firstFailure(int result, int rc) {
    return result == 0 && rc != 0 ? (rc < 0 ? rc : -1) : result;
}

bool needsLog(int command) {
    for (const QvcCommandName* c = qvcCommands; c->name; c++)
        if (c->command == command) return c->needsLog;
    return false;
}

// Asks once for the comments of a whole check-in run.
int collectComments(QvcRun& run, bool needed, const char* file) {
    if (run.comments.given || run.noComments) return 0;
    if (!needed && !run.askComments) return 0;
    if (!qvc_get_comments(run.comments.lines, file)) return -6;
    run.comments.given = true;
    return 0;
}

// Fetches the newest version read-only over the working file (view-path mode).
void refetch(const char* working, const char* source) {
    unlink(working);
    if (qvc_restore(source, working, QVC_LATEST, nullptr, nullptr, 0) == 0) {
        struct stat st;
        if (stat(working, &st) == 0) chmod(working, st.st_mode & ~0222 & 07777);
    }
}

int runOne(QvcRun& run, const std::string& file) {
    std::string sourceName = run.logDir ? std::string(run.logDir) + "/" + baseOf(file) : file;
    std::string workingName = run.sourceDir ? std::string(run.sourceDir) + "/" + baseOf(file) : file;
    const char* source = sourceName.c_str();
    const char* working = workingName.c_str();
    const char* what = run.kind == QVC_BYDATE ? run.date.c_str() : run.version;
    if (needsLog(run.command) && !qvc_logexists(source)) {
        qvcprint("File %s is not under QUORL version control.\n", working);
        return -3;
    }
    int rc = 0;
    switch (run.command) {
    case CMD_CO:
        rc = qvc_CheckOut(working, source, run.kind, what);
        if (rc == 0 && run.vpath) refetch(working, source);
        return rc;
    case CMD_CI:
    case CMD_CIO:
    case CMD_CIRM: {
        int mode = run.command == CMD_CI ? QVC_CI : run.command == CMD_CIO ? QVC_CIO : QVC_CIRM;
        rc = qvc_CheckIn(working, source, run.version, mode, run.comments);
        if (rc == 0 && run.vpath && mode != QVC_CIRM) refetch(working, source);
        return rc;
    }
    case CMD_CREATE:
        if (collectComments(run, true, working) < 0) return -6;
        return qvc_CheckIn(working, source, run.version, QVC_CREATE, run.comments);
    case CMD_FORCEQVC: {
        if (qvc_logexists(source)) return 0;
        if (access(working, F_OK) != 0) {
            int fd = open(working, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd < 0) {
                qvcperror("Cannot create %s", working);
                return -1;
            }
            close(fd);
        }
        std::string saved;
        rc = qvc_save(source, working, run.version ? QVC_BYVERSION : QVC_LATEST, run.version,
                      run.comments, 1, 0, &saved);
        if (rc < 0) {
            qvcprint("Error %s %s\n", "creating", working);
            return rc;
        }
        qvcprint("%s is now under QUORL version control.\n", working);
        return 0;
    }
    case CMD_GET:
        return qvc_Get(working, source, run.kind, what);
    case CMD_UNCHECK:
        rc = qvc_Uncheck(working, source);
        if (rc == 0 && run.vpath) unlink(working);
        return rc;
    case CMD_SHOW:
        return qvc_show(source, run.full, run.recurse);
    case CMD_WHO:
        return qvc_Who(working, source, run.full);
    case CMD_WHOME:
        return qvc_Whome(working, source);
    case CMD_DISP:
        return qvc_disp(source, run.version, run.recurse);
    case CMD_FC:
        return qvc_fc(source, run.version, run.startLine > 0 ? run.startLine : 1, run.endLine);
    case CMD_UNQVC:
        return qvc_unqvc(working, source);
    case CMD_UNLOCK:
        return qvc_unlock(working, source, run.vpath);
    case CMD_DELETEFILE:
        return qvc_deletefile(working, source);
    case CMD_REMVER:
        return qvc_remver(working, source, run.kind, what);
    case CMD_DIFF:
        return qvc_Diff(working, source, run.version, run.version2);
    case CMD_ALIAS:
        return qvc_alias(source, run.version, run.version2, 0);
    case CMD_UNALIAS:
        if (!run.version) return usage();
        return qvc_alias(source, run.version, nullptr, 1);
    case CMD_CHANGELOGVAR:
        return qvc_changelogvar(source);
    case CMD_TEST:
        qvcprint("%s = (logname) %s, (sourcename) %s\n", file.c_str(),
                 qvc_getlogname(source).c_str(), qvc_sourcepath(source).c_str());
        return 0;
    }
    return -1;
}

} // namespace

int qvc_ParseCommand(const char* name) {
    for (const QvcCommandName* c = qvcCommands; c->name; c++)
        if (strcmp(c->name, name) == 0) return c->command;
    return CMD_NONE;
}

int qvc_viewpath = 0;

Seam<QvcCommentDialogue> qvc_commentDialogue{"QvcCommentDialogue", "version control front end"};

int qvc_get_comments(std::vector<std::string>& lines, const char* file) {
    if (QvcCommentDialogue* dialogue = qvc_commentDialogue.find()) {
        std::string title = file ? std::string("Enter comments for: ") + file
                                 : std::string("Enter comments for all files");
        lines.clear();
        if (!dialogue->ask(title.c_str(), lines)) return 0;
        for (std::string& l : lines)
            if (l.empty() || l.back() != '\n') l += '\n';
        return 1;
    }
    qvcprint("Enter comments, end with a period on a new line:\n");
    lines.clear();
    char* buf = nullptr;
    size_t cap = 0;
    ssize_t n;
    while ((n = getline(&buf, &cap, stdin)) >= 0) {
        std::string line(buf, n);
        if (line == ".\n" || line == ".") break;
        if (line.empty() || line.back() != '\n') line += '\n';
        lines.push_back(line);
    }
    free(buf);
    return 1;
}

int qvc_main(int argc, char** argv) {
    // The difference engine speaks through the same channel as everything else here.
    diff_message = [](const char* text) { qvc_output(text); };
    QvcRun run;
    qvc_viewpath = 0;
    if (parseArguments(argc, argv, run) < 0) return -1;
    qvc_viewpath = run.vpath;
    if (run.command == CMD_NONE) return usage();
    int cmd = run.command;
    if (run.files.empty() && cmd != CMD_TEST && cmd != CMD_UNPACKAGE) return usage();

    if (cmd == CMD_UNPACKAGE) return qvc_unpackage(run.packfile, run.logDir, run.files);

    std::string targetDir;
    if (cmd == CMD_MOVEFILE || cmd == CMD_COPYFILE) {
        if (run.files.size() < 2) {
            qvcprint("The %s command needs at least two arguments.\n", run.commandName);
            return -1;
        }
        targetDir = run.files.back();
        run.files.pop_back();
        if (!isDirectory(targetDir.c_str())) {
            qvcprint("The %s command needs a directory name as the last argument.\n",
                     run.commandName);
            return -1;
        }
    }
    std::string target;
    if (cmd == CMD_BRANCH || cmd == CMD_BRANCHONE || cmd == CMD_COPY || cmd == CMD_COPYONE) {
        bool one = cmd == CMD_BRANCHONE || cmd == CMD_COPYONE;
        if (run.files.size() < 2 || (one && run.files.size() != 2) ||
            (cmd == CMD_BRANCHONE && !run.version))
            return usage();
        target = run.files.back();
        run.files.pop_back();
        if (run.files.size() > 1 && !isDirectory(target.c_str())) return usage();
    }
    if (cmd == CMD_DIFF && run.files.size() != 1) {
        qvcprint("The diff command accepts exactly one filename\n");
        return usage();
    }

    // Directories are not files to version.
    std::vector<std::string> files;
    for (const std::string& f : run.files) {
        if (isDirectory(f.c_str())) {
            if (cmd != CMD_WHOME)
                qvcprint("invalid operation '%s' on directory '%s'\n", run.commandName, f.c_str());
            continue;
        }
        files.push_back(f);
    }

    int result = 0;
    if (cmd == CMD_PACKAGE) {
        std::vector<std::string> sources;
        for (const std::string& f : files)
            sources.push_back(run.logDir ? std::string(run.logDir) + "/" + baseOf(f) : f);
        return qvc_package(run.packfile, sources);
    }

    if (cmd == CMD_CI || cmd == CMD_CIO || cmd == CMD_CIRM) {
        std::vector<std::string> todo;
        bool needComments = false;
        for (const std::string& f : files) {
            std::string source = run.logDir ? std::string(run.logDir) + "/" + baseOf(f) : f;
            std::string working = run.sourceDir ? std::string(run.sourceDir) + "/" + baseOf(f) : f;
            if (qvc_checkinorouterror(source.c_str(), working.c_str(), 1) < 0) {
                result = firstFailure(result, -1);
                continue;
            }
            struct stat st;
            if (stat(working.c_str(), &st) == 0 && st.st_size == 0)
                qvcprint("Warning. File %s is empty\n", working.c_str());
            if (!qvc_logexists(source.c_str())) {
                needComments = true;
            } else {
                QvcLog log;
                FILE* stream = nullptr;
                if (qvc_openlog(qvc_getlogname(source.c_str()).c_str(), log, &stream) == 0) {
                    needComments = needComments || log.useComments;
                    fclose(stream);
                }
            }
            todo.push_back(f);
        }
        if (!todo.empty() && collectComments(run, needComments, todo.size() == 1 ? todo[0].c_str() : nullptr) < 0)
            return -6;
        files = todo;
    }
    if ((cmd == CMD_BRANCH || cmd == CMD_BRANCHONE || cmd == CMD_COPY || cmd == CMD_COPYONE) &&
        collectComments(run, true, target.c_str()) < 0)
        return -6;

    for (const std::string& f : files) {
        int rc;
        if (cmd == CMD_MOVEFILE || cmd == CMD_COPYFILE) {
            std::string source = run.logDir ? std::string(run.logDir) + "/" + baseOf(f) : f;
            rc = qvc_copyfile(f.c_str(), source.c_str(), targetDir.c_str(), cmd == CMD_MOVEFILE);
        } else if (cmd == CMD_BRANCH || cmd == CMD_BRANCHONE || cmd == CMD_COPY ||
                   cmd == CMD_COPYONE) {
            bool copy = cmd == CMD_COPY || cmd == CMD_COPYONE;
            if (!qvc_logexists(f.c_str())) {
                qvcprint("File %s is not under QUORL version control.\n", f.c_str());
                rc = -3;
            } else {
                std::string to = files.size() > 1 || isDirectory(target.c_str())
                                     ? target + "/" + baseOf(f)
                                     : target;
                rc = qvc_branch(f.c_str(), to.c_str(), copy, run.version, run.version2,
                                run.comments);
            }
        } else {
            rc = runOne(run, f);
        }
        result = firstFailure(result, rc);
    }
    return result;
}

int qvc_main_char(const char* line) {
    std::vector<std::string> words{"quorl_qvc"};
    const char* p = line;
    while (*p) {
        while (*p == ' ' || *p == '\t') p++;
        if (!*p) break;
        std::string word;
        while (*p && *p != ' ' && *p != '\t') {
            if (*p == '"') {
                for (p++; *p && *p != '"'; p++) {
                    if (*p == '\\' && (p[1] == '"' || p[1] == '\\')) p++;
                    word += *p;
                }
                if (*p == '"') p++;
            } else if (*p == '\\' && (p[1] == '"' || p[1] == '\\')) {
                word += p[1];
                p += 2;
            } else {
                word += *p++;
            }
        }
        words.push_back(word);
    }
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return qvc_main(int(words.size()), argv.data());
}
