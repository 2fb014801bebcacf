// tests/vc/test_qvc_hostile.cc: QVC against hostile repositories: lock holders whose names
// are shell code, links planted where QVC creates files, a second user of the group under
// umask 022, and logs damaged in thousands of ways.
#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>

#include <map>
#include <random>

#include "qvc_fixture.h"

namespace {

// Each test also puts the mail program back.
class QvcHostile : public Qvc {
protected:
    void TearDown() override {
        qvc_mailer = "/bin/mail";
        Qvc::TearDown();
    }
};

TEST_F(QvcHostile, BrokenLockMailTakesNoShellAndOnlyLoginNames) {
    writeFile("f", "text\n");
    run("create f -nc");
    ASSERT_EQ(last, 0) << captured;
    // The mail program records its arguments and the message it reads.
    writeFile("mailer", "#!/bin/sh\nprintf '%s\\n' \"$@\" > args\ncat > body\n");
    chmod("mailer", 0755);
    std::string mailer = dir / "mailer";
    qvc_mailer = mailer.c_str();
    const char* hostile[] = {"x$(touch PWNED)", "\"; touch PWNED; \"", "`touch PWNED`",
                             "'$(touch PWNED)'", "-fPWNED", "|touch PWNED", "a/../PWNED"};
    for (const char* holder : hostile) {
        writeFile("qvc.log/qvc.lok/f", std::string("       1\n") + holder + "\n");
        std::string out = run("unlock f");
        EXPECT_NE(out.find("Lock broken on f."), std::string::npos) << holder;
        EXPECT_NE(out.find("Not mailing " + std::string(holder) + ": not a login name."),
                  std::string::npos)
            << out;
        EXPECT_FALSE(fileExists("PWNED")) << holder;
        EXPECT_FALSE(fileExists("args")) << holder;
    }
    writeFile("qvc.log/qvc.lok/f", "       1\nalice.b-c_d\n");
    std::string out = run("unlock f");
    EXPECT_NE(out.find("Warning message sent to alice.b-c_d."), std::string::npos) << out;
    EXPECT_EQ(readFile("args"), "--\nalice.b-c_d\n");
    std::string body = readFile("body");
    EXPECT_EQ(body.rfind("Subject: Broken Lock\nUser '", 0), 0u) << body;
    EXPECT_NE(body.find("File: " + dir / "f"), std::string::npos) << body;
}

TEST_F(QvcHostile, PlantedLinksAreNeverFollowed) {
    writeFile("victim", "precious\n");
    writeFile("f", "one\n");
    run("create f -nc");
    ASSERT_EQ(last, 0) << captured;
    // A semaphore planted as a link holds the log; the link's target is untouched.
    ASSERT_EQ(symlink("../../victim", "qvc.log/qvc.sem/f"), 0);
    run("co f");
    writeFile("f", "two\n");
    std::string out = run("ci f -nc");
    EXPECT_NE(out.find("Cannot obtain semaphore lock on logfile."), std::string::npos) << out;
    unlink("qvc.log/qvc.sem/f");
    // A copy name planted as a link is passed over; the check-in goes on beside it.
    ASSERT_EQ(symlink("../victim", "qvc.log/f.$$$"), 0);
    out = run("ci f -nc");
    EXPECT_EQ(last, 0) << out;
    EXPECT_EQ(readFile("qvc.log/f.$$$"), "precious\n"); // read through the link: the victim
    // A lock file planted as a link is neither read nor written.
    ASSERT_EQ(symlink("../../victim", "qvc.log/qvc.lok/f"), 0);
    out = run("co f");
    EXPECT_NE(last, 0);
    EXPECT_NE(out.find("Cannot open lock file for f"), std::string::npos) << out;
    unlink("qvc.log/qvc.lok/f");
    EXPECT_EQ(readFile("victim"), "precious\n");
}

// Looks a test account up, making it (and its group) when missing.
bool testAccount(const char* user, const char* group, uid_t* uid, gid_t* gid) {
    if (!getgrnam(group)) {
        std::string cmd = std::string("groupadd ") + group + " 2>/dev/null";
        if (system(cmd.c_str()) != 0 && !getgrnam(group)) return false;
    }
    if (!getpwnam(user)) {
        std::string cmd = std::string("useradd -M -N -g ") + group + " " + user + " 2>/dev/null";
        if (system(cmd.c_str()) != 0 && !getpwnam(user)) return false;
    }
    struct passwd* pw = getpwnam(user);
    struct group* gr = getgrnam(group);
    if (!pw || !gr) return false;
    *uid = pw->pw_uid;
    *gid = gr->gr_gid;
    return true;
}

TEST_F(QvcHostile, GroupMemberChecksOutUnderUmask022) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
    uid_t ann, bob;
    gid_t group, same;
    if (!testAccount("qvctest1", "qvctestg", &ann, &group) ||
        !testAccount("qvctest2", "qvctestg", &bob, &same))
        GTEST_SKIP() << "cannot create test accounts";
    const RunAs asAnn{ann, group}, asBob{bob, group};
    // The program and a shared project directory both users can reach.
    std::string bin = dir / "qvc";
    ASSERT_EQ(system(("cp '" QVC_PROGRAM "' '" + bin + "'").c_str()), 0);
    chmod(dir.path.c_str(), 0755);
    std::string project = dir / "project";
    ASSERT_EQ(mkdir(project.c_str(), 0775), 0);
    ASSERT_EQ(chown(project.c_str(), ann, group), 0);
    chmod(project.c_str(), 02775);
    writeFile(project + "/f.c", "int x;\n");
    ASSERT_EQ(chown((project + "/f.c").c_str(), ann, group), 0);
    RunResult r = runProgram(project, {bin, "create", "f.c", "-nc"}, "/dev/null", &asAnn);
    ASSERT_EQ(r.status, 0) << r.out;
    struct stat st;
    ASSERT_EQ(stat((project + "/qvc.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0070, 0070u);
    ASSERT_EQ(stat((project + "/qvc.log/qvc.lok").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0070, 0070u);
    ASSERT_EQ(stat((project + "/qvc.log/f.c").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0660u);
    r = runProgram(project, {bin, "co", "f.c"}, "/dev/null", &asBob);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("f.c checked out for writing."), std::string::npos) << r.out;
    writeFile(project + "/f.c", "int y;\n");
    r = runProgram(project, {bin, "ci", "f.c", "-nc"}, "/dev/null", &asBob);
    EXPECT_EQ(r.status, 0) << r.out;
    // The log the group member wrote is still the group's.
    ASSERT_EQ(stat((project + "/qvc.log/f.c").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0660, 0660u);
    r = runProgram(project, {bin, "co", "f.c"}, "/dev/null", &asAnn);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(readFile(project + "/f.c"), "int y;\n");
}

// ---------------------------------------------------------------- damaged logs

// The lines of a log before its binary index, each with its kind.
struct LogLine {
    std::string text; // with its newline
    bool content;     // literal text or a comment: a change there is a change of text
};

std::vector<LogLine> splitLog(const std::string& log, size_t textEnd) {
    std::vector<LogLine> lines;
    size_t pos = 0;
    int literals = 0, comments = 0;
    while (pos < textEnd) {
        size_t nl = log.find('\n', pos);
        std::string t = log.substr(pos, nl + 1 - pos);
        bool content = literals > 0 || comments > 0;
        if (literals > 0) literals--;
        else if (comments > 0) comments--;
        else if (t[0] == 'a') literals = atoi(t.c_str() + 1);
        else if (t.rfind("#COMMENTS ", 0) == 0) comments = atoi(t.c_str() + 10);
        lines.push_back({t, content});
        pos = nl + 1;
    }
    return lines;
}

// One random damage of the kind disks, editors and careless scripts do: never a change of
// literal text or of a delta entry's numbers that keeps every count right, which no reader
// could tell from a real log (the format has no checksum).
std::string mutate(const std::string& log, size_t textEnd, size_t curStart, std::mt19937& rng) {
    std::vector<LogLine> lines = splitLog(log, textEnd);
    // Current-text lines are content too.
    size_t at = 0;
    for (LogLine& l : lines) {
        if (at > curStart) l.content = true;
        at += l.text.size();
    }
    std::string tail = log.substr(textEnd);
    size_t k = rng() % lines.size();
    auto join = [&]() {
        std::string s;
        for (auto& l : lines) s += l.text;
        return s + tail;
    };
    auto number = [&]() -> std::string {
        static const char* const n[] = {"0", "1", "2", "-1", "3", "7", "99", "2147483647", "x"};
        return n[rng() % 9];
    };
    switch (rng() % 9) {
    case 0: return log.substr(0, rng() % log.size()); // truncated
    case 1: lines.erase(lines.begin() + long(k)); return join();
    case 2: lines.insert(lines.begin() + long(k), lines[k]); return join();
    case 3: lines[k].text.pop_back(); return join(); // a line that lost its newline
    case 4: { // a count or number of a structural line replaced
        for (int tries = 0; tries < 50 && lines[k].content; tries++) k = rng() % lines.size();
        std::string& t = lines[k].text;
        // A delta entry renumbered can turn an entry into a literal line and back with every
        // count still right: the format cannot tell that from a real delta.
        if (lines[k].content || t[0] == 'm' || t[0] == 'a') return log.substr(0, log.size() - 1);
        size_t digit = t.find_first_of("0123456789");
        if (digit == std::string::npos) return join();
        size_t end = t.find_first_not_of("0123456789", digit);
        t.replace(digit, end - digit, number());
        return join();
    }
    case 5: { // a byte of the index, the header or the trailer
        std::string s = log;
        size_t i = textEnd + rng() % tail.size();
        s[i] = char(s[i] ^ (1 << (rng() % 8)));
        if (s[i] == log[i]) s[i]++;
        return s;
    }
    case 6: lines.insert(lines.begin() + long(k), {"#VERSION 1.9\n", false}); return join();
    case 7: { // no versions at all
        std::string s = log;
        size_t v = s.find("#VERSIONS ");
        return s.substr(0, v) + "#VERSIONS 0" + s.substr(s.find('\n', v));
    }
    default: { // a random byte inserted into a structural line
        for (int tries = 0; tries < 50 && lines[k].content; tries++) k = rng() % lines.size();
        if (lines[k].content) return log.substr(1);
        lines[k].text.insert(rng() % lines[k].text.size(), 1, char(rng() % 256));
        return join();
    }
    }
}

TEST_F(QvcHostile, DamagedLogsGiveTheRightTextOrTheFormatError) {
    // A real log: trunk versions, a branch, an alias, comments.
    std::mt19937 rng(20261207);
    std::map<std::string, std::string> texts;
    std::string text;
    for (int i = 0; i < 12; i++) text += "line " + std::to_string(i) + "\n";
    writeFile("f", text);
    run("create f -C first");
    texts["1.1"] = text;
    for (int v = 2; v <= 6; v++) {
        run("co f");
        text.insert(rng() % text.size() / 7 * 7, "new " + std::to_string(v) + "\n");
        size_t gone = text.find("line " + std::to_string(v * 2));
        if (gone != std::string::npos) text.erase(gone, text.find('\n', gone) + 1 - gone);
        writeFile("f", text);
        run("ci f -C change\\nsecond");
        ASSERT_EQ(last, 0) << captured;
        texts["1." + std::to_string(v)] = text;
    }
    writeFile("f", texts["1.3"] + "branch\n");
    run("ci f -v 1.3.1 -nc");
    ASSERT_EQ(last, 0) << captured;
    texts["1.3.1.1"] = texts["1.3"] + "branch\n";
    run("alias f -v good -V 1.4");
    const std::string original = readFile("qvc.log/f");
    // Where the text lines end (the index begins) and where the current text begins.
    int32_t trailer = int32_t(uint32_t((unsigned char)original[original.size() - 4]) << 24 |
                              uint32_t((unsigned char)original[original.size() - 3]) << 16 |
                              uint32_t((unsigned char)original[original.size() - 2]) << 8 |
                              uint32_t((unsigned char)original[original.size() - 1]));
    size_t header = original.size() + trailer;
    size_t textEnd = header - 4 * texts.size();
    size_t curStart = original.rfind("#LINES ", textEnd);

    int right = 0, refused = 0;
    for (int m = 0; m < 3000; m++) {
        std::string damaged = mutate(original, textEnd, curStart, rng);
        if (damaged == original) continue;
        writeFile("qvc.log/f", damaged);
        for (auto& [version, expected] : texts) {
            unlink("out");
            captured.clear();
            int rc = qvc_restore("f", "out", QVC_BYVERSION, version.c_str(), nullptr, 1);
            if (rc == 0 && readFile("out") == expected) {
                right++;
            } else {
                ASSERT_NE(captured.find("Error in logfile format."), std::string::npos)
                    << "mutation " << m << " version " << version << " rc " << rc << ": " << captured;
                refused++;
            }
        }
        // The other readers: no crash, and the history is either whole or refused.
        run("show f");
        EXPECT_TRUE(last == 0 || captured.find("Error in logfile format.") != std::string::npos);
        run("fc f -s 2");
        run("disp f");
        // A check-in never writes on a damaged log.
        if (m % 10 == 0) {
            writeFile("qvc.log/qvc.lok/f", "       1\n" + qvc_username() + "\n");
            writeFile("f", "checked in\n");
            run("ci f -nc");
            if (last != 0) {
                EXPECT_EQ(readFile("qvc.log/f"), damaged);
            }
        }
    }
    EXPECT_GT(right, 300);
    EXPECT_GT(refused, 3000);
}

TEST_F(QvcHostile, DamagedLogsThroughTheProgram) {
    writeFile("f", "a\nb\nc\n");
    RunResult r = qvc(dir.path, {"create", "f", "-nc"});
    ASSERT_EQ(r.status, 0) << r.out;
    for (int v = 0; v < 3; v++) {
        qvc(dir.path, {"co", "f"});
        writeFile("f", "a\nb" + std::to_string(v) + "\nc\nd\n");
        ASSERT_EQ(qvc(dir.path, {"ci", "f", "-nc"}).status, 0);
    }
    const std::string original = readFile("qvc.log/f");
    std::string zero = original;
    size_t v = zero.find("#VERSIONS 4");
    ASSERT_NE(v, std::string::npos);
    zero.replace(v, 11, "#VERSIONS 0");
    size_t cur = original.rfind("#LINES 4 4");
    std::string glued = original.substr(0, cur - 1) + original.substr(cur); // lost newline
    for (const std::string& damaged : {zero, glued}) {
        writeFile("qvc.log/f", damaged);
        for (const char* command : {"fc", "disp", "show", "get"}) {
            unlink("f");
            r = qvc(dir.path, {command, "f", "-s", "1"});
            EXPECT_NE(r.status, 0) << command;
            EXPECT_NE(r.out.find("Error in logfile format."), std::string::npos) << command << r.out;
        }
        writeFile("f", "new\n");
        writeFile("qvc.log/qvc.lok/f", "       1\n" + qvc_username() + "\n");
        r = qvc(dir.path, {"ci", "f", "-nc"});
        EXPECT_NE(r.status, 0);
        EXPECT_EQ(readFile("qvc.log/f"), damaged);
    }
}

} // namespace
