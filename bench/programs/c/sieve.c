/* The sieve (8191 flags) as C: the machine's reference. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  int n = argc > 1 ? atoi(argv[1]) : 100;
  static volatile char flags[8191];
  const int size = 8190;
  int count = 0;
  for (int r = 1; r <= n; ++r) {
    count = 0;
    for (int i = 0; i <= size; ++i) flags[i] = 1;
    for (int i = 0; i <= size; ++i) {
      if (!flags[i]) continue;
      int prime = i + i + 3;
      for (int k = i + prime; k <= size; k += prime) flags[k] = 0;
      ++count;
    }
  }
  printf("%d\n", count);
  return 0;
}
