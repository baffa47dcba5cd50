// The image-creating members: blank images, clones, memory, raw pixels, the current image, and
// window capture on a virtual X display.
#include <signal.h>

#include <sstream>

#include "control/script_engine.h"
#include "control/script_host.h"
#include "engine/gdiplus_lifetime.h"
#include "engine/loading_test_support.h"
#include "engine/store_internal.h"
#include "platform/inet_test_servers.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace test_support;
using namespace vx::gdiplus;

int32_t LiveImages() {
  int32_t n = 0;
  for (int32_t i = 0; i < ImageSlotCount(); ++i) n += ThreadImages()[static_cast<size_t>(i)].ImageID != 0;
  return n;
}

ARGB PixelOf(int32_t id, int32_t x = 0, int32_t y = 0) {
  ARGB argb = 0;
  EXPECT_EQ(GetImagePixel(id, x, y, argb), vexiro::OK);
  return argb;
}

using CreateMembers = LoadingTest;

TEST_F(CreateMembers, NewImageHasTheDepthsFormatAndColour) {
  struct Case {
    int16_t depth;
    PixelFormat format;
    int32_t colour;
    ARGB expected;
  } cases[] = {
      {24, PixelFormat24bppRGB, -16777216, 0xFF000000u},   // black needs no clear
      {32, PixelFormat32bppARGB, -16777216, 0xFF000000u},  // cleared: a new 32-bit image is transparent
      {16, PixelFormat16bppRGB555, static_cast<int32_t>(0xFFFF0000u), 0xFFFF0000u},
      {24, PixelFormat24bppRGB, static_cast<int32_t>(0xFF336699u), 0xFF336699u},
      {48, PixelFormat48bppRGB, static_cast<int32_t>(0xFF0000FFu), 0xFF0000FFu},
      {64, PixelFormat64bppPARGB, static_cast<int32_t>(0xFF00FF00u), 0xFF00FF00u},
      // Indexed images take the palette entry nearest the colour.
      {1, PixelFormat1bppIndexed, -1, 0xFFFFFFFFu},
      {4, PixelFormat4bppIndexed, static_cast<int32_t>(0xFF00FF00u), 0xFF00FF00u},
      {8, PixelFormat8bppIndexed, static_cast<int32_t>(0xFFFF0000u), 0xFFFF0000u},
  };
  for (const Case& c : cases) {
    const int32_t id = engine_->CreateNewImage(5, 3, c.depth, c.colour);
    ASSERT_NE(id, 0) << c.depth;
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    EXPECT_EQ(engine_->GetPixelFormat(), static_cast<int32_t>(c.format)) << "current image " << c.depth;
    EXPECT_EQ(PixelOf(id, 4, 2), c.expected) << c.depth;
  }
  {
    // Older platforms cannot draw on indexed images either; the fill needs no drawing.
    GdiplusThreadState& st = ThreadGdiplusState();
    const std::string version = st.GdiplusVersion;
    st.GdiplusVersion = "5.2";
    const int32_t old = engine_->CreateNewImage(3, 3, 8, static_cast<int32_t>(0xFF0000FFu));
    st.GdiplusVersion = version;
    EXPECT_EQ(PixelOf(old, 2, 2), 0xFF0000FFu);
  }
  const int32_t current = engine_->CreateNewImage(2, 2);
  EXPECT_EQ(engine_->CreateNewImage(10, 10, 12), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->GetWidth(), 2) << "the current image is unchanged";
  EXPECT_NE(current, 0);
}

