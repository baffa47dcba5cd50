// Every plug-in format loads through the bridge with its size, format name, pixel format and
// the right way up, from fixtures ImageMagick writes.
#include "plugin_test_support.h"
#include "support/required_tool.h"

namespace vx::engine {
namespace {

using namespace plugin_test;
using gdiplus::PixelFormat;

// TARGA is written by the plug-in itself in the saver tests: ImageMagick's TGA writer marks
// top-down rows as bottom-up. PFM is left out while the plug-in hands its rows over reversed.

// Top half one colour, bottom half another, so a picture upside down shows.
constexpr const char* kColour = "-size 8x4 xc:red -size 8x4 xc:blue -append -depth 8";
constexpr const char* kGrey = "-size 8x4 xc:white -size 8x4 xc:black -append -depth 8 -colorspace Gray";
constexpr const char* kBilevel = "-size 8x4 xc:white -size 8x4 xc:black -append -monochrome";

struct LoadCase {
  const char* file;
  const char* picture;
  const char* writeAs;  // ImageMagick options and output prefix before the path
  int32_t format;
  const char* name;
  int32_t width;
  PixelFormat pixelFormat;
  char top, bottom;  // colour classes of the left column
};

const LoadCase kLoadCases[] = {
    {"a.ico", "-size 16x8 xc:red -size 16x8 xc:blue -append -depth 8", "", 1, "ICO", 16,
     gdiplus::PixelFormat32bppRGB, 'R', 'B'},
    {"a.jpg", kColour, "", 2, "JPEG", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    // Four bits travel through a DIB section with their palette; sixteen bits, whose colour
    // masks the plug-in does not hand over, are widened to 24 by the plug-in.
    {"four.bmp", "-size 8x4 gradient:red-orange -size 8x4 gradient:blue-navy -append -colors 16", "-type Palette bmp3:",
     0, "BMP", 8, gdiplus::PixelFormat4bppIndexed, 'R', 'B'},
    {"565.bmp", kColour, "-define bmp:subtype=RGB565 bmp3:", 0, "BMP", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"555.bmp", kColour, "-define bmp:subtype=RGB555 bmp3:", 0, "BMP", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"grey.jpg", kGrey, "", 2, "JPEG", 8, gdiplus::PixelFormat8bppIndexed, 'W', 'K'},
    {"a.jng", kColour, "", 3, "JNG", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.pbm", kBilevel, "-compress none", 7, "PBM", 8, gdiplus::PixelFormat1bppIndexed, 'W', 'K'},
    {"raw.pbm", kBilevel, "", 8, "PBMRAW", 8, gdiplus::PixelFormat1bppIndexed, 'W', 'K'},
    {"a.pcx", kColour, "-type TrueColor", 10, "PCX", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.pgm", kGrey, "-compress none", 11, "PGM", 8, gdiplus::PixelFormat8bppIndexed, 'W', 'K'},
    {"raw.pgm", kGrey, "", 12, "PGMRAW", 8, gdiplus::PixelFormat8bppIndexed, 'W', 'K'},
    {"a.png", kColour, "png24:", 13, "PNG", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    // Sixteen-bit grey samples arrive as eight-bit grey.
    {"grey16.png", "-size 8x8 gradient:white-black", "-depth 16 -define png:bit-depth=16 -define png:color-type=0", 13,
     "PNG", 8, gdiplus::PixelFormat8bppIndexed, 'W', 'K'},
    {"a.ppm", kColour, "-compress none", 14, "PPM", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"raw.ppm", kColour, "", 15, "PPMRAW", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.ras", kColour, "-type TrueColor", 16, "RAS", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.tif", kColour, "-type TrueColor", 18, "TIFF", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    // White stored as 0: pixels inverted under a black-then-white palette, looking the same.
    {"white0.tif", kBilevel, "-depth 1 -define quantum:polarity=min-is-white", 18, "TIFF", 8,
     gdiplus::PixelFormat1bppIndexed, 'W', 'K'},
    {"a.wbmp", kBilevel, "", 19, "WBMP", 8, gdiplus::PixelFormat1bppIndexed, 'W', 'K'},
    {"a.psd", kColour, "-type TrueColor", 20, "PSD", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.xbm", kBilevel, "", 22, "XBM", 8, gdiplus::PixelFormat1bppIndexed, 'W', 'K'},
    {"a.xpm", kColour, "", 23, "XPM", 8, gdiplus::PixelFormat8bppIndexed, 'R', 'B'},
    {"a.dds", kColour, "-define dds:compression=none", 24, "DDS", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.hdr", kColour, "", 26, "HDR", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.g3", kBilevel, "g3:", 27, "FAXG3", 1728, gdiplus::PixelFormat1bppIndexed, 'W', 'K'},
    {"a.sgi", kColour, "-type TrueColor", 28, "SGI", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.exr", kColour, "", 29, "EXR", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.j2k", kColour, "", 30, "J2K", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.jp2", kColour, "", 31, "JP2", 8, gdiplus::PixelFormat24bppRGB, 'R', 'B'},
    {"a.jbg", kBilevel, "", 35, "JBIG", 8, gdiplus::PixelFormat1bppIndexed, 'W', 'K'},
};

class PluginLoad : public PluginBridgeTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(PluginLoad, ArrivesWithSizeNamePixelFormatAndOrientation) {
  VX_REQUIRE_TOOL("convert");
  const LoadCase& c = GetParam();
  const std::string writeAs = c.writeAs;
  const bool prefix = !writeAs.empty() && writeAs.back() == ':';
  const std::string path = MakeFixture(folder_, c.file, std::string(c.picture) + " " + writeAs + (prefix ? "{}" : " {}"));
  int32_t id = 0, format = 0;
  ASSERT_EQ(LoadThroughBridge(path, id, format), vexiro::OK) << c.file;
  EXPECT_EQ(format, c.format);
  EXPECT_EQ(GetImageFormatName(id), c.name);
  int32_t width = 0, height = 0;
  GetImageWidth(id, width);
  GetImageHeight(id, height);
  EXPECT_EQ(width, c.width);
  EXPECT_EQ(height, c.width == 16 ? 16 : 8);
  EXPECT_EQ(GetImagePixelFormatValue(id), c.pixelFormat) << PixelFormatName(GetImagePixelFormatValue(id));
  EXPECT_EQ(ColourClass(PixelAt(id, 0, 0)), c.top) << std::hex << PixelAt(id, 0, 0);
  EXPECT_EQ(ColourClass(PixelAt(id, 0, height - 1)), c.bottom) << std::hex << PixelAt(id, 0, height - 1);
  if (c.pixelFormat == gdiplus::PixelFormat1bppIndexed) {
    gdiplus::ColorPalette palette;
    ASSERT_EQ(GetImagePalette(id, palette, sizeof palette), vexiro::OK);
    ASSERT_EQ(palette.Count, 2u);
    EXPECT_EQ(palette.Entries[0], 0xFF000000u);
    EXPECT_EQ(palette.Entries[1], 0xFFFFFFFFu);
  }
  EXPECT_EQ(ReleaseImage(id), vexiro::OK);
}

INSTANTIATE_TEST_SUITE_P(Formats, PluginLoad, ::testing::ValuesIn(kLoadCases), [](const auto& info) {
  std::string name = info.param.file;
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

}  // namespace
}  // namespace vx::engine
