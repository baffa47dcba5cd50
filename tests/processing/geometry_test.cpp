// Rotation, resizing and borders of the current image.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "engine/gdiplus_lifetime.h"
#include "engine/saving_test_support.h"
#include "platform/gdiplus/graphics.h"
#include "support/required_tool.h"

namespace vexiro {
namespace {

using namespace vx::engine;
using namespace vx::engine::saving_test;
namespace gp = vx::gdiplus;

constexpr int32_t kRed = static_cast<int32_t>(0xFFFF0000u);

// A colour of its own for every position, so that any misplaced pixel shows.
ARGB Unique(int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x * 37 + 11) << 16 | uint32_t(y * 53 + 7) << 8 | 0x5Au; }

class Geometry : public test_support::EngineTest {
 protected:
  cImaging& E() { return *engine_; }
  int32_t Current(int32_t id) {
    SavingTestAccess::SetCurrent(E(), id);
    return id;
  }
  int32_t UniqueImage(int32_t w, int32_t h, gp::PixelFormat format = gp::PixelFormat32bppARGB) {
    return Current(MakeFilled(w, h, format, Unique));
  }
  ARGB Pixel(int32_t id, int32_t x, int32_t y) {
    ARGB c = 0;
    EXPECT_EQ(GetImagePixel(id, x, y, c), OK);
    return c;
  }
  // The platform's pixel format held by the current image.
  gp::PixelFormat Format() { return GetImagePixelFormatValue(SavingTestAccess::Current(E())); }
};

// A platform version override for one test.
class PlatformVersion {
 public:
  explicit PlatformVersion(const std::string& v) : saved_(ThreadGdiplusState().GdiplusVersion) {
    ThreadGdiplusState().GdiplusVersion = v;
  }
  ~PlatformVersion() { ThreadGdiplusState().GdiplusVersion = saved_; }

