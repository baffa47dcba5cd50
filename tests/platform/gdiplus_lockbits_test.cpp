// LockBits/UnlockBits: the conversion table between every bitmap format and 32bppARGB, lending
// of the bitmap's own rows, caller buffers, sub-byte rectangles and rejected requests.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "gdiplus_test_session.h"

using namespace gdiplus_test;

namespace {

class LockBits : public Session {};

std::vector<uint8_t> Bytes(const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  return {b, b + n};
}

size_t RowBytesOf(size_t width, PixelFormat format) { return (width * GetPixelFormatSize(format) + 7) / 8; }

// One row of known colours, its encoding in the format, and what reading that encoding gives.
struct ConversionCase {
  const char* name;
  PixelFormat format;
  std::vector<ARGB> colours;
  std::vector<uint8_t> encoded;
  std::vector<ARGB> decoded;
};

constexpr ARGB kTeal = 0xFF123456;    // opaque
constexpr ARGB kOrange = 0x80FF8040;  // half transparent

const std::vector<ConversionCase>& ConversionTable() {
  static const std::vector<ConversionCase> table = {
      // Black/white: the orange is nearer to white.
      {"1bpp", PixelFormat1bppIndexed, {kTeal, kOrange}, {0x40}, {0xFF000000, 0xFFFFFFFF}},
      // VGA colours: teal is nearest to dark blue (4); orange is equally far from entries 3, 7 and 11
      // and takes the first.
      {"4bpp", PixelFormat4bppIndexed, {kTeal, kOrange}, {0x43}, {0xFF000080, 0xFF808000}},
      // Halftone cube: each channel to its nearest level; entries 40 + b + 6g + 36r.
      {"8bpp", PixelFormat8bppIndexed, {kTeal, kOrange}, {48, 239}, {0xFF003366, 0xFFFF9933}},
      // Luminance 0.299 R + 0.587 G + 0.114 B at 16 bits.
      {"16gray", PixelFormat16bppGrayScale, {kTeal, kOrange}, {0xE3, 0x2D, 0x4C, 0x9F}, {0xFF2E2E2E, 0xFF9F9F9F}},
      {"555", PixelFormat16bppRGB555, {kTeal, kOrange}, {0xCA, 0x08, 0x08, 0x7E}, {0xFF103152, 0xFFFF8442}},
      {"565", PixelFormat16bppRGB565, {kTeal, kOrange}, {0xAA, 0x11, 0x08, 0xFC}, {0xFF103452, 0xFFFF8242}},
      // Alpha bit set from 128 up.
      {"1555", PixelFormat16bppARGB1555, {kTeal, kOrange, 0x7F102030},
       {0xCA, 0x88, 0x08, 0xFE, 0x86, 0x08}, {0xFF103152, 0xFFFF8442, 0x00102131}},
      {"24", PixelFormat24bppRGB, {kTeal, kOrange}, {0x56, 0x34, 0x12, 0x40, 0x80, 0xFF}, {kTeal, 0xFFFF8040}},
      {"32rgb", PixelFormat32bppRGB, {kTeal, kOrange}, {0x56, 0x34, 0x12, 0xFF, 0x40, 0x80, 0xFF, 0xFF},
       {kTeal, 0xFFFF8040}},
      {"32argb", PixelFormat32bppARGB, {kTeal, kOrange}, {0x56, 0x34, 0x12, 0xFF, 0x40, 0x80, 0xFF, 0x80},
       {kTeal, kOrange}},
      // p = (c a + 127) / 255 and back c = (p 255 + a/2) / a; a fully transparent pixel is 0.
      {"32pargb", PixelFormat32bppPARGB, {kTeal, kOrange, 0x40C86432, 0x00FFFFFF},
       {0x56, 0x34, 0x12, 0xFF, 0x20, 0x40, 0x80, 0x80, 0x0D, 0x19, 0x32, 0x40, 0, 0, 0, 0},
       {kTeal, kOrange, 0x40C76434, 0}},
      // 8 to 16 bits: v * 257.
      {"48", PixelFormat48bppRGB, {kTeal, kOrange},
       {0x56, 0x56, 0x34, 0x34, 0x12, 0x12, 0x40, 0x40, 0x80, 0x80, 0xFF, 0xFF}, {kTeal, 0xFFFF8040}},
      {"64argb", PixelFormat64bppARGB, {kTeal, kOrange},
       {0x56, 0x56, 0x34, 0x34, 0x12, 0x12, 0xFF, 0xFF, 0x40, 0x40, 0x80, 0x80, 0xFF, 0xFF, 0x80, 0x80},
       {kTeal, kOrange}},
      // Premultiplied at 16 bits: (c a + 32767) / 65535.
      {"64pargb", PixelFormat64bppPARGB, {kTeal, kOrange},
       {0x56, 0x56, 0x34, 0x34, 0x12, 0x12, 0xFF, 0xFF, 0x40, 0x20, 0x81, 0x40, 0x80, 0x80, 0x80, 0x80},
       {kTeal, kOrange}},
  };
  return table;
}

class LockBitsConversion : public Session, public ::testing::WithParamInterface<ConversionCase> {};

TEST_P(LockBitsConversion, EncodesFrom32bppArgb) {
  const ConversionCase& c = GetParam();
  std::vector<ARGB> colours = c.colours;
  const INT w = static_cast<INT>(colours.size());
  BitmapPtr bitmap = Make(w, 1, PixelFormat32bppARGB, 4 * w, colours.data());
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, c.format, &data), Ok);
  EXPECT_EQ(data.PixelFormat, c.format);
  EXPECT_EQ(data.Width, static_cast<UINT>(w));
  EXPECT_EQ(Bytes(data.Scan0, RowBytesOf(w, c.format)), c.encoded);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
}

