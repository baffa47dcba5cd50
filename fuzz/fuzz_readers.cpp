// Feeds arbitrary pictures to both barcode reader plug-ins through the engine's scan members:
// the first bytes give the picture's size and depth, the rest its grey pixels (repeated to fill
// it), and each reader scans it in both modes; a 1-bit copy of the picture is scanned as well.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vexiro/imaging.h"

namespace {

std::unique_ptr<vexiro::cImaging> g_engine;  // keeps the platform started and the plug-ins found

// At most this many pixels a side: large enough for symbols, small enough for many runs a second.
constexpr int32_t kLargestSide = 320;

std::vector<int32_t> PixelsOf(const uint8_t* grey, size_t size, int32_t width, int32_t height) {
  std::vector<int32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), -1);
  if (size == 0) return pixels;
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint32_t g = grey[i % size];
    pixels[i] = static_cast<int32_t>(0xFF000000u | g << 16 | g << 8 | g);
  }
  return pixels;
}

void ScanWithBothReaders(vexiro::cImaging& engine) {
  for (const auto mode : {vexiro::BestSpeed, vexiro::BestQuality}) {
    if (engine.Barcode1DReaderDoScan(mode) == vexiro::OK)
      for (int32_t n = 1; n <= engine.Barcode1DReaderGetBarcodeCount(); ++n) engine.Barcode1DReaderGetBarcodeValue(n);
    if (engine.BarcodeDataMatrixReaderDoScan(mode) == vexiro::OK)
      for (int32_t n = 1; n <= engine.BarcodeDataMatrixReaderGetBarcodeCount(); ++n)
        engine.BarcodeDataMatrixReaderGetBarcodeValue(n);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_engine = std::make_unique<vexiro::cImaging>();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const int32_t width = 1 + (data[0] | data[1] << 8) % kLargestSide;
  const int32_t height = 1 + (data[2] | data[3] << 8) % kLargestSide;
  const bool bilevel = data[4] & 1;
  vexiro::cImaging& engine = *g_engine;
  const int32_t id = engine.CreateNewImage(width, height, 24);
  if (id == 0) return 0;
  auto array = vexiro::BasicArray<int32_t>::FromVector(PixelsOf(data + 5, size - 5, width, height));
  if (engine.SetPixelArray(array, 0, 0, width, height) == vexiro::OK) {
    ScanWithBothReaders(engine);
    if (bilevel && engine.ConvertTo1Bpp() == vexiro::OK) ScanWithBothReaders(engine);
  }
  engine.CloseImage(id);
  return 0;
}
