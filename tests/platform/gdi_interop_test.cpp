#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "gdi_test_support.h"
#include "gdiplus_test_session.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdi_interop.h"

namespace {

using namespace gdiplus_test;
using vx::testing::DibInfo;
using vx::testing::DibStride;
using vx::testing::MakeDibInfo;

class GdiInterop : public Session {};

constexpr int kW = 5, kH = 3;
const std::vector<uint32_t> kColours = {0xFF000000, 0xFFFFFFFF, 0xFFFF0000, 0xFF00FF00,
                                        0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};

std::vector<uint32_t> Pattern(int colours) {
  std::vector<uint32_t> px(kW * kH);
  for (int i = 0; i < kW * kH; ++i) px[i] = kColours[(i * 5 + 1) % colours];
  return px;
}

std::vector<uint32_t> ReadHbitmap(vx::HBITMAP hbm, int w, int h) {
  std::vector<uint32_t> px(static_cast<size_t>(w * h));
  DibInfo info = MakeDibInfo(w, -h, 32);
  vx::HDC screen = vx::GetDC(0);
  EXPECT_EQ(vx::GetDIBits(screen, hbm, 0, h, px.data(), info.get(), vx::DIB_RGB_COLORS), h);
  vx::ReleaseDC(0, screen);
  return px;
}

std::vector<uint32_t> ReadBitmap(GpBitmap* b, int w, int h) {
  std::vector<uint32_t> px;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px.push_back(Pixel(b, x, y));
  return px;
}

TEST_F(GdiInterop, HbitmapRoundTripKeepsFormatAndPixels) {
  struct Case {
    int bits;
    bool topDown;
    int colours;
    PixelFormat expected;
  } cases[] = {
      {1, false, 2, PixelFormat1bppIndexed},   {4, true, 8, PixelFormat4bppIndexed},
      {8, false, 8, PixelFormat8bppIndexed},   {16, true, 8, PixelFormat16bppRGB555},
      {24, false, 8, PixelFormat24bppRGB},     {32, true, 8, PixelFormat32bppRGB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    std::vector<uint32_t> table;
    if (c.bits <= 8) table.assign(kColours.begin(), kColours.begin() + c.colours);
    DibInfo info = MakeDibInfo(kW, c.topDown ? -kH : kH, c.bits, table);
    vx::HBITMAP dib = vx::CreateDIBSection(0, info.get(), vx::DIB_RGB_COLORS, nullptr, 0, 0);
    const std::vector<uint32_t> pattern = Pattern(c.colours);
    DibInfo argb = MakeDibInfo(kW, -kH, 32);
    ASSERT_EQ(vx::SetDIBits(0, dib, 0, kH, pattern.data(), argb.get(), vx::DIB_RGB_COLORS), kH);

    GpBitmap* raw = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromHBITMAP(dib, 0, &raw), Ok);
    BitmapPtr bitmap(raw);
    vx::DeleteObject(dib);  // the bitmap holds a copy
    EXPECT_EQ(FormatOf(bitmap.get()), c.expected);
    EXPECT_EQ(ReadBitmap(bitmap.get(), kW, kH), pattern);

    vx::HBITMAP back = 0;
    ASSERT_EQ(GdipCreateHBITMAPFromBitmap(bitmap.get(), &back, 0xFF000000), Ok);
    std::vector<uint32_t> px = ReadHbitmap(back, kW, kH);
    for (auto& p : px) p |= 0xFF000000;
    EXPECT_EQ(px, pattern);
    vx::DeleteObject(back);
  }
}

TEST_F(GdiInterop, SixteenBitMasksChooseTheFormat) {
  struct {
    vx::BITMAPINFOHEADER header;
    vx::DWORD masks[3];
  } info{};
  info.header = MakeDibInfo(1, 1, 16).header;
  info.header.biCompression = vx::BI_BITFIELDS;
  info.masks[0] = 0xF800;
  info.masks[1] = 0x07E0;
  info.masks[2] = 0x001F;
  vx::HBITMAP dib = vx::CreateDIBSection(0, reinterpret_cast<vx::BITMAPINFO*>(&info), vx::DIB_RGB_COLORS, nullptr, 0, 0);
  GpBitmap* raw = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(dib, 0, &raw), Ok);
  BitmapPtr bitmap(raw);
  EXPECT_EQ(FormatOf(bitmap.get()), PixelFormat16bppRGB565);
  vx::DeleteObject(dib);
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(dib, 0, &raw), InvalidParameter);
  EXPECT_EQ(raw, nullptr);
}

