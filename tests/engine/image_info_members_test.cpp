// The image information members on the current image.
#include <cmath>
#include <functional>

#include "engine/loading_test_support.h"

namespace vx::engine {
namespace {

using namespace test_support;
using namespace vx::gdiplus;

using ImageInfoMembers = LoadingTest;

TEST_F(ImageInfoMembers, AnswerForEachPixelFormat) {
  struct Case {
    PixelFormat format;
    const char* name;
    int32_t depth;
    bool indexed, alpha;
  } cases[] = {
      {PixelFormat1bppIndexed, "1bppIndexed", 1, true, false},
      {PixelFormat8bppIndexed, "8bppIndexed", 8, true, false},
      {PixelFormat16bppARGB1555, "16bppARGB1555", 16, false, true},
      {PixelFormat24bppRGB, "24bppRGB", 24, false, false},
      {PixelFormat32bppRGB, "32bppRGB", 32, false, false},
      {PixelFormat32bppARGB, "32bppARGB", 32, false, true},
      {PixelFormat32bppPARGB, "32bppPARGB", 32, false, true},
      {PixelFormat48bppRGB, "48bppRGB", 48, false, false},
      {PixelFormat64bppARGB, "64bppARGB", 64, false, true},
      {PixelFormat64bppPARGB, "64bppPARGB", 64, false, true},
  };
  for (const Case& c : cases) {
    engine_->SetNativeImage(MakeImage(6, 4, c.format));
    EXPECT_EQ(engine_->GetPixelFormat(), static_cast<int32_t>(c.format)) << c.name;
    EXPECT_EQ(engine_->GetPixelFormatString(), c.name);
    EXPECT_EQ(engine_->GetPixelDepth(), c.depth) << c.name;
    EXPECT_EQ(engine_->IsPixelFormatIndexed(), c.indexed) << c.name;
    EXPECT_EQ(engine_->IsPixelFormatHasAlpha(), c.alpha) << c.name;
    EXPECT_EQ(engine_->GetWidth(), 6);
    EXPECT_EQ(engine_->GetHeight(), 4);
    engine_->GetImageColorSpace();
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
  }
}

TEST_F(ImageInfoMembers, MillimetresAndResolution) {
  engine_->SetNativeImage(MakeImage(600, 300, PixelFormat24bppRGB));
  EXPECT_EQ(engine_->SetHorizontalResolution(300), vexiro::OK);
  EXPECT_EQ(engine_->SetVerticalResolution(150), vexiro::OK);
  EXPECT_NEAR(engine_->GetWidthMM(), 50.8f, 1e-4);
  EXPECT_NEAR(engine_->GetHeightMM(), 50.8f, 1e-4);
  EXPECT_EQ(engine_->GetHorizontalResolution(), 300);
  EXPECT_EQ(engine_->GetVerticalResolution(), 150);

  const int32_t id = MakeImage(10, 10, PixelFormat24bppRGB);
  engine_->SetNativeImage(id);
  ASSERT_EQ(engine_->GetVerticalResolution(), 96);
  EXPECT_EQ(engine_->SetHorizontalResolution(200), vexiro::OK);
  EXPECT_EQ(engine_->GetVerticalResolution(), 96) << "the other resolution is kept";
  int32_t bytes = 0;
  EXPECT_EQ(GetImagePropertyItemSize(id, PropertyTagXResolution, bytes), vexiro::OK) << "written as a property item";
  EXPECT_TRUE(FindImageRecord(id)->Modified);
}

TEST_F(ImageInfoMembers, WithoutACurrentImage) {
  engine_->SetNativeImage(0);
  EXPECT_EQ(engine_->GetWidth(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->GetWidthMM(), 0);
  EXPECT_FALSE(engine_->IsPixelFormatIndexed());
  EXPECT_EQ(engine_->GetImageFormat(), "");
  EXPECT_EQ(engine_->SetHorizontalResolution(100), vexiro::GenericError);
  EXPECT_EQ(engine_->SetVerticalResolution(100), vexiro::GenericError);
}

// An identifier that names no image is a bad argument to the resolution setters, and the status
// stays for GetStat.
TEST_F(ImageInfoMembers, ResolutionOfAnUnknownImage) {
  engine_->SetNativeImage(0x1234567);
  using Setter = VexiroStatus (vexiro::cImaging::*)(float);
  for (const Setter set : {&vexiro::cImaging::SetHorizontalResolution, &vexiro::cImaging::SetVerticalResolution}) {
    EXPECT_EQ((engine_.get()->*set)(100), vexiro::InvalidParameter);
    EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  }
}

// A query that fails answers nothing, and its status replaces the one a successful query left:
// with no current image and with the identifier of a released image.
TEST_F(ImageInfoMembers, FailedQueriesAnswerNothingAndKeepTheirStatus) {
  using Query = std::function<bool(vexiro::cImaging&)>;  // true when the member answered nothing
  const struct {
    const char* name;
    Query answersNothing;
  } queries[] = {
      {"GetWidth", [](vexiro::cImaging& e) { return e.GetWidth() == 0; }},
      {"GetHeight", [](vexiro::cImaging& e) { return e.GetHeight() == 0; }},
      {"GetWidthMM", [](vexiro::cImaging& e) { return e.GetWidthMM() == 0; }},
      {"GetHeightMM", [](vexiro::cImaging& e) { return e.GetHeightMM() == 0; }},
      {"GetPixelFormat", [](vexiro::cImaging& e) { return e.GetPixelFormat() == 0; }},
      {"GetPixelFormatString", [](vexiro::cImaging& e) { return e.GetPixelFormatString().empty(); }},
      {"GetImageColorSpace", [](vexiro::cImaging& e) { return e.GetImageColorSpace() == 0; }},
      {"GetPixelDepth", [](vexiro::cImaging& e) { return e.GetPixelDepth() == 0; }},
      {"GetHorizontalResolution", [](vexiro::cImaging& e) { return e.GetHorizontalResolution() == 0; }},
      {"GetVerticalResolution", [](vexiro::cImaging& e) { return e.GetVerticalResolution() == 0; }},
  };
  const int32_t live = MakeImage(5, 3, PixelFormat24bppRGB);
  const int32_t released = MakeImage(5, 3, PixelFormat24bppRGB);
  ASSERT_EQ(ReleaseImage(released), vexiro::OK);
  for (const int32_t current : {0, released}) {
    for (const auto& q : queries) {
      engine_->SetNativeImage(live);
      ASSERT_EQ(engine_->GetWidth(), 5);
      engine_->SetNativeImage(current);
      EXPECT_TRUE(q.answersNothing(*engine_)) << q.name << " on " << current;
      EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter) << q.name << " on " << current;
    }
  }
}

TEST_F(ImageInfoMembers, FormatNameAndCmykFiles) {
  const int32_t id = engine_->CreateImageFromFile(fixtures_.Draw("-size 3x3 xc:red", "f.gif"));
  ASSERT_NE(id, 0);
  EXPECT_EQ(engine_->GetImageFormat(), "GIF");
  if (!IsVximgplugAvailable()) GTEST_SKIP() << "the plug-in answers the CMYK question";
  const int32_t before = engine_->GetStat();
  EXPECT_TRUE(engine_->IsCMYKFile(fixtures_.Draw("-size 3x3 xc:red -colorspace CMYK -depth 8", "cmyk.tif")));
  EXPECT_FALSE(engine_->IsCMYKFile(fixtures_.Draw("-size 3x3 xc:red -depth 8", "rgb.tif")));
  EXPECT_FALSE(engine_->IsCMYKFile(fixtures_.File("none.tif")));
  EXPECT_EQ(engine_->GetStat(), before) << "the question keeps the status";
  PluginAbsence absence(true);
  EXPECT_FALSE(engine_->IsCMYKFile(fixtures_.File("cmyk.tif"))) << "without the plug-in nothing can tell";
}

}  // namespace
}  // namespace vx::engine