TEST_P(LockBitsConversion, DecodesTo32bppArgb) {
  const ConversionCase& c = GetParam();
  const INT w = static_cast<INT>(c.colours.size());
  std::vector<uint8_t> row(c.encoded);
  row.resize((row.size() + 3) / 4 * 4, 0);
  BitmapPtr bitmap = Make(w, 1, c.format, static_cast<INT>(row.size()), row.data());
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  std::vector<ARGB> decoded(w);
  std::memcpy(decoded.data(), data.Scan0, 4 * decoded.size());
  EXPECT_EQ(decoded, c.decoded);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  for (INT x = 0; x < w; ++x) EXPECT_EQ(Pixel(bitmap.get(), x, 0), c.decoded[x]) << "pixel " << x;
}

INSTANTIATE_TEST_SUITE_P(AllFormats, LockBitsConversion, ::testing::ValuesIn(ConversionTable()),
                         [](const auto& info) { return std::string(info.param.name); });

// Raw values whose reading shows a rounding or clamping rule.
TEST_F(LockBits, DecodingRulesOfSpecialValues) {
  struct Case {
    PixelFormat format;
    std::vector<uint8_t> raw;
    ARGB expected;
  };
  const std::vector<Case> cases = {
      {PixelFormat32bppRGB, {0x56, 0x34, 0x12, 0x00}, 0xFF123456},  // the fourth byte is not alpha
      // 16 to 8 bits: (v + 128) / 257, so 4754 -> 18 and 4755 -> 19.
      {PixelFormat48bppRGB, {0x92, 0x12, 0x93, 0x12, 0x00, 0x00, 0, 0}, 0xFF001312},
      {PixelFormat16bppGrayScale, {0xFF, 0xFF, 0, 0}, 0xFFFFFFFF},
      // A premultiplied channel above its alpha is clamped.
      {PixelFormat32bppPARGB, {0xC8, 0x05, 0x00, 0x0A}, 0x0A0080FF},
      {PixelFormat16bppRGB565, {0xFF, 0xFF, 0, 0}, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> row(c.raw);
    BitmapPtr bitmap = Make(1, 1, c.format, static_cast<INT>(row.size()), row.data());
    EXPECT_EQ(Pixel(bitmap.get(), 0, 0), c.expected) << std::hex << c.format;
  }
}

// Between formats that both keep 16 bits per channel nothing is lost.
TEST_F(LockBits, SixteenBitChannelsSurviveBetweenWideFormats) {
  std::vector<uint16_t> rgb48 = {4755, 1, 65534, 0};  // B, G, R, padding
  BitmapPtr bitmap = Make(1, 1, PixelFormat48bppRGB, 8, rgb48.data());
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat64bppARGB, &data), Ok);
  uint16_t wide[4];
  std::memcpy(wide, data.Scan0, 8);
  EXPECT_EQ(wide[0], 4755);
  EXPECT_EQ(wide[1], 1);
  EXPECT_EQ(wide[2], 65534);
  EXPECT_EQ(wide[3], 65535);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);

  std::vector<uint16_t> grey48 = {40000, 40000, 40000, 0};
  BitmapPtr grey = Make(1, 1, PixelFormat48bppRGB, 8, grey48.data());
  ASSERT_EQ(GdipBitmapLockBits(grey.get(), nullptr, ImageLockModeRead, PixelFormat16bppGrayScale, &data), Ok);
  uint16_t level = 0;
  std::memcpy(&level, data.Scan0, 2);
  EXPECT_EQ(level, 40000);
  ASSERT_EQ(GdipBitmapUnlockBits(grey.get(), &data), Ok);
}

