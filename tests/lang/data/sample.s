#include "defs.h"
/* block */ mov r1, 42 ; trailing comment
! bang comment
#if !defined(X)
  add r2, 0x10
#endif
#if 0
  dead ; still dead
#endif
  sub r3, 1 -- not comment