 private:
  std::string saved_;
};

TEST_F(Geometry, BoundingCanvasSizes) {
  struct Case {
    float angle;
    int32_t w, h, expectedW, expectedH;
  };
  const Case cases[] = {
      {90, 200, 100, 101, 201}, {180, 200, 100, 201, 101}, {0, 200, 100, 200, 100},
      {45, 200, 100, 213, 213}, {30, 640, 480, 795, 736},  {-90, 200, 100, 101, 201},
  };
  for (const Case& c : cases) {
    const int32_t id = UniqueImage(c.w, c.h, gp::PixelFormat24bppRGB);
    EXPECT_EQ(E().RotateAngle(c.angle), OK) << c.angle;
    EXPECT_EQ(E().GetWidth(), c.expectedW) << c.angle;
    EXPECT_EQ(E().GetHeight(), c.expectedH) << c.angle;
    EXPECT_EQ(SavingTestAccess::Current(E()), id) << "the identifier stays";
    ReleaseImage(id);
  }
}

// Right angles move every pixel unchanged; what the turned image does not cover stays
// transparent black. Fixture 8 x 6; `source(x, y)` says where the pixel at (x, y) comes from.
TEST_F(Geometry, RightAnglesArePixelPermutations) {
  struct Case {
    const char* member;
    std::function<VexiroStatus(cImaging&)> turn;
    int32_t w, h;
    std::function<bool(int32_t, int32_t, int32_t&, int32_t&)> source;
  };
  const Case cases[] = {
      {"RotateAngle 90", [](cImaging& e) { return e.RotateAngle(90); }, 7, 9,
       [](int32_t x, int32_t y, int32_t& sx, int32_t& sy) { return x >= 1 && y <= 7 && (sx = y, sy = 6 - x, true); }},
      {"RotateAngle 180", [](cImaging& e) { return e.RotateAngle(180); }, 9, 7,
       [](int32_t x, int32_t y, int32_t& sx, int32_t& sy) { return x <= 7 && y >= 1 && (sx = 7 - x, sy = 6 - y, true); }},
      {"RotateAngle 270", [](cImaging& e) { return e.RotateAngle(270); }, 7, 9,
       [](int32_t x, int32_t y, int32_t& sx, int32_t& sy) { return x >= 1 && y <= 7 && (sx = 7 - y, sy = x - 1, true); }},
      {"PreserveDimentionsCenter 180", [](cImaging& e) { return e.RotateAnglePreserveDimentionsCenter(180); }, 8, 6,
       [](int32_t x, int32_t y, int32_t& sx, int32_t& sy) { return sx = 7 - x, sy = 5 - y, true; }},
      {"Rotate 90", [](cImaging& e) { return e.Rotate(Rotate90FlipNone); }, 6, 8,
       [](int32_t x, int32_t y, int32_t& sx, int32_t& sy) { return sx = y, sy = 5 - x, true; }},
      {"Rotate flip X", [](cImaging& e) { return e.Rotate(RotateNoneFlipX); }, 8, 6,
       [](int32_t x, int32_t y, int32_t& sx, int32_t& sy) { return sx = 7 - x, sy = y, true; }},
  };
  for (const Case& c : cases) {
    const int32_t id = UniqueImage(8, 6);
    ASSERT_EQ(c.turn(E()), OK) << c.member;
    ASSERT_EQ(E().GetWidth(), c.w) << c.member;
    ASSERT_EQ(E().GetHeight(), c.h) << c.member;
    const std::vector<ARGB> pixels = ArgbPixelsOf(id);
    int32_t wrong = 0;
    for (int32_t y = 0; y < c.h; ++y)
      for (int32_t x = 0; x < c.w; ++x) {
        int32_t sx = 0, sy = 0;
        const ARGB expected = c.source(x, y, sx, sy) ? Unique(sx, sy) : 0;
        wrong += pixels[size_t(y) * c.w + x] != expected;
      }
    EXPECT_EQ(wrong, 0) << c.member;
    ReleaseImage(id);
  }
}

TEST_F(Geometry, AnyAngleLeavesTheCornersOrPaintsTheBackColour) {
  for (const bool withBack : {false, true}) {
    const int32_t id = Current(MakeFilled(40, 40, gp::PixelFormat32bppARGB, [](int32_t, int32_t) { return 0xFF0000FFu; }));
    EXPECT_EQ(withBack ? E().RotateAnglePreserveDimentionsCenterBackColor(45, kRed)
                       : E().RotateAnglePreserveDimentionsCenter(45),
              OK);
    EXPECT_EQ(E().GetWidth(), 40);
    EXPECT_EQ(Pixel(id, 0, 0), withBack ? 0xFFFF0000u : 0u) << "corner, back colour " << withBack;
    EXPECT_EQ(Pixel(id, 20, 20), 0xFF0000FFu) << "centre, back colour " << withBack;
    ReleaseImage(id);
  }
  // About the top-left corner: by 90 the image swings out to the left, leaving nothing.
  const int32_t id = Current(MakeFilled(20, 10, gp::PixelFormat32bppARGB, [](int32_t, int32_t) { return 0xFF00FF00u; }));
  EXPECT_EQ(E().RotateAnglePreserveDimentionsBackColor(90, kRed), OK);
  EXPECT_EQ(Pixel(id, 15, 5), 0xFFFF0000u);
  EXPECT_EQ(E().RotateAnglePreserveDimentions(-90), OK) << "and back again";
  EXPECT_EQ(Pixel(id, 0, 0), 0u);
}

// Indexed images cannot take a graphics: the transforms draw in 32 bits and come back to the
// image's own format and palette.
TEST_F(Geometry, IndexedImagesKeepTheirFormatAndPalette) {
  gp::ColorPalette bw;
  bw.Count = 2;
  bw.Entries[0] = 0xFF000000u;
  bw.Entries[1] = 0xFFFFFFFFu;
  gp::ColorPalette four;
  four.Count = 4;
  four.Entries[0] = 0xFF102030u, four.Entries[1] = 0xFFC0C0C0u, four.Entries[2] = 0xFFFF0000u, four.Entries[3] = 0xFF0000FFu;
  struct Case {
    const char* member;
    std::function<VexiroStatus(cImaging&)> transform;
  };
  const Case members[] = {
      {"RotateAngle 3", [](cImaging& e) { return e.RotateAngle(3); }},
      {"RotateAngle 90", [](cImaging& e) { return e.RotateAngle(90); }},
      {"ResizeImage", [](cImaging& e) { return e.ResizeImage(30, 21, 5); }},
      {"AddBorders", [](cImaging& e) { return e.AddBorders(2, -1); }},
  };
  for (const auto& [format, palette] :
       {std::pair{gp::PixelFormat1bppIndexed, bw}, std::pair{gp::PixelFormat8bppIndexed, four}}) {
    for (const Case& m : members) {
      std::vector<uint8_t> indices(20 * 14);
      for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t((i / 3) % palette.Count);
      const int32_t id = Current(MakeIndexed(20, 14, format, palette, indices));
      ASSERT_EQ(m.transform(E()), OK) << m.member << " " << format;
      EXPECT_EQ(Format(), format) << m.member;
      std::vector<PaletteBytes> entries;
      ASSERT_EQ(ReadPaletteBytes(id, entries), OK);
      ASSERT_EQ(entries.size(), palette.Count) << m.member;
      for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i], (PaletteBytes{uint8_t(palette.Entries[i] >> 16), uint8_t(palette.Entries[i] >> 8),
                                            uint8_t(palette.Entries[i]), 0xFF}))
            << m.member;
      ReleaseImage(id);
    }
  }
  // The border is the nearest palette colour; the 1-bit image's white border is white.
  std::vector<uint8_t> black(10 * 10, 0);
  const int32_t page = Current(MakeIndexed(10, 10, gp::PixelFormat1bppIndexed, bw, black));
  ASSERT_EQ(E().AddBorderLeft(3, -1), OK);
  EXPECT_EQ(Pixel(page, 1, 5), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(page, 5, 5), 0xFF000000u);
  ReleaseImage(page);
}

