#include "exr_reader.h"

#include <ImfArray.h>
#include <ImfRgbaFile.h>
#include <ImfThreading.h>

#include "bilevel_bitmap.h"

namespace vximgplug {

FIBITMAP* DecodeExr(const std::string& path) {
  try {
    Imf::setGlobalThreadCount(0);
    Imf::RgbaInputFile file(path.c_str());
    const Imath::Box2i window = file.dataWindow();
    const int64_t width = int64_t{window.max.x} - window.min.x + 1;
    const int64_t height = int64_t{window.max.y} - window.min.y + 1;
    if (width <= 0 || height <= 0 || !DimensionsAcceptable(static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
      return nullptr;
    const bool alpha = (file.channels() & Imf::WRITE_A) != 0;
    Imf::Array2D<Imf::Rgba> pixels(height, width);
    file.setFrameBuffer(&pixels[0][0] - window.min.x - window.min.y * width, 1, static_cast<size_t>(width));
    file.readPixels(window.min.y, window.max.y);

    FIBITMAP* dib = FreeImage_AllocateT(alpha ? FIT_RGBAF : FIT_RGBF, static_cast<int>(width), static_cast<int>(height));
    if (!dib) return nullptr;
    for (int64_t y = 0; y < height; ++y) {
      // The file's first row is the top; FreeImage keeps the bottom row first.
      auto* line = reinterpret_cast<float*>(FreeImage_GetScanLine(dib, static_cast<int>(height - 1 - y)));
      const int stride = alpha ? 4 : 3;
      for (int64_t x = 0; x < width; ++x) {
        const Imf::Rgba& p = pixels[y][x];
        line[x * stride] = p.r;
        line[x * stride + 1] = p.g;
        line[x * stride + 2] = p.b;
        if (alpha) line[x * stride + 3] = p.a;
      }
    }
    return dib;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace vximgplug
