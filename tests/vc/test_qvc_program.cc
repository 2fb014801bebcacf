// tests/vc/test_qvc_program.cc: black-box tests of the qvc program: round trips of many
// check-ins, branches, aliases, version removal, and cross-checks with patch and tar.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "qvc_run.h"

namespace {

std::string randomLine(std::mt19937& rng) {
    int pick = rng() % 100;
    if (pick < 4) return std::string(300 + rng() % 1500, 'a' + rng() % 26) + "\n";
    if (pick < 10) return "\n";
    if (pick < 40) return "    return 0;\n"; // a common duplicate
    return "line " + std::to_string(rng() % 200) + " of text\n";
}

using Lines = std::vector<std::string>;

std::string join(const Lines& lines) {
    std::string s;
    for (auto& l : lines) s += l;
    return s;
}

Lines randomEdit(Lines lines, std::mt19937& rng) {
    int edits = 1 + rng() % 4;
    for (int e = 0; e < edits; e++) {
        size_t at = lines.empty() ? 0 : rng() % (lines.size() + 1);
        switch (rng() % 4) {
        case 0:
            for (int k = rng() % 6; k >= 0; k--) lines.insert(lines.begin() + at, randomLine(rng));
            break;
        case 1:
            if (!lines.empty()) {
                at = std::min(at, lines.size() - 1);
                size_t n = std::min<size_t>(1 + rng() % 5, lines.size() - at);
                lines.erase(lines.begin() + at, lines.begin() + at + n);
            }
            break;
        case 2:
            if (lines.size() > 3) { // move a block
                size_t from = rng() % (lines.size() - 2);
                size_t n = 1 + rng() % std::min<size_t>(5, lines.size() - from);
                Lines block(lines.begin() + from, lines.begin() + from + n);
                lines.erase(lines.begin() + from, lines.begin() + from + n);
                size_t to = rng() % (lines.size() + 1);
                lines.insert(lines.begin() + to, block.begin(), block.end());
            }
            break;
        default:
            if (!lines.empty()) lines[rng() % lines.size()] = randomLine(rng);
            break;
        }
    }
    return lines;
}

// "MM/DD/YYYY HH:MM:SS" as stored, to the new style "YYYY/MM/DD HH:MM:SS".
std::string newStyle(const std::string& stored) {
    return stored.substr(6, 4) + "/" + stored.substr(0, 5) + stored.substr(10);
}

// Version -> date, from the history listing.
std::map<std::string, std::string> versionDates(const std::string& show) {
    std::map<std::string, std::string> dates;
    std::istringstream in(show);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VERSION ", 0) != 0) continue;
        size_t dash = line.find(" - ");
        std::string version = line.substr(8, dash - 8);
        dates[version] = line.substr(line.rfind(" - ") + 3);
    }
    return dates;
}

