#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "engine/handles/packed_dib.h"
#include "engine/routines/shared_routines.h"
#include "engine_test_support.h"
#include "platform/kernel/global_memory.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

using PackedDib = EngineTest;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// The bytes of a global block, which is freed.
std::vector<uint8_t> TakeBlock(HGLOBAL block) {
  const size_t size = GlobalSize(block);
  const auto* p = static_cast<const uint8_t*>(GlobalLock(block));
  std::vector<uint8_t> bytes(p, p + size);
  GlobalUnlock(block);
  GlobalFree(block);
  return bytes;
}

// A 3 x 2 image whose every pixel differs: bottom-left is (30, 60, 90).
int32_t MakeTestImage(PixelFormat format) {
  const int32_t id = MakeImage(3, 2, format);
  if (IsIndexedPixelFormat(format)) {
    ColorPalette p;
    p.Count = 1u << GetPixelFormatSize(format);
    for (UINT i = 0; i < p.Count; ++i) p.Entries[i] = 0xFF000000u | (i * 37 % 256) << 16 | (i * 11 % 256) << 8 | i;
    SetImagePaletteRaw(id, p);
    test_support::WriteRow(id, 0, {0x00, 0x00, 0x00});
    test_support::WriteRow(id, 1, {0xFF, 0xFF, 0xFF});  // index 1 (1 bit), 15 (4 bits) or 255 (8 bits) first
    return id;
  }
  std::vector<uint32_t> argb = {0xFF0A141E, 0xFF28323C, 0xFF46505A, 0xFF1E3C5A, 0xFF646E78, 0xFF828C96};
  EXPECT_EQ(test_support::LockWholeArgb(id, argb, ImageLockModeWrite), vexiro::OK);
  return id;
}

