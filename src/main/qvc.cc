// main/qvc.cc: the stand-alone qvc tool, one QVC command per run.
#include "vc/qvc.h"

int main(int argc, char** argv) {
    return qvc_main(argc, argv) == 0 ? 0 : 1;
}