TEST(QvcProgram, HundredCheckinsRoundTripByNumberAgeAndDate) {
    ScratchDir dir;
    std::mt19937 rng(7);
    Lines text;
    for (int i = 0; i < 30; i++) text.push_back(randomLine(rng));
    std::vector<std::string> versions; // text of 1.1, 1.2, ...
    writeFile(dir / "prog.c", join(text));
    RunResult r = qvc(dir.path, {"create", "prog.c", "-nc"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "prog.c is now under QUORL version control.\nprog.c retrieved for read only.\n");
    versions.push_back(join(text));
    for (int v = 2; v <= 100; v++) {
        r = qvc(dir.path, {"co", "prog.c"});
        ASSERT_EQ(r.status, 0) << r.out;
        ASSERT_TRUE(isWritable(dir / "prog.c"));
        text = (v % 25 == 0) ? Lines{} : randomEdit(text, rng); // an empty version now and then
        writeFile(dir / "prog.c", join(text));
        r = qvc(dir.path, {"ci", "prog.c", "-C", "version " + std::to_string(v)});
        ASSERT_EQ(r.status, 0) << r.out;
        ASSERT_FALSE(isWritable(dir / "prog.c"));
        versions.push_back(join(text));
    }
    for (int v = 1; v <= 100; v++) {
        std::string number = "1." + std::to_string(v);
        r = qvc(dir.path, {"get", "prog.c", "-v", number});
        ASSERT_EQ(r.status, 0) << r.out;
        ASSERT_EQ(readFile(dir / "prog.c"), versions[v - 1]) << "version " << number;
        r = qvc(dir.path, {"get", "prog.c", "-v", "-" + std::to_string(100 - v)});
        ASSERT_EQ(r.status, 0) << r.out;
        ASSERT_EQ(readFile(dir / "prog.c"), versions[v - 1]) << "-N for " << number;
    }
    // Beyond the oldest, "-N" gives the oldest.
    r = qvc(dir.path, {"get", "prog.c", "-v", "-500"});
    EXPECT_EQ(readFile(dir / "prog.c"), versions[0]);

    // By date: the newest version not later than the date; check-ins within one second
    // share a date, and then the newest of them wins.
    std::map<std::string, std::string> dates = versionDates(qvc(dir.path, {"show", "prog.c"}).out);
    ASSERT_EQ(dates.size(), 100u);
    for (int v = 1; v <= 100; v += 7) {
        std::string date = dates["1." + std::to_string(v)];
        int expected = v;
        while (expected < 100 && dates["1." + std::to_string(expected + 1)] == date) expected++;
        r = qvc(dir.path, {"get", "prog.c", "-D", newStyle(date)});
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(readFile(dir / "prog.c"), versions[expected - 1]) << "date " << date;
    }
    // The old-style date option, with a two-digit year.
    std::string last = dates["1.100"];
    std::string old = last.substr(0, 6) + last.substr(8, 2) + "-" + last.substr(11);
    r = qvc(dir.path, {"get", "prog.c", "-d", old});
    EXPECT_EQ(readFile(dir / "prog.c"), versions[99]) << old;
    r = qvc(dir.path, {"get", "prog.c", "-D", "1990/01/01"});
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("Version not found.\n"), std::string::npos) << r.out;

    // Removing versions keeps every other one intact: a middle one, the oldest, the head.
    for (std::string gone : {"1.50", "1.1", "1.100", "1.73"}) {
        r = qvc(dir.path, {"remver", "prog.c", "-v", gone});
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find("Removed version " + gone + " in prog.c\n"), std::string::npos);
        EXPECT_NE(qvc(dir.path, {"get", "prog.c", "-v", gone}).status, 0);
    }
    for (int v = 2; v <= 99; v++) {
        if (v == 50 || v == 73) continue;
        std::string number = "1." + std::to_string(v);
        r = qvc(dir.path, {"get", "prog.c", "-v", number});
        ASSERT_EQ(r.status, 0) << r.out;
        ASSERT_EQ(readFile(dir / "prog.c"), versions[v - 1]) << "after remver, " << number;
    }
    r = qvc(dir.path, {"get", "prog.c"});
    EXPECT_EQ(readFile(dir / "prog.c"), versions[98]);
    // The next check-in continues from the new head.
    qvc(dir.path, {"co", "prog.c"});
    writeFile(dir / "prog.c", "fresh\n");
    r = qvc(dir.path, {"ci", "prog.c", "-nc"});
    EXPECT_NE(r.out.find("checked in as latest version"), std::string::npos);
    EXPECT_NE(qvc(dir.path, {"show", "prog.c"}).out.find("VERSION 1.100 "), std::string::npos);
}

