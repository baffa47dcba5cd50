// RotateFlip: the eight types on a 3x2 picture at 24 and 1 bits, every other format against
// the 32-bit result, and the swap of size and resolution on quarter turns.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gdiplus_test_session.h"

using namespace gdiplus_test;

namespace {

class RotateFlip : public Session {};

// The 3x2 picture "abc" over "def" after each type, row by row.
struct Layout {
  RotateFlipType type;
  std::vector<std::string> rows;
};

const std::vector<Layout> kLayouts = {
    {RotateNoneFlipNone, {"abc", "def"}}, {Rotate90FlipNone, {"da", "eb", "fc"}},
    {Rotate180FlipNone, {"fed", "cba"}},  {Rotate270FlipNone, {"cf", "be", "ad"}},
    {RotateNoneFlipX, {"cba", "fed"}},    {Rotate90FlipX, {"ad", "be", "cf"}},
    {Rotate180FlipX, {"def", "abc"}},     {Rotate270FlipX, {"fc", "eb", "da"}},
};

ARGB LetterColour(char letter) { return 0xFF000000u | static_cast<ARGB>(letter - 'a' + 1) * 0x102030u; }

TEST_F(RotateFlip, EveryTypeAt24Bits) {
  for (const Layout& layout : kLayouts) {
    BitmapPtr bitmap = Make(3, 2, PixelFormat24bppRGB);
    for (int i = 0; i < 6; ++i) ASSERT_EQ(GdipBitmapSetPixel(bitmap.get(), i % 3, i / 3, LetterColour('a' + i)), Ok);
    ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), layout.type), Ok);
    ASSERT_EQ(HeightOf(bitmap.get()), layout.rows.size());
    ASSERT_EQ(WidthOf(bitmap.get()), layout.rows[0].size());
    for (size_t y = 0; y < layout.rows.size(); ++y)
      for (size_t x = 0; x < layout.rows[y].size(); ++x)
        EXPECT_EQ(Pixel(bitmap.get(), static_cast<INT>(x), static_cast<INT>(y)), LetterColour(layout.rows[y][x]))
            << "type " << layout.type << " at " << x << "," << y;
  }
}

// At one bit the letters cannot all be told apart, so each letter is lit alone and must land
// where the layout puts it.
TEST_F(RotateFlip, EveryTypeAt1Bit) {
  for (const Layout& layout : kLayouts)
    for (int lit = 0; lit < 6; ++lit) {
      std::vector<uint8_t> memory(8, 0);
      memory[(lit / 3) * 4] = static_cast<uint8_t>(0x80 >> (lit % 3));
      BitmapPtr bitmap = Make(3, 2, PixelFormat1bppIndexed, 4, memory.data());
      ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), layout.type), Ok);
      for (size_t y = 0; y < layout.rows.size(); ++y)
        for (size_t x = 0; x < layout.rows[y].size(); ++x) {
          const ARGB expected = layout.rows[y][x] == 'a' + lit ? 0xFFFFFFFF : 0xFF000000;
          EXPECT_EQ(Pixel(bitmap.get(), static_cast<INT>(x), static_cast<INT>(y)), expected)
              << "type " << layout.type << " letter " << char('a' + lit) << " at " << x << "," << y;
        }
    }
}

// Every format turns like 32bppARGB, on a size that crosses byte boundaries of packed rows.
TEST_F(RotateFlip, EveryFormatMatchesThe32BitResult) {
  const PixelFormat formats[] = {PixelFormat1bppIndexed, PixelFormat4bppIndexed, PixelFormat8bppIndexed,
                                 PixelFormat16bppGrayScale, PixelFormat16bppRGB555, PixelFormat16bppRGB565,
                                 PixelFormat16bppARGB1555, PixelFormat24bppRGB, PixelFormat32bppRGB,
                                 PixelFormat32bppPARGB, PixelFormat48bppRGB, PixelFormat64bppARGB,
                                 PixelFormat64bppPARGB};
  constexpr INT kW = 13, kH = 7;
  std::mt19937 random(3);
  for (PixelFormat format : formats) {
    BitmapPtr bitmap = Make(kW, kH, format);
    BitmapData data;
    ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeWrite, format, &data), Ok);
    for (INT y = 0; y < kH; ++y)
      for (INT b = 0; b < data.Stride; ++b) static_cast<uint8_t*>(data.Scan0)[y * data.Stride + b] = random();
    ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
    for (const Layout& layout : kLayouts) {
      GpImage* raw = nullptr;
      ASSERT_EQ(GdipCloneImage(bitmap.get(), &raw), Ok);
      ImagePtr turned(raw);
      GpBitmap* reference = nullptr;
      ASSERT_EQ(GdipCloneBitmapAreaI(0, 0, kW, kH, PixelFormat32bppARGB, bitmap.get(), &reference), Ok);
      BitmapPtr expected(reference);
      ASSERT_EQ(GdipImageRotateFlip(turned.get(), layout.type), Ok);
      ASSERT_EQ(GdipImageRotateFlip(expected.get(), layout.type), Ok);
      ASSERT_EQ(WidthOf(turned.get()), WidthOf(expected.get()));
      for (INT y = 0; y < static_cast<INT>(HeightOf(expected.get())); ++y)
        for (INT x = 0; x < static_cast<INT>(WidthOf(expected.get())); ++x)
          ASSERT_EQ(Pixel(turned.get(), x, y), Pixel(expected.get(), x, y))
              << std::hex << format << std::dec << " type " << layout.type << " at " << x << "," << y;
    }
  }
}

TEST_F(RotateFlip, QuarterTurnsSwapResolutionAndRefuseWhileLocked) {
  BitmapPtr bitmap = Make(30, 10, PixelFormat8bppIndexed);
  ASSERT_EQ(GdipBitmapSetResolution(bitmap.get(), 300.0f, 100.0f), Ok);
  ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), Rotate270FlipX), Ok);
  REAL dpiX = 0, dpiY = 0;
  ASSERT_EQ(GdipGetImageHorizontalResolution(bitmap.get(), &dpiX), Ok);
  ASSERT_EQ(GdipGetImageVerticalResolution(bitmap.get(), &dpiY), Ok);
  EXPECT_EQ(dpiX, 100.0f);
  EXPECT_EQ(dpiY, 300.0f);
  EXPECT_EQ(WidthOf(bitmap.get()), 10u);
  INT paletteSize = 0;
  ASSERT_EQ(GdipGetImagePaletteSize(bitmap.get(), &paletteSize), Ok);
  EXPECT_EQ(paletteSize, 1032);

  for (INT type : {-1, 8, 100})
    EXPECT_EQ(GdipImageRotateFlip(bitmap.get(), static_cast<RotateFlipType>(type)), InvalidParameter);
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), Ok);
  EXPECT_EQ(GdipImageRotateFlip(bitmap.get(), Rotate90FlipNone), WrongState);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
}

// A turned bitmap over caller memory moves into its own storage and leaves the caller's alone.
TEST_F(RotateFlip, BorrowedMemoryIsLeftUntouched) {
  std::vector<uint32_t> memory = {1, 2, 3, 4, 5, 6};
  BitmapPtr bitmap = Make(3, 2, PixelFormat32bppARGB, 12, memory.data());
  ASSERT_EQ(GdipImageRotateFlip(bitmap.get(), Rotate90FlipNone), Ok);
  EXPECT_EQ(memory, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Pixel(bitmap.get(), 0, 0), 4u);
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  EXPECT_NE(data.Scan0, memory.data());
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
}

}  // namespace