// Nearest palette entry over many colours and a palette with repeated colours, against a
// plain scan (first entry wins a tie).
TEST_F(LockBits, IndexedTargetsTakeTheFirstNearestEntry) {
  std::mt19937 random(7);
  ColorPalette palette;
  palette.Count = 256;
  for (UINT i = 0; i < 256; ++i) palette.Entries[i] = 0xFF000000 | (random() & 0xFFFFFF);
  for (UINT i = 200; i < 256; ++i) palette.Entries[i] = palette.Entries[i - 100];
  constexpr INT kWidth = 4000;
  std::vector<ARGB> colours(kWidth);
  for (auto& c : colours) c = 0xFF000000 | (random() & 0xFFFFFF);
  BitmapPtr indexed = Make(kWidth, 1, PixelFormat8bppIndexed);
  ASSERT_EQ(GdipSetImagePalette(indexed.get(), &palette), Ok);

  BitmapData data;
  data.Scan0 = colours.data();
  data.Stride = 4 * kWidth;
  ASSERT_EQ(GdipBitmapLockBits(indexed.get(), nullptr, ImageLockModeWrite | ImageLockModeUserInputBuf,
                               PixelFormat32bppARGB, &data),
            Ok);
  ASSERT_EQ(GdipBitmapUnlockBits(indexed.get(), &data), Ok);
  ASSERT_EQ(GdipBitmapLockBits(indexed.get(), nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), Ok);
  const auto* indices = static_cast<const uint8_t*>(data.Scan0);
  for (INT x = 0; x < kWidth; ++x) {
    auto distance = [&](ARGB e) {
      const int dr = int((e >> 16) & 255) - int((colours[x] >> 16) & 255);
      const int dg = int((e >> 8) & 255) - int((colours[x] >> 8) & 255);
      const int db = int(e & 255) - int(colours[x] & 255);
      return dr * dr + dg * dg + db * db;
    };
    UINT best = 0;
    for (UINT i = 1; i < 256; ++i)
      if (distance(palette.Entries[i]) < distance(palette.Entries[best])) best = i;
    ASSERT_EQ(indices[x], best) << "pixel " << x;
  }
  ASSERT_EQ(GdipBitmapUnlockBits(indexed.get(), &data), Ok);
}

TEST_F(LockBits, OwnFormatLockLendsTheBitmapRows) {
  for (INT stride : {20, -20}) {
    std::vector<uint8_t> memory(20 * 3);
    uint8_t* top = stride > 0 ? memory.data() : memory.data() + 20 * 2;
    BitmapPtr bitmap = Make(5, 3, PixelFormat24bppRGB, stride, top);
    const GpRect rect{1, 1, 3, 2};
    BitmapData data;
    ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), &rect, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
    EXPECT_EQ(data.Scan0, top + stride + 3);
    EXPECT_EQ(data.Stride, stride);
    ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  }
}