TEST_F(Geometry, OlderPlatformResizesIndexedImagesThroughTwentyFourBits) {
  PlatformVersion old("5.2");
  gp::ColorPalette grey;
  grey.Count = 256;
  for (uint32_t i = 0; i < 256; ++i) grey.Entries[i] = 0xFF000000u | i << 16 | i << 8 | i;
  std::vector<uint8_t> indices(16 * 16);
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = uint8_t(i);
  const int32_t id = Current(MakeIndexed(16, 16, gp::PixelFormat8bppIndexed, grey, indices));
  ASSERT_EQ(E().ResizeImage(8, 8), OK);
  EXPECT_EQ(Format(), gp::PixelFormat8bppIndexed);
  EXPECT_TRUE(IsGreyPalette(id));
  EXPECT_EQ(SavingTestAccess::Current(E()), id);
}

TEST_F(Geometry, NearestNeighbourByAnIntegerFactorReplicatesPixels) {
  const int32_t id = UniqueImage(8, 6, gp::PixelFormat24bppRGB);
  ASSERT_EQ(E().ResizeImage(24, 18, InterpolationModeNearestNeighbor), OK);
  const std::vector<ARGB> pixels = ArgbPixelsOf(id);
  int32_t wrong = 0;
  for (int32_t y = 0; y < 18; ++y)
    for (int32_t x = 0; x < 24; ++x) wrong += pixels[size_t(y) * 24 + x] != Unique(x / 3, y / 3);
  EXPECT_EQ(wrong, 0);
}

