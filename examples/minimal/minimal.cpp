// The smallest program over an installed vexiro: one engine makes a picture, draws on it, doubles
// it and saves it as PNG, naming colours, the interpolation and the outcome as scripts do. Build it
// with pkg-config:
//
//   c++ minimal.cpp $(pkg-config --cflags --libs vexiro) -o minimal
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
  engine.CreateNewImage(160, 90, 24, vexiro::White);
  engine.DrawRectangle(10, 10, 140, 70, 3, vexiro::RoyalBlue);
  engine.DrawLine(10, 80, 150, 10, 2, vexiro::Firebrick, true);
  engine.ScaleImage(200, vexiro::InterpolationModeHighQualityBicubic);
  const vexiro::VexiroStatus saved = engine.SaveAsPNG(argv[1]);
  const char* outcome = vexiro::StatusName(saved);  // "OK", "FileNotFound" ...
  if (saved != vexiro::OK) {
    std::fprintf(stderr, "saving %s failed: %d %s\n", argv[1], static_cast<int>(saved), outcome);
    return 1;
  }
  std::printf("vexiro %s wrote %s: %d x %d, %s\n", vexiro::LibraryVersion(), argv[1], engine.GetWidth(),
              engine.GetHeight(), outcome);
  return 0;
}
