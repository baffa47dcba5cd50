#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gdi_test_support.h"
#include "platform/gdi/gdi.h"

namespace vx {
namespace {

using testing::DibInfo;
using testing::DibStride;
using testing::MakeDibInfo;

constexpr int kW = 7, kH = 5;  // an odd width exercises row padding at every depth

// Colours every depth below holds exactly: pure channels, black and white.
const std::vector<uint32_t> kColours = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00,
                                        0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};

std::vector<uint32_t> Pattern(int colours) {
  std::vector<uint32_t> px(kW * kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) px[y * kW + x] = kColours[(x + 3 * y) % colours];
  return px;
}

struct DepthCase {
  int bits;
  bool topDown;
  int colours;  // distinct colours of the pattern
};

class DibSectionDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(DibSectionDepth, PixelsSurviveSetAndGetAndLieWhereTheLayoutSays) {
  const DepthCase c = GetParam();
  std::vector<uint32_t> table;
  if (c.bits <= 8) table.assign(kColours.begin(), kColours.begin() + c.colours);
  DibInfo info = MakeDibInfo(kW, c.topDown ? -kH : kH, c.bits, table);
  HDC screen = GetDC(0);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, info.get(), DIB_RGB_COLORS, &bits, 0, 0);
  ASSERT_NE(dib, 0u);
  ASSERT_NE(bits, nullptr);