TEST_F(LockBits, WriteLockConvertsBackOnlyInsideTheRectangle) {
  BitmapPtr bitmap = Make(4, 3, PixelFormat24bppRGB);
  const GpRect rect{1, 1, 2, 2};
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), &rect, ImageLockModeWrite, PixelFormat32bppPARGB, &data), Ok);
  EXPECT_EQ(data.Stride, 8);
  for (UINT y = 0; y < data.Height; ++y) {
    ARGB* row = reinterpret_cast<ARGB*>(static_cast<uint8_t*>(data.Scan0) + y * data.Stride);
    row[0] = 0xFF102030;
    row[1] = 0x80402010;  // premultiplied: unpremultiplies to 0x80 80 40 20, alpha dropped
  }
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  for (INT y = 0; y < 3; ++y)
    for (INT x = 0; x < 4; ++x) {
      ARGB expected = 0xFF000000;
      if (y >= 1 && y <= 2 && x == 1) expected = 0xFF102030;
      if (y >= 1 && y <= 2 && x == 2) expected = 0xFF804020;
      EXPECT_EQ(Pixel(bitmap.get(), x, y), expected) << x << "," << y;
    }
}

TEST_F(LockBits, CallerBufferModesReadAndWrite) {
  BitmapPtr bitmap = Make(3, 2, PixelFormat32bppARGB);
  ASSERT_EQ(GdipBitmapSetPixel(bitmap.get(), 2, 1, 0xFF112233), Ok);
  // Mode 5: read into the caller's buffer with the caller's (wider) stride.
  std::vector<uint8_t> buffer(2 * 16, 0xEE);
  BitmapData data;
  data.Scan0 = buffer.data();
  data.Stride = 16;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead | ImageLockModeUserInputBuf,
                               PixelFormat24bppRGB, &data),
            Ok);
  EXPECT_EQ(data.Scan0, buffer.data());
  EXPECT_EQ(data.Stride, 16);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  EXPECT_EQ(Bytes(buffer.data() + 16 + 6, 4), (std::vector<uint8_t>{0x33, 0x22, 0x11, 0xEE}));
  // Mode 6: write from the caller's buffer.
  buffer[0] = 0x01;
  buffer[1] = 0x02;
  buffer[2] = 0x03;
  data.Scan0 = buffer.data();
  data.Stride = 16;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeWrite | ImageLockModeUserInputBuf,
                               PixelFormat24bppRGB, &data),
            Ok);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  EXPECT_EQ(Pixel(bitmap.get(), 0, 0), 0xFF030201u);
  EXPECT_EQ(Pixel(bitmap.get(), 2, 1), 0xFF112233u);
  // A negative caller stride fills the buffer bottom-up from the given first row.
  std::vector<uint8_t> bottomUp(2 * 12, 0);
  data.Scan0 = bottomUp.data() + 12;
  data.Stride = -12;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead | ImageLockModeUserInputBuf,
                               PixelFormat32bppARGB, &data),
            Ok);
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  EXPECT_EQ(Bytes(bottomUp.data() + 8, 4), (std::vector<uint8_t>{0x33, 0x22, 0x11, 0xFF}));  // row 1, pixel 2
  EXPECT_EQ(Bytes(bottomUp.data() + 12, 4), (std::vector<uint8_t>{0x01, 0x02, 0x03, 0xFF}));  // row 0, pixel 0
  // A caller stride too short for a row is refused.
  data.Scan0 = buffer.data();
  data.Stride = 8;
  EXPECT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead | ImageLockModeUserInputBuf,
                               PixelFormat24bppRGB, &data),
            InvalidParameter);
}