TEST_F(PackedDib, HeaderPaletteAndBottomUpRowsForEachDepth) {
  const struct {
    PixelFormat format;
    uint16_t bits;
    uint32_t compression, colours;
  } cases[] = {
      {PixelFormat1bppIndexed, 1, BI_RGB, 2},      {PixelFormat4bppIndexed, 4, BI_RGB, 16},
      {PixelFormat8bppIndexed, 8, BI_RGB, 256},    {PixelFormat16bppRGB555, 16, BI_RGB, 0},
      {PixelFormat16bppARGB1555, 16, BI_RGB, 0},   {PixelFormat16bppRGB565, 16, BI_BITFIELDS, 0},
      {PixelFormat16bppGrayScale, 24, BI_RGB, 0},  {PixelFormat24bppRGB, 24, BI_RGB, 0},
      {PixelFormat32bppRGB, 32, BI_RGB, 0},        {PixelFormat32bppARGB, 32, BI_RGB, 0},
      {PixelFormat32bppPARGB, 32, BI_RGB, 0},      {PixelFormat48bppRGB, 24, BI_RGB, 0},
      {PixelFormat64bppARGB, 32, BI_RGB, 0},       {PixelFormat64bppPARGB, 32, BI_RGB, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(PixelFormatName(c.format));
    const int32_t id = MakeTestImage(c.format);
    ASSERT_EQ(SetImageResolution(id, 254.0f, 127.0f), vexiro::OK);
    HGLOBAL block = 0;
    ASSERT_EQ(GetImageAsPackedDIB(id, block), vexiro::OK);
    const std::vector<uint8_t> dib = TakeBlock(block);
    const uint32_t stride = (3 * c.bits + 31) / 32 * 4;
    const uint32_t masks = c.compression == BI_BITFIELDS ? 12 : 0;
    ASSERT_EQ(dib.size(), 40 + masks + 4 * c.colours + stride * 2);
    EXPECT_EQ(U32(&dib[0]), 40u);
    EXPECT_EQ(U32(&dib[4]), 3u);
    EXPECT_EQ(U32(&dib[8]), 2u) << "positive height: bottom-up";
    EXPECT_EQ(U16(&dib[12]), 1);
    EXPECT_EQ(U16(&dib[14]), c.bits);
    EXPECT_EQ(U32(&dib[16]), c.compression);
    EXPECT_EQ(U32(&dib[20]), stride * 2);
    EXPECT_EQ(U32(&dib[24]), 10000u) << "254 dpi is 10000 pixels per metre";
    EXPECT_EQ(U32(&dib[28]), 5000u);
    EXPECT_EQ(U32(&dib[32]), c.colours);
    if (masks) {
      EXPECT_EQ(U32(&dib[40]), 0xF800u);
      EXPECT_EQ(U32(&dib[44]), 0x07E0u);
      EXPECT_EQ(U32(&dib[48]), 0x001Fu);
    }
    const uint8_t* palette = &dib[40 + masks];
    if (c.colours) {
      EXPECT_EQ(U32(palette + 4), 0xFF000000u | 37u << 16 | 11u << 8 | 1u) << "palette entry 1";
    }
    // DIB row 0 is the image's last row.
    const uint8_t* bottom = palette + 4 * c.colours;
    const uint8_t* top = bottom + stride;
    if (IsIndexedPixelFormat(c.format)) {
      const int firstIndex = bottom[0] >> (8 - c.bits);
      EXPECT_EQ(firstIndex, (1 << c.bits) - 1);
      EXPECT_EQ(top[0] >> (8 - c.bits), 0);
    } else if (c.bits == 24 && c.format != PixelFormat16bppGrayScale) {
      EXPECT_EQ(bottom[0], 0x5A);  // blue of (30, 60, 90)
      EXPECT_EQ(bottom[1], 0x3C);
      EXPECT_EQ(bottom[2], 0x1E);
      EXPECT_EQ(top[0], 0x1E);
    } else if (c.bits == 32) {
      EXPECT_EQ(U32(bottom) & 0xFFFFFF, 0x1E3C5Au);
      EXPECT_EQ(U32(top) & 0xFFFFFF, 0x0A141Eu);
    }
    ReleaseImage(id);
  }
}

TEST_F(PackedDib, UnknownImageAndFailures) {
  HGLOBAL block = 123;
  EXPECT_EQ(GetImageAsPackedDIB(98765, block), vexiro::InvalidParameter);
  EXPECT_EQ(block, 0u);
  int32_t empty = 0;
  RegisterImage(empty, nullptr, "", "", KindGeneric);
  EXPECT_NE(GetImageAsPackedDIB(empty, block), vexiro::OK);
  EXPECT_EQ(block, 0u);
}

TEST_F(PackedDib, RoundTripThroughImport) {
  for (PixelFormat format : {PixelFormat1bppIndexed, PixelFormat4bppIndexed, PixelFormat8bppIndexed,
                             PixelFormat16bppRGB555, PixelFormat16bppRGB565, PixelFormat24bppRGB, PixelFormat32bppRGB}) {
    SCOPED_TRACE(PixelFormatName(format));
    const int32_t id = MakeTestImage(format);
    HGLOBAL block = 0;
    ASSERT_EQ(GetImageAsPackedDIB(id, block), vexiro::OK);
    const std::vector<uint8_t> dib = TakeBlock(block);
    int32_t back = 0;
    ASSERT_EQ(CreateImageFromPackedDIBBlock(dib.data(), dib.size(), back), vexiro::OK);
    EXPECT_EQ(GetImagePixelFormatValue(back), format);
    for (int32_t y = 0; y < 2; ++y)
      for (int32_t x = 0; x < 3; ++x) {
        ARGB a = 0, b = 0;
        GetImagePixel(id, x, y, a);
        GetImagePixel(back, x, y, b);
        EXPECT_EQ(a, b) << x << "," << y;
      }
    EXPECT_EQ(FindImageRecord(back)->Kind, KindGdiDib);
  }
}

// A DIB built by hand: header of `headerSize` bytes, then the given tail.
std::vector<uint8_t> Dib(uint32_t headerSize, int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                         uint32_t colours, const std::vector<uint8_t>& tail, const std::vector<uint32_t>& headerMasks = {}) {
  std::vector<uint8_t> d(std::max<uint32_t>(headerSize, 40), 0);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&d[at], &v, 4); };
  put32(0, headerSize);
  put32(4, static_cast<uint32_t>(width));
  put32(8, static_cast<uint32_t>(height));
  d[12] = 1;
  d[14] = static_cast<uint8_t>(bits);
  put32(16, compression);
  put32(32, colours);
  for (size_t i = 0; i < headerMasks.size(); ++i) put32(40 + 4 * i, headerMasks[i]);
  d.resize(headerSize);  // a header shorter than 40 bytes keeps only its size field and what fits
  d.insert(d.end(), tail.begin(), tail.end());
  return d;
}

ARGB PixelOf(int32_t id, int32_t x, int32_t y) {
  ARGB c = 0;
  GetImagePixel(id, x, y, c);
  return c;
}