TEST(QvcProgram, BranchesAndAliases) {
    ScratchDir dir;
    std::map<std::string, std::string> texts;
    auto checkin = [&](const std::string& text, const std::vector<std::string>& extra) {
        qvc(dir.path, {"co", "b.txt"});
        writeFile(dir / "b.txt", text);
        std::vector<std::string> args = {"ci", "b.txt", "-nc"};
        args.insert(args.end(), extra.begin(), extra.end());
        return qvc(dir.path, args);
    };
    writeFile(dir / "b.txt", "one\ntwo\nthree\n");
    ASSERT_EQ(qvc(dir.path, {"create", "b.txt", "-nc"}).status, 0);
    texts["1.1"] = "one\ntwo\nthree\n";
    texts["1.2"] = "one\n2\nthree\n";
    ASSERT_EQ(checkin(texts["1.2"], {}).status, 0);
    texts["1.3"] = "one\n2\nthree\nfour\n";
    ASSERT_EQ(checkin(texts["1.3"], {}).status, 0);
    // A branch from 1.2, named by its two-dot form, then continued.
    texts["1.2.1.1"] = "one\n2\nbranch three\n";
    RunResult r = checkin(texts["1.2.1.1"], {"-v", "1.2.1"});
    ASSERT_EQ(r.status, 0) << r.out;
    texts["1.2.1.2"] = "zero\none\n2\nbranch three\n";
    ASSERT_EQ(checkin(texts["1.2.1.2"], {"-v", "1.2.1"}).status, 0);
    texts["1.2.1.5"] = "zero\none\nbranch three\n";
    ASSERT_EQ(checkin(texts["1.2.1.5"], {"-v", "1.2.1.5"}).status, 0);
    texts["1.4"] = "one\n2\nthree\nfour\nfive\n";
    ASSERT_EQ(checkin(texts["1.4"], {}).status, 0);
    r = checkin("x\n", {"-v", "1.2"});
    EXPECT_NE(r.out.find("Invalid version number - version too low.\n"), std::string::npos);
    qvc(dir.path, {"uncheck", "b.txt"});

    EXPECT_NE(readFile(dir / "qvc.log/b.txt").find("#BRANCHES\nB (none) 1.2 1.2.1.1\n"),
              std::string::npos);
    for (auto& [version, text] : texts) {
        r = qvc(dir.path, {"get", "b.txt", "-v", version});
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(readFile(dir / "b.txt"), text) << version;
    }
    // Aliases name versions, also as a component of a longer version.
    EXPECT_EQ(qvc(dir.path, {"alias", "b.txt", "-v", "stable", "-V", "1.2"}).out,
              "Aliased stable to 1.2 in b.txt.\n");
    EXPECT_EQ(qvc(dir.path, {"alias", "b.txt", "-v", "tip", "-V", "1.2.1.5"}).status, 0);
    EXPECT_EQ(qvc(dir.path, {"alias", "b.txt", "-v", "stable"}).out,
              "Alias stable already exists for b.txt.\n");
    EXPECT_EQ(qvc(dir.path, {"alias", "b.txt", "-v", "9lives"}).out, "Alias must begin with non-digit.\n");
    EXPECT_EQ(qvc(dir.path, {"alias", "b.txt", "-v", "a.b"}).out, "Alias must not contain a '.'\n");
    EXPECT_EQ(qvc(dir.path, {"alias", "b.txt"}).out,
              "Aliases for file: b.txt\nstable = 1.2\ntip = 1.2.1.5\n");
    qvc(dir.path, {"get", "b.txt", "-v", "stable"});
    EXPECT_EQ(readFile(dir / "b.txt"), texts["1.2"]);
    qvc(dir.path, {"get", "b.txt", "-v", "tip"});
    EXPECT_EQ(readFile(dir / "b.txt"), texts["1.2.1.5"]);
    qvc(dir.path, {"get", "b.txt", "-v", "stable.1.2"});
    EXPECT_EQ(readFile(dir / "b.txt"), texts["1.2.1.2"]);
    r = qvc(dir.path, {"get", "b.txt", "-v", "nosuch"});
    EXPECT_NE(r.out.find("Invalid alias: nosuch.\n"), std::string::npos);
    EXPECT_EQ(qvc(dir.path, {"unalias", "b.txt", "-v", "stable"}).out, "Unaliased stable in b.txt.\n");
    EXPECT_EQ(qvc(dir.path, {"unalias", "b.txt", "-v", "stable"}).out,
              "Alias stable not found in b.txt. Cannot unalias.\n");

    // Branch heads stay; a version inside a branch can go.
    EXPECT_EQ(qvc(dir.path, {"remver", "b.txt", "-v", "1.2.1.5"}).out, "Branch heads may not be deleted.\n");
    r = qvc(dir.path, {"remver", "b.txt", "-v", "1.2.1.2"});
    EXPECT_EQ(r.status, 0) << r.out;
    texts.erase("1.2.1.2");
    for (auto& [version, text] : texts) {
        r = qvc(dir.path, {"get", "b.txt", "-v", version});
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(readFile(dir / "b.txt"), text) << version;
    }

    // copy makes a new log from the newest version, remembering its ancestor.
    r = qvc(dir.path, {"copy", "b.txt", "c.txt", "-nc"});
    EXPECT_EQ(r.out, "Copied c.txt\n");
    qvc(dir.path, {"get", "c.txt"});
    EXPECT_EQ(readFile(dir / "c.txt"), texts["1.4"]);
    EXPECT_NE(qvc(dir.path, {"show", "c.txt"}).out.find("c.txt - Branched from " + dir.path +
                                                        "/b.txt version 1.4\nVERSION 2.1 "),
              std::string::npos);
    // The recursive history goes on into the ancestor's log.
    EXPECT_NE(qvc(dir.path, {"show", "c.txt", "-r"}).out.find("\n" + dir.path + "/b.txt - Created "), std::string::npos);
    r = qvc(dir.path, {"branchone", "b.txt", "d.txt", "-v", "1.3", "-nc"});
    EXPECT_EQ(r.out, "Branched d.txt\n");
    // Versions older than the copy come from the ancestor's log.
    qvc(dir.path, {"get", "d.txt", "-v", "1.1"});
    EXPECT_EQ(readFile(dir / "d.txt"), texts["1.1"]);
    EXPECT_NE(readFile(dir / "qvc.log/b.txt").find("B " + dir.path + "/d.txt 1.3 2.1\nB " + dir.path + "/c.txt 1.4 2.1\n"),
              std::string::npos);
}

