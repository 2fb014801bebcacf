// main/qe.cc: the editor program.
#include <cstdio>
#include <cstring>

#include "editor/startup.h"
#include "version.h"

// --help and --version answer on the standard output and end, as users and packagers expect,
// wherever they stand among the words (but not as the value of a word that takes one).
static void answerHelpAndVersion(int argc, char** argv) {
    static const char* const withValue[] = {"-do", "-answer", "-display", "-geometry", "-fn",
                                            "-font", "-xrm", "-X", "-Z"};
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--") == 0) return;
        if (strcmp(argv[i], "--help") == 0) {
            fputs(builtinHelp, stdout);
            exit(0);
        }
        if (strcmp(argv[i], "--version") == 0) {
            printf("qe (QUORL Edit) %s\n", QE_VERSION);
            exit(0);
        }
        for (const char* w : withValue)
            if (strcmp(argv[i], w) == 0) i++;
    }
}

int main(int argc, char** argv) {
    answerHelpAndVersion(argc, argv);
    qe_main(argc, argv);
}