TEST_F(GdiInterop, HbitmapExportCompositesOverTheBackground) {
  BitmapPtr bitmap = Make(2, 1, PixelFormat32bppARGB);
  ASSERT_EQ(GdipBitmapSetPixel(bitmap.get(), 0, 0, 0x80FF0000), Ok);  // half-transparent red
  ASSERT_EQ(GdipBitmapSetPixel(bitmap.get(), 1, 0, 0x00000000), Ok);
  vx::HBITMAP opaque = 0, clear = 0;
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(bitmap.get(), &opaque, 0xFF0000FF), Ok);
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(bitmap.get(), &clear, 0), Ok);
  auto over = ReadHbitmap(opaque, 2, 1);
  EXPECT_NEAR(static_cast<int>((over[0] >> 16) & 0xff), 128, 1);
  EXPECT_NEAR(static_cast<int>(over[0] & 0xff), 127, 1);
  EXPECT_EQ(over[1], 0xFF0000FFu);
  // GetDIBits reads a plain 32-bit DIB as opaque; the alpha lives in the section's memory.
  vx::DIBSECTION ds{};
  ASSERT_EQ(vx::GetObject(clear, sizeof ds, &ds), static_cast<int>(sizeof ds));
  const auto* mem = static_cast<const uint32_t*>(ds.dsBm.bmBits);
  EXPECT_EQ(mem[0] >> 24, 0x80u);
  EXPECT_EQ(mem[1], 0u);
  vx::DeleteObject(opaque);
  vx::DeleteObject(clear);
}

TEST_F(GdiInterop, IconRoundTripKeepsAlpha) {
  BitmapPtr bitmap = Make(3, 2, PixelFormat32bppARGB);
  const ARGB px[6] = {0xFFFF0000, 0x8000FF00, 0x00000000, 0xFF0000FF, 0x40FFFFFF, 0xFF123456};
  for (int i = 0; i < 6; ++i) GdipBitmapSetPixel(bitmap.get(), i % 3, i / 3, px[i]);
  vx::HICON icon = 0;
  ASSERT_EQ(GdipCreateHICONFromBitmap(bitmap.get(), &icon), Ok);
  GpBitmap* raw = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHICON(icon, &raw), Ok);
  BitmapPtr back(raw);
  EXPECT_EQ(FormatOf(back.get()), PixelFormat32bppARGB);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Pixel(back.get(), i % 3, i / 3), px[i]) << i;

  vx::ICONINFO info{};
  ASSERT_EQ(vx::GetIconInfo(icon, &info), vx::TRUE_);
  auto mask = ReadHbitmap(info.hbmMask, 3, 2);
  EXPECT_EQ(mask[0] & 0xFFFFFF, 0u) << "opaque pixels clear the mask";
  EXPECT_EQ(mask[2] & 0xFFFFFF, 0xFFFFFFu) << "transparent pixels set it";
  EXPECT_EQ(mask[4] & 0xFFFFFF, 0xFFFFFFu);
  vx::DeleteObject(info.hbmMask);
  vx::DeleteObject(info.hbmColor);
  vx::DestroyIcon(icon);
}

TEST_F(GdiInterop, IconWithoutAlphaTakesTheMask) {
  vx::HBITMAP colour = vx::CreateBitmap(2, 1, 1, 32, nullptr);
  const uint32_t bgr[2] = {0x00112233, 0x00445566};  // no alpha bytes at all
  DibInfo argb = MakeDibInfo(2, -1, 32);
  vx::SetDIBits(0, colour, 0, 1, bgr, argb.get(), vx::DIB_RGB_COLORS);
  const uint8_t maskBits[2] = {0x40, 0};  // second pixel transparent
  vx::HBITMAP mask = vx::CreateBitmap(2, 1, 1, 1, maskBits);
  vx::ICONINFO info;
  info.hbmMask = mask;
  info.hbmColor = colour;
  vx::HICON icon = vx::CreateIconIndirect(&info);
  GpBitmap* raw = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHICON(icon, &raw), Ok);
  BitmapPtr bitmap(raw);
  EXPECT_EQ(Pixel(bitmap.get(), 0, 0), 0xFF112233u);
  EXPECT_EQ(Pixel(bitmap.get(), 1, 0) >> 24, 0u);
  vx::DestroyIcon(icon);
  vx::DeleteObject(mask);
  vx::DeleteObject(colour);
}

// A packed DIB in a block of exactly its own size, so that any read past it is caught.
struct PackedDib {
  std::vector<uint8_t> header;
  std::vector<uint8_t> bits;
  template <class T>
  void Put(size_t at, T v) {
    if (header.size() < at + sizeof v) header.resize(at + sizeof v);
    std::memcpy(&header[at], &v, sizeof v);
  }
  Status Load(BitmapPtr& out) {
    GpBitmap* raw = nullptr;
    const Status s = GdipCreateBitmapFromGdiDib(reinterpret_cast<const vx::BITMAPINFO*>(header.data()),
                                                bits.data(), &raw);
    out.reset(raw);
    return s;
  }
};

PackedDib Header(uint32_t size, int w, int h, uint16_t bits, uint32_t compression) {
  PackedDib dib;
  dib.Put<uint32_t>(0, size);
  dib.Put<int32_t>(4, w);
  dib.Put<int32_t>(8, h);
  dib.Put<uint16_t>(12, 1);
  dib.Put<uint16_t>(14, bits);
  dib.Put<uint32_t>(16, compression);
  dib.header.resize(size);
  return dib;
}