TEST_F(CreateMembers, ClonesCopyAndLeaveTheCurrentImage) {
  const int32_t source = engine_->CreateNewImage(8, 6, 24, static_cast<int32_t>(0xFF102030u));
  ASSERT_EQ(SetImageResolution(source, 150, 75), vexiro::OK);
  const int32_t clone = engine_->CreateClonedImage(source);
  ASSERT_NE(clone, 0);
  float h = 0, v = 0;
  GetImageHorizontalResolution(clone, h);
  GetImageVerticalResolution(clone, v);
  EXPECT_EQ(h, 150);
  EXPECT_EQ(v, 75);
  int32_t bytes = 0;
  EXPECT_EQ(GetImagePropertyItemSize(clone, PropertyTagXResolution, bytes), vexiro::OK) << "property items travel";
  const int32_t own = engine_->CreateClonedImageI(source);
  EXPECT_EQ(PixelOf(own), 0xFF102030u);
  const int32_t argb = engine_->CreateClonedImageARGB(source);
  EXPECT_EQ(GetImagePixelFormatValue(argb), PixelFormat32bppARGB);
  const int32_t area = engine_->CreateClonedImageArea(source, 2, 1, 3, 4);
  int32_t w = 0;
  GetImageWidth(area, w);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(GetImagePixelFormatValue(area), PixelFormat24bppRGB);
  EXPECT_EQ(engine_->GetWidth(), 8) << "clones are not made current";

  const int32_t live = LiveImages();
  EXPECT_EQ(engine_->CreateClonedImageArea(0, 0, 0, 1, 1), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::GenericError);
  EXPECT_EQ(engine_->CreateClonedImageArea(source, 6, 5, 10, 10), 0) << "outside the image";
  EXPECT_NE(engine_->GetStat(), vexiro::OK);
  EXPECT_EQ(engine_->CreateClonedImage(4242), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  EXPECT_EQ(LiveImages(), live) << "failed clones leave no record";
}

TEST_F(CreateMembers, MemoryRawBitsAndTheCurrentImage) {
  const std::string png = ReadBytes(fixtures_.Draw("-size 4x2 xc:red", "m.png"));
  EXPECT_EQ(engine_->CreateImageFromMemory(reinterpret_cast<intptr_t>(png.data()), 0), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->CreateImageFromMemory(0, 10), vexiro::InvalidParameter);
  EXPECT_EQ(engine_->CreateImageFromMemory(reinterpret_cast<intptr_t>(png.data()), static_cast<int32_t>(png.size())),
            vexiro::OK);
  EXPECT_EQ(engine_->GetWidth(), 4);

  std::vector<uint32_t> pixels = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu};
  const int32_t raw = engine_->CreateImageFromRawBits(2, 2, 8, static_cast<int32_t>(PixelFormat32bppARGB),
                                                      reinterpret_cast<intptr_t>(pixels.data()));
  ASSERT_NE(raw, 0);
  EXPECT_EQ(PixelOf(raw, 0, 1), 0xFFFF0000u);
  EXPECT_EQ(GetImageKind(raw), KindScan0) << "the caller's memory, not owned";
  ReleaseImage(raw);

  engine_->SetNativeImage(777);
  EXPECT_EQ(engine_->GetWidth(), 0);
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
}

TEST_F(CreateMembers, WindowCaptureReadsTheVirtualDisplay) {
  const char* saved = std::getenv("DISPLAY");
  const std::string previous = saved ? saved : "";
  unsetenv("DISPLAY");
  EXPECT_EQ(engine_->CreateImageFromHwnd(0), 0) << "no display";
  EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  VX_REQUIRE_TOOL("Xvfb");
  {
    vxtest::ServerProcess xvfb({"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "320x200x24", "-wr", "-nolisten", "tcp"});
    // The display number it announced (:0 is a display like any other).
    setenv("DISPLAY", (":" + std::to_string(xvfb.port())).c_str(), 1);
    const int32_t desktop = engine_->CreateImageFromHwnd(0);
    EXPECT_EQ(engine_->GetStat(), vexiro::OK);
    ASSERT_NE(desktop, 0);
    EXPECT_EQ(engine_->GetWidth(), 320);
    EXPECT_EQ(engine_->GetHeight(), 200);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{319, 199}, std::pair{160, 100}}) {
      gdiplus::ARGB pixel = 0;
      EXPECT_EQ(GetImagePixel(desktop, x, y, pixel), vexiro::OK);
      EXPECT_EQ(pixel, 0xFFFFFFFFu) << "the white root window at " << x << "," << y;
    }
    EXPECT_EQ(engine_->CreateImageFromHwnd(0x7FFFFFF), 0) << "a window the display does not know";
    EXPECT_EQ(engine_->GetStat(), vexiro::InvalidParameter);
  }
  if (previous.empty()) {
    unsetenv("DISPLAY");
  } else {
    setenv("DISPLAY", previous.c_str(), 1);
  }
}

}  // namespace
}  // namespace vx::engine

namespace vx::engine {
namespace {

// The members answer through dispatch by name, with the table's defaults filled in.
TEST_F(CreateMembers, MembersRunFromAScript) {
  const std::string png = fixtures_.Draw("-size 7x5 xc:red", "s.png");
  control::ScriptEngine engine;
  std::ostringstream out;
  control::ScriptHost host(engine.Dispatcher(), out);
  const std::string script = "id = CreateImageFromFile(\"" + png + "\")\n" +
                             "expect GetStat() = 0\n"
                             "print GetWidth(), GetHeight(), GetImageFormat()\n"
                             "blank = CreateNewImage(3, 2)\n"
                             "print GetPixelDepth(), IsPixelFormatHasAlpha()\n"
                             "copy = CreateClonedImageArea(id, 1, 1, 2, 2)\n"
                             "print GetWidth()\n"
                             "none = CreateImageFromFile(\"" +
                             fixtures_.File("none.png") +
                             "\")\n"
                             "print none, GetStat()\n";
  ASSERT_TRUE(host.Run(script)) << host.Error();
  EXPECT_EQ(out.str(), "7 5 PNG\n32 True\n3\n0 10\n");
}

}  // namespace
}  // namespace vx::engine
