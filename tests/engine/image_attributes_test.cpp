// The engine's image-attributes wrappers: statuses handed through, and registered images redrawn
// through the attributes the way the colour members use them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/image_graphics.h"
#include "engine_test_support.h"

namespace vx::engine {
namespace {

using namespace vx::gdiplus;
using test_support::EngineTest;
using test_support::MakeImage;

class ImageAttributesWrappers : public EngineTest {
 protected:
  ImageAttributesPtr NewAttributes() {
    GpImageAttributes* raw = reinterpret_cast<GpImageAttributes*>(1);
    EXPECT_EQ(CreateImageAttributes(raw), vexiro::OK);
    return ImageAttributesPtr(raw);
  }
  // A registered 32bppARGB row of the given colours.
  int32_t RowImage(const std::vector<ARGB>& colours) {
    const int32_t id = MakeImage(int32_t(colours.size()), 1, PixelFormat32bppARGB);
    for (size_t x = 0; x < colours.size(); ++x) SetImagePixel(id, int32_t(x), 0, colours[x]);
    return id;
  }
  // A new image of the source's size with the source drawn onto it through the attributes, as
  // the redrawing members do it; its colours.
  std::vector<ARGB> Redrawn(int32_t source, const GpImageAttributes* attributes) {
    int32_t width = 0;
    GetImageWidth(source, width);
    const int32_t target = MakeImage(width, 1, PixelFormat32bppARGB);
    GpGraphics* graphics = nullptr;
    EXPECT_EQ(GetImageGraphics(target, graphics), vexiro::OK);
    SetGraphicsFastMode(graphics);
    EXPECT_EQ(
        GdipDrawImageRectRectI(graphics, GetGpImage(source), 0, 0, width, 1, 0, 0, width, 1, UnitPixel, attributes),
        Ok);
    GdipDeleteGraphics(graphics);
    std::vector<ARGB> out(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) GetImagePixel(target, x, 0, out[static_cast<size_t>(x)]);
    ReleaseImage(target);
    return out;
  }
};

TEST_F(ImageAttributesWrappers, ColourKeyOfWhiteMakesWhiteTransparent) {
  const int32_t id = RowImage({0xFFFFFFFF, 0xFFFEFFFF, 0xFF000000});
  ImageAttributesPtr a = NewAttributes();
  ASSERT_EQ(SetImageAttributesColorKeys(a.get(), ColorAdjustTypeDefault, true, 0xFFFFFFFF, 0xFFFFFFFF), vexiro::OK);
  const std::vector<ARGB> row = Redrawn(id, a.get());
  EXPECT_EQ(row[0] >> 24, 0u);
  EXPECT_EQ(row[1], 0xFFFEFFFFu) << "nearly white stays";
  EXPECT_EQ(row[2], 0xFF000000u);
  ReleaseImage(id);
}

TEST_F(ImageAttributesWrappers, RemapTableReplacesOpaqueRedByBlue) {
  const int32_t id = RowImage({0xFFFF0000, 0xFF00FF00});
  ImageAttributesPtr a = NewAttributes();
  const ColorMap redToBlue[] = {{0xFFFF0000, 0xFF0000FF}};
  ASSERT_EQ(SetImageAttributesRemapTable(a.get(), ColorAdjustTypeDefault, true, 1, redToBlue), vexiro::OK);
  EXPECT_EQ(Redrawn(id, a.get()), (std::vector<ARGB>{0xFF0000FF, 0xFF00FF00}));
  ReleaseImage(id);
}

TEST_F(ImageAttributesWrappers, OutputChannelSeparatesBlackInk) {
  const int32_t id = RowImage({0xFF000000, 0xFFFFFFFF, 0xFF00FFFF});
  ImageAttributesPtr a = NewAttributes();
  ASSERT_EQ(SetImageAttributesOutputChannel(a.get(), ColorAdjustTypeDefault, true, ColorChannelFlagsK), vexiro::OK);
  EXPECT_EQ(Redrawn(id, a.get()), (std::vector<ARGB>{0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}));
  ASSERT_EQ(SetImageAttributesOutputChannel(a.get(), ColorAdjustTypeDefault, true, ColorChannelFlagsC), vexiro::OK);
  EXPECT_EQ(Redrawn(id, a.get()), (std::vector<ARGB>{0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000}));
  ReleaseImage(id);
}

TEST_F(ImageAttributesWrappers, PlatformStatusesPassThroughUnchanged) {
  ImageAttributesPtr a = NewAttributes();
  const ColorMap one[] = {{0, 0}};
  const std::string notAProfile = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/plain.txt";
  std::ofstream(notAProfile) << "text";
  const struct {
    const char* what;
    VexiroStatus got;
    VexiroStatus expected;
  } cases[] = {
      {"negative map size", SetImageAttributesRemapTable(a.get(), ColorAdjustTypeDefault, true, -1, one),
       vexiro::InvalidParameter},
      {"null attributes", SetImageAttributesColorKeys(nullptr, ColorAdjustTypeBitmap, true, 0, 0),
       vexiro::InvalidParameter},
      {"bad channel", SetImageAttributesOutputChannel(a.get(), ColorAdjustTypeDefault, true, ColorChannelFlagsLast),
       vexiro::InvalidParameter},
      {"bad adjust type", SetImageAttributesOutputChannel(a.get(), ColorAdjustType(7), true, ColorChannelFlagsC),
       vexiro::InvalidParameter},
      {"missing profile",
       SetImageAttributesOutputChannelColorProfile(a.get(), ColorAdjustTypeDefault, true, "/no/such.icc"),
       vexiro::FileNotFound},
      {"not a profile", SetImageAttributesOutputChannelColorProfile(a.get(), ColorAdjustTypeDefault, true, notAProfile),
       vexiro::InvalidParameter},
      {"profile cleared", SetImageAttributesOutputChannelColorProfile(a.get(), ColorAdjustTypeDefault, false, ""),
       vexiro::OK},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
  std::remove(notAProfile.c_str());
}

}  // namespace
}  // namespace vx::engine
