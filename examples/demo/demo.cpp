// The demo: writes what the library can make so far into the folder given as its argument.
#include <cstdio>

#include "vexiro/vexiro.h"

int main(int argc, char** argv) {
  const char* out = argc > 1 ? argv[1] : "out";
  std::printf("vexiro %s: output folder %s\n", vexiro::LibraryVersion(), out);
  return 0;
}
