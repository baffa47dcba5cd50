// The engine's own encoders on a 1024 x 768 picture: the octree quantiser over 24-bit pixels
// (tree building, reduction and palette), and GIF89a LZW coding of 8-bit indices.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/save/gif89a_writer.h"
#include "engine/routines/octree_quantizer.h"

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

// A gradient with mild noise: many distinct colours, as photographs have.
std::vector<uint8_t> PictureRows() {
  std::mt19937 rng(1);
  std::vector<uint8_t> rows(static_cast<size_t>(kWidth) * 3 * kHeight);
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) {
      uint8_t* p = &rows[(static_cast<size_t>(y) * kWidth + x) * 3];
      p[0] = static_cast<uint8_t>(x / 4 + rng() % 8);
      p[1] = static_cast<uint8_t>(y / 3 + rng() % 8);
      p[2] = static_cast<uint8_t>((x + y) / 7);
    }
  return rows;
}

void OctreeQuantize(benchmark::State& state) {
  const std::vector<uint8_t> rows = PictureRows();
  for (auto _ : state) {
    vx::engine::OctreeQuantize(kWidth * 3, kHeight, 0, rows.data(), rows.size(), 256, 8);
    benchmark::DoNotOptimize(vx::engine::OctreeGetLeafCount());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(OctreeQuantize)->Unit(benchmark::kMillisecond);

void GifEncode(benchmark::State& state) {
  const std::vector<uint8_t> rows = PictureRows();
  std::vector<uint8_t> indices(static_cast<size_t>(kWidth) * kHeight);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(rows[i * 3] / 16 * 16 + rows[i * 3 + 1] / 16);
  vx::engine::GifImage image;
  image.width = kWidth;
  image.height = kHeight;
  image.pixels = indices.data();
  image.pixelBytes = indices.size();
  image.palette.assign(256, {0, 0, 0, 255});
  for (auto _ : state) benchmark::DoNotOptimize(vx::engine::GIFEncode(image));
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(GifEncode)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