// Rectangles that start inside a byte of 1- and 4-bit rows: reads are shifted to the buffer
// start, writes change only the pixels of the rectangle.
TEST_F(LockBits, SubByteRectangles) {
  for (PixelFormat format : {PixelFormat1bppIndexed, PixelFormat4bppIndexed}) {
    const UINT bits = GetPixelFormatSize(format);
    const uint32_t mask = (1u << bits) - 1;
    constexpr INT kW = 19, kH = 3;
    std::vector<uint8_t> memory(12 * kH);
    std::mt19937 random(bits);
    for (auto& b : memory) b = static_cast<uint8_t>(random());
    auto index = [&](const uint8_t* row, INT x) {
      return bits == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : (x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4);
    };
    const std::vector<uint8_t> original = memory;
    BitmapPtr bitmap = Make(kW, kH, format, 12, memory.data());

    const GpRect rect{3, 1, 11, 2};
    BitmapData data;
    ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), &rect, ImageLockModeRead, format, &data), Ok);
    for (INT y = 0; y < rect.Height; ++y)
      for (INT x = 0; x < rect.Width; ++x)
        ASSERT_EQ(index(static_cast<uint8_t*>(data.Scan0) + y * data.Stride, x),
                  index(original.data() + (rect.Y + y) * 12, rect.X + x));
    ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);

    const GpRect write{5, 0, 7, 2};
    ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), &write, ImageLockModeWrite, format, &data), Ok);
    for (INT y = 0; y < write.Height; ++y)
      std::memset(static_cast<uint8_t*>(data.Scan0) + y * data.Stride, 0xFF, 4);
    ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
    for (INT y = 0; y < kH; ++y)
      for (INT x = 0; x < kW; ++x) {
        const bool inside = y < 2 && x >= 5 && x < 12;
        ASSERT_EQ(index(memory.data() + y * 12, x), inside ? mask : index(original.data() + y * 12, x))
            << "format " << bits << " at " << x << "," << y;
      }
  }
}

// Every pair of bitmap and lock formats, through a read-write lock left unchanged: pixels
// outside the rectangle never move, and a lock format that holds the bitmap's colours exactly
// gives them back unchanged inside it.
TEST_F(LockBits, ReadWriteLocksInEveryFormatPair) {
  const PixelFormat formats[] = {PixelFormat1bppIndexed, PixelFormat4bppIndexed, PixelFormat8bppIndexed,
                                 PixelFormat16bppGrayScale, PixelFormat16bppRGB555, PixelFormat16bppRGB565,
                                 PixelFormat16bppARGB1555, PixelFormat24bppRGB, PixelFormat32bppRGB,
                                 PixelFormat32bppARGB, PixelFormat32bppPARGB, PixelFormat48bppRGB,
                                 PixelFormat64bppARGB, PixelFormat64bppPARGB};
  constexpr INT kW = 13, kH = 5;
  const GpRect rect{3, 1, 7, 3};
  std::mt19937 random(11);
  for (PixelFormat own : formats)
    for (PixelFormat lockFormat : formats) {
      std::vector<uint8_t> memory(static_cast<size_t>(kH) * 112);
      for (auto& b : memory) b = static_cast<uint8_t>(random());
      BitmapPtr bitmap = Make(kW, kH, own, 112, memory.data());
      std::vector<ARGB> before;
      for (INT y = 0; y < kH; ++y)
        for (INT x = 0; x < kW; ++x) before.push_back(Pixel(bitmap.get(), x, y));
      BitmapData data;
      ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), &rect, ImageLockModeRead | ImageLockModeWrite, lockFormat, &data), Ok);
      ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
      // (Indexed bitmaps are excluded from the wide round trip: their halftone table repeats
      // black with alpha 0, and colours go back to the first entry of the same RGB.)
      const bool exact = lockFormat == own || (lockFormat == PixelFormat64bppARGB && !(own & PixelFormatPAlpha) &&
                                               !IsIndexedPixelFormat(own));
      for (INT y = 0; y < kH; ++y)
        for (INT x = 0; x < kW; ++x) {
          const bool inside = x >= rect.X && x < rect.X + rect.Width && y >= rect.Y && y < rect.Y + rect.Height;
          if (!inside || exact) {
            ASSERT_EQ(Pixel(bitmap.get(), x, y), before[y * kW + x])
                << std::hex << own << " locked as " << lockFormat << std::dec << " at " << x << "," << y;
          }
        }
    }
}

