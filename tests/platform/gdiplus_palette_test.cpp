// Palettes: the default tables of new indexed bitmaps, sizes, reads and writes.
#include <gtest/gtest.h>

#include <vector>

#include "gdiplus_test_session.h"

using namespace gdiplus_test;

namespace {

class Palettes : public Session {};

ColorPalette ReadPalette(GpBitmap* bitmap) {
  INT size = 0;
  EXPECT_EQ(GdipGetImagePaletteSize(bitmap, &size), Ok);
  ColorPalette palette;
  EXPECT_EQ(GdipGetImagePalette(bitmap, &palette, size), Ok);
  return palette;
}

TEST_F(Palettes, NewIndexedBitmapsStartWithTheSystemTables) {
  BitmapPtr mono = Make(1, 1, PixelFormat1bppIndexed);
  ColorPalette p = ReadPalette(mono.get());
  EXPECT_EQ(p.Count, 2u);
  EXPECT_EQ(p.Flags, static_cast<UINT>(PaletteFlagsGrayScale));
  EXPECT_EQ(p.Entries[0], 0xFF000000u);
  EXPECT_EQ(p.Entries[1], 0xFFFFFFFFu);

  const std::vector<ARGB> vga = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                 0xFF008080, 0xFF808080, 0xFFC0C0C0, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
  BitmapPtr sixteen = Make(1, 1, PixelFormat4bppIndexed);
  p = ReadPalette(sixteen.get());
  EXPECT_EQ(p.Count, 16u);
  EXPECT_EQ(p.Flags, 0u);
  EXPECT_EQ(std::vector<ARGB>(p.Entries, p.Entries + 16), vga);

  BitmapPtr halftone = Make(1, 1, PixelFormat8bppIndexed);
  p = ReadPalette(halftone.get());
  EXPECT_EQ(p.Count, 256u);
  EXPECT_EQ(p.Flags, static_cast<UINT>(PaletteFlagsHalftone));
  EXPECT_EQ(std::vector<ARGB>(p.Entries, p.Entries + 16), vga);
  for (UINT i = 16; i < 40; ++i) EXPECT_EQ(p.Entries[i], 0u) << i;
  EXPECT_EQ(p.Entries[40], 0xFF000000u);
  EXPECT_EQ(p.Entries[41], 0xFF000033u);   // blue varies fastest
  EXPECT_EQ(p.Entries[46], 0xFF003300u);   // then green
  EXPECT_EQ(p.Entries[76], 0xFF330000u);   // then red
  EXPECT_EQ(p.Entries[255], 0xFFFFFFFFu);
}

TEST_F(Palettes, SizesAndBufferChecks) {
  struct Case {
    PixelFormat format;
    INT size;
  };
  // A format without colour table reports a Count-0 record with room for one entry.
  for (const Case& c : {Case{PixelFormat1bppIndexed, 16}, Case{PixelFormat4bppIndexed, 72},
                        Case{PixelFormat8bppIndexed, 1032}, Case{PixelFormat24bppRGB, 12},
                        Case{PixelFormat64bppPARGB, 12}}) {
    BitmapPtr bitmap = Make(2, 2, c.format);
    INT size = 0;
    ASSERT_EQ(GdipGetImagePaletteSize(bitmap.get(), &size), Ok);
    EXPECT_EQ(size, c.size) << std::hex << c.format;
    ColorPalette palette;
    palette.Count = 99;
    EXPECT_EQ(GdipGetImagePalette(bitmap.get(), &palette, size), Ok);
    EXPECT_EQ(static_cast<INT>(8 + 4 * palette.Count), c.size == 12 ? 8 : c.size);
    if (c.size > 12) {
      EXPECT_EQ(GdipGetImagePalette(bitmap.get(), &palette, size - 1), InvalidParameter);
    }
    EXPECT_EQ(GdipGetImagePalette(bitmap.get(), nullptr, size), InvalidParameter);
  }
}

TEST_F(Palettes, SetKeepsEntriesAndFlagsAndRecolours) {
  BitmapPtr bitmap = Make(2, 1, PixelFormat8bppIndexed);
  ColorPalette palette;
  palette.Flags = PaletteFlagsHasAlpha;
  palette.Count = 3;
  palette.Entries[0] = 0x00FF0000;
  palette.Entries[1] = 0xFF00FF00;
  palette.Entries[2] = 0x800000FF;
  ASSERT_EQ(GdipSetImagePalette(bitmap.get(), &palette), Ok);
  INT size = 0;
  ASSERT_EQ(GdipGetImagePaletteSize(bitmap.get(), &size), Ok);
  EXPECT_EQ(size, 20);
  const ColorPalette read = ReadPalette(bitmap.get());
  EXPECT_EQ(read.Flags, static_cast<UINT>(PaletteFlagsHasAlpha));
  EXPECT_EQ(read.Count, 3u);
  EXPECT_EQ(read.Entries[2], 0x800000FFu);
  EXPECT_EQ(Pixel(bitmap.get(), 0, 0), 0x00FF0000u);  // index 0 now names the new first entry
  UINT flags = 0;
  ASSERT_EQ(GdipGetImageFlags(bitmap.get(), &flags), Ok);
  EXPECT_TRUE(flags & ImageFlagsHasAlpha);

  for (UINT count : {0u, 257u, 0xFFFFFFFFu}) {
    palette.Count = count;
    EXPECT_EQ(GdipSetImagePalette(bitmap.get(), &palette), InvalidParameter) << count;
  }
  EXPECT_EQ(GdipSetImagePalette(bitmap.get(), nullptr), InvalidParameter);
  EXPECT_EQ(ReadPalette(bitmap.get()).Count, 3u);
}

}  // namespace
