// An old-style JPEG TIFF (no SamplesPerPixel or BitsPerSample; libtiff fills them in from the JPEG
// data) loads with the pixels libtiff's tiff2rgba reads, as ImageMagick writes them out.
#include <cstdio>

#include "vximgplug_support.h"

using namespace vximgplug_test;

namespace {

constexpr int kFormatTiff = 18;
const std::string kOldJpegTiff = std::string(VEXIRO_TEST_DATA_DIR) + "/plugins/ojpeg-rgb.tif";

TEST(OldJpegTiff, LoadsWithThePixelsLibtiffReads) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("tiff2rgba");
  TempFolder folder;
  const std::string rgba = folder / "rgba.tif";
  ASSERT_TRUE(RunQuiet("tiff2rgba -c none '" + kOldJpegTiff + "' '" + rgba + "'"));
  const std::vector<uint8_t> expected = [&] {
    std::vector<uint8_t> rgb(64 * 48 * 3);
    FILE* pipe = popen(("convert '" + rgba + "' -alpha off -depth 8 rgb:-").c_str(), "r");
    const size_t read = pipe ? fread(rgb.data(), 1, rgb.size(), pipe) : 0;
    if (pipe) pclose(pipe);
    return read == rgb.size() ? rgb : std::vector<uint8_t>{};
  }();
  ASSERT_FALSE(expected.empty()) << "ImageMagick reads the file";
  BitmapHandle bitmap(Api().LoadU(kFormatTiff, kOldJpegTiff.c_str(), 0));
  ASSERT_TRUE(bitmap) << "the plug-in loads it";
  ASSERT_EQ(Api().GetWidth(bitmap.get()), 64);
  ASSERT_EQ(Api().GetHeight(bitmap.get()), 48);
  ASSERT_GE(Api().GetBPP(bitmap.get()), 24);
  int largest = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t colour = PixelAt(bitmap.get(), x, y);
      const uint8_t* want = &expected[static_cast<size_t>(y * 64 + x) * 3];
      for (int c = 0; c < 3; ++c)
        largest = std::max(largest, std::abs(static_cast<int>((colour >> (16 - 8 * c)) & 0xFF) - want[c]));
    }
  EXPECT_LE(largest, 2) << "the largest difference of a sample";
}

}  // namespace
