#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "processing/filter_test_support.h"

namespace vx::processing {
namespace {

using namespace filter_test;

class FiltersAgainstImageMagick : public engine::test_support::EngineTest {};

void WritePpm(const std::string& path, const std::vector<ARGB>& pixels, int32_t w, int32_t h) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << w << " " << h << "\n255\n";
  for (ARGB p : pixels) out.put(char(p >> 16)).put(char(p >> 8)).put(char(p));
}

// ImageMagick's answer as opaque ARGB values.
std::vector<ARGB> Convert(const std::string& in, const std::string& operation) {
  const std::string raw = Shell("convert '" + in + "' " + operation + " -depth 8 rgb:- 2>/dev/null");
  std::vector<ARGB> pixels(raw.size() / 3);
  for (size_t i = 0; i < pixels.size(); ++i) {
    const auto* p = reinterpret_cast<const uint8_t*>(raw.data()) + 3 * i;
    pixels[i] = 0xFF000000u | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
  }
  return pixels;
}

int ChannelDifference(ARGB a, ARGB b) {
  int most = 0;
  for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return most;
}

TEST_F(FiltersAgainstImageMagick, NegateGammaGreyAndConvolution) {
  VX_REQUIRE_TOOL("convert");
  constexpr int32_t w = 48, h = 32;
  ScratchFolder folder;
  const std::string in = folder.File("photo.ppm");
  const std::vector<ARGB> photo = ArgbPixelsOf(MakePhoto(w, h));
  WritePpm(in, photo, w, h);
  struct Case {
    int32_t filter;
    double p1;
    std::string operation;
    int largest;     // the largest channel difference allowed
    bool innerOnly;  // the one-pixel frame is left out (the filters leave it unchanged)
  };
  const Case cases[] = {
      {FilterIDNegative, 0, "-negate", 0, false},
      {31, 50, "-gamma 0.5", 1, false},
      {31, 250, "-gamma 2.5", 1, false},
      {12, 0, "-grayscale Average", 1, false},
      // Contour with no constant is the 3 x 3 Laplacian, read from the unchanged copy.
      {7, 0, "-morphology Convolve '3x3: -1,-1,-1 -1,8,-1 -1,-1,-1'", 0, true},
  };
  for (const Case& c : cases) {
    const int32_t id = MakePhoto(w, h);
    ASSERT_EQ(Filter(c.filter, id, {c.p1}), vexiro::OK);
    const std::vector<ARGB> ours = ArgbPixelsOf(id), theirs = Convert(in, c.operation);
    ASSERT_EQ(theirs.size(), ours.size()) << c.operation;
    int largest = 0;
    for (int32_t y = c.innerOnly ? 1 : 0; y < (c.innerOnly ? h - 1 : h); ++y)
      for (int32_t x = c.innerOnly ? 1 : 0; x < (c.innerOnly ? w - 1 : w); ++x)
        largest = std::max(largest, ChannelDifference(ours[y * w + x], theirs[y * w + x]));
    EXPECT_LE(largest, c.largest) << c.operation;
    engine::ReleaseImage(id);
  }
}

}  // namespace
}  // namespace vx::processing