// Each interpolation mode against ImageMagick's matching filter, down and up: the mean
// difference per channel stays small, the largest one bounded.
TEST_F(Geometry, ResizeFollowsImageMagickFilters) {
  VX_REQUIRE_TOOL("convert");
  ScratchFolder folder;
  // Smooth shading with a few hard edges: both what the filters blur and what they keep.
  const auto shade = [](int32_t x, int32_t y) {
    const uint32_t r = uint32_t(x * 4), g = uint32_t(y * 5), b = (x / 8 + y / 8) % 2 ? 230u : 20u;
    return 0xFF000000u | r << 16 | g << 8 | b;
  };
  const int32_t source = MakeFilled(60, 48, gp::PixelFormat24bppRGB, shade);
  Current(source);
  ASSERT_EQ(E().SaveAsPNG(folder.File("source.png")), OK);
  struct Case {
    int32_t mode;
    const char* filter;
    double meanBound, maxBound;
  };
  const Case cases[] = {
      {gp::InterpolationModeNearestNeighbor, "point", 1, 8},
      // Plain bilinear samples four pixels even when it shrinks: its edges differ most.
      {gp::InterpolationModeBilinear, "triangle", 3.5, 48},
      {gp::InterpolationModeHighQualityBilinear, "triangle", 2, 48},
      {gp::InterpolationModeBicubic, "catrom", 1, 4},
      {gp::InterpolationModeHighQualityBicubic, "catrom", 1, 4},
  };
  for (const Case& c : cases) {
    for (const auto [w, h] : {std::pair{40, 32}, std::pair{90, 72}}) {
      const int32_t resized = E().GetResizedImage(source, w, h, c.mode);
      ASSERT_NE(resized, 0) << c.filter;
      const std::string out = folder.File("magick.png");
      Shell("convert '" + folder.File("source.png") + "' -filter " + c.filter + " -resize " + std::to_string(w) + "x" +
            std::to_string(h) + "! '" + out + "'");
      const std::vector<ARGB> ours = ArgbPixelsOf(resized), theirs = PixelsByImageMagick(out);
      ASSERT_EQ(theirs.size(), ours.size()) << c.filter;
      double sum = 0;
      int32_t largest = 0;
      for (size_t i = 0; i < ours.size(); ++i)
        for (int shift : {0, 8, 16}) {
          const int32_t d = std::abs(int32_t((ours[i] >> shift) & 0xFF) - int32_t((theirs[i] >> shift) & 0xFF));
          sum += d;
          largest = std::max(largest, d);
        }
      const double mean = sum / (3.0 * ours.size());
      EXPECT_LE(mean, c.meanBound) << c.filter << " " << w << "x" << h;
      EXPECT_LE(largest, c.maxBound) << c.filter << " " << w << "x" << h;
      ReleaseImage(resized);
    }
  }
}

TEST_F(Geometry, ResizedSizesAndResolution) {
  struct Case {
    const char* member;
    int32_t w, h;
    std::function<VexiroStatus(cImaging&)> resize;
    int32_t expectedW, expectedH;
  };
  const Case cases[] = {
      {"ScaleImage 50", 101, 101, [](cImaging& e) { return e.ScaleImage(50); }, 50, 50},
      {"ScaleImage 150", 10, 7, [](cImaging& e) { return e.ScaleImage(150); }, 15, 10},
      {"ResizeHeightRatio", 200, 100, [](cImaging& e) { return e.ResizeHeightRatio(51); }, 102, 51},
      {"ResizeWidthRatio halves to even", 200, 100, [](cImaging& e) { return e.ResizeWidthRatio(75); }, 75, 38},
      {"ResizeWidthRatio", 200, 100, [](cImaging& e) { return e.ResizeWidthRatio(77); }, 77, 38},
      {"ResizeImage", 1000, 20, [](cImaging& e) { return e.ResizeImage(500, 40); }, 500, 40},
  };
  for (const Case& c : cases) {
    const int32_t id = Current(MakeImage(c.w, c.h, gp::PixelFormat24bppRGB));
    ASSERT_EQ(SetImageResolution(id, 300, 300), OK);
    EXPECT_EQ(c.resize(E()), OK) << c.member;
    EXPECT_EQ(E().GetWidth(), c.expectedW) << c.member;
    EXPECT_EQ(E().GetHeight(), c.expectedH) << c.member;
    EXPECT_FLOAT_EQ(E().GetHorizontalResolution(), 300.0f * c.expectedW / c.w) << "the physical size stays";
    ReleaseImage(id);
  }
}

