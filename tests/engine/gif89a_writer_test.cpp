#include "engine/save/gif89a_writer.h"

#include <gtest/gtest.h>

#include "engine/saving_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace saving_test;
using test_support::EngineTest;
using test_support::PaletteOf;

class Gif89aWriter : public EngineTest {
 protected:
  ScratchFolder scratch_;
};

TEST_F(Gif89aWriter, OnePixelOneBitImageIsTheKnown43Bytes) {
  const int32_t id = MakeIndexed(1, 1, gdiplus::PixelFormat1bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF}), {0});
  const std::string path = scratch_.File("one.gif");
  ASSERT_EQ(SaveAsGIFiFile(id, path), vexiro::OK);
  const std::vector<uint8_t> expected = {
      'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0xF0, 0, 0,   // header, screen, flags
      0, 0, 0, 0xFF, 0xFF, 0xFF,                              // two-entry colour table
      0x21, 0xF9, 4, 0, 0, 0, 0, 0,                           // graphic control, no transparency
      0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x40,                     // interlaced image descriptor
      2,                                                      // minimum code size
      2, 0x44, 0x01,                                          // clear 4, pixel 0, end 5 at 3 bits
      0, 0x3B};
  EXPECT_EQ(ReadFile(path), expected);
}

// Random pixels at every depth and at heights 1 to 9 (every interlace pass layout), read back
// by giflib (and the 8-bit ones by ImageMagick) and compared pixel by pixel.
TEST_F(Gif89aWriter, RandomImagesDecodeWithGiflibAndImageMagickAtEveryInterlaceLayout) {
  for (int bits : {1, 4, 8}) {
    for (int height = 1; height <= 9; ++height) {
      for (int width : {1, 7, 33}) {
        const int stride = (width * bits + 31) / 32 * 4;
        std::vector<uint8_t> pixels = RandomBytes(static_cast<size_t>(stride) * height, bits * 100 + height * 10 + width);
        GifImage image;
        image.width = width;
        image.height = height;
        image.bitsPerPixel = bits;
        image.bufferDepth = bits;
        image.pixels = pixels.data();
        image.pixelBytes = pixels.size();
        image.interlace = width != 7;  // one sequential layout per depth and height
        for (int i = 0; i < (1 << bits); ++i) image.palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 255});
        const std::string path = scratch_.File("random.gif");
        const std::vector<uint8_t> bytes = GIFEncode(image);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        const DecodedGif decoded = DecodeWithGiflib(path);
        ASSERT_TRUE(decoded.ok) << bits << " bits, " << width << " x " << height;
        ASSERT_EQ(decoded.width, width);
        ASSERT_EQ(decoded.height, height);
        for (int y = 0; y < height; ++y)
          for (int x = 0; x < width; ++x) {
            const uint8_t* row = pixels.data() + static_cast<size_t>(y) * stride;
            const int want = bits == 8 ? row[x] : bits == 4 ? (x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4)
                                                            : (row[x / 8] >> (7 - x % 8)) & 1;
            ASSERT_EQ(decoded.indices[static_cast<size_t>(y) * width + x], want)
                << bits << " bits, " << width << " x " << height << " at " << x << "," << y;
          }
        if (bits == 8 && width == 33 && test_support::ToolAvailable("convert")) {
          const std::vector<ARGB> seen = PixelsByImageMagick(path);
          ASSERT_EQ(seen.size(), decoded.indices.size()) << "ImageMagick, height " << height;
          for (size_t i = 0; i < seen.size(); ++i) {
            const PaletteBytes& e = image.palette[decoded.indices[i]];
            ASSERT_EQ(seen[i], 0xFF000000u | uint32_t{e[0]} << 16 | uint32_t{e[1]} << 8 | e[2]) << "height " << height;
          }
        }
      }
    }
  }
}

// At heights 2 to 4 some interlace passes would start past the last row: they are skipped, so
// no row outside the buffer is read and every row is written once.
TEST_F(Gif89aWriter, InterlacePassesStartingPastTheLastRowAreSkipped) {
  for (int height = 2; height <= 4; ++height) {
    std::vector<uint8_t> rows(static_cast<size_t>(4) * height);
    for (int y = 0; y < height; ++y) std::fill_n(rows.begin() + 4 * y, 4, static_cast<uint8_t>(10 + y));
    GifImage image;
    image.width = 4;
    image.height = height;
    image.pixels = rows.data();
    image.pixelBytes = rows.size();
    const std::vector<uint8_t> bytes = GIFEncode(image);
    const std::string path = scratch_.File("short.gif");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const DecodedGif decoded = DecodeWithGiflib(path);
    ASSERT_TRUE(decoded.ok) << height;
    EXPECT_EQ(decoded.indices, rows) << height;
  }
}

