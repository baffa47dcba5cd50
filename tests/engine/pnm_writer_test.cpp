#include "engine/save/pnm_writer.h"

#include <gtest/gtest.h>

#include "engine/saving_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace saving_test;
using test_support::EngineTest;
using test_support::PaletteOf;

class PnmWriter : public EngineTest {
 protected:
  ScratchFolder scratch_;
};

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Head(const std::vector<uint8_t>& bytes, size_t n) {
  return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(n, bytes.size())));
}

TEST_F(PnmWriter, HeadersAndSizesByDepth) {
  struct Case {
    int32_t w, h;
    gdiplus::PixelFormat format;
    std::string header;
    size_t dataBytes;
  };
  const Case cases[] = {
      {640, 480, gdiplus::PixelFormat24bppRGB, "P6\n640 480\n255\n", 640 * 480 * 3},
      {100, 10, gdiplus::PixelFormat32bppARGB, "P6\n100 10\n255\n", 100 * 10 * 3},
      {10, 1, gdiplus::PixelFormat1bppIndexed, "P4\n10 1\n", 2},
      {5, 3, gdiplus::PixelFormat8bppIndexed, "P5\n5 3\n255\n", 15},
      {7, 2, gdiplus::PixelFormat4bppIndexed, "P5\n7 2\n255\n", 14},
      {3, 3, gdiplus::PixelFormat16bppRGB565, "P6\n3 3\n255\n", 27},
  };
  for (const Case& c : cases) {
    const int32_t id = MakeImage(c.w, c.h, c.format);
    const std::string path = scratch_.File("image.pnm");
    ASSERT_EQ(SaveAsPNMFile(id, path), vexiro::OK) << c.header;
    const std::vector<uint8_t> bytes = ReadFile(path);
    EXPECT_EQ(Head(bytes, c.header.size()), Bytes(c.header));
    EXPECT_EQ(bytes.size(), c.header.size() + c.dataBytes) << c.header;
    ReleaseImage(id);
  }
}

TEST_F(PnmWriter, ColourPixelsAreWrittenRedGreenBlue) {
  const ARGB colours[] = {0xFF102030, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  const int32_t id = MakeFilled(5, 2, gdiplus::PixelFormat24bppRGB, [&](int x, int y) { return colours[(x + y) % 5]; });
  const std::string path = scratch_.File("colour.ppm");
  ASSERT_EQ(SaveAsPNMFile(id, path), vexiro::OK);
  std::vector<uint8_t> expected = Bytes("P6\n5 2\n255\n");
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) {
      const ARGB c = colours[(x + y) % 5];
      expected.insert(expected.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
  EXPECT_EQ(ReadFile(path), expected);
  VX_REQUIRE_TOOL("convert");
  const std::vector<ARGB> seen = PixelsByImageMagick(path);
  ASSERT_EQ(seen.size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(seen[i], colours[(i % 5 + i / 5) % 5]);
}

TEST_F(PnmWriter, IndexedEightBitIsGreyByTheGreenOfEachEntry) {
  const int32_t id = MakeIndexed(3, 1, gdiplus::PixelFormat8bppIndexed,
                                 PaletteOf({0xFF102030, 0xFFAABBCC, 0xFF00FF00}), {2, 0, 1});
  const std::string path = scratch_.File("grey.pgm");
  ASSERT_EQ(SaveAsPNMFile(id, path), vexiro::OK);
  std::vector<uint8_t> expected = Bytes("P5\n3 1\n255\n");
  expected.insert(expected.end(), {0xFF, 0x20, 0xBB});
  EXPECT_EQ(ReadFile(path), expected);
}

// PBM's 1 is black: dark pixels set their bit, whichever palette index they use.
TEST_F(PnmWriter, BitmapRowsSetTheBitsOfDarkPixels) {
  struct Case {
    std::initializer_list<ARGB> palette;
    std::vector<uint8_t> indices;
    std::vector<uint8_t> rows;
  };
  const Case cases[] = {
      {{0xFF000000, 0xFFFFFFFF}, std::vector<uint8_t>(10, 1), {0x00, 0x00}},  // all white
      {{0xFF000000, 0xFFFFFFFF}, std::vector<uint8_t>(10, 0), {0xFF, 0xC0}},  // all black
      {{0xFFFFFFFF, 0xFF000000}, {1, 0, 1, 0, 1, 0, 1, 0, 1, 1}, {0xAA, 0xC0}},  // black at index 1
  };
  for (const Case& c : cases) {
    const int32_t id = MakeIndexed(10, 1, gdiplus::PixelFormat1bppIndexed, PaletteOf(c.palette), c.indices);
    const std::string path = scratch_.File("bits.pbm");
    ASSERT_EQ(SaveAsPNMFile(id, path), vexiro::OK);
    std::vector<uint8_t> expected = Bytes("P4\n10 1\n");
    expected.insert(expected.end(), c.rows.begin(), c.rows.end());
    EXPECT_EQ(ReadFile(path), expected);
    ReleaseImage(id);
  }
  EXPECT_EQ(ImageSlotCount(), 0) << "the reduced copies are released";
}

TEST_F(PnmWriter, BitmapReadsBackWithImageMagick) {
  VX_REQUIRE_TOOL("convert");
  std::vector<uint8_t> indices = RandomBytes(19 * 5, 3, 2);
  const int32_t id = MakeIndexed(19, 5, gdiplus::PixelFormat1bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF}), indices);
  const std::string path = scratch_.File("random.pbm");
  ASSERT_EQ(SaveAsPNMFile(id, path), vexiro::OK);
  const std::vector<ARGB> seen = PixelsByImageMagick(path);
  ASSERT_EQ(seen.size(), indices.size());
  for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], indices[i] ? 0xFFFFFFFFu : 0xFF000000u) << i;
}

TEST_F(PnmWriter, UnknownIdentifierIsInvalidAndWritesNothing) {
  const std::string path = scratch_.File("none.pnm");
  EXPECT_EQ(SaveAsPNMFile(4242, path), vexiro::InvalidParameter);
  EXPECT_FALSE(FileExists(path));
}

TEST(PnmRowRules, RowBytesAndColourBytes) {
  EXPECT_EQ(PNMRowBytes(10, 1), 4);
  EXPECT_EQ(PNMRowBytes(5, 8), 8);
  EXPECT_EQ(PNMRowBytes(5, 24), 16);
  EXPECT_EQ(ColorToBytes(0x11223344u), (PaletteBytes{0x44, 0x33, 0x22, 0x11}));
  EXPECT_TRUE(IsFlagSet(512 | 4, 512));
  EXPECT_FALSE(IsFlagSet(4, 512));
}

}  // namespace
}  // namespace vx::engine