// A border, resize or turn that would give the page a side no loader reads back is refused as too
// large, and one at the largest side is made; sums are taken wide, so the range's end does not wrap.
TEST_F(Geometry, TransformsPastTheLargestSideAreRefused) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  const struct {
    const char* what;
    int32_t w, h;
    std::function<VexiroStatus(cImaging&)> call;
    VexiroStatus status;
    int32_t expectedW, expectedH;
  } cases[] = {
      {"65,000 left of 640", 640, 4, [](cImaging& e) { return e.AddBorderLeft(65000); }, OutOfMemory, 640, 4},
      {"all sides at the range's end", 20, 10, [](cImaging& e) { return e.AddBorders(kMax); }, OutOfMemory, 20, 10},
      {"bottom at the range's end", 20, 10, [](cImaging& e) { return e.AddBorderBottom(kMax); }, OutOfMemory, 20, 10},
      {"one past the largest side", 20, 10, [](cImaging& e) { return e.AddBorderRight(65535 - 19); }, OutOfMemory, 20,
       10},
      {"the largest side", 20, 10, [](cImaging& e) { return e.AddBorderRight(65535 - 20); }, OK, 65535, 10},
      {"resized past the largest side", 20, 10, [](cImaging& e) { return e.ResizeImage(65536, 10); }, OutOfMemory, 20,
       10},
      {"scaled past the largest side", 20, 10, [](cImaging& e) { return e.ScaleImage(327700); }, OutOfMemory, 20, 10},
      {"resized to the largest side", 20, 10, [](cImaging& e) { return e.ResizeImage(10, 65535); }, OK, 10, 65535},
      {"turned a hair past the largest side", 65535, 20, [](cImaging& e) { return e.RotateAngle(0.01f); }, OutOfMemory,
       65535, 20},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Current(E().CreateNewImage(c.w, c.h, 24, static_cast<int32_t>(0xFF000000u)));  // black: no fill needed
    EXPECT_EQ(c.call(E()), c.status);
    EXPECT_EQ(E().GetWidth(), c.expectedW);
    EXPECT_EQ(E().GetHeight(), c.expectedH);
  }
}

// Angles and scales that are not numbers, or not finite, change nothing.
TEST_F(Geometry, NonFiniteAnglesAndScalesAreRefused) {
  const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()};
  const std::function<VexiroStatus(cImaging&, float)> members[] = {
      [](cImaging& e, float v) { return e.ScaleImage(v); },
      [](cImaging& e, float v) { return e.RotateAngle(v); },
      [](cImaging& e, float v) { return e.RotateAngleBackColor(v, kRed); },
      [](cImaging& e, float v) { return e.RotateAnglePreserveDimentions(v); },
      [](cImaging& e, float v) { return e.RotateAnglePreserveDimentionsCenterBackColor(v, kRed); },
  };
  const int32_t id = UniqueImage(12, 7);
  for (size_t m = 0; m < std::size(members); ++m) {
    for (float v : values) {
      SCOPED_TRACE(testing::Message() << "member " << m << ", value " << v);
      SavingTestAccess::SetStat(E(), OK);
      EXPECT_EQ(members[m](E(), v), InvalidParameter);
      EXPECT_EQ(E().GetStat(), InvalidParameter);
      EXPECT_EQ(E().GetWidth(), 12);
      EXPECT_EQ(E().GetHeight(), 7);
      EXPECT_EQ(Pixel(id, 11, 6), Unique(11, 6));
    }
  }
}