TEST(QvcProgram, DiffOutputAppliedByPatchGivesTheSecondText) {
    ScratchDir dir;
    std::mt19937 rng(99);
    Lines text;
    for (int i = 0; i < 40; i++) text.push_back(randomLine(rng));
    std::vector<std::string> versions{join(text)};
    writeFile(dir / "p.txt", versions[0]);
    ASSERT_EQ(qvc(dir.path, {"create", "p.txt", "-nc"}).status, 0);
    for (int v = 2; v <= 12; v++) {
        qvc(dir.path, {"co", "p.txt"});
        text = randomEdit(text, rng);
        if (v == 7) text.clear();
        versions.push_back(join(text));
        writeFile(dir / "p.txt", versions.back());
        ASSERT_EQ(qvc(dir.path, {"ci", "p.txt", "-nc"}).status, 0);
    }
    for (int k = 0; k < 25; k++) {
        int a = 1 + rng() % 12, b = 1 + rng() % 12;
        RunResult d = qvc(dir.path, {"diff", "p.txt", "-v", "1." + std::to_string(a), "-V",
                                      "1." + std::to_string(b)});
        ASSERT_EQ(d.status, 0) << d.out;
        if (a == b) {
            EXPECT_EQ(d.out, "");
        }
        writeFile(dir / "patch.in", d.out);
        writeFile(dir / "first", versions[a - 1]);
        RunResult p = runProgram(dir.path, {"patch", "-s", "first", "patch.in"});
        ASSERT_EQ(p.status, 0) << p.out << d.out;
        ASSERT_EQ(readFile(dir / "first"), versions[b - 1]) << "1." << a << " to 1." << b;
    }
    // Without versions: a checked-out file against the newest version.
    qvc(dir.path, {"co", "p.txt"});
    writeFile(dir / "p.txt", versions.back() + "added\n");
    RunResult d = qvc(dir.path, {"diff", "p.txt"});
    std::string n = std::to_string(std::count(versions.back().begin(), versions.back().end(), '\n'));
    EXPECT_EQ(d.out, n + "a" + std::to_string(std::stoi(n) + 1) + "\n> added\n");
    EXPECT_EQ(qvc(dir.path, {"diff", "p.txt", "q.txt"}).out.substr(0, 56),
              "The diff command accepts exactly one filename\nUsage: qvc");
}

TEST(QvcProgram, CommentsReadFromStandardInput) {
    ScratchDir dir;
    writeFile(dir / "c.txt", "c\n");
    writeFile(dir / "answers", "first line\nsecond line\n.\nnot a comment\n");
    RunResult r = runProgram(dir.path, {QVC_PROGRAM, "create", "c.txt"}, dir / "answers");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "Enter comments, end with a period on a new line:\n"
                     "c.txt is now under QUORL version control.\nc.txt retrieved for read only.\n");
    EXPECT_NE(qvc(dir.path, {"show", "c.txt"}).out.find("> first line\n> second line\n"),
              std::string::npos);
    // A log that asks for comments gets them once for all files of a check-in.
    writeFile(dir / "d.txt", "d\n");
    chmod((dir / "c.txt").c_str(), 0644);
    writeFile(dir / "answers", "shared\n");
    r = runProgram(dir.path, {QVC_PROGRAM, "ci", "c.txt", "d.txt"}, dir / "answers");
    EXPECT_EQ(r.out.find("Enter comments"), r.out.rfind("Enter comments")) << r.out;
    EXPECT_NE(qvc(dir.path, {"show", "d.txt"}).out.find("> shared\n"), std::string::npos);
}

