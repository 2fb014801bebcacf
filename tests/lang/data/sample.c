/* block comment */ int x = 42;
#include <stdio.h>
#  define MAX 0x1fUL
char c = 'a', d = '\'';
const char *s = "say \"hi\"";  // not a comment in C
/* starts here
   still comment */ return 10uL;
#if 0
int dead = 1; "not a string
#if 1
#endif
#else
long y = 1.5e+10f;
#endif
float f = .5 + 10LL + 1.5ff;
while (x) { unsigned u = sizeof s; }
"open string
int after = 3;
#if 0
x
#elif 1
int z;
#endif
y; # if 0
int w;
char *m = "abc\
def";
