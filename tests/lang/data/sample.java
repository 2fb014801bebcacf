public class A { // note
  long v = 0x1F + 10L + 10LL;
  /* multi
     line */ float f = 2.5f; double d = 1e5d;
  char c = '\n'; String s = "a/*b";
}
