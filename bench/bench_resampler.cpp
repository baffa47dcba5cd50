// The resampler alone, a 5000 x 5000 opaque picture halved with the best filter and shrunk by 10 %
// with the bilinear one, once for each instruction set this processor has: the source rows come
// from memory already premultiplied, so the figure is the convolution's own.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/gdiplus/image_resampler.h"

namespace {

using namespace vx::gdiplus;

constexpr int kSide = 5000;

const std::vector<uint32_t>& Picture() {
  static const std::vector<uint32_t> pixels = [] {
    std::vector<uint32_t> p(size_t(kSide) * kSide);
    std::mt19937 random(7);
    for (uint32_t& v : p) v = random() | 0xFF000000u;
    return p;
  }();
  return pixels;
}

PremultipliedRows Rows() {
  return {kSide, kSide, [](int y, int x, int count, uint8_t* out) {
            std::memcpy(out, Picture().data() + size_t(y) * kSide + x, size_t(count) * 4);
          }};
}

template <bool (*Paint)(const PremultipliedRows&, const cairo_matrix_t&, uint8_t*, int, const PixelBox&)>
void Resample(benchmark::State& state, const std::string& set, double scale) {
  if (!UseResamplerInstructionSet(set)) {
    state.SkipWithError("instruction set missing");
    return;
  }
  const int side = int(kSide * scale);
  std::vector<uint32_t> target(size_t(side) * side);
  cairo_matrix_t toSource;
  cairo_matrix_init_scale(&toSource, 1 / scale, 1 / scale);
  const PremultipliedRows rows = Rows();
  for (auto _ : state) {
    if (!Paint(rows, toSource, reinterpret_cast<uint8_t*>(target.data()), side * 4, {0, 0, side, side}))
      state.SkipWithError("declined");
    benchmark::DoNotOptimize(target.data());
  }
  state.SetItemsProcessed(state.iterations() * side * side);
  UseResamplerInstructionSet("");
}

void RegisterAll() {
  for (const std::string& set : ResamplerInstructionSets())
    benchmark::RegisterBenchmark(("HalveBicubic/" + set).c_str(), Resample<PaintBestScaled>, set, 0.5)
        ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ShrinkBilinear", Resample<PaintBilinearScaled>, std::string(), 0.9)
      ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