TEST_F(GdiInterop, GdiDibHonoursHeaderVariants) {
  {
    SCOPED_TRACE("8 bits with a two-entry table, bottom-up");
    PackedDib dib = Header(40, 2, 2, 8, vx::BI_RGB);
    dib.Put<uint32_t>(32, 2);
    dib.Put<uint32_t>(40, 0x00FF0000);  // entry 0 red
    dib.Put<uint32_t>(44, 0x000000FF);  // entry 1 blue
    dib.bits = {1, 0, 0, 0, 0, 1, 0, 0};  // bottom row first
    BitmapPtr b;
    ASSERT_EQ(dib.Load(b), Ok);
    dib.bits.assign(dib.bits.size(), 0xEE);  // the bitmap holds its own copy of the pixels
    dib.bits.clear();
    dib.bits.shrink_to_fit();
    EXPECT_EQ(FormatOf(b.get()), PixelFormat8bppIndexed);
    EXPECT_EQ(Pixel(b.get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(b.get(), 1, 0), 0xFF0000FFu);
    EXPECT_EQ(Pixel(b.get(), 0, 1), 0xFF0000FFu);
    INT size = 0;
    GdipGetImagePaletteSize(b.get(), &size);
    EXPECT_EQ(size, 8 + 2 * 4);
  }
  {
    SCOPED_TRACE("5-6-5 masks after a plain header, top-down");
    PackedDib dib = Header(40, 1, 2, 16, vx::BI_BITFIELDS);
    dib.Put<uint32_t>(40, 0xF800);
    dib.Put<uint32_t>(44, 0x07E0);
    dib.Put<uint32_t>(48, 0x001F);
    dib.Put<int32_t>(8, -2);
    dib.bits = {0x00, 0xF8, 0, 0, 0x1F, 0x00, 0, 0};
    BitmapPtr b;
    ASSERT_EQ(dib.Load(b), Ok);
    EXPECT_EQ(FormatOf(b.get()), PixelFormat16bppRGB565);
    EXPECT_EQ(Pixel(b.get(), 0, 0), 0xFFFF0000u);
    EXPECT_EQ(Pixel(b.get(), 0, 1), 0xFF0000FFu);
  }
  {
    SCOPED_TRACE("V5 header with masks inside it and an alpha channel; odd masks convert");
    PackedDib dib = Header(124, 1, 1, 32, vx::BI_BITFIELDS);
    dib.Put<uint32_t>(40, 0x000000FF);  // red in the low byte
    dib.Put<uint32_t>(44, 0x0000FF00);
    dib.Put<uint32_t>(48, 0x00FF0000);
    dib.Put<uint32_t>(52, 0xFF000000);
    dib.bits = {0x11, 0x22, 0x33, 0x80};
    BitmapPtr b;
    ASSERT_EQ(dib.Load(b), Ok);
    EXPECT_EQ(FormatOf(b.get()), PixelFormat32bppARGB);
    EXPECT_EQ(Pixel(b.get(), 0, 0), 0x80112233u);
  }
}

TEST_F(GdiInterop, GdiDibRefusesMalformedHeaders) {
  struct Case {
    const char* what;
    PackedDib dib;
  };
  std::vector<Case> cases;
  cases.push_back({"colour count above the depth", Header(40, 2, 2, 8, vx::BI_RGB)});
  cases.back().dib.Put<uint32_t>(32, 300);
  cases.push_back({"run-length compression", Header(40, 2, 2, 8, vx::BI_RLE8)});
  cases.push_back({"JPEG inside", Header(40, 2, 2, 24, vx::BI_JPEG)});
  cases.push_back({"zero mask", Header(52, 2, 2, 16, vx::BI_BITFIELDS)});
  cases.push_back({"scattered mask bits", Header(52, 2, 2, 32, vx::BI_BITFIELDS)});
  cases.back().dib.Put<uint32_t>(40, 0x00FF00FF);
  cases.back().dib.Put<uint32_t>(44, 0x0000FF00);
  cases.back().dib.Put<uint32_t>(48, 0xFF000000);
  cases.push_back({"stated image size too small", Header(40, 4, 4, 24, vx::BI_RGB)});
  cases.back().dib.Put<uint32_t>(20, 12);
  cases.push_back({"header size 12", Header(40, 2, 2, 24, vx::BI_RGB)});
  cases.back().dib.Put<uint32_t>(0, 12);
  cases.push_back({"huge dimensions", Header(40, 1 << 20, 1 << 20, 32, vx::BI_RGB)});
  for (auto& c : cases) {
    c.dib.bits.assign(64, 0);
    if (c.dib.header.size() < 40 + 256 * 4 && c.what == std::string("colour count above the depth"))
      c.dib.header.resize(40 + 4);  // a table shorter than the count claims
    BitmapPtr b;
    EXPECT_EQ(c.dib.Load(b), InvalidParameter) << c.what;
    EXPECT_EQ(b, nullptr) << c.what;
  }
}

TEST(GdiInteropNotStarted, AnswersNotInitialized) {
  GpBitmap* raw = nullptr;
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(1, 0, &raw), GdiplusNotInitialized);
  EXPECT_EQ(GdipCreateBitmapFromGdiDib(nullptr, nullptr, &raw), GdiplusNotInitialized);
}

}  // namespace