TEST(QvcProgram, PackageIsATarArchive) {
    ScratchDir dir;
    writeFile(dir / "one.c", "int one;\n");
    writeFile(dir / "two.c", "int two;\n");
    ASSERT_EQ(qvc(dir.path, {"create", "one.c", "two.c", "-C", "start"}).status, 0);
    ASSERT_EQ(qvc(dir.path, {"co", "two.c"}).status, 0); // a lock file goes along
    RunResult r = qvc(dir.path, {"package", "one.c", "two.c", "-f", "logs.pak"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out, "Packaged one.c\nPackaged two.c\n");
    RunResult list = runProgram(dir.path, {"tar", "tf", "logs.pak"});
    EXPECT_EQ(list.status, 0) << list.out;
    EXPECT_EQ(list.out, "qvc.log/one.c\nqvc.log/two.c\nqvc.log/qvc.lok/two.c\n");
    ASSERT_EQ(mkdir((dir / "x").c_str(), 0755), 0);
    RunResult x = runProgram(dir / "x", {"tar", "xf", "../logs.pak"});
    EXPECT_EQ(x.status, 0) << x.out;
    for (std::string m : {"qvc.log/one.c", "qvc.log/two.c", "qvc.log/qvc.lok/two.c"})
        EXPECT_EQ(readFile(dir / ("x/" + m)), readFile(dir / m)) << m;
    EXPECT_EQ(qvc(dir.path, {"package", "one.c", "-f", "logs.pak"}).out,
              "File logs.pak already exists.  Package aborted.\n");
    // A name that does not fit the archive's 100 bytes fails for that file only.
    std::string longName(95, 'n');
    writeFile(dir / longName, "long\n");
    ASSERT_EQ(qvc(dir.path, {"create", longName, "-nc"}).status, 0);
    r = qvc(dir.path, {"package", longName, "one.c", "-f", "two.pak"});
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "Name too long: qvc.log/" + longName + "\nPackaged one.c\n");
    EXPECT_EQ(runProgram(dir.path, {"tar", "tf", "two.pak"}).out, "qvc.log/one.c\n");

    // Our own reader restores them too, without overwriting.
    ASSERT_EQ(mkdir((dir / "y").c_str(), 0755), 0);
    r = qvc(dir.path, {"unpackage", "-f", "logs.pak", "-L", "y"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(readFile(dir / "y/qvc.log/two.c"), readFile(dir / "qvc.log/two.c"));
    r = qvc(dir.path, {"unpackage", "-f", "logs.pak", "-L", "y", "one.c"});
    EXPECT_EQ(r.out, "File y/qvc.log/one.c already exists, not overwritten.\n");
    qvc(dir / "y", {"get", "one.c"});
    EXPECT_EQ(readFile(dir / "y/one.c"), "int one;\n");

    // A corrupted header is caught by its checksum.
    std::string pak = readFile(dir / "logs.pak");
    pak[0] = 'Q';
    writeFile(dir / "bad.pak", pak);
    ASSERT_EQ(mkdir((dir / "z").c_str(), 0755), 0);
    r = qvc(dir.path, {"unpackage", "-f", "bad.pak", "-L", "z"});
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 25), "Checksum does not match: ");
    writeFile(dir / "cut.pak", pak.substr(0, 700));
    r = qvc(dir.path, {"unpackage", "-f", "cut.pak", "-L", "z"});
    EXPECT_EQ(r.out.substr(0, 11), "Checksum do"); // the damaged first header is seen first
    pak[0] = 'q';
    writeFile(dir / "cut.pak", pak.substr(0, 700));
    r = qvc(dir.path, {"unpackage", "-f", "cut.pak", "-L", "z"});
    EXPECT_EQ(r.out, "Unexpected EOF in package file: cut.pak.\n");
    EXPECT_FALSE(fileExists(dir / "z/qvc.log/one.c")); // no half-written member
    writeFile(dir / "text.pak", "hello\n");
    r = qvc(dir.path, {"unpackage", "-f", "text.pak", "-L", "z"});
    EXPECT_EQ(r.out, "Not a package file: text.pak.  Unpackage aborted.\n");
}

} // namespace
