// Nearest-colour search: every shortcut gives exactly the answer of a plain scan (Euclidean RGB,
// first entry on a tie).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdiplus/palette_matcher.h"

namespace {

using vx::gdiplus::ARGB;
using vx::gdiplus::PaletteMatcher;

uint8_t ScanNearest(const std::vector<ARGB>& palette, ARGB colour) {
  auto channel = [](ARGB c, int shift) { return static_cast<int>((c >> shift) & 0xff); };
  uint8_t best = 0;
  int bestDistance = INT32_MAX;
  for (size_t i = 0; i < palette.size(); ++i) {
    int d = 0;
    for (int shift : {16, 8, 0}) d += (channel(colour, shift) - channel(palette[i], shift)) * (channel(colour, shift) - channel(palette[i], shift));
    if (d < bestDistance) {
      bestDistance = d;
      best = static_cast<uint8_t>(i);
    }
  }
  return best;
}

std::vector<ARGB> Cube() {
  std::vector<ARGB> cube;
  for (uint32_t r = 0; r < 6; ++r)
    for (uint32_t g = 0; g < 6; ++g)
      for (uint32_t b = 0; b < 6; ++b) cube.push_back(0xff000000u | r * 51 << 16 | g * 51 << 8 | b * 51);
  return cube;
}

// Every thirteenth channel value, and the values either side of each halfway point between
// levels, where a wrong rounding would show.
std::vector<uint32_t> DenseChannelSample() {
  std::vector<uint32_t> values;
  for (uint32_t v = 0; v < 256; v += 13) values.push_back(v);
  for (uint32_t k = 0; k < 5; ++k) values.insert(values.end(), {51 * k + 25, 51 * k + 26});
  values.push_back(255);
  return values;
}

struct PaletteCase {
  const char* name;
  std::vector<ARGB> palette;
};

std::vector<PaletteCase> Cases() {
  std::vector<ARGB> withClear = Cube(), withRepeat = Cube(), nearlyCube = Cube(), reordered = Cube();
  withClear.push_back(0x00000000);   // the GIF writer's transparent entry after the cube
  withRepeat.push_back(Cube()[100]);
  nearlyCube.push_back(0xff808080);  // a grey between levels: no longer the cube
  nearlyCube[7] = 0xff003434;
  std::swap(reordered[0], reordered[215]);
  return {{"Cube", Cube()}, {"CubeAndClear", withClear}, {"CubeAndRepeat", withRepeat},
          {"NearlyCube", nearlyCube}, {"Reordered", reordered}};
}

class NearestColour : public testing::TestWithParam<PaletteCase> {};

TEST_P(NearestColour, AgreesWithAPlainScan) {
  const std::vector<ARGB>& palette = GetParam().palette;
  PaletteMatcher matcher;
  matcher.Reset(palette.data(), palette.size());
  const std::vector<uint32_t> sample = DenseChannelSample();
  size_t mismatches = 0;
  for (uint32_t r : sample)
    for (uint32_t g : sample)
      for (uint32_t b : sample) {
        const ARGB colour = 0xff000000u | r << 16 | g << 8 | b;
        if (matcher.Nearest(colour) != ScanNearest(palette, colour) && ++mismatches <= 5)
          ADD_FAILURE() << std::hex << colour;
      }
  EXPECT_EQ(mismatches, 0u);
}

INSTANTIATE_TEST_SUITE_P(Palettes, NearestColour, testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
