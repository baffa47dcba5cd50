// The smallest program over an installed vexiro: one engine makes a picture, draws on it and
// saves it as PNG. Build it with pkg-config:
//
//   c++ -std=c++20 minimal.cpp $(pkg-config --cflags --libs vexiro) -o minimal
//   ./minimal picture.png
#include <cstdio>

#include "vexiro/imaging.h"
#include "vexiro/vexiro.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
    return 2;
  }
  vexiro::cImaging engine;  // one engine per thread, or more; images stay in the thread that made them
  engine.CreateNewImage(160, 90, 24, static_cast<int32_t>(0xFFFFFFFFu));
  engine.DrawRectangle(10, 10, 140, 70, 3, static_cast<int32_t>(0xFF2040C0u));
  engine.DrawLine(10, 80, 150, 10, 2, static_cast<int32_t>(0xFFC02020u), true);
  if (engine.SaveAsPNG(argv[1]) != vexiro::OK) {
    std::fprintf(stderr, "saving %s failed with status %d\n", argv[1], static_cast<int>(engine.GetStat()));
    return 1;
  }
  std::printf("vexiro %s wrote %s: %d x %d\n", vexiro::LibraryVersion(), argv[1], engine.GetWidth(), engine.GetHeight());
  return 0;
}
