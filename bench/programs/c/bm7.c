/* BM7 as C: the machine's reference for what the BASIC loop does.
   The first line of output is the count, the second the result. */
#include <stdio.h>
#include <stdlib.h>

static volatile double sink;

static void sub(void) { sink = sink + 0; }

int main(int argc, char** argv) {
  long n = argc > 1 ? atol(argv[1]) : 1000000;
  double m[6];
  double a = 0;
  volatile double k = 0;
  do {
    k = k + 1;
    a = k / 2 * 3 + 4 - 5;
    sub();
    for (int l = 1; l <= 5; ++l) m[l] = a;
  } while (k < n);
  printf("%.0f\n", m[5]);
  return 0;
}
