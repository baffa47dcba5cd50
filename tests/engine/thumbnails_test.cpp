// Thumbnails: exact sizes, the high-quality copy, and the aspect-fit placement.
#include <gtest/gtest.h>

#include "engine/saving_test_support.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;
namespace gp = vx::gdiplus;

constexpr ARGB kRed = 0xFFFF0000u;

class Thumbnails : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  static int32_t Red(int32_t w, int32_t h, float horizontal = 72, float vertical = 72) {
    const int32_t id = MakeFilled(w, h, gp::PixelFormat24bppRGB, [](int32_t, int32_t) { return kRed; });
    EXPECT_EQ(SetImageResolution(id, horizontal, vertical), OK);
    return id;
  }
  // The rows and columns holding an opaque pixel: left, top, width, height.
  static FilterArea Opaque(int32_t id) {
    int32_t w = 0, h = 0;
    GetImageWidth(id, w);
    GetImageHeight(id, h);
    const std::vector<ARGB> pixels = ArgbPixelsOf(id);
    int32_t l = w, t = h, r = -1, b = -1;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x)
        if ((pixels[size_t(y) * w + x] >> 24) == 0xFF)
          l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
    return r < 0 ? FilterArea{} : FilterArea{l, t, r - l + 1, b - t + 1};
  }
};

TEST_F(Thumbnails, AspectFitPlacement) {
  struct Case {
    const char* what;
    int32_t w, h;
    float horizontal, vertical;
    int32_t boxW, boxH;
    FilterArea expected;
  };
  const Case cases[] = {
      {"wide into a square", 200, 100, 72, 72, 50, 50, {0, 12, 50, 25}},
      {"tall into a square", 100, 200, 72, 72, 50, 50, {12, 0, 25, 50}},
      {"square pixels twice as tall", 100, 100, 100, 200, 50, 50, {0, 12, 50, 25}},
      {"same shape", 120, 60, 300, 300, 40, 20, {0, 0, 40, 20}},
  };
  for (const Case& c : cases) {
    const int32_t source = Red(c.w, c.h, c.horizontal, c.vertical);
    const int32_t id = E().CreateThumbnailHQEx(source, c.boxW, c.boxH);
    ASSERT_NE(id, 0) << c.what;
    EXPECT_EQ(E().GetStat(), OK);
    EXPECT_EQ(SavingTestAccess::Current(E()), id) << "the thumbnail is current";
    EXPECT_EQ(E().GetWidth(), c.boxW);
    EXPECT_EQ(E().GetHeight(), c.boxH);
    const FilterArea drawn = Opaque(id);
    EXPECT_EQ(drawn.X, c.expected.X) << c.what;
    EXPECT_EQ(drawn.Y, c.expected.Y) << c.what;
    EXPECT_EQ(drawn.Width, c.expected.Width) << c.what;
    EXPECT_EQ(drawn.Height, c.expected.Height) << c.what;
    ARGB corner = 1;
    GetImagePixel(id, 0, 0, corner);
    if (c.expected.Y > 0 || c.expected.X > 0) EXPECT_EQ(corner, 0u) << "transparent background, " << c.what;
    ReleaseImage(id);
    ReleaseImage(source);
  }
  // Any other back colour fills the background.
  const int32_t source = Red(200, 100);
  const int32_t id = E().CreateThumbnailHQEx(source, 50, 50, static_cast<int32_t>(0xFF00FF00u));
  ARGB corner = 0, middle = 0;
  GetImagePixel(id, 0, 0, corner);
  GetImagePixel(id, 25, 25, middle);
  EXPECT_EQ(corner, 0xFF00FF00u);
  EXPECT_EQ(middle, kRed);
}

TEST_F(Thumbnails, ExactSizesAndResolutions) {
  const int32_t source = Red(200, 100, 300, 300);
  const int32_t plain = E().CreateThumbnail(source, 50, 50);
  ASSERT_NE(plain, 0);
  EXPECT_EQ(SavingTestAccess::Current(E()), plain);
  EXPECT_EQ(E().GetWidth(), 50);
  EXPECT_EQ(E().GetHeight(), 50);
  EXPECT_FLOAT_EQ(E().GetHorizontalResolution(), 75.0f);
  EXPECT_FLOAT_EQ(E().GetVerticalResolution(), 150.0f);

  const int32_t hq = E().CreateThumbnailHQ(source, 40, 30);
  ASSERT_NE(hq, 0);
  EXPECT_EQ(SavingTestAccess::Current(E()), hq);
  EXPECT_EQ(E().GetWidth(), 40);
  EXPECT_EQ(E().GetHeight(), 30);
  EXPECT_EQ(GetImagePixelFormatValue(hq), gp::PixelFormat32bppARGB);
  ARGB c = 0;
  GetImagePixel(hq, 20, 15, c);
  EXPECT_EQ(c, kRed);
}

// Failures return 0, keep the current image and leave no image registered.
TEST_F(Thumbnails, FailuresLeaveNothingBehind) {
  const int32_t source = Red(20, 10);
  SavingTestAccess::SetCurrent(E(), source);
  struct Case {
    const char* what;
    int32_t (cImaging::*member)(int32_t, int32_t, int32_t);
    int32_t id, w, h;
    VexiroStatus expected;
  };
  const Case cases[] = {
      {"CreateThumbnail of nothing", &cImaging::CreateThumbnail, 0, 5, 5, InvalidParameter},
      {"CreateThumbnail size 0", &cImaging::CreateThumbnail, source, 0, 5, InvalidParameter},
      {"CreateThumbnail unknown", &cImaging::CreateThumbnail, 4242, 5, 5, InvalidParameter},
      {"CreateThumbnailHQ of nothing", &cImaging::CreateThumbnailHQ, 0, 5, 5, InvalidParameter},
      {"CreateThumbnailHQ size 0", &cImaging::CreateThumbnailHQ, source, 5, 0, InvalidParameter},
      {"CreateThumbnailHQ unknown", &cImaging::CreateThumbnailHQ, 4242, 5, 5, InvalidParameter},
  };
  for (const Case& c : cases) {
    EXPECT_EQ((E().*c.member)(c.id, c.w, c.h), 0) << c.what;
    EXPECT_EQ(E().GetStat(), c.expected) << c.what;
  }
  EXPECT_EQ(E().CreateThumbnailHQEx(0, 5, 5), 0);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
  EXPECT_EQ(E().CreateThumbnailHQEx(source, -1, 5), 0);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
  EXPECT_EQ(E().CreateThumbnailHQEx(4242, 5, 5), 0);
  EXPECT_EQ(SavingTestAccess::Current(E()), source);
  EXPECT_EQ(ImageSlotCount(), 1);
}

}  // namespace
}  // namespace vexiro
