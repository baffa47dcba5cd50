// Helpers of the filter tests: running one filter over an image or a rectangle of it, and
// reading an image's pixels in its own format.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/saving_test_support.h"
#include "processing/filters/filter_engine.h"

namespace vx::processing::filter_test {

using gdiplus::ARGB;
using namespace vx::engine::saving_test;
using vx::engine::test_support::MakeImage;
using vx::engine::test_support::PaletteOf;

struct Params {
  double p1 = 0, p2 = 0, p3 = 0, p4 = 0;
  float f1 = 0, f2 = 0.5f, f3 = 1.0f;
};

inline vexiro::FilterArea WholeOf(int32_t id) {
  vexiro::FilterArea a;
  engine::GetImageWidth(id, a.Width);
  engine::GetImageHeight(id, a.Height);
  return a;
}

inline VexiroStatus FilterIn(int32_t filterId, int32_t id, vexiro::FilterArea area, const Params& p = {},
                             double* result = nullptr) {
  double r = -7;
  const VexiroStatus s = ApplyFilter(filterId, id, p.p1, area, p.f1, p.f2, p.f3, p.p2, p.p3, p.p4, r);
  if (result) *result = r;
  return s;
}
inline VexiroStatus Filter(int32_t filterId, int32_t id, const Params& p = {}, double* result = nullptr) {
  return FilterIn(filterId, id, WholeOf(id), p, result);
}

// The image's rows in its own pixel format, without padding beyond the row's bytes.
inline std::vector<uint8_t> OwnBytes(int32_t id) {
  gdiplus::PixelFormat format = engine::GetImagePixelFormatValue(id);
  const vexiro::FilterArea a = WholeOf(id);
  gdiplus::BitmapData data;
  EXPECT_EQ(engine::LockImageBits(id, {0, 0, a.Width, a.Height}, gdiplus::ImageLockModeRead, format, data), vexiro::OK);
  const size_t rowBytes = (static_cast<size_t>(a.Width) * engine::PixelFormatBitDepthStrict(format) + 7) / 8;
  std::vector<uint8_t> out;
  for (int32_t y = 0; y < a.Height; ++y) {
    const auto* row = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    out.insert(out.end(), row, row + rowBytes);
  }
  engine::UnlockImageBits(id, data);
  return out;
}

inline std::vector<ARGB> PaletteEntries(int32_t id) {
  int32_t bytes = 0;
  engine::GetImagePaletteSize(id, bytes);
  gdiplus::ColorPalette p;
  engine::GetImagePalette(id, p, bytes);
  return std::vector<ARGB>(p.Entries, p.Entries + p.Count);
}

inline bool IsModified(int32_t id) { return engine::FindImageRecord(id)->Modified; }

// A photo-like 32bppARGB picture: smooth gradients with a little texture, opaque.
inline int32_t MakePhoto(int32_t w, int32_t h, gdiplus::PixelFormat format = gdiplus::PixelFormat32bppARGB) {
  return MakeFilled(w, h, format, [](int32_t x, int32_t y) {
    const uint32_t r = static_cast<uint32_t>((x * 7 + y * 3 + (x * y) % 13) & 0xFF);
    const uint32_t g = static_cast<uint32_t>((x * 2 + y * 9 + (x ^ y) % 17) & 0xFF);
    const uint32_t b = static_cast<uint32_t>((255 - x * 3 - y * 2 + (x + 2 * y) % 11) & 0xFF);
    return 0xFF000000u | r << 16 | g << 8 | b;
  });
}

inline std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", v);
  return text;
}

// Runs every case of a golden table over a square 32bppARGB fixture; `params` gives a case's
// parameters.
template <class Cases, size_t N, class ParamsOf>
void ExpectGoldenTable(const Cases& cases, const std::array<uint32_t, N>& fixture, int32_t side, ParamsOf params) {
  for (const auto& c : cases) {
    const int32_t id = MakeImage(side, side, gdiplus::PixelFormat32bppARGB);
    FillArgb(id, std::vector<ARGB>(fixture.begin(), fixture.end()));
    ASSERT_EQ(Filter(c.filter, id, params(c)), vexiro::OK) << c.what;
    const std::vector<ARGB> got = ArgbPixelsOf(id);
    for (size_t i = 0; i < got.size(); ++i)
      EXPECT_EQ(Hex(got[i]), Hex(c.expected[i])) << c.what << ", pixel " << i % side << "," << i / side;
    engine::ReleaseImage(id);
  }
}

}  // namespace vx::processing::filter_test