// Noise needs far more than 4096 codes, so the table fills and clears many times over.
TEST_F(Gif89aWriter, NoisePastTheCodeTableDecodesWithGiflibAndImageMagick) {
  constexpr int kW = 301, kH = 203;
  const std::vector<uint8_t> noise = RandomBytes(kW * kH, 7);
  std::vector<uint8_t> indices(noise);
  gdiplus::ColorPalette palette;
  palette.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) palette.Entries[i] = 0xFF000000u | i << 16 | (255 - i) << 8 | (i * 7 & 255);
  const int32_t id = MakeIndexed(kW, kH, gdiplus::PixelFormat8bppIndexed, palette, indices);
  const std::string path = scratch_.File("noise.gif");
  ASSERT_EQ(SaveAsGIFiFile(id, path), vexiro::OK);
  const DecodedGif decoded = DecodeWithGiflib(path);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.indices, indices);
  VX_REQUIRE_TOOL("convert");
  const std::vector<ARGB> seen = PixelsByImageMagick(path);
  ASSERT_EQ(seen.size(), indices.size());
  for (size_t i = 0; i < seen.size(); ++i) ASSERT_EQ(seen[i], palette.Entries[indices[i]]) << i;
}

TEST_F(Gif89aWriter, ColourTableIsPaddedToTheAnnouncedSize) {
  const int32_t id = MakeIndexed(3, 2, gdiplus::PixelFormat8bppIndexed,
                                 PaletteOf({0xFFFF0000, 0xFF00FF00, 0xFF0000FF}), {0, 1, 2, 2, 1, 0});
  const std::string path = scratch_.File("short.gif");
  ASSERT_EQ(SaveAsGIFiFile(id, path), vexiro::OK);
  const std::vector<uint8_t> bytes = ReadFile(path);
  ASSERT_GT(bytes.size(), 13u + 768u);
  EXPECT_EQ(bytes[10], 0xF7);
  EXPECT_EQ(bytes[13 + 768], 0x21) << "the graphic control follows 256 entries";
  const DecodedGif decoded = DecodeWithGiflib(path);
  ASSERT_TRUE(decoded.ok);
  EXPECT_EQ(decoded.colors, 256);
  EXPECT_EQ(decoded.table[2], 0xFF0000FFu);
  EXPECT_EQ(decoded.table[3], 0xFF000000u);
  EXPECT_EQ(decoded.indices, (std::vector<uint8_t>{0, 1, 2, 2, 1, 0}));
}

TEST_F(Gif89aWriter, TransparentIndexIsTheTransparentEntryItself) {
  struct Case {
    std::initializer_list<ARGB> palette;
    int transparent;
  };
  const Case cases[] = {
      {{0xFF000000, 0x00000000, 0xFFFFFFFF}, 1},  // an opaque black before it stays opaque
      {{0xFF112233, 0xFFFFFFFF}, -1},
      {{0x00FF0000, 0xFF000000, 0x0000FF00}, 2},  // the later transparent entry wins
  };
  for (const Case& c : cases) {
    const int32_t id = MakeIndexed(2, 1, gdiplus::PixelFormat8bppIndexed, PaletteOf(c.palette), {0, 1});
    const std::string path = scratch_.File("transparent.gif");
    ASSERT_EQ(SaveAsGIFiFile(id, path), vexiro::OK);
    const DecodedGif decoded = DecodeWithGiflib(path);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.transparent, c.transparent);
    ReleaseImage(id);
  }
}

TEST_F(Gif89aWriter, DeepImagesAreReducedToEightBitsWithTheirColoursKept) {
  const ARGB colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF808080, 0xFFFFFFFF};
  for (gdiplus::PixelFormat format : {gdiplus::PixelFormat24bppRGB, gdiplus::PixelFormat32bppARGB}) {
    const int32_t id = MakeFilled(13, 9, format, [&](int x, int y) { return colours[(x + 2 * y) % 5]; });
    const std::string path = scratch_.File("deep.gif");
    ASSERT_EQ(SaveAsGIFiFile(id, path), vexiro::OK);
    const std::vector<uint8_t> bytes = ReadFile(path);
    ASSERT_GT(bytes.size(), 11u);
    EXPECT_EQ(bytes[10], 0xF7) << "8 bits per pixel, 256-entry table";
    const DecodedGif decoded = DecodeWithGiflib(path);
    ASSERT_TRUE(decoded.ok);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 13; ++x)
        ASSERT_EQ(decoded.table[decoded.indices[static_cast<size_t>(y) * 13 + x]], colours[(x + 2 * y) % 5]);
    EXPECT_EQ(ImageSlotCount(), 1) << "the reduced copy is released";
    ReleaseImage(id);
  }
}

TEST_F(Gif89aWriter, UnknownIdentifierIsInvalidAndWritesNothing) {
  const std::string path = scratch_.File("none.gif");
  EXPECT_EQ(SaveAsGIFiFile(12345, path), vexiro::InvalidParameter);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(Gif89aWriter, AnUnwritablePathIsAGenericError) {
  const int32_t id = MakeIndexed(1, 1, gdiplus::PixelFormat1bppIndexed, PaletteOf({0xFF000000, 0xFFFFFFFF}), {0});
  EXPECT_EQ(SaveAsGIFiFile(id, scratch_.File("missing-folder/x.gif")), vexiro::GenericError);
}

}  // namespace
}  // namespace vx::engine