  DIBSECTION ds{};
  ASSERT_EQ(GetObject(dib, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, static_cast<LONG>(DibStride(kW, c.bits)));
  EXPECT_EQ(ds.dsBm.bmBitsPixel, c.bits);
  EXPECT_EQ(ds.dsBmih.biHeight, c.topDown ? -kH : kH);

  const std::vector<uint32_t> pattern = Pattern(c.colours);
  DibInfo argb = MakeDibInfo(kW, -kH, 32);
  ASSERT_EQ(SetDIBits(screen, dib, 0, kH, pattern.data(), argb.get(), DIB_RGB_COLORS), kH);

  // The top-left pixel is black at every depth; the one right of it is white. Find the top row
  // in memory by the layout alone.
  const auto* mem = static_cast<const uint8_t*>(bits);
  const uint8_t* top = mem + (c.topDown ? 0 : (kH - 1) * DibStride(kW, c.bits));
  switch (c.bits) {
    case 1: EXPECT_EQ(top[0] >> 6, 0b01); break;
    case 4: EXPECT_EQ(top[0], 0x01); break;
    case 8: EXPECT_EQ(top[1], 1); break;
    case 16: EXPECT_EQ(top[2] | top[3] << 8, 0x7FFF); break;
    case 24: EXPECT_EQ(top[3] + top[4] + top[5], 3 * 255); break;
    case 32: EXPECT_EQ(top[4] + top[5] + top[6], 3 * 255); break;
  }

  std::vector<uint32_t> back(kW * kH, 0);
  DibInfo query = MakeDibInfo(kW, -kH, 32);
  ASSERT_EQ(GetDIBits(screen, dib, 0, kH, back.data(), query.get(), DIB_RGB_COLORS), kH);
  for (size_t i = 0; i < back.size(); ++i) back[i] |= 0xFF000000;
  EXPECT_EQ(back, pattern);

  EXPECT_EQ(DeleteObject(dib), TRUE_);
  EXPECT_EQ(GetObject(dib, sizeof ds, &ds), 0) << "a deleted handle resolves no more";
  ReleaseDC(0, screen);
}

INSTANTIATE_TEST_SUITE_P(AllDepths, DibSectionDepth,
                         ::testing::Values(DepthCase{1, false, 2}, DepthCase{1, true, 2}, DepthCase{4, false, 8},
                                           DepthCase{4, true, 8}, DepthCase{8, false, 8}, DepthCase{8, true, 8},
                                           DepthCase{16, false, 8}, DepthCase{16, true, 8}, DepthCase{24, false, 8},
                                           DepthCase{24, true, 8}, DepthCase{32, false, 8}, DepthCase{32, true, 8}));

TEST(GdiBitmap, GetDIBitsQueryDescribesTheBitmap) {
  HDC screen = GetDC(0);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 10, 3);
  DibInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  ASSERT_NE(GetDIBits(screen, bitmap, 0, 0, nullptr, info.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(info.header.biWidth, 10);
  EXPECT_EQ(info.header.biHeight, 3);
  EXPECT_EQ(info.header.biBitCount, 32);
  EXPECT_EQ(info.header.biSizeImage, 120u);
  DibInfo mono = MakeDibInfo(10, 3, 1);
  EXPECT_NE(GetDIBits(screen, bitmap, 0, 0, nullptr, mono.get(), DIB_RGB_COLORS), 0) << "a layout query succeeds";
  EXPECT_EQ(mono.header.biSizeImage, 12u);
  EXPECT_EQ(mono.colors[1].rgbRed, 255) << "the colour table of a depth the bitmap does not have";
  BITMAP bm{};
  ASSERT_EQ(GetObject(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBits, nullptr) << "only DIB sections expose their memory";
  DeleteObject(bitmap);
  ReleaseDC(0, screen);
}

TEST(GdiBitmap, MalformedHeadersAreRefused) {
  struct Case {
    const char* what;
    void (*spoil)(DibInfo&);
  } cases[] = {
      {"core header size", [](DibInfo& i) { i.header.biSize = 12; }},
      {"header larger than any version", [](DibInfo& i) { i.header.biSize = 4096; }},
      {"more colours than the depth holds", [](DibInfo& i) { i.header.biClrUsed = 257; }},
      {"run-length compression", [](DibInfo& i) { i.header.biCompression = BI_RLE8; }},
      {"bit fields on an indexed depth", [](DibInfo& i) { i.header.biCompression = BI_BITFIELDS; }},
      {"zero width", [](DibInfo& i) { i.header.biWidth = 0; }},
      {"negative width", [](DibInfo& i) { i.header.biWidth = -4; }},
      {"most negative height", [](DibInfo& i) { i.header.biHeight = INT32_MIN; }},
      {"pixel memory beyond the limit", [](DibInfo& i) { i.header.biWidth = i.header.biHeight = 1 << 20; }},
      {"unknown depth", [](DibInfo& i) { i.header.biBitCount = 7; }},
  };
  for (const auto& c : cases) {
    DibInfo info = MakeDibInfo(4, 4, 8);
    c.spoil(info);
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(0, info.get(), DIB_RGB_COLORS, &bits, 0, 0), 0u) << c.what;
    EXPECT_EQ(bits, nullptr) << c.what;
  }
}

TEST(GdiBitmap, BitfieldsDibSectionKeepsItsMasks) {
  struct {
    BITMAPINFOHEADER header;
    DWORD masks[3];
  } info{};
  info.header = MakeDibInfo(2, 1, 16).header;
  info.header.biCompression = BI_BITFIELDS;
  info.masks[0] = 0xF800;
  info.masks[1] = 0x07E0;
  info.masks[2] = 0x001F;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(0, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, 0, 0);
  ASSERT_NE(dib, 0u);
  DIBSECTION ds{};
  GetObject(dib, sizeof ds, &ds);
  EXPECT_EQ(ds.dsBitfields[0], 0xF800u);
  EXPECT_EQ(ds.dsBmih.biCompression, BI_BITFIELDS);
  const uint32_t green[2] = {0xFF00FF00, 0xFF00FF00};
  DibInfo argb = MakeDibInfo(2, 1, 32);
  SetDIBits(0, dib, 0, 1, green, argb.get(), DIB_RGB_COLORS);
  uint16_t first;
  std::memcpy(&first, bits, 2);
  EXPECT_EQ(first, 0x07E0);
  DeleteObject(dib);
}

}  // namespace
}  // namespace vx
