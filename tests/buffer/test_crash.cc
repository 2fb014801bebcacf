// tests/buffer/test_crash.cc: real processes killed while editing, then recovered from the
// journal they left; and two live processes on one file.
#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include "testutil.h"

namespace {

// Starts the helper with its temp files under dir; uid >= 0 runs it as that user.
pid_t spawn(const TestDir& dir, std::vector<std::string> args, int uid = -1, int* outFd = nullptr) {
    int pipeFds[2] = {-1, -1};
    if (outFd && pipe(pipeFds) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        std::string tmp = dir.path + "/tmp";
        setenv("TMPDIR", tmp.c_str(), 1);
        if (outFd) {
            dup2(pipeFds[1], 1);
            close(pipeFds[0]);
        } else if (freopen("/dev/null", "w", stdout) == nullptr) {
            _exit(9);
        }
        if (uid >= 0 && (setgid((gid_t)uid) != 0 || setuid((uid_t)uid) != 0)) _exit(8);
        std::vector<char*> argv{(char*)JOURNAL_CHILD};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(JOURNAL_CHILD, argv.data());
        _exit(7);
    }
    if (outFd) {
        close(pipeFds[1]);
        *outFd = pipeFds[0];
    }
    return pid;
}

int runToEnd(const TestDir& dir, std::vector<std::string> args, std::string* out = nullptr) {
    int fd = -1;
    pid_t pid = spawn(dir, std::move(args), -1, out ? &fd : nullptr);
    if (out) {
        char buf[4096];
        ssize_t n;
        while ((n = read(fd, buf, sizeof buf)) > 0) out->append(buf, (size_t)n);
        close(fd);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

off_t sizeOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

TEST(Crash, KilledEditorsLoseNothing) {
    std::mt19937 rng(2026);
    int withEdits = 0;
    for (int run = 0; run < 200; run++) {
        SCOPED_TRACE("run " + std::to_string(run));
        TestDir dir;
        std::string text;
        for (int i = 0; i < 400; i++) text += "line " + std::to_string(i) + " of the file\n";
        std::string path = dir.write("edited.txt", text);
        pid_t pid = spawn(dir, {"edit", path, std::to_string(run)});
        // One run in five is killed at once, maybe before its first change; the others once
        // the editor has written its first journal, so that slow builds test journals too.
        if (run % 5 != 0) {
            for (int wait = 0; wait < 5000 && sizeOf(path + ".cur") < 0; wait++) usleep(1000);
            for (int wait = 0; wait < 5000 && sizeOf(dir.file(".edited.txt.tq~")) <= 4; wait++)
                usleep(1000);
        }
        usleep(2000 + rng() % 40000);
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the editor ended by itself: " << status;
        std::string journal = dir.file(".edited.txt.tq~");
        off_t size = sizeOf(journal);
        if (size > 4) withEdits++;
        std::string answer = size > 4 ? "Apply Edits" : "Steal Lock";
        std::string out = dir.file("out");
        ASSERT_EQ(runToEnd(dir, {"open", path, out, answer}), 0);
        std::string got = readFile(out);
        std::string cur = readFile(path + ".cur");
        std::string next = readFile(path + ".next");
        if (cur == "<missing>") cur = text; // killed before its first change
        bool viaJournal = size > 4;
        // A journal with no edits whose editor is gone is removed without a question.
        std::string flags = std::string("viewonly=0 haslock=") + (viaJournal ? "1" : "0") +
                            " modified=" + (viaJournal ? "1" : "0") + "\n";
        ASSERT_TRUE(got == cur + flags || (next != "<missing>" && got == next + flags))
            << "recovered:\n" << got.substr(0, 300) << "\nlast written:\n" << cur.substr(0, 300)
            << "\nrecovered ends: " << got.substr(got.size() > 60 ? got.size() - 60 : 0);
        EXPECT_FALSE(dir.exists(".edited.txt.tq~")); // the recovering process let go at its end
    }
    // Most kills must have hit an editor with a journal of edits, or nothing was tested.
    EXPECT_GT(withEdits, 100);
}

// Waits for the holder to say it has the lock.
// Waits (up to 60 s) for the holder to say it has the lock.
void awaitLocked(int fd) {
    std::string said;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (said.find("locked") == std::string::npos && poll(&p, 1, 60000) == 1 &&
           read(fd, &c, 1) == 1)
        said += c;
    ASSERT_NE(said.find("locked"), std::string::npos) << "the holder said: " << said;
}

// Ends a holder process however the test ends.
struct Holder {
    pid_t pid;
    int fd;
    ~Holder() {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(fd);
    }
};

TEST(Crash, SecondLiveProcessSameUserOnlyViews) {
    TestDir dir;
    std::string path = dir.write("shared.txt", "text\n");
    int fd;
    pid_t holder = spawn(dir, {"hold", path}, -1, &fd);
    Holder ender{holder, fd};
    ASSERT_NO_FATAL_FAILURE(awaitLocked(fd));
    std::string shown;
    ASSERT_EQ(runToEnd(dir, {"open", path, dir.file("out"), "Discard Edits"}, &shown), 0);
    EXPECT_NE(shown.find("You are editing file elsewhere: " + path +
                         "\\nOutstanding edits exist.\\nWhat would you like to do?"),
              std::string::npos)
        << shown;
    // A live editor's journal is never offered for discarding, even to its own user.
    EXPECT_EQ(shown.find("IRREVOCABLY"), std::string::npos) << shown;
    EXPECT_EQ(readFile(dir.file("out")), "<null>");
    ASSERT_EQ(runToEnd(dir, {"open", path, dir.file("out"), "View: Apply Edits"}, &shown), 0);
    EXPECT_EQ(readFile(dir.file("out")), "held text\nviewonly=1 haslock=0 modified=1\n");
    EXPECT_GT(sizeOf(dir.file(".shared.txt.tq~")), 4);
}

TEST(Crash, InterruptKeepsTheEditsAndFreesTheLock) {
    TestDir dir;
    std::string path = dir.write("held.txt", "text\n");
    int fd;
    pid_t holder = spawn(dir, {"hold", path}, -1, &fd);
    ASSERT_NO_FATAL_FAILURE(awaitLocked(fd));
    ASSERT_TRUE(dir.exists(".held.txt.tq~"));
    kill(holder, SIGINT);
    int status = 0;
    waitpid(holder, &status, 0);
    close(fd);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    EXPECT_EQ(readFile(path), "text\n");
    DIR* temps = opendir((dir.path + "/tmp").c_str());
    int left = 0;
    while (dirent* e = readdir(temps)) left += e->d_name[0] != '.';
    closedir(temps);
    EXPECT_EQ(left, 0);
    // The journal stayed, and with its editor gone the next open may take the edits over.
    std::string shown;
    ASSERT_EQ(runToEnd(dir, {"open", path, dir.file("out"), "Apply Edits"}, &shown), 0);
    EXPECT_EQ(readFile(dir.file("out")), "held text\nviewonly=0 haslock=1 modified=1\n")
        << shown;
}

TEST(Crash, SecondLiveProcessOtherUserViewsOnly) {
    if (getuid() != 0) GTEST_SKIP() << "needs root to run the holder as another user";
    TestDir dir;
    chmod(dir.path.c_str(), 0777);
    chmod((dir.path + "/tmp").c_str(), 0777);
    std::string path = dir.write("shared.txt", "text\n");
    chmod(path.c_str(), 0666);
    int fd;
    pid_t holder = spawn(dir, {"hold", path}, 65534, &fd);
    Holder ender{holder, fd};
    ASSERT_NO_FATAL_FAILURE(awaitLocked(fd));
    std::string shown;
    ASSERT_EQ(runToEnd(dir, {"open", path, dir.file("out"), "View: No Edits"}, &shown), 0);
    EXPECT_NE(shown.find(" is editing file elsewhere: " + path), std::string::npos) << shown;
    EXPECT_EQ(shown.find("You are"), std::string::npos);
    EXPECT_EQ(readFile(dir.file("out")), "text\nviewonly=1 haslock=0 modified=0\n");
    shown.clear();
    ASSERT_EQ(runToEnd(dir, {"open", path, dir.file("out"), "View: Apply Edits"}, &shown), 0);
    EXPECT_EQ(readFile(dir.file("out")), "held text\nviewonly=1 haslock=0 modified=1\n");
    // The viewers left the holder's journal alone.
    EXPECT_GT(sizeOf(dir.file(".shared.txt.tq~")), 4);
}

} // namespace
