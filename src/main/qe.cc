// main/qe.cc: the editor program.
#include "editor/startup.h"

int main(int argc, char** argv) {
    qe_main(argc, argv);
}
