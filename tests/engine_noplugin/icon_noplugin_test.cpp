// Without the format plug-in an icon file is still written: the icon maker draws it and the
// platform's picture saving writes it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "support/required_tool.h"
#include "vexiro/imaging.h"

namespace {

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// The pixel as ImageMagick reads it: "r,g,b,a" in 8-bit values.
std::string PixelOf(const std::string& path, int x, int y) {
  return Shell("convert '" + path + "[0]' -format '%[fx:int(255*p{" + std::to_string(x) + "," + std::to_string(y) +
               "}.r)],%[fx:int(255*p{" + std::to_string(x) + "," + std::to_string(y) + "}.g)],%[fx:int(255*p{" +
               std::to_string(x) + "," + std::to_string(y) + "}.b)],%[fx:int(255*p{" + std::to_string(x) + "," +
               std::to_string(y) + "}.a)]' info:");
}

TEST(IconWithoutPlugin, EverySizeBecomesA32By32IconWithItsTransparentColour) {
  VX_REQUIRE_TOOL("convert");
  VX_REQUIRE_TOOL("identify");
  auto engine = std::make_unique<vexiro::cImaging>();
  const char* tmp = std::getenv("TMPDIR");
  const std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/noplugin.ico";
  struct Case {
    int32_t width, height;
  };
  for (const Case& c : {Case{32, 32}, Case{16, 16}, Case{64, 48}}) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const int32_t id = engine->CreateNewImage(c.width, c.height, 24, static_cast<int32_t>(0xFFFFFFFF));
    ASSERT_NE(id, 0);
    ASSERT_EQ(engine->DrawFillRectangle(0, 0, c.width / 2, c.height, static_cast<int32_t>(0xFFFF0000)), vexiro::OK);
    ASSERT_EQ(engine->SaveAsICO(path, true, 0x00FFFFFF), vexiro::OK);  // white as an RGB colour
    EXPECT_EQ(Shell("identify -format '%m %wx%h;' '" + path + "'"), "ICO 32x32;");
    EXPECT_EQ(PixelOf(path, 0, 0), "255,0,0,255") << "red stays";
    EXPECT_EQ(PixelOf(path, 31, 31), "0,0,0,0") << "white turns transparent";
    engine->CloseImage(id);
    std::remove(path.c_str());
  }
}

}  // namespace