// Sizes below 1 are refused before anything happens, and members without an image say so
// instead of returning what the previous member left.
TEST_F(Geometry, BadSizesAndMissingImagesAreReported) {
  struct Case {
    const char* member;
    std::function<VexiroStatus(cImaging&)> call;
  };
  const Case cases[] = {
      {"ResizeImage 0", [](cImaging& e) { return e.ResizeImage(0, 10); }},
      {"ResizeImage negative", [](cImaging& e) { return e.ResizeImage(10, -1); }},
      {"ScaleImage 0", [](cImaging& e) { return e.ScaleImage(0); }},
      {"ScaleImage to nothing", [](cImaging& e) { return e.ScaleImage(1); }},
      {"ResizeHeightRatio 0", [](cImaging& e) { return e.ResizeHeightRatio(0); }},
      {"ResizeWidthRatio to nothing", [](cImaging& e) { return e.ResizeWidthRatio(1); }},
      {"AddBorders 0", [](cImaging& e) { return e.AddBorders(0); }},
      {"AddBorderLeft negative", [](cImaging& e) { return e.AddBorderLeft(-3); }},
      {"AddBorderBottom 0", [](cImaging& e) { return e.AddBorderBottom(0); }},
  };
  const int32_t id = UniqueImage(30, 10);
  for (const Case& c : cases) {
    SavingTestAccess::SetStat(E(), OK);
    EXPECT_EQ(c.call(E()), InvalidParameter) << c.member;
    EXPECT_EQ(E().GetStat(), InvalidParameter) << c.member;
    EXPECT_EQ(E().GetWidth(), 30) << c.member;
    EXPECT_EQ(E().GetHeight(), 10) << c.member;
  }
  EXPECT_EQ(E().GetResizedImage(id, 0, 5), 0);
  EXPECT_EQ(E().GetStat(), InvalidParameter);
  EXPECT_EQ(ImageSlotCount(), 1) << "nothing was left registered";

  Current(0);
  const Case noImage[] = {
      {"ScaleImage", [](cImaging& e) { return e.ScaleImage(50); }},
      {"ResizeHeightRatio", [](cImaging& e) { return e.ResizeHeightRatio(10); }},
      {"ResizeWidthRatio", [](cImaging& e) { return e.ResizeWidthRatio(10); }},
      {"ResizeImage", [](cImaging& e) { return e.ResizeImage(10, 10); }},
      {"RotateAngle", [](cImaging& e) { return e.RotateAngle(10); }},
      {"AddBorderTop", [](cImaging& e) { return e.AddBorderTop(2); }},
  };
  for (const Case& c : noImage) {
    SavingTestAccess::SetStat(E(), OK);
    EXPECT_EQ(c.call(E()), GenericError) << c.member;
    EXPECT_EQ(E().GetStat(), GenericError) << c.member;
  }
}

TEST_F(Geometry, BordersFrameTheImage) {
  struct Case {
    const char* member;
    std::function<VexiroStatus(cImaging&)> add;
    int32_t left, top, right, bottom;
  };
  const Case cases[] = {
      {"AddBorders", [](cImaging& e) { return e.AddBorders(3, kRed); }, 3, 3, 3, 3},
      {"AddBorderTop", [](cImaging& e) { return e.AddBorderTop(4, kRed); }, 0, 4, 0, 0},
      {"AddBorderBottom", [](cImaging& e) { return e.AddBorderBottom(2, kRed); }, 0, 0, 0, 2},
      {"AddBorderLeft", [](cImaging& e) { return e.AddBorderLeft(10, kRed); }, 10, 0, 0, 0},
      {"AddBorderRight", [](cImaging& e) { return e.AddBorderRight(1, kRed); }, 0, 0, 1, 0},
  };
  for (const Case& c : cases) {
    const int32_t id = UniqueImage(10, 8, gp::PixelFormat24bppRGB);
    ASSERT_EQ(c.add(E()), OK) << c.member;
    const int32_t w = 10 + c.left + c.right, h = 8 + c.top + c.bottom;
    ASSERT_EQ(E().GetWidth(), w) << c.member;
    ASSERT_EQ(E().GetHeight(), h) << c.member;
    EXPECT_EQ(Format(), gp::PixelFormat24bppRGB);
    const std::vector<ARGB> pixels = ArgbPixelsOf(id);
    int32_t wrong = 0;
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        const bool inside = x >= c.left && x < c.left + 10 && y >= c.top && y < c.top + 8;
        wrong += pixels[size_t(y) * w + x] != (inside ? Unique(x - c.left, y - c.top) : 0xFFFF0000u);
      }
    EXPECT_EQ(wrong, 0) << c.member;
    ReleaseImage(id);
  }
}

}  // namespace
}  // namespace vexiro