TEST_F(PackedDib, ImportHonoursColoursUsedHeaderSizeAndMasks) {
  {
    // 8 bits with only two table entries: the rows follow the short table directly.
    const auto d = Dib(40, 2, 1, 8, BI_RGB, 2, {0x00, 0x00, 0xFF, 0, 0xFF, 0x00, 0x00, 0, /*row*/ 1, 0, 0, 0});
    int32_t id = 0;
    ASSERT_EQ(CreateImageFromPackedDIBBlock(d.data(), d.size(), id), vexiro::OK);
    EXPECT_EQ(PixelOf(id, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(PixelOf(id, 1, 0), 0xFFFF0000u);
  }
  {
    // A 124-byte header carrying 565 masks, top-down.
    const auto d = Dib(124, 1, -2, 16, BI_BITFIELDS, 0, {0x00, 0xF8, 0, 0, 0x1F, 0x00, 0, 0},
                       {0xF800, 0x07E0, 0x001F, 0});
    int32_t id = 0;
    ASSERT_EQ(CreateImageFromPackedDIBBlock(d.data(), d.size(), id), vexiro::OK);
    EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat16bppRGB565);
    EXPECT_EQ(PixelOf(id, 0, 0), 0xFFFF0000u) << "top-down: the first row is the top";
    EXPECT_EQ(PixelOf(id, 0, 1), 0xFF0000FFu);
  }
  {
    // A 40-byte header followed by masks that swap red and blue.
    std::vector<uint8_t> tail = {0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0};  // masks R=0xFF G=0xFF00 B=0xFF0000
    const std::vector<uint8_t> pixel = {0x11, 0x22, 0x33, 0x00};
    tail.insert(tail.end(), pixel.begin(), pixel.end());
    const auto d = Dib(40, 1, 1, 32, BI_BITFIELDS, 0, tail);
    int32_t id = 0;
    ASSERT_EQ(CreateImageFromPackedDIBBlock(d.data(), d.size(), id), vexiro::OK);
    EXPECT_EQ(PixelOf(id, 0, 0) & 0xFFFFFF, 0x112233u);
  }
  {
    // Unusual 16-bit masks (4-4-4 with alpha) are read through the masks.
    const auto d = Dib(56, 1, 1, 16, BI_BITFIELDS, 0, {0x0F, 0xF0, 0, 0}, {0x0F00, 0x00F0, 0x000F, 0xF000});
    int32_t id = 0;
    ASSERT_EQ(CreateImageFromPackedDIBBlock(d.data(), d.size(), id), vexiro::OK);
    EXPECT_EQ(PixelOf(id, 0, 0), 0xFF0000FFu);
  }
  {
    // Alpha bit fields: a 40-byte header followed by four masks (R, G, B, A from the top byte down).
    std::vector<uint8_t> tail = {0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
    const std::vector<uint8_t> pixel = {0x40, 0x11, 0x22, 0x33};  // alpha 0x40 in the low byte
    tail.insert(tail.end(), pixel.begin(), pixel.end());
    const auto d = Dib(40, 1, 1, 32, 6, 0, tail);
    int32_t id = 0;
    ASSERT_EQ(CreateImageFromPackedDIBBlock(d.data(), d.size(), id), vexiro::OK);
    EXPECT_EQ(GetImagePixelFormatValue(id), PixelFormat32bppARGB);
    EXPECT_EQ(PixelOf(id, 0, 0), 0x40332211u);
  }
}

TEST_F(PackedDib, MalformedOrUnsupportedBlocksAreRefused) {
  const auto good = Dib(40, 4, 4, 24, BI_RGB, 0, std::vector<uint8_t>(48, 0x80));
  std::vector<uint8_t> truncated(good.begin(), good.end() - 1);
  const struct {
    std::vector<uint8_t> block;
    VexiroStatus status;
    const char* what;
  } cases[] = {
      {truncated, vexiro::InvalidParameter, "rows cut short"},
      {std::vector<uint8_t>(good.begin(), good.begin() + 39), vexiro::InvalidParameter, "header cut short"},
      {Dib(12, 4, 4, 24, BI_RGB, 0, std::vector<uint8_t>(48)), vexiro::InvalidParameter, "core header"},
      {Dib(200, 4, 4, 24, BI_RGB, 0, {}), vexiro::InvalidParameter, "header larger than the block"},
      {Dib(40, 4, 4, 8, BI_RLE8, 0, std::vector<uint8_t>(2000)), vexiro::UnknownImageFormat, "RLE"},
      {Dib(40, 4, 4, 24, BI_JPEG, 0, std::vector<uint8_t>(48)), vexiro::UnknownImageFormat, "JPEG"},
      {Dib(40, 4, 4, 24, BI_BITFIELDS, 0, std::vector<uint8_t>(60)), vexiro::UnknownImageFormat, "24-bit masks"},
      {Dib(40, 4, 4, 2, BI_RGB, 0, std::vector<uint8_t>(64)), vexiro::UnknownImageFormat, "2 bits"},
      {Dib(40, 4, 4, 8, BI_RGB, 1000, std::vector<uint8_t>(5000)), vexiro::InvalidParameter, "too many colours"},
      {Dib(40, 0, 4, 24, BI_RGB, 0, std::vector<uint8_t>(48)), vexiro::InvalidParameter, "no width"},
      {Dib(40, 4, 0, 24, BI_RGB, 0, std::vector<uint8_t>(48)), vexiro::InvalidParameter, "no height"},
      {Dib(40, 0x7FFFFFFF, 0x7FFFFFFF, 32, BI_RGB, 0, std::vector<uint8_t>(64)), vexiro::OutOfMemory, "huge"},
      {Dib(40, 1 << 20, 1, 24, BI_RGB, 0, std::vector<uint8_t>(64)), vexiro::InvalidParameter, "wide, short block"},
  };
  for (const auto& c : cases) {
    int32_t id = 9;
    EXPECT_EQ(CreateImageFromPackedDIBBlock(c.block.data(), c.block.size(), id), c.status) << c.what;
    EXPECT_EQ(id, 0) << c.what;
    EXPECT_EQ(ImageSlotCount(), 0) << c.what;
  }
  int32_t id = 0;
  EXPECT_EQ(CreateImageFromPackedDIBBlock(nullptr, 100, id), vexiro::InvalidParameter);
  EXPECT_EQ(CreateImageFromPackedDIBBlock(good.data(), good.size(), id), vexiro::OK);
}

TEST_F(PackedDib, ExportIsReadableByImageMagick) {
  if (!test_support::ToolAvailable("convert")) GTEST_SKIP() << "ImageMagick missing";
  for (PixelFormat format : {PixelFormat8bppIndexed, PixelFormat16bppRGB565, PixelFormat24bppRGB, PixelFormat48bppRGB}) {
    SCOPED_TRACE(PixelFormatName(format));
    const int32_t id = MakeTestImage(format);
    HGLOBAL block = 0;
    ASSERT_EQ(GetImageAsPackedDIB(id, block), vexiro::OK);
    const std::vector<uint8_t> dib = TakeBlock(block);
    const uint32_t offset = 14 + 40 + (format == PixelFormat16bppRGB565 ? 12 : 0) + (format == PixelFormat8bppIndexed ? 1024 : 0);
    std::vector<uint8_t> file = {'B', 'M'};
    auto add32 = [&](uint32_t v) {
      for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    add32(static_cast<uint32_t>(14 + dib.size()));
    add32(0);
    add32(offset);
    file.insert(file.end(), dib.begin(), dib.end());
    const std::string path = GetTempFilePath() ;
    const std::string bmp = path + ".bmp";
    DeleteFileQuietly(path);
    std::ofstream(bmp, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    FILE* pipe = popen(("convert " + bmp + " -format '%[fx:int(255*p{0,1}.r)],%[fx:int(255*p{0,1}.g)],%[fx:int(255*p{0,1}.b)] %w %h' info:- 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char out[256] = {};
    const size_t n = fread(out, 1, sizeof(out) - 1, pipe);
    pclose(pipe);
    DeleteFileQuietly(bmp);
    const std::string text(out, n);
    ARGB expected = 0;
    GetImagePixel(id, 0, 1, expected);
    int r = -1, g = -1, b = -1, w = 0, h = 0;
    ASSERT_EQ(std::sscanf(text.c_str(), "%d,%d,%d %d %d", &r, &g, &b, &w, &h), 5) << text;
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    // Five- and six-bit channels widen by slightly different rules in different readers.
    EXPECT_NEAR(r, static_cast<int>((expected >> 16) & 0xFF), 4);
    EXPECT_NEAR(g, static_cast<int>((expected >> 8) & 0xFF), 4);
    EXPECT_NEAR(b, static_cast<int>(expected & 0xFF), 4);
  }
}

}  // namespace
}  // namespace vx::engine
