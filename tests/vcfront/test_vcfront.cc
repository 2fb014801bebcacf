// The front end's runner and interpreter where the end-to-end scripts cannot reach cheaply:
// the capture limit, quoting of comments, and an interpreter that says nothing, too much, an
// error among normal lines, or dies again and again.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "config/cfg.h"
#include "config/cfgcmd.h"
#include "config/options.h"
#include "config/switches.h"
#include "vcfront/vc.h"

namespace {

std::string tempDir() {
    char pattern[] = "/tmp/vcfrontXXXXXX";
    return mkdtemp(pattern);
}

// An interpreter that answers each line with what the line asks for, then the tool's error
// for the end marker: "quiet" prints nothing, "many" twelve lines, "mixed" a normal line and
// an error, "die" ends the process.
std::string fakeTool(const std::string& dir) {
    std::string path = dir + "/faketool";
    FILE* f = fopen(path.c_str(), "w");
    fputs("#!/bin/sh\n"
          "while IFS= read line; do\n" // (a backslash before a line break continues the line)
          "  case $line in\n"
          "  quiet) ;;\n"
          "  many) for i in 1 2 3 4 5 6 7 8 9 10 11 12; do echo line $i; done ;;\n"
          "  mixed) echo fine; echo 'cleartool: Error: broken'; echo after ;;\n"
          "  die) exit 1 ;;\n"
          "  __TQL_ILLEGAL_COMMAND) echo 'cleartool: Error: Unrecognized command: "
          "\"__TQL_ILLEGAL_COMMAND\"' ;;\n"
          "  *) echo \"said $line\" ;;\n"
          "  esac\n"
          "done\n",
          f);
    fclose(f);
    chmod(path.c_str(), 0755);
    return path;
}

struct VcInterpreter : ::testing::Test {
    std::string dir;
    int list = 0;
    void SetUp() override {
        InitDebugFlag();
        dir = tempDir();
        vc_whichVC = VC_CLEARCASE;
        vc_Init(); // (finds no cleartool, which turns version control off: turned on again)
        dontusevc = 0;
        vc_UseInterpreter = true;
        vc_command = fakeTool(dir);
        vc_StopAndStart();
        list = vc_MessageList("test");
        vc_SetOutput(list);
    }
    void TearDown() override {
        vc_Cleanup();
        std::string rm = "rm -rf " + dir;
        if (system(rm.c_str()) != 0) ADD_FAILURE() << rm;
    }
    static void vc_StopAndStart() { vc_RestartInterpreter(0); }
};

TEST_F(VcInterpreter, ACommandWithNoOutputEndsAtTheMarker) {
    std::vector<std::string> lines;
    EXPECT_EQ(vc_InterpretCommand("quiet", lines, 10), 1);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(vc_InterpretCommand("hello there", lines, 10), 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "said hello there");
}

TEST_F(VcInterpreter, ALineBreakCannotStartASecondCommand) {
    std::vector<std::string> lines;
    EXPECT_EQ(vc_InterpretCommand("co \"a\nshell touch pwned\"", lines, 10), 0);
    EXPECT_EQ(vc_InterpretCommand("ci -c \"one\\\ntwo\" a", lines, 10), 1); // escaped: one line
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(VcInterpreter, AnErrorLineAnywhereFailsTheCommand) {
    EXPECT_EQ(vc_Main("mixed"), 0);
    std::vector<std::string> shown = vc_MessageListLines(list);
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[shown.size() - 3], "fine");
    EXPECT_EQ(shown.back(), "after");
    EXPECT_EQ(vc_Main("anything"), 1);
}

TEST_F(VcInterpreter, TooManyLinesFailAndTheNextCommandStartsClean) {
    std::vector<std::string> lines;
    EXPECT_EQ(vc_InterpretCommand("many", lines, 10), 0);
    EXPECT_EQ(vc_InterpretCommand("next", lines, 10), 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "said next");
}

TEST_F(VcInterpreter, DeathFailsTheCommandAndTheNextOneRestarts) {
    int before = vc_InterpreterRestarts();
    std::vector<std::string> lines;
    EXPECT_EQ(vc_InterpretCommand("die", lines, 10), 0);
    EXPECT_EQ(vc_InterpreterRestarts(), before + 1);
    EXPECT_GT(vc_InterpreterPid(), 0);
    EXPECT_EQ(vc_InterpretCommand("again", lines, 10), 1);
    EXPECT_EQ(lines.at(0), "said again");
}

TEST_F(VcInterpreter, SelectingTheSameSystemKeepsTheInterpreter) {
    vc_InstallLinks();
    int pid = vc_InterpreterPid();
    ASSERT_GT(pid, 0);
    CfgOption* o = cfg_FindOption("versioncontroltype");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(cfg_SetVersionControl(*o, "ClearCase"), 1);
    EXPECT_EQ(vc_InterpreterPid(), pid);
    EXPECT_EQ(cfg_SetVersionControl(*o, "RCS"), 1);
    EXPECT_EQ(vc_InterpreterPid(), 0);
    EXPECT_EQ(vc_co, "co -l -q"); // the new system's templates at once
}

// Last of the interpreter's tests: the restart count lasts as long as the process.
TEST_F(VcInterpreter, TheThirtySecondDeathGivesUp) {
    std::vector<std::string> lines;
    while (vc_InterpreterRestarts() <= 30) {
        int restarts = vc_InterpreterRestarts();
        EXPECT_EQ(vc_InterpretCommand("die", lines, 10), 0);
        ASSERT_EQ(vc_InterpreterRestarts(), restarts + 1);
    }
    EXPECT_FALSE(vc_UseInterpreter);
    EXPECT_EQ(vc_InterpreterPid(), 0);
    EXPECT_EQ(vc_InterpretCommand("hello", lines, 10), 0);
    EXPECT_EQ(vc_co, "cleartool co -nc"); // ClearCase goes on through shell lines
}

TEST(VcRunner, KeepsOnlyTheFirst1023Characters) {
    std::string out;
    EXPECT_EQ(vc_BufferedSystem("head -c 5000 /dev/zero | tr '\\0' x", out), 1);
    EXPECT_EQ(out.size(), 1023u);
    EXPECT_EQ(vc_BufferedSystem("printf 'a b' 'ignored'", out), 1);
    EXPECT_EQ(out, "a b");
    EXPECT_EQ(vc_BufferedSystem("false", out), 0);
}

TEST(VcRunner, QuotedWordsReachTheToolAsTheyAre) {
    std::string out;
    EXPECT_EQ(vc_BufferedSystem("printf '%s|' \"a \\\"b\\\" \\$c\" 'd e'", out), 1);
    EXPECT_EQ(out, "a \"b\" $c|d e|");
    EXPECT_EQ(vc_BufferedSystem("no-such-tool-anywhere arg", out), 0);
}

TEST(VcComments, QuotedForTheSystem) {
    dontusevc = 0;
    vc_whichVC = VC_RCS;
    vc_UseInterpreter = false;
    std::string shell = "ci -m%c -t%c";
    ASSERT_EQ(vc_InsertComments(shell, "f", "it's \"$(x)\" `y` \\z"), 1);
    EXPECT_EQ(shell, "ci -m\"it's \\\"\\$(x)\\\" \\`y\\` \\\\z\" -t\"it's \\\"\\$(x)\\\" \\`y\\` \\\\z\"");
    std::string out;
    ASSERT_EQ(vc_BufferedSystem(("printf %s " + shell.substr(3)).c_str(), out), 1);
    EXPECT_EQ(out, "-mit's \"$(x)\" `y` \\z-tit's \"$(x)\" `y` \\z"); // (printf repeats %s)
    vc_whichVC = VC_QVC;
    std::string qvc = "ci -C %c";
    ASSERT_EQ(vc_InsertComments(qvc, "f", "it's \"q\" \\"), 1);
    EXPECT_EQ(qvc, "ci -C \"it\\'s \\\"q\\\" \\\\\"");
}

} // namespace
