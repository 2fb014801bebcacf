// main/qvc.cc: the stand-alone qvc tool, one QVC command per run.
#include <cstdio>
#include <cstring>

#include "version.h"
#include "vc/qvc.h"

int main(int argc, char** argv) {
    // --help and --version answer on the standard output, as users and packagers expect.
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        qvc_print_usage();
        return 0;
    }
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("qvc (QUORL Edit) %s\n", QE_VERSION);
        return 0;
    }
    return qvc_main(argc, argv) == 0 ? 0 : 1;
}
