// tests/vc/qvc_run.h: running the real qvc program (and other tools) from tests.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct RunResult {
    int status = -1;  // exit status
    std::string out;  // standard output and standard error, interleaved
};

// Another user to run a program as (tests running as root), in one group, under umask 022.
struct RunAs {
    uid_t uid;
    gid_t gid;
};

// Runs a program with arguments in a directory, stdin from the file `input` (or /dev/null).
inline RunResult runProgram(const std::string& dir, const std::vector<std::string>& args,
                            const std::string& input = "/dev/null", const RunAs* as = nullptr) {
    RunResult r;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return r;
    pid_t pid = fork();
    if (pid == 0) {
        if (as) {
            umask(022);
            if (setgroups(1, &as->gid) != 0 || setgid(as->gid) != 0 || setuid(as->uid) != 0)
                _exit(126);
        }
        if (chdir(dir.c_str()) != 0) _exit(126);
        int in = open(input.c_str(), O_RDONLY);
        dup2(in, 0);
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) r.out.append(buf, n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

inline RunResult qvc(const std::string& dir, std::vector<std::string> args) {
    args.insert(args.begin(), QVC_PROGRAM);
    return runProgram(dir, args);
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    chmod(path.c_str(), 0644);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline bool fileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

inline bool isWritable(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & 0200);
}

// A scratch directory removed at the end of the test.
struct ScratchDir {
    std::string path;
    ScratchDir() {
        char templ[] = "/tmp/qe_qvctestXXXXXX";
        path = mkdtemp(templ);
    }
    ~ScratchDir() {
        std::string cmd = "chmod -R u+w '" + path + "' && rm -rf '" + path + "'";
        if (system(cmd.c_str()) != 0) perror("cleanup");
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};
