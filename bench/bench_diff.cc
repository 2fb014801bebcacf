// bench/bench_diff.cc: the line difference engine on two files, printing the classic textual
// difference as `qvc diff` does (to standard output; the script sends it to /dev/null).
//   bench_diff OLD NEW
#include <cstdio>

#include "vc/qvc.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: bench_diff OLD NEW\n");
        return 2;
    }
    qvc_textdiff(argv[1], argv[2]);
    return 0;
}
