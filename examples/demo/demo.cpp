// The demo: paints a picture through the imaging platform (a colour gradient with a few shapes,
// written pixel by pixel through LockBits) and saves it in every built-in format into the output
// folder given as its argument, printing each file it wrote.
#include <cmath>
#include <cstdio>
#include <string>

#include "platform/gdiplus/gdiplus_flat.h"
#include "vexiro/vexiro.h"

using namespace vx::gdiplus;

namespace {

constexpr INT kWidth = 320, kHeight = 200;

ARGB Blend(ARGB under, ARGB over, unsigned alpha) {
  auto mix = [&](int shift) { return (((under >> shift) & 0xff) * (255 - alpha) + ((over >> shift) & 0xff) * alpha) / 255 << shift; };
  return 0xff000000u | mix(16) | mix(8) | mix(0);
}

// Background gradient, a sun, a square and diagonal stripes.
ARGB PictureAt(INT x, INT y) {
  const unsigned r = static_cast<unsigned>(255 * x / (kWidth - 1));
  const unsigned g = static_cast<unsigned>(80 + 120 * y / (kHeight - 1));
  const unsigned b = static_cast<unsigned>(255 - 255 * x / (kWidth - 1));
  ARGB c = 0xff000000u | r << 16 | g << 8 | b;
  const double dx = x - 220.0, dy = y - 70.0;
  if (dx * dx + dy * dy < 45.0 * 45.0) c = Blend(c, 0xffffd700u, 230);
  if (x >= 40 && x < 120 && y >= 100 && y < 180) c = Blend(c, 0xff2040c0u, 200);
  if ((x + y) % 24 < 4 && y > 150) c = Blend(c, 0xffffffffu, 160);
  return c;
}

Status Paint(GpBitmap* bitmap) {
  GpRect rect{0, 0, kWidth, kHeight};
  BitmapData data;
  if (Status s = GdipBitmapLockBits(bitmap, &rect, ImageLockModeWrite, PixelFormat32bppARGB, &data); s != Ok) return s;
  for (INT y = 0; y < kHeight; ++y) {
    auto* row = reinterpret_cast<ARGB*>(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
    for (INT x = 0; x < kWidth; ++x) row[x] = PictureAt(x, y);
  }
  return GdipBitmapUnlockBits(bitmap, &data);
}

int SaveAll(GpBitmap* bitmap, const std::string& folder) {
  struct Output {
    const char* name;
    CLSID encoder;
  };
  const Output outputs[] = {{"demo.bmp", EncoderClsidBMP}, {"demo.png", EncoderClsidPNG}, {"demo.jpg", EncoderClsidJPEG},
                            {"demo.gif", EncoderClsidGIF}, {"demo.tif", EncoderClsidTIFF}};
  int failures = 0;
  for (const Output& o : outputs) {
    const std::string path = folder + "/" + o.name;
    const Status s = GdipSaveImageToFile(bitmap, path.c_str(), &o.encoder, nullptr);
    if (s == Ok) {
      std::printf("wrote %s\n", path.c_str());
    } else {
      std::fprintf(stderr, "could not write %s: status %d\n", path.c_str(), s);
      ++failures;
    }
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string out = argc > 1 ? argv[1] : "out";
  std::printf("vexiro %s: output folder %s\n", vexiro::LibraryVersion(), out.c_str());
  uint32_t token = 0;
  GdiplusStartupInput input;
  if (GdiplusStartup(&token, &input, nullptr) != Ok) {
    std::fprintf(stderr, "the imaging platform did not start\n");
    return 1;
  }
  int failures = 1;
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromScan0(kWidth, kHeight, 0, PixelFormat24bppRGB, nullptr, &bitmap) == Ok) {
    GdipBitmapSetResolution(bitmap, 96.0f, 96.0f);
    failures = Paint(bitmap) == Ok ? SaveAll(bitmap, out) : 1;
    GdipDisposeImage(bitmap);
  }
  GdiplusShutdown(token);
  return failures == 0 ? 0 : 1;
}
