// LockBits conversion speed on a 2000 x 2000 bitmap: 24bppRGB read as 32bppARGB, and
// 32bppARGB read as 8bppIndexed (nearest halftone entry per pixel).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"

using namespace vx::gdiplus;

namespace {

constexpr INT kSide = 2000;

struct Platform {
  Platform() {
    GdiplusStartupInput input;
    GdiplusStartup(&token, &input, nullptr);
  }
  ~Platform() { GdiplusShutdown(token); }
  uint32_t token = 0;
};

// A smooth gradient with noise, so that conversions meet many distinct colours.
GpBitmap* MakePicture(PixelFormat format) {
  GpBitmap* bitmap = nullptr;
  GdipCreateBitmapFromScan0(kSide, kSide, 0, format, nullptr, &bitmap);
  BitmapData data;
  GdipBitmapLockBits(bitmap, nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &data);
  std::mt19937 random(1);
  for (INT y = 0; y < kSide; ++y) {
    auto* row = reinterpret_cast<ARGB*>(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
    for (INT x = 0; x < kSide; ++x)
      row[x] = 0xFF000000 | ((x * 255 / kSide) << 16) | ((y * 255 / kSide) << 8) | (random() & 0x3F);
  }
  GdipBitmapUnlockBits(bitmap, &data);
  return bitmap;
}

void LockAs(benchmark::State& state, PixelFormat source, PixelFormat target) {
  Platform platform;
  GpBitmap* bitmap = MakePicture(source);
  for (auto _ : state) {
    BitmapData data;
    GdipBitmapLockBits(bitmap, nullptr, ImageLockModeRead, target, &data);
    benchmark::DoNotOptimize(data.Scan0);
    GdipBitmapUnlockBits(bitmap, &data);
  }
  state.SetItemsProcessed(state.iterations() * kSide * kSide);
  GdipDisposeImage(bitmap);
}

void BM_Lock24bppAs32bppArgb(benchmark::State& state) { LockAs(state, PixelFormat24bppRGB, PixelFormat32bppARGB); }
void BM_Lock32bppArgbAs8bppIndexed(benchmark::State& state) {
  LockAs(state, PixelFormat32bppARGB, PixelFormat8bppIndexed);
}

}  // namespace

BENCHMARK(BM_Lock24bppAs32bppArgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lock32bppArgbAs8bppIndexed)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
