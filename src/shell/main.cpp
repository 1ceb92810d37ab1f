// torvic: the desktop program. Until the console window exists this only
// identifies itself; the window and the batch mode are built on the core.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("TORVIC Version %s\n", TORVIC_VERSION);
      return 0;
    }
  }
  std::printf("TORVIC Version %s\n", TORVIC_VERSION);
  return 0;
}
