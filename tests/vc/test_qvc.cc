// tests/vc/test_qvc.cc: the QVC library in-process: the log's byte layout, versions, dates,
// copy names, locks and the messages of the command interpreter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>

#include "qvc_fixture.h"

namespace {

bool startsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string be32(long v) {
    uint32_t u = uint32_t(int32_t(v));
    return {char(u >> 24), char(u >> 16), char(u >> 8), char(u)};
}

TEST_F(Qvc, LogLayoutByteForByte) {
    writeFile("f.txt", "alpha\nbeta\n");
    run("create f.txt -C \"first\\nsecond\"");
    ASSERT_EQ(last, 0) << captured;
    chmod("f.txt", 0644);
    writeFile("f.txt", "alpha\ngamma\nbeta");
    run("ci f.txt -nc");
    ASSERT_EQ(last, 0) << captured;

    std::string log = readFile("qvc.log/f.txt");
    QvcLog parsed;
    FILE* f = nullptr;
    ASSERT_EQ(qvc_openlog("qvc.log/f.txt", parsed, &f), 0);
    fclose(f);
    ASSERT_EQ(parsed.count, 2);
    const QvcRecord& r0 = parsed.recs[0];
    const QvcRecord& r1 = parsed.recs[1];
    std::string rec0 = "#VERSION 1.1\n#DATE " + r0.date + "\n#USER " + qvc_username() +
                       "\n#NEXT -1\n#COMMENTS 2\nfirst\nsecond\n#LINES 0 0\n";
    // The second delta rebuilds 1.1 from 1.2 (whose last line got its newline).
    std::string rec1 = "#VERSION 1.2\n#DATE " + r1.date + "\n#USER " + qvc_username() +
                       "\n#NEXT 0\n#COMMENTS 0\n#LINES 2 2\nm1\nm3\n";
    std::string current = "#LINES 3 3\nalpha\ngamma\nbeta\n";
    char trunk[64];
    snprintf(trunk, sizeof trunk, "#TRUNK 1 1.2 %lx\n", (unsigned long)parsed.trunkTime);
    std::string header = std::string("#QVCVER 1\n$Use Comments 1\n#VERSIONS 2\n") + trunk +
                         "#ANCESTOR  \n";
    long curOffset = long(rec0.size() + rec1.size());
    std::string index = be32(0) + be32(long(rec0.size()));
    long headerStart = curOffset + long(current.size() + index.size());
    std::string expected = rec0 + rec1 + current + index + header + be32(curOffset);
    expected += be32(headerStart - long(expected.size() + 4));
    EXPECT_EQ(log, expected);
    EXPECT_EQ(r0.date.size(), 19u); // "MM/DD/YYYY HH:MM:SS" after 1999
    EXPECT_EQ(r0.date[2], '/');
    EXPECT_EQ(readFile("f.txt"), "alpha\ngamma\nbeta");
    run("get f.txt");
    EXPECT_EQ(readFile("f.txt"), "alpha\ngamma\nbeta\n");
}

TEST_F(Qvc, DamagedLogsAreFormatErrors) {
    writeFile("g", "x\n");
    run("create g -nc");
    std::string good = readFile("qvc.log/g");
    auto reject = [&](const std::string& bytes, const char* what) {
        writeFile("qvc.log/g", bytes);
        std::string out = run("get g");
        EXPECT_NE(out.find("Error in logfile format.\n"), std::string::npos) << what << ": " << out;
        EXPECT_NE(last, 0) << what;
    };
    std::string trailer16 = good.substr(0, good.size() - 4) + be32(-16);
    reject(trailer16, "trailer -16");
    // A header claimed to start 60 bytes in.
    reject(good.substr(0, good.size() - 4) + be32(60 - long(good.size())), "header before 64");
    reject(good.substr(0, good.size() - 30), "cut short");
    std::string noTrunk = good;
    noTrunk.replace(noTrunk.find("#TRUNK"), 6, "#TRONK");
    reject(noTrunk, "missing #TRUNK");
    reject("", "empty");
    std::string binary(300, '\xff');
    reject(binary, "binary noise");
    // Records without "#NEXT" lines chain to the record before them.
    writeFile("qvc.log/g", good);
    run("co g");
    writeFile("g", "x\ny\n");
    run("ci g -nc");
    std::string two = readFile("qvc.log/g");
    QvcLog parsed;
    FILE* f = nullptr;
    ASSERT_EQ(qvc_openlog("qvc.log/g", parsed, &f), 0);
    fclose(f);
    long indexStart = parsed.headerStart - 8;
    std::string records = two.substr(0, parsed.curOffset);
    records.erase(records.find("#NEXT -1\n"), 9);
    long second = long(records.find("#VERSION 1.2"));
    records.erase(records.find("#NEXT 0\n"), 8);
    std::string rebuilt = records + two.substr(parsed.curOffset, indexStart - parsed.curOffset) +
                          be32(0) + be32(second);
    long headerStart = long(rebuilt.size());
    rebuilt += two.substr(parsed.headerStart, two.size() - 8 - parsed.headerStart) +
               be32(long(records.size()));
    rebuilt += be32(headerStart - long(rebuilt.size() + 4));
    writeFile("qvc.log/g", rebuilt);
    run("get g -v 1.1");
    EXPECT_EQ(last, 0) << captured;
    EXPECT_EQ(readFile("g"), "x\n");
    run("get g -v -0");
    EXPECT_EQ(readFile("g"), "x\ny\n");

    // The old format name is still read.
    std::string older = good;
    older.replace(older.find("#QVCVER 1"), 9, "#QSCCSVER 1");
    older = older.substr(0, older.size() - 4) + be32(-long(older.size() - good.find("#QVCVER")));
    writeFile("qvc.log/g", older);
    run("get g");
    EXPECT_EQ(last, 0) << captured;
}

TEST_F(Qvc, VersionsAndDates) {
    struct Next {
        const char *v, *next, *full;
    } cases[] = {{"1.3", "1.4", "2.1"}, {"1.3.1.5", "1.3.1.6", "1.3.2.1"}, {"1.9", "1.10", "2.1"}};
    for (auto& c : cases) {
        std::string out;
        EXPECT_EQ(qvc_nextversion(c.v, out), 0);
        EXPECT_EQ(out, c.next);
        EXPECT_EQ(qvc_nextfullversion(c.v, out), 0);
        EXPECT_EQ(out, c.full);
    }
    std::string out;
    EXPECT_EQ(qvc_nextversion("rel", out), -1);
    EXPECT_EQ(qvc_vercmp("1.10", "1.9"), 1);
    EXPECT_EQ(qvc_vercmp("1.3", "1.3.1.1"), -1); // a prefix is smaller
    EXPECT_EQ(qvc_vercmp("1.3\n", "1.3"), 0);
    EXPECT_EQ(qvc_vercmp("1-3", "1.3"), 0); // any separator compares equal
    EXPECT_EQ(qvc_numdots("1.3.1.1"), 3);

    QvcDate d = qvc_OldStyleStringToDate("01/02/49 10:11:12");
    EXPECT_EQ(d.year + 1900, 2049);
    EXPECT_EQ(qvc_OldStyleStringToDate("01/02/50").year + 1900, 1950);
    EXPECT_EQ(qvc_OldStyleStringToDate("01/02/2026 1:2:3").year + 1900, 2026);
    QvcDate dflt = qvc_NewStyleStringToDate("");
    EXPECT_EQ(dflt.year + 1900, 2099);
    EXPECT_EQ(dflt.month, 12);
    EXPECT_EQ(dflt.second, 59);
    EXPECT_EQ(qvc_NewStyleStringToDate("2023/02/29").day, 28);
    EXPECT_EQ(qvc_NewStyleStringToDate("2024/02/29").day, 29);
    EXPECT_EQ(qvc_NewStyleStringToDate("2000/02/30").day, 29); // 2000 is a leap year
    EXPECT_EQ(qvc_NewStyleStringToDate("1900/02/29").day, 28);
    EXPECT_EQ(qvc_NewStyleStringToDate("2024/04/31").day, 30);
    QvcDate wrapped = qvc_NewStyleStringToDate("2024/13/01 25:61:61");
    EXPECT_EQ(wrapped.month, 1);
    EXPECT_EQ(wrapped.hour, 1);
    EXPECT_EQ(wrapped.minute, 1);
    EXPECT_EQ(qvc_ConvertOldDateToNew("03/04/05-06:07:08"), "2005/03/04 06:07:08");
    EXPECT_LT(qvc_mktime(qvc_OldStyleStringToDate("12/31/1999 23:59:59")),
              qvc_mktime(qvc_NewStyleStringToDate("2000/01/01 00:00:00")));
    EXPECT_EQ(qvc_mktime(qvc_NewStyleStringToDate("1970/01/02 00:00:00")), 86400);
}

TEST_F(Qvc, NamesCopiesAndLinks) {
    EXPECT_EQ(qvc_copyname("/r/qvc.log/abcdefghijkl.c"), "/r/qvc.log/abcdefghij.$$$");
    EXPECT_EQ(qvc_copyname("/r/qvc.log/Makefile"), "/r/qvc.log/Makefile.$$$");
    EXPECT_EQ(qvc_copyname("/r/qvc.log/abcdefghijklmno.c"), "/r/qvc.log/abcdefghijklmno.$$$");
    writeFile("x.$$$", "");
    writeFile("x.$$0", "");
    EXPECT_EQ(qvc_copyname(dir / "x.c"), dir / "x.$$1");

    ASSERT_EQ(mkdir("real", 0755), 0);
    writeFile("real/t.c", "t\n");
    ASSERT_EQ(symlink("real/t.c", "link.c"), 0);
    EXPECT_EQ(qvc_getlogname("link.c"), dir / "real/qvc.log/t.c");
    EXPECT_EQ(qvc_getpermname("./link.c"), dir / "real/qvc.log/qvc.lok/t.c");
    EXPECT_EQ(qvc_getsemname((dir / "real/qvc.log/t.c").c_str()), dir / "real/qvc.log/qvc.sem/t.c");
    run("create link.c -nc");
    EXPECT_EQ(last, 0) << captured;
    EXPECT_TRUE(fileExists("real/qvc.log/t.c"));
    EXPECT_EQ(run("test link.c"), "real/t.c = (logname) " + dir / "real/qvc.log/t.c" +
                                      ", (sourcename) " + dir / "real/t.c\n");
}

TEST_F(Qvc, LocksAndTheirMessages) {
    writeFile("h.c", "h\n");
    run("create h.c -nc");
    // Somebody else holds it.
    ASSERT_EQ(mkdir("qvc.log/qvc.lok", 0777) == 0 || errno == EEXIST, true);
    writeFile("qvc.log/qvc.lok/h.c", "       1\nalice\n");
    EXPECT_EQ(run("co h.c"), "Error: File h.c already checked out to alice.\nError checking out h.c.\n");
    EXPECT_EQ(last, -2);
    EXPECT_EQ(run("ci h.c -nc"), "Error. File h.c is checked out to alice, not you.\n");
    EXPECT_TRUE(startsWith(run("who h.c"), "h.c            has been checked out by alice    since "));
    EXPECT_EQ(run("whome h.c"), "");
    // Forcing adds the user as a second holder; releasing leaves the first.
    EXPECT_EQ(qvc_checkoutfile("h.c", "h.c", 1, 1), 0);
    EXPECT_EQ(captured.substr(captured.rfind("Warning")), "Warning: Forcing permission for file h.c on alice.\n");
    EXPECT_EQ(readFile("qvc.log/qvc.lok/h.c"), "       2\nalice\n" + qvc_username() + "\n");
    EXPECT_EQ(qvc_checkinfile("h.c", "h.c", 1, 0), 0);
    EXPECT_EQ(readFile("qvc.log/qvc.lok/h.c"), "       1\nalice\n");
    // A lock file without names.
    writeFile("qvc.log/qvc.lok/h.c", "       0\n");
    EXPECT_EQ(run("ci h.c -nc"), "Error. Lock file for h.c is corrupted. Try unlocking the file\n");
    std::string holder;
    EXPECT_EQ(qvc_getcheckuser("h.c", holder), 1);
    EXPECT_EQ(holder, "Someone");
    EXPECT_EQ(run("unlock h.c"), "Lock broken on h.c.\n");
    EXPECT_EQ(run("unlock h.c"), "Nothing to unlock for h.c.\n");

    // Our own lock, and a working file edited while the lock is broken.
    run("co h.c");
    EXPECT_EQ(run("co h.c").substr(0, 24), "You already have h.c che");
    EXPECT_EQ(last, -4);
    writeFile("h.c", "h\nchanged\n");
    std::string out = run("unlock h.c");
    EXPECT_EQ(out, "Lock broken on h.c.\nChanges in h.c have been checked in as latest version.\n");
    EXPECT_FALSE(isWritable("h.c"));
    EXPECT_NE(run("show h.c").find("> Preserving changes made by " + qvc_username() + " on "),
              std::string::npos);

    // A leftover semaphore blocks updates until unlocked.
    writeFile("qvc.log/qvc.sem/h.c", "");
    run("co h.c");
    out = run("ci h.c -nc");
    EXPECT_NE(out.find("Cannot obtain semaphore lock on logfile.\nUse the <unlock> command to clear "
                       "this lock.\n"),
              std::string::npos)
        << out;
    out = run("unlock h.c");
    EXPECT_EQ(out.substr(0, 51), "Semaphore file removed for h.c.\nLock broken on h.c.");
    EXPECT_FALSE(fileExists("qvc.log/qvc.sem/h.c"));

    // A check-in without a check-out takes the lock on the way.
    out = run("ci h.c -nc");
    EXPECT_EQ(out, "Warning. File h.c was not checked out.\nh.c checked in as latest version.\n"
                   "h.c retrieved for read only.\n");
    EXPECT_FALSE(fileExists("qvc.log/qvc.lok/h.c"));
    // A writable file blocks check-out and retrieval.
    chmod("h.c", 0644);
    EXPECT_EQ(run("co h.c"), "Error: Writeable file h.c exists.  Must be checked in first.\n");
    EXPECT_EQ(run("get h.c"), "Writeable file h.c exists.  Not retrieved.\n");
    EXPECT_EQ(last, -5);
}

TEST_F(Qvc, CommandLineAndMessages) {
    EXPECT_TRUE(startsWith(run("frobnicate x"), "Usage: qvc command filename[s] arguments\nFile"));
    EXPECT_EQ(run("get x -q").substr(0, 27), "Unrecognized option -q\nUsag");
    EXPECT_EQ(run("get x -l list"), "List files are no longer supported.\n");
    EXPECT_EQ(run("get nothing.c"), "File nothing.c is not under QUORL version control.\n");
    EXPECT_EQ(last, -3);
    EXPECT_TRUE(startsWith(run("get a.c -L /no/such/dir"),
                           "-L /no/such/dir option ignored, directory does not exist.\n"));
    ASSERT_EQ(mkdir("d", 0755), 0);
    EXPECT_EQ(run("show d"), "invalid operation 'show' on directory 'd'\n");
    EXPECT_EQ(run("copyfile a.c"), "The copyfile command needs at least two arguments.\n");
    writeFile("a.c", "a\n");
    EXPECT_EQ(run("movefile a.c a.c"),
              "The movefile command needs a directory name as the last argument.\n");

    // Quoted words, escapes and two-line comments.
    run("create a.c -C \"one \\\"quoted\\\" word\\nsecond line\"");
    ASSERT_EQ(last, 0) << captured;
    EXPECT_EQ(run("show a.c").substr(0, 8), "a.c - Cr");
    EXPECT_NE(captured.find("> one \"quoted\" word\n> second line\n"), std::string::npos) << captured;
    EXPECT_EQ(run("create a.c -nc"), "File a.c is already under QUORL version control.\n");

    // Empty files and NUL bytes.
    writeFile("e.c", "");
    EXPECT_EQ(run("ci e.c -nc").substr(0, 54), "Warning. File e.c is not under QUORL version control.\n");
    EXPECT_NE(captured.find("Warning. File e.c is empty\n"), std::string::npos);
    EXPECT_EQ(run("get e.c"), "warning: Requested version of e.c is empty\ne.c retrieved for read only.\n");
    writeFile("n.c", std::string("a\0b\n", 4));
    EXPECT_NE(run("create n.c -nc").find("holds NUL bytes"), std::string::npos);
    EXPECT_FALSE(fileExists("qvc.log/n.c"));

    // forceqvc makes the file when it is missing.
    run("forceqvc new.c");
    EXPECT_EQ(captured, "new.c is now under QUORL version control.\n");
    EXPECT_TRUE(fileExists("new.c"));
}

TEST_F(Qvc, CommentDialogueOfTheEditor) {
    struct Dialogue final : QvcCommentDialogue {
        std::string title;
        bool cancel = false;
        int ask(const char* t, std::vector<std::string>& lines) override {
            title = t;
            lines = {"from the dialogue"};
            return cancel ? 0 : 1;
        }
    } dialogue;
    std::string& title = dialogue.title;
    bool& cancel = dialogue.cancel;
    qvc_commentDialogue.install(&dialogue);
    writeFile("k.c", "k\n");
    writeFile("l.c", "l\n");
    cancel = true;
    run("create k.c");
    EXPECT_EQ(last, -6);
    EXPECT_EQ(title, "Enter comments for: k.c");
    EXPECT_FALSE(fileExists("qvc.log/k.c"));
    cancel = false;
    run("ci k.c l.c");
    EXPECT_EQ(title, "Enter comments for all files");
    EXPECT_NE(run("show l.c").find("> from the dialogue\n"), std::string::npos);
    qvc_commentDialogue.install(nullptr);
}

TEST_F(Qvc, SeparateLogAndWorkingDirectories) {
    ASSERT_EQ(mkdir("logs", 0755), 0);
    ASSERT_EQ(mkdir("work", 0755), 0);
    writeFile("work/s.c", "s\n");
    run("create src/s.c -L logs -S work -nc");
    ASSERT_EQ(last, 0) << captured;
    EXPECT_TRUE(fileExists("logs/qvc.log/s.c"));
    EXPECT_FALSE(fileExists("work/qvc.log"));
    run("co s.c -L logs -S work");
    EXPECT_EQ(captured, "work/s.c checked out for writing.\n");
    EXPECT_EQ(run("whome s.c -L logs").substr(0, 15), "logs/s.c       ");
    writeFile("work/s.c", "s\nt\n");
    run("ci s.c -L logs -S work -nc");
    ASSERT_EQ(last, 0) << captured;
    EXPECT_EQ(run("whome s.c -L logs"), "");
    run("get s.c -L logs -S work -v 1.1");
    EXPECT_EQ(readFile("work/s.c"), "s\n");

    // A log made without comments asks for them once its variable is turned on.
    writeFile("v.c", "v\n");
    run("forceqvc v.c");
    EXPECT_NE(readFile("qvc.log/v.c").find("$Use Comments 0\n"), std::string::npos);
    run("changelogvar v.c");
    EXPECT_NE(readFile("qvc.log/v.c").find("$Use Comments 1\n"), std::string::npos);
    run("get v.c");
    EXPECT_EQ(readFile("v.c"), "v\n");
}

// Versions removed in random order (trunk and branch, oldest and newest) leave every
// other version as it was checked in.
TEST_F(Qvc, RandomRemovalsKeepTheRest) {
    std::mt19937 rng(3);
    std::map<std::string, std::string> texts;
    std::string text;
    auto checkin = [&](const std::string& extra) {
        chmod("r.c", 0644);
        for (int k = rng() % 4; k >= 0; k--) {
            std::string line = "l" + std::to_string(rng() % 15) + "\n";
            size_t at = 0;
            if (!text.empty()) {
                at = text.find('\n', rng() % text.size());
                at = at == std::string::npos ? text.size() : at + 1;
            }
            text.insert(at, line);
        }
        if (text.size() > 40 && rng() % 2) text.erase(0, text.find('\n') + 1);
        writeFile("r.c", text);
        std::string saved;
        QvcComments none;
        ASSERT_EQ(qvc_save("r.c", "r.c", extra.empty() ? QVC_LATEST : QVC_BYVERSION,
                           extra.c_str(), none, 1, 1, &saved), 0) << captured;
        texts[saved] = text;
    };
    for (int v = 0; v < 12; v++) checkin("");
    std::string trunkText = text;
    text = texts["1.5"];
    for (int v = 0; v < 6; v++) checkin("1.5.1");
    text = trunkText;
    for (int v = 0; v < 8; v++) checkin("");
    std::vector<std::string> order;
    for (auto& [version, t] : texts) order.push_back(version);
    std::shuffle(order.begin(), order.end(), rng);
    int removed = 0;
    for (const std::string& version : order) {
        std::string out = run("remver r.c -v " + version);
        if (last != 0) {
            // Only the refusals are allowed to fail.
            EXPECT_TRUE(out == "Branch heads may not be deleted.\n" ||
                        out.find("is the base of a branch") != std::string::npos ||
                        out == "Cannot delete version: nothing would remain.\n")
                << version << ": " << out;
            continue;
        }
        texts.erase(version);
        removed++;
        for (auto& [kept, t] : texts) {
            ASSERT_EQ(qvc_restore("r.c", "out.c", QVC_BYVERSION, kept.c_str(), nullptr, 1), 0)
                << "after removing " << version << ", version " << kept;
            ASSERT_EQ(readFile("out.c"), t) << "after removing " << version << ", version " << kept;
        }
    }
    EXPECT_GE(removed, 20);
}

TEST_F(Qvc, FilesMovedCopiedAndRemoved) {
    writeFile("m.c", "m1\n");
    run("create m.c -nc");
    run("co m.c");
    writeFile("m.c", "m1\nm2\n");
    run("ci m.c -nc");
    ASSERT_EQ(mkdir("to", 0755), 0);
    EXPECT_EQ(run("copyfile m.c to"), "Copied m.c to to/m.c.\n");
    EXPECT_EQ(readFile("to/qvc.log/m.c"), readFile("qvc.log/m.c"));
    EXPECT_FALSE(fileExists("qvc.log/qvc.lok/m.c")); // the lock taken for the copy is gone
    EXPECT_EQ(run("copyfile m.c to"), "File already exists: to/m.c -> Not copied\n");
    ASSERT_EQ(mkdir("moved", 0755), 0);
    EXPECT_EQ(run("movefile m.c moved"),
              "Copied m.c to moved/m.c.\nm.c deleted and version control removed.\n");
    EXPECT_FALSE(fileExists("m.c"));
    EXPECT_FALSE(fileExists("qvc.log/m.c"));
    run("get moved/m.c -v 1.1");
    EXPECT_EQ(readFile("moved/m.c"), "m1\n");

    EXPECT_EQ(run("unqvc to/m.c"), "Version control removed for to/m.c.\n");
    EXPECT_TRUE(isWritable("to/m.c"));
    EXPECT_FALSE(fileExists("to/qvc.log/m.c"));
    EXPECT_EQ(run("deletefile to/m.c"), "Deleted file to/m.c.\n");
    EXPECT_EQ(run("remver moved/m.c -v 1.1"), "Removed version 1.1 in moved/m.c\n");
    EXPECT_EQ(run("remver moved/m.c -v 1.2"), "Cannot delete version: nothing would remain.\n");
    run("get moved/m.c");
    EXPECT_EQ(readFile("moved/m.c"), "m1\nm2\n");

    // cirm leaves no working file; uncheck restores the newest version.
    run("co moved/m.c");
    writeFile("moved/m.c", "m1\nm2\nm3\n");
    EXPECT_EQ(run("cirm moved/m.c -nc"), "moved/m.c checked in as latest version.\n");
    EXPECT_FALSE(fileExists("moved/m.c"));
    run("co moved/m.c");
    writeFile("moved/m.c", "scratch\n");
    EXPECT_EQ(run("uncheck moved/m.c"), "moved/m.c checked in without update.\n");
    EXPECT_EQ(readFile("moved/m.c"), "m1\nm2\nm3\n");
    EXPECT_FALSE(isWritable("moved/m.c"));
}

TEST_F(Qvc, LineOriginsAndFindChange) {
    writeFile("o.c", "a\nb\nc\n");
    run("create o.c -nc");
    run("co o.c");
    writeFile("o.c", "a\nB\nc\n");
    run("ci o.c -nc");
    run("co o.c");
    writeFile("o.c", "top\na\nB\nc\n");
    run("ci o.c -nc");
    EXPECT_EQ(run("disp o.c"), "1.3      top\n1.1      a\n1.2      B\n1.1      c\n");
    EXPECT_EQ(run("disp o.c -v 1.2"), "1.1      a\n1.2      B\n1.1      c\n");
    EXPECT_EQ(run("fc o.c -s 3"), "Changed from version 1.1 line 2\nTo version 1.2 line 2\n");
    EXPECT_EQ(run("fc o.c -s 4"), "To version 1.1 line 3\n");
    std::vector<std::string> lines;
    ASSERT_EQ(qvc_show2("o.c", 0, lines), 0);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(startsWith(lines[0], "1.3) " + qvc_username() + " ")) << lines[0];
    EXPECT_EQ(qvc_getpreviousversion("o.c", "o.c", "1.3"), "1.2");
    EXPECT_EQ(qvc_getpreviousversion("o.c", "o.c", "1.1"), "");
}

} // namespace