// A write lock of packed pixels that starts on a byte boundary but ends inside a byte must not
// let whole-byte writes reach the pixels after the rectangle.
TEST_F(LockBits, PackedWriteLockEndingInsideAByteKeepsTheRest) {
  std::vector<uint8_t> memory(4, 0);
  BitmapPtr bitmap = Make(24, 1, PixelFormat1bppIndexed, 4, memory.data());
  const GpRect rect{8, 0, 7, 1};
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), &rect, ImageLockModeWrite, PixelFormat1bppIndexed, &data), Ok);
  static_cast<uint8_t*>(data.Scan0)[0] = 0xFF;
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  EXPECT_EQ(memory[1], 0xFE);
  EXPECT_EQ(memory[2], 0x00);
}

TEST_F(LockBits, RejectsRectanglesOutsideTheBitmap) {
  BitmapPtr bitmap = Make(10, 8, PixelFormat32bppARGB);
  const std::vector<GpRect> rects = {
      {-1, 0, 1, 1},     {0, -1, 1, 1},         {0, 0, 0, 1},  {0, 0, 1, 0},         {0, 0, -5, 1},
      {10, 0, 1, 1},     {0, 8, 1, 1},          {0, 0, 11, 1}, {0, 0, 1, 9},         {INT_MAX, 0, 1, 1},
      {0, INT_MAX, 1, 1}, {1, 0, INT_MAX, 1},   {2, 0, INT_MAX - 1, 1}, {INT_MIN, 0, 5, 1},
      {5, 0, INT_MIN, 1},
  };
  for (const GpRect& r : rects) {
    BitmapData data;
    EXPECT_EQ(GdipBitmapLockBits(bitmap.get(), &r, ImageLockModeRead, PixelFormat32bppARGB, &data),
              InvalidParameter)
        << r.X << "," << r.Y << "," << r.Width << "," << r.Height;
  }
}

TEST_F(LockBits, RejectsBadModesFormatsAndLockStates) {
  BitmapPtr bitmap = Make(4, 4, PixelFormat24bppRGB);
  BitmapData data;
  for (UINT mode : {0u, 4u, 8u, 9u})
    EXPECT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, mode, PixelFormat24bppRGB, &data), InvalidParameter) << mode;
  for (PixelFormat format : {PixelFormatUndefined, PixelFormat32bppCMYK, 0x12345})
    EXPECT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, format, &data), InvalidParameter);
  EXPECT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat24bppRGB, nullptr),
            InvalidParameter);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), WrongState);
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  BitmapData second;
  EXPECT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &second), WrongState);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  EXPECT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), WrongState);
}

// Locking an indexed bitmap in another indexed format keeps its colours where they fit.
TEST_F(LockBits, IndexedToIndexedKeepsThePaletteIndices) {
  BitmapPtr bitmap = Make(9, 1, PixelFormat1bppIndexed);
  ColorPalette palette;
  palette.Count = 2;
  palette.Entries[0] = 0xFFFF0000;
  palette.Entries[1] = 0xFF0000FF;
  ASSERT_EQ(GdipSetImagePalette(bitmap.get(), &palette), Ok);
  BitmapData data;
  ASSERT_EQ(GdipBitmapLockBits(bitmap.get(), nullptr, ImageLockModeWrite, PixelFormat8bppIndexed, &data), Ok);
  for (UINT x = 0; x < 9; ++x) static_cast<uint8_t*>(data.Scan0)[x] = x % 2;
  ASSERT_EQ(GdipBitmapUnlockBits(bitmap.get(), &data), Ok);
  for (INT x = 0; x < 9; ++x) EXPECT_EQ(Pixel(bitmap.get(), x, 0), x % 2 ? 0xFF0000FFu : 0xFFFF0000u);
}

}  // namespace
